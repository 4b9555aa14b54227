#include "render/hunt_scene.hpp"

#include "core/cross_fix.hpp"
#include "views/rays.hpp"

namespace vantrel::render {
namespace {

constexpr const char* kNoMatch = "no Match";

// Reads a box; a box that is not a number is noted in the scene's problems.
std::optional<double> Read(const core::MeasurementState& state, core::BoxId id, char separator,
                           HuntScene& scene) {
    const auto value = core::ReadBox(state, id, separator);
    if (!value) {
        scene.problems.push_back(value.message());
        return std::nullopt;
    }
    return *value;
}

void AddReadings(SceneStation& station, const instruments::RxReadings& readings, double baseAngle) {
    const int k = station.number - 1;
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
            const instruments::RxReading& reading = readings(k, fox, row);
            if (reading.Valid != 0) {
                station.readings.push_back({fox, core::AbsoluteBearing(reading.Angle, baseAngle), 1});
            }
        }
    }
}

void AddStation(int number, const core::MeasurementState& state, const instruments::RxReadings& readings,
                char separator, HuntScene& scene) {
    const auto north = Read(state, {number, core::BoxKind::Northing, 0}, separator, scene);
    const auto east = Read(state, {number, core::BoxKind::Easting, 0}, separator, scene);
    if (!north || !east) {
        return;
    }
    SceneStation station{number, {*east, *north}, {}, {}};
    const auto base = Read(state, {number, core::BoxKind::BaseAngle, 0}, separator, scene);
    if (base) {
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            const auto bearing = Read(state, {number, core::BoxKind::Bearing, fox}, separator, scene);
            const auto signal = Read(state, {number, core::BoxKind::Signal, fox}, separator, scene);
            if (bearing && signal) {
                station.rays.push_back({fox, core::AbsoluteBearing(*bearing, *base), views::RayWidth(*signal)});
            }
        }
        AddReadings(station, readings, *base);
    }
    scene.stations.push_back(std::move(station));
}

}  // namespace

std::vector<maps::XY> HuntScene::Positions() const {
    std::vector<maps::XY> points;
    for (const SceneStation& station : stations) {
        points.push_back(station.position);
    }
    for (const SceneFix& fix : fixes) {
        points.push_back(fix.position);
    }
    return points;
}

HuntScene BuildScene(const core::MeasurementState& state, const instruments::RxReadings& readings,
                     char decimalSeparator) {
    HuntScene scene;
    AddStation(1, state, readings, decimalSeparator, scene);
    AddStation(2, state, readings, decimalSeparator, scene);
    if (state.ResultsValid) {
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            const auto i = static_cast<std::size_t>(fox);
            if (state.ResLat[i] != kNoMatch) {
                scene.fixes.push_back({fox, {state.FoxEast[i], state.FoxNorth[i]}, false, {}, {}});
            }
        }
    }
    return scene;
}

}  // namespace vantrel::render
