#include "instruments/bearing_mean.hpp"

#include <cmath>
#include <numbers>

namespace vantrel::instruments {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
// The resultant of bearings that cancel out is rounding noise: anything shorter than this per bearing.
constexpr double kNoDirection = 1e-9;
constexpr double kHundredths = 100;

}  // namespace

void BearingMean::Add(double bearing, std::optional<int> quality) {
    if (count_ == 0) {
        first_ = bearing;
    } else if (bearing != first_) {
        allSame_ = false;
    }
    ++count_;
    sumSin_ += std::sin(bearing * kRadiansPerDegree);
    sumCos_ += std::cos(bearing * kRadiansPerDegree);
    if (quality) {
        qualitySum_ += *quality;
        ++qualityCount_;
    }
}

std::optional<double> BearingMean::Mean() const {
    if (count_ == 0) {
        return std::nullopt;
    }
    if (allSame_) {
        return first_;
    }
    if (std::hypot(sumSin_, sumCos_) < kNoDirection * count_) {
        return std::nullopt;
    }
    double mean = std::atan2(sumSin_, sumCos_) / kRadiansPerDegree;
    mean = std::round(mean * kHundredths) / kHundredths;
    if (mean < 0) {
        mean += 360;
    }
    return mean >= 360 ? 0.0 : mean + 0.0;  // + 0.0: no minus zero
}

std::optional<int> BearingMean::Quality() const {
    if (qualityCount_ == 0) {
        return std::nullopt;
    }
    return (2 * qualitySum_ + qualityCount_) / (2 * qualityCount_);
}

}  // namespace vantrel::instruments
