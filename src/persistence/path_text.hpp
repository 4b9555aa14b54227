#pragma once

// Paths held as text (the settings, the data file name, the command line) are UTF-8 on every system. These
// two functions are the one place that turns such text into a path and back. On Windows a path made from a
// plain std::string, or its string(), would go through the ANSI code page and lose every character outside
// it; here the conversion is UTF-8 <-> UTF-16 through MultiByteToWideChar / WideCharToMultiByte.

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel::persistence {

// Text that is not valid UTF-8 keeps its bytes on POSIX systems; on Windows each invalid byte becomes
// U+FFFD (such a name cannot have come from a Windows file name).
std::filesystem::path PathFromUtf8(std::string_view text);

std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace vantrel::persistence
