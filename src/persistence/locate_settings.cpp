#include "persistence/locate_settings.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "core/number_text.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct NumberKey {
    const char* name;
    const char* rule;  // what a usable value is, as the problem line says it
    bool (*valid)(double);
};

constexpr NumberKey kTuning{"Tuning", "is not a number above 0",
                            [](double v) { return v > 0 && std::isfinite(v); }};
constexpr NumberKey kSigma{"Sigma", "is not a number of degrees in (0, 90]",
                           [](double v) { return v > 0 && v <= 90; }};
constexpr NumberKey kConfidence{"Confidence", "is not between 0 and 1 (exclusive)",
                                [](double v) { return v > 0 && v < 1; }};

// The key's number when it is present and usable; a problem line otherwise (an absent key is none).
std::optional<double> ReadNumber(const IniFile& ini, const NumberKey& key, const std::string& defaultText,
                                 std::vector<std::string>& problems) {
    const auto text = ini.Get(kLocateSection, key.name);
    if (!text) {
        return std::nullopt;
    }
    const auto value = core::ReadRegional(Trimmed(*text), '.');
    if (value && key.valid(*value)) {
        return value;
    }
    problems.push_back("[Locate] " + std::string(key.name) + "=" + *text + " " + key.rule + "; " +
                       defaultText + " is used");
    return std::nullopt;
}

}  // namespace

LocateSettingsRead LocateSettingsFromIni(const IniFile& ini) {
    LocateSettingsRead read;
    locate::Options& options = read.options;
    if (const auto text = ini.Get(kLocateSection, "Method")) {
        if (const auto method = locate::ParseMethod(Lower(Trimmed(*text)))) {
            options.method = *method;
        } else {
            read.problems.push_back("[Locate] Method=" + *text + " is not mle, huber or andrews; " +
                                    std::string(locate::MethodText(options.method)) + " is used");
        }
    }
    if (const auto tuning = ReadNumber(ini, kTuning, core::ShortestText(options.tuning), read.problems)) {
        options.tuning = *tuning;
    }
    // An empty Sigma is the documented way of saying "estimate it", not a problem.
    if (const auto sigma = ini.Get(kLocateSection, "Sigma"); sigma && !Trimmed(*sigma).empty()) {
        options.sigmaDeg = ReadNumber(ini, kSigma, "the estimate", read.problems);
    }
    if (const auto confidence =
            ReadNumber(ini, kConfidence, core::ShortestText(options.confidence), read.problems)) {
        options.confidence = *confidence;
    }
    return read;
}

void LocateSettingsToIni(const locate::Options& options, IniFile& ini) {
    ini.Set(kLocateSection, "Method", locate::MethodText(options.method));
    ini.Set(kLocateSection, "Tuning", core::ShortestText(options.tuning));
    ini.Set(kLocateSection, "Sigma", options.sigmaDeg ? core::ShortestText(*options.sigmaDeg) : "");
    ini.Set(kLocateSection, "Confidence", core::ShortestText(options.confidence));
}

LocateSettingsRead ReadLocateSettings(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return LocateSettingsFromIni(ini ? *ini : IniFile{});
}

core::Outcome WriteLocateSettings(const locate::Options& options, const std::filesystem::path& iniPath) {
    return UpdateIniFile(iniPath, [&](IniFile& ini) { LocateSettingsToIni(options, ini); });
}

}  // namespace vantrel::persistence
