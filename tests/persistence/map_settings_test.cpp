#include "persistence/map_settings.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "temp_dir.hpp"

namespace vantrel::persistence {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(MapSettings, ANewSectionOnlyEveryOtherLineKept) {
    TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    const std::string before =
        "[Comm]\r\nGPS-Port=3\r\n; a comment\r\n[File]\r\nLast Used Filename=a.fh2\r\n";
    WriteBytes(ini, before);
    EXPECT_EQ(ReadMapSettings(ini), MapSettings{});
    ASSERT_TRUE(WriteMapSettings({"/maps/olinda.png", "25M"}, ini));
    EXPECT_EQ(ReadBytes(ini), before + "[Map]\r\nFile=/maps/olinda.png\r\nZone=25M\r\n");
    EXPECT_EQ(ReadMapSettings(ini), (MapSettings{"/maps/olinda.png", "25M"}));
    // Changing them rewrites only their lines.
    ASSERT_TRUE(WriteMapSettings({"", "32U"}, ini));
    EXPECT_EQ(ReadBytes(ini), before + "[Map]\r\nFile=\r\nZone=32U\r\n");
}

TEST(MapSettings, ALineBreakInAValueIsRefusedAndNothingWritten) {
    TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    WriteBytes(ini, "[Comm]\nGPS-Port=1\n");
    const core::Outcome written = WriteMapSettings({"/maps/a\nGPS-Port=9.png", "32U"}, ini);
    EXPECT_FALSE(written);
    EXPECT_NE(written.message().find("line break"), std::string::npos);
    EXPECT_EQ(ReadBytes(ini), "[Comm]\nGPS-Port=1\n");
}

}  // namespace
}  // namespace vantrel::persistence
