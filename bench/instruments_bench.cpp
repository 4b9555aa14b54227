// The instrument readers: throughput in bytes per second and the most heap they hold while reading. Both
// must stay flat whatever arrives: linear time, memory bounded by one sentence or line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "heap_meter.hpp"
#include "instruments/gps_request.hpp"
#include "instruments/nmea_reader.hpp"
#include "instruments/rx_line.hpp"

namespace vantrel::bench {
namespace {

// Serial ports hand over a few KiB at a time.
constexpr std::size_t kChunk = 4096;
constexpr std::size_t kNoiseBytes = 100'000'000;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// All recorded GPS captures, one after the other.
const std::string& Captures() {
    static const std::string bytes = [] {
        std::string all;
        const std::filesystem::path folder = std::filesystem::path(VANTREL_TESTDATA_DIR) / "nmea";
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == ".log") {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            all += ReadFile(file);
        }
        return all;
    }();
    return bytes;
}

// Random bytes. Without '$' nothing ever starts a sentence; with every byte value, '$' and LF open and close
// junk "sentences" all the time and none is valid.
std::string Noise(bool withDollar) {
    std::mt19937_64 random(20240601);
    std::string bytes(kNoiseBytes, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
        if (!withDollar && c == '$') {
            c = '#';
        }
    }
    return bytes;
}

const std::string& NoiseWithoutDollar() {
    static const std::string bytes = Noise(false);
    return bytes;
}

const std::string& NoiseWithDollar() {
    static const std::string bytes = Noise(true);
    return bytes;
}

// Frames every sentence and checks each as an RMC, as the GPS request does until its fix.
void ReadAllSentences(benchmark::State& state, std::string_view stream) {
    std::size_t valid = 0;
    std::size_t peakGrowth = 0;
    for (auto _ : state) {
        ResetPeak();
        const std::size_t before = HeapInUse();
        instruments::NmeaFramer framer;
        for (std::size_t at = 0; at < stream.size(); at += kChunk) {
            framer.Feed(std::string_view(stream).substr(at, kChunk), [&](std::string_view sentence) {
                if (instruments::ParseRmc(sentence)) {
                    ++valid;
                }
                return true;
            });
        }
        peakGrowth = std::max(peakGrowth, HeapPeak() - before);
    }
    benchmark::DoNotOptimize(valid);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
    state.counters["input_bytes"] = static_cast<double>(stream.size());
    state.counters["peak_heap_bytes"] = static_cast<double>(peakGrowth);
}

void NmeaCaptures(benchmark::State& state) {
    ReadAllSentences(state, Captures());
}
BENCHMARK(NmeaCaptures)->Unit(benchmark::kMillisecond);

void NmeaNoiseWithoutDollar(benchmark::State& state) {
    ReadAllSentences(state, NoiseWithoutDollar());
}
BENCHMARK(NmeaNoiseWithoutDollar)->Unit(benchmark::kMillisecond);

// 1, 10 and 100 MB of the noise: the time must grow in proportion (the fitted complexity is O(N)).
void NmeaNoiseWithDollar(benchmark::State& state) {
    ReadAllSentences(state,
                     std::string_view(NoiseWithDollar()).substr(0, static_cast<std::size_t>(state.range(0))));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(NmeaNoiseWithDollar)
    ->RangeMultiplier(10)
    ->Range(1'000'000, kNoiseBytes)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// The same noise through the GPS request, which never finds a fix in it.
void GpsRequestOnNoise(benchmark::State& state) {
    const std::string& stream = NoiseWithDollar();
    for (auto _ : state) {
        instruments::GpsRequest request;
        for (std::size_t at = 0; at < stream.size(); at += kChunk) {
            request.Feed(std::string_view(stream).substr(at, kChunk));
        }
        benchmark::DoNotOptimize(request.ended());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(GpsRequestOnNoise)->Unit(benchmark::kMillisecond);

// Receiver lines: CR LF framing over the same noise (CR LF pairs are rare in it, so lines run long and most
// are dropped at the length limit).
void RxLinesOnNoise(benchmark::State& state) {
    const std::string& stream = NoiseWithDollar();
    std::size_t lines = 0;
    std::size_t peakGrowth = 0;
    for (auto _ : state) {
        ResetPeak();
        const std::size_t before = HeapInUse();
        instruments::RxLineFramer framer;
        for (std::size_t at = 0; at < stream.size(); at += kChunk) {
            framer.Feed(std::string_view(stream).substr(at, kChunk), [&](std::string_view) {
                ++lines;
                return true;
            });
        }
        peakGrowth = std::max(peakGrowth, HeapPeak() - before);
    }
    benchmark::DoNotOptimize(lines);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
    state.counters["peak_heap_bytes"] = static_cast<double>(peakGrowth);
}
BENCHMARK(RxLinesOnNoise)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::bench
