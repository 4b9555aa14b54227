// Shows every window of the program with a plausible hunt in it and saves a picture of each, for a person
// to look at. Run under an X server (./dev screenshots starts Xvfb): vantrel-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <QElapsedTimer>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "bearing_log_screenshots.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/settings.hpp"
#include "platform/object_database.hpp"
#include "ui/calibrate_picture_dialog.hpp"
#include "ui/data_dialog.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_angle.hpp"
#include "ui/frm_data_in.hpp"
#include "ui/frm_setup.hpp"
#include "ui/hunt_map.hpp"
#include "ui/hunt_map_canvas.hpp"
#include "ui/main_frm.hpp"
#include "ui/pic_frame.hpp"
#include "ui/picture_box.hpp"
#include "ui/schedule_frame.hpp"
#include "ui/status_notes.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>

namespace {

using vantrel::ui::MainFrm;

// A map-like picture: fields, a river and a grid.
QImage MapPicture() {
    QImage picture(800, 500, QImage::Format_RGB32);
    picture.fill(QColor(236, 232, 212));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(190, 220, 170));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(250, 180), 160, 90);
    painter.drawEllipse(QPointF(620, 380), 140, 70);
    painter.setPen(QPen(QColor(90, 140, 220), 6));
    painter.drawLine(QPointF(0, 420), QPointF(800, 120));
    painter.setPen(QPen(QColor(180, 180, 180), 1));
    for (int x = 0; x < 800; x += 100) {
        painter.drawLine(x, 0, x, 500);
    }
    for (int y = 0; y < 500; y += 100) {
        painter.drawLine(0, y, 800, y);
    }
    return picture;
}

bool Save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    window.raise();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "window %s was not shown\n", qPrintable(name));
        return false;
    }
    QTest::qWait(300);
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!shot.save(path)) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The schedule at work: a Doppler unit on a pseudo-terminal streams 15 Agrelo lines a second while the
// schedule's clock runs from 12:00:06.5 across the end of fox 1's 12-second Sprint slot into fox 2's.
// Pictures: fox 1 on the air, the guard between the slots, fox 2 on the air.
bool ScheduleScreenshots(const QString& folder) {
    int master = -1;
    int slave = -1;
    char device[256] = {};
    if (::openpty(&master, &slave, device, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "no pseudo-terminal for the receiver\n");
        return false;
    }
    const std::string ini = QDir::tempPath().toStdString() + "/vantrel-screenshots-schedule.ini";
    std::ofstream(ini, std::ios::binary | std::ios::trunc)
        << "[Ports]\r\nCOM1=" << device << "\r\nGON-Format=agrelo\r\n"
        << "[Schedule]\r\nOn=1\r\nStart=12:00:00\r\nSlot=12\r\nSlots=5\r\nOrder=\r\nOnTime=\r\nGuard=2\r\n"
        << "ClockOffset=0\r\n";
    vantrel::persistence::ProgramState program;
    program.settings = vantrel::persistence::SettingsFromIni({});
    MainFrm main(program, {ini, ','});
    main.cmdAq[0]->click();
    vantrel::ui::frmDataIn& data = *main.dataInWindow.Get();
    QElapsedTimer running;
    running.start();
    const vantrel::instruments::Nanoseconds start = 43'206'500'000'000;  // 12:00:06.5
    data.schedule->SetClock([&] { return start + running.nsecsElapsed(); });
    data.cmdRX->click();
    // The bearing the unit reports: around 100 for fox 1, 300 for fox 2 (and whatever it hears between).
    int line = 0;
    QTimer unit;
    QObject::connect(&unit, &QTimer::timeout, [&] {
        const double seconds = static_cast<double>(running.elapsed()) / 1000;
        const int bearing = (seconds < 5.5 ? 100 : 300) + static_cast<int>(3 * std::sin(line++));
        const std::string text = "%" +
                                 QStringLiteral("%1").arg(bearing, 3, 10, QLatin1Char('0')).toStdString() +
                                 "/" + std::to_string(5 + line % 3) + "\r\n";
        [[maybe_unused]] const auto written = ::write(master, text.data(), text.size());
    });
    unit.start(66);
    const auto until = [&](qint64 ms) {
        while (running.elapsed() < ms) {
            QTest::qWait(20);
        }
    };
    bool ok = true;
    until(2200);  // 12:00:08.7: fox 1, 1 s left
    ok = Save(data, folder, QStringLiteral("frmDataIn-schedule-1-fox1")) && ok;
    until(6000);  // 12:00:12.5: the guard before fox 2
    ok = Save(data, folder, QStringLiteral("frmDataIn-schedule-2-guard")) && ok;
    until(10500);  // 12:00:17: fox 2
    ok = Save(data, folder, QStringLiteral("frmDataIn-schedule-3-fox2")) && ok;
    unit.stop();
    data.schedule->txtGuard->setText(QStringLiteral("6"));  // twice 6 s leaves nothing of a 12 s slot
    data.schedule->Apply();
    ok = Save(data, folder, QStringLiteral("frmDataIn-schedule-4-wrong-guard")) && ok;
    data.close();
    ::close(master);
    ::close(slave);
    return ok;
}

// The main window with the tooltip of fox `fox`'s Results boxes shown, grabbed from the screen with the
// tooltip (a window of its own).
bool SaveWithTooltip(MainFrm& window, int fox, const QString& folder, const QString& name) {
    window.show();
    window.raise();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    QLineEdit* box = window.ResLat[static_cast<std::size_t>(fox)];
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "the main window did not become active\n");
    }
    // What Qt sends when the pointer rests on the box.
    const QPoint centre = box->rect().center();
    QHelpEvent rest(QEvent::ToolTip, centre, box->mapToGlobal(centre));
    QApplication::sendEvent(box, &rest);
    if (!QToolTip::isVisible()) {
        std::fprintf(stderr, "the tooltip of F%d did not show\n", fox + 1);
    }
    QTest::qWait(300);
    const QRect frame = window.frameGeometry();
    const QPixmap shot =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width() + 520, frame.height() + 40);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    std::printf("%s\n", qPrintable(path));
    return shot.save(path);
}

// The fixes' quality: the example hunt, and a hunt whose F2 lies behind both stations.
bool SaveQualityPictures(const QString& folder) {
    const std::string ini = QDir::tempPath().toStdString() + "/vantrel-screenshots-quality.ini";
    vantrel::persistence::ProgramState example;
    vantrel::ui::MainFrmEnvironment environment{ini, ','};
    environment.fileDialog = [](QWidget*, const vantrel::ui::FileDialogRequest&) {
        return std::optional<QString>(QStringLiteral(VANTREL_SOURCE_DIR "/examples/hunt-vogelsberg.fh2"));
    };
    MainFrm exampleWindow(example, environment);
    exampleWindow.mnuOpen->trigger();
    exampleWindow.Calculate();
    bool ok = SaveWithTooltip(exampleWindow, 3, folder, QStringLiteral("MainFrm-quality"));
    exampleWindow.hide();

    vantrel::persistence::ProgramState behind;
    auto& s = behind.main;
    s.Sced1Lat = s.Sced2Lat = "5700000";
    s.Sced1Lon = "500000";
    s.Sced2Lon = "501000";
    s.S1Ang = {"45", "225", "80", "30", "0"};
    s.S2Ang = {"315", "135", "280", "320", "0"};
    MainFrm behindWindow(behind, {ini, ','});
    behindWindow.Calculate();
    ok = SaveWithTooltip(behindWindow, 1, folder, QStringLiteral("MainFrm-behind")) && ok;
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    if (argc < 2) {
        std::fprintf(stderr, "usage: vantrel-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QGuiApplication::clipboard()->clear();

    vantrel::persistence::ProgramState program;
    program.settings = vantrel::persistence::SettingsFromIni({});
    vantrel::persistence::ApplyStartupDefaults(program.settings, program.main,
                                               vantrel::persistence::WindowsDefaultLocations());
    auto& s = program.main;
    s.Sced1Lat = "5541200";
    s.Sced1Lon = "472800";
    s.Sced2Lat = "5540100";
    s.Sced2Lon = "475900";
    s.Sced1Ang = "12,5";
    s.Sced2Ang = "348";
    s.S1Ang = {"40", "75,5", "110", "20", "0"};
    s.S2Ang = {"310", "355", "40", "280", "0"};
    s.S1Sig = {"-12", "-45", "-8", "-62", "0"};
    s.S2Sig = {"-20", "-33", "-5", "-58", "0"};
    s.txtZone = {"32U", "32U"};
    s.txtTest = "$GPRMC,081836,A,5000.9800,N,00837.2700,E,000.0,360.0,130998,011.3,E*62  N  E";
    program.ScedRec1.BaseAngle = 12.5;
    program.ScedRec1.Ang = {40, 75.5, 110, 20, 200};
    program.ScedRec1.Sig = {-12, -45, -8, -62, -30};

    const std::string database = QDir::tempPath().toStdString() + "/vantrel-screenshots.sqlite";
    std::filesystem::remove(database);
    vantrel::platform::CreateObjectDatabase(database);
    program.settings.DataBaseFilename = database;
    // A fresh settings file: nothing remembered from an earlier run (the Hunt Map's map).
    QFile::remove(QDir::tempPath() + QStringLiteral("/vantrel-screenshots.ini"));
    MainFrm main(program, {QDir::tempPath().toStdString() + "/vantrel-screenshots.ini", ','});
    main.StartDatabase();

    // The picture windows before a map picture was copied: they say what to do.
    bool ok = true;
    {
        vantrel::ui::PicFrame emptyRays(program);
        ok = Save(emptyRays, folder, QStringLiteral("PicFrame-without-picture")) && ok;
        vantrel::ui::frmAngle emptyAngle(main);
        ok = Save(emptyAngle, folder, QStringLiteral("frmAngle-without-picture")) && ok;
    }
    QGuiApplication::clipboard()->setImage(MapPicture());

    // Stations in two zones: Calculate warns in the status line.
    s.txtZone = {"32U", "33U"};
    main.RefreshFromState();
    main.Calculate();
    ok = Save(main, folder, QStringLiteral("MainFrm-zone-warning")) && ok;
    s.txtZone = {"32U", "32U"};
    main.RefreshFromState();

    main.Calculate();
    main.UpdateDatabase();
    ok = Save(main, folder, QStringLiteral("MainFrm")) && ok;

    // The File menu with its shortcuts.
    if (auto* file = main.menuBar()->findChild<QMenu*>(QStringLiteral("MNU_FILE"))) {
        file->popup(main.mapToGlobal(QPoint(0, main.menuBar()->height())));
        ok = Save(*file, folder, QStringLiteral("MainFrm-file-menu")) && ok;
        file->hide();
    }

    main.mnuShowRays->trigger();
    vantrel::ui::PicFrame& rays = *main.raysWindow.Get();
    rays.MouseDown(QPointF(250, 300));
    ok = Save(rays, folder, QStringLiteral("PicFrame")) && ok;

    main.mnuAngles->trigger();
    vantrel::ui::frmAngle& angle = *main.angleWindow.Get();
    angle.cmdInsClpbd->click();
    QTest::mousePress(angle.Pict, Qt::LeftButton, {}, QPoint(300, 250));
    QTest::mouseMove(angle.Pict, QPoint(380, 200));
    QTest::mouseMove(angle.Pict, QPoint(420, 120));
    ok = Save(angle, folder, QStringLiteral("frmAngle")) && ok;

    main.mnuSetup->trigger();
    ok = Save(*main.setupWindow.Get(), folder, QStringLiteral("frmSetup")) && ok;

    // No receiver is attached here: the window says so, and the message is answered for the picture.
    QTimer answerMessages;
    QObject::connect(&answerMessages, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->accept();
        }
    });
    answerMessages.start(50);
    const double bearings[] = {38.5, 41, 40.5, 39, 42.5};
    const double signalValues[] = {-11, -12, -13, -12, -11};
    for (int row = 0; row < 5; ++row) {
        program.RxReadings(0, 0, row) = {bearings[row], signalValues[row], 1};
        program.RxReadings(0, 1, row) = {75.5 + row, -45, 1};
    }
    program.RxReadings(0, 2, 0) = {358, -8, 1};
    program.RxReadings(0, 2, 1) = {3.5, -9, 1};
    // A mean with many digits: the boxes show its start.
    program.RxReadings(0, 3, 0) = {45.1, -60, 1};
    program.RxReadings(0, 3, 1) = {45.2, -61, 1};
    program.RxReadings(0, 3, 2) = {45.5, -61, 1};
    main.cmdAq[0]->click();
    vantrel::ui::frmDataIn& data = *main.dataInWindow.Get();
    data.CalcAverages();
    data.lblNote->setText(vantrel::ui::ReceiveStartedNote());  // as "Start RX" says it (no receiver here)
    ok = Save(data, folder, QStringLiteral("frmDataIn")) && ok;
    data.TransferToMain();
    ok = Save(main, folder, QStringLiteral("MainFrm-after-transfer")) && ok;
    const QPoint cell = data.Grid->visualItemRect(data.Grid->item(2, 2)).center();
    QTest::mouseClick(data.Grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(data.Grid->viewport(), Qt::LeftButton, {}, cell);
    if (data.editor != nullptr) {
        ok = Save(*data.editor, folder, QStringLiteral("dlgEdit")) && ok;
    }

    main.mnuViewDb->trigger();
    main.dataWindow.Get()->cmdNext->click();
    main.dataWindow.Get()->cmdNext->click();
    ok = Save(*main.dataWindow.Get(), folder, QStringLiteral("DataDialog")) && ok;

    // The hunt map without a map, then on the real scene of the test data with the example hunt there.
    main.mnuHuntMap->trigger();
    vantrel::ui::HuntMap& huntMap = *main.huntMapWindow.Get();
    ok = Save(huntMap, folder, QStringLiteral("HuntMap")) && ok;
    if (argc >= 3) {
        const QString example = QString::fromLocal8Bit(argv[2]);
        QFile::remove(QDir::tempPath() + QStringLiteral("/vantrel-screenshots.ini"));
        vantrel::persistence::ProgramState olinda;
        olinda.settings = program.settings;
        vantrel::ui::MainFrm second(olinda,
                                    {QDir::tempPath().toStdString() + "/vantrel-screenshots.ini", ','});
        if (vantrel::persistence::ReadDataFile(
                olinda, (example + QStringLiteral("/hunt-olinda.fh2")).toStdString(), ',')) {
            // First with nothing naming its zone: read in the default 32U it is refused, not drawn.
            second.RefreshFromState();
            second.Calculate();
            second.mnuHuntMap->trigger();
            ok = Save(*second.huntMapWindow.Get(), folder, QStringLiteral("HuntMapOutsideItsZone")) && ok;
            olinda.main.txtZone = {"25M", "25M"};
            second.RefreshFromState();
            second.Calculate();
            second.mnuHuntMap->trigger();
            vantrel::ui::HuntMap& onScene = *second.huntMapWindow.Get();
            ok = Save(onScene, folder, QStringLiteral("HuntMapExampleWithoutMap")) && ok;
            const auto opened = onScene.OpenMap((example + QStringLiteral("/maps/olinda.png")).toStdString());
            if (!opened) {
                std::fprintf(stderr, "%s\n", opened.message().c_str());
                ok = false;
            }
            QTest::qWait(500);
            // The cursor on F2: its position in the status bar.
            if (!onScene.Scene().fixes.empty()) {
                const auto& f2 = onScene.Scene().fixes[1].position;
                const auto at = vantrel::hunt_picture::PixelOf(onScene.canvas->View(),
                                                               *onScene.canvas->Picture().projection, f2);
                if (at) {
                    QTest::mouseMove(onScene.canvas,
                                     QPoint(static_cast<int>(at->x) + 20, static_cast<int>(at->y)));
                }
            }
            ok = Save(onScene, folder, QStringLiteral("HuntMapOnScene")) && ok;

            // The same scene as a picture without georeference, turned by 12 degrees as a scan would be,
            // calibrated with four points and then the hunt's map.
            const QImage scene(example + QStringLiteral("/maps/olinda.png"));
            const QTransform turn = QTransform().rotate(12);
            const QImage scan = scene.transformed(turn, Qt::SmoothTransformation);
            const QString scanPath = QDir::tempPath() + QStringLiteral("/vantrel-scan.png");
            QFile::remove(QDir::tempPath() + QStringLiteral("/vantrel-scan.pgw"));
            scan.save(scanPath);
            const QTransform onScan = QImage::trueMatrix(turn, scene.width(), scene.height());
            vantrel::ui::CalibratePictureDialog calibrateScan(vantrel::geodesy::UtmZone{25, 'M'});
            calibrateScan.OpenPicture(scanPath);
            const double places[4][2] = {{20, 20}, {320, 40}, {60, 330}, {300, 300}};
            for (int i = 0; i < 4; ++i) {
                calibrateScan.AddPoint(onScan.map(QPointF(places[i][0], places[i][1])));
                calibrateScan.pointTable->item(i, vantrel::ui::CalibratePictureDialog::kColumnFirst)
                    ->setText(QString::number(288776.25 + 28.5 * places[i][0], 'f', 1));
                calibrateScan.pointTable->item(i, vantrel::ui::CalibratePictureDialog::kColumnSecond)
                    ->setText(QString::number(9120761.0 - 28.5 * places[i][1], 'f', 1));
            }
            calibrateScan.accept();
            const auto calibrated = onScene.OpenMap(scanPath.toStdString());
            if (!calibrated) {
                std::fprintf(stderr, "%s\n", calibrated.message().c_str());
                ok = false;
            }
            QTest::qWait(500);
            ok = Save(onScene, folder, QStringLiteral("HuntMapCalibratedScan")) && ok;
        }
    }

    if (argc >= 3) {
        ok = vantrel::ui::SaveBearingLogPictures(folder, QString::fromLocal8Bit(argv[2])) && ok;
    }
    main.MNU_ABOUT->trigger();
    ok = Save(*main.aboutWindow.Get(), folder, QStringLiteral("frmAbout")) && ok;
    main.aboutWindow.Get()->hide();
    ok = SaveQualityPictures(folder) && ok;
    ok = ScheduleScreenshots(folder) && ok;

    // Calibrating the real scene's picture with four points, one typed 100 m off.
    vantrel::ui::CalibratePictureDialog calibrate(vantrel::geodesy::UtmZone{25, 'M'});
    calibrate.OpenPicture(QStringLiteral(VANTREL_TESTDATA_DIR "/maps/l7_321.png"));
    const double points[4][2] = {{10, 10}, {300, 20}, {150, 330}, {150, 120}};
    for (int i = 0; i < 4; ++i) {
        calibrate.AddPoint(QPointF(points[i][0] + 0.5, points[i][1] + 0.5));
        const double easting = 288776.25 + 28.5 * (points[i][0] + 0.5) + (i == 3 ? 100 : 0);
        const double northing = 9120760.75 - 28.5 * (points[i][1] + 0.5);
        calibrate.pointTable->item(i, vantrel::ui::CalibratePictureDialog::kColumnFirst)
            ->setText(QString::number(easting, 'f', 1));
        calibrate.pointTable->item(i, vantrel::ui::CalibratePictureDialog::kColumnSecond)
            ->setText(QString::number(northing, 'f', 1));
    }
    ok = Save(calibrate, folder, QStringLiteral("CalibratePictureDialog")) && ok;
    return ok ? 0 : 1;
}
