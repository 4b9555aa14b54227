// How well the fix-quality ellipse keeps its promise: fixes simulated with normally distributed bearing
// errors, counting how often the 95 % ellipse of the measured fix holds the true position. Also the time
// to assess the five fixes of a hunt.
//
// Set-up: stations 1 km apart on one northing, a fox 500 m east and north of station 1 (bearings 45 and
// 315, crossing at 90 degrees, 707 m from each station) or one whose bearings cross at 30 degrees; both
// bearings get an error of 5 degrees standard deviation, the default the ellipse assumes. Each measured pair
// goes through Calculate's own intersection and AssessFix, as in the program. Fixed seed: the same figure
// every run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "core/cross_fix.hpp"
#include "figures.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::bench {
namespace {

constexpr int kSimulations = 200000;
constexpr double kSigma = 5;
constexpr core::PlanePoint kStation1{500000, 5700000};
constexpr core::PlanePoint kStation2{501000, 5700000};

bool Holds(const quality::FixQuality& fix, core::PlanePoint truth) {
    const quality::Ellipse& e = *fix.ellipse;
    const double az = e.azimuth * core::kPi15 / 180;
    const double de = truth.x - fix.easting;
    const double dn = truth.y - fix.northing;
    const double along = de * std::sin(az) + dn * std::cos(az);
    const double across = de * std::cos(az) - dn * std::sin(az);
    return along * along / (e.semiMajor * e.semiMajor) + across * across / (e.semiMinor * e.semiMinor) <= 1;
}

// The share of simulated fixes whose 95 % ellipse holds the fox, and how many gave no fix at all.
void Coverage(benchmark::State& state, double bearing1, double bearing2) {
    const auto truth = core::CrossFix(bearing1, bearing2, kStation1, kStation2);
    for (auto _ : state) {
        std::mt19937_64 random(20261208);
        std::normal_distribution<double> error(0, kSigma);
        int held = 0;
        int assessed = 0;
        for (int i = 0; i < kSimulations; ++i) {
            const double a1 = bearing1 + error(random);
            const double a2 = bearing2 + error(random);
            const auto fix = core::CrossFix(a1, a2, kStation1, kStation2);
            const auto q = fix ? quality::AssessFix(a1, a2, kStation1, kStation2, *fix, kSigma, kSigma, 0.95)
                               : std::nullopt;
            if (!q || !q->ellipse) {
                continue;
            }
            ++assessed;
            held += Holds(*q, *truth) ? 1 : 0;
        }
        state.counters["coverage"] = static_cast<double>(held) / kSimulations;
        state.counters["assessed"] = assessed;
    }
}
BENCHMARK_CAPTURE(Coverage, crossing90, 45.0, 315.0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Coverage, crossing30, 75.0, 285.0)->Iterations(1)->Unit(benchmark::kMillisecond);

// AssessFixes over a calculated hunt of five fixes.
void AssessFiveFixes(benchmark::State& state) {
    core::MeasurementState hunt;
    hunt.Sced1Lat = hunt.Sced2Lat = "5700000";
    hunt.Sced1Lon = "500000";
    hunt.Sced2Lon = "501000";
    hunt.S1Ang = {"45", "30", "80", "225", "60"};
    hunt.S2Ang = {"315", "320", "280", "135", "300"};
    core::Calculate(hunt, '.');
    instruments::RxReadings readings;
    for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
        readings(0, 0, row) = {45, -20, 1};
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(quality::AssessFixes(hunt, readings, quality::QualitySettings{}, '.'));
    }
}
BENCHMARK(AssessFiveFixes)->Unit(benchmark::kMicrosecond);

VANTREL_FIGURES([](const RunResults& results) {
    std::vector<Figure> figures;
    if (const auto c = results.Counter("Coverage/crossing90/iterations:1", "coverage")) {
        figures.push_back({"Quality: fixes inside their 95 % ellipse, 90-degree crossing",
                           Number(*c * 100, 4) + " %", "95 % +- 1", std::fabs(*c - 0.95) <= 0.01});
    }
    if (const auto c = results.Counter("Coverage/crossing30/iterations:1", "coverage")) {
        figures.push_back({"Quality: fixes inside their 95 % ellipse, 30-degree crossing",
                           Number(*c * 100, 4) + " %",
                           "",
                           {}});
    }
    if (const auto seconds = results.CpuSeconds("AssessFiveFixes")) {
        figures.push_back(
            {"Quality: assessing the five fixes of a hunt", Number(*seconds * 1e6) + " us", "", {}});
    }
    return figures;
});

}  // namespace
}  // namespace vantrel::bench
