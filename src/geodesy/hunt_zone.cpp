#include "geodesy/hunt_zone.hpp"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace vantrel::geodesy {
namespace {

constexpr std::string_view kBands = "CDEFGHJKLMNPQRSTUVWX";
constexpr double kNorthingLimit = 10'000'000;  // metres: the equator of the southern grid
constexpr double kEastingLimit = 1'000'000;    // metres: 500 km either side of the central meridian
constexpr double kRoundTripTolerance = 1;      // metres

std::string Metres(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A band limit: "48 N", "8 S", "0".
std::string WholeLatitude(double lat) {
    if (lat == 0) {
        return "0";
    }
    return std::to_string(static_cast<int>(std::fabs(lat))) + (lat < 0 ? " S" : " N");
}

}  // namespace

ZoneChoice ChooseHuntZone(const ZoneCandidates& candidates) {
    for (const std::string_view box : {candidates.zoneBox1, candidates.zoneBox2}) {
        if (const auto zone = ParseUtmZone(box)) {
            return {*zone, ZoneSource::ZoneBoxes};
        }
    }
    if (candidates.bearingLogZone) {
        return {*candidates.bearingLogZone, ZoneSource::BearingLog};
    }
    if (const auto zone = ParseUtmZone(candidates.remembered)) {
        return {*zone, ZoneSource::Remembered};
    }
    return {ParseUtmZone(candidates.setting).value_or(UtmZone{}), ZoneSource::Default};
}

std::string ZoneSourceText(ZoneSource source) {
    switch (source) {
        case ZoneSource::ZoneBoxes:
            return "from the zone boxes";
        case ZoneSource::BearingLog:
            return "from the bearing log";
        case ZoneSource::Remembered:
            return "remembered";
        case ZoneSource::Default:
            break;
    }
    return "default";
}

LatitudeBand BandLatitudes(UtmZone zone) {
    const std::size_t index = kBands.find(zone.band);
    const double south = -80.0 + 8.0 * static_cast<double>(index == std::string_view::npos ? 0 : index);
    return {south, zone.band == 'X' ? 84.0 : south + 8.0};
}

bool WithinZoneBand(UtmZone zone, double lat) {
    const LatitudeBand band = BandLatitudes(zone);
    const double height = band.north - band.south;
    return lat >= band.south - height && lat <= band.north + height;
}

std::string LatitudeText(double lat) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %c", std::fabs(lat), lat < 0 ? 'S' : 'N');
    return text;
}

std::string BandProblem(UtmZone zone, std::string_view name, double easting, double northing) {
    if (!UtmRangeProblem(zone, easting, northing).empty()) {
        return {};
    }
    const double lat = ZoneUtmToLatLon(zone, easting, northing).lat;
    if (WithinZoneBand(zone, lat)) {
        return {};
    }
    const LatitudeBand band = BandLatitudes(zone);
    return std::string(name) + " lands at " + LatitudeText(lat) + ", far outside band " + zone.band + " (" +
           WholeLatitude(band.south) + " to " + WholeLatitude(band.north) + ")";
}

std::string NotInZoneMessage(UtmZone zone, const std::vector<std::string>& problems) {
    std::string text = "The hunt does not lie in zone " + ZoneText(zone) + ": ";
    if (!problems.empty()) {
        text += problems.front();
    }
    if (problems.size() == 2) {
        text += "; so does 1 more position";
    } else if (problems.size() > 2) {
        text += "; so do " + std::to_string(problems.size() - 1) + " more positions";
    }
    return text;
}

std::string UtmRangeProblem(UtmZone zone, double easting, double northing) {
    if (!std::isfinite(easting) || !std::isfinite(northing)) {
        return "a coordinate is not a finite number";
    }
    if (northing < 0 || northing > kNorthingLimit) {
        return "northing " + Metres(northing) + " lies outside 0 to 10,000 km";
    }
    if (easting < 0 || easting > kEastingLimit) {
        return "easting " + Metres(easting) + " lies beyond the reach of zone " + ZoneText(zone) +
               " (0 to 1,000 km)";
    }
    const GeoPosition place = ZoneUtmToLatLon(zone, easting, northing);
    const core::PlanePoint back = ZoneLatLonToUtm(zone, place.lat, place.lon);
    if (!(std::hypot(back.x - easting, back.y - northing) <= kRoundTripTolerance)) {
        return "the position does not convert back to itself in zone " + ZoneText(zone);
    }
    return {};
}

PlaceCheck CheckedZoneUtmToLatLon(UtmZone zone, double easting, double northing) {
    std::string problem = UtmRangeProblem(zone, easting, northing);
    if (!problem.empty()) {
        return {std::nullopt, std::move(problem)};
    }
    return {ZoneUtmToLatLon(zone, easting, northing), {}};
}

}  // namespace vantrel::geodesy
