#pragma once

// The seven settings kept in "Vantrel.ini" between runs, and the start-up defaults.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

inline constexpr const char* kSettingsFileName = "Vantrel.ini";

// Named after their keys: [Comm] GPS-Port, GON-Port; [File] Last Used Filename, RaysFileLocation,
// FoxesFileLocation, DataBaseFilename, PreviewOverlayFileLocation.
struct Settings {
    std::string GpsPort;
    std::string GonPort;
    std::string LastUsedFilename;
    std::string RaysFileLocation;
    std::string FoxesFileLocation;
    std::string DataBaseFilename;
    std::string PreviewOverlayFileLocation;

    friend bool operator==(const Settings&, const Settings&) = default;
};

// The seven settings from a parsed file; an absent key (or section) gives "1" for the two ports and
// Last Used Filename, and an empty text for the four locations. Values are taken whole.
Settings SettingsFromIni(const IniFile& ini);

// The seven keys written into `ini` in the order they are read; other content stays.
void SettingsToIni(const Settings& settings, IniFile& ini);

// The most a settings file may hold: far beyond any real one, small enough to be read whole.
inline constexpr std::size_t kMostSettingsFileBytes = std::size_t{1} << 20;

// The settings file's text, parsed. Refused with a message naming the file: a path that is not a regular
// file, a file longer than kMostSettingsFileBytes, and a missing file (the message of the system).
core::Result<IniFile> ReadSettingsFile(const std::filesystem::path& iniPath);

// GetIniData: reads the settings file. A missing or unreadable file is no error: every key is absent.
Settings GetIniData(const std::filesystem::path& iniPath);

// PutIniData: writes all seven settings into the settings file (created with both sections when missing),
// keeping everything else in it. Written atomically; a failure is reported, the settings in memory stay.
// A value holding a line break is refused (nothing is written): it would break the file into other lines.
core::Outcome PutIniData(const Settings& settings, const std::filesystem::path& iniPath);

// Changes the settings file through `edit` and writes it atomically, keeping everything `edit` leaves alone.
// A missing file (also at the end of a symbolic link) is the first run: it is made, with its folder. A file
// that exists but cannot be read is not rewritten: that would lose what else it holds.
core::Outcome UpdateIniFile(const std::filesystem::path& iniPath, const std::function<void(IniFile&)>& edit);

// Where things go when the settings do not say: chosen per platform.
struct DefaultLocations {
    std::string dataFileName;  // preset of DataFileName
    std::string database;
    std::string raysOverlay;
    std::string foxesOverlay;
    std::string previewOverlay;
};

// The Windows locations the program has always used.
DefaultLocations WindowsDefaultLocations();

// Start-up after GetIniData: DataFileName preset, and each empty location setting replaced by its default.
// ResultsValid is cleared.
void ApplyStartupDefaults(Settings& settings, core::MeasurementState& state,
                          const DefaultLocations& defaults);

}  // namespace vantrel::persistence
