// export FILE --format kml|geojson|gpx -o OUT: the stations, the fixes and the rays from each station to each
// fix in WGS84, for current map software. Foxes without a fix ("no Match") are left out.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QXmlStreamWriter>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/cross_fix.hpp"
#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"
#include "persistence/atomic_file.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis = "export FILE --format kml|geojson|gpx -o OUT";

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

std::optional<Place> PlaceAt(const std::string& name, double north, double east) {
    const geodesy::GeoPosition at = geodesy::UtmToLatLon(north, east, 32);
    if (!IsGeographic(at)) {
        PrintWarning(name + " left out: northing " + core::ShortestText(north) + ", easting " +
                     core::ShortestText(east) + " is not a position on the earth");
        return std::nullopt;
    }
    return Place{name, at};
}

Hunt HuntOf(const core::MeasurementState& state, std::string title) {
    Hunt hunt;
    hunt.title = std::move(title);
    for (std::size_t s = 0; s < core::kStationCount; ++s) {
        if (auto place = PlaceAt("Scedule " + std::to_string(s + 1), state.ScedNorth[s], state.ScedEast[s])) {
            hunt.stations.push_back(*place);
        }
    }
    for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
        if (state.ResLat[fox] == "no Match") {
            continue;
        }
        const auto fix = PlaceAt("F" + std::to_string(fox + 1), state.FoxNorth[fox], state.FoxEast[fox]);
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

// "-o OUT" is a short option, which the common argument split leaves among the positionals.
std::optional<std::string> TakeOutputOption(std::vector<std::string>& positional) {
    for (std::size_t i = 0; i + 1 < positional.size(); ++i) {
        if (positional[i] == "-o") {
            std::string out = positional[i + 1];
            positional.erase(positional.begin() + static_cast<std::ptrdiff_t>(i),
                             positional.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return out;
        }
    }
    return std::nullopt;
}

}  // namespace

int RunExport(const Context& context) {
    std::vector<std::string> positional = context.args.positional;
    std::optional<std::string> out = TakeOutputOption(positional);
    if (!out) {
        out = context.args.Option("output");
    }
    const auto format = context.args.Option("format");
    if (positional.size() != 1 || !out || !format) {
        return UsageError("usage: vantrel-cli " + std::string(kSynopsis));
    }
    QByteArray (*writer)(const Hunt&) = nullptr;
    if (*format == "kml") {
        writer = Kml;
    } else if (*format == "geojson") {
        writer = GeoJson;
    } else if (*format == "gpx") {
        writer = Gpx;
    } else {
        return UsageError("--format must be kml, geojson or gpx");
    }
    const std::string& name = positional[0];
    auto state = LoadAndCalculate(name, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const QByteArray bytes = writer(HuntOf(state->main, std::filesystem::path(name).filename().string()));
    return FailWith(persistence::WriteFileAtomically(
        std::filesystem::path(*out),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

}  // namespace vantrel::cli
