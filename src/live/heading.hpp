#pragma once

// The car's heading, to turn a bearing relative to its forward direction into a true one.
//
// Rules, in this order:
// 1. A compass heading (HDT, or HDG with its variation) that arrived at most kFreshMs (3 s) ago.
// 2. Else the course over ground of the latest fix, when that fix is fresh and the car has been steady for
//    at least 3 s of GPS time: every fix of the run had a speed >= minSpeed (default 2 m/s) and a known
//    course, and between each two of them (at most 3 s apart) the course turned by at most 4 degrees a
//    second. A fix that breaks a rule starts the run again (at the next good fix). Slow or turning, the
//    course says little about where the car points (standing, it is noise; in a bend, it lags).
// 3. Else none: "no heading".
//
// One HeadingTracker belongs to one thread. Times: GPS time for the run, the arrival clock for freshness.

#include <optional>
#include <string>

#include "hunt_log/events.hpp"
#include "instruments/gps_sample.hpp"

namespace vantrel::live {

struct HeadingRules {
    double minSpeed = 2;               // m/s
    hunt_log::TimeMs steadyMs = 3000;  // how long the run must have lasted
    double maxTurnRate = 4;            // degrees per second
    hunt_log::TimeMs freshMs = 3000;   // of the compass and the fix
};

enum class HeadingFrom { Compass, Course, None };

struct HeadingNow {
    std::optional<double> heading;  // degrees true, [0, 360)
    HeadingFrom from = HeadingFrom::None;
};

// The smallest angle from a to b, degrees in [0, 180].
double AngleBetween(double a, double b);

class HeadingTracker {
  public:
    explicit HeadingTracker(HeadingRules rules = {}) : rules_(rules) {}

    void AddCompass(double heading, hunt_log::TimeMs arrivalMs);
    void AddFix(const instruments::GpsSample& fix, hunt_log::TimeMs arrivalMs);

    [[nodiscard]] HeadingNow At(hunt_log::TimeMs arrivalMs) const;
    // "heading 84 (compass)", "heading 84 (course)", "no heading".
    [[nodiscard]] std::string Text(hunt_log::TimeMs arrivalMs) const;

  private:
    HeadingRules rules_;
    std::optional<double> compass_;
    hunt_log::TimeMs compassArrival_ = 0;
    std::optional<instruments::GpsSample> lastFix_;
    hunt_log::TimeMs lastFixArrival_ = 0;
    std::optional<hunt_log::TimeMs> steadySince_;  // GPS time of the run's first fix
};

}  // namespace vantrel::live
