#include "ui/schedule_frame.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTime>

#include <array>
#include <cmath>

#include "persistence/instrument_settings.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {
namespace {

using instruments::kNoFox;
using instruments::Nanoseconds;

// The clock is read four times a second: the seconds shown never lag by more than a quarter.
constexpr int kTickMs = 250;

Nanoseconds ComputerTimeOfDay() {
    return static_cast<Nanoseconds>(QTime::currentTime().msecsSinceStartOfDay()) * 1'000'000;
}

// Whole seconds, rounded up: "42 s" while 41.2 s are left.
QString SecondsText(Nanoseconds duration) {
    return QString::number((duration + instruments::kSecond - 1) / instruments::kSecond) +
           QStringLiteral(" s");
}

}  // namespace

ScheduleFrame::ScheduleFrame(std::filesystem::path settingsFile, const persistence::IniFile& settings,
                             QWidget* parent)
    : QGroupBox(QStringLiteral("Schedule"), parent),
      settingsFile_(std::move(settingsFile)),
      clock_(ComputerTimeOfDay) {
    setObjectName(QStringLiteral("Schedule"));
    Build();
    saved_ = persistence::ScheduleSettingsFromIni(settings);
    ShowSettings(saved_);
    timer_.setTimerType(Qt::CoarseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &ScheduleFrame::Tick);
    Apply();
}

void ScheduleFrame::Build() {
    chkSchedule = new QCheckBox(QStringLiteral("Follow the schedule"), this);
    chkSchedule->setObjectName(QStringLiteral("chkSchedule"));
    PlaceTwips(*chkSchedule, 120, 270, 2640, 255);
    lblOnAir = new QLabel(this);
    lblOnAir->setObjectName(QStringLiteral("lblOnAir"));
    QFont bold = lblOnAir->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    lblOnAir->setFont(bold);
    PlaceTwips(*lblOnAir, 120, 570, 2640, 375);
    lblNext = new QLabel(this);
    lblNext->setObjectName(QStringLiteral("lblNext"));
    PlaceTwips(*lblNext, 120, 960, 2640, 255);
    lblClock = new QLabel(this);
    lblClock->setObjectName(QStringLiteral("lblClock"));
    PlaceTwips(*lblClock, 120, 1230, 2640, 255);

    const std::array<std::pair<const char*, QString>, 7> rows{{
        {"txtStart", QStringLiteral("Cycle start")},
        {"txtSlot", QStringLiteral("Slot (s)")},
        {"txtSlots", QStringLiteral("Slots")},
        {"txtOrder", QStringLiteral("Foxes")},
        {"txtOnTime", QStringLiteral("On air (s)")},
        {"txtGuard", QStringLiteral("Guard (s)")},
        {"txtOffset", QStringLiteral("Clock offset (s)")},
    }};
    std::array<QLineEdit*, 7> boxes{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int top = 1620 + 390 * static_cast<int>(i);
        auto* label = new QLabel(rows[i].second, this);
        PlaceTwips(*label, 120, top, 1320, 255);
        boxes[i] = new QLineEdit(this);
        boxes[i]->setObjectName(QString::fromLatin1(rows[i].first));
        PlaceTwips(*boxes[i], 1440, top - 30, 1320, 285);
        label->setBuddy(boxes[i]);
        connect(boxes[i], &QLineEdit::editingFinished, this, &ScheduleFrame::Apply);
    }
    txtStart = boxes[0];
    txtSlot = boxes[1];
    txtSlots = boxes[2];
    txtOrder = boxes[3];
    txtOnTime = boxes[4];
    txtGuard = boxes[5];
    txtOffset = boxes[6];
    txtStart->setToolTip(QStringLiteral("Time of day the cycle starts, HH:MM:SS"));
    txtOrder->setToolTip(
        QStringLiteral("The fox of each slot, F1..F5 or - for an empty slot; empty: slot k is fox k"));
    txtOnTime->setToolTip(QStringLiteral("How long a fox sends in its slot; empty: the whole slot"));
    txtOffset->setToolTip(QStringLiteral("Seconds added to the computer's clock to match the foxes' clocks"));
    connect(chkSchedule, &QCheckBox::toggled, this, &ScheduleFrame::Apply);
}

void ScheduleFrame::ShowSettings(const persistence::ScheduleSettings& s) {
    const QSignalBlocker blocker(chkSchedule);
    chkSchedule->setChecked(s.on);
    txtStart->setText(QString::fromStdString(s.start));
    txtSlot->setText(QString::fromStdString(s.slot));
    txtSlots->setText(QString::fromStdString(s.slots));
    txtOrder->setText(QString::fromStdString(s.order));
    txtOnTime->setText(QString::fromStdString(s.onTime));
    txtGuard->setText(QString::fromStdString(s.guard));
    txtOffset->setText(QString::fromStdString(s.clockOffset));
}

persistence::ScheduleSettings ScheduleFrame::TypedSettings() const {
    // Line breaks (pasted) would split a value of the settings file into lines of its own.
    const auto text = [](const QLineEdit* box) {
        return box->text().remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).trimmed().toStdString();
    };
    return {chkSchedule->isChecked(), text(txtStart),  text(txtSlot),  text(txtSlots),
            text(txtOrder),           text(txtOnTime), text(txtGuard), text(txtOffset)};
}

void ScheduleFrame::SetClock(Clock clock) {
    clock_ = std::move(clock);
    Tick();
}

void ScheduleFrame::Apply() {
    const persistence::ScheduleSettings typed = TypedSettings();
    if (typed != saved_) {
        const core::Outcome kept = persistence::UpdateIniFile(settingsFile_, [&](persistence::IniFile& ini) {
            persistence::ScheduleSettingsToIni(typed, ini);
        });
        if (kept) {
            saved_ = typed;
        } else {
            Q_EMIT problem(QString::fromStdString(kept.message()));
        }
    }
    schedule_.reset();
    QString wrong;
    const auto offset = persistence::ClockOffset(typed.clockOffset);
    if (!offset) {
        wrong = QStringLiteral("Clock offset: \"%1\" is not a number of seconds")
                    .arg(QString::fromStdString(typed.clockOffset));
    }
    offset_ = offset.value_or(0);
    if (const auto schedule = persistence::ScheduleFromSettings(typed); !schedule) {
        wrong = QString::fromStdString(schedule.message());
    } else if (wrong.isEmpty()) {
        schedule_ = *schedule;
    }
    // What is wrong takes the room of the clock lines, in the plain font; the fox on the air stands out.
    const bool showProblem = typed.on && !wrong.isEmpty();
    lblOnAir->setStyleSheet(
        showProblem
            ? QStringLiteral("color: #b00000; font-weight: normal; font-size: %1pt").arg(font().pointSizeF())
            : QString());
    lblOnAir->setWordWrap(showProblem);
    PlaceTwips(*lblOnAir, 120, 570, 2640, showProblem ? 915 : 375);
    if (!typed.on) {
        lblOnAir->setText(QStringLiteral("Fox chosen by hand"));
    } else if (!wrong.isEmpty()) {
        lblOnAir->setText(wrong);
    }
    lblOnAir->setToolTip(wrong);
    UpdateTimer();
    Tick();
}

std::optional<int> ScheduleFrame::FoxOnAir() const {
    if (!chkSchedule->isChecked() || !schedule_) {
        return std::nullopt;
    }
    return instruments::FoxOnAir(*schedule_, Now());
}

Nanoseconds ScheduleFrame::Now() const {
    return clock_() + offset_;  // reduced to the day by the schedule
}

void ScheduleFrame::Tick() {
    const bool running = chkSchedule->isChecked() && schedule_.has_value();
    const Nanoseconds timeOfDay = (Now() % instruments::kDay + instruments::kDay) % instruments::kDay;
    const Nanoseconds wholeSeconds = timeOfDay - timeOfDay % instruments::kSecond;
    lblClock->setText(
        running
            ? QStringLiteral("Clock %1").arg(QString::fromStdString(instruments::ClockTimeText(wholeSeconds)))
            : QString());
    if (!running) {
        lblNext->clear();
        Q_EMIT clockTicked();
        return;
    }
    const instruments::ScheduleStatus status = instruments::StatusAt(*schedule_, Now());
    lblOnAir->setText(status.fox == kNoFox
                          ? QStringLiteral("No fox on the air")
                          : QStringLiteral("Fox %1 - %2").arg(status.fox).arg(SecondsText(status.left)));
    lblNext->setText(
        status.nextFox == kNoFox
            ? QStringLiteral("No fox in the schedule")
            : QStringLiteral("Next: Fox %1 in %2").arg(status.nextFox).arg(SecondsText(status.untilNext)));
    Q_EMIT clockTicked();
}

void ScheduleFrame::UpdateTimer() {
    const bool wanted = isVisible() && chkSchedule->isChecked() && schedule_.has_value();
    if (wanted && !timer_.isActive()) {
        timer_.start();
    } else if (!wanted) {
        timer_.stop();
    }
}

void ScheduleFrame::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    UpdateTimer();
    Tick();
}

void ScheduleFrame::hideEvent(QHideEvent* event) {
    QGroupBox::hideEvent(event);
    UpdateTimer();
}

}  // namespace vantrel::ui
