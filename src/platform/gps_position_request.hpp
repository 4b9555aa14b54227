#pragma once

// One "Get Pos" request on the GPS receiver's serial port: opens the port at 4800 baud 8N1, feeds what
// arrives into the request until the first valid RMC sentence, then closes the port. Nothing is spent while
// waiting: the port reports data as it comes, and the request waits for as long as the user lets it.
//
// Only what the receiver sends after the port opened counts. Whatever was sent while nobody listened is
// held on the way, and not only by the kernel: a pseudo-terminal pair (socat, gpsd's, a Bluetooth serial
// link) keeps a few KB in the device's queue and more in the relay's own buffer, which refills the queue
// the moment it is emptied. All of it comes at once, at the speed of the link, right after the opening; a
// receiver talks at 4800 baud and pauses between its bursts. So after opening, the device's queue is
// cleared and everything that arrives is thrown away until the line has been quiet for kQuietMilliseconds
// (or at most kLongestDiscardMilliseconds, so that a receiver that never pauses is still heard).

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "instruments/gps_request.hpp"
#include "platform/instrument_port.hpp"

namespace vantrel::platform {

class GpsPositionRequest : public QObject {
    Q_OBJECT

  public:
    static constexpr qint32 kBaudRate = 4800;
    // The short wait before the port opens (Wait_ms 50), kept from the instrument set-up the program has
    // always used; it runs on a timer, the event loop stays free.
    static constexpr int kSettleMilliseconds = 50;
    static constexpr int kQuietMilliseconds = 100;
    static constexpr int kLongestDiscardMilliseconds = 1000;

    explicit GpsPositionRequest(QObject* parent = nullptr);

    // Starts a request on the device. A second start while one runs is ignored (returns false).
    bool Start(const QString& device);
    // GpsAbort (Esc): the running request ends at once, the port is closed, and `aborted` is emitted.
    void Abort();
    [[nodiscard]] bool IsRunning() const { return running_; }
    // True once what was queued before the opening is gone and arriving bytes go to the request.
    [[nodiscard]] bool IsListening() const { return listening_; }
    // The running (or last) request: what it has received so far.
    [[nodiscard]] const instruments::GpsRequest& Request() const { return request_; }

  Q_SIGNALS:
    // A valid position; the port is closed already.
    void finished(const vantrel::instruments::RmcFix& fix);
    // The port could not be opened ("Port is already open." or the system's reason) or the device went
    // away; the port is closed and nothing was found.
    void failed(const QString& message);
    void aborted();
    // The port is open and what was sent before is gone: from now on the receiver is heard.
    void listening();
    // The request got further: its first bytes, or the receiver's first report that it has no fix.
    void progressed();

  private:
    void OpenPort();
    void OnQuiet();
    void StartListening();
    void OnReceived(const QByteArray& bytes);
    void OnDisconnected(const QString& message);
    void End();

    QString device_;
    QTimer wait_;   // Wait_ms
    QTimer quiet_;  // the quiet after the stale bytes
    QElapsedTimer sinceOpening_;
    InstrumentPort port_;
    instruments::GpsRequest request_;
    bool running_ = false;
    bool listening_ = false;
};

}  // namespace vantrel::platform
