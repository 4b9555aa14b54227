#pragma once

// A serial port to an instrument, read only: nothing is ever sent to an instrument. Received bytes arrive
// through `received` as the port reports them (readyRead); nothing polls.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include "core/outcome.hpp"

namespace vantrel::platform {

// What the user is told when the port is busy or already open.
inline constexpr const char* kPortAlreadyOpen = "Port is already open.";
// What the user is told when the device goes away while the port is open.
inline constexpr const char* kInstrumentDisconnected = "the instrument was disconnected";

class InstrumentPort : public QObject {
    Q_OBJECT

  public:
    explicit InstrumentPort(QObject* parent = nullptr);

    // Opens the device at the given speed, 8 data bits, no parity, 1 stop bit, no flow control. A port that
    // is busy (in use by another program) or already open gives kPortAlreadyOpen; any other failure a
    // message naming the device and the system's reason.
    core::Outcome Open(const QString& device, qint32 baudRate);
    void Close();
    [[nodiscard]] bool IsOpen() const { return port_.isOpen(); }
    // Throws away what the system holds received and unread (the kernel's queue of the device).
    void ClearInput();
    // Reads at once whatever is waiting, without waiting for the event loop: it arrives through `received`
    // before this returns. True when something was there.
    bool PollInput();

  Q_SIGNALS:
    void received(const QByteArray& bytes);
    // The device went away (or can no longer be read); the port is closed already.
    void disconnected(const QString& message);

  private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    static bool IsBusy(QSerialPort::SerialPortError error, const QString& device);

    QSerialPort port_;
};

}  // namespace vantrel::platform
