#include "hunt_log/events.hpp"

namespace vantrel::hunt_log {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

Civil CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

bool IsLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(std::int64_t y, unsigned m) {
    constexpr std::array<unsigned, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly `count` digits at `pos`, moving past them.
std::optional<unsigned> Digits(std::string_view text, std::size_t& pos, std::size_t count) {
    if (pos + count > text.size()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    pos += count;
    return value;
}

bool Expect(std::string_view text, std::size_t& pos, std::string_view allowed) {
    if (pos < text.size() && allowed.find(text[pos]) != std::string_view::npos) {
        ++pos;
        return true;
    }
    return false;
}

// The milliseconds of an optional fraction ".123456" at `pos` (cut, not rounded).
std::optional<unsigned> Fraction(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '.') {
        return 0u;
    }
    ++pos;
    unsigned ms = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (digits < 3) {
            ms = ms * 10 + static_cast<unsigned>(text[pos] - '0');
        }
        ++digits;
        ++pos;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    for (std::size_t i = digits; i < 3; ++i) {
        ms *= 10;
    }
    return ms;
}

// The offset from UTC in minutes: "Z" or "+HH:MM" / "-HH:MM".
std::optional<int> Offset(std::string_view text, std::size_t& pos) {
    if (Expect(text, pos, "Zz")) {
        return 0;
    }
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) {
        return std::nullopt;
    }
    const int sign = text[pos++] == '-' ? -1 : 1;
    const auto hours = Digits(text, pos, 2);
    if (!hours || !Expect(text, pos, ":")) {
        return std::nullopt;
    }
    const auto minutes = Digits(text, pos, 2);
    if (!minutes || *hours > 23 || *minutes > 59) {
        return std::nullopt;
    }
    return sign * static_cast<int>(*hours * 60 + *minutes);
}

// `value` (0 or more) with at least `width` digits.
void AppendDigits(std::string& text, std::int64_t value, std::size_t width) {
    std::string digits = std::to_string(value < 0 ? 0 : value);
    if (digits.size() < width) {
        text.append(width - digits.size(), '0');
    }
    text += digits;
}

}  // namespace

std::string UtcText(TimeMs time) {
    const std::int64_t days = (time >= 0 ? time : time - kMsPerDay + 1) / kMsPerDay;
    const std::int64_t msOfDay = time - days * kMsPerDay;
    const Civil date = CivilFromDays(days);
    std::string text;
    text.reserve(24);
    AppendDigits(text, date.year, 4);
    text += '-';
    AppendDigits(text, date.month, 2);
    text += '-';
    AppendDigits(text, date.day, 2);
    text += 'T';
    AppendDigits(text, msOfDay / 3'600'000, 2);
    text += ':';
    AppendDigits(text, msOfDay / 60'000 % 60, 2);
    text += ':';
    AppendDigits(text, msOfDay / 1000 % 60, 2);
    text += '.';
    AppendDigits(text, msOfDay % 1000, 3);
    text += 'Z';
    return text;
}

std::optional<TimeMs> ParseUtcText(std::string_view text) {
    std::size_t pos = 0;
    const auto year = Digits(text, pos, 4);
    if (!year || !Expect(text, pos, "-")) {
        return std::nullopt;
    }
    const auto month = Digits(text, pos, 2);
    if (!month || !Expect(text, pos, "-")) {
        return std::nullopt;
    }
    const auto day = Digits(text, pos, 2);
    if (!day || !Expect(text, pos, "Tt ")) {
        return std::nullopt;
    }
    const auto hour = Digits(text, pos, 2);
    if (!hour || !Expect(text, pos, ":")) {
        return std::nullopt;
    }
    const auto minute = Digits(text, pos, 2);
    if (!minute || !Expect(text, pos, ":")) {
        return std::nullopt;
    }
    const auto second = Digits(text, pos, 2);
    const auto ms = second ? Fraction(text, pos) : std::nullopt;
    const auto offset = ms ? Offset(text, pos) : std::nullopt;
    if (!offset || pos != text.size() || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month) || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    const std::int64_t days = DaysFromCivil(*year, *month, *day);
    const std::int64_t minutes = static_cast<std::int64_t>(*hour) * 60 + *minute - *offset;
    const TimeMs time = days * kMsPerDay + minutes * 60'000 + static_cast<std::int64_t>(*second) * 1000 + *ms;
    // An offset may carry the time out of the years 0..9999 that UtcText writes.
    if (time < DaysFromCivil(0, 1, 1) * kMsPerDay || time >= DaysFromCivil(10000, 1, 1) * kMsPerDay) {
        return std::nullopt;
    }
    return time;
}

std::string_view ReferenceText(Reference reference) {
    return reference == Reference::True ? "true" : "grid";
}

TimeMs TimeOf(const Event& event) {
    return std::visit([](const auto& e) { return e.time; }, event);
}

}  // namespace vantrel::hunt_log
