// The fixes' quality in the main window (the Results boxes' tooltips, the status bar after Calculate) and
// File > Export, which must write what vantrel-cli export writes for the same file.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::ReadBytes;
using vantrel::testing_support::TempDir;
using vantrel::testing_support::WriteBytes;

namespace vantrel::ui {

class MainFrmQualityTest : public QObject {
    Q_OBJECT

    // Stations 1 km apart on northing 5700000. F1 45 / 315 with three readings 44, 45, 46 behind station 1's
    // box (sigma 3.055 there, 5 at station 2); F2 225 / 135, behind both stations; F3 80 / 280, crossing at
    // 20 degrees; F4 and F5 no Match.
    static std::string HuntFile() { return testing_support::ThreeFoxHuntFile(); }

    struct Fixture {
        TempDir dir;
        persistence::ProgramState program;
        std::optional<QString> nextAnswer;
        QString presetName;  // of the last dialog
        std::unique_ptr<MainFrm> window;
        explicit Fixture(const std::string& settingsFile = {}) {
            if (!settingsFile.empty()) {
                WriteBytes(dir / "Vantrel.ini", settingsFile);
            }
            WriteBytes(dir / "hunt.fh2", HuntFile());
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            MainFrmEnvironment environment{dir / "Vantrel.ini", ','};
            environment.fileDialog = [this](QWidget*, const FileDialogRequest& request) {
                presetName = request.presetName;
                return nextAnswer;
            };
            window = std::make_unique<MainFrm>(program, environment);
            window->show();
        }
        QString Path(const char* name) const { return QString::fromStdString((dir / name).string()); }
        void OpenAndCalculate() {
            nextAnswer = Path("hunt.fh2");
            window->mnuOpen->trigger();
            QTest::mouseClick(window->CalcCMD, Qt::LeftButton);
        }
    };

  private Q_SLOTS:
    // Unusable values in [Quality]: one is shown as it is; several as a count and the first, all in the
    // tooltip.
    void UnusableQualitySettingsAreAllShown() {
        const QString first = QStringLiteral("[Quality] BearingSigma=five is not a number; 5 is used");
        {
            Fixture f("[Quality]\r\nBearingSigma=five\r\n");
            QCOMPARE(f.window->statusBar()->currentMessage(), first);
        }
        Fixture f("[Quality]\r\nBearingSigma=five\r\nBearingSigmaFloor=1e300\r\nConfidence=95\r\n");
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 QStringLiteral("3 settings in Vantrel.ini are not usable (point here for all): ") + first);
        QCOMPARE(
            f.window->statusBar()->toolTip(),
            first + QStringLiteral("\n[Quality] BearingSigmaFloor=1e300 is above 180 degrees; 180 is used"
                                   "\n[Quality] Confidence=95 is not between 0 and 1 (exclusive); 0.95 is "
                                   "used"));
    }

    void TooltipsAndStatusLineAfterCalculate() {
        Fixture f;
        MainFrm& w = *f.window;
        QCOMPARE(w.ResLat[0]->toolTip(), QString());
        f.OpenAndCalculate();
        QCOMPARE(w.ResLat[0]->text(), QStringLiteral("5700500,0"));  // the boxes as they always were
        QCOMPARE(
            w.ResLat[0]->toolTip(),
            QStringLiteral("95 % within 151 m x 92 m (long axis towards 45 degrees); crossing 90 degrees; "
                           "707 m from Scedule 1, 707 m from Scedule 2"));
        QCOMPARE(w.ResLon[0]->toolTip(), w.ResLat[0]->toolTip());
        QCOMPARE(
            w.ResLat[1]->toolTip(),
            QStringLiteral("Behind Scedule 1: the bearings meet opposite to the measured direction - check "
                           "F2's bearing\n"
                           "Behind Scedule 2: the bearings meet opposite to the measured direction - check "
                           "F2's bearing\n"
                           "95 % within 151 m (circle); crossing 90 degrees; 707 m behind Scedule 1, 707 m "
                           "behind Scedule 2"));
        QCOMPARE(w.ResLat[3]->toolTip(), QStringLiteral("No fix: the bearings do not cross"));
        QCOMPARE(w.statusBar()->currentMessage(),
                 QStringLiteral("F2: behind Scedule 1, behind Scedule 2; F3: bearings cross at 20 degrees, "
                                "approximate"));
        // A bearing typed after Calculate: the shown fix is no longer the boxes' fix.
        w.S2Ang[0]->selectAll();
        QTest::keyClicks(w.S2Ang[0], QStringLiteral("316"));
        QVERIFY(w.ResLat[0]->toolTip().startsWith(QStringLiteral("The boxes changed since Calculate")));
        QCOMPARE(w.ResLat[0]->text(), QStringLiteral("5700500,0"));
        QVERIFY(w.ResLat[2]->toolTip().startsWith(QStringLiteral("The bearings cross at 20 degrees")));
    }

    // The zone comes from the [Map] setting when the zone boxes are empty; the CLI is told the same zone.
    void ExportWritesWhatTheCliWrites() {
        Fixture f("[Map]\r\nZone=33U\r\n");
        const QList<QAction*> menu = f.window->findChild<QMenu*>(QStringLiteral("MNU_FILE"))->actions();
        QCOMPARE(menu.value(menu.indexOf(f.window->mnuImport) + 1), f.window->mnuExport);
        const std::string hunt = (f.dir / "hunt.fh2").string();
        {
            f.nextAnswer = f.Path("early.kml");
            MessageBoxAnswer answer(QMessageBox::Ok);
            f.window->mnuExport->trigger();
            QCOMPARE(answer.text(), QStringLiteral("No Valid Data."));
            QVERIFY(!std::filesystem::exists(f.dir / "early.kml"));
        }
        f.OpenAndCalculate();
        for (const char* format : {"kml", "geojson", "gpx"}) {
            const std::string window = "window." + std::string(format);
            const std::string cli = "cli." + std::string(format);
            f.nextAnswer = f.Path(window.c_str());
            f.window->mnuExport->trigger();
            const auto r = testing_support::RunCli({"--decimal-separator=,", "export", hunt, "--format",
                                                    format, "-o", (f.dir / cli).string(), "--zone", "33U"});
            QCOMPARE(r.exitCode, 0);
            const std::string bytes = ReadBytes(f.dir / window);
            QVERIFY(bytes.find("ellipse") != std::string::npos);
            QVERIFY(bytes == ReadBytes(f.dir / cli));
        }
        QVERIFY(f.window->statusBar()->currentMessage().startsWith(
            QStringLiteral("Exported in zone 33U (default) to ")));
        QCOMPARE(f.presetName, f.Path("hunt.kml"));  // beside the measurement, named after it
        // A bearing typed since Calculate: F1 goes out without the quality it no longer has, and says so.
        f.window->S1Ang[0]->selectAll();
        QTest::keyClicks(f.window->S1Ang[0], QStringLiteral("46"));
        MessageBoxAnswer answer(QMessageBox::Ok);
        f.window->mnuExport->trigger();
        QCOMPARE(answer.text(),
                 QStringLiteral("F1 exported without its quality: the boxes no longer give this "
                                "fix (Calculate again)"));
    }

    void ExportFailuresNameTheFile() {
        Fixture f;
        f.OpenAndCalculate();
        for (const auto& [name, reason] : {std::pair{"hunt.shp", ".kml, .geojson or .gpx"},
                                           std::pair{"no folder/hunt.kml", "no folder/hunt.kml"}}) {
            f.nextAnswer = f.Path(name);
            MessageBoxAnswer answer(QMessageBox::Ok);
            f.window->mnuExport->trigger();
            QVERIFY2(answer.text().contains(QString::fromUtf8(name)) &&
                         answer.text().contains(QString::fromUtf8(reason)),
                     qPrintable(answer.text()));
            QCOMPARE(answer.icon(), QMessageBox::Warning);
        }
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::MainFrmQualityTest)
#include "main_frm_quality_test.moc"
