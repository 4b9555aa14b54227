// The overlay format, section by section. Expected coordinate texts were worked out apart from the program:
// the zone-32 inverse series and the "###.########" form evaluated in Python from their written definition.
#include "map_outputs/overlay_writer.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

TEST(OverlayWriter, BitmapSymbolHasTwelveLinesLongitudeUnderX) {
    OverlayWriter writer;
    writer.BitmapSymbol(10, "C:\\Vantrel\\F1.bmp", {5700500, 500500});
    EXPECT_EQ(writer.text(),
              "[Symbol 10]\r\nTyp=1\r\nGroup=1\r\nWidth=100\r\nHeight=100\r\nDir=100\r\nZoom=1\r\nTrans=1\r\n"
              "TransByte=5\r\nPath=C:\\Vantrel\\F1.bmp\r\nXKoord=9.00719631\r\nYKoord=51.45567788\r\n");
}

TEST(OverlayWriter, LineSymbolRunsFromPointZeroToPointOne) {
    OverlayWriter writer;
    writer.LineSymbol(3, 8, 105, {5700000, 501000}, {5712345.6, 487654.3});
    EXPECT_EQ(writer.text(),
              "[Symbol 3]\r\nTyp=3\r\nGroup=1\r\nCol=8\r\nZoom=1\r\nSize=105\r\nArt=1\r\nPunkte=2\r\n"
              "XKoord0=9.01439121\r\nYKoord0=51.45118132\r\nXKoord1=8.82189868\r\nYKoord1=51.56205521\r\n");
}

TEST(OverlayWriter, MapLageSwapsTheKeysAndRepeatsTheCentreAsReference) {
    OverlayWriter writer;
    writer.MapLage({5700000, 501000});
    EXPECT_EQ(writer.text(),
              "[MapLage]\r\nDimmFc=100\r\nZoomFc=81\r\nCenterLat=9.01439121\r\nCenterLong=51.45118132\r\n"
              "RefOn=1\r\nRefLat=9.01439121\r\nRefLong=51.45118132\r\n");
}

TEST(OverlayWriter, OverlaySectionAndBlankLines) {
    OverlayWriter writer;
    writer.BlankLines(2);
    writer.OverlaySection(7);
    EXPECT_EQ(writer.text(), "\r\n\r\n[Overlay]\r\nSymbols=7\r\n");
}

struct TextsCase {
    const char* name;
    friend void PrintTo(const TextsCase& c, std::ostream* os) { *os << c.name; }
    UtmPoint point;
    const char* longitude;
    const char* latitude;
};

class CoordinateTextsTest : public testing::TestWithParam<TextsCase> {};

TEST_P(CoordinateTextsTest, ConvertInZone32AndWriteWithAPoint) {
    const TextsCase& c = GetParam();
    const CoordinateTexts texts = CoordinateTextsOf(c.point);
    EXPECT_EQ(texts.longitude, c.longitude);
    EXPECT_EQ(texts.latitude, c.latitude);
}

INSTANTIATE_TEST_SUITE_P(
    Points, CoordinateTextsTest,
    testing::Values(
        // A point never set is converted like any other: the equator, 500 km west of 9 E.
        TextsCase{"NorthingAndEastingZero", {0, 0}, "4.5112561", "."},
        TextsCase{"CentralMeridianIsWholeNine", {5700000, 500000}, "9.", "51.4511822"},
        TextsCase{"EquatorOnCentralMeridian", {0, 500000}, "9.", "."},
        TextsCase{"FiftyNorthEightEast", {5539109.8157, 428333.5525}, "8.", "50."},
        TextsCase{"EastOfMeridian", {5601234.5, 532100.25}, "9.45321537", "50.56215267"}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::map_outputs
