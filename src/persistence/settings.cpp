#include "persistence/settings.hpp"

#include <array>
#include <utility>

#include "persistence/atomic_file.hpp"

namespace vantrel::persistence {
namespace {

struct Key {
    const char* section;
    const char* name;
    const char* absentValue;
    std::string Settings::*member;
};

// In the order GetIniData reads and PutIniData writes them.
const std::array<Key, 7> kKeys{{
    {"Comm", "GPS-Port", "1", &Settings::GpsPort},
    {"Comm", "GON-Port", "1", &Settings::GonPort},
    {"File", "Last Used Filename", "1", &Settings::LastUsedFilename},
    {"File", "RaysFileLocation", "", &Settings::RaysFileLocation},
    {"File", "FoxesFileLocation", "", &Settings::FoxesFileLocation},
    {"File", "DataBaseFilename", "", &Settings::DataBaseFilename},
    {"File", "PreviewOverlayFileLocation", "", &Settings::PreviewOverlayFileLocation},
}};

void DefaultWhenEmpty(std::string& setting, const std::string& fallback) {
    if (setting.empty()) {
        setting = fallback;
    }
}

}  // namespace

Settings SettingsFromIni(const IniFile& ini) {
    Settings settings;
    for (const Key& key : kKeys) {
        settings.*key.member = ini.Get(key.section, key.name).value_or(key.absentValue);
    }
    return settings;
}

void SettingsToIni(const Settings& settings, IniFile& ini) {
    for (const Key& key : kKeys) {
        ini.Set(key.section, key.name, settings.*key.member);
    }
}

core::Result<IniFile> ReadSettingsFile(const std::filesystem::path& iniPath) {
    const auto content = ReadWholeFile(iniPath, kMostSettingsFileBytes, "a settings file");
    if (!content) {
        return content.outcome();
    }
    return IniFile::Parse(*content);
}

Settings GetIniData(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return SettingsFromIni(ini ? *ini : IniFile{});
}

core::Outcome PutIniData(const Settings& settings, const std::filesystem::path& iniPath) {
    // A line break in a value (a file name may hold one) would end the entry early and write the rest as
    // lines of their own; such a value cannot be kept in the file.
    for (const Key& key : kKeys) {
        if ((settings.*key.member).find_first_of("\r\n") != std::string::npos) {
            return core::Outcome::Fail("The setting " + std::string(key.name) +
                                       " holds a line break and cannot be written to \"" +
                                       DisplayPath(iniPath) + "\"");
        }
    }
    return UpdateIniFile(iniPath, [&settings](IniFile& ini) { SettingsToIni(settings, ini); });
}

core::Outcome UpdateIniFile(const std::filesystem::path& iniPath, const std::function<void(IniFile&)>& edit) {
    std::error_code ec;
    IniFile ini;
    auto content = ReadSettingsFile(iniPath);
    if (content) {
        ini = std::move(*content);
    } else if (std::filesystem::status(iniPath, ec).type() != std::filesystem::file_type::not_found) {
        return content.outcome();
    }
    edit(ini);
    if (!iniPath.parent_path().empty()) {
        std::filesystem::create_directories(iniPath.parent_path(), ec);
    }
    return WriteFileAtomically(iniPath, ini.Serialize());
}

DefaultLocations WindowsDefaultLocations() {
    return {
        .dataFileName = R"(c:\vantrel\default.fhd)",
        .database = R"(C:\Programme\TOP50 V4\database\Univdb_u.mdb)",
        .raysOverlay = R"(C:\Programme\Top50 V4\Overlay\rays.ovl)",
        .foxesOverlay = R"(C:\Programme\Top50 V4\Overlay\foxies.ovl)",
        .previewOverlay = R"(C:\Programme\Top50 V4\Overlay\preview.ovl)",
    };
}

void ApplyStartupDefaults(Settings& settings, core::MeasurementState& state,
                          const DefaultLocations& defaults) {
    state.DataFileName = defaults.dataFileName;
    DefaultWhenEmpty(settings.DataBaseFilename, defaults.database);
    DefaultWhenEmpty(settings.RaysFileLocation, defaults.raysOverlay);
    DefaultWhenEmpty(settings.FoxesFileLocation, defaults.foxesOverlay);
    DefaultWhenEmpty(settings.PreviewOverlayFileLocation, defaults.previewOverlay);
    state.ResultsValid = false;
}

}  // namespace vantrel::persistence
