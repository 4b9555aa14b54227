#include "ui/messages.hpp"

#include "map_outputs/result_overlays.hpp"

namespace vantrel::ui {

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, kMessageTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

bool ReportOutcome(QWidget* parent, const core::Outcome& outcome) {
    if (!outcome) {
        // The refusal before the first Calculate is a plain note, as the users know it; failures warn.
        const bool note = outcome.message() == map_outputs::kNoValidData;
        ShowMessage(parent, QString::fromStdString(outcome.message()),
                    note ? QMessageBox::NoIcon : QMessageBox::Warning);
    }
    return outcome.ok();
}

bool AskYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, kMessageTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace vantrel::ui
