#include "geodesy/utm_conv.hpp"

#include <cmath>

#include "core/number_text.hpp"

namespace vantrel::geodesy {
namespace {

// The constants as the series uses them; 1 - e^2 and a(1 - e^2) are literals, not computed.
constexpr double kA = 6378137;
constexpr double kE2 = 0.00669438;
constexpr double kOneMinusE2 = 0.99330562;
constexpr double kK0 = 0.9996;
constexpr double kFalseEasting = 500000;
constexpr double kFalseNorthing = 10000000;
constexpr double kDegToRad = 0.017453292519943278;
constexpr double kRadToDeg = 57.29577951308238;
constexpr double kAOneMinusE2 = 6335439.32722994;
constexpr double kZone32Meridian = 9;

// e'^2 = e^2 / (1 - e^2), divided at run time like the series does.
double SecondEccentricitySquared() {
    return kE2 / kOneMinusE2;
}

int ZoneNumber(double lat, double lonFolded) {
    int zone = static_cast<int>(std::floor((lonFolded + 180) / 6)) + 1;
    if (lat >= 56.0 && lat < 64.0 && lonFolded >= 3.0 && lonFolded < 12.0) {
        zone = 32;
    }
    if (lat >= 72.0 && lat < 84.0) {
        if (lonFolded >= 0.0 && lonFolded < 9.0) {
            zone = 31;
        } else if (lonFolded >= 9.0 && lonFolded < 21.0) {
            zone = 33;
        } else if (lonFolded >= 21.0 && lonFolded < 33.0) {
            zone = 35;
        } else if (lonFolded >= 33.0 && lonFolded < 42.0) {
            zone = 37;
        }
    }
    return zone;
}

}  // namespace

char UtmLetter(double lat) {
    struct Band {
        double lower;
        char letter;
    };
    if (lat >= 72 && lat <= 84) {
        return 'X';
    }
    static constexpr Band kBands[] = {{64, 'W'},  {56, 'V'},  {48, 'U'},  {40, 'T'},  {32, 'S'},
                                      {24, 'R'},  {16, 'Q'},  {8, 'P'},   {0, 'N'},   {-8, 'M'},
                                      {-16, 'L'}, {-24, 'K'}, {-32, 'J'}, {-40, 'H'}, {-48, 'G'},
                                      {-56, 'F'}, {-64, 'E'}, {-72, 'D'}, {-80, 'C'}};
    for (const Band& band : kBands) {
        if (lat >= band.lower && lat < band.lower + 8) {
            return band.letter;
        }
    }
    return 'Z';
}

UtmPosition LatLonToUtm(double lat, double lon) {
    const double ep2 = SecondEccentricitySquared();
    const double longTemp = (lon + 180) - std::floor((lon + 180) / 360) * 360 - 180;
    const double latRad = lat * kDegToRad;
    const double longRad = longTemp * kDegToRad;

    UtmPosition out;
    const int zone = std::isnan(longTemp) ? 0 : ZoneNumber(lat, longTemp);
    const double longOrigin = (zone - 1) * 6 - 180 + 3;
    const double longOriginRad = longOrigin * kDegToRad;
    out.zone = std::to_string(zone) + UtmLetter(lat);

    const double s = std::sin(latRad);
    const double c = std::cos(latRad);
    const double t = std::tan(latRad);
    const double n = kA / std::sqrt(1 - kE2 * s * s);
    const double tt = t * t;
    const double cc = ep2 * c * c;
    const double a = c * (longRad - longOriginRad);
    const double e4 = kE2 * kE2;
    const double e6 = kE2 * kE2 * kE2;
    const double m = kA * ((1 - kE2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * latRad -
                           (3 * kE2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * latRad) +
                           (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * latRad) -
                           (35 * e6 / 3072) * std::sin(6 * latRad));

    const double a2 = a * a;
    const double a3 = a * a * a;
    const double a4 = a * a * a * a;
    const double a5 = a * a * a * a * a;
    const double a6 = a * a * a * a * a * a;
    const double t2 = tt * tt;
    const double c2 = cc * cc;

    out.easting =
        kK0 * n * (a + (1 - tt + cc) * a3 / 6 + (5 - 18 * tt + t2 + 72 * cc - 58 * ep2) * a5 / 120) +
        kFalseEasting;
    out.northing = kK0 * (m + n * t *
                                  (a2 / 2 + (5 - tt + 9 * cc + 4 * c2) * a4 / 24 +
                                   (61 - 58 * tt + t2 + 600 * cc - 330 * ep2) * a6 / 720));
    if (lat < 0) {
        out.northing += kFalseNorthing;
    }
    return out;
}

GeoPosition UtmToLatLon(double northing, double easting, int /*zone*/) {
    const double ep2 = SecondEccentricitySquared();
    const double x = easting - kFalseEasting;
    const double y = northing;

    const double s1 = std::sqrt(kOneMinusE2);
    const double e1 = (1 - s1) / (1 + s1);
    const double m = y / kK0;
    const double e4 = kE2 * kE2;
    const double e6 = kE2 * kE2 * kE2;
    const double mu = m / (kA * (1 - kE2 / 4 - 3 * e4 / 64 - 5 * e6 / 256));

    const double e1p2 = e1 * e1;
    const double e1p3 = e1 * e1 * e1;
    const double e1p4 = e1 * e1 * e1 * e1;
    const double phi1 = mu + (3 * e1 / 2 - 27 * e1p3 / 32) * std::sin(2 * mu) +
                        (21 * e1p2 / 16 - 55 * e1p4 / 32) * std::sin(4 * mu) +
                        (151 * e1p3 / 96) * std::sin(6 * mu);

    const double s = std::sin(phi1);
    const double c = std::cos(phi1);
    const double t = std::tan(phi1);
    const double n1 = kA / std::sqrt(1 - kE2 * s * s);
    const double t1 = t * t;
    const double c1 = ep2 * c * c;
    const double r1 = kAOneMinusE2 / std::pow(1 - kE2 * s * s, 1.5);
    const double d = x / (n1 * kK0);

    const double d2 = d * d;
    const double d3 = d * d * d;
    const double d4 = d * d * d * d;
    const double d5 = d * d * d * d * d;
    const double d6 = d * d * d * d * d * d;
    const double c1p2 = c1 * c1;
    const double t1p2 = t1 * t1;

    GeoPosition out;
    out.lat =
        (phi1 - (n1 * t / r1) * (d2 / 2 - (5 + 3 * t1 + 10 * c1 - 4 * c1p2 - 9 * ep2) * d4 / 24 +
                                 (61 + 90 * t1 + 298 * c1 + 45 * t1p2 - 252 * ep2 - 3 * c1p2) * d6 / 720)) *
        kRadToDeg;
    out.lon = kZone32Meridian + kRadToDeg *
                                    (d - (1 + 2 * t1 + c1) * d3 / 6 +
                                     (5 - 2 * c1 + 28 * t1 - 3 * c1p2 + 8 * ep2 + 24 * t1p2) * d5 / 120) /
                                    c;
    return out;
}

std::string DegToText(double degrees) {
    // Formatted with '.' directly: the same text the regional format gives after its separator is replaced.
    return core::FormatPattern(degrees, "###.########", '.');
}

std::string DegToDms(double degrees) {
    if (degrees < 0) {
        return "-" + DegToDms(-degrees);
    }
    double d = std::floor(degrees);
    const double m1 = (degrees - d) * 60;
    double m = std::floor(m1);
    const double sec = (m1 - m) * 60;
    std::string secText = core::FormatPattern(sec, "00.000", '.');
    if (secText == "60.000") {
        secText = "00.000";
        m = m + 1;
        if (m == 60) {
            m = 0;
            d = d + 1;
        }
    }
    return core::FormatPattern(d, "000", '.') + core::FormatPattern(m, "00", '.') + secText;
}

std::string GradLat(double lat) {
    const std::string dms = DegToDms(std::fabs(lat));
    const std::string tail = dms.size() > 10 ? dms.substr(dms.size() - 10) : dms;
    return (lat < 0 ? "-" : "") + tail;
}

std::string GradLong(double lon) {
    return DegToDms(lon);
}

}  // namespace vantrel::geodesy
