#include "ui/zone_prompt.hpp"

#include <QInputDialog>

#include "ui/messages.hpp"

namespace vantrel::ui {

std::optional<geodesy::UtmZone> AskZone(QWidget* parent, const QString& why, geodesy::UtmZone suggestion) {
    QString text = QString::fromStdString(geodesy::ZoneText(suggestion));
    QString prompt =
        why + QStringLiteral("\n\nThe hunt's UTM zone (a number 1-60 and a band letter, e.g. 32U or 25M):");
    for (;;) {
        bool accepted = false;
        text = QInputDialog::getText(parent, kMessageTitle, prompt, QLineEdit::Normal, text, &accepted);
        if (!accepted) {
            return std::nullopt;
        }
        if (const auto zone = geodesy::ParseUtmZone(text.toStdString())) {
            return zone;
        }
        prompt = QStringLiteral(
                     "\"%1\" is not a UTM zone. The hunt's UTM zone (a number 1-60 and a band "
                     "letter, e.g. 32U or 25M):")
                     .arg(text);
    }
}

}  // namespace vantrel::ui
