#pragma once

// The main window: the two stations, the results, and every command of the program. It mirrors the
// measurement state (the box texts are the master): a user edit writes the text into the state, and after
// a command the window refreshes from the state.

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/hunt_zone.hpp"
#include "geodesy/zone_warning.hpp"
#include "persistence/program_state.hpp"
#include "platform/gps_position_request.hpp"
#include "platform/hunt_export.hpp"
#include "platform/nav_data.hpp"
#include "quality/fix_quality.hpp"
#include "ui/single_window.hpp"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace vantrel::ui {

class BearingsWindow;
class HuntLogLink;
class DataDialog;
class FileTitle;
class HuntMap;
class RecentFilesMenu;
class TrackController;
class PicFrame;
class frmAbout;
class frmAngle;
class frmDataIn;
class frmSetup;

// What a file command asks of the file dialog; the answer is the chosen path, or nothing when cancelled.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString presetName;
    QString filter;  // "ZarUvariziRozu (*.fh2)"
};
using FileDialog = std::function<std::optional<QString>(QWidget* parent, const FileDialogRequest& request)>;

// The platform's file dialog (Save asks before it replaces a file).
std::optional<QString> ShowFileDialog(QWidget* parent, const FileDialogRequest& request);

// What the window needs from the system it runs on.
struct MainFrmEnvironment {
    std::filesystem::path settingsFile;  // Vantrel.ini
    char decimalSeparator = ',';
    FileDialog fileDialog = ShowFileDialog;
};

class MainFrm : public QMainWindow {
    Q_OBJECT
  public:
    MainFrm(persistence::ProgramState& program, MainFrmEnvironment environment, QWidget* parent = nullptr);
    ~MainFrm() override;

    persistence::ProgramState& Program() { return program_; }
    core::MeasurementState& State() { return program_.main; }
    [[nodiscard]] char DecimalSeparator() const { return environment_.decimalSeparator; }
    // How fixes are assessed: [Quality] of Vantrel.ini, read at start.
    [[nodiscard]] const quality::QualitySettings& Quality() const { return qualitySettings_; }
    [[nodiscard]] const std::filesystem::path& SettingsFile() const { return environment_.settingsFile; }

    // Shows every box as the state holds it.
    void RefreshFromState();
    // The status line's note after a command that succeeded (it replaces the previous one; empty clears).
    void ShowStatusNote(const QString& note);
    // Writes the settings file; a failure is shown.
    void PutIniData();
    // A file handed to the program from outside (command line, file manager): a ".fhd" (any case) is
    // imported as File > Import would, anything else opened as File > Open would, with the same message
    // when it fails.
    void OpenFromOutside(const std::filesystem::path& file);
    // Start-up: opens the object database the settings name (creating the program's own one on first use
    // where there is one); a database that cannot be opened is reported.
    void StartDatabase();

    // The connection to the object database that Update Database writes and the view shows.
    platform::NavData NavData;
    // The GPS port's request of "Get Pos" (one at a time).
    platform::GpsPositionRequest GPSComm;
    // The Vantrel.ini as it is now on disk (for the [Ports] device mapping).
    [[nodiscard]] persistence::IniFile SettingsFileContent() const;
    // The hunt's zone and where it comes from (geodesy/hunt_zone.hpp): the zone boxes, the bearing log,
    // the zone remembered for the measurement file, [Map] Zone, 32U. Never the last map's.
    [[nodiscard]] geodesy::ZoneChoice HuntZone() const;
    // Remembers the zone the user chose for the measurement file (Vantrel.ini, [Zones]); with no file name
    // it becomes the default ([Map] Zone).
    core::Outcome RememberHuntZone(geodesy::UtmZone zone);

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
    QLabel* lblHuntZone = nullptr;  // "Hunt zone 25M (remembered)"

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
    QAction* mnuExport = nullptr;
    QAction* mnuViewDb = nullptr;
    QAction* mnuSetDbFname = nullptr;
    QAction* MNU_QUIT = nullptr;
    QAction* mnuAngles = nullptr;
    QAction* mnuShowRays = nullptr;
    QAction* mnuHuntMap = nullptr;  // Ctrl+M
    QMenu* mnuRecent = nullptr;     // File > Open Recent: the last 8 files opened or saved
    RecentFilesMenu* recentFiles = nullptr;
    QAction* mnuSetup = nullptr;
    QAction* MNU_ABOUT = nullptr;
    // The hunt's bearing log: File > Log Bearings (Ctrl+L), View > Bearings.
    QAction* mnuLogBearings = nullptr;
    QAction* mnuBearings = nullptr;
    // File > Track (Ctrl+T): the live hunt on the move; its fix age and counts at the status bar's end.
    QAction* mnuTrack = nullptr;
    QLabel* lblTrack = nullptr;

    // The secondary windows, each at most once.
    SingleWindow<frmAngle> angleWindow;
    SingleWindow<PicFrame> raysWindow;
    SingleWindow<frmAbout> aboutWindow;
    SingleWindow<DataDialog> dataWindow;
    SingleWindow<frmSetup> setupWindow;
    SingleWindow<frmDataIn> dataInWindow;
    SingleWindow<HuntMap> huntMapWindow;
    SingleWindow<BearingsWindow> bearingsWindow;

    // The open hunt's bearing log (owned by this window).
    [[nodiscard]] HuntLogLink* HuntLog() const { return huntLog_; }

    // Asks the file dialog for a file; nothing when cancelled.
    std::optional<std::filesystem::path> AskFile(FileDialogRequest::Kind kind, const QString& title,
                                                 const QString& presetName, const QString& filter);

  Q_SIGNALS:
    // The measurement state may have changed: a box was typed into, or a command refreshed the window
    // (Calculate, Open, Import, Get Pos, Transfer to Main, ...).
    void StateChanged();

  public Q_SLOTS:
    void Calculate();
    void WriteOverlays();
    void WritePreviewOverlay();
    void Open();
    void Save();
    void Import();
    // File > Export...: KML, GeoJSON or GPX of the current state, by the chosen file's extension.
    void Export();
    void UpdateDatabase();
    // Log Bearings: appends every fox's bearing of both station boxes to the hunt's bearing log.
    void LogBearings();
    void SetDatabaseFile();
    // "Get Pos" of station index 0 or 1; Esc on the focused button cancels it.
    void GetPos(int stationIndex);
    void Quit();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Exports in `zone`; a hunt that does not lie in it asks for its zone and tries again.
    void ExportIn(const std::filesystem::path& path, platform::ExportFormat format, geodesy::ZoneChoice zone);
    void BuildStationFrame(int station);
    void BuildResultsFrame();
    void BuildButtons();
    void BuildMenus();
    void BuildBearingLogMenus();
    void BuildTrackMenu();
    // Track on or off (mnuTrack); a Track that cannot start is reported and the entry unchecked.
    void SetTracking(bool on);
    // Get Pos while Track is on: the next fix of Track's stream.
    void GetPosFromTrack(int stationIndex);
    void SetTabOrder();
    QLineEdit* BindBox(QWidget* parent, core::BoxId id);
    // Runs a command over the state: refreshes the window, then shows its failure (and clears the status
    // line's note of an earlier command). True when it succeeded.
    bool RunCommand(const core::Outcome& outcome);
    [[nodiscard]] std::string ZoneWarning(geodesy::ZoneCheck check) const;
    // A measurement file was opened or saved: the title names it, the recent files list it first.
    void FileOpenedOrSaved(const std::filesystem::path& file);
    void OpenRecent(const std::filesystem::path& file);

    void ShowGpsProgress();
    void ShowHuntZone();
    void EndGpsRequest(const QString& status);
    void ShowSettingsProblems(const std::vector<std::string>& problems);
    // The Results boxes' tooltips: each fix's quality in words, from the state as it is now.
    void RefreshQuality();

    quality::QualitySettings qualitySettings_;  // [Quality] of Vantrel.ini, read at start
    persistence::ProgramState& program_;
    MainFrmEnvironment environment_;
    HuntLogLink* huntLog_ = nullptr;    // Qt child
    TrackController* track_ = nullptr;  // Qt child
    int gpsStation_ = -1;               // the station whose "Get Pos" waits, -1 when none
    QString gpsPortName_;               // "COM1", and the device it maps to, of the waiting request
    QString gpsDevice_;
    std::unique_ptr<FileTitle> fileTitle_;
};

}  // namespace vantrel::ui
