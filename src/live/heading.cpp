#include "live/heading.hpp"

#include <cmath>

namespace vantrel::live {

double AngleBetween(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

void HeadingTracker::AddCompass(double heading, hunt_log::TimeMs arrivalMs) {
    compass_ = heading;
    compassArrival_ = arrivalMs;
}

void HeadingTracker::AddFix(const instruments::GpsSample& fix, hunt_log::TimeMs arrivalMs) {
    const bool moving = fix.speed >= rules_.minSpeed && !std::isnan(fix.course);
    // A gap of more than the freshness limit between fixes says nothing of how the car moved meanwhile.
    bool continues = moving && steadySince_ && lastFix_ && fix.timeMs > lastFix_->timeMs &&
                     fix.timeMs - lastFix_->timeMs <= rules_.freshMs;
    if (continues) {
        const double seconds = static_cast<double>(fix.timeMs - lastFix_->timeMs) / 1000;
        continues = AngleBetween(lastFix_->course, fix.course) <= rules_.maxTurnRate * seconds;
    }
    if (!moving) {
        steadySince_.reset();
    } else if (!continues) {
        steadySince_ = fix.timeMs;
    }
    lastFix_ = fix;
    lastFixArrival_ = arrivalMs;
}

HeadingNow HeadingTracker::At(hunt_log::TimeMs arrivalMs) const {
    if (compass_ && arrivalMs - compassArrival_ <= rules_.freshMs) {
        return {compass_, HeadingFrom::Compass};
    }
    if (lastFix_ && steadySince_ && arrivalMs - lastFixArrival_ <= rules_.freshMs &&
        lastFix_->timeMs - *steadySince_ >= rules_.steadyMs) {
        return {lastFix_->course, HeadingFrom::Course};
    }
    return {};
}

std::string HeadingTracker::Text(hunt_log::TimeMs arrivalMs) const {
    const HeadingNow now = At(arrivalMs);
    if (!now.heading) {
        return "no heading";
    }
    return "heading " + std::to_string(std::lround(*now.heading) % 360) +
           (now.from == HeadingFrom::Compass ? " (compass)" : " (course)");
}

}  // namespace vantrel::live
