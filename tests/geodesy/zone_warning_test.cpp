// The zone warnings of Calculate and the writers: which box texts warn, and what they say.
#include "geodesy/zone_warning.hpp"

#include <gtest/gtest.h>

#include <string>

#include "test_names.hpp"

namespace vantrel::geodesy {
namespace {

const std::string kGrid =
    "; the overlay files and the database use zone 32, the map application's grid: positions there will be "
    "wrong.";
const std::string kPlanes = ": the two UTM planes do not meet, so the fixes are wrong.";

struct ZoneCase {
    const char* name;
    ZoneCheck check;
    const char* box1;
    const char* box2;
    std::string warning;
};

class ZoneWarnings : public testing::TestWithParam<ZoneCase> {};

TEST_P(ZoneWarnings, SayWhatIsOffTheGrid) {
    EXPECT_EQ(ZoneWarning(GetParam().check, GetParam().box1, GetParam().box2), GetParam().warning);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoneWarnings,
    testing::Values(
        ZoneCase{"BothOnTheGrid", ZoneCheck::Overlays, "32U", "32U", ""},
        ZoneCase{"BandsDifferInZone32", ZoneCheck::Calculate, "32T", "32U", ""},
        ZoneCase{"TypedTextIsNoZone", ZoneCheck::Database, "ten", "10", ""},
        ZoneCase{"BothInOneOtherZone", ZoneCheck::Overlays, "10T", "10T",
                 "The stations are in zone 10T" + kGrid},
        ZoneCase{"OneStationOff", ZoneCheck::Database, "32U", "33U", "Scedule 2 is in zone 33U" + kGrid},
        ZoneCase{"OtherBoxEmpty", ZoneCheck::Overlays, "33U", "", "Scedule 1 is in zone 33U" + kGrid},
        // Zone 32 south of the equator is another grid: UtmToLatLon knows the northern one only.
        ZoneCase{"Zone32South", ZoneCheck::Database, "32M", "32U", "Scedule 1 is in zone 32M" + kGrid},
        // The writers do not compare the stations; Calculate does.
        ZoneCase{"CalculateTwoPlanes", ZoneCheck::Calculate, "32U", "33U",
                 "The stations are in different zones, 32U and 33U" + kPlanes + " Scedule 2 is in zone 33U" +
                     kGrid},
        ZoneCase{"CalculateSameZoneOffGrid", ZoneCheck::Calculate, "10T", "10S",
                 "The stations are in zones 10T and 10S" + kGrid},
        ZoneCase{"CalculateHemispheresDiffer", ZoneCheck::Calculate, "32N", "32M",
                 "The stations are in different zones, 32N and 32M" + kPlanes + " Scedule 2 is in zone 32M" +
                     kGrid},
        // The preview overlay converts station 1's position only.
        ZoneCase{"PreviewLooksAtStationOne", ZoneCheck::PreviewOverlay, "32U", "33U", ""},
        ZoneCase{"PreviewStationOneOff", ZoneCheck::PreviewOverlay, "33U", "32U",
                 "Scedule 1 is in zone 33U" + kGrid}),
    testing_support::ParamName());

}  // namespace
}  // namespace vantrel::geodesy
