#include "ui/hunt_time_bar.hpp"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPushButton>
#include <QSlider>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "persistence/file_access.hpp"
#include "persistence/locate_settings.hpp"
#include "platform/gpx_track.hpp"
#include "ui/hunt_log_link.hpp"
#include "ui/main_frm.hpp"

namespace vantrel::ui {
namespace {

constexpr int kPollMs = 500;
constexpr int kTickMs = 100;
const QString kLogFilter = QStringLiteral("Bearing logs (*.fhl);;All files (*)");
const QString kGpxFilter = QStringLiteral("GPX tracks (*.gpx);;All files (*)");

hunt_log::TimeMs WallClockMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// "2026-12-08 14:05:22 UTC"
QString UtcLabel(hunt_log::TimeMs time) {
    const std::string text = hunt_log::UtcText(time);
    return QString::fromStdString(text.substr(0, 10) + " " + text.substr(11, 8) + " UTC");
}

QString BearingText(const hunt_log::FoxBearing& b, int fox) {
    QString text = QStringLiteral("Bearing %1: F%2 %3\u00b0 from %4")
                       .arg(b.id)
                       .arg(fox)
                       .arg(QString::number(b.bearing, 'f', 1), QString::fromStdString(b.station));
    if (b.ignored) {
        text += QStringLiteral(", ignored");
    }
    if (!b.note.empty()) {
        text += QStringLiteral(" (\"%1\")").arg(QString::fromStdString(b.note));
    }
    return text;
}

int FoxOf(const hunt_log::HuntState& state, std::uint64_t id) {
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        const auto& list = state.Fox(fox);
        if (std::any_of(list.begin(), list.end(), [id](const auto& b) { return b.id == id; })) {
            return fox;
        }
    }
    return 0;
}

}  // namespace

struct HuntTimeBar::Link {
    std::mutex mutex;
    HuntTimeBar* bar = nullptr;  // null once the bar is gone
};

struct HuntTimeBar::Moment {
    std::shared_ptr<const hunt_log::Log> log;
    std::shared_ptr<const std::vector<hunt_log::PositionEvent>> gpx;
    hunt_log::TimeMs time = 0;
    geodesy::UtmZone zone;
    locate::Options options;
    hunt_log::TimeMs mostRayAge = hunt_picture::kDefaultMostRayAgeMs;
    bool showFox = false;
    int generation = 0;
};

HuntTimeBar::Computed HuntTimeBar::Compute(const Moment& moment, std::stop_token stop) {
    Computed computed;
    computed.generation = moment.generation;
    computed.state = hunt_picture::ReplayStateAt(*moment.log, *moment.gpx, moment.time, moment.zone);
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        if (stop.stop_requested()) {
            computed.stopped = true;
            return computed;
        }
        computed.fixes[static_cast<std::size_t>(fox - 1)] =
            fox_fix::FixOfFox(computed.state, fox, moment.options);
    }
    computed.layer =
        hunt_picture::BuildHuntAtTime(computed.state, computed.fixes, moment.time, moment.mostRayAge);
    if (moment.showFox) {
        for (const hunt_log::TruthFox& truth : moment.log->truth) {
            hunt_picture::AddTruth(computed.layer, truth.fox, truth.lat, truth.lon, moment.zone);
        }
    }
    return computed;
}

HuntTimeBar::HuntTimeBar(MainFrm& main, QWidget* parent)
    : QToolBar(QStringLiteral("Hunt time"), parent),
      main_(main),
      settings_(persistence::ReadLiveMapSettings(main.SettingsFile())),
      zone_(main.HuntZone().zone),
      snapshot_(std::make_shared<hunt_log::Log>()),
      gpx_(std::make_shared<std::vector<hunt_log::PositionEvent>>()),
      link_(std::make_shared<Link>()) {
    link_->bar = this;
    setObjectName(QStringLiteral("tbHuntTime"));
    setMovable(false);
    pollTimer_ = new QTimer(this);
    pollTimer_->setInterval(kPollMs);
    connect(pollTimer_, &QTimer::timeout, this, &HuntTimeBar::Poll);
    playTimer_ = new QTimer(this);
    playTimer_->setInterval(kTickMs);
    connect(playTimer_, &QTimer::timeout, this, &HuntTimeBar::Tick);
    BuildWidgets();
    hide();
}

HuntTimeBar::~HuntTimeBar() {
    stop_.request_stop();
    const std::lock_guard lock(link_->mutex);
    link_->bar = nullptr;
}

void HuntTimeBar::BuildWidgets() {
    const auto action = [this](const char* name, const QString& text) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnuFollowLog = action("mnuFollowLog", QStringLiteral("&Follow Bearing Log (Live)..."));
    mnuReplayLog = action("mnuReplayLog", QStringLiteral("&Replay Bearing Log..."));
    mnuOpenGpx = action("mnuOpenGpx", QStringLiteral("Open &GPX Track..."));
    mnuCloseLog = action("mnuCloseLog", QStringLiteral("Close Replay"));
    mnuPlay = action("mnuPlay", QStringLiteral("&Play / Pause"));
    mnuPlay->setShortcut(QKeySequence(Qt::Key_Space));
    mnuPreviousBearing = action("mnuPreviousBearing", QStringLiteral("Pre&vious Bearing"));
    mnuPreviousBearing->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left));
    mnuNextBearing = action("mnuNextBearing", QStringLiteral("&Next Bearing"));
    mnuNextBearing->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    mnuIgnoreBearing = action("mnuIgnoreBearing", QStringLiteral("&Ignore / Take Back Bearing"));
    mnuIgnoreBearing->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuNoteBearing = action("mnuNoteBearing", QStringLiteral("N&ote Bearing..."));
    mnuShowFox = action("mnuShowFox", QStringLiteral("&Show Fox"));
    mnuShowFox->setCheckable(true);
    mnuShowFox->setEnabled(false);

    // Two rows in one widget, so nothing is pushed into the tool bar's overflow menu: the time controls
    // above, what the moment shows below.
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 2, 4, 2);
    cmdPlay = new QPushButton(QStringLiteral("Play"), panel);
    cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    cmdPlay->setToolTip(QStringLiteral("Play or pause the replay (Space)"));
    cboSpeed = new QComboBox(panel);
    cboSpeed->setObjectName(QStringLiteral("cboSpeed"));
    for (const int speed : {1, 2, 5, 10, 30, 60}) {
        cboSpeed->addItem(QStringLiteral("x%1").arg(speed), speed);
    }
    cboSpeed->setToolTip(QStringLiteral("Replay speed"));
    sldTime = new QSlider(Qt::Horizontal, panel);
    sldTime->setObjectName(QStringLiteral("sldTime"));
    sldTime->setMinimumWidth(240);
    lblTime = new QLabel(panel);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    chkFollow = new QCheckBox(QStringLiteral("Follow"), panel);
    chkFollow->setObjectName(QStringLiteral("chkFollow"));
    chkFollow->setToolTip(QStringLiteral("Keep the car in view as it moves"));
    chkFollow->setChecked(settings_.follow);
    cmdShowFox = new QPushButton(QStringLiteral("Show fox"), panel);
    cmdShowFox->setObjectName(QStringLiteral("cmdShowFox"));
    cmdShowFox->setCheckable(true);
    cmdShowFox->setToolTip(QStringLiteral("Training: show where the simulated foxes really are"));
    lblBearing = new QLabel(panel);
    lblBearing->setObjectName(QStringLiteral("lblBearing"));
    lblLive = new QLabel(panel);
    lblLive->setObjectName(QStringLiteral("lblLive"));
    grid->addWidget(cmdPlay, 0, 0);
    grid->addWidget(cboSpeed, 0, 1);
    grid->addWidget(sldTime, 0, 2);
    grid->addWidget(lblTime, 0, 3);
    grid->addWidget(chkFollow, 0, 4);
    grid->addWidget(cmdShowFox, 1, 0, 1, 2);
    grid->addWidget(lblLive, 1, 2);
    grid->addWidget(lblBearing, 1, 3, 1, 2);
    grid->setColumnStretch(2, 1);
    addWidget(panel);

    connect(cmdPlay, &QPushButton::clicked, this, [this] { SetPlaying(!playTimer_->isActive()); });
    connect(mnuPlay, &QAction::triggered, this, [this] { SetPlaying(!playTimer_->isActive()); });
    connect(mnuPreviousBearing, &QAction::triggered, this, [this] { StepBearing(false); });
    connect(mnuNextBearing, &QAction::triggered, this, [this] { StepBearing(true); });
    connect(mnuIgnoreBearing, &QAction::triggered, this, [this] {
        if (const auto current = CurrentBearing()) {
            if (const core::Outcome edited = EditCurrentBearing(!current->ignored, std::nullopt); !edited) {
                Q_EMIT Message(QString::fromStdString(edited.message()));
            }
        }
    });
    connect(mnuNoteBearing, &QAction::triggered, this, &HuntTimeBar::AskNote);
    connect(mnuShowFox, &QAction::toggled, this, &HuntTimeBar::ShowFox);
    connect(cmdShowFox, &QPushButton::toggled, this, &HuntTimeBar::ShowFox);
    connect(sldTime, &QSlider::valueChanged, this, [this](int seconds) {
        if (!settingSlider_ && span_) {
            SetTime(seconds >= sldTime->maximum() ? span_->last
                                                  : span_->first + hunt_log::TimeMs{seconds} * 1000);
        }
    });
    connect(chkFollow, &QCheckBox::toggled, this, [this](bool on) {
        settings_.follow = on;
        if (const core::Outcome saved = persistence::WriteLiveMapSettings(settings_, main_.SettingsFile());
            !saved) {
            Q_EMIT Message(QString::fromStdString(saved.message()));
        }
        if (on && layer_ && layer_->car) {
            Q_EMIT CarMoved(layer_->car->position);
        }
    });
    connect(mnuCloseLog, &QAction::triggered, this, &HuntTimeBar::CloseLog);
    connect(mnuFollowLog, &QAction::triggered, this, [this] {
        if (const auto path = main_.AskFile(FileDialogRequest::Kind::Open,
                                            QStringLiteral("Follow Bearing Log"), QString(), kLogFilter)) {
            if (const core::Outcome opened = Follow(*path); !opened) {
                Q_EMIT Message(QString::fromStdString(opened.message()));
            }
        }
    });
    connect(mnuReplayLog, &QAction::triggered, this, [this] {
        if (const auto path = main_.AskFile(FileDialogRequest::Kind::Open,
                                            QStringLiteral("Replay Bearing Log"), QString(), kLogFilter)) {
            if (const core::Outcome opened = Replay(*path); !opened) {
                Q_EMIT Message(QString::fromStdString(opened.message()));
            }
        }
    });
    connect(mnuOpenGpx, &QAction::triggered, this, [this] {
        if (const auto path = main_.AskFile(FileDialogRequest::Kind::Open, QStringLiteral("Open GPX Track"),
                                            QString(), kGpxFilter)) {
            if (const core::Outcome opened = OpenGpx(*path); !opened) {
                Q_EMIT Message(QString::fromStdString(opened.message()));
            }
        }
    });
}

void HuntTimeBar::AddMenus(QMenu* file, QMenuBar* bar) {
    file->addAction(mnuFollowLog);
    file->addAction(mnuReplayLog);
    file->addAction(mnuOpenGpx);
    file->addAction(mnuCloseLog);
    QMenu* replay = bar->addMenu(QStringLiteral("&Replay"));
    for (QAction* a : {mnuPlay, mnuPreviousBearing, mnuNextBearing}) {
        replay->addAction(a);
    }
    replay->addSeparator();
    replay->addAction(mnuIgnoreBearing);
    replay->addAction(mnuNoteBearing);
    replay->addSeparator();
    replay->addAction(mnuShowFox);
    for (QAction* a :
         {mnuPlay, mnuPreviousBearing, mnuNextBearing, mnuIgnoreBearing, mnuNoteBearing, mnuCloseLog}) {
        a->setEnabled(false);
    }
}

core::Outcome HuntTimeBar::Follow(const std::filesystem::path& log) {
    return Open(log, true);
}

core::Outcome HuntTimeBar::Replay(const std::filesystem::path& log) {
    return Open(log, false);
}

core::Outcome HuntTimeBar::Open(const std::filesystem::path& log, bool live) {
    hunt_log::LogFollower follower(log);
    for (bool more = true; more;) {
        const auto step = follower.ReadAppended();
        if (!step) {
            return step.outcome();
        }
        for (const std::string& problem : step->problems) {
            Q_EMIT Message(QString::fromStdString(problem));
        }
        more = step->more;
    }
    if (!live && !follower.HasHeader()) {
        return core::Outcome::Fail("\"" + persistence::DisplayPath(log) + "\" holds no bearing log yet");
    }
    SetPlaying(false);
    follower_ = std::move(follower);
    live_ = live;
    options_ = persistence::ReadLocateSettings(main_.SettingsFile()).options;
    {
        const QSignalBlocker blockMenu(mnuShowFox);
        const QSignalBlocker blockButton(cmdShowFox);
        mnuShowFox->setChecked(false);
        cmdShowFox->setChecked(false);
    }
    showFox_ = false;
    TakeSnapshot();
    time_ = span_ ? (live ? span_->last : span_->first) : WallClockMs();
    atEnd_ = live;
    for (QAction* a :
         {mnuPlay, mnuPreviousBearing, mnuNextBearing, mnuIgnoreBearing, mnuNoteBearing, mnuCloseLog}) {
        a->setEnabled(true);
    }
    if (live) {
        pollTimer_->start();
    } else {
        pollTimer_->stop();
    }
    show();
    UpdateSlider();
    Request();
    Q_EMIT Message(
        QStringLiteral("%1 %2").arg(live ? QStringLiteral("Following") : QStringLiteral("Replaying"),
                                    QString::fromStdString(persistence::DisplayPath(log))));
    return core::Outcome::Ok();
}

core::Outcome HuntTimeBar::OpenGpx(const std::filesystem::path& gpx) {
    const auto track = platform::ReadGpxTrack(gpx);
    if (!track) {
        return track.outcome();
    }
    for (const std::string& problem : track->problems) {
        Q_EMIT Message(QString::fromStdString(problem));
    }
    gpx_ = std::make_shared<const std::vector<hunt_log::PositionEvent>>(track->points);
    const bool wasActive = follower_.has_value();
    TakeSnapshot();
    if (!wasActive && span_) {
        time_ = span_->first;
    }
    mnuCloseLog->setEnabled(true);
    mnuPlay->setEnabled(true);
    show();
    UpdateSlider();
    Request();
    return core::Outcome::Ok();
}

void HuntTimeBar::CloseLog() {
    SetPlaying(false);
    pollTimer_->stop();
    stop_.request_stop();
    follower_.reset();
    snapshot_ = std::make_shared<hunt_log::Log>();
    gpx_ = std::make_shared<std::vector<hunt_log::PositionEvent>>();
    span_.reset();
    layer_.reset();
    computed_ = Computed{};
    ++generation_;
    hide();
    Q_EMIT LayerChanged();
}

void HuntTimeBar::TakeSnapshot() {
    auto log = std::make_shared<hunt_log::Log>(follower_ ? follower_->log() : hunt_log::Log{});
    if (!follower_) {
        log->header.zone = zone_;
    }
    // A simulated hunt (training): its foxes stay hidden until asked for.
    mnuShowFox->setEnabled(!log->truth.empty());
    cmdShowFox->setVisible(!log->truth.empty());
    snapshot_ = std::move(log);
    span_ = hunt_picture::SpanOf(*snapshot_, *gpx_);
    if (live_ && atEnd_ && span_) {
        time_ = span_->last;
    }
}

void HuntTimeBar::Poll() {
    if (!follower_) {
        return;
    }
    bool changed = false;
    for (bool more = true; more;) {
        const auto step = follower_->ReadAppended();
        if (!step) {
            lblLive->setText(QString::fromStdString(step.message()));
            return;
        }
        for (const std::string& problem : step->problems) {
            Q_EMIT Message(QString::fromStdString(problem));
        }
        changed = changed || step->newEvents > 0 || step->restarted;
        more = step->more;
    }
    if (changed) {
        TakeSnapshot();
        UpdateSlider();
        Request();
    } else {
        ShowMoment();  // the ages to the wall clock grow
    }
}

void HuntTimeBar::SetZone(geodesy::UtmZone zone) {
    if (!(zone == zone_)) {
        zone_ = zone;
        Request();
    }
}

void HuntTimeBar::SetTime(hunt_log::TimeMs time) {
    if (span_) {
        time = std::clamp(time, span_->first, span_->last);
        atEnd_ = time >= span_->last;
    }
    time_ = time;
    UpdateSlider();
    Request();
}

void HuntTimeBar::SetPlaying(bool playing) {
    if (playing && span_ && time_ >= span_->last) {
        SetTime(span_->first);  // play from the start once the end was reached
    }
    if (playing && span_) {
        playTimer_->start();
    } else {
        playTimer_->stop();
    }
    cmdPlay->setText(playTimer_->isActive() ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void HuntTimeBar::Tick() {
    const hunt_log::TimeMs step = hunt_log::TimeMs{kTickMs} * cboSpeed->currentData().toInt();
    SetTime(time_ + step);
    if (!span_ || time_ >= span_->last) {
        SetPlaying(false);
    }
}

void HuntTimeBar::StepBearing(bool forward) {
    const auto next = forward ? hunt_picture::NextBearingTime(*snapshot_, time_)
                              : hunt_picture::PreviousBearingTime(*snapshot_, time_);
    if (next) {
        SetTime(*next);
    }
}

void HuntTimeBar::UpdateSlider() {
    settingSlider_ = true;
    if (span_) {
        const auto seconds = [this](hunt_log::TimeMs t) {
            return static_cast<int>((t - span_->first + 999) / 1000);
        };
        sldTime->setRange(0, seconds(span_->last));
        sldTime->setValue(time_ >= span_->last ? sldTime->maximum()
                                               : static_cast<int>((time_ - span_->first) / 1000));
    } else {
        sldTime->setRange(0, 0);
    }
    settingSlider_ = false;
    lblTime->setText(span_ ? UtcLabel(time_) : QStringLiteral("no event yet"));
}

void HuntTimeBar::Request() {
    wanted_ = true;
    if (running_) {
        stop_.request_stop();  // its moment is stale: the newest one runs next
        return;
    }
    Start();
}

void HuntTimeBar::Start() {
    wanted_ = false;
    running_ = true;
    stop_ = std::stop_source();
    Moment moment{snapshot_, gpx_,         time_,
                  zone_,     options_,     hunt_log::TimeMs{settings_.maxRayAgeMinutes} * 60'000,
                  showFox_,  ++generation_};
    QThreadPool::globalInstance()->start([link = link_, stop = stop_.get_token(), moment] {
        Computed computed = Compute(moment, stop);
        const std::lock_guard lock(link->mutex);
        if (HuntTimeBar* bar = link->bar) {
            QMetaObject::invokeMethod(
                bar, [bar, computed = std::move(computed)]() mutable { bar->Computed_(std::move(computed)); },
                Qt::QueuedConnection);
        }
    });
}

void HuntTimeBar::Computed_(Computed computed) {
    running_ = false;
    if (!computed.stopped && computed.generation == generation_) {
        computed_ = std::move(computed);
        layer_ = computed_.layer;
        ShowMoment();
        Q_EMIT LayerChanged();
        if (chkFollow->isChecked() && layer_->car) {
            Q_EMIT CarMoved(layer_->car->position);
        }
    }
    if (wanted_) {
        Start();
    }
}

void HuntTimeBar::ShowMoment() {
    QString status = QString::fromStdString(hunt_picture::LiveStatusText(
        computed_.state, time_, live_ ? std::optional(WallClockMs()) : std::nullopt));
    if (layer_) {
        for (const hunt_picture::TruthMark& truth : layer_->truth) {
            status += truth.fixDistance ? QStringLiteral("; F%1 fix %2 m from the fox")
                                              .arg(truth.fox + 1)
                                              .arg(std::lround(*truth.fixDistance))
                                        : QStringLiteral("; F%1 has no fix yet").arg(truth.fox + 1);
        }
    }
    lblLive->setText(status);
    const auto current = CurrentBearing();
    lblBearing->setText(current ? BearingText(*current, FoxOf(computed_.state, current->id))
                                : QStringLiteral("no bearing yet"));
}

std::optional<hunt_log::FoxBearing> HuntTimeBar::CurrentBearing() const {
    std::optional<hunt_log::FoxBearing> current;
    for (const auto& fox : computed_.state.foxes) {
        for (const hunt_log::FoxBearing& b : fox) {
            if (b.time <= time_ &&
                (!current || b.time > current->time || (b.time == current->time && b.id > current->id))) {
                current = b;
            }
        }
    }
    return current;
}

core::Outcome HuntTimeBar::EditCurrentBearing(std::optional<bool> ignore, std::optional<std::string> note) {
    const auto current = CurrentBearing();
    if (!follower_ || !current) {
        return core::Outcome::Fail("No bearing has been taken by the time shown.");
    }
    hunt_log::EditEvent edit;
    edit.id = current->id;
    edit.time = WallClockMs();
    edit.ignore = ignore;
    edit.note = std::move(note);
    const core::Outcome appended = main_.HuntLog()->AppendEditTo(follower_->path(), edit);
    if (appended) {
        Q_EMIT Message(
            QStringLiteral("Bearing %1 edited; the edit counts from now, so the end of the replay shows it")
                .arg(edit.id));
    }
    Poll();
    return appended;
}

void HuntTimeBar::AskNote() {
    const auto current = CurrentBearing();
    if (!current) {
        return;
    }
    bool ok = false;
    const QString note = QInputDialog::getText(this, QStringLiteral("Note Bearing"),
                                               QStringLiteral("Note for bearing %1:").arg(current->id),
                                               QLineEdit::Normal, QString::fromStdString(current->note), &ok);
    if (ok) {
        if (const core::Outcome edited = EditCurrentBearing(std::nullopt, note.toStdString()); !edited) {
            Q_EMIT Message(QString::fromStdString(edited.message()));
        }
    }
}

void HuntTimeBar::ShowFox(bool show) {
    showFox_ = show;
    for (QObject* control : {static_cast<QObject*>(mnuShowFox), static_cast<QObject*>(cmdShowFox)}) {
        const QSignalBlocker block(control);
        if (auto* a = qobject_cast<QAction*>(control)) {
            a->setChecked(show);
        } else if (auto* b = qobject_cast<QPushButton*>(control)) {
            b->setChecked(show);
        }
    }
    Request();
}

}  // namespace vantrel::ui
