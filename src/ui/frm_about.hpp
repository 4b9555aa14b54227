#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

namespace vantrel::ui {

// The About box: the program's title, version, description and licence, and the system information tool.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblLicence = nullptr;  // the licence, with a link to its text
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};

// The program's icon: a direction-finding antenna under two radio waves. The pictures are rendered from
// packaging/icons/org.vantrel.Vantrel.svg, the icon the desktop shows for the installed program.
QIcon ProgramIconSet();
QPixmap ProgramIcon(int size);

}  // namespace vantrel::ui
