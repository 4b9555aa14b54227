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
#include "hunt_log/log_reader.hpp"
#include "map_outputs/hunt_export_model.hpp"
#include "persistence/file_access.hpp"
#include "persistence/locate_settings.hpp"
#include "persistence/path_text.hpp"
#include "platform/hunt_export.hpp"
#include "platform/locations.hpp"
#include "platform/log_export.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "export FILE --format kml|geojson|gpx -o OUT [--zone ZONE] [--sigma DEG] [--sigma-floor DEG] "
    "[--confidence P] [--log FILE.fhl]";

std::string ExtensionOf(platform::ExportFormat format) {
    switch (format) {
        case platform::ExportFormat::Kml:
            return ".kml";
        case platform::ExportFormat::GeoJson:
            return ".geojson or .json";
        case platform::ExportFormat::Gpx:
            return ".gpx";
    }
    return {};
}

}  // namespace

int RunExport(const Context& context) {
    std::vector<std::string> positional = context.args.positional;
    std::optional<std::string> out = TakeShortOutputOption(positional);
    if (!out) {
        out = context.args.Option("output");
    }
    const auto formatName = context.args.Option("format");
    if (positional.size() != 1 || !out || !formatName) {
        return UsageError("usage: vantrel-cli " + std::string(kSynopsis));
    }
    const auto format = platform::ParseExportFormat(*formatName);
    if (!format) {
        return UsageError("--format must be kml, geojson or gpx");
    }
    std::optional<geodesy::UtmZone> zone;
    if (!ReadZoneOption(context, zone)) {
        return kExitUsage;
    }
    const auto settings = QualityOptions(context);
    if (!settings) {
        return kExitUsage;
    }
    // A log that cannot be read fails the command before anything is written.
    if (const auto log = context.args.Option("log")) {
        if (const auto read = hunt_log::ReadLog(persistence::PathFromUtf8(*log)); !read) {
            return Fail(read.message());
        }
    }
    const std::string& name = positional[0];
    // As the window's Export dialog: the name says the format, so other programs open the file right.
    if (platform::ExportFormatOfPath(std::filesystem::path(*out)) != format) {
        return Fail("Cannot export to \"" + persistence::DisplayPath(std::filesystem::path(*out)) +
                    "\": choose a name ending in " + ExtensionOf(*format));
    }
    if (const core::Outcome distinct = CheckOutputIsNoInput(*out, {name}); !distinct) {
        return FailWith(distinct);
    }
    auto state = LoadAndCalculate(name, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    std::string how;  // where the zone comes from when --zone did not name it
    if (!zone) {
        const geodesy::ZoneChoice choice = HuntZoneByOrder(state->main, name);
        zone = choice.zone;
        how = geodesy::ZoneSourceText(choice.source);
    }
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
