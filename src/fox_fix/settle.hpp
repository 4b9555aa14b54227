#pragma once

// How a fox's fix settled over a hunt: at a series of moments, the fix of the bearings logged up to then
// (edits counting from the time they were made, as replay sees the log) and how far it lay from the
// reference: the true fox of a simulated hunt when its log has one, else the fix of the whole log. Beside
// it the major semi-axis of the fix's ellipse, the fix's own idea of its error.
//
// Moments: the times of the fox's bearings from its second on, thinned evenly to at most `most`, the last
// one always kept. A moment without a fix (the bearings do not cross) is left out.
//
// Plain functions of their arguments: any thread may call them.

#include <cstddef>
#include <optional>
#include <vector>

#include "hunt_log/events.hpp"
#include "locate/locate.hpp"

namespace vantrel::fox_fix {

struct SettlePoint {
    hunt_log::TimeMs time = 0;
    double distance = 0;                    // metres from the reference, in the log's zone
    double semiMajor = hunt_log::kUnknown;  // metres; NaN without an ellipse
};

struct SettleSeries {
    int fox = 1;
    bool againstTruth = false;        // the reference is the log's true fox (else the final fix)
    std::vector<SettlePoint> points;  // in time order
};

// One series per fox with at least one moment (only `fox` when given), in fox order.
std::vector<SettleSeries> SettleOverTime(const hunt_log::Log& log, const locate::Options& options,
                                         std::optional<int> fox = std::nullopt, std::size_t most = 300);

}  // namespace vantrel::fox_fix
