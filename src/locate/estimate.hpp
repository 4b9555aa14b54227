#pragma once

// The iterative part of the estimator: the ascent to the maximum of the (weighted) likelihood and the robust
// rounds. Internal to the locate library; the contract of each step is in locate.hpp.

#include <optional>
#include <vector>

#include "locate/locate.hpp"
#include "locate/plane_math.hpp"

namespace vantrel::locate {

// The bearings about the stations' centroid, in units of `scale` (the stations' spread, at least 1 m), so
// that UTM coordinates of millions of metres lose nothing and every length is of order 1.
struct Problem {
    std::vector<Station> stations;
    Vec2 centroid;                    // metres
    double scale = 1;                 // metres per unit
    double radius = 1;                // R in units: max(1 m, stations, start) from the centroid
    std::vector<double> sigmaKappas;  // from the sigmas, one per bearing; empty unless every bearing has one
};

struct Estimate {
    Vec2 point;                   // in the problem's units
    std::vector<double> weights;  // one per bearing
    NoFixReason failure = NoFixReason::kNone;
    std::optional<std::size_t> drawnTo;  // with kDiverged: the station the ascent was drawn onto
    int steps = 0;
};

// Lenth's f(C), given C and 1 - C (the latter without cancellation where the caller has it); NaN unless
// 0 < C < 1.
double LenthKappa(double c, double oneMinusC);

// cos(theta_i - mu_i) of every bearing at p.
std::vector<double> Cosines(const Problem& problem, Vec2 p);
// sum w_i c_i / sum w_i.
double WeightedMean(const std::vector<double>& cosines, const std::vector<double>& weights);
// kappa-hat from the weighted C-bar: unknown for two bearings and when 1 - C-bar < 1e-12 (or C-bar <= 0).
std::optional<double> EstimatedKappa(const std::vector<double>& cosines, const std::vector<double>& weights);

// kappa_i: the sigmas' when every bearing has one, else one kappa-hat for all.
struct Kappas {
    const std::vector<double>* each = nullptr;
    double all = 0;
    double operator[](std::size_t i) const { return each != nullptr ? (*each)[i] : all; }
};
std::optional<Kappas> KappasOf(const Problem& problem, const std::vector<double>& cosines,
                               const std::vector<double>& weights);

// Every weight 1, the ascent from `start`. An ascent that comes within 1e-6 of the mean distance of a
// station is being drawn onto it (L climbs towards a station whose neighbourhood the other lines pass by,
// without a maximum there): kDiverged with drawnTo naming the station.
Estimate MaximumLikelihood(const Problem& problem, Vec2 start);
// The rounds of weights and weighted ascent from the maximum-likelihood estimate.
Estimate RobustRounds(const Problem& problem, Estimate estimate, const Options& options);

}  // namespace vantrel::locate
