// The two readings of number text (the regional reading of what a user typed, the plain reading of
// instrument fields and port numbers), and the default text form read back.
//
// Input: the text. Its first 8 bytes also serve as a Double for the text forms.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/number_text.hpp"
#include "fuzz_support.hpp"

namespace {

using vantrel::fuzzing::Check;
namespace core = vantrel::core;

// An independent reading of what ReadRegional accepted: blanks dropped, the separator made a point, then
// the C library's strtod (this program never changes the C locale, so its point is '.').
double ReferenceReading(std::string_view text, char separator) {
    std::string plain;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        plain.push_back(c == separator || c == ',' ? '.' : c);
    }
    return std::strtod(plain.c_str(), nullptr);
}

void CheckRegional(std::string_view text, char separator) {
    const auto value = core::ReadRegional(text, separator);
    if (!value) {
        return;
    }
    Check(std::isfinite(*value), "a number read is finite");
    Check(text.find_first_not_of(" \t+-0123456789.,eE") == std::string_view::npos,
          "only number characters make a number");
    const double reference = ReferenceReading(text, separator);
    Check(*value == reference && std::signbit(*value) == std::signbit(reference),
          "the regional reading agrees with strtod",
          core::ShortestText(*value) + " and " + core::ShortestText(reference));
}

void CheckPlain(std::string_view text) {
    const double value = core::ReadPlain(text);
    Check(std::isfinite(value), "the plain reading is always a finite number");
    // Text the regional reading takes with '.' and no ',' reads the same plainly.
    if (text.find(',') == std::string_view::npos && text.find('\n') == std::string_view::npos) {
        if (const auto regional = core::ReadRegional(text, '.')) {
            Check(value == *regional, "plain and regional readings agree on plain numbers",
                  core::ShortestText(value) + " and " + core::ShortestText(*regional));
        }
    }
}

// The default text form keeps 15 significant digits; the shortest form reads back exactly.
void CheckTextForms(double value, char separator) {
    if (!std::isfinite(value)) {
        return;
    }
    const std::string shortest = core::ShortestText(value);
    const auto exact = core::ReadRegional(shortest, '.');
    Check(exact && std::memcmp(&*exact, &value, sizeof value) == 0, "the shortest text reads back exactly",
          shortest);

    const std::string text = core::DefaultText(value, separator);
    const auto back = core::ReadRegional(text, separator);
    const std::string seen = shortest + " gives \"" + text + "\"";
    Check(back.has_value(), "the default text form reads back as a number", seen);
    // Half a unit of the 15th digit, and half a unit in the last place of the Double read back.
    Check(std::fabs(*back - value) <= std::fabs(value) * 5.2e-15, "the default text keeps 15 digits", seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckRegional(text, ',');
    CheckRegional(text, '.');
    CheckPlain(text);
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        CheckTextForms(value, (data[0] & 1U) != 0 ? ',' : '.');
    }
    return 0;
}
