#pragma once

// One bearing per interval from a streaming receiver (many lines a second): the interval opens at the first
// reading's arrival and lasts the receiver's streaming interval ([Ports] GON-Interval); a reading arriving
// after its end first closes it, and a caller's Close(now) closes it when its time is up and no reading came.
//
// The interval's bearing: the circular mean of its readings (instruments::BearingMean). Its time: the mean
// arrival time of its readings. Its sigma, degrees: the spread of the readings (Mardia & Jupp 2.3, as the
// fix quality works it out: rho2 = (n R^2 - 1) / (n - 1), spread = sqrt(-ln rho2)), at least the quality
// floor ([Quality] BearingSigmaFloor, one value for every bearing from readings) and at most 90. The spread
// is not divided by sqrt(n): a Doppler unit's readings a few tens of milliseconds apart are not independent,
// so the interval's mean is about as uncertain as one reading. A lone reading has no spread: it gets the
// sigma of a bearing without enough readings ([Quality] BearingSigma), again at least the floor. Readings
// spread all round (rho2 <= 0, or a mean that points nowhere) give no bearing: the interval is "scattered".
//
// One IntervalBearings belongs to one thread; times on the caller's arrival clock.

#include <cstdint>
#include <optional>

#include "hunt_log/events.hpp"
#include "instruments/bearing_mean.hpp"

namespace vantrel::live {

struct IntervalResult {
    hunt_log::TimeMs arrivalMs = 0;  // the mean arrival time of the readings
    std::optional<double> bearing;   // degrees [0, 360); nullopt: scattered
    double sigma = 0;                // degrees, when there is a bearing
    std::uint32_t readings = 0;
};

struct IntervalRules {
    hunt_log::TimeMs intervalMs = 1000;
    double sigmaFloor = 3;          // degrees
    double sigmaWithoutSpread = 5;  // degrees
};

class IntervalBearings {
  public:
    explicit IntervalBearings(IntervalRules rules) : rules_(rules) {}

    // Adds a reading (degrees 0..360); returns the previous interval when this reading closed it.
    std::optional<IntervalResult> Add(double bearing, hunt_log::TimeMs arrivalMs);
    // Closes the open interval when its end is at or before `nowMs`.
    std::optional<IntervalResult> Close(hunt_log::TimeMs nowMs);
    // Closes the open interval whatever its end (the fox changes, the session ends).
    std::optional<IntervalResult> Flush();

  private:
    IntervalRules rules_;
    instruments::BearingMean mean_;
    double sumSin_ = 0;
    double sumCos_ = 0;
    hunt_log::TimeMs start_ = 0;
    hunt_log::TimeMs arrivalSum_ = 0;  // relative to start_
};

}  // namespace vantrel::live
