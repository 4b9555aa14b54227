// The Hunt Map window, driven with the mouse, keys and menus on the offscreen platform, with real maps.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>

#include "file_bytes.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/path_text.hpp"
#include "persistence/zone_memory.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"
#include "ui/calibrate_picture_dialog.hpp"
#include "ui/file_history.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {
namespace {

const std::string kMaps = VANTREL_TESTDATA_DIR "/maps";
// F1 and F2 on the map: blue and vermillion of the Okabe-Ito colours.
const QColor kF1(0x00, 0x72, 0xB2);
const QColor kF2(0xD5, 0x5E, 0x00);

// Types over the whole text of a box, as a user who selected it does.
void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

// Stations 2 km apart on northing 5600000; F1 45 / 315 meets at E 501000 N 5601000, F2 0 / 315 at
// E 500000 N 5602000; the other foxes have parallel bearings (no fix).
void TypeHunt(MainFrm& main) {
    Type(main.Sced1Lon, QStringLiteral("500000"));
    Type(main.Sced1Lat, QStringLiteral("5600000"));
    Type(main.Sced2Lon, QStringLiteral("502000"));
    Type(main.Sced2Lat, QStringLiteral("5600000"));
    const char* first[] = {"45", "0", "30", "30", "30"};
    const char* second[] = {"315", "315", "30", "30", "30"};
    for (std::size_t fox = 0; fox < 5; ++fox) {
        Type(main.S1Ang[fox], QString::fromLatin1(first[fox]));
        Type(main.S2Ang[fox], QString::fromLatin1(second[fox]));
    }
}

QColor CanvasPixel(HuntMap& map, core::PlanePoint hunt) {
    const core::PlanePoint p = map.canvas->View().ToPixel(hunt);
    return map.canvas->grab().toImage().pixelColor(static_cast<int>(std::floor(p.x)),
                                                   static_cast<int>(std::floor(p.y)));
}

void Wheel(QWidget* widget, QPointF at, int delta) {
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// A map painter whose drawings take as long as the test wants: the first one runs until it is released or
// stopped (or a minute passes), the later ones end at once.
struct SlowMap {
    std::mutex mutex;
    std::condition_variable_any changed;
    int started = 0;
    bool released = false;
    bool firstFinished = false;
    bool firstSawStop = false;

    hunt_picture::MapPainter Painter(const std::shared_ptr<SlowMap>& self, bool endOnStop) {
        return [self, endOnStop](QPainter&, const maps::View&, std::stop_token stop) -> std::string {
            std::unique_lock lock(self->mutex);
            if (++self->started > 1) {
                return {};
            }
            self->changed.notify_all();
            const auto isReleased = [&self] { return self->released; };
            if (endOnStop) {
                self->changed.wait_for(lock, stop, std::chrono::minutes(1), isReleased);
            } else {
                self->changed.wait_for(lock, std::chrono::minutes(1), isReleased);
            }
            self->firstSawStop = stop.stop_requested();
            self->firstFinished = true;
            self->changed.notify_all();
            return {};
        };
    }
    bool WaitFor(const std::function<bool()>& what) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), what);
    }
};

}  // namespace

class HuntMapTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> dir_;
    persistence::ProgramState program_;
    std::unique_ptr<MainFrm> main_;
    std::optional<QString> nextFile_;
    FileDialogRequest lastRequest_;

    HuntMap& Open() {
        main_->mnuHuntMap->trigger();
        HuntMap& map = *main_->huntMapWindow.Get();
        if (!QTest::qWaitForWindowExposed(&map)) {
            qWarning("the Hunt Map was not shown");
        }
        return map;
    }
    HuntMap& OpenCalculatedHunt() {
        TypeHunt(*main_);
        main_->CalcCMD->click();
        return Open();
    }
    persistence::IniFile SavedSettings() const {
        return persistence::IniFile::Parse(testing_support::ReadBytes((*dir_) / "Vantrel.ini"));
    }

  private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<TempDir>();
        program_ = persistence::ProgramState{};
        MainFrmEnvironment environment{(*dir_) / "Vantrel.ini", '.'};
        environment.fileDialog = [this](QWidget*, const FileDialogRequest& request) {
            lastRequest_ = request;
            return nextFile_;
        };
        main_ = std::make_unique<MainFrm>(program_, environment);
    }
    void cleanup() {
        main_.reset();
        dir_.reset();
    }

    void MenuEntryAfterShowRaysAndOneWindow() {
        auto* graphic = main_->menuBar()->findChild<QMenu*>(QStringLiteral("mnuGraphic"));
        const QList<QAction*> actions = graphic->actions();
        QCOMPARE(actions.indexOf(main_->mnuHuntMap), actions.indexOf(main_->mnuShowRays) + 1);
        QCOMPARE(main_->mnuHuntMap->text(), QStringLiteral("Hunt Map"));
        HuntMap& first = Open();
        main_->mnuHuntMap->trigger();
        QCOMPARE(main_->huntMapWindow.Get(), &first);
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            windows += qobject_cast<HuntMap*>(w) != nullptr ? 1 : 0;
        }
        QCOMPARE(windows, 1);
        QVERIFY(!first.isModal());
    }

    void RedrawsOnCalculateAndTyping() {
        TypeHunt(*main_);
        HuntMap& map = Open();
        QCOMPARE(map.Scene().stations.size(), std::size_t{2});
        main_->CalcCMD->click();
        QTRY_COMPARE(map.Scene().fixes.size(), std::size_t{2});
        map.FitAll();
        QCOMPARE(CanvasPixel(map, {501000, 5601000}), kF1);
        QCOMPARE(CanvasPixel(map, {500000, 5602000}), kF2);
        // A station box that is not a number leaves the station out and the status bar names the box.
        Type(main_->Sced1Lat, QStringLiteral("56x"));
        QTRY_COMPARE(map.Scene().stations.size(), std::size_t{1});
        QVERIFY2(map.lblNotes->text().contains(QStringLiteral("Scedule 1, northing")),
                 qPrintable(map.lblNotes->text()));
    }

    void WheelZoomsAboutTheCursorDragAndKeysPan() {
        HuntMap& map = OpenCalculatedHunt();
        HuntMapCanvas* canvas = map.canvas;
        const maps::View before = canvas->View();
        const QPointF cursor(120, 90);
        const core::PlanePoint under = before.FromPixel({cursor.x(), cursor.y()});
        Wheel(canvas, cursor, 240);  // two notches: twice as large
        QCOMPARE(canvas->View().unitsPerPixel, before.unitsPerPixel / 2);
        const core::PlanePoint still = canvas->View().ToPixel(under);
        QVERIFY(std::abs(still.x - cursor.x()) < 1e-6 && std::abs(still.y - cursor.y()) < 1e-6);

        const maps::View zoomed = canvas->View();
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(canvas, QPoint(130, 120));
        QTest::mouseMove(canvas, QPoint(150, 130));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(150, 130));
        // The map followed the mouse 50 px right and 30 px down: the centre is 50 px west, 30 px north.
        QCOMPARE(canvas->View().centre.x, zoomed.centre.x - 50 * zoomed.unitsPerPixel);
        QCOMPARE(canvas->View().centre.y, zoomed.centre.y + 30 * zoomed.unitsPerPixel);

        const maps::View dragged = canvas->View();
        QTest::keyClick(canvas, Qt::Key_Plus);
        QCOMPARE(canvas->View().unitsPerPixel, dragged.unitsPerPixel / 1.5);
        QCOMPARE(canvas->View().centre.x, dragged.centre.x);  // about the middle
        QTest::keyClick(canvas, Qt::Key_Minus);
        QTest::keyClick(canvas, Qt::Key_Right);
        QVERIFY(canvas->View().centre.x > dragged.centre.x);  // shows more of the east

        map.cmdFitAll->click();
        QCOMPARE(canvas->View().unitsPerPixel, before.unitsPerPixel);
        QCOMPARE(canvas->View().centre, before.centre);
    }

    void FixShowsItsQualityAndCursorItsPosition() {
        HuntMap& map = OpenCalculatedHunt();
        const core::PlanePoint f1 = map.canvas->View().ToPixel({501000, 5601000});
        const QString tip = map.canvas->FixToolTipAt({f1.x + 2, f1.y - 1});
        QVERIFY2(tip.startsWith(QStringLiteral("F1")) && tip.contains(QStringLiteral("crossing 90 degrees")),
                 qPrintable(tip));
        QVERIFY(map.canvas->FixToolTipAt({f1.x + 40, f1.y + 40}).isEmpty());
        // The cursor over E 501000 N 5601000 of zone 32U.
        QTest::mouseMove(map.canvas,
                         QPoint(static_cast<int>(std::lround(f1.x)), static_cast<int>(std::lround(f1.y))));
        QVERIFY2(map.lblPosition->text().startsWith(QStringLiteral("32U E 5010")),
                 qPrintable(map.lblPosition->text()));
    }

    void BadMapKeepsThePreviousOneAndTheMapIsRemembered() {
        program_.main.txtZone = {"25M", ""};
        HuntMap& map = Open();
        QVERIFY(map.OpenMap(kMaps + "/L7_ETMs.tif").ok());
        testing_support::WriteBytes((*dir_) / "noise.tif", std::string(5000, '\x5a'));
        nextFile_ = QString::fromStdString(((*dir_) / "noise.tif").string());
        MessageBoxAnswer answer(QMessageBox::Ok);
        map.mnuOpenMap->trigger();
        QTRY_VERIFY(answer.answered());
        QVERIFY2(answer.text().contains(QStringLiteral("noise.tif")), qPrintable(answer.text()));
        QVERIFY(map.Map().has_value());
        QCOMPARE(QString::fromStdString(map.Map()->map->path()),
                 QString::fromStdString(kMaps + "/L7_ETMs.tif"));
        // Only the new section is written.
        const auto ini = SavedSettings();
        QCOMPARE(QString::fromStdString(ini.Get("Map", "File").value_or("")),
                 QString::fromStdString(kMaps + "/L7_ETMs.tif"));
        QVERIFY(!ini.Get("File", "Last Used Filename"));
        QVERIFY(!ini.Get("Comm", "GPS-Port"));
        // A new window opens the remembered map again.
        map.close();
        QTRY_VERIFY(main_->huntMapWindow.Get() == nullptr);
        HuntMap& again = Open();
        QVERIFY(again.Map().has_value());
    }

    void ZoneFieldTypedIsUsedAndRemembered() {
        program_.main.DataFileName = ((*dir_) / "hunt.fh2").string();
        HuntMap& map = Open();
        QCOMPARE(map.txtMapZone->text(), QStringLiteral("32U"));
        QCOMPARE(map.lblZoneSource->text().trimmed(), QStringLiteral("default"));
        Type(map.txtMapZone, QStringLiteral("33T"));
        QTest::keyClick(map.txtMapZone, Qt::Key_Return);
        QCOMPARE(map.Zone(), (geodesy::UtmZone{33, 'T'}));
        QCOMPARE(map.lblZoneSource->text().trimmed(), QStringLiteral("remembered"));
        // Remembered for the measurement file, not as everybody's default.
        const auto ini = SavedSettings();
        QCOMPARE(persistence::RememberedZone(ini, persistence::PathFromUtf8(program_.main.DataFileName)),
                 "33T");
        QVERIFY(!ini.Get("Map", "Zone"));
        // Not a zone: refused, the zone stays.
        Type(map.txtMapZone, QStringLiteral("61U"));
        QTest::keyClick(map.txtMapZone, Qt::Key_Return);
        QCOMPARE(map.Zone(), (geodesy::UtmZone{33, 'T'}));
        QCOMPARE(map.txtMapZone->text(), QStringLiteral("33T"));
        // A zone in a station's zone box comes first.
        Type(main_->txtZone[1], QStringLiteral("31U"));
        QTRY_COMPARE(map.Zone(), (geodesy::UtmZone{31, 'U'}));
        QCOMPARE(map.txtMapZone->text(), QStringLiteral("31U"));
        QCOMPARE(map.lblZoneSource->text().trimmed(), QStringLiteral("from the zone boxes"));
    }

    // The Olinda hunt read in the default zone 32U lands at 81.9 N: nothing of it is drawn, the notes say
    // why and "Change Zone..." is offered; opening its map asks once to place the hunt in zone 25.
    void HuntOutsideItsZoneIsNotDrawnAndTheMapOffersItsZone() {
        QVERIFY(persistence::OpenDataFile(program_, VANTREL_SOURCE_DIR "/examples/hunt-olinda.fh2", '.',
                                          main_->SettingsFile())
                    .ok());
        main_->RefreshFromState();
        HuntMap& map = Open();
        QCOMPARE(map.Zone(), (geodesy::UtmZone{32, 'U'}));
        QVERIFY(map.Scene().stations.empty() && map.Scene().fixes.empty());
        QVERIFY(map.cmdChangeZone->isVisibleTo(&map));
        QVERIFY2(
            map.lblNotes->text().contains(QStringLiteral("does not lie in zone 32U: P1 lands at 81.9 N")),
            qPrintable(map.lblNotes->text()));
        MessageBoxAnswer yes(QMessageBox::Yes);
        QVERIFY(map.OpenMap(VANTREL_SOURCE_DIR "/examples/maps/olinda.png").ok());
        QTRY_VERIFY(yes.answered());
        QVERIFY2(yes.text().contains(QStringLiteral("Place the hunt in zone 25M?")), qPrintable(yes.text()));
        QTRY_COMPARE(map.Zone(), (geodesy::UtmZone{25, 'M'}));
        QCOMPARE(map.Scene().stations.size(), std::size_t{2});
        QVERIFY(!map.cmdChangeZone->isVisibleTo(&map));
        QCOMPARE(map.lblZoneSource->text().trimmed(), QStringLiteral("remembered"));
        // Asked once: opening the map again does not ask.
        QVERIFY(map.OpenMap(VANTREL_SOURCE_DIR "/examples/maps/olinda.png").ok());
        MessageBoxAnswer none(QMessageBox::No, 300);
        QTest::qWait(400);
        QVERIFY(!none.answered());
    }

    // The example hunt's map names zone 25 south in its .prj: accepted, it becomes the hunt's zone, the map
    // is drawn (asynchronously) and the sea of the ground truth shows where it lies.
    void MapDrawnOnTheSideWithTheGroundTruthInPlace() {
        HuntMap& map = Open();
        MessageBoxAnswer yes(QMessageBox::Yes);
        QVERIFY(map.OpenMap(VANTREL_SOURCE_DIR "/examples/maps/olinda.png").ok());
        QTRY_COMPARE(map.Zone(), (geodesy::UtmZone{25, 'M'}));
        map.chkGrid->setChecked(false);
        map.canvas->SetView({{298317.08, 9111935.56}, 10, map.canvas->width(), map.canvas->height()});
        QTRY_VERIFY(!map.canvas->MapPending());
        const QColor sea = CanvasPixel(map, {298317.08, 9111935.56});
        // Bands 3/2/1 of the scene there: 65, 90, 96 (sea: red well below green).
        QVERIFY2(std::abs(sea.red() - 65) <= 4 && std::abs(sea.green() - 90) <= 4 &&
                     std::abs(sea.blue() - 96) <= 4,
                 qPrintable(sea.name()));
        // The overlay changing keeps the map image; a new view has a new one drawn on the worker thread.
        map.chkRays->setChecked(false);
        QVERIFY(!map.canvas->MapPending());
        map.canvas->SetView(map.canvas->View().Panned(40, 0));
        QVERIFY(map.canvas->MapPending());
        QTRY_VERIFY(!map.canvas->MapPending());
    }

    // A drawing made stale by a new view is stopped (it sees its stop token), and the new view is drawn.
    void StaleDrawingIsStopped() {
        auto slow = std::make_shared<SlowMap>();
        HuntMapCanvas canvas;
        canvas.resize(300, 200);
        hunt_picture::PictureInput input;
        input.map = slow->Painter(slow, true);
        canvas.SetPicture(input, true);
        QVERIFY(slow->WaitFor([&slow] { return slow->started == 1; }));
        canvas.SetView(canvas.View().Panned(40, 0));
        QTRY_VERIFY(!canvas.MapPending());
        QVERIFY(slow->firstSawStop);
        QCOMPARE(slow->started, 2);
    }

    // Closing never waits for a drawing: the canvas goes while its drawing still runs (this drawing ends
    // only when the test releases it, after the canvas is gone), and the drawing, stopped, posts nothing.
    void CanvasGoesWithoutWaitingForItsDrawing() {
        auto slow = std::make_shared<SlowMap>();
        auto canvas = std::make_unique<HuntMapCanvas>();
        canvas->resize(300, 200);
        hunt_picture::PictureInput input;
        input.map = slow->Painter(slow, false);
        canvas->SetPicture(input, true);
        QVERIFY(slow->WaitFor([&slow] { return slow->started == 1; }));
        canvas.reset();
        {
            const std::lock_guard lock(slow->mutex);
            QVERIFY(!slow->firstFinished);
            slow->released = true;
            slow->changed.notify_all();
        }
        QVERIFY(slow->WaitFor([&slow] { return slow->firstFinished; }));
        QVERIFY(slow->firstSawStop);
        QCoreApplication::processEvents();  // nothing was posted to the canvas that is gone
    }

    // Tiles that cannot be decoded (the finest level of an MBTiles file damaged; the coarser one, read when
    // the map is opened, sound) are said in the status bar, for the canvas's drawing and for Save as PNG
    // alike. Two copies: the file's driver reports a tile's failure only the first time it is read.
    void ReadErrorsReachTheStatusBar() {
        std::vector<std::filesystem::path> copies;
        for (const char* name : {"damaged.mbtiles", "saved.mbtiles"}) {
            copies.push_back((*dir_) / name);
            std::filesystem::copy_file(kMaps + "/l7_png.mbtiles", copies.back());
            std::filesystem::permissions(copies.back(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
            testing_support::SqliteFile(copies.back())
                .Exec("UPDATE tiles SET tile_data = X'0102' WHERE zoom_level = 12");
        }
        HuntMap& map = Open();
        QVERIFY(map.OpenMap(copies[0]).ok());
        // Zoom 12 has 38.2 m pixels: a view of 10 m pixels reads it.
        map.canvas->SetView({map.Map()->Extent().Centre(), 10, map.canvas->width(), map.canvas->height()});
        QTRY_VERIFY2(map.statusBar()->currentMessage().contains(QStringLiteral("cannot be read")),
                     qPrintable(map.statusBar()->currentMessage()));
        QVERIFY(map.statusBar()->currentMessage().contains(QStringLiteral("damaged.mbtiles")));
        // The canvas shows zoom 11 (100 m pixels); the picture saved at twice the size reads zoom 12.
        QVERIFY(map.OpenMap(copies[1]).ok());
        map.canvas->SetView({map.Map()->Extent().Centre(), 100, map.canvas->width(), map.canvas->height()});
        QTRY_VERIFY(!map.canvas->MapPending());
        map.statusBar()->clearMessage();
        QVERIFY(map.SavePicture((*dir_) / "saved.png", 2).ok());
        QVERIFY2(map.statusBar()->currentMessage().contains(QStringLiteral("saved.mbtiles")),
                 qPrintable(map.statusBar()->currentMessage()));
    }

    // Calibrate Picture... opens the dialog; the picture it calibrates becomes the map.
    void CalibratedPictureBecomesTheMap() {
        program_.main.txtZone = {"25M", ""};
        HuntMap& map = Open();
        const auto picture = (*dir_) / "scan.png";
        std::filesystem::copy_file(kMaps + "/l7_321.png", picture);
        map.mnuCalibrate->trigger();
        auto* dialog = map.findChild<CalibratePictureDialog*>();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QVERIFY(dialog->OpenPicture(QString::fromStdString(picture.string())));
        // Three corners of the scene's pixel grid (28.5 m pixels from E 288776.25 N 9120761).
        const double places[3][2] = {{0, 0}, {349, 0}, {0, 352}};
        for (int i = 0; i < 3; ++i) {
            dialog->AddPoint(QPointF(places[i][0], places[i][1]));
            dialog->pointTable->item(i, CalibratePictureDialog::kColumnFirst)
                ->setText(QString::number(288776.25 + 28.5 * places[i][0], 'f', 2));
            dialog->pointTable->item(i, CalibratePictureDialog::kColumnSecond)
                ->setText(QString::number(9120761 - 28.5 * places[i][1], 'f', 2));
        }
        dialog->accept();
        QVERIFY(map.Map().has_value());
        QCOMPARE(QString::fromStdString(map.Map()->map->path()), QString::fromStdString(picture.string()));
        const core::PlaneBox extent = map.Map()->Extent();
        QVERIFY(std::abs(extent.minX - 288776.25) < 0.01 && std::abs(extent.maxY - 9120761) < 0.01);
    }

    // Nothing typed yet: no stations at E 0 / N 0, no north rays; the picture says how to fill it.
    void EmptyMapSaysHowToFillIt() {
        HuntMap& map = Open();
        QVERIFY(map.Scene().Empty());
        const QString hint = QString::fromStdString(map.canvas->Picture().style.emptyHint);
        QVERIFY2(hint.contains(QStringLiteral("Open a hunt")) && hint.contains(QStringLiteral("Get Pos")) &&
                     hint.contains(QStringLiteral("Open Map")),
                 qPrintable(hint));
    }

    // A fox hidden leaves the picture; the night palette and the symbol size are remembered in [HuntMap];
    // Ctrl+0 fits the hunt again.
    void FoxHiddenNightRememberedAndCtrl0Fits() {
        HuntMap& map = OpenCalculatedHunt();
        const maps::View fitted = map.canvas->View();
        QCOMPARE(CanvasPixel(map, {501000, 5601000}), kF1);
        map.mnuFox[0]->setChecked(false);
        QVERIFY(CanvasPixel(map, {501000, 5601000}) != kF1);
        QCOMPARE(CanvasPixel(map, {500000, 5602000}), kF2);
        map.chkNight->setChecked(true);
        map.cboSymbolSize->setCurrentIndex(map.cboSymbolSize->findData(1.5));
        const QColor sheet = CanvasPixel(map, {503500, 5598500});
        QVERIFY2(sheet.red() + sheet.green() + sheet.blue() < 150, qPrintable(sheet.name()));
        QCOMPARE(QString::fromStdString(SavedSettings().Get("HuntMap", "Night").value_or("")),
                 QStringLiteral("1"));
        QCOMPARE(QString::fromStdString(SavedSettings().Get("HuntMap", "SymbolSize").value_or("")),
                 QStringLiteral("1.50"));
        QTest::keyClick(map.canvas, Qt::Key_Plus);
        QVERIFY(!(map.canvas->View() == fitted));
        QTest::keyClick(&map, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(map.canvas->View(), fitted);
        map.close();
        QTRY_VERIFY(main_->huntMapWindow.Get() == nullptr);
        HuntMap& again = Open();
        QVERIFY(again.chkNight->isChecked());
        QCOMPARE(again.cboSymbolSize->currentData().toDouble(), 1.5);
    }

    // A picture without georeference: the message offers "Calibrate now", which opens the dialog on it;
    // a coordinate that is not a number is marked in the dialog's table.
    void PictureWithoutGeoreferenceOffersCalibration() {
        program_.main.txtZone = {"25M", ""};
        HuntMap& map = Open();
        const auto picture = (*dir_) / "scan.png";
        std::filesystem::copy_file(kMaps + "/l7_321.png", picture);
        nextFile_ = QString::fromStdString(picture.string());
        QString text;
        QTimer::singleShot(50, [&text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                text = box->text();
                box->findChild<QPushButton*>(QStringLiteral("cmdCalibrateNow"))->click();
            }
        });
        map.mnuOpenMap->trigger();
        QVERIFY2(text.contains(QStringLiteral("no georeference")), qPrintable(text));
        auto* dialog = map.findChild<CalibratePictureDialog*>();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        dialog->AddPoint(QPointF(10, 10));
        QTableWidgetItem* east = dialog->pointTable->item(0, CalibratePictureDialog::kColumnFirst);
        east->setText(QStringLiteral("28877x"));
        QCOMPARE(east->background().color(), QColor(255, 205, 205));
        QCOMPARE(east->toolTip(), QStringLiteral("Not a number"));
        east->setText(QStringLiteral("288776"));
        QCOMPARE(east->background().style(), Qt::NoBrush);
        dialog->reject();
    }

    // The main window: the file's name in the title, marked while changed; File > Open Recent lists it.
    void TitleNamesTheFileAndRecentFilesListIt() {
        QCOMPARE(main_->windowTitle(), QStringLiteral("Vantrel"));
        const auto hunt = (*dir_) / "field.fh2";
        std::filesystem::copy_file(VANTREL_SOURCE_DIR "/examples/hunt-vogelsberg.fh2", hunt);
        nextFile_ = QString::fromStdString(hunt.string());
        main_->mnuOpen->trigger();
        QCOMPARE(main_->windowTitle(), QStringLiteral("field.fh2[*] - Vantrel"));
        QVERIFY(!main_->isWindowModified());
        // Open Map starts beside the hunt; Ctrl+M opens the Hunt Map.
        QCOMPARE(main_->mnuHuntMap->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
        nextFile_.reset();
        Open().mnuOpenMap->trigger();
        QCOMPARE(lastRequest_.presetName, QString::fromStdString(dir_->path().string()) + QLatin1Char('/'));
        nextFile_ = QString::fromStdString(hunt.string());
        const QString bearing = main_->S1Ang[0]->text();
        Type(main_->S1Ang[0], QStringLiteral("123"));
        QVERIFY(main_->isWindowModified());
        Type(main_->S1Ang[0], bearing);  // back as saved: no longer changed
        QVERIFY(!main_->isWindowModified());
        Type(main_->S1Ang[0], QStringLiteral("124"));
        nextFile_ = QString::fromStdString(((*dir_) / "second.fh2").string());
        main_->mnuSave->trigger();
        QCOMPARE(main_->windowTitle(), QStringLiteral("second.fh2[*] - Vantrel"));
        QVERIFY(!main_->isWindowModified());
        const QList<QAction*> recent = main_->mnuRecent->actions();
        QCOMPARE(recent.size(), 2);
        QCOMPARE(recent[0]->text(), QStringLiteral("&1 second.fh2"));
        QCOMPARE(recent[1]->text(), QStringLiteral("&2 field.fh2"));
        QCOMPARE(QString::fromStdString(SavedSettings().Get("RecentFiles", "File2").value_or("")),
                 QString::fromStdString(hunt.string()));
        recent[1]->trigger();
        QCOMPARE(main_->windowTitle(), QStringLiteral("field.fh2[*] - Vantrel"));
        QCOMPARE(main_->recentFiles->Files().front(), hunt.string());
        // A file gone since leaves the list.
        std::filesystem::remove(hunt);
        MessageBoxAnswer answer(QMessageBox::Ok);
        main_->mnuRecent->actions()[0]->trigger();
        QTRY_VERIFY(answer.answered());
        QCOMPARE(main_->recentFiles->Files().size(), std::size_t{1});
    }

    void SavesThePictureAt1xAnd2x() {
        HuntMap& map = OpenCalculatedHunt();
        const auto one = (*dir_) / "one.png";
        QVERIFY(map.SavePicture(one, 1).ok());
        const QImage image(QString::fromStdString(one.string()));
        QCOMPARE(image.size(), map.canvas->size());
        const core::PlanePoint f1 = map.canvas->View().ToPixel({501000, 5601000});
        QCOMPARE(image.pixelColor(static_cast<int>(f1.x), static_cast<int>(f1.y)), kF1);
        nextFile_ = QString::fromStdString(((*dir_) / "two.png").string());
        map.mnuSavePng2x->trigger();
        QCOMPARE(QImage(*nextFile_).size(), map.canvas->size() * 2);
        // Printing to a PDF file.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(((*dir_) / "map.pdf").string()));
        map.PrintTo(printer);
        QVERIFY(testing_support::ReadBytes((*dir_) / "map.pdf").rfind("%PDF", 0) == 0);
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::HuntMapTest)
#include "hunt_map_test.moc"
