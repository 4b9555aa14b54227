#include "persistence/live_settings.hpp"

#include <cmath>

#include "core/number_text.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct NumberKey {
    const char* section;
    std::string name;
    double low, high;  // both included
    const char* rule;  // "is not 0 or more"
};

// The key's number, or nullopt: absent or empty (no problem), or unusable (a problem naming the fallback).
std::optional<double> ReadNumber(const IniFile& ini, const NumberKey& key, const std::string& fallback,
                                 std::vector<std::string>& problems) {
    const auto text = ini.Get(key.section, key.name);
    if (!text || Trimmed(*text).empty()) {
        return std::nullopt;
    }
    const auto value = core::ReadRegional(*text, '.');
    const bool usable = value && std::isfinite(*value) && *value >= key.low && *value <= key.high;
    if (!usable) {
        problems.push_back("[" + std::string(key.section) + "] " + key.name + "=" + *text + " " +
                           (value ? key.rule : "is not a number") + "; " + fallback + " is used");
        return std::nullopt;
    }
    return value;
}

bool ReadFlag(const IniFile& ini, const char* key, std::vector<std::string>& problems) {
    const auto text = ini.Get(kLiveSection, key);
    if (!text || Trimmed(*text).empty() || Trimmed(*text) == "0") {
        return false;
    }
    if (Trimmed(*text) == "1") {
        return true;
    }
    problems.push_back(std::string("[Live] ") + key + "=" + *text + " is not 0 or 1; 0 is used");
    return false;
}

void SetUnlessDefault(IniFile& ini, const char* section, const std::string& key, const std::string& value,
                      bool isDefault) {
    if (!isDefault || ini.Get(section, key)) {
        ini.Set(section, key, value);
    }
}

}  // namespace

LiveSettingsRead LiveSettingsFromIni(const IniFile& ini) {
    LiveSettingsRead read;
    LiveSettings& s = read.settings;
    s.gps = Trimmed(ini.Get(kLiveSection, "Gps").value_or(""));
    s.networkUrl = Trimmed(ini.Get(kLiveSection, "NetworkUrl").value_or(""));
    s.receiverVehicle = ReadFlag(ini, "ReceiverVehicle", read.problems);
    s.networkVehicle = ReadFlag(ini, "NetworkVehicle", read.problems);
    const NumberKey minSpeed{kLiveSection, "MinSpeed", 0, 1000, "is not 0..1000 m/s"};
    s.minSpeed = ReadNumber(ini, minSpeed, "2", read.problems).value_or(s.minSpeed);
    const NumberKey poll{kLiveSection, "PollMs", 50, 60000, "is not 50..60000 ms"};
    if (const auto value = ReadNumber(ini, poll, "500", read.problems)) {
        s.pollMs = static_cast<int>(std::lround(*value));
    }
    const NumberKey tolerance{kLiveSection, "FrequencyTolerance", 0, 1e9, "is not 0 Hz or more"};
    s.frequencyToleranceHz =
        ReadNumber(ini, tolerance, "5000", read.problems).value_or(s.frequencyToleranceHz);
    for (std::size_t i = 0; i < s.foxFrequencies.size(); ++i) {
        const NumberKey frequency{kFoxesSection, "Frequency" + std::to_string(i + 1), 1, 1e12,
                                  "is not a frequency in Hz"};
        s.foxFrequencies[i] = ReadNumber(ini, frequency, "no frequency", read.problems);
    }
    return read;
}

void LiveSettingsToIni(const LiveSettings& settings, IniFile& ini) {
    const LiveSettings defaults;
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    SetUnlessDefault(ini, kLiveSection, "Gps", settings.gps, settings.gps.empty());
    SetUnlessDefault(ini, kLiveSection, "ReceiverVehicle", flag(settings.receiverVehicle),
                     !settings.receiverVehicle);
    SetUnlessDefault(ini, kLiveSection, "NetworkVehicle", flag(settings.networkVehicle),
                     !settings.networkVehicle);
    SetUnlessDefault(ini, kLiveSection, "MinSpeed", core::ShortestText(settings.minSpeed),
                     settings.minSpeed == defaults.minSpeed);
    SetUnlessDefault(ini, kLiveSection, "NetworkUrl", settings.networkUrl, settings.networkUrl.empty());
    SetUnlessDefault(ini, kLiveSection, "PollMs", std::to_string(settings.pollMs),
                     settings.pollMs == defaults.pollMs);
    SetUnlessDefault(ini, kLiveSection, "FrequencyTolerance",
                     core::ShortestText(settings.frequencyToleranceHz),
                     settings.frequencyToleranceHz == defaults.frequencyToleranceHz);
    for (std::size_t i = 0; i < settings.foxFrequencies.size(); ++i) {
        const auto& frequency = settings.foxFrequencies[i];
        SetUnlessDefault(ini, kFoxesSection, "Frequency" + std::to_string(i + 1),
                         frequency ? core::ShortestText(*frequency) : std::string(), !frequency);
    }
}

LiveSettingsRead ReadLiveSettings(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return LiveSettingsFromIni(ini ? *ini : IniFile{});
}

}  // namespace vantrel::persistence
