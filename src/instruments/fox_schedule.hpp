#pragma once

// The fox schedule of a classic hunt: the foxes share one frequency and take turns in fixed slots of a
// repeating cycle (5 slots of 60 s in a classic hunt, 12 s in a Sprint). A pure function of the time of day:
// the caller brings the clock.
//
// With t and t0 (the cycle start) in seconds since midnight, N slots of L seconds, on-time O and guard G:
//   u = (t - t0) mod (N L)   (a true modulo: the cycle repeats backwards from t0 as well)
//   k = floor(u / L),  p = u - k L
// and the fox of slot k is on the air when G <= p <= min(O, L) - G (both limits included); otherwise no fox
// is. This is the definition, also for cycles that do not divide a day.
//
// All times are whole nanoseconds, so the limits are compared exactly: a time typed as 12:00:02 is exactly
// on the limit, never a rounding error away from it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::instruments {

using Nanoseconds = std::int64_t;
inline constexpr Nanoseconds kSecond = 1'000'000'000;
inline constexpr Nanoseconds kDay = 86'400 * kSecond;
inline constexpr int kNoFox = 0;

struct FoxSchedule {
    Nanoseconds start = 0;                  // t0, time of day
    Nanoseconds slot = 60 * kSecond;        // L
    int slots = 5;                          // N
    std::vector<int> foxes{1, 2, 3, 4, 5};  // fox 1..5 of each slot, kNoFox for an empty slot; N entries
    std::optional<Nanoseconds> onTime;      // O; nullopt: the whole slot
    Nanoseconds guard = 2 * kSecond;        // G

    [[nodiscard]] Nanoseconds OnTimeOrSlot() const { return onTime ? *onTime : slot; }
    friend bool operator==(const FoxSchedule&, const FoxSchedule&) = default;
};

// The schedule's parts, to name the one that is wrong.
enum class ScheduleField { Start, Slot, Slots, Order, OnTime, Guard };

struct ScheduleProblem {
    ScheduleField field;
    std::string message;  // "must be more than 0 s"
};

// A schedule that cannot run: a slot of 0, no slots or too many (at most kMaxSlots), an order whose length is
// not the number of slots or that names no fox 1..5, an on-time of 0, a negative guard, or a guard that
// leaves no time on the air (2 G >= min(O, L)).
inline constexpr int kMaxSlots = 1000;
std::optional<ScheduleProblem> CheckSchedule(const FoxSchedule& schedule);

// A time of day read from text. A time typed with more decimals than nanoseconds keeps the fact that it lies
// just after `ns` (strictly between ns and ns + 1), so the limits stay exact even then.
struct ClockTime {
    Nanoseconds ns = 0;
    bool justAfter = false;
};

// The fox on the air at time of day `t` (any value: it is reduced to [0, 24 h) first); kNoFox in a guard
// time, after the on-time or in an empty slot. The schedule must have passed CheckSchedule.
int FoxOnAir(const FoxSchedule& schedule, ClockTime t);
inline int FoxOnAir(const FoxSchedule& schedule, Nanoseconds t) {
    return FoxOnAir(schedule, ClockTime{t, false});
}

// What the window shows: the fox on the air and the time it stays on, and the next fox to come on and the
// time until it does.
struct ScheduleStatus {
    int fox = kNoFox;
    Nanoseconds left = 0;  // on the air: until the end of its time on the air (the last instant included)
    int nextFox = kNoFox;  // kNoFox when no slot names a fox
    Nanoseconds untilNext = 0;
};
ScheduleStatus StatusAt(const FoxSchedule& schedule, Nanoseconds t);

// "HH:MM:SS" with optional decimals of the second ("07:05:00", "7:05:00.25"); hours 0..23, minutes and
// seconds 0..59 in two digits. nullopt for anything else.
std::optional<ClockTime> ParseClockTime(std::string_view text);

// A duration in seconds: digits with an optional '.' or ',' and up to nine decimals ("60", "12", "2.5").
// nullopt for anything else, a sign included.
std::optional<Nanoseconds> ParseSeconds(std::string_view text);

// The order of the foxes: one entry per slot, separated by commas: "F1".."F5" (or "1".."5") or "-" for an
// empty slot; blanks around entries are allowed. nullopt for anything else.
std::optional<std::vector<int>> ParseFoxOrder(std::string_view text);

// The text forms the settings keep: "12:00:00" (decimals only when there are some), "2.5", "F1,F2,-,F4,F5".
std::string ClockTimeText(Nanoseconds timeOfDay);
std::string SecondsText(Nanoseconds duration);
std::string FoxOrderText(const std::vector<int>& foxes);

// The default order for `slots` slots: slot k names fox k, slots after the fifth are empty.
std::vector<int> DefaultFoxOrder(int slots);

}  // namespace vantrel::instruments
