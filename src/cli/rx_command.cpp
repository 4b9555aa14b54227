#include <QEventLoop>

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
class LineMonitor {
  public:
    LineMonitor(instruments::RxFormat format, char decimalSeparator) : reader_(format, decimalSeparator) {}

    void Feed(std::string_view chunk) {
        reader_.Feed(chunk, [](std::string_view line, const instruments::RxLineReading& read) {
            if (read.bearing) {
                PrintLineNow(core::ShortestText(*read.bearing) + "\t" + core::ShortestText(read.signal));
            } else {
                PrintLineNow("skipped\t" + std::string(line));
            }
            return true;
        });
    }

  private:
    instruments::RxReader reader_;
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
