#pragma once

// What the tests of a simulated drive compare with: where the car truly was, and whether a fix's ellipse
// holds a point.

#include <cmath>
#include <optional>

#include "core/plane.hpp"
#include "locate/locate.hpp"
#include "simulate/simulate.hpp"

namespace vantrel::testing_support {

// The car's true position at a time, linear between its seconds; nullopt outside the drive.
inline std::optional<core::PlanePoint> CarAt(const simulate::SimulatedHunt& hunt, hunt_log::TimeMs t) {
    for (std::size_t i = 1; i < hunt.track.size(); ++i) {
        const simulate::TrackPoint& a = hunt.track[i - 1];
        const simulate::TrackPoint& b = hunt.track[i];
        if (t >= a.time && t <= b.time) {
            const double share = static_cast<double>(t - a.time) / static_cast<double>(b.time - a.time);
            return core::PlanePoint{a.x + (b.x - a.x) * share, a.y + (b.y - a.y) * share};
        }
    }
    return std::nullopt;
}

// Whether the fix's 95 % ellipse holds the point: its squared Mahalanobis distance is at most the chi-square
// quantile of 2 degrees of freedom, -2 ln 0.05.
inline bool Covers95(const locate::Fix& fix, core::PlanePoint point) {
    const locate::Covariance& v = *fix.covariance;
    const double dx = point.x - fix.x;
    const double dy = point.y - fix.y;
    const double det = v.xx * v.yy - v.xy * v.xy;
    return (v.yy * dx * dx - 2 * v.xy * dx * dy + v.xx * dy * dy) / det <= -2 * std::log(0.05);
}

}  // namespace vantrel::testing_support
