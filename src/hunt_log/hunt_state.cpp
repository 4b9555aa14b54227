#include "hunt_log/hunt_state.hpp"

#include <unordered_map>

#include "geodesy/transverse_mercator.hpp"

namespace vantrel::hunt_log {
namespace {

// Where each bearing landed: its fox and its place in that fox's list.
struct Slot {
    std::size_t fox;
    std::size_t index;
};

FoxBearing Bearing(const Log& log, const BearingEvent& e, geodesy::UtmZone zone) {
    FoxBearing b;
    b.id = e.id;
    b.time = e.time;
    b.lat = e.lat;
    b.lon = e.lon;
    if (zone == e.zone) {
        b.easting = e.easting;
        b.northing = e.northing;
    } else {
        const core::PlanePoint point = geodesy::ZoneLatLonToUtm(zone, e.lat, e.lon);
        b.easting = point.x;
        b.northing = point.y;
    }
    b.bearing = e.bearing;
    b.reference = e.reference;
    b.sigma = e.sigma;
    b.station = log.Label(e.station);
    b.source = log.Label(e.source);
    b.readings = e.readings;
    return b;
}

}  // namespace

HuntState StateAt(const Log& log, std::optional<TimeMs> until, std::optional<geodesy::UtmZone> zone) {
    HuntState state;
    state.zone = zone.value_or(log.header.zone);
    std::unordered_map<std::uint64_t, Slot> slots;
    for (const Event& event : log.events) {
        if (until && TimeOf(event) > *until) {
            continue;
        }
        if (const auto* bearing = std::get_if<BearingEvent>(&event)) {
            auto& list = state.foxes.at(static_cast<std::size_t>(bearing->fox - 1));
            slots[bearing->id] = Slot{static_cast<std::size_t>(bearing->fox - 1), list.size()};
            list.push_back(Bearing(log, *bearing, state.zone));
        } else if (const auto* position = std::get_if<PositionEvent>(&event)) {
            state.lastPosition = *position;
            state.track.push_back(*position);
        } else if (const auto* edit = std::get_if<EditEvent>(&event)) {
            const auto slot = slots.find(edit->id);
            if (slot == slots.end()) {
                ++state.editsOfUnknownBearings;
                continue;
            }
            FoxBearing& target = state.foxes[slot->second.fox][slot->second.index];
            if (edit->ignore) {
                target.ignored = *edit->ignore;
            }
            if (edit->note) {
                target.note = *edit->note;
            }
        }
    }
    return state;
}

std::string ZoneMismatchWarning(const std::string& logName, geodesy::UtmZone logZone,
                                geodesy::UtmZone huntZone) {
    if (logZone == huntZone) {
        return {};
    }
    const std::string hunt = geodesy::ZoneText(huntZone);
    return "The bearing log \"" + logName + "\" is in zone " + geodesy::ZoneText(logZone) + ", the hunt in " +
           hunt + ": its positions were converted into " + hunt + ".";
}

}  // namespace vantrel::hunt_log
