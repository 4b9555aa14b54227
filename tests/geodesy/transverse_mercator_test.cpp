// UTM of a given zone against GeographicLib's GeoConvert, and the zone designations of the zone boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/transverse_mercator.hpp"
#include "geodesy/utm_zone.hpp"
#include "test_names.hpp"

namespace vantrel::geodesy {
namespace {

struct ZoneReference {
    double lat = 0;
    double lon = 0;
    UtmZone zone;
    double easting = 0;
    double northing = 0;
};

std::vector<ZoneReference> LoadZoneReference() {
    std::ifstream in(std::string(VANTREL_TESTDATA_DIR) + "/geodesy/zone_tm_reference.tsv");
    std::vector<ZoneReference> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ZoneReference row;
        std::string hemisphere;
        fields >> row.lat >> row.lon >> row.zone.number >> hemisphere >> row.easting >> row.northing;
        row.zone.band = hemisphere == "n" ? 'U' : 'M';  // any band of the hemisphere
        rows.push_back(row);
    }
    return rows;
}

TEST(ZoneTransverseMercator, ForwardMatchesGeoConvertToTheMicrometre) {
    const auto rows = LoadZoneReference();
    ASSERT_EQ(rows.size(), 300U);
    for (const ZoneReference& row : rows) {
        const core::PlanePoint p = ZoneLatLonToUtm(row.zone, row.lat, row.lon);
        EXPECT_NEAR(p.x, row.easting, 1e-6) << row.lat << " " << row.lon << " zone " << row.zone.number;
        EXPECT_NEAR(p.y, row.northing, 1e-6) << row.lat << " " << row.lon << " zone " << row.zone.number;
    }
}

TEST(ZoneTransverseMercator, InverseReturnsTheReferencePositions) {
    for (const ZoneReference& row : LoadZoneReference()) {
        const GeoPosition g = ZoneUtmToLatLon(row.zone, row.easting, row.northing);
        // 1e-10 degrees is about 11 micrometres on the ground: the 6-decimal rounding of the reference.
        EXPECT_NEAR(g.lat, row.lat, 1e-10) << row.easting << " " << row.northing;
        EXPECT_NEAR(g.lon, row.lon, 1e-10 / std::cos(row.lat * 3.14159265358979 / 180))
            << row.easting << " " << row.northing;
    }
}

TEST(ZoneTransverseMercator, CentralMeridianEquatorAndNaN) {
    const UtmZone zone32{32, 'U'};
    const core::PlanePoint origin = ZoneLatLonToUtm(UtmZone{32, 'N'}, 0, 9);
    EXPECT_NEAR(origin.x, 500000, 1e-9);
    EXPECT_NEAR(origin.y, 0, 1e-9);
    // GeographicLib: 50 N 9 E is 32U 500000.0000 5538630.7029.
    EXPECT_NEAR(ZoneLatLonToUtm(zone32, 50, 9).y, 5538630.7029, 1e-4);
    // The southern false northing: just south of the equator lies just below 10,000 km.
    const core::PlanePoint south = ZoneLatLonToUtm(UtmZone{32, 'M'}, -1e-9, 9);
    EXPECT_NEAR(south.y, 10000000 - 1.1e-4, 1e-5);
    EXPECT_TRUE(std::isnan(ZoneLatLonToUtm(zone32, std::nan(""), 9).x));
    EXPECT_TRUE(std::isnan(ZoneUtmToLatLon(zone32, 500000, std::nan("")).lat));
    // Longitudes are taken relative to the central meridian: 369 E is 9 E.
    EXPECT_NEAR(ZoneLatLonToUtm(zone32, 50, 369).x, 500000, 1e-6);
}

struct ZoneTextCase {
    const char* name;
    const char* text;
    bool valid;
    int number;
    char band;
};

class ParseUtmZoneTest : public ::testing::TestWithParam<ZoneTextCase> {};

TEST_P(ParseUtmZoneTest, ReadsOnlyZoneDesignations) {
    const ZoneTextCase& c = GetParam();
    const auto zone = ParseUtmZone(c.text);
    ASSERT_EQ(zone.has_value(), c.valid) << c.text;
    if (c.valid) {
        EXPECT_EQ(zone->number, c.number);
        EXPECT_EQ(zone->band, c.band);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseUtmZoneTest,
    ::testing::Values(
        ZoneTextCase{"Plain", "32U", true, 32, 'U'}, ZoneTextCase{"LowerCase", "25m", true, 25, 'M'},
        ZoneTextCase{"Blanks", " 33U\t", true, 33, 'U'}, ZoneTextCase{"LeadingZero", "05Q", true, 5, 'Q'},
        ZoneTextCase{"One", "1C", true, 1, 'C'}, ZoneTextCase{"Sixty", "60X", true, 60, 'X'},
        ZoneTextCase{"Empty", "", false, 0, ' '}, ZoneTextCase{"NoBand", "32", false, 0, ' '},
        ZoneTextCase{"Zero", "0U", false, 0, ' '}, ZoneTextCase{"SixtyOne", "61U", false, 0, ' '},
        ZoneTextCase{"BandI", "32I", false, 0, ' '}, ZoneTextCase{"BandO", "32O", false, 0, ' '},
        ZoneTextCase{"BandA", "32A", false, 0, ' '}, ZoneTextCase{"BandY", "32Y", false, 0, ' '},
        ZoneTextCase{"LetterFirst", "U32", false, 0, ' '}, ZoneTextCase{"InnerBlank", "32 U", false, 0, ' '},
        ZoneTextCase{"TwoBands", "32UU", false, 0, ' '}, ZoneTextCase{"TooLong", "032U", false, 0, ' '}),
    testing_support::ParamName());

TEST(UtmZone, TextAndHemisphere) {
    EXPECT_EQ(ZoneText(UtmZone{5, 'Q'}), "5Q");
    EXPECT_FALSE((UtmZone{25, 'M'}).North());
    EXPECT_TRUE((UtmZone{25, 'N'}).North());
}

}  // namespace
}  // namespace vantrel::geodesy

namespace vantrel::geodesy {
namespace {

// Convergence and point scale against GeographicLib's exact transverse Mercator (TransverseMercatorProj),
// forward from lat/lon and back from the zone coordinates of the same points.
TEST(ZoneGridFacts, ConvergenceAndScaleMatchTheExactProjection) {
    std::ifstream in(std::string(VANTREL_TESTDATA_DIR) + "/geodesy/zone_grid_facts.tsv");
    std::string line;
    std::getline(in, line);  // header
    int rows = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double lat = 0, lon = 0, convergence = 0, scale = 0;
        std::string hemisphere;
        UtmZone zone;
        fields >> lat >> lon >> zone.number >> hemisphere >> convergence >> scale;
        zone.band = hemisphere == "n" ? 'U' : 'M';
        const GridFacts facts = ZoneGridFacts(zone, lat, lon);
        EXPECT_NEAR(facts.convergence, convergence, 1e-9) << line;
        EXPECT_NEAR(facts.scale, scale, 1e-12) << line;
        const core::PlanePoint p = ZoneLatLonToUtm(zone, lat, lon);
        const GridFacts back = ZoneGridFactsAt(zone, p.x, p.y);
        EXPECT_NEAR(back.convergence, convergence, 1e-9) << line;
        EXPECT_NEAR(back.scale, scale, 1e-12) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 150);
}

// On the central meridian grid north is true north and the scale is 0.9996; east of it in the north the
// grid turns clockwise (gamma > 0), in the south anticlockwise. A true bearing becomes true - gamma,
// folded into [0, 360).
TEST(ZoneGridFacts, SignsAndGridBearings) {
    const UtmZone north{32, 'U'};
    const UtmZone south{32, 'M'};
    EXPECT_NEAR(ZoneGridFacts(north, 50, 9).convergence, 0, 1e-12);
    EXPECT_NEAR(ZoneGridFacts(north, 50, 9).scale, 0.9996, 1e-15);
    // GeographicLib: GeoConvert -c -z 32n at 50 N 12 E gives 2.2990084351375 and 1.000167682051232.
    EXPECT_NEAR(ZoneGridFacts(north, 50, 12).convergence, 2.2990084351375, 1e-10);
    EXPECT_NEAR(ZoneGridFacts(north, 50, 12).scale, 1.000167682051232, 1e-13);
    EXPECT_NEAR(ZoneGridFacts(south, -50, 12).convergence, -2.2990084351375, 1e-10);
    EXPECT_NEAR(ZoneGridFacts(north, 0, 12).convergence, 0, 1e-12);
    EXPECT_NEAR(GridBearing(north, 50, 12, 90), 90 - 2.2990084351375, 1e-10);
    EXPECT_NEAR(GridBearing(north, 50, 12, 1), 360 + 1 - 2.2990084351375, 1e-10);
    EXPECT_NEAR(GridBearing(north, 50, 6, 359), 359 + 2.2990084351375 - 360, 1e-10);
    EXPECT_TRUE(std::isnan(ZoneGridFacts(north, std::nan(""), 9).scale));
}

}  // namespace
}  // namespace vantrel::geodesy
