#include "hunt_log/log_follower.hpp"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

#include "hunt_log/event_json.hpp"
#include "hunt_log/log_reader.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::hunt_log {
namespace {

constexpr std::size_t kMostProblemsPerStep = 20;

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + persistence::DisplayPath(path) + "\"";
}

}  // namespace

LogFollower::LogFollower(std::filesystem::path path)
    : path_(std::move(path)), decoder_(std::make_unique<LineDecoder>()) {
    Restart();
}

LogFollower::~LogFollower() = default;
LogFollower::LogFollower(LogFollower&&) noexcept = default;
LogFollower& LogFollower::operator=(LogFollower&&) noexcept = default;

void LogFollower::Restart() {
    log_ = Log{};
    hasHeader_ = false;
    offset_ = 0;
    skipping_ = false;
    lineNumber_ = 0;
    badLines_ = 0;
    labelIndex_ = LabelIndex(log_.labels);
}

std::uint32_t LogFollower::Label(const std::string& text) {
    return labelIndex_.Index(log_.labels, text);
}

void LogFollower::Problem(FollowStep& step, const std::string& what) {
    ++badLines_;
    if (step.problems.size() < kMostProblemsPerStep) {
        step.problems.push_back("line " + std::to_string(lineNumber_) + " of " + Quoted(path_) + " " + what +
                                "; it was left out");
    }
}

core::Outcome LogFollower::TakeLine(std::string_view line, FollowStep& step) {
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    DecodedLine decoded;
    const core::Outcome outcome =
        line.empty() ? core::Outcome::Fail("is empty") : decoder_->Decode(line, decoded);
    if (!hasHeader_) {
        if (!outcome || decoded.kind != LineKind::Header) {
            return core::Outcome::Fail(Quoted(path_) + " is no bearing log: its first line is no header");
        }
        log_.header = decoded.header;
        hasHeader_ = true;
        return core::Outcome::Ok();
    }
    if (line.empty()) {
        return core::Outcome::Ok();
    }
    if (!outcome) {
        Problem(step, "is not a valid event: " + outcome.message());
        return core::Outcome::Ok();
    }
    switch (decoded.kind) {
        case LineKind::Bearing:
            PlaceInLogZone(decoded, log_.header.zone);
            decoded.bearing.station = Label(decoded.station);
            decoded.bearing.source = Label(decoded.source);
            log_.events.emplace_back(decoded.bearing);
            break;
        case LineKind::Position:
            log_.events.emplace_back(decoded.position);
            break;
        case LineKind::Edit:
            log_.events.emplace_back(std::move(decoded.edit));
            break;
        case LineKind::Truth:
            log_.truth.push_back(decoded.truth);
            return core::Outcome::Ok();
        case LineKind::Header:
        case LineKind::Unknown:
            return core::Outcome::Ok();
    }
    ++step.newEvents;
    return core::Outcome::Ok();
}

core::Result<FollowStep> LogFollower::ReadAppended() {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    if (error) {
        return core::Result<FollowStep>::Fail("Could not read " + Quoted(path_) + ": " + error.message());
    }
    if (size > kMostLogBytes) {
        return core::Result<FollowStep>::Fail(Quoted(path_) + " is " + std::to_string(size >> 20) +
                                              " MiB; a bearing log may be at most 256 MiB");
    }
    FollowStep step;
    if (size < offset_) {
        Restart();
        step.restarted = true;
    }
    if (size == offset_) {
        return step;
    }
    std::ifstream file(path_, std::ios::binary);
    if (!file || !file.seekg(static_cast<std::streamoff>(offset_))) {
        return core::Result<FollowStep>::Fail("Could not read " + Quoted(path_) + ": it could not be opened");
    }
    const std::uintmax_t want = std::min<std::uintmax_t>(size - offset_, kMostStepBytes);
    std::string bytes(static_cast<std::size_t>(want), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(want));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    step.more = offset_ + bytes.size() < size;

    std::size_t begin = 0;
    for (std::size_t end = bytes.find('\n'); end != std::string::npos; end = bytes.find('\n', begin)) {
        const std::string_view line(bytes.data() + begin, end - begin);
        begin = end + 1;
        if (skipping_) {
            skipping_ = false;
            ++lineNumber_;
            Problem(step, "is longer than 64 KiB");
            continue;
        }
        if (line.size() > kMostLineBytes + 1) {
            ++lineNumber_;
            Problem(step, "is longer than 64 KiB");
            continue;
        }
        if (const core::Outcome taken = TakeLine(line, step); !taken) {
            Restart();
            return core::Result<FollowStep>::Fail(taken.message());
        }
    }
    // The rest is a line still being written: read again with what finishes it, unless it is already too
    // long to be one.
    const std::size_t rest = bytes.size() - begin;
    if (skipping_ || rest > kMostLineBytes + 1) {
        skipping_ = true;
        begin = bytes.size();
    }
    offset_ += begin;
    return step;
}

}  // namespace vantrel::hunt_log
