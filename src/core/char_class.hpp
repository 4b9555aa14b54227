#pragma once

// Character tests that do not depend on the C locale (std::isdigit may accept more than '0'..'9' in some
// locales, and takes an int that must not be a negative char).

namespace vantrel::core {

// '0'..'9' only.
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace vantrel::core
