#include "persistence/zone_memory.hpp"

#include <cstdio>
#include <string_view>
#include <system_error>

#include "persistence/path_text.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

constexpr const char* kSection = "Zones";

bool NeedsEscape(char c, bool atEdge) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f || std::string_view("=;#[]%").find(c) != std::string_view::npos ||
           (atEdge && (c == ' ' || c == '\t'));
}

std::string Escaped(std::string_view text) {
    std::string key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (NeedsEscape(c, i == 0 || i + 1 == text.size())) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            key += hex;
        } else {
            key += c;
        }
    }
    return key;
}

}  // namespace

std::string ZoneMemoryKey(const std::filesystem::path& measurementFile) {
    if (measurementFile.empty()) {
        return {};
    }
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(measurementFile, error);
    if (error) {
        resolved = std::filesystem::absolute(measurementFile, error).lexically_normal();
    }
    return Escaped(Utf8FromPath(error ? measurementFile : resolved));
}

std::string RememberedZone(const IniFile& ini, const std::filesystem::path& measurementFile) {
    const std::string key = ZoneMemoryKey(measurementFile);
    return key.empty() ? std::string() : ini.Get(kSection, key).value_or("");
}

core::Outcome RememberZone(const std::filesystem::path& iniPath, const std::filesystem::path& measurementFile,
                           std::string_view zone) {
    const std::string key = ZoneMemoryKey(measurementFile);
    if (key.empty()) {
        return core::Outcome::Fail("The zone cannot be remembered: the hunt has no file name yet");
    }
    if (zone.find_first_of("\r\n") != std::string_view::npos) {
        return core::Outcome::Fail("The zone \"" + std::string(zone) + "\" holds a line break");
    }
    return UpdateIniFile(iniPath, [&key, zone](IniFile& ini) { ini.Set(kSection, key, zone); });
}

geodesy::ZoneChoice ZoneOfHunt(const core::MeasurementState& state, const IniFile& ini,
                               std::optional<geodesy::UtmZone> bearingLogZone) {
    const std::string remembered = RememberedZone(ini, PathFromUtf8(state.DataFileName));
    const std::string setting = ini.Get("Map", "Zone").value_or("");
    return geodesy::ChooseHuntZone({state.txtZone[0], state.txtZone[1], bearingLogZone, remembered, setting});
}

}  // namespace vantrel::persistence
