// SPDX-License-Identifier: GPL-3.0-or-later
#include "geodesy/angle_text.hpp"

#include <array>
#include <cmath>
#include <string>

#include "core/number_text.hpp"

namespace vantrel::geodesy {
namespace {

enum class Part { Degrees = 0, Minutes = 1, Seconds = 2, None = 3 };

struct Mark {
    std::string_view text;
    Part part;
};

// Longer marks first: '' (two apostrophes) is seconds before ' is minutes.
constexpr std::array<Mark, 12> kMarks{{{"\xC2\xB0", Part::Degrees},      // °
                                       {"\xC2\xBA", Part::Degrees},      // º
                                       {"\xE2\x80\xB2", Part::Minutes},  // ′
                                       {"\xE2\x80\xB3", Part::Seconds},  // ″
                                       {"''", Part::Seconds},
                                       {"\"", Part::Seconds},
                                       {"'", Part::Minutes},
                                       {"d", Part::Degrees},
                                       {"m", Part::Minutes},
                                       {"s", Part::Seconds},
                                       {"D", Part::Degrees},
                                       {"M", Part::Minutes}}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// +1 or -1 for a hemisphere letter of the axis, 0 for a letter of the other axis, nullopt for no letter.
std::optional<int> HemisphereSign(char c, AngleAxis axis) {
    switch (c) {
        case 'N':
        case 'n':
            return axis == AngleAxis::Latitude ? 1 : 0;
        case 'S':
        case 's':
            return axis == AngleAxis::Latitude ? -1 : 0;
        case 'E':
        case 'e':
        case 'O':
        case 'o':
            return axis == AngleAxis::Longitude ? 1 : 0;
        case 'W':
        case 'w':
            return axis == AngleAxis::Longitude ? -1 : 0;
        default:
            return std::nullopt;
    }
}

// Takes a hemisphere letter from the front or the back; false for a letter of the other axis.
bool TakeHemisphere(std::string_view& text, AngleAxis axis, int& sign) {
    if (text.empty()) {
        return true;
    }
    // A trailing 's' after a number is a seconds mark, not south: only a letter after a blank or a mark
    // would be ambiguous, so "12s" is seconds and "12 S" or "12\"S" is south.
    const char last = text.back();
    const bool lastIsLetter = HemisphereSign(last, axis).has_value() &&
                              !(text.size() >= 2 && (last == 's') &&
                                (text[text.size() - 2] >= '0' && text[text.size() - 2] <= '9'));
    if (lastIsLetter) {
        const int found = *HemisphereSign(last, axis);
        if (found == 0) {
            return false;
        }
        sign = found;
        text.remove_suffix(1);
    } else if (const auto first = HemisphereSign(text.front(), axis)) {
        if (*first == 0) {
            return false;
        }
        sign = *first;
        text.remove_prefix(1);
    }
    text = Trimmed(text);
    return true;
}

std::size_t NumberLength(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && ((text[n] >= '0' && text[n] <= '9') || text[n] == '.' || text[n] == ',')) {
        ++n;
    }
    return n;
}

// The degrees, minutes and seconds of "52°31'12.5" or "52 31 12.5"; nullopt when the parts break a rule.
std::optional<double> ReadParts(std::string_view text, char decimalSeparator) {
    std::array<std::optional<double>, 3> values;
    int next = 0;             // the place an unmarked part takes
    bool fractional = false;  // a part with decimals was read: nothing may follow
    while (!(text = Trimmed(text)).empty()) {
        const std::size_t length = NumberLength(text);
        if (length == 0 || fractional || next > 2) {
            return std::nullopt;
        }
        const auto value = core::ReadRegional(text.substr(0, length), decimalSeparator);
        if (!value) {
            return std::nullopt;
        }
        fractional = *value != std::floor(*value);
        text = Trimmed(text.substr(length));
        Part part = static_cast<Part>(next);
        for (const Mark& mark : kMarks) {
            if (text.starts_with(mark.text)) {
                part = mark.part;
                text.remove_prefix(mark.text.size());
                break;
            }
        }
        const int place = static_cast<int>(part);
        if (place < next || values[static_cast<std::size_t>(place)]) {
            return std::nullopt;
        }
        values[static_cast<std::size_t>(place)] = *value;
        next = place + 1;
    }
    const double minutes = values[1].value_or(0);
    const double seconds = values[2].value_or(0);
    if (!values[0] || minutes >= 60 || seconds >= 60) {
        return std::nullopt;
    }
    return *values[0] + minutes / 60 + seconds / 3600;
}

}  // namespace

std::optional<double> ReadAngle(std::string_view text, AngleAxis axis, char decimalSeparator) {
    text = Trimmed(text);
    int sign = 1;
    int hemisphere = 0;
    if (!TakeHemisphere(text, axis, hemisphere)) {
        return std::nullopt;
    }
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        if (hemisphere != 0) {
            return std::nullopt;  // "-52 N": which one is meant?
        }
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    if (hemisphere != 0) {
        sign = hemisphere;
    }
    std::optional<double> degrees;
    if (NumberLength(Trimmed(text)) == Trimmed(text).size() ||
        text.find_first_of("eE") != std::string_view::npos) {
        degrees = core::ReadRegional(text, decimalSeparator);  // plain decimal degrees, exponent allowed
        if (degrees && *degrees < 0) {
            return std::nullopt;  // a second sign
        }
    } else {
        degrees = ReadParts(text, decimalSeparator);
    }
    if (!degrees) {
        return std::nullopt;
    }
    return sign * *degrees + 0.0;  // + 0.0: never -0
}

}  // namespace vantrel::geodesy
