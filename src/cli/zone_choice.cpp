#include "cli/zone_choice.hpp"

#include <filesystem>

#include "hunt_log/log_reader.hpp"
#include "persistence/path_text.hpp"
#include "persistence/settings.hpp"
#include "persistence/zone_memory.hpp"
#include "platform/locations.hpp"

namespace vantrel::cli {
namespace {

// The zone the bearing log beside the measurement file (NAME.fhl) names.
std::optional<geodesy::UtmZone> BearingLogZone(const std::string& file) {
    return hunt_log::ReadLogZone(persistence::PathFromUtf8(file).replace_extension(".fhl"));
}

}  // namespace

bool ReadZoneOption(const Context& context, std::optional<geodesy::UtmZone>& zone) {
    const auto text = context.args.Option("zone");
    if (!text) {
        return true;
    }
    zone = geodesy::ParseUtmZone(*text);
    if (!zone) {
        UsageError("--zone must be a UTM zone, a number 1-60 and a band letter such as 32U or 25M: \"" +
                   *text + "\"");
        return false;
    }
    return true;
}

geodesy::ZoneChoice HuntZoneByOrder(const core::MeasurementState& state, const std::string& file) {
    const auto ini = persistence::ReadSettingsFile(platform::SettingsFilePath());
    return persistence::ZoneOfHunt(state, ini ? *ini : persistence::IniFile{}, BearingLogZone(file));
}

void SayZone(geodesy::UtmZone zone, const std::string& how) {
    PrintWarning("zone " + geodesy::ZoneText(zone) + " (" + how + "); --zone names another");
}

int RefuseOutsideZone(geodesy::UtmZone zone, const std::vector<std::string>& problems) {
    return Fail(geodesy::NotInZoneMessage(zone, problems) + ". Name the zone it was measured in with --zone");
}

}  // namespace vantrel::cli
