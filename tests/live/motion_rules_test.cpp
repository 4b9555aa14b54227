// The rules of motion: where the car was (freshness, interpolation, the track's events), where it pointed
// (compass, or a steady course), and the spread of an interval's readings over seeded draws.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <ostream>
#include <random>
#include <vector>

#include "live/heading.hpp"
#include "live/interval_bearing.hpp"
#include "live/track.hpp"
#include "test_names.hpp"

namespace vantrel::live {
namespace {

constexpr TimeMs kGpsEpoch = 1'765'195'200'000;  // 2025-12-08T12:00:00Z: GPS time of arrival 0
constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180;

instruments::GpsSample Fix(TimeMs arrivalMs, double northM, double speed, double course) {
    return {kGpsEpoch + arrivalMs, 50 + northM / kMetresPerDegree, 9, course, speed};
}

struct SteadyFix {
    double second;
    double speed;
    double course;
};

struct HeadingCase {
    const char* name;
    friend void PrintTo(const HeadingCase& c, std::ostream* os) { *os << c.name; }
    std::vector<SteadyFix> fixes;                      // arriving at their GPS time
    std::optional<std::pair<double, double>> compass;  // heading, arrival second
    double askedAt;                                    // second
    std::optional<double> heading;
    HeadingFrom from = HeadingFrom::None;
};

class HeadingRuleTest : public testing::TestWithParam<HeadingCase> {};

TEST_P(HeadingRuleTest, PicksCompassThenSteadyCourse) {
    const HeadingCase& c = GetParam();
    HeadingTracker tracker;
    for (const SteadyFix& f : c.fixes) {
        const auto at = static_cast<TimeMs>(f.second * 1000);
        tracker.AddFix(Fix(at, 0, f.speed, f.course), at);
    }
    if (c.compass) {
        tracker.AddCompass(c.compass->first, static_cast<TimeMs>(c.compass->second * 1000));
    }
    const HeadingNow now = tracker.At(static_cast<TimeMs>(c.askedAt * 1000));
    EXPECT_EQ(now.heading, c.heading);
    EXPECT_EQ(now.from, c.from);
}

const std::vector<SteadyFix> kSteady{{0, 5, 90}, {1, 5, 90}, {2, 5, 90}, {3, 5, 90}};
constexpr auto kCourse = HeadingFrom::Course;

// One row a line: fixes, compass, asked at, heading, from.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rules, HeadingRuleTest,
    testing::Values(
        HeadingCase{"SteadyThreeSeconds", kSteady, {}, 3, 90.0, kCourse},
        HeadingCase{"SteadyTwoSecondsOnly", {{0, 5, 90}, {1, 5, 90}, {2, 5, 90}}, {}, 2, {}},
        HeadingCase{"AtMinSpeed", {{0, 2, 90}, {1, 2, 90}, {2, 2, 90}, {3, 2, 90}}, {}, 3, 90.0, kCourse},
        HeadingCase{"SlowFixStartsTheRunAgain", {{0, 5, 90}, {1, 1.9, 90}, {2, 5, 90}, {3, 5, 90}, {4, 5, 90}}, {}, 4, {}},
        HeadingCase{"TurningFourDegreesASecond", {{0, 5, 90}, {1, 5, 94}, {2, 5, 98}, {3, 5, 102}}, {}, 3, 102.0, kCourse},
        HeadingCase{"TurningFaster", {{0, 5, 90}, {1, 5, 94}, {2, 5, 98.5}, {3, 5, 102.5}}, {}, 3, {}},
        HeadingCase{"TurnAcrossNorth", {{0, 5, 358}, {1, 5, 0}, {2, 5, 2}, {3, 5, 4}}, {}, 3, 4.0, kCourse},
        HeadingCase{"GapOfFourSecondsStartsTheRunAgain", {{0, 5, 90}, {1, 5, 90}, {2, 5, 90}, {6, 5, 90}}, {}, 6, {}},
        HeadingCase{"FixOlderThanThreeSeconds", kSteady, {}, 6.5, {}},
        HeadingCase{"CompassFirst", kSteady, std::pair{45.0, 3.0}, 3, 45.0, HeadingFrom::Compass},
        HeadingCase{"OldCompassThenCourse", kSteady, std::pair{45.0, -0.5}, 3, 90.0, kCourse}),
    testing_support::ParamName{});
// clang-format on

TEST(FixAgeTextTest, FreshThenOldThenNothing) {
    Track track;
    EXPECT_EQ(track.FixAgeText(0), "no GPS");
    track.Add(Fix(0, 0, 0, 0), 10000);
    const std::pair<TimeMs, const char*> rows[] = {{10000, "GPS 0 s"},     {11999, "GPS 1 s"},
                                                   {13000, "GPS 3 s"},     {13001, "GPS 3 s old"},
                                                   {17000, "GPS 7 s old"}, {9000, "GPS 0 s"}};
    for (const auto& [now, text] : rows) {
        EXPECT_EQ(track.FixAgeText(now), text) << now;
        EXPECT_EQ(track.Fresh(now).has_value(), now - 10000 <= kFreshMs) << now;
    }
}

struct DriveCase {
    const char* name;
    friend void PrintTo(const DriveCase& c, std::ostream* os) { *os << c.name; }
    TimeMs stepMs;
    double speed;  // m/s, north
    TimeMs durationMs;
    std::size_t positions;  // worked out by hand from the rules (see each row)
};

class PositionEventTest : public testing::TestWithParam<DriveCase> {};

TEST_P(PositionEventTest, OneASecondAfterFiveMetresOrThirtySeconds) {
    const DriveCase& c = GetParam();
    Track track;
    std::size_t logged = 0;
    for (TimeMs t = 0; t <= c.durationMs; t += c.stepMs) {
        const double north = c.speed * static_cast<double>(t) / 1000;
        logged += track.Add(Fix(t, north, c.speed, 0), t).has_value() ? 1u : 0u;
    }
    EXPECT_EQ(logged, c.positions);
    EXPECT_LE(track.keptFixes(), static_cast<std::size_t>(kKeepMs / c.stepMs + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Drives, PositionEventTest,
    testing::Values(DriveCase{"StandingTwoMinutes", 1000, 0, 120000, 5},  // 0, 30, 60, 90, 120 s
                    DriveCase{"Walking2ms", 1000, 2, 20000, 7},           // every 3 s (6 m): 0..18
                                                                          // every 5 s (5.5 m): 0..70
                    DriveCase{"Driving10Hz", 100, 15, 10000, 11},         // once a second: 0..10
                    DriveCase{"LongDrive", 1000, 15, 600000, 601}),       // a fix a second for 10 minutes
    testing_support::ParamName{});

TEST(TrackPositionTest, InterpolatesAndReckonsAtMostThreeSeconds) {
    Track track;
    track.Add(Fix(0, 0, 10, 0), 0);
    track.Add(Fix(2000, 20, 10, 0), 2000);
    track.Add(Fix(12000, 120, 10, 0), 12000);
    // GPS time offset -> metres north, or nullopt; between 2 s and 12 s the fixes are 10 s apart.
    const std::pair<TimeMs, std::optional<double>> rows[] = {
        {-3001, std::nullopt}, {-1000, -10.0}, {0, 0.0},   {1000, 10.0}, {2000, 20.0},
        {4000, 40.0},          {5000, 50.0},   {5001, {}}, {9000, 90.0}, {12000, 120.0},
        {13500, 135.0},        {15000, 150.0}, {15001, {}}};
    for (const auto& [t, north] : rows) {
        const auto position = track.PositionAt(kGpsEpoch + t);
        ASSERT_EQ(position.has_value(), north.has_value()) << t;
        if (position) {
            EXPECT_NEAR((position->lat - 50) * kMetresPerDegree, *north, 0.01) << t;
            EXPECT_NEAR(position->lon, 9, 1e-12) << t;
        }
    }
    EXPECT_FALSE(track.Add(Fix(12000, 120, 10, 0), 12500).has_value());
    EXPECT_EQ(track.droppedFixes(), 1u);
}

double WrappedNormal(std::mt19937_64& random, double centre, double sigma) {
    std::normal_distribution<double> normal(0, sigma);
    const double value = std::fmod(centre + normal(random) + 720, 360.0);
    return value;
}

struct SpreadCase {
    const char* name;
    friend void PrintTo(const SpreadCase& c, std::ostream* os) { *os << c.name; }
    double sigma;     // of the readings, degrees
    int readings;     // per interval
    double expected;  // mean sigma over the intervals
    double tolerance;
};

class IntervalSpreadTest : public testing::TestWithParam<SpreadCase> {};

// 2000 seeded intervals of readings drawn around 350 degrees: the mean comes out near 350 (across north)
// and the sigma near the readings' spread, never below the floor.
TEST_P(IntervalSpreadTest, SigmaIsTheReadingsSpread) {
    const SpreadCase& c = GetParam();
    std::mt19937_64 random(7);
    IntervalBearings intervals({1000, 3, 5});
    double sigmaSum = 0;
    double errorSquares = 0;
    int count = 0;
    for (int k = 0; k < 2000; ++k) {
        for (int i = 0; i < c.readings; ++i) {
            intervals.Add(WrappedNormal(random, 350, c.sigma), k * 1000 + i * 1000 / c.readings);
        }
        const auto result = intervals.Close(k * 1000 + 1000);
        ASSERT_TRUE(result && result->bearing);
        EXPECT_EQ(result->readings, static_cast<std::uint32_t>(c.readings));
        EXPECT_EQ(result->arrivalMs, k * 1000 + (c.readings - 1) * (1000 / c.readings) / 2);
        sigmaSum += result->sigma;
        const double error = AngleBetween(*result->bearing, 350);
        errorSquares += error * error;
        ++count;
    }
    EXPECT_NEAR(sigmaSum / count, c.expected, c.tolerance);
    // The mean of n readings scatters by sigma / sqrt(n) about the truth.
    EXPECT_NEAR(std::sqrt(errorSquares / count), c.sigma / std::sqrt(c.readings), 0.05 * c.sigma);
}

INSTANTIATE_TEST_SUITE_P(Seeded, IntervalSpreadTest,
                         testing::Values(SpreadCase{"TenDegrees20Readings", 10, 20, 10, 0.3},
                                         SpreadCase{"TwentyDegrees5Readings", 20, 5, 20, 1.5},
                                         SpreadCase{"BelowTheFloor", 1, 20, 3, 1e-12},
                                         SpreadCase{"LoneReading", 1, 1, 5, 1e-12}),
                         testing_support::ParamName{});

TEST(IntervalSpreadTest, ReadingsAllRoundGiveNoBearing) {
    IntervalBearings intervals({1000, 3, 5});
    for (const double bearing : {0.0, 90.0, 180.0, 270.0}) {
        EXPECT_FALSE(intervals.Add(bearing, 0).has_value());
    }
    const auto result = intervals.Add(10, 1000);  // the next interval's first reading closes this one
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->bearing.has_value());
    EXPECT_EQ(result->readings, 4u);
    EXPECT_FALSE(intervals.Close(1999).has_value());
    EXPECT_TRUE(intervals.Close(2000).has_value());
}

}  // namespace
}  // namespace vantrel::live
