#include "persistence/locate_settings.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "core/number_text.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Problem(const std::string& key, const std::string& text, const std::string& why,
                    const std::string& fallback) {
    return "[Locate] " + key + "=" + text + " " + why + "; " + fallback + " is used";
}

// A number key: nullopt (and a problem) when the value is not a number inside its range.
struct NumberKey {
    const char* name;
    bool (*valid)(double);
    const char* rule;  // "is not above 0"
};

std::optional<double> ReadNumber(const IniFile& ini, const NumberKey& key, const std::string& fallback,
                                 std::vector<std::string>& problems) {
    const auto text = ini.Get(kLocateSection, key.name);
    if (!text) {
        return std::nullopt;
    }
    const auto value = core::ReadRegional(*text, '.');
    if (!value || !std::isfinite(*value)) {
        problems.push_back(Problem(key.name, *text, "is not a number", fallback));
        return std::nullopt;
    }
    if (!key.valid(*value)) {
        problems.push_back(Problem(key.name, *text, key.rule, fallback));
        return std::nullopt;
    }
    return value;
}

}  // namespace

LocateSettingsRead LocateSettingsFromIni(const IniFile& ini) {
    LocateSettingsRead read;
    locate::Options& o = read.options;
    if (const auto text = ini.Get(kLocateSection, "Method")) {
        if (const auto method = locate::ParseMethod(Lower(Trimmed(*text)))) {
            o.method = *method;
        } else {
            read.problems.push_back(Problem("Method", *text, "is not mle, huber or andrews",
                                            std::string(locate::MethodText(o.method))));
        }
    }
    const NumberKey tuning{"Tuning", [](double v) { return v > 0; }, "is not above 0"};
    if (const auto value = ReadNumber(ini, tuning, core::ShortestText(o.tuning), read.problems)) {
        o.tuning = *value;
    }
    const auto sigmaText = ini.Get(kLocateSection, "Sigma");
    const NumberKey sigma{"Sigma", [](double v) { return v > 0 && v <= 90; }, "is not in (0, 90] degrees"};
    if (sigmaText && !Trimmed(*sigmaText).empty()) {
        o.sigmaDeg = ReadNumber(ini, sigma, "the estimate from the bearings", read.problems);
    }
    const NumberKey confidence{"Confidence", [](double v) { return v > 0 && v < 1; },
                               "is not between 0 and 1 (exclusive)"};
    if (const auto value = ReadNumber(ini, confidence, core::ShortestText(o.confidence), read.problems)) {
        o.confidence = *value;
    }
    return read;
}

LocateSettingsRead ReadLocateSettings(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return LocateSettingsFromIni(ini ? *ini : IniFile{});
}

}  // namespace vantrel::persistence
