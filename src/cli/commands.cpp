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
        {"solve",
         "solve FILE [--zone ZONE[,ZONE]]",
         "open a .fh2 (or import a .fhd), Calculate, print the five fixes",
         RunSolve,
         {"zone"}},
        {"overlays",
         "overlays FILE [--foxes PATH --rays PATH] [--preview PATH] [--zone ZONE[,ZONE]]",
         "Calculate, then write the overlay files",
         RunOverlays,
         {"foxes", "rays", "preview", "zone"}},
        {"show", "show FILE", "the station boxes and valid readings of a measurement file", RunShow, {}},
        {"convert",
         "convert IN OUT.fh2",
         "save a .fh2 or .fhd as a .fh2, as File > Save would",
         RunConvert,
         {}},
        {"export",
         "export FILE --format kml|geojson|gpx -o OUT [--zone ZONE] [--sigma DEG] [--sigma-floor DEG] "
         "[--confidence P] [--log FILE.fhl]",
         "stations, fixes with their quality, rays and ellipses in WGS84 for other map software; --log adds "
         "the bearing log's rays and many-bearing fixes",
         RunExport,
         {"format", "output", "zone", "sigma", "sigma-floor", "confidence", "log"}},
        {"assess", "assess FILE [--sigma DEG] [--sigma-floor DEG] [--confidence P]",
         "Calculate, then the quality of each fix: ranges, crossing, sigmas, ellipse, flags", RunAssess,
         kQualityOptionNames},
        {"locate",
         "locate [--method mle|huber|andrews] [--tuning C] [--sigma DEG] [--confidence P] "
         "[FILE|- | --log FILE.fhl [--fox N]]",
         "the fix of many bearings (EASTING,NORTHING,BEARING[,SIGMA] lines, or each fox of a bearing log) "
         "with its ellipse and weights",
         RunLocate,
         {"method", "tuning", "sigma", "confidence", "log", "fox"}},
        {"log",
         "log FILE.fhl [--add [--zone ZONE] [--station NAME]] [--ignore ID] [--unignore ID] [--note ID TEXT]",
         "the bearing log as a table; --add appends FOX,LAT,LON,BEARING[,SIGMA] lines from stdin",
         RunLog,
         {"zone", "station", "ignore", "unignore", "note"}},
        {"replay",
         "replay FILE.fhl (--at TIME | --plot OUT.png) [--fox N] [--method mle|huber|andrews] [--tuning C] "
         "[--sigma DEG] [--confidence P]",
         "a bearing log's fixes as they stood at TIME (a UTC time or +SECONDS after its first event), "
         "printed as locate --log prints them; --plot draws how each fix settled over the hunt",
         RunReplay,
         {"at", "plot", "fox", "method", "tuning", "sigma", "confidence"}},
        {"simulate",
         "simulate SCENARIO.json [--log OUT.fhl] [--nmea DEVICE|-] [--rx DEVICE|-] [--network-dir DIR] "
         "[--real-time] [--seed N]",
         "a made-up hunt from a scenario: its bearing log with the true foxes, or the GPS, receiver and "
         "network DF output as the units send it",
         RunSimulate,
         {"log", "nmea", "rx", "network-dir", "seed"}},
        {"update-db",
         "update-db FILE --db PATH [--zone ZONE[,ZONE]]",
         "Calculate, then write stations and fixes into the object database",
         RunUpdateDb,
         {"db", "zone"}},
        {"map",
         "map FILE -o OUT.png|.jpg|.pdf [--map PATH] [--zone ZONE] [--size WxH] [--sigma DEG] [--sigma-floor "
         "DEG] [--confidence P] [--legend on|off] [--title TEXT] [--palette day|night] [--log FILE.fhl] "
         "[--heat FOX]",
         "the hunt drawn as a PNG, JPEG or PDF (by -o's extension), on a map when given (as the Hunt Map "
         "window); --log adds a bearing log's rays and fixes, --heat one fox's likelihood map",
         RunMap,
         {"output", "map", "zone", "size", "sigma", "sigma-floor", "confidence", "legend", "title", "palette",
          "log", "heat"}},
        {"gps",
         "gps [DEVICE|-] [--timeout S]",
         "first valid RMC position: northing, easting, zone, sentence",
         RunGps,
         {"timeout"}},
        {"rx",
         "rx [--format fixed|agrelo|kn5r|aprs] [--baud N] [DEVICE|-]",
         "receiver lines as they come: bearing and signal",
         RunRx,
         {"format", "baud"}},
        {"live",
         "live [--gps DEVICE|gpsd://HOST:PORT|-] [--rx DEVICE|- [--format FORMAT]] [--network URL] "
         "[--vehicle] "
         "[--fox N] [--zone ZONE] [--seconds N] --log FILE.fhl",
         "log a hunt on the move: track and true bearings until SIGINT/SIGTERM or N seconds; one line per "
         "logged bearing",
         RunLive,
         {"gps", "rx", "format", "network", "fox", "zone", "seconds", "log"}},
        {"schedule",
         "schedule --start HH:MM:SS --slot S [--slots N] [--order F1,F2,-,F4,F5] [--on S] [--guard S] "
         "TIME...",
         "the fox on the air at each time of day, or -",
         RunSchedule,
         {"start", "slot", "slots", "order", "on", "guard"}},
        {"average",
         "average CELL...",
         "mean of one table column (up to 30 cells) and overlap",
         RunAverage,
         {}},
    };
    return kCommands;
}

bool IsFlagOption(const Command& command, std::string_view option) {
    const std::string_view name(command.name);
    return (name == "log" && option == "add") || (name == "simulate" && option == "real-time") ||
           (name == "live" && option == "vehicle");
}

}  // namespace vantrel::cli
