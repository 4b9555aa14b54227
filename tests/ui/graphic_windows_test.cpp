// The rays window, the angle measurement and the About box, driven with the mouse on real pictures.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <cmath>

#include "persistence/settings.hpp"
#include "picture_tools/rays.hpp"
#include "temp_dir.hpp"
#include "ui/data_dialog.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_angle.hpp"
#include "ui/frm_setup.hpp"
#include "ui/main_frm.hpp"
#include "ui/pic_frame.hpp"
#include "ui/picture_box.hpp"
#include "ui/twips.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {

namespace {

// A map stand-in with a pattern, so that any change to it shows.
QImage MapPicture() {
    QImage picture(500, 300, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
        }
    }
    return picture;
}

QColor Fox(int fox) {
    const picture_tools::Rgb c = picture_tools::FoxColour(fox);
    return {c.r, c.g, c.b};
}

}  // namespace

class GraphicWindowsTest : public QObject {
    Q_OBJECT

    TempDir dir_;
    persistence::ProgramState program_;
    std::unique_ptr<MainFrm> main_;

  private Q_SLOTS:
    void init() {
        program_ = persistence::ProgramState{};
        main_ = std::make_unique<MainFrm>(program_, MainFrmEnvironment{dir_ / "Vantrel.ini", ','});
        QGuiApplication::clipboard()->setImage(MapPicture());
    }
    void cleanup() { main_.reset(); }

    void RaysWindowTakesTheClipboardPictureOnce() {
        PicFrame frame(program_);
        QCOMPARE(frame.windowTitle(), QStringLiteral("Vantrel - Angles"));
        QCOMPARE(frame.PicBox->Canvas().pixel(10, 20), MapPicture().pixel(10, 20));
        QCOMPARE(frame.PicBox->width(), TwipsToPixels(frame, 11415));
        QCOMPARE(frame.mnuSetS1->text(), QStringLiteral("Set S&1"));
    }

    void ClickDrawsFiveRaysInTheFoxColours() {
        program_.ScedRec1.BaseAngle = 20;
        program_.ScedRec1.Ang = {340, 70, 160, 250, 25};  // 0 (reduced), 90, 180, 270, 45
        program_.ScedRec1.Sig = {-60, -40, -10, -10, -10};
        PicFrame frame(program_);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QPoint click(300, 200);
        QTest::mouseClick(frame.PicBox, Qt::RightButton, {}, click);  // any button draws
        const QImage& canvas = frame.PicBox->Canvas();
        const QWidget& client = *frame.centralWidget();
        // Straight up to the top edge, straight down to the bottom of the client area.
        QCOMPARE(canvas.pixelColor(300, 0), Fox(0));
        QCOMPARE(canvas.pixelColor(300, 150), Fox(0));
        QCOMPARE(canvas.pixelColor(300, client.height() - 1), Fox(2));
        // Right and left edges at the clicked height.
        QCOMPARE(canvas.pixelColor(client.width() - 1, 200), Fox(1));
        QCOMPARE(canvas.pixelColor(0, 200), Fox(3));
        // 45 degrees: where DrawRay says the ray ends, in twips converted to pixels.
        const double w = PixelsToTwips(client, client.width());
        const double h = PixelsToTwips(client, client.height());
        const picture_tools::RayEnd end =
            picture_tools::DrawRay(PixelsToTwips(client, 300), PixelsToTwips(client, 200), 45, w, h);
        const QPoint endPixel(TwipsToPixels(client, static_cast<int>(std::lround(end.x))),
                              TwipsToPixels(client, static_cast<int>(std::lround(end.y))));
        QCOMPARE(canvas.pixelColor(endPixel.x() - 1, endPixel.y() + 1), Fox(4));
        // The width follows the signal: F1 at -60 dB is 4 pixels wide, F3 at -10 dB 2.
        int f1Width = 0;
        int f3Width = 0;
        for (int x = 290; x <= 310; ++x) {
            f1Width += canvas.pixelColor(x, 100) == Fox(0) ? 1 : 0;
            f3Width += canvas.pixelColor(x, 260) == Fox(2) ? 1 : 0;
        }
        QCOMPARE(f1Width, 4);
        QCOMPARE(f3Width, 2);
    }

    void SetStationTwoDrawsItsRecord() {
        program_.ScedRec2.Ang = {90, 90, 90, 90, 270};
        PicFrame frame(program_);
        frame.show();
        frame.mnuSetS2->trigger();
        QTest::mouseClick(frame.PicBox, Qt::LeftButton, {}, QPoint(200, 100));
        QCOMPARE(frame.PicBox->Canvas().pixelColor(10, 100), Fox(4));
    }

    void AngleMeasurementShowsTheDirectionAndErasesItsLine() {
        frmAngle window(*main_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Angle Measurement"));
        QTest::mouseClick(window.cmdInsClpbd, Qt::LeftButton);
        const QImage original = window.Pict->Canvas().copy();
        QCOMPARE(original.pixel(40, 40), MapPicture().pixel(40, 40));

        QTest::mouseMove(window.Pict, QPoint(150, 150));  // idle: nothing happens
        QCOMPARE(window.Pict->Canvas(), original);
        QTest::mousePress(window.Pict, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseRelease(window.Pict, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(window.Pict, QPoint(200, 100));
        QCOMPARE(window.txtAngle->text(), QString());  // the first move only draws
        QVERIFY(window.Pict->Canvas() != original);
        QTest::mouseMove(window.Pict, QPoint(150, 50));
        QCOMPARE(window.txtAngle->text(), QStringLiteral("45,00"));
        QTest::mouseMove(window.Pict, QPoint(100, 40));
        QCOMPARE(window.txtAngle->text(), QStringLiteral("0,00"));

        // Only the last line is on the picture: drawing it once more restores the picture byte for byte.
        QImage erased = window.Pict->Canvas().copy();
        {
            QPainter painter(&erased);
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.setPen(QPen(QColor(0, 255, 255), 0));
            painter.drawLine(QPointF(100, 100), QPointF(100, 40));
        }
        QCOMPARE(erased, original);

        QTest::mousePress(window.Pict, Qt::LeftButton, {}, QPoint(100, 40));  // freezes the measurement
        QTest::mouseMove(window.Pict, QPoint(300, 100));
        QCOMPARE(window.txtAngle->text(), QStringLiteral("0,00"));
    }

    void UpdateScedCopiesTheTextUnchanged() {
        main_->show();
        frmAngle window(*main_);
        window.txtAngle->setText(QStringLiteral("360,00"));
        QTest::mouseClick(window.cmdUpdSc1, Qt::LeftButton);
        QCOMPARE(program_.main.Sced1Ang, std::string("360,00"));
        QCOMPARE(main_->Sced1Ang->text(), QStringLiteral("360,00"));
        QCOMPARE(program_.main.Sced2Ang, std::string("0"));
        window.txtAngle->setText(QStringLiteral("12,5"));
        QTest::mouseClick(window.cmdUpdSc2, Qt::LeftButton);
        QCOMPARE(main_->Sced2Ang->text(), QStringLiteral("12,5"));
    }

    void InsertClipboardKeepsThePictureWhenThereIsNone() {
        frmAngle window(*main_);
        QTest::mouseClick(window.cmdInsClpbd, Qt::LeftButton);
        QGuiApplication::clipboard()->setText(QStringLiteral("no picture here"));
        QTest::mouseClick(window.cmdInsClpbd, Qt::LeftButton);
        QCOMPARE(window.Pict->Canvas().pixel(40, 40), MapPicture().pixel(40, 40));
    }

    void AboutBoxTexts() {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Vantrel2"));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 2.2.0"));
        QCOMPARE(about.lblTitle->text(), QStringLiteral("Vantrel2"));
        QVERIFY(about.lblDescription->text().contains(QStringLiteral("Radio-ray calculation")));
        QCOMPARE(about.cmdSysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(about.lblLicence->text().contains(
            QStringLiteral("GNU General Public License, version 3 or later")));
        // The icon of the installed program: a dark mast and red waves.
        const QImage icon = about.picIcon->pixmap().toImage();
        int dark = 0;
        int red = 0;
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x) {
                const QColor c = icon.pixelColor(x, y);
                dark += c.alpha() > 200 && c.red() < 60 && c.green() < 60 ? 1 : 0;
                red += c.alpha() > 200 && c.red() > 200 && c.green() < 60 ? 1 : 0;
            }
        }
        QVERIFY2(dark > 10 && red > 10, qPrintable(QStringLiteral("%1 dark, %2 red").arg(dark).arg(red)));
        MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(answer.text(), QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(answer.title(), QStringLiteral("Vantrel2"));
    }

    void SecondaryWindowsExistOnce() {
        main_->mnuShowRays->trigger();
        main_->mnuShowRays->trigger();
        main_->mnuAngles->trigger();
        main_->mnuAngles->trigger();
        main_->MNU_ABOUT->trigger();
        main_->MNU_ABOUT->trigger();
        main_->mnuSetup->trigger();
        main_->mnuSetup->trigger();
        main_->mnuViewDb->trigger();
        main_->mnuViewDb->trigger();
        int rays = 0;
        int angles = 0;
        int abouts = 0;
        int setups = 0;
        int views = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            rays += qobject_cast<PicFrame*>(w) != nullptr ? 1 : 0;
            angles += qobject_cast<frmAngle*>(w) != nullptr ? 1 : 0;
            abouts += qobject_cast<frmAbout*>(w) != nullptr ? 1 : 0;
            setups += qobject_cast<frmSetup*>(w) != nullptr ? 1 : 0;
            views += qobject_cast<DataDialog*>(w) != nullptr ? 1 : 0;
        }
        QCOMPARE(rays, 1);
        QCOMPARE(angles, 1);
        QCOMPARE(abouts, 1);
        QCOMPARE(setups, 1);
        QCOMPARE(views, 1);
        main_->raysWindow.Get()->close();
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(main_->raysWindow.Get() == nullptr);  // closing destroys it; the next use makes a new one
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::GraphicWindowsTest)
#include "graphic_windows_test.moc"
