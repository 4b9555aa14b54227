#include <QEventLoop>

#include "cli/cli.hpp"
#include "cli/instrument_input.hpp"
#include "core/number_text.hpp"
#include "instruments/rx_line.hpp"
#include "platform/instrument_port.hpp"
#include "platform/receiver_session.hpp"

namespace vantrel::cli {
namespace {

// One output line per complete receiver line: bearing and signal, or "skipped" and the line as received.
class LineMonitor {
  public:
    explicit LineMonitor(char decimalSeparator) : decimalSeparator_(decimalSeparator) {}

    void Feed(std::string_view chunk) {
        framer_.Feed(chunk, [this](std::string_view line) {
            const instruments::ReceiverLine read = instruments::ReadReceiverLine(line, decimalSeparator_);
            if (read.bearing) {
                PrintLineNow(core::ShortestText(*read.bearing) + "\t" + core::ShortestText(read.signal));
            } else {
                PrintLineNow("skipped\t" + std::string(line));
            }
            return true;
        });
    }

  private:
    char decimalSeparator_;
    instruments::RxLineFramer framer_;
};

int FromDevice(LineMonitor& monitor, const QString& device) {
    platform::InstrumentPort port;
    if (const core::Outcome opened = port.Open(device, platform::ReceiverSession::kBaudRate); !opened) {
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
    if (!ExpectPositionals(context, 0, 1, "rx [DEVICE|-]")) {
        return kExitUsage;
    }
    LineMonitor monitor(context.decimalSeparator);
    const std::optional<QString> device = DeviceArgument(context);
    if (!device) {
        ReadStandardInput([&](std::string_view chunk) {
            monitor.Feed(chunk);
            return true;
        });
        return kExitOk;
    }
    return FromDevice(monitor, *device);
}

}  // namespace vantrel::cli
