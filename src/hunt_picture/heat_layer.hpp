#pragma once

// The heat layer of the hunt picture: one fox's likelihood over what the view shows, with the outlines of
// its 50 % and 95 % highest-density regions. Built from the fox's many-bearing fix (the kappas and weights
// the estimator used) over a grid in the hunt's zone; drawn by DrawHeatLayer, under the rays.
//
// Which box holds 100 %: P over the whole plane does not add up (far away L tends to a constant), so the
// share is taken over the region box: the box the view shows, grown to hold the fix's surroundings (six
// standard errors each way) when the view shows less. Zooming in therefore leaves the regions where they
// are instead of re-spreading 95 % over whatever the view still shows. The levels come from a grid over the
// region box; the picture from a grid over the view, compared with those levels as values of L.
//
// Threads: BuildHeatLayer is a pure function of its arguments (any thread; it runs workers of its own, see
// locate/likelihood_grid.hpp) and may be stopped through its stop_token. A built HeatLayer is immutable
// and shared read-only between the GUI thread and drawing threads (std::shared_ptr<const HeatLayer>).

#include <optional>
#include <stop_token>
#include <vector>

#include "core/outcome.hpp"
#include "core/plane.hpp"
#include "fox_fix/fox_fix.hpp"
#include "locate/likelihood_grid.hpp"

namespace vantrel::hunt_picture {

struct HeatLayer {
    int fox = 0;                    // 0..4
    locate::GridFrame frame;        // over the view, in the hunt's zone
    std::vector<double> values;     // L of every cell of `frame`, row by row from the south
    double peak = 0;                // the largest L of the region box
    double level50 = 0;             // L at the edge of the 50 % region
    double level95 = 0;             // L at the edge of the 95 % region
    double area50 = 0, area95 = 0;  // square metres, from the region grid
    std::vector<locate::Polyline> contour50, contour95;  // in the hunt's zone, metres
};

// Cells of the grids: at most 512 along the longer side, about one cell for every two pixels.
struct HeatGridSize {
    int columns = 512;
    int rows = 512;
};
HeatGridSize HeatGridSizeFor(int widthPixels, int heightPixels);

// The heat layer of `fix` (fox fix.fox) over `viewBox` (hunt zone, metres). Fails with a message naming
// the fox ("F2 has fewer than two bearings", "F2: no fix (parallel)"); nullopt inside the result when
// `stop` was requested.
core::Result<std::optional<HeatLayer>> BuildHeatLayer(const fox_fix::FoxFix& fix,
                                                      const locate::Options& options,
                                                      const core::PlaneBox& viewBox, HeatGridSize size,
                                                      std::stop_token stop = {});

}  // namespace vantrel::hunt_picture
