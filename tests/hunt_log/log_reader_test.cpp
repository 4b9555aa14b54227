// Reading a damaged log: every good event comes back, every bad line is named with its number, a torn
// last line is reported and stays in the file, and what is no log is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file_bytes.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/log_reader.hpp"
#include "temp_dir.hpp"

namespace vantrel::hunt_log {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr const char* kHeader =
    R"({"type":"header","version":1,"zone":"32U","created":"2026-12-08T14:00:00.000Z"})";

std::string BearingLine(int id, int fox) {
    return R"({"type":"bearing","id":)" + std::to_string(id) +
           R"(,"time":"2026-12-08T14:05:22.123Z","fox":)" + std::to_string(fox) +
           R"(,"station":"S1","lat":50.5,"lon":9.25,"zone":"32U","easting":517730.255,"northing":5594255.242,)"
           R"("bearing":123.5,"reference":"grid","source":"typed","readings":1})";
}

bool HasWarning(const std::vector<std::string>& warnings, const std::string& text) {
    for (const std::string& warning : warnings) {
        if (warning == text) {
            return true;
        }
    }
    return false;
}

TEST(LogReader, BadLinesAreNamedAndNothingAfterThemIsLost) {
    const TempDir dir;
    const auto path = dir / "hunt.fhl";
    const std::string bytes =
        std::string(kHeader) + "\n" + BearingLine(1, 1) + "\n" + "{not json\n" +
        R"({"type":"position","time":"2026-12-08T14:06:00.000Z","lat":50.5,"lon":9.25,"speed":3})" + "\r\n" +
        "{\"type\":\"edit\",\"note\":\"" + std::string(70'000, 'x') + "\"}\n" + "\n" +
        R"({"type":"edit","time":"2026-12-08T14:07:00.000Z","id":1,"ignore":true})" + "\n" +
        R"({"type":"heading","time":"2026-12-08T14:07:00.000Z","deg":80})" + "\n" + BearingLine(2, 5) + "\n" +
        R"({"type":"bearing","id":3,"time":"2026-12-08T14:0)";
    WriteBytes(path, bytes);

    const auto read = ReadLog(path);
    ASSERT_TRUE(read) << read.message();
    const ReadReport& report = read->report;
    EXPECT_EQ(report.eventsRead, 4u);
    EXPECT_EQ(report.badLines, 2u);
    EXPECT_EQ(report.unknownEvents, 1u);
    EXPECT_TRUE(report.tornLastLine);
    ASSERT_EQ(read->log.events.size(), 4u);
    EXPECT_EQ(std::get<BearingEvent>(read->log.events[3]).fox, 5);
    EXPECT_EQ(read->log.Label(std::get<BearingEvent>(read->log.events[3]).station), "S1");
    EXPECT_EQ(std::get<PositionEvent>(read->log.events[1]).speed, 3);

    const std::string name = "\"" + path.string() + "\"";
    const auto warnings = report.Warnings(path);
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_EQ(warnings[0].rfind("line 3 of " + name + " is not a valid event: it is not JSON", 0), 0u);
    EXPECT_EQ(warnings[1], "line 5 of " + name + " is longer than 64 KiB; it was left out");
    EXPECT_TRUE(HasWarning(warnings, "the last line of " + name + " is incomplete; it was left out"));
    EXPECT_TRUE(HasWarning(warnings, "4 events of " + name + " were read"));
    // Reading changes nothing.
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(LogReader, ALargeLogComesBackInOrderWithItsLabelsAndLineNumbers) {
    // About 4 MiB: read in several blocks on several threads, joined again in file order.
    const TempDir dir;
    const auto path = dir / "large.fhl";
    std::string bytes = std::string(kHeader) + "\n";
    std::vector<std::uint64_t> badLines;
    BearingEvent b;
    b.zone = {32, 'U'};
    std::uint64_t line = 1;
    for (std::uint64_t id = 1; id <= 20'000; ++id) {
        if (id % 997 == 0) {
            bytes += "{\"type\":\"bearing\",\"id\":\n";
            badLines.push_back(++line);
        }
        b.id = id;
        b.fox = static_cast<std::uint8_t>(id % 5 + 1);
        bytes += EncodeBearing(b, "station " + std::to_string(id % 7), id % 2 ? "receiver" : "typed") + "\n";
        ++line;
    }
    WriteBytes(path, bytes);
    const auto read = ReadLog(path);
    ASSERT_TRUE(read) << read.message();
    ASSERT_EQ(read->log.events.size(), 20'000u);
    for (std::uint64_t id = 1; id <= 20'000; ++id) {
        const auto& e = std::get<BearingEvent>(read->log.events[id - 1]);
        ASSERT_EQ(e.id, id);
        ASSERT_EQ(read->log.Label(e.station), "station " + std::to_string(id % 7));
        ASSERT_EQ(read->log.Label(e.source), id % 2 ? "receiver" : "typed");
    }
    EXPECT_EQ(read->log.labels.size(), 10u);  // "", seven stations, two sources
    ASSERT_EQ(read->report.badLines, badLines.size());
    for (std::size_t i = 0; i < read->report.problems.size(); ++i) {
        EXPECT_EQ(read->report.problems[i].rfind("line " + std::to_string(badLines[i]) + " of ", 0), 0u)
            << read->report.problems[i];
    }
}

TEST(LogReader, TruthLinesFillTheTruthAndAreNoEvents) {
    const TempDir dir;
    const auto path = dir / "simulated.fhl";
    WriteBytes(path, std::string(kHeader) + "\n" + R"({"type":"truth","fox":2,"lat":50.1,"lon":9.2})" + "\n" +
                         R"({"type":"truth","fox":1,"lat":-50,"lon":-9,"height":3})" + "\n" +
                         R"({"type":"truth","fox":9,"lat":1,"lon":1})" + "\n" + BearingLine(1, 2) + "\n");
    const auto read = ReadLog(path);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read->log.truth, (std::vector<TruthFox>{{2, 50.1, 9.2}, {1, -50, -9}}));
    EXPECT_EQ(read->log.events.size(), 1u);
    EXPECT_EQ(read->report.eventsRead, 1u);
    EXPECT_EQ(read->report.unknownEvents, 0u);
    ASSERT_EQ(read->report.badLines, 1u);  // fox 9
    EXPECT_NE(read->report.problems[0].find("line 4 of"), std::string::npos) << read->report.problems[0];
}

TEST(LogReader, RefusesWhatIsNoLog) {
    const TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", "its first line is no header (it is empty)"},
        {"torn header", R"({"type":"header","ver)", "the first line of"},
        {"event first", BearingLine(1, 1) + "\n", "its first line is no header (it is no header)"},
        {"text", "fox,lat,lon\n1,50,9\n", "its first line is no header (it is not JSON"},
    };
    for (const Case& c : cases) {
        const auto path = dir / "bad.fhl";
        WriteBytes(path, c.bytes);
        const auto read = ReadLog(path);
        ASSERT_FALSE(read) << c.name;
        EXPECT_NE(read.message().find(c.message), std::string::npos) << c.name << ": " << read.message();
    }
    EXPECT_NE(ReadLog(dir / "missing.fhl").message().find("Could not read"), std::string::npos);
    EXPECT_NE(ReadLog(dir.path()).message().find("not a regular file"), std::string::npos);

    // Past the size limit (a sparse file: no disk space taken) nothing is read at all.
    const auto huge = dir / "huge.fhl";
    WriteBytes(huge, std::string(kHeader) + "\n");
    std::filesystem::resize_file(huge, kMostLogBytes + 1);
    const auto read = ReadLog(huge);
    ASSERT_FALSE(read);
    EXPECT_NE(read.message().find("at most 256 MiB"), std::string::npos) << read.message();
}

TEST(LogReader, BearingsGivenInAnotherZoneAreMovedIntoTheLogsZone) {
    // A newer program's line with the position in zone 33's grid only (GeographicLib: 44.991140391 N
    // 9.841819156 E is 93393.381903 / 4994923.877979 there) and one with latitude/longitude only
    // (45.396565155 N 14.891230190 E: 961093.718318 / 5043912.735255 in zone 32).
    const TempDir dir;
    const auto path = dir / "zones.fhl";
    WriteBytes(path,
               std::string(kHeader) + "\n" +
                   R"({"type":"bearing","id":1,"time":"2026-12-08T14:05:22Z","fox":1,"bearing":10,)"
                   R"("reference":"grid","zone":"33T","easting":93393.381903,"northing":4994923.877979})" +
                   "\n" +
                   R"({"type":"bearing","id":2,"time":"2026-12-08T14:05:22Z","fox":1,"bearing":10,)"
                   R"("reference":"true","lat":45.396565155,"lon":14.891230190})" +
                   "\n");
    const auto read = ReadLog(path);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read->report.convertedFromOtherZone, 1u);
    const auto& first = std::get<BearingEvent>(read->log.events[0]);
    EXPECT_NEAR(first.lat, 44.991140391, 1e-9);
    EXPECT_NEAR(first.lon, 9.841819156, 1e-9);
    EXPECT_EQ(first.zone, (geodesy::UtmZone{32, 'U'}));
    const auto& second = std::get<BearingEvent>(read->log.events[1]);
    EXPECT_NEAR(second.easting, 961093.718318, 1e-3);
    EXPECT_NEAR(second.northing, 5043912.735255, 1e-3);
    EXPECT_TRUE(read->report.Warnings(path).empty());
}

}  // namespace
}  // namespace vantrel::hunt_log
