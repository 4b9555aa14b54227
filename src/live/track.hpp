#pragma once

// The hunter's track from a stream of GPS fixes, with two clocks kept apart: a fix's own GPS time (the hunt's
// clock, written into the log) and the caller's arrival clock (milliseconds on any clock the caller reads,
// used only to judge freshness). The logic reads no clock.
//
// Rules:
// - Fresh: the latest fix arrived at most kFreshMs (3 s) ago; otherwise there is no position. A fix whose GPS
//   time is not after the previous one is dropped (a repeat, or a receiver that jumped back) and counted.
// - Fix age text: "no GPS" before any fix; "GPS N s" while fresh (N whole seconds since it arrived, 0..3);
//   "GPS N s old" once older than 3 s. The threshold between the two forms is the freshness limit itself, so
//   the text says "old" exactly when bearings stop being logged.
// - Hunt time of an arrival instant: the latest fix's GPS time plus the arrival time elapsed since it came;
//   nullopt without a fresh fix.
// - Position at a GPS time t: linear between the two fixes around t when one of them is within 3 s of t;
//   after the latest fix, dead reckoning along its course at its speed (its position when either is
//   unknown) for at most 3 s, and the same backwards before the first fix kept; never further. Fixes older
//   than kKeepMs behind the latest are forgotten, so memory is bounded.
// - Position events for the log: the first fix, then a fix at least 1 s after the last logged one that has
//   moved at least 5 m from it or comes 30 s or more after it.
//
// One Track belongs to one thread.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "hunt_log/events.hpp"
#include "instruments/gps_sample.hpp"

namespace vantrel::live {

using hunt_log::TimeMs;

inline constexpr TimeMs kFreshMs = 3000;
inline constexpr TimeMs kKeepMs = 60000;
inline constexpr TimeMs kLeastPositionGapMs = 1000;
inline constexpr TimeMs kPositionRefreshMs = 30000;
inline constexpr double kLeastPositionMoveM = 5;

struct LatLon {
    double lat = 0;
    double lon = 0;
};

// Metres between two nearby points (equirectangular: well within a centimetre over a few kilometres).
double DistanceM(LatLon a, LatLon b);

class Track {
  public:
    // Takes a fix that arrived at `arrivalMs`; returns the position event to log, if this fix makes one.
    std::optional<hunt_log::PositionEvent> Add(const instruments::GpsSample& fix, TimeMs arrivalMs);

    // The latest fix when it is fresh at `nowMs` (arrival clock).
    [[nodiscard]] std::optional<instruments::GpsSample> Fresh(TimeMs nowMs) const;
    [[nodiscard]] std::string FixAgeText(TimeMs nowMs) const;
    [[nodiscard]] std::optional<TimeMs> HuntTime(TimeMs arrivalMs) const;
    [[nodiscard]] std::optional<LatLon> PositionAt(TimeMs gpsTimeMs) const;

    [[nodiscard]] std::size_t droppedFixes() const { return dropped_; }
    [[nodiscard]] std::size_t keptFixes() const { return fixes_.size(); }

  private:
    struct Fix {
        instruments::GpsSample sample;
        TimeMs arrivalMs = 0;
    };
    std::deque<Fix> fixes_;
    std::optional<hunt_log::PositionEvent> lastLogged_;
    std::size_t dropped_ = 0;
};

}  // namespace vantrel::live
