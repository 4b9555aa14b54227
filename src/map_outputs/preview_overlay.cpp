#include "map_outputs/preview_overlay.hpp"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cross_fix.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::map_outputs {
namespace {

using core::BoxId;
using core::BoxKind;

struct SignalBand {
    double length;  // metres
    int size;
};

SignalBand BandOf(double signal) {
    if (signal > -6) {
        return {10000, 102};
    }
    if (signal > -20) {
        return {5000, 103};
    }
    if (signal > -60) {
        return {2500, 104};
    }
    return {1000, 105};
}

// The values a preview needs, read from the boxes.
struct PreviewInputs {
    core::PlanePoint station;
    std::array<double, core::kFoxCount> absoluteBearing{};
    std::array<double, core::kFoxCount> signal{};
};

core::Result<PreviewInputs> ReadPreviewInputs(const core::MeasurementState& state, char decimalSeparator) {
    std::vector<BoxId> order{{1, BoxKind::Northing, 0}, {1, BoxKind::Easting, 0}};
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        order.push_back({1, BoxKind::Signal, fox});
        order.push_back({1, BoxKind::Bearing, fox});
        order.push_back({1, BoxKind::BaseAngle, 0});
    }
    const auto values = core::ReadBoxes(state, order, decimalSeparator);
    if (!values) {
        return values.outcome();
    }
    const std::vector<double>& v = *values;
    PreviewInputs inputs;
    inputs.station = {v[1], v[0]};
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        const std::size_t at = 2 + 3 * fox;
        inputs.signal[fox] = v[at];
        inputs.absoluteBearing[fox] = v[at + 1] + v[at + 2];
    }
    return inputs;
}

// Station 1 and the five ray ends, each where the map application can place it.
core::Outcome CheckPreviewPositions(const PreviewInputs& inputs) {
    if (auto placed = CheckMapPosition(inputs.station, "Scedule 1"); !placed) {
        return placed;
    }
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        const core::PlanePoint end =
            RayEndPoint(inputs.absoluteBearing[fox], inputs.signal[fox], inputs.station);
        if (auto placed = CheckMapPosition(end, "The ray end of F" + std::to_string(fox + 1)); !placed) {
            return placed;
        }
    }
    return core::Outcome::Ok();
}

std::string PreviewText(const PreviewInputs& inputs) {
    OverlayWriter writer;
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        const double signal = inputs.signal[fox];
        const core::PlanePoint end = RayEndPoint(inputs.absoluteBearing[fox], signal, inputs.station);
        writer.LineSymbol(static_cast<int>(fox) + 1, kFoxColours[fox], SignalLineSize(signal), inputs.station,
                          end);
    }
    writer.BlankLines(1);
    writer.OverlaySection(core::kFoxCount);
    writer.BlankLines(1);
    writer.MapLage(inputs.station);
    return writer.text();
}

}  // namespace

int SignalLineSize(double signal) {
    return BandOf(signal).size;
}

double SignalRayLength(double signal) {
    return BandOf(signal).length;
}

core::PlanePoint RayEndPoint(double bearing, double signal, core::PlanePoint station) {
    const double length = SignalRayLength(signal);
    const double theta = bearing * core::kPi15 / 180;
    return {station.x + length * std::sin(theta), station.y + length * std::cos(theta)};
}

core::Result<std::string> PreviewOverlayText(const core::MeasurementState& state, char decimalSeparator) {
    const auto inputs = ReadPreviewInputs(state, decimalSeparator);
    if (!inputs) {
        return inputs.outcome();
    }
    if (auto placed = CheckPreviewPositions(*inputs); !placed) {
        return placed;
    }
    return PreviewText(*inputs);
}

core::Outcome WritePreviewOverlay(core::MeasurementState& state, const persistence::Settings& settings,
                                  char decimalSeparator) {
    const auto inputs = ReadPreviewInputs(state, decimalSeparator);
    if (!inputs) {
        return inputs.outcome();
    }
    if (auto placed = CheckPreviewPositions(*inputs); !placed) {
        return core::Outcome::Fail(placed.message() + " Nothing was written.");
    }
    const std::string& location = settings.PreviewOverlayFileLocation;
    if (location.empty()) {
        return core::Outcome::Fail("No file is set for PreviewOverlayFileLocation in the settings.");
    }
    const core::Outcome written =
        persistence::WriteFileAtomically(persistence::PathFromUtf8(location), PreviewText(*inputs));
    if (!written) {
        return written;
    }
    state.ScedNorth[0] = inputs->station.y;
    state.ScedEast[0] = inputs->station.x;
    return core::Outcome::Ok();
}

}  // namespace vantrel::map_outputs
