#pragma once

// How the Hunt Map draws, remembered between runs in a section of its own of Vantrel.ini:
//   [HuntMap]
//   SymbolSize=1     text, lines and symbols, times their usual size (0.5 to 3)
//   Night=0          1: the night palette (dark sheet, reds)
//   Legend=1         0: the legend hidden
// The seven program settings and everything else in the file stay exactly as they are.

#include <filesystem>

#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

struct HuntMapDisplay {
    static constexpr double kSmallest = 0.5;
    static constexpr double kLargest = 3;

    double symbolSize = 1;
    bool night = false;
    bool legend = true;

    friend bool operator==(const HuntMapDisplay&, const HuntMapDisplay&) = default;
};

// Absent keys take their defaults; a size that is not a number ('.' or ',' as the point) is 1, one out of
// range is brought into it; a flag is on only for "1".
HuntMapDisplay HuntMapDisplayFromIni(const IniFile& ini);
HuntMapDisplay ReadHuntMapDisplay(const std::filesystem::path& iniPath);
// Writes the three keys, atomically, keeping every other line of the file.
core::Outcome WriteHuntMapDisplay(const HuntMapDisplay& display, const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
