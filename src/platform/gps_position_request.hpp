#pragma once

// One "Get Pos" request on the GPS receiver's serial port: opens the port at 4800 baud 8N1, feeds what
// arrives into the request until the first valid RMC sentence, then closes the port. Nothing is spent while
// waiting: the port reports data as it comes, and the request waits for as long as the user lets it.

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

    explicit GpsPositionRequest(QObject* parent = nullptr);

    // Starts a request on the device. A second start while one runs is ignored (returns false).
    bool Start(const QString& device);
    // GpsAbort (Esc): the running request ends at once, the port is closed, and `aborted` is emitted.
    void Abort();
    [[nodiscard]] bool IsRunning() const { return running_; }

  Q_SIGNALS:
    // A valid position; the port is closed already.
    void finished(const vantrel::instruments::RmcFix& fix);
    // The port could not be opened ("Port is already open." or the system's reason) or the device went
    // away; the port is closed and nothing was found.
    void failed(const QString& message);
    void aborted();

  private:
    void OpenPort();
    void OnReceived(const QByteArray& bytes);
    void OnDisconnected(const QString& message);
    void End();

    QString device_;
    QTimer wait_;  // Wait_ms
    InstrumentPort port_;
    instruments::GpsRequest request_;
    bool running_ = false;
};

}  // namespace vantrel::platform
