// The Hunt Map window, driven with the mouse, keys and menus on the offscreen platform, with real maps.
#include <QAction>
#include <QCheckBox>
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
#include "persistence/ini_file.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"
#include "ui/calibrate_picture_dialog.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {
namespace {

const std::string kMaps = VANTREL_TESTDATA_DIR "/maps";

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

QColor CanvasPixel(HuntMap& map, maps::XY hunt) {
    const maps::XY p = map.canvas->View().ToPixel(hunt);
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
        environment.fileDialog = [this](QWidget*, const FileDialogRequest&) { return nextFile_; };
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
        QCOMPARE(CanvasPixel(map, {501000, 5601000}), QColor(0, 0, 250));  // F1
        QCOMPARE(CanvasPixel(map, {500000, 5602000}), QColor(250, 0, 0));  // F2
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
        const maps::XY under = before.FromPixel({cursor.x(), cursor.y()});
        Wheel(canvas, cursor, 240);  // two notches: twice as large
        QCOMPARE(canvas->View().unitsPerPixel, before.unitsPerPixel / 2);
        const maps::XY still = canvas->View().ToPixel(under);
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
        const maps::XY f1 = map.canvas->View().ToPixel({501000, 5601000});
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
        HuntMap& map = Open();
        QCOMPARE(map.txtMapZone->text(), QStringLiteral("32U"));
        Type(map.txtMapZone, QStringLiteral("33T"));
        QTest::keyClick(map.txtMapZone, Qt::Key_Return);
        QCOMPARE(map.Zone(), (geodesy::UtmZone{33, 'T'}));
        const auto ini = SavedSettings();
        QCOMPARE(QString::fromStdString(ini.Get("Map", "Zone").value_or("")), QStringLiteral("33T"));
        // Not a zone: refused, the zone stays.
        Type(map.txtMapZone, QStringLiteral("61U"));
        QTest::keyClick(map.txtMapZone, Qt::Key_Return);
        QCOMPARE(map.Zone(), (geodesy::UtmZone{33, 'T'}));
        QCOMPARE(map.txtMapZone->text(), QStringLiteral("33T"));
        // A zone in a station's zone box comes first.
        Type(main_->txtZone[1], QStringLiteral("31U"));
        QTRY_COMPARE(map.Zone(), (geodesy::UtmZone{31, 'U'}));
        QCOMPARE(map.txtMapZone->text(), QStringLiteral("31U"));
    }

    // The example hunt's map names zone 25 south in its .prj: with no zone anywhere else it becomes the
    // hunt's zone, the map is drawn (asynchronously) and the sea of the ground truth shows where it lies.
    void MapDrawnOnTheSideWithTheGroundTruthInPlace() {
        HuntMap& map = Open();
        QVERIFY(map.OpenMap(VANTREL_SOURCE_DIR "/examples/maps/olinda.png").ok());
        QCOMPARE(map.Zone(), (geodesy::UtmZone{25, 'M'}));
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
        const maps::Box extent = map.Map()->Extent();
        QVERIFY(std::abs(extent.x0 - 288776.25) < 0.01 && std::abs(extent.y1 - 9120761) < 0.01);
    }

    void SavesThePictureAt1xAnd2x() {
        HuntMap& map = OpenCalculatedHunt();
        const auto one = (*dir_) / "one.png";
        QVERIFY(map.SavePicture(one, 1).ok());
        const QImage image(QString::fromStdString(one.string()));
        QCOMPARE(image.size(), map.canvas->size());
        const maps::XY f1 = map.canvas->View().ToPixel({501000, 5601000});
        QCOMPARE(image.pixelColor(static_cast<int>(f1.x), static_cast<int>(f1.y)), QColor(0, 0, 250));
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
