#pragma once

// Starting the platform's system information tool from the About box.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

inline constexpr std::uint32_t kRegistryString = 1;  // REG_SZ
inline constexpr std::uint32_t kRegistryDword = 4;   // REG_DWORD

// The text of a registry value as the About box reads it: a last NUL byte is dropped; a string value is
// its text; a 32-bit value is "&h" followed by its bytes from the last to the first, each in hexadecimal
// without leading zeros. Other types give nothing.
std::optional<std::string> RegistryValueText(std::uint32_t type, std::string_view bytes);

// Looks the tool up (registry on Windows) and starts it. False when it is unavailable here or could not
// be started; the caller then says "System Information Is Unavailable At This Time".
bool StartSysInfo();

}  // namespace vantrel::platform
