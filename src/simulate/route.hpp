#pragma once

// A car's route in the plane of a zone: straight legs between waypoints, each driven at its speed (ground
// metres a second; a leg's grid length is its ground length times the zone's point scale at its middle).
// Legs of no length are left out.
//
// Plain data: copied freely between threads.

#include <vector>

#include "geodesy/utm_zone.hpp"
#include "simulate/scenario.hpp"

namespace vantrel::simulate {

class Route {
  public:
    Route(geodesy::UtmZone zone, const std::vector<Waypoint>& waypoints, double defaultSpeed);

    // Where the car is `seconds` after the start: on the first waypoint before it, on the last (still
    // facing along the last leg, at its speed) from the route's end on.
    struct Where {
        double x = 0, y = 0;   // metres in the zone's plane
        double direction = 0;  // of travel, degrees clockwise from grid north, [0, 360)
        double speed = 0;      // m/s over ground
    };
    [[nodiscard]] Where At(double seconds) const;
    [[nodiscard]] double Seconds() const { return legs_.empty() ? 0 : legs_.back().end; }

  private:
    struct Leg {
        double x0 = 0, y0 = 0, dx = 0, dy = 0;  // start and grid extent
        double begin = 0, end = 0;              // seconds after the start
        double direction = 0;
        double speed = 0;
    };
    std::vector<Leg> legs_;
    double x0_ = 0, y0_ = 0;  // the first waypoint (the whole route when no leg has a length)
};

}  // namespace vantrel::simulate
