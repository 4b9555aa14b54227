// The instrument readers: throughput and the heap they hold, on real captures and on noise, fed in chunks of
// 1, 7 and 4096 bytes. Both must stay flat whatever arrives: time linear in the bytes, memory bounded by
// one sentence or line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "figures.hpp"
#include "heap_meter.hpp"
#include "instruments/nmea_reader.hpp"
#include "instruments/rx_formats.hpp"
#include "instruments/rx_line.hpp"

namespace vantrel::bench {
namespace {

constexpr std::size_t kMegabyte = 1'000'000;
constexpr std::size_t kChunks[] = {1, 7, 4096};
// Serial ports hand over a few KiB at a time: the chunk size the targets are set for.
constexpr std::size_t kPortChunk = 4096;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// All recorded GPS captures, one after the other, in name order.
std::string_view Captures() {
    static const std::string bytes = [] {
        const std::filesystem::path folder = std::filesystem::path(VANTREL_TESTDATA_DIR) / "nmea";
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == ".log") {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        std::string all;
        for (const auto& file : files) {
            all += ReadFile(file);
        }
        return all;
    }();
    return bytes;
}

// 1 MB of random bytes of every value, as a receiver on the wrong speed sends: '$' and line ends open and
// close junk all the time, and nothing in it is a valid sentence or a bearing (the benchmarks count what
// the readers find, to show it).
std::string_view NoiseBlock() {
    static const std::string bytes = [] {
        std::mt19937_64 random(20240601);
        std::string noise(kMegabyte, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random() & 0xFF);
        }
        return noise;
    }();
    return bytes;
}

// The GPS side: frames sentences and checks each as an RMC, as the GPS request does until its fix.
class NmeaReader {
  public:
    void Feed(std::string_view chunk) {
        framer_.Feed(chunk, [this](std::string_view sentence) {
            if (instruments::ParseRmc(sentence)) {
                ++found_;
            }
            return true;
        });
    }
    [[nodiscard]] std::size_t found() const { return found_; }

  private:
    instruments::NmeaFramer framer_;
    std::size_t found_ = 0;
};

// The receiver side: frames lines at CR LF and reads bearing and signal from each.
class ReceiverReader {
  public:
    void Feed(std::string_view chunk) {
        framer_.Feed(chunk, [this](std::string_view line) {
            if (instruments::ReadReceiverLine(line, ',').bearing) {
                ++found_;
            }
            return true;
        });
    }
    [[nodiscard]] std::size_t found() const { return found_; }

  private:
    instruments::RxLineFramer framer_;
    std::size_t found_ = 0;
};

// The receivers in the other formats: frame lines at CR, LF or CR LF and read each in the format.
template <instruments::RxFormat kFormat>
class FormatReader {
  public:
    void Feed(std::string_view chunk) {
        reader_.Feed(chunk, [this](std::string_view, const instruments::RxLineReading& read) {
            if (read.bearing) {
                ++found_;
            }
            return true;
        });
    }
    [[nodiscard]] std::size_t found() const { return found_; }

  private:
    instruments::RxReader reader_{kFormat};
    std::size_t found_ = 0;
};

// A stream made of `repeats` passes over the same bytes. The 100 MB of noise are its 1 MB block a hundred
// times over, so that both sizes are read from the same level of the CPU cache: the per-byte figure then
// compares the readers' own cost, not the machine's memory bandwidth.
struct Stream {
    std::string_view block;
    std::size_t repeats = 1;
    [[nodiscard]] std::size_t size() const { return block.size() * repeats; }
};

// Feeds the whole stream in chunks to a fresh reader per iteration. Counters: the heap the reader holds
// after the last byte, the most it held on the way, and how many positions or bearings it found.
template <class Reader>
void ReadStream(benchmark::State& state, Stream stream, std::size_t chunk) {
    std::size_t heapAtEnd = 0;
    std::size_t heapPeak = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        ResetPeak();
        const std::size_t before = HeapInUse();
        Reader reader;
        for (std::size_t pass = 0; pass < stream.repeats; ++pass) {
            for (std::size_t at = 0; at < stream.block.size(); at += chunk) {
                reader.Feed(stream.block.substr(at, chunk));
            }
        }
        heapAtEnd = HeapInUse() - before;
        heapPeak = std::max(heapPeak, HeapPeak() - before);
        found = reader.found();
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
    state.counters["bytes"] = static_cast<double>(stream.size());
    state.counters["heap_end"] = static_cast<double>(heapAtEnd);
    state.counters["heap_peak"] = static_cast<double>(heapPeak);
    state.counters["found"] = static_cast<double>(found);
}

struct NamedInput {
    const char* name;
    Stream (*stream)();
};

const NamedInput kInputs[] = {
    {"captures",
     [] {
         return Stream{Captures(), 1};
     }},
    {"noise_1MB",
     [] {
         return Stream{NoiseBlock(), 1};
     }},
    {"noise_100MB",
     [] {
         return Stream{NoiseBlock(), 100};
     }},
};

std::string BenchmarkName(const std::string& reader, const std::string& input, std::size_t chunk) {
    return reader + "/" + input + "/" + std::to_string(chunk);
}

template <class Reader>
void RegisterReader(const std::string& readerName) {
    for (const NamedInput& input : kInputs) {
        for (const std::size_t chunk : kChunks) {
            benchmark::RegisterBenchmark(
                BenchmarkName(readerName, input.name, chunk).c_str(),
                [input, chunk](benchmark::State& state) { ReadStream<Reader>(state, input.stream(), chunk); })
                ->Unit(benchmark::kMillisecond);
        }
    }
}

[[maybe_unused]] const bool registered = [] {
    RegisterReader<NmeaReader>("NmeaReader");
    RegisterReader<ReceiverReader>("ReceiverReader");
    RegisterReader<FormatReader<instruments::RxFormat::Agrelo>>("AgreloReader");
    RegisterReader<FormatReader<instruments::RxFormat::Kn5r>>("Kn5rReader");
    RegisterReader<FormatReader<instruments::RxFormat::Aprs>>("AprsReader");
    return true;
}();

// Megabytes (10^6 bytes) per second of the benchmark thread's CPU time.
std::optional<double> MegabytesPerSecond(const RunResults& results, const std::string& name) {
    const auto seconds = results.CpuSeconds(name);
    const auto bytes = results.Counter(name, "bytes");
    if (!seconds || !bytes || *seconds <= 0) {
        return std::nullopt;
    }
    return *bytes / *seconds / 1e6;
}

std::vector<Figure> ReaderFigures(const RunResults& results, const std::string& reader) {
    std::vector<Figure> figures;
    const auto rate = [&](const std::string& input, std::size_t chunk) {
        return MegabytesPerSecond(results, BenchmarkName(reader, input, chunk));
    };
    if (const auto mbs = rate("captures", kPortChunk)) {
        figures.push_back(
            {reader + ": captures, 4096-byte chunks", Number(*mbs) + " MB/s", ">= 300 MB/s", *mbs >= 300});
    }
    const auto one = rate("captures", 1);
    const auto seven = rate("captures", 7);
    if (one && seven) {
        figures.push_back({reader + ": captures, 1- / 7-byte chunks",
                           Number(*one) + " / " + Number(*seven) + " MB/s",
                           "",
                           {}});
    }
    const auto small = rate("noise_1MB", kPortChunk);
    const auto large = rate("noise_100MB", kPortChunk);
    if (small && large) {
        const double ratio = *small / *large;  // per-byte cost of 100 MB over that of 1 MB
        figures.push_back({reader + ": per-byte cost, 100 MB / 1 MB of noise",
                           Number(ratio) + "x (" + Number(*large) + " / " + Number(*small) + " MB/s)",
                           "<= 1.2x", ratio <= 1.2});
    }
    const auto heapSmall = results.Counter(BenchmarkName(reader, "noise_1MB", kPortChunk), "heap_end");
    const auto heapLarge = results.Counter(BenchmarkName(reader, "noise_100MB", kPortChunk), "heap_end");
    if (heapSmall && heapLarge) {
        figures.push_back({reader + ": heap held after 1 MB / 100 MB of noise",
                           Number(*heapSmall, 9) + " / " + Number(*heapLarge, 9) + " bytes", "the same",
                           *heapLarge <= *heapSmall});
    }
    return figures;
}

// The readers of the other formats are set against noise: a unit on the wrong speed, or a port of garbage.
std::vector<Figure> FormatReaderFigures(const RunResults& results, const std::string& reader) {
    std::vector<Figure> figures;
    const auto large = MegabytesPerSecond(results, BenchmarkName(reader, "noise_100MB", kPortChunk));
    if (large) {
        figures.push_back({reader + ": 100 MB of noise, 4096-byte chunks", Number(*large) + " MB/s",
                           ">= 300 MB/s", *large >= 300});
    }
    for (auto& figure : ReaderFigures(results, reader)) {
        if (figure.name.find("captures, 4096") == std::string::npos) {  // NMEA captures are not their lines
            figures.push_back(std::move(figure));
        }
    }
    return figures;
}

VANTREL_FIGURES([](const RunResults& results) {
    std::vector<Figure> figures = ReaderFigures(results, "NmeaReader");
    for (auto& figure : ReaderFigures(results, "ReceiverReader")) {
        figures.push_back(std::move(figure));
    }
    for (const char* reader : {"AgreloReader", "Kn5rReader", "AprsReader"}) {
        for (auto& figure : FormatReaderFigures(results, reader)) {
            figures.push_back(std::move(figure));
        }
    }
    return figures;
});

}  // namespace
}  // namespace vantrel::bench
