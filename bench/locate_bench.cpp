// The many-bearing fix: the time of one Locate over 10,000 bearings (a day of a Doppler unit taking one a
// second, and more) and over 10 (a hunt's few stations), by maximum likelihood and by Andrews' M-estimate.
//
// Set-up: the transmitter at a fixed UTM position, stations 1 to 10 km from it all round, each bearing off
// by a normal error of 3 degrees; one bearing in twenty wild (uniform over the circle). Sigma not given, so
// kappa is estimated. Fixed seed: the same bearings every run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "figures.hpp"
#include "locate/locate.hpp"

namespace vantrel::bench {
namespace {

std::vector<locate::Bearing> Bearings(int count) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> around(0, 360);
    std::uniform_real_distribution<double> range(1000, 10000);
    std::normal_distribution<double> error(0, 3);
    std::vector<locate::Bearing> bearings;
    for (int i = 0; i < count; ++i) {
        const double az = around(random);
        const double r = range(random);
        const double x = 520000 + r * std::sin(az * std::numbers::pi / 180);
        const double y = 5600000 + r * std::cos(az * std::numbers::pi / 180);
        double b = i % 20 == 7 ? around(random) : az + 180 + error(random);
        b = std::fmod(std::fmod(b, 360.0) + 360, 360.0);
        bearings.push_back(locate::Bearing{x, y, b, {}});
    }
    return bearings;
}

void Locate(benchmark::State& state, locate::Method method) {
    const std::vector<locate::Bearing> bearings = Bearings(static_cast<int>(state.range(0)));
    locate::Options options;
    options.method = method;
    int iterations = 0;
    for (auto _ : state) {
        const locate::Outcome outcome = locate::Locate(bearings, options);
        if (!outcome.fix) {
            state.SkipWithError("no fix");
            return;
        }
        iterations = outcome.fix->iterations;
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["steps"] = iterations;
}
BENCHMARK_CAPTURE(Locate, mle, locate::Method::kMle)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Locate, andrews, locate::Method::kAndrews)
    ->Arg(10)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

std::vector<Figure> LocateFigures(const RunResults& results) {
    std::vector<Figure> figures;
    struct Target {
        const char* benchmark;
        const char* name;
        double limitSeconds;
        const char* target;
    };
    const Target targets[] = {
        {"Locate/mle/10000", "Locate: 10,000 bearings, maximum likelihood", 5e-3, "<= 5 ms"},
        {"Locate/andrews/10000", "Locate: 10,000 bearings, Andrews", 5e-3, "<= 5 ms"},
        {"Locate/mle/10", "Locate: 10 bearings, maximum likelihood", 20e-6, "<= 20 us"},
        {"Locate/andrews/10", "Locate: 10 bearings, Andrews", 20e-6, "<= 20 us"},
    };
    for (const Target& t : targets) {
        if (const auto seconds = results.CpuSeconds(t.benchmark)) {
            const bool milliseconds = t.limitSeconds >= 1e-3;
            figures.push_back({t.name,
                               milliseconds ? Number(*seconds * 1e3) + " ms" : Number(*seconds * 1e6) + " us",
                               t.target, *seconds <= t.limitSeconds});
        }
    }
    return figures;
}
VANTREL_FIGURES(LocateFigures);

}  // namespace
}  // namespace vantrel::bench
