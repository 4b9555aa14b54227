#pragma once

// The overlay files of the map application: numbered symbol sections ("[Symbol 1]", ...), an "[Overlay]"
// section with the symbol count and, in some files, a "[MapLage]" section that positions the map. ASCII
// text, every line ended with CR LF, the last one included. The writer builds the text in memory; the
// commands write it to disk in one piece.

#include <array>
#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "core/plane.hpp"

namespace vantrel::map_outputs {

// The refusal of the writers before the first Calculate of a run, word for word as the users know it.
inline constexpr const char* kNoValidData = "No Valid Data.";

// Points are UTM positions in metres (x = easting, y = northing); zone 32 is assumed wherever they are
// converted.

// The "Col=" number of every line that belongs to fox F1..F5 (4, 6 and 7 are not used).
inline constexpr std::array<int, 5> kFoxColours{1, 2, 3, 5, 8};

// A point as the overlay files write it: UtmToLatLon in zone 32, each value through DegToText
// ("###.########" with a point).
struct CoordinateTexts {
    std::string longitude;  // goes into the X entries
    std::string latitude;   // goes into the Y entries
};
CoordinateTexts CoordinateTextsOf(core::PlanePoint point);

// Whether the map application can place a point: converted as the files write it (zone 32), its latitude
// and longitude are finite with |latitude| <= 90 and |longitude| <= 180 degrees. A typing slip such as a
// northing of 5596230000000 gives NaN or numbers of forty digits, which no file may carry. The refusal
// names `what` ("Scedule 1", "F3"): "F3 has no valid position (northing 1e+15, easting 500000)."
core::Outcome CheckMapPosition(core::PlanePoint point, std::string_view what);

class OverlayWriter {
  public:
    // A bitmap shown at one point: "[Symbol n]", Typ=1 ... Path=, XKoord=, YKoord=.
    void BitmapSymbol(int number, std::string_view bitmapPath, core::PlanePoint at);

    // A straight line between two points: "[Symbol n]", Typ=3, Col=, Size=, Punkte=2, XKoord0= ... YKoord1=.
    void LineSymbol(int number, int colour, int size, core::PlanePoint from, core::PlanePoint to);

    void BlankLines(int count);

    // "[Overlay]" and "Symbols=<count>".
    void OverlaySection(int symbolCount);

    // "[MapLage]" centred on and referred to one point. The keys are swapped as the map application
    // expects them: CenterLat= and RefLat= carry the longitude, CenterLong= and RefLong= the latitude.
    void MapLage(core::PlanePoint at);

    [[nodiscard]] const std::string& text() const { return text_; }

  private:
    void Line(std::string_view line);
    void Entry(std::string_view key, std::string_view value);
    void SectionHeader(int number);

    std::string text_;
};

}  // namespace vantrel::map_outputs
