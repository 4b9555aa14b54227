#include "cli/instrument_input.hpp"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
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

// Waits until standard input has something to read (or has ended) or the deadline passes; false at the
// deadline.
bool WaitForInput(std::optional<std::chrono::steady_clock::time_point> deadline) {
#ifdef _WIN32
    (void)deadline;
    return true;
#else
    if (!deadline) {
        return true;
    }
    // The deadline is looked at before every read, so a stream that never pauses ends at it too.
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            return true;  // data, the end, or an error the read reports
        }
    }
#endif
}

}  // namespace

InputEnd ReadStandardInput(const std::function<bool(std::string_view)>& onChunk,
                           std::optional<std::chrono::steady_clock::time_point> deadline) {
    std::array<char, 65536> buffer{};
    for (;;) {
        if (!WaitForInput(deadline)) {
            return InputEnd::TimedOut;
        }
        const long n = ReadSome(buffer.data(), static_cast<unsigned>(buffer.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return InputEnd::Ended;
        }
        if (!onChunk(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return InputEnd::Stopped;
        }
    }
}

void PrintLineNow(std::string_view line) {
    PrintLine(line);
    std::fflush(stdout);
}

}  // namespace vantrel::cli
