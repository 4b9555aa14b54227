#include "hunt_picture/hunt_at_time.hpp"

#include <algorithm>
#include <cmath>

#include "geodesy/transverse_mercator.hpp"

namespace vantrel::hunt_picture {
namespace {

constexpr hunt_log::TimeMs kMinute = 60'000;

core::PlanePoint InZone(geodesy::UtmZone zone, double lat, double lon) {
    return geodesy::ZoneLatLonToUtm(zone, lat, lon);
}

std::optional<hunt_log::TimeMs> NewestBearingTime(const hunt_log::HuntState& state, hunt_log::TimeMs time) {
    std::optional<hunt_log::TimeMs> newest;
    for (const auto& fox : state.foxes) {
        for (const hunt_log::FoxBearing& b : fox) {
            if (b.time <= time && (!newest || b.time > *newest)) {
                newest = b.time;
            }
        }
    }
    return newest;
}

std::string Ages(std::optional<hunt_log::TimeMs> eventTime, hunt_log::TimeMs huntTime,
                 std::optional<hunt_log::TimeMs> wallTime) {
    std::string text = AgeText(huntTime - *eventTime);
    if (wallTime) {
        text += " (" + AgeText(*wallTime - *eventTime) + " ago)";
    }
    return text;
}

std::string TwoDigits(long long value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

double RayOpacity(hunt_log::TimeMs age, hunt_log::TimeMs mostAge) {
    if (mostAge <= 0 || age <= 0) {
        return kNewRayOpacity;
    }
    if (age > mostAge) {
        return 0;
    }
    const double share = static_cast<double>(age) / static_cast<double>(mostAge);
    return kNewRayOpacity - (kNewRayOpacity - kOldestRayOpacity) * share;
}

HuntAtTime BuildHuntAtTime(const hunt_log::HuntState& state,
                           const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& fixes,
                           hunt_log::TimeMs time, hunt_log::TimeMs mostRayAge) {
    HuntAtTime layer;
    layer.time = time;
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        const fox_fix::FoxFix& fix = fixes.at(static_cast<std::size_t>(fox - 1));
        for (const hunt_log::FoxBearing& b : state.Fox(fox)) {
            const double opacity = RayOpacity(time - b.time, mostRayAge);
            if (opacity <= 0) {
                continue;
            }
            const locate::Bearing grid = fox_fix::GridBearingOf(b, state.zone);
            const locate::BearingFit* fit = fox_fix::FitOf(fix, b.id);
            layer.rays.push_back({fox - 1,
                                  {grid.x, grid.y},
                                  grid.bearingDeg,
                                  opacity,
                                  fit != nullptr && fit->rejected,
                                  b.ignored});
        }
        if (fix.outcome && fix.outcome->fix) {
            layer.fixes.push_back({fox - 1,
                                   {fix.outcome->fix->x, fix.outcome->fix->y},
                                   LocateEllipseOutline(*fix.outcome->fix)});
        }
    }
    layer.track.reserve(state.track.size());
    for (const hunt_log::PositionEvent& p : state.track) {
        layer.track.push_back(InZone(state.zone, p.lat, p.lon));
    }
    if (state.lastPosition) {
        const hunt_log::PositionEvent& p = *state.lastPosition;
        CarMark car{InZone(state.zone, p.lat, p.lon)};
        if (std::isfinite(p.course)) {
            car.course = geodesy::GridBearing(state.zone, p.lat, p.lon, p.course);
        }
        layer.car = car;
    }
    return layer;
}

void AddTruth(HuntAtTime& layer, int fox, double lat, double lon, geodesy::UtmZone zone) {
    TruthMark mark{fox - 1, InZone(zone, lat, lon), std::nullopt};
    for (const LogFix& fix : layer.fixes) {
        if (fix.fox == mark.fox) {
            mark.fixDistance = std::hypot(fix.position.x - mark.position.x, fix.position.y - mark.position.y);
        }
    }
    layer.truth.push_back(mark);
}

std::optional<HuntSpan> SpanOf(const hunt_log::Log& log, const std::vector<hunt_log::PositionEvent>& track) {
    std::optional<HuntSpan> span;
    const auto take = [&span](hunt_log::TimeMs time) {
        span =
            span ? HuntSpan{std::min(span->first, time), std::max(span->last, time)} : HuntSpan{time, time};
    };
    for (const hunt_log::Event& event : log.events) {
        if (!std::holds_alternative<hunt_log::EditEvent>(event)) {
            take(hunt_log::TimeOf(event));
        }
    }
    for (const hunt_log::PositionEvent& p : track) {
        take(p.time);
    }
    return span;
}

std::optional<hunt_log::TimeMs> NextBearingTime(const hunt_log::Log& log, hunt_log::TimeMs time) {
    std::optional<hunt_log::TimeMs> next;
    for (const hunt_log::Event& event : log.events) {
        if (const auto* b = std::get_if<hunt_log::BearingEvent>(&event);
            b && b->time > time && (!next || b->time < *next)) {
            next = b->time;
        }
    }
    return next;
}

std::optional<hunt_log::TimeMs> PreviousBearingTime(const hunt_log::Log& log, hunt_log::TimeMs time) {
    std::optional<hunt_log::TimeMs> previous;
    for (const hunt_log::Event& event : log.events) {
        if (const auto* b = std::get_if<hunt_log::BearingEvent>(&event);
            b && b->time < time && (!previous || b->time > *previous)) {
            previous = b->time;
        }
    }
    return previous;
}

hunt_log::HuntState ReplayStateAt(const hunt_log::Log& log, const std::vector<hunt_log::PositionEvent>& track,
                                  hunt_log::TimeMs time, geodesy::UtmZone zone) {
    const auto span = SpanOf(log, track);
    const bool atEnd = !span || time >= span->last;
    hunt_log::HuntState state = hunt_log::StateAt(log, atEnd ? std::nullopt : std::optional(time), zone);
    if (track.empty()) {
        return state;
    }
    for (const hunt_log::PositionEvent& p : track) {
        if (p.time <= time) {
            state.track.push_back(p);
        }
    }
    std::stable_sort(state.track.begin(), state.track.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    if (!state.track.empty()) {
        state.lastPosition = state.track.back();
    }
    return state;
}

LiveFigures FiguresAt(const hunt_log::HuntState& state, hunt_log::TimeMs time) {
    LiveFigures figures;
    for (const auto& fox : state.foxes) {
        figures.bearingsLastMinute +=
            static_cast<std::size_t>(std::count_if(fox.begin(), fox.end(), [&](const auto& b) {
                return b.time <= time && b.time > time - kMinute;
            }));
    }
    if (const auto newest = NewestBearingTime(state, time)) {
        figures.lastBearingAge = time - *newest;
    }
    for (auto p = state.track.rbegin(); p != state.track.rend(); ++p) {
        if (p->time <= time) {
            figures.positionAge = time - p->time;
            break;
        }
    }
    return figures;
}

std::string AgeText(hunt_log::TimeMs age) {
    const long long seconds = std::max<hunt_log::TimeMs>(age, 0) / 1000;
    if (seconds < 60) {
        return std::to_string(seconds) + " s";
    }
    if (seconds < 3600) {
        return std::to_string(seconds / 60) + " min " + TwoDigits(seconds % 60) + " s";
    }
    return std::to_string(seconds / 3600) + " h " + TwoDigits(seconds / 60 % 60) + " min";
}

std::string LiveStatusText(const hunt_log::HuntState& state, hunt_log::TimeMs huntTime,
                           std::optional<hunt_log::TimeMs> wallTime) {
    const LiveFigures figures = FiguresAt(state, huntTime);
    const std::size_t perMinute = figures.bearingsLastMinute;
    std::string text = std::to_string(perMinute) + (perMinute == 1 ? " bearing/min, " : " bearings/min, ");
    if (figures.lastBearingAge) {
        text += "last bearing " + Ages(huntTime - *figures.lastBearingAge, huntTime, wallTime);
    } else {
        text += "no bearing";
    }
    if (figures.positionAge) {
        text += ", GPS " + Ages(huntTime - *figures.positionAge, huntTime, wallTime);
    } else {
        text += ", no GPS";
    }
    return text;
}

}  // namespace vantrel::hunt_picture
