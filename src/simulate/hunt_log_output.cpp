#include "simulate/hunt_log_output.hpp"

#include <variant>

#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/label_index.hpp"
#include "instruments/rx_formats.hpp"
#include "persistence/atomic_file.hpp"

namespace vantrel::simulate {
namespace {

std::string SourceName(const SimulatedBearing& b, const Scenario& scenario) {
    switch (b.source) {
        case BearingSource::Receiver:
            return instruments::RxFormatName(scenario.receiver.format);
        case BearingSource::Network:
            return "network";
        case BearingSource::Station:
            break;
    }
    return "typed";
}

}  // namespace

hunt_log::Log MakeHuntLog(const SimulatedHunt& hunt, const Scenario& scenario) {
    hunt_log::Log log;
    log.header.zone = hunt.zone;
    log.header.created = hunt.start;
    log.truth = hunt.truth;
    hunt_log::LabelIndex labels(log.labels);
    auto track = hunt.track.begin();
    const auto positionsUntil = [&](hunt_log::TimeMs time) {
        for (; track != hunt.track.end() && track->time <= time; ++track) {
            if (track->gpsFix) {
                log.events.emplace_back(hunt_log::PositionEvent{track->time, track->gpsLat, track->gpsLon,
                                                                track->course, track->speed});
            }
        }
    };
    std::uint64_t id = 0;
    for (const SimulatedBearing& b : hunt.bearings) {
        positionsUntil(b.time);
        if (!b.gpsLat || !b.gpsLon) {
            continue;
        }
        hunt_log::BearingEvent e;
        e.id = ++id;
        e.time = b.time;
        e.fox = static_cast<std::uint8_t>(b.fox);
        e.lat = *b.gpsLat;
        e.lon = *b.gpsLon;
        e.zone = hunt.zone;
        const core::PlanePoint at = geodesy::ZoneLatLonToUtm(hunt.zone, e.lat, e.lon);
        e.easting = at.x;
        e.northing = at.y;
        e.bearing = b.bearing;
        e.reference = hunt_log::Reference::True;
        e.sigma = b.sigma;
        e.station = labels.Index(log.labels, b.station);
        e.source = labels.Index(log.labels, SourceName(b, scenario));
        log.events.emplace_back(e);
    }
    positionsUntil(hunt.end);
    return log;
}

std::string HuntLogText(const hunt_log::Log& log) {
    std::string text = hunt_log::EncodeHeader(log.header) + "\n";
    for (const hunt_log::TruthFox& truth : log.truth) {
        text += hunt_log::EncodeTruth(truth) + "\n";
    }
    for (const hunt_log::Event& event : log.events) {
        if (const auto* b = std::get_if<hunt_log::BearingEvent>(&event)) {
            text += hunt_log::EncodeBearing(*b, log.Label(b->station), log.Label(b->source));
        } else if (const auto* p = std::get_if<hunt_log::PositionEvent>(&event)) {
            text += hunt_log::EncodePosition(*p);
        } else {
            text += hunt_log::EncodeEdit(std::get<hunt_log::EditEvent>(event));
        }
        text += "\n";
    }
    return text;
}

core::Outcome WriteHuntLog(const std::filesystem::path& path, const SimulatedHunt& hunt,
                           const Scenario& scenario) {
    return persistence::WriteFileAtomically(path, HuntLogText(MakeHuntLog(hunt, scenario)));
}

}  // namespace vantrel::simulate
