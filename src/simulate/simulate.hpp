#pragma once

// A hunt made up from a scenario: where the foxes are, where the car drives (or where the fixed stations
// stand), every bearing taken, and the bytes the units would have sent meanwhile. Deterministic: the same
// scenario (seed included) gives the same hunt, byte for byte, on every platform.
//
// The plane: the standard UTM zone of the first fox (exact transverse Mercator); the car moves in it along
// straight legs between the waypoints at the leg's speed (ground metres a second: the zone's point scale
// is taken into account). Its course is the direction of travel, as a true bearing (grid direction plus
// the meridian convergence); a compass shows the same heading.
//
// Streams, each in time order, merged by time (at one time: GPS, then receiver, then network):
// - Gps: one RMC sentence a second from the start (and an HDT after it with a compass): the true position
//   plus normal noise of Scenario::gpsNoise metres on each axis; during a drop-out (Scenario::gpsDropoutShare
//   of the seconds at random, and the gaps) an RMC with status V and no position.
// - Receiver: Scenario::receiver.rate lines a second, each one bearing of the fox on the air (by the
//   schedule; without one, receiver.fox) from the car's true position, with von Mises noise of
//   Scenario::sigma (kappa = locate::KappaFromSigma) and, for Scenario::reflectionShare of the bearings, the
//   direction to a reflector instead of the fox. Relative to the heading in vehicle mode, else true. While
//   no fox is on the air the receiver sends nothing.
// A hunt of fixed stations has no streams: each station takes a bearing of each fox on the air every
// `every` seconds, `bearings` times (stations staggered by one second).
//
// Plain functions of their arguments: any thread may call them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/utm_zone.hpp"
#include "hunt_log/events.hpp"
#include "simulate/scenario.hpp"

namespace vantrel::simulate {

enum class Stream { Gps, Receiver, NetworkDf };

// One piece of a unit's output: NMEA sentences with their CR LF (Gps); one receiver line with its line
// end (Receiver); the whole file the network DF server serves from that moment on (NetworkDf).
struct StreamItem {
    hunt_log::TimeMs time = 0;
    Stream stream = Stream::Gps;
    std::string text;
};

// The car at one GPS second.
struct TrackPoint {
    hunt_log::TimeMs time = 0;
    double lat = 0, lon = 0;        // true position, degrees
    double x = 0, y = 0;            // the same in the zone's plane, metres
    double course = 0;              // degrees true, [0, 360)
    double speed = 0;               // m/s
    bool gpsFix = true;             // false in a drop-out: the GPS sent no position this second
    double gpsLat = 0, gpsLon = 0;  // what the GPS sent (with its noise); meaningful with gpsFix
};

enum class BearingSource { Receiver, Network, Station };

// A bearing as it was sent: the ground truth of what a reader of the streams should get.
struct SimulatedBearing {
    hunt_log::TimeMs time = 0;
    int fox = 1;
    BearingSource source = BearingSource::Receiver;
    std::string station;      // the car's name or the fixed station's
    double lat = 0, lon = 0;  // where it was taken (true position), degrees
    double x = 0, y = 0;      // the same in the zone's plane
    double bearing = 0;  // degrees from true north, [0, 360), as sent (heading + relative in vehicle mode)
    double sigma = 0;    // degrees: the noise it was drawn with
    bool reflected = false;          // points at a reflector, not at the fox
    std::optional<double> relative;  // vehicle mode: the bearing relative to the heading, as sent
    std::optional<double>
        heading;  // vehicle mode: the heading it is relative to (as the GPS/compass sent it)
    // The position the GPS gave for the bearing's second (noise included); nullopt in a drop-out.
    std::optional<double> gpsLat, gpsLon;
};

struct SimulatedHunt {
    geodesy::UtmZone zone;
    hunt_log::TimeMs start = 0;
    hunt_log::TimeMs end = 0;  // the last GPS second (the last station bearing for fixed stations)
    std::vector<hunt_log::TruthFox> truth;
    std::vector<TrackPoint> track;           // one a second; empty for fixed stations
    std::vector<SimulatedBearing> bearings;  // in time order
    std::vector<StreamItem> streams;         // in time order
};

SimulatedHunt Simulate(const Scenario& scenario);

// The standard zone of the scenario's first fox (the hunt's plane).
geodesy::UtmZone ZoneOf(const Scenario& scenario);

}  // namespace vantrel::simulate
