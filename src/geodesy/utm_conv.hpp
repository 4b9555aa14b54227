#pragma once

// UTMconv: the program's coordinate conversions on the WGS84 ellipsoid, in the classic closed-form
// Transverse Mercator series with rounded constants (e^2 = 0.00669438, pi = 3.14159265358979). Every formula
// is evaluated exactly as the series is written (each power its own left-to-right product, no fused
// multiply-add), so results are reproducible bit for bit.
//
// Accuracy against an exact Transverse Mercator (GeographicLib), distances from the central meridian in
// degrees of longitude times cos(latitude):
// - LatLonToUtm: within 1 mm inside 3 degrees (every standard zone), about 12 mm at 6 degrees; almost all of
//   it is the meridian-arc series with the rounded e^2.
// - UtmToLatLon: within 1 mm on the ground inside 1 degree, 2 cm inside 2 degrees, 5 cm at the far edge of
//   zone 32 in Norway (3.4 degrees).

#include <string>

namespace vantrel::geodesy {

struct UtmPosition {
    double northing = 0;  // metres; 10,000,000 m added south of the equator
    double easting = 0;   // metres; 500,000 m on the central meridian
    std::string zone;     // zone number without leading zeros followed by the band letter: "32U", "5Q"
};

// Geographic (degrees, north and east positive) to UTM. The longitude is folded into [-180, 180) first
// (180 becomes -180, 190 becomes -170); the zone follows the Norway (56..64 N, 3..12 E -> 32) and Svalbard
// (72..84 N -> 31, 33, 35, 37) exceptions. There is no validation: a latitude outside -80..84 still gives
// numbers, with band letter "Z". NaN in gives NaN out (and an unspecified zone).
UtmPosition LatLonToUtm(double lat, double lon);

// The latitude band letter: "C" (-80 <= lat < -72) to "X" (72 <= lat <= 84, 84 included); "Z" outside.
char UtmLetter(double lat);

struct GeoPosition {
    double lat = 0;  // degrees, north positive
    double lon = 0;  // degrees, east positive
};

// UTM to geographic, always in zone 32 of the northern hemisphere (central meridian 9 E): the zone number is
// not used and no false northing is removed, so a position of another zone or of the southern grid converts
// to a wrong place. Easting 500000 gives longitude exactly 9. No validation; NaN in gives NaN out.
GeoPosition UtmToLatLon(double northing, double easting, int zone = 32);

// Degrees as the overlay files want them: "###.########" with '.' whatever the regional separator:
// 8.123456789 -> "8.12345679", 9 -> "9.", 0.25 -> ".25", -7.5 -> "-7.5".
std::string DegToText(double degrees);

// Degrees as a packed DDDMMSS.sss text with '.', seconds rounded to three decimals: 8.5 -> "0083000.000",
// 50.123456 -> "0500724.442". Seconds that round to 60.000 carry into the minutes and 60 minutes into the
// degrees (7.999999999 -> "0080000.000"). A negative value is "-" followed by the form of its magnitude
// (-7.5 -> "-0073000.000"), so the text always reads back to the same angle.
std::string DegToDms(double degrees);

// The object database's latitude form: a "-" when negative, then the last 10 characters of
// DegToDms(|lat|) (DDMMSS.sss; the hundreds digit of the degrees dropped).
std::string GradLat(double lat);

// The object database's longitude form: DegToDms(lon) in full (DDDMMSS.sss).
std::string GradLong(double lon);

}  // namespace vantrel::geodesy
