// vantrel-cli live end to end: a simulated car drives past a fox with a GPS and a Doppler unit on two
// pseudo-terminals, fed at the real rate; the log it writes fixes the fox, and drop-outs, a bend and
// garbage leave nothing wrong in it. And a GPS on standard input.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
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
#include "support/simulated_drive.hpp"
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
    // What the GPS sent before anyone listened (a day old) waits in the terminal: it must never be read.
    const std::string stale = "$GPRMC,140000,A,5030.000,N,00918.000,E,10.0,90.0,071226,,*16\r\n";
    ASSERT_TRUE(gps.Send(stale + stale + stale));
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
    for (const hunt_log::Event& event : read->log.events) {
        EXPECT_GE(hunt_log::TimeOf(event), hunt.start)
            << "stale: " << hunt_log::UtcText(hunt_log::TimeOf(event));
    }
    const hunt_log::HuntState state = hunt_log::StateAt(read->log);
    const std::vector<hunt_log::FoxBearing>& bearings = state.Fox(1);
    // About one a second, less the bend's 3 s, the start's and the drop-out's seconds.
    EXPECT_GE(bearings.size(), 20u);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), static_cast<long>(bearings.size()));
    for (const hunt_log::FoxBearing& b : bearings) {
        // Taken where the car was (GPS noise 2 m, 30 m/s: a few metres of timing), never in the drop-out
        // beyond the 3 s a position may be carried.
        const auto car = testing_support::CarAt(hunt, b.time);
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
    EXPECT_TRUE(testing_support::Covers95(*fix.outcome->fix, truth))
        << "fix " << fix.outcome->fix->x << " " << fix.outcome->fix->y << ", truth " << truth.x << " "
        << truth.y;
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
    const auto startedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
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
    // The header says when the log was made on the wall clock, not when the GPS says the drive was.
    EXPECT_LT(std::abs(read->log.header.created - startedMs), 60'000)
        << hunt_log::UtcText(read->log.header.created);
}

}  // namespace
}  // namespace vantrel
