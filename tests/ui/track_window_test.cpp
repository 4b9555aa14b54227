// File > Track in the main window with real parts: the GPS played on a socat pseudo-terminal that [Ports]
// maps to COM1, a network direction finder served over HTTP on 127.0.0.1, the hunt's bearing log on disk.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/number_text.hpp"
#include "file_bytes.hpp"
#include "geodesy/utm_conv.hpp"
#include "hunt_log/hunt_state.hpp"
#include "hunt_log/log_reader.hpp"
#include "instruments/network_df.hpp"
#include "persistence/settings.hpp"
#include "platform/instrument_port.hpp"
#include "platform/loopback_http_server.hpp"
#include "support/background_process.hpp"
#include "support/nmea_sentence.hpp"
#include "temp_dir.hpp"
#include "ui/frm_setup.hpp"
#include "ui/main_frm.hpp"
#include "ui/setup_live_group.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::LoopbackHttpServer;
using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::ReadBytes;
using vantrel::testing_support::SocatPair;
using vantrel::testing_support::TempDir;
using vantrel::testing_support::WriteBytes;

namespace vantrel::ui {

namespace {

// An RMC sentence at the given UTC second of 8 Dec 2026.
std::string Rmc(int second, const char* lat, const char* lon) {
    char body[128];
    std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%s,N,%s,E,0.0,0.0,081226,,,A", second / 3600,
                  second / 60 % 60, second % 60, lat, lon);
    return testing_support::NmeaSentence(body);
}

// One channel of a direction finder at 50 N 9 E whose array points north, hearing fox 1 due north.
QByteArray DfFrame(std::int64_t timeMs) {
    instruments::DfChannel channel;
    channel.timeMs = timeMs;
    channel.bearing = 0;
    channel.confidence = 5;
    channel.powerDb = -40;
    channel.frequencyHz = 145500000;
    channel.arrayType = "UCA";
    channel.stationId = "roof";
    channel.lat = 50.0;
    channel.lon = 9.0;
    channel.heading = 0;
    channel.spectrum.assign(360, 0.5);
    return QByteArray::fromStdString(instruments::FormatDfLine(channel) + "\n");
}

int CountLines(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

class TrackWindowTest : public QObject {
    Q_OBJECT

    // The main window over its own folder: Vantrel.ini as given, the hunt hunt.fh2 (its log hunt.fhl).
    struct Folder {
        TempDir dir;
        persistence::ProgramState program;
        std::unique_ptr<MainFrm> window;
        MainFrm& Open(const std::string& ini, const std::string& gonPort = {}) {
            WriteBytes(dir / "Vantrel.ini", ini);
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            if (!gonPort.empty()) {
                program.settings.GonPort = gonPort;
            }
            program.main.DataFileName = (dir / "hunt.fh2").string();
            window = std::make_unique<MainFrm>(program, MainFrmEnvironment{dir / "Vantrel.ini", ','});
            window->show();
            return *window;
        }
    };

    struct Fixture : Folder {
        SocatPair gps{dir.path().string()};
        LoopbackHttpServer df;
        Fixture() {
            df.Listen();
            Open("[Ports]\r\nCOM1=" + gps.device() + "\r\n[Live]\r\nNetworkUrl=http://127.0.0.1:" +
                 std::to_string(df.port()) + "/\r\nPollMs=100\r\n[Foxes]\r\nFrequency1=145500000\r\n");
        }
    };

  private Q_SLOTS:
    void TrackLogsNetworkBearingsAndTheTrackAndGetPosTakesItsNextFix() {
        Fixture f;
        QVERIFY(f.gps.ready());
        f.df.SetBody(DfFrame(1796733000000));
        f.window->mnuTrack->trigger();
        QVERIFY(f.window->mnuTrack->isChecked());
        QVERIFY(f.window->lblTrack->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(f.window->lblTrack->text().startsWith(QStringLiteral("no GPS")), 5000);

        // The GPS talks once a second (sent faster here: GPS time is the hunt's clock).
        for (int s = 0; s < 4; ++s) {
            QVERIFY(f.gps.Send(Rmc(12 * 3600 + s, "5000.000", "00900.000")));
            QTest::qWait(150);
        }
        QTRY_VERIFY_WITH_TIMEOUT(f.window->lblTrack->text().startsWith(QStringLiteral("GPS 0 s")), 5000);
        // Two frames of the direction finder: the first is polled again and again, and logged once.
        QTest::qWait(400);
        f.df.SetBody(DfFrame(1796733000500));
        const std::filesystem::path log = f.dir / "hunt.fhl";
        QTRY_COMPARE_WITH_TIMEOUT(CountLines(ReadBytes(log), "\"type\":\"bearing\""), 2, 5000);
        QTest::qWait(400);
        const std::string text = ReadBytes(log);
        QCOMPARE(CountLines(text, "\"type\":\"bearing\""), 2);
        QCOMPARE(CountLines(text, "\"source\":\"network\""), 2);
        QVERIFY(CountLines(text, "\"type\":\"position\"") >= 1);
        QVERIFY(f.window->lblTrack->text().contains(QStringLiteral("2 bearings")));
        // For a person to look at (under xvfb-run): the window while Track runs.
        if (const char* folder = std::getenv("VANTREL_SCREENSHOT_DIR")) {
            f.window->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/MainFrm-track.png"));
        }

        // Get Pos takes the next fix of Track's stream (the port stays Track's).
        QTest::mouseClick(f.window->cmdGetPos[0], Qt::LeftButton);
        QVERIFY(f.window->cmdGetPos[0]->isDown());
        QVERIFY(f.gps.Send(Rmc(12 * 3600 + 10, "4807.038", "01131.000")));
        QTRY_COMPARE_WITH_TIMEOUT(f.window->txtZone[0]->text(), QStringLiteral("32U"), 5000);
        const geodesy::UtmPosition utm = geodesy::LatLonToUtm(48 + 7.038 / 60, 11 + 31.0 / 60);
        QCOMPARE(f.window->Sced1Lat->text(),
                 QString::fromStdString(core::FormatPattern(utm.northing, "0000000.0", ',')));
        QCOMPARE(f.window->Sced1Lon->text(),
                 QString::fromStdString(core::FormatPattern(utm.easting, "0000000.0", ',')));
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 QStringLiteral("Scedule 1: position from Track, zone 32U"));
        QVERIFY(!f.window->cmdGetPos[0]->isDown());

        // Off: the GPS port is free again and the poller has stopped.
        f.window->mnuTrack->trigger();
        QVERIFY(!f.window->lblTrack->isVisible());
        QTest::qWait(100);  // a request on its way when Track stopped may still reach the server
        platform::InstrumentPort other;
        QVERIFY(other.Open(QString::fromStdString(f.gps.device()), 4800).ok());
        const int requests = f.df.requests();
        QTest::qWait(400);
        QCOMPARE(f.df.requests(), requests);
    }

    // A Doppler unit (agrelo) on the Goniometer port, not in vehicle mode: one bearing per interval, taken
    // as true, at the GPS's position.
    void TrackLogsTheStreamingReceiversIntervalMeans() {
        Folder f;
        const TempDir& dir = f.dir;
        SocatPair gps{dir.path().string()};
        std::filesystem::create_directories(dir / "rx");
        SocatPair rx{(dir / "rx").string()};
        QVERIFY(gps.ready() && rx.ready());
        MainFrm& window = f.Open("[Ports]\r\nCOM1=" + gps.device() + "\r\nCOM2=" + rx.device() +
                                     "\r\nGON-Format=agrelo\r\nGON-Baud=4800\r\n",
                                 "2");
        window.mnuTrack->trigger();
        QVERIFY(window.mnuTrack->isChecked());
        QTest::qWait(200);  // the ports' input cleared
        // At the real rate: a fix a second, ten lines a second.
        for (int s = 0; s < 4; ++s) {
            QVERIFY(gps.Send(Rmc(12 * 3600 + s, "5000.000", "00900.000")));
            for (int line = 0; line < 10; ++line) {
                QVERIFY(rx.Send(line % 2 == 0 ? "%088/7\r" : "%092/7\r"));
                QTest::qWait(100);
            }
        }
        const std::filesystem::path log = dir / "hunt.fhl";
        QTRY_VERIFY2_WITH_TIMEOUT(CountLines(ReadBytes(log), "\"source\":\"agrelo\"") >= 2,
                                  qPrintable(window.lblTrack->text()), 5000);
        window.mnuTrack->trigger();  // the open interval is logged as Track ends
        const auto read = hunt_log::ReadLog(log);
        QVERIFY(read.ok());
        const hunt_log::HuntState state = hunt_log::StateAt(read->log);
        QVERIFY(state.Fox(1).size() >= 2);
        int full = 0;  // intervals of about ten lines (the last one may be cut short by Track's end)
        for (const hunt_log::FoxBearing& b : state.Fox(1)) {
            QCOMPARE(b.source, std::string("agrelo"));
            // The mean of an interval's lines, 88 and 92 alternating (about as many of each).
            QVERIFY2(b.bearing > 88.5 && b.bearing < 91.5, std::to_string(b.bearing).c_str());
            full += b.readings >= 5 ? 1 : 0;
            QVERIFY(std::abs(b.lat - 50) < 1e-9 && std::abs(b.lon - 9) < 1e-9);
        }
        QVERIFY(full >= 2);
    }

    void TrackThatCannotOpenTheGpsSaysSoAndStaysOff() {
        Folder f;
        MainFrm& window = f.Open("[Live]\r\nGps=" + (f.dir / "no-such-tty").string() + "\r\n");
        MessageBoxAnswer answer(QMessageBox::Ok);
        window.mnuTrack->trigger();
        QVERIFY(answer.answered());
        QVERIFY2(answer.text().contains(QStringLiteral("no-such-tty")), qPrintable(answer.text()));
        QVERIFY(!window.mnuTrack->isChecked());
        QVERIFY(!window.lblTrack->isVisible());
    }

    // Setup's Track group: what is typed is checked, and only [Live] is written.
    void SetupWritesTheTrackSettingsIntoLiveOnly() {
        Folder f;
        const std::string foxes = "[Foxes]\r\nFrequency1=144.5e6\r\n";
        MainFrm& window = f.Open("[Live]\r\nPollMs=700\r\n" + foxes);
        window.mnuSetup->trigger();
        SetupLiveGroup& live = *window.setupWindow.Get()->liveGroup;
        QCOMPARE(live.txtPollMs->text(), QStringLiteral("700"));
        live.txtLiveGps->setText(QStringLiteral("gpsd://127.0.0.1:2948"));
        live.txtNetworkUrl->setText(QStringLiteral("http://192.168.4.1"));
        live.txtMinSpeed->setText(QStringLiteral("1,5"));
        live.chkReceiverVehicle->setChecked(true);
        QTest::mouseClick(window.setupWindow.Get()->cmdRdy, Qt::LeftButton);
        const std::string ini = ReadBytes(f.dir / "Vantrel.ini");
        for (const char* line : {"Gps=gpsd://127.0.0.1:2948\r\n", "NetworkUrl=http://192.168.4.1\r\n",
                                 "MinSpeed=1.5\r\n", "ReceiverVehicle=1\r\n", "PollMs=700\r\n"}) {
            QVERIFY2(ini.find(line) != std::string::npos, line);
        }
        QVERIFY(ini.find(foxes) != std::string::npos);             // [Foxes] as it was, byte for byte
        QVERIFY(ini.find("NetworkVehicle") == std::string::npos);  // defaults stay absent
    }

    void SetupRefusesTrackSettingsThatCannotWork_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("said");
        // clang-format off
        QTest::newRow("gpsd without its scheme's form") << "txtLiveGps" << "gpsd:/127.0.0.1" << "gpsd://";
        QTest::newRow("speed below 0") << "txtMinSpeed" << "-1" << "Min. speed";
        QTest::newRow("poll too fast") << "txtPollMs" << "10" << "Poll every";
        QTest::newRow("poll not whole") << "txtPollMs" << "100.5" << "Poll every";
        QTest::newRow("tolerance below 0") << "txtFrequencyTolerance" << "-5" << "Frequency tolerance";
        // clang-format on
    }

    void SetupRefusesTrackSettingsThatCannotWork() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, said);
        Folder f;
        MainFrm& window = f.Open("[Live]\r\nPollMs=700\r\n");
        window.mnuSetup->trigger();
        frmSetup& setup = *window.setupWindow.Get();
        setup.liveGroup->findChild<QLineEdit*>(box)->setText(text);
        MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(setup.cmdRdy, Qt::LeftButton);
        QVERIFY(answer.answered());
        QVERIFY2(answer.text().contains(said), qPrintable(answer.text()));
        QVERIFY(setup.isVisible());  // nothing written, the window stays for a correction
        QCOMPARE(ReadBytes(f.dir / "Vantrel.ini"), std::string("[Live]\r\nPollMs=700\r\n"));
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::TrackWindowTest)
#include "track_window_test.moc"
