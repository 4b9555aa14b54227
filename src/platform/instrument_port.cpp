#include "platform/instrument_port.hpp"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vantrel::platform {

InstrumentPort::InstrumentPort(QObject* parent) : QObject(parent), port_(this) {
    connect(&port_, &QSerialPort::readyRead, this, &InstrumentPort::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &InstrumentPort::OnError);
}

core::Outcome InstrumentPort::Open(const QString& device, qint32 baudRate) {
    if (port_.isOpen()) {
        return core::Outcome::Fail(kPortAlreadyOpen);
    }
    port_.setPortName(device);
    port_.setBaudRate(baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (port_.open(QIODevice::ReadOnly)) {
        return core::Outcome::Ok();
    }
    const QSerialPort::SerialPortError error = port_.error();
    const QString reason = port_.errorString();
    port_.clearError();
    if (IsBusy(error, device)) {
        return core::Outcome::Fail(kPortAlreadyOpen);
    }
    return core::Outcome::Fail("The port " + device.toStdString() +
                               " could not be opened: " + reason.toStdString());
}

void InstrumentPort::Close() {
    if (port_.isOpen()) {
        port_.close();
    }
}

void InstrumentPort::ClearInput() {
    if (port_.isOpen()) {
        port_.clear(QSerialPort::Input);
    }
}

bool InstrumentPort::PollInput() {
    if (!port_.isOpen()) {
        return false;
    }
    if (port_.waitForReadyRead(0)) {
        return true;
    }
    if (port_.error() == QSerialPort::TimeoutError) {
        port_.clearError();  // nothing was waiting: not a fault of the port
    }
    return false;
}

void InstrumentPort::OnReadyRead() {
    if (!port_.isOpen()) {
        return;
    }
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty()) {
        Q_EMIT received(bytes);
    }
}

void InstrumentPort::OnError(QSerialPort::SerialPortError error) {
    // Once the other end is gone the port reports these errors again and again as fast as it can, until
    // it is closed: close it at the first one.
    if ((error == QSerialPort::ReadError || error == QSerialPort::ResourceError) && port_.isOpen()) {
        port_.close();
        Q_EMIT disconnected(QString::fromLatin1(kInstrumentDisconnected));
    }
}

bool InstrumentPort::IsBusy(QSerialPort::SerialPortError error, const QString& device) {
    if (error == QSerialPort::OpenError) {
        return true;  // open already
    }
    if (error != QSerialPort::PermissionError) {
        return false;
    }
#ifdef _WIN32
    Q_UNUSED(device);
    return true;  // access denied: another program holds the port
#else
    // Locked or held exclusively by another program, unless we simply may not use the device.
    return ::access(device.toLocal8Bit().constData(), R_OK) == 0;
#endif
}

}  // namespace vantrel::platform
