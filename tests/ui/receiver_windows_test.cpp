// The fox schedule in "Data Processing" (15 Agrelo lines a second through a pseudo-terminal while the test's
// clock crosses a Sprint slot change) and the receiver's device, format and speed in "Setup Com-Ports".
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <termios.h>

#include "file_bytes.hpp"
#include "instruments/fox_schedule.hpp"
#include "persistence/settings.hpp"
#include "platform/receiver_log.hpp"
#include "platform/serial_devices.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"
#include "ui/frm_data_in.hpp"
#include "ui/frm_setup.hpp"
#include "ui/main_frm.hpp"
#include "ui/schedule_frame.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::ReadBytes;
using vantrel::testing_support::SocatPair;
using vantrel::testing_support::TempDir;
using vantrel::testing_support::WriteBytes;

namespace vantrel::ui {

class ReceiverWindowsTest : public QObject {
    Q_OBJECT

    static instruments::Nanoseconds At(const char* time) { return instruments::ParseClockTime(time)->ns; }

    // 15 lines a second for `seconds`, then a pause so that every line is in before the clock moves.
    static void Stream(SocatPair& pty, const std::string& line, double seconds) {
        for (int i = 0; i < static_cast<int>(seconds * 15); ++i) {
            QVERIFY(pty.Send(line + "\r\n"));
            QTest::qWait(66);
        }
        QTest::qWait(300);
    }

    static std::vector<QString> Column(const QTableWidget& grid, int column) {
        std::vector<QString> cells;
        for (int row = 1; row <= 30 && !grid.item(row, column)->text().isEmpty(); ++row) {
            cells.push_back(grid.item(row, column)->text());
        }
        return cells;
    }

    static long Count(const std::string& text, const std::string& what) {
        long n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1), ++n) {
        }
        return n;
    }

  private Q_SLOTS:
    void AgreloReadingsLandUnderTheFoxOnTheAirAndNothingInTheGuard() {
        TempDir dir;
        SocatPair pty(dir.path().string());
        QVERIFY(pty.ready());
        WriteBytes(dir / "Vantrel.ini", "[Ports]\r\nCOM1=" + pty.device() + "\r\nGON-Format=agrelo\r\n");
        persistence::ProgramState program;
        program.settings = persistence::GetIniData(dir / "Vantrel.ini");
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        window.show();
        const std::filesystem::path log = platform::ReceiverLogCandidates().front();
        const std::size_t logBefore = std::filesystem::exists(log) ? ReadBytes(log).size() : 0;
        QTest::mouseClick(window.cmdAq[0], Qt::LeftButton);
        frmDataIn* data = window.dataInWindow.Get();
        ScheduleFrame* schedule = data->schedule;
        QVERIFY(!schedule->TimerRunning());  // off: nothing ticks

        // Sprint: 12 s slots from 12:00:00, guard 2 s: fox 1 on the air from 12:00:02 to 12:00:10.
        instruments::Nanoseconds now = At("12:00:05");
        schedule->SetClock([&now] { return now; });
        schedule->txtStart->setText(QStringLiteral("12:00:00"));
        schedule->txtSlot->setText(QStringLiteral("12"));
        QTest::mouseClick(schedule->chkSchedule, Qt::LeftButton, {},
                          QPoint(8, schedule->chkSchedule->height() / 2));
        QVERIFY(schedule->TimerRunning());
        QCOMPARE(schedule->lblOnAir->text(), QStringLiteral("Fox 1 - 5 s"));
        QCOMPARE(schedule->lblNext->text(), QStringLiteral("Next: Fox 2 in 9 s"));
        QVERIFY(ReadBytes(dir / "Vantrel.ini").find("[Schedule]\r\nOn=1\r\nStart=12:00:00\r\nSlot=12\r\n") !=
                std::string::npos);

        QTest::mouseClick(data->cmdRX, Qt::LeftButton);
        QCOMPARE(data->lblNote->text(),
                 QStringLiteral(
                     "Receiving: the first line only synchronises and is not filed; the mean of the "
                     "bearings of every 1 s is filed for the fox on the air (nothing while no fox is on "
                     "the air)."));
        QVERIFY(pty.Send("0/5\r\n"));  // the tail of a line: only synchronises
        Stream(pty, "%100/5", 2.3);

        now = At("12:00:11");  // the guard at the end of fox 1's slot
        QTRY_COMPARE(schedule->lblOnAir->text(), QStringLiteral("No fox on the air"));
        QCOMPARE(schedule->lblNext->text(), QStringLiteral("Next: Fox 2 in 3 s"));
        Stream(pty, "%200/6", 1.5);
        QCOMPARE(data->txtTest->text(), QStringLiteral("%200/6  Q6"));  // shown, not filed

        now = At("12:00:15");  // fox 2, 3 s into its slot
        Stream(pty, "%300/7", 2.3);
        QTRY_VERIFY(Column(*data->Grid, 2).size() >= 2);
        QTest::qWait(1200);  // the last interval is filed by its timer
        QVERIFY(data->optAct[1]->isChecked());
        QCOMPARE(data->Form().ActiveFox, 2);
        QCOMPARE(schedule->lblOnAir->text(), QStringLiteral("Fox 2 - 7 s"));

        const std::vector<QString> fox1 = Column(*data->Grid, 1);
        const std::vector<QString> fox2 = Column(*data->Grid, 2);
        QVERIFY(fox1.size() >= 2 && fox1.size() <= 4);  // 2.3 s of lines: a mean a second
        QVERIFY(fox2.size() >= 2 && fox2.size() <= 4);
        QCOMPARE(fox1, std::vector<QString>(fox1.size(), QStringLiteral("100")));
        QCOMPARE(fox2, std::vector<QString>(fox2.size(), QStringLiteral("300")));
        for (int column = 3; column <= 5; ++column) {
            QVERIFY(Column(*data->Grid, column).empty());
        }
        QCOMPARE(program.RxReadings(0, 0, 0), (instruments::RxReading{100, 0, 1}));

        MessageBoxAnswer no(QMessageBox::No);
        data->close();
        QTRY_VERIFY(no.answered());
        const std::string logged = ReadBytes(log).substr(logBefore);
        QCOMPARE(Count(logged, "100,0\xB0  00,0dB Q5\"\r\n"), static_cast<long>(fox1.size()));
        QCOMPARE(Count(logged, "300,0\xB0  00,0dB Q7\"\r\n"), static_cast<long>(fox2.size()));
        // The guard's lines (Q6) were neither filed nor logged. (Other tests may log into the same file.)
        QCOMPARE(Count(logged, " Q6\""), 0L);
    }

    void WrongSettingsAreNamedAndTheFoxIsChosenByHand() {
        TempDir dir;
        WriteBytes(dir / "Vantrel.ini", "[Ports]\r\nCOM1=" + (dir / "none").string() +
                                            "\r\n[Schedule]\r\nOn=1\r\nSlot=60\r\nGuard=30\r\n");
        persistence::ProgramState program;
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        MessageBoxAnswer ok(QMessageBox::Ok);  // the missing port
        QTest::mouseClick(window.cmdAq[0], Qt::LeftButton);
        frmDataIn* data = window.dataInWindow.Get();
        QVERIFY(data->schedule->chkSchedule->isChecked());
        QVERIFY(
            data->schedule->lblOnAir->text().startsWith(QStringLiteral("Guard: leaves no time on the air")));
        QVERIFY(!data->schedule->FoxOnAir());
        QVERIFY(!data->schedule->TimerRunning());
        data->schedule->txtGuard->setText(QStringLiteral("1"));
        Q_EMIT data->schedule->txtGuard->editingFinished();
        QVERIFY(data->schedule->FoxOnAir().has_value());
        QVERIFY(data->schedule->TimerRunning());
        data->hide();
        QVERIFY(!data->schedule->TimerRunning());  // no clock while nobody looks
        QVERIFY(ReadBytes(dir / "Vantrel.ini").find("Guard=1\r\n") != std::string::npos);
    }

    void SetupStoresTheDeviceAndTheReceiversFormatInPorts() {
        TempDir dir;
        SocatPair pty(dir.path().string());
        QVERIFY(pty.ready());
        const std::string before =
            "[Comm]\r\nGPS-Port=1\r\nGON-Port=2\r\n[Ports]\r\nCOM2=" + pty.device() + "\r\n";
        WriteBytes(dir / "Vantrel.ini", before);
        persistence::ProgramState program;
        program.settings = persistence::GetIniData(dir / "Vantrel.ini");
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        window.mnuSetup->trigger();
        frmSetup* setup = window.setupWindow.Get();
        QCOMPARE(setup->cboGonDevice->currentText(), QString::fromStdString(pty.device()));
        QCOMPARE(setup->lblGonDevice->text(),
                 QStringLiteral("COM2 stands for %1 (present)").arg(QString::fromStdString(pty.device())));
        QCOMPARE(setup->cboGpsDevice->currentText(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(setup->cboGonFormat->currentText(), QStringLiteral("fixed"));
        QCOMPARE(setup->cboGonBaud->currentText(), QStringLiteral("2400"));

        // Ready without a change: the file keeps its bytes (the seven keys are rewritten as they were).
        QTest::mouseClick(setup->cmdRdy, Qt::LeftButton);
        QCOMPARE(ReadBytes(dir / "Vantrel.ini").substr(0, before.size()), before);

        // A Bluetooth GPS typed for COM3, and an Agrelo unit on the receiver's port.
        window.mnuSetup->trigger();
        setup = window.setupWindow.Get();
        QTest::mouseClick(setup->optCOM_GPS[2], Qt::LeftButton, {},
                          QPoint(8, setup->optCOM_GPS[2]->height() / 2));
        QCOMPARE(setup->cboGpsDevice->currentText(), QStringLiteral("/dev/ttyUSB2"));
        setup->cboGpsDevice->lineEdit()->clear();
        QTest::keyClicks(setup->cboGpsDevice->lineEdit(), QStringLiteral("/dev/rfcomm0"));
        QCOMPARE(setup->lblGpsDevice->text(),
                 QStringLiteral("COM3 stands for /dev/rfcomm0 (not present now)"));
        setup->cboGonFormat->setCurrentText(QStringLiteral("agrelo"));
        QCOMPARE(setup->cboGonBaud->currentText(), QStringLiteral("4800"));
        setup->txtGonInterval->setText(QStringLiteral("0.5"));
        QTest::mouseClick(setup->cmdRdy, Qt::LeftButton);
        const std::string after = ReadBytes(dir / "Vantrel.ini");
        QCOMPARE(after, "[Comm]\r\nGPS-Port=3\r\nGON-Port=2\r\n[Ports]\r\nCOM2=" + pty.device() +
                            "\r\nCOM3=/dev/rfcomm0\r\nGON-Format=agrelo\r\nGON-Interval=0.5\r\n[File]\r\n" +
                            after.substr(after.find("[File]\r\n") + 8));
        QCOMPARE(program.settings.GpsPort, std::string("3"));

        // The receiver's window now opens the port at the Agrelo units' 4800 baud.
        QVERIFY(pty.WatchDevice());
        QTest::mouseClick(window.cmdAq[0], Qt::LeftButton);
        QVERIFY(pty.WaitForDeviceSpeed(B4800, std::chrono::seconds(30)));
        QVERIFY(window.dataInWindow.Get()->cmdRX->isEnabled());
    }

    void SetupRefusesTwoDevicesForOnePort() {
        TempDir dir;
        persistence::ProgramState program;
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        window.mnuSetup->trigger();
        frmSetup* setup = window.setupWindow.Get();
        setup->cboGpsDevice->setCurrentText(QStringLiteral("/dev/ttyACM0"));
        MessageBoxAnswer ok(QMessageBox::Ok);
        QTest::mouseClick(setup->cmdRdy, Qt::LeftButton);
        QTRY_VERIFY(ok.answered());
        QVERIFY(ok.text().contains(QStringLiteral("both on COM1")));
        QVERIFY(!std::filesystem::exists(dir / "Vantrel.ini"));
        QVERIFY(setup->isVisible());
    }

    void DevicesGoByTheirStableNames() {
        const std::vector<platform::SerialDevice> present{
            {"/dev/ttyACM0", "/dev/ttyACM0", "u-blox GNSS receiver", "u-blox AG"},
            {"/dev/rfcomm0", "/dev/rfcomm0", "", ""}};
        const auto named = platform::WithStableNames(
            present, {{"/dev/serial/by-id/usb-u-blox_AG_GNSS-if00", "/dev/ttyACM0"}});
        QCOMPARE(named[0].path, QStringLiteral("/dev/serial/by-id/usb-u-blox_AG_GNSS-if00"));
        QCOMPARE(named[1].path, QStringLiteral("/dev/rfcomm0"));
        QCOMPARE(
            platform::DeviceLabel(named[0]),
            QStringLiteral("/dev/serial/by-id/usb-u-blox_AG_GNSS-if00 (/dev/ttyACM0) - u-blox GNSS receiver "
                           "(u-blox AG)"));
        QCOMPARE(platform::DeviceLabel(named[1]), QStringLiteral("/dev/rfcomm0"));
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::ReceiverWindowsTest)
#include "receiver_windows_test.moc"
