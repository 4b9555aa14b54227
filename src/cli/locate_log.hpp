#pragma once

// locate --log FILE.fhl [--fox N]: the many-bearing fix of each fox of a bearing log, one block of
// LocateBlockLines per fox after a line "F<i>". Ignored bearings are left out, positions are the log's
// (in its zone) and true bearings are turned into grid bearings of that zone (fox_fix).
// Without --fox, every fox with at least two bearings gets its block; a fox with only one is named in a
// warning; a log without any such fox fails. With --fox, that fox needs two bearings.

#include <optional>
#include <string>

#include "cli/cli.hpp"
#include "locate/locate.hpp"

namespace vantrel::cli {

int RunLocateLog(const std::string& logName, std::optional<int> fox, const locate::Options& options);

}  // namespace vantrel::cli
