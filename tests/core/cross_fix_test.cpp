#include "core/cross_fix.hpp"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(Calculate, CrossesFortyFiveAndThreeFifteen) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "45";
    s.S2Ang[0] = "315";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.ResLon[0], "0500500,0");
    EXPECT_EQ(s.ResLat[0], "5700500,0");
    EXPECT_NEAR(s.FoxEast[0], 500500, 1e-6);
    EXPECT_NEAR(s.FoxNorth[0], 5700500, 1e-6);
    EXPECT_TRUE(s.ResultsValid);
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

TEST(Calculate, NorthSouthLineAtStationOne) {
    MeasurementState s = TwoStations("500000", "5700000", "499000", "5699000");
    s.S1Ang[0] = "180";
    s.S2Ang[0] = "90";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.FoxEast[0], 500000);
    EXPECT_EQ(s.ResLon[0], "0500000,0");
    EXPECT_EQ(s.ResLat[0], "5699000,0");
}

TEST(Calculate, ThreeSixtyIsANorthSouthLine) {
    // 700 + 20 is reduced once to 360; taken as a sloped line it would lose kilometres of precision.
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "700";
    s.Sced1Ang = "20";
    s.S2Ang[0] = "315";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.FoxEast[0], 500000);
    EXPECT_EQ(s.ResLat[0], "5701000,0");
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

TEST(Calculate, OppositeBearingsOnOneNorthingAreParallel) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "270";
    s.S2Ang[0] = "90";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.ResLat[0], "no Match");
}

TEST(Calculate, DivergingBearingsMeetBehindBothStations) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "300";
    s.S2Ang[0] = "60";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.ResLon[0], "0500500,0");
    EXPECT_EQ(s.ResLat[0], "5699711,3");  // 500 m x tan 30 degrees south of the stations
}

TEST(Calculate, OverflowingBearingGivesNoMatch) {
    MeasurementState s = TwoStations("500000", "5700000", "501000", "5700000");
    s.S1Ang[0] = "1e308";
    s.Sced1Ang = "1e308";
    ASSERT_TRUE(Calculate(s, ','));
    EXPECT_EQ(s.ResLat[0], "no Match");
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
