#include "platform/system_info.hpp"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

TEST(RegistryValueText, StringDropsOneTrailingNul) {
    EXPECT_EQ(RegistryValueText(kRegistryString, std::string_view("C:\\MSINFO32.EXE\0", 16)),
              "C:\\MSINFO32.EXE");
    EXPECT_EQ(RegistryValueText(kRegistryString, std::string_view("ab\0\0", 4)), std::string("ab\0", 3));
    EXPECT_EQ(RegistryValueText(kRegistryString, ""), "");
}

TEST(RegistryValueText, DwordIsHexBytesFromLastToFirst) {
    // 0x0001A2B3 little-endian; each byte without leading zeros, last byte first.
    EXPECT_EQ(RegistryValueText(kRegistryDword, std::string_view("\xB3\xA2\x01\x05", 4)), "&h51A2B3");
    // A last zero byte counts as the NUL and is dropped before the bytes are written.
    EXPECT_EQ(RegistryValueText(kRegistryDword, std::string_view("\x01\x00\x00\x00", 4)), "&h001");
}

TEST(RegistryValueText, OtherTypesGiveNothing) {
    EXPECT_EQ(RegistryValueText(3, "abc"), std::nullopt);
}

TEST(StartSysInfo, UnavailableOffWindows) {
#ifndef _WIN32
    EXPECT_FALSE(StartSysInfo());
#endif
}

}  // namespace
}  // namespace vantrel::platform
