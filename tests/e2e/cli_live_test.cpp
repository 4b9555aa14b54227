// vantrel-cli live end to end: a simulated car drives past a fox with a GPS and a Doppler unit on two
// pseudo-terminals, fed at the real rate; the log it writes fixes the fox, and drop-outs, a bend and
// garbage leave nothing wrong in it. And its usage errors.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/cli_test.hpp"
#include "fox_fix/fox_fix.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "simulate/scenario.hpp"
#include "simulate/simulate.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// 30 m/s east for 600 m, then north for 360 m (about 32 s); the fox 1.3 km north of the first leg. GPS
// drop-out from 12 s to 16 s; the course gives the heading (no compass).
constexpr const char* kScenario = R"({
  "seed": 11,
  "foxes": [{"fox": 1, "lat": 50.5, "lon": 9.3}],
  "route": {"name": "Car", "speed": 30,
            "waypoints": [{"lat": 50.4883, "lon": 9.292}, {"lat": 50.4883, "lon": 9.3004},
                          {"lat": 50.49154, "lon": 9.3004}]},
  "bearings": {"sigma": 3},
  "gps": {"noise": 2, "gaps": [[12, 16]]},
  "receiver": {"format": "agrelo", "rate": 20, "vehicle": true}
})";

// Bytes a unit may send between good lines: cut sentences, a wrong checksum, binary noise.
const std::string kGpsGarbage =
    "$GPRMC,1200\x01\x02\xff$GPRMC,120000,A,5030.000,N,00918.000,E,1,2,081226,,*00\r\n";
const std::string kReceiverGarbage = "%9x9/7\r\x7f\x80%36/\r";

bool Covers(const locate::Fix& fix, double x, double y) {
    const locate::Covariance& v = *fix.covariance;
    const double dx = x - fix.x;
    const double dy = y - fix.y;
    const double det = v.xx * v.yy - v.xy * v.xy;
    return (v.yy * dx * dx - 2 * v.xy * dx * dy + v.xx * dy * dy) / det <= -2 * std::log(0.05);
}

// The simulated car's true position at a time, linear between its seconds.
std::optional<core::PlanePoint> CarAt(const simulate::SimulatedHunt& hunt, hunt_log::TimeMs t) {
    for (std::size_t i = 1; i < hunt.track.size(); ++i) {
        const simulate::TrackPoint& a = hunt.track[i - 1];
        const simulate::TrackPoint& b = hunt.track[i];
        if (t >= a.time && t <= b.time) {
            const double share = static_cast<double>(t - a.time) / static_cast<double>(b.time - a.time);
            return core::PlanePoint{a.x + (b.x - a.x) * share, a.y + (b.y - a.y) * share};
        }
    }
    return std::nullopt;
}

TEST(CliLive, SimulatedDriveFixesTheFoxAndLogsNothingStale) {
    const auto scenario = simulate::ReadScenario(kScenario);
    ASSERT_TRUE(scenario) << scenario.message();
    const simulate::SimulatedHunt hunt = simulate::Simulate(*scenario);
    testing_support::TempDir dir;
    std::filesystem::create_directories(dir.path() / "gps");
    std::filesystem::create_directories(dir.path() / "rx");
    testing_support::SocatPair gps(dir.path().string() + "/gps");
    testing_support::SocatPair rx(dir.path().string() + "/rx");
    ASSERT_TRUE(gps.ready() && rx.ready());
    const std::string log = (dir.path() / "drive.fhl").string();
    testing_support::BackgroundProcess live(
        testing_support::CliCommand({"live", "--gps", gps.device(), "--rx", rx.device(), "--format", "agrelo",
                                     "--vehicle", "--log", log}),
        {{"XDG_CONFIG_HOME", (dir.path() / "config").string()}});
    ASSERT_TRUE(live.WaitUntilItHasOpen(gps.device(), 60s));
    ASSERT_TRUE(live.WaitUntilItHasOpen(rx.device(), 60s));
    std::this_thread::sleep_for(300ms);  // the ports' input cleared

    const auto begin = std::chrono::steady_clock::now();
    for (const simulate::StreamItem& item : hunt.streams) {
        std::this_thread::sleep_until(begin + std::chrono::milliseconds(item.time - hunt.start));
        if (item.stream == simulate::Stream::Gps) {
            ASSERT_TRUE(gps.Send(item.text + ((item.time - hunt.start) % 5000 == 0 ? kGpsGarbage : "")));
        } else if (item.stream == simulate::Stream::Receiver) {
            ASSERT_TRUE(rx.Send(item.text + ((item.time - hunt.start) % 3000 == 0 ? kReceiverGarbage : "")));
        }
    }
    std::this_thread::sleep_for(500ms);
    live.Signal(SIGINT);
    const testing_support::ProcessResult result = live.Wait(60s);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const auto read = hunt_log::ReadLog(log);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read->report.badLines, 0u);
    const hunt_log::HuntState state = hunt_log::StateAt(read->log);
    const std::vector<hunt_log::FoxBearing>& bearings = state.Fox(1);
    // About one a second, less the bend's 3 s, the start's and the drop-out's seconds.
    EXPECT_GE(bearings.size(), 20u);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), static_cast<long>(bearings.size()));
    for (const hunt_log::FoxBearing& b : bearings) {
        // Taken where the car was (GPS noise 2 m, 30 m/s: a few metres of timing), never in the drop-out
        // beyond the 3 s a position may be carried.
        const auto car = CarAt(hunt, b.time);
        ASSERT_TRUE(car.has_value());
        EXPECT_LT(std::hypot(b.easting - car->x, b.northing - car->y), 25.0) << hunt_log::UtcText(b.time);
        const hunt_log::TimeMs second = (b.time - hunt.start) / 1000;
        EXPECT_FALSE(second >= 15 && second < 16) << hunt_log::UtcText(b.time);
        EXPECT_EQ(b.reference, hunt_log::Reference::True);
        EXPECT_EQ(b.source, "agrelo");
        EXPECT_GE(b.sigma, 3.0);
    }
    EXPECT_NE(result.err.find("no heading"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("no fresh GPS position"), std::string::npos) << result.err;

    locate::Options options;
    options.method = locate::Method::kMle;
    const fox_fix::FoxFix fix = fox_fix::FixOfFox(state, 1, options);
    ASSERT_TRUE(fix.outcome && fix.outcome->fix && fix.outcome->fix->covariance);
    const core::PlanePoint truth = geodesy::ZoneLatLonToUtm(state.zone, 50.5, 9.3);
    RecordProperty("bearings", static_cast<int>(bearings.size()));
    RecordProperty("missMetres", static_cast<int>(std::hypot(fix.outcome->fix->x - truth.x,
                                                             fix.outcome->fix->y - truth.y)));
    RecordProperty("semiMajorMetres", static_cast<int>(fix.outcome->fix->ellipse->semiMajor));
    EXPECT_TRUE(Covers(*fix.outcome->fix, truth.x, truth.y))
        << "fix " << fix.outcome->fix->x << " " << fix.outcome->fix->y << ", truth " << truth.x << " "
        << truth.y;
}

TEST(CliLive, UsageErrorsNameTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"live", "--gps", "-"}, "--log"},
        {{"live", "--log", "x.fhl"}, "--gps or --rx"},
        {{"live", "--gps", "-", "--rx", "-", "--log", "x.fhl"}, "standard input"},
        {{"live", "--rx", "-", "--format", "doppler", "--log", "x.fhl"}, "--format"},
        {{"live", "--gps", "-", "--seconds", "0", "--log", "x.fhl"}, "--seconds"},
        {{"live", "--gps", "-", "--fox", "6", "--log", "x.fhl"}, "--fox"},
        {{"live", "--gps", "-", "--zone", "99Z", "--log", "x.fhl"}, "--zone"},
    };
    for (const auto& [args, named] : cases) {
        const auto r = testing_support::RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << named;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    }
}

// A GPS on standard input that ends: the log holds its track and the command ends by itself.
TEST(CliLive, StandardInputEndsTheRun) {
    testing_support::TempDir dir;
    testing_support::ProcessOptions options;
    options.input =
        "$GPRMC,120000.25,A,5007.5000,N,00907.5000,E,010.0,090.0,081226,,*3C\r\n"
        "$GPRMC,120000,V,,,,,,,081226,,*3D\r\n";
    options.environment = {{"XDG_CONFIG_HOME", (dir.path() / "config").string()}};
    const std::string log = (dir.path() / "still.fhl").string();
    const auto r = testing_support::RunCli({"live", "--gps", "-", "--log", log}, options);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const auto read = hunt_log::ReadLog(log);
    ASSERT_TRUE(read) << read.message();
    ASSERT_EQ(read->log.events.size(), 1u);
    const auto& position = std::get<hunt_log::PositionEvent>(read->log.events.front());
    EXPECT_EQ(hunt_log::UtcText(position.time), "2026-12-08T12:00:00.250Z");
    EXPECT_EQ(position.lat, 50.125);
    EXPECT_EQ(geodesy::ZoneText(read->log.header.zone), "32U");
}

}  // namespace
}  // namespace vantrel
