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
    const std::int64_t startY = y;
    const auto w = static_cast<std::uint64_t>(width_);
    const auto h = static_cast<std::uint64_t>(height_);
    // The clipped line stays inside; the check only guards the memory against rounding.
    const auto cover = [&](std::int64_t fx, std::int64_t fy) {
        const auto px = static_cast<std::uint64_t>(fx >> 16);
        const auto py = static_cast<std::uint64_t>(fy >> 16);
        if (px < w && py < h) {
            std::uint8_t& c = coverage_[py * w + px];
            c = static_cast<std::uint8_t>(c + Times(255u - c, add));
        }
    };
    const int period = dash.on + dash.off;
    if (period == 0) {
        for (int i = 0; i <= steps; ++i, x += sx, y += sy) {
            cover(x, y);
        }
    } else {
        for (int i = 0; i <= steps; ++i, x += sx, y += sy) {
            if (i % period < dash.on) {
                cover(x, y);
            }
        }
    }
    const std::int64_t maxY = height_ - 1;
    const int startRow = static_cast<int>(std::clamp<std::int64_t>(startY >> 16, 0, maxY));
    const int endRow = static_cast<int>(std::clamp<std::int64_t>((y - sy) >> 16, 0, maxY));
    firstRow_ = std::min({firstRow_, startRow, endRow});
    lastRow_ = std::max({lastRow_, startRow, endRow});
}

QImage CoverageLayer::Coloured(QRgb colour) const {
    QImage image(width_, height_, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (Empty()) {
        return image;
    }
    // The colour premultiplied by every coverage: a pixel costs one look-up.
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
            pixels[col] = premultiplied[cover[col]];
        }
    }
    return image;
}

}  // namespace vantrel::hunt_picture
