#pragma once

// What the Hunt Map window remembers between runs, in a section of its own of Vantrel.ini:
//   [Map]
//   File=/home/me/maps/olinda.tif   the last map opened
//   Zone=25M                        the zone the user typed (used when no zone box holds one)
// The seven program settings and everything else in the file stay exactly as they are.

#include <filesystem>
#include <string>

#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

struct MapSettings {
    std::string file;
    std::string zone;

    friend bool operator==(const MapSettings&, const MapSettings&) = default;
};

// Absent keys (or no [Map] section) read as empty texts.
MapSettings MapSettingsFromIni(const IniFile& ini);
// Reads the settings file; a missing or unreadable file gives empty settings.
MapSettings ReadMapSettings(const std::filesystem::path& iniPath);
// Writes both keys into the settings file (created when missing), atomically, keeping every other line.
// A value holding a line break is refused and nothing is written.
core::Outcome WriteMapSettings(const MapSettings& settings, const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
