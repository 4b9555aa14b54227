// The receiver's [Ports] keys and the [Schedule] section: read, written without touching anything else, and
// the schedule's texts turned into a schedule or a message naming the box.
#include "persistence/instrument_settings.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"

namespace vantrel::persistence {
namespace {

using instruments::RxFormat;

TEST(ReceiverSettings, AbsentKeysAreTheFixedColumnsAt2400) {
    const auto none = ReceiverSettingsFromIni(IniFile::Parse("[Comm]\r\nGON-Port=1\r\n"));
    ASSERT_TRUE(none);
    EXPECT_EQ(*none, (ReceiverSettings{RxFormat::Fixed, 2400, 1}));
    const auto agrelo = ReceiverSettingsFromIni(IniFile::Parse("[Ports]\nGON-Format=agrelo\n"));
    EXPECT_EQ(*agrelo, (ReceiverSettings{RxFormat::Agrelo, 4800, 1}));
    const auto set = ReceiverSettingsFromIni(
        IniFile::Parse("[ports]\nGON-Format=aprs\nGON-Baud=1200\nGON-Interval=2.5\n"));
    EXPECT_EQ(*set, (ReceiverSettings{RxFormat::Aprs, 1200, 2.5}));
    for (const char* bad :
         {"GON-Format=doppler", "GON-Baud=fast", "GON-Baud=-9600", "GON-Interval=0", "GON-Interval=61"}) {
        const auto read = ReceiverSettingsFromIni(IniFile::Parse(std::string("[Ports]\n") + bad + "\n"));
        ASSERT_FALSE(read) << bad;
        EXPECT_NE(read.message().find(bad), std::string::npos) << read.message();
    }
}

TEST(ReceiverSettings, TheDescribedReceiverLeavesTheFileAsItWas) {
    const std::string text = "[Comm]\r\nGPS-Port=1\r\nGON-Port=2\r\n";
    IniFile ini = IniFile::Parse(text);
    ReceiverSettingsToIni(ReceiverSettings{}, ini);
    EXPECT_EQ(ini.Serialize(), text);
    ReceiverSettingsToIni(ReceiverSettings{RxFormat::Kn5r, 9600, 0.5}, ini);
    EXPECT_EQ(ini.Serialize(), text + "[Ports]\r\nGON-Format=kn5r\r\nGON-Interval=0.5\r\n");
    ReceiverSettingsToIni(ReceiverSettings{}, ini);  // back to fixed: the keys now present say so
    EXPECT_EQ(*ini.Get("Ports", "GON-Format"), "fixed");
    EXPECT_FALSE(ini.Get("Ports", "GON-Baud"));  // 2400 is what fixed implies
}

TEST(ScheduleSettings, RoundTripAndMessagesNamingTheBox) {
    testing_support::TempDir dir;
    const auto path = dir / "Vantrel.ini";
    testing_support::WriteBytes(path, "[Comm]\r\nGPS-Port=3\r\n; note\r\n");
    ScheduleSettings sprint{true, "10:00:00", "12", "5", "F1,F2,-,F4,F5", "", "1.5", "-3"};
    ASSERT_TRUE(UpdateIniFile(path, [&](IniFile& ini) { ScheduleSettingsToIni(sprint, ini); }));
    const std::string bytes = testing_support::ReadBytes(path);
    EXPECT_EQ(bytes.rfind("[Comm]\r\nGPS-Port=3\r\n; note\r\n[Schedule]\r\nOn=1\r\n", 0), 0U) << bytes;
    EXPECT_EQ(ScheduleSettingsFromIni(IniFile::Parse(bytes)), sprint);
    EXPECT_EQ(GetIniData(path).GpsPort, "3");

    const auto schedule = ScheduleFromSettings(sprint);
    ASSERT_TRUE(schedule) << schedule.message();
    EXPECT_EQ(schedule->slot, 12 * instruments::kSecond);
    EXPECT_EQ(schedule->foxes, (std::vector<int>{1, 2, 0, 4, 5}));
    EXPECT_EQ(ClockOffset(sprint.clockOffset), -3 * instruments::kSecond);
    EXPECT_EQ(ScheduleFromSettings(ScheduleSettings{})->foxes, (std::vector<int>{1, 2, 3, 4, 5}));

    const struct {
        std::string ScheduleSettings::*box;
        const char* text;
        const char* named;
    } wrong[] = {{&ScheduleSettings::slot, "0", "Slot: "},
                 {&ScheduleSettings::guard, "30", "Guard: leaves no time on the air"},
                 {&ScheduleSettings::order, "F1,F2", "Foxes: "},
                 {&ScheduleSettings::start, "25:00:00", "Cycle start: "}};
    for (const auto& w : wrong) {
        ScheduleSettings s;
        s.*w.box = w.text;
        EXPECT_EQ(ScheduleFromSettings(s).message().rfind(w.named, 0), 0U) << w.named;
    }
    EXPECT_FALSE(ClockOffset("1h"));
}

}  // namespace
}  // namespace vantrel::persistence
