// "Calibrate Picture...": points clicked on the real scene's picture and coordinates typed into the table,
// as a user does it; the world file and .prj it writes place the picture where the scene really is.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

#include "maps/world_file.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/raster_map.hpp"
#include "temp_dir.hpp"
#include "ui/calibrate_picture_dialog.hpp"

using vantrel::testing_support::TempDir;

namespace vantrel::ui {
namespace {

const geodesy::UtmZone kZone25South{25, 'M'};
// The scene's georeference (tests/data/maps/README.md, as GDAL reads the GeoTIFF): the upper-left corner
// and the pixel size.
constexpr double kOriginX = 288776.25, kOriginY = 9120760.75, kPixel = 28.5;

// Shows DIALOG with a copy of the scene's picture in DIR, at SCALE screen pixels per picture pixel.
bool OpenScene(CalibratePictureDialog& dialog, const TempDir& dir, double scale) {
    std::filesystem::copy_file(std::filesystem::path(VANTREL_TESTDATA_DIR) / "maps" / "l7_321.png",
                               dir / "scan.png");
    dialog.show();
    const bool opened = dialog.OpenPicture(QString::fromStdString((dir / "scan.png").string()));
    dialog.view->SetScale(scale);
    return opened;
}

// Types TEXT into a cell of the point table through the table's own editor, then Enter.
void TypeCell(QTableWidget* table, int row, int column, const QString& text) {
    table->setCurrentCell(row, column);
    table->editItem(table->item(row, column));
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits on Enter through a queued call, and the closed editor goes away later: let
    // both happen, so the cell holds the text and the next cell's editor is the only one.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(table->item(row, column)->text(), text);
}

// Clicks the screen pixel holding picture point (x, y) on the view at its current scale.
void ClickAt(CalibratePictureDialog& dialog, double x, double y) {
    const QPointF at = dialog.view->WidgetAt(QPointF(x, y));
    QTest::mouseClick(dialog.view, Qt::LeftButton, {},
                      QPoint(static_cast<int>(at.x()), static_cast<int>(at.y())));
}

// Types the two coordinates of point ROW.
void TypePoint(QTableWidget* table, int row, const QString& first, const QString& second) {
    TypeCell(table, row, CalibratePictureDialog::kColumnFirst, first);
    TypeCell(table, row, CalibratePictureDialog::kColumnSecond, second);
}

}  // namespace

class CalibratePictureDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void threeClickedPointsGiveTheScenesWorldFile() {
        TempDir dir;
        CalibratePictureDialog dialog(kZone25South);
        QVERIFY(OpenScene(dialog, dir, 1));
        const QPoint pixels[] = {{10, 10}, {300, 20}, {150, 330}};
        for (const QPoint& p : pixels) {
            ClickAt(dialog, p.x() + 0.5, p.y() + 0.5);
        }
        QCOMPARE(dialog.pointTable->rowCount(), 3);
        QCOMPARE(dialog.pointTable->item(1, CalibratePictureDialog::kColumnX)->text(),
                 QStringLiteral("300.5"));
        QVERIFY(!dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
        for (int i = 0; i < 3; ++i) {
            // The middle of pixel (c, r) lies at E = x0 + 28.5 (c + 0.5), N = y0 - 28.5 (r + 0.5).
            TypePoint(dialog.pointTable, i,
                      QString::number(kOriginX + kPixel * (pixels[i].x() + 0.5), 'f', 2),
                      QString::number(kOriginY - kPixel * (pixels[i].y() + 0.5), 'f', 2));
        }
        QVERIFY2(dialog.fit().has_value(), qPrintable(dialog.fitLabel->text()));
        QVERIFY(
            dialog.fitLabel->text().startsWith(QStringLiteral("Affine fit of 3 points: 28.500 m per pixel")));

        // A fourth point inside the triangle of the others, its easting typed 100 m off: least squares
        // spreads the error over all four, most of it at the point itself, which is named and shown bold.
        ClickAt(dialog, 150.5, 120.5);
        TypePoint(dialog.pointTable, 3, QString::number(kOriginX + kPixel * 150.5 + 100, 'f', 2),
                  QString::number(kOriginY - kPixel * 120.5, 'f', 2));
        QVERIFY2(dialog.fitLabel->text().endsWith(QStringLiteral(" at point 4.")),
                 qPrintable(dialog.fitLabel->text()));
        QVERIFY(dialog.pointTable->item(3, CalibratePictureDialog::kColumnResidual)->font().bold());
        QVERIFY(!dialog.pointTable->item(0, CalibratePictureDialog::kColumnResidual)->font().bold());
        // Delete in the table takes the selected point away.
        dialog.activateWindow();
        dialog.pointTable->setFocus();
        dialog.pointTable->selectRow(3);
        QTest::keyClick(dialog.pointTable, Qt::Key_Delete);
        QCOMPARE(dialog.pointTable->rowCount(), 3);
        QVERIFY(
            dialog.fitLabel->text().startsWith(QStringLiteral("Affine fit of 3 points: 28.500 m per pixel")));
        QTest::mouseClick(dialog.buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const auto text = persistence::ReadWholeFile(dir / "scan.pgw", 4096, "a world file");
        QVERIFY(text);
        const auto transform = maps::ReadWorldFile(*text);
        QVERIFY(transform);
        const std::array<double, 6> expected{kOriginX, kPixel, 0, kOriginY, 0, -kPixel};
        for (std::size_t i = 0; i < 6; ++i) {
            QVERIFY2(std::abs(transform->c[i] - expected[i]) < 1e-6, qPrintable(QString::number(i)));
        }
        // The .prj says zone 25 south, whatever the hunt's zone is when the picture is opened next.
        const auto opened = platform::RasterMap::Open((dir / "scan.png").string(), geodesy::UtmZone{32, 'U'});
        QVERIFY2(opened, opened.message().c_str());
        const auto toMap = platform::CrsTransform::Create(kZone25South, (*opened)->crsWkt());
        QVERIFY(toMap);
        double x = 298317.08, y = 9111935.56;
        QVERIFY((*toMap)->ToMap(x, y));
        QVERIFY(std::abs(x - 298317.08) < 1e-3 && std::abs(y - 9111935.56) < 1e-3);
    }

    void latitudeLongitudeOfTwoPoints() {
        TempDir dir;
        CalibratePictureDialog dialog(kZone25South);
        QVERIFY(OpenScene(dialog, dir, 4));
        dialog.coordinateForm->setCurrentIndex(1);
        // The README's two reference points: sea at 8.03 S, 34.83 W; land at 7.962 S, 34.833 W (typed in
        // degrees, minutes and seconds: 7 57' 43.2" S, 34 49' 58.8" W); their pixels from their UTM
        // coordinates: column (E - x0) / 28.5, row (y0 - N) / 28.5.
        struct Reference {
            double easting, northing;
            const char *lat, *lon;
        };
        const Reference references[] = {{298317.08, 9111935.56, "-8.03", "-34.83"},
                                        {297952.86, 9119455.31, "7\u00B057'43.2\"S", "34 49 58,8 W"}};
        for (int i = 0; i < 2; ++i) {
            const double column = (references[i].easting - kOriginX) / kPixel;
            const double row = (kOriginY - references[i].northing) / kPixel;
            ClickAt(dialog, column, row);  // at a quarter-pixel step: the screen pixel nearest the point
            TypePoint(dialog.pointTable, i, QString::fromUtf8(references[i].lat),
                      QString::fromUtf8(references[i].lon));
        }
        QVERIFY2(dialog.fit().has_value(), qPrintable(dialog.fitLabel->text()));
        QCOMPARE(dialog.fit()->kind, maps::FitKind::Similarity);
        // Two points 264 pixels apart, each placed to a quarter pixel: the scale within 0.5 %, the turn
        // within a tenth of a degree, the corner within two pixels.
        QVERIFY2(std::abs(dialog.fit()->metresPerPixel - kPixel) < 0.15, qPrintable(dialog.fitLabel->text()));
        QVERIFY2(std::abs(dialog.fit()->rotationDegrees) < 0.1, qPrintable(dialog.fitLabel->text()));
        QVERIFY(std::abs(dialog.fit()->transform.c[0] - kOriginX) < 2 * kPixel);
        QVERIFY(std::abs(dialog.fit()->transform.c[3] - kOriginY) < 2 * kPixel);
    }

    void pointsThatCannotBeFittedKeepSaveOff() {
        TempDir dir;
        CalibratePictureDialog dialog(kZone25South);
        QVERIFY(OpenScene(dialog, dir, 1));
        for (int i = 0; i < 3; ++i) {
            ClickAt(dialog, 10.5 + 50 * i, 10.5 + 50 * i);  // on one diagonal
            TypePoint(dialog.pointTable, i, QString::number(300000 + 1000 * i),
                      QString::number(9100000 - 900 * i));
        }
        QCOMPARE(dialog.fitLabel->text(),
                 QStringLiteral("The points lie on one line in the picture: add a point away from it."));
        QVERIFY(!dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
        TypeCell(dialog.pointTable, 1, CalibratePictureDialog::kColumnSecond, QStringLiteral("9 100 000"));
        QCOMPARE(dialog.fitLabel->text(), QStringLiteral("The northing of point 2 is not a number."));
        // Removing the middle point leaves two good ones, renumbered.
        dialog.pointTable->selectRow(1);
        QTest::mouseClick(dialog.removeButton, Qt::LeftButton);
        QCOMPARE(dialog.pointTable->rowCount(), 2);
        QCOMPARE(dialog.pointTable->item(1, CalibratePictureDialog::kColumnNumber)->text(),
                 QStringLiteral("2"));
        QVERIFY(dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
        QVERIFY(!std::filesystem::exists(dir / "scan.pgw"));
    }

    void pastedPictureIsSavedAsPngFirst() {
        TempDir dir;
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor(20, 140, 60));
        picture.setPixel(3, 4, qRgb(250, 0, 0));
        CalibratePictureDialog dialog(kZone25South);
        const QString path = QString::fromStdString((dir / "clip.png").string());
        QVERIFY(dialog.UsePastedPicture(picture, path));
        QCOMPARE(dialog.picturePath(), path);
        const QImage saved(path);
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), picture);
        QCOMPARE(CalibratePictureDialog::WorldFilePath(path),
                 QString::fromStdString((dir / "clip.pgw").string()));
        QCOMPARE(CalibratePictureDialog::WorldFilePath(QStringLiteral("/maps/scan.JPEG")),
                 QStringLiteral("/maps/scan.jgw"));
        QCOMPARE(CalibratePictureDialog::WorldFilePath(QStringLiteral("/maps/scan.gif")),
                 QStringLiteral("/maps/scan.wld"));
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::CalibratePictureDialogTest)
#include "calibrate_picture_dialog_test.moc"
