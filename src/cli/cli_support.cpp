#include <cstdio>
#include <string>

#include "cli/cli.hpp"
#include "core/number_text.hpp"

namespace vantrel::cli {

std::optional<std::string> Arguments::Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) {
        return std::nullopt;
    }
    return it->second;
}

void PrintLine(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

int Fail(std::string_view message) {
    const std::string line = "vantrel-cli: " + std::string(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return kExitFailure;
}

void PrintWarning(std::string_view message) {
    const std::string line = "vantrel-cli: " + std::string(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

int UsageError(std::string_view message) {
    const std::string line = "vantrel-cli: " + std::string(message) + " (see vantrel-cli --help)\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return kExitUsage;
}

int FailWith(const core::Outcome& outcome) {
    return outcome ? kExitOk : Fail(outcome.message());
}

std::optional<double> NumberArgument(const Context& context, std::size_t index, std::string_view name) {
    const std::string& text = context.args.positional.at(index);
    const auto value = core::ReadRegional(text, context.decimalSeparator);
    if (!value) {
        UsageError(std::string(name) + " is not a number: \"" + text + "\"");
    }
    return value;
}

std::optional<std::string> TakeShortOutputOption(std::vector<std::string>& positional) {
    for (std::size_t i = 0; i + 1 < positional.size(); ++i) {
        if (positional[i] == "-o") {
            std::string out = positional[i + 1];
            positional.erase(positional.begin() + static_cast<std::ptrdiff_t>(i),
                             positional.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return out;
        }
    }
    return std::nullopt;
}

std::optional<quality::QualitySettings> QualityOptions(const Context& context) {
    struct Option {
        const char* name;
        double quality::QualitySettings::*member;
        bool probability;
    };
    constexpr Option kOptions[] = {{"sigma", &quality::QualitySettings::bearingSigma, false},
                                   {"sigma-floor", &quality::QualitySettings::bearingSigmaFloor, false},
                                   {"confidence", &quality::QualitySettings::confidence, true}};
    quality::QualitySettings settings;
    for (const Option& option : kOptions) {
        const auto text = context.args.Option(option.name);
        if (!text) {
            continue;
        }
        const std::string quoted = ": \"" + *text + "\"";
        const auto value = core::ReadRegional(*text, context.decimalSeparator);
        if (!value) {
            UsageError("--" + std::string(option.name) + " is not a number" + quoted);
            return std::nullopt;
        }
        if (option.probability && !(*value > 0 && *value < 1)) {
            UsageError("--" + std::string(option.name) + " must lie between 0 and 1 (exclusive)" + quoted);
            return std::nullopt;
        }
        if (!option.probability && *value < 0) {
            UsageError("--" + std::string(option.name) + " must not be negative" + quoted);
            return std::nullopt;
        }
        if (!option.probability && *value > quality::kMaxBearingSigma) {
            UsageError("--" + std::string(option.name) + " must be at most 180 degrees" + quoted);
            return std::nullopt;
        }
        settings.*option.member = *value + 0.0;  // + 0.0: -0 is 0
    }
    return settings;
}

bool ExpectPositionals(const Context& context, std::size_t min, std::size_t max, std::string_view synopsis) {
    const std::size_t n = context.args.positional.size();
    if (n < min || n > max) {
        UsageError("usage: vantrel-cli " + std::string(synopsis));
        return false;
    }
    return true;
}

}  // namespace vantrel::cli
