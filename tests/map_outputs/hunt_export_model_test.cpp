// The export's model: places from the reference hunt (degrees chosen by hand, converted with GeographicLib),
// the hunt's station names, styles in the hunt picture's fox colours, flags as a list, and a hunt read in
// a zone it does not lie in.
#include "map_outputs/hunt_export_model.hpp"

#include <gtest/gtest.h>

#include "reference_hunt.hpp"

namespace vantrel::map_outputs {
namespace {

HuntExportRequest Request(geodesy::UtmZone zone) {
    HuntExportRequest request;
    request.zone = zone;
    request.title = "hunt.fh2";
    request.stationNames = {"Hill", "Car park"};
    return request;
}

TEST(HuntExportModel, PlacesNamesAndStylesOfTheHunt) {
    const HuntExportModel model = BuildHuntExportModel(testing_support::ReferenceHunt(), Request({32, 'U'}));
    ASSERT_EQ(model.stations.size(), 2u);
    EXPECT_EQ(model.stations[0].name, "Hill");
    // 50 01'35.123" N  8 37'16.250" E
    EXPECT_NEAR(model.stations[0].at.lat, 50 + 1 / 60.0 + 35.123 / 3600, 1e-8);
    EXPECT_NEAR(model.stations[0].at.lon, 8 + 37 / 60.0 + 16.25 / 3600, 1e-8);
    ASSERT_EQ(model.fixes.size(), 5u);
    EXPECT_EQ(model.rays.size(), 10u);
    EXPECT_EQ(model.rays[3].name, "Car park - F2");
    EXPECT_EQ(model.rays[3].fox, 1);
    // No quality given: each fix goes out without it, and says so.
    EXPECT_EQ(model.warnings.size(), 5u);
    EXPECT_TRUE(model.ellipses.empty());
    // The stations' style and one per fox, in the colours the hunt picture draws: F1 blue, F4 reddish purple.
    ASSERT_EQ(model.styles.size(), 6u);
    EXPECT_EQ(model.styles[0].id, "station");
    EXPECT_EQ(model.styles[1].id, "fox1");
    EXPECT_EQ(model.styles[1].colour, (maps::StyleRgb{0x00, 0x72, 0xB2}));
    EXPECT_EQ(model.styles[4].colour, (maps::StyleRgb{0xCC, 0x79, 0xA7}));
}

TEST(HuntExportModel, FlagsStayAList) {
    core::MeasurementState state = testing_support::ReferenceHunt();
    HuntExportRequest request = Request({32, 'U'});
    quality::FixQuality q;
    q.northing = state.FoxNorth[0];
    q.easting = state.FoxEast[0];
    q.behind1 = q.acute = q.unreliable = true;
    request.quality[0] = q;
    const HuntExportModel model = BuildHuntExportModel(state, request);
    EXPECT_EQ(model.fixes[0].flags, (std::vector<std::string>{"behind1", "acute", "unreliable"}));
    EXPECT_EQ(q.FlagsText(), "behind1,acute,unreliable");
    EXPECT_EQ(model.fixes[0].numbers.size(),
              5u);  // northing, easting, crossing, t1, t2: no sigma, no ellipse
    EXPECT_EQ(model.warnings.size(), 4u);
}

TEST(HuntExportModel, AHuntInAnotherZoneIsLeftOutAndListed) {
    // Read in 25M the hunt lands near 40 S, far outside band M (8 S to 0).
    const HuntExportModel model = BuildHuntExportModel(testing_support::ReferenceHunt(), Request({25, 'M'}));
    EXPECT_TRUE(model.Empty());
    ASSERT_EQ(model.outsideZone.size(), 7u);
    EXPECT_EQ(model.outsideZone[0].rfind("Hill lands at ", 0), 0u) << model.outsideZone[0];
    EXPECT_TRUE(model.styles.empty());
}

}  // namespace
}  // namespace vantrel::map_outputs
