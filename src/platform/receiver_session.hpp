#pragma once

// The direction-finding receiver while the "Data Processing" window is open: its serial port (2400 baud
// 8N1), the receive loop of "Start RX" / "Stop RX", and the receiver log. Lines are filed into the
// program-wide bearing table for the station RxStation of the moment and into the window's form.

#include <QObject>
#include <QString>

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
    core::Outcome OpenPort(const QString& device);
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

    persistence::ProgramState& program_;
    instruments::DataInForm& form_;
    char decimalSeparator_;
    InstrumentPort port_;
    instruments::RxCapture capture_;
    ReceiverLog log_;
    bool logProblemReported_ = false;
};

}  // namespace vantrel::platform
