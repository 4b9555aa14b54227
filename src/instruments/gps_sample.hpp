#pragma once

// What a GPS says at one moment while the hunter moves: one fix from an NMEA stream (RMC, with a compass
// sentence beside it when the unit has one) or from a gpsd TPV report. The live hunt's track, heading and
// freshness are worked out from a sequence of these; the sources only read them.
//
// Plain data: copied freely between threads.

#include <cstdint>
#include <limits>

namespace vantrel::instruments {

// A fix of the receiver. `timeMs` is the GPS's own UTC time of the fix (milliseconds since 1970): the
// hunt's clock while tracking. Freshness is judged on the caller's arrival clock, not on this time.
struct GpsSample {
    std::int64_t timeMs = 0;
    double lat = 0;  // degrees, WGS84, north positive
    double lon = 0;  // degrees, east positive
    double course = std::numeric_limits<double>::quiet_NaN();  // over ground, degrees true; NaN unknown
    double speed = std::numeric_limits<double>::quiet_NaN();   // over ground, m/s; NaN unknown
};

// A compass heading (HDT, or HDG made true with its variation).
struct HeadingSample {
    std::int64_t timeMs = 0;  // the time of the GPS fix it came with; 0 when none is known yet
    double heading = 0;       // degrees true, [0, 360)
};

}  // namespace vantrel::instruments
