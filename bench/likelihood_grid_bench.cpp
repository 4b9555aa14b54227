// The likelihood grid of the heat layer, 512 x 512 cells: one bearing added to it (as a bearing arrives),
// a full recompute of 1,000 bearings on one worker and on one per core, and a textbook loop (the direction
// to every cell by atan2, then a cosine) as the plain single-threaded baseline; the cell-bearing updates
// per second of each; the heap the grid and its density take at their peak.
//
// Set-up: a fox at a fixed UTM position, stations 1 to 10 km from it all round with 3-degree errors, the
// grid over 4 km about the fox. Fixed seed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "figures.hpp"
#include "heap_meter.hpp"
#include "locate/likelihood_grid.hpp"

namespace vantrel::bench {
namespace {

constexpr int kSide = 512;
constexpr int kBearings = 1000;

locate::GridFrame Frame() {
    return locate::FrameOver(518000, 5598000, 522000, 5602000, kSide, kSide);
}

std::vector<locate::GridTerm> Terms(int count) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> around(0, 2 * std::numbers::pi);
    std::uniform_real_distribution<double> range(1000, 10000);
    std::normal_distribution<double> error(0, 3 * std::numbers::pi / 180);
    std::vector<locate::GridTerm> terms;
    for (int i = 0; i < count; ++i) {
        const double az = around(random), r = range(random);
        // The direction from the station back to the fox, as a mathematical angle, with its error.
        const double theta = std::numbers::pi / 2 - az - std::numbers::pi + error(random);
        terms.push_back(locate::GridTerm{520000 + r * std::sin(az), 5600000 + r * std::cos(az),
                                         std::cos(theta), std::sin(theta), 300});
    }
    return terms;
}

void AddOneBearing(benchmark::State& state) {
    locate::LikelihoodGrid grid(Frame());
    const auto terms = Terms(1);
    for (auto _ : state) {
        grid.AddBearing(terms.front());
        benchmark::DoNotOptimize(grid.Values().data());
    }
}
BENCHMARK(AddOneBearing)->Unit(benchmark::kMicrosecond)->UseRealTime();

void Recompute(benchmark::State& state) {
    const auto threads = static_cast<unsigned>(state.range(0));
    const auto terms = Terms(kBearings);
    std::size_t peak = 0;
    for (auto _ : state) {
        ResetPeak();
        const std::size_t before = HeapInUse();
        locate::LikelihoodGrid grid(Frame());
        grid.Recompute(terms, threads);
        const auto density = locate::DensityOf(grid);
        benchmark::DoNotOptimize(density);
        peak = HeapPeak() - before;
    }
    state.counters["heap_bytes"] = static_cast<double>(peak);
}
// 0: one worker per core.
BENCHMARK(Recompute)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plain way: the direction from each station to each cell by atan2, then the cosine of the difference.
void TextbookLoop(benchmark::State& state) {
    const locate::GridFrame frame = Frame();
    const auto terms = Terms(kBearings);
    std::vector<double> values(frame.Cells());
    for (auto _ : state) {
        std::fill(values.begin(), values.end(), 0.0);
        for (const locate::GridTerm& term : terms) {
            const double theta = std::atan2(term.sinTheta, term.cosTheta);
            for (int j = 0; j < frame.rows; ++j) {
                for (int i = 0; i < frame.columns; ++i) {
                    const double mu = std::atan2(frame.CentreY(j) - term.y, frame.CentreX(i) - term.x);
                    values[static_cast<std::size_t>(j) * kSide + static_cast<std::size_t>(i)] +=
                        term.weight * std::cos(theta - mu);
                }
            }
        }
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(TextbookLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// On this shared machine the wall-clock time says mostly how much CPU the other programs left over, so the
// figures take the CPU time of the benchmark's thread, as the other benchmarks do. For the parallel
// recompute that thread is one of the workers, computing one band of equal rows: its CPU time is what the
// whole recompute takes on an idle machine with that many cores; the wall-clock time is given beside it.
std::vector<Figure> GridFigures(const RunResults& results) {
    std::vector<Figure> figures;
    if (const auto one = results.CpuSeconds("AddOneBearing/real_time")) {
        figures.push_back(
            {"Heat grid 512x512: one bearing added", Number(*one * 1e3) + " ms", "<= 1 ms", *one <= 1e-3});
    }
    const double updates = double(kSide) * kSide * kBearings;
    const auto parallel = results.CpuSeconds("Recompute/0/real_time");
    if (parallel) {
        const auto wall = results.RealSeconds("Recompute/0/real_time").value_or(0);
        figures.push_back({"Heat grid 512x512: 1,000 bearings recomputed (" +
                               std::to_string(std::thread::hardware_concurrency()) + " workers; wall " +
                               Number(wall * 1e3) + " ms)",
                           Number(*parallel * 1e3) + " ms", "<= 300 ms", *parallel <= 0.3});
        figures.push_back(
            {"Heat grid: cell-bearing updates/s, parallel", Number(updates / *parallel), "", {}});
    }
    if (const auto single = results.CpuSeconds("Recompute/1/real_time")) {
        figures.push_back(
            {"Heat grid: cell-bearing updates/s, one worker", Number(updates / *single), "", {}});
    }
    if (const auto plain = results.CpuSeconds("TextbookLoop/iterations:2/real_time")) {
        figures.push_back(
            {"Heat grid: cell-bearing updates/s, atan2 loop", Number(updates / *plain), "", {}});
        if (parallel) {
            figures.push_back({"Heat grid: parallel recompute against the atan2 loop",
                               Number(*plain / *parallel) + "x",
                               "",
                               {}});
        }
    }
    if (const auto bytes = results.Counter("Recompute/0/real_time", "heap_bytes")) {
        // L and P of every cell, and the sorted copy of P for the levels: three doubles a cell.
        const double bound = 3.0 * 8 * kSide * kSide + 65536;
        figures.push_back({"Heat grid 512x512: heap at its peak", Number(*bytes / 1048576) + " MiB",
                           "<= 3 doubles a cell (6 MiB)", *bytes <= bound});
    }
    return figures;
}
VANTREL_FIGURES(GridFigures);

}  // namespace
}  // namespace vantrel::bench
