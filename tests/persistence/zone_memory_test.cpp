// The zone remembered per measurement file in [Zones]: found again by another name of the same file,
// escaped where the INI form gives characters a meaning, and every other line of the file kept.
#include "persistence/zone_memory.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"

namespace vantrel::persistence {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(ZoneMemory, FoundByAnotherNameOfTheFileAndOtherLinesKept) {
    TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    const std::string before = "[File]\r\nLast Used Filename=a.fh2\r\n[Map]\r\nZone=32U\r\n";
    WriteBytes(ini, before);
    std::filesystem::create_directories(dir / "hunts");
    WriteBytes(dir / "hunts" / "olinda.fh2", "x");
    ASSERT_TRUE(RememberZone(ini, dir / "hunts" / "olinda.fh2", "25M"));
    const std::string key = (std::filesystem::canonical(dir.path()) / "hunts" / "olinda.fh2").string();
    EXPECT_EQ(ReadBytes(ini), before + "[Zones]\r\n" + key + "=25M\r\n");
    const auto read = ReadSettingsFile(ini);
    ASSERT_TRUE(read);
    EXPECT_EQ(RememberedZone(*read, dir / "hunts" / ".." / "hunts" / "olinda.fh2"), "25M");
    EXPECT_EQ(RememberedZone(*read, dir / "other.fh2"), "");
    EXPECT_EQ(RememberedZone(*read, ""), "");

    core::MeasurementState state;
    state.DataFileName = (dir / "hunts" / "olinda.fh2").string();
    EXPECT_EQ(ZoneOfHunt(state, *read, std::nullopt),
              (geodesy::ZoneChoice{{25, 'M'}, geodesy::ZoneSource::Remembered}));
    state.txtZone[1] = "33U";
    EXPECT_EQ(ZoneOfHunt(state, *read, std::nullopt).source, geodesy::ZoneSource::ZoneBoxes);
}

const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

TEST(ZoneMemory, CharactersWithAMeaningInTheFileAreEscaped) {
    // The key is the absolute path, so on Windows it starts with a drive: only its end is compared.
    EXPECT_TRUE(ZoneMemoryKey("/h/a=b;c[d]%e.fh2").ends_with("h" + kSeparator + "a%3Db%3Bc%5Bd%5D%25e.fh2"))
        << ZoneMemoryKey("/h/a=b;c[d]%e.fh2");
    EXPECT_TRUE(ZoneMemoryKey("/h/ x.fh2 ").ends_with("h" + kSeparator + " x.fh2%20"))
        << ZoneMemoryKey("/h/ x.fh2 ");
    TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    ASSERT_TRUE(RememberZone(ini, "/h/a=b.fh2", "33T"));
    ASSERT_TRUE(RememberZone(ini, "/h/a", "25M"));
    const auto read = ReadSettingsFile(ini);
    ASSERT_TRUE(read);
    EXPECT_EQ(RememberedZone(*read, "/h/a=b.fh2"), "33T");
    EXPECT_EQ(RememberedZone(*read, "/h/a"), "25M");
    EXPECT_FALSE(RememberZone(ini, "", "25M"));
}

}  // namespace
}  // namespace vantrel::persistence
