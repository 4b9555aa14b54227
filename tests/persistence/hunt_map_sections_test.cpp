// The Hunt Map's display settings and the recent files: new sections of their own, the rest of the file
// as it was; the recent list newest first, each file once, at most eight.
#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "persistence/hunt_map_display.hpp"
#include "persistence/recent_files.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

const std::string kBefore = "[Comm]\r\nGPS-Port=3\r\n[File]\r\nLast Used Filename=a.fh2\r\n";

TEST(RecentFiles, NewestFirstEachOnceAtMostEight) {
    std::vector<std::string> files;
    for (int i = 1; i <= 10; ++i) {
        files = WithRecentFile(files, "h" + std::to_string(i) + ".fh2");
    }
    EXPECT_EQ(files, (std::vector<std::string>{"h10.fh2", "h9.fh2", "h8.fh2", "h7.fh2", "h6.fh2", "h5.fh2",
                                               "h4.fh2", "h3.fh2"}));
    // Opening one again moves it to the top, without a second entry.
    files = WithRecentFile(files, "h5.fh2");
    EXPECT_EQ(files, (std::vector<std::string>{"h5.fh2", "h10.fh2", "h9.fh2", "h8.fh2", "h7.fh2", "h6.fh2",
                                               "h4.fh2", "h3.fh2"}));
    EXPECT_EQ(WithRecentFile(files, ""), files);
}

TEST(RecentFiles, WrittenInTheirOwnSectionAndReadBack) {
    TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    WriteBytes(ini, kBefore);
    EXPECT_TRUE(ReadRecentFiles(ini).empty());
    ASSERT_TRUE(WriteRecentFiles({"/h/b.fh2", "/h/a\nGPS-Port=9.fh2", "/h/c.fh2"}, ini));
    const std::string bytes = ReadBytes(ini);
    EXPECT_EQ(bytes.substr(0, kBefore.size()), kBefore);
    EXPECT_EQ(bytes.substr(kBefore.size(), 55),
              "[RecentFiles]\r\nFile1=/h/b.fh2\r\nFile2=/h/c.fh2\r\nFile3=\r\n");
    EXPECT_EQ(ReadRecentFiles(ini), (std::vector<std::string>{"/h/b.fh2", "/h/c.fh2"}));
    // Edited by hand: gaps and doubles are read as one list.
    WriteBytes(ini, "[RecentFiles]\nFile2=/x.fh2\nFile5=/y.fh2\nFile7=/x.fh2\n");
    EXPECT_EQ(ReadRecentFiles(ini), (std::vector<std::string>{"/x.fh2", "/y.fh2"}));
}

struct DisplayCase {
    const char* name;
    const char* section;
    HuntMapDisplay expected;
};

class HuntMapDisplayRead : public testing::TestWithParam<DisplayCase> {};

TEST_P(HuntMapDisplayRead, KeysReadOrDefaulted) {
    EXPECT_EQ(HuntMapDisplayFromIni(IniFile::Parse(GetParam().section)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HuntMapDisplayRead,
    testing::Values(DisplayCase{"Missing", "", {1, false, true}},
                    DisplayCase{
                        "AllSet", "[HuntMap]\nSymbolSize=1.5\nNight=1\nLegend=0\n", {1.5, true, false}},
                    DisplayCase{"CommaPoint", "[huntmap]\nsymbolsize= 2,5 \n", {2.5, false, true}},
                    DisplayCase{"TooSmall", "[HuntMap]\nSymbolSize=0.1\n", {0.5, false, true}},
                    DisplayCase{"TooLarge", "[HuntMap]\nSymbolSize=40\n", {3, false, true}},
                    DisplayCase{"NotANumber", "[HuntMap]\nSymbolSize=big\nNight=yes\n", {1, false, true}}),
    testing_support::ParamName{});

TEST(HuntMapDisplay, WrittenInItsOwnSection) {
    TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    WriteBytes(ini, kBefore);
    ASSERT_TRUE(WriteHuntMapDisplay({1.25, true, false}, ini));
    EXPECT_EQ(ReadBytes(ini), kBefore + "[HuntMap]\r\nSymbolSize=1.25\r\nNight=1\r\nLegend=0\r\n");
    EXPECT_EQ(ReadHuntMapDisplay(ini), (HuntMapDisplay{1.25, true, false}));
}

}  // namespace
}  // namespace vantrel::persistence
