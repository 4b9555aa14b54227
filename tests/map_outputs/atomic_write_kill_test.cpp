// The atomic file writing under the worst fault: the process is killed (SIGKILL) at a random moment while
// it rewrites a measurement file, an overlay and Vantrel.ini in a loop. Whenever it dies, each file must be
// the complete old or the complete new version, never a mix and never empty.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "file_bytes.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/program_state.hpp"
#include "persistence/settings.hpp"
#include "support/child_guard.hpp"
#include "temp_dir.hpp"

namespace vantrel::map_outputs {
namespace {

using persistence::ProgramState;
using std::filesystem::path;
using testing_support::ReadBytes;
using testing_support::TempDir;

constexpr int kKills = 200;
const std::array<const char*, 3> kFiles{"hunt.fh2", "preview.ovl", "Vantrel.ini"};

// Two versions of the measurement and the settings, with files of different contents and lengths.
ProgramState Version(int which, const path& folder) {
    ProgramState state;
    core::MeasurementState& m = state.main;
    m.Sced1Lat = which == 0 ? "5541637,3" : "5524124,15";
    m.Sced1Lon = which == 0 ? "472866" : "475283,4";
    m.Sced1Ang = which == 0 ? "0" : "12,5";
    m.S1Ang = {"45", "90", "120", "60", "10"};
    m.S1Sig = which == 0 ? std::array<std::string, 5>{"-3", "-10", "-30", "-70", "0"}
                         : std::array<std::string, 5>{"-70", "-30", "-10", "-3", "-1"};
    state.RxReadings(0, 0, 0) = {which == 0 ? 45.0 : 44.5, -3, 1};
    state.settings.GpsPort = which == 0 ? "1" : "12";
    state.settings.LastUsedFilename = (folder / (which == 0 ? "hunt.fh2" : "another hunt.fh2")).string();
    state.settings.PreviewOverlayFileLocation = (folder / "preview.ovl").string();
    return state;
}

// One rewrite of the three files, as Save, Write Preview Overlay and PutIniData do it.
bool WriteAll(ProgramState& state, const path& folder) {
    return persistence::WriteDataFile(state, folder / kFiles[0], ',') &&
           WritePreviewOverlay(state.main, state.settings, ',') &&
           persistence::PutIniData(state.settings, folder / kFiles[2]);
}

// The child: rewrites the files with the two versions in turn until it is killed; says once on `ready`
// that a whole round is done. Never returns.
[[noreturn]] void RewriteForever(const path& folder, int ready) {
    const pid_t parent = ::getppid();
    std::array<ProgramState, 2> versions{Version(0, folder), Version(1, folder)};
    for (long round = 1; ::getppid() == parent && round < 1'000'000; ++round) {
        if (!WriteAll(versions[static_cast<std::size_t>(round % 2)], folder)) {
            ::_exit(1);
        }
        if (round == 1 && ::write(ready, "r", 1) != 1) {
            ::_exit(1);
        }
    }
    ::_exit(0);
}

using testing_support::ChildGuard;

TEST(AtomicWriteUnderKill, EveryFileIsTheWholeOldOrTheWholeNewVersion) {
    const TempDir dir;
    // What each version's files hold, made by the same code in folders of their own.
    const path live = dir / "live";
    std::array<std::array<std::string, 3>, 2> expected;
    for (int which = 0; which < 2; ++which) {
        const path folder = dir / ("version-" + std::to_string(which));
        std::filesystem::create_directories(folder);
        ProgramState state = Version(which, live);
        auto& files = expected[static_cast<std::size_t>(which)];
        ASSERT_TRUE(persistence::WriteDataFile(state, folder / kFiles[0], ','));
        files[0] = ReadBytes(folder / kFiles[0]);
        files[1] = *PreviewOverlayText(state.main, ',');
        ASSERT_TRUE(persistence::PutIniData(state.settings, folder / kFiles[2]));
        files[2] = ReadBytes(folder / kFiles[2]);
    }
    std::filesystem::create_directories(live);
    ProgramState first = Version(0, live);
    ASSERT_TRUE(WriteAll(first, live));

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayMicroseconds(0, 20'000);
    std::array<int, 2> seen{};
    for (int kill = 0; kill < kKills; ++kill) {
        std::array<int, 2> ready{};
        ASSERT_EQ(::pipe(ready.data()), 0);
        ChildGuard child;
        child.pid = ::fork();
        ASSERT_GE(child.pid, 0);
        if (child.pid == 0) {
            ::close(ready[0]);
            RewriteForever(live, ready[1]);
        }
        ::close(ready[1]);
        char byte = 0;
        const bool started = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        ASSERT_TRUE(started) << "the child could not rewrite the files (kill " << kill << ")";
        // Where the kill lands is chance; the check below holds wherever it lands.
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(child.pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);
        child.pid = -1;
        // Not ended by itself: a write that failed in the child would have ended it before the kill.
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the child's writes failed (kill " << kill << ")";

        for (std::size_t f = 0; f < kFiles.size(); ++f) {
            const std::string bytes = ReadBytes(live / kFiles[f]);
            const bool old = bytes == expected[0][f];
            ASSERT_TRUE(old || bytes == expected[1][f])
                << kFiles[f] << " after kill " << kill << " is neither version (" << bytes.size()
                << " bytes)";
            ++seen[old ? 0 : 1];
        }
    }
    // Both versions were met: the kills did land at different points of the loop.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

}  // namespace
}  // namespace vantrel::map_outputs
