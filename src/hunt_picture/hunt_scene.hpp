#pragma once

// What the hunt picture shows, taken from the measurement state as it stands: the stations and their rays
// from the station boxes, the fixes of the last Calculate, and the receiver readings. Only what exists is
// in it: a station whose boxes still hold the start-up position (E 0, N 0) or nothing has no position, and
// a fox a station did not take (bearing box empty, or bearing and signal at their start-up 0 with no
// reading) has no ray there unless Calculate made a fix of it. Positions are in the
// hunt's UTM zone (x = easting, y = northing, metres). Plain C++: the window and vantrel-cli build the same
// scene and hand it to the one drawing routine.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/measurement_state.hpp"
#include "hunt_picture/bearing_log_layer.hpp"
#include "hunt_picture/heat_layer.hpp"
#include "hunt_picture/hunt_at_time.hpp"
#include "instruments/rx_readings.hpp"
#include "maps/view_geometry.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::hunt_picture {

struct SceneRay {
    int fox = 0;         // 0..4
    double bearing = 0;  // absolute, degrees clockwise from grid north, as Calculate forms it
    int width = 2;       // pixels, by the fox's signal value as the rays display draws it
};

struct SceneStation {
    int number = 1;  // 1 or 2, shown as P1 / P2
    core::PlanePoint position;
    std::vector<SceneRay> rays;      // one per fox whose bearing (and signal) box is a number
    std::vector<SceneRay> readings;  // every valid receiver reading, thin
};

// How a fix is drawn, from its quality flags.
enum class FixStyle {
    Good,         // no flag: a solid disc, a solid ellipse
    Approximate,  // approximate, acute or scattered: a solid disc, a dashed ellipse
    Unreliable,   // unreliable or behind a station: a hollow disc with a warning badge, a dotted ellipse
};

struct SceneFix {
    int fox = 0;
    core::PlanePoint position;
    bool behindStation = false;  // behind Scedule 1 or 2
    FixStyle style = FixStyle::Good;
    std::string flagWords;  // the flags in a few words for beside the label: "behind P1, acute"
    std::vector<core::PlanePoint>
        ellipse;              // the confidence ellipse's closed outline; empty when there is none
    double ellipseMajor = 0;  // the ellipse's semi-major axis, metres (0 without one)
    std::string quality;      // what hovering the fix shows
};

struct HuntScene {
    std::vector<SceneStation> stations;
    std::vector<SceneFix> fixes;
    // The boxes that are not numbers, so their items are left out: "Scedule 1, F3 bearing is not a number".
    std::vector<std::string> problems;
    // The hunt's bearing log: every logged ray and the many-bearing fixes (empty without a log). Filled by
    // whoever has the log; BuildScene leaves it empty.
    BearingLogLayer bearingLog;
    // One fox's likelihood map (the heat layer); nothing when none was asked for. Built by whoever has the
    // log (in the background in the window); immutable once built, so scenes and drawing threads share it.
    std::shared_ptr<const HeatLayer> heat;
    // A followed or replayed log at one moment (the live map, replay, training); none otherwise. Filled by
    // the window that follows the log; BuildScene leaves it empty.
    std::optional<HuntAtTime> huntAtTime;

    // Every station and fix position, the bearing log's and the hunt at a time's included (what the view is
    // fitted to).
    [[nodiscard]] std::vector<core::PlanePoint> Positions() const;
    // Nothing to draw: no station with a position, no fix, no logged bearing and no hunt at a time.
    [[nodiscard]] bool Empty() const {
        return stations.empty() && fixes.empty() && bearingLog.Empty() &&
               (!huntAtTime || huntAtTime->Empty());
    }
};

// The stations and rays from the boxes; the fixes from the last Calculate (FoxEast/FoxNorth of the foxes
// whose result is not "no Match"; none before the first Calculate), each with its quality where the boxes
// still give the fix shown: the ellipse at settings.confidence, the behind-a-station flag, the tooltip.
HuntScene BuildScene(const core::MeasurementState& state, const instruments::RxReadings& readings,
                     const quality::QualitySettings& settings, char decimalSeparator);

// The style of a fix with these flags.
FixStyle StyleOf(const quality::FixQuality& fix);
// The flags in a few words, stations named as on the map: "behind P1, acute"; empty without a flag.
std::string FlagWords(const quality::FixQuality& fix);

// What hovering a fix shows: its position, then its quality in words (flags first).
std::string QualityText(int fox, const quality::FixQuality& fix, double confidence, char decimalSeparator);

}  // namespace vantrel::hunt_picture
