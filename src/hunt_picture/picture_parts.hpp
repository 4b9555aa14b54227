#pragma once

// Inside the hunt picture's drawing: what its parts share (the painter and view, the palette, the size
// factor, text with a halo) and the corner pieces drawn by picture_decorations.cpp. Not for other modules.

#include <QFont>
#include <QPainter>
#include <QString>

#include "hunt_picture/hunt_picture.hpp"
#include "hunt_picture/picture_palette.hpp"

namespace vantrel::hunt_picture::parts {

struct Context {
    QPainter& painter;
    const maps::View& view;
    const PictureInput& input;
    const Palette& palette;
    double s = 1;  // the size factor: a 12 px font is 12 * s pixels

    [[nodiscard]] double Px(double pixels) const { return pixels * s; }
};

QFont PixelFont(double pixels, bool bold = false);
// Text in `colour` with the palette's halo round it, readable over any map.
void DrawHaloText(const Context& c, QPointF baseline, const QString& text, const QColor& colour);
// The box a text of this font takes with its halo, its top-left at (x, y); the baseline lies `ascent`
// below the top.
LabelRect TextBox(const QFont& font, const QString& text, double x, double y, double halo);
double Ascent(const QFont& font);

// The corners and the title band, worked out before anything is drawn so the labels keep clear of them.
struct Decorations {
    std::optional<LabelRect> title;
    std::optional<LabelRect> scaleBar;
    std::optional<LabelRect> northArrow;
    std::optional<LabelRect> attribution;
    std::optional<LabelRect> legend;
    double scaleBarMetres = 0;
    double scaleBarPixels = 0;

    [[nodiscard]] std::vector<LabelRect> Areas() const;
    // Where the top edge's grid labels go: below the title band.
    [[nodiscard]] double Top() const { return title ? title->Bottom() : 0; }
};

Decorations PlanDecorations(const Context& c);
void DrawDecorations(const Context& c, const Decorations& d);
// The dark sheet, or the map dimmed to red, of the night palette; nothing by day.
void DrawNightSheet(const Context& c);
// What to do to fill an empty picture, in a box in the middle.
void DrawEmptyHint(const Context& c);

}  // namespace vantrel::hunt_picture::parts
