#include "ui/box_text.hpp"

#include <QLineEdit>
#include <QStyle>
#include <QTextDocument>

namespace vantrel::ui {
namespace {

// The tooltip this helper set last; a tooltip the window gave the box for another reason is left alone.
constexpr const char* kWholeTextTip = "vantrelWholeTextTip";
constexpr const char* kTipFollowsEdits = "vantrelTipFollowsEdits";

void UpdateWholeTextTip(QLineEdit& box) {
    const QString current = box.toolTip();
    const bool ours = current.isEmpty() || current == box.property(kWholeTextTip).toString();
    if (!ours) {
        return;
    }
    const QString tip = TextFitsBox(box, box.text()) ? QString() : PlainToolTip(box.text());
    box.setToolTip(tip);
    box.setProperty(kWholeTextTip, tip);
}

}  // namespace

bool TextFitsBox(const QLineEdit& box, const QString& text) {
    // The frame and QLineEdit's own inner margin of 2 pixels on each side.
    const int frame =
        box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &box) : 0;
    const QMargins margins = box.textMargins();
    const int room = box.width() - 2 * (frame + 2) - margins.left() - margins.right();
    return box.fontMetrics().horizontalAdvance(text) <= room;
}

QString PlainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    return QStringLiteral("<qt style=\"white-space:pre-wrap\">%1</qt>").arg(text.toHtmlEscaped());
}

void SetBoxText(QLineEdit& box, const QString& text) {
    box.setText(text);
    box.setCursorPosition(0);
    if (!box.property(kTipFollowsEdits).toBool()) {
        // A text the user types afterwards gets the same tooltip.
        box.setProperty(kTipFollowsEdits, true);
        QObject::connect(&box, &QLineEdit::textEdited, &box, [&box] { UpdateWholeTextTip(box); });
    }
    UpdateWholeTextTip(box);
}

}  // namespace vantrel::ui
