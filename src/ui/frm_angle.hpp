#pragma once

// Angle measurement on a map picture: click a reference point, move the pointer, read the direction
// clockwise from the top of the picture, and copy it into a station's base angle box.

#include <QWidget>

#include "picture_tools/angle_measurement.hpp"

class QLineEdit;
class QPushButton;

namespace vantrel::ui {

class MainFrm;
class PictureBox;

class frmAngle : public QWidget {
    Q_OBJECT
  public:
    explicit frmAngle(MainFrm& main, QWidget* parent = nullptr);

    PictureBox* Pict = nullptr;
    QLineEdit* txtAngle = nullptr;
    QPushButton* cmdInsClpbd = nullptr;
    QPushButton* cmdUpdSc1 = nullptr;
    QPushButton* cmdUpdSc2 = nullptr;
    QPushButton* cmdReady = nullptr;

    [[nodiscard]] const picture_tools::AngleMeasurement& Measurement() const { return measurement_; }

  private:
    void InsertClipboard();
    void Press(QPointF position);
    void Move(QPointF position);
    void UpdateStation(int station);

    MainFrm& main_;
    picture_tools::AngleMeasurement measurement_;
};

}  // namespace vantrel::ui
