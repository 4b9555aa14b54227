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
