// Where the receiver log goes and how it is written.
#include "platform/receiver_log.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
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
