// The commands a user runs on one measurement, one after the other as from the menus: File > Open,
// Calculate, Write Overlays, Write Preview Overlay, File > Save, on the example hunt in a temporary folder
// (the settings file, the overlays and the data file all in it). Reported: the median time of the chain,
// and the share of it spent flushing to the disk.
//
// The flushing is measured where it happens. This program defines fsync() itself, so the program's code
// linked into it (the atomic file helper) calls this definition instead of the C library's: it times each
// real fsync system call, and for the chain without flushing returns at once. Nothing in the program is
// changed for it and no preloaded library is needed.
#include <benchmark/benchmark.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <vector>

#include "core/cross_fix.hpp"
#include "figures.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/result_overlays.hpp"
#include "persistence/data_file_commands.hpp"
#include "temp_dir.hpp"

namespace vantrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

// What fsync() does in this program: really flush (and time it), or return at once.
std::atomic<bool> flushToDisk{true};
std::atomic<std::int64_t> fsyncNanoseconds{0};
std::atomic<std::int64_t> fsyncCalls{0};

}  // namespace
}  // namespace vantrel::bench

extern "C" int fsync(int fd) {
    using namespace vantrel::bench;
    ++fsyncCalls;
    if (!flushToDisk) {
        return 0;
    }
    const auto start = Clock::now();
    const int result = static_cast<int>(::syscall(SYS_fsync, fd));
    fsyncNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
    return result;
}

namespace vantrel::bench {
namespace {

constexpr char kSeparator = ',';
const std::filesystem::path kExample =
    std::filesystem::path(VANTREL_SOURCE_DIR) / "examples/hunt-vogelsberg.fh2";

struct ChainFiles {
    std::filesystem::path measurement;
    std::filesystem::path settingsFile;
    persistence::Settings settings;
};

ChainFiles FilesIn(const std::filesystem::path& folder) {
    ChainFiles files;
    files.measurement = folder / "hunt.fh2";
    files.settingsFile = folder / "Vantrel.ini";
    files.settings.FoxesFileLocation = (folder / "foxes.ovl").string();
    files.settings.RaysFileLocation = (folder / "rays.ovl").string();
    files.settings.PreviewOverlayFileLocation = (folder / "preview.ovl").string();
    return files;
}

// One chain, as the user runs it; the first command that fails stops it with its message.
core::Outcome RunChain(const ChainFiles& files) {
    persistence::ProgramState program;
    program.settings = files.settings;
    core::Outcome outcome =
        persistence::OpenDataFile(program, files.measurement, kSeparator, files.settingsFile);
    if (outcome) {
        outcome = core::Calculate(program.main, kSeparator);
    }
    if (outcome) {
        outcome = map_outputs::WriteOverlays(program.main, program.settings);
    }
    if (outcome) {
        outcome = map_outputs::WritePreviewOverlay(program.main, program.settings, kSeparator);
    }
    if (outcome) {
        outcome = persistence::SaveDataFile(program, files.measurement, kSeparator, files.settingsFile);
    }
    return outcome;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Counters: the median chain in microseconds, the median share of a chain spent in fsync, and the fsync
// calls per chain.
void CommandChain(benchmark::State& state, bool flush) {
    const testing_support::TempDir folder;
    const ChainFiles files = FilesIn(folder.path());
    std::filesystem::copy_file(kExample, files.measurement);
    flushToDisk = flush;
    std::vector<double> chainSeconds;
    std::vector<double> flushShares;
    std::int64_t calls = 0;
    for (auto _ : state) {
        const std::int64_t callsBefore = fsyncCalls;
        const std::int64_t flushBefore = fsyncNanoseconds;
        const auto start = Clock::now();
        const core::Outcome outcome = RunChain(files);
        const double seconds = Seconds(Clock::now() - start);
        if (!outcome) {
            state.SkipWithError(outcome.message().c_str());
            break;
        }
        state.SetIterationTime(seconds);
        chainSeconds.push_back(seconds);
        flushShares.push_back(static_cast<double>(fsyncNanoseconds - flushBefore) / 1e9 / seconds);
        calls = fsyncCalls - callsBefore;
    }
    flushToDisk = true;
    if (chainSeconds.empty()) {
        return;
    }
    state.counters["median_us"] = Median(chainSeconds) * 1e6;
    state.counters["fsync_share"] = Median(flushShares);
    state.counters["fsync_calls"] = static_cast<double>(calls);
}

BENCHMARK_CAPTURE(CommandChain, flushed, true)->UseManualTime()->MinTime(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CommandChain, unflushed, false)->UseManualTime()->MinTime(3)->Unit(benchmark::kMicrosecond);

std::string Percent(double share) {
    return Number(share * 100) + " %";
}

VANTREL_FIGURES([](const RunResults& results) {
    std::vector<Figure> figures;
    const std::string flushed = "CommandChain/flushed/min_time:3.000/manual_time";
    const std::string unflushed = "CommandChain/unflushed/min_time:3.000/manual_time";
    const auto withFlush = results.Counter(flushed, "median_us");
    const auto withoutFlush = results.Counter(unflushed, "median_us");
    const auto measuredShare = results.Counter(flushed, "fsync_share");
    const auto calls = results.Counter(flushed, "fsync_calls");
    if (!withFlush || !withoutFlush || !measuredShare || !calls) {
        return figures;
    }
    figures.push_back({"Commands: Open, Calculate, overlays, preview, Save: median",
                       Number(*withFlush) + " us (" + Number(*withoutFlush) + " us without flushing)",
                       "",
                       {}});
    if (*calls == 0) {
        figures.push_back({"Commands: share spent flushing to disk", "not measured: no fsync seen", "", {}});
        return figures;
    }
    // The difference of the medians also counts what flushing slows down besides fsync itself (the file
    // system's journal makes the renames and creations behind a flush wait too).
    figures.push_back({"Commands: share spent flushing to disk",
                       Percent(1 - *withoutFlush / *withFlush) + " by the difference; " +
                           Percent(*measuredShare) + " inside the " + Number(*calls) + " fsync calls",
                       "",
                       {}});
    return figures;
});

}  // namespace
}  // namespace vantrel::bench
