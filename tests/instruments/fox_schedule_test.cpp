// The fox schedule: which fox is on the air at a time of day, worked out by hand from
// u = (t - t0) mod (N L), k = floor(u / L), p = u - k L, on air when G <= p <= min(O, L) - G.
#include "instruments/fox_schedule.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "test_names.hpp"

namespace vantrel::instruments {
namespace {

FoxSchedule Schedule(const char* start, double slotSeconds, const char* order = "F1,F2,F3,F4,F5",
                     std::optional<double> onSeconds = std::nullopt, double guardSeconds = 2) {
    FoxSchedule s;
    s.start = ParseClockTime(start)->ns;
    s.slot = static_cast<Nanoseconds>(slotSeconds * 1e9);
    s.foxes = *ParseFoxOrder(order);
    s.slots = static_cast<int>(s.foxes.size());
    s.onTime = onSeconds ? std::optional(static_cast<Nanoseconds>(*onSeconds * 1e9)) : std::nullopt;
    s.guard = static_cast<Nanoseconds>(guardSeconds * 1e9);
    return s;
}

struct OnAirCase {
    const char* name;
    friend void PrintTo(const OnAirCase& c, std::ostream* os) { *os << c.name; }
    FoxSchedule schedule;
    const char* time;
    int fox;
};

class FoxOnAirTest : public testing::TestWithParam<OnAirCase> {};

TEST_P(FoxOnAirTest, FollowsTheDefinition) {
    const OnAirCase& c = GetParam();
    ASSERT_FALSE(CheckSchedule(c.schedule));
    EXPECT_EQ(FoxOnAir(c.schedule, *ParseClockTime(c.time)), c.fox);
}

const FoxSchedule kClassic = Schedule("12:00:00", 60);
const FoxSchedule kSprint = Schedule("12:00:00", 12);

INSTANTIATE_TEST_SUITE_P(
    Times, FoxOnAirTest,
    testing::Values(
        OnAirCase{"SlotStartIsGuard", kClassic, "12:00:00", kNoFox},
        OnAirCase{"LowerLimitIncluded", kClassic, "12:00:02", 1},
        OnAirCase{"JustBeforeLowerLimit", kClassic, "12:00:01.999999999", kNoFox},
        OnAirCase{"FarBelowNanosecondBeforeLowerLimit", kClassic, "12:00:01.9999999999", kNoFox},
        OnAirCase{"UpperLimitIncluded", kClassic, "12:00:58", 1},
        OnAirCase{"NanosecondAfterUpperLimit", kClassic, "12:00:58.000000001", kNoFox},
        OnAirCase{"LessThanANanosecondAfterUpperLimit", kClassic, "12:00:58.0000000001", kNoFox},
        OnAirCase{"ZerosBeyondNanosecondsChangeNothing", kClassic, "12:00:58.0000000000", 1},
        OnAirCase{"FourthSlot", kClassic, "12:03:30", 4}, OnAirCase{"NextCycle", kClassic, "12:05:30", 1},
        // 11:59:30 - 12:00:00 = -30 s; -30 mod 300 = 270: slot 4, 30 s in.
        OnAirCase{"BackwardsFromStart", kClassic, "11:59:30", 5},
        OnAirCase{"SprintSecondSlot", kSprint, "12:00:14", 2},
        OnAirCase{"SprintUpperLimit", kSprint, "12:00:10", 1},
        OnAirCase{"EmptySlot", Schedule("12:00:00", 60, "F1,F2,-,F4,F5"), "12:02:30", kNoFox},
        OnAirCase{"ShortOnTimeLast", Schedule("12:00:00", 60, "F1,F2,F3,F4,F5", 30.0), "12:00:28", 1},
        OnAirCase{"ShortOnTimeOver", Schedule("12:00:00", 60, "F1,F2,F3,F4,F5", 30.0), "12:00:29", kNoFox},
        // Cycle of 35 s from midnight: 86399 mod 35 = 19, slot 2, p = 5 = 7 - 2.
        OnAirCase{"CycleNotDividingADay", Schedule("00:00:00", 7), "23:59:59", 3},
        OnAirCase{"FractionalStart", Schedule("12:00:00.5", 12), "12:00:02.5", 1},
        OnAirCase{"FractionalStartGuard", Schedule("12:00:00.5", 12), "12:00:02.4", kNoFox},
        OnAirCase{"NoGuard", Schedule("12:00:00", 60, "F1,F2,F3,F4,F5", std::nullopt, 0), "12:01:00", 2}),
    testing_support::ParamName{});

struct ProblemCase {
    const char* name;
    friend void PrintTo(const ProblemCase& c, std::ostream* os) { *os << c.name; }
    FoxSchedule schedule;
    std::optional<ScheduleField> field;
};

class CheckScheduleTest : public testing::TestWithParam<ProblemCase> {};

TEST_P(CheckScheduleTest, NamesThePartThatIsWrong) {
    const auto problem = CheckSchedule(GetParam().schedule);
    ASSERT_EQ(problem.has_value(), GetParam().field.has_value());
    if (problem) {
        EXPECT_EQ(problem->field, *GetParam().field);
        EXPECT_FALSE(problem->message.empty());
    }
}

FoxSchedule WithSlots(int slots) {
    FoxSchedule s = kClassic;
    s.slots = slots;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Schedules, CheckScheduleTest,
    testing::Values(
        ProblemCase{"Classic", kClassic, std::nullopt},
        ProblemCase{"SlotZero", Schedule("12:00:00", 0), ScheduleField::Slot},
        ProblemCase{"GuardHalfTheSlot", Schedule("12:00:00", 60, "F1", std::nullopt, 30),
                    ScheduleField::Guard},
        ProblemCase{"GuardJustBelowHalf", Schedule("12:00:00", 60, "F1", std::nullopt, 29.5), std::nullopt},
        ProblemCase{"GuardHalfTheOnTime", Schedule("12:00:00", 60, "F1", 4.0), ScheduleField::Guard},
        ProblemCase{"OnTimeZero", Schedule("12:00:00", 60, "F1", 0.0), ScheduleField::OnTime},
        ProblemCase{"OrderTooShort", WithSlots(6), ScheduleField::Order},
        ProblemCase{"NoSlots", WithSlots(0), ScheduleField::Slots}),
    testing_support::ParamName{});

TEST(ScheduleStatus, FoxOnTheAirTimeLeftAndTheNextFox) {
    const FoxSchedule classic = Schedule("12:00:00", 60, "F1,F2,-,F4,F5");
    const auto at = [&](const char* time) { return StatusAt(classic, ParseClockTime(time)->ns); };
    // 12:00:20: fox 1 until 12:00:58 (38 s); fox 2 from 12:01:02 (42 s).
    EXPECT_EQ(at("12:00:20").fox, 1);
    EXPECT_EQ(at("12:00:20").left, 38 * kSecond);
    EXPECT_EQ(at("12:00:20").nextFox, 2);
    EXPECT_EQ(at("12:00:20").untilNext, 42 * kSecond);
    // In the guard before fox 2: none on the air, fox 2 in 1.5 s.
    EXPECT_EQ(at("12:01:00.5").fox, kNoFox);
    EXPECT_EQ(at("12:01:00.5").nextFox, 2);
    EXPECT_EQ(at("12:01:00.5").untilNext, 1'500'000'000);
    // Fox 2 on the air; the empty third slot is passed over: fox 4 at 12:03:02, 92 s after 12:01:30.
    EXPECT_EQ(at("12:01:30").nextFox, 4);
    EXPECT_EQ(at("12:01:30").untilNext, 92 * kSecond);
    // Last slot of the cycle: fox 1 again at 12:05:02.
    EXPECT_EQ(at("12:04:59").nextFox, 1);
    EXPECT_EQ(at("12:04:59").untilNext, 3 * kSecond);
}

TEST(ScheduleText, ReadsAndWritesTheTextForms) {
    EXPECT_EQ(ParseClockTime("7:05:00")->ns, (7 * 3600 + 5 * 60) * kSecond);
    EXPECT_EQ(ParseClockTime("23:59:59.25")->ns, 86399 * kSecond + 250'000'000);
    for (const char* bad : {"24:00:00", "12:60:00", "12:00:60", "12:00", "12:0:00", "12:00:00.", "12:00:00x",
                            "-1:00:00", "", "123:00:00", "12:00:00.5.5"}) {
        EXPECT_FALSE(ParseClockTime(bad)) << bad;
    }
    EXPECT_EQ(ParseSeconds("2.5"), 2'500'000'000);
    EXPECT_EQ(ParseSeconds("12"), 12 * kSecond);
    EXPECT_EQ(ParseSeconds("0,25"), 250'000'000);
    for (const char* bad : {"-1", "", "1e3", "2.", "abc", "1.0000000001", "99999999999"}) {
        EXPECT_FALSE(ParseSeconds(bad)) << bad;
    }
    EXPECT_EQ(ParseFoxOrder("F1,F2,-,F4,F5"), (std::vector<int>{1, 2, 0, 4, 5}));
    EXPECT_EQ(ParseFoxOrder(" f3 , 1,-"), (std::vector<int>{3, 1, 0}));
    for (const char* bad : {"", "F6", "F1,,F2", "F0", "FF1", "F1;F2"}) {
        EXPECT_FALSE(ParseFoxOrder(bad)) << bad;
    }
    EXPECT_EQ(ClockTimeText(ParseClockTime("7:05:00.5")->ns), "07:05:00.5");
    EXPECT_EQ(SecondsText(12 * kSecond), "12");
    EXPECT_EQ(SecondsText(2'050'000'000), "2.05");
    EXPECT_EQ(FoxOrderText({1, 0, 5}), "F1,-,F5");
    EXPECT_EQ(DefaultFoxOrder(6), (std::vector<int>{1, 2, 3, 4, 5, 0}));
}

}  // namespace
}  // namespace vantrel::instruments
