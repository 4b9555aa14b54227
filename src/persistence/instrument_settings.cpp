#include "persistence/instrument_settings.hpp"

#include <algorithm>
#include <charconv>

#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

constexpr const char* kPorts = "Ports";
constexpr const char* kSchedule = "Schedule";
constexpr double kLongestInterval = 60;

// Sets the key unless it is absent and the value is what its absence means.
void SetUnlessImplied(IniFile& ini, const char* key, const std::string& value, const std::string& implied) {
    if (ini.Get(kPorts, key) || value != implied) {
        ini.Set(kPorts, key, value);
    }
}

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

core::Outcome Problem(const char* key, const std::string& value, const std::string& expected) {
    return core::Outcome::Fail("[" + std::string(kPorts) + "] " + key + "=" + value +
                               " in the settings file is " + expected);
}

}  // namespace

core::Result<ReceiverSettings> ReceiverSettingsFromIni(const IniFile& ini) {
    ReceiverSettings settings;
    if (const auto name = ini.Get(kPorts, "GON-Format"); name && !name->empty()) {
        const auto format = instruments::ParseRxFormat(*name);
        if (!format) {
            return Problem("GON-Format", *name,
                           "not a receiver format (" + instruments::RxFormatNames(", ", " or ") + ")");
        }
        settings.format = *format;
    }
    settings.baudRate = instruments::DefaultBaudRate(settings.format);
    if (const auto text = ini.Get(kPorts, "GON-Baud"); text && !text->empty()) {
        const auto baud = WholeNumber(*text);
        if (!baud || *baud <= 0) {
            return Problem("GON-Baud", *text, "not a line speed");
        }
        settings.baudRate = *baud;
    }
    if (const auto text = ini.Get(kPorts, "GON-Interval"); text && !text->empty()) {
        const auto interval = instruments::ParseSeconds(*text);
        if (!interval || *interval <= 0 ||
            *interval > static_cast<instruments::Nanoseconds>(kLongestInterval) * instruments::kSecond) {
            return Problem("GON-Interval", *text, "not an interval of more than 0 and at most 60 seconds");
        }
        settings.intervalSeconds = static_cast<double>(*interval) / static_cast<double>(instruments::kSecond);
    }
    return settings;
}

void ReceiverSettingsToIni(const ReceiverSettings& settings, IniFile& ini) {
    SetUnlessImplied(ini, "GON-Format", instruments::RxFormatName(settings.format), "fixed");
    SetUnlessImplied(ini, "GON-Baud", std::to_string(settings.baudRate),
                     std::to_string(instruments::DefaultBaudRate(settings.format)));
    const auto ns = static_cast<instruments::Nanoseconds>(settings.intervalSeconds * 1e9 + 0.5);
    SetUnlessImplied(ini, "GON-Interval", instruments::SecondsText(ns), "1");
}

ScheduleSettings ScheduleSettingsFromIni(const IniFile& ini) {
    ScheduleSettings s;
    const auto read = [&](const char* key, std::string& value) {
        if (auto text = ini.Get(kSchedule, key)) {
            value = std::move(*text);
        }
    };
    std::string on = "0";
    read("On", on);
    s.on = on == "1";
    read("Start", s.start);
    read("Slot", s.slot);
    read("Slots", s.slots);
    read("Order", s.order);
    read("OnTime", s.onTime);
    read("Guard", s.guard);
    read("ClockOffset", s.clockOffset);
    return s;
}

void ScheduleSettingsToIni(const ScheduleSettings& s, IniFile& ini) {
    ini.Set(kSchedule, "On", s.on ? "1" : "0");
    ini.Set(kSchedule, "Start", s.start);
    ini.Set(kSchedule, "Slot", s.slot);
    ini.Set(kSchedule, "Slots", s.slots);
    ini.Set(kSchedule, "Order", s.order);
    ini.Set(kSchedule, "OnTime", s.onTime);
    ini.Set(kSchedule, "Guard", s.guard);
    ini.Set(kSchedule, "ClockOffset", s.clockOffset);
}

core::Result<instruments::FoxSchedule> ScheduleFromSettings(const ScheduleSettings& s) {
    using instruments::ScheduleField;
    const auto fail = [](const char* box, const std::string& why) {
        return core::Outcome::Fail(std::string(box) + ": " + why);
    };
    instruments::FoxSchedule schedule;
    const auto start = instruments::ParseClockTime(s.start);
    if (!start || start->justAfter) {
        return fail("Cycle start", "\"" + s.start + "\" is not a time of day HH:MM:SS");
    }
    schedule.start = start->ns;
    const auto slot = instruments::ParseSeconds(s.slot);
    if (!slot) {
        return fail("Slot", "\"" + s.slot + "\" is not a number of seconds");
    }
    schedule.slot = *slot;
    const auto slots = WholeNumber(s.slots);
    if (!slots) {
        return fail("Slots", "\"" + s.slots + "\" is not a whole number");
    }
    schedule.slots = *slots;
    if (s.order.find_first_not_of(' ') == std::string::npos) {
        schedule.foxes = instruments::DefaultFoxOrder(std::clamp(*slots, 0, instruments::kMaxSlots));
    } else if (auto order = instruments::ParseFoxOrder(s.order)) {
        schedule.foxes = std::move(*order);
    } else {
        return fail("Foxes", "\"" + s.order + "\" is not a list like F1,F2,-,F4,F5");
    }
    if (s.onTime.find_first_not_of(' ') != std::string::npos) {
        const auto onTime = instruments::ParseSeconds(s.onTime);
        if (!onTime) {
            return fail("On air", "\"" + s.onTime + "\" is not a number of seconds");
        }
        schedule.onTime = *onTime;
    }
    const auto guard = instruments::ParseSeconds(s.guard);
    if (!guard) {
        return fail("Guard", "\"" + s.guard + "\" is not a number of seconds");
    }
    schedule.guard = *guard;
    if (const auto problem = instruments::CheckSchedule(schedule)) {
        static constexpr const char* kBoxes[] = {"Cycle start", "Slot", "Slots", "Foxes", "On air", "Guard"};
        return fail(kBoxes[static_cast<int>(problem->field)], problem->message);
    }
    return schedule;
}

std::optional<instruments::Nanoseconds> ClockOffset(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    const auto magnitude = instruments::ParseSeconds(text);
    if (!magnitude || *magnitude > instruments::kDay) {
        return std::nullopt;
    }
    return negative ? -*magnitude : *magnitude;
}

}  // namespace vantrel::persistence
