#pragma once

// The colours of the hunt picture by day (a light sheet or the map as it is) and by night (a dark sheet,
// the map dimmed, everything drawn in reds that keep the eyes adapted to the dark). Fox and station colours
// come from maps/map_style.hpp, the table the exports share.

#include <QColor>

namespace vantrel::hunt_picture {

struct Palette {
    QColor background;  // the sheet without a map
    QColor mapVeil;     // multiplied over a map shown at night; invalid by day (the map as it is)
    QColor halo;        // the outline round text, rays and symbols
    QColor text;        // station labels, the scale bar, the legend's words
    QColor gridLine;
    QColor gridText;
    QColor station;
    QColor panel;  // behind the legend, the scale bar, the title
    QColor panelBorder;
    QColor warning;  // the badge of an unreliable fix
    QColor warningMark;
    bool night = false;

    // The fox's colour for lines and symbols.
    [[nodiscard]] QColor Fox(int fox, int alpha = 255) const;
    // The fox's colour for its label: by day a darker shade, so orange and purple read on the white halo.
    [[nodiscard]] QColor FoxText(int fox) const;
};

const Palette& DayPalette();
const Palette& NightPalette();
inline const Palette& PaletteFor(bool night) {
    return night ? NightPalette() : DayPalette();
}

}  // namespace vantrel::hunt_picture
