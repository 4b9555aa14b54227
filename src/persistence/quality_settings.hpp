#pragma once

// The fix-quality settings, kept in their own section [Quality] of Vantrel.ini:
//   [Quality]
//   BearingSigma=5        ; degrees, the deviation of a bearing typed by hand (0..180)
//   BearingSigmaFloor=3   ; degrees, the least deviation of a bearing from readings (0..180)
//   Confidence=0.95       ; the probability the ellipse holds (0 < p < 1)
// The program only reads them: a user edits the section by hand, and nothing here writes the file, so the
// seven settings and everything else in it stay as they are.

#include <filesystem>
#include <string>
#include <vector>

#include "persistence/ini_file.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::persistence {

inline constexpr const char* kQualitySection = "Quality";

struct QualitySettingsRead {
    quality::QualitySettings settings;
    // One line per key whose value was not usable and was replaced by its default (a sigma above 180 degrees
    // by 180, the largest there is):
    // "[Quality] Confidence=1.5 is not between 0 and 1 (exclusive); 0.95 is used".
    std::vector<std::string> problems;
};

// An absent key (or section) takes its default. Values are read with '.' or ',' as the decimal point,
// blanks around them allowed; a value that is not a number or out of its range is reported and replaced
// by the default.
QualitySettingsRead QualitySettingsFromIni(const IniFile& ini);

// QualitySettingsFromIni of the settings file; a missing or unreadable file gives the defaults.
QualitySettingsRead ReadQualitySettings(const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
