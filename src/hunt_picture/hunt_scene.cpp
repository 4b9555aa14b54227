#include "hunt_picture/hunt_scene.hpp"

#include <cmath>

#include "core/cross_fix.hpp"
#include "core/number_text.hpp"
#include "picture_tools/rays.hpp"
#include "quality/quality_text.hpp"

namespace vantrel::hunt_picture {
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
                station.rays.push_back(
                    {fox, core::AbsoluteBearing(*bearing, *base), picture_tools::RayWidth(*signal)});
            }
        }
        AddReadings(station, readings, *base);
    }
    scene.stations.push_back(std::move(station));
}

// A number with one decimal ("#0.0") or none.
std::string Number(double value, bool tenths, char separator) {
    return core::FormatPattern(value, tenths ? "#0.0" : "#0", separator);
}

}  // namespace

std::string QualityText(int fox, const quality::FixQuality& fix, double confidence, char separator) {
    std::string text = "F" + std::to_string(fox + 1) + ": E " + Number(fix.easting, true, separator) +
                       ", N " + Number(fix.northing, true, separator);
    for (const std::string& line : quality::QualityInWords(fix, fox, confidence, separator)) {
        text += "\n" + line;
    }
    return text;
}

std::vector<maps::XY> HuntScene::Positions() const {
    std::vector<maps::XY> points;
    for (const SceneStation& station : stations) {
        points.push_back(station.position);
    }
    for (const SceneFix& fix : fixes) {
        points.push_back(fix.position);
    }
    points.insert(points.end(), bearingLog.stations.begin(), bearingLog.stations.end());
    for (const LogFix& fix : bearingLog.fixes) {
        points.push_back(fix.position);
    }
    return points;
}

HuntScene BuildScene(const core::MeasurementState& state, const instruments::RxReadings& readings,
                     const quality::QualitySettings& settings, char decimalSeparator) {
    HuntScene scene;
    AddStation(1, state, readings, decimalSeparator, scene);
    AddStation(2, state, readings, decimalSeparator, scene);
    if (!state.ResultsValid) {
        return scene;
    }
    const auto qualities = quality::AssessFixes(state, readings, settings, decimalSeparator);
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        const auto i = static_cast<std::size_t>(fox);
        if (state.ResLat[i] == kNoMatch) {
            continue;
        }
        SceneFix fix{fox, {state.FoxEast[i], state.FoxNorth[i]}, false, {}, {}};
        if (const auto& q = qualities[i]) {
            fix.behindStation = q->behind1 || q->behind2;
            if (q->ellipse) {
                for (const geodesy::ZonePoint& p : quality::EllipseOutline(*q)) {
                    fix.ellipse.push_back({p.easting, p.northing});
                }
            }
            fix.quality = QualityText(fox, *q, settings.confidence, decimalSeparator);
        }
        scene.fixes.push_back(std::move(fix));
    }
    return scene;
}

}  // namespace vantrel::hunt_picture
