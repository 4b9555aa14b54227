#pragma once

// Raster values other than bytes (16-bit scans, elevations, reflectances) shown as grey levels or colour
// channels: stretched linearly from the band's lowest to its highest value onto 0..255.

#include <cstddef>

namespace vantrel::maps {

struct ValueRange {
    double low = 0;
    double high = 0;
};

// Writes `count` bytes to out[0], out[outStride], ... from values[0], values[valueStride], ...: `low` and
// below become 0, `high` and above 255, between them rounded to the nearest step; a value that is not
// finite (NaN, an infinity) becomes 0, and so does every value when the range is empty (high <= low).
void StretchToBytes(const float* values, std::size_t valueStride, std::size_t count, ValueRange range,
                    unsigned char* out, std::size_t outStride);

}  // namespace vantrel::maps
