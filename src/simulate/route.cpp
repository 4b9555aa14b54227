#include "simulate/route.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geodesy/transverse_mercator.hpp"

namespace vantrel::simulate {

Route::Route(geodesy::UtmZone zone, const std::vector<Waypoint>& waypoints, double defaultSpeed) {
    std::vector<core::PlanePoint> points;
    for (const Waypoint& w : waypoints) {
        points.push_back(geodesy::ZoneLatLonToUtm(zone, w.lat, w.lon));
    }
    if (!points.empty()) {
        x0_ = points.front().x;
        y0_ = points.front().y;
    }
    double time = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        Leg leg;
        leg.x0 = points[i].x;
        leg.y0 = points[i].y;
        leg.dx = points[i + 1].x - leg.x0;
        leg.dy = points[i + 1].y - leg.y0;
        const double gridLength = std::hypot(leg.dx, leg.dy);
        if (gridLength == 0) {
            continue;
        }
        const double scale = geodesy::ZoneGridFactsAt(zone, leg.x0 + leg.dx / 2, leg.y0 + leg.dy / 2).scale;
        leg.speed = waypoints[i].speed.value_or(defaultSpeed);
        leg.begin = time;
        time += gridLength / scale / leg.speed;
        leg.end = time;
        leg.direction = std::atan2(leg.dx, leg.dy) * 180 / std::numbers::pi;
        leg.direction += leg.direction < 0 ? 360 : 0;
        legs_.push_back(leg);
    }
}

Route::Where Route::At(double seconds) const {
    if (legs_.empty()) {
        return {x0_, y0_, 0, 0};
    }
    const auto it = std::upper_bound(legs_.begin(), legs_.end(), seconds,
                                     [](double s, const Leg& leg) { return s < leg.end; });
    const Leg& leg = it == legs_.end() ? legs_.back() : *it;
    const double share = std::clamp((seconds - leg.begin) / (leg.end - leg.begin), 0.0, 1.0);
    return {leg.x0 + share * leg.dx, leg.y0 + share * leg.dy, leg.direction, leg.speed};
}

}  // namespace vantrel::simulate
