// The bearing log in the window: File > Log Bearings appends the station boxes' bearings to NAME.fhl beside
// the hunt (what the log holds afterwards is read back with the log's own reader), and the Bearings window's
// Ignore and Note append edit events and show the many-bearing fix computed again.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "file_bytes.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "hunt_log/log_writer.hpp"
#include "persistence/data_file.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"
#include "ui/bearings_window.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/hunt_map_heat.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::TempDir;
using vantrel::testing_support::WriteBytes;

namespace vantrel::ui {

class BearingLogWindowTest : public QObject {
    Q_OBJECT

    // Stations 1 km apart on northing 5700000, station 1 on zone 32's central meridian (9 E). F1 45 / 315
    // with three receiver readings 44, 45, 46 behind station 1's box; F2 225 / 135; F3 80 / 280; F4 and F5
    // untouched.
    static std::string HuntFile() { return testing_support::ThreeFoxHuntFile(); }

    struct Fixture {
        TempDir dir;
        persistence::ProgramState program;
        std::unique_ptr<MainFrm> window;
        explicit Fixture(const std::string& settingsFile = {}) {
            WriteBytes(dir / "Vantrel.ini", settingsFile);
            WriteBytes(dir / "hunt.fh2", HuntFile());
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            MainFrmEnvironment environment{dir / "Vantrel.ini", ','};
            environment.fileDialog = [this](QWidget*, const FileDialogRequest&) {
                return std::optional<QString>(QString::fromStdString((dir / "hunt.fh2").string()));
            };
            window = std::make_unique<MainFrm>(program, environment);
            window->show();
            window->mnuOpen->trigger();
        }
    };

    static hunt_log::NewBearing GridBearing(double east, double north, double bearing, const char* station) {
        const geodesy::GeoPosition p = geodesy::ZoneUtmToLatLon(geodesy::UtmZone{32, 'U'}, east, north);
        hunt_log::NewBearing b;
        b.time = 1'800'000'000'000;
        b.station = station;
        b.lat = p.lat;
        b.lon = p.lon;
        b.bearing = bearing;
        return b;
    }

  private Q_SLOTS:
    void LogBearingsAppendsBothStationsBoxes() {
        Fixture f;
        QCOMPARE(f.window->mnuLogBearings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        f.window->mnuLogBearings->trigger();
        const auto read = hunt_log::ReadLog(f.dir / "hunt.fhl");
        QVERIFY2(read, read ? "" : read.message().c_str());
        QCOMPARE(geodesy::ZoneText(read->log.header.zone), std::string("32U"));
        const hunt_log::HuntState state = hunt_log::StateAt(read->log);
        // F1..F3 from both stations; the untouched F4 and F5 are not logged.
        const int expectedCounts[] = {2, 2, 2, 0, 0};
        for (int fox = 1; fox <= 5; ++fox) {
            QCOMPARE(static_cast<int>(state.Fox(fox).size()), expectedCounts[fox - 1]);
        }
        const hunt_log::FoxBearing& first = state.Fox(1)[0];
        QCOMPARE(first.station, std::string("Station 1"));
        QCOMPARE(first.bearing, 45.0);
        QVERIFY(first.reference == hunt_log::Reference::Grid);
        QCOMPARE(first.source, std::string("receiver"));
        QCOMPARE(first.readings, 3u);
        QVERIFY(std::abs(first.sigma - 3.055) < 0.001);  // the spread of 44, 45, 46 (as the Results tooltip)
        QVERIFY(std::abs(first.lon - 9.0) < 1e-9);       // on the central meridian
        QVERIFY(std::abs(first.easting - 500000) < 0.001);
        QVERIFY(std::abs(first.northing - 5700000) < 0.001);
        const hunt_log::FoxBearing& second = state.Fox(1)[1];
        QCOMPARE(second.station, std::string("Station 2"));
        QCOMPARE(second.bearing, 315.0);
        QCOMPARE(second.source, std::string("typed"));
        QVERIFY(std::isnan(second.sigma));
        QVERIFY(std::abs(second.easting - 501000) < 0.001);
        // The Hunt Map draws every logged ray and the fixes of the foxes whose two bearings cross in front
        // of both stations (F1 and F3; F2's cross behind them).
        f.window->mnuHuntMap->trigger();
        const HuntMap& map = *f.window->huntMapWindow.Get();
        QTRY_COMPARE(map.Scene().bearingLog.rays.size(), std::size_t{6});
        QCOMPARE(map.Scene().bearingLog.fixes.size(), std::size_t{2});
        QCOMPARE(map.Scene().bearingLog.fixes[1].fox, 2);  // F3, 0-based
        QVERIFY(std::abs(map.Scene().bearingLog.fixes[0].position.x - 500500) < 0.01);
        QVERIFY(std::abs(map.Scene().bearingLog.fixes[0].position.y - 5700500) < 0.01);
        // Logging again appends: nothing of the first round is rewritten.
        const std::string before = testing_support::ReadBytes(f.dir / "hunt.fhl");
        f.window->mnuLogBearings->trigger();
        const std::string after = testing_support::ReadBytes(f.dir / "hunt.fhl");
        QCOMPARE(after.substr(0, before.size()), before);
        QCOMPARE(hunt_log::StateAt(hunt_log::ReadLog(f.dir / "hunt.fhl")->log).Fox(1).size(), std::size_t{4});
        QTRY_COMPARE(map.Scene().bearingLog.rays.size(), std::size_t{12});
    }

    // Fox 1 at (500000, 5501000): three bearings through it and a wild one. With the maximum likelihood
    // ([Locate] Method=mle) the wild bearing pulls the fix away; ignoring it appends an edit and the fix is
    // the three bearings' crossing again.
    void IgnoreAppendsAnEditAndTheFixFollows() {
        Fixture f("[Locate]\r\nMethod=mle\r\n");
        {
            auto writer = hunt_log::LogWriter::Open(f.dir / "hunt.fhl", geodesy::UtmZone{32, 'U'}, 0);
            QVERIFY(writer);
            for (const auto& b :
                 {GridBearing(500000, 5500000, 0, "A"), GridBearing(499000, 5501000, 90, "B"),
                  GridBearing(501000, 5502000, 225, "C"), GridBearing(499000, 5500500, 60, "W")}) {
                QVERIFY(writer->AppendBearing(b));
            }
        }
        f.window->mnuBearings->trigger();
        BearingsWindow* w = f.window->bearingsWindow.Get();
        QVERIFY(w != nullptr);
        w->foxFilter->setCurrentIndex(1);
        QCOMPARE(w->table->rowCount(), 4);
        QVERIFY(!w->fixText->text().contains(QStringLiteral("E 500000  N 5501000")));
        QCOMPARE(w->table->item(3, BearingsWindow::kWeight)->text(), QStringLiteral("1.00"));

        w->table->item(3, BearingsWindow::kIgnore)->setCheckState(Qt::Checked);
        QTRY_COMPARE(w->table->item(3, BearingsWindow::kFlags)->text(), QStringLiteral("ignored"));
        QVERIFY2(w->fixText->text().contains(QStringLiteral("E 500000  N 5501000")),
                 qPrintable(w->fixText->text()));
        QVERIFY(w->fixText->text().contains(QStringLiteral("3 of 4 bearings")));
        QCOMPARE(w->table->item(3, BearingsWindow::kWeight)->text(), QStringLiteral("-"));

        w->table->item(0, BearingsWindow::kNote)->setText(QStringLiteral("from the church tower"));
        QTRY_COMPARE(w->table->item(0, BearingsWindow::kNote)->text(),
                     QStringLiteral("from the church tower"));
        const auto read = hunt_log::ReadLog(f.dir / "hunt.fhl");
        QVERIFY(read);
        QCOMPARE(read->log.events.size(), std::size_t{6});
        const auto* ignore = std::get_if<hunt_log::EditEvent>(&read->log.events[4]);
        QVERIFY(ignore != nullptr && ignore->id == 4 && ignore->ignore == true && !ignore->note);
        const auto* note = std::get_if<hunt_log::EditEvent>(&read->log.events[5]);
        QVERIFY(note != nullptr && note->id == 1 && note->note == std::string("from the church tower"));
    }

    // Fox 1 at (500000, 5501000) from four stations with a sigma of 2 degrees, one bearing 15 degrees off.
    // Ctrl+H in the Hunt Map turns on the likelihood map of the chosen fox, F3 (no bearings), so of F1, the
    // first fox with a fix; it is worked out in the background and follows an edit of the log; Ctrl+H again
    // takes it away.
    void LikelihoodMapFollowsTheLogAndTheToggle() {
        Fixture f("[Locate]\r\nMethod=mle\r\n");
        {
            auto writer = hunt_log::LogWriter::Open(f.dir / "hunt.fhl", geodesy::UtmZone{32, 'U'}, 0);
            QVERIFY(writer);
            for (auto b : {GridBearing(500000, 5500000, 0, "A"), GridBearing(499000, 5501000, 90, "B"),
                           GridBearing(501000, 5502000, 225, "C"), GridBearing(499000, 5500500, 78, "W")}) {
                b.sigma = 2;
                QVERIFY(writer->AppendBearing(b));
            }
        }
        f.window->mnuHuntMap->trigger();
        HuntMap& map = *f.window->huntMapWindow.Get();
        QVERIFY(map.heat->Layer() == nullptr);
        // The view over the four stations (the hunt file's own stations lie 200 km north).
        map.canvas->SetView(maps::FitView(core::PlaneBox{498500, 5499500, 501500, 5502500},
                                          map.canvas->width(), map.canvas->height(), 0));
        map.heat->cboHeatFox->setCurrentIndex(2);
        map.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&map));
        QTest::keyClick(&map, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(map.heat->mnuHeat->isChecked());
        QTRY_VERIFY(map.Scene().heat != nullptr);
        const auto withWild = map.Scene().heat;
        QCOMPARE(withWild->fox, 0);
        QVERIFY(withWild->area95 > 0);
        QVERIFY(!withWild->contour95.empty());

        // Ignoring the wild bearing: the three left cross exactly at the fox, so the peak moves there from
        // where the wild bearing had pulled it.
        const auto peakOffFox = [](const hunt_picture::HeatLayer& layer) {
            const auto peak = std::max_element(layer.values.begin(), layer.values.end());
            const auto cell = static_cast<int>(peak - layer.values.begin());
            return std::hypot(layer.frame.CentreX(cell % layer.frame.columns) - 500000,
                              layer.frame.CentreY(cell / layer.frame.columns) - 5501000);
        };
        hunt_log::EditEvent ignore;
        ignore.id = 4;
        ignore.ignore = true;
        QVERIFY(f.window->HuntLog()->AppendEdit(ignore));
        QTRY_VERIFY(map.Scene().heat != withWild && !map.heat->Pending());
        const auto withoutWild = map.Scene().heat;
        QVERIFY(peakOffFox(*withoutWild) <= withoutWild->frame.size);
        QVERIFY(peakOffFox(*withWild) > 3 * withWild->frame.size);

        QTest::keyClick(&map, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(map.Scene().heat == nullptr);
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::BearingLogWindowTest)
#include "bearing_log_window_test.moc"
