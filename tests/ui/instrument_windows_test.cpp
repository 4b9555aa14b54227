// "Get Pos", the port setup and the data processing window, with instruments played on socat
// pseudo-terminals that the settings file's [Ports] section maps to COM1.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include "core/number_text.hpp"
#include "file_bytes.hpp"
#include "geodesy/utm_conv.hpp"
#include "persistence/settings.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"
#include "ui/frm_data_in.hpp"
#include "ui/frm_setup.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::ReadBytes;
using vantrel::testing_support::SocatPair;
using vantrel::testing_support::TempDir;
using vantrel::testing_support::WriteBytes;

namespace vantrel::ui {

class InstrumentWindowsTest : public QObject {
    Q_OBJECT

    struct Fixture {
        TempDir dir;
        SocatPair pty{dir.path().string()};
        persistence::ProgramState program;
        std::unique_ptr<MainFrm> window;
        explicit Fixture(const std::string& ports = "") {
            WriteBytes(dir / "Vantrel.ini", "[Ports]\r\nCOM1=" + pty.device() + "\r\n" + ports);
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            window = std::make_unique<MainFrm>(program, MainFrmEnvironment{dir / "Vantrel.ini", ','});
            window->show();
        }
    };

    // A receiver line: bearing in positions 3 to 8, signal in 12 to 16.
    static std::string ReceiverLine(const char* bearing, const char* signal) {
        char line[32];
        std::snprintf(line, sizeof line, "R %-6s   %-5s\r\n", bearing, signal);
        return line;
    }

    // Clicks an option button on its caption, where a user clicks it.
    static void ClickOption(QRadioButton* option) {
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    }

  private Q_SLOTS:
    void GetPosFillsTheStationFromACapture() {
        Fixture f;
        QVERIFY(f.pty.ready());
        // A position sent while nobody listened (Munich) is not taken.
        QVERIFY(f.pty.WatchDevice());
        QVERIFY(f.pty.Send("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"));
        QVERIFY(f.pty.WaitForQueuedOnDevice(70, std::chrono::milliseconds(10000)));
        QTest::mouseClick(f.window->cmdGetPos[1], Qt::LeftButton);
        const QString waiting =
            QStringLiteral("Waiting for GPS on COM1 (%1): ").arg(QString::fromStdString(f.pty.device()));
        const auto status = [&f] { return f.window->statusBar()->currentMessage(); };
        QCOMPARE(status(), waiting + QStringLiteral("no data from COM1 yet ... Esc cancels"));
        QVERIFY(f.window->cmdGetPos[1]->isDown());
        // The port opens after its short settling wait; what was queued before is thrown away first.
        QTRY_VERIFY_WITH_TIMEOUT(f.window->GPSComm.IsListening(), 10000);
        f.pty.Send("$GPGSV,1,1,00*79\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(
            status(), waiting + QStringLiteral("receiving, no valid position yet ... Esc cancels"), 10000);
        f.pty.Send("$GPRMC,,V,,,,,,,,,,N*53\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(
            status(),
            waiting +
                QStringLiteral("receiving, no valid position yet (receiver reports no fix) ... Esc cancels"),
            10000);
        f.pty.SendInChunks(testing_support::ReadBytes(VANTREL_TESTDATA_DIR "/nmea/rx210.log"), 512);
        QTRY_COMPARE_WITH_TIMEOUT(f.window->txtZone[1]->text(), QStringLiteral("32U"), 10000);
        QCOMPARE(status(), QStringLiteral("Scedule 2: position from COM1, zone 32U"));
        QCOMPARE(f.window->txtTest->cursorPosition(), 0);  // the box shows the sentence's start
        // The reference fix of this capture, converted and written as the station boxes show positions.
        const geodesy::UtmPosition utm = geodesy::LatLonToUtm(50.002386333333334, 8.6439525);
        QCOMPARE(f.window->Sced2Lat->text(),
                 QString::fromStdString(core::FormatPattern(utm.northing, "0000000.0", ',')));
        QCOMPARE(f.window->Sced2Lon->text(),
                 QString::fromStdString(core::FormatPattern(utm.easting, "0000000.0", ',')));
        QVERIFY(f.window->txtTest->text().startsWith(QStringLiteral("$GNRMC,")));
        QVERIFY(f.window->txtTest->text().endsWith(QStringLiteral("  N  E")));
        QCOMPARE(f.window->Sced1Lat->text(), QStringLiteral("0"));
        QVERIFY(!f.window->cmdGetPos[1]->isDown());
        QVERIFY(!f.window->GPSComm.IsRunning());
    }

    void EscCancelsAWaitingRequestAndChangesNothing() {
        Fixture f;
        QTest::mouseClick(f.window->cmdGetPos[0], Qt::LeftButton);
        QVERIFY(f.window->GPSComm.IsRunning());
        QTest::mouseClick(f.window->cmdGetPos[1], Qt::LeftButton);  // a second press is ignored
        QVERIFY(f.window->cmdGetPos[0]->isDown());
        QTest::qWait(300);
        f.pty.Send("$GPRMC,123519,A,48");  // part of a sentence, never finished
        QTest::keyClick(f.window->cmdGetPos[0], Qt::Key_Escape);
        QVERIFY(!f.window->GPSComm.IsRunning());
        QVERIFY(f.program.main.GpsAbort);
        QCOMPARE(f.window->Sced1Lat->text(), QStringLiteral("0"));
        QCOMPARE(f.window->txtZone[0]->text(), QString());
        QCOMPARE(f.window->statusBar()->currentMessage(), QStringLiteral("GPS request cancelled"));
    }

    void GetPosOnAMissingDeviceSaysSo() {
        TempDir dir;
        WriteBytes(dir / "Vantrel.ini", "[Ports]\r\nCOM1=" + (dir / "no-such-tty").string() + "\r\n");
        persistence::ProgramState program;
        program.settings = persistence::GetIniData(dir / "Vantrel.ini");
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(window.cmdGetPos[0], Qt::LeftButton);
        QTRY_VERIFY(answer.answered());
        QVERIFY(answer.text().contains(QStringLiteral("no-such-tty")));
        QVERIFY(!window.GPSComm.IsRunning());
    }

    void SetupShowsAndStoresThePortNumbers() {
        Fixture f;
        f.program.settings.GpsPort = "3";
        f.window->mnuSetup->trigger();
        frmSetup* setup = f.window->setupWindow.Get();
        QCOMPARE(setup->windowTitle(), QStringLiteral("Setup Com-Ports"));
        QVERIFY(setup->optCOM_GPS[2]->isChecked());
        QVERIFY(setup->optGonPort[0]->isChecked());
        QCOMPARE(setup->optGonPort[0]->toolTip(), QString::fromStdString(f.pty.device()));
        QCOMPARE(setup->optGonPort[1]->toolTip(), QStringLiteral("/dev/ttyUSB1"));
        ClickOption(setup->optCOM_GPS[7]);
        QTest::mouseClick(setup->cmdRdy, Qt::LeftButton);
        QCOMPARE(f.program.settings.GpsPort, std::string("8"));
        QVERIFY(ReadBytes(f.dir / "Vantrel.ini").find("GPS-Port=8\r\n") != std::string::npos);
        QVERIFY(ReadBytes(f.dir / "Vantrel.ini").find("COM1=" + f.pty.device()) != std::string::npos);
    }

    void SetupPreselectionRoundsAndFallsBackToComOne() {
        QCOMPARE(PortOptionIndex("3"), 2);
        QCOMPARE(PortOptionIndex("2.6"), 2);
        QCOMPARE(PortOptionIndex(" 8"), 7);
        QCOMPARE(PortOptionIndex("9"), 0);
        QCOMPARE(PortOptionIndex("0"), 0);
        QCOMPARE(PortOptionIndex("COM2"), 0);
    }

    void DataInReceivesEditsAveragesAndTransfers() {
        Fixture f;
        f.window->show();
        QTest::mouseClick(f.window->cmdAq[1], Qt::LeftButton);
        QTest::mouseClick(f.window->cmdAq[1], Qt::LeftButton);  // the same window again
        frmDataIn* data = f.window->dataInWindow.Get();
        QVERIFY(data != nullptr);
        QCOMPARE(data->windowTitle(), QStringLiteral("Data Processing"));
        QCOMPARE(data->Grid->item(0, 1)->text(), QStringLiteral("Fox 1"));
        QCOMPARE(data->Grid->item(30, 0)->text(), QStringLiteral("30"));
        QVERIFY(data->cmdRX->isEnabled());
        QVERIFY(!data->cmdStopRX->isEnabled());
        QCOMPARE(data->lblStation->text(), QStringLiteral("Scedule 2"));
        QTest::mouseClick(f.window->cmdAq[0], Qt::LeftButton);  // switches the open window to station 1
        QCOMPARE(data->lblStation->text(), QStringLiteral("Scedule 1"));
        QTest::mouseClick(f.window->cmdAq[1], Qt::LeftButton);
        QCOMPARE(data->lblNote->text(), QString());

        QTest::mouseClick(data->cmdRX, Qt::LeftButton);
        QVERIFY(data->cmdStopRX->isEnabled());
        QVERIFY(
            data->lblNote->text().contains(QStringLiteral("first line only synchronises and is not filed")));
        f.pty.Send("tail of a line\r\n");  // the first line only synchronises
        f.pty.Send(ReceiverLine("350.0", "-12") + ReceiverLine("10.0", "-20"));
        QTRY_COMPARE(data->Grid->item(2, 1)->text(), QStringLiteral("10"));
        QCOMPARE(data->Grid->item(1, 1)->text(), QStringLiteral("350"));
        QVERIFY(data->txtTest->text().contains(QStringLiteral("10,0")));

        // Fox 3 becomes active; the next reading goes into its first row.
        ClickOption(data->optAct[2]);
        f.pty.Send(ReceiverLine("123.4", "-45.6"));
        QTRY_COMPARE(data->Grid->item(1, 3)->text(), QStringLiteral("123,4"));
        QCOMPARE(f.program.RxReadings(1, 2, 0).Signal, -45.0);

        // Stop RX: the loop ends after the next line, which is still filed.
        QTest::mouseClick(data->cmdStopRX, Qt::LeftButton);
        QVERIFY(data->lblNote->text().contains(QStringLiteral("stops after the next line")));
        f.pty.Send(ReceiverLine("20.0", "-10"));
        QTRY_VERIFY(!data->cmdStopRX->isEnabled());
        QCOMPARE(data->lblNote->text(), QStringLiteral("Receiving stopped."));
        QCOMPARE(data->Grid->item(2, 3)->text(), QStringLiteral("20"));
        QVERIFY(data->cmdRX->isEnabled());

        // Fox 1: a third bearing typed in the editor, then the averages with the wrap-around rule.
        const QRect cell = data->Grid->visualItemRect(data->Grid->item(3, 1));
        QTest::mouseClick(data->Grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(data->Grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(data->editor != nullptr);
        QCOMPARE(data->editor->windowTitle(), QStringLiteral("Edit"));
        data->editor->txtValue->setText(QStringLiteral("20"));
        QTest::mouseClick(data->editor->OKButton, Qt::LeftButton);
        QCOMPARE(data->Grid->item(3, 1)->text(), QStringLiteral("20"));
        QTest::mouseClick(data->cmdUPD, Qt::LeftButton);
        // (350 + 370 + 380) / 3 = 366.666...67 in binary; less 360 leaves 6.6666666666666856.
        QCOMPARE(data->txtRes[0]->text(), QStringLiteral("6,66666666666669"));
        QVERIFY(data->chkOvlp[0]->isChecked());
        QCOMPARE(data->txtDB[0]->text(), QStringLiteral("-10,6666666666667"));  // (-12 - 20 + 0) / 3

        QTest::mouseClick(data->cmdTrans, Qt::LeftButton);
        QCOMPARE(f.window->S2Ang[0]->text(), QStringLiteral("6,66666666666669"));
        QCOMPARE(f.window->statusBar()->currentMessage(), QStringLiteral("F1-F5 of Scedule 2 transferred"));
        QCOMPARE(f.window->S2Ang[2]->text(), QStringLiteral("71,7"));
        QCOMPARE(f.window->S1Ang[0]->text(), QStringLiteral("0"));
    }

    void DeleteEmptiesTheSelectedCellsDownwardsOnly() {
        Fixture f;
        for (int row = 0; row < 5; ++row) {
            f.program.RxReadings(0, 0, row) = {10.0 + row, -1, 1};
        }
        QTest::mouseClick(f.window->cmdAq[0], Qt::LeftButton);
        frmDataIn* data = f.window->dataInWindow.Get();
        QCOMPARE(data->Grid->item(5, 1)->text(), QStringLiteral("14"));
        // Rows 4 to 2 selected upwards: nothing is deleted.
        data->Grid->setCurrentCell(4, 1);
        data->Grid->setRangeSelected(QTableWidgetSelectionRange(2, 1, 4, 1), true);
        data->Grid->setCurrentCell(2, 1, QItemSelectionModel::NoUpdate);
        QTest::keyClick(data->Grid, Qt::Key_Delete);
        QCOMPARE(data->Grid->item(3, 1)->text(), QStringLiteral("12"));
        // Rows 2 to 4 selected downwards: three cells emptied, their readings no longer valid.
        data->Grid->clearSelection();
        data->Grid->setCurrentCell(2, 1);
        data->Grid->setRangeSelected(QTableWidgetSelectionRange(2, 1, 4, 1), true);
        data->Grid->setCurrentCell(4, 1, QItemSelectionModel::NoUpdate);
        QTest::keyClick(data->Grid, Qt::Key_Delete);
        QCOMPARE(data->Grid->item(2, 1)->text(), QString());
        QCOMPARE(data->Grid->item(4, 1)->text(), QString());
        QCOMPARE(data->Grid->item(5, 1)->text(), QStringLiteral("14"));
        QCOMPARE(f.program.RxReadings(0, 0, 2).Valid, 0);
        QCOMPARE(f.program.RxReadings(0, 0, 4).Valid, 1);
    }

    void ClosingAsksAndTransfersOnlyOnYes() {
        Fixture f;
        f.program.RxReadings(0, 1, 0) = {45.5, -30, 1};
        QTest::mouseClick(f.window->cmdAq[0], Qt::LeftButton);
        {
            MessageBoxAnswer answer(QMessageBox::No);
            f.window->dataInWindow.Get()->close();
            QCOMPARE(answer.text(), QStringLiteral("Do you want to update the values for main-calculation?"));
        }
        QCOMPARE(f.window->S1Ang[1]->text(), QStringLiteral("0"));
        QTest::mouseClick(f.window->cmdAq[0], Qt::LeftButton);  // the readings are still there
        QTRY_VERIFY(f.window->dataInWindow.Get() != nullptr);
        QCOMPARE(f.window->dataInWindow.Get()->Grid->item(1, 2)->text(), QStringLiteral("45,5"));
        {
            MessageBoxAnswer answer(QMessageBox::Yes);
            QTest::mouseClick(f.window->dataInWindow.Get()->cmdClose, Qt::LeftButton);
        }
        QCOMPARE(f.window->S1Ang[1]->text(), QStringLiteral("45,5"));
        QCOMPARE(f.window->S1Sig[1]->text(), QStringLiteral("-30"));
    }

    void ClearTableAsksFirst() {
        Fixture f;
        f.program.RxReadings(0, 0, 0) = {1, 0, 1};
        QTest::mouseClick(f.window->cmdAq[0], Qt::LeftButton);
        frmDataIn* data = f.window->dataInWindow.Get();
        {
            MessageBoxAnswer answer(QMessageBox::No);
            QTest::mouseClick(data->cmdClear, Qt::LeftButton);
            QCOMPARE(answer.text(), QStringLiteral("Do you really want to clear the whole table?"));
        }
        QCOMPARE(data->Grid->item(1, 1)->text(), QStringLiteral("1"));
        {
            MessageBoxAnswer answer(QMessageBox::Yes);
            QTest::mouseClick(data->cmdClear, Qt::LeftButton);
        }
        QCOMPARE(data->Grid->item(1, 1)->text(), QString());
        QCOMPARE(data->Grid->item(0, 1)->text(), QStringLiteral("Fox 1"));
        QCOMPARE(f.program.RxReadings(0, 0, 0).Valid, 0);
    }

    void APortThatCannotBeOpenedIsReportedAndNoLoopRuns() {
        TempDir dir;
        WriteBytes(dir / "Vantrel.ini", "[Ports]\r\nCOM1=" + (dir / "gone").string() + "\r\n");
        persistence::ProgramState program;
        program.settings = persistence::GetIniData(dir / "Vantrel.ini");
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(window.cmdAq[0], Qt::LeftButton);
        QTRY_VERIFY(answer.answered());
        QVERIFY(answer.text().contains(QStringLiteral("gone")));
        QVERIFY(!window.dataInWindow.Get()->cmdRX->isEnabled());
        MessageBoxAnswer no(QMessageBox::No);
        window.dataInWindow.Get()->close();
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::InstrumentWindowsTest)
#include "instrument_windows_test.moc"
