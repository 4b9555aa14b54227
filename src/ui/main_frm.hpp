#pragma once

// The main window: the two stations, the results, and every command of the program. It mirrors the
// measurement state (the box texts are the master): a user edit writes the text into the state, and after
// a command the window refreshes from the state.

#include <QMainWindow>

#include <array>
#include <filesystem>

#include "persistence/program_state.hpp"
#include "ui/single_window.hpp"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel::ui {

class PicFrame;
class frmAbout;
class frmAngle;

// What the window needs from the system it runs on.
struct MainFrmEnvironment {
    std::filesystem::path settingsFile;  // Vantrel.ini
    char decimalSeparator = ',';
};

class MainFrm : public QMainWindow {
    Q_OBJECT
  public:
    MainFrm(persistence::ProgramState& program, MainFrmEnvironment environment, QWidget* parent = nullptr);
    ~MainFrm() override;

    persistence::ProgramState& Program() { return program_; }
    core::MeasurementState& State() { return program_.main; }
    [[nodiscard]] char DecimalSeparator() const { return environment_.decimalSeparator; }
    [[nodiscard]] const std::filesystem::path& SettingsFile() const { return environment_.settingsFile; }

    // Shows every box as the state holds it.
    void RefreshFromState();
    // Writes the settings file; a failure is shown.
    void PutIniData();

    // Station boxes. Lat boxes hold northings, Lon boxes eastings.
    QLineEdit* Sced1Lat = nullptr;
    QLineEdit* Sced1Lon = nullptr;
    QLineEdit* Sced1Ang = nullptr;
    QLineEdit* Sced2Lat = nullptr;
    QLineEdit* Sced2Lon = nullptr;
    QLineEdit* Sced2Ang = nullptr;
    std::array<QLineEdit*, 5> S1Ang{};
    std::array<QLineEdit*, 5> S1Sig{};
    std::array<QLineEdit*, 5> S2Ang{};
    std::array<QLineEdit*, 5> S2Sig{};
    std::array<QLineEdit*, 2> txtZone{};
    std::array<QLineEdit*, 5> ResLat{};
    std::array<QLineEdit*, 5> ResLon{};
    QLineEdit* txtTest = nullptr;

    std::array<QPushButton*, 2> cmdGetPos{};
    std::array<QPushButton*, 2> cmdAq{};
    QPushButton* CalcCMD = nullptr;
    QPushButton* cmdWriteOvl = nullptr;
    QPushButton* upd_db_cmd = nullptr;
    QPushButton* cmdQuit = nullptr;
    QPushButton* cmdWritePreview = nullptr;

    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuViewDb = nullptr;
    QAction* mnuSetDbFname = nullptr;
    QAction* MNU_QUIT = nullptr;
    QAction* mnuAngles = nullptr;
    QAction* mnuShowRays = nullptr;
    QAction* mnuSetup = nullptr;
    QAction* MNU_ABOUT = nullptr;

    // The secondary windows, each at most once.
    SingleWindow<frmAngle> angleWindow;
    SingleWindow<PicFrame> raysWindow;
    SingleWindow<frmAbout> aboutWindow;

  public Q_SLOTS:
    void Calculate();
    void Quit();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildStationFrame(int station);
    void BuildResultsFrame();
    void BuildButtons();
    void BuildMenus();
    void SetTabOrder();
    QLineEdit* BindBox(QWidget* parent, core::BoxId id);
    // Runs a command over the state: shows its failure, then refreshes the window.
    void RunCommand(const core::Outcome& outcome);

    persistence::ProgramState& program_;
    MainFrmEnvironment environment_;
};

}  // namespace vantrel::ui
