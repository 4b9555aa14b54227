#include "platform/gpx_track.hpp"

#include <QByteArray>
#include <QXmlStreamReader>

#include <fstream>
#include <optional>
#include <system_error>

#include "persistence/file_access.hpp"

namespace vantrel::platform {
namespace {

constexpr std::size_t kMostProblems = 20;

struct PointRead {
    hunt_log::PositionEvent point;
    std::string problem;  // empty when the point is usable
};

std::optional<double> Coordinate(const QXmlStreamAttributes& attributes, const char* name, double limit) {
    bool ok = false;
    const double value = attributes.value(QLatin1String(name)).toDouble(&ok);  // '.' always, as XML has it
    if (!ok || !(value >= -limit && value <= limit)) {
        return std::nullopt;
    }
    return value;
}

// Reads one <trkpt> up to its end tag; the reader stands on its start tag.
PointRead ReadPoint(QXmlStreamReader& xml) {
    PointRead read;
    const auto lat = Coordinate(xml.attributes(), "lat", 90);
    const auto lon = Coordinate(xml.attributes(), "lon", 180);
    std::optional<hunt_log::TimeMs> time;
    bool timeSeen = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("time")) {
            timeSeen = true;
            time = hunt_log::ParseUtcText(xml.readElementText().trimmed().toStdString());
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!lat || !lon) {
        read.problem = "its lat or lon is not a number in range";
    } else if (!timeSeen) {
        read.problem = "it has no <time>";
    } else if (!time) {
        read.problem = "its <time> is no ISO 8601 time";
    } else {
        read.point.lat = *lat;
        read.point.lon = *lon;
        read.point.time = *time;
    }
    return read;
}

}  // namespace

core::Result<GpxTrack> ParseGpxTrack(std::string_view bytes, const std::string& name) {
    const std::string quoted = "\"" + name + "\"";
    if (bytes.size() > kMostGpxBytes) {
        return core::Result<GpxTrack>::Fail(quoted +
                                            " is larger than 64 MiB; a GPX track may be at most that");
    }
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("gpx")) {
        if (xml.hasError()) {
            return core::Result<GpxTrack>::Fail(quoted + " is not well-formed XML (line " +
                                                std::to_string(xml.lineNumber()) + ": " +
                                                xml.errorString().toStdString() + ")");
        }
        return core::Result<GpxTrack>::Fail(quoted + " is no GPX file: its root element is not <gpx>");
    }
    GpxTrack track;
    while (!xml.atEnd() && track.points.size() < kMostGpxPoints) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("trkpt")) {
            continue;
        }
        const auto line = xml.lineNumber();
        const PointRead point = ReadPoint(xml);
        if (point.problem.empty()) {
            track.points.push_back(point.point);
            continue;
        }
        ++track.leftOut;
        if (track.problems.size() < kMostProblems) {
            track.problems.push_back("the <trkpt> at line " + std::to_string(line) + " of " + quoted +
                                     " was left out: " + point.problem);
        }
    }
    if (xml.hasError()) {
        return core::Result<GpxTrack>::Fail(
            quoted + " is not well-formed XML (line " + std::to_string(xml.lineNumber()) + ", in <" +
            xml.name().toString().toStdString() + ">: " + xml.errorString().toStdString() + ")");
    }
    if (track.points.empty()) {
        return core::Result<GpxTrack>::Fail(quoted + " holds no track point with a position and a time" +
                                            (track.problems.empty() ? "" : ": " + track.problems.front()));
    }
    return track;
}

core::Result<GpxTrack> ReadGpxTrack(const std::filesystem::path& path) {
    const std::string name = persistence::DisplayPath(path);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return core::Result<GpxTrack>::Fail("Could not read \"" + name + "\": " + error.message());
    }
    if (size > kMostGpxBytes) {
        return core::Result<GpxTrack>::Fail("\"" + name +
                                            "\" is larger than 64 MiB; a GPX track may be at most that");
    }
    std::ifstream file(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!file || !file.read(bytes.data(), static_cast<std::streamsize>(size))) {
        return core::Result<GpxTrack>::Fail("Could not read \"" + name + "\"");
    }
    return ParseGpxTrack(bytes, name);
}

}  // namespace vantrel::platform
