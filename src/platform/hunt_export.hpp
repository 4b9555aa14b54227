#pragma once

// The hunt for other map software: the stations, the fixes with their quality, the rays from each station
// to each fix and each fix's error ellipse, in WGS84, as KML, GeoJSON or GPX. One builder for vantrel-cli's
// export and the window's File > Export, so both write the same bytes for the same state.
//
// Positions convert from the hunt's UTM zone with the exact transverse Mercator of geodesy (not the
// zone-32 series the map application's files keep). Per format:
// - KML: a Placemark per station, fix, ray and ellipse (a Polygon of 72 points, closed, counterclockwise);
//   fixes and ellipses carry the quality in words as <description> and the numbers and flags as
//   <ExtendedData>.
// - GeoJSON: a Feature per station, fix, ray and ellipse (Polygon, counterclockwise as RFC 7946 asks); the
//   quality numbers, the flags (an array of names) and the words are properties of the fix and the ellipse.
// - GPX: waypoints for the stations and fixes (the words as <desc>), routes for the rays, and each ellipse
//   as a closed route of 73 points.
// A fix behind a station is exported like any other, flagged.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "persistence/program_state.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::platform {

enum class ExportFormat { Kml, GeoJson, Gpx };

// "kml", "geojson" or "gpx" (as typed on the command line); nullopt for anything else.
std::optional<ExportFormat> ParseExportFormat(std::string_view name);

// The format a file name asks for by its extension (any letter case): .kml, .geojson or .json, .gpx.
std::optional<ExportFormat> ExportFormatOfPath(const std::filesystem::path& path);

using FixQualities = std::array<std::optional<quality::FixQuality>, core::kFoxCount>;

struct HuntExportRequest {
    geodesy::UtmZone zone;     // the zone the state's eastings and northings are in
    FixQualities quality;      // quality::AssessFixes of the state; a fox without one gets no ellipse
    double confidence = 0.95;  // the probability the ellipses hold, as the quality was assessed
    std::string title;         // names the document: the measurement file's name
};

struct HuntExport {
    std::string bytes;
    // What was left out, one line each: "F2 left out: northing ..., easting ... is not a position on the
    // earth", "F3's ellipse left out: ...", "F4 exported without its quality: ..." (a fox without one).
    std::vector<std::string> warnings;
};

// The file's content for the state after Calculate. Foxes without a fix ("no Match") are left out, and so
// is every position that does not convert to a place on the earth (a warning says which).
HuntExport BuildHuntExport(const core::MeasurementState& state, const HuntExportRequest& request,
                           ExportFormat format);

// Writes the bytes atomically; a failure names the file and the reason.
core::Outcome WriteHuntExport(const std::filesystem::path& path, const HuntExport& content);

// Export of the program state, as vantrel-cli export and File > Export run it: "No Valid Data." before the
// first Calculate (nothing is written); otherwise the fixes' quality from the state and its readings, the
// document named after DataFileName's file name, written atomically to `path`. Returns the warnings of
// what was left out.
core::Result<std::vector<std::string>> ExportHunt(const persistence::ProgramState& program,
                                                  const quality::QualitySettings& settings,
                                                  geodesy::UtmZone zone, ExportFormat format,
                                                  const std::filesystem::path& path, char decimalSeparator);

}  // namespace vantrel::platform
