#pragma once

// The events of a hunt's bearing log (NAME.fhl): one JSON object per line, UTF-8, appended in the order
// they happen and never rewritten. The first line is the header; after it come bearings, track points and
// edits (an edit ignores a bearing, takes it back, or notes it: the bearing's own line stays as it was).
// A simulated hunt's log holds, right after the header, one truth line per fox: where the fox really was.
// Truth lines are no events (the state at a time does not see them); a log of a real hunt has none.
//
//   {"type":"header","version":1,"zone":"32U","created":"2026-12-08T14:05:22.123Z"}
//   {"type":"truth","fox":1,"lat":50.123456789,"lon":9.123456789}
//   {"type":"bearing","id":1,"time":"...","fox":2,"station":"Station 1","lat":50.5,"lon":9.25,
//    "zone":"32U","easting":517757.348,"northing":5593178.093,"bearing":123.5,"reference":"grid",
//    "sigma":3.2,"source":"receiver","readings":4}
//   {"type":"position","time":"...","lat":50.5,"lon":9.25,"course":80,"speed":12.5}
//   {"type":"edit","time":"...","id":1,"ignore":true,"note":"reflection off the barn"}
//
// Units: degrees (latitude north, longitude east, bearings and courses clockwise from north, sigma),
// metres (easting, northing), metres per second (speed); times UTC, ISO 8601 with milliseconds. `sigma`,
// `course` and `speed` may be missing (unknown). Event types and fields this program does not know are
// left in the file and skipped when reading, so a log of a newer program still opens.
//
// Everything here is plain data; it may be copied between threads freely.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "geodesy/utm_zone.hpp"

namespace vantrel::hunt_log {

inline constexpr int kFormatVersion = 1;
inline constexpr int kFoxCount = 5;
inline constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

// Milliseconds since 1970-01-01T00:00:00Z. The logic never reads a clock: callers pass the time.
using TimeMs = std::int64_t;

// "2026-12-08T14:05:22.123Z". Years 0..9999.
std::string UtcText(TimeMs time);

// Reads "YYYY-MM-DDTHH:MM:SS[.fraction](Z|+HH:MM|-HH:MM)"; the fraction is cut to milliseconds (a 't' or a
// blank in place of the 'T' and a 'z' are accepted too). Anything else, a date that does not exist, or a
// time outside the years 0..9999 once the offset is taken off: nullopt.
std::optional<TimeMs> ParseUtcText(std::string_view text);

// What north a bearing is measured from: the grid north of the log's zone (a bearing measured on the map),
// or true north (GPS course, compass, network receivers).
enum class Reference : std::uint8_t { Grid, True };

std::string_view ReferenceText(Reference reference);  // "grid", "true"

struct Header {
    int version = kFormatVersion;
    geodesy::UtmZone zone;
    TimeMs created = 0;
};

struct BearingEvent {
    std::uint64_t id = 0;  // 1, 2, ... in the order the bearings were logged; edits name it
    TimeMs time = 0;
    double lat = 0;
    double lon = 0;
    double easting = 0;  // in `zone`, which the reader makes the log's zone
    double northing = 0;
    double bearing = 0;       // [0, 360]
    double sigma = kUnknown;  // degrees, >= 0; NaN when unknown
    geodesy::UtmZone zone;
    std::uint32_t readings = 1;  // readings averaged into the bearing
    std::uint32_t station = 0;   // index into Log::labels
    std::uint32_t source = 0;    // index into Log::labels: "typed", "receiver", a format name, "network"
    std::uint8_t fox = 1;        // 1..5
    Reference reference = Reference::Grid;

    [[nodiscard]] bool HasSigma() const { return !std::isnan(sigma); }
};

// A point of the hunter's track.
struct PositionEvent {
    TimeMs time = 0;
    double lat = 0;
    double lon = 0;
    double course = kUnknown;  // degrees from true north; NaN when unknown
    double speed = kUnknown;   // m/s; NaN when unknown
};

// A change to a logged bearing: ignore it (true), take it back (false), and/or note it. A note replaces
// the bearing's earlier note; an empty note clears it.
struct EditEvent {
    std::uint64_t id = 0;
    TimeMs time = 0;
    std::optional<bool> ignore;
    std::optional<std::string> note;
};

// Where a fox of a simulated hunt really was (WGS84 degrees).
struct TruthFox {
    int fox = 1;  // 1..5
    double lat = 0;
    double lon = 0;

    friend bool operator==(const TruthFox&, const TruthFox&) = default;
};

using Event = std::variant<BearingEvent, PositionEvent, EditEvent>;

TimeMs TimeOf(const Event& event);

// A whole log in memory. Station labels and sources repeat on almost every bearing, so each distinct text
// is held once in `labels` and the bearings hold its index (kept small: a million events fit in a few
// hundred megabytes).
struct Log {
    Header header;
    std::vector<Event> events;    // in file order
    std::vector<TruthFox> truth;  // in file order; empty for a real hunt
    std::vector<std::string> labels{""};

    [[nodiscard]] const std::string& Label(std::uint32_t index) const { return labels.at(index); }
};

}  // namespace vantrel::hunt_log
