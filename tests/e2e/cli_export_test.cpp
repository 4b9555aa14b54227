// vantrel-cli export with the fixes' quality and another UTM zone. Positions against GeographicLib's
// GeoConvert (tests/data/export/zone_hunts.tsv), ellipse sizes worked out by hand.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <map>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"

namespace vantrel {
namespace {

struct Reference {
    double lat;
    double lon;
};

// zone -> the stations, the fix and the ellipse's first point, in the file's order.
std::map<std::string, std::vector<Reference>> ZoneReferences() {
    std::ifstream file(VANTREL_TESTDATA_DIR "/export/zone_hunts.tsv");
    std::map<std::string, std::vector<Reference>> rows;
    file.ignore(std::numeric_limits<std::streamsize>::max(), '\n');  // header
    std::string zone;
    double east = 0;
    double north = 0;
    for (Reference r{}; file >> zone >> east >> north >> r.lat >> r.lon;) {
        rows[zone].push_back(r);
    }
    return rows;
}

// Stations 1 km apart at (east, north) and (east + 1000, north); F1 45 / 315 meets 500 m east and north of
// station 1; F2 225 / 135 points away from there, so its lines meet at the same place, behind both stations.
// Bearings typed: sigma 5.
std::string Hunt(double east, double north) {
    persistence::ScedRecord s1;
    s1.North = north;
    s1.East = east;
    s1.Ang = {45, 225, 0, 0, 0};
    persistence::ScedRecord s2 = s1;
    s2.East = east + 1000;
    s2.Ang = {315, 135, 0, 0, 0};
    return persistence::EncodeScedRecord(s1) + persistence::EncodeScedRecord(s2);
}

class CliExport : public testing::Test {
  protected:
    std::string Export(const std::string& format) {
        testing_support::WriteBytes(dir_ / "hunt.fhd", Hunt(500000, 5700000));
        const std::string out = (dir_ / ("hunt." + format)).string();
        const auto r = testing_support::RunCli(
            {"export", (dir_ / "hunt.fhd").string(), "--format", format, "-o", out, "--zone", "32U"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return testing_support::ReadBytes(out);
    }
    QJsonArray ExportGeoJson(double east, double north, const std::string& zone) {
        testing_support::WriteBytes(dir_ / "hunt.fhd", Hunt(east, north));
        const auto r = testing_support::RunCli({"export", (dir_ / "hunt.fhd").string(), "--format", "geojson",
                                                "-o", (dir_ / "hunt.geojson").string(), "--zone", zone});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string bytes = testing_support::ReadBytes(dir_ / "hunt.geojson");
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(bytes));
        return doc.object().value(QStringLiteral("features")).toArray();
    }

    testing_support::TempDir dir_;
};

QJsonArray Coordinates(const QJsonArray& features, qsizetype i) {
    return features[i]
        .toObject()
        .value(QStringLiteral("geometry"))
        .toObject()
        .value(QStringLiteral("coordinates"))
        .toArray();
}

QJsonObject Properties(const QJsonArray& features, qsizetype i) {
    return features[i].toObject().value(QStringLiteral("properties")).toObject();
}

void ExpectAt(const QJsonArray& lonLat, Reference r, const char* what) {
    EXPECT_NEAR(lonLat[1].toDouble(), r.lat, 1e-9) << what;
    EXPECT_NEAR(lonLat[0].toDouble(), r.lon, 1e-9) << what;
}

TEST_F(CliExport, ZonesOutside32MatchGeoConvert) {
    const auto references = ZoneReferences();
    const struct {
        const char* zone;
        double east, north;
    } hunts[] = {{"33U", 400000, 5800000}, {"25M", 300000, 9100000}};
    for (const auto& hunt : hunts) {
        const std::vector<Reference>& ref = references.at(hunt.zone);
        const QJsonArray f = ExportGeoJson(hunt.east, hunt.north, hunt.zone);
        // Stations, F1, F2, four rays, the two ellipses.
        ASSERT_EQ(f.size(), 2 + 2 + 4 + 2) << hunt.zone;
        ExpectAt(Coordinates(f, 0), ref[0], "station 1");
        ExpectAt(Coordinates(f, 1), ref[1], "station 2");
        ExpectAt(Coordinates(f, 2), ref[2], "F1");
        const QJsonArray ring = Coordinates(f, 8)[0].toArray();
        ASSERT_EQ(ring.size(), 73);
        EXPECT_EQ(ring[0], ring[72]);
        ExpectAt(ring[0].toArray(), ref[3], "F1's ellipse, due north of the fix");
    }
}

TEST_F(CliExport, EllipsesAndFlagsInGeoJson) {
    const QJsonArray f = ExportGeoJson(500000, 5700000, "32U");
    ASSERT_EQ(f.size(), 10);
    EXPECT_EQ(Properties(f, 2).value(QStringLiteral("flags")).toArray(), QJsonArray{});
    const QJsonObject behind = Properties(f, 3);
    EXPECT_EQ(behind.value(QStringLiteral("name")).toString(), QStringLiteral("F2"));
    EXPECT_EQ(behind.value(QStringLiteral("flags")).toArray(),
              (QJsonArray{QStringLiteral("behind1"), QStringLiteral("behind2")}));
    EXPECT_TRUE(behind.value(QStringLiteral("description"))
                    .toString()
                    .startsWith(QStringLiteral("Behind Scedule 1: the bearings meet opposite")));
    const QJsonObject ellipse = Properties(f, 9);
    EXPECT_EQ(ellipse.value(QStringLiteral("name")).toString(), QStringLiteral("F2 ellipse"));
    EXPECT_NEAR(ellipse.value(QStringLiteral("semiMajor")).toDouble(), 151.042, 1e-3);
    EXPECT_EQ(ellipse.value(QStringLiteral("confidence")).toDouble(), 0.95);
    // Counterclockwise (RFC 7946): the ring's signed area in longitude and latitude is positive.
    const QJsonArray ring = Coordinates(f, 9)[0].toArray();
    double area = 0;
    for (qsizetype i = 0; i + 1 < ring.size(); ++i) {
        const QJsonArray a = ring[i].toArray();
        const QJsonArray b = ring[i + 1].toArray();
        area += a[0].toDouble() * b[1].toDouble() - b[0].toDouble() * a[1].toDouble();
    }
    EXPECT_GT(area, 0);
}

// The colours of the hunt picture: F1 blue (0, 114, 178), F2 vermillion (213, 94, 0), stations dark grey (30,
// 30, 30); ellipses filled at alpha 51 (0.2). KML writes them as aabbggrr.
TEST_F(CliExport, KmlStylesPerFoxAndForTheStations) {
    QXmlStreamReader xml(QByteArray::fromStdString(Export("kml")));
    std::map<QString, QString> iconColour;  // style id -> IconStyle colour
    std::map<QString, QString> polyColour;
    std::map<QString, QString> styleOf;  // placemark name -> styleUrl
    QString style;
    QString placemark;
    QString parent;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QString name = xml.name().toString();
        if (name == QStringLiteral("Style")) {
            style = xml.attributes().value(QStringLiteral("id")).toString();
        } else if (name == QStringLiteral("IconStyle") || name == QStringLiteral("PolyStyle") ||
                   name == QStringLiteral("LineStyle")) {
            parent = name;
        } else if (name == QStringLiteral("color")) {
            (parent == QStringLiteral("PolyStyle") ? polyColour : iconColour)
                .emplace(style, xml.readElementText());
        } else if (name == QStringLiteral("Placemark")) {
            xml.readNextStartElement();
            placemark = xml.readElementText();
        } else if (name == QStringLiteral("styleUrl")) {
            styleOf[placemark] = xml.readElementText();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(iconColour[QStringLiteral("station")], QStringLiteral("ff1e1e1e"));
    EXPECT_EQ(iconColour[QStringLiteral("fox1")], QStringLiteral("ffb27200"));
    EXPECT_EQ(iconColour[QStringLiteral("fox2")], QStringLiteral("ff005ed5"));
    EXPECT_EQ(polyColour[QStringLiteral("fox2")], QStringLiteral("33005ed5"));
    EXPECT_EQ(iconColour.count(QStringLiteral("fox3")), 0u) << "F3 has no fix";
    const std::map<QString, QString> expected{{QStringLiteral("P1"), QStringLiteral("#station")},
                                              {QStringLiteral("P2"), QStringLiteral("#station")},
                                              {QStringLiteral("F1"), QStringLiteral("#fox1")},
                                              {QStringLiteral("P2 - F2"), QStringLiteral("#fox2")},
                                              {QStringLiteral("F2 ellipse"), QStringLiteral("#fox2")}};
    for (const auto& [name, url] : expected) {
        EXPECT_EQ(styleOf[name], url) << name.toStdString();
    }
}

TEST_F(CliExport, GeoJsonSimplestyleAndGpxSymbols) {
    const QJsonArray f = QJsonDocument::fromJson(QByteArray::fromStdString(Export("geojson")))
                             .object()[QStringLiteral("features")]
                             .toArray();
    ASSERT_EQ(f.size(), 10);
    EXPECT_EQ(Properties(f, 0)[QStringLiteral("name")].toString(), QStringLiteral("P1"));
    EXPECT_EQ(Properties(f, 0)[QStringLiteral("marker-color")].toString(), QStringLiteral("#1e1e1e"));
    EXPECT_EQ(Properties(f, 2)[QStringLiteral("marker-color")].toString(), QStringLiteral("#0072b2"));  // F1
    EXPECT_EQ(Properties(f, 5)[QStringLiteral("name")].toString(), QStringLiteral("P2 - F1"));
    EXPECT_EQ(Properties(f, 5)[QStringLiteral("stroke")].toString(), QStringLiteral("#0072b2"));
    EXPECT_EQ(Properties(f, 5)[QStringLiteral("stroke-width")].toInt(), 2);
    const QJsonObject ellipse = Properties(f, 9);  // F2's
    EXPECT_EQ(ellipse[QStringLiteral("stroke")].toString(), QStringLiteral("#d55e00"));
    EXPECT_EQ(ellipse[QStringLiteral("fill")].toString(), QStringLiteral("#d55e00"));
    EXPECT_EQ(ellipse[QStringLiteral("fill-opacity")].toDouble(), 0.2);

    QXmlStreamReader gpx(QByteArray::fromStdString(Export("gpx")));
    std::vector<std::string> kinds;  // "name sym type" of each waypoint, "name type" of each route
    std::string current;
    while (!gpx.atEnd()) {
        if (gpx.readNext() == QXmlStreamReader::StartElement) {
            const QString name = gpx.name().toString();
            if (name == QStringLiteral("wpt") || name == QStringLiteral("rte")) {
                current.clear();  // not the document's own name
            }
            if (name == QStringLiteral("name") || name == QStringLiteral("sym") ||
                name == QStringLiteral("type")) {
                current += (current.empty() ? "" : " ") + gpx.readElementText().toStdString();
            }
        } else if (gpx.isEndElement() &&
                   (gpx.name() == QStringLiteral("wpt") || gpx.name() == QStringLiteral("rte"))) {
            kinds.push_back(current);
            current.clear();
        }
    }
    ASSERT_FALSE(gpx.hasError()) << gpx.errorString().toStdString();
    const std::vector<std::string> expected{
        "P1 Flag station", "P2 Flag station", "F1 Pin fix",  "F2 Pin fix",         "P1 - F1 ray",
        "P2 - F1 ray",     "P1 - F2 ray",     "P2 - F2 ray", "F1 ellipse ellipse", "F2 ellipse ellipse"};
    EXPECT_EQ(kinds, expected);
}

}  // namespace
}  // namespace vantrel
