// vantrel-cli assess: the quality of each fix of a measurement file. Expected numbers worked out by hand
// and with the formulas in Python (stations 1 km apart on northing 5700000, base angles 0).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"

namespace vantrel {
namespace {

// F1 45 / 315 with readings 44, 45, 46 behind station 1's box; F2 190 / 225 (crossing 35), station 1's
// readings all round (their table average is the box's 190); F3 100 / 260, typed; F4, F5 0 / 0: no Match.
std::string AssessedHunt() {
    persistence::ScedRecord s1;
    s1.North = 5700000;
    s1.East = 500000;
    s1.Ang = {45, 190, 100, 0, 0};
    persistence::ScedRecord s2 = s1;
    s2.East = 501000;
    s2.Ang = {315, 225, 260, 0, 0};
    instruments::RxReadings readings;
    for (int row = 0; row < 4; ++row) {
        readings(0, 0, row) = {44.0 + row, -20, row < 3 ? std::int16_t{1} : std::int16_t{0}};
        readings(0, 1, row) = {325.0 + 90 * row - (row > 0 ? 360 : 0), -20, 1};  // 325, 55, 145, 235
    }
    return persistence::EncodeDataFile(s1, s2, readings);
}

// The output's lines split at TABs.
std::vector<std::vector<std::string>> Lines(const std::string& out) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) {
        std::istringstream fields(line);
        lines.emplace_back();
        for (std::string field; std::getline(fields, field, '\t');) {
            lines.back().push_back(field);
        }
    }
    return lines;
}

// Expected numbers of one line; NAN where the field is "-".
void ExpectLine(const std::vector<std::string>& fields, const std::vector<double>& numbers,
                const char* flags) {
    ASSERT_EQ(fields.size(), 12u);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::string& field = fields[i + 1];
        if (std::isnan(numbers[i])) {
            EXPECT_EQ(field, "-") << fields[0] << " field " << i + 1;
        } else {
            EXPECT_NEAR(std::stod(field), numbers[i], 1e-3) << fields[0] << " field " << i + 1;
        }
    }
    EXPECT_EQ(fields[11], flags);
}

TEST(CliAssess, OneLinePerFoxAndUsageErrorsNamingTheOption) {
    const testing_support::TempDir dir;
    const std::string hunt = (dir / "hunt.fh2").string();
    testing_support::WriteBytes(hunt, AssessedHunt());
    const auto r = testing_support::RunCli({"assess", hunt, "--decimal-separator=,"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0][0], "F1");
    // sigma1 = sqrt(3^2 + 1.0000381^2 / 3); station 2's 5 degrees at 707 m make the major axis.
    ExpectLine(lines[0], {5700500, 500500, 90, 707.107, 707.107, 3.055055, 5, 151.042, 92.289, 45}, "-");
    ExpectLine(lines[1], {5698785.926, 499785.926, 35, 1232.803, 1716.960, NAN, 5, NAN, NAN, NAN},
               "scattered1");
    ExpectLine(lines[2], {5699911.837, 500500, 160, 507.713, 507.713, 5, 5, 441.618, 77.869, 90},
               "acute,approximate");
    EXPECT_EQ(lines[3], (std::vector<std::string>{"F4", "no Match"}));
    EXPECT_EQ(lines[4], (std::vector<std::string>{"F5", "no Match"}));

    // Floor 0 leaves station 1's own spread 1.0000381 / sqrt(3); at 50 % F3's ellipse shrinks by
    // sqrt(1.386294 / 5.991465).
    const auto options = Lines(
        testing_support::RunCli({"assess", hunt, "--sigma-floor", "0", "--sigma=2.5", "--confidence", "0,5"})
            .out);
    ASSERT_EQ(options.size(), 5u);
    EXPECT_NEAR(std::stod(options[0][6]), 1.0000381 / std::sqrt(3.0), 1e-6);
    EXPECT_NEAR(std::stod(options[2][8]), 441.618 / 2 * std::sqrt(1.386294 / 5.991465), 1e-3);

    for (const auto& [option, value] :
         std::vector<std::pair<std::string, std::string>>{{"--confidence", "1"},
                                                          {"--confidence", "0"},
                                                          {"--sigma", "-1"},
                                                          {"--sigma-floor", "x"},
                                                          {"--sigma", "1e999"},
                                                          {"--sigma", "1e300"},
                                                          {"--sigma-floor", "180.5"}}) {
        const auto bad = testing_support::RunCli({"assess", hunt, option, value});
        EXPECT_EQ(bad.exitCode, 2) << option << " " << value;
        EXPECT_NE(bad.err.find(option + " "), std::string::npos) << bad.err;
        EXPECT_EQ(bad.out, "");
    }
    EXPECT_EQ(testing_support::RunCli({"assess", hunt, "--sigma", "180"}).exitCode, 0);
    // F3's bearings are typed: both deviations are --sigma, shown without a sign.
    const auto zero = Lines(testing_support::RunCli({"assess", hunt, "--sigma", "-0"}).out);
    ASSERT_EQ(zero.size(), 5u);
    EXPECT_EQ(zero[2][6], "0");
    EXPECT_EQ(zero[2][7], "0");
    EXPECT_EQ(testing_support::RunCli({"assess", (dir / "missing.fh2").string()}).exitCode, 1);
}

}  // namespace
}  // namespace vantrel
