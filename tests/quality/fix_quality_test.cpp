// Fix quality against numbers worked out by hand (stations 1 km apart on northing 5700000), and the
// deviations of a station's bearing from its readings.
#include "quality/fix_quality.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "test_names.hpp"

namespace vantrel::quality {
namespace {

constexpr core::PlanePoint kStation1{500000, 5700000};
constexpr core::PlanePoint kStation2{501000, 5700000};

struct GeometryCase {
    const char* name;
    double a1, sigma1, a2, sigma2;
    double east, north;  // the fix
    double t1, t2, crossing;
    double semiMajor, semiMinor, azimuth;  // semiMajor < 0: no ellipse
    const char* flags;
};

class Geometry : public testing::TestWithParam<GeometryCase> {};

TEST_P(Geometry, MatchesTheHandWorkedNumbers) {
    const GeometryCase& c = GetParam();
    const std::optional<double> s1 = c.sigma1 < 0 ? std::nullopt : std::optional(c.sigma1);
    const auto q = AssessFix(c.a1, c.a2, kStation1, kStation2, {c.east, c.north}, s1, c.sigma2, 0.95);
    ASSERT_TRUE(q);
    EXPECT_NEAR(q->t1, c.t1, 1e-3);
    EXPECT_NEAR(q->t2, c.t2, 1e-3);
    EXPECT_NEAR(q->crossing, c.crossing, 1e-9);
    EXPECT_EQ(q->FlagsText(), c.flags);
    ASSERT_EQ(q->ellipse.has_value(), c.semiMajor >= 0);
    if (q->ellipse) {
        EXPECT_NEAR(q->ellipse->semiMajor, c.semiMajor, 0.005);
        EXPECT_NEAR(q->ellipse->semiMinor, c.semiMinor, 0.005);
        EXPECT_NEAR(q->ellipse->azimuth, c.azimuth, 0.005);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FixQuality, Geometry,
    testing::Values(
        // Covariance diag(3807.72, 3807.72): a circle of sqrt(5.991465 * 3807.72), azimuth 0 by definition.
        GeometryCase{"RightAngleCircle", 45, 5, 315, 5, 500500, 5700500, 707.107, 707.107, 90, 151.04, 151.04,
                     0, "-"},
        // 241.67 / 707.107 = 0.34: approximate.
        GeometryCase{"UnequalSigmas", 45, 3, 315, 8, 500500, 5700500, 707.107, 707.107, 90, 241.67, 90.63, 45,
                     "approximate"},
        GeometryCase{"SeventyDegrees", 30, 4, 320, 6, 500407.604, 5700705.990, 815.207, 921.605, 70, 258.50,
                     135.48, 21.53, "approximate"},
        GeometryCase{"ShallowCrossing", 80, 5, 280, 5, 500500, 5700088.163, 507.713, 507.713, 160, 441.62,
                     77.87, 90, "acute,approximate"},
        // Station 1 scattered: no ellipse, so no ratio flag either.
        GeometryCase{"Scattered", 80, -1, 280, 5, 500500, 5700088.163, 507.713, 507.713, 160, -1, 0, 0,
                     "acute,scattered1"},
        // The bearings point away from each other: their lines meet at F1's point, behind both stations.
        GeometryCase{"BehindBoth", 225, 5, 135, 5, 500500, 5700500, -707.107, -707.107, 90, 151.04, 151.04, 0,
                     "behind1,behind2"},
        // Station 2's bearing runs through its own position: a range of (nearly) zero.
        GeometryCase{"OnStation2", 90, 5, 0, 5, 501000, 5700000, 1000, 0, 90, 213.61, 0, 0, "unreliable"}),
    testing_support::ParamName{});

TEST(AssessFix, EdgesOfTheContract) {
    EXPECT_FALSE(
        AssessFix(30, 210, kStation1, kStation2, {0, 0}, 5, 5, 0.95));  // parallel as Calculate sees it
    EXPECT_FALSE(AssessFix(NAN, 30, kStation1, kStation2, {0, 0}, 5, 5, 0.95));
    EXPECT_FALSE(AssessFix(45, 315, kStation1, {1.7e308, 1.7e308}, {0, 0}, 5, 5, 0.95));
    // Ranges of 1e200 m are finite, their squares in the covariance are not: no ellipse, and a fix without
    // one must not look clean.
    const auto huge = AssessFix(45, 315, kStation1, {1e200, 5700000}, {1e200, 1e200}, 5, 5, 0.95);
    ASSERT_TRUE(huge);
    EXPECT_FALSE(huge->ellipse);
    EXPECT_EQ(huge->FlagsText(), "unreliable");
    // A deviation of 1e300 degrees overflows the same way at ordinary ranges.
    EXPECT_EQ(AssessFix(45, 315, kStation1, kStation2, {500500, 5700500}, 1e300, 1e300, 0.95)->FlagsText(),
              "unreliable");
    // A scattered station has no ellipse by its own flag.
    EXPECT_EQ(AssessFix(45, 315, kStation1, kStation2, {500500, 5700500}, std::nullopt, 5, 0.95)->FlagsText(),
              "scattered1");
    // Both stations at one place: both ranges exactly zero.
    EXPECT_EQ(AssessFix(90, 0, kStation1, kStation1, kStation1, 5, 5, 0.95)->FlagsText(),
              "behind1,behind2,unreliable");
    // k = -2 ln(1 - 0.5) = 1.386294: the 45/315 circle of variance 3807.72 has radius 72.66 m.
    EXPECT_NEAR(AssessFix(45, 315, kStation1, kStation2, {500500, 5700500}, 5, 5, 0.5)->ellipse->semiMajor,
                72.655, 0.005);
}

// Readings of station 1, fox 1 (index 0) in rows 0.., all valid.
instruments::RxReadings ReadingsOf(std::initializer_list<double> angles) {
    instruments::RxReadings readings;
    int row = 0;
    for (const double angle : angles) {
        readings(0, 0, row++) = {angle, -10, 1};
    }
    return readings;
}

instruments::RxReadings WithInvalidRows() {
    instruments::RxReadings r = ReadingsOf({44, 46});
    r(0, 0, 5) = {45, 0, 0};   // empty
    r(0, 0, 6) = {45, 0, -1};  // not 1: not valid either
    r(1, 0, 0) = {45, 0, 1};   // the other station
    return r;
}

struct SigmaCase {
    const char* name;
    instruments::RxReadings readings;
    double box;
    std::optional<double> sigma;  // nullopt: scattered
    bool fromReadings;
};

class ReadingsSigma : public testing::TestWithParam<SigmaCase> {};

TEST_P(ReadingsSigma, FromTheReadingsOnlyWhenTheBoxHoldsTheirAverage) {
    const SigmaCase& c = GetParam();
    const BearingSigma s = StationBearingSigma(c.readings, 0, 0, c.box, QualitySettings{});
    EXPECT_EQ(s.fromReadings, c.fromReadings);
    ASSERT_EQ(s.degrees.has_value(), c.sigma.has_value());
    if (c.sigma) {
        EXPECT_NEAR(*s.degrees, *c.sigma, 1e-6);
    }
}

// 44, 45, 46: R = (1 + 2 cos 1 deg) / 3 = 0.99989846, rho2 = 0.99969541, sigma_hat = 1.0000381 deg,
// s = sqrt(3^2 + 1.0000381^2 / 3) = 3.0550546. 350, 355, 0, 5, 10 (mean 0 across north): R = 0.99240098,
// rho2 = 0.98107463, sigma_hat = 7.9198322, s = sqrt(9 + 7.9198322^2 / 5) = 4.6416329.
INSTANTIATE_TEST_SUITE_P(
    FixQuality, ReadingsSigma,
    testing::Values(SigmaCase{"ThreeReadings", ReadingsOf({44, 45, 46}), 45, 3.0550546, true},
                    SigmaCase{"AcrossNorth", ReadingsOf({350, 355, 0, 5, 10}), 0, 4.6416329, true},
                    SigmaCase{"AcrossNorthBoxAt360", ReadingsOf({350, 355, 0, 5, 10}), 360, 4.6416329, true},
                    SigmaCase{"AverageWithinAHundredth", ReadingsOf({44, 45, 46}), 45.01, 3.0550546, true},
                    SigmaCase{"IdenticalReadingsGiveTheFloor", ReadingsOf({12.5, 12.5, 12.5, 12.5}), 12.5, 3,
                              true},
                    SigmaCase{"SpreadAllRound", ReadingsOf({0, 120, 240}), 120, std::nullopt, true},
                    SigmaCase{"BoxEdited", ReadingsOf({44, 45, 46}), 45.02, 5, false},
                    SigmaCase{"TwoReadings", ReadingsOf({44, 46}), 45, 5, false},
                    SigmaCase{"OnlyValidRowsCount", WithInvalidRows(), 45, 5, false}),
    testing_support::ParamName{});

// F1 45 / 315 calculated; F2 both north-south (no Match).
TEST(AssessFixes, OnlyTheFixesTheResultsShow) {
    core::MeasurementState s;
    s.Sced1Lat = s.Sced2Lat = "5700000";
    s.Sced1Lon = "500000";
    s.Sced2Lon = "501000";
    s.S1Ang[0] = "45";
    s.S2Ang[0] = "315";
    EXPECT_FALSE(AssessFixes(s, {}, {}, ',')[0]);  // before Calculate
    ASSERT_TRUE(core::Calculate(s, ','));
    const auto q = AssessFixes(s, ReadingsOf({44, 45, 46}), QualitySettings{5, 2, 0.95}, ',');
    ASSERT_TRUE(q[0]);
    EXPECT_NEAR(*q[0]->sigma1, std::sqrt(4 + 1.0000381 * 1.0000381 / 3), 1e-6);
    EXPECT_EQ(q[0]->sigma2, 5);
    EXPECT_FALSE(q[1]);
    s.Sced1Lat = "5700000,0";  // another text of the same number: still the fix shown
    EXPECT_TRUE(AssessFixes(s, {}, {}, ',')[0]);
    s.S2Ang[0] = "316";  // typed, not calculated
    EXPECT_FALSE(AssessFixes(s, {}, {}, ',')[0]);
}

// Semi-axes 200 / 100 m with the major axis pointing 30 degrees east of north.
TEST(EllipseOutline, ClosedPolygonOnTheEllipse) {
    FixQuality q;
    q.easting = 500000;
    q.northing = 5700000;
    EXPECT_TRUE(EllipseOutline(q).empty());
    q.ellipse = Ellipse{200, 100, 30};
    const auto outline = EllipseOutline(q);
    ASSERT_EQ(outline.size(), 73u);
    EXPECT_NEAR(outline[0].x, 500000 + 200 * 0.5, 1e-9);  // 200 sin 30
    // A quarter round: the end of the minor axis, 90 degrees clockwise from the major one.
    EXPECT_NEAR(outline[18].y, 5700000 - 100 * 0.5, 1e-9);
    for (const auto& p : outline) {  // every point on the ellipse: (along / 200)^2 + (across / 100)^2 = 1
        const double along = (p.x - 500000) * 0.5 + (p.y - 5700000) * std::sqrt(3.0) / 2;
        const double across = (p.x - 500000) * std::sqrt(3.0) / 2 - (p.y - 5700000) * 0.5;
        EXPECT_NEAR(along * along / 40000 + across * across / 10000, 1, 1e-9);
    }
}

}  // namespace
}  // namespace vantrel::quality
