#include "ui/frm_about.hpp"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "platform/system_info.hpp"
#include "ui/messages.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {
namespace {

constexpr int kVersionMajor = 2;
constexpr int kVersionMinor = 2;
constexpr int kVersionRevision = 0;

}  // namespace

QIcon ProgramIconSet() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/org.vantrel.Vantrel-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QPixmap ProgramIcon(int size) {
    return ProgramIconSet().pixmap(size);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QStringLiteral("Vantrel2");
    setWindowTitle(QStringLiteral("About ") + title);
    setFixedSize(TwipsToPixels(*this, 5730), TwipsToPixels(*this, 3105));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(ProgramIcon(TwipsToPixels(*this, 480)));
    PlaceTwips(*picIcon, 240, 240, 540, 540);

    lblTitle = new QLabel(title, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    PlaceTwips(*lblTitle, 1050, 240, 3885, 480);

    lblVersion = new QLabel(
        QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    PlaceTwips(*lblVersion, 1050, 780, 3885, 225);

    lblDescription = new QLabel(QStringLiteral("Vantrel - Radio-ray calculation"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    PlaceTwips(*lblDescription, 1050, 1125, 3885, 330);

    lblLicence = new QLabel(
        QStringLiteral("Free software under the <a href=\"https://www.gnu.org/licenses/gpl-3.0.html\">"
                       "GNU General Public License, version 3 or later</a>; "
                       "it comes with no warranty."),
        this);
    lblLicence->setObjectName(QStringLiteral("lblLicence"));
    lblLicence->setWordWrap(true);
    lblLicence->setOpenExternalLinks(true);
    PlaceTwips(*lblLicence, 1050, 1530, 3885, 540);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    PlaceTwips(*cmdOK, 4245, 2145, 1260, 345);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    PlaceTwips(*cmdSysInfo, 4260, 2595, 1245, 345);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] {
        if (!platform::StartSysInfo()) {
            ShowMessage(this, QStringLiteral("System Information Is Unavailable At This Time"));
        }
    });
}

}  // namespace vantrel::ui
