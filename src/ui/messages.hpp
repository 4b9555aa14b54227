#pragma once

// The program's message boxes: titled "Vantrel2", modal to the window that asks.

#include <QMessageBox>
#include <QString>

#include "core/outcome.hpp"

namespace vantrel::ui {

inline const QString kMessageTitle = QStringLiteral("Vantrel2");

// A message with a single OK button.
void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

// Shows the failure of a command with a warning icon; nothing for a success. Returns outcome.ok().
bool ReportOutcome(QWidget* parent, const core::Outcome& outcome);

// A question with Yes and No; true only for Yes.
bool AskYesNo(QWidget* parent, const QString& text);

}  // namespace vantrel::ui
