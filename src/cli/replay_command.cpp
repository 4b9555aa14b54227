// replay FILE.fhl --at TIME: the fixes of each fox as `locate --log` prints them for the log cut at TIME.
// replay FILE.fhl --plot OUT.png: how each fox's fix settled over the hunt (hunt_picture/settle_plot.hpp).

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <string>

#include "cli/cli.hpp"
#include "cli/locate_log.hpp"
#include "fox_fix/settle.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_picture/settle_plot.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/file_access.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "replay FILE.fhl (--at TIME | --plot OUT.png) [--fox N] [--method mle|huber|andrews] [--tuning C] "
    "[--sigma DEG] [--confidence P]";

constexpr int kPlotWidth = 1200;
constexpr int kPanelHeight = 360;

bool EndsWithPng(const std::string& name) {
    std::string end = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
    return end == ".png";
}

int WriteSettlePlot(const std::string& logName, const std::string& out, std::optional<int> fox,
                    const locate::Options& options) {
    const auto read = ReadAndWarn(persistence::PathFromUtf8(logName));
    if (!read) {
        return kExitFailure;
    }
    const std::vector<fox_fix::SettleSeries> series = fox_fix::SettleOverTime(read->log, options, fox);
    if (series.empty()) {
        return Fail("no fox in \"" + logName + "\" has a fix to follow over time");
    }
    hunt_log::TimeMs start = series.front().points.front().time;
    for (const hunt_log::Event& event : read->log.events) {
        start = std::min(start, hunt_log::TimeOf(event));
    }
    const QImage image = hunt_picture::DrawSettlePlot(
        series, QSize(kPlotWidth, kPanelHeight * static_cast<int>(series.size())),
        {start, options.confidence});
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return Fail(persistence::DisplayPath(out) + ": the plot could not be encoded as PNG");
    }
    return FailWith(persistence::WriteFileAtomically(
        persistence::PathFromUtf8(out),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

}  // namespace

int RunReplay(const Context& context) {
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    const auto at = context.args.Option("at");
    const auto plot = context.args.Option("plot");
    if (!at && !plot) {
        return UsageError("replay needs --at TIME or --plot OUT.png");
    }
    if (plot && !EndsWithPng(*plot)) {
        return UsageError("--plot writes a PNG picture: give a name ending in .png, not \"" + *plot + "\"");
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
    const std::string& logName = context.args.positional[0];
    if (plot) {
        if (const core::Outcome distinct = CheckOutputIsNoInput(*plot, {logName}); !distinct) {
            return Fail(distinct.message());
        }
        if (const int written = WriteSettlePlot(logName, *plot, fox, *options); written != kExitOk || !at) {
            return written;
        }
    }
    return RunLocateLog(logName, fox, *options, at);
}

}  // namespace vantrel::cli
