#pragma once

// The system's GPS service (gpsd) as a live position feed: connects to gpsd over TCP, asks for its JSON
// watch stream and turns every TPV report with a fix into an instruments::GpsSample, given with the time
// it arrived (epoch milliseconds of this computer's clock, the clock freshness is judged on).
//
// When gpsd cannot be reached or goes away, `status` says so ("gpsd 127.0.0.1:2947: connection refused,
// retrying in 4 s") and the client tries again after a pause that grows from 0.5 s to 30 s (reset once
// gpsd answers); between attempts it only waits on a timer. What was half received when the connection
// ended is thrown away, and a fix not newer than the last one given (by its GPS time) is never given
// again, so nothing stale comes out of a reconnection.
//
// Threads: a QObject of the thread that creates it; call everything from that thread. The signals are
// emitted from it too.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

#include "instruments/feed_address.hpp"
#include "instruments/gps_sample.hpp"
#include "instruments/gpsd_report.hpp"
#include "instruments/retry_pause.hpp"

namespace vantrel::platform {

class GpsdClient : public QObject {
    Q_OBJECT

  public:
    // A connection attempt that has not succeeded after this long is given up (and retried).
    static constexpr int kConnectTimeoutMs = 5000;

    explicit GpsdClient(QObject* parent = nullptr);

    // Starts watching gpsd at the address (from instruments::ParseGpsdAddress); a running watch is
    // stopped first. Keeps reconnecting until Stop.
    void Start(const instruments::FeedAddress& address);
    void Stop();
    [[nodiscard]] bool IsRunning() const { return running_; }
    [[nodiscard]] bool IsConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    // "gpsd 127.0.0.1:2947", how the status texts name this feed.
    [[nodiscard]] QString Name() const;

  Q_SIGNALS:
    void sample(const vantrel::instruments::GpsSample& sample, qint64 arrivalMs);
    // A change of state in words: connected, no fix, fix, lost (with the reason and the next attempt).
    void status(const QString& text);

  private:
    void Connect();
    void OnConnected();
    void OnReadyRead();
    void OnLine(std::string_view line);
    void OnFailure(const QString& reason);
    void SetStatus(const QString& text);

    instruments::FeedAddress address_;
    QTcpSocket socket_;
    QTimer retry_;           // the pause before the next attempt
    QTimer connectTimeout_;  // an attempt that hangs (a host that drops the packets)
    instruments::RetryPause pause_;
    instruments::GpsdLineFramer framer_;
    std::optional<std::int64_t> lastFixTimeMs_;
    QString lastStatus_;
    bool running_ = false;
    bool hasFix_ = false;
};

}  // namespace vantrel::platform
