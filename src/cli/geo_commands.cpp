#include "cli/cli.hpp"
#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::cli {

int RunToUtm(const Context& context) {
    if (!ExpectPositionals(context, 2, 2, "to-utm LAT LON")) {
        return kExitUsage;
    }
    const auto lat = NumberArgument(context, 0, "LAT");
    const auto lon = lat ? NumberArgument(context, 1, "LON") : std::nullopt;
    if (!lat || !lon) {
        return kExitUsage;
    }
    const geodesy::UtmPosition utm = geodesy::LatLonToUtm(*lat, *lon);
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
    PrintLine(core::ShortestText(geo.lat) + "\t" + core::ShortestText(geo.lon));
    PrintLine(geodesy::DegToText(geo.lat) + "\t" + geodesy::DegToText(geo.lon));
    PrintLine(geodesy::GradLat(geo.lat) + "\t" + geodesy::GradLong(geo.lon));
    return kExitOk;
}

}  // namespace vantrel::cli
