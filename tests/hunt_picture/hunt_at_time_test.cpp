// The hunt at a moment: a replay at time t shows exactly what the log cut at t says (the fold, each fox's
// fix, the rays young enough), edits counting from the time they were made; rays fade by the rule; the
// status line's figures.
#include <gtest/gtest.h>

#include <string>

#include "file_bytes.hpp"
#include "fox_fix/fox_fix.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/log_follower.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_picture/hunt_at_time.hpp"
#include "simulate/hunt_log_output.hpp"
#include "simulate/simulate.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

using hunt_log::TimeMs;
constexpr TimeMs kMinute = 60'000;

struct OpacityRow {
    const char* name;
    TimeMs age;
    TimeMs mostAge;
    double opacity;  // worked out by hand: 0.8 - 0.7 * age / mostAge inside the span
};

class RayOpacityRule : public ::testing::TestWithParam<OpacityRow> {};

TEST_P(RayOpacityRule, FallsLinearlyFromNewToTheMostAgeThenHides) {
    EXPECT_NEAR(RayOpacity(GetParam().age, GetParam().mostAge), GetParam().opacity, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Ages, RayOpacityRule,
                         ::testing::Values(OpacityRow{"New", 0, 10 * kMinute, 0.8},
                                           OpacityRow{"HalfWay", 5 * kMinute, 10 * kMinute, 0.45},
                                           OpacityRow{"ThreeQuarters", 90'000, 2 * kMinute, 0.275},
                                           OpacityRow{"AtTheMostAge", 10 * kMinute, 10 * kMinute, 0.1},
                                           OpacityRow{"OneMillisecondOlder", 10 * kMinute + 1, 10 * kMinute,
                                                      0},
                                           OpacityRow{"DatedAfterTheMoment", -5000, 10 * kMinute, 0.8},
                                           OpacityRow{"NoFading", 50 * kMinute, 0, 0.8}),
                         testing_support::ParamName());

// A car drives a 2.8 x 2.2 km rectangle round fox 1 taking a bearing a second (about 11 minutes).
simulate::Scenario DriveAroundFox() {
    const auto scenario = simulate::ReadScenario(R"({
        "seed": 3, "foxes": [{"fox": 1, "lat": 50.5, "lon": 9.25}],
        "route": {"name": "Car", "speed": 12, "waypoints": [{"lat": 50.49, "lon": 9.23}, {"lat": 50.49, "lon": 9.27},
                  {"lat": 50.51, "lon": 9.27}, {"lat": 50.51, "lon": 9.23}]},
        "bearings": {"sigma": 4, "reflections": 0.1, "reflectors": [{"lat": 50.495, "lon": 9.26}]},
        "receiver": {"format": "agrelo", "rate": 1, "vehicle": true, "fox": 1}})");
    EXPECT_TRUE(scenario) << scenario.message();
    return *scenario;
}

struct CutRow {
    const char* name;
    TimeMs afterStart;
};

class ReplayAtTime : public ::testing::TestWithParam<CutRow> {};

// The fold and fix of the replay against those of a file holding only the lines up to t, read by the
// whole-file reader. An edit (ignore bearing 5) made 200 s into the hunt is appended at the end of the
// file, so it counts from 200 s on although its line comes after every other.
TEST_P(ReplayAtTime, EqualsTheLogCutAtThatTime) {
    const simulate::Scenario scenario = DriveAroundFox();
    const simulate::SimulatedHunt hunt = simulate::Simulate(scenario);
    const hunt_log::Log log = simulate::MakeHuntLog(hunt, scenario);
    const TimeMs start = hunt.start;
    const TimeMs t = start + GetParam().afterStart;
    const hunt_log::EditEvent edit{5, start + 200'000, true, std::nullopt};
    const std::string editLine = hunt_log::EncodeEdit(edit) + "\n";

    const testing_support::TempDir dir;
    testing_support::WriteBytes(dir / "hunt.fhl", simulate::HuntLogText(log) + editLine);
    hunt_log::LogFollower follower(dir / "hunt.fhl");
    ASSERT_TRUE(follower.ReadAppended());
    hunt_log::Log cut = log;
    std::erase_if(cut.events, [t](const hunt_log::Event& e) { return hunt_log::TimeOf(e) > t; });
    testing_support::WriteBytes(dir / "cut.fhl",
                                simulate::HuntLogText(cut) + (edit.time <= t ? editLine : ""));
    const auto expectedLog = hunt_log::ReadLog(dir / "cut.fhl");
    ASSERT_TRUE(expectedLog) << expectedLog.message();

    const hunt_log::HuntState got = ReplayStateAt(follower.log(), {}, t, hunt.zone);
    const hunt_log::HuntState expected = hunt_log::StateAt(expectedLog->log, std::nullopt, hunt.zone);
    ASSERT_EQ(got.Fox(1).size(), expected.Fox(1).size());
    if (GetParam().afterStart >= 60'000) {
        ASSERT_GE(expected.Fox(1).size(), 40u) << "the car takes about a bearing a second";
    }
    for (std::size_t i = 0; i < got.Fox(1).size(); ++i) {
        EXPECT_EQ(got.Fox(1)[i].id, expected.Fox(1)[i].id);
        EXPECT_EQ(got.Fox(1)[i].ignored, expected.Fox(1)[i].ignored);
    }
    EXPECT_EQ(got.track.size(), expected.track.size());
    if (got.Fox(1).size() >= 5) {
        EXPECT_EQ(got.Fox(1)[4].ignored, t >= edit.time) << "the edit counts from the time it was made";
    }
    const locate::Options options;
    const fox_fix::FoxFix gotFix = fox_fix::FixOfFox(got, 1, options);
    const fox_fix::FoxFix expectedFix = fox_fix::FixOfFox(expected, 1, options);
    ASSERT_EQ(gotFix.outcome.has_value(), expectedFix.outcome.has_value());
    EXPECT_EQ(expectedFix.outcome && expectedFix.outcome->fix, GetParam().afterStart >= 60'000);
    if (expectedFix.outcome && expectedFix.outcome->fix) {
        ASSERT_TRUE(gotFix.outcome->fix);
        EXPECT_DOUBLE_EQ(gotFix.outcome->fix->x, expectedFix.outcome->fix->x);
        EXPECT_DOUBLE_EQ(gotFix.outcome->fix->y, expectedFix.outcome->fix->y);
    }

    // The layer: the rays of the last ten minutes only, the fix, and the car at the last track point.
    std::array<fox_fix::FoxFix, hunt_log::kFoxCount> fixes;
    fixes[0] = gotFix;
    const HuntAtTime layer = BuildHuntAtTime(got, fixes, t, 10 * kMinute);
    const auto young = std::count_if(expected.Fox(1).begin(), expected.Fox(1).end(),
                                     [t](const auto& b) { return t - b.time <= 10 * kMinute; });
    EXPECT_EQ(static_cast<std::ptrdiff_t>(layer.rays.size()), young);
    EXPECT_EQ(layer.fixes.size(), gotFix.outcome && gotFix.outcome->fix ? 1u : 0u);
    EXPECT_EQ(layer.car.has_value(), !expected.track.empty());
    EXPECT_EQ(layer.track.size(), expected.track.size());
}

INSTANTIATE_TEST_SUITE_P(Moments, ReplayAtTime,
                         ::testing::Values(CutRow{"BeforeTheStart", -1000}, CutRow{"AfterOneMinute", 60'000},
                                           CutRow{"JustBeforeTheEdit", 199'999}, CutRow{"AtTheEdit", 200'000},
                                           CutRow{"AfterElevenMinutes", 660'000},
                                           CutRow{"LongAfterTheEnd", 3'600'000}),
                         testing_support::ParamName());

TEST(LiveStatus, CountsTheLastMinuteAndGivesTheAgesToTheHuntAndTheWallClock) {
    hunt_log::HuntState state;
    const TimeMs t = 1'796'738'400'000;
    for (const TimeMs age : {70'000, 50'000, 10'000}) {
        hunt_log::FoxBearing b;
        b.time = t - age;
        state.foxes[1].push_back(b);
    }
    state.track.push_back({t - 2'000, 50.5, 9.25});
    EXPECT_EQ(LiveStatusText(state, t, std::nullopt), "2 bearings/min, last bearing 10 s, GPS 2 s");
    EXPECT_EQ(LiveStatusText(state, t, t + 5'000),
              "2 bearings/min, last bearing 10 s (15 s ago), GPS 2 s (7 s ago)");
    EXPECT_EQ(LiveStatusText({}, t, std::nullopt), "0 bearings/min, no bearing, no GPS");
    state.foxes[1].pop_back();
    EXPECT_EQ(LiveStatusText(state, t, std::nullopt), "1 bearing/min, last bearing 50 s, GPS 2 s");
    EXPECT_EQ(AgeText(245'000), "4 min 05 s");
    EXPECT_EQ(AgeText(7'380'000), "2 h 03 min");
}

}  // namespace
}  // namespace vantrel::hunt_picture
