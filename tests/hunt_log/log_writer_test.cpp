// The appending writer and the fold: zones of new logs (GeographicLib's reference zones), positions in
// the log's zone, ids unique across writers, an append after a torn line, edits applied up to a time.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "file_bytes.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_log/log_writer.hpp"
#include "temp_dir.hpp"

namespace vantrel::hunt_log {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;

constexpr geodesy::UtmZone kZone32U{32, 'U'};

NewBearing Bearing(TimeMs time, int fox, double bearing) {
    NewBearing b;
    b.time = time;
    b.fox = fox;
    b.station = "Station 1";
    b.lat = 54.753805917;  // GeographicLib: 682116.837479 / 6071070.199247 in zone 32
    b.lon = 11.830059552;
    b.bearing = bearing;
    return b;
}

TEST(NewLogZone, StandardZoneOfEveryReferencePoint) {
    std::ifstream table(std::string(VANTREL_TESTDATA_DIR) + "/geodesy/utm_reference.tsv");
    std::string line;
    std::getline(table, line);
    int checked = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        double lat = 0, lon = 0;
        int zone = 0;
        std::string band, rest[4];
        fields >> lat >> lon >> zone >> band >> rest[0] >> rest[1] >> rest[2] >> rest[3];
        if (line.find("\tstandard") == std::string::npos || lat >= 84 || lat < -80) {
            continue;
        }
        const auto found = StandardZone(lat, lon);
        ASSERT_TRUE(found) << line;
        EXPECT_EQ(*found, (geodesy::UtmZone{zone, band[0]})) << line;
        ++checked;
    }
    EXPECT_GT(checked, 2000);
    EXPECT_FALSE(StandardZone(85, 10));
    EXPECT_FALSE(StandardZone(kUnknown, 10));
}

TEST(NewLogZone, HuntThenGivenThenFirstPosition) {
    const geodesy::UtmZone hunt{33, 'U'};
    const geodesy::UtmZone given{31, 'U'};
    const geodesy::GeoPosition norway{61.283209307, 7.877699655};  // zone 32V by the Norway rule
    EXPECT_EQ(*ZoneOfNewLog(hunt, given, norway), hunt);
    EXPECT_EQ(*ZoneOfNewLog(std::nullopt, given, norway), given);
    EXPECT_EQ(*ZoneOfNewLog(std::nullopt, std::nullopt, norway), (geodesy::UtmZone{32, 'V'}));
    EXPECT_FALSE(ZoneOfNewLog(std::nullopt, std::nullopt, std::nullopt));
}

TEST(LogWriter, AppendsEventsThatReadBackInTheLogsZone) {
    const TempDir dir;
    const auto path = dir / "hunt.fhl";
    ASSERT_FALSE(LogWriter::Open(path, std::nullopt, 0)) << "a missing log needs a zone";
    auto writer = LogWriter::Open(path, kZone32U, 1000);
    ASSERT_TRUE(writer) << writer.message();
    EXPECT_TRUE(writer->Created());
    NewBearing far = Bearing(2000, 2, 90);
    far.lat = 45.396565155;  // zone 33's own; GeographicLib: 961093.718318 / 5043912.735255 in zone 32
    far.lon = 14.891230190;
    far.reference = Reference::True;
    far.sigma = 4;
    far.source = "receiver";
    far.readings = 6;
    EXPECT_EQ(*writer->AppendBearing(Bearing(1500, 1, 10)), 1u);
    EXPECT_EQ(*writer->AppendBearing(far), 2u);
    ASSERT_TRUE(writer->AppendPosition({2500, 54.75, 11.83, 270, 1.5}));
    ASSERT_TRUE(writer->AppendEdit({1, 3000, true, "reflection"}));

    const auto read = ReadLog(path);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read->log.header.zone, kZone32U);
    EXPECT_EQ(read->log.header.created, 1000);
    ASSERT_EQ(read->log.events.size(), 4u);
    const HuntState state = StateAt(read->log);
    ASSERT_EQ(state.Fox(1).size(), 1u);
    const FoxBearing& near = state.Fox(1)[0];
    EXPECT_NEAR(near.easting, 682116.837479, 1e-3);
    EXPECT_NEAR(near.northing, 6071070.199247, 1e-3);
    EXPECT_TRUE(near.ignored);
    EXPECT_EQ(near.note, "reflection");
    ASSERT_EQ(state.Fox(2).size(), 1u);
    const FoxBearing& other = state.Fox(2)[0];
    EXPECT_NEAR(other.easting, 961093.718318, 1e-3);
    EXPECT_NEAR(other.northing, 5043912.735255, 1e-3);
    EXPECT_EQ(other.reference, Reference::True);
    EXPECT_EQ(other.sigma, 4);
    EXPECT_EQ(other.source, "receiver");
    EXPECT_EQ(other.readings, 6u);
    EXPECT_FALSE(other.ignored);
    EXPECT_EQ(state.lastPosition->course, 270);

    // Refused before anything is written.
    const std::string before = ReadBytes(path);
    NewBearing bad = Bearing(4000, 6, 10);
    EXPECT_EQ(writer->AppendBearing(bad).message(), "fox 6 is not 1..5");
    bad = Bearing(4000, 1, 10);
    bad.sigma = 0;
    EXPECT_FALSE(writer->AppendBearing(bad));
    bad.sigma = kUnknown;
    bad.lat = 84.5;
    EXPECT_FALSE(writer->AppendBearing(bad));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(LogWriter, TwoWritersNeverShareAnIdAndATornLineIsEndedFirst) {
    const TempDir dir;
    const auto path = dir / "hunt.fhl";
    auto first = LogWriter::Open(path, kZone32U, 0);
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->AppendBearing(Bearing(1, 1, 10)));
    auto second = LogWriter::Open(path, std::nullopt, 0);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->Created());
    EXPECT_EQ(*second->AppendBearing(Bearing(2, 1, 20)), 2u);
    EXPECT_EQ(*first->AppendBearing(Bearing(3, 1, 30)), 3u);

    // A crash tore the last line; the next event still gets a line of its own.
    {
        std::ofstream torn(path, std::ios::binary | std::ios::app);
        torn << R"({"type":"bearing","id":4,"ti)";
    }
    EXPECT_EQ(*second->AppendBearing(Bearing(4, 1, 40)), 4u);
    const auto read = ReadLog(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->report.badLines, 1u);
    EXPECT_FALSE(read->report.tornLastLine);
    const HuntState state = StateAt(read->log);
    const auto& bearings = state.Fox(1);
    ASSERT_EQ(bearings.size(), 4u);
    for (std::size_t i = 0; i < bearings.size(); ++i) {
        EXPECT_EQ(bearings[i].id, i + 1);
        EXPECT_EQ(bearings[i].bearing, 10.0 * static_cast<double>(i + 1));
    }

    // A file that is no log is never appended to.
    const auto notes = dir / "notes.txt";
    testing_support::WriteBytes(notes, "shopping list\n");
    EXPECT_FALSE(LogWriter::Open(notes, kZone32U, 0));
    EXPECT_EQ(ReadBytes(notes), "shopping list\n");
}

TEST(HuntStateAt, EditsCountFromTheirTimeOn) {
    Log log;
    log.header.zone = kZone32U;
    BearingEvent b;
    b.id = 1;
    b.time = 100;
    b.fox = 4;
    b.zone = kZone32U;
    log.events.emplace_back(b);
    log.events.emplace_back(EditEvent{1, 200, true, "wild"});
    log.events.emplace_back(EditEvent{1, 300, false, std::nullopt});
    log.events.emplace_back(EditEvent{9, 300, true, std::nullopt});
    b.id = 2;
    b.time = 400;
    log.events.emplace_back(b);

    EXPECT_TRUE(StateAt(log, 99).Fox(4).empty());
    const HuntState at250 = StateAt(log, 250);
    ASSERT_EQ(at250.Fox(4).size(), 1u);
    EXPECT_TRUE(at250.Fox(4)[0].ignored);
    EXPECT_EQ(at250.Fox(4)[0].note, "wild");
    const HuntState end = StateAt(log);
    ASSERT_EQ(end.Fox(4).size(), 2u);
    EXPECT_FALSE(end.Fox(4)[0].ignored);
    EXPECT_EQ(end.Fox(4)[0].note, "wild");
    EXPECT_EQ(end.editsOfUnknownBearings, 1u);

    EXPECT_EQ(ZoneMismatchWarning("hunt.fhl", kZone32U, kZone32U), "");
    EXPECT_EQ(
        ZoneMismatchWarning("hunt.fhl", {33, 'U'}, kZone32U),
        "The bearing log \"hunt.fhl\" is in zone 33U, the hunt in 32U: its positions were converted into "
        "32U.");
}

}  // namespace
}  // namespace vantrel::hunt_log
