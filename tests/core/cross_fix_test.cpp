#include "core/cross_fix.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <ostream>

#include "test_names.hpp"

namespace vantrel::core {
namespace {

MeasurementState TwoStations(const char* east1, const char* north1, const char* east2, const char* north2) {
    MeasurementState s;
    s.Sced1Lon = east1;
    s.Sced1Lat = north1;
    s.Sced2Lon = east2;
    s.Sced2Lat = north2;
    return s;
}

// Two stations, one fox's bearings, and what Calculate writes into that fox's result boxes.
struct FixCase {
    const char* name;
    friend void PrintTo(const FixCase& c, std::ostream* os) { *os << c.name; }
    std::array<const char*, 4> stations;  // east 1, north 1, east 2, north 2
    const char* bearing1;
    const char* baseAngle1;
    const char* bearing2;
    const char* resLon;
    const char* resLat;
    std::optional<double> foxEast;  // checked exactly where the line is north-south
};

constexpr std::array<const char*, 4> kOneKmApart{"500000", "5700000", "501000", "5700000"};

class CalculateFix : public testing::TestWithParam<FixCase> {};

TEST_P(CalculateFix, WritesTheResultBoxes) {
    const FixCase& c = GetParam();
    MeasurementState s = TwoStations(c.stations[0], c.stations[1], c.stations[2], c.stations[3]);
    s.S1Ang[0] = c.bearing1;
    s.Sced1Ang = c.baseAngle1;
    s.S2Ang[0] = c.bearing2;
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.ResLon[0], c.resLon);
    EXPECT_EQ(s.ResLat[0], c.resLat);
    if (c.foxEast) {
        EXPECT_EQ(s.FoxEast[0], *c.foxEast);
    }
    EXPECT_TRUE(s.ResultsValid);
}

INSTANTIATE_TEST_SUITE_P(
    Bearings, CalculateFix,
    testing::Values(
        FixCase{
            "CrossesFortyFiveAndThreeFifteen", kOneKmApart, "45", "0", "315", "0500500,0", "5700500,0", {}},
        FixCase{"NorthSouthLineAtStationOne",
                {"500000", "5700000", "499000", "5699000"},
                "180",
                "0",
                "90",
                "0500000,0",
                "5699000,0",
                500000.0},
        // 700 + 20 is reduced once to 360; taken as a sloped line it would lose kilometres of precision.
        FixCase{"ThreeSixtyIsANorthSouthLine", kOneKmApart, "700", "20", "315", "0500000,0", "5701000,0",
                500000.0},
        FixCase{"OppositeBearingsOnOneNorthingAreParallel",
                kOneKmApart,
                "270",
                "0",
                "90",
                "no Match",
                "no Match",
                {}},
        // 500 m x tan 30 degrees south of the stations.
        FixCase{"DivergingBearingsMeetBehindBothStations",
                kOneKmApart,
                "300",
                "0",
                "60",
                "0500500,0",
                "5699711,3",
                {}},
        FixCase{"OverflowingBearingGivesNoMatch",
                kOneKmApart,
                "1e308",
                "1e308",
                "0",
                "no Match",
                "no Match",
                {}}),
    testing_support::ParamName{});

TEST(Calculate, FixIsStoredAsNumbers) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "45";
    s.S2Ang[0] = "315";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_NEAR(s.FoxEast[0], 500500, 1e-6);
    EXPECT_NEAR(s.FoxNorth[0], 5700500, 1e-6);
}

TEST(Calculate, WritesWithTheGivenSeparator) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "45";
    s.S2Ang[0] = "315";
    ASSERT_TRUE(Calculate(s, '.'));
    EXPECT_EQ(s.ResLon[0], "0500500.0");
}

TEST(Calculate, StartTextsGiveNoMatchEverywhereButStillValidResults) {
    MeasurementState s;
    ASSERT_TRUE(Calculate(s, ','));
    for (int fox = 0; fox < kFoxCount; ++fox) {
        EXPECT_EQ(s.ResLat[static_cast<std::size_t>(fox)], "no Match");
        EXPECT_EQ(s.ResLon[static_cast<std::size_t>(fox)], "no Match");
        EXPECT_EQ(s.FoxNorth[static_cast<std::size_t>(fox)], 0);
    }
    EXPECT_TRUE(s.ResultsValid);
}

TEST(Calculate, ParallelBearingsGiveNoMatchAndKeepTheOldFix) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[1] = "45";
    s.S2Ang[1] = "315";
    ASSERT_TRUE(Calculate(s, ','));
    const double oldEast = s.FoxEast[1];
    const double oldNorth = s.FoxNorth[1];
    for (const char* second : {"30", "210", "30,0000000001"}) {
        s.S1Ang[1] = "30";
        s.S2Ang[1] = second;
        ASSERT_TRUE(Calculate(s, ','));
        EXPECT_EQ(s.ResLat[1], "no Match") << second;
        EXPECT_EQ(s.ResLon[1], "no Match") << second;
        EXPECT_EQ(s.FoxEast[1], oldEast);
        EXPECT_EQ(s.FoxNorth[1], oldNorth);
    }
}

TEST(Calculate, RefreshesStoredStationPositions) {
    MeasurementState s = TwoStations("1,5", "2,5", "3,5", "4,5");
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.ScedEast[0], 1.5);
    EXPECT_EQ(s.ScedNorth[0], 2.5);
    EXPECT_EQ(s.ScedEast[1], 3.5);
    EXPECT_EQ(s.ScedNorth[1], 4.5);
}

TEST(Calculate, BadBoxStopsBeforeAnythingChanges) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[2] = "abc";
    const Outcome outcome = Calculate(s, ',');
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.message(), "Scedule 1, F3 bearing is not a number: \"abc\"");
    EXPECT_FALSE(s.ResultsValid);
    EXPECT_EQ(s.ResLat[0], "");
    EXPECT_EQ(s.ScedEast[0], 0);
}

TEST(Calculate, ReportsBoxesInTheOrderTheyAreRead) {
    MeasurementState s;
    s.S2Ang[0] = "x";
    s.Sced1Ang = "";
    EXPECT_EQ(Calculate(s, ',').message(), "Scedule 1, base angle is not a number: \"\"");

    MeasurementState t;
    t.S1Ang[1] = "y";
    t.Sced2Lon = "z";
    EXPECT_EQ(Calculate(t, ',').message(), "Scedule 2, easting (E) is not a number: \"z\"");
}

TEST(Calculate, KeepsEarlierResultsWhenABoxIsBad) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "45";
    s.S2Ang[0] = "315";
    ASSERT_TRUE(Calculate(s, ','));
    s.S2Sig[0] = "not read by Calculate";
    s.S1Ang[0] = "40";
    s.S2Ang[4] = "?";
    ASSERT_FALSE(Calculate(s, ','));
    EXPECT_EQ(s.ResLon[0], "0500500,0");
}

TEST(AbsoluteBearing, ReducesOnceByThreeSixty) {
    EXPECT_EQ(AbsoluteBearing(350, 20), 10);
    EXPECT_EQ(AbsoluteBearing(700, 20), 360);
    EXPECT_EQ(AbsoluteBearing(-10, 0), -10);
    EXPECT_EQ(AbsoluteBearing(340, 20), 0);
}

TEST(IsNorthSouth, MultiplesOfOneEightyWithinTolerance) {
    for (const double a : {0.0, 180.0, 360.0, -180.0, 540.0, 1e-10, 180 - 1e-10, -360 + 5e-10}) {
        EXPECT_TRUE(IsNorthSouth(a)) << a;
    }
    for (const double a : {90.0, 1e-8, 179.9999999, 270.0, -90.0}) {
        EXPECT_FALSE(IsNorthSouth(a)) << a;
    }
}

TEST(CrossFix, OneVerticalLineUsesTheOthersSlope) {
    const auto fix = CrossFix(0, 45, {1000, 2000}, {0, 0});
    ASSERT_TRUE(fix);
    EXPECT_EQ(fix->x, 1000);
    EXPECT_NEAR(fix->y, 1000, 1e-9);
}

TEST(CrossFix, BothVerticalGiveNoFix) {
    EXPECT_FALSE(CrossFix(0, 180, {0, 0}, {10, 0}));
}

}  // namespace
}  // namespace vantrel::core
