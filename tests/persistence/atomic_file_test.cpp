#include "persistence/atomic_file.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "temp_dir.hpp"

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
    EXPECT_NE(outcome.message().find("Is a directory"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "target"));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, ReadWholeFileReportsMissingFile) {
    const TempDir dir;
    WriteBytes(dir / "x", "abc");
    EXPECT_EQ(*ReadWholeFile(dir / "x"), "abc");
    const auto missing = ReadWholeFile(dir / "nope.fh2");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.message(),
              "Could not read \"" + (dir / "nope.fh2").string() + "\": No such file or directory");
}

}  // namespace
}  // namespace vantrel::persistence
