#include "hunt_picture/bearing_log_layer.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::hunt_picture {

std::vector<core::PlanePoint> LocateEllipseOutline(const locate::Fix& fix, int points) {
    std::vector<core::PlanePoint> outline;
    for (const fox_fix::OutlinePoint& p : fox_fix::EllipseOutline(fix, points)) {
        outline.push_back({p.x, p.y});
    }
    return outline;
}

BearingLogLayer BuildBearingLogLayer(const hunt_log::HuntState& state,
                                     const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& fixes) {
    BearingLogLayer layer;
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        const fox_fix::FoxFix& fix = fixes.at(static_cast<std::size_t>(fox - 1));
        for (const hunt_log::FoxBearing& b : state.Fox(fox)) {
            const locate::Bearing grid = fox_fix::GridBearingOf(b, state.zone);
            const locate::BearingFit* fit = fox_fix::FitOf(fix, b.id);
            layer.rays.push_back(
                {fox - 1, {grid.x, grid.y}, grid.bearingDeg, fit != nullptr && fit->rejected, b.ignored});
            const core::PlanePoint station{grid.x, grid.y};
            if (std::none_of(layer.stations.begin(), layer.stations.end(), [&](const core::PlanePoint& s) {
                    return std::hypot(s.x - station.x, s.y - station.y) < 1;
                })) {
                layer.stations.push_back(station);
            }
        }
        if (fix.outcome && fix.outcome->fix) {
            layer.fixes.push_back({fox - 1,
                                   {fix.outcome->fix->x, fix.outcome->fix->y},
                                   LocateEllipseOutline(*fix.outcome->fix)});
        }
    }
    return layer;
}

}  // namespace vantrel::hunt_picture
