// The live session over seeded simulated drives past a fox: the streams of the simulator go in at their
// times, the bearings that come out are where the car was and fix the fox within the 95 % ellipse.
//
// Coverage is counted over kDrives drives per row. A streaming receiver's bearing carries the spread of
// its interval's readings (not divided by the square root of their number: see interval_bearing.hpp), so
// its ellipse is generous and should hold the fox nearly always; the network DF's bearings carry no sigma
// and the fix estimates it, so its ellipse holds the fox about 95 % of the time (binomial, n = 40: mean 38,
// standard deviation 1.4; the bound 34 is below three of them).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <random>

#include "geodesy/transverse_mercator.hpp"
#include "live/live_session.hpp"
#include "locate/locate.hpp"
#include "simulate/simulate.hpp"
#include "support/simulated_drive.hpp"
#include "test_names.hpp"

namespace vantrel::live {
namespace {

constexpr int kDrives = 40;
constexpr double kMetresPerDegree = 111'200;

struct SimulatedCase {
    const char* name;
    friend void PrintTo(const SimulatedCase& c, std::ostream* os) { *os << c.name; }
    bool compass;
    double dropouts;            // share of GPS seconds without a fix
    bool network;               // judge the network DF's bearings (else the receiver's)
    bool networkHeading;        // the server sends the array's heading
    int leastCovered;           // of kDrives
    std::size_t leastBearings;  // per drive
};

// A drive of about 170 s at 15 m/s: 2 km past the fox at 1.5 km, then 600 m towards it, the whole route
// turned about the fox by a random angle.
simulate::Scenario Drive(std::uint64_t seed, const SimulatedCase& c) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    simulate::Scenario s;
    s.seed = seed;
    const double foxLat = 50.3 + 0.4 * unit(random);
    const double foxLon = 9.0 + 0.5 * unit(random);
    s.foxes = {{1, foxLat, foxLon, 144.5e6}};
    const double turn = 2 * std::numbers::pi * unit(random);
    const auto place = [&](double east, double north) {
        const double x = east * std::cos(turn) + north * std::sin(turn);
        const double y = -east * std::sin(turn) + north * std::cos(turn);
        return simulate::Waypoint{foxLat + y / kMetresPerDegree,
                                  foxLon + x / (kMetresPerDegree * std::cos(foxLat * std::numbers::pi / 180)),
                                  std::nullopt};
    };
    s.waypoints = {place(-1000, -1500), place(1000, -1500), place(1000, -900)};
    s.speed = 15;
    s.gpsNoise = 3;
    s.gpsDropoutShare = c.dropouts;
    s.compass = c.compass;
    s.receiver.rate = 20;
    s.receiver.vehicle = true;
    if (c.network) {
        s.network = simulate::ScenarioNetwork{{1}, 0.5, "car1", c.networkHeading};
    }
    return s;
}

class SimulatedDriveTest : public testing::TestWithParam<SimulatedCase> {};

TEST_P(SimulatedDriveTest, BearingsWhereTheCarWasFixTheFox) {
    const SimulatedCase& c = GetParam();
    int covered = 0;
    for (std::uint64_t seed = 1; seed <= kDrives; ++seed) {
        const simulate::SimulatedHunt hunt = simulate::Simulate(Drive(seed, c));
        LiveOptions options;
        options.receiverVehicle = true;
        options.foxes = {144.5e6, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        LiveSession session(options);
        std::vector<hunt_log::NewBearing> bearings;
        const auto take = [&](const LiveOutput& out) {
            for (const hunt_log::NewBearing& b : out.bearings) {
                if ((b.source == "network") == c.network) {
                    bearings.push_back(b);
                }
            }
        };
        for (const simulate::StreamItem& item : hunt.streams) {
            // The arrival clock is the simulated one: each item arrives at its time.
            take(session.Tick(item.time));
            switch (item.stream) {
                case simulate::Stream::Gps:
                    take(session.OnGpsBytes(item.text, item.time));
                    break;
                case simulate::Stream::Receiver:
                    take(session.OnReceiverBytes(item.text, item.time));
                    break;
                case simulate::Stream::NetworkDf:
                    take(session.OnNetworkBody(item.text, item.time));
                    break;
            }
        }
        take(session.Finish(hunt.end));
        ASSERT_GE(bearings.size(), c.leastBearings) << "seed " << seed << ": " << session.CountsText();

        std::vector<locate::Bearing> input;
        for (const hunt_log::NewBearing& b : bearings) {
            const core::PlanePoint at = geodesy::ZoneLatLonToUtm(hunt.zone, b.lat, b.lon);
            const auto car = testing_support::CarAt(hunt, b.time);
            ASSERT_TRUE(car.has_value()) << "seed " << seed;
            // GPS noise 3 m on each axis, and the carrying along the course over a drop-out.
            EXPECT_LT(std::hypot(at.x - car->x, at.y - car->y), 30.0) << "seed " << seed;
            const double sigma = std::isnan(b.sigma) ? 0 : b.sigma;
            input.push_back({at.x, at.y, geodesy::GridBearing(hunt.zone, b.lat, b.lon, b.bearing),
                             sigma > 0 ? std::optional(sigma) : std::nullopt});
        }
        locate::Options mle;
        mle.method = locate::Method::kMle;
        const locate::Outcome outcome = locate::Locate(input, mle);
        ASSERT_TRUE(outcome.fix && outcome.fix->covariance) << "seed " << seed;
        const auto& fox = hunt.truth.front();
        covered +=
            testing_support::Covers95(*outcome.fix, geodesy::ZoneLatLonToUtm(hunt.zone, fox.lat, fox.lon))
                ? 1
                : 0;
    }
    RecordProperty("covered", covered);
    EXPECT_GE(covered, c.leastCovered);
}

INSTANTIATE_TEST_SUITE_P(
    Seeded, SimulatedDriveTest,
    testing::Values(
        // About 170 intervals; the course gives no heading for 3 s at the start and after the bend.
        SimulatedCase{"DopplerCourseHeading", false, 0, false, false, 39, 150},
        SimulatedCase{"DopplerCompass", true, 0, false, false, 39, 160},
        // A tenth of the seconds without a fix: their bearings still have a fix within 3 s, most of them.
        SimulatedCase{"DopplerGpsDropouts", false, 0.1, false, false, 39, 100},
        // Two files a second, each a fresh bearing.
        SimulatedCase{"NetworkArrayHeading", false, 0, true, true, 34, 300},
        SimulatedCase{"NetworkNorthArray", false, 0, true, false, 34, 300}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::live
