#pragma once

// Placing a picture without georeference (a scan, a screenshot of a map) from points the user clicked on it
// and whose map coordinates the user typed.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "maps/geo_transform.hpp"

namespace vantrel::maps {

// One clicked point: where it is in the picture (pixel-grid coordinates: 0, 0 is the upper-left corner of
// the picture, 0.5, 0.5 the centre of its first pixel) and where it is on the map (metres of a projected
// CRS such as the hunt's UTM zone; y grows north).
struct ControlPoint {
    double column = 0;
    double row = 0;
    double x = 0;
    double y = 0;
};

enum class FitKind {
    Similarity,  // 2 points: scale, rotation and shift, the picture neither sheared nor mirrored
    Affine,      // 3 or more points: least squares over all six terms
};

struct CalibrationFit {
    GeoTransform transform;
    FitKind kind = FitKind::Similarity;
    // Per point, in the order given: the distance in map units (metres) between where the fit puts the
    // point's pixel and the coordinates the user typed. All zero for 2 points and for 3 points (exact fits).
    std::vector<double> residuals;
    std::size_t worst = 0;       // index of the largest residual (the first of equal ones)
    double metresPerPixel = 0;   // mean ground size of a pixel side
    double rotationDegrees = 0;  // the picture's "up" turned from north, clockwise positive, (-180, 180]
};

// Fits the transform through the points. Refused, with a message naming the points (1-based): fewer than
// 2 points; a point with a coordinate that is not finite or out of range (beyond 1e12, where the fit
// would overflow); two points at the same place in the picture (less
// than half a pixel apart) or with the same coordinates (less than a millimetre apart); 3 or more points
// that lie on one line in the picture (less than half a pixel off the best line through them) or whose
// coordinates do (the fit would have no area).
core::Result<CalibrationFit> FitCalibration(std::span<const ControlPoint> points);

// "2.3 m" style summary of the fit for the user: kind, pixel size, rotation and the worst residual.
std::string DescribeFit(const CalibrationFit& fit);

}  // namespace vantrel::maps
