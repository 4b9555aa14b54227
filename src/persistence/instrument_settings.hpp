#pragma once

// The instruments' settings beyond the seven of the settings file, each in a section of its own so that the
// seven keys and everything else in the file stay as they are:
//
//   [Ports]     COM<n>=DEVICE (the device a port number stands for), GON-Format=fixed|agrelo|kn5r|aprs,
//               GON-Baud=<line speed>, GON-Interval=<seconds of one filed mean of a streaming unit>.
//               Absent: fixed columns at 2400 baud, a mean per second.
//   [Schedule]  On=0|1, Start=HH:MM:SS, Slot=<s>, Slots=<n>, Order=F1,F2,-,F4,F5, OnTime=<s> (empty: the
//               whole slot), Guard=<s>, ClockOffset=<s, may be negative>. Kept as typed.

#include <filesystem>
#include <functional>
#include <string>

#include "core/outcome.hpp"
#include "instruments/fox_schedule.hpp"
#include "instruments/rx_formats.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {

struct ReceiverSettings {
    instruments::RxFormat format = instruments::RxFormat::Fixed;
    int baudRate = 2400;
    double intervalSeconds = 1;
    friend bool operator==(const ReceiverSettings&, const ReceiverSettings&) = default;
};

// The receiver's settings from [Ports]; a value that is not understood gives a message naming the key and
// the value (the caller then keeps the defaults and says so).
core::Result<ReceiverSettings> ReceiverSettingsFromIni(const IniFile& ini);
// Writes the three keys; a key that is absent and would be written with the value its absence means stays
// absent, so the file of a user of the fixed-column receiver does not change.
void ReceiverSettingsToIni(const ReceiverSettings& settings, IniFile& ini);

// The [Schedule] texts, as the user typed them.
struct ScheduleSettings {
    bool on = false;
    std::string start = "00:00:00";
    std::string slot = "60";
    std::string slots = "5";
    std::string order;   // empty: slot k is fox k
    std::string onTime;  // empty: the whole slot
    std::string guard = "2";
    std::string clockOffset = "0";
    friend bool operator==(const ScheduleSettings&, const ScheduleSettings&) = default;
};

ScheduleSettings ScheduleSettingsFromIni(const IniFile& ini);
void ScheduleSettingsToIni(const ScheduleSettings& settings, IniFile& ini);

// The schedule the texts describe, or a message naming the box that is wrong ("Slot: must be more than 0 s").
core::Result<instruments::FoxSchedule> ScheduleFromSettings(const ScheduleSettings& settings);
// The clock offset in nanoseconds ("-2.5" -> -2.5 s), nullopt when it is not a number of seconds.
std::optional<instruments::Nanoseconds> ClockOffset(std::string_view text);

}  // namespace vantrel::persistence
