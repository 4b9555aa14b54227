#pragma once

// Asking the user for the hunt's zone: after a refusal (the hunt does not lie in its zone) and from the
// Hunt Map's "Change Zone..." button.

#include <QString>

#include <optional>

#include "geodesy/utm_zone.hpp"

class QWidget;

namespace vantrel::ui {

// A modal input box prefilled with `suggestion`; asks again after text that is no zone. Nothing when
// cancelled.
std::optional<geodesy::UtmZone> AskZone(QWidget* parent, const QString& why, geodesy::UtmZone suggestion);

}  // namespace vantrel::ui
