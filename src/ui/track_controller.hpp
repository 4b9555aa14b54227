#pragma once

// The main window's Track: while it is on, the GPS (a serial port or gpsd) stays open and the network
// direction finder (when [Live] names one) is polled; every fix, heading and frame goes through one
// live::LiveSession, and what it hands out (bearings, track points) is appended to the hunt's bearing log
// through the log's one writer. Get Pos keeps working beside it: it takes the next fix of the same stream.
//
// Settings: [Live] of Vantrel.ini (Gps: a serial device or gpsd://HOST:PORT; empty: the GPS port of the
// described settings), [Foxes] for the network channels' frequencies, [Ports] for a streaming receiver
// (agrelo, kn5r) on the Goniometer port, which Track reads too (the fixed-column receiver stays Aquire from
// RX's), and [Schedule] for the fox on the air. Read when Track starts.
//
// Lives in the GUI thread, owned by the main window; every call and signal is on that thread.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "core/outcome.hpp"
#include "hunt_log/log_writer.hpp"
#include "instruments/fox_schedule.hpp"
#include "instruments/gps_sample.hpp"
#include "live/live_session.hpp"
#include "live/nmea_motion.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/live_settings.hpp"

namespace vantrel::platform {
class GpsdClient;
class InstrumentPort;
class NetworkDfPoller;
}  // namespace vantrel::platform

namespace vantrel::ui {

class MainFrm;

class TrackController : public QObject {
    Q_OBJECT

  public:
    // How often the session is given the time (intervals close, the fix age is shown).
    static constexpr int kTickMs = 250;

    explicit TrackController(MainFrm& main);
    ~TrackController() override;
    TrackController(const TrackController&) = delete;
    TrackController& operator=(const TrackController&) = delete;

    // Opens the GPS (and the network direction finder) and the hunt's bearing log (asking for a file when
    // the hunt has none). A failure names what could not be opened; nothing stays open then.
    core::Outcome Start();
    // Closes everything; the open interval is closed and logged first.
    void Stop();
    [[nodiscard]] bool IsRunning() const { return running_; }

    // Get Pos while tracking: `onFix` gets the next fix that arrives from now on (a fix already held is
    // never given: it may be seconds old). A second request replaces the first.
    void TakeNextFix(std::function<void(const instruments::GpsSample&)> onFix);
    void CancelNextFix() { nextFix_ = nullptr; }

    // "GPS 1 s | 12 bearings, 3 no position | gpsd 127.0.0.1:2947: connection refused, retrying in 4 s"
    [[nodiscard]] QString StatusText() const;

  Q_SIGNALS:
    void statusChanged(const QString& text);
    // Something the user should read (a log that cannot be written, a bearing refused); Track goes on.
    void problem(const QString& text);

  private:
    core::Outcome OpenGps(const persistence::LiveSettings& settings);
    core::Outcome OpenNetwork(const persistence::LiveSettings& settings);
    core::Outcome OpenReceiver(const persistence::IniFile& ini);
    // The fox the schedule has on the air now (fox 1 without a schedule).
    [[nodiscard]] int FoxOnAirNow() const;
    void OnFix(const instruments::GpsSample& fix, hunt_log::TimeMs arrivalMs);
    void OnSerialBytes(const QByteArray& bytes);
    void Take(const live::LiveOutput& output);
    void OnTick();
    void SetFeedStatus(const QString& text);

    MainFrm& main_;
    std::unique_ptr<live::LiveSession> session_;
    std::optional<hunt_log::LogWriter> writer_;
    std::unique_ptr<platform::GpsdClient> gpsd_;
    std::unique_ptr<platform::InstrumentPort> serial_;
    std::unique_ptr<platform::InstrumentPort> receiver_;
    std::optional<instruments::FoxSchedule> schedule_;
    std::int64_t clockOffsetNs_ = 0;
    int foxOnAir_ = 1;
    std::unique_ptr<platform::NetworkDfPoller> network_;
    live::NmeaMotionReader nmea_;
    QTimer tick_;
    std::function<void(const instruments::GpsSample&)> nextFix_;
    QString gpsFeedStatus_;
    QString networkFeedStatus_;
    QString lastStatus_;
    bool running_ = false;
};

}  // namespace vantrel::ui
