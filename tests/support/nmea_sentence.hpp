#pragma once

// An NMEA sentence as a unit sends it: "$", the body, "*" with the XOR of the body's bytes, CR LF.

#include <cstdio>
#include <string>

namespace vantrel::testing_support {

inline std::string NmeaSentence(const std::string& body) {
    unsigned char sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

}  // namespace vantrel::testing_support
