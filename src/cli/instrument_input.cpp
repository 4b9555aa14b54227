#include "cli/instrument_input.hpp"

#include <QRegularExpression>

#include <array>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/serial_ports.hpp"

namespace vantrel::cli {

std::optional<QString> DeviceArgument(const Context& context) {
    if (context.args.positional.empty() || context.args.positional[0] == "-") {
        return std::nullopt;
    }
    const QString argument = QString::fromStdString(context.args.positional[0]);
    static const QRegularExpression kPortName(QStringLiteral("^COM([0-9]{1,4})$"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = kPortName.match(argument); match.hasMatch()) {
        return platform::SerialDeviceName(match.captured(1).toInt());
    }
    return argument;
}

namespace {

// Whatever has arrived, without waiting for a full buffer: a live stream is handled as it comes.
long ReadSome(char* buffer, unsigned size) {
#ifdef _WIN32
    return _read(0, buffer, size);
#else
    return static_cast<long>(::read(STDIN_FILENO, buffer, size));
#endif
}

}  // namespace

void ReadStandardInput(const std::function<bool(std::string_view)>& onChunk) {
    std::array<char, 65536> buffer{};
    for (;;) {
        const long n = ReadSome(buffer.data(), static_cast<unsigned>(buffer.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || !onChunk(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return;
        }
    }
}

void PrintLineNow(std::string_view line) {
    PrintLine(line);
    std::fflush(stdout);
}

}  // namespace vantrel::cli
