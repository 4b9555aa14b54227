#pragma once

// The files that lie beside a map picture and belong to it: its world file, its .prj, and what else GDAL
// looks for when it opens the picture (.aux.xml, .ovr, .msk, ...). Nothing that is not a regular file may
// be opened: a named pipe put there as x.pgw would block the reader for ever. Internal to vantrel_gdal;
// no GDAL here.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/outcome.hpp"

namespace vantrel::platform {

// The world files GDAL and GIS programs look for beside a picture, in that order: for "x.png" x.pgw,
// x.pngw, x.wld, then each in upper case.
std::vector<std::filesystem::path> WorldFileCandidates(const std::filesystem::path& picture);
// x.prj, x.PRJ.
std::vector<std::filesystem::path> PrjCandidates(const std::filesystem::path& picture);

// The first candidate that exists (links followed). One that exists but is not a regular file is refused
// with a message naming it: "the <kind> \"x.pgw\" is not a regular file (a named pipe)".
core::Result<std::optional<std::filesystem::path>> FindSidecar(
    const std::vector<std::filesystem::path>& candidates, std::string_view kind);

// The names of the regular files (links followed) in the folder of `file`, `file`'s own name always among
// them: the only names GDAL is told exist beside the file, so that it never opens anything else there.
std::vector<std::string> RegularSiblings(const std::filesystem::path& file);

}  // namespace vantrel::platform
