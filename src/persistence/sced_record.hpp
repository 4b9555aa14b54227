#pragma once

// The record of one station as the measurement data files store it, and as the rays display draws it.

#include <array>
#include <cstdint>

namespace vantrel::persistence {

struct ScedRecord {
    std::int16_t Flag = 0;        // written as 1, ignored on reading
    double North = 0;             // northing, metres
    double East = 0;              // easting, metres
    double BaseAngle = 0;         // degrees
    std::array<double, 5> Ang{};  // bearing of F1..F5, degrees relative to the base angle
    std::array<double, 5> Sig{};  // signal of F1..F5, dB

    friend bool operator==(const ScedRecord&, const ScedRecord&) = default;
};

}  // namespace vantrel::persistence
