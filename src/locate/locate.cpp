#include "locate/locate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "locate/estimate.hpp"

namespace vantrel::locate {
namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kSingular = 1e-12;  // determinant over trace^2 below which the lines are parallel

// sin and cos of an angle in degrees, exact at the multiples of 90 (reduced to within 45 degrees first), so
// that a bearing due north or east gives lines exactly along the grid.
Vec2 CosSinDegrees(double degrees) {
    double r = std::remainder(degrees, 360.0);
    const long quadrant = std::lround(r / 90);
    r = (r - 90 * static_cast<double>(quadrant)) * kDegree;
    const double s = std::sin(r);
    const double c = std::cos(r);
    switch (quadrant & 3) {
        case 0:
            return Vec2{c, s};
        case 1:
            return Vec2{-s, c};
        case 2:
            return Vec2{-c, -s};
        default:
            return Vec2{s, -c};
    }
}

bool InRange(const Bearing& b) {
    const bool sigmaOk = !b.sigmaDeg || (*b.sigmaDeg > 0 && *b.sigmaDeg <= 90);
    return std::isfinite(b.x) && std::isfinite(b.y) && b.bearingDeg >= 0 && b.bearingDeg <= 360 && sigmaOk;
}

bool ValidInput(std::span<const Bearing> bearings, const Options& options) {
    const bool optionsOk = std::isfinite(options.tuning) && options.tuning > 0 && options.confidence > 0 &&
                           options.confidence < 1 &&
                           (!options.sigmaDeg || (*options.sigmaDeg > 0 && *options.sigmaDeg <= 90));
    return optionsOk && bearings.size() >= 2 && std::all_of(bearings.begin(), bearings.end(), InRange);
}

Problem MakeProblem(std::span<const Bearing> bearings, const Options& options) {
    Problem problem;
    const double n = static_cast<double>(bearings.size());
    for (const Bearing& b : bearings) {
        problem.centroid.x += b.x / n;
        problem.centroid.y += b.y / n;
    }
    for (const Bearing& b : bearings) {
        problem.scale =
            std::max(problem.scale, std::hypot(b.x - problem.centroid.x, b.y - problem.centroid.y));
    }
    bool everySigma = true;
    for (const Bearing& b : bearings) {
        // theta = 90 - b: cos theta = sin b, sin theta = cos b.
        const Vec2 cosSinB = CosSinDegrees(b.bearingDeg);
        const Vec2 position{(b.x - problem.centroid.x) / problem.scale,
                            (b.y - problem.centroid.y) / problem.scale};
        problem.stations.push_back(Station{position, cosSinB.y, cosSinB.x});
        const std::optional<double> sigma = b.sigmaDeg ? b.sigmaDeg : options.sigmaDeg;
        everySigma = everySigma && sigma.has_value();
        problem.sigmaKappas.push_back(sigma ? KappaFromSigma(*sigma) : 0);
    }
    if (!everySigma) {
        problem.sigmaKappas.clear();
    }
    return problem;
}

// The least-squares crossing: sum over n n^T (p - s) = 0 with n the normal of each line; the lines of
// `leftOut` do not count.
std::optional<Vec2> LeastSquaresCrossing(const Problem& problem,
                                         const std::vector<std::size_t>& leftOut = {}) {
    Sym2 normalSum;
    Vec2 rhs;
    for (std::size_t i = 0; i < problem.stations.size(); ++i) {
        if (std::find(leftOut.begin(), leftOut.end(), i) != leftOut.end()) {
            continue;
        }
        const Station& s = problem.stations[i];
        const Vec2 n{s.sinTheta, -s.cosTheta};
        normalSum.xx += n.x * n.x;
        normalSum.xy += n.x * n.y;
        normalSum.yy += n.y * n.y;
        const double offset = n.x * s.position.x + n.y * s.position.y;
        rhs.x += n.x * offset;
        rhs.y += n.y * offset;
    }
    const double trace = normalSum.xx + normalSum.yy;
    if (!(Determinant(normalSum) > kSingular * trace * trace)) {
        return std::nullopt;
    }
    return Solve(normalSum, rhs);
}

// A start on a station (bearings from one place crossing there) is moved a little ahead along that
// station's bearing, where the directions to every station are defined. R grows to cover the start.
Vec2 OffTheStations(Problem& problem, Vec2 start) {
    problem.radius = std::max(problem.radius, Length(start));
    for (const Station& s : problem.stations) {
        if (Length(start - s.position) <= 1e-9 * problem.radius) {
            start = start + Vec2{s.cosTheta, s.sinTheta} * (1e-4 * problem.radius);
        }
    }
    return start;
}

// Q in the problem's units (it scales as 1 / length^2), V = Q^-1 back in square metres.
std::optional<Covariance> CovarianceAt(const Problem& problem, const std::vector<double>& cosines,
                                       const std::vector<double>& w, Vec2 p) {
    const auto kappas = KappasOf(problem, cosines, w);
    if (!kappas) {
        return std::nullopt;
    }
    Sym2 q;
    for (std::size_t i = 0; i < problem.stations.size(); ++i) {
        const Station& s = problem.stations[i];
        const Vec2 d = p - s.position;
        const double length = Length(d);
        const double d3 = length * length * length;
        const double sStar = (*kappas)[i] * w[i] * d.y / d3;
        const double cStar = (*kappas)[i] * w[i] * d.x / d3;
        q.xx += sStar * s.sinTheta;
        q.xy -= (sStar * s.cosTheta + cStar * s.sinTheta) / 2;
        q.yy += cStar * s.cosTheta;
    }
    if (!PositiveDefinite(q)) {
        return std::nullopt;
    }
    const Sym2 v = Inverse(q);
    const double s2 = problem.scale * problem.scale;
    Covariance c{
        v.xx * s2, v.xy * s2, v.yy * s2, std::sqrt(v.xx) * problem.scale, std::sqrt(v.yy) * problem.scale, 0};
    c.rho = std::clamp(v.xy / std::sqrt(v.xx * v.yy), -1.0, 1.0);
    if (!std::isfinite(c.xx) || !std::isfinite(c.yy) || !std::isfinite(c.xy) || !std::isfinite(c.rho)) {
        return std::nullopt;
    }
    return c;
}

std::optional<Ellipse> EllipseOf(const Covariance& c, double confidence) {
    const double k2 = -2 * std::log1p(-confidence);
    const double mean = (c.xx + c.yy) / 2;
    const double spread = std::hypot((c.xx - c.yy) / 2, c.xy);
    const double major = mean + spread;
    const double minor = std::max(0.0, mean - spread);
    Ellipse e;
    e.semiMajor = std::sqrt(k2 * major);
    e.semiMinor = std::sqrt(k2 * minor);
    if (major - minor > 1e-9 * major) {
        e.azimuth = std::atan2(2 * c.xy, c.yy - c.xx) / 2 / kDegree;
        e.azimuth = e.azimuth < 0 ? e.azimuth + 180 : e.azimuth;
        e.azimuth = e.azimuth >= 180 ? e.azimuth - 180 : e.azimuth;
    }
    e.area = std::numbers::pi * k2 * std::sqrt(std::max(0.0, c.xx * c.yy - c.xy * c.xy));
    if (!std::isfinite(e.semiMajor) || !std::isfinite(e.area)) {
        return std::nullopt;
    }
    return e;
}

BearingFit FitOf(const Bearing& bearing, double weight, Vec2 fixInPlane) {
    const double toFix = std::atan2(fixInPlane.x - bearing.x, fixInPlane.y - bearing.y) / kDegree;
    BearingFit fit;
    fit.weight = weight;
    fit.residual = std::remainder(bearing.bearingDeg - toFix, 360.0);
    fit.residual = fit.residual <= -180 ? fit.residual + 360 : fit.residual;
    fit.behind = std::abs(fit.residual) > 90;
    fit.rejected = weight == 0;
    return fit;
}

Outcome NoFix(NoFixReason reason) {
    return Outcome{std::nullopt, reason};
}

// Two lines that cross behind a station (or on one) meet nowhere in front, yet L can still have a local
// maximum where neither bearing points (the lines diverge and the point lies off to one side of both):
// two bearings give their crossing when it lies ahead of both stations and no fix otherwise.
bool CrossingAheadOfBoth(const Problem& problem, Vec2 crossing) {
    for (const Station& s : problem.stations) {
        const Vec2 d = crossing - s.position;
        if (!(d.x * s.cosTheta + d.y * s.sinTheta > 0)) {
            return false;
        }
    }
    return true;
}

Outcome Describe(std::span<const Bearing> bearings, const Problem& problem, const Estimate& estimate,
                 const Options& options) {
    const std::vector<double> cosines = Cosines(problem, estimate.point);
    if (!(WeightedMean(cosines, estimate.weights) > 0)) {
        return NoFix(NoFixReason::kBehind);
    }
    Fix fix;
    fix.x = estimate.point.x * problem.scale + problem.centroid.x;
    fix.y = estimate.point.y * problem.scale + problem.centroid.y;
    fix.kappaHat = EstimatedKappa(cosines, estimate.weights);
    fix.covariance = CovarianceAt(problem, cosines, estimate.weights, estimate.point);
    if (fix.covariance) {
        fix.ellipse = EllipseOf(*fix.covariance, options.confidence);
    }
    fix.bearings.reserve(bearings.size());
    for (std::size_t i = 0; i < bearings.size(); ++i) {
        fix.bearings.push_back(FitOf(bearings[i], estimate.weights[i], Vec2{fix.x, fix.y}));
    }
    fix.iterations = estimate.steps;
    return Outcome{std::move(fix), NoFixReason::kNone};
}

// An ascent drawn onto a station (a bearing from near the fox that points elsewhere, with the other lines
// passing close by that station) has no maximum to reach; the local maximum the other bearings make is
// then sought from the crossing of the lines without that station (all bearings still count in L). Up to
// three stations are left out of the start this way, one after the other. `start` ends as the last start.
Estimate AwayFromStations(Problem& problem, Estimate estimate, Vec2& start) {
    std::vector<std::size_t> leftOut;
    while (estimate.failure == NoFixReason::kDiverged && estimate.drawnTo && leftOut.size() < 3) {
        leftOut.push_back(*estimate.drawnTo);
        const auto crossing = LeastSquaresCrossing(problem, leftOut);
        if (!crossing) {
            break;
        }
        start = OffTheStations(problem, *crossing);
        const int steps = estimate.steps;
        estimate = MaximumLikelihood(problem, start);
        estimate.steps += steps;
    }
    return estimate;
}

// Where the likelihood has no maximum but at a station, the robust rounds begin at the last start instead
// of the maximum-likelihood fix: their weights can take the offending bearing down, the likelihood cannot.
Estimate RobustFix(const Problem& problem, Estimate estimate, Vec2 start, const Options& options) {
    if (estimate.failure == NoFixReason::kDiverged && estimate.drawnTo) {
        const int steps = estimate.steps;
        estimate = Estimate{};
        estimate.point = start;
        estimate.weights.assign(problem.stations.size(), 1.0);
        estimate.steps = steps;
    }
    if (estimate.failure != NoFixReason::kNone) {
        return estimate;
    }
    return RobustRounds(problem, std::move(estimate), options);
}

}  // namespace

Outcome Locate(std::span<const Bearing> bearings, const Options& options) {
    if (!ValidInput(bearings, options)) {
        return NoFix(NoFixReason::kInvalidInput);
    }
    Problem problem = MakeProblem(bearings, options);
    const auto crossing = LeastSquaresCrossing(problem);
    if (!crossing) {
        return NoFix(NoFixReason::kParallel);
    }
    if (problem.stations.size() == 2 && !CrossingAheadOfBoth(problem, *crossing)) {
        return NoFix(NoFixReason::kBehind);
    }
    Vec2 start = OffTheStations(problem, *crossing);
    Estimate estimate = AwayFromStations(problem, MaximumLikelihood(problem, start), start);
    if (options.method != Method::kMle) {
        estimate = RobustFix(problem, std::move(estimate), start, options);
    }
    if (estimate.failure != NoFixReason::kNone) {
        return NoFix(estimate.failure);
    }
    return Describe(bearings, problem, estimate, options);
}

std::string_view ReasonText(NoFixReason reason) {
    switch (reason) {
        case NoFixReason::kParallel:
            return "parallel";
        case NoFixReason::kBehind:
            return "behind";
        case NoFixReason::kDiverged:
            return "diverged";
        case NoFixReason::kInvalidInput:
            return "invalid";
        case NoFixReason::kNone:
            break;
    }
    return "";
}

std::string_view MethodText(Method method) {
    switch (method) {
        case Method::kMle:
            return "mle";
        case Method::kHuber:
            return "huber";
        case Method::kAndrews:
            break;
    }
    return "andrews";
}

std::optional<Method> ParseMethod(std::string_view text) {
    for (const Method method : {Method::kMle, Method::kHuber, Method::kAndrews}) {
        if (text == MethodText(method)) {
            return method;
        }
    }
    return std::nullopt;
}

double KappaFromMeanCosine(double meanCosine) {
    return LenthKappa(meanCosine, 1 - meanCosine);
}

double KappaFromSigma(double sigmaDeg) {
    const double sigma = sigmaDeg * kDegree;
    const double oneMinus = -std::expm1(-sigma * sigma / 2);  // exact for the smallest sigmas too
    return LenthKappa(1 - oneMinus, oneMinus);
}

}  // namespace vantrel::locate
