#include "picture_tools/rays.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel::picture_tools {
namespace {

// A client area of 9060 x 5985 twips, the rays window's size.
constexpr double kW = 9060;
constexpr double kH = 5985;

TEST(DrawRay, StraightUpDownRightLeft) {
    const RayEnd up = DrawRay(3000, 2000, 0, kW, kH);
    EXPECT_EQ(up.x, 3000);
    EXPECT_EQ(up.y, 0);
    const RayEnd down = DrawRay(3000, 2000, 180, kW, kH);
    EXPECT_EQ(down.x, 3000);
    EXPECT_EQ(down.y, static_cast<float>(kH));
    const RayEnd right = DrawRay(3000, 2000, 90, kW, kH);
    EXPECT_EQ(right.x, static_cast<float>(kW));
    EXPECT_EQ(right.y, 2000);  // (W - X) / tan(90 deg) is a few 1e-13 twips
    const RayEnd left = DrawRay(3000, 2000, 270, kW, kH);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.y, 2000);
}

TEST(DrawRay, FortyFiveNearTheTopEndsOnTheTopEdge) {
    // The right-edge point would be far above y = 100: the ray ends on the top edge at X + Y.
    const RayEnd end = DrawRay(1000, 300, 45, kW, kH);
    EXPECT_EQ(end.y, 0);
    EXPECT_NEAR(end.x, 1300, 1e-3);
}

TEST(DrawRay, FortyFiveLowDownEndsOnTheRightEdge) {
    const RayEnd end = DrawRay(8000, 5000, 45, kW, kH);
    EXPECT_EQ(end.x, static_cast<float>(kW));
    EXPECT_NEAR(end.y, 5000 - 1060, 1e-3);
}

TEST(DrawRay, BelowTheBottomMarginFallsBackToTheBottomEdge) {
    // 135 degrees from near the bottom: the right-edge point lies below H + 100.
    const RayEnd end = DrawRay(1000, 5000, 135, kW, kH);
    EXPECT_EQ(end.y, static_cast<float>(kH));
    EXPECT_NEAR(end.x, 1000 + 985, 1e-3);
    // 225 degrees: left edge first, bottom edge when it misses.
    const RayEnd sw = DrawRay(4000, 5000, 225, kW, kH);
    EXPECT_EQ(sw.y, static_cast<float>(kH));
    EXPECT_NEAR(sw.x, 4000 - 985, 1e-3);
}

TEST(DrawRay, NegativeAndLargeBearingsUseTheLeftEdgeThenTheTop) {
    const RayEnd nw = DrawRay(500, 3000, -45, kW, kH);
    EXPECT_EQ(nw.x, 0);
    EXPECT_NEAR(nw.y, 2500, 1e-3);
    const RayEnd steep = DrawRay(5000, 300, 315, kW, kH);
    EXPECT_EQ(steep.y, 0);
    EXPECT_NEAR(steep.x, 4700, 1e-3);
}

TEST(DrawRay, EdgeMarginIsAHundredTwips) {
    // 45 degrees from (W - 500, Y) meets the right edge at Y - 500: kept there from 100 on.
    const RayEnd at = DrawRay(kW - 500, 601, 45, kW, kH);
    EXPECT_EQ(at.x, static_cast<float>(kW));
    EXPECT_NEAR(at.y, 101, 1e-3);
    const RayEnd above = DrawRay(kW - 500, 599, 45, kW, kH);
    EXPECT_EQ(above.y, 0);
    // tan(45 degrees) with the 15-digit pi is a hair below 1, so from Y = 600 the edge point lies a hair
    // above 100 and the ray goes to the top edge.
    EXPECT_EQ(DrawRay(kW - 500, 600, 45, kW, kH).y, 0);
}

TEST(RayWidth, FollowsTheSignal) {
    EXPECT_EQ(RayWidth(-50.5), 4);
    EXPECT_EQ(RayWidth(-50), 3);
    EXPECT_EQ(RayWidth(-30.5), 3);
    EXPECT_EQ(RayWidth(-30), 2);
    EXPECT_EQ(RayWidth(0), 2);
}

TEST(StationRays, ColoursWidthsAndReducedBearings) {
    persistence::ScedRecord station;
    station.BaseAngle = 20;
    station.Ang = {350, 70, 160, 250, 340};  // absolute 10 (reduced), 90, 180, 270, 0 (reduced)
    station.Sig = {-60, -50, -30, -10, -31};
    const auto rays = StationRays(station, 3000, 3000, kW, kH);
    EXPECT_EQ(rays[0].colour, (Rgb{0, 0, 250}));
    EXPECT_EQ(rays[1].colour, (Rgb{250, 0, 0}));
    EXPECT_EQ(rays[2].colour, (Rgb{250, 150, 50}));
    EXPECT_EQ(rays[3].colour, (Rgb{255, 255, 0}));
    EXPECT_EQ(rays[4].colour, (Rgb{150, 150, 150}));
    EXPECT_EQ(rays[0].width, 4);
    EXPECT_EQ(rays[1].width, 3);
    EXPECT_EQ(rays[2].width, 2);
    EXPECT_EQ(rays[4].width, 3);
    // 350 + 20 is drawn at 10 degrees: up and a little to the right, ending on the top edge.
    EXPECT_EQ(rays[0].end.y, 0);
    EXPECT_NEAR(rays[0].end.x, 3000 + 3000 * std::tan(10 * 3.14159265358979 / 180), 1e-2);
    EXPECT_EQ(rays[2].end.y, static_cast<float>(kH));
    EXPECT_EQ(rays[4].end.y, 0);
    EXPECT_EQ(rays[4].end.x, 3000);
    EXPECT_EQ(rays[3].x0, 3000);
}

}  // namespace
}  // namespace vantrel::picture_tools
