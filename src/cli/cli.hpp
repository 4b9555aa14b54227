#pragma once

// vantrel-cli: each command is one small function over the same commands the windows use.
// Output lines end with "\n" and fields are separated by one TAB; an error is one line on stderr and
// exit code 1; a usage error exit code 2.

#include <array>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/outcome.hpp"
#include "geodesy/zone_warning.hpp"
#include "quality/fix_quality.hpp"

namespace vantrel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A command's arguments: positionals, and "--name value" / "--name=value" options. Only tokens that start
// with "--" are options, so negative numbers stay positional.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    [[nodiscard]] std::optional<std::string> Option(const std::string& name) const;
};

struct Context {
    char decimalSeparator = '.';
    Arguments args;
};

using CommandFunction = int (*)(const Context&);

struct Command {
    const char* name;
    const char* synopsis;  // "to-utm LAT LON"
    const char* summary;
    CommandFunction run;
    std::vector<std::string> valueOptions;  // options that take a value ("foxes" for --foxes PATH)
};

const std::vector<Command>& AllCommands();

// Options that take no value ("add" of `log --add`); every other option takes one (Command::valueOptions).
bool IsFlagOption(const Command& command, std::string_view option);

// Output helpers.
void PrintLine(std::string_view line);
int Fail(std::string_view message);          // prints "vantrel-cli: <message>" on stderr, returns 1
int UsageError(std::string_view message);    // prints the message and a hint, returns 2
int FailWith(const core::Outcome& outcome);  // kExitOk or Fail(message)
void PrintWarning(
    std::string_view message);  // prints "vantrel-cli: <message>" on stderr; the command goes on

// Reads a number argument with the regional reading; nullopt after printing a usage error.
std::optional<double> NumberArgument(const Context& context, std::size_t index, std::string_view name);

// "-o OUT" is a short option, which the common argument split leaves among the positionals: takes it out.
std::optional<std::string> TakeShortOutputOption(std::vector<std::string>& positional);
// --sigma DEG, --sigma-floor DEG and --confidence P over the defaults; nullopt after printing a usage error
// naming the option (not a number, a sigma below 0 or above 180 degrees, a confidence outside (0, 1)).
std::optional<quality::QualitySettings> QualityOptions(const Context& context);
inline const std::vector<std::string> kQualityOptionNames{"sigma", "sigma-floor", "confidence"};

// Refuses an output file that is the same file as one of the inputs (links followed, so a link or a second
// name of an input counts too): writing it would destroy the input before, or instead of, the result. An
// output or input that does not exist yet cannot be the same file. Fail-style message naming both.
core::Outcome CheckOutputIsNoInput(const std::string& output, const std::vector<std::string>& inputs);

// The stations' zone boxes as --zone ZONE[,ZONE] gives them (one zone for both, or station 1's and station
// 2's); both empty without the option; nullopt after a usage error naming the option.
using ZoneBoxes = std::array<std::string, 2>;
std::optional<ZoneBoxes> ZoneBoxesOption(const Context& context);
inline constexpr const char* kZoneBoxesSynopsis = "[--zone ZONE[,ZONE]]";
// Prints the window's zone warnings of the given checks on stderr, leaving out one that an earlier one
// already says; stdout is not touched.
void PrintZoneWarnings(const ZoneBoxes& boxes, std::initializer_list<geodesy::ZoneCheck> checks);

// Checks the count of positional arguments; prints a usage error when it is wrong.
bool ExpectPositionals(const Context& context, std::size_t min, std::size_t max, std::string_view synopsis);

// The commands.
int RunToUtm(const Context& context);
int RunToGeo(const Context& context);
int RunSolve(const Context& context);
int RunOverlays(const Context& context);
int RunShow(const Context& context);
int RunConvert(const Context& context);
int RunExport(const Context& context);
int RunUpdateDb(const Context& context);
int RunGps(const Context& context);
int RunRx(const Context& context);
int RunSchedule(const Context& context);
int RunAverage(const Context& context);
int RunMap(const Context& context);
int RunAssess(const Context& context);
int RunLog(const Context& context);
int RunLocate(const Context& context);
int RunLive(const Context& context);

}  // namespace vantrel::cli
