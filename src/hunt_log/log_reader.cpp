#include "hunt_log/log_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/event_json.hpp"
#include "hunt_log/label_index.hpp"
#include "hunt_log/line_scan.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::hunt_log {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + persistence::DisplayPath(path) + "\"";
}

core::Outcome ReadFailure(const std::filesystem::path& path, const std::string& reason) {
    return core::Outcome::Fail("Could not read " + Quoted(path) + ": " + reason);
}

// Splits chunks into lines, carrying a line that runs over a chunk's end into the next.
class LineSplitter {
  public:
    LineSplitter(std::size_t mostLineBytes, const LineSink& sink) : most_(mostLineBytes), sink_(sink) {}

    void Feed(std::string_view chunk) {
        while (!chunk.empty()) {
            const std::size_t end = chunk.find('\n');
            if (end == std::string_view::npos) {
                Hold(chunk);
                return;
            }
            Complete(chunk.substr(0, end));
            chunk.remove_prefix(end + 1);
        }
    }

    [[nodiscard]] bool Torn() const { return skipping_ || !carry_.empty(); }
    [[nodiscard]] std::uint64_t Lines() const { return lines_; }

  private:
    void Hold(std::string_view part) {
        if (skipping_) {
            return;
        }
        if (carry_.size() + part.size() > most_ + 1) {  // + 1: a "\r" before the line end
            skipping_ = true;
            carry_.clear();
            carry_.shrink_to_fit();
            return;
        }
        carry_.append(part);
    }

    void Complete(std::string_view part) {
        ++lines_;
        if (skipping_) {
            skipping_ = false;
            sink_.tooLong(lines_);
            return;
        }
        std::string_view line = part;
        if (!carry_.empty()) {
            carry_.append(part);
            line = carry_;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > most_) {
            sink_.tooLong(lines_);
        } else {
            sink_.line(lines_, line);
        }
        carry_.clear();
    }

    std::size_t most_;
    const LineSink& sink_;
    std::string carry_;
    bool skipping_ = false;
    std::uint64_t lines_ = 0;
};

// Lines handed to a worker: their text one after the other, and where each ends.
struct Block {
    static constexpr std::uint32_t kTooLong = 0xFFFFFFFF;
    struct Line {
        std::uint64_t number;
        std::uint32_t end;  // in `text`; kTooLong for a line that was not kept
    };
    std::string text;
    std::vector<Line> lines;
};

// What a worker made of a block. Bearings' station and source index into the block's own labels.
struct BlockResult {
    std::vector<Event> events;
    std::vector<TruthFox> truth;
    std::vector<std::string> labels{""};
    std::vector<std::pair<std::uint64_t, std::string>> bad;  // line number, what is wrong
    std::size_t unknown = 0;
    std::size_t converted = 0;
};

// Decodes one block; runs on a worker thread and touches nothing but its arguments.
BlockResult DecodeBlock(const Block& block, geodesy::UtmZone zone) {
    BlockResult result;
    LabelIndex labelIndex(result.labels);
    auto label = [&](const std::string& text) { return labelIndex.Index(result.labels, text); };
    LineDecoder decoder;
    DecodedLine line;
    std::uint32_t begin = 0;
    for (const Block::Line& l : block.lines) {
        if (l.end == Block::kTooLong) {
            result.bad.emplace_back(l.number, "is longer than 64 KiB");
            continue;
        }
        const std::string_view text(block.text.data() + begin, l.end - begin);
        begin = l.end;
        if (text.empty()) {
            continue;
        }
        if (const core::Outcome decoded = decoder.Decode(text, line); !decoded) {
            result.bad.emplace_back(l.number, "is not a valid event: " + decoded.message());
            continue;
        }
        switch (line.kind) {
            case LineKind::Bearing:
                result.converted += PlaceInLogZone(line, zone) ? 1u : 0u;
                line.bearing.station = label(line.station);
                line.bearing.source = label(line.source);
                result.events.emplace_back(line.bearing);
                break;
            case LineKind::Position:
                result.events.emplace_back(line.position);
                break;
            case LineKind::Edit:
                result.events.emplace_back(std::move(line.edit));
                break;
            case LineKind::Truth:
                result.truth.push_back(line.truth);
                break;
            case LineKind::Header:
            case LineKind::Unknown:
                ++result.unknown;
                break;
        }
    }
    return result;
}

// Reads the header itself, then hands the lines after it in blocks to worker threads (as many at once as
// the machine has cores) and joins their results in file order.
class EventCollector {
  public:
    EventCollector(const std::filesystem::path& path, LogRead& result)
        : path_(path),
          result_(result),
          labels_(result.log.labels),
          mostInFlight_(std::max(1u, std::thread::hardware_concurrency())) {}

    void Line(std::uint64_t number, std::string_view text) {
        if (number == 1) {
            LineDecoder decoder;
            DecodedLine line;
            headerOutcome_ = decoder.Decode(text, line);
            if (headerOutcome_ && line.kind != LineKind::Header) {
                headerOutcome_ = core::Outcome::Fail("it is no header");
            }
            if (headerOutcome_) {
                result_.log.header = line.header;
            }
            return;
        }
        if (!headerOutcome_) {
            return;
        }
        block_.text.append(text);
        block_.lines.push_back({number, static_cast<std::uint32_t>(block_.text.size())});
        if (block_.text.size() >= kBlockBytes) {
            Dispatch();
        }
    }

    void TooLong(std::uint64_t number) {
        if (number == 1) {
            headerOutcome_ = core::Outcome::Fail("it is longer than 64 KiB");
        } else if (headerOutcome_) {
            block_.lines.push_back({number, Block::kTooLong});
        }
    }

    // Waits for every block; call once, after the last line.
    void Finish() {
        Dispatch();
        while (!inFlight_.empty()) {
            MergeOldest();
        }
    }

    [[nodiscard]] const core::Outcome& HeaderOutcome() const { return headerOutcome_; }

  private:
    static constexpr std::size_t kBlockBytes = 1 << 20;

    void Dispatch() {
        if (block_.lines.empty()) {
            return;
        }
        if (inFlight_.size() >= mostInFlight_) {
            MergeOldest();
        }
        auto block = std::make_shared<Block>(std::move(block_));
        block_ = Block{};
        block_.text.reserve(kBlockBytes + kMostLineBytes);
        const geodesy::UtmZone zone = result_.log.header.zone;
        try {
            inFlight_.push_back(
                std::async(std::launch::async, [block, zone] { return DecodeBlock(*block, zone); }));
        } catch (const std::system_error&) {  // no thread to be had: decoded here instead
            std::promise<BlockResult> done;
            done.set_value(DecodeBlock(*block, zone));
            inFlight_.push_back(done.get_future());
        }
    }

    void MergeOldest() {
        BlockResult block = inFlight_.front().get();
        inFlight_.pop_front();
        ReadReport& report = result_.report;
        auto& events = result_.log.events;
        for (Event& event : block.events) {
            if (auto* bearing = std::get_if<BearingEvent>(&event)) {
                bearing->station = labels_.Index(result_.log.labels, block.labels[bearing->station]);
                bearing->source = labels_.Index(result_.log.labels, block.labels[bearing->source]);
            }
            events.push_back(std::move(event));
        }
        result_.log.truth.insert(result_.log.truth.end(), block.truth.begin(), block.truth.end());
        report.eventsRead += block.events.size();
        report.unknownEvents += block.unknown;
        report.convertedFromOtherZone += block.converted;
        for (const auto& [number, what] : block.bad) {
            ++report.badLines;
            if (report.problems.size() < ReadReport::kMostProblems) {
                report.problems.push_back("line " + std::to_string(number) + " of " + Quoted(path_) + " " +
                                          what + "; it was left out");
            }
        }
    }

    const std::filesystem::path& path_;
    LogRead& result_;
    LabelIndex labels_;
    std::size_t mostInFlight_;
    Block block_;
    std::deque<std::future<BlockResult>> inFlight_;
    core::Outcome headerOutcome_ = core::Outcome::Fail("it is empty");
};

}  // namespace

bool PlaceInLogZone(DecodedLine& line, geodesy::UtmZone zone) {
    BearingEvent& b = line.bearing;
    if (!line.hasLatLon) {
        const geodesy::GeoPosition geo = geodesy::ZoneUtmToLatLon(b.zone, b.easting, b.northing);
        b.lat = geo.lat;
        b.lon = geo.lon;
    }
    const bool otherZone = line.hasGrid && !(b.zone == zone);
    if (!line.hasGrid || otherZone) {
        const core::PlanePoint point = geodesy::ZoneLatLonToUtm(zone, b.lat, b.lon);
        b.easting = point.x;
        b.northing = point.y;
    }
    b.zone = zone;
    return otherZone;
}

core::Result<ScanEnd> ScanLines(const std::filesystem::path& path, std::uintmax_t offset,
                                std::uintmax_t limit, std::size_t mostLineBytes, const LineSink& sink) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        return ReadFailure(path, ec.message());
    }
    if (!std::filesystem::is_regular_file(status)) {
        return ReadFailure(path, "it is not a regular file");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return ReadFailure(path, std::generic_category().message(errno));
    }
    if (offset > 0 && !file.seekg(static_cast<std::streamoff>(offset))) {
        return ReadFailure(path, "it is shorter than expected");
    }
    LineSplitter splitter(mostLineBytes, sink);
    std::string chunk(kChunkBytes, '\0');
    ScanEnd end;
    while (offset + end.bytes < limit) {
        const auto want =
            static_cast<std::streamsize>(std::min<std::uintmax_t>(kChunkBytes, limit - offset - end.bytes));
        file.read(chunk.data(), want);
        const std::streamsize got = file.gcount();
        if (got <= 0) {
            break;
        }
        end.bytes += static_cast<std::uintmax_t>(got);
        splitter.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    if (file.bad()) {
        return ReadFailure(path, "the system could not read it");
    }
    end.lines = splitter.Lines();
    end.torn = splitter.Torn();
    return end;
}

std::vector<std::string> ReadReport::Warnings(const std::filesystem::path& path) const {
    std::vector<std::string> warnings = problems;
    if (badLines > problems.size()) {
        warnings.push_back("and " + std::to_string(badLines - problems.size()) + " more lines of " +
                           Quoted(path) + " were left out");
    }
    if (tornLastLine) {
        warnings.push_back("the last line of " + Quoted(path) + " is incomplete; it was left out");
    }
    if (badLines > 0) {
        warnings.push_back(std::to_string(eventsRead) + " events of " + Quoted(path) + " were read");
    }
    return warnings;
}

core::Result<LogRead> ReadLog(const std::filesystem::path& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMostLogBytes) {
        return core::Result<LogRead>::Fail(Quoted(path) + " is " + std::to_string(size >> 20) +
                                           " MiB; a bearing log may be at most 256 MiB");
    }
    LogRead result;
    EventCollector collector(path, result);
    const LineSink sink{[&](std::uint64_t n, std::string_view line) { collector.Line(n, line); },
                        [&](std::uint64_t n) { collector.TooLong(n); }};
    const auto scanned = ScanLines(path, 0, kMostLogBytes, kMostLineBytes, sink);
    collector.Finish();
    if (!scanned) {
        return scanned.outcome();
    }
    if (scanned->lines == 0 && scanned->torn) {
        return core::Result<LogRead>::Fail("the first line of " + Quoted(path) +
                                           " is incomplete: it holds no bearing log yet");
    }
    if (!collector.HeaderOutcome()) {
        return core::Result<LogRead>::Fail(Quoted(path) +
                                           " is no bearing log: its first line is no header (" +
                                           collector.HeaderOutcome().message() + ")");
    }
    result.report.tornLastLine = scanned->torn;
    return result;
}

std::optional<geodesy::UtmZone> ReadLogZone(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    std::optional<geodesy::UtmZone> zone;
    LineDecoder decoder;
    DecodedLine decoded;
    const LineSink sink{
        [&](std::uint64_t number, std::string_view line) {
            if (number == 1 && decoder.Decode(line, decoded) && decoded.kind == LineKind::Header) {
                zone = decoded.header.zone;
            }
        },
        [](std::uint64_t) {}};
    if (!ScanLines(path, 0, kMostLineBytes + 1, kMostLineBytes, sink)) {
        return std::nullopt;
    }
    return zone;
}

}  // namespace vantrel::hunt_log
