#pragma once

// The bearings of the main window's station boxes as bearing-log entries ("Log Bearings"): for station 1
// and station 2, every fox whose bearing box holds one, with the station's position from its boxes and the
// time given. A bearing is the box's value plus the base angle, a grid bearing of the hunt's zone (what
// Calculate intersects). A bearing whose box holds the average of at least three valid readings from the
// receiver keeps their count and spread (quality::StationBearingSigma) and is logged as "receiver";
// anything else as "typed" without a sigma.
//
// A box "holds a bearing" when it reads as a number and the fox's bearing and signal boxes are not both
// the untouched "0" of a new hunt. A station whose position boxes are not numbers, are both 0, or do not
// lie on the earth in the zone is left out with a note.
//
// Plain functions of their arguments: any thread may call them.

#include <string>
#include <vector>

#include "core/measurement_state.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_log/log_writer.hpp"
#include "instruments/rx_readings.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::fox_fix {

struct StationBearings {
    std::vector<hunt_log::NewBearing> bearings;  // station 1's in fox order, then station 2's
    std::vector<std::string> notes;              // "Station 2 left out: its position is not a number"
};

StationBearings BearingsOfStationBoxes(const core::MeasurementState& state,
                                       const instruments::RxReadings& readings,
                                       const quality::QualitySettings& settings, geodesy::UtmZone zone,
                                       hunt_log::TimeMs time, char decimalSeparator);

}  // namespace vantrel::fox_fix
