// vantrel-cli schedule: which fox the schedule puts on the air at given times of day.
#include "cli/cli.hpp"
#include "instruments/fox_schedule.hpp"

namespace vantrel::cli {
namespace {

using instruments::Nanoseconds;
using instruments::ScheduleField;

constexpr const char* kSynopsis =
    "schedule --start HH:MM:SS --slot S [--slots N] [--order F1,F2,-,F4,F5] [--on S] [--guard S] TIME...";

const char* OptionOf(ScheduleField field) {
    switch (field) {
        case ScheduleField::Start:
            return "--start";
        case ScheduleField::Slot:
            return "--slot";
        case ScheduleField::Slots:
            return "--slots";
        case ScheduleField::Order:
            return "--order";
        case ScheduleField::OnTime:
            return "--on";
        case ScheduleField::Guard:
            break;
    }
    return "--guard";
}

// A duration option; nullopt after the usage error naming it.
std::optional<Nanoseconds> Seconds(const Context& context, const char* name, Nanoseconds absent) {
    const auto text = context.args.Option(name);
    if (!text) {
        return absent;
    }
    const auto value = instruments::ParseSeconds(*text);
    if (!value) {
        UsageError("--" + std::string(name) + ": \"" + *text + "\" is not a number of seconds");
    }
    return value;
}

std::optional<instruments::FoxSchedule> ScheduleFromOptions(const Context& context) {
    instruments::FoxSchedule schedule;
    const auto start = context.args.Option("start");
    const auto slot = context.args.Option("slot");
    if (!start || !slot) {
        UsageError(std::string(!start ? "--start" : "--slot") + " is missing; usage: vantrel-cli " +
                   kSynopsis);
        return std::nullopt;
    }
    const auto startTime = instruments::ParseClockTime(*start);
    if (!startTime || startTime->justAfter) {
        UsageError("--start: \"" + *start + "\" is not a time of day HH:MM:SS");
        return std::nullopt;
    }
    schedule.start = startTime->ns;
    const auto slotLength = Seconds(context, "slot", 0);
    if (!slotLength) {
        return std::nullopt;
    }
    schedule.slot = *slotLength;
    if (const auto slots = context.args.Option("slots")) {
        const std::size_t digits = slots->find_first_not_of("0123456789");
        if (slots->empty() || digits != std::string::npos || slots->size() > 6) {
            UsageError("--slots: \"" + *slots + "\" is not a whole number");
            return std::nullopt;
        }
        schedule.slots = std::stoi(*slots);
    }
    schedule.foxes = instruments::DefaultFoxOrder(std::min(schedule.slots, instruments::kMaxSlots));
    if (const auto order = context.args.Option("order")) {
        auto foxes = instruments::ParseFoxOrder(*order);
        if (!foxes) {
            UsageError("--order: \"" + *order + "\" is not a list like F1,F2,-,F4,F5");
            return std::nullopt;
        }
        schedule.foxes = std::move(*foxes);
    }
    if (context.args.Option("on")) {
        const auto on = Seconds(context, "on", 0);
        if (!on) {
            return std::nullopt;
        }
        schedule.onTime = *on;
    }
    const auto guard = Seconds(context, "guard", schedule.guard);
    if (!guard) {
        return std::nullopt;
    }
    schedule.guard = *guard;
    if (const auto problem = instruments::CheckSchedule(schedule)) {
        UsageError(std::string(OptionOf(problem->field)) + ": " + problem->message);
        return std::nullopt;
    }
    return schedule;
}

}  // namespace

int RunSchedule(const Context& context) {
    const auto schedule = ScheduleFromOptions(context);
    if (!schedule) {
        return kExitUsage;
    }
    if (context.args.positional.empty()) {
        return UsageError("no TIME given; usage: vantrel-cli " + std::string(kSynopsis));
    }
    // Every time is checked before anything is printed: a bad one prints nothing.
    std::vector<instruments::ClockTime> times;
    for (const std::string& text : context.args.positional) {
        const auto time = instruments::ParseClockTime(text);
        if (!time) {
            return UsageError("TIME: \"" + text + "\" is not a time of day HH:MM:SS");
        }
        times.push_back(*time);
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
        const int fox = instruments::FoxOnAir(*schedule, times[i]);
        PrintLine(context.args.positional[i] + "\t" +
                  (fox == instruments::kNoFox ? "-" : "F" + std::to_string(fox)));
    }
    return kExitOk;
}

}  // namespace vantrel::cli
