#include "maps/world_file.hpp"

#include <cmath>
#include <vector>

#include "core/number_text.hpp"

namespace vantrel::maps {
namespace {

constexpr int kWorldFileLines = 6;
// No map has pixels or places beyond these (map units: metres or degrees). Larger numbers overflow and
// smaller pixel sizes underflow when the pixel area or the inverse transform is computed, which would make
// a sound picture look singular.
constexpr double kLargest = 1e12;
constexpr double kSmallestPixel = 1e-12;

// Why the number on line `index` (0-based) cannot be computed with, or "".
std::string OutOfRange(std::size_t index, double value) {
    if (std::abs(value) <= kLargest) {
        return {};
    }
    return "line " + std::to_string(index + 1) + " is out of range: " + core::ShortestText(value) +
           " is too large for a " + (index < 4 ? "pixel size" : "coordinate");
}

// Why a pixel side whose two terms are `along` and `across` cannot be computed with, or "". A rotation
// term alone may be tiny (a calibrated picture's -3e-15); the side's length may not.
std::string TooSmall(double along, double across, const char* side) {
    const double length = std::hypot(along, across);
    if (length == 0 || length >= kSmallestPixel) {
        return {};
    }
    return std::string("the pixel ") + side + " is out of range: " + core::ShortestText(length) +
           " is too small to compute with";
}

// The lines of `text`, split at "\n" (a "\r" before it dropped), without the blank lines at the end.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string_view::npos) {
        lines.pop_back();
    }
    return lines;
}

}  // namespace

core::Result<GeoTransform> ReadWorldFile(std::string_view text) {
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.size() != kWorldFileLines) {
        return core::Result<GeoTransform>::Fail("a world file has 6 lines, this one has " +
                                                std::to_string(lines.size()));
    }
    std::array<double, kWorldFileLines> value{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::optional<double> number = core::ReadRegional(lines[i], '.');
        if (!number || !std::isfinite(*number)) {
            return core::Result<GeoTransform>::Fail("line " + std::to_string(i + 1) + " is not a number");
        }
        if (const std::string problem = OutOfRange(i, *number); !problem.empty()) {
            return core::Result<GeoTransform>::Fail(problem);
        }
        value[i] = *number;
    }
    const double a = value[0], d = value[1], b = value[2], e = value[3], cx = value[4], cy = value[5];
    for (const std::string& problem :
         {TooSmall(a, d, "width (lines 1 and 2)"), TooSmall(b, e, "height (lines 3 and 4)")}) {
        if (!problem.empty()) {
            return core::Result<GeoTransform>::Fail(problem);
        }
    }
    // A turned picture has zeros on lines 1 and 4; a pixel side has no length only when both its terms are 0.
    if ((a == 0 && d == 0) || (b == 0 && e == 0)) {
        return core::Result<GeoTransform>::Fail(a == 0 && d == 0
                                                    ? "the pixel width (lines 1 and 2) is zero"
                                                    : "the pixel height (lines 3 and 4) is zero");
    }
    GeoTransform transform;
    // The world file gives the centre of the upper-left pixel, the transform its outer corner.
    transform.c = {cx - 0.5 * a - 0.5 * b, a, b, cy - 0.5 * d - 0.5 * e, d, e};
    if (!Invert(transform)) {
        return core::Result<GeoTransform>::Fail(
            "the pixel axes (lines 1 to 4) are parallel: the picture would have no area");
    }
    return transform;
}

std::string WorldFileText(const GeoTransform& transform) {
    const auto& c = transform.c;
    const double centreX = c[0] + 0.5 * c[1] + 0.5 * c[2];
    const double centreY = c[3] + 0.5 * c[4] + 0.5 * c[5];
    std::string text;
    for (double value : {c[1], c[4], c[2], c[5], centreX, centreY}) {
        text += core::ShortestText(value);
        text += '\n';
    }
    return text;
}

}  // namespace vantrel::maps
