#pragma once

// "Calibrate Picture...": places a picture without georeference (a scan or a screenshot of a map, from a
// file or the clipboard) on the map. The user clicks points on the picture and types each point's
// coordinates (UTM easting/northing of the hunt's zone, or latitude/longitude); the dialog shows the fit
// with every point's residual in metres and names the worst. OK writes a world file and a .prj of the hunt's
// zone beside the picture, so it opens georeferenced from then on.

#include <QDialog>
#include <QImage>
#include <QPointF>

#include <optional>
#include <vector>

#include "geodesy/utm_zone.hpp"
#include "maps/calibration.hpp"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vantrel::ui {

// The picture, fitted into the widget and zoomable with the wheel about the cursor; a left click places a
// point, dragging with the right or middle button pans. The clicked points are drawn numbered.
class CalibrationPictureView : public QWidget {
    Q_OBJECT
  public:
    explicit CalibrationPictureView(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    void SetPoints(std::vector<QPointF> points);
    // Screen pixels per picture pixel (0 before a picture is shown); 1 shows the picture pixel for pixel
    // from its upper-left corner.
    void SetScale(double scale);
    [[nodiscard]] double scale() const { return scale_; }
    // The picture-grid position (0, 0 the upper-left corner of the picture) under a widget position, and
    // back.
    [[nodiscard]] QPointF PictureAt(QPointF widgetPosition) const;
    [[nodiscard]] QPointF WidgetAt(QPointF picturePosition) const;

  Q_SIGNALS:
    void Clicked(QPointF picturePosition);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void FitIntoWidget();

    QImage picture_;
    std::vector<QPointF> points_;
    double scale_ = 0;
    QPointF offset_;  // widget position of the picture's upper-left corner
    bool fitted_ = true;
    std::optional<QPointF> dragFrom_;
};

class CalibratePictureDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CalibratePictureDialog(geodesy::UtmZone huntZone, QWidget* parent = nullptr);

    // Shows the picture in PATH; false (and the reason in the status line) when it cannot be read.
    bool OpenPicture(const QString& path);
    // Saves `picture` (from the clipboard) as a PNG file at PATH, atomically, and shows it.
    bool UsePastedPicture(const QImage& picture, const QString& path);
    // A point at picture-grid position `position`, as a click on the picture adds it.
    void AddPoint(QPointF position);
    // The picture being calibrated; after OK it has its world file and .prj.
    [[nodiscard]] const QString& picturePath() const { return picturePath_; }
    [[nodiscard]] const std::optional<maps::CalibrationFit>& fit() const { return fit_; }

    // The world file's path for a picture: x.png -> x.pgw, x.jpg / x.jpeg -> x.jgw, x.tif / x.tiff -> x.tfw,
    // anything else x.wld.
    static QString WorldFilePath(const QString& picturePath);

    CalibrationPictureView* view = nullptr;
    QPushButton* openButton = nullptr;
    QPushButton* pasteButton = nullptr;
    QPushButton* removeButton = nullptr;
    QComboBox* coordinateForm = nullptr;  // 0: UTM easting/northing of the hunt's zone, 1: latitude/longitude
    QTableWidget* pointTable = nullptr;  // point, column, row, easting/latitude, northing/longitude, residual
    QLabel* fitLabel = nullptr;          // the fit, or what keeps it from being made
    QDialogButtonBox* buttons = nullptr;

    enum Column { kColumnNumber, kColumnX, kColumnY, kColumnFirst, kColumnSecond, kColumnResidual };

  public Q_SLOTS:
    void accept() override;

  private:
    void ChooseAndOpen();
    void PasteFromClipboard();
    void RemoveSelectedPoints();
    void ShowCoordinateForm();
    void Refit();
    // The points as typed, in metres of the hunt's zone; nullopt and the reason when a box is not a number.
    std::optional<std::vector<maps::ControlPoint>> ReadPoints(QString& problem) const;
    void ShowResiduals();
    // Marks every coordinate cell whose text is not a usable number (pale red, with the reason as its tip).
    void MarkBadCells();

    geodesy::UtmZone huntZone_;
    char decimalSeparator_ = '.';
    QString picturePath_;
    QImage picture_;
    std::optional<maps::CalibrationFit> fit_;
    bool filling_ = false;  // the table is being filled by the dialog, not edited by the user
};

}  // namespace vantrel::ui
