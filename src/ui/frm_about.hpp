#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vantrel::ui {

// The About box: the program's title, version and description, and the system information tool.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};

// A small picture of the program: a receiver with its direction-finding antenna.
QPixmap ProgramIcon(int size);

}  // namespace vantrel::ui
