// log FILE.fhl: the bearing log as a table. With --add, bearings read from standard input are appended
// (FOX,LAT,LON,BEARING[,SIGMA] per line, true bearings, taken now); --ignore, --unignore and --note append
// edits of a logged bearing.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/cli.hpp"
#include "cli/locate_log.hpp"
#include "core/number_text.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_log/log_writer.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "log FILE.fhl [--add [--zone ZONE] [--station NAME]] [--ignore ID] [--unignore ID] [--note ID TEXT]";

constexpr const char* kTableHeader =
    "id\ttime\tfox\tstation\tlat\tlon\tzone\teasting\tnorthing\tbearing\treference\tsigma\tsource\treadings\t"
    "ignored\tnote";

hunt_log::TimeMs Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A text field of the table: TABs and line ends would split it, so they become blanks; empty is "-".
std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text.empty() ? "-" : text;
}

std::string Row(const hunt_log::FoxBearing& b, int fox, const std::string& zone) {
    using core::ShortestText;
    const std::vector<std::string> fields{std::to_string(b.id),
                                          hunt_log::UtcText(b.time),
                                          std::to_string(fox),
                                          Field(b.station),
                                          ShortestText(b.lat),
                                          ShortestText(b.lon),
                                          zone,
                                          ShortestText(b.easting),
                                          ShortestText(b.northing),
                                          ShortestText(b.bearing),
                                          std::string(hunt_log::ReferenceText(b.reference)),
                                          std::isnan(b.sigma) ? "-" : ShortestText(b.sigma),
                                          Field(b.source),
                                          std::to_string(b.readings),
                                          b.ignored ? "yes" : "no",
                                          Field(b.note)};
    std::string line;
    for (const std::string& field : fields) {
        line += (line.empty() ? "" : "\t") + field;
    }
    return line;
}

int PrintTable(const std::filesystem::path& path) {
    const auto read = ReadAndWarn(path);
    if (!read) {
        return kExitFailure;
    }
    const hunt_log::HuntState state = hunt_log::StateAt(read->log);
    std::unordered_map<std::uint64_t, std::pair<int, const hunt_log::FoxBearing*>> byId;
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        for (const hunt_log::FoxBearing& b : state.Fox(fox)) {
            byId[b.id] = {fox, &b};
        }
    }
    const std::string zone = geodesy::ZoneText(state.zone);
    PrintLine(kTableHeader);
    for (const hunt_log::Event& event : read->log.events) {
        if (const auto* bearing = std::get_if<hunt_log::BearingEvent>(&event)) {
            // A repeated id (another program's log) is shown once, as the fold left it.
            const auto found = byId.find(bearing->id);
            if (found != byId.end()) {
                PrintLine(Row(*found->second.second, found->second.first, zone));
                byId.erase(found);
            }
        }
    }
    // A damaged line is an error even though the rest was shown: scripts must notice.
    return read->report.badLines > 0 ? kExitFailure : kExitOk;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// One input line FOX,LAT,LON,BEARING[,SIGMA]; the message names what is wrong.
core::Result<hunt_log::NewBearing> ParseBearingLine(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(Trimmed(line.substr(start, comma - start)));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() != 4 && fields.size() != 5) {
        return core::Result<hunt_log::NewBearing>::Fail("it is not FOX,LAT,LON,BEARING[,SIGMA]");
    }
    constexpr const char* kNames[] = {"fox", "latitude", "longitude", "bearing", "sigma"};
    std::vector<double> numbers;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto value = core::ReadRegional(fields[i], '.');
        if (!value || !std::isfinite(*value)) {
            return core::Result<hunt_log::NewBearing>::Fail(std::string(kNames[i]) + " \"" +
                                                            std::string(fields[i]) + "\" is not a number");
        }
        numbers.push_back(*value);
    }
    if (numbers[0] != std::floor(numbers[0]) || numbers[0] < 1 || numbers[0] > hunt_log::kFoxCount) {
        return core::Result<hunt_log::NewBearing>::Fail("fox \"" + std::string(fields[0]) + "\" is not 1..5");
    }
    hunt_log::NewBearing bearing;
    bearing.fox = static_cast<int>(numbers[0]);
    bearing.lat = numbers[1];
    bearing.lon = numbers[2];
    bearing.bearing = numbers[3];
    bearing.reference = hunt_log::Reference::True;
    if (numbers.size() == 5) {
        bearing.sigma = numbers[4];
    }
    if (auto checked = hunt_log::CheckNewBearing(bearing); !checked) {
        return checked;
    }
    return bearing;
}

// Every input line is checked before the first is logged: a mistake logs nothing.
std::optional<std::vector<hunt_log::NewBearing>> ReadInputBearings(std::istream& input) {
    std::vector<hunt_log::NewBearing> bearings;
    std::string line;
    for (std::size_t number = 1; std::getline(input, line); ++number) {
        const std::string_view text = Trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        auto bearing = ParseBearingLine(text);
        if (!bearing) {
            Fail("input line " + std::to_string(number) + ": " + bearing.message() + "; nothing was logged");
            return std::nullopt;
        }
        bearings.push_back(std::move(*bearing));
    }
    return bearings;
}

int AddBearings(const Context& context, const std::filesystem::path& path) {
    std::optional<geodesy::UtmZone> zone;
    if (const auto text = context.args.Option("zone")) {
        zone = geodesy::ParseUtmZone(*text);
        if (!zone) {
            return UsageError("--zone is not a UTM zone (32U): \"" + *text + "\"");
        }
    }
    auto bearings = ReadInputBearings(std::cin);
    if (!bearings) {
        return kExitFailure;
    }
    if (bearings->empty()) {
        return Fail(
            "no bearings on standard input (FOX,LAT,LON,BEARING[,SIGMA] per line); nothing was logged");
    }
    const auto zoneIfNew = hunt_log::ZoneOfNewLog(
        std::nullopt, zone, geodesy::GeoPosition{bearings->front().lat, bearings->front().lon});
    if (!zoneIfNew) {
        return Fail(zoneIfNew.message());
    }
    auto writer = hunt_log::LogWriter::Open(path, *zoneIfNew, Now());
    if (!writer) {
        return Fail(writer.message());
    }
    if (zone && !writer->Created() && !(*zone == writer->header().zone)) {
        PrintWarning("the log is in zone " + geodesy::ZoneText(writer->header().zone) + "; --zone " +
                     geodesy::ZoneText(*zone) + " counts only for a new log");
    }
    const std::string station = context.args.Option("station").value_or("vantrel-cli");
    for (hunt_log::NewBearing& bearing : *bearings) {
        bearing.time = Now();
        bearing.station = station;
        const auto id = writer->AppendBearing(bearing);
        if (!id) {
            return Fail(id.message());
        }
        PrintLine(std::to_string(*id));
    }
    return kExitOk;
}

// --ignore ID, --unignore ID, --note ID TEXT.
int AppendEdit(const Context& context, const std::filesystem::path& path, const std::string& option) {
    const std::string text = *context.args.Option(option);
    const auto id = core::ReadRegional(text, '.');
    if (!id || *id != std::floor(*id) || *id < 1 || *id > 9e15) {
        return UsageError("--" + option + " needs a bearing id (1, 2, ...): \"" + text + "\"");
    }
    const bool isNote = option == "note";
    if (!ExpectPositionals(context, isNote ? 2 : 1, isNote ? 2 : 1, kSynopsis)) {
        return kExitUsage;
    }
    hunt_log::EditEvent edit;
    edit.id = static_cast<std::uint64_t>(*id);
    edit.time = Now();
    if (isNote) {
        edit.note = context.args.positional[1];
    } else {
        edit.ignore = option == "ignore";
    }
    const auto read = ReadAndWarn(path);
    if (!read) {
        return kExitFailure;
    }
    const bool known = std::any_of(read->log.events.begin(), read->log.events.end(), [&](const auto& event) {
        const auto* bearing = std::get_if<hunt_log::BearingEvent>(&event);
        return bearing != nullptr && bearing->id == edit.id;
    });
    if (!known) {
        return Fail("there is no bearing " + text + " in \"" + persistence::Utf8FromPath(path) +
                    "\"; nothing was logged");
    }
    auto writer = hunt_log::LogWriter::Open(path, std::nullopt, edit.time);
    if (!writer) {
        return Fail(writer.message());
    }
    return FailWith(writer->AppendEdit(edit));
}

}  // namespace

int RunLog(const Context& context) {
    const Arguments& args = context.args;
    std::vector<std::string> actions;
    for (const char* action : {"add", "ignore", "unignore", "note"}) {
        if (args.Option(action)) {
            actions.emplace_back(action);
        }
    }
    if (actions.size() > 1) {
        return UsageError("--" + actions[0] + " and --" + actions[1] + " cannot be given together");
    }
    const bool adding = !actions.empty() && actions[0] == "add";
    for (const char* addOnly : {"zone", "station"}) {
        if (!adding && args.Option(addOnly)) {
            return UsageError("--" + std::string(addOnly) + " belongs to --add");
        }
    }
    if (adding && args.Option("add")->size() > 0) {
        return UsageError("--add takes no value");
    }
    if (args.positional.empty()) {
        return UsageError(std::string("usage: vantrel-cli ") + kSynopsis);
    }
    const std::filesystem::path path = persistence::PathFromUtf8(args.positional[0]);
    if (!actions.empty() && !adding) {
        return AppendEdit(context, path, actions[0]);
    }
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    return adding ? AddBearings(context, path) : PrintTable(path);
}

}  // namespace vantrel::cli
