#pragma once

// What a log says at a moment: the fold of its events up to a time. Each fox gets its bearings in log order
// with the edits applied (ignored or not, the latest note), positions in the log's zone (or in the zone
// asked for, converted with exact transverse Mercator), ready for the many-bearing estimator; the hunter's
// last track point comes along. Replay asks for the state at each moment; the live window for the state at
// the end (no time given).
//
// Plain functions of their arguments: any thread may call them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/utm_zone.hpp"
#include "hunt_log/events.hpp"

namespace vantrel::hunt_log {

// One bearing as the estimator and the tables take it.
struct FoxBearing {
    std::uint64_t id = 0;
    TimeMs time = 0;
    double easting = 0;  // metres, in HuntState::zone
    double northing = 0;
    double lat = 0;  // degrees, WGS84
    double lon = 0;
    double bearing = 0;  // degrees clockwise from `reference` north
    Reference reference = Reference::Grid;
    double sigma = kUnknown;  // degrees; NaN when unknown
    bool ignored = false;
    std::string note;
    std::string station;
    std::string source;
    std::uint32_t readings = 1;
};

struct HuntState {
    geodesy::UtmZone zone;
    std::array<std::vector<FoxBearing>, kFoxCount> foxes;  // [0] is fox 1
    std::optional<PositionEvent> lastPosition;
    std::vector<PositionEvent> track;        // the position events up to the time asked, in log order
    std::size_t editsOfUnknownBearings = 0;  // edits naming an id no bearing before them has

    [[nodiscard]] const std::vector<FoxBearing>& Fox(int fox) const {
        return foxes.at(static_cast<std::size_t>(fox - 1));
    }
};

// The events with a time at or before `until` (all when not given), in log order. Positions are given in
// `zone` when one is given, else in the log's own zone.
HuntState StateAt(const Log& log, std::optional<TimeMs> until = std::nullopt,
                  std::optional<geodesy::UtmZone> zone = std::nullopt);

// The warning when a log's zone differs from the hunt's (its positions are then converted): "The bearing
// log "X" is in zone 33U, the hunt in 32U: its positions were converted into 32U." Empty when they agree.
std::string ZoneMismatchWarning(const std::string& logName, geodesy::UtmZone logZone,
                                geodesy::UtmZone huntZone);

}  // namespace vantrel::hunt_log
