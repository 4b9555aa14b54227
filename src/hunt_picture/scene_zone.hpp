#pragma once

// The stations and fixes of a scene that do not belong to the hunt's zone (geodesy::BandProblem: converted
// in that zone they land far outside its latitude band) are left out of the picture rather than drawn at
// a wrong place; the window and vantrel-cli map say which, and how to change the zone.

#include <string>
#include <vector>

#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_scene.hpp"

namespace vantrel::hunt_picture {

// Removes those stations (with their rays) and fixes from the scene; returns one line each: "P1 lands at
// 81.9 N, far outside band U (48 N to 56 N)".
std::vector<std::string> LeaveOutOutsideZone(HuntScene& scene, geodesy::UtmZone zone);

}  // namespace vantrel::hunt_picture
