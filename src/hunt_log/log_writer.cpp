#include "hunt_log/log_writer.hpp"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "core/number_text.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/line_scan.hpp"
#include "hunt_log/log_reader.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::hunt_log {
namespace {

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + persistence::DisplayPath(path) + "\"";
}

bool Within(double value, double low, double high) {
    return std::isfinite(value) && value >= low && value <= high;
}

// What a scan of (part of) a log found: its header (when the scan began at the start) and its last id.
struct LogEnd {
    std::optional<Header> header;
    core::Outcome headerOutcome = core::Outcome::Fail("it is empty");
    std::uint64_t lastId = 0;
    ScanEnd end;
};

core::Result<LogEnd> ScanForIds(const std::filesystem::path& path, std::uintmax_t from, std::uintmax_t to) {
    LogEnd found;
    LineDecoder decoder;
    DecodedLine line;
    const LineSink sink{[&](std::uint64_t number, std::string_view text) {
                            const core::Outcome decoded = decoder.Decode(text, line);
                            if (from == 0 && number == 1) {
                                found.headerOutcome = !decoded ? decoded
                                                      : line.kind == LineKind::Header
                                                          ? core::Outcome::Ok()
                                                          : core::Outcome::Fail("it is no header");
                                if (found.headerOutcome) {
                                    found.header = line.header;
                                }
                            } else if (decoded && line.kind == LineKind::Bearing) {
                                found.lastId = std::max(found.lastId, line.bearing.id);
                            }
                        },
                        [](std::uint64_t) {}};
    const auto scanned = ScanLines(path, from, to, kMostLineBytes, sink);
    if (!scanned) {
        return scanned.outcome();
    }
    found.end = *scanned;
    return found;
}

core::Outcome CreateLog(const std::filesystem::path& path, const Header& header) {
    return persistence::WriteFileAtomically(path, EncodeHeader(header) + "\n");
}

}  // namespace

std::optional<geodesy::UtmZone> StandardZone(double lat, double lon) {
    if (!Within(lat, -80, 84) || !std::isfinite(lon)) {
        return std::nullopt;
    }
    return geodesy::ParseUtmZone(geodesy::LatLonToUtm(lat, lon).zone);
}

core::Result<geodesy::UtmZone> ZoneOfNewLog(const std::optional<geodesy::UtmZone>& huntZone,
                                            const std::optional<geodesy::UtmZone>& given,
                                            const std::optional<geodesy::GeoPosition>& firstPosition) {
    if (huntZone) {
        return *huntZone;
    }
    if (given) {
        return *given;
    }
    if (firstPosition) {
        if (const auto zone = StandardZone(firstPosition->lat, firstPosition->lon)) {
            return *zone;
        }
    }
    return core::Result<geodesy::UtmZone>::Fail(
        "a new bearing log needs a zone: give one (32U) or a position");
}

core::Outcome CheckNewBearing(const NewBearing& b) {
    auto fail = [](const std::string& what, double value, const char* range) {
        return core::Outcome::Fail(what + " " + core::ShortestText(value) + " is not " + range);
    };
    if (b.fox < 1 || b.fox > kFoxCount) {
        return fail("fox", b.fox, "1..5");
    }
    if (!Within(b.lat, -80, 84)) {
        return fail("latitude", b.lat, "within -80..84 (where UTM holds)");
    }
    if (!Within(b.lon, -180, 180)) {
        return fail("longitude", b.lon, "within -180..180");
    }
    if (!Within(b.bearing, 0, 360)) {
        return fail("bearing", b.bearing, "within 0..360");
    }
    if (!std::isnan(b.sigma) && !(Within(b.sigma, 0, 90) && b.sigma > 0)) {
        return fail("sigma", b.sigma, "above 0 and at most 90");
    }
    if (b.readings < 1) {
        return fail("readings", b.readings, "at least 1");
    }
    return core::Outcome::Ok();
}

core::Result<LogWriter> LogWriter::Open(const std::filesystem::path& path,
                                        const std::optional<geodesy::UtmZone>& zoneIfNew, TimeMs now) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    std::optional<LogEnd> existing;
    if (exists) {
        auto scanned = ScanForIds(path, 0, kMostLogBytes);
        if (!scanned) {
            return scanned.outcome();
        }
        existing = std::move(*scanned);
    }
    const bool unfinished = existing && existing->end.lines == 0;
    bool created = false;
    if (!exists || unfinished) {
        if (!zoneIfNew) {
            return core::Result<LogWriter>::Fail(exists ? Quoted(path) + " holds no bearing log yet"
                                                        : Quoted(path) + " does not exist");
        }
        const Header header{kFormatVersion, *zoneIfNew, now};
        if (auto written = CreateLog(path, header); !written) {
            return written;
        }
        existing = LogEnd{header, core::Outcome::Ok(), 0, {EncodeHeader(header).size() + 1, 1, false}};
        created = true;
    }
    if (!existing->header) {
        return core::Result<LogWriter>::Fail(Quoted(path) +
                                             " is no bearing log: its first line is no header (" +
                                             existing->headerOutcome.message() + ")");
    }
    auto file = AppendFile::Open(path);
    if (!file) {
        return file.outcome();
    }
    LogWriter writer(std::move(*file), *existing->header, created);
    writer.lastId_ = existing->lastId;
    writer.knownSize_ = existing->end.bytes;
    writer.endsWithLineEnd_ = !existing->end.torn;
    return writer;
}

core::Outcome LogWriter::CatchUp(std::uintmax_t size) {
    if (size < knownSize_) {
        return core::Outcome::Fail(Quoted(file_.path()) +
                                   " was shortened by another program; nothing more is logged in it");
    }
    if (size == knownSize_) {
        return core::Outcome::Ok();
    }
    const auto found = ScanForIds(file_.path(), knownSize_, size);
    if (!found) {
        return found.outcome();
    }
    lastId_ = std::max(lastId_, found->lastId);
    knownSize_ += found->end.bytes;
    endsWithLineEnd_ = !found->end.torn;
    return core::Outcome::Ok();
}

template <class MakeLine>
core::Outcome LogWriter::AppendLine(const char* what, MakeLine makeLine) {
    if (auto locked = file_.Lock(); !locked) {
        return locked;
    }
    struct Unlocker {
        AppendFile& file;
        ~Unlocker() { file.Unlock(); }
    } unlocker{file_};
    const auto size = file_.Size();
    if (!size) {
        return size.outcome();
    }
    if (auto caught = CatchUp(*size); !caught) {
        return caught;
    }
    std::string bytes = endsWithLineEnd_ ? "" : "\n";
    bytes += makeLine();
    bytes += '\n';
    if (*size + bytes.size() > kMostLogBytes) {
        return core::Outcome::Fail(std::string("The ") + what + " was not logged: " + Quoted(file_.path()) +
                                   " is full (256 MiB); start a new log");
    }
    if (auto appended = file_.AppendAndSync(bytes); !appended) {
        return appended;
    }
    knownSize_ = *size + bytes.size();
    endsWithLineEnd_ = true;
    return core::Outcome::Ok();
}

core::Result<std::uint64_t> LogWriter::AppendBearing(const NewBearing& bearing) {
    if (auto checked = CheckNewBearing(bearing); !checked) {
        return checked;
    }
    std::uint64_t id = 0;
    const auto appended = AppendLine("bearing", [&] {
        BearingEvent event;
        id = event.id = lastId_ + 1;
        event.time = bearing.time;
        event.fox = static_cast<std::uint8_t>(bearing.fox);
        event.lat = bearing.lat;
        event.lon = bearing.lon;
        event.zone = header_.zone;
        const geodesy::ZonePoint point = geodesy::ZoneLatLonToUtm(header_.zone, bearing.lat, bearing.lon);
        event.easting = point.easting;
        event.northing = point.northing;
        event.bearing = bearing.bearing;
        event.reference = bearing.reference;
        event.sigma = bearing.sigma;
        event.readings = bearing.readings;
        return EncodeBearing(event, bearing.station, bearing.source);
    });
    if (!appended) {
        return appended;
    }
    lastId_ = id;
    return id;
}

core::Outcome LogWriter::AppendPosition(const PositionEvent& position) {
    if (!Within(position.lat, -90, 90) || !Within(position.lon, -180, 180)) {
        return core::Outcome::Fail("The track point lies nowhere on the earth");
    }
    return AppendLine("track point", [&] { return EncodePosition(position); });
}

core::Outcome LogWriter::AppendEdit(const EditEvent& edit) {
    if (edit.id < 1) {
        return core::Outcome::Fail("An edit must name a bearing id (1 or more)");
    }
    return AppendLine("edit", [&] { return EncodeEdit(edit); });
}

}  // namespace vantrel::hunt_log
