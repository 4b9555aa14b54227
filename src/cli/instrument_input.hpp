#pragma once

// Where the instrument commands read from: a serial device, or standard input.

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include "cli/cli.hpp"

namespace vantrel::cli {

// The DEVICE argument: absent or "-" is standard input (nullopt); "COM<n>" is port n as the program maps
// it (with the [Ports] section of the settings file); anything else is the device path itself.
std::optional<QString> DeviceArgument(const Context& context);

enum class InputEnd { Ended, Stopped, TimedOut };

// Reads standard input in chunks until its end (Ended), until onChunk returns false (Stopped), or, with a
// deadline, until the deadline passes (TimedOut: the wait for more input is given up even when the sender
// stays silent; the process sleeps in poll() meanwhile). On Windows the deadline is not watched.
InputEnd ReadStandardInput(const std::function<bool(std::string_view)>& onChunk,
                           std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);

// Prints a line and makes sure it leaves at once (output may go to a pipe while the instrument talks on).
void PrintLineNow(std::string_view line);

}  // namespace vantrel::cli
