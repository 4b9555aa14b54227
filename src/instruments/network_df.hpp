#pragma once

// The text a network direction-finding server publishes over HTTP: its latest bearing per tuned channel, one
// CSV line per channel, in channel order and unlabelled. The fields, in this order:
//
//    0 time          epoch milliseconds
//    1 bearing       degrees clockwise from the antenna array's reference direction
//    2 confidence    a decimal number, larger is surer
//    3 power         dB
//    4 frequency     Hz
//    5 array type    text
//    6 latency       ms
//    7 station id    text
//    8 latitude      degrees; 0 together with a longitude of 0 means "no position"
//    9 longitude     degrees
//   10 heading       of the array, degrees true; empty when the server has none
//   11 heading       a second copy of it: read past
//   12 "GPS"         the literal text
//   13..16 "R"       four reserved literals
//   17..             the direction spectrum (360 values normally)
//
// Numbers are integers or decimals ("134", "134.0"), always with '.' whatever the locale.
//
// The server rewrites that file in place for every frame, so a poll can catch a line half written, or the
// leftover tail of a longer earlier frame behind a shorter new one. Such a line is skipped and counted, never
// returned: fewer than 17 fields, "GPS" not in field 12, a number field that is not a number (time, bearing,
// confidence, power, frequency, latency, latitude, longitude; heading when not empty), a bearing outside
// [0, 360], a spectrum value that is not a number or more than 360 of them (a frame's tail run on), or a time
// older than the newest line of the same body (a whole line left over from an earlier frame). Empty lines are
// not lines. Cost is linear in the body.
//
// Plain functions over values: callable from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::instruments {

struct DfChannel {            // one line of the server's file
    std::int64_t timeMs = 0;  // epoch milliseconds
    double bearing = 0;       // degrees clockwise from the array's reference direction, [0, 360)
    double confidence = 0;
    double powerDb = 0;
    double frequencyHz = 0;
    std::string arrayType;
    double latencyMs = 0;
    std::string stationId;
    std::optional<double> lat, lon;  // nullopt when the server wrote 0 and 0 (no position)
    std::optional<double> heading;   // array heading, degrees true; nullopt when not given
    std::vector<double> spectrum;    // the direction spectrum as sent (360 values normally)

    friend bool operator==(const DfChannel&, const DfChannel&) = default;
};

struct DfText {
    std::vector<DfChannel> channels;    // the good lines, in the body's order
    std::size_t skipped = 0;            // lines refused
    std::vector<std::string> problems;  // one per refused line: "line 2: fewer than 17 fields"
};

// The fields before the spectrum; a line with fewer is not a channel.
inline constexpr std::size_t kDfFieldsBeforeSpectrum = 17;
// More spectrum values than this on one line is a frame with a longer earlier one's tail run on.
inline constexpr std::size_t kDfMaxSpectrum = 360;

// The whole file body, one channel per line (LF or CR LF); the last line needs no line end. A bearing of
// exactly 360 is returned as 0.
DfText ParseDfText(std::string_view body);

// One channel in the server's layout, '.' decimal, no line end: no position is written 0,0 and no heading
// as empty fields. ParseDfText reads it back to the same channel.
std::string FormatDfLine(const DfChannel& channel);

}  // namespace vantrel::instruments
