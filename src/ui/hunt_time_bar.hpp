#pragma once

// The Hunt Map's time bar: a bearing log shown at one moment. Three ways in:
// - Follow (live): a log being appended (by `vantrel-cli live` in another process or the window's own
//   Track session) is read every half second, only what was appended; the moment shown is the hunt's clock
//   (the newest event's time) unless the user moved the slider back; the status line gives bearings per
//   minute, the last bearing's age and the GPS age, to the hunt's clock and to the wall clock.
// - Replay: a log opened whole; a time slider over its span, play/pause (Space), speed x1 to x60, step to
//   the previous/next bearing (Ctrl+Left/Ctrl+Right), the time as UTC text. Ignore and Note act on the
//   bearing last taken at the moment shown and append an edit through the hunt log link, as the Bearings
//   window does; an edit counts from the time it was made, so the slider's end shows it.
// - A GPX track, shown as positions with the log (or alone).
// A simulated hunt's log holds the true foxes: they stay hidden until "Show fox"; then they are drawn with
// the distance of each fix from its fox (the training view).
//
// Threads: the bar lives on the GUI thread and every member is called there. The fold and the fixes of a
// moment are computed on a thread of Qt's global pool from a shared read-only copy of the log; one
// computation runs at a time, a newer moment asked for meanwhile runs after it, and a result made stale by
// a newer request is dropped. The result is posted back through a link the destructor cuts.

#include <QToolBar>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

#include "core/outcome.hpp"
#include "fox_fix/fox_fix.hpp"
#include "hunt_log/log_follower.hpp"
#include "hunt_picture/hunt_at_time.hpp"
#include "locate/locate.hpp"
#include "persistence/live_map_settings.hpp"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSlider;
class QTimer;

namespace vantrel::ui {

class MainFrm;

class HuntTimeBar : public QToolBar {
    Q_OBJECT
  public:
    HuntTimeBar(MainFrm& main, QWidget* parent);
    ~HuntTimeBar() override;
    HuntTimeBar(const HuntTimeBar&) = delete;
    HuntTimeBar& operator=(const HuntTimeBar&) = delete;

    QSlider* sldTime = nullptr;
    QPushButton* cmdPlay = nullptr;
    QComboBox* cboSpeed = nullptr;  // x1 .. x60
    QLabel* lblTime = nullptr;      // UTC
    QLabel* lblBearing = nullptr;   // the bearing Ignore and Note act on
    QCheckBox* chkFollow = nullptr;
    QPushButton* cmdShowFox = nullptr;
    QLabel* lblLive = nullptr;  // bearings per minute, ages
    QAction* mnuFollowLog = nullptr;
    QAction* mnuReplayLog = nullptr;
    QAction* mnuOpenGpx = nullptr;
    QAction* mnuCloseLog = nullptr;
    QAction* mnuPlay = nullptr;             // Space
    QAction* mnuPreviousBearing = nullptr;  // Ctrl+Left
    QAction* mnuNextBearing = nullptr;      // Ctrl+Right
    QAction* mnuIgnoreBearing = nullptr;    // Ctrl+I
    QAction* mnuNoteBearing = nullptr;
    QAction* mnuShowFox = nullptr;

    // The File menu's entries and a Replay menu of the window's menu bar.
    void AddMenus(QMenu* file, QMenuBar* bar);

    core::Outcome Follow(const std::filesystem::path& log);
    core::Outcome Replay(const std::filesystem::path& log);
    core::Outcome OpenGpx(const std::filesystem::path& gpx);
    void CloseLog();

    [[nodiscard]] bool Active() const { return follower_.has_value() || !gpx_->empty(); }
    [[nodiscard]] bool Live() const { return live_; }
    // The moment shown, epoch milliseconds.
    [[nodiscard]] hunt_log::TimeMs Time() const { return time_; }
    void SetTime(hunt_log::TimeMs time);
    [[nodiscard]] std::optional<hunt_picture::HuntSpan> Span() const { return span_; }
    void SetPlaying(bool playing);
    void StepBearing(bool forward);
    // Appends an edit of the bearing last taken at the moment shown (ignore and/or note).
    core::Outcome EditCurrentBearing(std::optional<bool> ignore, std::optional<std::string> note);
    void ShowFox(bool show);
    void SetZone(geodesy::UtmZone zone);
    // Reads what was appended to the followed log now (the timer does it every half second).
    void Poll();

    // The last computed moment: its fold, fixes and layer; `Settled` once it is the moment last asked for.
    [[nodiscard]] const hunt_log::HuntState& State() const { return computed_.state; }
    [[nodiscard]] const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& Fixes() const {
        return computed_.fixes;
    }
    [[nodiscard]] const std::optional<hunt_picture::HuntAtTime>& Layer() const { return layer_; }
    [[nodiscard]] bool Settled() const { return !running_ && !wanted_; }

  Q_SIGNALS:
    // A new moment was computed (or the log closed): the map redraws.
    void LayerChanged();
    // The car is at this hunt-zone position and Follow is on.
    void CarMoved(core::PlanePoint position);
    void Message(const QString& text);

  private:
    struct Moment;
    struct Computed {
        hunt_log::HuntState state;
        std::array<fox_fix::FoxFix, hunt_log::kFoxCount> fixes;
        hunt_picture::HuntAtTime layer;
        int generation = 0;
        bool stopped = false;
    };
    struct Link;
    static Computed Compute(const Moment& moment, std::stop_token stop);

    void BuildWidgets();
    core::Outcome Open(const std::filesystem::path& log, bool live);
    // Takes the follower's log as the snapshot the computations read.
    void TakeSnapshot();
    void Request();
    void Start();
    void Computed_(Computed computed);
    void Tick();
    void ShowMoment();
    void UpdateSlider();
    [[nodiscard]] std::optional<hunt_log::FoxBearing> CurrentBearing() const;
    void AskNote();

    MainFrm& main_;
    persistence::LiveMapSettings settings_;
    locate::Options options_;
    geodesy::UtmZone zone_;
    std::optional<hunt_log::LogFollower> follower_;
    std::shared_ptr<const hunt_log::Log> snapshot_;
    std::shared_ptr<const std::vector<hunt_log::PositionEvent>> gpx_;
    std::optional<hunt_picture::HuntSpan> span_;
    hunt_log::TimeMs time_ = 0;
    bool live_ = false;
    bool atEnd_ = true;  // live: the moment follows the hunt's clock
    bool showFox_ = false;
    QTimer* pollTimer_ = nullptr;
    QTimer* playTimer_ = nullptr;
    std::shared_ptr<Link> link_;
    std::stop_source stop_;
    bool running_ = false;
    bool wanted_ = false;
    int generation_ = 0;
    Computed computed_;
    std::optional<hunt_picture::HuntAtTime> layer_;
    bool settingSlider_ = false;
};

}  // namespace vantrel::ui
