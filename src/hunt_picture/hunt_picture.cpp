#include "hunt_picture/hunt_picture.hpp"

#include "hunt_picture/bearing_log_drawing.hpp"
#include "hunt_picture/heat_drawing.hpp"
#include "hunt_picture/hunt_at_time_drawing.hpp"

#include <QPainter>
#include <QPolygonF>
#include <QRegion>

#include <algorithm>
#include <cmath>

#include "hunt_picture/picture_parts.hpp"

namespace vantrel::hunt_picture {
namespace {

constexpr double kFixRadius = 7;
constexpr int kCentreGuard = 1;  // pixels on each side of a disc's centre pixel that nothing covers
constexpr double kEdgeSamples = 16;
constexpr int kMaxGridLines = 200;

QPointF ToQt(core::PlanePoint p) {
    return {p.x, p.y};
}

// A hunt-zone polyline in pixels, cut where a point cannot be transformed.
std::vector<QPolygonF> ToPixels(const std::vector<core::PlanePoint>& hunt, const maps::View& view,
                                const ViewProjection& projection) {
    std::vector<QPolygonF> parts(1);
    for (core::PlanePoint p : hunt) {
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
void AppendBent(core::PlanePoint a, QPointF pa, core::PlanePoint b, QPointF pb, const maps::View& view,
                const ViewProjection& projection, int depth, std::vector<QPolygonF>& parts) {
    constexpr double kTolerance = 0.25;  // pixels
    const core::PlanePoint m{(a.x + b.x) / 2, (a.y + b.y) / 2};
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
std::vector<QPolygonF> LineToPixels(core::PlanePoint a, core::PlanePoint b, const maps::View& view,
                                    const ViewProjection& projection, const core::PlaneBox& huntBox) {
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

using parts::Context;
using parts::DrawHaloText;
using parts::PixelFont;

// A label waiting to be drawn once every label has its place.
struct PendingLabel {
    LabelRect box;
    QString text;
    QColor colour;
    QFont font;
};

double Halo(const Context& c) {
    return c.Px(1.5);
}

// Places the first of `texts` (longest first) that finds a free place among the candidates `around`
// gives for its size; nothing when none does.
template <typename Around>
void PlaceLabel(const Context& c, LabelLayout& layout, const QFont& font, const QStringList& texts,
                const QColor& colour, const Around& around, std::vector<PendingLabel>& out) {
    for (const QString& text : texts) {
        const LabelRect size = parts::TextBox(font, text, 0, 0, Halo(c));
        if (const auto placed = layout.Place(around(size.w, size.h))) {
            out.push_back({*placed, text, colour, font});
            return;
        }
    }
}

void DrawLabels(const Context& c, const std::vector<PendingLabel>& labels) {
    for (const PendingLabel& label : labels) {
        c.painter.setFont(label.font);
        const QPointF baseline(label.box.x + Halo(c), label.box.y + Halo(c) + parts::Ascent(label.font));
        DrawHaloText(c, baseline, label.text, label.colour);
    }
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
        if (!input.layers.FoxShown(fix.fox)) {
            continue;
        }
        if (const auto pixel = PixelOf(view, *input.projection, fix.position)) {
            pixels.push_back({i, ToQt(*pixel), fix.style != FixStyle::Unreliable});
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

// Every `step`-th line is labelled, counted from zero metres, so labels stay on the same lines while the
// view pans; `step` keeps labels a label's width apart.
int LabelStep(double labelPixels, double spacingPixels) {
    return std::max(1, static_cast<int>(std::ceil(labelPixels / std::max(spacingPixels, 1.0))));
}

void DrawGrid(const Context& c, const core::PlaneBox& huntBox, double top, LabelLayout& layout,
              std::vector<PendingLabel>& labels) {
    const ViewProjection& projection = *c.input.projection;
    const double metresPerPixel = GroundMetresPerPixel(c.view, projection, c.input.zone);
    const double spacing = maps::GridSpacing(metresPerPixel);
    const double firstE = std::ceil(huntBox.minX / spacing) * spacing;
    const double firstN = std::ceil(huntBox.minY / spacing) * spacing;
    if ((huntBox.maxX - firstE) / spacing > kMaxGridLines ||
        (huntBox.maxY - firstN) / spacing > kMaxGridLines) {
        return;
    }
    QPainter& painter = c.painter;
    const QFont font = PixelFont(c.Px(11));
    const auto label = [](const char* axis, double metres) {
        return QString::fromLatin1(axis) + QString::number(std::llround(metres));
    };
    const double spacingPixels = spacing / metresPerPixel;
    const int stepE =
        LabelStep(parts::TextBox(font, label("E ", huntBox.maxX), 0, 0, Halo(c)).w + c.Px(12), spacingPixels);
    const int stepN =
        LabelStep(parts::TextBox(font, label("N ", huntBox.maxY), 0, 0, Halo(c)).h * 2, spacingPixels);
    painter.setPen(QPen(c.palette.gridLine, std::max(1.0, c.s)));
    const double edgeY = top + c.Px(12);  // the line where the top labels' baselines sit
    for (double e = firstE; e <= huntBox.maxX; e += spacing) {
        const auto lines = LineToPixels({e, huntBox.minY}, {e, huntBox.maxY}, c.view, projection, huntBox);
        DrawPolylines(painter, lines);
        if (std::llround(e / spacing) % stepE != 0) {
            continue;
        }
        for (const QPolygonF& part : lines) {
            for (qsizetype k = 0; k + 1 < part.size(); ++k) {
                const QPointF a = part[k];
                const QPointF b = part[k + 1];
                if ((a.y() - edgeY) * (b.y() - edgeY) <= 0 && a.y() != b.y()) {
                    const double x = a.x() + (edgeY - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
                    PlaceLabel(
                        c, layout, font, {label("E ", e)}, c.palette.gridText,
                        [&](double w, double h) {
                            return std::vector<LabelRect>{{x + c.Px(2), top + c.Px(2), w, h}};
                        },
                        labels);
                }
            }
        }
    }
    const double edgeX = c.Px(4);
    for (double n = firstN; n <= huntBox.maxY; n += spacing) {
        const auto lines = LineToPixels({huntBox.minX, n}, {huntBox.maxX, n}, c.view, projection, huntBox);
        DrawPolylines(painter, lines);
        if (std::llround(n / spacing) % stepN != 0) {
            continue;
        }
        for (const QPolygonF& part : lines) {
            for (qsizetype k = 0; k + 1 < part.size(); ++k) {
                const QPointF a = part[k];
                const QPointF b = part[k + 1];
                if ((a.x() - edgeX) * (b.x() - edgeX) <= 0 && a.x() != b.x()) {
                    const double y = a.y() + (edgeX - a.x()) * (b.y() - a.y()) / (b.x() - a.x());
                    PlaceLabel(
                        c, layout, font, {label("N ", n)}, c.palette.gridText,
                        [&](double w, double h) {
                            return std::vector<LabelRect>{{0, y - h, w, h}};
                        },
                        labels);
                }
            }
        }
    }
}

void DrawRays(const Context& c, const core::PlaneBox& huntBox, const SceneStation& station,
              const std::vector<SceneRay>& rays, bool readings) {
    for (const SceneRay& ray : rays) {
        if (!c.input.layers.FoxShown(ray.fox)) {
            continue;
        }
        const auto inside = maps::ClipHalfLine(station.position, ray.bearing, huntBox);
        if (!inside) {
            continue;
        }
        const auto lines = LineToPixels(inside->first, inside->second, c.view, *c.input.projection, huntBox);
        const double width = c.Px(ray.width);
        if (!readings) {
            // A casing in the halo colour: the ray reads on light and dark maps alike.
            QColor casing = c.palette.halo;
            casing.setAlpha(150);
            c.painter.setPen(QPen(casing, width + c.Px(2.5), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            DrawPolylines(c.painter, lines);
        }
        c.painter.setPen(QPen(c.palette.Fox(ray.fox, readings ? 110 : 255), width, Qt::SolidLine, Qt::FlatCap,
                              Qt::RoundJoin));
        DrawPolylines(c.painter, lines);
    }
}

void DrawEllipses(const Context& c) {
    for (const SceneFix& fix : c.input.scene->fixes) {
        if (fix.ellipse.size() < 3 || !c.input.layers.FoxShown(fix.fox)) {
            continue;
        }
        const Qt::PenStyle line = fix.style == FixStyle::Good          ? Qt::SolidLine
                                  : fix.style == FixStyle::Approximate ? Qt::DashLine
                                                                       : Qt::DotLine;
        const int fill = fix.style == FixStyle::Good ? 45 : fix.style == FixStyle::Approximate ? 25 : 0;
        for (const QPolygonF& part : ToPixels(fix.ellipse, c.view, *c.input.projection)) {
            if (part.size() < 3) {
                continue;
            }
            c.painter.setPen(QPen(c.palette.Fox(fix.fox), c.Px(2), line));
            c.painter.setBrush(fill > 0 ? QBrush(c.palette.Fox(fix.fox, fill)) : QBrush(Qt::NoBrush));
            c.painter.drawPolygon(part);
        }
    }
    c.painter.setBrush(Qt::NoBrush);
}

double FixRadius(const Context& c) {
    return c.Px(kFixRadius);
}

void DrawWarningBadge(const Context& c, QPointF at, double size) {
    QPainter& p = c.painter;
    p.setPen(QPen(c.palette.warningMark, std::max(1.0, c.Px(1))));
    p.setBrush(c.palette.warning);
    p.drawPolygon(
        QPolygonF({at + QPointF(0, -size), at + QPointF(size, size * 0.8), at + QPointF(-size, size * 0.8)}));
    p.setPen(QPen(c.palette.warningMark, std::max(1.0, c.Px(1.6)), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at + QPointF(0, -size * 0.45), at + QPointF(0, size * 0.2));
    p.drawPoint(at + QPointF(0, size * 0.52));
}

void DrawFixes(const Context& c, const std::vector<FixPixel>& pixels) {
    const double r = FixRadius(c);
    for (std::size_t k = 0; k < pixels.size(); ++k) {
        const FixPixel& pixel = pixels[k];
        const SceneFix& fix = c.input.scene->fixes[pixel.index];
        c.painter.setClipRegion(DiscRegion(c.view, pixels, k));
        if (pixel.solid) {
            c.painter.setPen(QPen(c.palette.halo, c.Px(1.5),
                                  fix.style == FixStyle::Approximate ? Qt::DashLine : Qt::SolidLine));
            c.painter.setBrush(c.palette.Fox(fix.fox));
            c.painter.drawEllipse(pixel.centre, r, r);
        } else {
            c.painter.setBrush(Qt::NoBrush);
            c.painter.setPen(QPen(c.palette.halo, c.Px(5)));
            c.painter.drawEllipse(pixel.centre, r - c.Px(1), r - c.Px(1));
            c.painter.setPen(QPen(c.palette.Fox(fix.fox), c.Px(2.5)));
            c.painter.drawEllipse(pixel.centre, r - c.Px(1), r - c.Px(1));
            DrawWarningBadge(c, pixel.centre + QPointF(r * 0.9, -r * 0.9), r * 0.7);
        }
    }
    c.painter.setClipRegion(OutsideCentres(c.view, pixels));
    c.painter.setBrush(Qt::NoBrush);
}

void PlaceFixLabels(const Context& c, const std::vector<FixPixel>& pixels, LabelLayout& layout,
                    std::vector<PendingLabel>& labels) {
    const QFont font = PixelFont(c.Px(13), true);
    const double r = FixRadius(c);
    for (const FixPixel& pixel : pixels) {
        const SceneFix& fix = c.input.scene->fixes[pixel.index];
        const QString name = QStringLiteral("F%1").arg(fix.fox + 1);
        QStringList texts;
        if (!fix.flagWords.empty()) {
            texts << name + QStringLiteral(" ") + QString::fromStdString(fix.flagWords);
        }
        texts << name;
        PlaceLabel(
            c, layout, font, texts, c.palette.FoxText(fix.fox),
            [&](double w, double h) {
                return AroundSymbol(pixel.centre.x(), pixel.centre.y(), r, w, h, c.Px(2));
            },
            labels);
    }
}

std::vector<std::pair<const SceneStation*, QPointF>> StationPixels(const Context& c) {
    std::vector<std::pair<const SceneStation*, QPointF>> pixels;
    if (!c.input.layers.stations) {
        return pixels;
    }
    for (const SceneStation& station : c.input.scene->stations) {
        if (const auto pixel = PixelOf(c.view, *c.input.projection, station.position)) {
            pixels.emplace_back(&station, ToQt(*pixel));
        }
    }
    return pixels;
}

void DrawStations(const Context& c, const std::vector<std::pair<const SceneStation*, QPointF>>& stations) {
    for (const auto& [station, p] : stations) {
        const QPolygonF triangle(
            {p + QPointF(0, -c.Px(10)), p + QPointF(c.Px(9), c.Px(7)), p + QPointF(-c.Px(9), c.Px(7))});
        c.painter.setPen(QPen(c.palette.halo, c.Px(2)));
        c.painter.setBrush(c.palette.station);
        c.painter.drawPolygon(triangle);
    }
    c.painter.setBrush(Qt::NoBrush);
}

// The fixes' discs and the stations' triangles: no label covers them.
void ReserveSymbols(const Context& c, const std::vector<FixPixel>& fixes,
                    const std::vector<std::pair<const SceneStation*, QPointF>>& stations,
                    LabelLayout& layout) {
    const double r = FixRadius(c) + c.Px(1);
    for (const FixPixel& fix : fixes) {
        layout.Reserve({fix.centre.x() - r, fix.centre.y() - r, 2 * r, 2 * r});
        if (!fix.solid) {
            // The warning badge at the upper right.
            layout.Reserve({fix.centre.x() + r * 0.2, fix.centre.y() - r * 1.6, r * 1.4, r * 1.2});
        }
    }
    for (const auto& station : stations) {
        const QPointF p = station.second;
        layout.Reserve({p.x() - c.Px(10), p.y() - c.Px(11), c.Px(20), c.Px(19)});
    }
}

}  // namespace

std::optional<core::PlanePoint> PixelOf(const maps::View& view, const ViewProjection& projection,
                                        core::PlanePoint hunt) {
    if (!projection.ToView(hunt) || !std::isfinite(hunt.x) || !std::isfinite(hunt.y)) {
        return std::nullopt;
    }
    return view.ToPixel(hunt);
}

std::optional<core::PlanePoint> HuntPositionAt(const maps::View& view, const ViewProjection& projection,
                                               core::PlanePoint pixel) {
    core::PlanePoint p = view.FromPixel(pixel);
    if (!projection.FromView(p) || !std::isfinite(p.x) || !std::isfinite(p.y)) {
        return std::nullopt;
    }
    return p;
}

std::optional<core::PlaneBox> HuntBoxOfView(const maps::View& view, const ViewProjection& projection) {
    const core::PlaneBox extent = view.Extent();
    if (projection.IsIdentity()) {
        return extent;
    }
    // The view's outline, sampled along each edge, in the hunt's zone.
    std::vector<core::PlanePoint> outline;
    for (int i = 0; i <= kEdgeSamples; ++i) {
        const double t = i / kEdgeSamples;
        const double x = extent.minX + t * extent.Width();
        const double y = extent.minY + t * extent.Height();
        for (core::PlanePoint p : {core::PlanePoint{x, extent.minY}, core::PlanePoint{x, extent.maxY},
                                   core::PlanePoint{extent.minX, y}, core::PlanePoint{extent.maxX, y}}) {
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
    const core::PlanePoint middle{view.width / 2.0, view.height / 2.0};
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
                                 const ViewProjection& projection, core::PlanePoint pixel, double radius) {
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

std::vector<core::PlanePoint> ViewPointsOf(const HuntScene& scene, const ViewProjection& projection,
                                           bool withEllipses) {
    std::vector<core::PlanePoint> points;
    const auto add = [&](core::PlanePoint p) {
        if (projection.ToView(p)) {
            points.push_back(p);
        }
    };
    for (const core::PlanePoint& p : scene.Positions()) {
        add(p);
    }
    if (withEllipses) {
        for (const SceneFix& fix : scene.fixes) {
            for (const core::PlanePoint& p : fix.ellipse) {
                add(p);
            }
        }
    }
    return points;
}

std::optional<FittedView> FitHuntView(const HuntScene& scene, const ViewProjection& projection, int width,
                                      int height, double unitsPerMetre, bool withEllipses, double capMetres) {
    constexpr double kMinimumMargin = 100;  // metres
    const auto positions = maps::BoundingBox(ViewPointsOf(scene, projection, false));
    if (!positions) {
        return std::nullopt;
    }
    core::PlaneBox box = *positions;
    std::string capped;
    if (withEllipses) {
        const double extent = std::max(box.Width(), box.Height());
        const double margin = std::max(0.1 * extent, kMinimumMargin * unitsPerMetre);
        const core::PlaneBox usual = box.Grown(margin);
        const core::PlaneBox reach = box.Grown(std::max(capMetres * unitsPerMetre, extent));
        bool grows = false;
        for (const SceneFix& fix : scene.fixes) {
            for (core::PlanePoint p : fix.ellipse) {
                if (!projection.ToView(p) || !std::isfinite(p.x) || !std::isfinite(p.y) ||
                    usual.Contains(p)) {
                    continue;
                }
                grows = true;
                if (!reach.Contains(p) && capped.empty()) {
                    const double km = 2 * fix.ellipseMajor / 1000;
                    capped = "F" + std::to_string(fix.fox + 1) + "'s ellipse (" +
                             std::to_string(std::lround(std::max(km, 1.0))) +
                             " km long) is cut: the view shows the hunt and its ellipses up to " +
                             maps::ScaleBarText(std::max(capMetres, extent / unitsPerMetre)) + " around it";
                }
                box = {std::min(box.minX, std::clamp(p.x, reach.minX, reach.maxX)),
                       std::min(box.minY, std::clamp(p.y, reach.minY, reach.maxY)),
                       std::max(box.maxX, std::clamp(p.x, reach.minX, reach.maxX)),
                       std::max(box.maxY, std::clamp(p.y, reach.minY, reach.maxY))};
            }
        }
        if (!grows) {
            box = *positions;
        }
    }
    return FittedView{maps::FitView(box, width, height, kMinimumMargin * unitsPerMetre), capped};
}

std::string DrawBackground(QPainter& painter, const maps::View& view, const PictureInput& input) {
    painter.fillRect(QRect(0, 0, view.width, view.height), PaletteFor(input.style.night).background);
    std::string readError;
    if (input.layers.map && input.map) {
        painter.save();
        readError = input.map(painter, view, {});
        painter.restore();
    }
    return readError;
}

OverlayLayout DrawOverlay(QPainter& painter, const maps::View& view, const PictureInput& input) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Context c{painter, view, input, PaletteFor(input.style.night),
                    input.style.scale > 0 ? input.style.scale : 1};
    parts::DrawNightSheet(c);
    if (input.scene->Empty() && !(input.layers.map && input.map)) {
        // A grid round E 0 / N 0 and a scale of nothing would only mislead: just what to do.
        parts::DrawEmptyHint(c);
        painter.restore();
        return {};
    }
    const parts::Decorations decorations = parts::PlanDecorations(c);
    LabelLayout layout(view.width, view.height);
    for (const LabelRect& area : decorations.Areas()) {
        layout.Reserve(area);
    }
    const std::vector<FixPixel> fixPixels = FixPixels(view, input);
    const auto stationPixels = StationPixels(c);
    ReserveSymbols(c, fixPixels, stationPixels, layout);
    std::vector<PendingLabel> labels;
    // The fixes' labels first, then the stations', then the grid's: the least needed gives way.
    PlaceFixLabels(c, fixPixels, layout, labels);
    for (const auto& [station, p] : stationPixels) {
        PlaceLabel(
            c, layout, PixelFont(c.Px(13), true), {QStringLiteral("P%1").arg(station->number)},
            c.palette.text,
            [&, p = p](double w, double h) { return AroundSymbol(p.x(), p.y(), c.Px(10), w, h, c.Px(2)); },
            labels);
    }
    DrawHeatLayer(painter, view, input);
    if (const auto huntBox = HuntBoxOfView(view, *input.projection)) {
        if (input.layers.grid) {
            DrawGrid(c, *huntBox, decorations.Top(), layout, labels);
        }
        for (const SceneStation& station : input.scene->stations) {
            if (input.layers.readings) {
                DrawRays(c, *huntBox, station, station.readings, true);
            }
            if (input.layers.rays) {
                DrawRays(c, *huntBox, station, station.rays, false);
            }
        }
    }
    if (input.layers.ellipses) {
        DrawEllipses(c);
    }
    if (input.layers.bearingLog) {
        DrawBearingLogLayer(painter, view, input);
    }
    DrawHuntAtTime(painter, view, input);
    DrawFixes(c, fixPixels);
    DrawStations(c, stationPixels);
    DrawLabels(c, labels);
    painter.setClipping(false);
    parts::DrawDecorations(c, decorations);
    if (input.scene->Empty()) {
        parts::DrawEmptyHint(c);
    }
    painter.restore();
    return {layout.Placed(), layout.Reserved()};
}

QImage RenderHuntPicture(const maps::View& view, const PictureInput& input, double scale,
                         std::string* readError) {
    const maps::View scaled = view.Scaled(scale);
    QImage image(scaled.width, scaled.height, QImage::Format_RGB32);
    QPainter painter(&image);
    const std::string mapError = DrawBackground(painter, scaled, input);
    if (readError != nullptr) {
        *readError = mapError;
    }
    painter.scale(scale, scale);
    DrawOverlay(painter, view, input);
    return image;
}

}  // namespace vantrel::hunt_picture
