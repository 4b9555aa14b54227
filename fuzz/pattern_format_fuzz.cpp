// Pattern formatting of numbers ("0000000.0", "###.########", ...), and the packed degree texts of the
// object database built on it: formatted, then read back, must give the same value to the shown decimals.
//
// Input: 8 bytes of a Double, one byte choosing the separator and the pattern (one of those in use, or
// one made of the remaining bytes: '0', '#' and at most one '.').

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>

#include "core/number_text.hpp"
#include "fuzz_support.hpp"
#include "geodesy/utm_conv.hpp"

namespace {

using vantrel::fuzzing::Check;
namespace core = vantrel::core;

constexpr const char* kPatternsInUse[] = {"0000000.0", "###.########", "000",   "00",
                                          "00.000",    "##0.00",       "000.0", "00.0"};

std::string MadeUpPattern(FuzzedDataProvider& provider) {
    std::string pattern;
    bool point = false;
    while (provider.remaining_bytes() > 0 && pattern.size() < 24) {
        switch (provider.ConsumeIntegral<std::uint8_t>() % 3) {
            case 0:
                pattern.push_back('0');
                break;
            case 1:
                pattern.push_back('#');
                break;
            default:
                if (!point) {
                    pattern.push_back('.');
                    point = true;
                }
        }
    }
    return pattern;
}

struct Shape {
    int minInteger = 0;
    int minFraction = 0;
    int maxFraction = 0;
    bool point = false;
};

Shape ShapeOf(std::string_view pattern) {
    Shape shape;
    const std::size_t point = pattern.find('.');
    const std::string_view integer = pattern.substr(0, point);
    shape.minInteger = static_cast<int>(std::count(integer.begin(), integer.end(), '0'));
    if (point != std::string_view::npos) {
        shape.point = true;
        const std::string_view fraction = pattern.substr(point + 1);
        shape.maxFraction = static_cast<int>(fraction.size());
        const std::size_t lastZero = fraction.rfind('0');
        shape.minFraction = lastZero == std::string_view::npos ? 0 : static_cast<int>(lastZero) + 1;
    }
    return shape;
}

void CheckPattern(double value, std::string_view pattern, char separator) {
    const std::string text = core::FormatPattern(value, pattern, separator);
    const std::string seen =
        core::ShortestText(value) + " with \"" + std::string(pattern) + "\" gives \"" + text + "\"";
    const Shape shape = ShapeOf(pattern);
    // The text: an optional minus, the integer digits, the separator when the pattern has a point, the
    // decimals.
    std::string_view rest = text;
    if (!rest.empty() && rest[0] == '-') {
        rest.remove_prefix(1);
    }
    const std::size_t sep = rest.find(separator);
    Check((sep != std::string_view::npos) == shape.point, "the separator stands where the pattern's point is",
          seen);
    const std::string_view integer = rest.substr(0, sep);
    const std::string_view fraction = sep == std::string_view::npos ? "" : rest.substr(sep + 1);
    const auto allDigits = [](std::string_view s) {
        return s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    Check(allDigits(integer) && allDigits(fraction), "only digits besides the sign and the separator", seen);
    Check(static_cast<int>(integer.size()) >= shape.minInteger, "at least the pattern's '0' integer digits",
          seen);
    Check(static_cast<int>(fraction.size()) >= shape.minFraction &&
              static_cast<int>(fraction.size()) <= shape.maxFraction,
          "between the pattern's '0' and all its decimals", seen);

    // Read back: the value rounded to the shown decimals (after the first rounding to 15 digits).
    const double halfStep = 0.5 * std::pow(10.0, -shape.maxFraction);
    const double tolerance = halfStep * (1 + 1e-9) + std::fabs(value) * 1e-14;
    if (integer.empty() && fraction.empty()) {
        Check(std::fabs(value) <= tolerance, "a text without digits stands for zero", seen);
        return;
    }
    const auto back = core::ReadRegional(text, separator);
    Check(back.has_value(), "the formatted text reads back as a number", seen);
    Check(std::fabs(*back - value) <= tolerance, "the same value to the shown decimals", seen);
}

// DDDMMSS.sss with '.', seconds to three decimals, "-" before a negative one.
void CheckDegreesMinutesSeconds(double degrees) {
    if (!std::isfinite(degrees) || std::fabs(degrees) > 1e4) {
        return;
    }
    const std::string text = vantrel::geodesy::DegToDms(degrees);
    const std::string seen = core::ShortestText(degrees) + " gives \"" + text + "\"";
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (negative) {
        digits.remove_prefix(1);
    }
    const std::size_t point = digits.find('.');
    Check(point != std::string_view::npos && point >= 7 && digits.size() == point + 4, "DDDMMSS.sss", seen);
    const auto value = core::ReadRegional(digits, '.');
    Check(value.has_value(), "DegToDms gives digits", seen);
    const double whole = std::floor(*value / 10000);
    const double minutes = std::floor((*value - whole * 10000) / 100);
    const double seconds = *value - whole * 10000 - minutes * 100;
    Check(minutes < 60 && seconds < 60, "minutes and seconds below 60", seen);
    const double back = (whole + minutes / 60 + seconds / 3600) * (negative ? -1 : 1);
    Check(std::fabs(back - degrees) <= 0.0005 / 3600 * (1 + 1e-6) + std::fabs(degrees) * 1e-13,
          "DegToDms reads back to the angle within half a thousandth of a second", seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const double value = std::bit_cast<double>(provider.ConsumeIntegral<std::uint64_t>());
    const auto choice = provider.ConsumeIntegral<std::uint8_t>();
    const char separator = (choice & 0x80U) != 0 ? ',' : '.';
    const std::size_t index = choice & 0x0FU;
    const std::string pattern =
        index < std::size(kPatternsInUse) ? std::string(kPatternsInUse[index]) : MadeUpPattern(provider);
    if (!std::isfinite(value)) {
        return 0;
    }
    CheckPattern(value, pattern, separator);
    CheckDegreesMinutesSeconds(value);
    return 0;
}
