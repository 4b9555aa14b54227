#include "platform/hunt_export.hpp"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/number_text.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::platform {
namespace {

using map_outputs::ExportEllipse;
using map_outputs::ExportFix;
using map_outputs::ExportRay;
using map_outputs::ExportStation;
using map_outputs::HuntExportModel;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Degrees(double value) {
    return QString::number(value, 'f', 8);
}

// "#1e1e1e": the simplestyle form of a colour.
QString HexColour(maps::StyleRgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return QString::fromLatin1(text);
}

// "ff1e1e1e": KML's aabbggrr form.
QString KmlColour(maps::StyleRgb c, int alpha = 255) {
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", alpha, c.b, c.g, c.r);
    return QString::fromLatin1(text);
}

maps::StyleRgb FoxColourOf(const HuntExportModel& model, int fox) {
    const std::string id = map_outputs::FoxStyleId(fox);
    for (const map_outputs::ExportStyle& style : model.styles) {
        if (style.id == id) {
            return style.colour;
        }
    }
    return maps::kFoxMapColours.at(static_cast<std::size_t>(fox));
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

QJsonObject QualityProperties(const ExportFix& fix) {
    QJsonObject properties;
    if (!fix.quality) {
        return properties;
    }
    for (const auto& [name, value] : fix.numbers) {
        properties.insert(Text(name), value);
    }
    QJsonArray flags;
    for (const std::string& flag : fix.flags) {
        flags.append(Text(flag));
    }
    properties.insert(QStringLiteral("flags"), flags);
    properties.insert(QStringLiteral("description"), Text(fix.words));
    return properties;
}

// simplestyle: a point's marker, a line's stroke, a polygon's stroke and fill.
QJsonObject MarkerStyle(maps::StyleRgb colour, QJsonObject properties = {}) {
    properties.insert(QStringLiteral("marker-color"), HexColour(colour));
    return properties;
}

QJsonObject StrokeStyle(maps::StyleRgb colour, QJsonObject properties = {}) {
    properties.insert(QStringLiteral("stroke"), HexColour(colour));
    properties.insert(QStringLiteral("stroke-width"), map_outputs::kLineWidth);
    return properties;
}

QJsonObject FillStyle(maps::StyleRgb colour, QJsonObject properties) {
    properties = StrokeStyle(colour, std::move(properties));
    properties.insert(QStringLiteral("fill"), HexColour(colour));
    properties.insert(QStringLiteral("fill-opacity"), map_outputs::kEllipseFillOpacity);
    return properties;
}

QByteArray GeoJson(const HuntExportModel& model) {
    QJsonArray features;
    for (const ExportStation& station : model.stations) {
        features.append(Feature(station.name, "station", PointGeometry(station.at),
                                MarkerStyle(map_outputs::kStationColour)));
    }
    for (const ExportFix& fix : model.fixes) {
        features.append(Feature(fix.name, "fix", PointGeometry(fix.at),
                                MarkerStyle(FoxColourOf(model, fix.fox), QualityProperties(fix))));
    }
    for (const ExportRay& ray : model.rays) {
        features.append(Feature(
            ray.name, "ray",
            {{QStringLiteral("type"), QStringLiteral("LineString")},
             {QStringLiteral("coordinates"), QJsonArray{JsonPosition(ray.from), JsonPosition(ray.to)}}},
            StrokeStyle(FoxColourOf(model, ray.fox))));
    }
    for (const ExportEllipse& ellipse : model.ellipses) {
        QJsonArray ring;
        for (const geodesy::GeoPosition& p : ellipse.ring) {
            ring.append(JsonPosition(p));
        }
        const ExportFix& fix = model.fixes[ellipse.fix];
        features.append(Feature(ellipse.name, "ellipse",
                                {{QStringLiteral("type"), QStringLiteral("Polygon")},
                                 {QStringLiteral("coordinates"), QJsonArray{ring}}},
                                FillStyle(FoxColourOf(model, fix.fox), QualityProperties(fix))));
    }
    const QJsonObject collection{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                 {QStringLiteral("features"), features}};
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

// ---- KML ----

QString KmlCoordinates(geodesy::GeoPosition p) {
    return Degrees(p.lon) + QLatin1Char(',') + Degrees(p.lat);
}

void KmlStyle(QXmlStreamWriter& xml, const map_outputs::ExportStyle& style) {
    xml.writeStartElement(QStringLiteral("Style"));
    xml.writeAttribute(QStringLiteral("id"), Text(style.id));
    xml.writeStartElement(QStringLiteral("IconStyle"));
    xml.writeTextElement(QStringLiteral("color"), KmlColour(style.colour));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("LineStyle"));
    xml.writeTextElement(QStringLiteral("color"), KmlColour(style.colour));
    xml.writeTextElement(QStringLiteral("width"), QString::number(map_outputs::kLineWidth));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("PolyStyle"));
    xml.writeTextElement(
        QStringLiteral("color"),
        KmlColour(style.colour, static_cast<int>(map_outputs::kEllipseFillOpacity * 255 + 0.5)));
    xml.writeTextElement(QStringLiteral("fill"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("outline"), QStringLiteral("1"));
    xml.writeEndElement();
    xml.writeEndElement();
}

void KmlStyleUrl(QXmlStreamWriter& xml, const std::string& styleId) {
    xml.writeTextElement(QStringLiteral("styleUrl"), QLatin1Char('#') + Text(styleId));
}

// The description, the style and the quality's data, in the order KML wants them in a Placemark.
void KmlDetails(QXmlStreamWriter& xml, const ExportFix* fix, const std::string& styleId) {
    const bool quality = fix != nullptr && fix->quality;
    if (quality) {
        xml.writeTextElement(QStringLiteral("description"), Text(fix->words));
    }
    KmlStyleUrl(xml, styleId);
    if (!quality) {
        return;
    }
    xml.writeStartElement(QStringLiteral("ExtendedData"));
    const auto data = [&xml](const std::string& name, const QString& value) {
        xml.writeStartElement(QStringLiteral("Data"));
        xml.writeAttribute(QStringLiteral("name"), Text(name));
        xml.writeTextElement(QStringLiteral("value"), value);
        xml.writeEndElement();
    };
    for (const auto& [name, value] : fix->numbers) {
        data(name, Text(core::ShortestText(value)));
    }
    data("flags", Text(fix->quality->FlagsText()));
    xml.writeEndElement();
}

void KmlPlacemark(QXmlStreamWriter& xml, const std::string& name, const ExportFix* fix,
                  const std::string& styleId, const char* geometry, const QString& coordinates) {
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), Text(name));
    KmlDetails(xml, fix, styleId);
    xml.writeStartElement(QLatin1String(geometry));
    xml.writeTextElement(QStringLiteral("coordinates"), coordinates);
    xml.writeEndElement();
    xml.writeEndElement();
}

void KmlEllipse(QXmlStreamWriter& xml, const ExportEllipse& ellipse, const ExportFix& fix) {
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), Text(ellipse.name));
    KmlDetails(xml, &fix, map_outputs::FoxStyleId(fix.fox));
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

QByteArray Kml(const HuntExportModel& model) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), Text(model.title));
    for (const map_outputs::ExportStyle& style : model.styles) {
        KmlStyle(xml, style);
    }
    for (const ExportStation& station : model.stations) {
        KmlPlacemark(xml, station.name, nullptr, map_outputs::kStationStyleId, "Point",
                     KmlCoordinates(station.at));
    }
    for (const ExportFix& fix : model.fixes) {
        KmlPlacemark(xml, fix.name, &fix, map_outputs::FoxStyleId(fix.fox), "Point", KmlCoordinates(fix.at));
    }
    for (const ExportRay& ray : model.rays) {
        KmlPlacemark(xml, ray.name, nullptr, map_outputs::FoxStyleId(ray.fox), "LineString",
                     KmlCoordinates(ray.from) + QLatin1Char(' ') + KmlCoordinates(ray.to));
    }
    for (const ExportEllipse& ellipse : model.ellipses) {
        KmlEllipse(xml, ellipse, model.fixes[ellipse.fix]);
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

// GPX 1.1 wants name, desc, sym, type in this order.
void GpxWaypoint(QXmlStreamWriter& xml, const std::string& name, geodesy::GeoPosition at,
                 const std::string& description, const QString& symbol, const QString& type) {
    GpxPoint(xml, QStringLiteral("wpt"), at);
    xml.writeTextElement(QStringLiteral("name"), Text(name));
    if (!description.empty()) {
        xml.writeTextElement(QStringLiteral("desc"), Text(description));
    }
    xml.writeTextElement(QStringLiteral("sym"), symbol);
    xml.writeTextElement(QStringLiteral("type"), type);
    xml.writeEndElement();
}

void GpxRoute(QXmlStreamWriter& xml, const std::string& name, const std::string& description,
              const QString& type, const std::vector<geodesy::GeoPosition>& points) {
    xml.writeStartElement(QStringLiteral("rte"));
    xml.writeTextElement(QStringLiteral("name"), Text(name));
    if (!description.empty()) {
        xml.writeTextElement(QStringLiteral("desc"), Text(description));
    }
    xml.writeTextElement(QStringLiteral("type"), type);
    for (const geodesy::GeoPosition& p : points) {
        GpxPoint(xml, QStringLiteral("rtept"), p);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QByteArray Gpx(const HuntExportModel& model) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("vantrel-cli"));
    xml.writeStartElement(QStringLiteral("metadata"));
    xml.writeTextElement(QStringLiteral("name"), Text(model.title));
    xml.writeEndElement();
    // Waypoints come before routes in a GPX file.
    for (const ExportStation& station : model.stations) {
        GpxWaypoint(xml, station.name, station.at, {}, QStringLiteral("Flag"), QStringLiteral("station"));
    }
    for (const ExportFix& fix : model.fixes) {
        GpxWaypoint(xml, fix.name, fix.at, fix.words, QStringLiteral("Pin"), QStringLiteral("fix"));
    }
    for (const ExportRay& ray : model.rays) {
        GpxRoute(xml, ray.name, {}, QStringLiteral("ray"), {ray.from, ray.to});
    }
    for (const ExportEllipse& ellipse : model.ellipses) {
        GpxRoute(xml, ellipse.name, model.fixes[ellipse.fix].words, QStringLiteral("ellipse"), ellipse.ring);
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

std::string HuntExportBytes(const HuntExportModel& model, ExportFormat format) {
    QByteArray bytes;
    switch (format) {
        case ExportFormat::Kml:
            bytes = Kml(model);
            break;
        case ExportFormat::GeoJson:
            bytes = GeoJson(model);
            break;
        case ExportFormat::Gpx:
            bytes = Gpx(model);
            break;
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

core::Outcome WriteHuntExport(const std::filesystem::path& path, const HuntExportModel& model,
                              ExportFormat format) {
    if (model.Empty()) {
        return core::Outcome::Fail("Nothing was exported to \"" + persistence::DisplayPath(path) +
                                   "\": every position of the hunt was left out");
    }
    return persistence::WriteFileAtomically(path, HuntExportBytes(model, format));
}

}  // namespace vantrel::platform
