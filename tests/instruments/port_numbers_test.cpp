// Port numbers from the settings GPS-Port and GON-Port.
#include "instruments/port_numbers.hpp"

#include <gtest/gtest.h>

namespace vantrel::instruments {
namespace {

TEST(GpsPortNumber, PlainReadingRoundedToNearest) {
    const std::vector<std::pair<const char*, int>> cases{{"3", 3},   {" 8", 8},  {"2.6", 3},
                                                         {"2.5", 2}, {"3.5", 4}, {"12abc", 12},
                                                         {"", 0},    {"abc", 0}, {"-2", -2}};
    for (const auto& [setting, expected] : cases) {
        const auto port = GpsPortNumber(setting);
        ASSERT_TRUE(port.ok()) << setting;
        EXPECT_EQ(*port, expected) << setting;
    }
}

TEST(GpsPortNumber, BeyondSixteenBitsIsNoPort) {
    for (const char* setting : {"32768", "-32769", "1e9"}) {
        const auto port = GpsPortNumber(setting);
        ASSERT_FALSE(port.ok()) << setting;
        EXPECT_EQ(port.message(),
                  std::string("The setting GPS-Port does not hold a port number: \"") + setting + "\"");
    }
    EXPECT_EQ(*GpsPortNumber("32767"), 32767);
}

TEST(GonPortNumber, RegionalReadingAndTextThatIsNoNumber) {
    EXPECT_EQ(*GonPortNumber("3", ','), 3);
    EXPECT_EQ(*GonPortNumber("2,6", ','), 3);
    EXPECT_EQ(*GonPortNumber(" 4 ", '.'), 4);
    for (const char* setting : {"", "abc", "12abc", "70000"}) {
        const auto port = GonPortNumber(setting, ',');
        ASSERT_FALSE(port.ok()) << setting;
        EXPECT_EQ(port.message(),
                  std::string("The setting GON-Port does not hold a port number: \"") + setting + "\"");
    }
}

TEST(PortName, ComAndTheNumber) {
    EXPECT_EQ(PortName(3), "COM3");
}

}  // namespace
}  // namespace vantrel::instruments
