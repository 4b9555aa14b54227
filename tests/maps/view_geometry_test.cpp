#include "maps/view_geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "test_names.hpp"

namespace vantrel::maps {
namespace {

struct FitCase {
    const char* name;
    core::PlaneBox box;
    int width;
    int height;
    double s;  // worked by hand from m = max(0.1 max(dx, dy), 100) and s = max((dx + 2m) / W, (dy + 2m) / H)
};

class FitViewCases : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitViewCases, ScaleAndCentre) {
    const FitCase& c = GetParam();
    const View view = FitView(c.box, c.width, c.height);
    EXPECT_DOUBLE_EQ(view.unitsPerPixel, c.s);
    EXPECT_EQ(view.centre, c.box.Centre());
    EXPECT_EQ(view.width, c.width);
    EXPECT_EQ(view.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Hand, FitViewCases,
                         ::testing::Values(
                             // 1000 x 500: m = 100 (10 % is 100), s = max(1200 / 1600, 700 / 1200) = 0.75.
                             FitCase{"WideKilometre", {500000, 5600000, 501000, 5600500}, 1600, 1200, 0.75},
                             // All points in one place: m = 100, s = max(200 / 1600, 200 / 1200).
                             FitCase{
                                 "OnePoint", {300000, 9115000, 300000, 9115000}, 1600, 1200, 200.0 / 1200},
                             // 10 km x 2 km in a square: m = 1000, s = 12000 / 1000.
                             FitCase{"TenKilometres", {0, 0, 10000, 2000}, 1000, 1000, 12},
                             // 1 km x 8 km: m = 800, s = max(2600 / 1600, 9600 / 1200) = 8.
                             FitCase{"Tall", {1000, 1000, 2000, 9000}, 1600, 1200, 8},
                             // 50 m x 20 m: 10 % is 5 m, so the 100 m floor: s = max(250 / 400, 220 / 300).
                             FitCase{"SmallerThanTheFloor", {0, 0, 50, 20}, 400, 300, 220.0 / 300}),
                         testing_support::ParamName{});

TEST(View, PixelsFollowTheFormula) {
    const View view = FitView({500000, 5600000, 501000, 5600500}, 1600, 1200);
    // x = 800 + (500000 - 500500) / 0.75, y = 600 - (5600500 - 5600250) / 0.75.
    const core::PlanePoint corner = view.ToPixel({500000, 5600500});
    EXPECT_NEAR(corner.x, 800 - 500 / 0.75, 1e-9);
    EXPECT_NEAR(corner.y, 600 - 250 / 0.75, 1e-9);
    const core::PlanePoint back = view.FromPixel(corner);
    EXPECT_NEAR(back.x, 500000, 1e-6);
    EXPECT_NEAR(back.y, 5600500, 1e-6);
    const core::PlaneBox extent = view.Extent();
    EXPECT_DOUBLE_EQ(extent.minX, 500500 - 800 * 0.75);
    EXPECT_DOUBLE_EQ(extent.maxY, 5600250 + 600 * 0.75);
}

TEST(View, ZoomKeepsThePointUnderTheCursor) {
    const View view{{0, 0}, 1, 100, 100};
    // Twice as large about pixel (75, 25), where the map point (25, 25) is: s = 0.5 and the centre moves
    // to (25 - 25 * 0.5, 25 - 25 * 0.5).
    const View zoomed = view.ZoomedAbout({75, 25}, 2);
    EXPECT_DOUBLE_EQ(zoomed.unitsPerPixel, 0.5);
    EXPECT_DOUBLE_EQ(zoomed.centre.x, 12.5);
    EXPECT_DOUBLE_EQ(zoomed.centre.y, 12.5);
    const core::PlanePoint still = zoomed.ToPixel({25, 25});
    EXPECT_DOUBLE_EQ(still.x, 75);
    EXPECT_DOUBLE_EQ(still.y, 25);
    // Dragging the map 10 pixels right and 20 down moves the centre 10 m west and 20 m north at 1 m/px.
    const View panned = view.Panned(10, 20);
    EXPECT_EQ(panned.centre, (core::PlanePoint{-10, 20}));
    EXPECT_EQ(view.Scaled(2), (View{{0, 0}, 0.5, 200, 200}));
}

TEST(GridAndScaleBar, Ladders) {
    EXPECT_EQ(GridSpacing(1), 100);        // 100 px apart
    EXPECT_EQ(GridSpacing(2), 1000);       // 100 m would be 50 px
    EXPECT_EQ(GridSpacing(16), 1000);      // 62.5 px
    EXPECT_EQ(GridSpacing(17), 10000);     // 1 km would be 58.8 px
    EXPECT_EQ(GridSpacing(2000), 100000);  // the coarsest step, whatever the scale
    EXPECT_EQ(ScaleBarLength(1), 100);     // at most 160 px: 100 m
    EXPECT_EQ(ScaleBarLength(3), 200);     // 480 m fit: 200 m
    EXPECT_EQ(ScaleBarLength(40), 5000);   // 6.4 km fit: 5 km
    EXPECT_EQ(ScaleBarLength(0.001), 1);   // never below a metre
    EXPECT_EQ(ScaleBarLength(0), 0);
    EXPECT_EQ(ScaleBarLength(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ScaleBarText(200), "200 m");
    EXPECT_EQ(ScaleBarText(5000), "5 km");
}

TEST(Clip, HalfLinesAndSegments) {
    const core::PlaneBox square{-10, -10, 10, 10};
    auto east = ClipHalfLine({0, 0}, 90, square);
    ASSERT_TRUE(east);
    EXPECT_EQ(east->first, (core::PlanePoint{0, 0}));
    EXPECT_NEAR(east->second.x, 10, 1e-9);
    EXPECT_NEAR(east->second.y, 0, 1e-9);
    // Pointing away from the box: nothing.
    EXPECT_FALSE(ClipHalfLine({-50, 0}, 270, square));
    // North-east at 45 degrees into a box to the east: in at (5, 5), out at (20, 20).
    auto diagonal = ClipHalfLine({0, 0}, 45, {5, -100, 20, 100});
    ASSERT_TRUE(diagonal);
    EXPECT_NEAR(diagonal->first.x, 5, 1e-9);
    EXPECT_NEAR(diagonal->first.y, 5, 1e-9);
    EXPECT_NEAR(diagonal->second.x, 20, 1e-9);
    EXPECT_NEAR(diagonal->second.y, 20, 1e-9);
    // A vertical segment beside the box misses it.
    EXPECT_FALSE(ClipSegment({11, -5}, {11, 5}, square));
}

TEST(Densify, EvenStepsBothEndsIncluded) {
    const auto points = Densify({0, 0}, {10, 0}, 3);  // 4 steps of 2.5
    ASSERT_EQ(points.size(), 5U);
    EXPECT_EQ(points[1], (core::PlanePoint{2.5, 0}));
    EXPECT_EQ(points[4], (core::PlanePoint{10, 0}));
    EXPECT_EQ(Densify({0, 0}, {1e9, 0}, 1, 100).size(), 100U);  // bounded
    EXPECT_EQ(Densify({1, 1}, {1, 1}, 3).size(), 2U);
}

TEST(BoundingBox, SkipsPointsThatAreNotFinite) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(BoundingBox({}));
    EXPECT_FALSE(BoundingBox({{nan, 0}}));
    EXPECT_EQ(*BoundingBox({{3, 4}, {nan, 9}, {-1, 7}}), (core::PlaneBox{-1, 4, 3, 7}));
}

TEST(RelativePlace, DirectionAndGap) {
    const core::PlaneBox map{288776.25, 9110729, 298722.75, 9120761};  // the Landsat scene's footprint
    // 12 km east of the east edge, overlapping in northing.
    EXPECT_EQ(RelativePlace({310722.75, 9115000, 311000, 9116000}, map),
              "the hunt lies 12 km east of the map");
    // 300 m south and 400 m west of the south-west corner: 500 m.
    EXPECT_EQ(RelativePlace({287000, 9109000, 288376.25, 9110429}, map),
              "the hunt lies 500 m south-west of the map");
    EXPECT_EQ(RelativePlace({290000, 9121761, 291000, 9122000}, map),
              "the hunt lies 1.0 km north of the map");
    EXPECT_EQ(RelativePlace({290000, 9115000, 291000, 9116000}, map), "");  // inside
    EXPECT_EQ(RelativePlace({298000, 9120000, 300000, 9122000}, map), "");  // overlapping a corner
}

}  // namespace
}  // namespace vantrel::maps
