#pragma once

// The rays display: from a clicked point on a map picture, one straight ray per fox along the station's
// absolute bearing, out to the edge of the window. Coordinates are in twips (1/1440 inch) with y growing
// downwards, so the 100-twip margin of the edge test means the same on every screen.

#include <array>
#include <cstdint>

#include "persistence/sced_record.hpp"

namespace vantrel::picture_tools {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// F1 blue, F2 red, F3 orange, F4 yellow, F5 grey.
Rgb FoxColour(int fox);

// Line width in pixels by the fox's signal value: 4 below -50 dB, 3 from -50 up to -30, 2 from -30 on.
int RayWidth(double signal);

struct RayEnd {
    float x = 0;
    float y = 0;
};

// The end point of a ray from (x, y) with absolute bearing a (degrees clockwise from up) in a client area of
// width w and height h. Exactly 0 and 180 run straight up and down. Otherwise the ray is tried against the
// right edge (0..180) or the left edge (other bearings) and kept there when it meets it between 100 below
// the top and 100 below the bottom; else it ends on the top (bearings up to 90, and below 0 or above 270)
// or bottom edge. Results are rounded to single precision, as the picture box draws them.
RayEnd DrawRay(double x, double y, double a, double w, double h);

struct Ray {
    float x0 = 0;
    float y0 = 0;
    RayEnd end;
    Rgb colour;
    int width = 2;
};

// The five rays of one station clicked at (x, y): bearing plus base angle reduced once by 360, the fox's
// colour, the width of the fox's signal at that station.
std::array<Ray, 5> StationRays(const persistence::ScedRecord& station, float x, float y, double w, double h);

}  // namespace vantrel::picture_tools
