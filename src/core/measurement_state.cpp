#include "core/measurement_state.hpp"

#include "core/number_text.hpp"

namespace vantrel::core {
namespace {

template <class State>
auto& BoxOf(State& s, BoxId id) {
    const bool first = id.station == 1;
    switch (id.kind) {
        case BoxKind::Northing:
            return first ? s.Sced1Lat : s.Sced2Lat;
        case BoxKind::Easting:
            return first ? s.Sced1Lon : s.Sced2Lon;
        case BoxKind::BaseAngle:
            return first ? s.Sced1Ang : s.Sced2Ang;
        case BoxKind::Bearing:
            return (first ? s.S1Ang : s.S2Ang).at(static_cast<std::size_t>(id.fox));
        case BoxKind::Signal:
            break;
    }
    return (first ? s.S1Sig : s.S2Sig).at(static_cast<std::size_t>(id.fox));
}

}  // namespace

std::string& Box(MeasurementState& state, BoxId id) {
    return BoxOf(state, id);
}

const std::string& Box(const MeasurementState& state, BoxId id) {
    return BoxOf(state, id);
}

std::string BoxName(BoxId id) {
    const std::string n = std::to_string(id.station);
    const std::string fox = "(" + std::to_string(id.fox) + ")";
    switch (id.kind) {
        case BoxKind::Northing:
            return "Sced" + n + "Lat";
        case BoxKind::Easting:
            return "Sced" + n + "Lon";
        case BoxKind::BaseAngle:
            return "Sced" + n + "Ang";
        case BoxKind::Bearing:
            return "S" + n + "Ang" + fox;
        case BoxKind::Signal:
            break;
    }
    return "S" + n + "Sig" + fox;
}

std::string BoxCaption(BoxId id) {
    const std::string station = "Scedule " + std::to_string(id.station) + ", ";
    const std::string fox = "F" + std::to_string(id.fox + 1);
    switch (id.kind) {
        case BoxKind::Northing:
            return station + "northing (N)";
        case BoxKind::Easting:
            return station + "easting (E)";
        case BoxKind::BaseAngle:
            return station + "base angle";
        case BoxKind::Bearing:
            return station + fox + " bearing";
        case BoxKind::Signal:
            break;
    }
    return station + fox + " signal";
}

std::vector<BoxId> StationBoxesInListingOrder() {
    std::vector<BoxId> ids;
    for (int station = 1; station <= kStationCount; ++station) {
        ids.push_back({station, BoxKind::Northing, 0});
        ids.push_back({station, BoxKind::Easting, 0});
        ids.push_back({station, BoxKind::BaseAngle, 0});
        for (int fox = 0; fox < kFoxCount; ++fox) {
            ids.push_back({station, BoxKind::Bearing, fox});
        }
        for (int fox = 0; fox < kFoxCount; ++fox) {
            ids.push_back({station, BoxKind::Signal, fox});
        }
    }
    return ids;
}

Result<double> ReadBox(const MeasurementState& state, BoxId id, char decimalSeparator) {
    const std::string& text = Box(state, id);
    if (const auto value = ReadRegional(text, decimalSeparator)) {
        return *value;
    }
    return Result<double>::Fail(BoxCaption(id) + " is not a number: \"" + text + "\"");
}

Result<std::vector<double>> ReadBoxes(const MeasurementState& state, const std::vector<BoxId>& ids,
                                      char decimalSeparator) {
    std::vector<double> values;
    values.reserve(ids.size());
    for (const BoxId& id : ids) {
        auto value = ReadBox(state, id, decimalSeparator);
        if (!value) {
            return value.outcome();
        }
        values.push_back(*value);
    }
    return values;
}

}  // namespace vantrel::core
