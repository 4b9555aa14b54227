// What the windows say without a message box: the status-line notes and zone warnings after the main
// window's commands, the keyboard shortcuts of Open and Save, boxes that show the start of a long text, and
// the hints of the empty picture windows.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <functional>

#include "persistence/settings.hpp"
#include "platform/object_database.hpp"
#include "temp_dir.hpp"
#include "ui/frm_angle.hpp"
#include "ui/frm_data_in.hpp"
#include "ui/main_frm.hpp"
#include "ui/pic_frame.hpp"
#include "ui/picture_canvas.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {

namespace {

const QString kGrid = QStringLiteral(
    "; the overlay files and the database use zone 32, the map application's grid: positions there will be "
    "wrong.");

struct Fixture {
    TempDir dir;
    persistence::ProgramState program;
    std::optional<QString> nextAnswer;  // what the file dialog answers
    std::vector<FileDialogRequest> asked;
    std::unique_ptr<MainFrm> window;
    bool active = false;

    Fixture() {
        program.settings = persistence::GetIniData(dir / "Vantrel.ini");
        program.settings.FoxesFileLocation = (dir / "foxies.ovl").string();
        program.settings.RaysFileLocation = (dir / "rays.ovl").string();
        program.settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
        MainFrmEnvironment environment{dir / "Vantrel.ini", ','};
        environment.fileDialog = [this](QWidget*, const FileDialogRequest& request) {
            asked.push_back(request);
            return nextAnswer;
        };
        window = std::make_unique<MainFrm>(program, environment);
        window->show();
        window->activateWindow();  // shortcuts reach the active window
        active = QTest::qWaitForWindowActive(window.get());
    }
    [[nodiscard]] QString Path(const char* name) const {
        return QString::fromStdString((dir / name).string());
    }
    [[nodiscard]] QString Status() const { return window->statusBar()->currentMessage(); }
    void TypeZones(const char* zone1, const char* zone2) const {
        for (const auto& [box, zone] :
             {std::pair{window->txtZone[0], zone1}, std::pair{window->txtZone[1], zone2}}) {
            box->selectAll();
            QTest::keyClicks(box, QString::fromLatin1(zone));
        }
    }
    void Click(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }
};

const QString kExample = QStringLiteral(VANTREL_SOURCE_DIR "/examples/hunt-vogelsberg.fh2");
const QString kLegacyExample = QStringLiteral(VANTREL_SOURCE_DIR "/examples/hunt-kassel.fhd");

struct NoteCase {
    const char* name;
    std::function<void(Fixture&)> act;
    std::function<QString(const Fixture&)> note;
};

std::vector<NoteCase> NoteCases() {
    const auto calculate = [](Fixture& f) { f.Click(f.window->CalcCMD); };
    const auto overlays = [](const Fixture& f) {
        return QStringLiteral("Overlays written: %1 and %2").arg(f.Path("foxies.ovl"), f.Path("rays.ovl"));
    };
    return {
        {"CtrlSSaves",
         [](Fixture& f) {
             f.nextAnswer = f.Path("hunt.fh2");
             QTest::keyClick(f.window.get(), Qt::Key_S, Qt::ControlModifier);
         },
         [](const Fixture& f) { return QStringLiteral("Saved to ") + f.Path("hunt.fh2"); }},
        {"CtrlOOpensBeforeAnyCalculate",
         [](Fixture& f) {
             f.nextAnswer = kExample;
             QTest::keyClick(f.window.get(), Qt::Key_O, Qt::ControlModifier);
         },
         [](const Fixture&) { return QStringLiteral("Opened ") + kExample; }},
        {"OpenAfterACalculate",
         [calculate](Fixture& f) {
             calculate(f);
             f.nextAnswer = kExample;
             f.window->mnuOpen->trigger();
         },
         [](const Fixture&) {
             return QStringLiteral("Opened ") + kExample +
                    QStringLiteral("; results are from before this file: press Calculate");
         }},
        {"ImportAfterACalculate",
         [calculate](Fixture& f) {
             calculate(f);
             f.nextAnswer = kLegacyExample;
             f.window->mnuImport->trigger();
         },
         [](const Fixture&) {
             return QStringLiteral("Imported ") + kLegacyExample +
                    QStringLiteral("; results are from before this file: press Calculate");
         }},
        {"CalculateInZone32SaysNothing",
         [calculate](Fixture& f) {
             f.TypeZones("32U", "32T");
             calculate(f);
         },
         [](const Fixture&) { return QString(); }},
        {"CalculateInTwoZones",
         [calculate](Fixture& f) {
             f.TypeZones("32U", "33U");
             calculate(f);
         },
         [](const Fixture&) {
             return QStringLiteral(
                        "Warning: The stations are in different zones, 32U and 33U: the two UTM planes do "
                        "not "
                        "meet, so the fixes are wrong. Scedule 2 is in zone 33U") +
                    kGrid;
         }},
        {"WriteOverlays",
         [calculate](Fixture& f) {
             calculate(f);
             f.Click(f.window->cmdWriteOvl);
         },
         overlays},
        {"WriteOverlaysInZone10T",
         [calculate](Fixture& f) {
             f.TypeZones("10T", "10t");
             calculate(f);
             f.Click(f.window->cmdWriteOvl);
         },
         [overlays](const Fixture& f) {
             return QStringLiteral("Warning: The stations are in zone 10T") + kGrid + QLatin1Char(' ') +
                    overlays(f) + QLatin1Char('.');
         }},
        {"WritePreviewOverlay", [](Fixture& f) { f.Click(f.window->cmdWritePreview); },
         [](const Fixture& f) {
             return QStringLiteral("Preview overlay written: ") + f.Path("preview.ovl");
         }},
        {"UpdateDatabase",
         [calculate](Fixture& f) {
             QVERIFY(platform::CreateObjectDatabase(f.dir / "objects.sqlite").ok());
             QVERIFY(f.window->NavData.Start(f.dir / "objects.sqlite", std::nullopt).ok());
             calculate(f);
             f.Click(f.window->upd_db_cmd);
         },
         [](const Fixture& f) { return QStringLiteral("Database updated: ") + f.Path("objects.sqlite"); }},
        {"AFailureClearsTheLastNote",
         [](Fixture& f) {
             f.Click(f.window->cmdWritePreview);
             f.nextAnswer = f.Path("missing/hunt.fh2");
             MessageBoxAnswer answer(QMessageBox::Ok);
             f.window->mnuSave->trigger();
             QVERIFY(answer.answered());
         },
         [](const Fixture&) { return QString(); }},
    };
}

// Fills the data window's fox 1 and fox 4 with readings of station 1 and averages them.
frmDataIn* AveragedDataWindow(Fixture& f) {
    f.program.RxReadings(0, 0, 0) = {40, -10, 1};
    f.program.RxReadings(0, 0, 1) = {41, -12, 1};
    f.program.RxReadings(0, 3, 0) = {45.1, -60, 1};
    f.program.RxReadings(0, 3, 1) = {45.2, -61, 1};
    f.program.RxReadings(0, 3, 2) = {45.5, -61, 1};
    MessageBoxAnswer noReceiver(QMessageBox::Ok);  // there is no receiver port here: the window says so
    f.Click(f.window->cmdAq[0]);
    if (!QTest::qWaitFor([&noReceiver] { return noReceiver.answered(); })) {
        return nullptr;
    }
    frmDataIn* data = f.window->dataInWindow.Get();
    QTest::mouseClick(data->cmdUPD, Qt::LeftButton);
    return data;
}

}  // namespace

class StatusNotesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void CommandsLeaveANoteAndNoMessageBox() {
        for (const NoteCase& c : NoteCases()) {
            Fixture f;
            c.act(f);
            QVERIFY2(QApplication::activeModalWidget() == nullptr, c.name);
            QVERIFY2(f.Status() == c.note(f),
                     qPrintable(QStringLiteral("%1: \"%2\"").arg(c.name, f.Status())));
        }
    }

    void OpenAndSaveShortcutsKeepTheirCaptions() {
        Fixture f;
        QVERIFY(f.active);
        QCOMPARE(f.window->mnuOpen->text(), QStringLiteral("&Open"));
        QCOMPARE(f.window->mnuSave->text(), QStringLiteral("&Save"));
        QTest::keyClick(f.window.get(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(f.window.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.asked.size(), 2u);
        QCOMPARE(f.asked[0].kind, FileDialogRequest::Kind::Open);
        QCOMPARE(f.asked[0].title, QStringLiteral("Open"));
        QCOMPARE(f.asked[1].kind, FileDialogRequest::Kind::Save);
    }

    // Boxes a command fills show the start of their text; a text too long for the box is the tooltip.
    void LongTextsShowTheirStartAndTheWholeAsTooltip() {
        Fixture f;
        frmDataIn* window = AveragedDataWindow(f);
        QVERIFY(window != nullptr);
        frmDataIn& data = *window;
        QTest::mouseClick(data.cmdTrans, Qt::LeftButton);
        f.window->ResLat[0]->setToolTip(QStringLiteral("a tooltip of its own"));
        f.Click(f.window->CalcCMD);
        struct Row {
            const char* name;
            QLineEdit* box;
            QString text;
            QString toolTip;
        };
        // (45.1 + 45.2 + 45.5) / 3 and (-60 - 61 - 61) / 3 to 15 digits; (40 + 41) / 2 fits its box.
        const QString mean = QStringLiteral("45,2666666666667");
        const QString signal = QStringLiteral("-60,6666666666667");
        const std::vector<Row> rows{
            {"DataWindowAverage", data.txtRes[3], mean, mean},
            {"DataWindowAttenuation", data.txtDB[3], signal, signal},
            {"DataWindowShortAverage", data.txtRes[0], QStringLiteral("40,5"), QString()},
            {"MainBearingAfterTransfer", f.window->S1Ang[3], mean, mean},
            {"MainSignalAfterTransfer", f.window->S1Sig[3], signal, signal},
            {"MainShortBearing", f.window->S1Ang[0], QStringLiteral("40,5"), QString()},
            {"ResultBoxKeepsItsOwnTooltip", f.window->ResLat[0], f.window->ResLat[0]->text(),
             QStringLiteral("a tooltip of its own")},
        };
        for (const Row& row : rows) {
            QVERIFY2(row.box->text() == row.text, row.name);
            QVERIFY2(row.box->cursorPosition() == 0, row.name);
            QVERIFY2(row.box->toolTip() == row.toolTip, row.name);
        }
        // Typed over with a short text, the box drops the tooltip of the long one.
        f.window->S1Ang[3]->selectAll();
        QTest::keyClicks(f.window->S1Ang[3], QStringLiteral("45"));
        QCOMPARE(f.window->S1Ang[3]->toolTip(), QString());
        MessageBoxAnswer no(QMessageBox::No);
        data.close();
    }

    void EmptyPictureWindowsSayWhatToDo() {
        Fixture f;
        QGuiApplication::clipboard()->clear();
        f.window->mnuShowRays->trigger();
        f.window->mnuAngles->trigger();
        PictureCanvas* rays = f.window->raysWindow.Get()->PicBox;
        PictureCanvas* angle = f.window->angleWindow.Get()->Pict;
        for (PictureCanvas* canvas : {rays, angle}) {
            QVERIFY(canvas->HintShown());
            // The hint is on the screen, not in the picture.
            const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage background = canvas->Canvas();
            QCOMPARE(background.pixel(0, 0),
                     background.pixel(background.width() / 2, background.height() / 2));
            bool differs = false;
            for (int y = 0; y < shown.height() && !differs; ++y) {
                for (int x = 0; x < shown.width() && !differs; ++x) {
                    differs = shown.pixel(x, y) != background.pixel(0, 0);
                }
            }
            QVERIFY(differs);
        }
        f.window->raysWindow.Get()->MouseDown(QPointF(100, 200));  // rays on the blank box: the hint goes
        QVERIFY(!rays->HintShown());
        QImage picture(50, 50, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QGuiApplication::clipboard()->setImage(picture);
        QTest::mouseClick(f.window->angleWindow.Get()->cmdInsClpbd, Qt::LeftButton);
        QVERIFY(!angle->HintShown());
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::StatusNotesTest)
#include "status_notes_test.moc"
