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

using persistence::ScedRecord;

// F1 45 / 315 with three readings around station 1's box; F2 190 / 225 (crossing 35), station 1's readings
// all round (their table average is the box's 190); F3 100 / 260, typed; F4 and F5 both 0: no Match.
std::string AssessedHunt() {
    ScedRecord s1;
    s1.North = 5700000;
    s1.East = 500000;
    s1.Ang = {45, 190, 100, 0, 0};
    ScedRecord s2 = s1;
    s2.East = 501000;
    s2.Ang = {315, 225, 260, 0, 0};
    instruments::RxReadings readings;
    const double f1[] = {44, 45, 46};
    const double f2[] = {325, 55, 145, 235};
    for (int row = 0; row < 3; ++row) {
        readings(0, 0, row) = {f1[row], -20, 1};
    }
    for (int row = 0; row < 4; ++row) {
        readings(0, 1, row) = {f2[row], -20, 1};
    }
    return persistence::EncodeDataFile(s1, s2, readings);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

class CliAssess : public testing::Test {
  protected:
    void SetUp() override { testing_support::WriteBytes(dir_ / "hunt.fh2", AssessedHunt()); }

    testing_support::ProcessResult Run(std::vector<std::string> args) {
        args.insert(args.begin() + 1, (dir_ / "hunt.fh2").string());
        return testing_support::RunCli(args);
    }

    std::vector<std::vector<std::string>> Lines(const testing_support::ProcessResult& r) {
        std::vector<std::vector<std::string>> lines;
        std::istringstream stream(r.out);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(Fields(line));
        }
        return lines;
    }

    testing_support::TempDir dir_;
};

// Expected numbers of one line; NAN where the field is "-".
void ExpectLine(const std::vector<std::string>& fields, const std::vector<double>& numbers,
                const char* flags) {
    ASSERT_EQ(fields.size(), 12u);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (std::isnan(numbers[i])) {
            EXPECT_EQ(fields[i + 1], "-") << fields[0] << " field " << i + 1;
        } else {
            EXPECT_NEAR(std::stod(fields[i + 1]), numbers[i], 1e-3) << fields[0] << " field " << i + 1;
        }
    }
    EXPECT_EQ(fields[11], flags);
}

TEST_F(CliAssess, OneLinePerFox) {
    const auto r = Run({"assess", "--decimal-separator=,"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0][0], "F1");
    // sigma1 = sqrt(3^2 + 1.0000381^2 / 3): station 2's 5 degrees at 707 m make the major axis along F1's
    // line from station 1.
    ExpectLine(lines[0], {5700500, 500500, 90, 707.107, 707.107, 3.055055, 5, 151.042, 92.289, 45}, "-");
    ExpectLine(lines[1], {5698785.926, 499785.926, 35, 1232.803, 1716.960, NAN, 5, NAN, NAN, NAN},
               "scattered1");
    ExpectLine(lines[2], {5699911.837, 500500, 160, 507.713, 507.713, 5, 5, 441.618, 77.869, 90},
               "acute,approximate");
    EXPECT_EQ(lines[3], (std::vector<std::string>{"F4", "no Match"}));
    EXPECT_EQ(lines[4], (std::vector<std::string>{"F5", "no Match"}));
    for (const auto& line : lines) {  // '.' whatever the separator; only the flags hold commas
        for (std::size_t i = 1; i < std::min<std::size_t>(line.size(), 11); ++i) {
            EXPECT_EQ(line[i].find(','), std::string::npos) << line[i];
        }
    }
}

TEST_F(CliAssess, OptionsReplaceTheDefaults) {
    // Floor 0 leaves station 1's own spread 1.0000381 / sqrt(3); at 50 % the circle of F3's 0.869819 ratio
    // shrinks by sqrt(1.386294 / 5.991465).
    const auto r = Run({"assess", "--sigma-floor", "0", "--sigma=2.5", "--confidence", "0,5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NEAR(std::stod(lines[0][6]), 1.0000381 / std::sqrt(3.0), 1e-6);
    EXPECT_NEAR(std::stod(lines[2][8]), 441.618 / 2 * std::sqrt(1.386294 / 5.991465), 1e-3);
}

TEST_F(CliAssess, BadOptionValuesAreUsageErrorsNamingTheOption) {
    const struct {
        std::vector<std::string> args;
        const char* option;
    } cases[] = {
        {{"assess", "--confidence", "1"}, "--confidence"},
        {{"assess", "--confidence=0"}, "--confidence"},
        {{"assess", "--sigma", "-1"}, "--sigma "},
        {{"assess", "--sigma-floor", "x"}, "--sigma-floor"},
        {{"assess", "--sigma", "1e999"}, "--sigma "},
    };
    for (const auto& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.option;
        EXPECT_NE(r.err.find(c.option), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(testing_support::RunCli({"assess", (dir_ / "missing.fh2").string()}).exitCode, 1);
    EXPECT_EQ(testing_support::RunCli({"assess"}).exitCode, 2);
}

}  // namespace
}  // namespace vantrel
