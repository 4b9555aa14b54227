#include "persistence/hunt_map_display.hpp"

#include <algorithm>
#include <cmath>

#include "core/number_text.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

constexpr const char* kSection = "HuntMap";

}  // namespace

HuntMapDisplay HuntMapDisplayFromIni(const IniFile& ini) {
    HuntMapDisplay display;
    if (const auto size = ini.Get(kSection, "SymbolSize")) {
        std::string text = *size;
        std::replace(text.begin(), text.end(), ',', '.');
        if (const auto value = core::ReadRegional(text, '.'); value && std::isfinite(*value)) {
            display.symbolSize = std::clamp(*value, HuntMapDisplay::kSmallest, HuntMapDisplay::kLargest);
        }
    }
    display.night = ini.Get(kSection, "Night").value_or("0") == "1";
    display.legend = ini.Get(kSection, "Legend").value_or("1") == "1";
    return display;
}

HuntMapDisplay ReadHuntMapDisplay(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return ini ? HuntMapDisplayFromIni(*ini) : HuntMapDisplay{};
}

core::Outcome WriteHuntMapDisplay(const HuntMapDisplay& display, const std::filesystem::path& iniPath) {
    return UpdateIniFile(iniPath, [&display](IniFile& ini) {
        ini.Set(kSection, "SymbolSize", core::FormatPattern(display.symbolSize, "0.00", '.'));
        ini.Set(kSection, "Night", display.night ? "1" : "0");
        ini.Set(kSection, "Legend", display.legend ? "1" : "0");
    });
}

}  // namespace vantrel::persistence
