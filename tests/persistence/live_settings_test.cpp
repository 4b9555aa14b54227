#include "persistence/live_settings.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

LiveSettings With(void (*change)(LiveSettings&)) {
    LiveSettings s;
    change(s);
    return s;
}

struct LiveIniCase {
    const char* name;
    friend void PrintTo(const LiveIniCase& c, std::ostream* os) { *os << c.name; }
    const char* sections;  // lines of [Live] and [Foxes]
    LiveSettings expected;
    std::size_t problems;
};

class LiveIni : public testing::TestWithParam<LiveIniCase> {};

TEST_P(LiveIni, AbsentOrUnusableKeysTakeTheirDefaults) {
    const LiveIniCase& c = GetParam();
    const std::string text = "[Comm]\r\nGPS-Port=2\r\n" + std::string(c.sections) + "[File]\r\n";
    const LiveSettingsRead read = LiveSettingsFromIni(IniFile::Parse(text));
    EXPECT_EQ(read.settings, c.expected);
    EXPECT_EQ(read.problems.size(), c.problems);
    // What was read is written back and read again unchanged.
    IniFile written = IniFile::Parse(text);
    LiveSettingsToIni(read.settings, written);
    EXPECT_EQ(LiveSettingsFromIni(written).settings, read.settings);
}

INSTANTIATE_TEST_SUITE_P(
    Live, LiveIni,
    testing::Values(
        LiveIniCase{"Absent", "", LiveSettings{}, 0},
        LiveIniCase{
            "All",
            "[Live]\r\nGps= gpsd://127.0.0.1 \r\nReceiverVehicle=1\r\nNetworkVehicle=1\r\nMinSpeed=1,5\r\n"
            "NetworkUrl=http://10.0.0.2:8081/DOA_value.html\r\nPollMs=250\r\nFrequencyTolerance=2500\r\n"
            "[Foxes]\r\nFrequency1=144500000\r\nFrequency3=145.2e6\r\nFrequency4=\r\n",
            With([](LiveSettings& s) {
                s.gps = "gpsd://127.0.0.1";
                s.receiverVehicle = true;
                s.networkVehicle = true;
                s.minSpeed = 1.5;
                s.networkUrl = "http://10.0.0.2:8081/DOA_value.html";
                s.pollMs = 250;
                s.frequencyToleranceHz = 2500;
                s.foxFrequencies = {144.5e6, std::nullopt, 145.2e6, std::nullopt, std::nullopt};
            }),
            0},
        LiveIniCase{"Unusable",
                    "[Live]\r\nReceiverVehicle=yes\r\nMinSpeed=-1\r\nPollMs=10\r\nFrequencyTolerance=x\r\n"
                    "[Foxes]\r\nFrequency2=0\r\nFrequency5=two metres\r\n",
                    LiveSettings{}, 6}),
    testing_support::ParamName{});

TEST(LiveSettingsWrite, DefaultsLeaveTheFileAsItWas) {
    const std::string text = "[Comm]\r\nGPS-Port=2\r\n";
    IniFile ini = IniFile::Parse(text);
    LiveSettingsToIni(LiveSettings{}, ini);
    EXPECT_EQ(ini.Serialize(), text);
    LiveSettings changed;
    changed.minSpeed = 0.5;
    changed.foxFrequencies[1] = 144.75e6;
    LiveSettingsToIni(changed, ini);
    EXPECT_EQ(ini.Serialize(), text + "[Live]\r\nMinSpeed=0.5\r\n[Foxes]\r\nFrequency2=144750000\r\n");
}

}  // namespace
}  // namespace vantrel::persistence
