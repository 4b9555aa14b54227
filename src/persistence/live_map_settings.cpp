#include "persistence/live_map_settings.hpp"

#include <algorithm>
#include <charconv>
#include <string>

#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

constexpr const char* kSection = "LiveMap";

}  // namespace

LiveMapSettings LiveMapSettingsFromIni(const IniFile& ini) {
    LiveMapSettings settings;
    if (const auto age = ini.Get(kSection, "MaxRayAge")) {
        int minutes = 0;
        const char* end = age->data() + age->size();
        if (const auto [at, error] = std::from_chars(age->data(), end, minutes);
            error == std::errc() && at == end) {
            settings.maxRayAgeMinutes =
                std::clamp(minutes, LiveMapSettings::kShortestMinutes, LiveMapSettings::kLongestMinutes);
        }
    }
    settings.follow = ini.Get(kSection, "Follow").value_or("1") != "0";
    return settings;
}

LiveMapSettings ReadLiveMapSettings(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return ini ? LiveMapSettingsFromIni(*ini) : LiveMapSettings{};
}

core::Outcome WriteLiveMapSettings(const LiveMapSettings& settings, const std::filesystem::path& iniPath) {
    return UpdateIniFile(iniPath, [&settings](IniFile& ini) {
        ini.Set(kSection, "MaxRayAge", std::to_string(settings.maxRayAgeMinutes));
        ini.Set(kSection, "Follow", settings.follow ? "1" : "0");
    });
}

}  // namespace vantrel::persistence
