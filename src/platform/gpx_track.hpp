#pragma once

// A GPS logger's track as a GPX 1.1 file (<gpx><trk><trkseg><trkpt lat=".." lon=".."><time>..</time>):
// its points as hunt-log positions, so a drive logged elsewhere can be shown and replayed with bearings
// typed afterwards. Elevation and every other element are ignored; course and speed stay unknown.
//
// Bounded and honest: a file of at most kMostGpxBytes, at most kMostGpxPoints points. A point without a
// time, or whose lat/lon is not a number in range, or whose time is no ISO 8601 UTC time, is left out and
// named with its line and element; a file that is not well-formed XML, has no <gpx> root, or holds no
// usable point fails with a message naming the file, the line and what is wrong.
//
// Plain functions of their arguments: any thread may call them.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/outcome.hpp"
#include "hunt_log/events.hpp"

namespace vantrel::platform {

inline constexpr std::size_t kMostGpxBytes = 64u << 20;
inline constexpr std::size_t kMostGpxPoints = 1'000'000;

struct GpxTrack {
    std::vector<hunt_log::PositionEvent> points;  // in file order
    std::size_t leftOut = 0;                      // points left out; the first 20 named in `problems`
    std::vector<std::string> problems;
};

// Reads `bytes` as GPX; `name` names the file in messages.
core::Result<GpxTrack> ParseGpxTrack(std::string_view bytes, const std::string& name);
core::Result<GpxTrack> ReadGpxTrack(const std::filesystem::path& path);

}  // namespace vantrel::platform
