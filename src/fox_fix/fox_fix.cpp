#include "fox_fix/fox_fix.hpp"

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
