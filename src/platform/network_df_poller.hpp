#pragma once

// A network direction finder as a live feed: fetches its bearing file over HTTP every poll interval and
// gives the body as it came, with the time it arrived (epoch milliseconds of this computer's clock).
// Reading the lines is instruments::ParseDfText's work; this only fetches.
//
// - Never two requests in flight: the next one starts a poll interval after the previous one started, or
//   at once when that one took longer.
// - A request that has not finished after kTimeoutMs is given up; a response longer than kMaxBodyBytes is
//   refused (by its Content-Length, and by counting while it arrives, for a server that sends none).
// - Connection refused, time-out, an HTTP status other than 200, a body too long: `status` names the URL
//   and the reason ("http://127.0.0.1:8081/DOA_value.html: connection refused, retrying in 2 s") and the
//   next attempt waits a pause growing from 0.5 s to 30 s (reset once the server answers). In between
//   only a timer waits.
// - The server rewrites the file for every frame, so an unchanged body is the same frame seen again: it
//   is still given, marked `sameAsLast`, and the live session's channel times decide what is new.
// - No proxy: the direction finder is on the car's own network, never behind a web proxy.
//
// Threads: a QObject of the thread that creates it; call everything from that thread. The signals are
// emitted from it too.

#include <QByteArray>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "instruments/feed_address.hpp"
#include "instruments/retry_pause.hpp"

class QNetworkReply;

namespace vantrel::platform {

class NetworkDfPoller : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDefaultPollMs = 500;
    static constexpr int kTimeoutMs = 2000;
    static constexpr qint64 kMaxBodyBytes = 1024 * 1024;

    explicit NetworkDfPoller(QObject* parent = nullptr);
    ~NetworkDfPoller() override;
    NetworkDfPoller(const NetworkDfPoller&) = delete;
    NetworkDfPoller& operator=(const NetworkDfPoller&) = delete;

    // Starts polling the address (from instruments::ParseNetworkDfAddress) every pollMs (at least 50);
    // a running poll is stopped first. The first request goes out at once.
    void Start(const instruments::FeedAddress& address, int pollMs = kDefaultPollMs);
    void Stop();
    [[nodiscard]] bool IsRunning() const { return running_; }
    [[nodiscard]] QString Url() const;

  Q_SIGNALS:
    void frame(const QByteArray& body, qint64 arrivalMs, bool sameAsLast);
    // A change of state in words: answering, or failing (with the reason and the next attempt).
    void status(const QString& text);

  private:
    void Poll();
    void OnMetaData();
    void OnReadyRead();
    void OnFinished();
    void OnTimeout();
    void GiveUp(const QString& reason);
    void Failed(const QString& reason);
    void SetStatus(const QString& text);

    instruments::FeedAddress address_;
    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QTimer next_;     // the next poll, or the next attempt after a failure
    QTimer timeout_;  // the request in flight
    QElapsedTimer sinceRequest_;
    instruments::RetryPause pause_;
    QByteArray body_;
    QByteArray lastBody_;
    QString failure_;  // why the request in flight was given up; empty while it may succeed
    QString lastStatus_;
    int pollMs_ = kDefaultPollMs;
    bool running_ = false;
    bool hasLastBody_ = false;
};

}  // namespace vantrel::platform
