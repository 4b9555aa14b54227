#include "ui/messages.hpp"

namespace vantrel::ui {

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, kMessageTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

bool ReportOutcome(QWidget* parent, const core::Outcome& outcome) {
    if (!outcome) {
        ShowMessage(parent, QString::fromStdString(outcome.message()), QMessageBox::Warning);
    }
    return outcome.ok();
}

bool AskYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, kMessageTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace vantrel::ui
