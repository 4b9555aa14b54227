// Following a log while another writer appends to it: whatever the pieces the bytes arrive in (a line
// torn anywhere, a line end split from its "\r", a header still half written, a line too long), the
// follower never hands out a partial event and ends with exactly what the whole-file reader reads.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "file_bytes.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/log_follower.hpp"
#include "hunt_log/log_reader.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_log {
namespace {

using testing_support::TempDir;

const std::string kHeader = EncodeHeader({kFormatVersion, {32, 'U'}, 1796738400000});
const std::string kBearing = [] {
    BearingEvent b;
    b.id = 1;
    b.time = 1796738460000;
    b.lat = 50.5;
    b.lon = 9.25;
    b.bearing = 123.5;
    b.zone = {32, 'U'};
    b.reference = Reference::True;
    return EncodeBearing(b, "Car", "agrelo");
}();
const std::string kPosition = EncodePosition({1796738461000, 50.501, 9.251, 80, 12.5});
const std::string kLongNote = R"({"type":"edit","id":1,"note":")" + std::string(70'000, 'x');

struct Script {
    const char* name;
    std::vector<std::string> appends;  // written one after the other, the follower reading after each
    std::vector<std::size_t> events;   // how many events it holds after each read
    std::size_t badLines = 0;
};

class FollowerScript : public ::testing::TestWithParam<Script> {};

TEST_P(FollowerScript, NeverReadsHalfAnEventAndEndsWithWhatTheReaderReads) {
    const Script& script = GetParam();
    const TempDir dir;
    const auto path = dir / "live.fhl";
    testing_support::WriteBytes(path, "");
    LogFollower follower(path);
    for (std::size_t i = 0; i < script.appends.size(); ++i) {
        {
            std::ofstream out(path, std::ios::binary | std::ios::app);
            out << script.appends[i];
        }
        const auto step = follower.ReadAppended();
        ASSERT_TRUE(step) << step.message();
        EXPECT_EQ(follower.log().events.size(), script.events[i]) << "after append " << i;
    }
    EXPECT_EQ(follower.BadLines(), script.badLines);
    const auto whole = ReadLog(path);
    ASSERT_TRUE(whole) << whole.message();
    ASSERT_EQ(follower.log().events.size(), whole->log.events.size());
    for (std::size_t i = 0; i < whole->log.events.size(); ++i) {
        EXPECT_EQ(follower.log().events[i].index(), whole->log.events[i].index());
        EXPECT_EQ(TimeOf(follower.log().events[i]), TimeOf(whole->log.events[i]));
    }
    EXPECT_EQ(follower.log().header.zone, whole->log.header.zone);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Appends, FollowerScript,
    ::testing::Values(
        Script{"WholeLines", {kHeader + "\n" + kBearing + "\n", kPosition + "\n"}, {1, 2}},
        Script{"TornInsideTheJson", {kHeader + "\n" + kBearing.substr(0, 40), kBearing.substr(40) + "\n" + kPosition.substr(0, 5), kPosition.substr(5) + "\n"}, {0, 1, 2}},
        Script{"TornJustBeforeTheLineEnd", {kHeader + "\n" + kBearing, "\n"}, {0, 1}},
        Script{"CarriageReturnSplitFromItsLineFeed", {kHeader + "\r\n" + kBearing + "\r", "\n"}, {0, 1}},
        Script{"HeaderStillBeingWritten", {kHeader.substr(0, 12), kHeader.substr(12) + "\n" + kPosition + "\n"}, {0, 1}},
        Script{"BadLineLeftOutAndReadingGoesOn", {kHeader + "\n{not json\n" + kPosition + "\n"}, {1}, 1},
        Script{"TooLongLineSkippedAcrossReads", {kHeader + "\n" + kLongNote, "xxxx\"}\n" + kPosition + "\n"}, {0, 1}, 1}),
    testing_support::ParamName());
// clang-format on

TEST(LogFollower, AFileThatGotShorterIsReadAgainFromItsStart) {
    const TempDir dir;
    const auto path = dir / "live.fhl";
    testing_support::WriteBytes(path, kHeader + "\n" + kBearing + "\n" + kPosition + "\n");
    LogFollower follower(path);
    ASSERT_TRUE(follower.ReadAppended());
    ASSERT_EQ(follower.log().events.size(), 2u);
    testing_support::WriteBytes(path, kHeader + "\n" + kPosition + "\n");
    const auto step = follower.ReadAppended();
    ASSERT_TRUE(step) << step.message();
    EXPECT_TRUE(step->restarted);
    ASSERT_EQ(follower.log().events.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<PositionEvent>(follower.log().events[0]));
}

TEST(LogFollower, AFileThatIsNoLogIsRefusedAndNothingIsKept) {
    const TempDir dir;
    const auto path = dir / "notes.txt";
    testing_support::WriteBytes(path, kPosition + "\n");
    LogFollower follower(path);
    const auto step = follower.ReadAppended();
    ASSERT_FALSE(step);
    EXPECT_NE(step.message().find("is no bearing log"), std::string::npos) << step.message();
    EXPECT_FALSE(follower.HasHeader());
    EXPECT_TRUE(follower.log().events.empty());
}

}  // namespace
}  // namespace vantrel::hunt_log
