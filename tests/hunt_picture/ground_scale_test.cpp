// Ground metres per pixel: the grid distance divided by the zone's exact point scale.
#include <gtest/gtest.h>

#include "hunt_picture/hunt_picture.hpp"
#include "hunt_picture/view_projection.hpp"

namespace vantrel::hunt_picture {
namespace {

// GeographicLib (GeoConvert -c -z 32n, GeoConvert -u -z 32n) at 50 N 12 E: easting 714984.236735, northing
// 5542944.018649, point scale 1.000167682051232. The measured span (100 pixels right of the centre) has its
// middle there. A sphere of radius 6371 km with 0.9996 (1 + x^2 / 2R^2) would give 1.00016956, 1.9e-6 off.
TEST(GroundMetresPerPixel, GridDistanceOverTheExactPointScale) {
    maps::View view;
    view.centre = {714984.236735 - 500, 5542944.018649};
    view.unitsPerPixel = 10;
    view.width = 400;
    view.height = 300;
    const IdentityProjection identity;
    const double expected = 1000 / 1.000167682051232 / 100;
    EXPECT_NEAR(GroundMetresPerPixel(view, identity, geodesy::UtmZone{32, 'U'}), expected, 1e-12 * expected);
    // On the central meridian the scale is 0.9996 exactly.
    view.centre = {500000 - 500, 5542944.018649};
    EXPECT_NEAR(GroundMetresPerPixel(view, identity, geodesy::UtmZone{32, 'U'}), 10 / 0.9996, 1e-12);
}

}  // namespace
}  // namespace vantrel::hunt_picture
