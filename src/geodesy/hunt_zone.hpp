#pragma once

// Which UTM zone a hunt is drawn and exported in, and whether a position belongs to that zone at all.
//
// A measurement file holds no zone, so the zone comes from the first of these that names one:
//   1. the zone boxes (Scedule 1's, then Scedule 2's), as Get Pos fills them;
//   2. the bearing log beside the measurement file, when it names one;
//   3. the zone chosen for this file before (remembered per file in Vantrel.ini, section [Zones]);
//   4. the default: [Map] Zone, else 32U.
// Nothing is ever taken over silently from the last map: a map in another zone is a question to the user.
//
// A zone names its latitude band (32U: 48 to 56 N; 25M: 8 S to 0). A position converted in the hunt's
// zone that lands more than one band's height beyond its band (the Olinda hunt in 32U lands at 81.9 N) was
// measured in another zone: it is refused, not drawn or exported at a wrong place.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geodesy/transverse_mercator.hpp"
#include "geodesy/utm_zone.hpp"

namespace vantrel::geodesy {

enum class ZoneSource { ZoneBoxes, BearingLog, Remembered, Default };

// The candidates as texts where they are typed or stored; a text that is no zone designation is skipped.
struct ZoneCandidates {
    std::string_view zoneBox1;
    std::string_view zoneBox2;
    // The zone the hunt's bearing log names. Filled by the caller once the log is read; nullopt while
    // there is no log (or the log names no zone).
    std::optional<UtmZone> bearingLogZone;
    std::string_view remembered;  // [Zones] entry of this measurement file
    std::string_view setting;     // [Map] Zone
};

struct ZoneChoice {
    UtmZone zone;
    ZoneSource source = ZoneSource::Default;

    friend bool operator==(const ZoneChoice&, const ZoneChoice&) = default;
};

ZoneChoice ChooseHuntZone(const ZoneCandidates& candidates);

// What the windows and vantrel-cli show beside the zone: "from the zone boxes", "from the bearing log",
// "remembered", "default".
std::string ZoneSourceText(ZoneSource source);

// The latitudes of a zone's band in degrees: C is -80..-72, each band 8 degrees north of the last, X is
// 72..84.
struct LatitudeBand {
    double south = 0;
    double north = 0;
};
LatitudeBand BandLatitudes(UtmZone zone);

// True when `lat` (degrees) lies within the zone's band widened by one band's height each way (32U:
// 40..64 N). NaN is outside.
bool WithinZoneBand(UtmZone zone, double lat);

// "81.9 N", "7.8 S": a latitude as the refusals name it, one decimal.
std::string LatitudeText(double lat);

// Why the position `name` (P1, F3) does not belong to `zone`, or "" when it does (or when it is no place
// on the earth at all, which UtmRangeProblem says): "P1 lands at 81.9 N, far outside band U (48 N to 56 N)".
std::string BandProblem(UtmZone zone, std::string_view name, double easting, double northing);

// The refusal of a hunt whose positions do not belong to its zone, naming the first and counting the rest:
// "The hunt does not lie in zone 32U: P1 lands at 81.9 N, far outside band U (48 N to 56 N); so do 6 more
// positions". The caller says how to change the zone.
std::string NotInZoneMessage(UtmZone zone, const std::vector<std::string>& problems);

// Why a UTM position of `zone` is no place on the earth, or "" when it is one. Checked before the series,
// which turns any number into some latitude and longitude: a northing outside 0..10,000 km or an easting
// outside 0..1,000 km (500 km either side of the central meridian, well beyond the zone's 6 degrees), or
// a value that is not finite. Then the round trip: the place converted back must give the position again
// within a metre.
std::string UtmRangeProblem(UtmZone zone, double easting, double northing);

// The geographic position of a UTM position of `zone`, or nullopt (with UtmRangeProblem's reason) when it
// is none.
struct PlaceCheck {
    std::optional<GeoPosition> place;
    std::string problem;  // "" when place holds a value
};
PlaceCheck CheckedZoneUtmToLatLon(UtmZone zone, double easting, double northing);

}  // namespace vantrel::geodesy
