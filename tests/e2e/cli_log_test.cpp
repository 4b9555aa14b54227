// vantrel-cli log: bearings fed on standard input, edits, the table, and every mistake refused with the
// log left as it was. Positions from GeographicLib: 54.753805917 N 11.830059552 E is 682116.837479 /
// 6071070.199247 in zone 32, 45.396565155 N 14.891230190 E is 961093.718318 / 5043912.735255 there.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel {
namespace {

using testing_support::ReadBytes;
using testing_support::RunCli;

constexpr const char* kNear = "1,54.753805917,11.830059552,45\n";

testing_support::ProcessOptions Input(std::string text) {
    testing_support::ProcessOptions options;
    options.input = std::move(text);
    return options;
}

std::vector<std::vector<std::string>> Rows(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        rows.emplace_back();
        for (std::string field; std::getline(fields, field, '\t');) {
            rows.back().push_back(field);
        }
    }
    return rows;
}

TEST(CliLog, AddEditAndShowAHunt) {
    const testing_support::TempDir dir;
    const std::string log = (dir / "hunt.fhl").string();
    testing_support::ProcessOptions input;
    input.input = std::string("# fox,lat,lon,bearing,sigma\n") + kNear +
                  "\n 2 , 45.396565155 , 14.891230190 , 270.5 , 3 \n";
    const auto added = RunCli({"log", log, "--add", "--zone", "32U", "--station", "Hill top"}, input);
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "1\n2\n");
    ASSERT_EQ(RunCli({"log", log, "--ignore", "2"}).exitCode, 0);
    ASSERT_EQ(RunCli({"log", log, "--note", "1", "first\ttry"}).exitCode, 0);

    const auto shown = RunCli({"log", log});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.err, "");
    const auto rows = Rows(shown.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"id", "time", "fox", "station", "lat", "lon", "zone",
                                                 "easting", "northing", "bearing", "reference", "sigma",
                                                 "source", "readings", "ignored", "note"}));
    ASSERT_EQ(rows[1].size(), 16u);
    EXPECT_EQ(rows[1][0], "1");
    EXPECT_EQ(rows[1][2], "1");
    EXPECT_EQ(rows[1][3], "Hill top");
    EXPECT_EQ(rows[1][6], "32U");
    EXPECT_NEAR(std::stod(rows[1][7]), 682116.837479, 1e-3);
    EXPECT_NEAR(std::stod(rows[1][8]), 6071070.199247, 1e-3);
    EXPECT_EQ((std::vector<std::string>(rows[1].begin() + 9, rows[1].end())),
              (std::vector<std::string>{"45", "true", "-", "typed", "1", "no", "first try"}));
    EXPECT_NEAR(std::stod(rows[2][7]), 961093.718318, 1e-3);
    EXPECT_NEAR(std::stod(rows[2][8]), 5043912.735255, 1e-3);
    EXPECT_EQ(rows[2][11], "3");
    EXPECT_EQ(rows[2][14], "yes");

    // A torn last line is reported and the table still shown; a bad line elsewhere makes it an error.
    { std::ofstream(log, std::ios::app) << R"({"type":"bearing","id":3,)"; }
    const auto torn = RunCli({"log", log});
    EXPECT_EQ(torn.exitCode, 0);
    EXPECT_EQ(torn.err, "vantrel-cli: the last line of \"" + log + "\" is incomplete; it was left out\n");
    EXPECT_EQ(Rows(torn.out).size(), 3u);
    ASSERT_EQ(RunCli({"log", log, "--add"}, Input(kNear)).out, "3\n");
    const auto damaged = RunCli({"log", log});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("line 6 of \"" + log + "\" is not a valid event"), std::string::npos)
        << damaged.err;
    EXPECT_NE(damaged.err.find("5 events of"), std::string::npos) << damaged.err;
    EXPECT_EQ(Rows(damaged.out).size(), 4u);
}

struct Refused {
    const char* name;
    bool existingLog;
    std::vector<std::string> args;  // after "log FILE"
    const char* input;
    int exitCode;
    const char* message;  // a part of stderr
};

class CliLogRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(CliLogRefuses, AndLeavesTheLogAsItWas) {
    const Refused& c = GetParam();
    const testing_support::TempDir dir;
    const auto log = dir / "hunt.fhl";
    if (c.existingLog) {
        ASSERT_EQ(RunCli({"log", log.string(), "--add"}, Input(kNear)).exitCode, 0);
    }
    const std::string before = c.existingLog ? ReadBytes(log) : "";
    std::vector<std::string> args{"log", log.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = RunCli(args, Input(c.input));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(std::filesystem::exists(log), c.existingLog);
    if (c.existingLog) {
        EXPECT_EQ(ReadBytes(log), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, CliLogRefuses,
    ::testing::Values(
        Refused{"Fox9", false, {"--add"}, "9,50,9,45\n", 1, "input line 1: fox \"9\" is not 1..5"},
        Refused{"ThreeFields", true, {"--add"}, "1,50,9,45\n1,50,9\n", 1, "input line 2: it is not FOX,LAT"},
        Refused{"NotANumber", false, {"--add"}, "1,50,nine,45\n", 1, "longitude \"nine\" is not a number"},
        Refused{"Bearing361", false, {"--add"}, "1,50,9,361\n", 1, "bearing 361 is not within 0..360"},
        Refused{"SigmaZero", false, {"--add"}, "1,50,9,45,0\n", 1, "sigma 0 is not above 0"},
        Refused{"Latitude85", false, {"--add"}, "1,85,9,45\n", 1, "latitude 85 is not within -80..84"},
        Refused{"NoInput", false, {"--add"}, "# nothing\n", 1, "no bearings on standard input"},
        Refused{"BadZone", false, {"--add", "--zone", "99X"}, kNear, 2, "--zone is not a UTM zone"},
        Refused{"ZoneWithoutAdd", true, {"--zone", "32U"}, "", 2, "--zone belongs to --add"},
        Refused{"IgnoreText", true, {"--ignore", "two"}, "", 2, "--ignore needs a bearing id"},
        Refused{"IgnoreUnknown", true, {"--ignore", "7"}, "", 1, "there is no bearing 7"},
        Refused{"NoteWithoutText", true, {"--note", "1"}, "", 2, "usage: vantrel-cli log"},
        Refused{"TwoActions", true, {"--add", "--ignore", "1"}, kNear, 2, "cannot be given together"},
        Refused{"UnknownOption", true, {"--all"}, "", 2, "unknown option --all"},
        Refused{"Missing", false, {}, "", 1, "Could not read"},
        Refused{"EditMissing", false, {"--unignore", "1"}, "", 1, "Could not read"}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel
