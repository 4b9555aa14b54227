#include "quality/fix_quality.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/number_text.hpp"
#include "instruments/bearing_table.hpp"

namespace vantrel::quality {
namespace {

constexpr double kRadiansPerDegree = core::kPi15 / 180;
constexpr int kLeastReadings = 3;
constexpr double kAverageTolerance = 0.01 + 1e-9;  // degrees; the slack absorbs the decimal rounding
constexpr double kAcuteLimit = 30;                 // degrees
constexpr double kApproximateRatio = 0.3;
constexpr double kCircleTolerance = 1e-9;

struct Direction {
    double x = 0;  // east
    double y = 0;  // north
};

Direction DirectionOf(double bearingDegrees) {
    const double r = bearingDegrees * kRadiansPerDegree;
    return {std::sin(r), std::cos(r)};
}

// The bearing table's own averaging over the readings' angles, as the table shows them.
std::optional<double> TableAverage(const std::vector<double>& angles) {
    std::vector<std::string> cells;
    cells.reserve(angles.size());
    for (const double angle : angles) {
        cells.push_back(core::DefaultText(angle, '.'));
    }
    const std::vector<double> noSignals(angles.size(), 0.0);
    const instruments::ColumnAverage average = instruments::AverageColumn(cells, noSignals, '.');
    return core::ReadRegional(average.mean, '.');
}

// The difference of two bearings round the circle, in [0, 180].
double CircularDifference(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360 - d);
}

// rho2 of the readings (see the header); <= 0 when they spread all round.
double SquaredResultant(const std::vector<double>& angles) {
    double sumSin = 0;
    double sumCos = 0;
    for (const double angle : angles) {
        sumSin += std::sin(angle * kRadiansPerDegree);
        sumCos += std::cos(angle * kRadiansPerDegree);
    }
    const double n = static_cast<double>(angles.size());
    const double resultant = std::hypot(sumSin, sumCos) / n;
    return (n * resultant * resultant - 1) / (n - 1);
}

std::optional<Ellipse> EllipseOf(double a, double b, double c, double confidence) {
    const double k = -2 * std::log(1 - confidence);
    const double mean = (a + c) / 2;
    const double spread = std::sqrt(((a - c) / 2) * ((a - c) / 2) + b * b);
    const double major = mean + spread;
    const double minor = std::max(mean - spread, 0.0);  // rounding may leave a degenerate one below 0
    Ellipse e;
    e.semiMajor = std::sqrt(k * major);
    e.semiMinor = std::sqrt(k * minor);
    if (major - minor > kCircleTolerance * major) {
        double azimuth = 0.5 * std::atan2(2 * b, c - a) / kRadiansPerDegree;
        if (azimuth < 0) {
            azimuth += 180;
        }
        e.azimuth = azimuth >= 180 ? azimuth - 180 : azimuth + 0.0;  // + 0.0: never -0
    }
    if (!std::isfinite(e.semiMajor) || !std::isfinite(e.semiMinor) || !std::isfinite(e.azimuth)) {
        return std::nullopt;
    }
    return e;
}

void SetRatioFlags(FixQuality& q) {
    if (!q.ellipse) {
        return;
    }
    const double range = std::min(std::fabs(q.t1), std::fabs(q.t2));
    if (range == 0) {
        q.unreliable = true;  // on a station: that station's bearing says nothing about the position
        return;
    }
    const double ratio = q.ellipse->semiMajor / range;
    q.unreliable = ratio > 1;
    q.approximate = ratio > kApproximateRatio && ratio <= 1;
}

struct FoxGeometry {
    double bearing1 = 0;  // box values, relative to the base angles
    double bearing2 = 0;
    double a1 = 0;  // absolute bearings
    double a2 = 0;
    core::PlanePoint station1;
    core::PlanePoint station2;
};

std::optional<FoxGeometry> ReadFoxGeometry(const core::MeasurementState& state, int fox,
                                           char decimalSeparator) {
    using core::BoxKind;
    const auto values = core::ReadBoxes(state,
                                        {{1, BoxKind::Bearing, fox},
                                         {1, BoxKind::BaseAngle, 0},
                                         {2, BoxKind::Bearing, fox},
                                         {2, BoxKind::BaseAngle, 0},
                                         {1, BoxKind::Northing, 0},
                                         {1, BoxKind::Easting, 0},
                                         {2, BoxKind::Northing, 0},
                                         {2, BoxKind::Easting, 0}},
                                        decimalSeparator);
    if (!values) {
        return std::nullopt;
    }
    const std::vector<double>& v = *values;
    return FoxGeometry{v[0],
                       v[2],
                       core::AbsoluteBearing(v[0], v[1]),
                       core::AbsoluteBearing(v[2], v[3]),
                       core::PlanePoint{v[5], v[4]},
                       core::PlanePoint{v[7], v[6]}};
}

}  // namespace

std::vector<std::string> FixQuality::FlagNames() const {
    const std::pair<bool, const char*> flags[] = {
        {behind1, "behind1"},         {behind2, "behind2"},       {acute, "acute"},
        {approximate, "approximate"}, {unreliable, "unreliable"}, {scattered1, "scattered1"},
        {scattered2, "scattered2"},
    };
    std::vector<std::string> names;
    for (const auto& [set, name] : flags) {
        if (set) {
            names.emplace_back(name);
        }
    }
    return names;
}

std::string FixQuality::FlagsText() const {
    std::string text;
    for (const std::string& name : FlagNames()) {
        text += (text.empty() ? "" : ",") + name;
    }
    return text.empty() ? "-" : text;
}

BearingSigma StationBearingSigma(const instruments::RxReadings& readings, int station, int fox,
                                 double boxBearing, const QualitySettings& settings) {
    const BearingSigma typed{settings.bearingSigma, false};
    std::vector<double> angles;
    for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
        const instruments::RxReading& reading = readings(station, fox, row);
        if (reading.Valid == 1) {
            angles.push_back(reading.Angle);
        }
    }
    if (static_cast<int>(angles.size()) < kLeastReadings || !std::isfinite(boxBearing)) {
        return typed;
    }
    const auto average = TableAverage(angles);
    if (!average || !(CircularDifference(*average, boxBearing) <= kAverageTolerance)) {
        return typed;
    }
    const double rho2 = SquaredResultant(angles);
    if (!(rho2 > 0)) {
        return {std::nullopt, true};
    }
    const double spread = rho2 >= 1 ? 0.0 : std::sqrt(-std::log(rho2)) / kRadiansPerDegree;
    const double n = static_cast<double>(angles.size());
    const double floor = settings.bearingSigmaFloor;
    return {std::sqrt(floor * floor + spread * spread / n), true};
}

std::optional<FixQuality> AssessFix(double a1, double a2, core::PlanePoint station1,
                                    core::PlanePoint station2, core::PlanePoint fix,
                                    std::optional<double> sigma1, std::optional<double> sigma2,
                                    double confidence) {
    const Direction u1 = DirectionOf(a1);
    const Direction u2 = DirectionOf(a2);
    const double d = u1.x * u2.y - u1.y * u2.x;
    const double dx = station2.x - station1.x;
    const double dy = station2.y - station1.y;
    if (core::IsNorthSouth(a1 - a2) || d == 0 || std::isnan(d)) {
        return std::nullopt;  // parallel, as Calculate sees it
    }
    FixQuality q;
    q.northing = fix.y;
    q.easting = fix.x;
    q.t1 = (dx * u2.y - dy * u2.x) / d;
    q.t2 = (dx * u1.y - dy * u1.x) / d;
    if (!std::isfinite(q.t1) || !std::isfinite(q.t2) || !std::isfinite(fix.y) || !std::isfinite(fix.x)) {
        return std::nullopt;
    }
    const double cosine = std::clamp(u1.x * u2.x + u1.y * u2.y, -1.0, 1.0);
    q.crossing = std::acos(cosine) / kRadiansPerDegree;
    q.sigma1 = sigma1;
    q.sigma2 = sigma2;
    q.scattered1 = !sigma1;
    q.scattered2 = !sigma2;
    q.behind1 = q.t1 <= 0;
    q.behind2 = q.t2 <= 0;
    q.acute = std::min(q.crossing, 180 - q.crossing) < kAcuteLimit;
    if (sigma1 && sigma2) {
        // Each station's bearing error moves the fix along the other station's line.
        const double w1 =
            q.t1 * q.t1 * (*sigma1 * kRadiansPerDegree) * (*sigma1 * kRadiansPerDegree) / (d * d);
        const double w2 =
            q.t2 * q.t2 * (*sigma2 * kRadiansPerDegree) * (*sigma2 * kRadiansPerDegree) / (d * d);
        const double a = w1 * u2.x * u2.x + w2 * u1.x * u1.x;
        const double b = w1 * u2.x * u2.y + w2 * u1.x * u1.y;
        const double c = w1 * u2.y * u2.y + w2 * u1.y * u1.y;
        q.ellipse = EllipseOf(a, b, c, confidence);
        // Known deviations and still no ellipse: the numbers overflow, far too large to mean anything.
        q.unreliable = !q.ellipse.has_value();
    }
    SetRatioFlags(q);
    return q;
}

std::array<std::optional<FixQuality>, core::kFoxCount> AssessFixes(const core::MeasurementState& state,
                                                                   const instruments::RxReadings& readings,
                                                                   const QualitySettings& settings,
                                                                   char decimalSeparator) {
    std::array<std::optional<FixQuality>, core::kFoxCount> result;
    if (!state.ResultsValid) {
        return result;
    }
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        const auto i = static_cast<std::size_t>(fox);
        if (state.ResLat[i] == core::kNoMatch) {
            continue;
        }
        const auto g = ReadFoxGeometry(state, fox, decimalSeparator);
        if (!g) {
            continue;
        }
        // The boxes must still give the fix shown: Calculate's own intersection, bit for bit.
        const auto fix = core::CrossFix(g->a1, g->a2, g->station1, g->station2);
        if (!fix || fix->x != state.FoxEast[i] || fix->y != state.FoxNorth[i]) {
            continue;
        }
        const BearingSigma s1 = StationBearingSigma(readings, 0, fox, g->bearing1, settings);
        const BearingSigma s2 = StationBearingSigma(readings, 1, fox, g->bearing2, settings);
        result[i] = AssessFix(g->a1, g->a2, g->station1, g->station2, *fix, s1.degrees, s2.degrees,
                              settings.confidence);
    }
    return result;
}

std::vector<core::PlanePoint> EllipseOutline(const FixQuality& fix, int points) {
    std::vector<core::PlanePoint> outline;
    if (!fix.ellipse || points < 3) {
        return outline;
    }
    const Ellipse& e = *fix.ellipse;
    const Direction major = DirectionOf(e.azimuth);
    const Direction minor = DirectionOf(e.azimuth + 90);
    outline.reserve(static_cast<std::size_t>(points) + 1);
    for (int j = 0; j < points; ++j) {
        const double phi = 2 * core::kPi15 * j / points;
        const double along = e.semiMajor * std::cos(phi);
        const double across = e.semiMinor * std::sin(phi);
        outline.push_back({fix.easting + along * major.x + across * minor.x,
                           fix.northing + along * major.y + across * minor.y});
    }
    outline.push_back(outline.front());
    return outline;
}

}  // namespace vantrel::quality
