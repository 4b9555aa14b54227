#include "locate/locate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "locate/plane_math.hpp"

namespace vantrel::locate {
namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kSingular = 1e-12;         // determinant over trace^2 below which the lines are parallel
constexpr double kStepTolerance = 1e-10;    // of the mean station distance
constexpr double kRunaway = 1000;           // times R from the centroid: the ascent left for infinity
constexpr double kWeightTolerance = 1e-12;  // change of any weight that ends the robust rounds
constexpr double kSmallT = 1e-5;            // below this t a bearing keeps its full weight
constexpr double kUnitCosine = 1e-12;       // 1 - C-bar below this: every line through the point
constexpr int kMaxSteps = 200;              // Newton steps of one ascent
constexpr int kMaxRounds = 500;             // robust rounds

// The bearings in coordinates about the stations' centroid (UTM coordinates are millions of metres; the
// differences are what matters), with their direction as a mathematical angle and its sine and cosine.
struct Problem {
    std::vector<Station> stations;
    Vec2 centroid;
    double radius = 1;                // R: the largest distance of a station from the centroid, >= 1 m
    std::vector<double> sigmaKappas;  // from the sigmas, one per bearing; empty unless every bearing has one
};

// Lenth's f(C) given C and 1 - C (the latter computed without cancellation where it can be).
double Kappa(double c, double oneMinusC) {
    if (!(c > 0 && oneMinusC > 0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double u = oneMinusC;
    return 1 / (2 * u + u * u * (0.48794 - 0.82905 * c - 1.3915 * c * c) / c);
}

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
    for (const Bearing& b : bearings) {
        problem.centroid.x += b.x / static_cast<double>(bearings.size());
        problem.centroid.y += b.y / static_cast<double>(bearings.size());
    }
    bool everySigma = true;
    for (const Bearing& b : bearings) {
        // theta = 90 - b: cos theta = sin b, sin theta = cos b.
        const Vec2 cosSinB = CosSinDegrees(b.bearingDeg);
        problem.stations.push_back(
            Station{Vec2{b.x - problem.centroid.x, b.y - problem.centroid.y}, cosSinB.y, cosSinB.x});
        problem.radius = std::max(problem.radius, Length(problem.stations.back().position));
        const std::optional<double> sigma = b.sigmaDeg ? b.sigmaDeg : options.sigmaDeg;
        everySigma = everySigma && sigma.has_value();
        problem.sigmaKappas.push_back(sigma ? KappaFromSigma(*sigma) : 0);
    }
    if (!everySigma) {
        problem.sigmaKappas.clear();
    }
    return problem;
}

// The least-squares crossing: sum over n n^T (p - s) = 0 with n the normal of each line.
std::optional<Vec2> LeastSquaresCrossing(const Problem& problem) {
    Sym2 normalSum;
    Vec2 rhs;
    for (const Station& s : problem.stations) {
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
            start = start + Vec2{s.cosTheta, s.sinTheta} * (1e-6 * problem.radius);
        }
    }
    return start;
}

// The step of one ascent iteration: Newton's where the Hessian is negative definite, else the scoring step
// (the information matrix in place of the Hessian), else along the gradient.
Vec2 AscentDirection(const Derivatives& at, double meanDistance) {
    const Sym2 negativeHessian{-at.hessian.xx, -at.hessian.xy, -at.hessian.yy};
    if (PositiveDefinite(negativeHessian)) {
        return Solve(negativeHessian, at.gradient);
    }
    if (PositiveDefinite(at.information)) {
        return Solve(at.information, at.gradient);
    }
    const double g = Length(at.gradient);
    return g > 0 ? at.gradient * (meanDistance / g) : Vec2{};
}

struct Ascent {
    Vec2 point;
    NoFixReason failure = NoFixReason::kNone;
    int steps = 0;
};

// Backtracking along `direction`: the first of 1, 1/2, 1/4, ... that does not lower L (beyond its
// rounding), or nullopt when none does.
std::optional<Vec2> LineSearch(const Problem& problem, const std::vector<double>& a, Vec2 from, double value,
                               Vec2 direction) {
    const double slack = 8 * std::numeric_limits<double>::epsilon() * SumAbs(a);
    double t = 1;
    for (int halving = 0; halving < 60; ++halving, t /= 2) {
        const Vec2 candidate = from + direction * t;
        if (Likelihood(problem.stations, a, candidate) >= value - slack) {
            return candidate;
        }
    }
    return std::nullopt;
}

// The local maximum of L = sum a_i cos(theta_i - mu_i) from `start`.
Ascent Ascend(const Problem& problem, const std::vector<double>& a, Vec2 start) {
    Ascent ascent{start};
    for (; ascent.steps < kMaxSteps; ++ascent.steps) {
        const double meanDistance = MeanDistance(problem.stations, ascent.point);
        const Derivatives at = Differentiate(problem.stations, a, ascent.point);
        const Vec2 direction = AscentDirection(at, meanDistance);
        if (Length(direction) <= kStepTolerance * meanDistance) {
            ascent.point = ascent.point + direction;
            return ascent;
        }
        const auto next = LineSearch(problem, a, ascent.point, at.value, direction);
        if (!next) {
            ascent.failure = NoFixReason::kDiverged;
            return ascent;
        }
        ascent.point = *next;
        if (!(Length(ascent.point) <= kRunaway * problem.radius)) {
            ascent.failure = NoFixReason::kBehind;
            return ascent;
        }
    }
    ascent.failure = NoFixReason::kDiverged;
    return ascent;
}

// sum w_i cos(theta_i - mu_i) / sum w_i at p.
double MeanCosine(const Problem& problem, const std::vector<double>& w, Vec2 p) {
    double sum = 0, weights = 0;
    for (std::size_t i = 0; i < problem.stations.size(); ++i) {
        sum += w[i] * CosResidual(problem.stations[i], p);
        weights += w[i];
    }
    return sum / weights;
}

std::optional<double> EstimatedKappa(const Problem& problem, const std::vector<double>& w, Vec2 p) {
    const double c = MeanCosine(problem, w, p);
    if (problem.stations.size() <= 2 || !(1 - c >= kUnitCosine) || !(c > 0)) {
        return std::nullopt;
    }
    return KappaFromMeanCosine(c);
}

// kappa_i for the weights and the covariance: the sigmas' when every bearing has one, else kappa-hat for all.
std::optional<std::vector<double>> Kappas(const Problem& problem, const std::vector<double>& w, Vec2 p) {
    if (!problem.sigmaKappas.empty()) {
        return problem.sigmaKappas;
    }
    const auto kappaHat = EstimatedKappa(problem, w, p);
    if (!kappaHat) {
        return std::nullopt;
    }
    return std::vector<double>(problem.stations.size(), *kappaHat);
}

double RobustWeight(Method method, double tuning, double t) {
    if (t < kSmallT) {
        return 1;
    }
    if (method == Method::kHuber) {
        return std::min(1.0, tuning / t);
    }
    return t < tuning * std::numbers::pi ? tuning * std::sin(t / tuning) / t : 0;
}

std::vector<double> RobustWeights(const Problem& problem, const std::vector<double>& kappas, Vec2 p,
                                  const Options& options) {
    std::vector<double> w;
    for (std::size_t i = 0; i < problem.stations.size(); ++i) {
        const double oneMinusCos = std::max(0.0, 1 - CosResidual(problem.stations[i], p));
        w.push_back(RobustWeight(options.method, options.tuning, std::sqrt(2 * kappas[i] * oneMinusCos)));
    }
    return w;
}

// a_i = k_i w_i: kappa_i from the sigmas when every bearing has one, else 1.
std::vector<double> Coefficients(const Problem& problem, const std::vector<double>& w) {
    std::vector<double> a = w;
    for (std::size_t i = 0; i < a.size() && !problem.sigmaKappas.empty(); ++i) {
        a[i] *= problem.sigmaKappas[i];
    }
    return a;
}

struct Estimate {
    Vec2 point;
    std::vector<double> weights;
    NoFixReason failure = NoFixReason::kNone;
    int steps = 0;
};

Estimate MaximumLikelihood(const Problem& problem, Vec2 start) {
    Estimate estimate{start, std::vector<double>(problem.stations.size(), 1.0)};
    const Ascent ascent = Ascend(problem, Coefficients(problem, estimate.weights), start);
    estimate.point = ascent.point;
    estimate.failure = ascent.failure;
    estimate.steps = ascent.steps;
    return estimate;
}

// Rounds of weights and weighted ascent from the maximum-likelihood fix until neither changes.
Estimate RobustRounds(const Problem& problem, Estimate estimate, const Options& options) {
    for (int round = 0; round < kMaxRounds; ++round) {
        const auto kappas = Kappas(problem, estimate.weights, estimate.point);
        if (!kappas) {
            return estimate;  // no kappa, no scale for the residuals: the fix stands as it is
        }
        std::vector<double> weights = RobustWeights(problem, *kappas, estimate.point, options);
        if (!(SumAbs(weights) > 0)) {
            estimate.failure = NoFixReason::kDiverged;
            return estimate;
        }
        const Ascent ascent = Ascend(problem, Coefficients(problem, weights), estimate.point);
        estimate.steps += ascent.steps;
        if (ascent.failure != NoFixReason::kNone) {
            estimate.failure = ascent.failure;
            return estimate;
        }
        const double moved = Length(ascent.point - estimate.point);
        double changed = 0;
        for (std::size_t i = 0; i < weights.size(); ++i) {
            changed = std::max(changed, std::abs(weights[i] - estimate.weights[i]));
        }
        estimate.point = ascent.point;
        estimate.weights = std::move(weights);
        if (changed <= kWeightTolerance &&
            moved <= kStepTolerance * MeanDistance(problem.stations, estimate.point)) {
            return estimate;
        }
    }
    estimate.failure = NoFixReason::kDiverged;
    return estimate;
}

std::optional<Covariance> CovarianceAt(const Problem& problem, const std::vector<double>& w, Vec2 p) {
    const auto kappas = Kappas(problem, w, p);
    if (!kappas) {
        return std::nullopt;
    }
    Sym2 q;
    for (std::size_t i = 0; i < problem.stations.size(); ++i) {
        const Station& s = problem.stations[i];
        const Vec2 d = p - s.position;
        const double d3 = std::pow(Length(d), 3);
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
    Covariance c{v.xx, v.xy, v.yy, std::sqrt(v.xx), std::sqrt(v.yy), 0};
    c.rho = std::clamp(v.xy / (c.sx * c.sy), -1.0, 1.0);
    if (!std::isfinite(c.sx) || !std::isfinite(c.sy) || !std::isfinite(c.rho)) {
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
    if (!(MeanCosine(problem, estimate.weights, estimate.point) > 0)) {
        return NoFix(NoFixReason::kBehind);
    }
    Fix fix;
    fix.x = estimate.point.x + problem.centroid.x;
    fix.y = estimate.point.y + problem.centroid.y;
    fix.kappaHat = EstimatedKappa(problem, estimate.weights, estimate.point);
    fix.covariance = CovarianceAt(problem, estimate.weights, estimate.point);
    if (fix.covariance) {
        fix.ellipse = EllipseOf(*fix.covariance, options.confidence);
    }
    for (std::size_t i = 0; i < bearings.size(); ++i) {
        fix.bearings.push_back(FitOf(bearings[i], estimate.weights[i], Vec2{fix.x, fix.y}));
    }
    fix.iterations = estimate.steps;
    return Outcome{std::move(fix), NoFixReason::kNone};
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
    Estimate estimate = MaximumLikelihood(problem, OffTheStations(problem, *crossing));
    if (estimate.failure == NoFixReason::kNone && options.method != Method::kMle) {
        estimate = RobustRounds(problem, std::move(estimate), options);
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
    return Kappa(meanCosine, 1 - meanCosine);
}

double KappaFromSigma(double sigmaDeg) {
    const double sigma = sigmaDeg * kDegree;
    const double oneMinus = -std::expm1(-sigma * sigma / 2);  // exact for the smallest sigmas too
    return Kappa(1 - oneMinus, oneMinus);
}

}  // namespace vantrel::locate
