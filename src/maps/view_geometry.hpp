#pragma once

// The geometry of a north-up view of a plane map: fitting the hunt into a picture, converting between map
// coordinates and pixels, the grid and scale-bar steps, and cutting straight lines to what the view shows.
// Map coordinates are those of the view's CRS (metres for a projected CRS), x east, y north; pixels have x
// to the right and y down, (0, 0) at the top-left corner of the picture.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/plane.hpp"

namespace vantrel::maps {

// The smallest box holding every finite point; nullopt when there is none (NaN and infinite points are
// left out, so one bad transformation does not blow the view up).
std::optional<core::PlaneBox> BoundingBox(const std::vector<core::PlanePoint>& points);

// A picture of `width` x `height` pixels showing the map north up with square pixels: `unitsPerPixel` map
// units per pixel and the map point `centre` at the picture's centre.
struct View {
    core::PlanePoint centre;
    double unitsPerPixel = 1;
    int width = 1;
    int height = 1;

    // x = W/2 + (X - xc) / s, y = H/2 - (Y - yc) / s.
    [[nodiscard]] core::PlanePoint ToPixel(core::PlanePoint map) const;
    [[nodiscard]] core::PlanePoint FromPixel(core::PlanePoint pixel) const;
    // The map rectangle the picture covers.
    [[nodiscard]] core::PlaneBox Extent() const;
    // Zoomed by `factor` (2 = twice as large on screen) with the map point under `pixel` staying there.
    [[nodiscard]] View ZoomedAbout(core::PlanePoint pixel, double factor) const;
    // Moved so that the map follows the mouse by (dx, dy) pixels.
    [[nodiscard]] View Panned(double dx, double dy) const;
    // The same map window in a picture `scale` times as large each way (a 2x export).
    [[nodiscard]] View Scaled(double scale) const;

    friend bool operator==(const View&, const View&) = default;
};

// Fits `box` into a width x height picture: each side grown by m = max(0.1 max(maxX - minX, maxY - minY),
// minimumMargin), s = max((maxX - minX + 2m) / W, (maxY - minY + 2m) / H), the box's centre at the picture's
// centre. Width and height below 1 count as 1.
View FitView(const core::PlaneBox& box, int width, int height, double minimumMargin = 100);

// The spacing of the grid lines in metres (100 m, 1 km, 10 km or 100 km): the finest whose lines stay at
// least `minimumPixels` apart at `metresPerPixel`.
double GridSpacing(double metresPerPixel, double minimumPixels = 60);

// The length of the scale bar in metres: the longest of 1, 2 or 5 times a power of ten that is at most
// `maximumPixels` long at `metresPerPixel` (at least 1 m). A non-positive or non-finite scale gives 0.
double ScaleBarLength(double metresPerPixel, double maximumPixels = 160);

// The text of a scale-bar length: "500 m", "2 km", "20 km".
std::string ScaleBarText(double metres);

// The unit vector of a bearing in degrees clockwise from grid north: (sin a, cos a).
core::PlanePoint BearingDirection(double degrees);

// The part of the segment a-b inside `box` (Liang-Barsky); nullopt when it misses the box.
std::optional<std::pair<core::PlanePoint, core::PlanePoint>> ClipSegment(core::PlanePoint a,
                                                                         core::PlanePoint b,
                                                                         const core::PlaneBox& box);

// The part of the half-line from `origin` along `bearing` (degrees clockwise from north) inside `box`.
std::optional<std::pair<core::PlanePoint, core::PlanePoint>> ClipHalfLine(core::PlanePoint origin,
                                                                          double bearing,
                                                                          const core::PlaneBox& box);

// The segment a-b as points no more than `maxStep` apart, both ends included, evenly spaced (for drawing a
// straight line of one CRS in another, where it is curved). At most `maxPoints` points.
std::vector<core::PlanePoint> Densify(core::PlanePoint a, core::PlanePoint b, double maxStep,
                                      int maxPoints = 4096);

// Where the hunt lies seen from a map it does not touch: "the hunt lies 12 km east of the map",
// "... 850 m south-west of the map"; empty when the boxes overlap. `unitsPerMetre` converts the gap between
// the boxes (in their common CRS) to metres on the ground.
std::string RelativePlace(const core::PlaneBox& hunt, const core::PlaneBox& map, double unitsPerMetre = 1);

}  // namespace vantrel::maps
