// File names outside ASCII, as text (UTF-8) and on the disk: the same on Linux and Windows.
#include "persistence/path_text.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "file_bytes.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/file_access.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;

struct NameCase {
    const char* name;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
    const char* utf8;  // the file name's bytes, written out by hand
};

// German umlauts (in the Windows-1252 code page), Cyrillic and CJK (outside it), and a character beyond
// the Basic Multilingual Plane (a UTF-16 surrogate pair on Windows).
constexpr NameCase kNames[] = {
    {"Umlauts",
     "F\xC3\xBC"
     "chse \xC3\xA4\xC3\xB6\xC3\x9F.ovl"},
    {"Cyrillic", "\xD0\x9B\xD0\xB8\xD1\x81\xD0\xB0.fh2"},
    {"Cjk", "\xE7\x8B\x90\xE7\x8B\xB8.ini"},
    {"BeyondBmp", "\xF0\x9F\xA6\x8A hunt.ovl"},
};

class NonAsciiNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(NonAsciiNameTest, AtomicWriteCreatesAndReplacesTheFileUnderItsOwnName) {
    const TempDir dir;
    const std::string utf8 = GetParam().utf8;
    const std::filesystem::path target = dir.path() / PathFromUtf8(utf8);
    EXPECT_EQ(Utf8FromPath(target.filename()), utf8);

    ASSERT_TRUE(WriteFileAtomically(target, "old\r\nlonger content\r\n"));
    ASSERT_TRUE(WriteFileAtomically(target, "new\r\n"));
    EXPECT_EQ(ReadBytes(target), "new\r\n");  // replaced, line ends untouched
    EXPECT_EQ(*ReadWholeFile(target, 1024, "a test file"), "new\r\n");

    // Exactly one file, whose name read back from the disk is the same text.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(Utf8FromPath(entry.path().filename()));
    }
    EXPECT_EQ(names, std::vector<std::string>{utf8});
}

TEST_P(NonAsciiNameTest, SaveAndOpenRememberTheNameAsUtf8) {
    const TempDir dir;
    const std::string utf8 = GetParam().utf8;
    const std::filesystem::path file = dir.path() / PathFromUtf8(utf8);
    ProgramState saved;
    saved.main.Sced1Lat = "5541637,3";
    ASSERT_TRUE(SaveDataFile(saved, file, ',', dir / "Vantrel.ini"));
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(saved.settings.LastUsedFilename).filename()), utf8);
    EXPECT_EQ(PathFromUtf8(saved.main.DataFileName), file);
    // The settings file holds the name's UTF-8 bytes.
    EXPECT_NE(ReadBytes(dir / "Vantrel.ini").find(utf8), std::string::npos);

    ProgramState opened;
    ASSERT_TRUE(
        OpenDataFile(opened, PathFromUtf8(saved.settings.LastUsedFilename), ',', dir / "Vantrel.ini"));
    EXPECT_EQ(opened.main.Sced1Lat, "5541637,3");
}

TEST_P(NonAsciiNameTest, AMissingFileIsNamedInTheMessage) {
    const TempDir dir;
    const std::string utf8 = GetParam().utf8;
    const auto missing = ReadWholeFile(dir.path() / PathFromUtf8(utf8), 1024, "a test file");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find(utf8 + "\": No such file or directory"), std::string::npos)
        << missing.message();
}

INSTANTIATE_TEST_SUITE_P(Names, NonAsciiNameTest, testing::ValuesIn(kNames), testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::persistence
