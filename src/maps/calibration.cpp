#include "maps/calibration.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/number_text.hpp"

namespace vantrel::maps {
namespace {

using FitResult = core::Result<CalibrationFit>;

constexpr double kSamePixel = 0.5;        // pixels
constexpr double kSameCoordinate = 1e-3;  // metres
constexpr double kOffLine = 0.5;          // pixels
// No map coordinate or picture position is this large; the fit squares them, which overflows far above.
constexpr double kLargest = 1e12;  // as the messages say

std::string PointName(std::size_t index) {
    return "point " + std::to_string(index + 1);
}

bool AllFinite(const ControlPoint& p) {
    return std::isfinite(p.column) && std::isfinite(p.row) && std::isfinite(p.x) && std::isfinite(p.y);
}

// The first problem among the points that no fit can get over, or an empty text.
std::string PointsProblem(std::span<const ControlPoint> points) {
    if (points.size() < 2) {
        return "at least 2 points are needed, there " +
               std::string(points.size() == 1 ? "is 1" : "are " + std::to_string(points.size()));
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!AllFinite(points[i])) {
            return PointName(i) + " has no valid position or coordinates";
        }
        const ControlPoint& p = points[i];
        if (std::abs(p.x) > kLargest || std::abs(p.y) > kLargest) {
            return PointName(i) + " has coordinates out of range (beyond 1e12): check what was typed";
        }
        if (std::abs(p.column) > kLargest || std::abs(p.row) > kLargest) {
            return PointName(i) + " lies out of range in the picture (beyond " +
                   core::ShortestText(kLargest) + " pixels)";
        }
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            const ControlPoint& a = points[i];
            const ControlPoint& b = points[j];
            if (std::hypot(a.column - b.column, a.row - b.row) < kSamePixel) {
                return PointName(i) + " and " + PointName(j) + " are at the same place in the picture";
            }
            if (std::hypot(a.x - b.x, a.y - b.y) < kSameCoordinate) {
                return PointName(i) + " and " + PointName(j) + " have the same coordinates";
            }
        }
    }
    return {};
}

// Spread of 2-D points across the best line through them: the square root of the smaller eigenvalue of
// their covariance (the standard deviation perpendicular to that line).
struct Spread {
    double meanU = 0, meanV = 0;
    double suu = 0, suv = 0, svv = 0;  // centred sums of products
    double across = 0;
};

template <class GetU, class GetV>
Spread SpreadOf(std::span<const ControlPoint> points, GetU u, GetV v) {
    Spread s;
    const auto n = static_cast<double>(points.size());
    for (const ControlPoint& p : points) {
        s.meanU += u(p) / n;
        s.meanV += v(p) / n;
    }
    for (const ControlPoint& p : points) {
        const double du = u(p) - s.meanU;
        const double dv = v(p) - s.meanV;
        s.suu += du * du;
        s.suv += du * dv;
        s.svv += dv * dv;
    }
    const double half = 0.5 * (s.suu + s.svv);
    const double root = std::hypot(0.5 * (s.suu - s.svv), s.suv);
    s.across = std::sqrt(std::max(0.0, half - root) / n);
    return s;
}

CalibrationFit Similarity(const ControlPoint& p1, const ControlPoint& p2) {
    // With the picture point as the complex number column - i row (row flipped so both systems turn the
    // same way) and the map point as x + i y, the fit is m = a p + b.
    const double pr = p2.column - p1.column, pi = -(p2.row - p1.row);
    const double mr = p2.x - p1.x, mi = p2.y - p1.y;
    const double norm = pr * pr + pi * pi;
    const double ar = (mr * pr + mi * pi) / norm;
    const double ai = (mi * pr - mr * pi) / norm;
    const double br = p1.x - (ar * p1.column + ai * p1.row);
    const double bi = p1.y - (ai * p1.column - ar * p1.row);
    CalibrationFit fit;
    fit.kind = FitKind::Similarity;
    fit.transform.c = {br, ar, ai, bi, ai, -ar};
    return fit;
}

CalibrationFit Affine(std::span<const ControlPoint> points, const Spread& pixels) {
    // Least squares for x and for y separately over centred pixel coordinates.
    const double det = pixels.suu * pixels.svv - pixels.suv * pixels.suv;
    double meanX = 0, meanY = 0, sux = 0, svx = 0, suy = 0, svy = 0;
    const auto n = static_cast<double>(points.size());
    for (const ControlPoint& p : points) {
        meanX += p.x / n;
        meanY += p.y / n;
    }
    for (const ControlPoint& p : points) {
        const double du = p.column - pixels.meanU, dv = p.row - pixels.meanV;
        sux += du * (p.x - meanX);
        svx += dv * (p.x - meanX);
        suy += du * (p.y - meanY);
        svy += dv * (p.y - meanY);
    }
    const double c1 = (pixels.svv * sux - pixels.suv * svx) / det;
    const double c2 = (pixels.suu * svx - pixels.suv * sux) / det;
    const double c4 = (pixels.svv * suy - pixels.suv * svy) / det;
    const double c5 = (pixels.suu * svy - pixels.suv * suy) / det;
    CalibrationFit fit;
    fit.kind = FitKind::Affine;
    fit.transform.c = {meanX - c1 * pixels.meanU - c2 * pixels.meanV, c1, c2,
                       meanY - c4 * pixels.meanU - c5 * pixels.meanV, c4, c5};
    return fit;
}

void AddResiduals(std::span<const ControlPoint> points, CalibrationFit& fit) {
    fit.residuals.clear();
    for (const ControlPoint& p : points) {
        const core::PlanePoint m = fit.transform.Apply(p.column, p.row);
        fit.residuals.push_back(std::hypot(m.x - p.x, m.y - p.y));
    }
    fit.worst = static_cast<std::size_t>(std::max_element(fit.residuals.begin(), fit.residuals.end()) -
                                         fit.residuals.begin());
    const auto& c = fit.transform.c;
    fit.metresPerPixel = fit.transform.PixelSize();
    // The picture's up (0, -1) on the map is (-c[2], -c[5]); its bearing from north, clockwise.
    fit.rotationDegrees = std::atan2(-c[2], -c[5]) * 180 / std::numbers::pi;
    if (fit.rotationDegrees <= -180) {
        fit.rotationDegrees += 360;
    }
}

}  // namespace

core::Result<CalibrationFit> FitCalibration(std::span<const ControlPoint> points) {
    if (std::string problem = PointsProblem(points); !problem.empty()) {
        return FitResult::Fail(problem);
    }
    CalibrationFit fit;
    if (points.size() == 2) {
        fit = Similarity(points[0], points[1]);
    } else {
        const Spread pixels = SpreadOf(
            points, [](const ControlPoint& p) { return p.column; },
            [](const ControlPoint& p) { return p.row; });
        if (pixels.across < kOffLine) {
            return FitResult::Fail("the points lie on one line in the picture: add a point away from it");
        }
        fit = Affine(points, pixels);
    }
    if (!Invert(fit.transform)) {
        return FitResult::Fail("the coordinates of the points lie on one line: check what was typed");
    }
    AddResiduals(points, fit);
    return fit;
}

std::string DescribeFit(const CalibrationFit& fit) {
    std::string text = fit.kind == FitKind::Similarity
                           ? "Similarity from 2 points"
                           : "Affine fit of " + std::to_string(fit.residuals.size()) + " points";
    text += ": " + core::FormatPattern(fit.metresPerPixel, "0.000", '.') + " m per pixel, rotated " +
            core::FormatPattern(fit.rotationDegrees, "0.00", '.') + " degrees";
    if (fit.residuals.size() > 3) {
        text += "; worst residual " + core::FormatPattern(fit.residuals[fit.worst], "0.0", '.') +
                " m at point " + std::to_string(fit.worst + 1);
    }
    return text;
}

}  // namespace vantrel::maps
