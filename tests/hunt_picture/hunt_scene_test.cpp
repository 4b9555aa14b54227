// What the hunt picture shows, taken from the state: stations, rays, fixes, the boxes left out; and the
// cursor position's texts.
#include "hunt_picture/hunt_scene.hpp"

#include <gtest/gtest.h>

#include "core/cross_fix.hpp"
#include "hunt_picture/position_text.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

// Stations 2 km apart on northing 5600000, base angles 10 and -10. Absolute bearings: F1 45 / 315 meet at
// E 501000 N 5601000; F2 315 / 225 meet behind station 1; F3..F5 30 / 30 run parallel.
core::MeasurementState Hunt() {
    core::MeasurementState s;
    s.Sced1Lon = "500000";
    s.Sced1Lat = "5600000";
    s.Sced1Ang = "10";
    s.Sced2Lon = "502000";
    s.Sced2Lat = "5600000";
    s.Sced2Ang = "-10";
    s.S1Ang = {"35", "305", "20", "20", "20"};   // absolute 45, 315, 30, 30, 30
    s.S2Ang = {"325", "235", "40", "40", "40"};  // absolute 315, 225, 30, 30, 30
    s.S1Sig = {"-60", "-40", "-10", "-10", "-10"};
    return s;
}

TEST(BuildScene, StationsRaysAndFixesOfTheLastCalculate) {
    core::MeasurementState state = Hunt();
    instruments::RxReadings readings;
    readings(1, 2, 0) = {100, -20, 1};
    readings(1, 2, 1) = {110, -20, 0};  // not valid: not drawn
    HuntScene before = BuildScene(state, readings, {}, '.');
    ASSERT_EQ(before.stations.size(), 2U);
    EXPECT_TRUE(before.fixes.empty());  // nothing calculated yet
    EXPECT_EQ(before.stations[0].rays[0].bearing, 45);
    EXPECT_EQ(before.stations[0].rays[0].width, 4);  // -60 dB
    EXPECT_EQ(before.stations[0].rays[1].width, 3);  // -40 dB
    EXPECT_EQ(before.stations[1].rays[0].bearing, 315);
    ASSERT_EQ(before.stations[1].readings.size(), 1U);
    EXPECT_EQ(before.stations[1].readings[0].bearing, 90);  // 100 - 10
    EXPECT_EQ(before.stations[1].readings[0].fox, 2);

    ASSERT_TRUE(core::Calculate(state, '.'));
    const HuntScene after = BuildScene(state, readings, {}, '.');
    // F1 and F2 cross; F3..F5 run parallel ("no Match") and are not drawn.
    ASSERT_EQ(after.fixes.size(), 2U);
    EXPECT_NEAR(after.fixes[0].position.x, 501000, 1e-6);
    EXPECT_NEAR(after.fixes[0].position.y, 5601000, 1e-6);
    EXPECT_FALSE(after.fixes[0].behindStation);
    EXPECT_FALSE(after.fixes[0].ellipse.empty());
    EXPECT_EQ(after.fixes[0].ellipse.front(), after.fixes[0].ellipse.back());  // closed
    EXPECT_EQ(after.fixes[0].quality.rfind("F1: E 501000.0, N 5601000.0\n", 0), 0U) << after.fixes[0].quality;
    // F2: 315 from station 1 (north-west), 225 from station 2 (south-west): they meet at E 501000 N 5599000,
    // south-east of station 1, opposite to where it looked.
    EXPECT_EQ(after.fixes[1].fox, 1);
    EXPECT_NEAR(after.fixes[1].position.y, 5599000, 1e-6);
    EXPECT_TRUE(after.fixes[1].behindStation);
}

TEST(BuildScene, ABoxThatIsNoNumberLeavesItsItemOutAndIsNamed) {
    core::MeasurementState state = Hunt();
    state.Sced2Lat = "56o0000";  // station 2 has no position: no station, no rays
    state.S1Ang[3] = "x";        // one ray of station 1 left out
    state.S1Sig[4] = "x";        // and another, whose width is unknown
    const HuntScene scene = BuildScene(state, {}, {}, '.');
    ASSERT_EQ(scene.stations.size(), 1U);
    EXPECT_EQ(scene.stations[0].rays.size(), 3U);
    ASSERT_EQ(scene.problems.size(), 3U);
    EXPECT_EQ(scene.problems[0], "Scedule 1, F4 bearing is not a number: \"x\"");
    EXPECT_EQ(scene.problems[1], "Scedule 1, F5 signal is not a number: \"x\"");
    EXPECT_EQ(scene.problems[2], "Scedule 2, northing (N) is not a number: \"56o0000\"");
}

TEST(BuildScene, TheStartUpBoxesDrawNothing) {
    const HuntScene scene = BuildScene(core::MeasurementState{}, {}, {}, '.');
    EXPECT_TRUE(scene.Empty());
    EXPECT_TRUE(scene.problems.empty());
    core::MeasurementState blank;
    blank.Sced1Lat = blank.Sced1Lon = "";
    EXPECT_TRUE(BuildScene(blank, {}, {}, '.').stations.empty());
    EXPECT_TRUE(BuildScene(blank, {}, {}, '.').problems.empty());
}

// Which of station 1's F3 rays is drawn: only a fox the station took, or one Calculate made a fix of.
struct RayCase {
    const char* name;
    const char* bearing;
    const char* signal;
    bool reading;  // a valid reading of F3 at station 1
    bool drawn;
};

class UnusedFox : public testing::TestWithParam<RayCase> {};

TEST_P(UnusedFox, HasNoRay) {
    core::MeasurementState state = Hunt();
    state.S1Ang[2] = GetParam().bearing;
    state.S1Sig[2] = GetParam().signal;
    instruments::RxReadings readings;
    if (GetParam().reading) {
        readings(0, 2, 4) = {0, -30, 1};
    }
    const HuntScene scene = BuildScene(state, readings, {}, '.');
    ASSERT_EQ(scene.stations.size(), 2U);
    bool drawn = false;
    for (const SceneRay& ray : scene.stations[0].rays) {
        drawn = drawn || ray.fox == 2;
    }
    EXPECT_EQ(drawn, GetParam().drawn);
    EXPECT_TRUE(scene.problems.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, UnusedFox,
                         testing::Values(RayCase{"EmptyBox", "", "0", false, false},
                                         RayCase{"BlankBox", "  ", "-20", false, false},
                                         RayCase{"ZeroAndZero", "0", "0", false, false},
                                         RayCase{"ZeroWithAReading", "0", "0", true, true},
                                         RayCase{"ZeroWithASignal", "0", "-20", false, true},
                                         RayCase{"ABearing", "20", "0", false, true}),
                         testing_support::ParamName{});

TEST(BuildScene, AnUnusedLookingFoxWithAFixKeepsItsRay) {
    // F3: 0 / 0 at station 1, 330 at station 2 (base -10: absolute 320): they cross at E 500000
    // N 5602383.5, so Calculate made a fix of it.
    core::MeasurementState state = Hunt();
    state.S1Ang[2] = "350";  // absolute 0 with the base angle 10
    state.S1Sig[2] = "0";
    state.S2Ang[2] = "330";
    ASSERT_TRUE(core::Calculate(state, '.'));
    state.S1Ang[2] = "0";
    const HuntScene scene = BuildScene(state, {}, {}, '.');
    bool drawn = false;
    for (const SceneRay& ray : scene.stations[0].rays) {
        drawn = drawn || ray.fox == 2;
    }
    EXPECT_TRUE(drawn);
}

struct StyleCase {
    const char* name;
    quality::FixQuality flags;
    FixStyle style;
    const char* words;
};

quality::FixQuality Flags(bool behind1, bool acute, bool approximate, bool unreliable, bool scattered2) {
    quality::FixQuality q;
    q.behind1 = behind1;
    q.acute = acute;
    q.approximate = approximate;
    q.unreliable = unreliable;
    q.scattered2 = scattered2;
    return q;
}

class FixStyles : public testing::TestWithParam<StyleCase> {};

TEST_P(FixStyles, FollowTheWorstFlag) {
    EXPECT_EQ(StyleOf(GetParam().flags), GetParam().style);
    EXPECT_EQ(FlagWords(GetParam().flags), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Table, FixStyles,
                         testing::Values(StyleCase{"NoFlag", Flags(false, false, false, false, false),
                                                   FixStyle::Good, ""},
                                         StyleCase{"Acute", Flags(false, true, false, false, false),
                                                   FixStyle::Approximate, "acute"},
                                         StyleCase{"Approximate", Flags(false, false, true, false, false),
                                                   FixStyle::Approximate, "approximate"},
                                         StyleCase{"Scattered", Flags(false, false, false, false, true),
                                                   FixStyle::Approximate, "scattered P2"},
                                         StyleCase{"Unreliable", Flags(false, true, false, true, false),
                                                   FixStyle::Unreliable, "acute, unreliable"},
                                         StyleCase{"Behind", Flags(true, false, true, false, false),
                                                   FixStyle::Unreliable, "behind P1, approximate"}),
                         testing_support::ParamName{});

TEST(PositionText, DegreesMinutesSecondsCarryAndHemispheres) {
    EXPECT_EQ(DmsText(7.5, 'N', 'S', '.'), "7\u00B030'00.0\"N");
    EXPECT_EQ(DmsText(-34.833, 'E', 'W', ','), "34\u00B049'58,8\"W");
    // 59.99 seconds round to a whole minute instead of showing 60.0".
    EXPECT_EQ(DmsText(8 + 59.0 / 60 + 59.99 / 3600, 'N', 'S', '.'), "9\u00B000'00.0\"N");
    // Easting 500000 on the equator of zone 31N is 0 N 3 E.
    EXPECT_EQ(PositionText({31, 'N'}, {500000, 0}, '.'),
              "31N E 500000 N 0  |  0.00000, 3.00000  |  0\u00B000'00.0\"N 3\u00B000'00.0\"E");
}

}  // namespace
}  // namespace vantrel::hunt_picture
