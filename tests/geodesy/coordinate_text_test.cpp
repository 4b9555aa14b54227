#include <gtest/gtest.h>

#include "geodesy/utm_conv.hpp"

namespace vantrel::geodesy {
namespace {

TEST(DegToText, PointDecimalWithoutLeadingZero) {
    EXPECT_EQ(DegToText(8.123456789), "8.12345679");
    EXPECT_EQ(DegToText(51.5), "51.5");
    EXPECT_EQ(DegToText(9), "9.");
    EXPECT_EQ(DegToText(0.25), ".25");
    EXPECT_EQ(DegToText(-7.5), "-7.5");
    EXPECT_EQ(DegToText(-0.25), "-.25");
    EXPECT_EQ(DegToText(51.455678123456), "51.45567812");
}

TEST(DegToDms, PacksDegreesMinutesSeconds) {
    EXPECT_EQ(DegToDms(8.5), "0083000.000");
    EXPECT_EQ(DegToDms(50.123456), "0500724.442");
    EXPECT_EQ(DegToDms(0), "0000000.000");
    EXPECT_EQ(DegToDms(170.25), "1701500.000");
}

TEST(DegToDms, SixtySecondsCarryIntoMinutesAndDegrees) {
    EXPECT_EQ(DegToDms(7.999999999), "0080000.000");
    EXPECT_EQ(DegToDms(7.5 - 1e-9), "0073000.000");  // 29'59.9999964" rounds to 30'00"
    EXPECT_EQ(DegToDms(7 + 10.0 / 60 - 1e-9), "0071000.000");
}

TEST(DegToDms, NegativeIsSignAndMagnitude) {
    EXPECT_EQ(DegToDms(-7.5), "-0073000.000");
    EXPECT_EQ(DegToDms(-0.0), "0000000.000");
    EXPECT_EQ(DegToDms(-50.123456), "-0500724.442");
}

TEST(DatabaseForms, LatitudeDropsTheHundredsDigit) {
    EXPECT_EQ(GradLat(50.123456), "500724.442");
    EXPECT_EQ(GradLat(-33.5), "-333000.000");
    EXPECT_EQ(GradLong(8.5), "0083000.000");
    EXPECT_EQ(GradLong(-3.25), "-0031500.000");
}

}  // namespace
}  // namespace vantrel::geodesy
