#include "maps/calibration.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "test_names.hpp"

namespace vantrel::maps {
namespace {

TEST(Calibration, TwoPointsNorthUpGiveScaleAndShift) {
    // 100 pixels to the right are 200 m east: 2 m per pixel, no rotation.
    const std::vector<ControlPoint> points{{0, 0, 1000, 2000}, {100, 0, 1200, 2000}};
    const auto fit = FitCalibration(points);
    ASSERT_TRUE(fit) << fit.message();
    EXPECT_EQ(fit->kind, FitKind::Similarity);
    const std::array<double, 6> expected{1000, 2, 0, 2000, 0, -2};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(fit->transform.c[i], expected[i], 1e-9) << i;
    }
    EXPECT_NEAR(fit->metresPerPixel, 2, 1e-12);
    EXPECT_NEAR(fit->rotationDegrees, 0, 1e-12);
    EXPECT_EQ(fit->residuals, (std::vector<double>{0, 0}));
}

TEST(Calibration, TwoPointsOfAPictureTurnedSoItsUpIsEast) {
    // 10 pixels up the picture are 20 m east: X = 520 - 2 row, Y = 520 - 2 column.
    const std::vector<ControlPoint> points{{10, 10, 500, 500}, {10, 0, 520, 500}};
    const auto fit = FitCalibration(points);
    ASSERT_TRUE(fit) << fit.message();
    const std::array<double, 6> expected{520, 0, -2, 520, -2, 0};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(fit->transform.c[i], expected[i], 1e-9) << i;
    }
    EXPECT_NEAR(fit->rotationDegrees, 90, 1e-9);
}

TEST(Calibration, LeastSquaresNamesTheWorstPoint) {
    // A 3 x 3 grid on X = 100 + 2 column, Y = 200 - 2 row, with the centre's easting typed 9 m too far east.
    // The centre has no lever on the slopes, so by hand: X = 101 + 2 column, every other point 1 m off,
    // the centre 8 m.
    std::vector<ControlPoint> points;
    for (double row : {0.0, 5.0, 10.0}) {
        for (double column : {0.0, 5.0, 10.0}) {
            points.push_back({column, row, 100 + 2 * column, 200 - 2 * row});
        }
    }
    points[4].x += 9;
    const auto fit = FitCalibration(points);
    ASSERT_TRUE(fit) << fit.message();
    EXPECT_EQ(fit->kind, FitKind::Affine);
    const std::array<double, 6> expected{101, 2, 0, 200, 0, -2};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(fit->transform.c[i], expected[i], 1e-9) << i;
    }
    ASSERT_EQ(fit->residuals.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_NEAR(fit->residuals[i], i == 4 ? 8.0 : 1.0, 1e-9) << i;
    }
    EXPECT_EQ(fit->worst, 4u);
    EXPECT_EQ(
        DescribeFit(*fit),
        "Affine fit of 9 points: 2.000 m per pixel, rotated 0.00 degrees; worst residual 8.0 m at point 5");
}

struct RefusedFit {
    const char* name;
    std::vector<ControlPoint> points;
    const char* message;
};

class CalibrationRefused : public ::testing::TestWithParam<RefusedFit> {};

TEST_P(CalibrationRefused, NamesThePointsAndTheReason) {
    const auto fit = FitCalibration(GetParam().points);
    ASSERT_FALSE(fit);
    EXPECT_EQ(fit.message(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalibrationRefused,
    ::testing::Values(RefusedFit{"NoPoint", {}, "at least 2 points are needed, there are 0"},
                      RefusedFit{"OnePoint", {{0, 0, 1, 1}}, "at least 2 points are needed, there is 1"},
                      RefusedFit{"SamePixel",
                                 {{5, 5, 0, 0}, {50, 5, 100, 0}, {5.2, 5.3, 9, 9}},
                                 "point 1 and point 3 are at the same place in the picture"},
                      RefusedFit{"SameCoordinates",
                                 {{5, 5, 0, 0}, {50, 5, 0, 0.0004}},
                                 "point 1 and point 2 have the same coordinates"},
                      RefusedFit{"CollinearPixels",
                                 {{0, 0, 0, 0}, {10, 10, 20, 0}, {20, 20.2, 40, 40}},
                                 "the points lie on one line in the picture: add a point away from it"},
                      RefusedFit{"CollinearCoordinates",
                                 {{0, 0, 0, 0}, {10, 0, 10, 0}, {0, 10, 20, 0}},
                                 "the coordinates of the points lie on one line: check what was typed"},
                      RefusedFit{"CoordinatesOutOfRange",
                                 {{0, 0, 1e200, 0}, {10, 0, 2e200, 0}, {0, 10, 1e200, 1e200}},
                                 "point 1 has coordinates out of range (beyond 1e12): check what was typed"},
                      RefusedFit{"NotANumber",
                                 {{0, 0, 0, 0}, {10, 0, NAN, 0}},
                                 "point 2 has no valid position or coordinates"}),
    testing_support::ParamName());

}  // namespace
}  // namespace vantrel::maps
