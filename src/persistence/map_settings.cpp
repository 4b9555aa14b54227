#include "persistence/map_settings.hpp"

#include "persistence/file_access.hpp"
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
    return UpdateIniFile(iniPath, [&settings](IniFile& ini) {
        ini.Set(kSection, "File", settings.file);
        ini.Set(kSection, "Zone", settings.zone);
    });
}

}  // namespace vantrel::persistence
