// The live session's rules for a network DF server's frames and for the fox schedule. (Drives with a
// receiver: simulated_drives_test.cpp.)
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

// One row a line, the columns as in NetworkCase.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Frames, NetworkFrameTest,
    testing::Values(
        NetworkCase{"ArrayHeadingAndPositionFromTheLine", {Placed(Channel(kT, 134, 144.5e6), 290.5)}, false, false, 1, 64.5, 1, 50.25, 0, 0, 0, 0, 0},
        NetworkCase{"VehicleTakesTheCarsHeading", {Channel(kT, 134, 144.5e6)}, true, true, 1, 164, 1, {}, 0, 0, 0, 0, 0},
        NetworkCase{"VehicleWithoutHeading", {Channel(kT, 134, 144.5e6)}, true, false, 0, 0, 0, {}, 0, 0, 0, 1, 0},
        NetworkCase{"NoPositionAnywhere", {Channel(kT, 134, 144.5e6)}, false, false, 0, 0, 0, {}, 0, 0, 0, 0, 1},
        NetworkCase{"BeyondTolerance", {Channel(kT, 10, 144.505001e6)}, false, true, 0, 0, 0, {}, 1, 0, 0, 0, 0},
        NetworkCase{"SameFrameTwice", {Channel(kT, 10, 145e6), Channel(kT, 10, 145e6)}, false, true, 1, 10, 2, {}, 0, 1, 0, 0, 0},
        NetworkCase{"TimeGoingBackwards", {Channel(kT, 10, 145e6), Channel(kT - 500, 20, 145e6), Channel(kT + 500, 30, 145e6)}, false, true, 2, 10, 2, {}, 0, 0, 1, 0, 0}),
    testing_support::ParamName{});
// clang-format on

// With the schedule on, a server's line for a fox that is not on the air is a bearing of noise.
TEST(ScheduleTest, NothingOfAFoxOffTheAirIsLogged) {
    LiveOptions options;
    options.foxes = {144.5e6, 145e6, std::nullopt, std::nullopt, std::nullopt};
    LiveSession session(options);
    session.OnGps(North(0, 0), 0);
    const std::pair<int, bool> rows[] = {{2, true}, {instruments::kNoFox, true}, {2, false}};
    const std::size_t logged[] = {1, 0, 2};  // fox 2 only; none; both (the schedule is off)
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        session.SetFoxOnAir(rows[i].first, 0, rows[i].second);
        const auto t = static_cast<std::int64_t>(i) * 1000;
        const LiveOutput out =
            session.OnNetworkBody(instruments::FormatDfLine(Channel(kT + t, 10, 144.5e6)) + "\n" +
                                      instruments::FormatDfLine(Channel(kT + t, 20, 145e6)),
                                  100);
        EXPECT_EQ(out.bearings.size(), logged[i]) << i;
        if (i == 0) {
            EXPECT_EQ(session.CountsText(), "1 bearing, 1 reading off the air");
        }
    }
    EXPECT_EQ(session.counters().notOnAir, 3u);
    EXPECT_EQ(session.CountsText(), "3 bearings, 3 readings off the air");
    // The receiver's lines while no fox is on the air are dropped, and the open interval goes to the fox
    // that was on before.
    session.SetFoxOnAir(3, 1000, true);
    session.OnReceiverBytes("%100/7\r%102/7\r", 1000);
    const LiveOutput closed = session.SetFoxOnAir(instruments::kNoFox, 1100, true);
    ASSERT_EQ(closed.bearings.size(), 1u);
    EXPECT_EQ(closed.bearings.front().fox, 3);
    EXPECT_EQ(closed.bearings.front().bearing, 101);
    session.OnReceiverBytes("%100/7\r", 1200);
    EXPECT_TRUE(session.Finish(3000).bearings.empty());
    EXPECT_EQ(session.counters().notOnAir, 4u);
}

}  // namespace
}  // namespace vantrel::live
