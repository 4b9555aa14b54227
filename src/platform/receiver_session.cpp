#include "platform/receiver_session.hpp"

#include <algorithm>

#include "instruments/fox_schedule.hpp"
#include "instruments/rx_log.hpp"

namespace vantrel::platform {

ReceiverSession::ReceiverSession(persistence::ProgramState& program, instruments::DataInForm& form,
                                 char decimalSeparator, QObject* parent)
    : QObject(parent), program_(program), form_(form), decimalSeparator_(decimalSeparator), port_(this) {
    connect(&port_, &InstrumentPort::received, this, &ReceiverSession::OnReceived);
    connect(&port_, &InstrumentPort::disconnected, this, &ReceiverSession::OnDisconnected);
    steady_.start();
    intervalTimer_.setSingleShot(true);
    intervalTimer_.setTimerType(Qt::PreciseTimer);
    connect(&intervalTimer_, &QTimer::timeout, this, [this] {
        FollowSchedule();
        FileOpenInterval();
    });
}

ReceiverSession::~ReceiverSession() {
    Close();
}

core::Outcome ReceiverSession::OpenPort(const QString& device, qint32 baudRate) {
    return port_.Open(device, baudRate);
}

void ReceiverSession::SetFormat(instruments::RxFormat format, double intervalSeconds) {
    capture_.SetFormat(format, intervalSeconds);
}

void ReceiverSession::FollowSchedule() {
    const std::optional<int> fox = foxOnAir_ ? foxOnAir_() : std::nullopt;
    if (!fox) {
        scheduledFox_.reset();
        capture_.SetOnAir(true);
        return;
    }
    if (scheduledFox_ != fox) {
        FileOpenInterval();  // what was collected belongs to the fox that was on the air
        scheduledFox_ = fox;
    }
    capture_.SetOnAir(*fox != instruments::kNoFox);
    if (*fox != instruments::kNoFox && form_.ActiveFox != *fox) {
        instruments::ClickFoxOption(form_, *fox - 1);
    }
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
    intervalTimer_.stop();
    capture_.End();
    if (log_.IsOpen()) {
        Log(instruments::RxLogClosingRecord());
        log_.Close();
    }
    port_.Close();
}

void ReceiverSession::OnReceived(const QByteArray& bytes) {
    const bool wasReceiving = capture_.running();
    FollowSchedule();  // the fox on the air when the bytes arrived
    const std::vector<instruments::RxLineEvent> events =
        capture_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), form_,
                      program_.RxReadings, program_.RxStation, decimalSeparator_, Now());
    for (const instruments::RxLineEvent& event : events) {
        Report(event);
    }
    ArmIntervalTimer();
    if (wasReceiving && !capture_.running()) {
        Q_EMIT receiveEnded();
    }
}

void ReceiverSession::Report(const instruments::RxLineEvent& event) {
    if (event.kind == instruments::RxLineEvent::Kind::Filed) {
        Log(instruments::RxLogRecord(event.station, LogDateText(), LogTimeText(),
                                     event.reading.bearing.value_or(0), event.reading.signal,
                                     decimalSeparator_, event.reading.quality));
    }
    Q_EMIT lineReceived(event);
}

void ReceiverSession::FileOpenInterval() {
    const bool wasReceiving = capture_.running();
    if (const auto event =
            capture_.EndInterval(form_, program_.RxReadings, program_.RxStation, decimalSeparator_)) {
        Report(*event);
    }
    intervalTimer_.stop();
    if (wasReceiving && !capture_.running()) {
        Q_EMIT receiveEnded();
    }
}

void ReceiverSession::ArmIntervalTimer() {
    const std::optional<double> end = capture_.IntervalEnd();
    if (!end) {
        intervalTimer_.stop();
        return;
    }
    // Restarted at every arrival: a line may have closed the interval the timer was set for and opened
    // another.
    intervalTimer_.start(static_cast<int>(std::max(0.0, (*end - Now()) * 1000) + 1));
}

double ReceiverSession::Now() const {
    return static_cast<double>(steady_.nsecsElapsed()) / 1e9;
}

void ReceiverSession::OnDisconnected(const QString& message) {
    const bool wasReceiving = capture_.running();
    FileOpenInterval();  // the bearings that came before the unit went away are kept
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
