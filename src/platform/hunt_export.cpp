#include "platform/hunt_export.hpp"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QXmlStreamWriter>

#include <cmath>

#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"
#include "persistence/atomic_file.hpp"

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

struct Hunt {
    std::string title;
    std::vector<Place> stations;
    std::vector<Place> fixes;
    std::vector<Ray> rays;
};

// Degrees that every one of the three formats can carry.
bool IsGeographic(geodesy::GeoPosition p) {
    return std::isfinite(p.lat) && std::isfinite(p.lon) && std::fabs(p.lat) <= 90 && p.lon >= -180 &&
           p.lon < 180;
}

std::optional<Place> PlaceAt(const std::string& name, double north, double east,
                             std::vector<std::string>& warnings) {
    const geodesy::GeoPosition at = geodesy::UtmToLatLon(north, east, 32);
    if (!IsGeographic(at)) {
        warnings.push_back(name + " left out: northing " + core::ShortestText(north) + ", easting " +
                           core::ShortestText(east) + " is not a position on the earth");
        return std::nullopt;
    }
    return Place{name, at};
}

Hunt HuntOf(const core::MeasurementState& state, std::string title, std::vector<std::string>& warnings) {
    Hunt hunt;
    hunt.title = std::move(title);
    for (std::size_t s = 0; s < core::kStationCount; ++s) {
        if (auto place = PlaceAt("Scedule " + std::to_string(s + 1), state.ScedNorth[s], state.ScedEast[s],
                                 warnings)) {
            hunt.stations.push_back(*place);
        }
    }
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        if (state.ResLat[fox] == "no Match") {
            continue;
        }
        const auto fix =
            PlaceAt("F" + std::to_string(fox + 1), state.FoxNorth[fox], state.FoxEast[fox], warnings);
        if (!fix) {
            continue;
        }
        hunt.fixes.push_back(*fix);
        for (const Place& station : hunt.stations) {
            hunt.rays.push_back({station.name + " - " + fix->name, station.at, fix->at});
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

QJsonArray JsonPosition(geodesy::GeoPosition p) {
    return QJsonArray{p.lon, p.lat};  // GeoJSON: longitude first
}

QJsonObject Feature(const std::string& name, const char* kind, QJsonObject geometry) {
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("Feature")},
                       {QStringLiteral("properties"), QJsonObject{{QStringLiteral("name"), Text(name)},
                                                                  {QStringLiteral("kind"), Text(kind)}}},
                       {QStringLiteral("geometry"), geometry}};
}

QJsonObject PointFeature(const Place& place, const char* kind) {
    return Feature(place.name, kind,
                   {{QStringLiteral("type"), QStringLiteral("Point")},
                    {QStringLiteral("coordinates"), JsonPosition(place.at)}});
}

QByteArray GeoJson(const Hunt& hunt) {
    QJsonArray features;
    for (const Place& station : hunt.stations) {
        features.append(PointFeature(station, "station"));
    }
    for (const Place& fix : hunt.fixes) {
        features.append(PointFeature(fix, "fix"));
    }
    for (const Ray& ray : hunt.rays) {
        features.append(Feature(
            ray.name, "ray",
            {{QStringLiteral("type"), QStringLiteral("LineString")},
             {QStringLiteral("coordinates"), QJsonArray{JsonPosition(ray.from), JsonPosition(ray.to)}}}));
    }
    const QJsonObject collection{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                 {QStringLiteral("features"), features}};
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

QString KmlCoordinates(geodesy::GeoPosition p) {
    return Degrees(p.lon) + QLatin1Char(',') + Degrees(p.lat);
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

QByteArray Kml(const Hunt& hunt) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), Text(hunt.title));
    for (const auto* places : {&hunt.stations, &hunt.fixes}) {
        for (const Place& place : *places) {
            KmlPlacemark(xml, place.name, "Point", KmlCoordinates(place.at));
        }
    }
    for (const Ray& ray : hunt.rays) {
        KmlPlacemark(xml, ray.name, "LineString",
                     KmlCoordinates(ray.from) + QLatin1Char(' ') + KmlCoordinates(ray.to));
    }
    xml.writeEndDocument();
    return bytes;
}

void GpxPoint(QXmlStreamWriter& xml, const QString& element, geodesy::GeoPosition p) {
    xml.writeStartElement(element);
    xml.writeAttribute(QStringLiteral("lat"), Degrees(p.lat));
    xml.writeAttribute(QStringLiteral("lon"), Degrees(p.lon));
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
    for (const auto* places : {&hunt.stations, &hunt.fixes}) {
        for (const Place& place : *places) {
            GpxPoint(xml, QStringLiteral("wpt"), place.at);
            xml.writeTextElement(QStringLiteral("name"), Text(place.name));
            xml.writeEndElement();
        }
    }
    for (const Ray& ray : hunt.rays) {
        xml.writeStartElement(QStringLiteral("rte"));
        xml.writeTextElement(QStringLiteral("name"), Text(ray.name));
        GpxPoint(xml, QStringLiteral("rtept"), ray.from);
        xml.writeEndElement();
        GpxPoint(xml, QStringLiteral("rtept"), ray.to);
        xml.writeEndElement();
        xml.writeEndElement();
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

HuntExport BuildHuntExport(const core::MeasurementState& state, const std::string& title,
                           ExportFormat format) {
    HuntExport content;
    const Hunt hunt = HuntOf(state, title, content.warnings);
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

}  // namespace vantrel::platform
