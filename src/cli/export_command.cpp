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
#include "persistence/file_access.hpp"
#include "platform/hunt_export.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "export FILE --format kml|geojson|gpx -o OUT [--zone ZONE] [--sigma DEG] [--sigma-floor DEG] "
    "[--confidence P]";

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
    const std::string zoneText = context.args.Option("zone").value_or("32U");
    const auto zone = geodesy::ParseUtmZone(zoneText);
    if (!zone) {
        return UsageError("--zone must be a UTM zone such as 32U or 25M: \"" + zoneText + "\"");
    }
    const auto settings = QualityOptions(context);
    if (!settings) {
        return kExitUsage;
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
    const auto warnings = platform::ExportHunt(*state, *settings, *zone, *format, std::filesystem::path(*out),
                                               context.decimalSeparator);
    if (!warnings) {
        return Fail(warnings.message());
    }
    for (const std::string& warning : *warnings) {
        PrintWarning(warning);
    }
    return kExitOk;
}

}  // namespace vantrel::cli
