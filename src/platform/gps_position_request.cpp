#include "platform/gps_position_request.hpp"

namespace vantrel::platform {

GpsPositionRequest::GpsPositionRequest(QObject* parent) : QObject(parent), wait_(this), port_(this) {
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &GpsPositionRequest::OpenPort);
    connect(&port_, &InstrumentPort::received, this, &GpsPositionRequest::OnReceived);
    connect(&port_, &InstrumentPort::disconnected, this, &GpsPositionRequest::OnDisconnected);
}

bool GpsPositionRequest::Start(const QString& device) {
    if (running_) {
        return false;
    }
    running_ = true;
    device_ = device;
    request_ = instruments::GpsRequest{};
    wait_.start(kSettleMilliseconds);
    return true;
}

void GpsPositionRequest::Abort() {
    if (!running_) {
        return;
    }
    request_.Abort();
    End();
    Q_EMIT aborted();
}

void GpsPositionRequest::OpenPort() {
    const core::Outcome opened = port_.Open(device_, kBaudRate);
    if (!opened) {
        End();
        Q_EMIT failed(QString::fromStdString(opened.message()));
    }
}

void GpsPositionRequest::OnReceived(const QByteArray& bytes) {
    if (!running_ ||
        !request_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        return;
    }
    const instruments::RmcFix fix = *request_.fix();
    End();
    Q_EMIT finished(fix);
}

void GpsPositionRequest::OnDisconnected(const QString& message) {
    if (!running_) {
        return;
    }
    End();
    Q_EMIT failed(message);
}

void GpsPositionRequest::End() {
    wait_.stop();
    port_.Close();
    running_ = false;
}

}  // namespace vantrel::platform
