#include "maps/value_stretch.hpp"

#include <algorithm>
#include <cmath>

namespace vantrel::maps {

void StretchToBytes(const float* values, std::size_t valueStride, std::size_t count, ValueRange range,
                    unsigned char* out, std::size_t outStride) {
    const double factor = range.high > range.low ? 255.0 / (range.high - range.low) : 0.0;
    for (std::size_t i = 0; i < count; ++i, values += valueStride, out += outStride) {
        const double level = (static_cast<double>(*values) - range.low) * factor;
        *out = static_cast<unsigned char>(std::isfinite(level) ? std::clamp(level + 0.5, 0.0, 255.0) : 0.0);
    }
}

}  // namespace vantrel::maps
