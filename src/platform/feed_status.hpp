#pragma once

// Status texts shared by the live feeds (gpsd, the network direction finder).

#include <QString>

#include <cstdint>

namespace vantrel::platform {

// "0.5 s", "4 s", "30 s": the pause before the next attempt, as a status text says it.
inline QString PauseText(std::int64_t milliseconds) {
    if (milliseconds < 1000) {
        return QString::number(static_cast<double>(milliseconds) / 1000.0, 'f', 1) + QStringLiteral(" s");
    }
    return QString::number((milliseconds + 500) / 1000) + QStringLiteral(" s");
}

}  // namespace vantrel::platform
