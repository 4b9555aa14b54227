#include "core/measurement_state.hpp"

#include <gtest/gtest.h>

#include <set>

namespace vantrel::core {
namespace {

TEST(MeasurementState, StartsWithTheWindowsStartTexts) {
    const MeasurementState s;
    for (const BoxId& id : StationBoxesInListingOrder()) {
        EXPECT_EQ(Box(s, id), "0") << BoxName(id);
    }
    for (int fox = 0; fox < kFoxCount; ++fox) {
        EXPECT_EQ(s.ResLat[static_cast<std::size_t>(fox)], "");
        EXPECT_EQ(s.ResLon[static_cast<std::size_t>(fox)], "");
    }
    EXPECT_EQ(s.txtZone[0], "");
    EXPECT_EQ(s.txtTest, "");
    EXPECT_FALSE(s.ResultsValid);
}

TEST(MeasurementState, ListsTwentySixDistinctBoxesWithTheirNames) {
    const auto ids = StationBoxesInListingOrder();
    ASSERT_EQ(ids.size(), 26u);
    std::set<std::string> names;
    MeasurementState s;
    for (const BoxId& id : ids) {
        names.insert(BoxName(id));
        Box(s, id) = BoxName(id);
    }
    EXPECT_EQ(names.size(), 26u);
    EXPECT_EQ(s.Sced1Lat, "Sced1Lat");
    EXPECT_EQ(s.Sced2Lon, "Sced2Lon");
    EXPECT_EQ(s.Sced2Ang, "Sced2Ang");
    EXPECT_EQ(s.S1Ang[2], "S1Ang(2)");
    EXPECT_EQ(s.S2Sig[4], "S2Sig(4)");
    EXPECT_EQ(BoxName(ids.front()), "Sced1Lat");
    EXPECT_EQ(BoxName(ids[13]), "Sced2Lat");
}

TEST(MeasurementState, ReadBoxNamesTheBoxInTheUsersWords) {
    MeasurementState s;
    s.S2Sig[0] = "-12,5";
    s.Sced1Lon = "12 m";
    EXPECT_EQ(*ReadBox(s, {2, BoxKind::Signal, 0}, ','), -12.5);
    EXPECT_EQ(ReadBox(s, {1, BoxKind::Easting, 0}, ',').message(),
              "Scedule 1, easting (E) is not a number: \"12 m\"");
    EXPECT_EQ(BoxCaption({2, BoxKind::Bearing, 4}), "Scedule 2, F5 bearing");
    EXPECT_EQ(BoxCaption({1, BoxKind::Northing, 0}), "Scedule 1, northing (N)");
}

}  // namespace
}  // namespace vantrel::core
