#include "cli/live_sources.hpp"

#include <array>
#include <cerrno>
#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/gps_position_request.hpp"

namespace vantrel::cli {
namespace {

void Feed(LiveSink& sink, ByteStream stream, std::string_view bytes) {
    (stream == ByteStream::Gps ? sink.gpsBytes : sink.receiverBytes)(bytes);
}

#ifndef _WIN32
// The write end of TerminationWatch's pipe: a signal handler can reach nothing else. Set and cleared only
// by TerminationWatch, of which there is one at a time.
volatile std::sig_atomic_t gTerminationFd = -1;

extern "C" void OnTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (gTerminationFd >= 0) {
        [[maybe_unused]] const auto written = ::write(gTerminationFd, &byte, 1);
    }
    errno = savedErrno;
}
#endif

}  // namespace

core::Outcome SerialLiveSource::Start(LiveSink& sink) {
    if (const core::Outcome opened = port_.Open(device_, baudRate_); !opened) {
        return opened;
    }
    port_.ClearInput();
    sinceOpening_.start();
    quiet_.setSingleShot(true);
    QObject::connect(&quiet_, &QTimer::timeout, &port_, [this] {
        // Bytes that came during the wait but were not read yet are stale too: reading them starts it again.
        if (!port_.PollInput() && port_.IsOpen()) {
            listening_ = true;
        }
    });
    QObject::connect(&port_, &platform::InstrumentPort::received, &port_,
                     [this, &sink](const QByteArray& bytes) { OnReceived(sink, bytes); });
    QObject::connect(&port_, &platform::InstrumentPort::disconnected, &port_,
                     [this, &sink](const QString& message) {
                         quiet_.stop();
                         sink.ended(device_.toStdString() + ": " + message.toStdString());
                     });
    quiet_.start(platform::GpsPositionRequest::kQuietMilliseconds);
    return core::Outcome::Ok();
}

void SerialLiveSource::OnReceived(LiveSink& sink, const QByteArray& bytes) {
    if (!listening_) {
        if (sinceOpening_.elapsed() < platform::GpsPositionRequest::kLongestDiscardMilliseconds) {
            quiet_.start(platform::GpsPositionRequest::kQuietMilliseconds);  // sent before the opening
            return;
        }
        quiet_.stop();
        listening_ = true;  // a unit that never pauses: heard from now on
    }
    Feed(sink, stream_, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

core::Outcome GpsdLiveSource::Start(LiveSink& sink) {
    QObject::connect(&client_, &platform::GpsdClient::sample, &client_,
                     [&sink](const instruments::GpsSample& fix, qint64) { sink.gpsFix(fix); });
    QObject::connect(&client_, &platform::GpsdClient::status, &client_, [&sink](const QString& text) {
        if (text.contains(QStringLiteral("retrying")) || text.endsWith(QStringLiteral("no fix"))) {
            sink.problem(text.toStdString());
        }
    });
    client_.Start(address_);
    return core::Outcome::Ok();
}

core::Outcome NetworkLiveSource::Start(LiveSink& sink) {
    QObject::connect(
        &poller_, &platform::NetworkDfPoller::frame, &poller_, [&sink](const QByteArray& body, qint64, bool) {
            sink.networkBody(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
        });
    QObject::connect(&poller_, &platform::NetworkDfPoller::status, &poller_, [&sink](const QString& text) {
        if (text.contains(QStringLiteral("retrying"))) {
            sink.problem(text.toStdString());
        }
    });
    poller_.Start(address_, pollMs_);
    return core::Outcome::Ok();
}

core::Outcome StdinLiveSource::Start(LiveSink& sink) {
#ifdef _WIN32
    (void)sink;
    return core::Outcome::Fail("reading standard input live needs a POSIX system");
#else
    notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this, &sink] {
        std::array<char, 65536> buffer{};
        const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (n > 0) {
            Feed(sink, stream_, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
            return;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return;
        }
        notifier_->setEnabled(false);
        sink.ended(n == 0 ? std::string() : std::string("standard input could not be read"));
    });
    return core::Outcome::Ok();
#endif
}

TerminationWatch::TerminationWatch(std::function<void(int signalNumber)> requested)
    : requested_(std::move(requested)) {
#ifndef _WIN32
    if (::pipe(fds_) != 0) {
        return;
    }
    for (const int fd : fds_) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    gTerminationFd = fds_[1];
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        unsigned char byte = 0;
        if (::read(fds_[0], &byte, 1) == 1) {
            requested_(byte);
        }
    });
#endif
}

TerminationWatch::~TerminationWatch() {
#ifndef _WIN32
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    gTerminationFd = -1;
    notifier_.reset();
    for (const int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
#endif
}

}  // namespace vantrel::cli
