// locate [--method mle|huber|andrews] [--tuning C] [--sigma DEG] [--confidence P] [FILE|-]: the fix of
// many bearings given as text lines EASTING,NORTHING,BEARING[,SIGMA]; with --log FILE.fhl [--fox N], of
// each fox of a bearing log. Options not given take their value from [Locate] of Vantrel.ini.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/cli.hpp"
#include "cli/instrument_input.hpp"
#include "cli/locate_block.hpp"
#include "cli/locate_log.hpp"
#include "core/number_text.hpp"
#include "locate/locate.hpp"
#include "persistence/file_access.hpp"
#include "persistence/locate_settings.hpp"
#include "platform/locations.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "locate [--method mle|huber|andrews] [--tuning C] [--sigma DEG] [--confidence P] "
    "[FILE|- | --log FILE.fhl [--fox N]]";
constexpr std::size_t kMostInputBytes = std::size_t{256} << 20;

struct NumberedBearing {
    locate::Bearing bearing;
    std::size_t line = 0;
};

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(
            Trimmed(line.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// A number with '.' as its decimal point (and an optional sign and exponent), the whole field; nullopt
// for anything else. Infinity, NaN and values beyond a Double read as such and are refused by the caller.
std::optional<double> FieldNumber(std::string_view field) {
    if (field.size() > 1 && field[0] == '+' && field[1] != '-') {
        field.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range) {
        return std::abs(value) >= 1 || value == 0 ? HUGE_VAL : 0.0;
    }
    return error == std::errc{} ? std::optional<double>(value) : std::nullopt;
}

core::Result<locate::Bearing> ParseLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    std::vector<double> numbers;
    for (const std::string_view field : fields) {
        const auto number = FieldNumber(field);
        if (!number || (fields.size() != 3 && fields.size() != 4)) {
            return core::Result<locate::Bearing>::Fail(
                "expected EASTING,NORTHING,BEARING[,SIGMA] (3 or 4 "
                "numbers with '.' as decimal point): \"" +
                std::string(line) + "\"");
        }
        if (!std::isfinite(*number)) {
            return core::Result<locate::Bearing>::Fail("\"" + std::string(field) +
                                                       "\" is not a finite number");
        }
        numbers.push_back(*number);
    }
    locate::Bearing bearing{numbers[0], numbers[1], numbers[2], std::nullopt};
    if (!(bearing.bearingDeg >= 0 && bearing.bearingDeg <= 360)) {
        return core::Result<locate::Bearing>::Fail("the bearing " + std::string(fields[2]) +
                                                   " lies outside 0..360 degrees");
    }
    if (numbers.size() == 4) {
        if (!(numbers[3] > 0 && numbers[3] <= 90)) {
            return core::Result<locate::Bearing>::Fail("the sigma " + std::string(fields[3]) +
                                                       " lies outside (0, 90] degrees");
        }
        bearing.sigmaDeg = numbers[3];
    }
    return bearing;
}

// Every bearing line of the text, with its line number; blank lines and lines starting with '#' skipped.
core::Result<std::vector<NumberedBearing>> ParseBearings(std::string_view text, std::string_view source) {
    std::vector<NumberedBearing> bearings;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto bearing = ParseLine(line);
        if (!bearing) {
            return core::Result<std::vector<NumberedBearing>>::Fail(
                std::string(source) + ", line " + std::to_string(number) + ": " + bearing.message());
        }
        bearings.push_back({*bearing, number});
    }
    return bearings;
}

// Fewer than two bearings, or a line without a sigma among lines with one (when no --sigma covers it).
core::Outcome CheckBearingSet(const std::vector<NumberedBearing>& bearings, bool optionSigma,
                              std::string_view source) {
    if (bearings.size() < 2) {
        return core::Outcome::Fail(std::string(source) + " holds " + std::to_string(bearings.size()) +
                                   " bearing" + (bearings.size() == 1 ? "" : "s") +
                                   "; at least two are needed");
    }
    const NumberedBearing* withSigma = nullptr;
    const NumberedBearing* without = nullptr;
    for (const NumberedBearing& b : bearings) {
        if (!withSigma && b.bearing.sigmaDeg) {
            withSigma = &b;
        }
        if (!without && !b.bearing.sigmaDeg) {
            without = &b;
        }
    }
    if (withSigma && without && !optionSigma) {
        return core::Outcome::Fail(std::string(source) + ", line " + std::to_string(without->line) +
                                   ": no sigma, while line " + std::to_string(withSigma->line) +
                                   " has one; give every line a sigma, or --sigma for those without");
    }
    return core::Outcome::Ok();
}

core::Result<std::string> ReadInput(const std::string& name) {
    if (name != "-") {
        return persistence::ReadWholeFile(name, kMostInputBytes, "a bearings file");
    }
    std::string text;
    bool tooLong = false;
    ReadStandardInput([&](std::string_view chunk) {
        tooLong = text.size() + chunk.size() > kMostInputBytes;
        text.append(chunk.substr(0, tooLong ? 0 : chunk.size()));
        return !tooLong;
    });
    if (tooLong) {
        return core::Result<std::string>::Fail("standard input holds more than 256 MiB of bearings");
    }
    return text;
}

}  // namespace

// The options over the [Locate] settings (whose unusable values are warned about); nullopt after a usage
// error naming the option.
std::optional<locate::Options> LocateOptions(const Context& context) {
    const persistence::LocateSettingsRead settings =
        persistence::ReadLocateSettings(platform::SettingsFilePath());
    for (const std::string& problem : settings.problems) {
        PrintWarning(problem);
    }
    locate::Options options = settings.options;
    if (const auto method = context.args.Option("method")) {
        const auto parsed = locate::ParseMethod(*method);
        if (!parsed) {
            UsageError("--method must be mle, huber or andrews: \"" + *method + "\"");
            return std::nullopt;
        }
        options.method = *parsed;
    }
    struct Check {
        const char* name;
        bool (*valid)(double);
        const char* rule;
        void (*apply)(locate::Options&, double);
    };
    const Check checks[] = {
        {"tuning", [](double v) { return v > 0 && std::isfinite(v); }, "a number above 0",
         [](locate::Options& o, double v) { o.tuning = v; }},
        {"sigma", [](double v) { return v > 0 && v <= 90; }, "a number of degrees in (0, 90]",
         [](locate::Options& o, double v) { o.sigmaDeg = v; }},
        {"confidence", [](double v) { return v > 0 && v < 1; }, "a number between 0 and 1 (exclusive)",
         [](locate::Options& o, double v) { o.confidence = v; }},
    };
    for (const Check& check : checks) {
        const auto text = context.args.Option(check.name);
        if (!text) {
            continue;
        }
        const auto value = core::ReadRegional(*text, context.decimalSeparator);
        if (!value || !check.valid(*value)) {
            UsageError("--" + std::string(check.name) + " must be " + check.rule + ": \"" + *text + "\"");
            return std::nullopt;
        }
        check.apply(options, *value);
    }
    return options;
}

// --fox N: 1..5; nullopt when not given. Sets `bad` after a usage error.
std::optional<int> FoxOption(const Context& context, bool& bad) {
    const auto text = context.args.Option("fox");
    if (!text) {
        return std::nullopt;
    }
    const auto value = core::ReadRegional(*text, '.');
    if (!value || *value != std::floor(*value) || *value < 1 || *value > 5) {
        bad = true;
        UsageError("--fox must be a fox number 1..5: \"" + *text + "\"");
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

int RunLocate(const Context& context) {
    const auto logName = context.args.Option("log");
    if (!ExpectPositionals(context, 0, logName ? 0 : 1, kSynopsis)) {
        return kExitUsage;
    }
    if (!logName && context.args.Option("fox")) {
        return UsageError("--fox belongs to --log");
    }
    bool badFox = false;
    const std::optional<int> fox = FoxOption(context, badFox);
    if (badFox) {
        return kExitUsage;
    }
    const auto options = LocateOptions(context);
    if (!options) {
        return kExitUsage;
    }
    if (logName) {
        return RunLocateLog(*logName, fox, *options);
    }
    const std::string name = context.args.positional.empty() ? "-" : context.args.positional[0];
    const auto text = ReadInput(name);
    if (!text) {
        return Fail(text.message());
    }
    const std::string source = name == "-" ? "standard input" : persistence::DisplayPath(name);
    const auto numbered = ParseBearings(*text, source);
    if (!numbered) {
        return Fail(numbered.message());
    }
    if (const core::Outcome check = CheckBearingSet(*numbered, options->sigmaDeg.has_value(), source);
        !check) {
        return Fail(check.message());
    }
    std::vector<locate::Bearing> bearings;
    for (const NumberedBearing& b : *numbered) {
        bearings.push_back(b.bearing);
    }
    for (const std::string& line : LocateBlockLines(locate::Locate(bearings, *options))) {
        PrintLine(line);
    }
    return kExitOk;
}

}  // namespace vantrel::cli
