#include "persistence/quality_settings.hpp"

#include <cmath>
#include <optional>

#include "core/number_text.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

struct Key {
    const char* name;
    double quality::QualitySettings::*member;
    bool probability;  // (0, 1) rather than >= 0
};

constexpr Key kKeys[] = {
    {"BearingSigma", &quality::QualitySettings::bearingSigma, false},
    {"BearingSigmaFloor", &quality::QualitySettings::bearingSigmaFloor, false},
    {"Confidence", &quality::QualitySettings::confidence, true},
};

// Why the value cannot be used, or nothing when it can.
std::optional<std::string> Problem(const std::optional<double>& value, bool probability) {
    if (!value || !std::isfinite(*value)) {
        return "is not a number";
    }
    if (probability && !(*value > 0 && *value < 1)) {
        return "is not between 0 and 1 (exclusive)";
    }
    if (!probability && *value < 0) {
        return "is negative";
    }
    return std::nullopt;
}

}  // namespace

QualitySettingsRead QualitySettingsFromIni(const IniFile& ini) {
    QualitySettingsRead read;
    for (const Key& key : kKeys) {
        const auto text = ini.Get(kQualitySection, key.name);
        if (!text) {
            continue;
        }
        const auto value = core::ReadRegional(*text, '.');
        double& setting = read.settings.*key.member;
        if (!key.probability && value && *value > quality::kMaxBearingSigma) {
            // Too large to mean more than "anywhere": the largest deviation there is, not the default.
            setting = quality::kMaxBearingSigma;
            read.problems.push_back("[Quality] " + std::string(key.name) + "=" + *text +
                                    " is above 180 degrees; 180 is used");
        } else if (const auto problem = Problem(value, key.probability)) {
            read.problems.push_back("[Quality] " + std::string(key.name) + "=" + *text + " " + *problem +
                                    "; " + core::ShortestText(setting) + " is used");
        } else {
            setting = *value + 0.0;  // + 0.0: -0 is 0
        }
    }
    return read;
}

QualitySettingsRead ReadQualitySettings(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return QualitySettingsFromIni(ini ? *ini : IniFile{});
}

}  // namespace vantrel::persistence
