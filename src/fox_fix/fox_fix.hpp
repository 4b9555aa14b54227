#pragma once

// The many-bearing fix of each fox of a bearing log: the bridge between what the log holds (hunt_log's
// fold per fox) and the estimator (locate). One place turns logged bearings into the estimator's input, so
// vantrel-cli, the Bearings window, the Hunt Map and the export agree on every number:
// - ignored bearings are left out;
// - positions are the fold's easting/northing (the log's zone, or the zone the fold was asked for);
// - bearings against true north become grid bearings of that zone with the meridian convergence at the
//   station (geodesy::GridBearing); grid bearings are taken as they are;
// - a logged sigma in (0, 90] degrees is the bearing's own; any other (0 from readings that all agreed, or
//   unknown) leaves it to the options' sigma or the estimate.
//
// Plain functions of their arguments: any thread may call them.

#include <cstdint>
#include <optional>
#include <vector>

#include "hunt_log/hunt_state.hpp"
#include "locate/locate.hpp"

namespace vantrel::fox_fix {

struct FoxFix {
    int fox = 1;                            // 1..5
    std::vector<std::uint64_t> ids;         // the log ids of the bearings used, in log order
    std::vector<locate::Bearing> bearings;  // the estimator's input, one per id
    // The estimator's outcome; nullopt when fewer than two bearings are left (nothing to fix).
    std::optional<locate::Outcome> outcome;
};

// The estimator's input for one of the fold's bearings.
locate::Bearing GridBearingOf(const hunt_log::FoxBearing& bearing, geodesy::UtmZone zone);

// The fix of fox `fox` (1..5) of the fold.
FoxFix FixOfFox(const hunt_log::HuntState& state, int fox, const locate::Options& options);

// The closed outline of a fix's ellipse in the plane, `points` + 1 points (the first repeated), running
// clockwise on the map from the end of the major axis along its azimuth; empty without an ellipse.
struct OutlinePoint {
    double x = 0, y = 0;
};
std::vector<OutlinePoint> EllipseOutline(const locate::Fix& fix, int points = 72);

// The fit of the bearing with log id `id` in `fix`; nullptr when it was not used (ignored, or no fix).
const locate::BearingFit* FitOf(const FoxFix& fix, std::uint64_t id);

}  // namespace vantrel::fox_fix
