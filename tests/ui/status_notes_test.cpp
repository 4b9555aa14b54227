// What the windows say without a message box: the status-line notes and zone warnings after the main
// window's commands (Open and Save also by Ctrl+O and Ctrl+S), boxes that show the start of a long text,
// and the hints of the empty picture windows.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "persistence/settings.hpp"
#include "platform/object_database.hpp"
#include "temp_dir.hpp"
#include "ui/frm_angle.hpp"
#include "ui/frm_data_in.hpp"
#include "ui/main_frm.hpp"
#include "ui/pic_frame.hpp"
#include "ui/picture_box.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;

namespace vantrel::ui {

class StatusNotesTest : public QObject {
    Q_OBJECT

    struct Fixture {
        testing_support::TempDir dir;
        persistence::ProgramState program;
        std::optional<QString> answer;  // what the file dialog answers
        std::unique_ptr<MainFrm> window;
        Fixture() {
            program.settings.FoxesFileLocation = (dir / "foxies.ovl").string();
            program.settings.RaysFileLocation = (dir / "rays.ovl").string();
            program.settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
            MainFrmEnvironment environment{dir / "Vantrel.ini", ','};
            environment.fileDialog = [this](QWidget*, const FileDialogRequest&) { return answer; };
            window = std::make_unique<MainFrm>(program, environment);
            window->show();
            window->activateWindow();  // shortcuts reach the active window
        }
    };

  private Q_SLOTS:
    void CommandsLeaveANoteAndNoMessageBox() {
        const QString example = QStringLiteral(VANTREL_SOURCE_DIR "/examples/hunt-vogelsberg.fh2");
        const QString legacy = QStringLiteral(VANTREL_SOURCE_DIR "/examples/hunt-kassel.fhd");
        const QString grid = QStringLiteral(
            "; the overlay files and the database use zone 32, the map application's grid: positions there "
            "will be wrong.");
        const QString older = QStringLiteral("; results are from before this file: press Calculate");
        // In the notes, %1 is the test's folder.
        struct Row {
            const char* command;  // Ctrl+S, Ctrl+O, Import, Calculate, Overlays, Preview, Database, BadSave
            const char* zones;    // the two zone boxes as typed
            bool calculateFirst;
            QString file;  // the file dialog's answer
            QString note;
        };
        const std::vector<Row> rows{
            {"Ctrl+S", "", false, "%1/hunt.fh2", "Saved to %1/hunt.fh2"},
            {"Ctrl+O", "", false, example, "Opened " + example},
            {"Ctrl+O", "", true, example, "Opened " + example + older},
            {"Import", "", true, legacy, "Imported " + legacy + older},
            {"Calculate", "32U32T", false, {}, "No fix flagged"},
            {"Calculate",
             "32U33U",
             false,
             {},
             "Warning: The stations are in different zones, 32U and 33U: the two UTM planes do not meet, so "
             "the "
             "fixes are wrong. Scedule 2 is in zone 33U" +
                 grid + " No fix flagged."},
            {"Overlays", "", true, {}, "Overlays written: %1/foxies.ovl and %1/rays.ovl"},
            {"Overlays",
             "10T10t",
             true,
             {},
             "Warning: The stations are in zone 10T" + grid +
                 " Overlays written: %1/foxies.ovl and %1/rays.ovl."},
            {"Preview", "", false, {}, "Preview overlay written: %1/preview.ovl"},
            {"Database", "", true, {}, "Database updated: %1/objects.sqlite"},
            {"BadSave", "", true, "%1/missing/hunt.fh2", ""},  // the failure's box, and the note goes
        };
        for (const Row& row : rows) {
            Fixture f;
            QCOMPARE(f.window->mnuOpen->text() + f.window->mnuSave->text(), QStringLiteral("&Open&Save"));
            const QString dir = QString::fromStdString(f.dir.path().string());
            QVERIFY(platform::CreateObjectDatabase(f.dir / "objects.sqlite").ok());
            QVERIFY(f.window->NavData.Start(f.dir / "objects.sqlite", std::nullopt).ok());
            const QString zones = QString::fromLatin1(row.zones);
            QTest::keyClicks(f.window->txtZone[0], zones.left(3));
            QTest::keyClicks(f.window->txtZone[1], zones.mid(3));
            if (row.calculateFirst) {
                f.window->CalcCMD->click();
            }
            f.answer = row.file.arg(dir);
            const QString command = QString::fromLatin1(row.command);
            MessageBoxAnswer failure(QMessageBox::Ok);
            if (command.startsWith(QStringLiteral("Ctrl+"))) {
                QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
                QTest::keySequence(f.window.get(), QKeySequence(command));
            } else if (command == QStringLiteral("BadSave")) {
                f.window->cmdWritePreview->click();  // a note the failure clears
                f.window->mnuSave->trigger();
            } else {
                QObject* target = command == QStringLiteral("Import")
                                      ? static_cast<QObject*>(f.window->mnuImport)
                                  : command == QStringLiteral("Calculate") ? f.window->CalcCMD
                                  : command == QStringLiteral("Overlays")  ? f.window->cmdWriteOvl
                                  : command == QStringLiteral("Preview")   ? f.window->cmdWritePreview
                                                                           : f.window->upd_db_cmd;
                QMetaObject::invokeMethod(target, qobject_cast<QAction*>(target) ? "trigger" : "click");
            }
            QVERIFY2(failure.answered() == (command == QStringLiteral("BadSave")), row.command);
            const QString shown = f.window->statusBar()->currentMessage();
            QVERIFY2(shown == row.note.arg(dir), qPrintable(command + QStringLiteral(": ") + shown));
        }
    }

    // Long texts a command wrote show their start, and the whole as the tooltip; short ones have none.
    void LongTextsShowTheirStartAndTheWholeAsTooltip() {
        Fixture f;
        const std::pair<double, double> readings[] = {
            {40, -10}, {41, -12}, {45.1, -60}, {45.2, -61}, {45.5, -61}};
        for (int i = 0; i < 5; ++i) {
            f.program.RxReadings(0, i < 2 ? 0 : 3, i < 2 ? i : i - 2) = {readings[i].first,
                                                                         readings[i].second, 1};
        }
        MessageBoxAnswer noReceiver(QMessageBox::Ok);  // there is no receiver port here: the window says so
        f.window->cmdAq[0]->click();
        QTRY_VERIFY(noReceiver.answered());
        frmDataIn& data = *f.window->dataInWindow.Get();
        data.cmdUPD->click();
        data.cmdTrans->click();
        QCOMPARE(f.window->statusBar()->currentMessage(), QStringLiteral("F1-F5 of Scedule 1 transferred"));
        f.window->CalcCMD->click();
        // (45.1 + 45.2 + 45.5) / 3 and (-60 - 61 - 61) / 3 to 15 digits; (40 + 41) / 2 fits its box.
        const QString mean = QStringLiteral("45,2666666666667");
        const QString signal = QStringLiteral("-60,6666666666667");
        const std::vector<std::tuple<QLineEdit*, QString, QString>> rows{
            {data.txtRes[3], mean, mean},         {data.txtDB[3], signal, signal},
            {data.txtRes[0], "40,5", {}},         {f.window->S1Ang[3], mean, mean},
            {f.window->S1Sig[3], signal, signal}, {f.window->S1Ang[0], "40,5", {}}};
        for (const auto& [box, text, toolTip] : rows) {
            QVERIFY2(box->text() == text && box->cursorPosition() == 0 && box->toolTip() == toolTip,
                     qPrintable(box->objectName()));
        }
        // A received text that looks like markup is shown as it is, also in the tooltip.
        f.program.main.txtTest = "$GPRMC,<b>" + std::string(200, '9') + "</b>";
        f.window->RefreshFromState();
        QVERIFY(f.window->txtTest->toolTip().contains(QStringLiteral("&lt;b&gt;999")));
        f.window->S1Ang[3]->selectAll();
        QTest::keyClicks(f.window->S1Ang[3], QStringLiteral("45"));  // typed over: the tooltip follows
        QCOMPARE(f.window->S1Ang[3]->toolTip(), QString());
        MessageBoxAnswer no(QMessageBox::No);
        data.close();
    }

    void EmptyPictureWindowsSayWhatToDo() {
        Fixture f;
        QGuiApplication::clipboard()->clear();
        f.window->mnuShowRays->trigger();
        f.window->mnuAngles->trigger();
        PictureBox* rays = f.window->raysWindow.Get()->PicBox;
        PictureBox* angle = f.window->angleWindow.Get()->Pict;
        for (PictureBox* canvas : {rays, angle}) {
            // Shown on the screen, not drawn into the picture.
            QVERIFY(canvas->HintShown());
            const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY(shown != canvas->Canvas());
            QCOMPARE(canvas->Canvas().pixel(10, 10), canvas->Canvas().pixel(300, 200));
        }
        f.window->raysWindow.Get()->MouseDown(QPointF(100, 200));  // rays on the blank box: the hint goes
        QVERIFY(!rays->HintShown());
        QImage picture(50, 50, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QGuiApplication::clipboard()->setImage(picture);
        f.window->angleWindow.Get()->cmdInsClpbd->click();
        QVERIFY(!angle->HintShown());
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::StatusNotesTest)
#include "status_notes_test.moc"
