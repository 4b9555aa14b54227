// vantrel-cli to-utm / to-geo, and the conventions every command shares.
#include <gtest/gtest.h>

#include "e2e/cli_test.hpp"

namespace vantrel {
namespace {

using testing_support::RunCli;

TEST(CliGeo, ToUtmPrintsZoneEastingNorthing) {
    const auto r = RunCli({"--decimal-separator=,", "to-utm", "50", "9"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Easting exactly 500000 on the central meridian; the northing is the shortest round-trip text.
    EXPECT_EQ(r.out.substr(0, 11), "32U\t500000\t");
    EXPECT_EQ(r.out.back(), '\n');
    EXPECT_EQ(r.err, "");
}

TEST(CliGeo, ArgumentsUseTheChosenSeparatorAndNegativesArePositional) {
    const auto comma = RunCli({"--decimal-separator=,", "to-utm", "-33,9", "18,4"});
    const auto point = RunCli({"--decimal-separator=.", "to-utm", "-33.9", "18.4"});
    EXPECT_EQ(comma.exitCode, 0) << comma.err;
    EXPECT_EQ(comma.out, point.out);
    EXPECT_EQ(comma.out.substr(0, 4), "34H\t");
}

TEST(CliGeo, ToGeoPrintsDegreesOverlayAndDatabaseTexts) {
    const auto r = RunCli({"--decimal-separator=.", "to-geo", "0", "500000"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\t9\n.\t9.\n000000.000\t0090000.000\n");
}

TEST(CliGeo, ToGeoOutputDoesNotDependOnTheSeparator) {
    const auto comma = RunCli({"--decimal-separator=,", "to-geo", "5700500", "500500"});
    const auto point = RunCli({"--decimal-separator=.", "to-geo", "5700500", "500500"});
    EXPECT_EQ(comma.exitCode, 0);
    EXPECT_EQ(comma.out, point.out);
    EXPECT_EQ(comma.out.find(','), std::string::npos);
}

// Numbers that are no place: refused with one line and exit 1 instead of a position past a pole, Inf or NaN.
TEST(CliGeo, NumbersThatAreNoPlaceAreRefused) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"to-utm", "91", "0"}, "vantrel-cli: LAT must lie between -90 and 90 degrees: 91\n"},
        {{"to-utm", "-90.000001", "0"}, "vantrel-cli: LAT must lie between -90 and 90 degrees: -90.000001\n"},
        {{"to-utm", "1e308", "0"}, "vantrel-cli: LAT must lie between -90 and 90 degrees: 1e308\n"},
        {{"to-geo", "1e308", "1e308"},
         "vantrel-cli: NORTHING 1e308, EASTING 1e308 is too far from zone 32 to convert to degrees\n"},
        {{"to-geo", "1e7", "1e7"},
         "vantrel-cli: NORTHING 1e7, EASTING 1e7 is too far from zone 32 to convert to degrees\n"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    // The poles themselves and any longitude, reduced to one turn, still convert.
    EXPECT_EQ(RunCli({"to-utm", "90", "0"}).exitCode, 0);
    EXPECT_EQ(RunCli({"--decimal-separator=.", "to-utm", "0", "1e308"}).out.substr(0, 4), "1N\t1");
}

TEST(CliGeo, UsageErrorsExitTwoWithOneLine) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"to-utm", "50"},
                                               {"to-utm", "abc", "9"},
                                               {"--decimal-separator=;", "to-utm", "50", "9"},
                                               {"no-such-command"},
                                               {}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(CliGeo, HelpAndVersion) {
    const auto help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("to-utm LAT LON"), std::string::npos);
    const auto version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find("2.2.0"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
