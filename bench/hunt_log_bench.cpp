// The bearing log: reading a log of a million events (a car with a Doppler unit logging a bearing and a
// track point every second for almost six days of hunting), with the heap it takes per event; and
// appending one bearing with its flush to the disk, as every logged bearing costs (the median of many, on
// the disk of the temporary folder).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <vector>

#include "figures.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "heap_meter.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_log/log_writer.hpp"
#include "temp_dir.hpp"

namespace vantrel::bench {
namespace {

constexpr std::size_t kEvents = 1'000'000;
constexpr hunt_log::TimeMs kStart = 1796738722123;  // 2026-12-08T14:05:22.123Z

// Half bearings (five foxes in turn, sigma from the receiver), half track points, one of each a second,
// the car moving about a few kilometres.
void WriteLargeLog(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary);
    const geodesy::UtmZone zone{32, 'U'};
    out << hunt_log::EncodeHeader({hunt_log::kFormatVersion, zone, kStart}) << '\n';
    hunt_log::BearingEvent b;
    b.zone = zone;
    b.reference = hunt_log::Reference::True;
    b.readings = 4;
    for (std::size_t i = 0; i < kEvents / 2; ++i) {
        const double t = static_cast<double>(i);
        const hunt_log::TimeMs time = kStart + static_cast<hunt_log::TimeMs>(i) * 1000;
        const double lat = 50.5 + 0.02 * std::sin(t * 1e-3);
        const double lon = 9.25 + 0.03 * std::cos(t * 7e-4);
        b.id = i + 1;
        b.time = time;
        b.fox = static_cast<std::uint8_t>(i % 5 + 1);
        b.lat = lat;
        b.lon = lon;
        const geodesy::ZonePoint p = geodesy::ZoneLatLonToUtm(zone, lat, lon);
        b.easting = p.easting;
        b.northing = p.northing;
        b.bearing = std::fmod(t * 13.7, 360.0);
        b.sigma = 2 + std::fmod(t, 5.0);
        out << hunt_log::EncodeBearing(b, "Car 1", "agrelo") << '\n';
        out << hunt_log::EncodePosition({time + 500, lat, lon, std::fmod(t * 3.1, 360.0), 8.5}) << '\n';
    }
}

class LargeLog {
  public:
    LargeLog() { WriteLargeLog(path()); }
    [[nodiscard]] std::filesystem::path path() const { return dir_ / "large.fhl"; }

  private:
    testing_support::TempDir dir_;
};

void ReadMillionEvents(benchmark::State& state) {
    const LargeLog log;
    std::size_t bytesPerEvent = 0;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        ResetPeak();
        const auto read = hunt_log::ReadLog(log.path());
        if (!read || read->report.eventsRead != kEvents) {
            state.SkipWithError("the log did not read back whole");
            return;
        }
        bytesPerEvent = (HeapPeak() - before) / kEvents;
        benchmark::DoNotOptimize(read->log.events.data());
    }
    // The CPU time of every thread of the process: the reading is spread over the cores, and on a loaded
    // machine the wall-clock time says more about the other programs than about this one.
    state.counters["cpu_s_all_threads"] = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC /
                                          static_cast<double>(state.iterations());
    state.counters["heap_bytes_per_event"] = static_cast<double>(bytesPerEvent);
    state.counters["file_bytes_per_event"] =
        static_cast<double>(std::filesystem::file_size(log.path())) / kEvents;
}
BENCHMARK(ReadMillionEvents)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each iteration: one bearing appended and flushed; the median of the wall-clock times.
void AppendOneBearing(benchmark::State& state) {
    const testing_support::TempDir dir;
    auto writer = hunt_log::LogWriter::Open(dir / "append.fhl", geodesy::UtmZone{32, 'U'}, kStart);
    if (!writer) {
        state.SkipWithError(writer.message().c_str());
        return;
    }
    hunt_log::NewBearing bearing;
    bearing.station = "Station 1";
    bearing.lat = 50.5;
    bearing.lon = 9.25;
    bearing.bearing = 123.5;
    bearing.sigma = 3;
    std::vector<double> seconds;
    for (auto _ : state) {
        bearing.time += 1000;
        const auto start = std::chrono::steady_clock::now();
        if (!writer->AppendBearing(bearing)) {
            state.SkipWithError("an append failed");
            return;
        }
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(seconds.begin(), seconds.begin() + static_cast<std::ptrdiff_t>(seconds.size() / 2),
                     seconds.end());
    state.counters["median_ms"] = seconds[seconds.size() / 2] * 1e3;
}
BENCHMARK(AppendOneBearing)->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();

VANTREL_FIGURES([](const RunResults& results) {
    std::vector<Figure> figures;
    const std::string read = "ReadMillionEvents/iterations:3/real_time";
    if (const auto seconds = results.RealSeconds(read)) {
        figures.push_back(
            {"Log: reading 1,000,000 events", Number(*seconds, 3) + " s", "<= 1 s", *seconds <= 1});
    }
    if (const auto cpu = results.Counter(read, "cpu_s_all_threads")) {
        figures.push_back(
            {"Log: reading 1,000,000 events, CPU time of all threads", Number(*cpu, 3) + " s", "", {}});
    }
    if (const auto bytes = results.Counter(read, "heap_bytes_per_event")) {
        figures.push_back(
            {"Log: memory per event read", Number(*bytes, 3) + " bytes", "<= 200 bytes", *bytes <= 200});
    }
    if (const auto median = results.Counter("AppendOneBearing/iterations:300/real_time", "median_ms")) {
        figures.push_back(
            {"Log: appending one bearing with its flush (median)", Number(*median, 3) + " ms", "", {}});
    }
    return figures;
});

}  // namespace
}  // namespace vantrel::bench
