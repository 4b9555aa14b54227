#include "cli/cli.hpp"

namespace vantrel::cli {

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> kCommands{
        {"to-utm", "to-utm LAT LON", "geographic degrees to UTM: zone, easting, northing", RunToUtm, {}},
        {"to-geo",
         "to-geo NORTHING EASTING",
         "UTM zone 32 to degrees, overlay and database texts",
         RunToGeo,
         {}},
        {"gps",
         "gps [DEVICE|-] [--timeout S]",
         "first valid RMC position: northing, easting, zone, sentence",
         RunGps,
         {"timeout"}},
        {"rx", "rx [DEVICE|-]", "receiver lines as they come: bearing and signal", RunRx, {}},
        {"average",
         "average CELL...",
         "mean of one table column (up to 30 cells) and overlap",
         RunAverage,
         {}},
    };
    return kCommands;
}

}  // namespace vantrel::cli
