#include "platform/log_export.hpp"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "core/number_text.hpp"
#include "fox_fix/fox_fix.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::platform {
namespace {

using geodesy::GeoPosition;

constexpr double kRayWithoutFix = 5000;  // metres

struct LogRay {
    int fox = 1;
    std::string name;  // "F1 log 7 (Station S4)"
    std::vector<std::pair<std::string, std::string>> properties;
    GeoPosition from, to;
};

struct LogFix {
    int fox = 1;
    std::string name;  // "F1 log fix"
    std::vector<std::pair<std::string, std::string>> properties;
    GeoPosition at;
    std::vector<GeoPosition> ring;  // counterclockwise, closed; empty without an ellipse
};

struct LogModel {
    std::vector<LogRay> rays;
    std::vector<LogFix> fixes;
};

std::string Number(double value) {
    return core::ShortestText(value + 0.0);
}

std::string RayFlags(const locate::BearingFit* fit, bool ignored) {
    std::vector<std::string> flags;
    if (ignored) {
        flags.emplace_back("ignored");
    }
    if (fit != nullptr && fit->behind) {
        flags.emplace_back("behind");
    }
    if (fit != nullptr && fit->rejected) {
        flags.emplace_back("rejected");
    }
    std::string text;
    for (const std::string& flag : flags) {
        text += (text.empty() ? "" : ",") + flag;
    }
    return text;
}

LogFix FixOf(const fox_fix::FoxFix& fix, const locate::Options& options, geodesy::UtmZone zone) {
    const locate::Fix& f = *fix.outcome->fix;
    LogFix out;
    out.fox = fix.fox;
    out.name = "F" + std::to_string(fix.fox) + " log fix";
    out.at = geodesy::ZoneUtmToLatLon(zone, f.x, f.y);
    out.properties = {{"method", std::string(locate::MethodText(options.method))},
                      {"bearings", std::to_string(fix.bearings.size())},
                      {"kappa", f.kappaHat ? Number(*f.kappaHat) : "-"}};
    if (f.covariance) {
        out.properties.insert(out.properties.end(), {{"sx", Number(f.covariance->sx)},
                                                     {"sy", Number(f.covariance->sy)},
                                                     {"rho", Number(f.covariance->rho)}});
    }
    if (f.ellipse) {
        out.properties.insert(out.properties.end(), {{"confidence", Number(options.confidence)},
                                                     {"semiMajor", Number(f.ellipse->semiMajor)},
                                                     {"semiMinor", Number(f.ellipse->semiMinor)},
                                                     {"azimuth", Number(f.ellipse->azimuth)},
                                                     {"area", Number(f.ellipse->area)}});
        std::vector<fox_fix::OutlinePoint> outline = fox_fix::EllipseOutline(f);
        std::reverse(outline.begin(), outline.end());  // the outline runs clockwise
        for (const fox_fix::OutlinePoint& p : outline) {
            out.ring.push_back(geodesy::ZoneUtmToLatLon(zone, p.x, p.y));
        }
    }
    return out;
}

LogModel ModelOf(const hunt_log::HuntState& state, const locate::Options& options) {
    LogModel model;
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        const fox_fix::FoxFix fix = fox_fix::FixOfFox(state, fox, options);
        const bool located = fix.outcome && fix.outcome->fix;
        for (const hunt_log::FoxBearing& b : state.Fox(fox)) {
            const locate::Bearing grid = fox_fix::GridBearingOf(b, state.zone);
            const locate::BearingFit* fit = fox_fix::FitOf(fix, b.id);
            const double length =
                located ? 1.2 * std::hypot(fix.outcome->fix->x - grid.x, fix.outcome->fix->y - grid.y)
                        : kRayWithoutFix;
            const double radians = grid.bearingDeg * std::numbers::pi / 180;
            LogRay ray;
            ray.fox = fox;
            ray.name = "F" + std::to_string(fox) + " log " + std::to_string(b.id) + " (" + b.station + ")";
            ray.from = geodesy::ZoneUtmToLatLon(state.zone, grid.x, grid.y);
            ray.to = geodesy::ZoneUtmToLatLon(state.zone, grid.x + length * std::sin(radians),
                                              grid.y + length * std::cos(radians));
            ray.properties = {{"fox", std::to_string(fox)},
                              {"id", std::to_string(b.id)},
                              {"station", b.station},
                              {"bearing", Number(b.bearing)},
                              {"reference", std::string(hunt_log::ReferenceText(b.reference))},
                              {"weight", fit ? Number(fit->weight) : "-"},
                              {"residual", fit ? Number(fit->residual) : "-"},
                              {"flags", RayFlags(fit, b.ignored)}};
            model.rays.push_back(std::move(ray));
        }
        if (located) {
            model.fixes.push_back(FixOf(fix, options, state.zone));
        }
    }
    return model;
}

// ---- GeoJSON ----

QJsonArray Position(GeoPosition p) {
    return QJsonArray{p.lon, p.lat};
}

QJsonObject Properties(const std::string& name, const char* kind,
                       const std::vector<std::pair<std::string, std::string>>& properties) {
    QJsonObject out{{QStringLiteral("name"), QString::fromStdString(name)},
                    {QStringLiteral("kind"), QString::fromLatin1(kind)}};
    for (const auto& [key, value] : properties) {
        out.insert(QString::fromStdString(key), QString::fromStdString(value));
    }
    return out;
}

QJsonObject Feature(QJsonObject properties, QJsonObject geometry) {
    return {{QStringLiteral("type"), QStringLiteral("Feature")},
            {QStringLiteral("properties"), properties},
            {QStringLiteral("geometry"), geometry}};
}

core::Result<std::string> GeoJsonWith(const std::string& document, const LogModel& model) {
    QJsonParseError error{};
    QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(document), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        return core::Result<std::string>::Fail("the exported GeoJSON could not be read back");
    }
    QJsonObject collection = json.object();
    QJsonArray features = collection.value(QStringLiteral("features")).toArray();
    for (const LogRay& ray : model.rays) {
        features.append(
            Feature(Properties(ray.name, "log ray", ray.properties),
                    {{QStringLiteral("type"), QStringLiteral("LineString")},
                     {QStringLiteral("coordinates"), QJsonArray{Position(ray.from), Position(ray.to)}}}));
    }
    for (const LogFix& fix : model.fixes) {
        features.append(Feature(Properties(fix.name, "log fix", fix.properties),
                                {{QStringLiteral("type"), QStringLiteral("Point")},
                                 {QStringLiteral("coordinates"), Position(fix.at)}}));
        if (!fix.ring.empty()) {
            QJsonArray ring;
            for (const GeoPosition& p : fix.ring) {
                ring.append(Position(p));
            }
            features.append(Feature(
                Properties("F" + std::to_string(fix.fox) + " log ellipse", "log ellipse", fix.properties),
                {{QStringLiteral("type"), QStringLiteral("Polygon")},
                 {QStringLiteral("coordinates"), QJsonArray{ring}}}));
        }
    }
    collection.insert(QStringLiteral("features"), features);
    return QJsonDocument(collection).toJson(QJsonDocument::Indented).toStdString();
}

// ---- KML and GPX: text inserted at a marker of the finished document ----

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Coordinate(GeoPosition p) {
    return core::ShortestText(p.lon) + "," + core::ShortestText(p.lat);
}

std::string KmlData(const std::vector<std::pair<std::string, std::string>>& properties) {
    std::string out = "<ExtendedData>";
    for (const auto& [key, value] : properties) {
        out += "<Data name=\"" + Escaped(key) + "\"><value>" + Escaped(value) + "</value></Data>";
    }
    return out + "</ExtendedData>";
}

std::string KmlFolder(const LogModel& model) {
    std::string out = "<Folder><name>Bearing log</name>\n";
    for (const LogRay& ray : model.rays) {
        out += "<Placemark><name>" + Escaped(ray.name) + "</name>" + KmlData(ray.properties) +
               "<LineString><coordinates>" + Coordinate(ray.from) + " " + Coordinate(ray.to) +
               "</coordinates></LineString></Placemark>\n";
    }
    for (const LogFix& fix : model.fixes) {
        out += "<Placemark><name>" + Escaped(fix.name) + "</name>" + KmlData(fix.properties) +
               "<Point><coordinates>" + Coordinate(fix.at) + "</coordinates></Point></Placemark>\n";
        if (!fix.ring.empty()) {
            out += "<Placemark><name>F" + std::to_string(fix.fox) + " log ellipse</name>" +
                   KmlData(fix.properties) + "<Polygon><outerBoundaryIs><LinearRing><coordinates>";
            for (std::size_t i = 0; i < fix.ring.size(); ++i) {
                out += (i == 0 ? "" : " ") + Coordinate(fix.ring[i]);
            }
            out += "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>\n";
        }
    }
    return out + "</Folder>\n";
}

std::string GpxDescription(const std::vector<std::pair<std::string, std::string>>& properties) {
    std::string out;
    for (const auto& [key, value] : properties) {
        out += (out.empty() ? "" : "; ") + key + " " + value;
    }
    return "<desc>" + Escaped(out) + "</desc>";
}

std::string GpxPoint(const char* element, GeoPosition p) {
    return std::string("<") + element + " lat=\"" + core::ShortestText(p.lat) + "\" lon=\"" +
           core::ShortestText(p.lon) + "\"/>";
}

std::string GpxWaypoints(const LogModel& model) {
    std::string out;
    for (const LogFix& fix : model.fixes) {
        out += "<wpt lat=\"" + core::ShortestText(fix.at.lat) + "\" lon=\"" + core::ShortestText(fix.at.lon) +
               "\"><name>" + Escaped(fix.name) + "</name>" + GpxDescription(fix.properties) + "</wpt>\n";
    }
    return out;
}

std::string GpxRoutes(const LogModel& model) {
    std::string out;
    for (const LogRay& ray : model.rays) {
        out += "<rte><name>" + Escaped(ray.name) + "</name>" + GpxDescription(ray.properties) +
               GpxPoint("rtept", ray.from) + GpxPoint("rtept", ray.to) + "</rte>\n";
    }
    for (const LogFix& fix : model.fixes) {
        if (fix.ring.empty()) {
            continue;
        }
        out +=
            "<rte><name>F" + std::to_string(fix.fox) + " log ellipse</name>" + GpxDescription(fix.properties);
        for (const GeoPosition& p : fix.ring) {
            out += GpxPoint("rtept", p);
        }
        out += "</rte>\n";
    }
    return out;
}

core::Result<std::string> Inserted(std::string document, const std::string& marker, const std::string& text,
                                   bool last) {
    const std::size_t at = last ? document.rfind(marker) : document.find(marker);
    if (at == std::string::npos) {
        return core::Result<std::string>::Fail("the exported document has no " + marker);
    }
    document.insert(at, text);
    return document;
}

}  // namespace

core::Result<std::string> WithBearingLog(const std::string& document, ExportFormat format,
                                         const std::filesystem::path& logPath, const locate::Options& options,
                                         std::vector<std::string>& warnings) {
    const auto read = hunt_log::ReadLog(logPath);
    if (!read) {
        return core::Result<std::string>::Fail(read.message());
    }
    for (const std::string& warning : read->report.Warnings(logPath)) {
        warnings.push_back(warning);
    }
    const LogModel model = ModelOf(hunt_log::StateAt(read->log), options);
    switch (format) {
        case ExportFormat::GeoJson:
            return GeoJsonWith(document, model);
        case ExportFormat::Kml:
            return Inserted(document, "</Document>", KmlFolder(model), true);
        case ExportFormat::Gpx:
            break;
    }
    // GPX keeps its order: waypoints, then routes. The waypoints go in front of the line of the first
    // route, its indentation included.
    std::string gpx = document;
    const std::size_t firstRoute = gpx.find("<rte");
    if (firstRoute != std::string::npos) {
        const std::size_t lineStart = gpx.rfind('\n', firstRoute);
        gpx.insert(lineStart == std::string::npos ? 0 : lineStart + 1, GpxWaypoints(model));
        return Inserted(std::move(gpx), "</gpx>", GpxRoutes(model), true);
    }
    return Inserted(std::move(gpx), "</gpx>", GpxWaypoints(model) + GpxRoutes(model), true);
}

core::Outcome AddBearingLogToExport(const std::filesystem::path& exportPath, ExportFormat format,
                                    const std::filesystem::path& logPath, const locate::Options& options,
                                    std::vector<std::string>& warnings) {
    const auto document = persistence::ReadWholeFile(exportPath, std::size_t{1} << 30, "the export");
    if (!document) {
        return core::Outcome::Fail(document.message());
    }
    const auto added = WithBearingLog(*document, format, logPath, options, warnings);
    if (!added) {
        return core::Outcome::Fail(added.message());
    }
    return persistence::WriteFileAtomically(exportPath, *added);
}

}  // namespace vantrel::platform
