#pragma once

// The cross-bearing fix: two straight lines from the stations along their absolute bearings, intersected
// in the UTM plane (x = easting, y = northing, metres; no projection or scale correction).

#include <optional>

#include "core/measurement_state.hpp"
#include "core/plane.hpp"

namespace vantrel::core {

// The value of pi the program uses throughout (15 significant digits, not the full double).
inline constexpr double kPi15 = 3.14159265358979;

// Adds the base angle and reduces by 360 once when the sum is 360 or more. A negative sum stays negative
// and a sum of 720 or more stays at 360 or more.
double AbsoluteBearing(double bearing, double baseAngle);

// True when `degrees` lies within 1e-9 of a multiple of 180 (0, 180, 360, -180, ...).
bool IsNorthSouth(double degrees);

// Intersects the line through station1 with absolute bearing a1 (degrees clockwise from grid north) and the
// line through station2 with bearing a2. The lines are unbounded both ways, so a fix behind a station is
// accepted. No fix (std::nullopt) when both lines run north-south, when they are parallel (a1 - a2 within
// 1e-9 of a multiple of 180), or when the intersection is not finite.
std::optional<PlanePoint> CrossFix(double a1, double a2, PlanePoint station1, PlanePoint station2);

// Calculate: for each fox, the absolute bearings at both stations, CrossFix, and the result boxes
// ("0000000.0" with the given separator, or "no Match" in both). Every box is read before anything changes;
// the first that is not a number (per fox: S1Ang(i), Sced1Ang, S2Ang(i), Sced2Ang, then Sced1Lat, Sced1Lon,
// Sced2Lat, Sced2Lon) stops it with a message naming the box, and the state stays as it was.
// On success ScedNorth/ScedEast are refreshed from the boxes, FoxNorth/FoxEast are written for foxes with a
// fix only, and ResultsValid becomes true.
Outcome Calculate(MeasurementState& state, char decimalSeparator);

}  // namespace vantrel::core
