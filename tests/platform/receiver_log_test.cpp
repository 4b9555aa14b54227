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

// The log is appended to, not written atomically, so it checks what stands at each place itself: a pipe
// would block the opening for good, a device or a folder is no log. The next place is taken instead.
TEST(ReceiverLog, PassesOverWhatIsNotAFile) {
    struct Case {
        const char* name;
        bool (*make)(const std::filesystem::path& at);
        const char* reason;
    };
    const Case cases[] = {
        {"NamedPipe", testing_support::MakeFifo, "it is not a regular file (a named pipe)"},
        {"CharacterDevice", testing_support::MakeCharacterDevice,
         "it is not a regular file (a character device)"},
        {"SymlinkLoop", [](const std::filesystem::path& at) { return testing_support::MakeSymlink(at, at); },
         "Too many levels of symbolic links"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (!c.make(dir / "test.Log")) {
            continue;  // this system cannot make it (a device needs root)
        }
        ReceiverLog log;
        const core::Outcome alone = log.Open({dir / "test.Log"});
        ASSERT_FALSE(alone.ok());
        EXPECT_EQ(alone.message(),
                  "The receiver log " + (dir / "test.Log").string() + " could not be opened: " + c.reason);
        ASSERT_TRUE(log.Open({dir / "test.Log", dir / "data" / "test.Log"}).ok());
        EXPECT_EQ(log.path(), dir / "data" / "test.Log");
    }
    // A link to a log elsewhere is appended through.
    TempDir dir;
    WriteBytes(dir / "real.Log", "a");
    ASSERT_TRUE(testing_support::MakeSymlink(dir / "real.Log", dir / "test.Log"));
    ReceiverLog log;
    ASSERT_TRUE(log.Open({dir / "test.Log"}).ok());
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
