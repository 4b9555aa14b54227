// vantrel-cli export --log: the bearing log's rays, many-bearing fixes and ellipses added to the KML,
// GeoJSON and GPX export, the export otherwise as it is without the log. The log: fox 1 lies at
// (500000, 5501000) in zone 32U, on the zone's central meridian (9 E); three grid bearings run through it
// from the south, the west and the north-east, a fourth (wild) is ignored by an edit.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fstream>
#include <string>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel {
namespace {

constexpr const char* kLog =
    R"({"type":"header","version":1,"zone":"32U","created":"2026-12-08T14:00:00.000Z"}
{"type":"bearing","id":1,"time":"2026-12-08T14:01:00.000Z","fox":1,"station":"South","zone":"32U","easting":500000,"northing":5500000,"bearing":0,"reference":"grid"}
{"type":"bearing","id":2,"time":"2026-12-08T14:02:00.000Z","fox":1,"station":"West","zone":"32U","easting":499000,"northing":5501000,"bearing":90,"reference":"grid"}
{"type":"bearing","id":3,"time":"2026-12-08T14:03:00.000Z","fox":1,"station":"North-east","zone":"32U","easting":501000,"northing":5502000,"bearing":225,"reference":"grid"}
{"type":"bearing","id":4,"time":"2026-12-08T14:04:00.000Z","fox":1,"station":"Wild","zone":"32U","easting":499000,"northing":5500500,"bearing":60,"reference":"grid"}
{"type":"edit","time":"2026-12-08T14:07:00.000Z","id":4,"ignore":true}
)";

// Stations 1 km apart on northing 5500000 whose F1 bearings cross at (500500, 5500500).
std::string HuntFile() {
    persistence::ScedRecord s1;
    s1.North = 5500000;
    s1.East = 500000;
    s1.Ang = {45, 0, 0, 0, 0};
    persistence::ScedRecord s2 = s1;
    s2.East = 501000;
    s2.Ang = {315, 0, 0, 0, 0};
    return persistence::EncodeDataFile(s1, s2, instruments::RxReadings{});
}

struct FormatCase {
    const char* name;
    const char* format;
    // Removes what the log added, so the rest can be compared with the export without the log.
    std::string (*withoutLog)(const std::string& document);
    const char* rayMarker;  // one per logged ray
};

std::string KmlWithoutLog(const std::string& document) {
    const std::size_t start = document.find("<Folder><name>Bearing log</name>");
    const std::string end = "</Folder>\n";
    const std::size_t stop = document.find(end, start);
    return start == std::string::npos ? document
                                      : document.substr(0, start) + document.substr(stop + end.size());
}

std::string GpxWithoutLog(const std::string& document) {
    std::string out;
    std::size_t start = 0;
    while (start < document.size()) {
        const std::size_t end = document.find('\n', start);
        const std::string line = document.substr(start, end == std::string::npos ? end : end - start + 1);
        if (line.find(" log ") == std::string::npos) {
            out += line;
        }
        start = end == std::string::npos ? document.size() : end + 1;
    }
    return out;
}

std::string GeoJsonWithoutLog(const std::string& document) {
    QJsonObject collection = QJsonDocument::fromJson(QByteArray::fromStdString(document)).object();
    QJsonArray kept;
    for (const QJsonValue feature : collection.value(QStringLiteral("features")).toArray()) {
        if (!feature.toObject()
                 .value(QStringLiteral("properties"))
                 .toObject()
                 .value(QStringLiteral("kind"))
                 .toString()
                 .startsWith(QStringLiteral("log "))) {
            kept.append(feature);
        }
    }
    collection.insert(QStringLiteral("features"), kept);
    return QJsonDocument(collection).toJson(QJsonDocument::Indented).toStdString();
}

class CliExportLog : public ::testing::TestWithParam<FormatCase> {};

TEST_P(CliExportLog, LogAddedAndTheRestUnchanged) {
    const FormatCase& c = GetParam();
    const testing_support::TempDir dir;
    testing_support::WriteBytes(dir / "hunt.fh2", HuntFile());
    testing_support::WriteBytes(dir / "hunt.fhl", kLog);
    testing_support::ProcessOptions options;
    options.environment["XDG_CONFIG_HOME"] = dir.path().string();  // no [Locate] settings of this user
    const std::string plainOut = (dir / (std::string("plain.") + c.format)).string();
    const std::string logOut = (dir / (std::string("with-log.") + c.format)).string();
    const auto plain = testing_support::RunCli(
        {"export", (dir / "hunt.fh2").string(), "--format", c.format, "-o", plainOut, "--zone", "32U"},
        options);
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const auto withLog =
        testing_support::RunCli({"export", (dir / "hunt.fh2").string(), "--format", c.format, "-o", logOut,
                                 "--log", (dir / "hunt.fhl").string(), "--zone", "32U"},
                                options);
    ASSERT_EQ(withLog.exitCode, 0) << withLog.err;
    EXPECT_EQ(withLog.err, "");
    const std::string document = testing_support::ReadBytes(logOut);
    EXPECT_EQ(c.withoutLog(document), testing_support::ReadBytes(plainOut));
    std::size_t rays = 0;
    for (std::size_t at = document.find(c.rayMarker); at != std::string::npos;
         at = document.find(c.rayMarker, at + 1)) {
        ++rays;
    }
    EXPECT_EQ(rays, 4u);  // the ignored one too, flagged
    EXPECT_NE(document.find("F1 log fix"), std::string::npos);
    EXPECT_NE(document.find("ignored"), std::string::npos);
    // The fix and the southern station's ray lie on the central meridian.
    EXPECT_NE(document.find(std::string(c.format) == "gpx" ? "lon=\"9\"" : "9,"), std::string::npos)
        << document;
}

INSTANTIATE_TEST_SUITE_P(Formats, CliExportLog,
                         ::testing::Values(FormatCase{"Kml", "kml", KmlWithoutLog, ")</name>"},
                                           FormatCase{"GeoJson", "geojson", GeoJsonWithoutLog, "\"log ray\""},
                                           FormatCase{"Gpx", "gpx", GpxWithoutLog, "<rte><name>F1 log "}),
                         testing_support::ParamName{});

TEST(CliExportLog, UnreadableLogWritesNothing) {
    const testing_support::TempDir dir;
    testing_support::WriteBytes(dir / "hunt.fh2", HuntFile());
    testing_support::WriteBytes(dir / "hunt.fhl", "not a log\n");
    const std::string out = (dir / "out.kml").string();
    const auto result = testing_support::RunCli({"export", (dir / "hunt.fh2").string(), "--format", "kml",
                                                 "-o", out, "--log", (dir / "hunt.fhl").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("hunt.fhl"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace vantrel
