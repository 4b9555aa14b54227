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

}  // namespace
}  // namespace vantrel::platform
