#pragma once

// The serial port numbers of the two instruments, kept as text in the settings GPS-Port and GON-Port.
// Port number n stands for "COM<n>"; the setup window offers 1 to 8, and a number outside that range from a
// hand-edited settings file is passed on to the port unchanged.

#include <string>
#include <string_view>

#include "core/outcome.hpp"

namespace vantrel::instruments {

// GPS-Port: plain number reading (blanks skipped, '.' as the point, reading stops at the first character
// that cannot continue the number, empty text is 0), rounded to the nearest integer with halves to even.
// A value outside the 16-bit range is not a port number.
core::Result<int> GpsPortNumber(std::string_view setting);

// GON-Port: regional number reading, rounded the same way. Text that is not a number, or a value outside
// the 16-bit range, is not a port number.
core::Result<int> GonPortNumber(std::string_view setting, char decimalSeparator);

// "COM<n>", the name the user chose the port by.
std::string PortName(int portNumber);

}  // namespace vantrel::instruments
