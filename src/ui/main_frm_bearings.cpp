// The main window's commands of the bearing log: File > Log Bearings (Ctrl+L) and View > Bearings. Kept
// apart from main_frm.cpp so the described window stays as it is: the entries are added after the
// described ones (Log Bearings before Quit, View as the menu bar's last entry), nothing moves.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "ui/bearings_window.hpp"
#include "ui/hunt_log_link.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"

namespace vantrel::ui {

void MainFrm::BuildBearingLogMenus() {
    huntLog_ = new HuntLogLink(*this);  // Qt child
    mnuLogBearings = new QAction(QStringLiteral("&Log Bearings"), this);
    mnuLogBearings->setObjectName(QStringLiteral("mnuLogBearings"));
    mnuLogBearings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuLogBearings->setToolTip(
        QStringLiteral("Append the bearing of every fox in both stations' boxes to the hunt's bearing log"));
    if (auto* file = menuBar()->findChild<QMenu*>(QStringLiteral("MNU_FILE"))) {
        file->insertAction(MNU_QUIT, mnuLogBearings);
        file->insertSeparator(MNU_QUIT);
    }
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuBearings = view->addAction(QStringLiteral("&Bearings"));
    mnuBearings->setObjectName(QStringLiteral("mnuBearings"));
    mnuBearings->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    connect(mnuLogBearings, &QAction::triggered, this, &MainFrm::LogBearings);
    connect(mnuBearings, &QAction::triggered, this, [this] { bearingsWindow.Show(*this); });
}

void MainFrm::LogBearings() {
    const auto logged = huntLog_->LogStationBearings();
    if (!logged) {
        ShowMessage(this, QString::fromStdString(logged.message()), QMessageBox::Warning);
        return;
    }
    if (!logged->empty()) {
        ShowStatusNote(QString::fromStdString(*logged));
    }
}

}  // namespace vantrel::ui
