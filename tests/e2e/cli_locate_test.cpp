// vantrel-cli locate: bearings as text lines in, the fix, its spread and each bearing's weight out; every
// input and option error with its exit code and a message that names the line or the option.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli_test.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::testing_support {
namespace {

// Lenth's example (Technometrics 1981): eight stations, the sixth bearing wild.
constexpr const char* kLenth =
    "# Lenth's eight stations\r\n"
    "9,3.2,234\r\n"
    "9.4, 5.5, 215\n"
    "\n"
    " 9.95 ,9.05,196\n"
    "8.7,8.7,193\n"
    "8.07,9.7,188\n"
    "5.6,9,250\n"
    "4.4,8.9,160\n"
    "1.85,5.25,118\n";

ProcessOptions Input(std::string text) {
    ProcessOptions options;
    options.input = std::move(text);
    return options;
}

std::vector<std::vector<std::string>> Table(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

// Andrews with tuning 1.5 (the default) against the paper's printed table; the wild bearing is rejected.
TEST(CliLocate, PrintsTheFixAndEveryBearing) {
    TempDir dir;
    std::ofstream(dir / "lenth.txt", std::ios::binary) << kLenth;
    const ProcessResult result = RunCli({"locate", (dir / "lenth.txt").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto rows = Table(result.out);
    ASSERT_EQ(rows.size(), 9U);
    ASSERT_EQ(rows[0].size(), 11U);
    EXPECT_EQ(rows[0][0], "fix");
    EXPECT_NEAR(std::stod(rows[0][1]), 7.21, 0.01);
    EXPECT_NEAR(std::stod(rows[0][2]), 1.97, 0.01);
    EXPECT_NEAR(std::stod(rows[0][4]), 0.156, 0.001);
    EXPECT_NEAR(std::stod(rows[0][5]), 0.155, 0.001);
    EXPECT_NEAR(std::stod(rows[0][6]), 0.669, 0.001);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 4U);
        EXPECT_EQ(rows[i][0], "B" + std::to_string(i));
        EXPECT_EQ(rows[i][3], i == 6 ? "rejected" : "-");
    }
    EXPECT_EQ(rows[6][1], "0");
}

TEST(CliLocate, TwoBearingsWithoutSigmaAndNoFix) {
    // Crossing at (0, 0) at right angles, ahead of both: no kappa, so no spread and no ellipse.
    const ProcessResult two = RunCli({"locate", "--method", "mle", "-"}, Input("0,-1000,0\n-1000,0,90\n"));
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(two.out, "fix\t0\t0\t-\t-\t-\t-\t-\t-\t-\t-\nB1\t1\t0\t-\nB2\t1\t0\t-\n");
    const ProcessResult behind = RunCli({"locate"}, Input("0,-1000,180\n-1000,0,90\n"));
    EXPECT_EQ(behind.exitCode, 0);
    EXPECT_EQ(behind.out, "fix\tno Match\tbehind\n");
    const ProcessResult parallel = RunCli({"locate"}, Input("0,0,45\n100,0,225\n"));
    EXPECT_EQ(parallel.out, "fix\tno Match\tparallel\n");
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int exitCode;
    std::string message;  // a part of the one line on stderr
};

class CliLocateErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CliLocateErrors, RefusedWithOneLine) {
    const ErrorCase& c = GetParam();
    std::vector<std::string> args{"locate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult result = RunCli(args, Input(c.input));
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
}

const std::string kTwo = "0,-1000,0\n-1000,0,90\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLocateErrors,
    ::testing::Values(
        ErrorCase{"TwoNumbers", {}, "0,0,10\n5,6\n", 1, "line 2: expected EASTING,NORTHING,BEARING[,SIGMA]"},
        ErrorCase{"FiveNumbers", {}, "0,0,10,1,2\n", 1, "line 1: expected"},
        ErrorCase{"Word", {}, "# header\neast,north,bearing\n", 1, "line 2: expected"},
        ErrorCase{"DecimalComma", {}, "0,0,10\n1,5;2,3\n", 1, "line 2: expected"},
        ErrorCase{"EmptyField", {}, "0,,10\n", 1, "line 1: expected"},
        ErrorCase{"Infinite", {}, "0,0,10\n1e999,0,20\n", 1, "line 2: \"1e999\" is not a finite number"},
        ErrorCase{"NaN", {}, "nan,0,10\n", 1, "line 1: \"nan\" is not a finite number"},
        ErrorCase{"BearingAbove360", {}, "0,0,10\n1,1,360.5\n", 1, "line 2: the bearing 360.5 lies outside"},
        ErrorCase{"NegativeBearing", {}, "0,0,-1\n", 1, "line 1: the bearing -1 lies outside"},
        ErrorCase{"ZeroSigma", {}, "0,0,10,0\n", 1, "line 1: the sigma 0 lies outside (0, 90]"},
        ErrorCase{"SigmaAbove90", {}, "0,0,10,90.01\n", 1, "line 1: the sigma 90.01 lies outside"},
        ErrorCase{"OneBearing", {}, "# one\n0,0,10\n", 1, "holds 1 bearing; at least two are needed"},
        ErrorCase{"Nothing", {}, "", 1, "holds 0 bearings"},
        ErrorCase{"MixedSigmas", {}, "0,0,10,2\n5,5,80\n", 1, "line 2: no sigma, while line 1 has one"},
        ErrorCase{"MissingFile", {"no-such-file.txt"}, "", 1, "no-such-file.txt"},
        ErrorCase{"Method", {"--method", "median"}, kTwo, 2, "--method must be mle, huber or andrews"},
        ErrorCase{"TuningZero", {"--tuning", "0"}, kTwo, 2, "--tuning must be a number above 0"},
        ErrorCase{"TuningWord", {"--tuning", "wide"}, kTwo, 2, "--tuning"},
        ErrorCase{"SigmaNegativeZero", {"--sigma", "-0"}, kTwo, 2, "--sigma must be a number of degrees"},
        ErrorCase{"SigmaHuge", {"--sigma", "1e300"}, kTwo, 2, "--sigma"},
        ErrorCase{"ConfidenceOne", {"--confidence", "1"}, kTwo, 2, "--confidence must be a number between"},
        ErrorCase{"ConfidencePercent", {"--confidence", "95"}, kTwo, 2, "--confidence"},
        ErrorCase{"UnknownOption", {"--zone", "32U"}, kTwo, 2, "unknown option --zone"},
        ErrorCase{"TwoFiles", {"a.txt", "b.txt"}, kTwo, 2, "usage: vantrel-cli locate"}),
    ParamName());

}  // namespace
}  // namespace vantrel::testing_support
