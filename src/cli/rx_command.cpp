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

constexpr const char* kSynopsis = "rx [--format fixed|agrelo|kn5r|aprs] [--baud N] [DEVICE|-]";

// One output line per complete receiver line: bearing and signal, or "skipped" and the line as received.
//
// The fixed format's receivers end their lines at CR LF, and its reader keeps a lone LF inside the line
// and drops a line too long to read without a word. A monitor shows every line as it comes instead: a line
// ended by a LF alone, and one longer than the reader takes, are shown as skipped at their LF; lines ended
// by CR LF go to the reader, which reads them as the window files them.
class LineMonitor {
  public:
    LineMonitor(instruments::RxFormat format, char decimalSeparator) : reader_(format, decimalSeparator) {}

    void Feed(std::string_view chunk) {
        if (reader_.format() != instruments::RxFormat::Fixed) {
            Read(chunk);
            return;
        }
        while (!chunk.empty()) {
            const std::size_t lf = chunk.find('\n');
            Collect(chunk.substr(0, lf));
            if (lf == std::string_view::npos) {
                return;
            }
            chunk.remove_prefix(lf + 1);
            EndFixedLine();
        }
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

    // Keeps at most one line and its CR; counts the rest.
    void Collect(std::string_view bytes) {
        if (bytes.empty()) {
            return;
        }
        length_ += bytes.size();
        endsWithCr_ = bytes.back() == '\r';
        const std::size_t room = kMaxLine + 1 - std::min(pending_.size(), kMaxLine + 1);
        pending_.append(bytes.substr(0, room));
    }

    void EndFixedLine() {
        const std::size_t lineLength = endsWithCr_ ? length_ - 1 : length_;
        if (lineLength > kMaxLine) {
            PrintLineNow("skipped\t" + pending_.substr(0, kShownOfOverlong) + "... (" +
                         std::to_string(lineLength) + " bytes, longer than " + std::to_string(kMaxLine) +
                         ")");
        } else if (endsWithCr_) {
            Read(pending_ + "\n");
        } else if (length_ > 0) {
            PrintLineNow("skipped\t" + pending_);
        }
        pending_.clear();
        length_ = 0;
        endsWithCr_ = false;
    }

    instruments::RxReader reader_;
    std::string pending_;     // the line so far, cut after kMaxLine + 1 bytes
    std::size_t length_ = 0;  // its whole length
    bool endsWithCr_ = false;
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
    if (!ExpectPositionals(context, 0, 1, kSynopsis)) {
        return kExitUsage;
    }
    const std::string formatName = context.args.Option("format").value_or("fixed");
    const auto format = instruments::ParseRxFormat(formatName);
    if (!format) {
        return UsageError("--format: \"" + formatName +
                          "\" is not a receiver format (fixed, agrelo, kn5r, aprs)");
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
