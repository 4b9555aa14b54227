#include "fox_fix/settle.hpp"

#include <algorithm>
#include <cmath>

#include "fox_fix/fox_fix.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/hunt_state.hpp"

namespace vantrel::fox_fix {
namespace {

std::optional<locate::Fix> FixAt(const hunt_log::Log& log, std::optional<hunt_log::TimeMs> time, int fox,
                                 const locate::Options& options) {
    const FoxFix fix = FixOfFox(hunt_log::StateAt(log, time), fox, options);
    if (!fix.outcome || !fix.outcome->fix) {
        return std::nullopt;
    }
    return fix.outcome->fix;
}

// The moments of the fox's bearings from its second on, at most `most` of them, evenly spread.
std::vector<hunt_log::TimeMs> Moments(const std::vector<hunt_log::FoxBearing>& bearings, std::size_t most) {
    std::vector<hunt_log::TimeMs> times;
    for (std::size_t i = 1; i < bearings.size(); ++i) {
        times.push_back(bearings[i].time);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    if (times.size() <= most || most < 2) {
        return times;
    }
    std::vector<hunt_log::TimeMs> thinned;
    for (std::size_t k = 0; k < most; ++k) {
        thinned.push_back(times[k * (times.size() - 1) / (most - 1)]);
    }
    return thinned;
}

}  // namespace

std::vector<SettleSeries> SettleOverTime(const hunt_log::Log& log, const locate::Options& options,
                                         std::optional<int> fox, std::size_t most) {
    std::vector<SettleSeries> all;
    const hunt_log::HuntState whole = hunt_log::StateAt(log);
    for (int f = fox.value_or(1); f <= fox.value_or(hunt_log::kFoxCount); ++f) {
        SettleSeries series;
        series.fox = f;
        std::optional<core::PlanePoint> reference;
        for (const hunt_log::TruthFox& truth : log.truth) {
            if (truth.fox == f) {
                reference = geodesy::ZoneLatLonToUtm(whole.zone, truth.lat, truth.lon);
                series.againstTruth = true;
            }
        }
        if (!reference) {
            if (const auto final = FixAt(log, std::nullopt, f, options)) {
                reference = core::PlanePoint{final->x, final->y};
            }
        }
        if (!reference) {
            continue;
        }
        for (const hunt_log::TimeMs time : Moments(whole.Fox(f), most)) {
            if (const auto fix = FixAt(log, time, f, options)) {
                series.points.push_back({time, std::hypot(fix->x - reference->x, fix->y - reference->y),
                                         fix->ellipse ? fix->ellipse->semiMajor : hunt_log::kUnknown});
            }
        }
        if (!series.points.empty()) {
            all.push_back(std::move(series));
        }
    }
    return all;
}

}  // namespace vantrel::fox_fix
