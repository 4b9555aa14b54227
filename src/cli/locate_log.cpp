#include "cli/locate_log.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "cli/locate_block.hpp"
#include "fox_fix/fox_fix.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::cli {
namespace {

std::string BearingCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " bearing" : " bearings");
}

}  // namespace

std::optional<hunt_log::TimeMs> ReplayTime(std::string_view text, const hunt_log::Log& log) {
    if (text.empty() || text.front() != '+') {
        return hunt_log::ParseUtcText(text);
    }
    text.remove_prefix(1);
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(seconds >= 0) ||
        seconds > 1e9 || log.events.empty()) {
        return std::nullopt;
    }
    hunt_log::TimeMs first = hunt_log::TimeOf(log.events.front());
    for (const hunt_log::Event& event : log.events) {
        first = std::min(first, hunt_log::TimeOf(event));
    }
    return first + std::llround(seconds * 1000);
}

std::optional<hunt_log::LogRead> ReadAndWarn(const std::filesystem::path& path) {
    auto read = hunt_log::ReadLog(path);
    if (!read) {
        Fail(read.message());
        return std::nullopt;
    }
    for (const std::string& warning : read->report.Warnings(path)) {
        PrintWarning(warning);
    }
    return std::move(*read);
}

int RunLocateLog(const std::string& logName, std::optional<int> fox, const locate::Options& options,
                 const std::optional<std::string>& at) {
    const auto read = ReadAndWarn(persistence::PathFromUtf8(logName));
    if (!read) {
        return kExitFailure;
    }
    std::optional<hunt_log::TimeMs> until;
    if (at) {
        until = ReplayTime(*at, read->log);
        if (!until) {
            return UsageError(
                "--at must be a UTC time like 2026-12-08T14:05:00Z or +SECONDS after the first "
                "event of the log: \"" +
                *at + "\"");
        }
    }
    const hunt_log::HuntState state = hunt_log::StateAt(read->log, until);
    const std::string& name = logName;
    std::vector<fox_fix::FoxFix> fixes;
    for (int f = fox.value_or(1); f <= fox.value_or(hunt_log::kFoxCount); ++f) {
        fox_fix::FoxFix fix = fox_fix::FixOfFox(state, f, options);
        if (fix.outcome) {
            fixes.push_back(std::move(fix));
        } else if (fox || !fix.bearings.empty()) {
            const std::string message = "fox " + std::to_string(f) + " has " +
                                        BearingCount(fix.bearings.size()) + " in \"" + name +
                                        "\" that are not ignored; at least two are needed";
            if (fox) {
                return Fail(message);
            }
            PrintWarning(message);
        }
    }
    if (fixes.empty()) {
        return Fail("no fox in \"" + name + "\" has two bearings that are not ignored");
    }
    for (const fox_fix::FoxFix& fix : fixes) {
        PrintLine("F" + std::to_string(fix.fox));
        for (const std::string& line : LocateBlockLines(*fix.outcome)) {
            PrintLine(line);
        }
    }
    return kExitOk;
}

}  // namespace vantrel::cli
