// Worked examples of the forward and inverse conversions, and the signs, zones and bands at their edges.

#include <gtest/gtest.h>

#include "test_names.hpp"

#include <cmath>
#include <ostream>

#include "geodesy/utm_conv.hpp"

namespace vantrel::geodesy {
namespace {

double Round(double value, double unit) {
    return std::round(value / unit) * unit;
}

struct ForwardCase {
    const char* name;
    friend void PrintTo(const ForwardCase& c, std::ostream* os) { *os << c.name; }
    double lat;
    double lon;
    const char* zone;
    double easting;   // to the centimetre
    double northing;  // to the centimetre
};

class LatLonToUtmTest : public testing::TestWithParam<ForwardCase> {};

TEST_P(LatLonToUtmTest, GivesZoneAndCentimetres) {
    const ForwardCase& c = GetParam();
    const UtmPosition utm = LatLonToUtm(c.lat, c.lon);
    EXPECT_EQ(utm.zone, c.zone);
    EXPECT_NEAR(utm.easting, c.easting, 0.0051);
    EXPECT_NEAR(utm.northing, c.northing, 0.0051);
}

// Centimetre values from the classic series; they agree with an exact Transverse Mercator to within 1 mm.
INSTANTIATE_TEST_SUITE_P(
    Examples, LatLonToUtmTest,
    testing::Values(ForwardCase{"WestOfCentralMeridian", 50, 8, "32U", 428333.55, 5539109.82},
                    ForwardCase{"EastOfCentralMeridian", 50, 10, "32U", 571666.45, 5539109.82},
                    ForwardCase{"OnCentralMeridian", 50, 9, "32U", 500000.00, 5538630.70},
                    ForwardCase{"ZoneBoundaryBelongsEast", 50, 12, "33U", 285015.76, 5542944.02},
                    ForwardCase{"NorwayException", 60, 5, "32V", 276979.93, 6658157.20},
                    ForwardCase{"SvalbardException", 75, 10, "33X", 355706.57, 8329692.65},
                    ForwardCase{"SouthernFalseNorthing", -33.9, 18.4, "34H", 259583.22, 6245888.05},
                    ForwardCase{"Origin", 0, 0, "31N", 166021.44, 0.00}),
    testing_support::ParamName{});

TEST(LatLonToUtm, CentralMeridianIsExactlyFiveHundredThousand) {
    EXPECT_EQ(LatLonToUtm(50, 9).easting, 500000);
    EXPECT_EQ(LatLonToUtm(-20, 3).easting, 500000);
}

TEST(LatLonToUtm, MirrorsAboutTheCentralMeridian) {
    const UtmPosition west = LatLonToUtm(50, 8);
    const UtmPosition east = LatLonToUtm(50, 10);
    EXPECT_NEAR(west.easting + east.easting, 1000000, 1e-6);
    EXPECT_EQ(west.northing, east.northing);
}

TEST(LatLonToUtm, FoldsLongitudeIntoMinus180To180) {
    EXPECT_EQ(LatLonToUtm(10, 180).zone, "1P");
    EXPECT_EQ(LatLonToUtm(10, 180).easting, LatLonToUtm(10, -180).easting);
    EXPECT_EQ(LatLonToUtm(10, 190).zone, "2P");
    EXPECT_NEAR(LatLonToUtm(10, 190).easting, LatLonToUtm(10, -170).easting, 1e-6);
    EXPECT_EQ(LatLonToUtm(10, -181).zone, "60P");
}

TEST(LatLonToUtm, OriginHasZeroNorthing) {
    EXPECT_EQ(LatLonToUtm(0, 0).northing, 0);
}

TEST(LatLonToUtm, ZoneExceptionsStopAtTheirEdges) {
    EXPECT_EQ(LatLonToUtm(56, 3).zone, "32V");
    EXPECT_EQ(LatLonToUtm(55.999999, 3).zone, "31U");
    EXPECT_EQ(LatLonToUtm(64, 5).zone, "31W");
    EXPECT_EQ(LatLonToUtm(60, 12).zone, "33V");
    EXPECT_EQ(LatLonToUtm(72, 8.999999).zone, "31X");
    EXPECT_EQ(LatLonToUtm(72, 9).zone, "33X");
    EXPECT_EQ(LatLonToUtm(80, 21).zone, "35X");
    EXPECT_EQ(LatLonToUtm(80, 33).zone, "37X");
    EXPECT_EQ(LatLonToUtm(80, 42).zone, "38X");
    EXPECT_EQ(LatLonToUtm(84, 9).zone, "32X");  // the Svalbard zones end below 84
}

TEST(LatLonToUtm, OutsideTheGridStillConverts) {
    const UtmPosition utm = LatLonToUtm(85, 9);
    EXPECT_EQ(utm.zone, "32Z");
    EXPECT_TRUE(std::isfinite(utm.northing));
    EXPECT_EQ(LatLonToUtm(-80.5, 9).zone, "32Z");
}

TEST(UtmLetter, BandsIncludeTheirLowerBound) {
    EXPECT_EQ(UtmLetter(84), 'X');
    EXPECT_EQ(UtmLetter(72), 'X');
    EXPECT_EQ(UtmLetter(71.999), 'W');
    EXPECT_EQ(UtmLetter(48), 'U');
    EXPECT_EQ(UtmLetter(0), 'N');
    EXPECT_EQ(UtmLetter(-1e-9), 'M');
    EXPECT_EQ(UtmLetter(-80), 'C');
    EXPECT_EQ(UtmLetter(-80.0001), 'Z');
    EXPECT_EQ(UtmLetter(84.0001), 'Z');
}

TEST(UtmToLatLon, ReturnsToTheForwardExamples) {
    const GeoPosition west = UtmToLatLon(5539109.8157, 428333.5525);
    EXPECT_EQ(Round(west.lat, 1e-6), Round(50.0, 1e-6));
    EXPECT_NEAR(west.lat, 50, 5e-7);
    EXPECT_NEAR(west.lon, 8, 5e-7);
    const GeoPosition east = UtmToLatLon(5539109.8157, 571666.4475);
    EXPECT_NEAR(east.lat, 50, 5e-7);
    EXPECT_NEAR(east.lon, 10, 5e-7);
}

TEST(UtmToLatLon, CentralMeridianGivesExactlyNine) {
    EXPECT_EQ(UtmToLatLon(5538630.7029, 500000).lon, 9);
    const GeoPosition origin = UtmToLatLon(0, 500000);
    EXPECT_EQ(origin.lat, 0);
    EXPECT_EQ(origin.lon, 9);
}

TEST(UtmToLatLon, WorkedExampleNearTheFix) {
    const GeoPosition p = UtmToLatLon(5700500, 500500);
    EXPECT_NEAR(p.lat, 51.455678, 5e-7);
    EXPECT_NEAR(p.lon, 9.007196, 5e-7);
}

TEST(UtmToLatLon, AlwaysReadsZone32) {
    // 50 N 12 E in zone 33 coordinates lands 6 degrees west of the true place.
    const GeoPosition p = UtmToLatLon(5542944.02, 285015.76, 33);
    EXPECT_NEAR(p.lat, 50, 5e-7);
    EXPECT_NEAR(p.lon, 6, 5e-7);
}

}  // namespace
}  // namespace vantrel::geodesy
