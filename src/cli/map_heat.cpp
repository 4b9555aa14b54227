#include "cli/map_heat.hpp"

#include <cmath>
#include <filesystem>
#include <memory>

#include "core/number_text.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_picture/bearing_log_layer.hpp"
#include "hunt_picture/heat_layer.hpp"
#include "persistence/locate_settings.hpp"
#include "persistence/path_text.hpp"
#include "platform/locations.hpp"

namespace vantrel::cli {

std::optional<MapLogRequest> ReadMapLogOptions(const Context& context, const std::string& measurementFile) {
    MapLogRequest request;
    request.log = context.args.Option("log");
    if (const auto text = context.args.Option("heat")) {
        const auto value = core::ReadRegional(*text, '.');
        if (!value || *value != std::floor(*value) || *value < 1 || *value > 5) {
            UsageError("--heat must be a fox number 1..5: \"" + *text + "\"");
            return std::nullopt;
        }
        request.heatFox = static_cast<int>(*value);
        if (!request.log) {
            request.log = persistence::Utf8FromPath(
                persistence::PathFromUtf8(measurementFile).replace_extension(".fhl"));
        }
    }
    return request;
}

core::Result<MapLog> AddLogLayer(const MapLogRequest& request, geodesy::UtmZone zone,
                                 hunt_picture::HuntScene& scene) {
    const std::filesystem::path path = persistence::PathFromUtf8(*request.log);
    const auto read = hunt_log::ReadLog(path);
    if (!read) {
        return core::Result<MapLog>::Fail(read.message());
    }
    for (const std::string& warning : read->report.Warnings(path)) {
        PrintWarning(warning);
    }
    const persistence::LocateSettingsRead settings =
        persistence::ReadLocateSettings(platform::SettingsFilePath());
    for (const std::string& problem : settings.problems) {
        PrintWarning(problem);
    }
    MapLog log;
    log.options = settings.options;
    log.state = hunt_log::StateAt(read->log, std::nullopt, zone);
    if (const std::string mismatch = hunt_log::ZoneMismatchWarning(*request.log, read->log.header.zone, zone);
        !mismatch.empty()) {
        PrintWarning(mismatch);
    }
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        log.fixes.at(static_cast<std::size_t>(fox - 1)) = fox_fix::FixOfFox(log.state, fox, log.options);
    }
    scene.bearingLog = hunt_picture::BuildBearingLogLayer(log.state, log.fixes);
    return log;
}

core::Outcome AddHeatLayer(const MapLog& log, int fox, const maps::View& view,
                           const hunt_picture::ViewProjection& projection, hunt_picture::HuntScene& scene) {
    const auto box = hunt_picture::HuntBoxOfView(view, projection);
    if (!box) {
        return core::Outcome::Fail("F" + std::to_string(fox) +
                                   ": the view cannot be converted into the hunt's zone: no likelihood map");
    }
    auto built = hunt_picture::BuildHeatLayer(log.fixes.at(static_cast<std::size_t>(fox - 1)), log.options,
                                              *box, hunt_picture::HeatGridSizeFor(view.width, view.height));
    if (!built) {
        return built.outcome();
    }
    if (*built) {
        scene.heat = std::make_shared<const hunt_picture::HeatLayer>(std::move(**built));
    }
    return core::Outcome::Ok();
}

}  // namespace vantrel::cli
