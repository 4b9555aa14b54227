#include "fox_fix/station_bearings.hpp"

#include <cmath>
#include <optional>

#include "core/cross_fix.hpp"
#include "geodesy/transverse_mercator.hpp"

namespace vantrel::fox_fix {
namespace {

using core::BoxId;
using core::BoxKind;

// The station's position as latitude/longitude, or the reason it has none.
core::Result<geodesy::GeoPosition> StationPosition(const core::MeasurementState& state, int station,
                                                   geodesy::UtmZone zone, char separator) {
    const auto boxes = core::ReadBoxes(
        state, {BoxId{station, BoxKind::Northing}, BoxId{station, BoxKind::Easting}}, separator);
    if (!boxes) {
        return core::Result<geodesy::GeoPosition>::Fail(boxes.message());
    }
    const double north = (*boxes)[0];
    const double east = (*boxes)[1];
    if (north == 0 && east == 0) {
        return core::Result<geodesy::GeoPosition>::Fail("it has no position (northing and easting are 0)");
    }
    const geodesy::GeoPosition position = geodesy::ZoneUtmToLatLon(zone, east, north);
    if (!std::isfinite(position.lat) || !std::isfinite(position.lon) || position.lat < -80 ||
        position.lat > 84 || std::abs(position.lon) > 180) {
        return core::Result<geodesy::GeoPosition>::Fail("its position is no place in zone " +
                                                        geodesy::ZoneText(zone) + " where UTM holds");
    }
    return position;
}

int ValidReadings(const instruments::RxReadings& readings, int station, int fox) {
    int count = 0;
    for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
        count += readings(station, fox, row).Valid == 1 ? 1 : 0;
    }
    return count;
}

double Folded(double degrees) {
    const double folded = std::fmod(degrees, 360.0);
    return folded < 0 ? folded + 360.0 : folded;
}

}  // namespace

StationBearings BearingsOfStationBoxes(const core::MeasurementState& state,
                                       const instruments::RxReadings& readings,
                                       const quality::QualitySettings& settings, geodesy::UtmZone zone,
                                       hunt_log::TimeMs time, char decimalSeparator) {
    StationBearings out;
    for (int station = 1; station <= core::kStationCount; ++station) {
        const std::string label = "Station " + std::to_string(station);
        const auto position = StationPosition(state, station, zone, decimalSeparator);
        const auto base = core::ReadBox(state, BoxId{station, BoxKind::BaseAngle}, decimalSeparator);
        if (!position || !base) {
            out.notes.push_back(label + " left out: " + (position ? base.message() : position.message()));
            continue;
        }
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            const BoxId bearingBox{station, BoxKind::Bearing, fox};
            const std::string& text = core::Box(state, bearingBox);
            if (text == "0" && core::Box(state, BoxId{station, BoxKind::Signal, fox}) == "0") {
                continue;  // the untouched boxes of a new hunt
            }
            const auto bearing = core::ReadBox(state, bearingBox, decimalSeparator);
            if (!bearing) {
                if (!text.empty()) {
                    out.notes.push_back(label + ", F" + std::to_string(fox + 1) +
                                        " left out: " + bearing.message());
                }
                continue;
            }
            hunt_log::NewBearing entry;
            entry.time = time;
            entry.fox = fox + 1;
            entry.station = label;
            entry.lat = position->lat;
            entry.lon = position->lon;
            entry.bearing = Folded(core::AbsoluteBearing(*bearing, *base));
            entry.reference = hunt_log::Reference::Grid;
            const quality::BearingSigma sigma =
                quality::StationBearingSigma(readings, station - 1, fox, *bearing, settings);
            if (sigma.fromReadings) {
                entry.source = "receiver";
                entry.readings = static_cast<std::uint32_t>(ValidReadings(readings, station - 1, fox));
                // A scattered station (readings all round) has no usable spread; 0 (readings that all agree)
                // is kept as the floor the quality settings give every bearing from readings.
                if (sigma.degrees) {
                    entry.sigma = std::min(90.0, std::max(*sigma.degrees, settings.bearingSigmaFloor));
                }
            }
            if (entry.sigma <= 0) {
                entry.sigma = hunt_log::kUnknown;
            }
            out.bearings.push_back(entry);
        }
    }
    return out;
}

}  // namespace vantrel::fox_fix
