// The live map's settings: a section of their own, the rest of the file byte for byte as it was; values
// that are no whole number fall back, values out of range are brought into it.
#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "persistence/live_map_settings.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

struct SettingsRow {
    const char* name;
    const char* section;
    int minutes;
    bool follow;
};

class LiveMapSettingsRead : public ::testing::TestWithParam<SettingsRow> {};

TEST_P(LiveMapSettingsRead, TakesWhatIsUsableAndDefaultsTheRest) {
    const LiveMapSettings read = LiveMapSettingsFromIni(IniFile::Parse(GetParam().section));
    EXPECT_EQ(read.maxRayAgeMinutes, GetParam().minutes);
    EXPECT_EQ(read.follow, GetParam().follow);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, LiveMapSettingsRead,
    ::testing::Values(SettingsRow{"Absent", "", 10, true},
                      SettingsRow{"Given", "[LiveMap]\nMaxRayAge=25\nFollow=0\n", 25, false},
                      SettingsRow{"NotAWholeNumber", "[LiveMap]\nMaxRayAge=2.5\n", 10, true},
                      SettingsRow{"Empty", "[LiveMap]\nMaxRayAge=\nFollow=\n", 10, true},
                      SettingsRow{"TooShort", "[LiveMap]\nMaxRayAge=0\n", 1, true},
                      SettingsRow{"TooLong", "[LiveMap]\nMaxRayAge=100000\n", 1440, true}),
    testing_support::ParamName());

TEST(LiveMapSettingsWrite, ASectionOfItsOwnTheRestAsItWas) {
    const testing_support::TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    const std::string before = "[Comm]\r\nGPS-Port=3\r\n[File]\r\nLast Used Filename=a.fh2\r\n";
    testing_support::WriteBytes(ini, before);
    ASSERT_TRUE(WriteLiveMapSettings({7, false}, ini));
    const std::string after = testing_support::ReadBytes(ini);
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(ReadLiveMapSettings(ini), (LiveMapSettings{7, false}));
}

}  // namespace
}  // namespace vantrel::persistence
