// export FILE --format kml|geojson|gpx -o OUT [--zone ZONE] [quality options]: the stations, the fixes with
// their quality, the rays from each station to each fix and the fixes' ellipses in WGS84, styled, for current
// map software (the model of map_outputs/hunt_export_model written by platform/hunt_export, as File > Export
// writes it). A hunt whose positions do not belong to the zone is refused (exit 1, naming --zone).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "cli/zone_choice.hpp"
#include "geodesy/utm_zone.hpp"
    const auto model = map_outputs::HuntExportOfProgram(*state, *settings, *zone, context.decimalSeparator);
    if (!model) {
        return Fail(model.message());
    }
    if (!model->outsideZone.empty()) {
        return RefuseOutsideZone(*zone, model->outsideZone);
    }
    std::vector<std::string> allWarnings = model->warnings;
    const core::Outcome written = platform::WriteHuntExport(std::filesystem::path(*out), *model, *format);
    if (!written) {
        return FailWith(written);
    }
    // --log: the bearing log's rays, fixes and ellipses added to the document just written.
    if (const auto log = context.args.Option("log")) {
        const locate::Options options = persistence::ReadLocateSettings(platform::SettingsFilePath()).options;
        if (const core::Outcome added = platform::AddBearingLogToExport(
                std::filesystem::path(*out), *format, persistence::PathFromUtf8(*log), options, allWarnings);
            !added) {
            return Fail(added.message());
        }
    }
    for (const std::string& warning : allWarnings) {
        PrintWarning(warning);
    }
    if (!how.empty()) {
        SayZone(*zone, how);  // a zone taken without --zone never passes silently
    }
    return kExitOk;
}

}  // namespace vantrel::cli
