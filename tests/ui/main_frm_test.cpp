// The main window driven as a user drives it: typing, clicking, closing.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "file_bytes.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"
#include "ui/main_frm.hpp"
#include "ui/twips.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {

class MainFrmTest : public QObject {
    Q_OBJECT

    struct Fixture {
        TempDir dir;
        persistence::ProgramState program;
        std::unique_ptr<MainFrm> window;
        Fixture() {
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            persistence::ApplyStartupDefaults(program.settings, program.main,
                                              persistence::WindowsDefaultLocations());
            window = std::make_unique<MainFrm>(program, MainFrmEnvironment{dir / "Vantrel.ini", ','});
            window->show();
        }
    };

    static void TypeInto(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
    }

  private Q_SLOTS:
    void StartsWithTheStartTexts() {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Vantrel"));
        QCOMPARE(f.window->Sced1Lat->text(), QStringLiteral("0"));
        QCOMPARE(f.window->S2Sig[4]->text(), QStringLiteral("0"));
        QCOMPARE(f.window->ResLat[0]->text(), QString());
        QCOMPARE(f.window->txtZone[1]->text(), QString());
        QVERIFY(f.window->findChild<QLineEdit*>(QStringLiteral("S1Ang(3)")) == f.window->S1Ang[3]);
        QCOMPARE(f.window->cmdGetPos[0]->toolTip(), QStringLiteral("Obtain position from GPS"));
        QCOMPARE(f.window->cmdAq[1]->text(), QStringLiteral("Aquire from RX"));
        QCOMPARE(f.window->MNU_QUIT->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    }

    void TypingAndCalculateShowTheFix() {
        Fixture f;
        MainFrm& w = *f.window;
        TypeInto(w.Sced1Lon, QStringLiteral("500000"));
        TypeInto(w.Sced1Lat, QStringLiteral("5700000"));
        TypeInto(w.Sced2Lon, QStringLiteral("501000"));
        TypeInto(w.Sced2Lat, QStringLiteral("5700000"));
        TypeInto(w.S1Ang[0], QStringLiteral("45"));
        TypeInto(w.S2Ang[0], QStringLiteral("315"));
        QCOMPARE(f.program.main.S2Ang[0], std::string("315"));
        QTest::mouseClick(w.CalcCMD, Qt::LeftButton);
        QCOMPARE(w.ResLon[0]->text(), QStringLiteral("0500500,0"));
        QCOMPARE(w.ResLat[0]->text(), QStringLiteral("5700500,0"));
        QCOMPARE(w.ResLat[1]->text(), QStringLiteral("no Match"));
        QVERIFY(f.program.main.ResultsValid);
    }

    void BadBoxIsNamedInAMessageAndChangesNothing() {
        Fixture f;
        MainFrm& w = *f.window;
        TypeInto(w.S2Ang[2], QStringLiteral("abc"));
        MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(w.CalcCMD, Qt::LeftButton);
        QVERIFY(answer.answered());
        QCOMPARE(answer.title(), QStringLiteral("Vantrel2"));
        QCOMPARE(answer.text(), QStringLiteral("Scedule 2, F3 bearing is not a number: \"abc\""));
        QVERIFY(!f.program.main.ResultsValid);
        QCOMPARE(w.ResLat[0]->text(), QString());
    }

    void TabOrderStartsWithTheBearings() {
        Fixture f;
        MainFrm& w = *f.window;
        const std::vector<QWidget*> expected{w.S1Ang[0],   w.S1Ang[1], w.S1Ang[2], w.S1Ang[3], w.S1Ang[4],
                                             w.S2Ang[0],   w.S2Ang[1], w.S2Ang[2], w.S2Ang[3], w.S2Ang[4],
                                             w.Sced2Lat,   w.Sced2Lon, w.S2Sig[0], w.CalcCMD,  w.cmdWriteOvl,
                                             w.upd_db_cmd, w.cmdQuit};
        for (std::size_t i = 0; i + 1 < expected.size(); ++i) {
            QCOMPARE(expected[i]->nextInFocusChain(), expected[i + 1]);
        }
    }

    void LayoutFollowsTheTwipsAtTheScreensDpi() {
        Fixture f;
        MainFrm& w = *f.window;
        const QRect calc = w.CalcCMD->geometry();
        QCOMPARE(calc.x(), TwipsToPixels(w, 5280));
        QCOMPARE(calc.width(), TwipsToPixels(w, 1455));
        QCOMPARE(w.centralWidget()->width(), TwipsToPixels(w, 8955));
    }

    void ClosingThroughTheFrameWritesTheSettings() {
        Fixture f;
        QVERIFY(!std::filesystem::exists(f.dir / "Vantrel.ini"));
        f.window->close();
        const std::string ini = testing_support::ReadBytes(f.dir / "Vantrel.ini");
        QVERIFY(ini.find("GPS-Port=1\r\n") != std::string::npos);
        QVERIFY(ini.find("DataBaseFilename=C:\\Programme\\TOP50 V4\\database\\Univdb_u.mdb") !=
                std::string::npos);
    }

    void QuitEndsTheRunWithoutWritingTheSettings() {
        Fixture f;
        QTimer::singleShot(0, f.window.get(), [&f] { QTest::mouseClick(f.window->cmdQuit, Qt::LeftButton); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!std::filesystem::exists(f.dir / "Vantrel.ini"));
    }

    void CtrlQIsQuit() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QSignalSpy triggered(f.window->MNU_QUIT, &QAction::triggered);
        QTimer::singleShot(0, f.window.get(),
                           [&f] { QTest::keyClick(f.window->S1Ang[0], Qt::Key_Q, Qt::ControlModifier); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(triggered.count(), 1);
        QVERIFY(!std::filesystem::exists(f.dir / "Vantrel.ini"));
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::MainFrmTest)
#include "main_frm_test.moc"
