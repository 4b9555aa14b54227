#include "map_outputs/result_overlays.hpp"

#include <filesystem>
#include <string>

#include "map_outputs/overlay_writer.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::map_outputs {
namespace {

constexpr int kRaySize = 103;

core::PlanePoint Station(const core::MeasurementState& state, std::size_t index) {
    return {state.ScedEast[index], state.ScedNorth[index]};
}

core::PlanePoint Fix(const core::MeasurementState& state, std::size_t fox) {
    return {state.FoxEast[fox], state.FoxNorth[fox]};
}

core::Outcome WriteOverlayFile(const std::string& location, const char* settingName,
                               const std::string& text) {
    if (location.empty()) {
        return core::Outcome::Fail(std::string("No file is set for ") + settingName + " in the settings.");
    }
    return persistence::WriteFileAtomically(persistence::PathFromUtf8(location), text);
}

// Every point the two files place: both stations and the five fixes, "no Match" foxes at their stored
// position as always.
core::Outcome CheckResultPositions(const core::MeasurementState& state) {
    for (std::size_t station = 0; station < core::kStationCount; ++station) {
        const std::string name = "Scedule " + std::to_string(station + 1);
        if (auto placed = CheckMapPosition(Station(state, station), name); !placed) {
            return placed;
        }
    }
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        if (auto placed = CheckMapPosition(Fix(state, fox), "F" + std::to_string(fox + 1)); !placed) {
            return placed;
        }
    }
    return core::Outcome::Ok();
}

}  // namespace

std::string FoxSymbolsOverlayText(const core::MeasurementState& state) {
    OverlayWriter writer;
    int number = 1;
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        const std::string bitmap = "C:\\Vantrel\\F" + std::to_string(fox + 1) + ".bmp";
        writer.BitmapSymbol(number++, bitmap, Fix(state, fox));
    }
    writer.BitmapSymbol(number++, "C:\\Vantrel\\P1.bmp", Station(state, 0));
    writer.BitmapSymbol(number, "C:\\Vantrel\\P2.bmp", Station(state, 1));
    writer.BlankLines(2);
    writer.OverlaySection(number);
    return writer.text();
}

std::string RaysOverlayText(const core::MeasurementState& state) {
    OverlayWriter writer;
    int number = 0;
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        for (std::size_t station = 0; station < core::kStationCount; ++station) {
            writer.LineSymbol(++number, kFoxColours[fox], kRaySize, Station(state, station), Fix(state, fox));
        }
    }
    writer.BlankLines(1);
    writer.OverlaySection(number);
    writer.BlankLines(1);
    writer.MapLage(Station(state, 1));
    return writer.text();
}

core::Outcome WriteOverlays(const core::MeasurementState& state, const persistence::Settings& settings) {
    if (!state.ResultsValid) {
        return core::Outcome::Fail(kNoValidData);
    }
    if (auto placed = CheckResultPositions(state); !placed) {
        return core::Outcome::Fail(placed.message() + " Nothing was written.");
    }
    const std::string foxes = FoxSymbolsOverlayText(state);
    const std::string rays = RaysOverlayText(state);
    const core::Outcome foxesWritten =
        WriteOverlayFile(settings.FoxesFileLocation, "FoxesFileLocation", foxes);
    if (!foxesWritten) {
        return foxesWritten;
    }
    const core::Outcome raysWritten = WriteOverlayFile(settings.RaysFileLocation, "RaysFileLocation", rays);
    if (!raysWritten) {
        return core::Outcome::Fail(
            persistence::WithoutNothingWritten(raysWritten.message()) + ". The fox symbols overlay \"" +
            persistence::DisplayPath(persistence::PathFromUtf8(settings.FoxesFileLocation)) +
            "\" has already been written.");
    }
    return core::Outcome::Ok();
}

}  // namespace vantrel::map_outputs
