// The points of a GPX track as a simulated car's route. Only what a route needs is read: the lat and lon
// attributes of each trkpt (or rtept) element; times, elevations and everything else are left alone.

#include <charconv>
#include <string>

#include "simulate/scenario.hpp"

namespace vantrel::simulate {
namespace {

// The value of attribute `name` (lat="50.5" or lat='50.5') inside the tag text; nullopt when missing or
// no number.
std::optional<double> Attribute(std::string_view tag, std::string_view name) {
    for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
        const bool ownWord = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n' ||
                                        tag[at - 1] == '\r');
        std::size_t p = at + name.size();
        while (p < tag.size() && (tag[p] == ' ' || tag[p] == '\t')) {
            ++p;
        }
        if (!ownWord || p + 1 >= tag.size() || tag[p] != '=') {
            continue;
        }
        ++p;
        while (p < tag.size() && (tag[p] == ' ' || tag[p] == '\t')) {
            ++p;
        }
        if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) {
            return std::nullopt;
        }
        const char quote = tag[p];
        const std::size_t end = tag.find(quote, p + 1);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view text = tag.substr(p + 1, end - p - 1);
        double value = 0;
        const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || last != text.data() + text.size()) {
            return std::nullopt;
        }
        return value;
    }
    return std::nullopt;
}

core::Result<std::vector<Waypoint>> PointsOf(std::string_view gpx, std::string_view element) {
    std::vector<Waypoint> points;
    const std::string open = "<" + std::string(element);
    for (std::size_t at = gpx.find(open); at != std::string_view::npos; at = gpx.find(open, at + 1)) {
        const std::size_t after = at + open.size();
        if (after >= gpx.size() || (gpx[after] != ' ' && gpx[after] != '\t' && gpx[after] != '\n' &&
                                    gpx[after] != '\r' && gpx[after] != '>' && gpx[after] != '/')) {
            continue;  // another element whose name starts the same
        }
        const std::size_t close = gpx.find('>', after);
        const std::string_view tag =
            gpx.substr(after, close == std::string_view::npos ? gpx.npos : close - after);
        const auto lat = Attribute(tag, "lat");
        const auto lon = Attribute(tag, "lon");
        const std::string which = std::string(element) + " " + std::to_string(points.size() + 1);
        if (!lat || !lon) {
            return core::Result<std::vector<Waypoint>>::Fail("its " + which + " has no lat and lon numbers");
        }
        if (!(*lat >= -80 && *lat <= 84 && *lon >= -180 && *lon <= 180)) {
            return core::Result<std::vector<Waypoint>>::Fail("its " + which +
                                                             " lies outside -80..84 N, -180..180 E");
        }
        points.push_back({*lat, *lon, std::nullopt});
    }
    return points;
}

}  // namespace

core::Result<std::vector<Waypoint>> ReadGpxWaypoints(std::string_view gpx) {
    auto points = PointsOf(gpx, "trkpt");
    if (points && points->empty()) {
        points = PointsOf(gpx, "rtept");
    }
    if (points && points->size() < 2) {
        return core::Result<std::vector<Waypoint>>::Fail("it has " + std::to_string(points->size()) +
                                                         " track points; a route needs at least two");
    }
    return points;
}

}  // namespace vantrel::simulate
