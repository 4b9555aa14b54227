#pragma once

// The zone chosen for a measurement file, remembered per file in a section of its own of Vantrel.ini:
//   [Zones]
//   /home/me/hunts/olinda.fh2=25M
// The key is the file's absolute path with "." and ".." and links resolved, so the same file reached by
// another relative name finds its zone. Characters the INI form gives a meaning ('=', ';', '#', '[', ']',
// '%', control characters, blanks at either end) are written as %XX. Keys are compared without regard to
// letter case, as every key of the file is: two files whose paths differ only in case share an entry.
// The seven program settings, [Map] and everything else in the file stay exactly as they are.

#include <filesystem>
#include <string>
#include <string_view>

#include <optional>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "geodesy/hunt_zone.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

// The [Zones] key of a measurement file.
std::string ZoneMemoryKey(const std::filesystem::path& measurementFile);

// The zone text remembered for the file, or "" when there is none (no entry, no section, an empty path).
std::string RememberedZone(const IniFile& ini, const std::filesystem::path& measurementFile);

// Remembers `zone` for the file, atomically, keeping every other line; the settings file is made when
// missing. An empty file name is refused (nothing to remember the zone for).
core::Outcome RememberZone(const std::filesystem::path& iniPath, const std::filesystem::path& measurementFile,
                           std::string_view zone);

// The hunt's zone by the order of geodesy::ChooseHuntZone: the state's zone boxes, the bearing log's zone
// (filled by the caller once the log is read), the zone remembered for the state's DataFileName in `ini`,
// [Map] Zone of `ini`, 32U.
geodesy::ZoneChoice ZoneOfHunt(const core::MeasurementState& state, const IniFile& ini,
                               std::optional<geodesy::UtmZone> bearingLogZone);

}  // namespace vantrel::persistence
