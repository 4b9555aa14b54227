#pragma once

// The hunt at one moment, as the live map and replay show it: the logged rays from where they were taken,
// each fox's colour, fading with their age at that moment; the hunter's track up to it and the car with
// its course; each fox's many-bearing fix and ellipse from the bearings up to it (edits counting from the
// time they were made: the caller folds the log up to the moment with hunt_log::StateAt); and, in the
// training view once asked for, the true foxes with the distance of each fix from its fox. Positions in
// the hunt's zone (x = easting, y = northing, metres). Plain data; the drawing lives beside the others.
//
// Plain functions of their arguments: any thread may call them.

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "fox_fix/fox_fix.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_picture/bearing_log_layer.hpp"

namespace vantrel::hunt_picture {

inline constexpr hunt_log::TimeMs kDefaultMostRayAgeMs = 10 * 60 * 1000;
inline constexpr double kNewRayOpacity = 0.8;
inline constexpr double kOldestRayOpacity = 0.1;

// The opacity of a ray `age` milliseconds old: 0.8 when new, falling linearly to 0.1 at `mostAge`, and 0
// (hidden: it stays in the log) beyond. A ray dated after the moment shown (a clock set ahead) counts as
// new. A `mostAge` of 0 or less fades nothing: every ray 0.8.
double RayOpacity(hunt_log::TimeMs age, hunt_log::TimeMs mostAge);

struct TimedRay {
    int fox = 0;  // 0..4
    core::PlanePoint station;
    double bearing = 0;  // grid, degrees clockwise from grid north
    double opacity = kNewRayOpacity;
    bool rejected = false;  // by the robust fix
    bool ignored = false;
};

struct CarMark {
    core::PlanePoint position;
    double course = std::nan("");  // grid degrees; NaN when unknown (no arrow)
};

struct TruthMark {
    int fox = 0;  // 0..4
    core::PlanePoint position;
    std::optional<double> fixDistance;  // metres from the fox's fix at the moment; none without a fix
};

struct HuntAtTime {
    hunt_log::TimeMs time = 0;
    std::vector<TimedRay> rays;  // shown ones only (opacity > 0), in log order
    std::vector<core::PlanePoint> track;
    std::optional<CarMark> car;
    std::vector<LogFix> fixes;
    std::vector<TruthMark> truth;  // empty unless the true foxes are to be shown

    [[nodiscard]] bool Empty() const {
        return rays.empty() && track.empty() && fixes.empty() && truth.empty();
    }
};

// The picture of `state` (the log folded up to `time`) and its foxes' fixes (fixes[0] is fox 1).
HuntAtTime BuildHuntAtTime(const hunt_log::HuntState& state,
                           const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& fixes,
                           hunt_log::TimeMs time, hunt_log::TimeMs mostRayAge);

// A true fox (latitude/longitude, WGS84) in the layer, with the distance of its fix, for the training
// view once the user asked to see it.
void AddTruth(HuntAtTime& layer, int fox, double lat, double lon, geodesy::UtmZone zone);

// The span a replay runs over: from the first to the last bearing or track point of `log` and `track` (a
// GPX track shown with it). Edits are left out: an edit made long after the hunt does not stretch it.
struct HuntSpan {
    hunt_log::TimeMs first = 0;
    hunt_log::TimeMs last = 0;
};
std::optional<HuntSpan> SpanOf(const hunt_log::Log& log, const std::vector<hunt_log::PositionEvent>& track);

// The time of the first bearing after `time`, of the last one before it; nothing when there is none.
std::optional<hunt_log::TimeMs> NextBearingTime(const hunt_log::Log& log, hunt_log::TimeMs time);
std::optional<hunt_log::TimeMs> PreviousBearingTime(const hunt_log::Log& log, hunt_log::TimeMs time);

// The fold of a replay at `time`: the log up to it, and at the span's end the whole log (edits made after
// the hunt included, so the end shows the log as it stands). Positions of `track` up to `time` join the
// fold's track in time order.
hunt_log::HuntState ReplayStateAt(const hunt_log::Log& log, const std::vector<hunt_log::PositionEvent>& track,
                                  hunt_log::TimeMs time, geodesy::UtmZone zone);

// What the status line of the live map says about the hunt at `time`.
struct LiveFigures {
    std::size_t bearingsLastMinute = 0;              // bearings dated in (time - 60 s, time]
    std::optional<hunt_log::TimeMs> lastBearingAge;  // of the newest bearing at or before `time`
    std::optional<hunt_log::TimeMs> positionAge;     // of the newest track point at or before `time`
};
LiveFigures FiguresAt(const hunt_log::HuntState& state, hunt_log::TimeMs time);

// "3 s", "4 min 05 s", "2 h 03 min".
std::string AgeText(hunt_log::TimeMs age);

// "12 bearings/min, last bearing 3 s, GPS 1 s" ("1 bearing/min" for one); with the wall clock (live), the
// ages to it beside: "last bearing 3 s (7 s ago), GPS 1 s (5 s ago)". "no bearing", "no GPS" when there is
// none.
std::string LiveStatusText(const hunt_log::HuntState& state, hunt_log::TimeMs huntTime,
                           std::optional<hunt_log::TimeMs> wallTime);

}  // namespace vantrel::hunt_picture
