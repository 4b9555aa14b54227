// vantrel-cli solve / overlays / show / convert / export on measurement files in a temporary folder.
// Fixes and coordinate texts were worked out by hand and with the written series in Python.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "e2e/cli_test.hpp"
#include "e2e/two_station_hunt.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"

namespace vantrel {
namespace {

using persistence::ScedRecord;
using testing_support::ProcessOptions;
using testing_support::ProcessResult;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

// The shared two-station hunt, with a Flag other than 1 (ignored on reading) and signals in every band.
ScedRecord Station1() {
    ScedRecord r = testing_support::HuntStation1();
    r.Flag = 7;
    r.Sig = {-3.5, -6, -20, -60, 0.1 + 0.2};
    return r;
}

ScedRecord Station2() {
    ScedRecord r = testing_support::HuntStation2();
    r.Sig = {0, -1, -2, -3, -4};
    return r;
}

instruments::RxReadings Readings() {
    instruments::RxReadings t;
    t(0, 0, 0) = {44.5, -3.25, 1};
    t(0, 0, 1) = {45.1, -3, 0};  // empty element: not shown
    t(1, 2, 3) = {7, 8, -1};     // Valid other than 1: not shown
    t(1, 4, 29) = {0.1, -60.5, 1};
    return t;
}

class CliFiles : public testing::Test {
  protected:
    void SetUp() override {
        WriteBytes(dir_ / "hunt.fh2", persistence::EncodeDataFile(Station1(), Station2(), Readings()));
        WriteBytes(dir_ / "old.FHD",
                   persistence::EncodeScedRecord(Station1()) + persistence::EncodeScedRecord(Station2()));
        std::filesystem::create_directories(dir_ / "config");
    }

    // Runs the tool with its settings folder pointed into the test folder.
    ProcessResult Run(std::vector<std::string> args) {
        ProcessOptions options;
        options.environment["XDG_CONFIG_HOME"] = (dir_ / "config").string();
        options.environment["XDG_DATA_HOME"] = (dir_ / "data").string();
        options.environment["HOME"] = dir_.path().string();
        for (std::string& arg : args) {
            if (arg.rfind("@", 0) == 0) {
                arg = (dir_ / arg.substr(1)).string();
            }
        }
        return testing_support::RunCli(args, options);
    }

    std::string Path(const char* name) const { return (dir_ / name).string(); }

    TempDir dir_;
};

TEST_F(CliFiles, SolveOpensOrImportsAndPrintsTheResultBoxes) {
    const std::string comma =
        "F1\t5700500,0\t0500500,0\nF2\tno Match\tno Match\nF3\t5700000,0\t0501000,0\n"
        "F4\tno Match\tno Match\nF5\t5701000,0\t0500000,0\n";
    std::string point = comma;
    std::replace(point.begin(), point.end(), ',', '.');
    for (const char* file : {"@hunt.fh2", "@old.FHD"}) {
        const auto r = Run({"--decimal-separator=,", "solve", file});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, comma) << file;
        const auto p = Run({"solve", file, "--decimal-separator=."});
        EXPECT_EQ(p.out, point) << file;
    }
}

TEST_F(CliFiles, ShowListsTheBoxesThenTheValidReadings) {
    const std::string boxes =
        "Sced1Lat\t5700000\nSced1Lon\t500000\nSced1Ang\t20\nS1Ang(0)\t25\nS1Ang(1)\t-20\nS1Ang(2)\t70\n"
        "S1Ang(3)\t10\nS1Ang(4)\t340\nS1Sig(0)\t-3,5\nS1Sig(1)\t-6\nS1Sig(2)\t-20\nS1Sig(3)\t-60\nS1Sig(4)"
        "\t0,3\n"
        "Sced2Lat\t5700000\nSced2Lon\t501000\nSced2Ang\t-10\nS2Ang(0)\t325\nS2Ang(1)\t10\nS2Ang(2)\t10\n"
        "S2Ang(3)\t40\nS2Ang(4)\t-35\nS2Sig(0)\t0\nS2Sig(1)\t-1\nS2Sig(2)\t-2\nS2Sig(3)\t-3\nS2Sig(4)\t-4\n";
    const auto fh2 = Run({"--decimal-separator=,", "show", "@hunt.fh2"});
    EXPECT_EQ(fh2.exitCode, 0) << fh2.err;
    EXPECT_EQ(fh2.out, boxes + "RxReadings(0,0,0)\t44.5\t-3.25\nRxReadings(1,4,29)\t0.1\t-60.5\n");
    const auto fhd = Run({"--decimal-separator=,", "show", "@old.FHD"});
    EXPECT_EQ(fhd.out, boxes);
}

TEST_F(CliFiles, OverlaysWritesTheThreeFiles) {
    const auto r = Run({"overlays", "@hunt.fh2", "--foxes", "@foxies.ovl", "--rays=" + Path("rays.ovl"),
                        "--preview", "@preview.ovl"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    const std::string foxes = ReadBytes(dir_ / "foxies.ovl");
    // F1's fix; F2 had no fix in this run and is written at northing 0, easting 0.
    EXPECT_NE(foxes.find("Path=C:\\Vantrel\\F1.bmp\r\nXKoord=9.00719631\r\nYKoord=51.45567788\r\n[Symbol 2]"),
              std::string::npos);
    EXPECT_NE(foxes.find("Path=C:\\Vantrel\\F2.bmp\r\nXKoord=4.5112561\r\nYKoord=.\r\n"), std::string::npos);
    EXPECT_TRUE(foxes.ends_with("YKoord=51.45118132\r\n\r\n\r\n[Overlay]\r\nSymbols=7\r\n"));
    const std::string rays = ReadBytes(dir_ / "rays.ovl");
    EXPECT_NE(rays.find("XKoord1=9.\r\nYKoord1=51.460174\r\n"), std::string::npos);  // F5
    EXPECT_TRUE(rays.ends_with("RefLat=9.01439121\r\nRefLong=51.45118132\r\n"));
    // F1 from station 1 along 45 degrees for 10 km (signal -3.5).
    EXPECT_TRUE(ReadBytes(dir_ / "preview.ovl")
                    .starts_with("[Symbol 1]\r\nTyp=3\r\nGroup=1\r\nCol=1\r\nZoom=1\r\nSize=102\r\nArt=1\r\n"
                                 "Punkte=2\r\nXKoord0=9.\r\nYKoord0=51.4511822\r\nXKoord1=9.10190272\r\n"
                                 "YKoord1=51.51471925\r\n[Symbol 2]\r\n"));
}

TEST_F(CliFiles, OverlaysStopsAtTheFirstFailure) {
    const auto r = Run({"overlays", "@hunt.fh2", "--foxes", "@foxies.ovl", "--rays", "@missing/rays.ovl",
                        "--preview", "@preview.ovl"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vantrel-cli: Could not write \"" + Path("missing/rays.ovl") +
                         "\": No such file or directory. The fox symbols overlay \"" + Path("foxies.ovl") +
                         "\" has already been written.\n");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "foxies.ovl"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "preview.ovl"));
}

// A target that is no file is refused by name; what was written before it is named too.
TEST_F(CliFiles, OverlaysSayWhatWasWrittenBeforeARefusal) {
    std::filesystem::create_directory(dir_ / "folder.ovl");
    const std::string refused = "\": it is not a regular file (a folder)";
    const auto preview = Run({"overlays", "@hunt.fh2", "--foxes", "@foxies.ovl", "--rays", "@rays.ovl",
                              "--preview", "@folder.ovl"});
    EXPECT_EQ(preview.exitCode, 1);
    EXPECT_EQ(preview.err, "vantrel-cli: Could not write \"" + Path("folder.ovl") + refused +
                               ". The fox symbols overlay \"" + Path("foxies.ovl") +
                               "\" and the rays overlay \"" + Path("rays.ovl") +
                               "\" have already been written.\n");
    const auto rays = Run({"overlays", "@hunt.fh2", "--foxes", "@foxies.ovl", "--rays", "@folder.ovl"});
    EXPECT_EQ(rays.err, "vantrel-cli: Could not write \"" + Path("folder.ovl") + refused +
                            ". The fox symbols overlay \"" + Path("foxies.ovl") +
                            "\" has already been written.\n");
    // Alone, the refused file is all there is to say.
    const auto alone = Run({"overlays", "@hunt.fh2", "--preview", "@folder.ovl"});
    EXPECT_EQ(alone.err,
              "vantrel-cli: Could not write \"" + Path("folder.ovl") + refused + "; nothing was written\n");
}

TEST_F(CliFiles, ConvertSavesAsFileSaveWould) {
    // From the legacy file: Flag written as 1, readings all zero.
    ScedRecord first = Station1();
    first.Flag = 1;
    first.Sig[4] = 0.3;  // read back from its fifteen-digit text, not 0.30000000000000004
    ScedRecord second = Station2();
    second.Flag = 1;
    const auto imported = Run({"--decimal-separator=,", "convert", "@old.FHD", "@from-old.fh2"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(ReadBytes(dir_ / "from-old.fh2"), persistence::EncodeDataFile(first, second, {}));
    // From a data file: the stored readings travel along, outside the used range nothing.
    const auto opened = Run({"--decimal-separator=.", "convert", "@hunt.fh2", "@copy"});
    EXPECT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_EQ(ReadBytes(dir_ / "copy"), persistence::EncodeDataFile(first, second, Readings()));
}

TEST_F(CliFiles, ErrorsNameTheFile) {
    WriteBytes(dir_ / "short.fh2", std::string(38545, '\0'));
    WriteBytes(dir_ / "short.fhd", std::string(100, '\0'));
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"solve", "@nothing.fh2"},
         "vantrel-cli: Could not read \"" + Path("nothing.fh2") + "\": No such file or directory\n"},
        {{"show", "@short.fh2"},
         "vantrel-cli: Could not read \"" + Path("short.fh2") +
             "\": it is 38545 bytes long; a measurement data file has at least 38546 bytes.\n"},
        {{"convert", "@short.fhd", "@out.fh2"},
         "vantrel-cli: Could not read \"" + Path("short.fhd") +
             "\": it is 100 bytes long; a legacy data file has exactly 212 bytes.\n"},
        {{"export", "@nothing.fhd", "--format", "kml", "-o", "@out.kml"},
         "vantrel-cli: Could not read \"" + Path("nothing.fhd") + "\": No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.fh2"));
}

// An output that is one of the inputs (by the same name, a symbolic link or a hard link) would destroy the
// input: refused before anything is read or written, and so is a name that hides what is written in it.
TEST_F(CliFiles, OutputsThatWouldOverwriteAnInputAreRefused) {
    std::filesystem::create_symlink(dir_ / "hunt.fh2", dir_ / "link.kml");
    std::filesystem::create_symlink(dir_ / "hunt.fh2", dir_ / "link.png");
    std::filesystem::create_hard_link(dir_ / "hunt.fh2", dir_ / "second-name.ovl");
    WriteBytes(dir_ / "m.png", "not really a picture");
    const std::string same = "\": it is the same file as the input \"";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {"export to a link to its input",
         {"export", "@hunt.fh2", "--format", "kml", "-o", "@link.kml"},
         "Could not write \"" + Path("link.kml") + same + Path("hunt.fh2")},
        {"export to a name of another format",
         {"export", "@hunt.fh2", "--format", "kml", "-o", "@hunt.fh2"},
         "Cannot export to \"" + Path("hunt.fh2") + "\": choose a name ending in .kml"},
        {"export gpx under a kml name",
         {"export", "@hunt.fh2", "--format", "gpx", "-o", "@out.kml"},
         "Cannot export to \"" + Path("out.kml") + "\": choose a name ending in .gpx"},
        {"map over its measurement file",
         {"map", "@hunt.fh2", "-o", "@link.png"},
         "Could not write \"" + Path("link.png") + same + Path("hunt.fh2")},
        {"map over its map picture",
         {"map", "@hunt.fh2", "--map", "@m.png", "-o", "@m.png"},
         "Could not write \"" + Path("m.png") + same + Path("m.png")},
        {"overlays: foxes over the input",
         {"overlays", "@hunt.fh2", "--foxes", "@hunt.fh2", "--rays", "@rays.ovl"},
         "Could not write \"" + Path("hunt.fh2") + same},
        {"overlays: preview over a hard link of the input",
         {"overlays", "@hunt.fh2", "--preview", "@second-name.ovl"},
         "Could not write \"" + Path("second-name.ovl") + same + Path("hunt.fh2")},
        {"convert onto itself",
         {"convert", "@hunt.fh2", "@hunt.fh2"},
         "Could not write \"" + Path("hunt.fh2") + same},
        {"convert to a legacy name",
         {"convert", "@old.FHD", "@old.FHD"},
         "Could not write \"" + Path("old.FHD") + "\": convert writes a .fh2 data file"},
        {"convert to a new legacy name",
         {"convert", "@hunt.fh2", "@new.fhd"},
         "Could not write \"" + Path("new.fhd") + "\": convert writes a .fh2 data file"},
        {"update-db into the measurement file",
         {"update-db", "@hunt.fh2", "--db", "@hunt.fh2"},
         "Could not write \"" + Path("hunt.fh2") + same},
    };
    const std::string hunt = ReadBytes(dir_ / "hunt.fh2");
    const std::string old = ReadBytes(dir_ / "old.FHD");
    for (const auto& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_TRUE(r.err.starts_with("vantrel-cli: " + c.err)) << c.name << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(ReadBytes(dir_ / "hunt.fh2"), hunt) << c.name;
    }
    EXPECT_EQ(ReadBytes(dir_ / "old.FHD"), old);
    EXPECT_EQ(ReadBytes(dir_ / "m.png"), "not really a picture");
    for (const char* never : {"rays.ovl", "out.kml", "new.fhd"}) {
        EXPECT_FALSE(std::filesystem::exists(dir_ / never)) << never;
    }
}

// The stations' zones, which a measurement file does not hold, given as the zone boxes would hold them:
// the window's zone warnings on stderr, and stdout and the files as without them.
TEST_F(CliFiles, ZoneWarningsGoToStandardErrorOnly) {
    const std::string planes =
        "The stations are in different zones, 32U and 33U: the two UTM planes do not meet, "
        "so the fixes are wrong.";
    const std::string grid =
        "; the overlay files and the database use zone 32, the map application's grid: positions there will "
        "be wrong.";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {"one zone on the grid", {"solve", "@hunt.fh2", "--zone", "32U"}, ""},
        {"two zones",
         {"solve", "@hunt.fh2", "--zone", "32U,33U"},
         "vantrel-cli: " + planes + " Scedule 2 is in zone 33U" + grid + "\n"},
        {"overlays off the grid",
         {"overlays", "@hunt.fh2", "--foxes", "@f.ovl", "--rays", "@r.ovl", "--zone", "33U"},
         "vantrel-cli: The stations are in zone 33U" + grid + "\n"},
        {"preview: station 1 only",
         {"overlays", "@hunt.fh2", "--preview", "@p.ovl", "--zone", "32U,33U"},
         "vantrel-cli: " + planes + " Scedule 2 is in zone 33U" + grid + "\n"},
        {"preview off the grid",
         {"overlays", "@hunt.fh2", "--preview", "@p.ovl", "--zone", "33U,32U"},
         "vantrel-cli: The stations are in different zones, 33U and 32U: the two UTM planes do not meet, so "
         "the "
         "fixes are wrong. Scedule 1 is in zone 33U" +
             grid + "\n"},
        {"south of the equator",
         {"solve", "@hunt.fh2", "--zone", "32M"},
         "vantrel-cli: The stations are in zone 32M" + grid + "\n"},
    };
    const std::string solved = Run({"solve", "@hunt.fh2"}).out;
    for (const auto& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_EQ(r.out, c.args[0] == std::string("solve") ? solved : "") << c.name;
    }
    const auto bad = Run({"solve", "@hunt.fh2", "--zone", "32U,33"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--zone"), std::string::npos);
}

TEST_F(CliFiles, UsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"solve"},
             {"show", "@hunt.fh2", "extra"},
             {"overlays", "@hunt.fh2"},
             {"overlays", "@hunt.fh2", "--foxes", "@f.ovl"},
             {"overlays", "@hunt.fh2", "--rays", "@r.ovl", "--preview", "@p.ovl"},
             {"convert", "@hunt.fh2"},
             {"export", "@hunt.fh2", "-o", "@x"},
             {"export", "@hunt.fh2", "--format", "shp", "-o", "@x"},
             {"export", "@hunt.fh2", "--format", "kml"},
             {"export", "@hunt.fh2", "--format", "kml", "-o", "@x", "--zone", "32"},
         }) {
        const auto r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args.size();
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST_F(CliFiles, TheSettingsFileIsNeverWritten) {
    EXPECT_EQ(Run({"convert", "@hunt.fh2", "@copy.fh2"}).exitCode, 0);
    EXPECT_EQ(Run({"overlays", "@copy.fh2", "--preview", "@p.ovl"}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir_ / "config"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data"));
}

// Expected positions (degrees): the stations and the fixes F1, F3 and F5 in zone 32U (GeoConvert).
struct Expected {
    const char* name;
    double lat;
    double lon;
};
const Expected kStations[] = {{"P1", 51.4511822, 9.0}, {"P2", 51.45118132, 9.01439121}};
const Expected kFixes[] = {
    {"F1", 51.45567788, 9.00719631}, {"F3", 51.45118132, 9.01439121}, {"F5", 51.460174, 9.0}};

TEST_F(CliFiles, ExportGeoJson) {
    const auto r = Run({"export", "@hunt.fh2", "--format", "geojson", "-o", "@hunt.geojson"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = ReadBytes(dir_ / "hunt.geojson");
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << bytes;
    EXPECT_EQ(doc.object().value(QStringLiteral("type")).toString(), QStringLiteral("FeatureCollection"));
    const QJsonArray features = doc.object().value(QStringLiteral("features")).toArray();
    ASSERT_EQ(features.size(), 2 + 3 + 6 + 3);  // stations, fixes, rays, then the three fixes' ellipses
    std::vector<Expected> points(std::begin(kStations), std::end(kStations));
    points.insert(points.end(), std::begin(kFixes), std::end(kFixes));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QJsonObject f = features[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(f.value(QStringLiteral("properties"))
                      .toObject()
                      .value(QStringLiteral("name"))
                      .toString()
                      .toStdString(),
                  points[i].name);
        const QJsonObject geometry = f.value(QStringLiteral("geometry")).toObject();
        EXPECT_EQ(geometry.value(QStringLiteral("type")).toString(), QStringLiteral("Point"));
        const QJsonArray c = geometry.value(QStringLiteral("coordinates")).toArray();
        EXPECT_NEAR(c[0].toDouble(), points[i].lon, 1e-8) << points[i].name;  // longitude first
        EXPECT_NEAR(c[1].toDouble(), points[i].lat, 1e-8) << points[i].name;
    }
    const QJsonObject ray = features[5].toObject();
    EXPECT_EQ(ray.value(QStringLiteral("properties")).toObject().value(QStringLiteral("name")).toString(),
              QStringLiteral("P1 - F1"));
    const QJsonArray line =
        ray.value(QStringLiteral("geometry")).toObject().value(QStringLiteral("coordinates")).toArray();
    ASSERT_EQ(line.size(), 2);
    EXPECT_NEAR(line[1].toArray()[1].toDouble(), 51.45567788, 1e-8);
}

// Reads an XML file: the texts of every element with the given name, and whether it parsed without error.
struct XmlSummary {
    bool wellFormed = false;
    QString rootNamespace;
    QStringList names;        // <name> texts in document order
    QStringList coordinates;  // KML <coordinates> texts
    QStringList latLon;       // GPX "lat lon" of <wpt> and <rtept>
};

XmlSummary ReadXml(const std::string& bytes) {
    XmlSummary s;
    QXmlStreamReader xml(QByteArray::fromStdString(bytes));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (s.rootNamespace.isEmpty()) {
            s.rootNamespace = xml.namespaceUri().toString();
        }
        const auto name = xml.name();
        if (name == QLatin1String("wpt") || name == QLatin1String("rtept")) {
            s.latLon << xml.attributes().value(QStringLiteral("lat")).toString() + QLatin1Char(' ') +
                            xml.attributes().value(QStringLiteral("lon")).toString();
        } else if (name == QLatin1String("name")) {
            s.names << xml.readElementText();
        } else if (name == QLatin1String("coordinates")) {
            s.coordinates << xml.readElementText();
        }
    }
    s.wellFormed = !xml.hasError();
    return s;
}

const QStringList kNames{QStringLiteral("P1"),      QStringLiteral("P2"),      QStringLiteral("F1"),
                         QStringLiteral("F3"),      QStringLiteral("F5"),      QStringLiteral("P1 - F1"),
                         QStringLiteral("P2 - F1"), QStringLiteral("P1 - F3"), QStringLiteral("P2 - F3"),
                         QStringLiteral("P1 - F5"), QStringLiteral("P2 - F5")};
const QStringList kEllipseNames{QStringLiteral("F1 ellipse"), QStringLiteral("F3 ellipse"),
                                QStringLiteral("F5 ellipse")};

TEST_F(CliFiles, ExportKml) {
    const auto r = Run({"--decimal-separator=,", "export", "@old.FHD", "--format", "kml", "-o", "@hunt.kml"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const XmlSummary kml = ReadXml(ReadBytes(dir_ / "hunt.kml"));
    ASSERT_TRUE(kml.wellFormed);
    EXPECT_EQ(kml.rootNamespace, QStringLiteral("http://www.opengis.net/kml/2.2"));
    EXPECT_EQ(kml.names, QStringList{QStringLiteral("old.FHD")} + kNames + kEllipseNames);
    ASSERT_EQ(kml.coordinates.size(), 11 + 3);
    EXPECT_EQ(kml.coordinates[2], QStringLiteral("9.00719631,51.45567788"));  // longitude first, point always
    EXPECT_EQ(kml.coordinates[10], QStringLiteral("9.01439121,51.45118132 9.00000000,51.46017400"));
    // F3 lies on station 2: its flag among the fix's and its ellipse's data.
    EXPECT_NE(
        ReadBytes(dir_ / "hunt.kml").find("<Data name=\"flags\">\n                    <value>unreliable"),
        std::string::npos);
}

TEST_F(CliFiles, ExportGpx) {
    const auto r = Run({"export", "--format=gpx", "--output", "@hunt.gpx", "@hunt.fh2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const XmlSummary gpx = ReadXml(ReadBytes(dir_ / "hunt.gpx"));
    ASSERT_TRUE(gpx.wellFormed);
    EXPECT_EQ(gpx.rootNamespace, QStringLiteral("http://www.topografix.com/GPX/1/1"));
    EXPECT_EQ(gpx.names, QStringList{QStringLiteral("hunt.fh2")} + kNames + kEllipseNames);
    ASSERT_EQ(gpx.latLon.size(), 5 + 12 + 3 * 73);  // each ellipse a closed route of 72 + 1 points
    // GeoConvert: 32n 500000 5700000 -> 51.4511822056677 9
    EXPECT_EQ(gpx.latLon[0], QStringLiteral("51.45118221 9.00000000"));
    EXPECT_EQ(gpx.latLon[4], QStringLiteral("51.46017400 9.00000000"));  // F5
    EXPECT_EQ(gpx.latLon[5], gpx.latLon[0]);                             // ray Scedule 1 - F1 starts there
}

// Nearly parallel bearings put a fix far off the earth: it is left out with a warning, the rest is written.
TEST_F(CliFiles, ExportLeavesOutFixesThatAreNoPosition) {
    ScedRecord first = Station2();
    first.East = 500000;
    first.BaseAngle = 0;
    first.Ang = {45, 45, 0, 0, 0};
    ScedRecord second = first;
    second.East = 501000;
    second.Ang = {315, 45.0000001, 0, 0, 0};
    WriteBytes(dir_ / "far.fhd",
               persistence::EncodeScedRecord(first) + persistence::EncodeScedRecord(second));
    const auto r = Run({"export", "@far.fhd", "--format", "gpx", "-o", "@far.gpx"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.starts_with("vantrel-cli: F2 left out: northing -2864")) << r.err;
    EXPECT_EQ(ReadXml(ReadBytes(dir_ / "far.gpx")).names,
              (QStringList{QStringLiteral("far.fhd"), QStringLiteral("P1"), QStringLiteral("P2"),
                           QStringLiteral("F1"), QStringLiteral("P1 - F1"), QStringLiteral("P2 - F1"),
                           QStringLiteral("F1 ellipse")}));
}

// The example hunt was laid out with the transmitters at known places; its averaged bearings must find them
// again within a few hundred metres, and the legacy example leaves its two unused foxes without a fix.
TEST_F(CliFiles, ExamplesFindTheirFoxes) {
    const auto r =
        Run({"--decimal-separator=.", "solve", VANTREL_SOURCE_DIR "/examples/hunt-vogelsberg.fh2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const double hidden[5][2] = {
        {5601450, 516800}, {5597800, 523600}, {5590100, 509300}, {5587400, 521150}, {5593900, 514900}};
    std::istringstream lines(r.out);
    for (const auto& fox : hidden) {
        std::string name;
        double north = 0;
        double east = 0;
        lines >> name >> north >> east;
        EXPECT_LT(std::hypot(north - fox[0], east - fox[1]), 300) << name;
    }
    const auto legacy = Run({"solve", VANTREL_SOURCE_DIR "/examples/hunt-kassel.fhd"});
    EXPECT_TRUE(legacy.out.ends_with("F4\tno Match\tno Match\nF5\tno Match\tno Match\n")) << legacy.out;
}

}  // namespace
}  // namespace vantrel
