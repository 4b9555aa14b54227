// The live session: a car driving north with a Doppler unit (20 lines a second) and a GPS (a fix a second),
// in the situations the rules name; and a network DF server's frames.
#include "live/live_session.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <ostream>
#include <string>

#include "test_names.hpp"

namespace vantrel::live {
namespace {

constexpr TimeMs kGpsEpoch = 1'765'195'200'000;
constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180;

instruments::GpsSample North(TimeMs t, double speed) {
    return {kGpsEpoch + t, 50 + speed * static_cast<double>(t) / 1000 / kMetresPerDegree, 9, 0, speed};
}

struct DriveCase {
    const char* name;
    friend void PrintTo(const DriveCase& c, std::ostream* os) { *os << c.name; }
    bool vehicle;
    double speed;                   // m/s, due north
    std::optional<double> compass;  // HDT heading sent with every fix
    int relative;                   // the unit's bearing
    std::pair<int, int> dropout;    // seconds [first, last] without fixes
    int offAirFrom;                 // second from which no fox is on the air; -1 never
    std::size_t bearings;           // worked out by hand from the rules
    double bearing;                 // true bearing of each
    std::size_t noPosition, noHeading, notOnAir;
};

class LiveDriveTest : public testing::TestWithParam<DriveCase> {};

// 20 s: fixes at 0..20 s, lines every 50 ms from 0 to 19.95 s, one interval a second, Tick after each line.
TEST_P(LiveDriveTest, LogsOneTrueBearingPerIntervalWithItsPosition) {
    const DriveCase& c = GetParam();
    LiveOptions options;
    options.receiverVehicle = c.vehicle;
    LiveSession session(options);
    std::vector<hunt_log::NewBearing> logged;
    std::size_t positions = 0;
    const auto take = [&](const LiveOutput& out) {
        logged.insert(logged.end(), out.bearings.begin(), out.bearings.end());
        positions += out.positions.size();
    };
    char line[16];
    std::snprintf(line, sizeof line, "%%%03d/7\r", c.relative);
    for (TimeMs t = 0; t <= 20000; t += 50) {
        const int second = static_cast<int>(t / 1000);
        if (t % 1000 == 0 && (second < c.dropout.first || second > c.dropout.second)) {
            take(session.OnGps(North(t, c.speed), t));
            if (c.compass) {
                session.OnHeading({kGpsEpoch + t, *c.compass}, t);
            }
        }
        if (t == c.offAirFrom * 1000) {
            take(session.SetFoxOnAir(instruments::kNoFox, t));
        }
        if (t < 20000) {
            take(session.OnReceiverBytes(line, t));
        }
        take(session.Tick(t));
    }
    take(session.Finish(20000));
    ASSERT_EQ(logged.size(), c.bearings);
    const LiveCounters& n = session.counters();
    EXPECT_EQ(n.bearings, c.bearings);
    EXPECT_EQ(n.noPosition, c.noPosition);
    EXPECT_EQ(n.noHeading, c.noHeading);
    EXPECT_EQ(n.notOnAir, c.notOnAir);
    EXPECT_EQ(n.positions, positions);
    for (const hunt_log::NewBearing& b : logged) {
        // Interval k holds lines k s + 0, 50, ..., 950 ms: its time is their mean, k s + 475 ms.
        const TimeMs offset = b.time - kGpsEpoch;
        EXPECT_EQ(offset % 1000, 475);
        EXPECT_NEAR((b.lat - 50) * kMetresPerDegree, c.speed * static_cast<double>(offset) / 1000, 0.01);
        EXPECT_EQ(b.bearing, c.bearing);
        EXPECT_EQ(b.sigma, 3);  // readings that all agree: the floor
        EXPECT_EQ(b.readings, 20u);
        EXPECT_EQ(b.reference, hunt_log::Reference::True);
        EXPECT_EQ(b.source, "agrelo");
        EXPECT_EQ(b.fox, 1);
    }
}

constexpr std::pair<int, int> kNoDropout{-1, -1};

INSTANTIATE_TEST_SUITE_P(
    Drives, LiveDriveTest,
    testing::Values(
        DriveCase{"FixedArray", false, 10, {}, 90, kNoDropout, -1, 20, 90, 0, 0, 0},
        // The course counts once the run has lasted 3 s: intervals 0 and 1 close before the fix of 3 s.
        DriveCase{"VehicleCourse", true, 10, {}, 90, kNoDropout, -1, 18, 90, 0, 2, 0},
        DriveCase{"VehicleCompass", true, 10, 45.0, 300, kNoDropout, -1, 20, 345, 0, 0, 0},
        DriveCase{"VehicleTooSlow", true, 1.5, {}, 90, kNoDropout, -1, 0, 0, 0, 20, 0},
        // Fixes 5..14 s missing: intervals up to 6 s lie within 3 s of the fix of 4 s; 7..13 have no fresh
        // fix when they close; 14 closes after the fix of 15 s, within 3 s of it.
        DriveCase{"GpsDropout", false, 10, {}, 90, {5, 14}, -1, 13, 90, 7, 0, 0},
        DriveCase{"NoGpsAtAll", false, 10, {}, 90, {0, 20}, -1, 0, 0, 20, 0, 0},
        DriveCase{"FoxOffTheAirAt10s", false, 10, {}, 90, kNoDropout, 10, 10, 90, 0, 0, 200}),
    testing_support::ParamName{});

// ---- network DF ----

instruments::DfChannel Channel(std::int64_t time, double bearing, double frequency) {
    instruments::DfChannel c;
    c.timeMs = time;
    c.bearing = bearing;
    c.confidence = 2.5;
    c.frequencyHz = frequency;
    c.arrayType = "UCA";
    c.stationId = "kd1";
    c.latencyMs = 200;
    return c;
}

struct NetworkCase {
    const char* name;
    friend void PrintTo(const NetworkCase& c, std::ostream* os) { *os << c.name; }
    std::vector<instruments::DfChannel> frames;  // one body each, polled 500 ms apart
    bool vehicle;
    bool ownGps;                    // a fresh fix (and a compass of 30 degrees) at every poll
    std::size_t bearings;           // logged
    double bearing;                 // of the first
    int fox;                        // of the first
    std::optional<double> lineLat;  // the first's latitude comes from the line
    std::size_t unmatched, repeats, backwards, noHeading, noPosition;
};

class NetworkFrameTest : public testing::TestWithParam<NetworkCase> {};

TEST_P(NetworkFrameTest, ChannelsBecomeTrueBearingsOfFoxes) {
    const NetworkCase& c = GetParam();
    LiveOptions options;
    options.networkVehicle = c.vehicle;
    options.foxes = {144.5e6, 145e6, std::nullopt, std::nullopt, std::nullopt};
    LiveSession session(options);
    std::vector<hunt_log::NewBearing> logged;
    TimeMs t = 0;
    for (const instruments::DfChannel& frame : c.frames) {
        if (c.ownGps) {
            session.OnGps(North(t, 0), t);
            session.OnHeading({kGpsEpoch + t, 30}, t);
        }
        const LiveOutput out = session.OnNetworkBody(instruments::FormatDfLine(frame) + "\r\n", t + 100);
        logged.insert(logged.end(), out.bearings.begin(), out.bearings.end());
        t += 500;
    }
    ASSERT_EQ(logged.size(), c.bearings);
    const LiveCounters& n = session.counters();
    EXPECT_EQ(n.unmatchedChannels, c.unmatched);
    EXPECT_EQ(n.repeatedFrames, c.repeats);
    EXPECT_EQ(n.backwardFrames, c.backwards);
    EXPECT_EQ(n.noHeading, c.noHeading);
    EXPECT_EQ(n.noPosition, c.noPosition);
    if (logged.empty()) {
        return;
    }
    const hunt_log::NewBearing& first = logged.front();
    EXPECT_NEAR(first.bearing, c.bearing, 1e-9);
    EXPECT_EQ(first.fox, c.fox);
    EXPECT_EQ(first.station, "kd1");
    EXPECT_EQ(first.source, "network");
    EXPECT_TRUE(std::isnan(first.sigma));
    if (c.lineLat) {
        EXPECT_EQ(first.lat, *c.lineLat);
        EXPECT_EQ(first.time, c.frames.front().timeMs);
    } else {
        EXPECT_EQ(first.lat, 50);
        EXPECT_EQ(first.time, kGpsEpoch + 100 - 200);  // the arrival less the server's latency
    }
}

instruments::DfChannel Placed(instruments::DfChannel c, double heading) {
    c.lat = 50.25;
    c.lon = 9.5;
    c.heading = heading;
    return c;
}

const std::int64_t kT = 1'765'195'200'000;

INSTANTIATE_TEST_SUITE_P(
    Frames, NetworkFrameTest,
    testing::Values(
        NetworkCase{"ArrayHeadingAndPositionFromTheLine",
                    {Placed(Channel(kT, 134, 144.5e6), 290.5)},
                    false,
                    false,
                    1,
                    64.5,
                    1,
                    50.25,
                    0,
                    0,
                    0,
                    0,
                    0},
        NetworkCase{
            "NoHeadingPointsNorth", {Channel(kT, 134, 145e6)}, false, true, 1, 134, 2, {}, 0, 0, 0, 0, 0},
        NetworkCase{"VehicleTakesTheCarsHeading",
                    {Channel(kT, 134, 144.5e6)},
                    true,
                    true,
                    1,
                    164,
                    1,
                    {},
                    0,
                    0,
                    0,
                    0,
                    0},
        NetworkCase{
            "VehicleWithoutHeading", {Channel(kT, 134, 144.5e6)}, true, false, 0, 0, 0, {}, 0, 0, 0, 1, 0},
        NetworkCase{
            "NoPositionAnywhere", {Channel(kT, 134, 144.5e6)}, false, false, 0, 0, 0, {}, 0, 0, 0, 0, 1},
        NetworkCase{
            "ToleranceIncluded", {Channel(kT, 10, 144.505e6)}, false, true, 1, 10, 1, {}, 0, 0, 0, 0, 0},
        NetworkCase{
            "BeyondTolerance", {Channel(kT, 10, 144.505001e6)}, false, true, 0, 0, 0, {}, 1, 0, 0, 0, 0},
        NetworkCase{"SameFrameTwice",
                    {Channel(kT, 10, 145e6), Channel(kT, 10, 145e6)},
                    false,
                    true,
                    1,
                    10,
                    2,
                    {},
                    0,
                    1,
                    0,
                    0,
                    0},
        NetworkCase{"TimeGoingBackwards",
                    {Channel(kT, 10, 145e6), Channel(kT - 500, 20, 145e6), Channel(kT + 500, 30, 145e6)},
                    false,
                    true,
                    2,
                    10,
                    2,
                    {},
                    0,
                    0,
                    1,
                    0,
                    0}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::live
