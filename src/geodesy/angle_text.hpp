// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Angles as people type them from a map's margin or a GPS screen: decimal degrees, or degrees, minutes and
// seconds with a hemisphere letter or a sign.
//
//   52.52   -13,4   52.52N   52°31'12.5"N   52 31 12.5 N   N 52 31 12.5   -13°24'   13d 24m W   52°31.2'
//
// The parts are separated by blanks and/or their marks: degrees ° º d, minutes ' ′ m, seconds " ″ '' s
// (letters in either case). Parts without marks take the next place in the order degrees, minutes, seconds;
// marked parts must come in that order. Only the last part may have decimals (with the given decimal
// separator, or ',' or '.'), minutes and seconds lie below 60. A hemisphere letter stands first or last: N or
// S for a latitude, E or W (or O, as some maps print east) for a longitude; S and W make the angle negative.
// A sign and a hemisphere letter together, or a letter of the other axis, are refused. A single number
// without marks is read as decimal degrees with the regional reading (exponent allowed). The range of the
// result (90 or 180 degrees) is the caller's to check.

#include <optional>
#include <string_view>

namespace vantrel::geodesy {

enum class AngleAxis { Latitude, Longitude };

// The angle in decimal degrees, north and east positive; nullopt for text that is no angle of this form.
std::optional<double> ReadAngle(std::string_view text, AngleAxis axis, char decimalSeparator);

}  // namespace vantrel::geodesy
