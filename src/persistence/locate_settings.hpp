#pragma once

// The settings of the many-bearing fix, kept in their own section [Locate] of Vantrel.ini:
//   [Locate]
//   Method=andrews   ; mle, huber or andrews (any letter case)
//   Tuning=1.5       ; the tuning constant of huber and andrews, > 0
//   Sigma=           ; degrees in (0, 90] for bearings without their own; empty: estimated from the bearings
//   Confidence=0.95  ; the probability the ellipse holds (0 < p < 1)
// The program only reads them: a user edits the section by hand, and nothing here writes the file, so the
// seven settings and everything else in it stay as they are.

#include <filesystem>
#include <string>
#include <vector>

#include "locate/locate.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

inline constexpr const char* kLocateSection = "Locate";

struct LocateSettingsRead {
    locate::Options options;
    // One line per key whose value was not usable and was replaced by its default:
    // "[Locate] Tuning=0 is not above 0; 1.5 is used".
    std::vector<std::string> problems;
};

// An absent key (or section) takes its default, and so does an empty Sigma (estimate). Numbers are read
// with '.' or ',' as the decimal point, blanks around them allowed; a value that is not usable is reported
// and replaced by the default.
LocateSettingsRead LocateSettingsFromIni(const IniFile& ini);

// LocateSettingsFromIni of the settings file; a missing or unreadable file gives the defaults.
LocateSettingsRead ReadLocateSettings(const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
