#pragma once

// locate --log FILE.fhl [--fox N]: the many-bearing fix of each fox of a bearing log, one block of
// LocateBlockLines per fox after a line "F<i>". Ignored bearings are left out, positions are the log's
// (in its zone) and true bearings are turned into grid bearings of that zone (fox_fix).
// Without --fox, every fox with at least two bearings gets its block; a fox with only one is named in a
// warning; a log without any such fox fails. With --fox, that fox needs two bearings.
// replay FILE.fhl --at TIME prints the same for the log cut at TIME (its events up to TIME).

#include <filesystem>
#include <optional>
#include <string>

#include "cli/cli.hpp"
#include "hunt_log/events.hpp"
#include "hunt_log/log_reader.hpp"
#include "locate/locate.hpp"

namespace vantrel::cli {

// Reads a bearing log for a command, printing its warnings; nullopt after printing why it cannot be read.
std::optional<hunt_log::LogRead> ReadAndWarn(const std::filesystem::path& path);

// With `at`, the log is cut at that time first (ReplayTime), as if it ended there: `replay --at`.
int RunLocateLog(const std::string& logName, std::optional<int> fox, const locate::Options& options,
                 const std::optional<std::string>& at = std::nullopt);

// The options of locate over the [Locate] settings (whose unusable values are warned about); nullopt
// after a usage error naming the option. Shared by locate and replay.
std::optional<locate::Options> LocateOptions(const Context& context);

// --fox N: 1..5; nullopt when not given. Sets `bad` after a usage error.
std::optional<int> FoxOption(const Context& context, bool& bad);

// A time of a replay: a UTC time ("2026-12-08T14:05:00Z", as the log writes them) or "+SECONDS" after the
// log's first event (fractions allowed, '.' decimal). nullopt for anything else, or "+S" of a log without
// events.
std::optional<hunt_log::TimeMs> ReplayTime(std::string_view text, const hunt_log::Log& log);

}  // namespace vantrel::cli
