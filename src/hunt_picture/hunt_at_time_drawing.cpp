#include "hunt_picture/hunt_at_time_drawing.hpp"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <compare>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

#include "hunt_picture/picture_palette.hpp"
#include "hunt_picture/ray_raster.hpp"

namespace vantrel::hunt_picture {
namespace {

std::optional<QPointF> Pixel(const maps::View& view, const PictureInput& input, core::PlanePoint p) {
    const auto pixel = PixelOf(view, *input.projection, p);
    if (!pixel || !std::isfinite(pixel->x) || !std::isfinite(pixel->y)) {
        return std::nullopt;
    }
    return QPointF(pixel->x, pixel->y);
}

// Hunt-zone points as pixel polylines, cut where a point cannot be transformed.
std::vector<QPolygonF> Polylines(const std::vector<core::PlanePoint>& points, const maps::View& view,
                                 const PictureInput& input) {
    std::vector<QPolygonF> parts(1);
    for (const core::PlanePoint& p : points) {
        const auto pixel = Pixel(view, input, p);
        if (!pixel) {
            if (!parts.back().isEmpty()) {
                parts.emplace_back();
            }
            continue;
        }
        parts.back().append(*pixel);
    }
    return parts;
}

// A track of a point a second has many points within a pixel of the last one drawn: they are left out, so
// the stroker works on what can be seen.
std::vector<QPolygonF> Thinned(std::vector<QPolygonF> parts) {
    for (QPolygonF& part : parts) {
        QPolygonF kept;
        for (const QPointF& p : part) {
            if (kept.isEmpty() ||
                std::abs(p.x() - kept.back().x()) + std::abs(p.y() - kept.back().y()) >= 1.5) {
                kept.append(p);
            }
        }
        if (part.size() >= 2 && kept.size() < 2) {
            kept.append(part.back());
        }
        part = std::move(kept);
    }
    return parts;
}

void DrawPolylines(QPainter& painter, const std::vector<QPolygonF>& parts) {
    for (const QPolygonF& part : parts) {
        if (part.size() >= 2) {
            painter.drawPolyline(part);
        }
    }
}

void Label(QPainter& painter, QPointF baseline, const QString& text, const QColor& colour) {
    painter.setPen(QColor(255, 255, 255, 230));
    for (const QPointF offset : {QPointF(-1, -1), QPointF(1, -1), QPointF(-1, 1), QPointF(1, 1)}) {
        painter.drawText(baseline + offset, text);
    }
    painter.setPen(colour);
    painter.drawText(baseline, text);
}

constexpr int kOpacitySteps = 16;
constexpr double kTrackWidth = 2.5;  // logical pixels
constexpr QRgb kTrackColour = qRgba(70, 70, 70, 200);

struct RayPen {
    int fox = 0;
    Qt::PenStyle style = Qt::SolidLine;
    int opacity = 0;  // in kOpacitySteps steps of full

    friend auto operator<=>(const RayPen&, const RayPen&) = default;
};

// The rays grouped by fox, line style and opacity (in sixteen steps), each group in one colour.
std::map<RayPen, std::vector<QLineF>> RayBatches(const maps::View& view, const PictureInput& input,
                                                 const HuntAtTime& hunt) {
    std::map<RayPen, std::vector<QLineF>> batches;
    const auto huntBox = HuntBoxOfView(view, *input.projection);
    if (!huntBox || !input.layers.rays) {
        return batches;
    }
    // A straight view needs the two ends only; a bent one sixteen pieces across the view, enough for thin
    // lines and cheap enough for thousands of rays in a frame.
    const bool straight = input.projection->IsIdentity();
    const double piece = std::max(huntBox->Width(), huntBox->Height()) / 16;
    for (const TimedRay& ray : hunt.rays) {
        if (!input.layers.FoxShown(ray.fox)) {
            continue;
        }
        const auto inside = maps::ClipHalfLine(ray.station, ray.bearing, *huntBox);
        if (!inside) {
            continue;
        }
        const double opacity = ray.ignored ? ray.opacity / 2 : ray.opacity;
        const RayPen key{ray.fox,
                         ray.ignored    ? Qt::DotLine
                         : ray.rejected ? Qt::DashLine
                                        : Qt::SolidLine,
                         static_cast<int>(std::lround(opacity * kOpacitySteps))};
        std::vector<QLineF>& lines = batches[key];
        if (straight) {
            const auto a = Pixel(view, input, inside->first);
            const auto b = Pixel(view, input, inside->second);
            if (a && b) {
                lines.emplace_back(*a, *b);
            }
            continue;
        }
        for (const QPolygonF& part :
             Polylines(maps::Densify(inside->first, inside->second, piece), view, input)) {
            for (qsizetype k = 1; k < part.size(); ++k) {
                lines.emplace_back(part[k - 1], part[k]);
            }
        }
    }
    return batches;
}

// The rays, each fox's in its colour, then the track as a smoothed grey line: all into one premultiplied
// image of `size` device pixels, `toImage` taking the view's pixels to the image's.
QImage RaysAndTrackImage(const maps::View& view, const PictureInput& input, const HuntAtTime& hunt,
                         QSize size, const QTransform& toImage) {
    const std::map<RayPen, std::vector<QLineF>> batches = RayBatches(view, input, hunt);
    const Palette& palette = PaletteFor(input.style.night);
    LinePicture lines(size.width(), size.height());
    for (int fox = 0; fox < hunt_log::kFoxCount; ++fox) {
        lines.BeginLayer(palette.Fox(fox).rgb());
        for (auto batch = batches.lower_bound(RayPen{fox, Qt::NoPen, 0});
             batch != batches.end() && batch->first.fox == fox; ++batch) {
            const RayPen& key = batch->first;
            const DashPattern dash = key.style == Qt::DotLine    ? DashPattern{1, 3}
                                     : key.style == Qt::DashLine ? DashPattern{6, 4}
                                                                 : DashPattern{};
            const int opacity = std::clamp(key.opacity * 255 / kOpacitySteps, 0, 255);
            for (const QLineF& line : batch->second) {
                lines.AddLine(toImage.map(line.p1()), toImage.map(line.p2()), opacity, dash);
            }
        }
    }
    lines.BeginLayer(kTrackColour, qAlpha(kTrackColour));
    const double trackWidth = kTrackWidth * std::sqrt(std::abs(toImage.determinant()));
    for (const QPolygonF& part : Thinned(Polylines(hunt.track, view, input))) {
        for (qsizetype k = 1; k < part.size(); ++k) {
            lines.AddWideLine(toImage.map(part[k - 1]), toImage.map(part[k]), trackWidth);
        }
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    lines.LayOver(image);
    return image;
}

void DrawRaysAndTrack(QPainter& painter, const maps::View& view, const PictureInput& input,
                      const HuntAtTime& hunt) {
    const QPaintDevice& device = *painter.device();
    const qreal ratio = device.devicePixelRatioF();
    const QSize size = QSize(device.width(), device.height()) * ratio;
    const QTransform toImage = painter.combinedTransform() * QTransform::fromScale(ratio, ratio);
    QImage image = RaysAndTrackImage(view, input, hunt, size, toImage);
    image.setDevicePixelRatio(ratio);
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(0, 0), image);
    painter.restore();
}

// Where the kept image's top left corner lies in `view`, and its scale there.
std::pair<QPointF, double> KeptPlace(const HuntAtTimeImage& kept, const maps::View& view) {
    const core::PlanePoint topLeft = view.ToPixel(kept.view.FromPixel({0, 0}));
    return {QPointF(topLeft.x, topLeft.y), kept.view.unitsPerPixel / view.unitsPerPixel};
}

void DrawKept(QPainter& painter, const maps::View& view, const HuntAtTimeImage& kept) {
    const auto [topLeft, k] = KeptPlace(kept, view);
    if (k == 1) {
        // Moved only: whole pixels keep every line as sharp as it was drawn.
        painter.drawImage(QPointF(std::round(topLeft.x()), std::round(topLeft.y())), kept.image);
    } else {
        // Scaled while the view moves; smoothed, as the map image is, so thin lines do not turn blocky.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(topLeft.x(), topLeft.y(), kept.view.width * k, kept.view.height * k),
                          kept.image);
        painter.restore();
    }
}

void DrawCar(QPainter& painter, const maps::View& view, const PictureInput& input, const CarMark& car) {
    const auto centre = Pixel(view, input, car.position);
    if (!centre) {
        return;
    }
    const double s = input.style.scale > 0 ? input.style.scale : 1;
    if (std::isfinite(car.course)) {
        // The arrow points where 10 m ahead along the course lies in the view (its CRS may turn it).
        const double rad = car.course * std::numbers::pi / 180;
        const auto ahead =
            Pixel(view, input, {car.position.x + 10 * std::sin(rad), car.position.y + 10 * std::cos(rad)});
        if (ahead && *ahead != *centre) {
            const QPointF d = *ahead - *centre;
            const QPointF u = d / std::hypot(d.x(), d.y());
            const QPointF n(-u.y(), u.x());
            const QPointF tip = *centre + u * 22 * s;
            painter.setPen(QPen(Qt::white, 1.5 * s));
            painter.setBrush(QColor(20, 20, 20));
            painter.drawPolygon(
                QPolygonF({tip, *centre + n * 7 * s + u * 6 * s, *centre - n * 7 * s + u * 6 * s}));
        }
    }
    painter.setPen(QPen(Qt::white, 2 * s));
    painter.setBrush(QColor(20, 20, 20));
    painter.drawEllipse(*centre, 6 * s, 6 * s);
}

void DrawFixes(QPainter& painter, const maps::View& view, const PictureInput& input, const HuntAtTime& hunt) {
    const Palette& palette = PaletteFor(input.style.night);
    for (const LogFix& fix : hunt.fixes) {
        if (!input.layers.FoxShown(fix.fox)) {
            continue;
        }
        if (input.layers.ellipses) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(palette.Fox(fix.fox).darker(130), 2, Qt::DashLine));
            DrawPolylines(painter, Polylines(fix.ellipse, view, input));
        }
        const auto c = Pixel(view, input, fix.position);
        if (!c) {
            continue;
        }
        // A white rim keeps the diamond apart from the rays of its own colour that meet under it.
        const QPolygonF diamond(
            {*c + QPointF(0, -10), *c + QPointF(10, 0), *c + QPointF(0, 10), *c + QPointF(-10, 0)});
        painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(palette.Fox(fix.fox));
        painter.drawPolygon(diamond);
        painter.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawPolygon(diamond);
        Label(painter, *c + QPointF(11, 16), QStringLiteral("F%1").arg(fix.fox + 1),
              palette.FoxText(fix.fox));
    }
}

void DrawTruth(QPainter& painter, const maps::View& view, const PictureInput& input, const HuntAtTime& hunt) {
    const Palette& palette = PaletteFor(input.style.night);
    for (const TruthMark& truth : hunt.truth) {
        const auto c = Pixel(view, input, truth.position);
        if (!c) {
            continue;
        }
        painter.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(*c + QPointF(-9, -9), *c + QPointF(9, 9));
        painter.drawLine(*c + QPointF(-9, 9), *c + QPointF(9, -9));
        painter.setPen(QPen(palette.Fox(truth.fox), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(*c + QPointF(-9, -9), *c + QPointF(9, 9));
        painter.drawLine(*c + QPointF(-9, 9), *c + QPointF(9, -9));
        QString text = QStringLiteral("F%1 fox").arg(truth.fox + 1);
        if (truth.fixDistance) {
            text += QStringLiteral(": fix %1 m off").arg(std::lround(*truth.fixDistance));
        }
        Label(painter, *c + QPointF(12, -8), text, palette.FoxText(truth.fox));
    }
}

}  // namespace

void DrawHuntAtTime(QPainter& painter, const maps::View& view, const PictureInput& input) {
    if (!input.scene->huntAtTime) {
        return;
    }
    const HuntAtTime& hunt = *input.scene->huntAtTime;
    painter.save();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    if (input.huntAtTimeImage != nullptr) {
        DrawKept(painter, view, *input.huntAtTimeImage);
    } else {
        DrawRaysAndTrack(painter, view, input, hunt);
    }
    if (input.layers.fixes) {
        DrawFixes(painter, view, input, hunt);
    }
    DrawTruth(painter, view, input, hunt);
    if (hunt.car) {
        DrawCar(painter, view, input, *hunt.car);
    }
    painter.restore();
}

void HuntAtTimeCache::Invalidate() {
    image_.reset();
}

const HuntAtTimeImage* HuntAtTimeCache::For(const maps::View& view, const PictureInput& input, double ratio,
                                            bool moving) {
    if (!input.scene->huntAtTime) {
        return nullptr;
    }
    if (image_ && image_->ratio == ratio) {
        const auto [topLeft, k] = KeptPlace(*image_, view);
        const bool covers = topLeft.x() <= 0.5 && topLeft.y() <= 0.5 &&
                            topLeft.x() + image_->view.width * k >= view.width - 0.5 &&
                            topLeft.y() + image_->view.height * k >= view.height - 0.5;
        if (covers && (k == 1 || moving)) {
            return &*image_;
        }
    }
    // A margin of an eighth of the view each side: pans of up to that keep the image.
    const int margin = std::max(view.width, view.height) / 8;
    maps::View wide = view;
    wide.width += 2 * margin;
    wide.height += 2 * margin;
    const QSize size(static_cast<int>(std::lround(wide.width * ratio)),
                     static_cast<int>(std::lround(wide.height * ratio)));
    HuntAtTimeImage kept{
        RaysAndTrackImage(wide, input, *input.scene->huntAtTime, size, QTransform::fromScale(ratio, ratio)),
        wide, ratio};
    kept.image.setDevicePixelRatio(ratio);
    image_ = std::move(kept);
    return &*image_;
}

bool HuntAtTimeCache::Scaled(const maps::View& view) const {
    return image_ && image_->view.unitsPerPixel != view.unitsPerPixel;
}

}  // namespace vantrel::hunt_picture
