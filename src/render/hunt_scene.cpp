#include "render/hunt_scene.hpp"

#include <cmath>

#include "core/cross_fix.hpp"
#include "core/number_text.hpp"
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
                station.rays.push_back(
                    {fox, core::AbsoluteBearing(*bearing, *base), views::RayWidth(*signal)});
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

std::string Distance(double metres, char separator) {
    return std::abs(metres) >= 10000 ? Number(metres / 1000, true, separator) + " km"
                                     : Number(metres, false, separator) + " m";
}

}  // namespace

std::vector<maps::XY> EllipsePoints(maps::XY centre, const quality::Ellipse& ellipse, int points) {
    const maps::XY major = maps::BearingDirection(ellipse.azimuth);
    const maps::XY minor{major.y, -major.x};
    std::vector<maps::XY> outline;
    outline.reserve(static_cast<std::size_t>(points) + 1);
    for (int i = 0; i < points; ++i) {
        const double t = 2 * core::kPi15 * i / points;
        const double a = ellipse.semiMajor * std::cos(t);
        const double b = ellipse.semiMinor * std::sin(t);
        outline.push_back({centre.x + a * major.x + b * minor.x, centre.y + a * major.y + b * minor.y});
    }
    outline.push_back(outline.front());
    return outline;
}

std::string QualityText(int fox, const quality::FixQuality& fix, double confidence, char separator) {
    std::string text = "F" + std::to_string(fox + 1) + ": E " + Number(fix.easting, true, separator) +
                       ", N " + Number(fix.northing, true, separator) + "\n";
    text += "crossing " + Number(fix.crossing, true, separator) + "\u00B0, ranges " +
            Distance(fix.t1, separator) + " / " + Distance(fix.t2, separator) + "\n";
    if (fix.ellipse) {
        text += Number(confidence * 100, false, separator) + " % ellipse " +
                Distance(fix.ellipse->semiMajor, separator) + " x " +
                Distance(fix.ellipse->semiMinor, separator) + ", major axis " +
                Number(fix.ellipse->azimuth, false, separator) + "\u00B0\n";
    } else {
        text += "no ellipse: a station's readings are scattered\n";
    }
    text += "flags: " + fix.FlagsText();
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
                fix.ellipse = EllipsePoints(fix.position, *q->ellipse);
            }
            fix.quality = QualityText(fox, *q, settings.confidence, decimalSeparator);
        }
        scene.fixes.push_back(std::move(fix));
    }
    return scene;
}

}  // namespace vantrel::render
