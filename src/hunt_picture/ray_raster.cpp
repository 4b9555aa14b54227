#include "hunt_picture/ray_raster.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace vantrel::hunt_picture {
namespace {

// Cuts the segment to [0, w - 1] x [0, h - 1] (Liang-Barsky); false when nothing of it is inside.
bool Clip(QPointF& a, QPointF& b, double w, double h) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0;
    double t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x(), w - 1 - a.x(), a.y(), h - 1 - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) {
        return false;
    }
    b = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);
    a = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
    return true;
}

// v * a / 255, rounded, for 0 <= v, a <= 255.
std::uint32_t Times(std::uint32_t v, std::uint32_t a) {
    const std::uint32_t t = v * a + 128;
    return (t + (t >> 8)) >> 8;
}

// Each of the four 8-bit channels of `pixel` times alpha / 255, at once.
std::uint32_t ScalePixel(std::uint32_t pixel, std::uint32_t alpha) {
    std::uint32_t rb = (pixel & 0x00FF00FFu) * alpha;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    std::uint32_t ag = ((pixel >> 8) & 0x00FF00FFu) * alpha;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu) + 0x00800080u) & 0xFF00FF00u;
    return rb | ag;
}

}  // namespace

CoverageLayer::CoverageLayer(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      coverage_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0),
      firstRow_(height_) {}

void CoverageLayer::AddLine(QPointF a, QPointF b, int opacity, DashPattern dash) {
    if (opacity <= 0 || width_ == 0 || height_ == 0 || !Clip(a, b, width_, height_)) {
        return;
    }
    const auto add = static_cast<std::uint32_t>(std::min(opacity, 255));
    // Fixed point 16.16 along the line: one add per axis and pixel.
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const int steps = static_cast<int>(std::ceil(std::max(std::abs(dx), std::abs(dy))));
    const auto fixed = [](double v) { return static_cast<std::int64_t>(std::llround(v * 65536)); };
    const std::int64_t sx = steps > 0 ? fixed(dx / steps) : 0;
    const std::int64_t sy = steps > 0 ? fixed(dy / steps) : 0;
    std::int64_t x = fixed(a.x() + 0.5);
    std::int64_t y = fixed(a.y() + 0.5);
    const std::int64_t maxX = width_ - 1;
    const std::int64_t maxY = height_ - 1;
    const int period = dash.on + dash.off;
    for (int i = 0; i <= steps; ++i, x += sx, y += sy) {
        if (period > 0 && i % period >= dash.on) {
            continue;
        }
        const std::int64_t px = std::clamp<std::int64_t>(x >> 16, 0, maxX);
        const std::int64_t py = std::clamp<std::int64_t>(y >> 16, 0, maxY);
        std::uint8_t& c = coverage_[static_cast<std::size_t>(py * width_ + px)];
        c = static_cast<std::uint8_t>(c + Times(255u - c, add));
    }
    const int startRow = static_cast<int>(std::clamp<std::int64_t>(fixed(a.y() + 0.5) >> 16, 0, maxY));
    const int endRow = static_cast<int>(std::clamp<std::int64_t>((y - sy) >> 16, 0, maxY));
    firstRow_ = std::min({firstRow_, startRow, endRow});
    lastRow_ = std::max({lastRow_, startRow, endRow});
}

void CoverageLayer::CompositeOnto(QImage& image, QRgb colour) const {
    if (Empty() || image.width() != width_ || image.height() != height_ ||
        (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_RGB32)) {
        return;
    }
    // The colour premultiplied by every coverage, so a pixel costs a look-up and one scaling of what lies
    // under it.
    std::array<std::uint32_t, 256> premultiplied{};
    for (std::uint32_t c = 0; c < 256; ++c) {
        premultiplied[c] = (c << 24) | (Times(static_cast<std::uint32_t>(qRed(colour)), c) << 16) |
                           (Times(static_cast<std::uint32_t>(qGreen(colour)), c) << 8) |
                           Times(static_cast<std::uint32_t>(qBlue(colour)), c);
    }
    for (int row = firstRow_; row <= lastRow_; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(image.scanLine(row));
        const std::uint8_t* cover =
            coverage_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
        for (int col = 0; col < width_; ++col) {
            const std::uint32_t c = cover[col];
            if (c != 0) {
                pixels[col] = premultiplied[c] + ScalePixel(pixels[col], 255u - c);
            }
        }
    }
}

}  // namespace vantrel::hunt_picture
