#include "persistence/atomic_file.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>

#include "file_bytes.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

std::size_t EntriesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

TEST(AtomicFile, WritesExactBytesAndReplacesShorter) {
    const TempDir dir;
    const std::string binary("a\0b\r\n\xff", 6);
    ASSERT_TRUE(WriteFileAtomically(dir / "f.bin", binary + binary));
    ASSERT_TRUE(WriteFileAtomically(dir / "f.bin", binary));
    EXPECT_EQ(ReadBytes(dir / "f.bin"), binary);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);  // no temporary file left behind
}

TEST(AtomicFile, MissingFolderIsReportedWithPathAndReason) {
    const TempDir dir;
    const auto target = dir / "missing" / "rays.ovl";
    const core::Outcome outcome = WriteFileAtomically(target, "x");
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.message(), "Could not write \"" + target.string() + "\": No such file or directory");
}

TEST(AtomicFile, FailureLeavesTheOldFileAndNoLeftovers) {
    const TempDir dir;
    std::filesystem::create_directories(dir / "target");
    const core::Outcome outcome = WriteFileAtomically(dir / "target", "new");
    ASSERT_FALSE(outcome);
    EXPECT_NE(outcome.message().find("it is not a regular file (a folder); nothing was written"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "target"));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

// A write that fails at any step says so with the path and the system's reason, and leaves the old file
// (or no file) and nothing else behind.
struct InjectedCase {
    const char* name;
    friend void PrintTo(const InjectedCase& c, std::ostream* os) { *os << c.name; }
    AtomicWriteStep step;
    int error;
    const char* reason;
};

class InjectedWriteErrorTest : public testing::TestWithParam<InjectedCase> {};

TEST_P(InjectedWriteErrorTest, LeavesTheOldFileAndSaysWhy) {
    const InjectedCase& c = GetParam();
    const TempDir dir;
    const auto target = dir / "Vantrel.ini";
    WriteBytes(target, "[Comm]\r\nGPS-Port=3\r\n");
    const core::Outcome outcome =
        WriteFileAtomically(target, "[Comm]\r\nGPS-Port=4\r\nGON-Port=1\r\n", {c.step, c.error});
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.message(), "Could not write \"" + target.string() + "\": " + c.reason);
    EXPECT_EQ(ReadBytes(target), "[Comm]\r\nGPS-Port=3\r\n");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    const auto fresh = dir / "rays.ovl";
    EXPECT_FALSE(WriteFileAtomically(fresh, "[Overlay]\r\n", {c.step, c.error}));
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

#ifdef EDQUOT
constexpr InjectedCase kFailingClose{"QuotaOnClose", AtomicWriteStep::Close, EDQUOT, "Disk quota exceeded"};
#else  // Windows knows no disk quota error number
constexpr InjectedCase kFailingClose{"FullOnClose", AtomicWriteStep::Close, ENOSPC,
                                     "No space left on device"};
#endif

INSTANTIATE_TEST_SUITE_P(
    Steps, InjectedWriteErrorTest,
    testing::Values(InjectedCase{"ReadOnlyFolder", AtomicWriteStep::Create, EROFS, "Read-only file system"},
                    InjectedCase{"DiskFullHalfWay", AtomicWriteStep::Write, ENOSPC,
                                 "No space left on device"},
                    InjectedCase{"DeviceFailsOnFlush", AtomicWriteStep::Flush, EIO, "Input/output error"},
                    kFailingClose,
                    InjectedCase{"RenameRefused", AtomicWriteStep::Rename, EACCES, "Permission denied"}),
    testing_support::ParamName{});

TEST(AtomicFile, AFolderThatIsAFileIsReported) {
    const TempDir dir;
    WriteBytes(dir / "overlays", "not a folder");
    const auto target = dir / "overlays" / "rays.ovl";
    const core::Outcome outcome = WriteFileAtomically(target, "[Overlay]\r\n");
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.message(), "Could not write \"" + target.string() + "\": Not a directory");
    EXPECT_EQ(ReadBytes(dir / "overlays"), "not a folder");
}

TEST(AtomicFile, ReadWholeFileReportsMissingFile) {
    const TempDir dir;
    WriteBytes(dir / "x", "abc");
    EXPECT_EQ(*ReadWholeFile(dir / "x", 3, "a test file"), "abc");
    const auto missing = ReadWholeFile(dir / "nope.fh2", 3, "a test file");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.message(),
              "Could not read \"" + (dir / "nope.fh2").string() + "\": No such file or directory");
}

}  // namespace
}  // namespace vantrel::persistence
