#include "maps/geo_transform.hpp"

#include <algorithm>
#include <cmath>

namespace vantrel::maps {

double GeoTransform::PixelSize() const {
    return std::sqrt(std::abs(Determinant()));
}

std::optional<GeoTransform> Invert(const GeoTransform& transform) {
    for (double term : transform.c) {
        if (!std::isfinite(term)) {
            return std::nullopt;
        }
    }
    const auto& c = transform.c;
    const double det = transform.Determinant();
    // Relative to the size of the terms, so a map in degrees (tiny pixels) is not taken for singular.
    const double scale = std::max(std::abs(c[1] * c[5]), std::abs(c[2] * c[4]));
    if (det == 0 || !std::isfinite(det) || std::abs(det) <= scale * 1e-12) {
        return std::nullopt;
    }
    GeoTransform inverse;
    inverse.c[1] = c[5] / det;
    inverse.c[2] = -c[2] / det;
    inverse.c[4] = -c[4] / det;
    inverse.c[5] = c[1] / det;
    inverse.c[0] = -(inverse.c[1] * c[0] + inverse.c[2] * c[3]);
    inverse.c[3] = -(inverse.c[4] * c[0] + inverse.c[5] * c[3]);
    for (double term : inverse.c) {
        if (!std::isfinite(term)) {
            return std::nullopt;
        }
    }
    return inverse;
}

}  // namespace vantrel::maps
