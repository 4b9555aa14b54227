#include "instruments/fox_schedule.hpp"

#include <algorithm>
#include <cstdio>

#include "core/char_class.hpp"

namespace vantrel::instruments {
namespace {

using core::IsDigit;

// The largest duration read: keeps every product of the evaluation far from overflowing.
constexpr Nanoseconds kMaxSeconds = 1'000'000'000;

Nanoseconds Modulo(Nanoseconds value, Nanoseconds modulus) {
    const Nanoseconds r = value % modulus;
    return r < 0 ? r + modulus : r;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Decimals after the point: up to nine give nanoseconds; the rest only tell whether the value lies beyond.
struct Fraction {
    Nanoseconds ns = 0;
    bool beyond = false;
};
std::optional<Fraction> ReadFraction(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    Fraction fraction;
    Nanoseconds scale = kSecond;
    for (const char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        if (scale > 1) {
            scale /= 10;
            fraction.ns += (c - '0') * scale;
        } else if (c != '0') {
            fraction.beyond = true;
        }
    }
    return fraction;
}

std::optional<int> TwoDigits(std::string_view text) {
    if (text.size() != 2 || !IsDigit(text[0]) || !IsDigit(text[1])) {
        return std::nullopt;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// The slot of time u in [0, N L) and the position in it.
struct SlotPosition {
    int slot = 0;
    Nanoseconds position = 0;
};
SlotPosition SlotAt(const FoxSchedule& s, Nanoseconds t) {
    const Nanoseconds cycle = s.slot * s.slots;
    const Nanoseconds u = Modulo(Modulo(t, kDay) - s.start, cycle);
    const auto k = static_cast<int>(u / s.slot);
    return {k, u - k * s.slot};
}

Nanoseconds LastOnPosition(const FoxSchedule& s) {
    return std::min(s.OnTimeOrSlot(), s.slot) - s.guard;
}

int SlotFox(const FoxSchedule& s, int slot) {
    const auto index = static_cast<std::size_t>(slot);
    return index < s.foxes.size() ? s.foxes[index] : kNoFox;
}

}  // namespace

std::optional<ScheduleProblem> CheckSchedule(const FoxSchedule& s) {
    if (s.start < 0 || s.start >= kDay) {
        return ScheduleProblem{ScheduleField::Start, "must be a time of day from 00:00:00 to 23:59:59"};
    }
    if (s.slot <= 0 || s.slot > kDay) {
        return ScheduleProblem{ScheduleField::Slot, "must be more than 0 s and at most 86400 s"};
    }
    if (s.slots < 1 || s.slots > kMaxSlots) {
        return ScheduleProblem{ScheduleField::Slots, "must be from 1 to " + std::to_string(kMaxSlots)};
    }
    if (static_cast<int>(s.foxes.size()) != s.slots) {
        return ScheduleProblem{ScheduleField::Order, "names " + std::to_string(s.foxes.size()) +
                                                         " slots, the cycle has " + std::to_string(s.slots)};
    }
    if (std::any_of(s.foxes.begin(), s.foxes.end(), [](int fox) { return fox < kNoFox || fox > 5; })) {
        return ScheduleProblem{ScheduleField::Order, "may name only F1 to F5 or - for an empty slot"};
    }
    if (s.OnTimeOrSlot() <= 0) {
        return ScheduleProblem{ScheduleField::OnTime, "must be more than 0 s"};
    }
    if (s.guard < 0) {
        return ScheduleProblem{ScheduleField::Guard, "must not be negative"};
    }
    if (2 * s.guard >= std::min(s.OnTimeOrSlot(), s.slot)) {
        return ScheduleProblem{ScheduleField::Guard,
                               "leaves no time on the air: twice the guard must be less "
                               "than the slot and the on-time"};
    }
    return std::nullopt;
}

int FoxOnAir(const FoxSchedule& s, ClockTime t) {
    const SlotPosition at = SlotAt(s, t.ns);
    // A time just after `ns` passes the lower limit exactly when ns does, and the upper one only below it.
    const Nanoseconds last = LastOnPosition(s);
    const bool onAir = at.position >= s.guard && (t.justAfter ? at.position < last : at.position <= last);
    return onAir ? SlotFox(s, at.slot) : kNoFox;
}

ScheduleStatus StatusAt(const FoxSchedule& s, Nanoseconds t) {
    ScheduleStatus status;
    const SlotPosition at = SlotAt(s, t);
    const Nanoseconds last = LastOnPosition(s);
    status.fox = FoxOnAir(s, t);
    if (status.fox != kNoFox) {
        status.left = last - at.position;
    }
    // The next slot whose fox comes on the air after t, looking one whole cycle ahead.
    for (int ahead = 0; ahead <= s.slots; ++ahead) {
        const int slot = (at.slot + ahead) % s.slots;
        const Nanoseconds comesOn = ahead * s.slot + s.guard - at.position;
        if (comesOn > 0 && SlotFox(s, slot) != kNoFox) {
            status.nextFox = SlotFox(s, slot);
            status.untilNext = comesOn;
            break;
        }
    }
    return status;
}

std::optional<ClockTime> ParseClockTime(std::string_view text) {
    text = Trimmed(text);
    const std::size_t firstColon = text.find(':');
    if (firstColon == std::string_view::npos || firstColon == 0 || firstColon > 2) {
        return std::nullopt;
    }
    int hours = 0;
    for (const char c : text.substr(0, firstColon)) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        hours = hours * 10 + (c - '0');
    }
    const std::string_view rest = text.substr(firstColon + 1);
    if (rest.size() < 5 || rest[2] != ':') {
        return std::nullopt;
    }
    const auto minutes = TwoDigits(rest.substr(0, 2));
    const auto seconds = TwoDigits(rest.substr(3, 2));
    if (!minutes || !seconds || hours > 23 || *minutes > 59 || *seconds > 59) {
        return std::nullopt;
    }
    ClockTime time{((hours * 60 + *minutes) * 60LL + *seconds) * kSecond, false};
    const std::string_view decimals = rest.substr(5);
    if (!decimals.empty()) {
        if (decimals[0] != '.' && decimals[0] != ',') {
            return std::nullopt;
        }
        const auto fraction = ReadFraction(decimals.substr(1));
        if (!fraction) {
            return std::nullopt;
        }
        time.ns += fraction->ns;
        time.justAfter = fraction->beyond;
    }
    return time;
}

std::optional<Nanoseconds> ParseSeconds(std::string_view text) {
    text = Trimmed(text);
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    if (whole.empty() || whole.size() > 9 ||
        !std::all_of(whole.begin(), whole.end(), [](char c) { return IsDigit(c); })) {
        return std::nullopt;
    }
    Nanoseconds seconds = 0;
    for (const char c : whole) {
        seconds = seconds * 10 + (c - '0');
    }
    Nanoseconds value = seconds * kSecond;
    if (point != std::string_view::npos) {
        const auto fraction = ReadFraction(text.substr(point + 1));
        if (!fraction || fraction->beyond) {
            return std::nullopt;  // durations are kept to the nanosecond
        }
        value += fraction->ns;
    }
    return value < kMaxSeconds * kSecond ? std::optional<Nanoseconds>(value) : std::nullopt;
}

std::optional<std::vector<int>> ParseFoxOrder(std::string_view text) {
    std::vector<int> foxes;
    for (;;) {
        const std::size_t comma = text.find(',');
        std::string_view entry = Trimmed(text.substr(0, comma));
        if (entry == "-") {
            foxes.push_back(kNoFox);
        } else {
            if (!entry.empty() && (entry.front() == 'F' || entry.front() == 'f')) {
                entry.remove_prefix(1);
            }
            if (entry.size() != 1 || entry[0] < '1' || entry[0] > '5') {
                return std::nullopt;
            }
            foxes.push_back(entry[0] - '0');
        }
        if (comma == std::string_view::npos) {
            return foxes;
        }
        text.remove_prefix(comma + 1);
    }
}

std::string ClockTimeText(Nanoseconds timeOfDay) {
    const Nanoseconds t = Modulo(timeOfDay, kDay);
    const Nanoseconds seconds = t / kSecond;
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    const std::string fraction = SecondsText(t % kSecond);  // "0" or "0.25"
    return std::string(text) + (fraction.size() > 1 ? fraction.substr(1) : std::string());
}

std::string SecondsText(Nanoseconds duration) {
    std::string text = std::to_string(duration / kSecond);
    Nanoseconds fraction = duration % kSecond;
    if (fraction == 0) {
        return text;
    }
    char digits[32];
    std::snprintf(digits, sizeof digits, "%09lld", static_cast<long long>(fraction));
    std::string decimals = digits;
    decimals.erase(decimals.find_last_not_of('0') + 1);
    return text + "." + decimals;
}

std::string FoxOrderText(const std::vector<int>& foxes) {
    std::string text;
    for (std::size_t i = 0; i < foxes.size(); ++i) {
        text += i == 0 ? "" : ",";
        text += foxes[i] == kNoFox ? std::string("-") : "F" + std::to_string(foxes[i]);
    }
    return text;
}

std::vector<int> DefaultFoxOrder(int slots) {
    std::vector<int> foxes;
    for (int k = 1; k <= slots; ++k) {
        foxes.push_back(k <= 5 ? k : kNoFox);
    }
    return foxes;
}

}  // namespace vantrel::instruments
