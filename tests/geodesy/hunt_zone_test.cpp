// The hunt's zone: the order of its sources, the band a zone names, and the positions it refuses. Band
// limits by hand from the band letters (C starts at 80 S, each band 8 degrees, X 72..84 N); the Olinda
// stations in 32U against GeographicLib's GeoConvert ("32n 295000 9115000" -> 81.88 N).
#include "geodesy/hunt_zone.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "test_names.hpp"

namespace vantrel::geodesy {
namespace {

struct OrderCase {
    const char* name;
    const char* box1;
    const char* box2;
    std::optional<UtmZone> log;
    const char* remembered;
    const char* setting;
    ZoneChoice expected;
};

class ZoneOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(ZoneOrder, FirstSourceThatNamesAZoneWins) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(ChooseHuntZone({c.box1, c.box2, c.log, c.remembered, c.setting}), c.expected);
}

constexpr UtmZone k32U{32, 'U'};
constexpr UtmZone k25M{25, 'M'};
constexpr UtmZone k33T{33, 'T'};

INSTANTIATE_TEST_SUITE_P(
    Sources, ZoneOrder,
    testing::Values(
        OrderCase{"BoxOneFirst", "33T", "25M", k32U, "25M", "25M", {k33T, ZoneSource::ZoneBoxes}},
        OrderCase{"BoxTwoWhenOneIsNoZone", "x", "25m", k32U, "", "", {k25M, ZoneSource::ZoneBoxes}},
        OrderCase{"LogBeforeMemory", "", "", k33T, "25M", "32U", {k33T, ZoneSource::BearingLog}},
        OrderCase{"MemoryBeforeDefault", "", "", {}, "25M", "33T", {k25M, ZoneSource::Remembered}},
        OrderCase{"BrokenMemorySkipped", "", "", {}, "61U", "33T", {k33T, ZoneSource::Default}},
        OrderCase{"NothingNamesOne", "", "", {}, "", "nonsense", {k32U, ZoneSource::Default}}),
    testing_support::ParamName());

TEST(ZoneSourceText, NamesEachSource) {
    EXPECT_EQ(ZoneSourceText(ZoneSource::ZoneBoxes), "from the zone boxes");
    EXPECT_EQ(ZoneSourceText(ZoneSource::BearingLog), "from the bearing log");
    EXPECT_EQ(ZoneSourceText(ZoneSource::Remembered), "remembered");
    EXPECT_EQ(ZoneSourceText(ZoneSource::Default), "default");
}

struct PlaceCase {
    const char* name;
    UtmZone zone;
    double easting;
    double northing;
    bool onEarth;     // UtmRangeProblem is empty
    bool withinBand;  // and the latitude lies within the zone's band widened by one band
};

class ZonePlaces : public testing::TestWithParam<PlaceCase> {};

TEST_P(ZonePlaces, RefusedBeforeTheyAreDrawnOrExported) {
    const PlaceCase& c = GetParam();
    const PlaceCheck check = CheckedZoneUtmToLatLon(c.zone, c.easting, c.northing);
    ASSERT_EQ(check.place.has_value(), c.onEarth) << check.problem;
    EXPECT_EQ(check.problem.empty(), c.onEarth);
    if (check.place) {
        EXPECT_EQ(WithinZoneBand(c.zone, check.place->lat), c.withinBand) << check.place->lat;
    }
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Positions, ZonePlaces,
    testing::Values(PlaceCase{"KasselIn32U", k32U, 535000, 5684000, true, true},
                    PlaceCase{"OlindaIn25M", k25M, 295000, 9115000, true, true},
                    // 81.88 N in band U (48..56): refused, the hunt was measured in another zone.
                    PlaceCase{"OlindaIn32U", k32U, 295000, 9115000, true, false},
                    PlaceCase{"KasselIn25M", k25M, 535000, 5684000, true, false},
                    // Northing 30,000 km became the South Pole, 20,000 km a place in the Pacific.
                    PlaceCase{"Northing30000km", k32U, 500000, 30'000'000, false, false},
                    PlaceCase{"Northing20000km", k32U, 500000, 20'000'000, false, false},
                    PlaceCase{"NegativeNorthing", k32U, 500000, -1, false, false},
                    PlaceCase{"EastingBeyondReach", k32U, 1'000'001, 5'600'000, false, false},
                    PlaceCase{"NegativeEasting", k32U, -1, 5'600'000, false, false},
                    PlaceCase{"FixFarAway", k32U, 5.67e8, 5'600'000, false, false},
                    PlaceCase{"Infinite", k32U, kInf, 5'600'000, false, false},
                    PlaceCase{"NotANumber", k32U, 500000, std::numeric_limits<double>::quiet_NaN(), false,
                              false},
                    // At the edge of the ranges: still places, far outside U.
                    PlaceCase{"EquatorOnTheMeridian", k32U, 500000, 0, true, false},
                    PlaceCase{"EquatorOfTheSouthernGrid", k25M, 500000, 10'000'000, true, true}),
    testing_support::ParamName());

struct BandCase {
    const char* name;
    UtmZone zone;
    double lat;
    bool within;
};

class ZoneBands : public testing::TestWithParam<BandCase> {};

TEST_P(ZoneBands, OneBandsHeightEachWay) {
    EXPECT_EQ(WithinZoneBand(GetParam().zone, GetParam().lat), GetParam().within);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ZoneBands,
    testing::Values(BandCase{"USouthEdge", k32U, 40.0, true}, BandCase{"UBeyondSouth", k32U, 39.99, false},
                    BandCase{"UNorthEdge", k32U, 64.0, true}, BandCase{"UBeyondNorth", k32U, 64.01, false},
                    BandCase{"MAcrossTheEquator", k25M, 8.0, true},
                    BandCase{"MBeyondNorth", k25M, 8.01, false}, BandCase{"MSouthEdge", k25M, -16.0, true},
                    BandCase{"XIsTwelveHigh", UtmZone{33, 'X'}, 60.0, true},
                    BandCase{"XBeyondSouth", UtmZone{33, 'X'}, 59.99, false},
                    BandCase{"CSouthEdge", UtmZone{1, 'C'}, -88.0, true},
                    BandCase{"NaN", k32U, std::numeric_limits<double>::quiet_NaN(), false}),
    testing_support::ParamName());

TEST(LatitudeText, OneDecimalAndHemisphere) {
    EXPECT_EQ(LatitudeText(81.8821), "81.9 N");
    EXPECT_EQ(LatitudeText(-7.84), "7.8 S");
}

TEST(BandProblem, NamesThePositionItsLatitudeAndTheBand) {
    EXPECT_EQ(BandProblem(k32U, "P1", 295000, 9115000),
              "P1 lands at 81.9 N, far outside band U (48 N to 56 N)");
    EXPECT_EQ(BandProblem(k25M, "F2", 535000, 5684000), "F2 lands at 39.0 S, far outside band M (8 S to 0)");
    EXPECT_EQ(BandProblem(k32U, "F1", 535000, 5684000), "");
    EXPECT_EQ(BandProblem(k32U, "F1", 500000, 30'000'000), "") << "no place at all: the range check says so";
    EXPECT_EQ(NotInZoneMessage(k32U, {"P1 lands at 81.9 N"}),
              "The hunt does not lie in zone 32U: P1 lands at 81.9 N");
    EXPECT_EQ(NotInZoneMessage(k32U, {"P1 lands at 81.9 N", "P2", "F1"}),
              "The hunt does not lie in zone 32U: P1 lands at 81.9 N; so do 2 more positions");
}

}  // namespace
}  // namespace vantrel::geodesy
