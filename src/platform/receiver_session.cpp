#include "platform/receiver_session.hpp"

#include "instruments/rx_log.hpp"

namespace vantrel::platform {

ReceiverSession::ReceiverSession(persistence::ProgramState& program, instruments::DataInForm& form,
                                 char decimalSeparator, QObject* parent)
    : QObject(parent), program_(program), form_(form), decimalSeparator_(decimalSeparator), port_(this) {
    connect(&port_, &InstrumentPort::received, this, &ReceiverSession::OnReceived);
    connect(&port_, &InstrumentPort::disconnected, this, &ReceiverSession::OnDisconnected);
}

ReceiverSession::~ReceiverSession() {
    Close();
}

core::Outcome ReceiverSession::OpenPort(const QString& device) {
    return port_.Open(device, kBaudRate);
}

core::Outcome ReceiverSession::OpenLog(const std::vector<std::filesystem::path>& candidates) {
    return log_.Open(candidates);
}

bool ReceiverSession::StartRx() {
    if (!port_.IsOpen()) {
        return false;
    }
    capture_.Start();
    return true;
}

void ReceiverSession::StopRx() {
    capture_.RequestStop();
}

void ReceiverSession::Close() {
    capture_.End();
    if (log_.IsOpen()) {
        Log(instruments::RxLogClosingRecord());
        log_.Close();
    }
    port_.Close();
}

void ReceiverSession::OnReceived(const QByteArray& bytes) {
    const bool wasReceiving = capture_.running();
    const std::vector<instruments::RxLineEvent> events =
        capture_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), form_,
                      program_.RxReadings, program_.RxStation, decimalSeparator_);
    for (const instruments::RxLineEvent& event : events) {
        if (event.kind == instruments::RxLineEvent::Kind::Filed) {
            Log(instruments::RxLogRecord(event.station, LogDateText(), LogTimeText(), event.angle,
                                         event.signal, decimalSeparator_));
        }
        Q_EMIT lineReceived(event);
    }
    if (wasReceiving && !capture_.running()) {
        Q_EMIT receiveEnded();
    }
}

void ReceiverSession::OnDisconnected(const QString& message) {
    const bool wasReceiving = capture_.running();
    capture_.End();
    Q_EMIT problem(message);
    if (wasReceiving) {
        Q_EMIT receiveEnded();
    }
}

void ReceiverSession::Log(const std::string& record) {
    if (!log_.IsOpen()) {
        return;
    }
    const core::Outcome written = log_.Append(record);
    if (!written && !logProblemReported_) {
        logProblemReported_ = true;  // once is enough: the readings themselves are still filed
        Q_EMIT problem(QString::fromStdString(written.message()));
    }
}

}  // namespace vantrel::platform
