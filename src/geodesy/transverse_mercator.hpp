#pragma once

// UTM of any zone on the WGS84 ellipsoid, for the hunt map and the exports. The map application's overlay
// files and database keep the classic zone-32 series of utm_conv.hpp; everything that places a hunt on a
// real map uses these instead.
//
// Method: the Krueger series of order 6 in n (C. F. F. Karney, "Transverse Mercator with an accuracy of a few
// nanometers", J. Geodesy 85 (2011) 475-485, eqs. 7-11, 35-36), the method of GeographicLib's
// TransverseMercator. Constants: a = 6378137 m, f = 1/298.257223563, scale 0.9996, false easting 500 km,
// false northing 10,000 km for bands C..M (south of the equator), 0 for bands N..X.
//
// Accuracy: within 5 nm of the exact projection up to 3,900 km from the central meridian; the zone is taken
// as given, so a position outside the zone's own 6-degree strip converts too (with the growing scale error of
// any transverse Mercator). Beyond about 35 degrees of longitude from the central meridian near the equator
// the series loses accuracy quickly; such positions are no hunt's.
//
// Units and ranges: degrees (north and east positive; any longitude, taken relative to the central meridian
// and folded into [-180, 180]), metres. NaN in gives NaN out.

#include "core/plane.hpp"
#include "geodesy/utm_conv.hpp"
#include "geodesy/utm_zone.hpp"

namespace vantrel::geodesy {

// Central meridian of a zone in degrees: 6 * number - 183.
double CentralMeridian(UtmZone zone);

GeoPosition ZoneUtmToLatLon(UtmZone zone, double easting, double northing);

// The position in the zone's plane: x = easting (500,000 m on the central meridian), y = northing (10,000,000
// m added in zones of the southern bands).
core::PlanePoint ZoneLatLonToUtm(UtmZone zone, double lat, double lon);

// How the zone's grid lies at a point: the meridian convergence gamma (degrees, the direction of grid north
// clockwise from true north; positive east of the central meridian in the northern hemisphere) and the
// point scale k (grid distance over ground distance on the ellipsoid; 0.9996 on the central meridian, about
// 1.0010 at 3 degrees from it on the equator). Exact for the transverse Mercator above, to the accuracy of
// its series (Karney 2011, eqs. 25-28 forward and their inverse). NaN in gives NaN out.
struct GridFacts {
    double convergence = 0;  // degrees, (-180, 180]
    double scale = 0;        // dimensionless, > 0
};

GridFacts ZoneGridFacts(UtmZone zone, double lat, double lon);
GridFacts ZoneGridFactsAt(UtmZone zone, double easting, double northing);

// A bearing taken against true north (compass, GPS course) at a station at lat/lon, as a grid bearing of the
// zone: trueBearing - convergence, degrees folded into [0, 360). The program's own bearings (base angle
// measured on the map) are grid bearings already.
double GridBearing(UtmZone zone, double lat, double lon, double trueBearing);

}  // namespace vantrel::geodesy
