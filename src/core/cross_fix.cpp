#include "core/cross_fix.hpp"

#include <cmath>
#include <vector>

#include "core/number_text.hpp"

namespace vantrel::core {
namespace {

constexpr double kAngleTolerance = 1e-9;  // degrees

// The line y = slope * x + intercept, or x = station.x when it runs north-south.
struct BearingLine {
    bool northSouth = false;
    double x = 0;
    double slope = 0;
    double intercept = 0;
};

BearingLine LineThrough(PlanePoint station, double bearing) {
    BearingLine line;
    if (IsNorthSouth(bearing)) {
        line.northSouth = true;
        line.x = station.x;
        return line;
    }
    const double r = bearing * kPi15 / 180;
    line.slope = 1 / std::tan(r);
    line.intercept = station.y - line.slope * station.x;
    return line;
}

struct FoxBoxes {
    double bearing1 = 0;
    double base1 = 0;
    double bearing2 = 0;
    double base2 = 0;
};

}  // namespace

double AbsoluteBearing(double bearing, double baseAngle) {
    double a = bearing + baseAngle;
    if (a >= 360) {
        a = a - 360;
    }
    return a;
}

bool IsNorthSouth(double degrees) {
    if (!std::isfinite(degrees)) {
        return false;
    }
    const double rest = std::fabs(std::fmod(degrees, 180.0));
    return rest <= kAngleTolerance || rest >= 180.0 - kAngleTolerance;
}

std::optional<PlanePoint> CrossFix(double a1, double a2, PlanePoint station1, PlanePoint station2) {
    const BearingLine l1 = LineThrough(station1, a1);
    const BearingLine l2 = LineThrough(station2, a2);
    PlanePoint fix;
    if (l1.northSouth && l2.northSouth) {
        return std::nullopt;
    }
    if (l1.northSouth) {
        fix.x = l1.x;
        fix.y = l2.slope * fix.x + l2.intercept;
    } else if (l2.northSouth) {
        fix.x = l2.x;
        fix.y = l1.slope * fix.x + l1.intercept;
    } else {
        if (IsNorthSouth(a1 - a2)) {
            return std::nullopt;  // parallel
        }
        fix.x = (l2.intercept - l1.intercept) / (l1.slope - l2.slope);
        fix.y = l1.slope * fix.x + l1.intercept;
    }
    if (!std::isfinite(fix.x) || !std::isfinite(fix.y)) {
        return std::nullopt;
    }
    return fix;
}

Outcome Calculate(MeasurementState& state, char decimalSeparator) {
    // Read every box first, in the order the computation uses them, so a bad box changes nothing.
    std::vector<BoxId> order;
    for (int fox = 0; fox < kFoxCount; ++fox) {
        order.push_back({1, BoxKind::Bearing, fox});
        order.push_back({1, BoxKind::BaseAngle, 0});
        order.push_back({2, BoxKind::Bearing, fox});
        order.push_back({2, BoxKind::BaseAngle, 0});
        order.push_back({1, BoxKind::Northing, 0});
        order.push_back({1, BoxKind::Easting, 0});
        order.push_back({2, BoxKind::Northing, 0});
        order.push_back({2, BoxKind::Easting, 0});
    }
    const auto values = ReadBoxes(state, order, decimalSeparator);
    if (!values) {
        return values.outcome();
    }
    constexpr std::size_t kPerFox = 8;
    const std::vector<double>& v = *values;
    const PlanePoint station1{v[5], v[4]};
    const PlanePoint station2{v[7], v[6]};
    state.ScedNorth = {station1.y, station2.y};
    state.ScedEast = {station1.x, station2.x};

    for (std::size_t fox = 0; fox < kFoxCount; ++fox) {
        const double* f = &v[fox * kPerFox];
        const double a1 = AbsoluteBearing(f[0], f[1]);
        const double a2 = AbsoluteBearing(f[2], f[3]);
        if (const auto fix = CrossFix(a1, a2, station1, station2)) {
            state.FoxEast[fox] = fix->x;
            state.FoxNorth[fox] = fix->y;
            state.ResLat[fox] = FormatPattern(fix->y, "0000000.0", decimalSeparator);
            state.ResLon[fox] = FormatPattern(fix->x, "0000000.0", decimalSeparator);
        } else {
            state.ResLat[fox] = kNoMatch;
            state.ResLon[fox] = kNoMatch;
        }
    }
    state.ResultsValid = true;
    return Outcome::Ok();
}

}  // namespace vantrel::core
