#pragma once

// map ... [--log FILE.fhl] [--heat FOX]: the bearing log's rays and many-bearing fixes in the picture, and
// one fox's likelihood map (the heat layer) with its 50 % and 95 % regions. --heat takes the log named by
// --log, else NAME.fhl beside the measurement file (as the window does). The log's positions are folded
// in the picture's zone; the fix uses the [Locate] settings of Vantrel.ini.

#include <optional>
#include <string>

#include "cli/cli.hpp"
#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_picture.hpp"
#include "hunt_picture/hunt_scene.hpp"

namespace vantrel::cli {

struct MapLogRequest {
    std::optional<std::string> log;  // the log to draw; nothing: no log layer
    std::optional<int> heatFox;      // 1..5
};

// The options; nullopt after a usage error (printed).
std::optional<MapLogRequest> ReadMapLogOptions(const Context& context, const std::string& measurementFile);

// The fixes of the log's foxes (kept for the heat layer) and its layer in `scene`; warnings printed.
struct MapLog {
    hunt_log::HuntState state;
    std::array<fox_fix::FoxFix, hunt_log::kFoxCount> fixes;
    locate::Options options;
};
core::Result<MapLog> AddLogLayer(const MapLogRequest& request, geodesy::UtmZone zone,
                                 hunt_picture::HuntScene& scene);

// The heat layer of the fox over what `view` shows; fails naming the fox.
core::Outcome AddHeatLayer(const MapLog& log, int fox, const maps::View& view,
                           const hunt_picture::ViewProjection& projection, hunt_picture::HuntScene& scene);

}  // namespace vantrel::cli
