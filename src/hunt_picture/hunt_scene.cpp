#include "hunt_picture/hunt_scene.hpp"

#include <cmath>

#include "core/cross_fix.hpp"
#include "core/number_text.hpp"
#include "picture_tools/rays.hpp"
#include "quality/quality_text.hpp"

namespace vantrel::hunt_picture {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

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

// A station's position, or nothing while its boxes hold the start-up 0 / 0 or are empty.
std::optional<core::PlanePoint> StationPosition(int number, const core::MeasurementState& state,
                                                char separator, HuntScene& scene) {
    const core::BoxId northBox{number, core::BoxKind::Northing, 0};
    const core::BoxId eastBox{number, core::BoxKind::Easting, 0};
    if (Trimmed(core::Box(state, northBox)).empty() && Trimmed(core::Box(state, eastBox)).empty()) {
        return std::nullopt;
    }
    const auto north = Read(state, northBox, separator, scene);
    const auto east = Read(state, eastBox, separator, scene);
    if (!north || !east || (*north == 0 && *east == 0)) {
        return std::nullopt;
    }
    return core::PlanePoint{*east, *north};
}

bool HasReading(const instruments::RxReadings& readings, int station, int fox) {
    for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
        if (readings(station - 1, fox, row).Valid != 0) {
            return true;
        }
    }
    return false;
}

// A fox the station did not take: its bearing box empty, or bearing and signal still at the start-up 0
// with no reading behind them.
bool Unused(const core::MeasurementState& state, const instruments::RxReadings& readings, int station,
            int fox, char separator) {
    const std::string bearing = Trimmed(core::Box(state, {station, core::BoxKind::Bearing, fox}));
    if (bearing.empty()) {
        return true;
    }
    const auto angle = core::ReadBox(state, {station, core::BoxKind::Bearing, fox}, separator);
    const auto signal = core::ReadBox(state, {station, core::BoxKind::Signal, fox}, separator);
    return angle && *angle == 0 && (!signal || *signal == 0) && !HasReading(readings, station, fox);
}

void AddStation(int number, const core::MeasurementState& state, const instruments::RxReadings& readings,
                char separator, const std::array<bool, core::kFoxCount>& hasFix, HuntScene& scene) {
    const auto position = StationPosition(number, state, separator, scene);
    if (!position) {
        return;
    }
    SceneStation station{number, *position, {}, {}};
    const auto base = Read(state, {number, core::BoxKind::BaseAngle, 0}, separator, scene);
    if (base) {
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            if (!hasFix[static_cast<std::size_t>(fox)] && Unused(state, readings, number, fox, separator)) {
                continue;
            }
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

std::vector<core::PlanePoint> HuntScene::Positions() const {
    std::vector<core::PlanePoint> points;
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
    if (huntAtTime) {
        for (const TimedRay& ray : huntAtTime->rays) {
            points.push_back(ray.station);
        }
        points.insert(points.end(), huntAtTime->track.begin(), huntAtTime->track.end());
        for (const LogFix& fix : huntAtTime->fixes) {
            points.push_back(fix.position);
        }
        for (const TruthMark& truth : huntAtTime->truth) {
            points.push_back(truth.position);
        }
    }
    return points;
}

FixStyle StyleOf(const quality::FixQuality& fix) {
    if (fix.unreliable || fix.behind1 || fix.behind2) {
        return FixStyle::Unreliable;
    }
    if (fix.approximate || fix.acute || fix.scattered1 || fix.scattered2) {
        return FixStyle::Approximate;
    }
    return FixStyle::Good;
}

std::string FlagWords(const quality::FixQuality& fix) {
    std::string words;
    const auto add = [&words](bool flag, const char* word) {
        if (flag) {
            words += (words.empty() ? "" : ", ") + std::string(word);
        }
    };
    add(fix.behind1, "behind P1");
    add(fix.behind2, "behind P2");
    add(fix.acute, "acute");
    add(fix.approximate, "approximate");
    add(fix.unreliable, "unreliable");
    add(fix.scattered1, "scattered P1");
    add(fix.scattered2, "scattered P2");
    return words;
}

HuntScene BuildScene(const core::MeasurementState& state, const instruments::RxReadings& readings,
                     const quality::QualitySettings& settings, char decimalSeparator) {
    HuntScene scene;
    std::array<bool, core::kFoxCount> hasFix{};
    if (state.ResultsValid) {
        const auto qualities = quality::AssessFixes(state, readings, settings, decimalSeparator);
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            const auto i = static_cast<std::size_t>(fox);
            if (state.ResLat[i] == core::kNoMatch) {
                continue;
            }
            hasFix[i] = true;
            SceneFix fix;
            fix.fox = fox;
            fix.position = {state.FoxEast[i], state.FoxNorth[i]};
            if (const auto& q = qualities[i]) {
                fix.behindStation = q->behind1 || q->behind2;
                fix.style = StyleOf(*q);
                fix.flagWords = FlagWords(*q);
                if (q->ellipse) {
                    fix.ellipseMajor = q->ellipse->semiMajor;
                    fix.ellipse = quality::EllipseOutline(*q);
                }
                fix.quality = QualityText(fox, *q, settings.confidence, decimalSeparator);
            }
            scene.fixes.push_back(std::move(fix));
        }
    }
    // Stations first in the scene, as they are drawn below the fixes' labels.
    HuntScene stations;
    AddStation(1, state, readings, decimalSeparator, hasFix, stations);
    AddStation(2, state, readings, decimalSeparator, hasFix, stations);
    scene.stations = std::move(stations.stations);
    scene.problems = std::move(stations.problems);
    return scene;
}

}  // namespace vantrel::hunt_picture
