#pragma once

// The settings of hunting on the move, in sections of their own so that the seven settings and everything
// else in Vantrel.ini stay as they are:
//
//   [Live]
//   Gps=/dev/ttyUSB0          ; the GPS: a serial device, or gpsd://HOST:PORT (port 2947 when left out);
//                             ; empty: none
//   ReceiverVehicle=1         ; the streaming receiver's bearings are relative to the car's forward direction
//   NetworkVehicle=0          ; the same for a network DF server's lines without an array heading
//   MinSpeed=2                ; m/s: below it the course over ground gives no heading
//   NetworkUrl=http://192.168.4.1:8081/DOA_value.html   ; empty: none (port 8081, path DOA_value.html)
//   PollMs=500                ; how often the network DF's file is fetched, 50..60000
//   FrequencyTolerance=5000   ; Hz: how far a channel may lie from a fox's frequency
//   [Foxes]
//   Frequency1=144500000      ; Hz, fox 1..5; absent or empty: no frequency (no network bearings of it)
//
// The addresses are kept as typed; the feeds check them when they start. Numbers are read with '.' or ','
// and written with '.'.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

inline constexpr const char* kLiveSection = "Live";
inline constexpr const char* kFoxesSection = "Foxes";

struct LiveSettings {
    std::string gps;
    bool receiverVehicle = false;
    bool networkVehicle = false;
    double minSpeed = 2;
    std::string networkUrl;
    int pollMs = 500;
    double frequencyToleranceHz = 5000;
    std::array<std::optional<double>, 5> foxFrequencies;  // fox 1..5 at index 0..4, Hz

    friend bool operator==(const LiveSettings&, const LiveSettings&) = default;
};

struct LiveSettingsRead {
    LiveSettings settings;
    // One line per key whose value was not usable and was replaced by its default:
    // "[Live] MinSpeed=-1 is not 0 or more; 2 is used".
    std::vector<std::string> problems;
};

LiveSettingsRead LiveSettingsFromIni(const IniFile& ini);
// Writes the keys; a key that is absent and would be written with the value its absence means stays absent.
void LiveSettingsToIni(const LiveSettings& settings, IniFile& ini);
// LiveSettingsFromIni of the settings file; a missing or unreadable file gives the defaults.
LiveSettingsRead ReadLiveSettings(const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
