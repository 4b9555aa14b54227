#include "hunt_picture/heat_drawing.hpp"

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>

namespace vantrel::hunt_picture {
namespace {

// The ramp from the edge of the 95 % region to the peak: by day pale yellow through orange to deep red, by
// night dim brown-red to bright red (nothing blue or green, so the eyes stay adapted to the dark). Opacity
// grows with the likelihood, so the map stays readable under the outer part of the region.
struct RampStop {
    double at;
    QColor colour;
};
constexpr int kStops = 3;
const std::array<RampStop, kStops>& Ramp(bool night) {
    static const std::array<RampStop, kStops> day{
        {{0, QColor(255, 240, 90, 70)}, {0.5, QColor(255, 140, 0, 120)}, {1, QColor(200, 0, 0, 170)}}};
    static const std::array<RampStop, kStops> dark{
        {{0, QColor(110, 25, 15, 70)}, {0.5, QColor(180, 40, 20, 120)}, {1, QColor(255, 80, 50, 170)}}};
    return night ? dark : day;
}

QRgb RampColour(const std::array<RampStop, kStops>& ramp, double t) {
    std::size_t k = 1;
    while (k + 1 < ramp.size() && t > ramp.at(k).at) {
        ++k;
    }
    const RampStop& a = ramp.at(k - 1);
    const RampStop& b = ramp.at(k);
    const double f = std::clamp((t - a.at) / (b.at - a.at), 0.0, 1.0);
    const auto mix = [f](int from, int to) { return static_cast<int>(std::lround(from + f * (to - from))); };
    return qPremultiply(qRgba(mix(a.colour.red(), b.colour.red()), mix(a.colour.green(), b.colour.green()),
                              mix(a.colour.blue(), b.colour.blue()),
                              mix(a.colour.alpha(), b.colour.alpha())));
}

// One pixel a cell, north up (the grid's row 0 is its southern edge); outside the 95 % region transparent.
QImage HeatImage(const HeatLayer& heat, bool night) {
    const auto& ramp = Ramp(night);
    QImage image(heat.frame.columns, heat.frame.rows, QImage::Format_ARGB32_Premultiplied);
    const double span = std::max(heat.peak - heat.level95, 1e-12);
    for (int row = 0; row < heat.frame.rows; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(heat.frame.rows - 1 - row));
        const double* values =
            heat.values.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(heat.frame.columns);
        for (int i = 0; i < heat.frame.columns; ++i) {
            line[i] = values[i] >= heat.level95 ? RampColour(ramp, (values[i] - heat.level95) / span) : 0;
        }
    }
    return image;
}

std::optional<QPointF> Pixel(const maps::View& view, const PictureInput& input, double x, double y) {
    const auto p = PixelOf(view, *input.projection, core::PlanePoint{x, y});
    if (!p || !std::isfinite(p->x) || !std::isfinite(p->y)) {
        return std::nullopt;
    }
    return QPointF(p->x, p->y);
}

// The image laid over the view in tiles, each mapped by the projective transform of its four corners, so
// a view in another CRS bends the grid as it bends everything else.
void DrawImage(QPainter& painter, const maps::View& view, const PictureInput& input, const QImage& image,
               const locate::GridFrame& frame) {
    constexpr int kTiles = 16;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QTransform base = painter.transform();
    for (int tj = 0; tj < kTiles; ++tj) {
        for (int ti = 0; ti < kTiles; ++ti) {
            const int c0 = ti * frame.columns / kTiles, c1 = (ti + 1) * frame.columns / kTiles;
            const int r0 = tj * frame.rows / kTiles, r1 = (tj + 1) * frame.rows / kTiles;
            const double x0 = frame.minX + c0 * frame.size, x1 = frame.minX + c1 * frame.size;
            const double y0 = frame.minY + r0 * frame.size, y1 = frame.minY + r1 * frame.size;
            const auto sw = Pixel(view, input, x0, y0), se = Pixel(view, input, x1, y0);
            const auto ne = Pixel(view, input, x1, y1), nw = Pixel(view, input, x0, y1);
            if (!sw || !se || !ne || !nw || c1 <= c0 || r1 <= r0) {
                continue;
            }
            // Image rows run south from the top: the tile's top edge is its northern one.
            const QRectF source(c0, frame.rows - r1, c1 - c0, r1 - r0);
            QTransform map;
            if (!QTransform::quadToQuad(QPolygonF({source.topLeft(), source.topRight(), source.bottomRight(),
                                                   source.bottomLeft()}),
                                        QPolygonF({*nw, *ne, *se, *sw}), map)) {
                continue;
            }
            painter.setTransform(map * base);
            painter.drawImage(source, image, source);
        }
    }
    painter.setTransform(base);
}

void DrawContours(QPainter& painter, const maps::View& view, const PictureInput& input,
                  const std::vector<locate::Polyline>& lines, const QPen& pen) {
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const locate::Polyline& line : lines) {
        QPolygonF part;
        for (const auto& [x, y] : line) {
            if (const auto p = Pixel(view, input, x, y)) {
                part.append(*p);
            } else if (!part.isEmpty()) {
                painter.drawPolyline(part);
                part.clear();
            }
        }
        if (part.size() >= 2) {
            painter.drawPolyline(part);
        }
    }
}

}  // namespace

QColor HeatRampColour(bool night, double t) {
    return QColor::fromRgba(qUnpremultiply(RampColour(Ramp(night), std::clamp(t, 0.0, 1.0))));
}

QColor HeatLineColour(bool night) {
    return night ? QColor(255, 120, 90) : QColor(150, 0, 0);
}

void DrawHeatLayer(QPainter& painter, const maps::View& view, const PictureInput& input) {
    const HeatLayer* heat = input.scene->heat.get();
    if (heat == nullptr || !input.layers.heat || !input.layers.FoxShown(heat->fox) || heat->values.empty()) {
        return;
    }
    painter.save();
    DrawImage(painter, view, input, HeatImage(*heat, input.style.night), heat->frame);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor line = HeatLineColour(input.style.night);
    const double width = std::max(1.0, input.style.scale);
    DrawContours(painter, view, input, heat->contour95, QPen(line, 1.5 * width, Qt::DashLine));
    DrawContours(painter, view, input, heat->contour50, QPen(line, 2.5 * width, Qt::SolidLine));
    painter.restore();
}

}  // namespace vantrel::hunt_picture
