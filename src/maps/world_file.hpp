#pragma once

// World files (.pgw, .jgw, .tfw, .wld, ...): six numbers, one a line, that place a picture on a map:
//   A  x size of a pixel            (c[1])
//   D  rotation term for y          (c[4])
//   B  rotation term for x          (c[2])
//   E  y size of a pixel, negative for a picture stored north up   (c[5])
//   C  x of the CENTRE of the upper-left pixel
//   F  y of the CENTRE of the upper-left pixel
// The numbers use '.' as decimal point. A world file names no CRS; a .prj beside it may.

#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "maps/geo_transform.hpp"

namespace vantrel::maps {

// Reads the text of a world file. Blank lines at the end and a final line break are allowed; any other
// line count, a line that is not a number, a number out of range (beyond 1e12, or a pixel side shorter than
// 1e-12 but not zero, where computing with it overflows or underflows), or a transform without inverse (a
// zero pixel size, parallel pixel axes) is refused with a message that says which line and what is wrong (the
// caller adds the file name in front).
core::Result<GeoTransform> ReadWorldFile(std::string_view text);

// The six lines of a world file for `transform`, each number in its shortest form that reads back exactly,
// '\n' after each.
std::string WorldFileText(const GeoTransform& transform);

}  // namespace vantrel::maps
