// How a UTM position becomes the coordinate texts of the overlay files. The sections themselves are checked
// through whole files in result_overlays_test.cpp and preview_overlay_test.cpp. Expected texts were worked
// out apart from the program: the zone-32 inverse series and the "###.########" form evaluated in Python
// from their written definition.
#include "map_outputs/overlay_writer.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

struct TextsCase {
    const char* name;
    friend void PrintTo(const TextsCase& c, std::ostream* os) { *os << c.name; }
    core::PlanePoint point;
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
        TextsCase{"CentralMeridianIsWholeNine", {500000, 5700000}, "9.", "51.4511822"},
        TextsCase{"EquatorOnCentralMeridian", {500000, 0}, "9.", "."},
        TextsCase{"FiftyNorthEightEast", {428333.5525, 5539109.8157}, "8.", "50."},
        TextsCase{"EastOfMeridian", {532100.25, 5601234.5}, "9.45321537", "50.56215267"}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::map_outputs
