// The seven map objects of Update Database: names, symbols and position texts.
#include "map_outputs/update_database.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "map_outputs/reference_hunt.hpp"

namespace vantrel::map_outputs {
namespace {

using testing_support::kReferenceRecords;
using testing_support::ReferenceHunt;

TEST(MapObjects, StationsThenFoxesWithTheirSymbolsAndDegreeTexts) {
    const auto objects = MapObjects(ReferenceHunt());
    ASSERT_TRUE(objects.ok()) << objects.message();
    for (std::size_t i = 0; i < objects->size(); ++i) {
        const MapObject& object = (*objects)[i];
        SCOPED_TRACE(kReferenceRecords[i][0]);
        EXPECT_EQ(object.objname, kReferenceRecords[i][0]);
        EXPECT_EQ(object.grad_lat, kReferenceRecords[i][1]);
        EXPECT_EQ(object.grad_long, kReferenceRecords[i][2]);
        EXPECT_EQ(std::to_string(object.graphic_id), kReferenceRecords[i][3]);
    }
}

TEST(MapObjects, UsesTheNumberFieldsNotTheBoxesOrZones) {
    core::MeasurementState state = ReferenceHunt();
    state.Sced1Lat = "5000000";
    state.Sced1Lon = "400000";
    state.txtZone = {"33U", "31U"};
    state.ResLat[0] = "no Match";
    const auto objects = MapObjects(state);
    ASSERT_TRUE(objects.ok());
    EXPECT_EQ((*objects)[0].grad_lat, "500135.123");
    EXPECT_EQ((*objects)[2].grad_long, "0090000.000");
}

TEST(MapObjects, APositionThatIsNotANumberIsRefusedByName) {
    core::MeasurementState station = ReferenceHunt();
    station.ScedNorth[1] = std::numeric_limits<double>::quiet_NaN();
    const auto stationResult = MapObjects(station);
    ASSERT_FALSE(stationResult.ok());
    EXPECT_EQ(stationResult.message().rfind("FP2 has no valid position", 0), 0u) << stationResult.message();

    core::MeasurementState fox = ReferenceHunt();
    fox.FoxEast[2] = -std::numeric_limits<double>::infinity();
    const auto foxResult = MapObjects(fox);
    ASSERT_FALSE(foxResult.ok());
    EXPECT_EQ(foxResult.message().rfind("F3 has no valid position", 0), 0u) << foxResult.message();
}

}  // namespace
}  // namespace vantrel::map_outputs
