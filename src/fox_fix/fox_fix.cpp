#include "fox_fix/fox_fix.hpp"

#include <cmath>
#include <numbers>

#include "geodesy/transverse_mercator.hpp"

namespace vantrel::fox_fix {

locate::Bearing GridBearingOf(const hunt_log::FoxBearing& bearing, geodesy::UtmZone zone) {
    locate::Bearing out;
    out.x = bearing.easting;
    out.y = bearing.northing;
    out.bearingDeg = bearing.reference == hunt_log::Reference::True
                         ? geodesy::GridBearing(zone, bearing.lat, bearing.lon, bearing.bearing)
                         : bearing.bearing;
    if (bearing.sigma > 0 && bearing.sigma <= 90) {
        out.sigmaDeg = bearing.sigma;
    }
    return out;
}

FoxFix FixOfFox(const hunt_log::HuntState& state, int fox, const locate::Options& options) {
    FoxFix fix;
    fix.fox = fox;
    for (const hunt_log::FoxBearing& bearing : state.Fox(fox)) {
        if (!bearing.ignored) {
            fix.ids.push_back(bearing.id);
            fix.bearings.push_back(GridBearingOf(bearing, state.zone));
        }
    }
    if (fix.bearings.size() >= 2) {
        fix.outcome = locate::Locate(fix.bearings, options);
    }
    return fix;
}

std::vector<OutlinePoint> EllipseOutline(const locate::Fix& fix, int points) {
    if (!fix.ellipse || points < 3) {
        return {};
    }
    // The major axis points along the azimuth (clockwise from grid north): in x/y its direction is
    // (sin az, cos az), the minor axis's (cos az, -sin az).
    const double az = fix.ellipse->azimuth * std::numbers::pi / 180;
    const double a = fix.ellipse->semiMajor;
    const double b = fix.ellipse->semiMinor;
    std::vector<OutlinePoint> outline;
    for (int i = 0; i <= points; ++i) {
        const double t = 2 * std::numbers::pi * (i % points) / points;
        const double u = a * std::cos(t);
        const double v = b * std::sin(t);
        outline.push_back(
            {fix.x + u * std::sin(az) + v * std::cos(az), fix.y + u * std::cos(az) - v * std::sin(az)});
    }
    return outline;
}

const locate::BearingFit* FitOf(const FoxFix& fix, std::uint64_t id) {
    if (!fix.outcome || !fix.outcome->fix) {
        return nullptr;
    }
    for (std::size_t i = 0; i < fix.ids.size(); ++i) {
        if (fix.ids[i] == id) {
            return &fix.outcome->fix->bearings.at(i);
        }
    }
    return nullptr;
}

}  // namespace vantrel::fox_fix
