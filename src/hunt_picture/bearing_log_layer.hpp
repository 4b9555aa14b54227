#pragma once

// The bearing-log layer of the hunt picture: per fox, every logged ray (from where it was taken, along its
// grid bearing; rejected ones dashed, ignored ones dotted and faint), the many-bearing fix (a diamond, so it
// is never taken for the two-station fix's disc) and its ellipse (a dashed outline without fill). Positions
// in the hunt's zone. Plain data built from fox_fix results; the drawing lives beside the other layers.

#include <array>
#include <string>
#include <vector>

#include "fox_fix/fox_fix.hpp"
#include "hunt_log/hunt_state.hpp"
#include "maps/view_geometry.hpp"

class QPainter;

namespace vantrel::hunt_picture {

struct LogRay {
    int fox = 0;  // 0..4
    core::PlanePoint station;
    double bearing = 0;  // grid, degrees clockwise from grid north
    bool rejected = false;
    bool ignored = false;
};

struct LogFix {
    int fox = 0;  // 0..4
    core::PlanePoint position;
    std::vector<core::PlanePoint> ellipse;  // closed outline; empty without an ellipse
};

struct BearingLogLayer {
    std::vector<LogRay> rays;
    std::vector<LogFix> fixes;
    std::vector<core::PlanePoint> stations;  // every distinct position a bearing was taken from

    [[nodiscard]] bool Empty() const { return rays.empty() && fixes.empty(); }
};

// The layer of a folded log and its foxes' fixes (fixes[0] is fox 1).
BearingLogLayer BuildBearingLogLayer(const hunt_log::HuntState& state,
                                     const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& fixes);

// The closed outline of a fix's ellipse, `points` + 1 points (the first repeated); empty without one.
std::vector<core::PlanePoint> LocateEllipseOutline(const locate::Fix& fix, int points = 72);

}  // namespace vantrel::hunt_picture
