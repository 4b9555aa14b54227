#pragma once

// The one writer of bearing logs. Every event is one append of one line, flushed to the disk (fdatasync,
// FlushFileBuffers) before Append... reports success: after a crash or a pulled cable the log holds every
// event reported as logged, and at most the one being written is lost (its torn line is left in the file;
// the next append first ends it with a line end so the new event stands on a line of its own). Nothing is
// ever rewritten: ignoring or noting a bearing appends an edit.
//
// A new log is created with its header through the atomic file helper, so it exists complete or not at
// all. Its zone (see ZoneOfNewLog): the hunt's when the hunt has one, else the one the user gave, else
// the standard UTM zone of its first position. Every bearing's position is stored as latitude/longitude
// and as easting/northing in the log's zone (exact transverse Mercator), whatever zone it came in.
//
// Several writers (the window, `vantrel-cli log --add`, in other processes) may append to one log: each
// append takes an exclusive lock and first reads what others appended since, so bearing ids stay unique
// and increasing. A log may grow to kMostLogBytes; an append beyond is refused.
//
// One LogWriter belongs to one thread at a time. Times come from the caller: the logic reads no clock.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/outcome.hpp"
#include "geodesy/utm_conv.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_log/events.hpp"
#include "hunt_log/log_file.hpp"

namespace vantrel::hunt_log {

// The standard UTM zone of a position (with the Norway and Svalbard exceptions; any longitude, folded
// into [-180, 180)); nullopt outside 80 S .. 84 N or for a non-finite position.
std::optional<geodesy::UtmZone> StandardZone(double lat, double lon);

// The zone of a new log: the hunt's, else `given`, else the standard zone of `firstPosition`. Fails when
// none of them gives one.
core::Result<geodesy::UtmZone> ZoneOfNewLog(const std::optional<geodesy::UtmZone>& huntZone,
                                            const std::optional<geodesy::UtmZone>& given,
                                            const std::optional<geodesy::GeoPosition>& firstPosition);

// A bearing to log. Its position as latitude/longitude (WGS84 degrees); a position read in a zone's grid
// becomes one through geodesy::ZoneUtmToLatLon.
struct NewBearing {
    TimeMs time = 0;
    int fox = 1;  // 1..5
    std::string station;
    double lat = 0;      // [-80, 84]: where UTM holds
    double lon = 0;      // [-180, 180]
    double bearing = 0;  // [0, 360]
    Reference reference = Reference::Grid;
    double sigma = kUnknown;  // (0, 90] or unknown (NaN)
    std::string source = "typed";
    std::uint32_t readings = 1;  // >= 1
};

// Checks a bearing before it is logged; the message names the field ("fox 7 is not 1..5").
core::Outcome CheckNewBearing(const NewBearing& bearing);

class LogWriter {
  public:
    // Opens the log at `path` for appending. A missing file (or one that holds no complete line: a log
    // whose creation was cut short) is created with a header of zone `zoneIfNew` and time `now`; without
    // `zoneIfNew` a missing log is an error. An existing file must start with a header.
    static core::Result<LogWriter> Open(const std::filesystem::path& path,
                                        const std::optional<geodesy::UtmZone>& zoneIfNew, TimeMs now);

    [[nodiscard]] const Header& header() const { return header_; }
    [[nodiscard]] bool Created() const { return created_; }
    // The id the last bearing of the log has (0 for none), as far as this writer has seen.
    [[nodiscard]] std::uint64_t LastId() const { return lastId_; }

    // Each appends one event and returns once it is on the disk. AppendBearing returns the new id.
    core::Result<std::uint64_t> AppendBearing(const NewBearing& bearing);
    core::Outcome AppendPosition(const PositionEvent& position);
    core::Outcome AppendEdit(const EditEvent& edit);

  private:
    LogWriter(AppendFile file, Header header, bool created)
        : file_(std::move(file)), header_(header), created_(created) {}

    // Reads what was appended since this writer last looked (ids, the last byte).
    core::Outcome CatchUp(std::uintmax_t size);
    // Appends one line built once the lock is held and the log's end is known.
    template <class MakeLine>
    core::Outcome AppendLine(const char* what, MakeLine makeLine);

    AppendFile file_;
    Header header_;
    bool created_ = false;
    std::uint64_t lastId_ = 0;
    std::uintmax_t knownSize_ = 0;
    bool endsWithLineEnd_ = true;
};

}  // namespace vantrel::hunt_log
