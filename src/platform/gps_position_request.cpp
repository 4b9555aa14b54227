#include "platform/gps_position_request.hpp"

namespace vantrel::platform {

GpsPositionRequest::GpsPositionRequest(QObject* parent)
    : QObject(parent), wait_(this), quiet_(this), port_(this) {
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &GpsPositionRequest::OpenPort);
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &GpsPositionRequest::OnQuiet);
    connect(&port_, &InstrumentPort::received, this, &GpsPositionRequest::OnReceived);
    connect(&port_, &InstrumentPort::disconnected, this, &GpsPositionRequest::OnDisconnected);
}

bool GpsPositionRequest::Start(const QString& device) {
    if (running_) {
        return false;
    }
    running_ = true;
    listening_ = false;
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
        return;
    }
    port_.ClearInput();
    sinceOpening_.start();
    quiet_.start(kQuietMilliseconds);
}

void GpsPositionRequest::OnQuiet() {
    if (!running_) {
        return;
    }
    // Bytes that came during the quiet wait but were not read yet are stale too: reading them (through
    // OnReceived) starts the wait again. Reading may also find the device gone, which ends the request.
    if (port_.PollInput() || !running_ || listening_) {
        return;
    }
    StartListening();
}

void GpsPositionRequest::StartListening() {
    quiet_.stop();
    listening_ = true;
    Q_EMIT listening();
}

void GpsPositionRequest::OnReceived(const QByteArray& bytes) {
    if (!running_) {
        return;
    }
    if (!listening_) {
        if (sinceOpening_.elapsed() < kLongestDiscardMilliseconds) {
            quiet_.start(kQuietMilliseconds);  // sent before the opening: thrown away
            return;
        }
        StartListening();  // a receiver that never pauses: heard from now on
    }
    const bool receivedAny = request_.receivedAny();
    const bool noFix = request_.receiverReportsNoFix();
    if (!request_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        if (request_.receivedAny() != receivedAny || request_.receiverReportsNoFix() != noFix) {
            Q_EMIT progressed();
        }
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
    quiet_.stop();
    port_.Close();
    running_ = false;
    listening_ = false;
}

}  // namespace vantrel::platform
