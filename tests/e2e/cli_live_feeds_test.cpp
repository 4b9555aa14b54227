// vantrel-cli live on its outside feeds: the real gpsd (fed by gpsfake) gives the track, and a network
// direction finder's file, rewritten every half second as the server does and served by a real HTTP
// server on 127.0.0.1, gives the bearings. The log fixes the fox; a frame polled again is logged once.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
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
using testing_support::BackgroundProcess;

// 25 m/s east for 250 m, then north for 250 m (20 s); the fox 1.3 km north-east. The direction finder
// sends the car's course as its array's heading.
constexpr const char* kScenario = R"({
  "seed": 5,
  "foxes": [{"fox": 1, "lat": 50.5, "lon": 9.3, "frequency": 144500000}],
  "route": {"name": "Car", "speed": 25,
            "waypoints": [{"lat": 50.4883, "lon": 9.292}, {"lat": 50.4883, "lon": 9.2955},
                          {"lat": 50.49055, "lon": 9.2955}]},
  "bearings": {"sigma": 3},
  "gps": {"noise": 2},
  "network": {"channels": [1], "period": 0.5, "station": "roof", "heading": true}
})";

// A TCP port of 127.0.0.1 free now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The server rewrites its file for every frame; here it is replaced whole (a reader never sees half).
void Publish(const std::filesystem::path& folder, const std::string& body) {
    testing_support::WriteBytes(folder / "DOA_value.tmp", body);
    std::filesystem::rename(folder / "DOA_value.tmp", folder / "DOA_value.html");
}

TEST(CliLiveFeeds, GpsdAndANetworkDirectionFinderFixTheFox) {
    const auto scenario = simulate::ReadScenario(kScenario);
    ASSERT_TRUE(scenario) << scenario.message();
    const simulate::SimulatedHunt hunt = simulate::Simulate(*scenario);
    testing_support::TempDir dir;
    const std::filesystem::path www = dir.path() / "www";
    std::filesystem::create_directories(www);
    std::filesystem::create_directories(dir.path() / "config" / "Vantrel");
    testing_support::WriteBytes(dir.path() / "config" / "Vantrel" / "Vantrel.ini",
                                "[Live]\r\nPollMs=200\r\n[Foxes]\r\nFrequency1=144500000\r\n");
    std::string nmea;
    std::vector<const simulate::StreamItem*> frames;
    for (const simulate::StreamItem& item : hunt.streams) {
        if (item.stream == simulate::Stream::Gps) {
            nmea += item.text;
        } else if (item.stream == simulate::Stream::NetworkDf) {
            frames.push_back(&item);
        }
    }
    ASSERT_GE(frames.size(), 30u);
    testing_support::WriteBytes(dir.path() / "drive.nmea", nmea);
    Publish(www, frames.front()->text);

    const int gpsdPort = FreePort();
    const int httpPort = FreePort();
    BackgroundProcess gpsd({"setsid", "gpsfake", "-q", "-1", "-P", std::to_string(gpsdPort), "-c", "0.1",
                            (dir.path() / "drive.nmea").string()});
    BackgroundProcess http({"python3", "-m", "http.server", "--bind", "127.0.0.1", std::to_string(httpPort),
                            "--directory", www.string()});
    ASSERT_TRUE(gpsd.started() && http.started());
    const std::string log = (dir.path() / "drive.fhl").string();
    BackgroundProcess live(testing_support::CliCommand(
                               {"live", "--gps", "gpsd://127.0.0.1:" + std::to_string(gpsdPort), "--network",
                                "http://127.0.0.1:" + std::to_string(httpPort), "--log", log}),
                           {{"XDG_CONFIG_HOME", (dir.path() / "config").string()}});
    // The frames at the server's pace; every one is polled about twice and a few while the server starts.
    const auto begin = std::chrono::steady_clock::now();
    for (const simulate::StreamItem* frame : frames) {
        std::this_thread::sleep_until(begin + 1s +
                                      std::chrono::milliseconds(frame->time - frames.front()->time));
        Publish(www, frame->text);
    }
    std::this_thread::sleep_for(600ms);
    live.Signal(SIGINT);
    const testing_support::ProcessResult result = live.Wait(60s);
    ::kill(-gpsd.pid(), SIGKILL);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const auto read = hunt_log::ReadLog(log);
    ASSERT_TRUE(read) << read.message();
    const hunt_log::HuntState state = hunt_log::StateAt(read->log);
    const std::vector<hunt_log::FoxBearing>& bearings = state.Fox(1);
    // Each frame once (a frame polled twice is one bearing), none lost but while the server came up.
    std::set<hunt_log::TimeMs> times;
    for (const hunt_log::FoxBearing& b : bearings) {
        EXPECT_TRUE(times.insert(b.time).second) << hunt_log::UtcText(b.time) << " logged twice";
        EXPECT_EQ(b.source, "network");
        EXPECT_EQ(b.reference, hunt_log::Reference::True);
    }
    EXPECT_GE(bearings.size(), frames.size() - 4);
    EXPECT_LE(bearings.size(), frames.size());
    const auto positions = std::count_if(read->log.events.begin(), read->log.events.end(), [](const auto& e) {
        return std::holds_alternative<hunt_log::PositionEvent>(e);
    });
    EXPECT_GE(positions, 5);  // gpsd's track: every 5 m of the drive, at most one a second

    locate::Options options;
    options.method = locate::Method::kMle;
    options.sigmaDeg = 3;
    const fox_fix::FoxFix fix = fox_fix::FixOfFox(state, 1, options);
    ASSERT_TRUE(fix.outcome && fix.outcome->fix && fix.outcome->fix->covariance);
    const core::PlanePoint truth = geodesy::ZoneLatLonToUtm(state.zone, 50.5, 9.3);
    // The logged bearings carry no sigma: the fix takes the simulation's 3 degrees (options.sigmaDeg).
    EXPECT_TRUE(testing_support::Covers95(*fix.outcome->fix, truth))
        << "fix " << fix.outcome->fix->x << " " << fix.outcome->fix->y << ", truth " << truth.x << " "
        << truth.y;
}

}  // namespace
}  // namespace vantrel
