#pragma once

// A hunt to simulate, read from a small JSON file. Every field but "foxes" and the route has a default;
// a field that is present must be right: anything wrong fails with a message naming the field by its path
// ("route.waypoints[2].lat is 95; it must lie in -90..90"). Unknown fields are refused too, so a typing
// error in a name is not silently a default.
//
//   {
//     "seed": 7,                                  whole number >= 0; default 1
//     "start": "2026-12-08T14:00:00Z",            UTC time of the first second (default that one)
//     "foxes": [{"fox": 1, "lat": 50.5, "lon": 9.25, "frequency": 144500000}],
//     "schedule": {"start": "14:00:00", "slot": 60, "slots": 5, "order": "F1,F2,F3,F4,F5",
//                  "onTime": 50, "guard": 2},     optional: the foxes take turns; without it all send
//     "route": {"name": "Car", "speed": 12,       m/s, > 0; a waypoint's own speed holds from it on
//               "waypoints": [{"lat": 50.48, "lon": 9.2}, {"lat": 50.5, "lon": 9.3, "speed": 8}]},
//       or    {"name": "Car", "speed": 12, "gpx": "track.gpx"}   its track points as the waypoints
//       or    {"stations": [{"name": "Hill", "lat": 50.5, "lon": 9.2, "bearings": 10, "every": 60}]}
//     "bearings": {"sigma": 3,                    degrees, (0, 90]: von Mises noise of every bearing
//                  "reflections": 0.1,            share of bearings pointing at a reflector, [0, 1]
//                  "reflectors": [{"lat": 50.49, "lon": 9.31}]},   needed when reflections > 0
//     "gps": {"noise": 3,                         metres (normal, each axis), >= 0
//             "dropouts": 0.02,                   share of seconds without a fix, [0, 1)
//             "gaps": [[120, 150]],               seconds after the start without a fix, [from, to)
//             "compass": true},                   HDT sentences beside RMC
//     "receiver": {"format": "agrelo", "rate": 2, "vehicle": true, "fox": 1, "quality": 9},
//                 agrelo or kn5r; lines a second (0, 50]; bearing relative to the car's heading;
//                 the fox it listens to when there is no schedule; the quality digit it sends
//     "network": {"channels": [1, 2], "period": 0.5, "station": "car1", "heading": true}
//                 foxes tuned, one line each; seconds between files; station id; array heading sent
//   }
//
// Plain data and functions of their arguments: any thread may call them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/outcome.hpp"
#include "hunt_log/events.hpp"
#include "instruments/fox_schedule.hpp"
#include "instruments/rx_formats.hpp"

namespace vantrel::simulate {

struct FoxSpec {
    int fox = 1;  // 1..5, each at most once
    double lat = 0;
    double lon = 0;
    double frequencyHz = 0;  // 0: not given (needed by a network channel tuned to it)
};

struct Waypoint {
    double lat = 0;
    double lon = 0;
    std::optional<double> speed;  // m/s from this waypoint on; the route's speed when not given
};

struct StationSpec {
    std::string name;
    double lat = 0;
    double lon = 0;
    int bearings = 10;         // per fox on the air at each of its times, >= 1
    double everySeconds = 60;  // between two bearings of the station, > 0
};

struct PlacePoint {
    double lat = 0;
    double lon = 0;
};

struct ReceiverSpec {
    instruments::RxFormat format = instruments::RxFormat::Agrelo;  // Agrelo or Kn5r
    double rate = 1;                                               // lines a second
    bool vehicle = true;                                           // bearing relative to the car's heading
    int fox = 1;                                                   // the fox listened to without a schedule
    int quality = 9;                                               // the quality digit sent, 0..9
};

struct NetworkSpec {
    std::vector<int> channels;  // fox of each tuned channel, in channel order
    double period = 0.5;        // seconds between two files
    std::string station = "car";
    bool heading = true;  // the array's heading (the car's course) is sent; else the array points north
};

struct Scenario {
    std::uint64_t seed = 1;
    hunt_log::TimeMs start = 1796738400000;  // 2026-12-08T14:00:00Z
    std::vector<FoxSpec> foxes;
    std::optional<instruments::FoxSchedule> schedule;

    // The route: a car along waypoints, or fixed stations (exactly one of the two is filled).
    std::string carName = "Car";
    double speed = 10;  // m/s
    std::vector<Waypoint> waypoints;
    std::string gpx;  // the GPX file the waypoints come from (ReadScenarioFile loads it); "" when none
    std::vector<StationSpec> stations;

    double sigma = 3;  // degrees
    double reflectionShare = 0;
    std::vector<PlacePoint> reflectors;

    double gpsNoise = 0;  // metres
    double gpsDropoutShare = 0;
    std::vector<std::pair<double, double>> gpsGaps;  // seconds after the start, [from, to)
    bool compass = false;

    ReceiverSpec receiver;
    std::optional<NetworkSpec> network;

    [[nodiscard]] bool Driven() const { return stations.empty(); }
    [[nodiscard]] const FoxSpec* Fox(int fox) const;
};

// Reads a scenario from JSON text. A route given as "gpx" keeps the file's name in Scenario::gpx and no
// waypoints: ReadScenarioFile reads it.
core::Result<Scenario> ReadScenario(std::string_view json);

// Reads the scenario file (at most 1 MiB) and a GPX file it names (relative to the scenario's folder).
// Messages name the file.
core::Result<Scenario> ReadScenarioFile(const std::filesystem::path& path);

// The track points (trkpt, or rtept when there are none) of GPX text, as waypoints; fails when there are
// fewer than two or one has no valid lat and lon.
core::Result<std::vector<Waypoint>> ReadGpxWaypoints(std::string_view gpx);

}  // namespace vantrel::simulate
