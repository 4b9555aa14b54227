#include "persistence/map_settings.hpp"

#include "persistence/atomic_file.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

constexpr const char* kSection = "Map";

}  // namespace

MapSettings MapSettingsFromIni(const IniFile& ini) {
    return {ini.Get(kSection, "File").value_or(""), ini.Get(kSection, "Zone").value_or("")};
}

MapSettings ReadMapSettings(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return ini ? MapSettingsFromIni(*ini) : MapSettings{};
}

core::Outcome WriteMapSettings(const MapSettings& settings, const std::filesystem::path& iniPath) {
    for (const std::string* value : {&settings.file, &settings.zone}) {
        if (value->find_first_of("\r\n") != std::string::npos) {
            return core::Outcome::Fail("The map setting \"" + *value +
                                       "\" holds a line break and cannot be written to \"" +
                                       DisplayPath(iniPath) + "\"");
        }
    }
    IniFile ini;
    std::error_code ec;
    if (std::filesystem::exists(iniPath, ec)) {
        auto read = ReadSettingsFile(iniPath);
        if (!read) {
            return read.outcome();  // never replace a file that could not be read
        }
        ini = std::move(*read);
    }
    ini.Set(kSection, "File", settings.file);
    ini.Set(kSection, "Zone", settings.zone);
    if (!iniPath.parent_path().empty()) {
        std::filesystem::create_directories(iniPath.parent_path(), ec);
    }
    return WriteFileAtomically(iniPath, ini.Serialize());
}

}  // namespace vantrel::persistence
