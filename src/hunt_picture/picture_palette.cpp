#include "hunt_picture/picture_palette.hpp"

#include "maps/map_style.hpp"

namespace vantrel::hunt_picture {
namespace {

QColor ToQt(maps::StyleRgb c, int alpha = 255) {
    return {c.r, c.g, c.b, alpha};
}

}  // namespace

QColor Palette::Fox(int fox, int alpha) const {
    const auto i = static_cast<std::size_t>(fox);
    return ToQt(night ? maps::kFoxNightColours.at(i) : maps::kFoxMapColours.at(i), alpha);
}

QColor Palette::FoxText(int fox) const {
    return night ? Fox(fox) : Fox(fox).darker(135);
}

const Palette& DayPalette() {
    static const Palette palette{QColor(255, 255, 255),
                                 QColor(),
                                 QColor(255, 255, 255, 235),
                                 QColor(20, 20, 20),
                                 QColor(70, 90, 140, 130),
                                 QColor(40, 50, 90),
                                 ToQt(maps::kStationMapColour),
                                 QColor(255, 255, 255, 225),
                                 QColor(90, 90, 90),
                                 QColor(0xF0, 0xE4, 0x42),
                                 QColor(0, 0, 0),
                                 false};
    return palette;
}

const Palette& NightPalette() {
    static const Palette palette{QColor(16, 6, 6),
                                 QColor(150, 45, 35),
                                 QColor(0, 0, 0, 235),
                                 QColor(235, 90, 70),
                                 QColor(150, 40, 30, 150),
                                 QColor(210, 80, 60),
                                 ToQt(maps::kStationNightColour),
                                 QColor(24, 8, 8, 230),
                                 QColor(120, 40, 30),
                                 QColor(255, 120, 0),
                                 QColor(0, 0, 0),
                                 true};
    return palette;
}

}  // namespace vantrel::hunt_picture
