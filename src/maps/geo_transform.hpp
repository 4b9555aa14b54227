#pragma once

// The affine relation between a raster's pixel grid and map coordinates, in the order GDAL uses:
//   X = c[0] + column * c[1] + row * c[2]
//   Y = c[3] + column * c[4] + row * c[5]
// column and row are pixel-grid coordinates (0, 0 is the upper-left corner of the upper-left pixel, 0.5, 0.5
// its centre); X and Y are in the map's CRS (metres for UTM, y growing north).

#include <array>
#include <optional>

#include "core/plane.hpp"

namespace vantrel::maps {

// The GDAL adapter's older name for a map-CRS point; the same type.

struct GeoTransform {
    std::array<double, 6> c{0, 1, 0, 0, 0, 1};

    core::PlanePoint Apply(double column, double row) const {
        return {c[0] + column * c[1] + row * c[2], c[3] + column * c[4] + row * c[5]};
    }
    double Determinant() const { return c[1] * c[5] - c[2] * c[4]; }
    // Ground size of one pixel side (square root of the area one pixel covers), in map units.
    double PixelSize() const;
    friend bool operator==(const GeoTransform&, const GeoTransform&) = default;
};

// The transform from map coordinates back to pixel-grid coordinates (again in the same six-term form, so its
// Apply gives column, row). nullopt when the transform is singular or not finite (a zero pixel size, the two
// pixel axes parallel), where no inverse exists.
std::optional<GeoTransform> Invert(const GeoTransform& transform);

}  // namespace vantrel::maps
