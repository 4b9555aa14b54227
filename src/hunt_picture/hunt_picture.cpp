#include "hunt_picture/hunt_picture.hpp"

#include "hunt_picture/bearing_log_drawing.hpp"

#include <QPainter>
#include <QPolygonF>
#include <QRegion>

#include <algorithm>
#include <cmath>

#include "geodesy/transverse_mercator.hpp"
#include "picture_tools/rays.hpp"

namespace vantrel::hunt_picture {
namespace {

constexpr double kFixRadius = 6;
constexpr int kCentreGuard = 1;  // pixels on each side of a disc's centre pixel that nothing covers
constexpr double kEdgeSamples = 16;
constexpr int kMaxGridLines = 200;

QColor FoxColour(int fox, int alpha = 255) {
    const picture_tools::Rgb c = picture_tools::FoxColour(fox);
    return {c.r, c.g, c.b, alpha};
}

QPointF ToQt(maps::XY p) {
    return {p.x, p.y};
}

// A hunt-zone polyline in pixels, cut where a point cannot be transformed.
std::vector<QPolygonF> ToPixels(const std::vector<maps::XY>& hunt, const maps::View& view,
                                const ViewProjection& projection) {
    std::vector<QPolygonF> parts(1);
    for (maps::XY p : hunt) {
        if (!projection.ToView(p) || !std::isfinite(p.x) || !std::isfinite(p.y)) {
            if (!parts.back().isEmpty()) {
                parts.emplace_back();
            }
            continue;
        }
        parts.back().append(ToQt(view.ToPixel(p)));
    }
    return parts;
}

// Appends the pixels of the hunt-zone segment a-b (a's pixel already appended) as the view's CRS bends it:
// halved until the middle of each piece lies within a quarter pixel of its straight chord, so a nearly
// straight line costs three transformations and a curved one only what it needs.
void AppendBent(maps::XY a, QPointF pa, maps::XY b, QPointF pb, const maps::View& view,
                const ViewProjection& projection, int depth, std::vector<QPolygonF>& parts) {
    constexpr double kTolerance = 0.25;  // pixels
    const maps::XY m{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const auto pm = PixelOf(view, projection, m);
    if (!pm) {
        parts.emplace_back();  // the line cannot be drawn here: it breaks
        parts.back().append(pb);
        return;
    }
    const QPointF chordMiddle = (pa + pb) / 2;
    const bool straight =
        std::abs(pm->x - chordMiddle.x()) <= kTolerance && std::abs(pm->y - chordMiddle.y()) <= kTolerance;
    if (straight || depth == 0) {
        parts.back().append(pb);
        return;
    }
    AppendBent(a, pa, m, ToQt(*pm), view, projection, depth - 1, parts);
    AppendBent(m, ToQt(*pm), b, pb, view, projection, depth - 1, parts);
}

// A straight hunt-zone segment in pixels, bent as the view's CRS bends it.
std::vector<QPolygonF> LineToPixels(maps::XY a, maps::XY b, const maps::View& view,
                                    const ViewProjection& projection, const maps::Box& huntBox) {
    constexpr int kDepth = 8;  // at most 256 pieces
    // Long lines are first cut into a few pieces, so a bend in the middle of a line is not missed.
    const auto pieces = maps::Densify(a, b, std::max(huntBox.Width(), huntBox.Height()) / 4);
    std::vector<QPolygonF> parts(1);
    std::optional<QPointF> previous;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto p = PixelOf(view, projection, pieces[i]);
        if (!p) {
            previous.reset();
            if (!parts.back().isEmpty()) {
                parts.emplace_back();
            }
            continue;
        }
        if (!previous || projection.IsIdentity()) {
            parts.back().append(ToQt(*p));
        } else {
            AppendBent(pieces[i - 1], *previous, pieces[i], ToQt(*p), view, projection, kDepth, parts);
        }
        previous = ToQt(*p);
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

// Text with a white halo, readable over any map: the text drawn around itself in white, then in colour
// (glyphs come from the font cache; a stroked outline would be built anew for every label).
void DrawHaloText(QPainter& painter, QPointF baseline, const QString& text, const QColor& colour) {
    painter.save();
    painter.setPen(QColor(255, 255, 255, 230));
    for (const QPointF offset : {QPointF(-1, -1), QPointF(1, -1), QPointF(-1, 1), QPointF(1, 1),
                                 QPointF(0, -1.4), QPointF(0, 1.4), QPointF(-1.4, 0), QPointF(1.4, 0)}) {
        painter.drawText(baseline + offset, text);
    }
    painter.setPen(colour);
    painter.drawText(baseline, text);
    painter.restore();
}

QFont PixelFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The pixel rectangles that must keep the colour of a solid fix disc.
struct FixPixel {
    std::size_t index = 0;
    QPointF centre;
    bool solid = true;
};

std::vector<FixPixel> FixPixels(const maps::View& view, const PictureInput& input) {
    std::vector<FixPixel> pixels;
    if (!input.layers.fixes) {
        return pixels;
    }
    for (std::size_t i = 0; i < input.scene->fixes.size(); ++i) {
        const SceneFix& fix = input.scene->fixes[i];
        if (const auto pixel = PixelOf(view, *input.projection, fix.position)) {
            pixels.push_back({i, ToQt(*pixel), !fix.behindStation});
        }
    }
    return pixels;
}

QRect GuardRect(QPointF centre) {
    const int x = static_cast<int>(std::floor(centre.x()));
    const int y = static_cast<int>(std::floor(centre.y()));
    return {x - kCentreGuard, y - kCentreGuard, 2 * kCentreGuard + 1, 2 * kCentreGuard + 1};
}

// The whole picture except the guarded centres of the solid discs.
QRegion OutsideCentres(const maps::View& view, const std::vector<FixPixel>& fixes) {
    QRegion region(0, 0, view.width, view.height);
    for (const FixPixel& fix : fixes) {
        if (fix.solid) {
            region -= QRegion(GuardRect(fix.centre));
        }
    }
    return region;
}

// Where the disc fixes[k] may paint: everywhere except the guarded centres of the other solid discs. Two
// fixes in (nearly) the same place cannot both keep their whole guard: where the guards overlap, the disc
// drawn later wins, so each keeps its centre unless the two centres share a pixel.
QRegion DiscRegion(const maps::View& view, const std::vector<FixPixel>& fixes, std::size_t k) {
    QRegion region(0, 0, view.width, view.height);
    const QRegion own(GuardRect(fixes[k].centre));
    for (std::size_t j = 0; j < fixes.size(); ++j) {
        if (j == k || !fixes[j].solid) {
            continue;
        }
        const QRegion guard(GuardRect(fixes[j].centre));
        region -= j < k ? guard - own : guard;
    }
    return region;
}

void DrawGrid(QPainter& painter, const maps::View& view, const ViewProjection& projection,
              const maps::Box& huntBox, geodesy::UtmZone zone) {
    const double spacing = maps::GridSpacing(GroundMetresPerPixel(view, projection, zone));
    const double firstE = std::ceil(huntBox.x0 / spacing) * spacing;
    const double firstN = std::ceil(huntBox.y0 / spacing) * spacing;
    if ((huntBox.x1 - firstE) / spacing > kMaxGridLines || (huntBox.y1 - firstN) / spacing > kMaxGridLines) {
        return;
    }
    painter.save();
    painter.setFont(PixelFont(11));
    const QColor line(70, 90, 140, 130);
    const QColor textColour(40, 50, 90);
    const auto label = [](double metres) { return QString::number(std::llround(metres)); };
    double labelEnd = -1e9;  // where the last easting label ends, so labels never run into each other
    for (double e = firstE; e <= huntBox.x1; e += spacing) {
        painter.setPen(QPen(line, 1));
        const auto parts = LineToPixels({e, huntBox.y0}, {e, huntBox.y1}, view, projection, huntBox);
        DrawPolylines(painter, parts);
        // Labelled where the line crosses the top edge.
        const QString text = QStringLiteral("E ") + label(e);
        const double width = painter.fontMetrics().horizontalAdvance(text) + 8;
        for (const QPolygonF& part : parts) {
            for (qsizetype k = 0; k + 1 < part.size(); ++k) {
                const QPointF a = part[k];
                const QPointF b = part[k + 1];
                const double top = 14;
                if ((a.y() - top) * (b.y() - top) <= 0 && a.y() != b.y()) {
                    const double x = a.x() + (top - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
                    if (x > labelEnd) {
                        DrawHaloText(painter, {x + 3, top - 2}, text, textColour);
                        labelEnd = x + width;
                    }
                }
            }
        }
    }
    for (double n = firstN; n <= huntBox.y1; n += spacing) {
        painter.setPen(QPen(line, 1));
        const auto parts = LineToPixels({huntBox.x0, n}, {huntBox.x1, n}, view, projection, huntBox);
        DrawPolylines(painter, parts);
        for (const QPolygonF& part : parts) {
            for (qsizetype k = 0; k + 1 < part.size(); ++k) {
                const QPointF a = part[k];
                const QPointF b = part[k + 1];
                const double left = 4.0;
                if ((a.x() - left) * (b.x() - left) <= 0 && a.x() != b.x()) {
                    const double y = a.y() + (left - a.x()) * (b.y() - a.y()) / (b.x() - a.x());
                    DrawHaloText(painter, {left, y - 3}, QStringLiteral("N ") + label(n), textColour);
                }
            }
        }
    }
    painter.restore();
}

void DrawRays(QPainter& painter, const maps::View& view, const ViewProjection& projection,
              const maps::Box& huntBox, const SceneStation& station, const std::vector<SceneRay>& rays,
              int alpha) {
    for (const SceneRay& ray : rays) {
        const auto inside = maps::ClipHalfLine(station.position, ray.bearing, huntBox);
        if (!inside) {
            continue;
        }
        painter.setPen(QPen(FoxColour(ray.fox, alpha), ray.width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        DrawPolylines(painter, LineToPixels(inside->first, inside->second, view, projection, huntBox));
    }
}

void DrawEllipses(QPainter& painter, const maps::View& view, const PictureInput& input) {
    for (const SceneFix& fix : input.scene->fixes) {
        if (fix.ellipse.size() < 3) {
            continue;
        }
        for (const QPolygonF& part : ToPixels(fix.ellipse, view, *input.projection)) {
            if (part.size() < 3) {
                continue;
            }
            painter.setPen(QPen(FoxColour(fix.fox), 2));
            painter.setBrush(FoxColour(fix.fox, 50));
            painter.drawPolygon(part);
        }
    }
    painter.setBrush(Qt::NoBrush);
}

void DrawFixes(QPainter& painter, const maps::View& view, const PictureInput& input,
               const std::vector<FixPixel>& pixels) {
    for (std::size_t k = 0; k < pixels.size(); ++k) {
        const FixPixel& pixel = pixels[k];
        const SceneFix& fix = input.scene->fixes[pixel.index];
        painter.setClipRegion(DiscRegion(view, pixels, k));
        if (pixel.solid) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(FoxColour(fix.fox));
        } else {
            painter.setPen(QPen(FoxColour(fix.fox), 2, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
        }
        painter.drawEllipse(pixel.centre, kFixRadius, kFixRadius);
    }
    painter.setClipRegion(OutsideCentres(view, pixels));
    painter.setFont(PixelFont(13, true));
    for (const FixPixel& pixel : pixels) {
        const SceneFix& fix = input.scene->fixes[pixel.index];
        const QString label = QStringLiteral("F%1").arg(fix.fox + 1);
        DrawHaloText(painter, pixel.centre + QPointF(kFixRadius + 3, -kFixRadius + 2), label,
                     FoxColour(fix.fox).darker(fix.fox == 3 ? 160 : 100));
    }
    painter.setBrush(Qt::NoBrush);
}

void DrawStations(QPainter& painter, const maps::View& view, const PictureInput& input) {
    painter.setFont(PixelFont(13, true));
    for (const SceneStation& station : input.scene->stations) {
        const auto pixel = PixelOf(view, *input.projection, station.position);
        if (!pixel) {
            continue;
        }
        const QPointF c = ToQt(*pixel);
        const QPolygonF triangle({c + QPointF(0, -9), c + QPointF(8, 6), c + QPointF(-8, 6)});
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(QColor(30, 30, 30));
        painter.drawPolygon(triangle);
        DrawHaloText(painter, c + QPointF(10, 14), QStringLiteral("P%1").arg(station.number), Qt::black);
    }
    painter.setBrush(Qt::NoBrush);
}

void DrawScaleBar(QPainter& painter, const maps::View& view, const ViewProjection& projection,
                  geodesy::UtmZone zone) {
    const double metresPerPixel = GroundMetresPerPixel(view, projection, zone);
    const double metres = maps::ScaleBarLength(metresPerPixel);
    if (metres <= 0) {
        return;
    }
    const double pixels = metres / metresPerPixel;
    const QPointF origin(14, view.height - 14.0);
    painter.save();
    painter.setFont(PixelFont(12));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawRect(QRectF(origin.x() - 6, origin.y() - 26, pixels + 12, 32));
    painter.setBrush(Qt::black);
    painter.drawRect(QRectF(origin.x(), origin.y() - 5, pixels / 2, 5));
    painter.setBrush(Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(QRectF(origin.x() + pixels / 2, origin.y() - 5, pixels / 2, 5));
    painter.drawText(QPointF(origin.x(), origin.y() - 10),
                     QString::fromStdString(maps::ScaleBarText(metres)));
    painter.restore();
}

// True north at the view's centre: a step north along the meridian, through the hunt's zone into the view.
void DrawNorthArrow(QPainter& painter, const maps::View& view, const ViewProjection& projection,
                    geodesy::UtmZone zone) {
    double angle = 0;
    if (const auto centre = HuntPositionAt(view, projection, {view.width / 2.0, view.height / 2.0})) {
        const geodesy::GeoPosition here = geodesy::ZoneUtmToLatLon(zone, centre->x, centre->y);
        const double step = std::min(0.01, 89.9 - here.lat);
        const geodesy::ZonePoint north = geodesy::ZoneLatLonToUtm(zone, here.lat + step, here.lon);
        const auto a = PixelOf(view, projection, *centre);
        const auto b = PixelOf(view, projection, {north.easting, north.northing});
        if (a && b && (a->x != b->x || a->y != b->y)) {
            angle = std::atan2(b->x - a->x, a->y - b->y) * 180 / M_PI;
        }
    }
    painter.save();
    painter.translate(view.width - 30.0, 40.0);
    painter.rotate(angle);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(QColor(30, 30, 30));
    painter.drawPolygon(QPolygonF({QPointF(0, -22), QPointF(9, 12), QPointF(0, 5), QPointF(-9, 12)}));
    painter.setFont(PixelFont(13, true));
    DrawHaloText(painter, QPointF(-5, 27), QStringLiteral("N"), Qt::black);
    painter.restore();
}

void DrawAttribution(QPainter& painter, const maps::View& view, const std::string& attribution) {
    if (attribution.empty()) {
        return;
    }
    painter.save();
    painter.setFont(PixelFont(11));
    const QString text = QString::fromStdString(attribution);
    const QRectF bounds(0, 0, view.width - 8.0, view.height - 4.0);
    const QRectF needed =
        painter.boundingRect(bounds, Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap, text);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.drawRect(needed.adjusted(-4, -2, 4, 2));
    painter.setPen(QColor(20, 20, 20));
    painter.drawText(bounds, Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap, text);
    painter.restore();
}

}  // namespace

std::optional<maps::XY> PixelOf(const maps::View& view, const ViewProjection& projection, maps::XY hunt) {
    if (!projection.ToView(hunt) || !std::isfinite(hunt.x) || !std::isfinite(hunt.y)) {
        return std::nullopt;
    }
    return view.ToPixel(hunt);
}

std::optional<maps::XY> HuntPositionAt(const maps::View& view, const ViewProjection& projection,
                                       maps::XY pixel) {
    maps::XY p = view.FromPixel(pixel);
    if (!projection.FromView(p) || !std::isfinite(p.x) || !std::isfinite(p.y)) {
        return std::nullopt;
    }
    return p;
}

std::optional<maps::Box> HuntBoxOfView(const maps::View& view, const ViewProjection& projection) {
    const maps::Box extent = view.Extent();
    if (projection.IsIdentity()) {
        return extent;
    }
    // The view's outline, sampled along each edge, in the hunt's zone.
    std::vector<maps::XY> outline;
    for (int i = 0; i <= kEdgeSamples; ++i) {
        const double t = i / kEdgeSamples;
        const double x = extent.x0 + t * extent.Width();
        const double y = extent.y0 + t * extent.Height();
        for (maps::XY p : {maps::XY{x, extent.y0}, maps::XY{x, extent.y1}, maps::XY{extent.x0, y},
                           maps::XY{extent.x1, y}}) {
            if (projection.FromView(p)) {
                outline.push_back(p);
            }
        }
    }
    const auto box = maps::BoundingBox(outline);
    if (!box) {
        return std::nullopt;
    }
    return box->Grown(0.02 * std::max(box->Width(), box->Height()));
}

double GroundMetresPerPixel(const maps::View& view, const ViewProjection& projection, geodesy::UtmZone zone) {
    constexpr double kSpan = 100;  // pixels
    const maps::XY middle{view.width / 2.0, view.height / 2.0};
    const auto a = HuntPositionAt(view, projection, middle);
    const auto b = HuntPositionAt(view, projection, {middle.x + kSpan, middle.y});
    if (!a || !b) {
        return view.unitsPerPixel;
    }
    // Grid distances are the ground's times the zone's point scale there.
    const double k = geodesy::ZoneGridFactsAt(zone, (a->x + b->x) / 2, (a->y + b->y) / 2).scale;
    if (!(k > 0) || !std::isfinite(k)) {
        return view.unitsPerPixel;
    }
    return std::hypot(b->x - a->x, b->y - a->y) / k / kSpan;
}

std::optional<std::size_t> FixAt(const maps::View& view, const HuntScene& scene,
                                 const ViewProjection& projection, maps::XY pixel, double radius) {
    std::optional<std::size_t> best;
    double bestDistance = radius;
    for (std::size_t i = 0; i < scene.fixes.size(); ++i) {
        const auto p = PixelOf(view, projection, scene.fixes[i].position);
        if (!p) {
            continue;
        }
        const double d = std::hypot(p->x - pixel.x, p->y - pixel.y);
        if (d <= bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::vector<maps::XY> ViewPointsOf(const HuntScene& scene, const ViewProjection& projection,
                                   bool withEllipses) {
    std::vector<maps::XY> points;
    const auto add = [&](maps::XY p) {
        if (projection.ToView(p)) {
            points.push_back(p);
        }
    };
    for (const maps::XY& p : scene.Positions()) {
        add(p);
    }
    if (withEllipses) {
        for (const SceneFix& fix : scene.fixes) {
            for (const maps::XY& p : fix.ellipse) {
                add(p);
            }
        }
    }
    return points;
}

void DrawBackground(QPainter& painter, const maps::View& view, const PictureInput& input) {
    painter.fillRect(QRect(0, 0, view.width, view.height), Qt::white);
    if (input.layers.map && input.map) {
        painter.save();
        input.map(painter, view);
        painter.restore();
    }
}

void DrawOverlay(QPainter& painter, const maps::View& view, const PictureInput& input) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const std::vector<FixPixel> fixPixels = FixPixels(view, input);
    if (const auto huntBox = HuntBoxOfView(view, *input.projection)) {
        if (input.layers.grid) {
            DrawGrid(painter, view, *input.projection, *huntBox, input.zone);
        }
        for (const SceneStation& station : input.scene->stations) {
            if (input.layers.rays) {
                DrawRays(painter, view, *input.projection, *huntBox, station, station.rays, 255);
            }
            if (input.layers.readings) {
                DrawRays(painter, view, *input.projection, *huntBox, station, station.readings, 90);
            }
        }
    }
    if (input.layers.ellipses) {
        DrawEllipses(painter, view, input);
    }
    if (input.layers.bearingLog) {
        DrawBearingLogLayer(painter, view, input);
    }
    DrawFixes(painter, view, input, fixPixels);
    painter.setClipRegion(OutsideCentres(view, fixPixels));
    if (input.layers.stations) {
        DrawStations(painter, view, input);
    }
    DrawScaleBar(painter, view, *input.projection, input.zone);
    DrawNorthArrow(painter, view, *input.projection, input.zone);
    DrawAttribution(painter, view, input.attribution);
    painter.restore();
}

QImage RenderHuntPicture(const maps::View& view, const PictureInput& input, double scale) {
    const maps::View scaled = view.Scaled(scale);
    QImage image(scaled.width, scaled.height, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawBackground(painter, scaled, input);
    painter.scale(scale, scale);
    DrawOverlay(painter, view, input);
    return image;
}

}  // namespace vantrel::hunt_picture
