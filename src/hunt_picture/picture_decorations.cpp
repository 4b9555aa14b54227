#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "geodesy/transverse_mercator.hpp"
#include "hunt_picture/heat_drawing.hpp"
#include "hunt_picture/legend.hpp"
#include "hunt_picture/picture_parts.hpp"

namespace vantrel::hunt_picture::parts {
namespace {

constexpr double kCornerGap = 8;  // pixels (times the size factor) between a corner piece and the edge
constexpr double kLegendFont = 11;
constexpr double kLegendSymbol = 26;  // width of a legend row's symbol column

QRectF ToQt(const LabelRect& r) {
    return {r.x, r.y, r.w, r.h};
}

// The grid-north angle of true north at the view's centre, degrees clockwise.
double NorthAngle(const Context& c) {
    const ViewProjection& projection = *c.input.projection;
    const auto centre = HuntPositionAt(c.view, projection, {c.view.width / 2.0, c.view.height / 2.0});
    if (!centre) {
        return 0;
    }
    const geodesy::GeoPosition here = geodesy::ZoneUtmToLatLon(c.input.zone, centre->x, centre->y);
    const double step = std::min(0.01, 89.9 - here.lat);
    const core::PlanePoint north = geodesy::ZoneLatLonToUtm(c.input.zone, here.lat + step, here.lon);
    const auto a = PixelOf(c.view, projection, *centre);
    const auto b = PixelOf(c.view, projection, north);
    if (a && b && (a->x != b->x || a->y != b->y)) {
        return std::atan2(b->x - a->x, a->y - b->y) * 180 / M_PI;
    }
    return 0;
}

void DrawNorthArrow(const Context& c, const LabelRect& area) {
    QPainter& p = c.painter;
    p.save();
    p.translate(area.x + area.w / 2, area.y + c.Px(28));
    p.rotate(NorthAngle(c));
    p.setPen(QPen(c.palette.halo, c.Px(1.5)));
    p.setBrush(c.palette.station);
    p.drawPolygon(QPolygonF({QPointF(0, -c.Px(22)), QPointF(c.Px(9), c.Px(12)), QPointF(0, c.Px(5)),
                             QPointF(-c.Px(9), c.Px(12))}));
    const QFont font = PixelFont(c.Px(13), true);
    p.setFont(font);
    const double width = QFontMetricsF(font).horizontalAdvance(QStringLiteral("N"));
    DrawHaloText(c, QPointF(-width / 2, c.Px(28)), QStringLiteral("N"), c.palette.text);
    p.restore();
}

void DrawScaleBar(const Context& c, const Decorations& d) {
    const LabelRect& area = *d.scaleBar;
    QPainter& p = c.painter;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c.palette.panel);
    p.drawRect(ToQt(area));
    const QPointF origin(area.x + c.Px(6), area.Bottom() - c.Px(6));
    const double half = d.scaleBarPixels / 2;
    const double thick = c.Px(5);
    p.setPen(QPen(c.palette.text, std::max(1.0, c.s)));
    p.setBrush(c.palette.text);
    p.drawRect(QRectF(origin.x(), origin.y() - thick, half, thick));
    p.setBrush(c.palette.panel);
    p.drawRect(QRectF(origin.x() + half, origin.y() - thick, half, thick));
    const QFont font = PixelFont(c.Px(12));
    p.setFont(font);
    p.setPen(c.palette.text);
    p.drawText(QPointF(origin.x(), origin.y() - thick - c.Px(5)),
               QString::fromStdString(maps::ScaleBarText(d.scaleBarMetres)));
    p.restore();
}

void DrawAttribution(const Context& c, const LabelRect& area) {
    QPainter& p = c.painter;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c.palette.panel);
    p.drawRect(ToQt(area));
    p.setFont(PixelFont(c.Px(11)));
    p.setPen(c.palette.text);
    p.drawText(ToQt(area).adjusted(c.Px(4), c.Px(2), -c.Px(4), -c.Px(2)),
               Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap,
               QString::fromStdString(c.input.attribution));
    p.restore();
}

void DrawTitle(const Context& c, const LabelRect& area) {
    QPainter& p = c.painter;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c.palette.panel);
    p.drawRect(ToQt(area));
    p.setPen(QPen(c.palette.panelBorder, std::max(1.0, c.s)));
    p.drawLine(QPointF(area.x, area.Bottom()), QPointF(area.Right(), area.Bottom()));
    p.setFont(PixelFont(c.Px(15), true));
    p.setPen(c.palette.text);
    p.drawText(ToQt(area), Qt::AlignCenter, QString::fromStdString(c.input.style.title));
    p.restore();
}

// A fix's symbol in a style, at `centre`, radius r; for the legend (the map draws its own with the
// centre guard).
void DrawFixSymbol(const Context& c, QPointF centre, double r, QColor colour, FixStyle style) {
    QPainter& p = c.painter;
    if (style == FixStyle::Unreliable) {
        p.setPen(QPen(colour, c.Px(2.5)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, r - c.Px(1), r - c.Px(1));
        const QPointF b = centre + QPointF(r * 0.8, -r * 0.8);
        p.setPen(QPen(c.palette.warningMark, std::max(1.0, c.Px(0.8))));
        p.setBrush(c.palette.warning);
        const double k = r * 0.75;
        p.drawPolygon(QPolygonF({b + QPointF(0, -k), b + QPointF(k, k * 0.8), b + QPointF(-k, k * 0.8)}));
        return;
    }
    p.setPen(QPen(c.palette.halo, c.Px(1.5), style == FixStyle::Approximate ? Qt::DashLine : Qt::SolidLine));
    p.setBrush(colour);
    p.drawEllipse(centre, r, r);
}

void DrawLegendSymbol(const Context& c, LegendSymbol symbol, QRectF cell) {
    QPainter& p = c.painter;
    const QPointF m = cell.center();
    const double r = c.Px(5);
    const QColor ink = c.palette.text;
    p.save();
    switch (symbol) {
        case LegendSymbol::Station:
            p.setPen(QPen(c.palette.halo, c.Px(1.5)));
            p.setBrush(c.palette.station);
            p.drawPolygon(
                QPolygonF({m + QPointF(0, -r * 1.2), m + QPointF(r, r * 0.8), m + QPointF(-r, r * 0.8)}));
            break;
        case LegendSymbol::Ray:
        case LegendSymbol::Reading:
            p.setPen(QPen(symbol == LegendSymbol::Ray ? ink : c.palette.Fox(0, 120),
                          symbol == LegendSymbol::Ray ? c.Px(3) : c.Px(1)));
            p.drawLine(QPointF(cell.left() + c.Px(2), m.y()), QPointF(cell.right() - c.Px(2), m.y()));
            break;
        case LegendSymbol::FixGood:
        case LegendSymbol::FixApproximate:
        case LegendSymbol::FixUnreliable: {
            // The disc inside the ellipse it comes with.
            const FixStyle style = symbol == LegendSymbol::FixGood          ? FixStyle::Good
                                   : symbol == LegendSymbol::FixApproximate ? FixStyle::Approximate
                                                                            : FixStyle::Unreliable;
            p.setPen(QPen(ink, c.Px(1.2),
                          style == FixStyle::Good          ? Qt::SolidLine
                          : style == FixStyle::Approximate ? Qt::DashLine
                                                           : Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(m, cell.width() / 2 - c.Px(1), cell.height() / 2 - c.Px(1));
            DrawFixSymbol(c, m, r * 0.8, ink, style);
            break;
        }
        case LegendSymbol::Ellipse:
            p.setPen(QPen(ink, c.Px(1.5)));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(m, cell.width() / 2 - c.Px(2), r * 0.9);
            break;
        case LegendSymbol::Heat: {
            // The ramp from the 95 % edge (left) to the peak (right) under the two outlines.
            const QRectF box = cell.adjusted(c.Px(1), c.Px(2), -c.Px(1), -c.Px(2));
            QLinearGradient ramp(box.topLeft(), box.topRight());
            for (const double t : {0.0, 0.5, 1.0}) {
                ramp.setColorAt(t, HeatRampColour(c.input.style.night, t));
            }
            p.fillRect(box, ramp);
            const QColor line = HeatLineColour(c.input.style.night);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(line, c.Px(1.2), Qt::DashLine));
            p.drawRect(box);
            p.setPen(QPen(line, c.Px(2)));
            p.drawEllipse(QPointF(box.right() - box.width() * 0.3, m.y()), box.width() * 0.22,
                          box.height() * 0.3);
            break;
        }
        case LegendSymbol::FoxColours:
        case LegendSymbol::Layers:
            break;
    }
    p.restore();
}

double LegendRowHeight(const Context& c) {
    return c.Px(kLegendFont + 8);
}

// Size of the legend box for its rows.
QSizeF LegendSize(const Context& c, const std::vector<LegendRow>& rows) {
    const QFontMetricsF metrics(PixelFont(c.Px(kLegendFont)));
    double width = metrics.horizontalAdvance(QStringLiteral("Legend"));
    for (const LegendRow& row : rows) {
        const double symbol = row.symbol == LegendSymbol::Layers ? 0 : c.Px(kLegendSymbol + 4);
        width = std::max(width, symbol + metrics.horizontalAdvance(QString::fromStdString(row.text)));
    }
    return {width + c.Px(12), LegendRowHeight(c) * static_cast<double>(rows.size() + 1) + c.Px(8)};
}

// The fox row: "F1 F2 ..." each in its colour, hidden foxes faint.
void DrawFoxRow(const Context& c, QPointF baseline, const LegendRow& row) {
    QPainter& p = c.painter;
    const QFont font = PixelFont(c.Px(kLegendFont), true);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    double x = baseline.x();
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        const bool shown = c.input.layers.FoxShown(fox);
        p.setPen(QPen(c.palette.Fox(fox, shown ? 255 : 90), c.Px(3)));
        p.drawLine(QPointF(x, baseline.y() - c.Px(4)), QPointF(x + c.Px(8), baseline.y() - c.Px(4)));
        x += c.Px(10);
        const QString name = QStringLiteral("F%1").arg(fox + 1);
        p.setPen(shown ? c.palette.FoxText(fox) : c.palette.panelBorder);
        p.drawText(QPointF(x, baseline.y()), name);
        x += metrics.horizontalAdvance(name) + c.Px(6);
    }
    const auto hidden = row.text.find(" (hidden");
    if (hidden != std::string::npos) {
        p.setFont(PixelFont(c.Px(kLegendFont)));
        p.setPen(c.palette.text);
        p.drawText(QPointF(x, baseline.y()), QString::fromStdString(row.text.substr(hidden + 1)));
    }
}

void DrawLegend(const Context& c, const LabelRect& area) {
    QPainter& p = c.painter;
    p.save();
    p.setPen(QPen(c.palette.panelBorder, std::max(1.0, c.s)));
    p.setBrush(c.palette.panel);
    p.drawRect(ToQt(area));
    const double rowHeight = LegendRowHeight(c);
    const QFont font = PixelFont(c.Px(kLegendFont));
    const double ascent = Ascent(font);
    double top = area.y + c.Px(4);
    p.setFont(PixelFont(c.Px(kLegendFont), true));
    p.setPen(c.palette.text);
    p.drawText(QPointF(area.x + c.Px(6), top + ascent), QStringLiteral("Legend"));
    for (const LegendRow& row : LegendRows(c.input.layers, ShownHeatFox(c.input))) {
        top += rowHeight;
        const double x = area.x + c.Px(6);
        if (row.symbol == LegendSymbol::FoxColours) {
            DrawFoxRow(c, QPointF(x, top + ascent), row);
            continue;
        }
        double textX = x;
        if (row.symbol != LegendSymbol::Layers) {
            DrawLegendSymbol(c, row.symbol, QRectF(x, top, c.Px(kLegendSymbol), rowHeight - c.Px(2)));
            textX += c.Px(kLegendSymbol + 4);
        }
        p.setFont(font);
        p.setPen(c.palette.text);
        p.drawText(QPointF(textX, top + ascent), QString::fromStdString(row.text));
    }
    p.restore();
}

}  // namespace

QFont PixelFont(double pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

double Ascent(const QFont& font) {
    return QFontMetricsF(font).ascent();
}

LabelRect TextBox(const QFont& font, const QString& text, double x, double y, double halo) {
    const QFontMetricsF metrics(font);
    return {x, y, metrics.horizontalAdvance(text) + 2 * halo,
            metrics.ascent() + metrics.descent() + 2 * halo};
}

void DrawHaloText(const Context& c, QPointF baseline, const QString& text, const QColor& colour) {
    // The text drawn round itself in the halo colour, then in colour (glyphs come from the font cache; a
    // stroked outline would be built anew for every label).
    QPainter& p = c.painter;
    p.save();
    p.setPen(c.palette.halo);
    const double d = std::max(1.0, c.s);
    for (const QPointF offset :
         {QPointF(-d, -d), QPointF(d, -d), QPointF(-d, d), QPointF(d, d), QPointF(0, -1.4 * d),
          QPointF(0, 1.4 * d), QPointF(-1.4 * d, 0), QPointF(1.4 * d, 0)}) {
        p.drawText(baseline + offset, text);
    }
    p.setPen(colour);
    p.drawText(baseline, text);
    p.restore();
}

std::vector<LabelRect> Decorations::Areas() const {
    std::vector<LabelRect> areas;
    for (const auto* area : {&title, &scaleBar, &northArrow, &attribution, &legend}) {
        if (*area) {
            areas.push_back(**area);
        }
    }
    return areas;
}

Decorations PlanDecorations(const Context& c) {
    Decorations d;
    const double w = c.view.width;
    const double h = c.view.height;
    const double gap = c.Px(kCornerGap);
    if (!c.input.style.title.empty()) {
        d.title = LabelRect{0, 0, w, c.Px(26)};
    }
    const double top = d.Top();
    d.northArrow = LabelRect{w - gap - c.Px(34), top + gap, c.Px(34), c.Px(62)};
    const double metresPerPixel = GroundMetresPerPixel(c.view, *c.input.projection, c.input.zone);
    d.scaleBarMetres = maps::ScaleBarLength(metresPerPixel, 160 * c.s);
    if (d.scaleBarMetres > 0) {
        d.scaleBarPixels = d.scaleBarMetres / metresPerPixel;
        d.scaleBar = LabelRect{gap, h - gap - c.Px(32), d.scaleBarPixels + c.Px(12), c.Px(32)};
    }
    double bottom = h - gap;
    if (!c.input.attribution.empty()) {
        const QFont font = PixelFont(c.Px(11));
        const QRectF bounds(0, 0, std::max(w / 2, w - 2 * gap - (d.scaleBar ? d.scaleBar->Right() : 0)), h);
        const QRectF needed =
            QFontMetricsF(font).boundingRect(bounds, Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap,
                                             QString::fromStdString(c.input.attribution));
        const double aw = needed.width() + c.Px(8);
        const double ah = needed.height() + c.Px(4);
        d.attribution = LabelRect{w - gap - aw, bottom - ah, aw, ah};
        bottom -= ah + c.Px(4);
    }
    if (c.input.layers.legend) {
        const QSizeF size = LegendSize(c, LegendRows(c.input.layers, ShownHeatFox(c.input)));
        // Only where it leaves most of the picture free.
        if (size.width() < w * 0.6 && size.height() < (bottom - top) * 0.7) {
            d.legend = LabelRect{w - gap - size.width(), bottom - size.height(), size.width(), size.height()};
        }
    }
    return d;
}

void DrawDecorations(const Context& c, const Decorations& d) {
    if (d.scaleBar) {
        DrawScaleBar(c, d);
    }
    if (d.northArrow) {
        DrawNorthArrow(c, *d.northArrow);
    }
    if (d.attribution) {
        DrawAttribution(c, *d.attribution);
    }
    if (d.legend) {
        DrawLegend(c, *d.legend);
    }
    if (d.title) {
        DrawTitle(c, *d.title);
    }
}

void DrawNightSheet(const Context& c) {
    if (!c.palette.night) {
        return;
    }
    QPainter& p = c.painter;
    p.save();
    // The sheet itself is already dark (DrawBackground, the window's canvas); a map is dimmed to red.
    if (c.input.layers.map && c.input.map) {
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.fillRect(QRectF(0, 0, c.view.width, c.view.height), c.palette.mapVeil);
    }
    p.restore();
}

void DrawEmptyHint(const Context& c) {
    const QString text = QString::fromStdString(c.input.style.emptyHint);
    if (text.isEmpty()) {
        return;
    }
    QPainter& p = c.painter;
    p.save();
    const QFont font = PixelFont(c.Px(14));
    p.setFont(font);
    // In the middle of a blank sheet; over a map at the top, so the map stays in sight.
    const bool overMap = c.input.layers.map && c.input.map;
    const QRectF bounds(c.view.width * 0.15, overMap ? c.Px(40) : 0, c.view.width * 0.7,
                        overMap ? c.Px(80) : c.view.height);
    const int align =
        static_cast<int>(overMap ? Qt::AlignTop | Qt::AlignHCenter : Qt::AlignCenter) | Qt::TextWordWrap;
    QRectF box = p.boundingRect(bounds, align, text);
    box.adjust(-c.Px(14), -c.Px(10), c.Px(14), c.Px(10));
    p.setPen(QPen(c.palette.panelBorder, std::max(1.0, c.s)));
    p.setBrush(c.palette.panel);
    p.drawRoundedRect(box, c.Px(6), c.Px(6));
    p.setPen(c.palette.text);
    p.drawText(bounds, align, text);
    p.restore();
}

}  // namespace vantrel::hunt_picture::parts
