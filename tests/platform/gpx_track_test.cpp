// GPX tracks from any GPS logger: good points read with their times, points without a usable time or
// position left out and named by line, and what is no GPX refused with the line of the fault.
#include <gtest/gtest.h>

#include <string>

#include "platform/gpx_track.hpp"
#include "test_names.hpp"

namespace vantrel::platform {
namespace {

std::string Gpx(const std::string& points) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"logger\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
           "<trk><name>drive</name><trkseg>\n" +
           points + "</trkseg></trk>\n</gpx>\n";
}

const std::string kGood =
    "<trkpt lat=\"50.5\" lon=\"9.25\"><ele>312.4</ele><time>2026-12-08T14:00:00Z</time></trkpt>\n"
    "<trkpt lat=\"-33.25\" lon=\"-70.5\"><time>2026-12-08T16:00:01.250+02:00</time></trkpt>\n";

struct GpxRow {
    const char* name;
    std::string text;
    std::size_t points;   // read
    std::size_t leftOut;  // named in the problems
    std::string message;  // a part of the first problem, or of the failure when no point is read
};

class GpxReading : public ::testing::TestWithParam<GpxRow> {};

TEST_P(GpxReading, ReadsGoodPointsAndNamesTheRest) {
    const GpxRow& row = GetParam();
    const auto track = ParseGpxTrack(row.text, "drive.gpx");
    if (row.points == 0) {
        ASSERT_FALSE(track);
        EXPECT_NE(track.message().find(row.message), std::string::npos) << track.message();
        return;
    }
    ASSERT_TRUE(track) << track.message();
    EXPECT_EQ(track->points.size(), row.points);
    EXPECT_EQ(track->leftOut, row.leftOut);
    if (!row.message.empty()) {
        ASSERT_FALSE(track->problems.empty());
        EXPECT_NE(track->problems.front().find(row.message), std::string::npos) << track->problems.front();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Files, GpxReading,
    ::testing::Values(
        GpxRow{"Good", Gpx(kGood), 2, 0, ""},
        GpxRow{"MissingTime", Gpx(kGood + "<trkpt lat=\"50.6\" lon=\"9.3\"><ele>1</ele></trkpt>\n"), 2, 1, "<trkpt> at line 6 of \"drive.gpx\" was left out: it has no <time>"},
        GpxRow{"TimeNotIso", Gpx("<trkpt lat=\"50.6\" lon=\"9.3\"><time>yesterday</time></trkpt>\n" + kGood), 2, 1, "line 4 of \"drive.gpx\" was left out: its <time> is no ISO 8601 time"},
        GpxRow{"LatitudeOutOfRange", Gpx("<trkpt lat=\"95\" lon=\"9.3\"><time>2026-12-08T14:00:00Z</time></trkpt>\n" + kGood), 2, 1, "its lat or lon is not a number in range"},
        GpxRow{"NoTimeAnywhere", Gpx("<trkpt lat=\"50.6\" lon=\"9.3\"/>\n"), 0, 1, "holds no track point with a position and a time"},
        GpxRow{"Malformed", Gpx(kGood + "<trkpt lat=\"50.6\" lon=\"9.3\"><time>2026-12-08T14:00:00Z</trkpt>\n"), 0, 0, "\"drive.gpx\" is not well-formed XML (line 6"},
        GpxRow{"NotGpx", "<kml><Placemark/></kml>", 0, 0, "its root element is not <gpx>"}),
    testing_support::ParamName());
// clang-format on

TEST(GpxReading, PointsKeepTheirPositionAndUtcTime) {
    const auto track = ParseGpxTrack(Gpx(kGood), "drive.gpx");
    ASSERT_TRUE(track) << track.message();
    EXPECT_DOUBLE_EQ(track->points[1].lat, -33.25);
    EXPECT_DOUBLE_EQ(track->points[1].lon, -70.5);
    // 16:00:01.250 at +02:00 is 14:00:01.250 UTC: 1 250 ms after the first point.
    EXPECT_EQ(track->points[1].time - track->points[0].time, 1250);
    EXPECT_EQ(hunt_log::UtcText(track->points[0].time), "2026-12-08T14:00:00.000Z");
}

}  // namespace
}  // namespace vantrel::platform
