#include "live/track.hpp"

#include <cmath>
#include <numbers>

namespace vantrel::live {
namespace {

constexpr double kEarthRadiusM = 6371008.8;
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

// Longitude difference b - a folded into [-180, 180).
double LonDelta(double a, double b) {
    double delta = std::fmod(b - a + 540.0, 360.0) - 180.0;
    return delta < -180 ? delta + 360 : delta;
}

double FoldedLon(double lon) {
    return LonDelta(0, lon);
}

// Where the fix's course and speed take the car by time t (backwards for an earlier t), at most 3 s away;
// the fix's own position when either is unknown.
std::optional<LatLon> Reckoned(const instruments::GpsSample& fix, TimeMs t) {
    const TimeMs ahead = t - fix.timeMs;
    if (ahead > kFreshMs || ahead < -kFreshMs) {
        return std::nullopt;
    }
    if (std::isnan(fix.course) || std::isnan(fix.speed)) {
        return LatLon{fix.lat, fix.lon};
    }
    const double distance = fix.speed * static_cast<double>(ahead) / 1000;
    const double course = fix.course * kRadiansPerDegree;
    const double lat = fix.lat + distance * std::cos(course) / kEarthRadiusM / kRadiansPerDegree;
    const double lon = fix.lon + distance * std::sin(course) /
                                     (kEarthRadiusM * std::cos(fix.lat * kRadiansPerDegree)) /
                                     kRadiansPerDegree;
    return LatLon{lat, FoldedLon(lon)};
}

}  // namespace

double DistanceM(LatLon a, LatLon b) {
    const double meanLat = (a.lat + b.lat) / 2 * kRadiansPerDegree;
    const double x = LonDelta(a.lon, b.lon) * kRadiansPerDegree * std::cos(meanLat);
    const double y = (b.lat - a.lat) * kRadiansPerDegree;
    return kEarthRadiusM * std::hypot(x, y);
}

std::optional<hunt_log::PositionEvent> Track::Add(const instruments::GpsSample& fix, TimeMs arrivalMs) {
    if (!fixes_.empty() && fix.timeMs <= fixes_.back().sample.timeMs) {
        ++dropped_;
        return std::nullopt;
    }
    fixes_.push_back(Fix{fix, arrivalMs});
    while (fixes_.front().sample.timeMs < fix.timeMs - kKeepMs) {
        fixes_.pop_front();
    }
    const hunt_log::PositionEvent event{fix.timeMs, fix.lat, fix.lon, fix.course, fix.speed};
    if (lastLogged_) {
        const TimeMs since = fix.timeMs - lastLogged_->time;
        const double moved = DistanceM({lastLogged_->lat, lastLogged_->lon}, {fix.lat, fix.lon});
        if (since < kLeastPositionGapMs || (moved < kLeastPositionMoveM && since < kPositionRefreshMs)) {
            return std::nullopt;
        }
    }
    lastLogged_ = event;
    return event;
}

std::optional<instruments::GpsSample> Track::Fresh(TimeMs nowMs) const {
    if (fixes_.empty() || nowMs - fixes_.back().arrivalMs > kFreshMs) {
        return std::nullopt;
    }
    return fixes_.back().sample;
}

std::string Track::FixAgeText(TimeMs nowMs) const {
    if (fixes_.empty()) {
        return "no GPS";
    }
    const TimeMs age = std::max<TimeMs>(0, nowMs - fixes_.back().arrivalMs);
    const std::string seconds = "GPS " + std::to_string(age / 1000) + " s";
    return age > kFreshMs ? seconds + " old" : seconds;
}

std::optional<TimeMs> Track::HuntTime(TimeMs arrivalMs) const {
    if (!Fresh(arrivalMs)) {
        return std::nullopt;
    }
    return fixes_.back().sample.timeMs + (arrivalMs - fixes_.back().arrivalMs);
}

std::optional<LatLon> Track::PositionAt(TimeMs t) const {
    if (fixes_.empty()) {
        return std::nullopt;
    }
    if (t < fixes_.front().sample.timeMs) {
        return Reckoned(fixes_.front().sample, t);
    }
    if (t >= fixes_.back().sample.timeMs) {
        return Reckoned(fixes_.back().sample, t);
    }
    // The first fix after t (there is one: t is before the latest).
    std::size_t after = fixes_.size() - 1;
    while (after > 0 && fixes_[after - 1].sample.timeMs > t) {
        --after;
    }
    const instruments::GpsSample& b = fixes_[after].sample;
    const instruments::GpsSample& a = fixes_[after - 1].sample;
    if (t - a.timeMs > kFreshMs && b.timeMs - t > kFreshMs) {
        return std::nullopt;
    }
    const double share = static_cast<double>(t - a.timeMs) / static_cast<double>(b.timeMs - a.timeMs);
    return LatLon{a.lat + (b.lat - a.lat) * share, FoldedLon(a.lon + LonDelta(a.lon, b.lon) * share)};
}

}  // namespace vantrel::live
