#pragma once

// How the Hunt Map shows a followed or replayed log, remembered in a section of its own of Vantrel.ini:
//   [LiveMap]
//   MaxRayAge=10     minutes a ray stays on the map, fading from 0.8 to 0.1 opacity (1 to 1440)
//   Follow=1         1: the view keeps the car in sight as it moves
// The described settings and everything else in the file stay exactly as they are.

#include <filesystem>

#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

struct LiveMapSettings {
    static constexpr int kShortestMinutes = 1;
    static constexpr int kLongestMinutes = 24 * 60;

    int maxRayAgeMinutes = 10;
    bool follow = true;

    friend bool operator==(const LiveMapSettings&, const LiveMapSettings&) = default;
};

// Absent keys take their defaults; an age that is no whole number is 10, one out of range is brought
// into it; Follow is off only for "0".
LiveMapSettings LiveMapSettingsFromIni(const IniFile& ini);
LiveMapSettings ReadLiveMapSettings(const std::filesystem::path& iniPath);
// Writes the two keys, atomically, keeping every other line of the file.
core::Outcome WriteLiveMapSettings(const LiveMapSettings& settings, const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
