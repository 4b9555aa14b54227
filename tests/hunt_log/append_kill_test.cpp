// The bearing log under the worst fault: a process appending bearings is killed (SIGKILL) at a random
// moment, 200 times, each new process going on with the same log. After every kill, every bearing a
// process was told is logged reads back, complete and unchanged, and ids run 1, 2, 3, ... without a gap:
// at most the one event being written when the kill came is missing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>

#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_log/log_writer.hpp"
#include "support/child_guard.hpp"
#include "temp_dir.hpp"

namespace vantrel::hunt_log {
namespace {

constexpr int kKills = 200;

// The bearing with a given id: every field follows from the id, so each one read back can be checked.
NewBearing BearingNumber(std::uint64_t id) {
    NewBearing b;
    b.time = static_cast<TimeMs>(id) * 1000;
    b.fox = static_cast<int>(id % 5) + 1;
    b.station = "car " + std::to_string(id % 3);
    b.lat = 50 + static_cast<double>(id % 1000) * 1e-4;
    b.lon = 9.25;
    b.bearing = static_cast<double>(id % 360);
    b.sigma = 1 + static_cast<double>(id % 7);
    b.source = "receiver";
    return b;
}

// The child: appends bearings until it is killed, writing each id to `confirmed` once it is logged.
[[noreturn]] void AppendForever(const std::filesystem::path& log, int confirmed) {
    auto writer = LogWriter::Open(log, std::nullopt, 0);
    if (!writer) {
        ::_exit(1);
    }
    for (int i = 0; i < 100'000; ++i) {
        const auto id = writer->AppendBearing(BearingNumber(writer->LastId() + 1));
        if (!id || ::write(confirmed, &*id, sizeof *id) != sizeof *id) {
            ::_exit(1);
        }
    }
    ::_exit(0);
}

using testing_support::ChildGuard;

// Checks the log after a kill; returns the number of bearings in it.
std::uint64_t CheckLog(const std::filesystem::path& path, std::uint64_t mostConfirmed, int kill) {
    const auto read = ReadLog(path);
    EXPECT_TRUE(read) << read.message();
    if (!read) {
        return 0;
    }
    // Each kill may have torn one line, which the next writer ended: never more bad lines than kills.
    EXPECT_LE(read->report.badLines, static_cast<std::size_t>(kill + 1));
    std::uint64_t expected = 1;
    for (const Event& event : read->log.events) {
        const auto& b = std::get<BearingEvent>(event);
        const NewBearing should = BearingNumber(expected);
        EXPECT_EQ(b.id, expected) << "after kill " << kill;
        EXPECT_EQ(b.time, should.time);
        EXPECT_EQ(b.fox, should.fox);
        EXPECT_EQ(read->log.Label(b.station), should.station);
        EXPECT_EQ(b.lat, should.lat);
        EXPECT_EQ(b.bearing, should.bearing);
        EXPECT_EQ(b.sigma, should.sigma);
        if (b.id != expected) {
            return 0;
        }
        ++expected;
    }
    const std::uint64_t count = expected - 1;
    EXPECT_GE(count, mostConfirmed) << "a bearing reported as logged was lost (kill " << kill << ")";
    return count;
}

TEST(AppendUnderKill, EveryLoggedBearingReadsBackAndNothingBeforeTheTornOneIsLost) {
    const testing_support::TempDir dir;
    const auto log = dir / "hunt.fhl";
    ASSERT_TRUE(LogWriter::Open(log, geodesy::UtmZone{32, 'U'}, 0));

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayMicroseconds(0, 20'000);
    std::uint64_t mostConfirmed = 0;
    std::uint64_t count = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        std::array<int, 2> confirmed{};
        ASSERT_EQ(::pipe(confirmed.data()), 0);
        ChildGuard child;
        child.pid = ::fork();
        ASSERT_GE(child.pid, 0);
        if (child.pid == 0) {
            ::close(confirmed[0]);
            AppendForever(log, confirmed[1]);
        }
        ::close(confirmed[1]);
        std::uint64_t id = 0;
        ASSERT_EQ(::read(confirmed[0], &id, sizeof id), static_cast<ssize_t>(sizeof id))
            << "the child could not append (kill " << kill << ")";
        mostConfirmed = std::max(mostConfirmed, id);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(child.pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);
        child.pid = -1;
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the child's appends failed (kill " << kill << ")";
        while (::read(confirmed[0], &id, sizeof id) == static_cast<ssize_t>(sizeof id)) {
            mostConfirmed = std::max(mostConfirmed, id);
        }
        ::close(confirmed[0]);
        const std::uint64_t now = CheckLog(log, mostConfirmed, kill);
        ASSERT_GE(now, count) << "bearings vanished (kill " << kill << ")";
        count = now;
    }
    // The kills did land while bearings were being logged.
    EXPECT_GT(count, static_cast<std::uint64_t>(kKills));
}

}  // namespace
}  // namespace vantrel::hunt_log
