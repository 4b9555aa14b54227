#include <QEventLoop>

#include <algorithm>
#include <string>

#include "cli/cli.hpp"
#include "cli/instrument_input.hpp"
#include "core/number_text.hpp"
#include "instruments/rx_formats.hpp"
#include "platform/instrument_port.hpp"
#include "platform/receiver_session.hpp"

namespace vantrel::cli {
namespace {

std::string Synopsis() {
    return "rx [--format " + instruments::RxFormatNames("|") + "] [--baud N] [DEVICE|-]";
}

// One output line per complete receiver line: bearing and signal, or "skipped" and the line as received.
//
// The fixed format's reader frames lines as the window files them: they end at CR LF, a lone LF stays in the
// line, and a line too long to read is dropped at its end without a word. So that nothing vanishes unseen, a
// line that grows past that length is shown as skipped when it does (its start and the limit), and the first
// lone LF brings one note on stderr saying how such lines are read.
class LineMonitor {
  public:
    LineMonitor(instruments::RxFormat format, char decimalSeparator) : reader_(format, decimalSeparator) {}

    void Feed(std::string_view chunk) {
        if (reader_.format() != instruments::RxFormat::Fixed) {
            Read(chunk);
            return;
        }
        std::size_t from = 0;
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            if (WatchFixed(chunk[i])) {
                Read(chunk.substr(from, i + 1 - from));  // what came before, in its order
                from = i + 1;
                PrintLineNow("skipped\t" + start_ + "... (more than " + std::to_string(kMaxLine) +
                             " bytes without a CR LF line end)");
            }
        }
        Read(chunk.substr(from));
    }

  private:
    static constexpr std::size_t kMaxLine = instruments::RxLineFramer::kMaxLine;
    static constexpr std::size_t kShownOfOverlong = 80;

    void Read(std::string_view bytes) {
        reader_.Feed(bytes, [](std::string_view line, const instruments::RxLineReading& read) {
            if (read.bearing) {
                PrintLineNow(core::ShortestText(*read.bearing) + "\t" + core::ShortestText(read.signal));
            } else {
                PrintLineNow("skipped\t" + std::string(line));
            }
            return true;
        });
    }

    // Follows the fixed format's open line; true when it has just grown past what the reader takes (beyond
    // the line and its CR: the reader drops it whatever follows).
    bool WatchFixed(char c) {
        const bool lineEnd = c == '\n' && previous_ == '\r';
        if (c == '\n' && !lineEnd && !warnedLoneLf_) {
            PrintWarning(
                "a line ends at a LF without CR: the fixed format's lines end at CR LF, so it is read "
                "together with what follows up to the next CR LF");
            warnedLoneLf_ = true;
        }
        previous_ = c;
        if (lineEnd) {
            length_ = 0;
            start_.clear();
            return false;
        }
        if (start_.size() < kShownOfOverlong) {
            start_ += c;
        }
        return ++length_ == kMaxLine + 2;
    }

    instruments::RxReader reader_;
    std::string start_;       // the first bytes of the fixed format's open line
    std::size_t length_ = 0;  // its length so far, CR LF not counted
    char previous_ = '\0';
    bool warnedLoneLf_ = false;
};

int FromDevice(LineMonitor& monitor, const QString& device, int baudRate) {
    platform::InstrumentPort port;
    if (const core::Outcome opened = port.Open(device, baudRate); !opened) {
        return FailWith(opened);
    }
    QEventLoop loop;
    int exitCode = kExitOk;
    QObject::connect(&port, &platform::InstrumentPort::received, &loop, [&](const QByteArray& bytes) {
        monitor.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    });
    QObject::connect(&port, &platform::InstrumentPort::disconnected, &loop, [&](const QString& message) {
        exitCode = Fail(message.toStdString());
        loop.quit();
    });
    loop.exec();
    return exitCode;
}

}  // namespace

int RunRx(const Context& context) {
    if (!ExpectPositionals(context, 0, 1, Synopsis())) {
        return kExitUsage;
    }
    const std::string formatName = context.args.Option("format").value_or("fixed");
    const auto format = instruments::ParseRxFormat(formatName);
    if (!format) {
        return UsageError("--format: \"" + formatName + "\" is not a receiver format (" +
                          instruments::RxFormatNames(", ") + ")");
    }
    int baudRate = instruments::DefaultBaudRate(*format);
    if (const auto baud = context.args.Option("baud")) {
        const bool digits =
            !baud->empty() && baud->size() <= 7 && baud->find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(*baud) == 0) {
            return UsageError("--baud: \"" + *baud + "\" is not a line speed");
        }
        baudRate = std::stoi(*baud);
    }
    LineMonitor monitor(*format, context.decimalSeparator);
    const std::optional<QString> device = DeviceArgument(context);
    if (!device) {
        ReadStandardInput([&](std::string_view chunk) {
            monitor.Feed(chunk);
            return true;
        });
        return kExitOk;
    }
    return FromDevice(monitor, *device, baudRate);
}

}  // namespace vantrel::cli
