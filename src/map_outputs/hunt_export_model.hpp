#pragma once

// What an export of the hunt holds, before any file format: the stations, the fixes with their quality,
// the rays from each station to each fix, each fix's error ellipse, in WGS84 degrees, and the style of
// each (the colours of the hunt picture). The KML, GeoJSON and GPX writers in platform only put this into
// their syntax, so the three formats always carry the same hunt.
//
// Positions convert from the hunt's UTM zone with the exact transverse Mercator of geodesy (not the
// zone-32 series the map application's files keep), each checked first:
// - a position that is no place on the earth (northing outside 0..10,000 km, easting beyond the zone's
//   reach, not finite, or not converting back to itself) is left out with a warning;
// - a position that lands far outside the zone's latitude band (geodesy::BandProblem) is left out and
//   listed in `outsideZone`: the hunt was measured in another zone, and the command refuses the export.
// A fix behind a station is exported like any other, flagged.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "geodesy/utm_zone.hpp"
#include "maps/map_style.hpp"
#include "persistence/program_state.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::map_outputs {

using FixQualities = std::array<std::optional<quality::FixQuality>, core::kFoxCount>;

// The colour of the station symbols in the hunt picture (dark triangles).
inline constexpr maps::StyleRgb kStationColour = maps::kStationMapColour;
// How opaque an ellipse's fill is in the hunt picture (alpha 50 of 255): the map shows through.
inline constexpr double kEllipseFillOpacity = 0.2;
inline constexpr int kLineWidth = 2;  // pixels: rays and ellipse outlines

// One style: the stations' or one fox's (its rays, fix and ellipse).
struct ExportStyle {
    std::string id;  // "station", "fox1" .. "fox5"
    maps::StyleRgb colour;
};

// The style id of a fox (0..4): "fox1" .. "fox5"; of the stations: "station".
std::string FoxStyleId(int fox);
inline constexpr const char* kStationStyleId = "station";

struct ExportStation {
    std::string name;  // the hunt's name of the station: P1, P2
    geodesy::GeoPosition at;
};

struct ExportFix {
    int fox = 0;       // 0..4
    std::string name;  // F1 .. F5
    geodesy::GeoPosition at;
    std::optional<quality::FixQuality> quality;
    // The quality's numbers by name in the order of vantrel-cli assess (absent values left out); empty
    // without a quality.
    std::vector<std::pair<std::string, double>> numbers;
    std::vector<std::string> flags;  // quality::FixQuality::FlagNames
    std::string words;               // the quality in words, one line each
};

struct ExportRay {
    std::string name;  // "P1 - F2"
    int fox = 0;
    geodesy::GeoPosition from;
    geodesy::GeoPosition to;
};

struct ExportEllipse {
    std::string name;                        // "F1 ellipse"
    std::size_t fix = 0;                     // index into HuntExportModel::fixes
    std::vector<geodesy::GeoPosition> ring;  // closed (73 points), counterclockwise
};

struct HuntExportRequest {
    geodesy::UtmZone zone;     // the zone the state's eastings and northings are in
    FixQualities quality;      // quality::AssessFixes of the state; a fox without one gets no ellipse
    double confidence = 0.95;  // the probability the ellipses hold, as the quality was assessed
    std::string title;         // names the document: the measurement file's name
    // The hunt's names of its stations, as the hunt picture labels them.
    std::array<std::string, core::kStationCount> stationNames{"P1", "P2"};
};

struct HuntExportModel {
    std::string title;
    double confidence = 0.95;
    std::vector<ExportStyle> styles;  // the stations' (when there is one) and each exported fox's
    std::vector<ExportStation> stations;
    std::vector<ExportFix> fixes;
    std::vector<ExportRay> rays;
    std::vector<ExportEllipse> ellipses;
    // What was left out, one line each: "F2 left out: northing ... lies outside 0 to 10,000 km",
    // "F3's ellipse left out: ...", "F4 exported without its quality: ..." (a fox without one).
    std::vector<std::string> warnings;
    // The positions far outside the zone's band (geodesy::BandProblem), left out too.
    std::vector<std::string> outsideZone;

    [[nodiscard]] bool Empty() const { return stations.empty() && fixes.empty(); }
};

// The model of the state after Calculate. Foxes without a fix ("no Match") are left out.
HuntExportModel BuildHuntExportModel(const core::MeasurementState& state, const HuntExportRequest& request);

// The export of the program state, as vantrel-cli export and File > Export build it: "No Valid Data."
// before the first Calculate; otherwise the fixes' quality from the state and its readings, the document
// named after DataFileName's file name.
core::Result<HuntExportModel> HuntExportOfProgram(const persistence::ProgramState& program,
                                                  const quality::QualitySettings& settings,
                                                  geodesy::UtmZone zone, char decimalSeparator);

}  // namespace vantrel::map_outputs
