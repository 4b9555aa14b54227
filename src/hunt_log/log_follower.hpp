#pragma once

// Following a bearing log while another writer appends to it (`vantrel-cli live` in another process, the
// window's own Track session): each ReadAppended reads only the bytes added since the last call, so a live
// map never reads a long log again. What it reads is bounded: at most kMostStepBytes a call (the rest comes
// with the next call), and a line held back while it is incomplete is at most kMostLineBytes long.
//
// - A last line without its line end is still being written: it is not decoded, and is read again with
//   the bytes that finish it. A line that grows beyond kMostLineBytes is skipped to its end and reported.
// - Lines that are no valid event are left out and reported with their number, as ReadLog does; events of
//   unknown types are skipped. Bearings come in the log's zone, as ReadLog gives them.
// - A file that got shorter than what was read (replaced, or a different file) is read again from its
//   start: the step says so and the events read before are dropped.
// - Truth lines (a simulated hunt's true foxes) go into Log::truth.
//
// One LogFollower belongs to one thread at a time; it may be moved to another between calls.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "hunt_log/events.hpp"
#include "hunt_log/label_index.hpp"

namespace vantrel::hunt_log {

class LineDecoder;

struct FollowStep {
    std::size_t newEvents = 0;          // appended to log() by this step
    bool restarted = false;             // the file was read again from its start (it got shorter)
    bool more = false;                  // more bytes wait than one step reads: call again
    std::vector<std::string> problems;  // lines left out, one sentence each (the first 20 of the step)
};

class LogFollower {
  public:
    static constexpr std::size_t kMostStepBytes = 8u << 20;

    explicit LogFollower(std::filesystem::path path);
    ~LogFollower();
    LogFollower(LogFollower&&) noexcept;
    LogFollower& operator=(LogFollower&&) noexcept;
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    // Reads what was appended since the last call. Fails, naming the file, when it cannot be read, is
    // larger than kMostLogBytes, or its first line is complete and no header; log() is left as it was.
    core::Result<FollowStep> ReadAppended();

    // The events read so far; the header once its line was read (HasHeader).
    [[nodiscard]] const Log& log() const { return log_; }
    [[nodiscard]] bool HasHeader() const { return hasHeader_; }
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    // The bytes of the file that were read and decoded: up to the last complete line.
    [[nodiscard]] std::uintmax_t Offset() const { return offset_; }
    [[nodiscard]] std::size_t BadLines() const { return badLines_; }

  private:
    void Restart();
    // One complete line (without its line end); fails only for a first line that is no header.
    core::Outcome TakeLine(std::string_view line, FollowStep& step);
    void Problem(FollowStep& step, const std::string& what);
    std::uint32_t Label(const std::string& text);

    std::filesystem::path path_;
    Log log_;
    bool hasHeader_ = false;
    std::uintmax_t offset_ = 0;
    bool skipping_ = false;  // inside a line longer than kMostLineBytes
    std::uint64_t lineNumber_ = 0;
    std::size_t badLines_ = 0;
    std::unique_ptr<LineDecoder> decoder_;
    LabelIndex labelIndex_{std::vector<std::string>{""}};
};

}  // namespace vantrel::hunt_log
