#include "map_outputs/overlay_writer.hpp"

#include <cmath>
#include <string>

#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::map_outputs {

CoordinateTexts CoordinateTextsOf(core::PlanePoint point) {
    const geodesy::GeoPosition geo = geodesy::UtmToLatLon(point.y, point.x, 32);
    return {geodesy::DegToText(geo.lon), geodesy::DegToText(geo.lat)};
}

core::Outcome CheckMapPosition(core::PlanePoint point, std::string_view what) {
    const geodesy::GeoPosition geo = geodesy::UtmToLatLon(point.y, point.x, 32);
    const bool placed = std::isfinite(geo.lat) && std::isfinite(geo.lon) && std::fabs(geo.lat) <= 90 &&
                        std::fabs(geo.lon) <= 180;
    if (placed) {
        return core::Outcome::Ok();
    }
    return core::Outcome::Fail(std::string(what) + " has no valid position (northing " +
                               core::ShortestText(point.y) + ", easting " + core::ShortestText(point.x) +
                               ").");
}

void OverlayWriter::Line(std::string_view line) {
    text_ += line;
    text_ += "\r\n";
}

void OverlayWriter::Entry(std::string_view key, std::string_view value) {
    text_ += key;
    text_ += '=';
    Line(value);
}

void OverlayWriter::SectionHeader(int number) {
    Line("[Symbol " + std::to_string(number) + "]");
}

void OverlayWriter::BitmapSymbol(int number, std::string_view bitmapPath, core::PlanePoint at) {
    const CoordinateTexts texts = CoordinateTextsOf(at);
    SectionHeader(number);
    Line("Typ=1");
    Line("Group=1");
    Line("Width=100");
    Line("Height=100");
    Line("Dir=100");
    Line("Zoom=1");
    Line("Trans=1");
    Line("TransByte=5");
    Entry("Path", bitmapPath);
    Entry("XKoord", texts.longitude);
    Entry("YKoord", texts.latitude);
}

void OverlayWriter::LineSymbol(int number, int colour, int size, core::PlanePoint from, core::PlanePoint to) {
    SectionHeader(number);
    Line("Typ=3");
    Line("Group=1");
    Entry("Col", std::to_string(colour));
    Line("Zoom=1");
    Entry("Size", std::to_string(size));
    Line("Art=1");
    Line("Punkte=2");
    const CoordinateTexts start = CoordinateTextsOf(from);
    Entry("XKoord0", start.longitude);
    Entry("YKoord0", start.latitude);
    const CoordinateTexts end = CoordinateTextsOf(to);
    Entry("XKoord1", end.longitude);
    Entry("YKoord1", end.latitude);
}

void OverlayWriter::BlankLines(int count) {
    for (int i = 0; i < count; ++i) {
        Line("");
    }
}

void OverlayWriter::OverlaySection(int symbolCount) {
    Line("[Overlay]");
    Entry("Symbols", std::to_string(symbolCount));
}

void OverlayWriter::MapLage(core::PlanePoint at) {
    const CoordinateTexts texts = CoordinateTextsOf(at);
    Line("[MapLage]");
    Line("DimmFc=100");
    Line("ZoomFc=81");
    Entry("CenterLat", texts.longitude);
    Entry("CenterLong", texts.latitude);
    Line("RefOn=1");
    Entry("RefLat", texts.longitude);
    Entry("RefLong", texts.latitude);
}

}  // namespace vantrel::map_outputs
