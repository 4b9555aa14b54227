#pragma once

// The direction-finding receiver while the "Data Processing" window is open: its serial port (2400 baud
// 8N1 unless the receiver's format says otherwise), the receive loop of "Start RX" / "Stop RX", and the
// receiver log. Lines are filed into the program-wide bearing table for the station RxStation of the moment
// and into the window's form.
//
// With a fox schedule, the fox on the air when bytes arrive decides where their lines go: that fox becomes
// the active fox (as a click on its option makes it), and while no fox is on the air lines are only shown.
// Streaming units file one mean per interval; an interval that no later line closes is filed by a timer.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

#include "instruments/bearing_table.hpp"
#include "instruments/rx_capture.hpp"
#include "persistence/program_state.hpp"
#include "platform/instrument_port.hpp"
#include "platform/receiver_log.hpp"

namespace vantrel::platform {

class ReceiverSession : public QObject {
    Q_OBJECT

  public:
    static constexpr qint32 kBaudRate = 2400;

    // `program` and `form` must outlive the session.
    ReceiverSession(persistence::ProgramState& program, instruments::DataInForm& form, char decimalSeparator,
                    QObject* parent = nullptr);
    // Closes what is still open, as Close() does.
    ~ReceiverSession() override;
    ReceiverSession(const ReceiverSession&) = delete;
    ReceiverSession& operator=(const ReceiverSession&) = delete;

    // The window's opening: the port and the log. Either may fail on its own; the message says why.
    core::Outcome OpenPort(const QString& device, qint32 baudRate = kBaudRate);
    // The receiver's format and the interval of one filed mean of a streaming unit; before "Start RX".
    void SetFormat(instruments::RxFormat format, double intervalSeconds);

    // The fox on the air now (instruments::kNoFox for none), or nullopt while no schedule is followed.
    using FoxOnAirSource = std::function<std::optional<int>()>;
    void SetFoxOnAirSource(FoxOnAirSource source) { foxOnAir_ = std::move(source); }
    // Makes the active fox follow the schedule now: called at every arrival and by the window's clock. When
    // the fox on the air changes, the mean collected so far is filed under the fox it was collected for.
    void FollowSchedule();
    // Files the mean of the bearings collected so far (a streaming unit's interval not yet over).
    void EndInterval() { FileOpenInterval(); }
    core::Outcome OpenLog(const std::vector<std::filesystem::path>& candidates);

    // "Start RX": ignored while the loop runs; refused (false) while the port is not open.
    bool StartRx();
    // "Stop RX": the loop ends after the next filed line.
    void StopRx();
    [[nodiscard]] bool IsReceiving() const { return capture_.running(); }
    [[nodiscard]] bool IsPortOpen() const { return port_.IsOpen(); }

    // The window closes: the loop ends at once, the closing record goes to the log, the log and the port
    // are closed. Safe to call more than once.
    void Close();

  Q_SIGNALS:
    // A line was received and shown (txtTest), and filed unless its bearing was not a number.
    void lineReceived(const vantrel::instruments::RxLineEvent& event);
    // The loop ended (Stop RX honoured, or the instrument went away).
    void receiveEnded();
    // The port went away, or the log could not be written: a message for the user. A reading that could
    // not be logged is still filed.
    void problem(const QString& message);

  private:
    void OnReceived(const QByteArray& bytes);
    void OnDisconnected(const QString& message);
    void Log(const std::string& record);
    void Report(const instruments::RxLineEvent& event);
    void FileOpenInterval();
    void ArmIntervalTimer();
    [[nodiscard]] double Now() const;

    persistence::ProgramState& program_;
    instruments::DataInForm& form_;
    char decimalSeparator_;
    InstrumentPort port_;
    instruments::RxCapture capture_;
    ReceiverLog log_;
    bool logProblemReported_ = false;
    FoxOnAirSource foxOnAir_;
    std::optional<int> scheduledFox_;  // the fox the schedule last put on the air
    QElapsedTimer steady_;             // arrival times of the lines, for the intervals
    QTimer intervalTimer_;
};

}  // namespace vantrel::platform
