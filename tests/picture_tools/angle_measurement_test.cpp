#include "picture_tools/angle_measurement.hpp"

#include <gtest/gtest.h>

namespace vantrel::picture_tools {
namespace {

// Reference point (1000, 1000); the angle is measured from the second move on.
std::string MeasuredText(float x, float y) {
    AngleMeasurement m;
    m.Press(1000, 1000);
    m.Move(1200, 1300);
    const auto result = m.Move(x, y);
    EXPECT_TRUE(result.angle.has_value());
    return AngleText(result.angle.value_or(-1), ',');
}

TEST(AngleMeasurement, CompassDirectionsOfThePointer) {
    EXPECT_EQ(MeasuredText(2000, 1000), "90,00");
    EXPECT_EQ(MeasuredText(1000, 500), "0,00");
    EXPECT_EQ(MeasuredText(1000, 1500), "180,00");
    EXPECT_EQ(MeasuredText(500, 1000), "270,00");
    EXPECT_EQ(MeasuredText(500, 500), "315,00");
    EXPECT_EQ(MeasuredText(1500, 500), "45,00");
    EXPECT_EQ(MeasuredText(1000, 1000), "270,00");  // on the reference point
}

TEST(AngleMeasurement, RoundsUpToThreeSixtyInText) {
    EXPECT_EQ(AngleText(359.996, ','), "360,00");
}

TEST(AngleMeasurement, FirstMoveDrawsWithoutMeasuring) {
    AngleMeasurement m;
    m.Press(1000, 1000);
    EXPECT_TRUE(m.FirstMove());
    const auto first = m.Move(2000, 1000);
    EXPECT_FALSE(first.angle);
    ASSERT_EQ(first.xorLines.size(), 1u);
    EXPECT_EQ(first.xorLines[0], (Segment{1000, 1000, 2000, 1000}));
    const auto second = m.Move(1000, 500);
    ASSERT_EQ(second.xorLines.size(), 2u);
    EXPECT_EQ(second.xorLines[0], (Segment{1000, 1000, 2000, 1000}));  // erases the previous line
    EXPECT_EQ(second.xorLines[1], (Segment{1000, 1000, 1000, 500}));
    EXPECT_EQ(second.angle, 0.0);
}

TEST(AngleMeasurement, IdleMovesDoNothingAndAPressFreezes) {
    AngleMeasurement m;
    EXPECT_TRUE(m.AngleIdle());
    EXPECT_TRUE(m.Move(5, 5).xorLines.empty());
    m.Press(0, 0);
    m.Move(1, 1);
    m.Move(0, -10);
    m.Press(3, 3);
    EXPECT_TRUE(m.AngleIdle());
    EXPECT_TRUE(m.Move(7, 7).xorLines.empty());
    EXPECT_EQ(m.MeasuredAngle(), 0.0);
    m.Press(100, 100);  // a new measurement from a new point
    EXPECT_FALSE(m.AngleIdle());
    EXPECT_TRUE(m.FirstMove());
}

}  // namespace
}  // namespace vantrel::picture_tools
