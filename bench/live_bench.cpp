// `vantrel-cli live` measured from the outside, as the car computer runs it:
// - CPU at the real rate: a simulated car's GPS (an RMC a second) and Doppler unit (20 lines a second) on two
//   pseudo-terminals, fed as the units send; the process's CPU time (all threads, clock_getcpuclockid) over
//   a window of kWindow after kWarmUp. 20 s give a figure stable to a few hundredths of a percent here (a
//   run's work is the same every second), so the 60 s of the target are not needed to judge it.
// - Peak memory: ten minutes and an hour of the same input fed as fast as the program reads it; the peak
//   resident size (VmHWM) of each, which must stay flat: nothing the session keeps grows with the hunt.
#include <signal.h>
#include <time.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <thread>

#include "figures.hpp"
#include "simulate/simulate.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"

namespace vantrel::bench {
namespace {

using namespace std::chrono_literals;
using testing_support::BackgroundProcess;
using testing_support::SocatPair;

constexpr auto kWarmUp = 3s;
constexpr auto kWindow = 20s;
constexpr auto kPatience = 60s;

// A car circling a fox at 1.5 km, 15 m/s, for `seconds`; the Doppler unit sends 20 lines a second.
simulate::Scenario Circling(double seconds) {
    simulate::Scenario s;
    s.seed = 3;
    s.foxes = {{1, 50.5, 9.3, 0}};
    s.speed = 15;
    const double loop = 2 * std::numbers::pi * 1500;
    const int points = static_cast<int>(std::ceil(seconds * s.speed / loop * 36)) + 2;
    for (int i = 0; i < points; ++i) {
        const double a = i * 2 * std::numbers::pi / 36;
        s.waypoints.push_back({50.5 + 1500 * std::cos(a) / 111'200,
                               9.3 + 1500 * std::sin(a) / (111'200 * std::cos(50.5 * std::numbers::pi / 180)),
                               std::nullopt});
    }
    s.gpsNoise = 2;
    s.receiver.rate = 20;
    s.receiver.vehicle = true;
    return s;
}

std::optional<double> CpuSeconds(pid_t pid) {
    clockid_t clock{};
    timespec now{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &now) != 0) {
        return std::nullopt;
    }
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The peak resident size of a running process, MiB.
std::optional<double> PeakMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return std::nullopt;
}

// The program on two pseudo-terminals in a temporary folder.
struct LiveRun {
    testing_support::TempDir dir;
    std::optional<SocatPair> gps, rx;
    std::optional<BackgroundProcess> live;

    bool Start() {
        std::filesystem::create_directories(dir.path() / "gps");
        std::filesystem::create_directories(dir.path() / "rx");
        gps.emplace(dir.path().string() + "/gps");
        rx.emplace(dir.path().string() + "/rx");
        if (!gps->ready() || !rx->ready()) {
            return false;
        }
        live.emplace(
            std::vector<std::string>{VANTREL_CLI, "live", "--gps", gps->device(), "--rx", rx->device(),
                                     "--format", "agrelo", "--vehicle", "--log",
                                     (dir.path() / "hunt.fhl").string()},
            std::map<std::string, std::string>{{"XDG_CONFIG_HOME", (dir.path() / "config").string()}});
        return live->WaitUntilItHasOpen(gps->device(), kPatience) &&
               live->WaitUntilItHasOpen(rx->device(), kPatience);
    }
    bool Send(const simulate::StreamItem& item) {
        return item.stream == simulate::Stream::Gps ? gps->Send(item.text) : rx->Send(item.text);
    }
};

void LiveCpuAtRealRate(benchmark::State& state) {
    const simulate::SimulatedHunt hunt = simulate::Simulate(Circling(60));
    for (auto _ : state) {
        LiveRun run;
        if (!run.Start()) {
            state.SkipWithError("socat or vantrel-cli did not start");
            return;
        }
        const auto begin = std::chrono::steady_clock::now();
        std::optional<double> before, after;
        for (const simulate::StreamItem& item : hunt.streams) {
            const auto at = begin + std::chrono::milliseconds(item.time - hunt.start);
            if (!before && at >= begin + kWarmUp) {
                std::this_thread::sleep_until(begin + kWarmUp);
                before = CpuSeconds(run.live->pid());
            }
            if (at >= begin + kWarmUp + kWindow) {
                std::this_thread::sleep_until(begin + kWarmUp + kWindow);
                after = CpuSeconds(run.live->pid());
                break;
            }
            std::this_thread::sleep_until(at);
            run.Send(item);
        }
        run.live->Signal(SIGINT);
        const auto ended = run.live->Wait(kPatience);
        if (!before || !after || ended.exitCode != 0) {
            state.SkipWithError(("not measured: " + ended.err).c_str());
            return;
        }
        state.counters["cpu_percent"] =
            (*after - *before) / std::chrono::duration<double>(kWindow).count() * 100;
        state.counters["bearings"] =
            static_cast<double>(std::count(ended.out.begin(), ended.out.end(), '\n'));
    }
}
BENCHMARK(LiveCpuAtRealRate)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void LivePeakMemory(benchmark::State& state) {
    const simulate::SimulatedHunt hunt = simulate::Simulate(Circling(static_cast<double>(state.range(0))));
    for (auto _ : state) {
        LiveRun run;
        if (!run.Start()) {
            state.SkipWithError("socat or vantrel-cli did not start");
            return;
        }
        for (const simulate::StreamItem& item : hunt.streams) {
            run.Send(item);
        }
        std::this_thread::sleep_for(1s);  // what is still in the terminals' queues is read
        const auto peak = PeakMiB(run.live->pid());
        run.live->Signal(SIGINT);
        const auto ended = run.live->Wait(kPatience);
        if (!peak || ended.exitCode != 0) {
            state.SkipWithError(("not measured: " + ended.err).c_str());
            return;
        }
        state.counters["peak_MiB"] = *peak;
    }
}
BENCHMARK(LivePeakMemory)->Arg(600)->Arg(3600)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

VANTREL_FIGURES([](const RunResults& results) {
    std::vector<Figure> figures;
    if (const auto cpu = results.Counter("LiveCpuAtRealRate/iterations:1/real_time", "cpu_percent")) {
        figures.push_back({"vantrel-cli live: CPU at the real rate (GPS 1 Hz, Doppler 20 lines/s, 20 s)",
                           Number(*cpu, 2) + " % of one core", "<= 2 %", *cpu <= 2});
    }
    const auto tenMinutes = results.Counter("LivePeakMemory/600/iterations:1/real_time", "peak_MiB");
    const auto hour = results.Counter("LivePeakMemory/3600/iterations:1/real_time", "peak_MiB");
    if (tenMinutes && hour) {
        const double growth = *hour / *tenMinutes;
        figures.push_back({"vantrel-cli live: peak memory, 1 h of input vs 10 min (fed at once)",
                           Number(*hour, 3) + " MiB vs " + Number(*tenMinutes, 3) + " MiB",
                           "flat (<= 1.05 x)", growth <= 1.05});
    }
    return figures;
});

}  // namespace
}  // namespace vantrel::bench
