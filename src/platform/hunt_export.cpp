#include "platform/hunt_export.hpp"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QXmlStreamWriter>

#include <cmath>

#include <algorithm>
#include <cctype>

#include "core/number_text.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "map_outputs/result_overlays.hpp"
#include "persistence/atomic_file.hpp"
#include "quality/quality_text.hpp"

namespace vantrel::platform {
namespace {

struct Place {
    std::string name;
    geodesy::GeoPosition at;
};

struct Ray {
    std::string name;
    geodesy::GeoPosition from;
    geodesy::GeoPosition to;
};

struct Fix {
    Place place;
    std::optional<quality::FixQuality> quality;
    std::string words;  // the quality in words, one line each
};

struct EllipseShape {
    std::string name;                        // "F1 ellipse"
    std::size_t fix = 0;                     // index into Hunt::fixes
    std::vector<geodesy::GeoPosition> ring;  // closed, counterclockwise
};

struct Hunt {
    std::string title;
    double confidence = 0.95;
    std::vector<Place> stations;
    std::vector<Fix> fixes;
    std::vector<Ray> rays;
    std::vector<EllipseShape> ellipses;
};

// Degrees that every one of the three formats can carry.
bool IsGeographic(geodesy::GeoPosition p) {
    return std::isfinite(p.lat) && std::isfinite(p.lon) && std::fabs(p.lat) <= 90 && p.lon >= -180 &&
           p.lon < 180;
}

std::optional<Place> PlaceAt(const std::string& name, double north, double east, geodesy::UtmZone zone,
                             std::vector<std::string>& warnings) {
    const geodesy::GeoPosition at = geodesy::ZoneUtmToLatLon(zone, east, north);
    if (!IsGeographic(at)) {
        warnings.push_back(name + " left out: northing " + core::ShortestText(north) + ", easting " +
                           core::ShortestText(east) + " is not a position on the earth");
        return std::nullopt;
    }
    return Place{name, at};
}

// The outline turned counterclockwise (the outline runs clockwise on the map) and converted; nullopt when a
// point is no position on the earth.
std::optional<std::vector<geodesy::GeoPosition>> EllipseRing(const quality::FixQuality& q,
                                                             geodesy::UtmZone zone) {
    const std::vector<core::PlanePoint> outline = quality::EllipseOutline(q);
    std::vector<geodesy::GeoPosition> ring;
    for (auto p = outline.rbegin(); p != outline.rend(); ++p) {
        ring.push_back(geodesy::ZoneUtmToLatLon(zone, p->x, p->y));
        if (!IsGeographic(ring.back())) {
            return std::nullopt;
        }
    }
    return ring;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

Hunt HuntOf(const core::MeasurementState& state, const HuntExportRequest& request,
            std::vector<std::string>& warnings) {
    Hunt hunt;
    hunt.title = request.title;
    hunt.confidence = request.confidence;
    for (std::size_t s = 0; s < core::kStationCount; ++s) {
        if (auto place = PlaceAt("Scedule " + std::to_string(s + 1), state.ScedNorth[s], state.ScedEast[s],
                                 request.zone, warnings)) {
            hunt.stations.push_back(*place);
        }
    }
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        if (state.ResLat[fox] == "no Match") {
            continue;
        }
        const auto place = PlaceAt("F" + std::to_string(fox + 1), state.FoxNorth[fox], state.FoxEast[fox],
                                   request.zone, warnings);
        if (!place) {
            continue;
        }
        const auto& q = request.quality[fox];
        if (!q) {
            warnings.push_back(place->name +
                               " exported without its quality: the boxes no longer give this fix "
                               "(Calculate again)");
        }
        hunt.fixes.push_back(
            {*place, q,
             q ? Joined(quality::QualityInWords(*q, static_cast<int>(fox), request.confidence, '.'))
               : std::string()});
        const Fix& fix = hunt.fixes.back();
        for (const Place& station : hunt.stations) {
            hunt.rays.push_back({station.name + " - " + fix.place.name, station.at, fix.place.at});
        }
        if (!q || !q->ellipse) {
            continue;
        }
        if (auto ring = EllipseRing(*q, request.zone)) {
            hunt.ellipses.push_back({fix.place.name + " ellipse", hunt.fixes.size() - 1, std::move(*ring)});
        } else {
            warnings.push_back(fix.place.name +
                               "'s ellipse left out: it reaches beyond the positions on the "
                               "earth");
        }
    }
    return hunt;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Degrees(double value) {
    return QString::number(value, 'f', 8);
}

// The quality's numbers by name, in the order of vantrel-cli assess; absent values are left out.
std::vector<std::pair<const char*, double>> QualityNumbers(const quality::FixQuality& q, double confidence) {
    std::vector<std::pair<const char*, double>> numbers{{"northing", q.northing},
                                                        {"easting", q.easting},
                                                        {"crossing", q.crossing},
                                                        {"t1", q.t1},
                                                        {"t2", q.t2}};
    if (q.sigma1) {
        numbers.emplace_back("sigma1", *q.sigma1);
    }
    if (q.sigma2) {
        numbers.emplace_back("sigma2", *q.sigma2);
    }
    if (q.ellipse) {
        numbers.emplace_back("semiMajor", q.ellipse->semiMajor);
        numbers.emplace_back("semiMinor", q.ellipse->semiMinor);
        numbers.emplace_back("azimuth", q.ellipse->azimuth);
        numbers.emplace_back("confidence", confidence);
    }
    return numbers;
}

// ---- GeoJSON ----

QJsonArray JsonPosition(geodesy::GeoPosition p) {
    return QJsonArray{p.lon, p.lat};  // GeoJSON: longitude first
}

QJsonObject Feature(const std::string& name, const char* kind, QJsonObject geometry,
                    QJsonObject properties = {}) {
    properties.insert(QStringLiteral("name"), Text(name));
    properties.insert(QStringLiteral("kind"), Text(kind));
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("Feature")},
                       {QStringLiteral("properties"), properties},
                       {QStringLiteral("geometry"), geometry}};
}

QJsonObject PointGeometry(geodesy::GeoPosition at) {
    return {{QStringLiteral("type"), QStringLiteral("Point")},
            {QStringLiteral("coordinates"), JsonPosition(at)}};
}

QJsonObject QualityProperties(const Fix& fix, double confidence) {
    QJsonObject properties;
    if (!fix.quality) {
        return properties;
    }
    for (const auto& [name, value] : QualityNumbers(*fix.quality, confidence)) {
        properties.insert(QLatin1String(name), value);
    }
    QJsonArray flags;
    const std::string text = fix.quality->FlagsText();
    if (text != "-") {
        for (const QString& flag : Text(text).split(QLatin1Char(','))) {
            flags.append(flag);
        }
    }
    properties.insert(QStringLiteral("flags"), flags);
    properties.insert(QStringLiteral("description"), Text(fix.words));
    return properties;
}

QByteArray GeoJson(const Hunt& hunt) {
    QJsonArray features;
    for (const Place& station : hunt.stations) {
        features.append(Feature(station.name, "station", PointGeometry(station.at)));
    }
    for (const Fix& fix : hunt.fixes) {
        features.append(Feature(fix.place.name, "fix", PointGeometry(fix.place.at),
                                QualityProperties(fix, hunt.confidence)));
    }
    for (const Ray& ray : hunt.rays) {
        features.append(Feature(
            ray.name, "ray",
            {{QStringLiteral("type"), QStringLiteral("LineString")},
             {QStringLiteral("coordinates"), QJsonArray{JsonPosition(ray.from), JsonPosition(ray.to)}}}));
    }
    for (const EllipseShape& ellipse : hunt.ellipses) {
        QJsonArray ring;
        for (const geodesy::GeoPosition& p : ellipse.ring) {
            ring.append(JsonPosition(p));
        }
        features.append(Feature(ellipse.name, "ellipse",
                                {{QStringLiteral("type"), QStringLiteral("Polygon")},
                                 {QStringLiteral("coordinates"), QJsonArray{ring}}},
                                QualityProperties(hunt.fixes[ellipse.fix], hunt.confidence)));
    }
    const QJsonObject collection{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                 {QStringLiteral("features"), features}};
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

// ---- KML ----

QString KmlCoordinates(geodesy::GeoPosition p) {
    return Degrees(p.lon) + QLatin1Char(',') + Degrees(p.lat);
}

void KmlQuality(QXmlStreamWriter& xml, const Fix& fix, double confidence) {
    if (!fix.quality) {
        return;
    }
    xml.writeTextElement(QStringLiteral("description"), Text(fix.words));
    xml.writeStartElement(QStringLiteral("ExtendedData"));
    const auto data = [&xml](const char* name, const QString& value) {
        xml.writeStartElement(QStringLiteral("Data"));
        xml.writeAttribute(QStringLiteral("name"), QLatin1String(name));
        xml.writeTextElement(QStringLiteral("value"), value);
        xml.writeEndElement();
    };
    for (const auto& [name, value] : QualityNumbers(*fix.quality, confidence)) {
        data(name, Text(core::ShortestText(value)));
    }
    data("flags", Text(fix.quality->FlagsText()));
    xml.writeEndElement();
}

void KmlPlacemark(QXmlStreamWriter& xml, const std::string& name, const char* geometry,
                  const QString& coordinates) {
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), Text(name));
    xml.writeStartElement(QLatin1String(geometry));
    xml.writeTextElement(QStringLiteral("coordinates"), coordinates);
    xml.writeEndElement();
    xml.writeEndElement();
}

void KmlFix(QXmlStreamWriter& xml, const Fix& fix, double confidence) {
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), Text(fix.place.name));
    KmlQuality(xml, fix, confidence);
    xml.writeStartElement(QStringLiteral("Point"));
    xml.writeTextElement(QStringLiteral("coordinates"), KmlCoordinates(fix.place.at));
    xml.writeEndElement();
    xml.writeEndElement();
}

void KmlEllipse(QXmlStreamWriter& xml, const EllipseShape& ellipse, const Fix& fix, double confidence) {
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), Text(ellipse.name));
    KmlQuality(xml, fix, confidence);
    xml.writeStartElement(QStringLiteral("Polygon"));
    xml.writeStartElement(QStringLiteral("outerBoundaryIs"));
    xml.writeStartElement(QStringLiteral("LinearRing"));
    QStringList points;
    for (const geodesy::GeoPosition& p : ellipse.ring) {
        points << KmlCoordinates(p);
    }
    xml.writeTextElement(QStringLiteral("coordinates"), points.join(QLatin1Char(' ')));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

QByteArray Kml(const Hunt& hunt) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), Text(hunt.title));
    for (const Place& station : hunt.stations) {
        KmlPlacemark(xml, station.name, "Point", KmlCoordinates(station.at));
    }
    for (const Fix& fix : hunt.fixes) {
        KmlFix(xml, fix, hunt.confidence);
    }
    for (const Ray& ray : hunt.rays) {
        KmlPlacemark(xml, ray.name, "LineString",
                     KmlCoordinates(ray.from) + QLatin1Char(' ') + KmlCoordinates(ray.to));
    }
    for (const EllipseShape& ellipse : hunt.ellipses) {
        KmlEllipse(xml, ellipse, hunt.fixes[ellipse.fix], hunt.confidence);
    }
    xml.writeEndDocument();
    return bytes;
}

// ---- GPX ----

void GpxPoint(QXmlStreamWriter& xml, const QString& element, geodesy::GeoPosition p) {
    xml.writeStartElement(element);
    xml.writeAttribute(QStringLiteral("lat"), Degrees(p.lat));
    xml.writeAttribute(QStringLiteral("lon"), Degrees(p.lon));
}

void GpxWaypoint(QXmlStreamWriter& xml, const Place& place, const std::string& description) {
    GpxPoint(xml, QStringLiteral("wpt"), place.at);
    xml.writeTextElement(QStringLiteral("name"), Text(place.name));
    if (!description.empty()) {
        xml.writeTextElement(QStringLiteral("desc"), Text(description));
    }
    xml.writeEndElement();
}

void GpxRoute(QXmlStreamWriter& xml, const std::string& name, const std::string& description,
              const std::vector<geodesy::GeoPosition>& points) {
    xml.writeStartElement(QStringLiteral("rte"));
    xml.writeTextElement(QStringLiteral("name"), Text(name));
    if (!description.empty()) {
        xml.writeTextElement(QStringLiteral("desc"), Text(description));
    }
    for (const geodesy::GeoPosition& p : points) {
        GpxPoint(xml, QStringLiteral("rtept"), p);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QByteArray Gpx(const Hunt& hunt) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("vantrel-cli"));
    xml.writeStartElement(QStringLiteral("metadata"));
    xml.writeTextElement(QStringLiteral("name"), Text(hunt.title));
    xml.writeEndElement();
    // Waypoints come before routes in a GPX file.
    for (const Place& station : hunt.stations) {
        GpxWaypoint(xml, station, {});
    }
    for (const Fix& fix : hunt.fixes) {
        GpxWaypoint(xml, fix.place, fix.words);
    }
    for (const Ray& ray : hunt.rays) {
        GpxRoute(xml, ray.name, {}, {ray.from, ray.to});
    }
    for (const EllipseShape& ellipse : hunt.ellipses) {
        GpxRoute(xml, ellipse.name, hunt.fixes[ellipse.fix].words, ellipse.ring);
    }
    xml.writeEndDocument();
    return bytes;
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(std::string_view name) {
    if (name == "kml") {
        return ExportFormat::Kml;
    }
    if (name == "geojson") {
        return ExportFormat::GeoJson;
    }
    if (name == "gpx") {
        return ExportFormat::Gpx;
    }
    return std::nullopt;
}

std::optional<ExportFormat> ExportFormatOfPath(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".json") {
        return ExportFormat::GeoJson;
    }
    return extension.empty() ? std::nullopt : ParseExportFormat(std::string_view(extension).substr(1));
}

HuntExport BuildHuntExport(const core::MeasurementState& state, const HuntExportRequest& request,
                           ExportFormat format) {
    HuntExport content;
    const Hunt hunt = HuntOf(state, request, content.warnings);
    QByteArray bytes;
    switch (format) {
        case ExportFormat::Kml:
            bytes = Kml(hunt);
            break;
        case ExportFormat::GeoJson:
            bytes = GeoJson(hunt);
            break;
        case ExportFormat::Gpx:
            bytes = Gpx(hunt);
            break;
    }
    content.bytes.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return content;
}

core::Outcome WriteHuntExport(const std::filesystem::path& path, const HuntExport& content) {
    return persistence::WriteFileAtomically(path, content.bytes);
}

core::Result<std::vector<std::string>> ExportHunt(const persistence::ProgramState& program,
                                                  const quality::QualitySettings& settings,
                                                  geodesy::UtmZone zone, ExportFormat format,
                                                  const std::filesystem::path& path, char decimalSeparator) {
    const core::MeasurementState& state = program.main;
    if (!state.ResultsValid) {
        return core::Outcome::Fail(map_outputs::kNoValidData);
    }
    HuntExportRequest request;
    request.zone = zone;
    request.quality = quality::AssessFixes(state, program.RxReadings, settings, decimalSeparator);
    request.confidence = settings.confidence;
    request.title = std::filesystem::path(state.DataFileName).filename().string();
    HuntExport content = BuildHuntExport(state, request, format);
    if (const core::Outcome written = WriteHuntExport(path, content); !written) {
        return written;
    }
    return std::move(content.warnings);
}

}  // namespace vantrel::platform
