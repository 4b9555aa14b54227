#pragma once

// The hunt for other map software as KML, GeoJSON or GPX: the syntax of the three formats over the one
// model of map_outputs/hunt_export_model (what is exported, where, in which style). vantrel-cli export and
// the window's File > Export both write through here, so they write the same bytes for the same state.
// Per format:
// - KML: a <Style> for the stations and one per exported fox (icon, line and polygon colours as the hunt
//   picture draws them); a Placemark per station, fix, ray and ellipse (an outlined, lightly filled Polygon
//   of 73 points, closed, counterclockwise), each pointing at its style; fixes and ellipses carry the
//   quality in words as <description> and the numbers and flags as <ExtendedData>.
// - GeoJSON: a Feature per station, fix, ray and ellipse (Polygon, counterclockwise as RFC 7946 asks), styled
//   by the simplestyle properties web maps read (marker-color; stroke, stroke-width; fill, fill-opacity);
//   the quality numbers, the flags (an array of names) and the words are properties of the fix and the
//   ellipse.
// - GPX: waypoints for the stations and fixes (<sym> Flag / Pin, <type> station / fix, the words as
//   <desc>), routes for the rays and each ellipse as a closed route (<type> ray / ellipse).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "map_outputs/hunt_export_model.hpp"

namespace vantrel::platform {

enum class ExportFormat { Kml, GeoJson, Gpx };

// "kml", "geojson" or "gpx" (as typed on the command line); nullopt for anything else.
std::optional<ExportFormat> ParseExportFormat(std::string_view name);

// The format a file name asks for by its extension (any letter case): .kml, .geojson or .json, .gpx.
std::optional<ExportFormat> ExportFormatOfPath(const std::filesystem::path& path);

// The file's bytes for the model.
std::string HuntExportBytes(const map_outputs::HuntExportModel& model, ExportFormat format);

// Writes the model's file atomically. A model in which every position was left out is refused and nothing
// is written; a failure names the file and the reason.
core::Outcome WriteHuntExport(const std::filesystem::path& path, const map_outputs::HuntExportModel& model,
                              ExportFormat format);

}  // namespace vantrel::platform
