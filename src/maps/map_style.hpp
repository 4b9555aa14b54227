#pragma once

// The colours the hunt map and everything made from it (the picture, vantrel-cli map, styled exports) give
// the foxes and stations. One table, so a fox has the same colour in the window, in a shared picture and in
// other map software.
//
// Day: the Okabe-Ito colours (Okabe & Ito, "Color Universal Design", 2008), chosen to stay distinct for the
// common colour-vision deficiencies (protanopia, deuteranopia, tritanopia). F1 blue and F2 red as on the
// rays display; F3 orange; F4 reddish purple instead of yellow, which cannot be read on white paper; F5
// bluish green instead of grey, which vanishes on a grey map.
// Night: red-dominant colours on a dark background (red light keeps the eyes adapted to the dark), told
// apart by lightness and their share of green or blue.

#include <array>
#include <cstdint>

namespace vantrel::maps {

struct StyleRgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend constexpr bool operator==(const StyleRgb&, const StyleRgb&) = default;
};

// Index = fox 0..4 (F1..F5).
inline constexpr std::array<StyleRgb, 5> kFoxMapColours{{
    {0x00, 0x72, 0xB2},  // F1 blue
    {0xD5, 0x5E, 0x00},  // F2 vermillion
    {0xE6, 0x9F, 0x00},  // F3 orange
    {0xCC, 0x79, 0xA7},  // F4 reddish purple
    {0x00, 0x9E, 0x73},  // F5 bluish green
}};
inline constexpr StyleRgb kStationMapColour{0x1E, 0x1E, 0x1E};  // near black, outlined in white

inline constexpr std::array<StyleRgb, 5> kFoxNightColours{{
    {0xFF, 0x30, 0x30},  // F1 bright red
    {0xFF, 0x9A, 0x00},  // F2 amber
    {0xE0, 0x00, 0x90},  // F3 magenta
    {0xFF, 0xE0, 0xB0},  // F4 pale amber
    {0xC0, 0x58, 0x58},  // F5 dusky rose
}};
inline constexpr StyleRgb kStationNightColour{0xFF, 0x60, 0x40};

}  // namespace vantrel::maps
