#include "live/interval_bearing.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::live {
namespace {
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
}

std::optional<IntervalResult> IntervalBearings::Add(double bearing, hunt_log::TimeMs arrivalMs) {
    std::optional<IntervalResult> closed;
    if (!mean_.empty() && arrivalMs >= start_ + rules_.intervalMs) {
        closed = Flush();
    }
    if (mean_.empty()) {
        start_ = arrivalMs;
        arrivalSum_ = 0;
    }
    mean_.Add(bearing, std::nullopt);
    sumSin_ += std::sin(bearing * kRadiansPerDegree);
    sumCos_ += std::cos(bearing * kRadiansPerDegree);
    arrivalSum_ += arrivalMs - start_;
    return closed;
}

std::optional<IntervalResult> IntervalBearings::Close(hunt_log::TimeMs nowMs) {
    if (mean_.empty() || nowMs < start_ + rules_.intervalMs) {
        return std::nullopt;
    }
    return Flush();
}

std::optional<IntervalResult> IntervalBearings::Flush() {
    if (mean_.empty()) {
        return std::nullopt;
    }
    IntervalResult result;
    const int n = mean_.count();
    result.readings = static_cast<std::uint32_t>(n);
    result.arrivalMs = start_ + arrivalSum_ / n;
    const std::optional<double> mean = mean_.Mean();
    std::optional<double> sigma = rules_.sigmaWithoutSpread;
    if (n >= 2) {
        const double resultant = std::hypot(sumSin_, sumCos_) / n;
        const double rho2 = (n * resultant * resultant - 1) / (n - 1);
        sigma.reset();
        if (rho2 >= 1) {
            sigma = 0;
        } else if (rho2 > 0) {
            sigma = std::sqrt(-std::log(rho2)) / kRadiansPerDegree;
        }
    }
    if (mean && sigma) {
        result.bearing = *mean >= 360 ? 0 : *mean;
        result.sigma = std::min(90.0, std::max(*sigma, rules_.sigmaFloor));
    }
    mean_.Clear();
    sumSin_ = 0;
    sumCos_ = 0;
    return result;
}

}  // namespace vantrel::live
