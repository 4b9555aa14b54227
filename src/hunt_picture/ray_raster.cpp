#include "hunt_picture/ray_raster.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

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

// Each byte of the pixel times a / 255, rounded: two channels at a time.
std::uint32_t PixelTimes(std::uint32_t pixel, std::uint32_t a) {
    std::uint32_t low = (pixel & 0xff00ffu) * a + 0x800080u;
    low = ((low + ((low >> 8) & 0xff00ffu)) >> 8) & 0xff00ffu;
    std::uint32_t high = ((pixel >> 8) & 0xff00ffu) * a + 0x800080u;
    high = (high + ((high >> 8) & 0xff00ffu)) & 0xff00ff00u;
    return low | high;
}

// The distance from `p` to the segment from `a` along `d` (|d|^2 = `length2`).
double DistanceToSegment(QPointF p, QPointF a, QPointF d, double length2) {
    const QPointF ap = p - a;
    const double t = length2 > 0 ? std::clamp((ap.x() * d.x() + ap.y() * d.y()) / length2, 0.0, 1.0) : 0.0;
    const QPointF off = ap - t * d;
    return std::hypot(off.x(), off.y());
}

// The part [t0, t1] of the segment a + t d (0 <= t <= 1) within `reach` of the row at height `y`.
bool RowPart(double ay, double dy, double y, double reach, double& t0, double& t1) {
    if (dy == 0) {
        t0 = 0;
        t1 = 1;
        return std::abs(ay - y) <= reach;
    }
    t0 = std::max(0.0, std::min((y - reach - ay) / dy, (y + reach - ay) / dy));
    t1 = std::min(1.0, std::max((y - reach - ay) / dy, (y + reach - ay) / dy));
    return t0 <= t1;
}

// a / b rounded down and up, for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

constexpr int kBandRows = 32;

// `colour` at opacity `a` (0..255), premultiplied.
std::uint32_t Premultiplied(QRgb colour, std::uint32_t a) {
    return (a << 24) | (Times(static_cast<std::uint32_t>(qRed(colour)), a) << 16) |
           (Times(static_cast<std::uint32_t>(qGreen(colour)), a) << 8) |
           Times(static_cast<std::uint32_t>(qBlue(colour)), a);
}

// Lays the coverage of rows top..bottom (`band`, the image's width) over the image in the colour of the
// tables, and clears it.
void LayBandOver(QImage& image, int top, int bottom, std::uint8_t* band,
                 const std::array<std::uint32_t, 256>& premultiplied,
                 const std::array<std::uint32_t, 256>& left) {
    const int width = image.width();
    for (int row = top; row <= bottom; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(image.scanLine(row));
        std::uint8_t* cover = band + static_cast<std::size_t>(row - top) * static_cast<std::size_t>(width);
        int col = 0;
        while (col < width) {
            // Much of a layer is empty: eight uncovered pixels are passed over at once.
            std::uint64_t eight = 0;
            if (col + 8 <= width) {
                std::memcpy(&eight, cover + col, sizeof eight);
                if (eight == 0) {
                    col += 8;
                    continue;
                }
            }
            for (const int end = std::min(col + 8, width); col < end; ++col) {
                if (const std::uint8_t c = cover[col]; c != 0) {
                    pixels[col] = premultiplied[c] + PixelTimes(pixels[col], left[c]);
                }
            }
        }
        std::memset(cover, 0, static_cast<std::size_t>(width));
    }
}

}  // namespace

LinePicture::LinePicture(int width, int height) : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

void LinePicture::BeginLayer(QRgb colour, int alpha) {
    layers_.push_back(Layer{colour, std::clamp(alpha, 0, 255), {}, {}});
}

void LinePicture::AddLine(QPointF a, QPointF b, int opacity, DashPattern dash) {
    if (layers_.empty() || opacity <= 0 || width_ == 0 || height_ == 0 || !Clip(a, b, width_, height_)) {
        return;
    }
    // Fixed point 16.16 along the line: one add per axis and pixel.
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const int steps = static_cast<int>(std::ceil(std::max(std::abs(dx), std::abs(dy))));
    const auto fixed = [](double v) { return static_cast<std::int64_t>(std::llround(v * 65536)); };
    ThinLine line{};
    line.sx = steps > 0 ? fixed(dx / steps) : 0;
    line.sy = steps > 0 ? fixed(dy / steps) : 0;
    line.x = fixed(a.x() + 0.5);
    line.y = fixed(a.y() + 0.5);
    line.steps = steps;
    const std::int64_t maxY = height_ - 1;
    const auto startRow = static_cast<int>(std::clamp<std::int64_t>(line.y >> 16, 0, maxY));
    const auto endRow = static_cast<int>(std::clamp<std::int64_t>((line.y + steps * line.sy) >> 16, 0, maxY));
    line.firstRow = std::min(startRow, endRow);
    line.lastRow = std::max(startRow, endRow);
    line.dash = dash.on + dash.off > 0 ? dash : DashPattern{};
    line.opacity = static_cast<std::uint8_t>(std::min(opacity, 255));
    layers_.back().thin.push_back(line);
}

void LinePicture::AddWideLine(QPointF a, QPointF b, double width) {
    if (layers_.empty() || width_ == 0 || height_ == 0 || !(width > 0) ||
        !std::isfinite(a.x() + a.y() + b.x() + b.y())) {
        return;
    }
    // A pixel whose centre lies within width / 2 - 0.5 of the line is covered, beyond width / 2 + 0.5 not,
    // and between by the part of it within.
    const double reach = width / 2 + 0.5;
    const double top = std::floor(std::min(a.y(), b.y()) - reach);
    const double bottom = std::ceil(std::max(a.y(), b.y()) + reach);
    if (bottom < 0 || top > height_ - 1) {
        return;
    }
    layers_.back().wide.push_back(WideLine{a, b, reach, static_cast<int>(std::max(top, 0.0)),
                                           static_cast<int>(std::min<double>(bottom, height_ - 1))});
}

void LinePicture::DrawThin(const ThinLine& line, QRgb colour, int alpha, int top, int bottom,
                           QImage& image) const {
    // The steps whose row lies in the band: the rows run one way along the line.
    std::int64_t first = 0;
    std::int64_t last = line.steps;
    const std::int64_t topY = std::int64_t{top} << 16;
    const std::int64_t endY = (std::int64_t{bottom} + 1) << 16;  // the first y below the band
    if (line.sy > 0) {
        first = std::max(first, CeilDiv(topY - line.y, line.sy));
        last = std::min(last, FloorDiv(endY - 1 - line.y, line.sy));
    } else if (line.sy < 0) {
        first = std::max(first, CeilDiv(line.y - endY + 1, -line.sy));
        last = std::min(last, FloorDiv(line.y - topY, -line.sy));
    }
    // Each pixel is the colour at the line's opacity over what is there: drawn over itself, the colour
    // adds up as the coverage of the lines does.
    const std::uint32_t opacity = Times(line.opacity, static_cast<std::uint32_t>(alpha));
    const std::uint32_t source = Premultiplied(colour, opacity);
    const std::uint32_t left = 255u - opacity;
    const auto w = static_cast<std::uint64_t>(width_);
    const auto rows = static_cast<std::uint64_t>(bottom - top + 1);
    auto* const pixels = reinterpret_cast<std::uint32_t*>(image.scanLine(top));
    const auto stride = static_cast<std::uint64_t>(image.bytesPerLine()) / sizeof(std::uint32_t);
    const int period = line.dash.on + line.dash.off;
    std::int64_t x = line.x + first * line.sx;
    std::int64_t y = line.y + first * line.sy - topY;
    // The clipped line stays inside; the check only guards the memory against rounding.
    const auto blend = [&](std::int64_t fx, std::int64_t fy) {
        const auto px = static_cast<std::uint64_t>(fx >> 16);
        const auto py = static_cast<std::uint64_t>(fy >> 16);
        if (px < w && py < rows) {
            std::uint32_t& p = pixels[py * stride + px];
            p = source + PixelTimes(p, left);
        }
    };
    if (period == 0) {
        for (std::int64_t i = first; i <= last; ++i, x += line.sx, y += line.sy) {
            blend(x, y);
        }
        return;
    }
    for (std::int64_t i = first; i <= last; ++i, x += line.sx, y += line.sy) {
        if (i % period < line.dash.on) {
            blend(x, y);
        }
    }
}

void LinePicture::CoverWide(const WideLine& line, int top, int bottom, std::uint8_t* band) const {
    const QPointF a = line.a;
    const QPointF d = line.b - line.a;
    const double length2 = d.x() * d.x() + d.y() * d.y();
    for (int row = std::max(top, line.firstRow); row <= std::min(bottom, line.lastRow); ++row) {
        const double y = row + 0.5;
        double t0 = 0;
        double t1 = 0;
        if (!RowPart(a.y(), d.y(), y, line.reach, t0, t1)) {
            continue;
        }
        const double x0 = a.x() + t0 * d.x();
        const double x1 = a.x() + t1 * d.x();
        const int left = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - line.reach)));
        const int right = std::min(width_ - 1, static_cast<int>(std::ceil(std::max(x0, x1) + line.reach)));
        std::uint8_t* cells = band + static_cast<std::size_t>(row - top) * static_cast<std::size_t>(width_);
        for (int col = left; col <= right; ++col) {
            const double inside = line.reach - DistanceToSegment(QPointF(col + 0.5, y), a, d, length2);
            if (inside > 0) {
                const auto c = static_cast<std::uint8_t>(std::lround(std::min(inside, 1.0) * 255));
                cells[col] = std::max(cells[col], c);
            }
        }
    }
}

void LinePicture::LayOver(QImage& image) const {
    if (image.width() != width_ || image.height() != height_ || image.depth() != 32 || layers_.empty()) {
        return;
    }
    // The wide lines' coverage of a band, laid over in the layer's colour: tables of the colour
    // premultiplied by every coverage and of what is left of the picture under it.
    std::vector<std::uint8_t> band(static_cast<std::size_t>(kBandRows) * static_cast<std::size_t>(width_));
    std::array<std::uint32_t, 256> premultiplied{};
    std::array<std::uint32_t, 256> left{};
    for (int top = 0; top < height_; top += kBandRows) {
        const int bottom = std::min(top + kBandRows, height_) - 1;
        for (const Layer& layer : layers_) {
            for (const ThinLine& line : layer.thin) {
                if (line.lastRow >= top && line.firstRow <= bottom) {
                    DrawThin(line, layer.colour, layer.alpha, top, bottom, image);
                }
            }
            bool covered = false;
            for (const WideLine& line : layer.wide) {
                if (line.lastRow >= top && line.firstRow <= bottom) {
                    CoverWide(line, top, bottom, band.data());
                    covered = true;
                }
            }
            if (covered) {
                for (std::uint32_t c = 0; c < 256; ++c) {
                    const std::uint32_t a = Times(c, static_cast<std::uint32_t>(layer.alpha));
                    premultiplied[c] = Premultiplied(layer.colour, a);
                    left[c] = 255 - a;
                }
                LayBandOver(image, top, bottom, band.data(), premultiplied, left);
            }
        }
    }
}

}  // namespace vantrel::hunt_picture
