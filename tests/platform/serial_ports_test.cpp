// Port numbers to serial devices, with the [Ports] section of the settings file.
#include "platform/serial_ports.hpp"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

TEST(SerialDeviceName, DefaultsAndOverrides) {
    const auto ini = persistence::IniFile::Parse(
        "[Comm]\r\nGPS-Port=2\r\n[Ports]\r\nCOM1=/dev/ttyACM0\r\ncom2 = /dev/serial/by-id/gps \r\nCOM4=\r\n");
    EXPECT_EQ(SerialDeviceName(1, ini), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(SerialDeviceName(2, ini), QStringLiteral("/dev/serial/by-id/gps"));
#ifdef _WIN32
    EXPECT_EQ(SerialDeviceName(3, ini), QStringLiteral("COM3"));
    EXPECT_EQ(SerialDeviceName(4, ini), QStringLiteral("COM4"));
#else
    EXPECT_EQ(SerialDeviceName(3, ini), QStringLiteral("/dev/ttyUSB2"));
    EXPECT_EQ(SerialDeviceName(4, ini), QStringLiteral("/dev/ttyUSB3"));  // an empty value keeps the default
    EXPECT_EQ(SerialDeviceName(8, persistence::IniFile{}), QStringLiteral("/dev/ttyUSB7"));
#endif
}

TEST(SerialDeviceName, InstrumentsFromTheirPortSettings) {
    const auto ini = persistence::IniFile::Parse("[Ports]\nCOM3=/dev/gps\nCOM1=/dev/goniometer\n");
    persistence::Settings settings;
    settings.GpsPort = "2.6";  // hand-edited: rounds to 3
    settings.GonPort = "1";
    EXPECT_EQ(*GpsDevice(settings, ini), QStringLiteral("/dev/gps"));
    EXPECT_EQ(*GonDevice(settings, ini, ','), QStringLiteral("/dev/goniometer"));
    settings.GonPort = "one";
    const auto gon = GonDevice(settings, ini, ',');
    ASSERT_FALSE(gon.ok());
    EXPECT_EQ(gon.message(), "The setting GON-Port does not hold a port number: \"one\"");
}

}  // namespace
}  // namespace vantrel::platform
