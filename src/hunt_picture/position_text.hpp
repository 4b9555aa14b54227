#pragma once

// The cursor position as the Hunt Map's status bar shows it: UTM of the hunt's zone and latitude/longitude
// in decimal degrees and in degrees, minutes and seconds.

#include <string>

#include "geodesy/utm_zone.hpp"
#include "maps/view_geometry.hpp"

namespace vantrel::hunt_picture {

// 7.96283 south as "7\u00B057'46.2\"S": whole degrees, minutes, seconds to a tenth, hemisphere letter.
std::string DmsText(double degrees, char positive, char negative, char decimalSeparator);

// "25M E 297952 N 9119455 | -7.96200, -34.83300 | 7°57'43.2"S 34°49'58.8"W".
std::string PositionText(geodesy::UtmZone zone, core::PlanePoint hunt, char decimalSeparator);

}  // namespace vantrel::hunt_picture
