#include "maps/world_file.hpp"

#include <gtest/gtest.h>

#include "test_names.hpp"

namespace vantrel::maps {
namespace {

// The world file of the test scene (tests/data/maps/l7_321.pgw): 28.5 m pixels, north up, upper-left pixel
// centre at E 288790.5, N 9120746.5, so the outer corner lies half a pixel further out.
TEST(WorldFile, ReadsTheSceneAndPlacesTheCornerHalfAPixelOutside) {
    const auto read = ReadWorldFile("28.5\n0.0\n0.0\n-28.5\n288790.5\n9120746.5\n");
    ASSERT_TRUE(read) << read.message();
    const GeoTransform expected{{288776.25, 28.5, 0, 9120760.75, 0, -28.5}};
    EXPECT_EQ(*read, expected);
}

TEST(WorldFile, RotatedFileRoundTripsThroughItsText) {
    // 2 m pixels turned 30 degrees: A = 2 cos30, D = -2 sin30, B = -2 sin30, E = -2 cos30.
    const auto read =
        ReadWorldFile("1.7320508075688772\r\n-1\r\n-1\r\n-1.7320508075688772\r\n500000\r\n5600000\r\n\r\n");
    ASSERT_TRUE(read) << read.message();
    EXPECT_DOUBLE_EQ(read->c[0], 500000 - 0.5 * 1.7320508075688772 + 0.5);
    EXPECT_DOUBLE_EQ(read->c[3], 5600000 + 0.5 + 0.5 * 1.7320508075688772);
    const auto again = ReadWorldFile(WorldFileText(*read));
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *read);
}

TEST(WorldFile, InverseTakesMapPointsBackToPixels) {
    const GeoTransform transform{{1000, 2, 1, 5000, 0.5, -3}};
    const auto inverse = Invert(transform);
    ASSERT_TRUE(inverse);
    const core::PlanePoint ground = transform.Apply(10, 20);  // 1000 + 20 + 20, 5000 + 5 - 60
    EXPECT_DOUBLE_EQ(ground.x, 1040);
    EXPECT_DOUBLE_EQ(ground.y, 4945);
    const core::PlanePoint pixel = inverse->Apply(1040, 4945);
    EXPECT_NEAR(pixel.x, 10, 1e-9);
    EXPECT_NEAR(pixel.y, 20, 1e-9);
}

struct BadWorldFile {
    const char* name;
    const char* text;
    const char* message;
};

class WorldFileRefused : public ::testing::TestWithParam<BadWorldFile> {};

TEST_P(WorldFileRefused, WithAMessageSayingWhatIsWrong) {
    const auto read = ReadWorldFile(GetParam().text);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.message(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorldFileRefused,
    ::testing::Values(
        BadWorldFile{"Empty", "", "a world file has 6 lines, this one has 0"},
        BadWorldFile{"FiveLines", "1\n0\n0\n-1\n0\n", "a world file has 6 lines, this one has 5"},
        BadWorldFile{"SevenLines", "1\n0\n0\n-1\n0\n0\n7\n", "a world file has 6 lines, this one has 7"},
        BadWorldFile{"BlankLineInside", "1\n0\n\n-1\n0\n0\n", "line 3 is not a number"},
        BadWorldFile{"Word", "1\n0\n0\nminus one\n0\n0\n", "line 4 is not a number"},
        BadWorldFile{"TwoNumbersOnALine", "1 2\n0\n0\n-1\n0\n0\n", "line 1 is not a number"},
        BadWorldFile{"Infinite", "1\n0\n0\n-1\n1e999\n0\n", "line 5 is not a number"},
        BadWorldFile{"ZeroWidth", "0\n0\n0\n-1\n0\n0\n", "the pixel width (lines 1 and 2) is zero"},
        BadWorldFile{"ZeroHeight", "1\n0\n0\n0\n0\n0\n", "the pixel height (lines 3 and 4) is zero"},
        BadWorldFile{"PixelSizeOverflows", "1e308\n0\n0\n-1e308\n0\n0\n",
                     "line 1 is out of range: 1e+308 is too large for a pixel size"},
        BadWorldFile{"PixelSizeUnderflows", "1\n0\n0\n-1e-320\n0\n0\n",
                     "the pixel height (lines 3 and 4) is out of range: 1e-320 is too small to compute with"},
        BadWorldFile{
            "PixelSideUnderflows", "1e-320\n1e-320\n0\n-1\n0\n0\n",
            "the pixel width (lines 1 and 2) is out of range: 1.414e-320 is too small to compute with"},
        BadWorldFile{"PositionOverflows", "1\n0\n0\n-1\n1e308\n0\n",
                     "line 5 is out of range: 1e+308 is too large for a coordinate"},
        BadWorldFile{"ParallelAxes", "1\n1\n1\n1\n0\n0\n",
                     "the pixel axes (lines 1 to 4) are parallel: the picture would have no area"}),
    testing_support::ParamName());

}  // namespace
}  // namespace vantrel::maps
