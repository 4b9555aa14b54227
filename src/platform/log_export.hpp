#pragma once

// The hunt's bearing log added to an exported KML, GeoJSON or GPX document: every logged ray (from where
// it was taken, along its bearing, as far as 1.2 times the distance to its fox's many-bearing fix, or 5 km
// without one), each fox's many-bearing fix with its spread, and its ellipse. Rays carry the fox, the log
// id, the station, the bearing, the weight, the residual and the flags (rejected, behind, ignored).
// Positions are folded in the log's own zone and converted to WGS84 with the exact transverse Mercator.
//
// The document is the finished export (platform/hunt_export): the log's items are added to it, inside
// the KML's Document as a Folder "Bearing log", as Features of kind "log ray", "log fix", "log ellipse" in
// the GeoJSON, and as waypoints (before the routes) and routes in the GPX. Nothing of the document is
// changed otherwise.
//
// Plain functions of their arguments: any thread may call them.

#include <filesystem>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "locate/locate.hpp"
#include "platform/hunt_export.hpp"

namespace vantrel::platform {

// `document` with the log of `logPath` added; the log's reading warnings are appended to `warnings`.
// Fails when the log cannot be read or the document is not of the format's shape.
core::Result<std::string> WithBearingLog(const std::string& document, ExportFormat format,
                                         const std::filesystem::path& logPath, const locate::Options& options,
                                         std::vector<std::string>& warnings);

// Reads the export written at `exportPath`, adds the log, and writes it again atomically.
core::Outcome AddBearingLogToExport(const std::filesystem::path& exportPath, ExportFormat format,
                                    const std::filesystem::path& logPath, const locate::Options& options,
                                    std::vector<std::string>& warnings);

}  // namespace vantrel::platform
