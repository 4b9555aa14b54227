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

// A bearing log made by hand. Fox 1: three grid bearings through (500000, 5501000) from the south, the west
// and the north-east, and a fourth (wild, pointing east past it) that an edit ignores. Fox 2: station P at
// 54.753805917 N 11.830059552 E (682116.837479 / 6071070.199247 in zone 32, GeographicLib) takes a true
// bearing of 2.3115 degrees: the meridian convergence there, 2.83006 deg x sin(54.7538 deg) x
// (1 + (0.028506)^2 / 3) = 2.3115 deg, makes it grid north; station Q 1000 m west of P's meridian line and
// 1000 m north takes grid 90. So fox 2 lies 1000 m due (grid) north of P.
constexpr const char* kHandLog =
    R"({"type":"header","version":1,"zone":"32U","created":"2026-12-08T14:00:00.000Z"}
{"type":"bearing","id":1,"time":"2026-12-08T14:01:00.000Z","fox":1,"station":"A","zone":"32U","easting":500000,"northing":5500000,"bearing":0,"reference":"grid"}
{"type":"bearing","id":2,"time":"2026-12-08T14:02:00.000Z","fox":1,"station":"B","zone":"32U","easting":499000,"northing":5501000,"bearing":90,"reference":"grid"}
{"type":"bearing","id":3,"time":"2026-12-08T14:03:00.000Z","fox":2,"station":"P","lat":54.753805917,"lon":11.830059552,"zone":"32U","easting":682116.837479,"northing":6071070.199247,"bearing":2.3115,"reference":"true"}
{"type":"bearing","id":4,"time":"2026-12-08T14:04:00.000Z","fox":1,"station":"C","zone":"32U","easting":501000,"northing":5502000,"bearing":225,"reference":"grid"}
{"type":"bearing","id":5,"time":"2026-12-08T14:05:00.000Z","fox":1,"station":"W","zone":"32U","easting":499000,"northing":5500500,"bearing":60,"reference":"grid"}
{"type":"bearing","id":6,"time":"2026-12-08T14:06:00.000Z","fox":2,"station":"Q","zone":"32U","easting":681116.837479,"northing":6072070.199247,"bearing":90,"reference":"grid"}
{"type":"edit","time":"2026-12-08T14:07:00.000Z","id":5,"ignore":true}
)";

struct LogCase {
    const char* name;
    std::vector<std::string> args;  // after "locate --log LOG"
    int exitCode;
    // Expected output: "F<i>" lines, fix lines as {"fix", E, N} (compared to 0.5 m), B lines as
    // {"B<i>", weight, residual} (residual to 0.05 deg); or a part of the one stderr line.
    std::vector<std::vector<std::string>> rows;
    std::string error;
};

class CliLocateLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(CliLocateLog, EachFoxOfTheLog) {
    const LogCase& c = GetParam();
    TempDir dir;
    std::ofstream(dir / "hunt.fhl", std::ios::binary) << kHandLog;
    std::vector<std::string> args{"locate", "--log", (dir / "hunt.fhl").string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProcessOptions options;
    options.environment["XDG_CONFIG_HOME"] = dir.path().string();  // no [Locate] settings of this user
    const ProcessResult result = RunCli(args, options);
    ASSERT_EQ(result.exitCode, c.exitCode) << result.err;
    if (!c.error.empty()) {
        EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        return;
    }
    EXPECT_EQ(result.err, "");
    const auto rows = Table(result.out);
    ASSERT_EQ(rows.size(), c.rows.size()) << result.out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& want = c.rows[i];
        ASSERT_EQ(rows[i][0], want[0]) << result.out;
        if (want[0] == "fix") {
            ASSERT_EQ(rows[i].size(), 11U);
            EXPECT_NEAR(std::stod(rows[i][1]), std::stod(want[1]), 0.5) << result.out;
            EXPECT_NEAR(std::stod(rows[i][2]), std::stod(want[2]), 0.5) << result.out;
        } else if (want[0][0] == 'B') {
            EXPECT_EQ(rows[i][1], want[1]);
            EXPECT_NEAR(std::stod(rows[i][2]), std::stod(want[2]), 0.05) << result.out;
        }
    }
}

const std::vector<std::vector<std::string>> kFox1{
    {"F1"}, {"fix", "500000", "5501000"}, {"B1", "1", "0"}, {"B2", "1", "0"}, {"B3", "1", "0"}};
const std::vector<std::vector<std::string>> kFox2{
    {"F2"}, {"fix", "682116.837479", "6072070.199247"}, {"B1", "1", "0"}, {"B2", "1", "0"}};

std::vector<std::vector<std::string>> Both() {
    auto rows = kFox1;
    rows.insert(rows.end(), kFox2.begin(), kFox2.end());
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLocateLog,
    ::testing::Values(LogCase{"EveryFoxIgnoredLeftOut", {}, 0, Both(), ""},
                      LogCase{"OneFoxTrueBearingTurnedToGrid", {"--fox", "2"}, 0, kFox2, ""},
                      LogCase{"MaximumLikelihood", {"--method", "mle", "--fox", "1"}, 0, kFox1, ""},
                      LogCase{"FoxWithoutBearings", {"--fox", "3"}, 1, {}, "fox 3 has 0 bearings"},
                      LogCase{"FoxOutOfRange", {"--fox", "6"}, 2, {}, "--fox must be a fox number 1..5"},
                      LogCase{"LogAndFile", {"bearings.txt"}, 2, {}, "usage: vantrel-cli locate"}),
    ParamName());

TEST(CliLocate, FoxWithoutLogAndMissingLog) {
    const ProcessResult fox = RunCli({"locate", "--fox", "1"}, Input(kTwo));
    EXPECT_EQ(fox.exitCode, 2);
    EXPECT_NE(fox.err.find("--fox belongs to --log"), std::string::npos) << fox.err;
    const ProcessResult missing = RunCli({"locate", "--log", "no-such-hunt.fhl"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no-such-hunt.fhl"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace vantrel::testing_support
