#include "maps/view_geometry.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/cross_fix.hpp"

namespace vantrel::maps {

std::optional<core::PlaneBox> BoundingBox(const std::vector<core::PlanePoint>& points) {
    std::optional<core::PlaneBox> box;
    for (const core::PlanePoint& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            continue;
        }
        if (!box) {
            box = core::PlaneBox{p.x, p.y, p.x, p.y};
            continue;
        }
        box->minX = std::min(box->minX, p.x);
        box->minY = std::min(box->minY, p.y);
        box->maxX = std::max(box->maxX, p.x);
        box->maxY = std::max(box->maxY, p.y);
    }
    return box;
}

core::PlanePoint View::ToPixel(core::PlanePoint map) const {
    return {width / 2.0 + (map.x - centre.x) / unitsPerPixel,
            height / 2.0 - (map.y - centre.y) / unitsPerPixel};
}

core::PlanePoint View::FromPixel(core::PlanePoint pixel) const {
    return {centre.x + (pixel.x - width / 2.0) * unitsPerPixel,
            centre.y - (pixel.y - height / 2.0) * unitsPerPixel};
}

core::PlaneBox View::Extent() const {
    const core::PlanePoint topLeft = FromPixel({0, 0});
    const core::PlanePoint bottomRight = FromPixel({static_cast<double>(width), static_cast<double>(height)});
    return {topLeft.x, bottomRight.y, bottomRight.x, topLeft.y};
}

View View::ZoomedAbout(core::PlanePoint pixel, double factor) const {
    const core::PlanePoint fixed = FromPixel(pixel);
    View zoomed = *this;
    zoomed.unitsPerPixel = unitsPerPixel / factor;
    // The fixed point keeps its pixel: xc' = X - (px - W/2) s', yc' = Y + (py - H/2) s'.
    zoomed.centre = {fixed.x - (pixel.x - width / 2.0) * zoomed.unitsPerPixel,
                     fixed.y + (pixel.y - height / 2.0) * zoomed.unitsPerPixel};
    return zoomed;
}

View View::Panned(double dx, double dy) const {
    View panned = *this;
    panned.centre = {centre.x - dx * unitsPerPixel, centre.y + dy * unitsPerPixel};
    return panned;
}

View View::Scaled(double scale) const {
    View scaled = *this;
    scaled.width = static_cast<int>(std::lround(width * scale));
    scaled.height = static_cast<int>(std::lround(height * scale));
    scaled.unitsPerPixel = unitsPerPixel / scale;
    return scaled;
}

View FitView(const core::PlaneBox& box, int width, int height, double minimumMargin) {
    const int w = std::max(width, 1);
    const int h = std::max(height, 1);
    const double m = std::max(0.1 * std::max(box.Width(), box.Height()), minimumMargin);
    const double s = std::max((box.Width() + 2 * m) / w, (box.Height() + 2 * m) / h);
    return View{box.Centre(), s, w, h};
}

double GridSpacing(double metresPerPixel, double minimumPixels) {
    static constexpr std::array<double, 4> kLadder{100, 1000, 10000, 100000};
    for (const double spacing : kLadder) {
        if (spacing / metresPerPixel >= minimumPixels) {
            return spacing;
        }
    }
    return kLadder.back();
}

double ScaleBarLength(double metresPerPixel, double maximumPixels) {
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel)) {
        return 0;
    }
    const double longest = metresPerPixel * maximumPixels;
    double power = std::pow(10.0, std::floor(std::log10(std::max(longest, 1.0))));
    for (;;) {
        for (const double step : {5.0, 2.0, 1.0}) {
            if (step * power <= longest) {
                return step * power;
            }
        }
        if (power <= 1) {
            return 1;
        }
        power /= 10;
    }
}

std::string ScaleBarText(double metres) {
    const auto whole = [](double value) { return std::to_string(std::llround(value)); };
    if (metres >= 1000) {
        return whole(metres / 1000) + " km";
    }
    return whole(metres) + " m";
}

core::PlanePoint BearingDirection(double degrees) {
    const double r = degrees * core::kPi15 / 180;
    return {std::sin(r), std::cos(r)};
}

std::optional<std::pair<core::PlanePoint, core::PlanePoint>> ClipSegment(core::PlanePoint a,
                                                                         core::PlanePoint b,
                                                                         const core::PlaneBox& box) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t0 = 0;
    double t1 = 1;
    // Each side: p t <= q keeps the point inside.
    const std::array<std::pair<double, double>, 4> sides{{
        {-dx, a.x - box.minX},
        {dx, box.maxX - a.x},
        {-dy, a.y - box.minY},
        {dy, box.maxY - a.y},
    }};
    for (const auto& [p, q] : sides) {
        if (p == 0) {
            if (q < 0) {
                return std::nullopt;  // parallel to this side and outside it
            }
            continue;
        }
        const double t = q / p;
        if (p < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return std::nullopt;
        }
    }
    return std::pair{core::PlanePoint{a.x + t0 * dx, a.y + t0 * dy},
                     core::PlanePoint{a.x + t1 * dx, a.y + t1 * dy}};
}

std::optional<std::pair<core::PlanePoint, core::PlanePoint>> ClipHalfLine(core::PlanePoint origin,
                                                                          double bearing,
                                                                          const core::PlaneBox& box) {
    // Far enough to leave the box from anywhere: past its farthest corner.
    const double reach = std::hypot(std::max(std::abs(box.minX - origin.x), std::abs(box.maxX - origin.x)),
                                    std::max(std::abs(box.minY - origin.y), std::abs(box.maxY - origin.y))) *
                             1.01 +
                         1;
    const core::PlanePoint d = BearingDirection(bearing);
    return ClipSegment(origin, {origin.x + reach * d.x, origin.y + reach * d.y}, box);
}

std::vector<core::PlanePoint> Densify(core::PlanePoint a, core::PlanePoint b, double maxStep, int maxPoints) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    double wanted = maxStep > 0 ? std::ceil(length / maxStep) : 1;
    if (!std::isfinite(wanted)) {
        wanted = 1;
    }
    const int segments =
        static_cast<int>(std::clamp(wanted, 1.0, static_cast<double>(std::max(maxPoints - 1, 1))));
    std::vector<core::PlanePoint> points;
    points.reserve(static_cast<std::size_t>(segments) + 1);
    for (int i = 0; i <= segments; ++i) {
        const double t = static_cast<double>(i) / segments;
        points.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
    points.back() = b;
    return points;
}

std::string RelativePlace(const core::PlaneBox& hunt, const core::PlaneBox& map, double unitsPerMetre) {
    // Gaps along each axis: positive when the hunt lies beyond that side of the map.
    const double east = hunt.minX - map.maxX;
    const double west = map.minX - hunt.maxX;
    const double north = hunt.minY - map.maxY;
    const double south = map.minY - hunt.maxY;
    const double gapX = std::max({east, west, 0.0});
    const double gapY = std::max({north, south, 0.0});
    if (gapX <= 0 && gapY <= 0) {
        return {};
    }
    std::string direction;
    if (gapY > 0) {
        direction = north > 0 ? "north" : "south";
    }
    if (gapX > 0) {
        direction += (direction.empty() ? "" : "-") + std::string(east > 0 ? "east" : "west");
    }
    const double metres = std::hypot(gapX, gapY) / unitsPerMetre;
    std::string distance;
    if (metres >= 10000) {
        distance = std::to_string(std::llround(metres / 1000)) + " km";
    } else if (metres >= 1000) {
        const long long tenths = std::llround(metres / 100);
        distance = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " km";
    } else {
        distance = std::to_string(std::llround(metres)) + " m";
    }
    return "the hunt lies " + distance + " " + direction + " of the map";
}

}  // namespace vantrel::maps
