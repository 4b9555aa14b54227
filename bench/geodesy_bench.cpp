// The coordinate conversions against the two reference libraries, side by side on the same one million
// points: GeographicLib's UTMUPS (Krueger's series to 6th order) and PROJ's proj_trans between EPSG:4326 and
// EPSG:32632 (the transformation made once). The points cover central Europe within UTM zone 32, which is
// the zone UtmToLatLon serves and the one EPSG:32632 projects to, so all three do the same work.
//
// UtmAgreement checks, once per run, that ours stays within its stated accuracy of GeographicLib on every
// one of those points, and that the two references agree with each other (which shows the PROJ set-up,
// axis order included, is the one meant).
#include <benchmark/benchmark.h>
#include <proj.h>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "figures.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::bench {
namespace {

constexpr std::size_t kPointCount = 1'000'000;
// Each conversion benchmark runs this often, one after the other; the figures are medians over them, so one
// run disturbed by other work on the machine does not decide a verdict.
constexpr int kRepetitions = 7;
constexpr double kMinSecondsPerRepetition = 0.3;
constexpr double kCentralMeridian = 9;
constexpr double kMetresPerDegree = 111320;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

struct Points {
    std::vector<double> lat;
    std::vector<double> lon;
    // GeographicLib's zone 32 coordinates of the same points: the input of the reverse conversions.
    std::vector<double> easting;
    std::vector<double> northing;
};

// Uniform in 47..55 N, 6..12 E (Lake Constance to the Danish border, the Rhine to the Czech border).
const Points& CentralEurope() {
    static const Points points = [] {
        Points p;
        std::mt19937_64 random(20250101);
        std::uniform_real_distribution<double> lat(47, 55);
        std::uniform_real_distribution<double> lon(6, 12);
        for (std::size_t i = 0; i < kPointCount; ++i) {
            p.lat.push_back(lat(random));
            p.lon.push_back(lon(random));
            int zone = 0;
            bool north = false;
            double x = 0;
            double y = 0;
            GeographicLib::UTMUPS::Forward(p.lat.back(), p.lon.back(), zone, north, x, y);
            p.easting.push_back(x);
            p.northing.push_back(y);
        }
        return p;
    }();
    return points;
}

// The PROJ transformation EPSG:4326 -> EPSG:32632, in the axis order of the two definitions: latitude,
// longitude in; easting, northing out.
class ProjTransformation {
  public:
    ProjTransformation()
        : context_(proj_context_create(), proj_context_destroy),
          transformation_(proj_create_crs_to_crs(context_.get(), "EPSG:4326", "EPSG:32632", nullptr),
                          proj_destroy) {}
    // False when PROJ cannot make it (its database proj.db missing, say); the benchmark then reports that.
    [[nodiscard]] bool ok() const { return transformation_ != nullptr; }
    [[nodiscard]] PJ* get() const { return transformation_.get(); }

  private:
    std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> context_;
    std::unique_ptr<PJ, decltype(&proj_destroy)> transformation_;
};

// Each conversion benchmark converts all the points once per iteration; `convert(i)` converts point i and
// returns a sum of its results, so that nothing can be optimised away.
template <class Convert>
void ConvertAllPoints(benchmark::State& state, Convert convert) {
    for (auto _ : state) {
        double sum = 0;
        for (std::size_t i = 0; i < kPointCount; ++i) {
            sum += convert(i);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPointCount));
}

// PROJ's transformation is made once, outside the timed loop.
template <class Convert>
void ConvertAllPointsWithProj(benchmark::State& state, Convert convert) {
    const ProjTransformation proj;
    if (!proj.ok()) {
        state.SkipWithError("PROJ cannot make the EPSG:4326 -> EPSG:32632 transformation");
        return;
    }
    ConvertAllPoints(state, [&](std::size_t i) { return convert(proj.get(), i); });
}

void ForwardOurs(benchmark::State& state) {
    const Points& p = CentralEurope();
    ConvertAllPoints(state, [&p](std::size_t i) {
        const geodesy::UtmPosition utm = geodesy::LatLonToUtm(p.lat[i], p.lon[i]);
        return utm.easting + utm.northing + static_cast<double>(utm.zone.size());
    });
}
BENCHMARK(ForwardOurs)
    ->Name("UtmForward/ours")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->MinTime(kMinSecondsPerRepetition);

void ForwardGeographicLib(benchmark::State& state) {
    const Points& p = CentralEurope();
    ConvertAllPoints(state, [&p](std::size_t i) {
        int zone = 0;
        bool north = false;
        double x = 0;
        double y = 0;
        GeographicLib::UTMUPS::Forward(p.lat[i], p.lon[i], zone, north, x, y);
        return x + y + zone;
    });
}
BENCHMARK(ForwardGeographicLib)
    ->Name("UtmForward/GeographicLib")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->MinTime(kMinSecondsPerRepetition);

void ForwardProj(benchmark::State& state) {
    const Points& p = CentralEurope();
    ConvertAllPointsWithProj(state, [&p](PJ* proj, std::size_t i) {
        const PJ_COORD utm = proj_trans(proj, PJ_FWD, proj_coord(p.lat[i], p.lon[i], 0, 0));
        return utm.enu.e + utm.enu.n;
    });
}
BENCHMARK(ForwardProj)
    ->Name("UtmForward/PROJ")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->MinTime(kMinSecondsPerRepetition);

void ReverseOurs(benchmark::State& state) {
    const Points& p = CentralEurope();
    ConvertAllPoints(state, [&p](std::size_t i) {
        const geodesy::GeoPosition geo = geodesy::UtmToLatLon(p.northing[i], p.easting[i], 32);
        return geo.lat + geo.lon;
    });
}
BENCHMARK(ReverseOurs)
    ->Name("UtmReverse/ours")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->MinTime(kMinSecondsPerRepetition);

void ReverseGeographicLib(benchmark::State& state) {
    const Points& p = CentralEurope();
    ConvertAllPoints(state, [&p](std::size_t i) {
        double lat = 0;
        double lon = 0;
        GeographicLib::UTMUPS::Reverse(32, true, p.easting[i], p.northing[i], lat, lon);
        return lat + lon;
    });
}
BENCHMARK(ReverseGeographicLib)
    ->Name("UtmReverse/GeographicLib")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->MinTime(kMinSecondsPerRepetition);

void ReverseProj(benchmark::State& state) {
    const Points& p = CentralEurope();
    ConvertAllPointsWithProj(state, [&p](PJ* proj, std::size_t i) {
        const PJ_COORD geo = proj_trans(proj, PJ_INV, proj_coord(p.easting[i], p.northing[i], 0, 0));
        return geo.v[0] + geo.v[1];
    });
}
BENCHMARK(ReverseProj)
    ->Name("UtmReverse/PROJ")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->MinTime(kMinSecondsPerRepetition);

// ---- agreement ----

// Distance from the central meridian in degrees of longitude times cos(latitude): what the series' error
// grows with.
double DistanceFromCentralMeridian(double lat, double lon) {
    return std::fabs(lon - kCentralMeridian) * std::cos(lat * kRadiansPerDegree);
}

// The stated accuracy of LatLonToUtm: 1 mm within 3 degrees, 12 mm beyond.
double ForwardTolerance(double distance) {
    return distance <= 3 ? 0.001 : 0.012;
}

// The stated accuracy of UtmToLatLon on the ground: 1 mm within 1 degree, 2 cm within 2 degrees, 5 cm out
// to the far edge of zone 32 (3.4 degrees).
double ReverseTolerance(double distance) {
    if (distance <= 1) {
        return 0.001;
    }
    return distance <= 2 ? 0.02 : 0.05;
}

// Metres on the ground between two nearby positions.
double GroundDistance(double lat1, double lon1, double lat2, double lon2) {
    const double north = (lat1 - lat2) * kMetresPerDegree;
    const double east = (lon1 - lon2) * kMetresPerDegree * std::cos(lat1 * kRadiansPerDegree);
    return std::hypot(north, east);
}

std::string ZoneText(int zone, double lat) {
    return std::to_string(zone) + geodesy::UtmLetter(lat);
}

void UtmAgreement(benchmark::State& state) {
    const Points& p = CentralEurope();
    const ProjTransformation proj;
    if (!proj.ok()) {
        state.SkipWithError("PROJ cannot make the EPSG:4326 -> EPSG:32632 transformation");
        return;
    }
    for (auto _ : state) {
        double forwardLargest = 0;
        double reverseLargest = 0;
        double referencesLargest = 0;
        std::size_t outside = 0;
        for (std::size_t i = 0; i < kPointCount; ++i) {
            const double distance = DistanceFromCentralMeridian(p.lat[i], p.lon[i]);
            const geodesy::UtmPosition ours = geodesy::LatLonToUtm(p.lat[i], p.lon[i]);
            const double forward =
                std::max(std::fabs(ours.easting - p.easting[i]), std::fabs(ours.northing - p.northing[i]));
            if (forward > ForwardTolerance(distance) || ours.zone != ZoneText(32, p.lat[i])) {
                ++outside;
            }
            forwardLargest = std::max(forwardLargest, forward);

            const geodesy::GeoPosition back = geodesy::UtmToLatLon(p.northing[i], p.easting[i], 32);
            const double reverse = GroundDistance(p.lat[i], p.lon[i], back.lat, back.lon);
            if (!(reverse <= ReverseTolerance(distance))) {
                ++outside;
            }
            reverseLargest = std::max(reverseLargest, reverse);

            const PJ_COORD projUtm = proj_trans(proj.get(), PJ_FWD, proj_coord(p.lat[i], p.lon[i], 0, 0));
            const PJ_COORD projGeo =
                proj_trans(proj.get(), PJ_INV, proj_coord(p.easting[i], p.northing[i], 0, 0));
            referencesLargest = std::max({referencesLargest, std::fabs(projUtm.enu.e - p.easting[i]),
                                          std::fabs(projUtm.enu.n - p.northing[i]),
                                          GroundDistance(p.lat[i], p.lon[i], projGeo.v[0], projGeo.v[1])});
        }
        state.counters["forward_largest_m"] = forwardLargest;
        state.counters["reverse_largest_m"] = reverseLargest;
        state.counters["references_largest_m"] = referencesLargest;
        state.counters["points_outside"] = static_cast<double>(outside);
    }
}
BENCHMARK(UtmAgreement)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- figures ----

constexpr const char* kAgreement = "UtmAgreement/iterations:1";

// The name Google Benchmark gives a run with our minimum time and repetitions.
std::string RepeatedName(const std::string& name) {
    char minTime[32];
    std::snprintf(minTime, sizeof minTime, "%.3f", kMinSecondsPerRepetition);
    return name + "/min_time:" + minTime + "/repeats:" + std::to_string(kRepetitions);
}

// The nanoseconds per conversion of every repetition, in the order run.
std::vector<double> NanosecondsOfEach(const RunResults& results, const std::string& name) {
    std::vector<double> nanoseconds;
    for (const double seconds : results.CpuSecondsOfEach(RepeatedName(name))) {
        nanoseconds.push_back(seconds / static_cast<double>(kPointCount) * 1e9);
    }
    return nanoseconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// A reference's time over ours, repetition by repetition (the k-th of each, which ran at about the same
// distance in time): the median, and the smallest and largest, as "2.55x (median of 7, 2.41x to 2.60x)".
struct Ratio {
    double median = 0;
    std::string text;
};

Ratio RatioOfRepetitions(const std::vector<double>& reference, const std::vector<double>& ours) {
    std::vector<double> ratios;
    for (std::size_t k = 0; k < reference.size() && k < ours.size(); ++k) {
        ratios.push_back(reference[k] / ours[k]);
    }
    const auto [smallest, largest] = std::minmax_element(ratios.begin(), ratios.end());
    Ratio ratio;
    ratio.median = Median(ratios);
    ratio.text = Number(ratio.median) + "x (median of " + std::to_string(ratios.size()) + ", " +
                 Number(*smallest) + "x to " + Number(*largest) + "x)";
    return ratio;
}

void AddSpeedFigures(const RunResults& results, const std::string& direction, std::vector<Figure>& figures) {
    const auto ours = NanosecondsOfEach(results, direction + "/ours");
    const auto geographicLib = NanosecondsOfEach(results, direction + "/GeographicLib");
    const auto proj = NanosecondsOfEach(results, direction + "/PROJ");
    if (ours.empty() || geographicLib.empty() || proj.empty()) {
        return;
    }
    figures.push_back(
        {direction + ": ns per conversion, ours / GeographicLib / PROJ, medians",
         Number(Median(ours)) + " / " + Number(Median(geographicLib)) + " / " + Number(Median(proj)) + " ns",
         "",
         {}});
    const Ratio versusGeographicLib = RatioOfRepetitions(geographicLib, ours);
    const Ratio versusProj = RatioOfRepetitions(proj, ours);
    figures.push_back({direction + ": GeographicLib's time / ours", versusGeographicLib.text, ">= 4x",
                       versusGeographicLib.median >= 4});
    figures.push_back({direction + ": PROJ's time / ours", versusProj.text, ">= 2x", versusProj.median >= 2});
}

std::string Millimetres(double metres) {
    return Number(metres * 1000) + " mm";
}

VANTREL_FIGURES([](const RunResults& results) {
    std::vector<Figure> figures;
    AddSpeedFigures(results, "UtmForward", figures);
    AddSpeedFigures(results, "UtmReverse", figures);
    const auto outside = results.Counter(kAgreement, "points_outside");
    const auto forward = results.Counter(kAgreement, "forward_largest_m");
    const auto reverse = results.Counter(kAgreement, "reverse_largest_m");
    const auto references = results.Counter(kAgreement, "references_largest_m");
    if (outside && forward && reverse && references) {
        figures.push_back({"Utm: ours vs GeographicLib, largest forward / reverse",
                           Millimetres(*forward) + " / " + Millimetres(*reverse) + ", " +
                               Number(*outside, 7) + " points outside",
                           "stated accuracy", *outside == 0});
        figures.push_back({"Utm: PROJ vs GeographicLib, largest difference", Millimetres(*references),
                           "<= 0.001 mm", *references <= 1e-6});
    }
    return figures;
});

}  // namespace
}  // namespace vantrel::bench
