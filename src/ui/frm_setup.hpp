#pragma once

// "Setup Com-Ports": which port number the GPS receiver and the direction-finding receiver are on, the device
// each number stands for on this system, and the receiver's format and line speed. The choice is stored in
// the settings at once; it takes effect the next time a port is opened.

#include <QWidget>

#include <array>
#include <map>

#include "persistence/ini_file.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace vantrel::ui {

class MainFrm;
class SetupLiveGroup;

class frmSetup : public QWidget {
    Q_OBJECT
  public:
    explicit frmSetup(MainFrm& main, QWidget* parent = nullptr);

    std::array<QRadioButton*, 8> optCOM_GPS{};
    std::array<QRadioButton*, 8> optGonPort{};
    QPushButton* cmdRdy = nullptr;
    // Beside each group: the device the chosen number stands for (a device present, or a typed path).
    QComboBox* cboGpsDevice = nullptr;
    QComboBox* cboGonDevice = nullptr;
    QLabel* lblGpsDevice = nullptr;
    QLabel* lblGonDevice = nullptr;
    // Under "Goniometer": the receiver's format, its line speed, and the interval of one filed mean of a
    // unit that streams.
    QComboBox* cboGonFormat = nullptr;
    QComboBox* cboGonBaud = nullptr;
    QLineEdit* txtGonInterval = nullptr;
    // Right of them: the [Live] settings of Track.
    SetupLiveGroup* liveGroup = nullptr;

  private:
    // One group: its options, its device box and the note under it.
    struct Group {
        std::array<QRadioButton*, 8>* options;
        QComboBox* device;
        QLabel* note;
    };
    void BuildGroup(QWidget* frame, const char* name, Group group);
    void BuildReceiver(QWidget* frame);
    void ShowDevice(const Group& group);
    void NoteDevice(const Group& group);
    void Ready();

    MainFrm& main_;
    persistence::IniFile ini_;
    std::map<int, QString> chosen_;  // port number -> device chosen in this window
};

// The option a port setting selects: the setting read as a plain number and rounded, minus 1; a value
// outside 1..8 (or no number) selects the first port.
int PortOptionIndex(const std::string& setting);

}  // namespace vantrel::ui
