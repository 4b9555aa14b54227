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
    };
    return kCommands;
}

}  // namespace vantrel::cli
