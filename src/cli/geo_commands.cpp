#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "cli/cli.hpp"
#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::cli {
namespace {

bool AllFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

int RunToUtm(const Context& context) {
    if (!ExpectPositionals(context, 2, 2, "to-utm LAT LON")) {
        return kExitUsage;
    }
    const auto lat = NumberArgument(context, 0, "LAT");
    const auto lon = lat ? NumberArgument(context, 1, "LON") : std::nullopt;
    if (!lat || !lon) {
        return kExitUsage;
    }
    // Longitudes are reduced to one turn; a latitude beyond a pole is no place at all.
    if (!(std::fabs(*lat) <= 90)) {
        return Fail("LAT must lie between -90 and 90 degrees: " + context.args.positional[0]);
    }
    const geodesy::UtmPosition utm = geodesy::LatLonToUtm(*lat, *lon);
    if (!AllFinite({utm.easting, utm.northing})) {
        return Fail("LAT " + context.args.positional[0] + ", LON " + context.args.positional[1] +
                    " has no UTM position: the longitude is too large to reduce");
    }
    PrintLine(utm.zone + "\t" + core::ShortestText(utm.easting) + "\t" + core::ShortestText(utm.northing));
    return kExitOk;
}

int RunToGeo(const Context& context) {
    if (!ExpectPositionals(context, 2, 2, "to-geo NORTHING EASTING")) {
        return kExitUsage;
    }
    const auto northing = NumberArgument(context, 0, "NORTHING");
    const auto easting = northing ? NumberArgument(context, 1, "EASTING") : std::nullopt;
    if (!northing || !easting) {
        return kExitUsage;
    }
    const geodesy::GeoPosition geo = geodesy::UtmToLatLon(*northing, *easting, 32);
    if (!AllFinite({geo.lat, geo.lon}) || std::fabs(geo.lat) > 90) {
        return Fail("NORTHING " + context.args.positional[0] + ", EASTING " + context.args.positional[1] +
                    " is too far from zone 32 to convert to degrees");
    }
    PrintLine(core::ShortestText(geo.lat) + "\t" + core::ShortestText(geo.lon));
    PrintLine(geodesy::DegToText(geo.lat) + "\t" + geodesy::DegToText(geo.lon));
    PrintLine(geodesy::GradLat(geo.lat) + "\t" + geodesy::GradLong(geo.lon));
    return kExitOk;
}

}  // namespace vantrel::cli
