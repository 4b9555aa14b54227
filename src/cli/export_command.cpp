// export FILE --format kml|geojson|gpx -o OUT [--zone ZONE] [quality options]: the stations, the fixes with
// their quality, the rays from each station to each fix and the fixes' ellipses in WGS84, for current map
// software (built by platform/hunt_export, as File > Export builds it).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_log/log_reader.hpp"
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
    const std::string zoneText = context.args.Option("zone").value_or("32U");
    const auto zone = geodesy::ParseUtmZone(zoneText);
    if (!zone) {
        return UsageError("--zone must be a UTM zone such as 32U or 25M: \"" + zoneText + "\"");
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
    auto state = LoadAndCalculate(name, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const auto warnings = platform::ExportHunt(*state, *settings, *zone, *format, std::filesystem::path(*out),
                                               context.decimalSeparator);
    if (!warnings) {
        return Fail(warnings.message());
    }
    std::vector<std::string> allWarnings = *warnings;
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
    return kExitOk;
}

}  // namespace vantrel::cli
