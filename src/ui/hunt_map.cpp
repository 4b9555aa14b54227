#include "ui/hunt_map.hpp"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
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

#include "hunt_picture/position_text.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"
#include "quality/fix_quality.hpp"
#include "ui/calibrate_picture_dialog.hpp"
#include "ui/hunt_log_link.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"

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
    : QMainWindow(parent), main_(main), settings_(persistence::ReadMapSettings(main.SettingsFile())) {
    setObjectName(QStringLiteral("HuntMap"));
    setWindowTitle(QStringLiteral("Vantrel - Hunt Map"));
    canvas = new HuntMapCanvas(this);
    setCentralWidget(canvas);
    BuildMenus();
    BuildToolBar();
    lblPosition = new QLabel(this);
    lblPosition->setObjectName(QStringLiteral("lblPosition"));
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    statusBar()->addWidget(lblPosition, 1);
    statusBar()->addPermanentWidget(lblNotes);
    resize(1000, 720);

    connect(&main_, &MainFrm::StateChanged, this, &HuntMap::ScheduleRebuild);
    connect(main_.HuntLog(), &HuntLogLink::LogChanged, this, &HuntMap::ScheduleRebuild);
    connect(canvas, &HuntMapCanvas::CursorMoved, this, &HuntMap::ShowPosition);
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
    mnuSavePng = action("mnuSavePng", QStringLiteral("&Save as PNG..."));
    mnuSavePng2x = action("mnuSavePng2x", QStringLiteral("Save as PNG (&2x)..."));
    mnuPrint = action("mnuPrint", QStringLiteral("&Print..."));
    mnuPrint->setShortcut(QKeySequence::Print);
    file->addSeparator();
    mnuClose = action("mnuClose", QStringLiteral("&Close"));
    mnuClose->setShortcut(QKeySequence::Close);

    connect(mnuOpenMap, &QAction::triggered, this, &HuntMap::AskAndOpenMap);
    connect(mnuSavePng, &QAction::triggered, this, [this] { AskAndSavePng(1); });
    connect(mnuSavePng2x, &QAction::triggered, this, [this] { AskAndSavePng(2); });
    connect(mnuPrint, &QAction::triggered, this, &HuntMap::Print);
    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
    connect(mnuCalibrate, &QAction::triggered, this, &HuntMap::CalibratePicture);
}

void HuntMap::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Layers"));
    bar->setObjectName(QStringLiteral("tbLayers"));
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
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" Zone "), bar));
    txtMapZone = new QLineEdit(bar);
    txtMapZone->setObjectName(QStringLiteral("txtMapZone"));
    txtMapZone->setMaximumWidth(60);
    txtMapZone->setToolTip(
        QStringLiteral("UTM zone of the hunt (number and band letter, e.g. 32U or 25M); a zone in the "
                       "Scedule 1 or 2 zone box comes first"));
    bar->addWidget(txtMapZone);
    connect(txtMapZone, &QLineEdit::editingFinished, this, &HuntMap::ZoneEdited);
    bar->addSeparator();
    cmdFitAll = new QPushButton(QStringLiteral("Fit all"), bar);
    cmdFitAll->setObjectName(QStringLiteral("cmdFitAll"));
    bar->addWidget(cmdFitAll);
    connect(cmdFitAll, &QPushButton::clicked, this, &HuntMap::FitAll);
}

hunt_picture::Layers HuntMap::CheckedLayers() const {
    return {chkMap->isChecked(),      chkGrid->isChecked(),     chkRays->isChecked(),
            chkReadings->isChecked(), chkEllipses->isChecked(), chkFixes->isChecked(),
            chkStations->isChecked()};
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
    const geodesy::UtmZone zone = geodesy::HuntZone(state.txtZone[0], state.txtZone[1], settings_.zone);
    scene_ = hunt_picture::BuildScene(state, main_.Program().RxReadings, main_.Quality(),
                                      main_.DecimalSeparator());
    const HuntLogView& log = main_.HuntLog()->Read();
    scene_.bearingLog = hunt_picture::BuildBearingLogLayer(log.state, log.fixes);
    if (!(zone == zone_)) {
        ChangeZone(zone);
    }
    QStringList notes;
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
    settings_.zone = geodesy::ZoneText(*zone);
    SaveSettings();
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
    input.zone = zone_;
    if (map_) {
        input.map = map_->Painter();
        input.attribution = map_->map->attribution();
    }
    canvas->SetPicture(input, mapChanged);
}

void HuntMap::FitAll() {
    fitted_ = true;
    const hunt_picture::ViewProjection& projection = Projection();
    const double unitsPerMetre = map_ ? map_->UnitsPerMetre() : 1;
    auto box = maps::BoundingBox(hunt_picture::ViewPointsOf(scene_, projection, chkEllipses->isChecked()));
    if (!box && map_) {
        box = map_->Extent();
    }
    if (box) {
        canvas->SetView(maps::FitView(*box, canvas->width(), canvas->height(), 100 * unitsPerMetre));
    }
}

core::Outcome HuntMap::OpenMap(const std::filesystem::path& path) {
    auto opened = hunt_picture::OpenMapSource(persistence::DisplayPath(path), zone_);
    if (!opened) {
        return opened.outcome();
    }
    map_ = std::move(*opened);
    settings_.file = persistence::DisplayPath(path);
    // Nothing names the hunt's zone yet (no zone box, nothing typed or remembered): a map drawn in a UTM
    // zone names it, so a hunt from that map's area lands on it.
    const core::MeasurementState& state = main_.State();
    const bool zoneNamed = geodesy::ParseUtmZone(state.txtZone[0]) ||
                           geodesy::ParseUtmZone(state.txtZone[1]) || geodesy::ParseUtmZone(settings_.zone);
    if (const auto mapZone = map_->UtmZoneOfMap(); mapZone && !zoneNamed) {
        settings_.zone = geodesy::ZoneText(*mapZone);
    }
    SaveSettings();
    UpdateCanvas(true);
    Rebuild();
    FitAll();
    return core::Outcome::Ok();
}

void HuntMap::AskAndOpenMap() {
    const QString preset = map_ ? QString::fromStdString(map_->map->path()) : QString();
    if (const auto path =
            main_.AskFile(FileDialogRequest::Kind::Open, QStringLiteral("Open Map"), preset, kMapFilter)) {
        ReportOutcome(this, OpenMap(*path));
    }
}

void HuntMap::CalibratePicture() {
    // A dialog of its own, not blocking: the calibrated picture becomes the map when it is accepted.
    auto* dialog = new CalibratePictureDialog(zone_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { ReportOutcome(this, OpenMap(platform::ToPath(dialog->picturePath()))); });
    dialog->open();
}

void HuntMap::SaveSettings() {
    if (const core::Outcome saved = persistence::WriteMapSettings(settings_, main_.SettingsFile()); !saved) {
        statusBar()->showMessage(QString::fromStdString(saved.message()), 15000);
    }
}

QImage HuntMap::RenderPicture(double scale) const {
    return hunt_picture::RenderHuntPicture(canvas->View(), canvas->Picture(), scale);
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
