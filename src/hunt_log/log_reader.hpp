#pragma once

// Reading a bearing log, bounded and honest. The file is read in chunks of one megabyte, line by line, so
// memory holds the events and one line, never the file. Limits: a line of at most 64 KiB, a file of at most
// 256 MiB (a log of a million bearings is about 250 MB).
//
// - The first line must be the header; a file without one is refused (it is no bearing log).
// - A last line without its line end was being written when the program or the machine stopped: it is
//   left out and reported ("the last line of X is incomplete; it was left out"), and left in the file.
// - A line elsewhere that is no valid event (not JSON, a field out of range, longer than the limit) is
//   left out and reported with its number; reading goes on, so nothing after it is lost, and the report
//   says how many events were read.
// - Events of unknown types and unknown fields are skipped (counted).
// - Truth lines (a simulated hunt's true fox positions) go into Log::truth, in file order.
// - A bearing whose position is given in another zone than the log's is converted into the log's zone
//   (exact transverse Mercator), so every bearing of the result lies in Log::header.zone.
//
// Any thread may call ReadLog; each call works on its own data. It decodes blocks of lines on worker
// threads of its own (as many at once as the machine has cores) and returns when all are done.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "hunt_log/events.hpp"

namespace vantrel::hunt_log {

inline constexpr std::size_t kMostLineBytes = 64 * 1024;
inline constexpr std::uintmax_t kMostLogBytes = 256ull * 1024 * 1024;

struct ReadReport {
    std::size_t eventsRead = 0;     // bearings, positions and edits
    std::size_t unknownEvents = 0;  // of types this program does not know, skipped
    std::size_t badLines = 0;       // left out, each named in `problems` (the first kMostProblems)
    std::size_t convertedFromOtherZone = 0;
    bool tornLastLine = false;
    std::vector<std::string> problems;  // one sentence each, naming the file and the line

    static constexpr std::size_t kMostProblems = 20;

    // The problems, then (where lines were left out) how many events were read; empty when all is well.
    [[nodiscard]] std::vector<std::string> Warnings(const std::filesystem::path& path) const;
};

struct LogRead {
    Log log;
    ReadReport report;
};

// Fails, with a message naming the file, when it cannot be read, is not a regular file, is larger than
// kMostLogBytes, or does not start with a header.
core::Result<LogRead> ReadLog(const std::filesystem::path& path);

// The zone a log's header names, reading its first line only; nothing when the file is missing, cannot be
// read or does not start with a header. For the hunt's zone rule, which asks on every redraw.
std::optional<geodesy::UtmZone> ReadLogZone(const std::filesystem::path& path);

}  // namespace vantrel::hunt_log
