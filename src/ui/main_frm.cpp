#include "ui/main_frm.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>

#include <utility>
#include <vector>

#include "core/cross_fix.hpp"
#include "geodesy/utm_zone.hpp"
#include "instruments/gps_request.hpp"
#include "instruments/port_numbers.hpp"
#include "map_outputs/hunt_export_model.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/result_overlays.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/path_text.hpp"
#include "persistence/quality_settings.hpp"
#include "persistence/settings.hpp"
#include "persistence/zone_memory.hpp"
#include "platform/hunt_export.hpp"
#include "platform/locations.hpp"
#include "platform/serial_ports.hpp"
#include "quality/quality_text.hpp"
#include "ui/bearings_window.hpp"
#include "ui/box_text.hpp"
#include "ui/data_dialog.hpp"
#include "ui/file_history.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_angle.hpp"
#include "ui/frm_data_in.hpp"
#include "ui/frm_setup.hpp"
#include "ui/hunt_log_link.hpp"
#include "ui/hunt_map.hpp"
#include "ui/messages.hpp"
#include "ui/pic_frame.hpp"
#include "ui/status_notes.hpp"
#include "ui/track_controller.hpp"
#include "ui/twips.hpp"
#include "ui/wrapping_button.hpp"
#include "ui/zone_prompt.hpp"

namespace vantrel::ui {
namespace {

// Client area of the main window, in twips.
constexpr int kClientWidth = 8955;
constexpr int kClientHeight = 5670;
constexpr int kBoxHeight = 285;
constexpr int kButtonHeight = 375;

QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    PlaceTwips(*label, left, top);
    return label;
}

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

// Result boxes sit on the button-face colour: they show, the user does not type there.
void MakeResultBox(QLineEdit* box) {
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
}

const QString kDataFileFilter = QStringLiteral("ZarUvariziRozu (*.fh2)");
const QString kImportFileFilter = QStringLiteral("ZarUvariziRozu (*.fhd)");
// The map application's Access files, and the SQLite files the program makes for itself elsewhere.
const QString kDatabaseFilter = QStringLiteral("Access Data (*.mdb);;SQLite database (*.sqlite *.db)");

}  // namespace

std::optional<QString> ShowFileDialog(QWidget* parent, const FileDialogRequest& request) {
    const QString path =
        request.kind == FileDialogRequest::Kind::Save
            ? QFileDialog::getSaveFileName(parent, request.title, request.presetName, request.filter)
            : QFileDialog::getOpenFileName(parent, request.title, request.presetName, request.filter);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

// One unusable setting is shown as it is; several as a count and the first, all of them in the tooltip.
void MainFrm::ShowSettingsProblems(const std::vector<std::string>& problems) {
    if (problems.empty()) {
        return;
    }
    QStringList all;
    for (const std::string& problem : problems) {
        all << QString::fromStdString(problem);
    }
    if (all.size() == 1) {
        statusBar()->showMessage(all.front());
        return;
    }
    statusBar()->showMessage(
        QStringLiteral("%1 settings in Vantrel.ini are not usable (point here for all): %2")
            .arg(all.size())
            .arg(all.front()));
    statusBar()->setToolTip(
        all.join(QLatin1Char('\n')));  // after the message, which set the tooltip to itself
}

MainFrm::MainFrm(persistence::ProgramState& program, MainFrmEnvironment environment, QWidget* parent)
    : QMainWindow(parent), program_(program), environment_(std::move(environment)) {
    setObjectName(QStringLiteral("MainFrm"));
    const persistence::QualitySettingsRead quality = persistence::ReadQualitySettings(SettingsFile());
    qualitySettings_ = quality.settings;
    setWindowTitle(QStringLiteral("Vantrel"));
    fileTitle_ = std::make_unique<FileTitle>(*this);
    connect(this, &MainFrm::StateChanged, this, [this] { fileTitle_->Update(program_); });
    auto* client = new QWidget(this);
    setCentralWidget(client);
    client->setFixedSize(TwipsToPixels(*this, kClientWidth), TwipsToPixels(*this, kClientHeight));

    BuildStationFrame(1);
    BuildStationFrame(2);
    BuildResultsFrame();
    BuildButtons();
    BuildMenus();
    SetTabOrder();
    statusBar()->setSizeGripEnabled(false);
    // A note longer than the window is cut off; the pointer on the status bar shows all of it.
    connect(statusBar(), &QStatusBar::messageChanged, statusBar(), &QWidget::setToolTip);
    RefreshFromState();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ShowSettingsProblems(quality.problems);

    connect(&GPSComm, &platform::GpsPositionRequest::finished, this, [this](const instruments::RmcFix& fix) {
        const int station = gpsStation_;
        instruments::ApplyGpsFix(State(), station, fix, DecimalSeparator());
        RefreshFromState();
        EndGpsRequest(QString::fromStdString(instruments::GpsFixNote(station, gpsPortName_.toStdString(),
                                                                     State().txtZone[station == 0 ? 0 : 1])));
    });
    connect(&GPSComm, &platform::GpsPositionRequest::listening, this, &MainFrm::ShowGpsProgress);
    connect(&GPSComm, &platform::GpsPositionRequest::progressed, this, &MainFrm::ShowGpsProgress);
    connect(&GPSComm, &platform::GpsPositionRequest::failed, this, [this](const QString& message) {
        EndGpsRequest(QString());
        ShowMessage(this, message, QMessageBox::Warning);
    });
    connect(&GPSComm, &platform::GpsPositionRequest::aborted, this,
            [this] { EndGpsRequest(QStringLiteral("GPS request cancelled")); });
}

MainFrm::~MainFrm() = default;

QLineEdit* MainFrm::BindBox(QWidget* parent, core::BoxId id) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromStdString(core::BoxName(id)));
    connect(box, &QLineEdit::textEdited, this, [this, id](const QString& text) {
        core::Box(State(), id) = text.toStdString();
        RefreshQuality();  // a fix whose boxes changed is no longer vouched for
        Q_EMIT StateChanged();
    });
    return box;
}

void MainFrm::BuildStationFrame(int station) {
    const int k = station - 1;
    auto* frame = new QGroupBox(QStringLiteral("Scedule %1").arg(station), centralWidget());
    frame->setObjectName(QStringLiteral("Frame%1").arg(station));
    PlaceTwips(*frame, station == 1 ? 120 : 2400, 120, 2295, 4815);

    AddLabel(frame, QStringLiteral("Position UTM"), 120, 240);
    txtZone[static_cast<std::size_t>(k)] = new QLineEdit(frame);
    QLineEdit* zone = txtZone[static_cast<std::size_t>(k)];
    zone->setObjectName(Indexed("txtZone", k));
    connect(zone, &QLineEdit::textEdited, this, [this, k](const QString& text) {
        State().txtZone[static_cast<std::size_t>(k)] = text.toStdString();
        Q_EMIT StateChanged();
    });
    PlaceTwips(*zone, 1320, 240, 615, kBoxHeight);

    auto* getPos = new WrappingButton(QStringLiteral("Get Pos"), frame);
    getPos->setObjectName(Indexed("cmdGetPos", k));
    getPos->setToolTip(QStringLiteral("Obtain position from GPS"));
    PlaceTwips(*getPos, 120, 600, 495, 615);
    cmdGetPos[static_cast<std::size_t>(k)] = getPos;
    getPos->installEventFilter(this);  // Esc on the button cancels a waiting request
    connect(getPos, &QPushButton::clicked, this, [this, k] { GetPos(k); });

    QLineEdit* lon = BindBox(frame, {station, core::BoxKind::Easting, 0});
    PlaceTwips(*lon, 720, 600, 1215, kBoxHeight);
    AddLabel(frame, QStringLiteral("E"), 1995, 630);
    QLineEdit* lat = BindBox(frame, {station, core::BoxKind::Northing, 0});
    PlaceTwips(*lat, 720, 960, 1215, kBoxHeight);
    AddLabel(frame, QStringLiteral("N"), 1995, 990);

    // Narrower than its text, so it wraps onto two lines left of the base angle box.
    auto* baseLabel = new QLabel(QStringLiteral("Base Angle ref. to N"), frame);
    baseLabel->setWordWrap(true);
    PlaceTwips(*baseLabel, 120, 1320, 1035, 435);
    QLineEdit* base = BindBox(frame, {station, core::BoxKind::BaseAngle, 0});
    PlaceTwips(*base, 1200, 1440, 735, kBoxHeight);
    AddLabel(frame, QStringLiteral("\u00B0"), 1995, 1470);

    auto* aq = new QPushButton(QStringLiteral("Aquire from RX"), frame);
    aq->setObjectName(Indexed("cmdAq", k));
    aq->setToolTip(QStringLiteral("Get angles from RDF equipment"));
    PlaceTwips(*aq, 360, 1920, 1575, kButtonHeight);
    cmdAq[static_cast<std::size_t>(k)] = aq;
    // The station is noted for the data window; an open window switches to it without reloading its table.
    connect(aq, &QPushButton::clicked, this, [this, k] {
        program_.RxStation = k;
        dataInWindow.Show(*this).ShowStation();
    });

    auto& angles = station == 1 ? S1Ang : S2Ang;
    auto& signals = station == 1 ? S1Sig : S2Sig;
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        const int top = 2400 + 360 * fox;
        AddLabel(frame, QStringLiteral("F%1").arg(fox + 1), 120, top + 30);
        QLineEdit* bearing = BindBox(frame, {station, core::BoxKind::Bearing, fox});
        PlaceTwips(*bearing, 360, top, 630, kBoxHeight);
        AddLabel(frame, QStringLiteral("\u00B0"), 1035, top + 30);
        QLineEdit* signal = BindBox(frame, {station, core::BoxKind::Signal, fox});
        PlaceTwips(*signal, 1320, top, 495, kBoxHeight);
        AddLabel(frame, QStringLiteral("dB"), 1860, top + 30);
        angles[static_cast<std::size_t>(fox)] = bearing;
        signals[static_cast<std::size_t>(fox)] = signal;
    }
    (station == 1 ? Sced1Lon : Sced2Lon) = lon;
    (station == 1 ? Sced1Lat : Sced2Lat) = lat;
    (station == 1 ? Sced1Ang : Sced2Ang) = base;
}

void MainFrm::BuildResultsFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Results"), centralWidget());
    frame->setObjectName(QStringLiteral("Frame3"));
    PlaceTwips(*frame, 4680, 120, 4215, 4815);
    AddLabel(frame, QStringLiteral("Northing"), 1080, 240);
    AddLabel(frame, QStringLiteral("UTM"), 2040, 240);
    AddLabel(frame, QStringLiteral("Easting"), 2760, 240);
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        const int top = 480 + 360 * fox;
        const auto i = static_cast<std::size_t>(fox);
        AddLabel(frame, QStringLiteral("F%1").arg(fox + 1), 240, top + 30);
        ResLat[i] = new QLineEdit(frame);
        ResLat[i]->setObjectName(Indexed("ResLat", fox));
        MakeResultBox(ResLat[i]);
        PlaceTwips(*ResLat[i], 720, top, 1335, kBoxHeight);
        AddLabel(frame, QStringLiteral("N"), 2100, top + 30);
        ResLon[i] = new QLineEdit(frame);
        ResLon[i]->setObjectName(Indexed("ResLon", fox));
        MakeResultBox(ResLon[i]);
        PlaceTwips(*ResLon[i], 2400, top, 1335, kBoxHeight);
        AddLabel(frame, QStringLiteral("E"), 3780, top + 30);
    }
    auto* note = new QLabel(QStringLiteral("NOTE: Use comma ',' as decimal point!"), frame);
    note->setWordWrap(true);
    PlaceTwips(*note, 720, 2520, 3015, kButtonHeight);
}

void MainFrm::BuildButtons() {
    QWidget* client = centralWidget();
    const auto button = [client](const char* name, const QString& text, int left, int top, int width) {
        auto* b = new QPushButton(text, client);
        b->setObjectName(QString::fromLatin1(name));
        PlaceTwips(*b, left, top, width, kButtonHeight);
        b->raise();  // over the Results frame
        return b;
    };
    CalcCMD = button("CalcCMD", QStringLiteral("&Calculate"), 5280, 3360, 1455);
    cmdWriteOvl = button("cmdWriteOvl", QStringLiteral("Write Overlays"), 5280, 3840, 1455);
    cmdWriteOvl->setToolTip(QStringLiteral("Generates Overlay-Files"));
    upd_db_cmd = button("upd_db_cmd", QStringLiteral("Update Database"), 5280, 4320, 1455);
    cmdQuit = button("cmdQuit", QStringLiteral("Quit"), 7800, 4320, 975);
    cmdWritePreview = button("cmdWritePreview", QStringLiteral("Write Preview Overlay"), 240, 4440, 2055);

    // The hunt's zone and where it comes from, in the free corner beside Calculate.
    lblHuntZone = new QLabel(client);
    lblHuntZone->setObjectName(QStringLiteral("lblHuntZone"));
    lblHuntZone->setWordWrap(true);
    PlaceTwips(*lblHuntZone, 6855, 3360, 1935, 2 * kButtonHeight);
    lblHuntZone->raise();
    connect(this, &MainFrm::StateChanged, this, &MainFrm::ShowHuntZone);

    txtTest = new QLineEdit(client);
    txtTest->setObjectName(QStringLiteral("txtTest"));
    connect(txtTest, &QLineEdit::textEdited, this,
            [this](const QString& text) { State().txtTest = text.toStdString(); });
    PlaceTwips(*txtTest, 120, 5160, 8775, kButtonHeight);

    connect(CalcCMD, &QPushButton::clicked, this, &MainFrm::Calculate);
    connect(cmdWriteOvl, &QPushButton::clicked, this, &MainFrm::WriteOverlays);
    connect(cmdWritePreview, &QPushButton::clicked, this, &MainFrm::WritePreviewOverlay);
    connect(upd_db_cmd, &QPushButton::clicked, this, &MainFrm::UpdateDatabase);
    connect(cmdQuit, &QPushButton::clicked, this, &MainFrm::Quit);
}

void MainFrm::BuildMenus() {
    const auto action = [this](const char* name, const QString& text) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MNU_FILE"));
    mnuOpen = action("mnuOpen", QStringLiteral("&Open"));
    mnuSave = action("mnuSave", QStringLiteral("&Save"));
    mnuImport = action("mnuImport", QStringLiteral("&Import"));
    mnuExport = action("mnuExport", QStringLiteral("&Export..."));
    mnuViewDb = action("mnuViewDb", QStringLiteral("&View Database"));
    mnuSetDbFname = action("mnuSetDbFname", QStringLiteral("Set Database File"));
    mnuOpen->setShortcut(QKeySequence::Open);
    mnuSave->setShortcut(QKeySequence::Save);
    MNU_QUIT = action("MNU_QUIT", QStringLiteral("Quit"));
    MNU_QUIT->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    MNU_QUIT->setShortcutContext(Qt::ApplicationShortcut);
    file->addActions({mnuOpen, mnuSave, mnuImport, mnuExport, mnuViewDb, mnuSetDbFname, MNU_QUIT});
    mnuRecent = new QMenu(QStringLiteral("Open &Recent"), file);
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    file->insertMenu(mnuSave, mnuRecent);
    recentFiles = new RecentFilesMenu(*mnuRecent, SettingsFile());
    connect(recentFiles, &RecentFilesMenu::OpenRequested, this, &MainFrm::OpenRecent);

    QMenu* graphic = menuBar()->addMenu(QStringLiteral("Graphic"));
    graphic->setObjectName(QStringLiteral("mnuGraphic"));
    mnuAngles = action("mnuAngles", QStringLiteral("Measure Angles"));
    mnuShowRays = action("mnuShowRays", QStringLiteral("Show Rays"));
    mnuHuntMap = action("mnuHuntMap", QStringLiteral("Hunt Map"));
    mnuHuntMap->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    graphic->addActions({mnuAngles, mnuShowRays, mnuHuntMap});

    // Commands on the menu bar itself.
    mnuSetup = action("mnuSetup", QStringLiteral("Setup"));
    MNU_ABOUT = action("MNU_ABOUT", QStringLiteral("Info"));
    menuBar()->addAction(mnuSetup);
    menuBar()->addAction(MNU_ABOUT);

    connect(MNU_QUIT, &QAction::triggered, this, &MainFrm::Quit);
    connect(mnuOpen, &QAction::triggered, this, &MainFrm::Open);
    connect(mnuSave, &QAction::triggered, this, &MainFrm::Save);
    connect(mnuImport, &QAction::triggered, this, &MainFrm::Import);
    connect(mnuExport, &QAction::triggered, this, &MainFrm::Export);
    connect(mnuSetDbFname, &QAction::triggered, this, &MainFrm::SetDatabaseFile);
    connect(mnuViewDb, &QAction::triggered, this, [this] { dataWindow.Show(NavData); });
    connect(mnuAngles, &QAction::triggered, this, [this] { angleWindow.Show(*this); });
    connect(mnuShowRays, &QAction::triggered, this, [this] { raysWindow.Show(program_); });
    connect(mnuHuntMap, &QAction::triggered, this, [this] { huntMapWindow.Show(*this); });
    connect(MNU_ABOUT, &QAction::triggered, this, [this] { aboutWindow.Show(); });
    connect(mnuSetup, &QAction::triggered, this, [this] { setupWindow.Show(*this); });
    BuildBearingLogMenus();
    BuildTrackMenu();
}

void MainFrm::SetTabOrder() {
    std::vector<QWidget*> order(S1Ang.begin(), S1Ang.end());
    order.insert(order.end(), S2Ang.begin(), S2Ang.end());
    order.insert(order.end(), {Sced2Lat, Sced2Lon, S2Sig[0], CalcCMD, cmdWriteOvl, upd_db_cmd, cmdQuit});
    const std::vector<QWidget*> first = order;
    for (QWidget* w : centralWidget()->findChildren<QWidget*>()) {
        const bool listed = std::find(first.begin(), first.end(), w) != first.end();
        if (!listed && (w->focusPolicy() & Qt::TabFocus) != 0) {
            order.push_back(w);
        }
    }
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    S1Ang[0]->setFocus();
}

void MainFrm::RefreshFromState() {
    const core::MeasurementState& s = State();
    const auto show = [](QLineEdit* box, const std::string& text) {
        SetBoxText(*box, QString::fromStdString(text));
    };
    for (const core::BoxId& id : core::StationBoxesInListingOrder()) {
        show(centralWidget()->findChild<QLineEdit*>(QString::fromStdString(core::BoxName(id))),
             core::Box(s, id));
    }
    for (std::size_t i = 0; i < ResLat.size(); ++i) {
        show(ResLat[i], s.ResLat[i]);
        show(ResLon[i], s.ResLon[i]);
    }
    for (std::size_t k = 0; k < txtZone.size(); ++k) {
        show(txtZone[k], s.txtZone[k]);
    }
    show(txtTest, s.txtTest);
    RefreshQuality();
    Q_EMIT StateChanged();
}

void MainFrm::RefreshQuality() {
    const core::MeasurementState& s = State();
    const auto fixes = quality::AssessFixes(s, program_.RxReadings, qualitySettings_, DecimalSeparator());
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        QString tip;
        if (fixes[i]) {
            for (const std::string& line : quality::QualityInWords(
                     *fixes[i], static_cast<int>(i), qualitySettings_.confidence, DecimalSeparator())) {
                tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(line);
            }
        } else if (s.ResultsValid && s.ResLat[i] == core::kNoMatch) {
            tip = QStringLiteral("No fix: the bearings do not cross");
        } else if (s.ResultsValid) {
            tip = QStringLiteral("The boxes changed since Calculate: Calculate again for this fix's quality");
        }
        ResLat[i]->setToolTip(tip);
        ResLon[i]->setToolTip(tip);
    }
}

void MainFrm::ShowStatusNote(const QString& note) {
    statusBar()->showMessage(note);
    statusBar()->setToolTip(PlainToolTip(note));  // the whole of a note longer than the window is wide
}

bool MainFrm::RunCommand(const core::Outcome& outcome) {
    RefreshFromState();
    if (!outcome) {
        ShowStatusNote(QString());
    }
    return ReportOutcome(this, outcome);
}

std::string MainFrm::ZoneWarning(geodesy::ZoneCheck check) const {
    return geodesy::ZoneWarning(check, program_.main.txtZone[0], program_.main.txtZone[1]);
}

void MainFrm::Calculate() {
    if (RunCommand(core::Calculate(State(), DecimalSeparator()))) {
        const std::string flagged = quality::FlaggedFixesNote(
            quality::AssessFixes(State(), program_.RxReadings, qualitySettings_, DecimalSeparator()));
        ShowStatusNote(
            WithWarning(flagged.empty() ? QStringLiteral("No fix flagged") : QString::fromStdString(flagged),
                        ZoneWarning(geodesy::ZoneCheck::Calculate)));
    }
}

void MainFrm::WriteOverlays() {
    if (RunCommand(map_outputs::WriteOverlays(State(), program_.settings))) {
        const auto& settings = program_.settings;
        ShowStatusNote(WithWarning(OverlaysNote(settings.FoxesFileLocation, settings.RaysFileLocation),
                                   ZoneWarning(geodesy::ZoneCheck::Overlays)));
    }
}

void MainFrm::WritePreviewOverlay() {
    if (RunCommand(map_outputs::WritePreviewOverlay(State(), program_.settings, DecimalSeparator()))) {
        ShowStatusNote(WithWarning(PreviewOverlayNote(program_.settings.PreviewOverlayFileLocation),
                                   ZoneWarning(geodesy::ZoneCheck::PreviewOverlay)));
    }
}

std::optional<std::filesystem::path> MainFrm::AskFile(FileDialogRequest::Kind kind, const QString& title,
                                                      const QString& presetName, const QString& filter) {
    const auto chosen = environment_.fileDialog(this, {kind, title, presetName, filter});
    if (!chosen) {
        return std::nullopt;  // cancelled: nothing changes
    }
    return platform::ToPath(*chosen);
}

void MainFrm::Open() {
    const auto path = AskFile(FileDialogRequest::Kind::Open, QStringLiteral("Open"),
                              QString::fromStdString(program_.settings.LastUsedFilename), kDataFileFilter);
    if (path && RunCommand(persistence::OpenDataFile(program_, *path, DecimalSeparator(), SettingsFile()))) {
        ShowStatusNote(OpenedNote(QStringLiteral("Opened"), *path, State().ResultsValid));
        FileOpenedOrSaved(*path);
    }
}

void MainFrm::OpenRecent(const std::filesystem::path& file) {
    if (RunCommand(persistence::OpenDataFile(program_, file, DecimalSeparator(), SettingsFile()))) {
        ShowStatusNote(OpenedNote(QStringLiteral("Opened"), file, State().ResultsValid));
        FileOpenedOrSaved(file);
    } else if (std::error_code error; !std::filesystem::exists(file, error)) {
        recentFiles->Remove(file);  // gone: it leaves the list
    }
}

void MainFrm::FileOpenedOrSaved(const std::filesystem::path& file) {
    fileTitle_->Saved(file, program_);
    recentFiles->Add(file);
}

void MainFrm::Save() {
    const auto path = AskFile(FileDialogRequest::Kind::Save, QStringLiteral("Save"),
                              QString::fromStdString(program_.settings.LastUsedFilename), kDataFileFilter);
    if (path && RunCommand(persistence::SaveDataFile(program_, *path, DecimalSeparator(), SettingsFile()))) {
        ShowStatusNote(SavedNote(*path));
        FileOpenedOrSaved(*path);
    }
}

void MainFrm::Import() {
    const auto path = AskFile(FileDialogRequest::Kind::Open, QStringLiteral("Import"),
                              QStringLiteral("*.fhd"), kImportFileFilter);
    if (path && RunCommand(persistence::ReadImportFile(program_, *path, DecimalSeparator()))) {
        ShowStatusNote(OpenedNote(QStringLiteral("Imported"), *path, State().ResultsValid));
    }
}

void MainFrm::OpenFromOutside(const std::filesystem::path& file) {
    const QString extension = platform::FromPath(file.extension()).toLower();
    if (extension == QStringLiteral(".fhd")) {
        RunCommand(persistence::ReadImportFile(program_, file, DecimalSeparator()));
    } else if (RunCommand(persistence::OpenDataFile(program_, file, DecimalSeparator(), SettingsFile()))) {
        FileOpenedOrSaved(file);
    }
}

void MainFrm::StartDatabase() {
    ReportOutcome(this,
                  NavData.Start(platform::ToPath(QString::fromStdString(program_.settings.DataBaseFilename)),
                                platform::OwnDefaultDatabase()));
}

void MainFrm::UpdateDatabase() {
    if (RunCommand(NavData.UpdateDatabase(State()))) {
        ShowStatusNote(
            WithWarning(DatabaseNote(NavData.DatabasePath()), ZoneWarning(geodesy::ZoneCheck::Database)));
    }
}

void MainFrm::SetDatabaseFile() {
    const auto path = AskFile(FileDialogRequest::Kind::Open, QStringLiteral("Set Database File"),
                              QStringLiteral("*.mdb"), kDatabaseFilter);
    if (!path) {
        return;
    }
    // The view lets go of the old table before the switch and shows the new one after it.
    DataDialog* view = dataWindow.Get();
    if (view != nullptr) {
        view->Detach();
    }
    RunCommand(platform::SetDatabaseFile(State(), NavData, *path));
    if (view != nullptr) {
        view->Reload();
    }
}

persistence::IniFile MainFrm::SettingsFileContent() const {
    auto content = persistence::ReadSettingsFile(SettingsFile());
    return content ? std::move(*content) : persistence::IniFile{};
}

void MainFrm::GetPos(int stationIndex) {
    if (track_->IsRunning()) {
        GetPosFromTrack(stationIndex);
        return;
    }
    if (GPSComm.IsRunning()) {
        return;  // one request at a time: a second press while waiting is ignored
    }
    const auto device = platform::GpsDevice(program_.settings, SettingsFileContent());
    if (!device) {
        ShowMessage(this, QString::fromStdString(device.message()), QMessageBox::Warning);
        return;
    }
    State().GpsAbort = false;
    gpsStation_ = stationIndex;
    const auto port = instruments::GpsPortNumber(program_.settings.GpsPort);
    const QString portName = QString::fromStdString(instruments::PortName(port ? *port : 0));
    QPushButton* button = cmdGetPos[stationIndex == 0 ? 0 : 1];
    button->setDown(true);
    button->setFocus();
    gpsPortName_ = portName;
    gpsDevice_ = *device;
    GPSComm.Start(*device);
    ShowGpsProgress();
}

void MainFrm::ShowGpsProgress() {
    const std::string progress = instruments::GpsWaitingText(GPSComm.Request(), gpsPortName_.toStdString());
    statusBar()->showMessage(QStringLiteral("Waiting for GPS on %1 (%2): %3 ... Esc cancels")
                                 .arg(gpsPortName_, gpsDevice_, QString::fromStdString(progress)));
}

void MainFrm::EndGpsRequest(const QString& status) {
    for (QPushButton* button : cmdGetPos) {
        button->setDown(false);
    }
    gpsStation_ = -1;
    ShowStatusNote(status);
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
    const bool onGetPos = watched == cmdGetPos[0] || watched == cmdGetPos[1];
    if (onGetPos && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        State().GpsAbort = true;
        if (track_->IsRunning() && gpsStation_ >= 0) {
            track_->CancelNextFix();
            EndGpsRequest(QStringLiteral("GPS request cancelled"));
        }
        GPSComm.Abort();
        return true;
    }
    // A pressed-looking button stays pressed while its request waits.
    if (onGetPos && gpsStation_ >= 0 && event->type() == QEvent::MouseButtonRelease) {
        QTimer::singleShot(0, this, [this] {
            if (gpsStation_ >= 0) {
                cmdGetPos[static_cast<std::size_t>(gpsStation_ == 0 ? 0 : 1)]->setDown(true);
            }
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrm::PutIniData() {
    ReportOutcome(this, persistence::PutIniData(program_.settings, environment_.settingsFile));
}

void MainFrm::Quit() {
    // Ends at once: no close handler of any window runs, so the settings are not written here.
    QCoreApplication::exit(0);
}

void MainFrm::closeEvent(QCloseEvent* event) {
    PutIniData();
    event->accept();
}

}  // namespace vantrel::ui
