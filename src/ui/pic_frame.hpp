#pragma once

// The rays window: the saved bearings of a station drawn as coloured rays over a map picture from the
// clipboard, from the point where the user clicks.

#include <QMainWindow>

#include "persistence/program_state.hpp"

class QAction;

namespace vantrel::ui {

class PictureBox;

class PicFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit PicFrame(const persistence::ProgramState& program, QWidget* parent = nullptr);

    PictureBox* PicBox = nullptr;
    QAction* mnuSetS1 = nullptr;
    QAction* mnuSetS2 = nullptr;
    int RaysStation = 1;  // the station whose rays a click draws: 1 or 2

    // The click of the picture box: position in pixels of the picture box.
    void MouseDown(QPointF position);

  private:
    const persistence::ProgramState& program_;
};

}  // namespace vantrel::ui
