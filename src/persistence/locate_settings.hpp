#pragma once

// The settings of the many-bearing fix, kept in their own section [Locate] of Vantrel.ini:
//   [Locate]
//   Method=andrews     ; mle, huber or andrews
//   Tuning=1.5         ; the tuning constant of Huber and Andrews (> 0)
//   Sigma=             ; degrees, the deviation of a bearing logged without one (0 < s <= 90); empty:
//                      ; estimated from the bearings' own scatter
//   Confidence=0.95    ; the probability the ellipse holds (0 < p < 1)
// Reading never changes the file; writing sets these four keys only (through the one read-and-rewrite of
// the settings file), so every other section and key stays as it was.
//
// Plain functions of their arguments: any thread may call them.

#include <filesystem>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "locate/locate.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

inline constexpr const char* kLocateSection = "Locate";

struct LocateSettingsRead {
    locate::Options options;
    // One line per key whose value was not usable and was replaced by its default:
    // "[Locate] Tuning=-1 is not a number above 0; 1.5 is used".
    std::vector<std::string> problems;
};

// An absent key (or section) takes its default. Numbers are read with '.' or ',' as the decimal point,
// blanks around them allowed; the method's word in any letter case.
LocateSettingsRead LocateSettingsFromIni(const IniFile& ini);

// The four keys into `ini`, numbers with '.' as the decimal point; an unknown sigma is written empty.
void LocateSettingsToIni(const locate::Options& options, IniFile& ini);

// LocateSettingsFromIni of the settings file; a missing or unreadable file gives the defaults.
LocateSettingsRead ReadLocateSettings(const std::filesystem::path& iniPath);

// Writes the four keys into the settings file (created when missing); the message names the file.
core::Outcome WriteLocateSettings(const locate::Options& options, const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
