#pragma once

// Where the instrument commands read from: a serial device, or standard input.

#include <QString>

#include <functional>
#include <optional>
#include <string_view>

#include "cli/cli.hpp"

namespace vantrel::cli {

// The DEVICE argument: absent or "-" is standard input (nullopt); "COM<n>" is port n as the program maps
// it (with the [Ports] section of the settings file); anything else is the device path itself.
std::optional<QString> DeviceArgument(const Context& context);

// Reads standard input in chunks until its end, or until onChunk returns false.
void ReadStandardInput(const std::function<bool(std::string_view)>& onChunk);

// Prints a line and makes sure it leaves at once (output may go to a pipe while the instrument talks on).
void PrintLineNow(std::string_view line);

}  // namespace vantrel::cli
