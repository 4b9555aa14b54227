#pragma once

// The frame "Schedule" of the "Data Processing" window: the fox schedule's settings, the fox on the air with
// the seconds it stays on, and the next fox. While the frame is shown and the schedule is on, a coarse timer
// reads the clock (the computer's time of day plus the user's offset) a few times a second and tells the
// window (clockTicked), which makes the active fox follow. Nothing runs while the schedule is off or the
// window is hidden. The settings are kept in the [Schedule] section of the settings file as typed.

#include <QGroupBox>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <optional>

#include "instruments/fox_schedule.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/instrument_settings.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace vantrel::ui {

class ScheduleFrame : public QGroupBox {
    Q_OBJECT
  public:
    // The computer's time of day.
    using Clock = std::function<instruments::Nanoseconds()>;

    ScheduleFrame(std::filesystem::path settingsFile, const persistence::IniFile& settings, QWidget* parent);

    QCheckBox* chkSchedule = nullptr;
    QLineEdit* txtStart = nullptr;
    QLineEdit* txtSlot = nullptr;
    QLineEdit* txtSlots = nullptr;
    QLineEdit* txtOrder = nullptr;
    QLineEdit* txtOnTime = nullptr;
    QLineEdit* txtGuard = nullptr;
    QLineEdit* txtOffset = nullptr;
    QLabel* lblOnAir = nullptr;
    QLabel* lblNext = nullptr;
    QLabel* lblClock = nullptr;

    // Replaces the computer's clock (for tests: a clock that the test moves).
    void SetClock(Clock clock);
    // The fox on the air now (instruments::kNoFox for none); nullopt while the schedule is off or its
    // settings are wrong (the active fox is then chosen by hand).
    [[nodiscard]] std::optional<int> FoxOnAir() const;
    [[nodiscard]] bool TimerRunning() const { return timer_.isActive(); }
    // Reads the boxes, shows what is wrong or the fox on the air, and keeps the settings.
    void Apply();

  Q_SIGNALS:
    void clockTicked();
    void problem(const QString& message);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Build();
    void ShowSettings(const persistence::ScheduleSettings& settings);
    [[nodiscard]] persistence::ScheduleSettings TypedSettings() const;
    [[nodiscard]] instruments::Nanoseconds Now() const;
    void Tick();
    void UpdateTimer();

    std::filesystem::path settingsFile_;
    persistence::ScheduleSettings saved_;
    std::optional<instruments::FoxSchedule> schedule_;
    instruments::Nanoseconds offset_ = 0;
    Clock clock_;
    QTimer timer_;
};

}  // namespace vantrel::ui
