#pragma once

// The hunt for other map software: the stations, the fixes and the rays from each station to each fix, in
// WGS84, as KML, GeoJSON or GPX. One builder for vantrel-cli's export and the window's File > Export, so
// both write the same bytes for the same state.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"

namespace vantrel::platform {

enum class ExportFormat { Kml, GeoJson, Gpx };

// "kml", "geojson" or "gpx" (as typed on the command line); nullopt for anything else.
std::optional<ExportFormat> ParseExportFormat(std::string_view name);

struct HuntExport {
    std::string bytes;
    // What was left out, one line each: "F2 left out: northing ..., easting ... is not a position on the
    // earth".
    std::vector<std::string> warnings;
};

// The file's content for the state after Calculate. Foxes without a fix ("no Match") are left out, and so
// is every position that does not convert to a place on the earth (a warning says which). `title` names
// the document (the measurement file's name).
HuntExport BuildHuntExport(const core::MeasurementState& state, const std::string& title,
                           ExportFormat format);

// Writes the bytes atomically; a failure names the file and the reason.
core::Outcome WriteHuntExport(const std::filesystem::path& path, const HuntExport& content);

}  // namespace vantrel::platform
