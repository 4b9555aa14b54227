#include "picture_tools/rays.hpp"

#include <cmath>

#include "core/cross_fix.hpp"

namespace vantrel::picture_tools {
namespace {

constexpr double kEdgeMargin = 100;  // twips

// Which edge a ray tries first, and where it goes when it misses it.
enum class Fallback { Top, Bottom };

}  // namespace

Rgb FoxColour(int fox) {
    static constexpr std::array<Rgb, 5> kColours{
        {{0, 0, 250}, {250, 0, 0}, {250, 150, 50}, {255, 255, 0}, {150, 150, 150}}};
    return kColours.at(static_cast<std::size_t>(fox));
}

int RayWidth(double signal) {
    if (signal < -50) {
        return 4;
    }
    if (signal < -30) {
        return 3;
    }
    return 2;
}

RayEnd DrawRay(double x, double y, double a, double w, double h) {
    double xe = 0;
    double ye = 0;
    if (a == 0) {
        xe = x;
        ye = 0;
    } else if (a == 180) {
        xe = x;
        ye = h;
    } else {
        const double t = std::tan(a * core::kPi15 / 180);
        const bool rightEdge = a >= 0 && a <= 180;
        const Fallback fallback = (a >= 0 && a <= 90) || a < 0 || a > 270 ? Fallback::Top : Fallback::Bottom;
        if (rightEdge) {
            xe = w;
            ye = y - (w - x) / t;
        } else {
            xe = 0;
            ye = y + x / t;
        }
        // The lower bound is compared in double, the upper one with both sides in single precision.
        const bool meetsEdge =
            ye >= kEdgeMargin && static_cast<float>(ye) <= static_cast<float>(h + kEdgeMargin);
        if (!meetsEdge) {
            if (fallback == Fallback::Top) {
                ye = 0;
                xe = x + y * t;
            } else {
                ye = h;
                xe = x - t * (h - y);
            }
        }
    }
    return {static_cast<float>(xe), static_cast<float>(ye)};
}

std::array<Ray, 5> StationRays(const persistence::ScedRecord& station, float x, float y, double w, double h) {
    std::array<Ray, 5> rays{};
    for (std::size_t fox = 0; fox < rays.size(); ++fox) {
        const double a = core::AbsoluteBearing(station.Ang[fox], station.BaseAngle);
        rays[fox] =
            Ray{x, y, DrawRay(x, y, a, w, h), FoxColour(static_cast<int>(fox)), RayWidth(station.Sig[fox])};
    }
    return rays;
}

}  // namespace vantrel::picture_tools
