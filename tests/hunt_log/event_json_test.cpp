// One event per line: the time text, a bearing written and read back, and the reasons a line is refused.
// Times worked out with Python's datetime.
#include <gtest/gtest.h>

#include <string>

#include "hunt_log/event_json.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_log {
namespace {

struct TimeCase {
    const char* name;
    const char* text;
    std::optional<TimeMs> time;
};

class UtcTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(UtcTime, ReadsOnlyRealTimes) {
    const TimeCase& c = GetParam();
    EXPECT_EQ(ParseUtcText(c.text), c.time) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UtcTime,
    ::testing::Values(TimeCase{"Epoch", "1970-01-01T00:00:00.000Z", 0},
                      TimeCase{"Hunt", "2026-12-08T14:05:22.123Z", 1796738722123},
                      TimeCase{"NoFraction", "2000-03-01T00:00:00Z", 951868800000},
                      TimeCase{"LeapDay", "2024-02-29T23:59:59.999Z", 1709251199999},
                      TimeCase{"BeforeEpoch", "1969-12-31T23:59:59.999Z", -1},
                      TimeCase{"FractionCut", "2026-12-08T14:05:22.1239Z", 1796738722123},
                      TimeCase{"Offset", "2026-12-08T15:35:22.123+01:30", 1796738722123},
                      TimeCase{"BlankAndLowerCase", "2026-12-08 14:05:22.123z", 1796738722123},
                      TimeCase{"NoLeapDay", "2026-02-29T00:00:00Z", std::nullopt},
                      TimeCase{"Month13", "2026-13-01T00:00:00Z", std::nullopt},
                      TimeCase{"Hour24", "2026-12-08T24:00:00Z", std::nullopt},
                      TimeCase{"EmptyFraction", "2026-12-08T14:05:22.Z", std::nullopt},
                      TimeCase{"NoZone", "2026-12-08T14:05:22", std::nullopt},
                      TimeCase{"Trailing", "2026-12-08T14:05:22Zx", std::nullopt},
                      TimeCase{"BeforeYear0", "0000-01-01T00:30:00+01:00", std::nullopt}),
    testing_support::ParamName{});

TEST(UtcTime, WritesMillisecondsAndReadsThemBack) {
    EXPECT_EQ(UtcText(1796738722123), "2026-12-08T14:05:22.123Z");
    EXPECT_EQ(UtcText(-1), "1969-12-31T23:59:59.999Z");
    for (TimeMs t = -86'400'000LL * 800; t < 86'400'000LL * 800; t += 86'399'997) {
        EXPECT_EQ(ParseUtcText(UtcText(t)), t);
    }
}

TEST(EventLine, BearingReadsBackAsWrittenWithPositionsRounded) {
    BearingEvent b;
    b.id = 42;
    b.time = 1796738722123;
    b.fox = 3;
    b.lat = 50.1234567891234;
    b.lon = -9.87654321;
    b.zone = {29, 'U'};
    b.easting = 509876.12345;
    b.northing = 5551234.9876;
    b.bearing = 359.5;
    b.reference = Reference::True;
    b.sigma = 2.5;
    b.readings = 7;
    const std::string line = EncodeBearing(b, "Hügel \"Nord\"", "agrelo");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    LineDecoder decoder;
    DecodedLine out;
    ASSERT_TRUE(decoder.Decode(line, out)) << line;
    ASSERT_EQ(out.kind, LineKind::Bearing);
    EXPECT_TRUE(out.hasLatLon && out.hasGrid);
    const BearingEvent& r = out.bearing;
    EXPECT_EQ(r.id, 42u);
    EXPECT_EQ(r.time, b.time);
    EXPECT_EQ(r.fox, 3);
    EXPECT_EQ(r.lat, 50.123456789);
    EXPECT_EQ(r.lon, -9.87654321);
    EXPECT_EQ(r.zone, (geodesy::UtmZone{29, 'U'}));
    EXPECT_EQ(r.easting, 509876.123);
    EXPECT_EQ(r.northing, 5551234.988);
    EXPECT_EQ(r.bearing, 359.5);
    EXPECT_EQ(r.reference, Reference::True);
    EXPECT_EQ(r.sigma, 2.5);
    EXPECT_EQ(r.readings, 7u);
    EXPECT_EQ(out.station, "Hügel \"Nord\"");
    EXPECT_EQ(out.source, "agrelo");

    // Without a sigma the field is left out and reads back as unknown; edits keep a missing ignore missing.
    b.sigma = kUnknown;
    ASSERT_TRUE(decoder.Decode(EncodeBearing(b, "", ""), out));
    EXPECT_FALSE(out.bearing.HasSigma());
    ASSERT_TRUE(decoder.Decode(EncodeEdit({42, 5, std::nullopt, "wet"}), out));
    EXPECT_EQ(out.kind, LineKind::Edit);
    EXPECT_FALSE(out.edit.ignore.has_value());
    EXPECT_EQ(out.edit.note, "wet");
}

TEST(EventLine, TruthReadsBackRoundedTo1e9Degrees) {
    const std::string line = EncodeTruth({4, -33.1234567894, 151.0000000006});
    EXPECT_EQ(line, R"({"type":"truth","fox":4,"lat":-33.123456789,"lon":151.000000001})");
    LineDecoder decoder;
    DecodedLine out;
    ASSERT_TRUE(decoder.Decode(line, out)) << line;
    ASSERT_EQ(out.kind, LineKind::Truth);
    EXPECT_EQ(out.truth, (TruthFox{4, -33.123456789, 151.000000001}));
}

TEST(EventLine, UnknownTypesAndFieldsAreSkipped) {
    LineDecoder decoder;
    DecodedLine out;
    ASSERT_TRUE(decoder.Decode(R"({"type":"heading","time":"x","deg":[1,2]})", out));
    EXPECT_EQ(out.kind, LineKind::Unknown);
    const char* newer =
        R"({"extra":{"fox":"x","lat":[]},"type":"position","time":"2026-12-08T14:05:22.123Z","lat":50,)"
        R"("lon":9,"hdop":0.9,"course":null})";
    ASSERT_TRUE(decoder.Decode(newer, out)) << newer;
    EXPECT_EQ(out.kind, LineKind::Position);
    EXPECT_EQ(out.position.lat, 50);
    EXPECT_TRUE(std::isnan(out.position.course));
}

struct BadLine {
    const char* name;
    const char* line;
    const char* reason;  // a part of the message
};

class RefusedLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(RefusedLine, SaysWhy) {
    LineDecoder decoder;
    DecodedLine out;
    const core::Outcome decoded = decoder.Decode(GetParam().line, out);
    ASSERT_FALSE(decoded);
    EXPECT_NE(decoded.message().find(GetParam().reason), std::string::npos) << decoded.message();
}

#define BEARING_START R"({"type":"bearing","id":1,"time":"2026-12-08T14:05:22.123Z",)"
INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedLine,
    ::testing::Values(
        BadLine{"NotJson", R"({"type":"bearing",)", "it is not JSON"},
        BadLine{"Array", R"([1,2])", "not a JSON object"}, BadLine{"Number", "17", "not a JSON object"},
        BadLine{"NoType", R"({"id":1})", "its type is missing"},
        BadLine{"Fox6", BEARING_START R"("fox":6,"bearing":1,"reference":"grid","lat":1,"lon":1})", "fox 6"},
        BadLine{"FoxText", BEARING_START R"("fox":"2","bearing":1,"reference":"grid","lat":1,"lon":1})",
                "fox is not a number"},
        BadLine{"Bearing400", BEARING_START R"("fox":1,"bearing":400,"reference":"grid","lat":1,"lon":1})",
                "bearing 400 lies outside 0..360"},
        BadLine{"Magnetic", BEARING_START R"("fox":1,"bearing":1,"reference":"magnetic","lat":1,"lon":1})",
                "neither grid nor true"},
        BadLine{"NoPosition", BEARING_START R"("fox":1,"bearing":1,"reference":"grid","lat":1,"easting":5})",
                "position is missing"},
        BadLine{"BadZone",
                BEARING_START R"("fox":1,"bearing":1,"reference":"grid","zone":"32I","lat":1,"lon":1})",
                "zone \"32I\""},
        BadLine{"NestedSigma",
                BEARING_START R"("fox":1,"bearing":1,"reference":"grid","lat":1,"lon":1,"sigma":{"v":1}})",
                "sigma is not a number"},
        BadLine{"IdZero", R"({"type":"edit","id":0,"time":"2026-12-08T14:05:22.123Z"})", "id 0"},
        BadLine{"IgnoreText", R"({"type":"edit","id":3,"time":"2026-12-08T14:05:22.123Z","ignore":"yes"})",
                "neither true nor false"},
        BadLine{"BadTime", R"({"type":"position","time":"yesterday","lat":1,"lon":1})", "\"yesterday\""},
        BadLine{"TruthFox0", R"({"type":"truth","fox":0,"lat":50,"lon":9})", "fox 0 lies outside 1..5"},
        BadLine{"TruthNoLon", R"({"type":"truth","fox":1,"lat":50})", "its lon is missing"},
        BadLine{"TruthLat91", R"({"type":"truth","fox":2,"lat":91,"lon":9})", "lat 91 lies outside -90..90"},
        BadLine{"HeaderNoZone", R"({"type":"header","version":1,"created":"2026-12-08T14:05:22.123Z"})",
                "zone is missing"},
        BadLine{"BrokenUtf8", "{\"type\":\"edit\",\"note\":\"\xff\"}", "it is not JSON"}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::hunt_log
