#include "ui/hunt_map.hpp"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "core/number_text.hpp"
#include "hunt_picture/position_text.hpp"
#include "hunt_picture/scene_zone.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"
#include "quality/fix_quality.hpp"
#include "ui/calibrate_picture_dialog.hpp"
#include "ui/hunt_log_link.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/hunt_map_heat.hpp"
#include "ui/hunt_time_bar.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"
#include "ui/zone_prompt.hpp"

#include <QMenu>
#include <QMessageBox>
#include <QPixmap>

#include "hunt_picture/picture_palette.hpp"

namespace vantrel::ui {
namespace {

const QString kMapFilter =
    QStringLiteral("Maps (*.tif *.tiff *.mbtiles *.vrt *.png *.jpg *.jpeg *.gif);;All files (*)");
const QString kPngFilter = QStringLiteral("PNG picture (*.png)");

QCheckBox* LayerBox(QToolBar* bar, const char* name, const QString& text, bool checked) {
    auto* box = new QCheckBox(text, bar);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    bar->addWidget(box);
    return box;
}

}  // namespace

HuntMap::HuntMap(MainFrm& main, QWidget* parent)
    : QMainWindow(parent),
      main_(main),
      settings_(persistence::ReadMapSettings(main.SettingsFile())),
      display_(persistence::ReadHuntMapDisplay(main.SettingsFile())) {
    setObjectName(QStringLiteral("HuntMap"));
    setWindowTitle(QStringLiteral("Vantrel - Hunt Map"));
    canvas = new HuntMapCanvas(this);
    setCentralWidget(canvas);
    timeBar = new HuntTimeBar(main_, this);
    addToolBar(Qt::BottomToolBarArea, timeBar);
    BuildMenus();
    BuildToolBar();
    layersBar_->addSeparator();
    heat = new HuntMapHeat(this, viewMenu_, layersBar_);
    lblPosition = new QLabel(this);
    lblPosition->setObjectName(QStringLiteral("lblPosition"));
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    statusBar()->addWidget(lblPosition, 1);
    statusBar()->addPermanentWidget(lblNotes);
    cmdChangeZone = new QPushButton(QStringLiteral("Change Zone..."), this);
    cmdChangeZone->setObjectName(QStringLiteral("cmdChangeZone"));
    cmdChangeZone->hide();
    statusBar()->addPermanentWidget(cmdChangeZone);
    connect(cmdChangeZone, &QPushButton::clicked, this, &HuntMap::AskAndChangeZone);
    resize(1000, 720);

    connect(&main_, &MainFrm::StateChanged, this, &HuntMap::ScheduleRebuild);
    connect(main_.HuntLog(), &HuntLogLink::LogChanged, this, &HuntMap::ScheduleRebuild);
    connect(canvas, &HuntMapCanvas::CursorMoved, this, &HuntMap::ShowPosition);
    connect(canvas, &HuntMapCanvas::MapDrawn, this, &HuntMap::ShowMapProblem);
    connect(canvas, &HuntMapCanvas::ViewChanged, this, &HuntMap::RequestHeat);
    connect(heat, &HuntMapHeat::LayerChanged, this, [this] {
        UpdateCanvas(false);
        ShowHeatAreas();
    });
    connect(heat, &HuntMapHeat::Problem, this, [this](const QString& problem) { ShowMapProblem(problem); });
    connect(timeBar, &HuntTimeBar::LayerChanged, this, &HuntMap::TimeLayerChanged);
    connect(timeBar, &HuntTimeBar::CarMoved, this, &HuntMap::KeepInView);
    connect(timeBar, &HuntTimeBar::Message, this,
            [this](const QString& text) { statusBar()->showMessage(text, 15000); });
    Rebuild();
    txtMapZone->setText(QString::fromStdString(geodesy::ZoneText(zone_)));
    if (!settings_.file.empty()) {
        // The map of the last session; a map that is gone is said in the status bar, not in a box.
        if (const core::Outcome opened = OpenMap(platform::ToPath(QString::fromStdString(settings_.file)));
            !opened) {
            statusBar()->showMessage(QString::fromStdString(opened.message()), 15000);
        }
    }
    FitAll();
}

HuntMap::~HuntMap() = default;

void HuntMap::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FitAll();  // now that the canvas has its size
    }
}

void HuntMap::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    const auto action = [this, file](const char* name, const QString& text) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        file->addAction(a);
        return a;
    };
    mnuOpenMap = action("mnuOpenMap", QStringLiteral("&Open Map..."));
    mnuOpenMap->setShortcut(QKeySequence::Open);
    mnuCalibrate = action("mnuCalibrate", QStringLiteral("&Calibrate Picture..."));
    file->addSeparator();
    timeBar->AddMenus(file, menuBar());
    file->addSeparator();
    mnuSavePng = action("mnuSavePng", QStringLiteral("&Save as PNG..."));
    mnuSavePng2x = action("mnuSavePng2x", QStringLiteral("Save as PNG (&2x)..."));
    mnuPrint = action("mnuPrint", QStringLiteral("&Print..."));
    mnuPrint->setShortcut(QKeySequence::Print);
    file->addSeparator();
    mnuClose = action("mnuClose", QStringLiteral("&Close"));
    mnuClose->setShortcut(QKeySequence::Close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    viewMenu_ = view;
    mnuFitAll = new QAction(QStringLiteral("&Fit all"), this);
    mnuFitAll->setObjectName(QStringLiteral("mnuFitAll"));
    mnuFitAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addAction(mnuFitAll);
    connect(mnuFitAll, &QAction::triggered, this, &HuntMap::FitAll);

    connect(mnuOpenMap, &QAction::triggered, this, &HuntMap::AskAndOpenMap);
    connect(mnuSavePng, &QAction::triggered, this, [this] { AskAndSavePng(1); });
    connect(mnuSavePng2x, &QAction::triggered, this, [this] { AskAndSavePng(2); });
    connect(mnuPrint, &QAction::triggered, this, &HuntMap::Print);
    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
    connect(mnuCalibrate, &QAction::triggered, this, [this] { CalibratePicture(); });
}

void HuntMap::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Layers"));
    bar->setObjectName(QStringLiteral("tbLayers"));
    layersBar_ = bar;
    bar->setMovable(false);
    chkMap = LayerBox(bar, "chkMap", QStringLiteral("Map"), true);
    chkGrid = LayerBox(bar, "chkGrid", QStringLiteral("Grid"), true);
    chkRays = LayerBox(bar, "chkRays", QStringLiteral("Rays"), true);
    chkReadings = LayerBox(bar, "chkReadings", QStringLiteral("Readings"), false);
    chkEllipses = LayerBox(bar, "chkEllipses", QStringLiteral("Ellipses"), true);
    chkFixes = LayerBox(bar, "chkFixes", QStringLiteral("Fixes"), true);
    chkStations = LayerBox(bar, "chkStations", QStringLiteral("Stations"), true);
    chkBearingLog = LayerBox(bar, "chkBearingLog", QStringLiteral("Bearing log"), true);
    chkBearingLog->setToolTip(
        QStringLiteral("Every logged bearing (rejected dashed, ignored dotted), the "
                       "many-bearing fixes (diamonds) and their ellipses (dashed)"));
    for (QCheckBox* box :
         {chkMap, chkGrid, chkRays, chkReadings, chkEllipses, chkFixes, chkStations, chkBearingLog}) {
        connect(box, &QCheckBox::toggled, this, [this] { UpdateCanvas(false); });
    }
    BuildFoxMenu(bar);
    bar->addSeparator();
    chkLegend = LayerBox(bar, "chkLegend", QStringLiteral("Legend"), display_.legend);
    chkNight = LayerBox(bar, "chkNight", QStringLiteral("Night"), display_.night);
    chkNight->setToolTip(
        QStringLiteral("Night palette: a dark sheet and red lines that keep the eyes "
                       "adapted to the dark"));
    cboSymbolSize = new QComboBox(bar);
    cboSymbolSize->setObjectName(QStringLiteral("cboSymbolSize"));
    cboSymbolSize->setToolTip(QStringLiteral("Size of text, lines and symbols"));
    for (const int percent : {75, 100, 125, 150, 200, 300}) {
        cboSymbolSize->addItem(QStringLiteral("%1 %").arg(percent), percent / 100.0);
    }
    const int size = cboSymbolSize->findData(display_.symbolSize);
    if (size < 0) {
        cboSymbolSize->addItem(QStringLiteral("%1 %").arg(std::lround(display_.symbolSize * 100)),
                               display_.symbolSize);
    }
    cboSymbolSize->setCurrentIndex(size >= 0 ? size : cboSymbolSize->count() - 1);
    bar->addWidget(cboSymbolSize);
    for (QCheckBox* box : {chkLegend, chkNight}) {
        connect(box, &QCheckBox::toggled, this, &HuntMap::DisplayChanged);
    }
    connect(cboSymbolSize, &QComboBox::currentIndexChanged, this, &HuntMap::DisplayChanged);
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" Zone "), bar));
    txtMapZone = new QLineEdit(bar);
    txtMapZone->setObjectName(QStringLiteral("txtMapZone"));
    txtMapZone->setMaximumWidth(60);
    txtMapZone->setToolTip(
        QStringLiteral("UTM zone of the hunt (number and band letter, e.g. 32U or 25M), remembered for this "
                       "measurement file; a zone in the Scedule 1 or 2 zone box comes first"));
    bar->addWidget(txtMapZone);
    lblZoneSource = new QLabel(bar);
    lblZoneSource->setObjectName(QStringLiteral("lblZoneSource"));
    bar->addWidget(lblZoneSource);
    connect(txtMapZone, &QLineEdit::editingFinished, this, &HuntMap::ZoneEdited);
    bar->addSeparator();
    cmdFitAll = new QPushButton(QStringLiteral("Fit all"), bar);
    cmdFitAll->setObjectName(QStringLiteral("cmdFitAll"));
    cmdFitAll->setToolTip(QStringLiteral("Show the whole hunt (Ctrl+0)"));
    bar->addWidget(cmdFitAll);
    connect(cmdFitAll, &QPushButton::clicked, this, &HuntMap::FitAll);
}

void HuntMap::BuildFoxMenu(QToolBar* bar) {
    cmdFoxes = new QToolButton(bar);
    cmdFoxes->setObjectName(QStringLiteral("cmdFoxes"));
    cmdFoxes->setText(QStringLiteral("Foxes"));
    cmdFoxes->setToolTip(QStringLiteral("Show or hide each fox's rays, fix and ellipse"));
    cmdFoxes->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(cmdFoxes);
    for (std::size_t fox = 0; fox < mnuFox.size(); ++fox) {
        mnuFox[fox] = menu->addAction(QStringLiteral("F%1").arg(fox + 1));
        mnuFox[fox]->setObjectName(QStringLiteral("mnuFox%1").arg(fox + 1));
        mnuFox[fox]->setCheckable(true);
        mnuFox[fox]->setChecked(true);
        QPixmap swatch(12, 12);
        swatch.fill(hunt_picture::DayPalette().Fox(static_cast<int>(fox)));
        mnuFox[fox]->setIcon(QIcon(swatch));
        connect(mnuFox[fox], &QAction::toggled, this, [this] { UpdateCanvas(false); });
    }
    cmdFoxes->setMenu(menu);
    bar->addWidget(cmdFoxes);
}

hunt_picture::Layers HuntMap::CheckedLayers() const {
    hunt_picture::Layers layers;
    layers.map = chkMap->isChecked();
    layers.grid = chkGrid->isChecked();
    layers.rays = chkRays->isChecked();
    layers.readings = chkReadings->isChecked();
    layers.ellipses = chkEllipses->isChecked();
    layers.fixes = chkFixes->isChecked();
    layers.stations = chkStations->isChecked();
    layers.legend = chkLegend->isChecked();
    for (std::size_t fox = 0; fox < mnuFox.size(); ++fox) {
        layers.foxes[fox] = mnuFox[fox]->isChecked();
    }
    return layers;
}

void HuntMap::DisplayChanged() {
    display_.legend = chkLegend->isChecked();
    display_.night = chkNight->isChecked();
    display_.symbolSize = cboSymbolSize->currentData().toDouble();
    if (const core::Outcome saved = persistence::WriteHuntMapDisplay(display_, main_.SettingsFile());
        !saved) {
        statusBar()->showMessage(QString::fromStdString(saved.message()), 15000);
    }
    UpdateCanvas(false);
}

const hunt_picture::ViewProjection& HuntMap::Projection() const {
    if (map_) {
        return *map_->projection;
    }
    return identity_;
}

void HuntMap::ScheduleRebuild() {
    // Typing sends one change per key; the scene is built once the events of the moment are done.
    if (!rebuildScheduled_) {
        rebuildScheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            rebuildScheduled_ = false;
            Rebuild();
        });
    }
}

void HuntMap::Rebuild() {
    const core::MeasurementState& state = main_.State();
    const geodesy::ZoneChoice zone = main_.HuntZone();
    scene_ = hunt_picture::BuildScene(state, main_.Program().RxReadings, main_.Quality(),
                                      main_.DecimalSeparator());
    const HuntLogView& log = main_.HuntLog()->Read();
    if (!timeBar->Active()) {
        scene_.bearingLog = hunt_picture::BuildBearingLogLayer(log.state, log.fixes);
    }
    // While the time bar replays or follows a log, the likelihood map shows what its bearings say at the
    // moment shown; else the hunt's own log.
    heat->SetFixes(timeBar->Active() ? timeBar->Fixes() : log.fixes, log.options);
    scene_.huntAtTime = timeBar->Layer();
    if (!(zone.zone == zone_)) {
        ChangeZone(zone.zone);
    }
    lblZoneSource->setText(QStringLiteral(" ") +
                           QString::fromStdString(geodesy::ZoneSourceText(zone.source)) +
                           QStringLiteral(" "));
    outsideZone_ = hunt_picture::LeaveOutOutsideZone(scene_, zone_);
    cmdChangeZone->setVisible(!outsideZone_.empty());
    QStringList notes;
    if (!outsideZone_.empty()) {
        notes << QString::fromStdString(geodesy::NotInZoneMessage(zone_, outsideZone_)) +
                     QStringLiteral(": not drawn");
    }
    for (const std::string& problem : scene_.problems) {
        notes << QString::fromStdString(problem);
    }
    for (const std::string& warning : log.warnings) {
        notes << QString::fromStdString(warning);
    }
    if (map_) {
        const auto hunt = maps::BoundingBox(hunt_picture::ViewPointsOf(scene_, Projection(), false));
        if (hunt) {
            const std::string where = maps::RelativePlace(*hunt, map_->Extent(), map_->UnitsPerMetre());
            if (!where.empty()) {
                notes << QStringLiteral("The map does not cover the hunt: ") + QString::fromStdString(where);
            }
        }
    }
    lblNotes->setText(notes.join(QStringLiteral("; ")));
    UpdateCanvas(false);
    RequestHeat();
}

void HuntMap::ChangeZone(geodesy::UtmZone zone) {
    if (map_) {
        // The projection (and a picture's CRS taken from the zone) change with the zone: open it anew.
        auto reopened = hunt_picture::OpenMapSource(map_->map->path(), zone);
        if (!reopened) {
            statusBar()->showMessage(QString::fromStdString(reopened.message()), 15000);
            map_.reset();
        } else {
            map_ = std::move(*reopened);
        }
    }
    zone_ = zone;
    timeBar->SetZone(zone_);
    if (txtMapZone != nullptr && !txtMapZone->hasFocus()) {
        txtMapZone->setText(QString::fromStdString(geodesy::ZoneText(zone_)));
    }
    UpdateCanvas(true);
    if (fitted_) {
        FitAll();
    }
}

void HuntMap::ZoneEdited() {
    const std::string text = txtMapZone->text().toStdString();
    const auto zone = geodesy::ParseUtmZone(text);
    if (!zone) {
        statusBar()->showMessage(
            QStringLiteral("\"%1\" is not a UTM zone: a number 1-60 and a band letter, such as 32U or 25M")
                .arg(txtMapZone->text()),
            10000);
        txtMapZone->setText(QString::fromStdString(geodesy::ZoneText(zone_)));
        return;
    }
    if (const core::Outcome remembered = main_.RememberHuntZone(*zone); !remembered) {
        statusBar()->showMessage(QString::fromStdString(remembered.message()), 15000);
    }
    Rebuild();
    if (!(zone_ == *zone)) {
        // A zone box names the zone; what was typed is kept for hunts whose boxes hold none.
        statusBar()->showMessage(
            QStringLiteral(
                "The hunt stays in %1: a Scedule zone box holds it, and comes before the Zone field")
                .arg(QString::fromStdString(geodesy::ZoneText(zone_))),
            10000);
    }
    txtMapZone->setText(QString::fromStdString(geodesy::ZoneText(zone_)));
}

void HuntMap::UpdateCanvas(bool mapChanged) {
    hunt_picture::PictureInput input;
    input.scene = &scene_;
    input.projection = &Projection();
    input.layers = CheckedLayers();
    input.layers.bearingLog = chkBearingLog->isChecked();
    scene_.heat = heat->Layer();
    input.zone = zone_;
    input.style.scale = display_.symbolSize;
    input.style.night = display_.night;
    input.style.emptyHint =
        map_ ? "No station has a position yet: open a hunt (File > Open) or take the positions with Get Pos "
               "in the main window."
             : "Nothing to show yet.\nOpen a hunt (File > Open in the main window), or take the stations' "
               "positions with Get Pos, or open a map (File > Open Map...).";
    if (map_) {
        input.map = map_->Painter();
        input.attribution = map_->map->attribution();
    }
    canvas->SetPicture(input, mapChanged);
}

void HuntMap::ShowHeatAreas() {
    const auto layer = heat->Layer();
    if (!layer) {
        return;
    }
    // Square kilometres with two decimals, hectares below a tenth of one: the size a hunter walks.
    const auto area = [this](double squareMetres) {
        return squareMetres >= 1e5
                   ? core::FormatPattern(squareMetres / 1e6, "##0.00", main_.DecimalSeparator()) + " km\u00b2"
                   : core::FormatPattern(squareMetres / 1e4, "##0.00", main_.DecimalSeparator()) + " ha";
    };
    statusBar()->showMessage(
        QStringLiteral("F%1 likelihood map: 50 % within %2, 95 % within %3")
            .arg(layer->fox + 1)
            .arg(QString::fromStdString(area(layer->area50)), QString::fromStdString(area(layer->area95))),
        10000);
}

void HuntMap::RequestHeat() {
    heat->SetView(hunt_picture::HuntBoxOfView(canvas->View(), Projection()), canvas->width(),
                  canvas->height());
}

void HuntMap::TimeLayerChanged() {
    const bool first = !scene_.huntAtTime.has_value();
    Rebuild();
    if (first && scene_.huntAtTime) {
        FitAll();
    }
}

void HuntMap::KeepInView(core::PlanePoint car) {
    const auto pixel = hunt_picture::PixelOf(canvas->View(), Projection(), car);
    if (!pixel) {
        return;
    }
    const double w = canvas->View().width;
    const double h = canvas->View().height;
    if (pixel->x < 0.2 * w || pixel->x > 0.8 * w || pixel->y < 0.2 * h || pixel->y > 0.8 * h) {
        canvas->SetView(canvas->View().Panned(w / 2 - pixel->x, h / 2 - pixel->y));
    }
}

void HuntMap::FitAll() {
    fitted_ = true;
    const hunt_picture::ViewProjection& projection = Projection();
    const double unitsPerMetre = map_ ? map_->UnitsPerMetre() : 1;
    const auto fitted = hunt_picture::FitHuntView(scene_, projection, canvas->width(), canvas->height(),
                                                  unitsPerMetre, chkEllipses->isChecked());
    if (fitted) {
        canvas->SetView(fitted->view);
        if (!fitted->capped.empty()) {
            statusBar()->showMessage(QString::fromStdString(fitted->capped), 15000);
        }
    } else if (map_) {
        canvas->SetView(
            maps::FitView(map_->Extent(), canvas->width(), canvas->height(), 100 * unitsPerMetre));
    }
}

core::Outcome HuntMap::OpenMap(const std::filesystem::path& path) {
    auto opened = hunt_picture::OpenMapSource(persistence::DisplayPath(path), zone_);
    if (!opened) {
        return opened.outcome();
    }
    map_ = std::move(*opened);
    settings_.file = persistence::DisplayPath(path);
    SaveSettings();
    UpdateCanvas(true);
    Rebuild();
    FitAll();
    QTimer::singleShot(0, this, &HuntMap::OfferMapZone);  // once the window shows the map
    return core::Outcome::Ok();
}

void HuntMap::OfferMapZone() {
    const auto mapZone = map_ ? map_->UtmZoneOfMap() : std::nullopt;
    if (!mapZone || (mapZone->number == zone_.number && mapZone->North() == zone_.North())) {
        return;
    }
    // Once per map and measurement file: a "No" is not asked again.
    if (!zoneOffersMade_.insert(map_->map->path() + '|' + main_.State().DataFileName).second) {
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Question, kMessageTitle,
                        QStringLiteral("The map is drawn in UTM zone %1%2; the hunt is in zone %3 (%4).\n"
                                       "Place the hunt in zone %5?")
                            .arg(mapZone->number)
                            .arg(mapZone->North() ? QStringLiteral(" north") : QStringLiteral(" south"))
                            .arg(QString::fromStdString(geodesy::ZoneText(zone_)),
                                 QString::fromStdString(geodesy::ZoneSourceText(main_.HuntZone().source)),
                                 QString::fromStdString(geodesy::ZoneText(*mapZone))),
                        QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("msgMapZone"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, zone = *mapZone](int answer) {
        if (answer == QMessageBox::Yes) {
            ReportOutcome(this, main_.RememberHuntZone(zone));
            Rebuild();
        }
    });
    box->open();
}

void HuntMap::AskAndChangeZone() {
    const auto mapZone = map_ ? map_->UtmZoneOfMap() : std::nullopt;
    const auto zone = AskZone(this, QString::fromStdString(geodesy::NotInZoneMessage(zone_, outsideZone_)),
                              mapZone.value_or(zone_));
    if (zone) {
        ReportOutcome(this, main_.RememberHuntZone(*zone));
        Rebuild();
    }
}

void HuntMap::AskAndOpenMap() {
    // The map shown, else the folder of the hunt's file: maps are usually kept beside the hunt.
    QString preset = map_ ? QString::fromStdString(map_->map->path()) : QString();
    if (preset.isEmpty() && !main_.State().DataFileName.empty()) {
        const std::filesystem::path hunt =
            platform::ToPath(QString::fromStdString(main_.State().DataFileName));
        std::error_code error;
        if (std::filesystem::is_directory(hunt.parent_path(), error)) {
            preset = platform::FromPath(hunt.parent_path()) + QLatin1Char('/');
        }
    }
    const auto path =
        main_.AskFile(FileDialogRequest::Kind::Open, QStringLiteral("Open Map"), preset, kMapFilter);
    if (!path) {
        return;
    }
    const core::Outcome opened = OpenMap(*path);
    if (!opened && opened.message().find("has no georeference") != std::string::npos) {
        OfferCalibration(*path, QString::fromStdString(opened.message()));
        return;
    }
    ReportOutcome(this, opened);
}

void HuntMap::OfferCalibration(const std::filesystem::path& picture, const QString& message) {
    QMessageBox box(QMessageBox::Information, kMessageTitle, message, QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("msgNoGeoreference"));
    QPushButton* calibrate = box.addButton(QStringLiteral("Calibrate now"), QMessageBox::AcceptRole);
    calibrate->setObjectName(QStringLiteral("cmdCalibrateNow"));
    box.setDefaultButton(calibrate);
    box.exec();
    if (box.clickedButton() == calibrate) {
        CalibratePicture(platform::FromPath(picture));
    }
}

void HuntMap::CalibratePicture(const QString& picture) {
    // A dialog of its own, not blocking: the calibrated picture becomes the map when it is accepted.
    auto* dialog = new CalibratePictureDialog(zone_, this);
    if (!picture.isEmpty()) {
        dialog->OpenPicture(picture);
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { ReportOutcome(this, OpenMap(platform::ToPath(dialog->picturePath()))); });
    dialog->open();
}

void HuntMap::SaveSettings() {
    // The default zone is the main window's to change (RememberHuntZone): keep what the file holds.
    settings_.zone = persistence::ReadMapSettings(main_.SettingsFile()).zone;
    if (const core::Outcome saved = persistence::WriteMapSettings(settings_, main_.SettingsFile()); !saved) {
        statusBar()->showMessage(QString::fromStdString(saved.message()), 15000);
    }
}

QImage HuntMap::RenderPicture(double scale) const {
    std::string readError;
    QImage picture = hunt_picture::RenderHuntPicture(canvas->View(), canvas->Picture(), scale, &readError);
    ShowMapProblem(QString::fromStdString(readError));
    return picture;
}

void HuntMap::ShowMapProblem(const QString& problem) const {
    if (!problem.isEmpty()) {
        statusBar()->showMessage(problem, 15000);
    }
}

core::Outcome HuntMap::SavePicture(const std::filesystem::path& path, double scale) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!RenderPicture(scale).save(&buffer, "PNG")) {
        return core::Outcome::Fail(persistence::DisplayPath(path) + ": the picture could not be encoded");
    }
    return persistence::WriteFileAtomically(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void HuntMap::AskAndSavePng(double scale) {
    if (const auto path = main_.AskFile(FileDialogRequest::Kind::Save, QStringLiteral("Save as PNG"),
                                        QStringLiteral("hunt-map.png"), kPngFilter)) {
        ReportOutcome(this, SavePicture(*path, scale));
    }
}

void HuntMap::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(canvas->width() >= canvas->height() ? QPageLayout::Landscape
                                                                   : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        PrintTo(printer);
    }
}

void HuntMap::PrintTo(QPrinter& printer) const {
    // The view at twice its size, as large as the page allows.
    const QImage picture = RenderPicture(2);
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), picture);
}

void HuntMap::ShowPosition(std::optional<QPointF> pixel) {
    if (!pixel) {
        lblPosition->clear();
        return;
    }
    const auto hunt = hunt_picture::HuntPositionAt(canvas->View(), Projection(), {pixel->x(), pixel->y()});
    lblPosition->setText(
        hunt ? QString::fromStdString(hunt_picture::PositionText(zone_, *hunt, main_.DecimalSeparator()))
             : QString());
}

}  // namespace vantrel::ui
