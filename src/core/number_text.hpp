#pragma once

// The number text forms the program reads and writes. Every function takes the decimal separator as an
// argument; nothing here depends on the C locale or the process's regional settings.

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::core {

// Pattern formatting with '0' (digit always shown), '#' (digit shown only when significant) and '.'
// (place of the decimal separator, always written when the pattern has one). Patterns in use:
// "0000000.0", "###.########", "000", "00", "00.000", "##0.00", "000.0", "00.0".
// The value is first taken to 15 significant digits (correctly rounded from the binary value), then that
// decimal is rounded half away from zero to the pattern's decimals. Integer digits beyond the pattern are
// all shown; a negative value that rounds to zero has no minus sign.
// Examples with ',': 123456.78 "0000000.0" -> "0123456,8"; 0.25 "###.########" -> ",25"; 9 -> "9,".
// Non-finite values give "NaN", "Inf" or "-Inf".
std::string FormatPattern(double value, std::string_view pattern, char decimalSeparator);

// Both forms below take a Double to 15 significant digits first; the values at the very top of the range,
// which would round past the largest Double, are cut to 1.79769313486231E+308 so their texts read back.

// The default text form of a Double: 15 significant digits, trailing zeros and a trailing separator dropped,
// "0" before the separator for |x| < 1; fixed notation for 1e-4 <= |x| < 1e15 (after rounding), otherwise
// mantissa, "E", sign and at least two exponent digits ("1E+15", "1,5E-05"). -0 gives "0".
std::string DefaultText(double value, char decimalSeparator);

// The shortest text that reads back to the same Double, '.' as decimal point; fixed notation for magnitudes
// in [1e-4, 1e15), otherwise e-notation with a sign and at least two exponent digits ("1e+16", "1e-05").
std::string ShortestText(double value);

// The regional reading of what a user typed: optional blanks, optional sign, digits with at most one
// decimal separator (the given one, and ',' or '.' as well: a user may type either), an optional exponent
// (E or e, optional sign, digits), optional blanks. No thousands separators. Empty text, a lone separator,
// a missing mantissa or exponent, two separators, and values that overflow a Double are not numbers
// (std::nullopt). Values too small for a Double read as zero of the same sign.
std::optional<double> ReadRegional(std::string_view text, char decimalSeparator);

// The plain reading used for instrument fields and port numbers: blanks, tabs and line feeds are skipped
// wherever they stand; then an optional sign, digits, '.' as the only decimal point and an optional
// exponent. Reading stops at the first character that cannot continue the number; empty or non-numeric
// text reads as 0, and so does a value too large for a Double.
double ReadPlain(std::string_view text);

}  // namespace vantrel::core
