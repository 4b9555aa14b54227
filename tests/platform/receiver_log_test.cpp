// Where the receiver log goes and how it is written.
#include "platform/receiver_log.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "support/special_files.hpp"
#include "temp_dir.hpp"

#include <QTimeZone>

#include <cstdlib>

namespace vantrel::platform {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(ReceiverLog, AppendsRecordByRecordToWhatWasThere) {
    TempDir dir;
    WriteBytes(dir / "test.Log", "\"earlier\"\r\n");
    ReceiverLog log;
    ASSERT_TRUE(log.Open({dir / "test.Log"}).ok());
    ASSERT_TRUE(log.Append("\"one\"\r\n").ok());
    // On the disk at once, while the file is still open.
    EXPECT_EQ(ReadBytes(dir / "test.Log"), "\"earlier\"\r\n\"one\"\r\n");
    ASSERT_TRUE(log.Append("\"\xB0\"\r\n").ok());
    log.Close();
    EXPECT_EQ(ReadBytes(dir / "test.Log"), "\"earlier\"\r\n\"one\"\r\n\"\xB0\"\r\n");
}

TEST(ReceiverLog, FallsBackToTheNextPlaceAndCreatesItsFolder) {
    TempDir dir;
    WriteBytes(dir / "not-a-folder", "");
    ReceiverLog log;
    ASSERT_TRUE(log.Open({dir / "not-a-folder" / "test.Log", dir / "data" / "Vantrel" / "test.Log"}).ok());
    EXPECT_EQ(log.path(), dir / "data" / "Vantrel" / "test.Log");
    ASSERT_TRUE(log.Append("x").ok());
    EXPECT_EQ(ReadBytes(dir / "data" / "Vantrel" / "test.Log"), "x");
}

TEST(ReceiverLog, NoPlaceAtAllIsReported) {
    TempDir dir;
    WriteBytes(dir / "not-a-folder", "");
    ReceiverLog log;
    const core::Outcome opened = log.Open({dir / "not-a-folder" / "test.Log"});
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(
        opened.message().rfind(
            "The receiver log " + (dir / "not-a-folder" / "test.Log").string() + " could not be opened: ", 0),
        0u)
        << opened.message();
    EXPECT_FALSE(log.Append("x").ok());
}

// The log is appended to in place, so it checks each place itself: a pipe would block the opening for
// good, links in a loop lead nowhere. The next place is taken; a link to a log is appended through.
TEST(ReceiverLog, PassesOverWhatIsNotAFileAndFollowsLinks) {
    TempDir dir;
    ASSERT_TRUE(testing_support::MakeFifo(dir / "pipe.Log"));
    ASSERT_TRUE(testing_support::MakeSymlink(dir / "loop.Log", dir / "loop.Log"));
    WriteBytes(dir / "real.Log", "a");
    ASSERT_TRUE(testing_support::MakeSymlink(dir / "real.Log", dir / "link.Log"));
    ReceiverLog log;
    EXPECT_EQ(log.Open({dir / "pipe.Log", dir / "loop.Log"}).message(),
              "The receiver log " + (dir / "pipe.Log").string() +
                  " could not be opened: it is not a regular file (a named pipe)");
    ASSERT_TRUE(log.Open({dir / "loop.Log", dir / "link.Log"}).ok());
    ASSERT_TRUE(log.Append("b").ok());
    log.Close();
    EXPECT_EQ(ReadBytes(dir / "real.Log"), "ab");
}

TEST(ReceiverLog, TimeHasNoTimeZone) {
    const std::string zone =
        QTimeZone::systemTimeZone().abbreviation(QDateTime::currentDateTime()).toStdString();
    const std::string time = LogTimeText();
    ASSERT_FALSE(time.empty());
    EXPECT_EQ(time.find(zone), std::string::npos) << time << " / " << zone;
    EXPECT_NE(time.find(':'), std::string::npos) << time;
    EXPECT_FALSE(LogDateText().empty());
}

}  // namespace
}  // namespace vantrel::platform
