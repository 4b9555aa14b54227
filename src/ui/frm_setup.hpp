#pragma once

// "Setup Com-Ports": which port number the GPS receiver and the direction-finding receiver are on. The
// choice is stored in the settings at once; it takes effect the next time a port is opened.

#include <QWidget>

#include <array>

class QRadioButton;
class QPushButton;

namespace vantrel::ui {

class MainFrm;

class frmSetup : public QWidget {
    Q_OBJECT
  public:
    explicit frmSetup(MainFrm& main, QWidget* parent = nullptr);

    std::array<QRadioButton*, 8> optCOM_GPS{};
    std::array<QRadioButton*, 8> optGonPort{};
    QPushButton* cmdRdy = nullptr;

  private:
    void Ready();

    MainFrm& main_;
};

// The option a port setting selects: the setting read as a plain number and rounded, minus 1; a value
// outside 1..8 (or no number) selects the first port.
int PortOptionIndex(const std::string& setting);

}  // namespace vantrel::ui
