#include "hunt_picture/bearing_log_drawing.hpp"

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <vector>

#include "hunt_picture/picture_palette.hpp"

namespace vantrel::hunt_picture {
namespace {

// The fox's colour of the picture's palette (day or night), as its two-station ray and fix have it.
QColor Colour(const PictureInput& input, int fox, int alpha = 255) {
    return PaletteFor(input.style.night).Fox(fox, alpha);
}

// Hunt-zone points in pixels, cut where a point cannot be transformed.
std::vector<QPolygonF> Pixels(const std::vector<core::PlanePoint>& points, const maps::View& view,
                              const ViewProjection& projection) {
    std::vector<QPolygonF> parts(1);
    for (const core::PlanePoint& p : points) {
        const auto pixel = PixelOf(view, projection, p);
        if (!pixel || !std::isfinite(pixel->x) || !std::isfinite(pixel->y)) {
            if (!parts.back().isEmpty()) {
                parts.emplace_back();
            }
            continue;
        }
        parts.back().append(QPointF(pixel->x, pixel->y));
    }
    return parts;
}

void DrawParts(QPainter& painter, const std::vector<QPolygonF>& parts) {
    for (const QPolygonF& part : parts) {
        if (part.size() >= 2) {
            painter.drawPolyline(part);
        }
    }
}

void HaloText(QPainter& painter, QPointF baseline, const QString& text, const QColor& colour) {
    painter.setPen(QColor(255, 255, 255, 230));
    for (const QPointF offset : {QPointF(-1, -1), QPointF(1, -1), QPointF(-1, 1), QPointF(1, 1)}) {
        painter.drawText(baseline + offset, text);
    }
    painter.setPen(colour);
    painter.drawText(baseline, text);
}

void DrawRays(QPainter& painter, const maps::View& view, const PictureInput& input,
              const core::PlaneBox& huntBox) {
    // Sixty-four pieces across the view follow any bend of the view's CRS closely enough for thin lines.
    const double piece = std::max(huntBox.Width(), huntBox.Height()) / 64;
    for (const LogRay& ray : input.scene->bearingLog.rays) {
        const auto inside = maps::ClipHalfLine(ray.station, ray.bearing, huntBox);
        if (!inside || !input.layers.FoxShown(ray.fox)) {
            continue;
        }
        const Qt::PenStyle style = ray.ignored ? Qt::DotLine : ray.rejected ? Qt::DashLine : Qt::SolidLine;
        painter.setPen(
            QPen(Colour(input, ray.fox, ray.ignored ? 90 : 200), 1.5, style, Qt::FlatCap, Qt::RoundJoin));
        DrawParts(painter,
                  Pixels(maps::Densify(inside->first, inside->second, piece), view, *input.projection));
    }
}

}  // namespace

void DrawBearingLogLayer(QPainter& painter, const maps::View& view, const PictureInput& input) {
    const BearingLogLayer& log = input.scene->bearingLog;
    if (log.Empty()) {
        return;
    }
    painter.save();
    if (const auto huntBox = HuntBoxOfView(view, *input.projection)) {
        DrawRays(painter, view, input, *huntBox);
    }
    for (const core::PlanePoint& station : log.stations) {
        if (const auto pixel = PixelOf(view, *input.projection, station)) {
            painter.setPen(QPen(Qt::white, 1.5));
            painter.setBrush(QColor(60, 60, 60));
            painter.drawRect(QRectF(QPointF(pixel->x - 4, pixel->y - 4), QSizeF(8, 8)));
        }
    }
    painter.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    for (const LogFix& fix : log.fixes) {
        if (!input.layers.FoxShown(fix.fox)) {
            continue;
        }
        if (input.layers.ellipses) {
            painter.setPen(QPen(Colour(input, fix.fox).darker(130), 2, Qt::DashLine));
            DrawParts(painter, Pixels(fix.ellipse, view, *input.projection));
        }
        const auto pixel = PixelOf(view, *input.projection, fix.position);
        if (!pixel) {
            continue;
        }
        const QPointF c(pixel->x, pixel->y);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(Colour(input, fix.fox));
        painter.drawPolygon(
            QPolygonF({c + QPointF(0, -8), c + QPointF(8, 0), c + QPointF(0, 8), c + QPointF(-8, 0)}));
        painter.setBrush(Qt::NoBrush);
        HaloText(painter, c + QPointF(10, 16), QStringLiteral("F%1 log").arg(fix.fox + 1),
                 PaletteFor(input.style.night).FoxText(fix.fox));
    }
    painter.restore();
}

}  // namespace vantrel::hunt_picture
