#pragma once

// Text that a command writes into a box: the box shows its start (a number's leading digits, a sentence's
// beginning), not the tail where QLineEdit leaves the cursor, and a text too long for the box is shown whole
// in the box's tooltip. The text itself is set exactly as given.

#include <QString>

class QLineEdit;

namespace vantrel::ui {

void SetBoxText(QLineEdit& box, const QString& text);

// Whether the box is wide enough for the whole text.
bool TextFitsBox(const QLineEdit& box, const QString& text);

// A tooltip that shows the text exactly as it is: a text that looks like markup ("<b>", a file named so) is
// not rendered as rich text.
QString PlainToolTip(const QString& text);

}  // namespace vantrel::ui
