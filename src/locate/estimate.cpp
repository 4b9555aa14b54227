#include "locate/estimate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace vantrel::locate {
namespace {

constexpr double kStepTolerance = 1e-10;    // of the mean station distance
constexpr double kRunaway = 1000;           // times R from the centroid: the ascent left for infinity
constexpr double kWeightTolerance = 1e-12;  // change of any weight that ends the robust rounds
constexpr double kWeightFloor = 1e-9;       // below this a change that stops shrinking is rounding
constexpr double kSmallT = 1e-5;            // below this t a bearing keeps its full weight
constexpr double kUnitCosine = 1e-12;       // 1 - C-bar below this: every line through the point
constexpr double kOnStation = 1e-6;         // of the mean distance: drawn onto a station
constexpr int kMaxSteps = 200;              // Newton steps of one ascent
constexpr int kMaxRounds = 500;             // robust rounds

// The step of one ascent iteration: Newton's where the Hessian is negative definite, else the scoring step
// (the information matrix in place of the Hessian), else along the gradient.
Vec2 AscentDirection(const Derivatives& at) {
    const Sym2 negativeHessian{-at.hessian.xx, -at.hessian.xy, -at.hessian.yy};
    if (PositiveDefinite(negativeHessian)) {
        return Solve(negativeHessian, at.gradient);
    }
    if (PositiveDefinite(at.information)) {
        return Solve(at.information, at.gradient);
    }
    const double g = Length(at.gradient);
    return g > 0 ? at.gradient * (at.meanDistance / g) : Vec2{};
}

// Backtracking along `direction`: the first of 1, 1/2, 1/4, ... that does not lower L (beyond its
// rounding), or nullopt when none does.
// `cosines`, when given, receives those of the point returned.
std::optional<Vec2> LineSearch(const Problem& problem, const std::vector<double>& a, Vec2 from, double value,
                               Vec2 direction, std::vector<double>* cosines = nullptr) {
    const double slack = 8 * std::numeric_limits<double>::epsilon() * SumAbs(a);
    double t = 1;
    for (int halving = 0; halving < 60; ++halving, t /= 2) {
        const Vec2 candidate = from + direction * t;
        if (Likelihood(problem.stations, a, candidate, cosines) >= value - slack) {
            return candidate;
        }
    }
    return std::nullopt;
}

struct Ascent {
    Vec2 point;
    NoFixReason failure = NoFixReason::kNone;
    std::optional<std::size_t> drawnTo;
    int steps = 0;
    double meanDistance = 0;  // at the last point differentiated
};

// The local maximum of L = sum a_i cos(theta_i - mu_i) from `start`.
Ascent Ascend(const Problem& problem, const std::vector<double>& a, Vec2 start) {
    Ascent ascent;
    ascent.point = start;
    for (; ascent.steps < kMaxSteps; ++ascent.steps) {
        const Derivatives at = Differentiate(problem.stations, a, ascent.point);
        ascent.meanDistance = at.meanDistance;
        if (at.nearestDistance <= kOnStation * at.meanDistance) {
            ascent.failure = NoFixReason::kDiverged;
            ascent.drawnTo = at.nearest;
            return ascent;
        }
        const Vec2 direction = AscentDirection(at);
        if (Length(direction) <= kStepTolerance * at.meanDistance) {
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

double RobustWeight(Method method, double tuning, double t) {
    if (t < kSmallT) {
        return 1;
    }
    if (method == Method::kHuber) {
        return std::min(1.0, tuning / t);
    }
    return t < tuning * std::numbers::pi ? tuning * std::sin(t / tuning) / t : 0;
}

std::vector<double> RobustWeights(const std::vector<double>& cosines, const Kappas& kappas,
                                  const Options& options) {
    std::vector<double> w(cosines.size());
    for (std::size_t i = 0; i < cosines.size(); ++i) {
        const double t = std::sqrt(2 * kappas[i] * std::max(0.0, 1 - cosines[i]));
        w[i] = RobustWeight(options.method, options.tuning, t);
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

double LargestChange(const std::vector<double>& a, const std::vector<double>& b) {
    double changed = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        changed = std::max(changed, std::abs(a[i] - b[i]));
    }
    return changed;
}

}  // namespace

double LenthKappa(double c, double oneMinusC) {
    if (!(c > 0 && oneMinusC > 0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double u = oneMinusC;
    return 1 / (2 * u + u * u * (0.48794 - 0.82905 * c - 1.3915 * c * c) / c);
}

std::vector<double> Cosines(const Problem& problem, Vec2 p) {
    std::vector<double> cosines(problem.stations.size());
    for (std::size_t i = 0; i < cosines.size(); ++i) {
        cosines[i] = CosResidual(problem.stations[i], p);
    }
    return cosines;
}

double WeightedMean(const std::vector<double>& cosines, const std::vector<double>& weights) {
    double sum = 0, total = 0;
    for (std::size_t i = 0; i < cosines.size(); ++i) {
        sum += weights[i] * cosines[i];
        total += weights[i];
    }
    return sum / total;
}

std::optional<double> EstimatedKappa(const std::vector<double>& cosines, const std::vector<double>& weights) {
    const double c = WeightedMean(cosines, weights);
    if (cosines.size() <= 2 || !(1 - c >= kUnitCosine) || !(c > 0)) {
        return std::nullopt;
    }
    return LenthKappa(c, 1 - c);
}

std::optional<Kappas> KappasOf(const Problem& problem, const std::vector<double>& cosines,
                               const std::vector<double>& weights) {
    if (!problem.sigmaKappas.empty()) {
        return Kappas{&problem.sigmaKappas, 0};
    }
    const auto kappaHat = EstimatedKappa(cosines, weights);
    if (!kappaHat) {
        return std::nullopt;
    }
    return Kappas{nullptr, *kappaHat};
}

Estimate MaximumLikelihood(const Problem& problem, Vec2 start) {
    Estimate estimate;
    estimate.weights.assign(problem.stations.size(), 1.0);
    const Ascent ascent = Ascend(problem, Coefficients(problem, estimate.weights), start);
    estimate.point = ascent.point;
    estimate.failure = ascent.failure;
    estimate.drawnTo = ascent.drawnTo;
    estimate.steps = ascent.steps;
    return estimate;
}

// The state the rounds iterate: the point and, when it is estimated, ln kappa-hat (so that every part is of
// order 1 in its changes).
struct RoundState {
    double x = 0, y = 0, lnKappa = 0;
};

// Near their fixed point the rounds converge linearly: each change is the previous one times a steady
// factor rho (about 0.2 for Andrews). Where three states show that (changes below 1e-3 and above the
// rounding, the second change rho times the first within a tenth, 0 < rho < 0.9), the limit of the
// geometric sequence, s + d rho / (1 - rho), saves the rounds in between. The rounds go on from there and
// end only by their own rule, so the fix is the same; only fewer rounds reach it.
class Extrapolation {
  public:
    std::optional<RoundState> Add(RoundState s) {
        states_.push_back(s);
        if (states_.size() < 3) {
            return std::nullopt;
        }
        const RoundState d1 = Difference(states_[1], states_[0]);
        const RoundState d2 = Difference(states_[2], states_[1]);
        states_.erase(states_.begin());
        const double rho = Dot(d2, d1) / Dot(d1, d1);
        const double size = std::sqrt(Dot(d2, d2));
        const RoundState misfit{d2.x - rho * d1.x, d2.y - rho * d1.y, d2.lnKappa - rho * d1.lnKappa};
        if (!(rho > 0 && rho < 0.9 && size <= 1e-3 && size >= 1e-13 &&
              std::sqrt(Dot(misfit, misfit)) <= 0.1 * size)) {
            return std::nullopt;
        }
        states_.clear();
        const double f = rho / (1 - rho);
        return RoundState{s.x + f * d2.x, s.y + f * d2.y, s.lnKappa + f * d2.lnKappa};
    }

  private:
    static RoundState Difference(const RoundState& a, const RoundState& b) {
        return RoundState{a.x - b.x, a.y - b.y, a.lnKappa - b.lnKappa};
    }
    static double Dot(const RoundState& a, const RoundState& b) {
        return a.x * b.x + a.y * b.y + a.lnKappa * b.lnKappa;
    }
    std::vector<RoundState> states_;
};

// Each round: the weights at the current point, then one Newton step (with its line search) of the weighted
// likelihood, then kappa-hat again (when estimated) from the weighted C-bar there. A full ascent per round
// reaches the same fixed point, since the rounds end only where the weights stay and the step is within the
// step limit, that is where the weighted ascent has converged too. Sums over many bearings have a rounding
// floor: once the point has settled, a change of the weights below 1e-9 that no longer halves from round to
// round is that floor, and ends the rounds as well.
Estimate RobustRounds(const Problem& problem, Estimate estimate, const Options& options) {
    std::vector<double> cosines = Cosines(problem, estimate.point);
    const bool estimated = problem.sigmaKappas.empty();
    // With sigmas the kappas stay; without, kappa-hat of the current round (0 until known).
    Kappas kappas{estimated ? nullptr : &problem.sigmaKappas, 0};
    if (estimated) {
        kappas.all = EstimatedKappa(cosines, estimate.weights).value_or(0);
    }
    if (estimated && !(kappas.all > 0)) {
        return estimate;  // no kappa, no scale for the residuals: the fix stands as it is
    }
    double previousChange = std::numeric_limits<double>::infinity();
    Extrapolation extrapolation;
    for (int round = 0; round < kMaxRounds; ++round) {
        std::vector<double> weights = RobustWeights(cosines, kappas, options);
        if (!(SumAbs(weights) > 0)) {
            estimate.failure = NoFixReason::kDiverged;
            return estimate;
        }
        const double changed = LargestChange(weights, estimate.weights);
        estimate.weights = std::move(weights);
        const std::vector<double> a = Coefficients(problem, estimate.weights);
        const Derivatives at = Differentiate(problem.stations, a, estimate.point);
        if (at.nearestDistance <= kOnStation * at.meanDistance) {
            estimate.failure = NoFixReason::kDiverged;
            return estimate;
        }
        const Vec2 direction = AscentDirection(at);
        if (Length(direction) <= kStepTolerance * at.meanDistance) {
            // Settled within the step limit: the point stays, so the next round's weights differ only by
            // kappa-hat, and the rounds reach their fixed point without the rounding of further tiny steps.
            if (changed <= kWeightTolerance || (changed <= kWeightFloor && changed >= previousChange / 2)) {
                return estimate;
            }
        } else {
            const auto next = LineSearch(problem, a, estimate.point, at.value, direction, &cosines);
            if (!next) {
                estimate.failure = NoFixReason::kDiverged;
                return estimate;
            }
            estimate.point = *next;
            ++estimate.steps;
            if (!(Length(estimate.point) <= kRunaway * problem.radius)) {
                estimate.failure = NoFixReason::kBehind;
                return estimate;
            }
        }
        if (estimated) {
            kappas.all = EstimatedKappa(cosines, estimate.weights).value_or(0);
            if (!(kappas.all > 0)) {
                return estimate;  // every weighted line through the point: nothing left to weigh
            }
        }
        const RoundState state{estimate.point.x, estimate.point.y, estimated ? std::log(kappas.all) : 0};
        if (const auto limit = extrapolation.Add(state)) {
            estimate.point = Vec2{limit->x, limit->y};
            kappas.all = estimated ? std::exp(limit->lnKappa) : 0;
            cosines = Cosines(problem, estimate.point);
        }
        previousChange = changed;
    }
    estimate.failure = NoFixReason::kDiverged;
    return estimate;
}

}  // namespace vantrel::locate
