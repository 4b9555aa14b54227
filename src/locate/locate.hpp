#pragma once

// The position of a transmitter from any number of bearings: the maximum-likelihood fix of N bearings with
// von Mises errors, robust M-estimates (Huber, Andrews) that weigh a wild bearing down, and the error
// ellipse of the fix. After R. V. Lenth, "On finding the source of a signal", Technometrics 23 (1981)
// 149-154.
//
// Plane and angles: x = easting, y = northing, metres, in one plane (one UTM zone); a bearing b in degrees
// clockwise from grid north (a bearing taken against true north is turned into a grid bearing first:
// geodesy::GridBearing). Inside, theta_i = 90 deg - b_i is the bearing as a mathematical angle and
// mu_i(x, y) the direction from station i to (x, y), d_i the distance.
//
// The steps, each a short function (locate.cpp: start, covariance, ellipse; estimate.cpp: ascent, rounds):
// - Start: the least-squares crossing of the lines (the point with the least sum of squared perpendicular
//   distances). A singular 2x2 system (determinant <= 1e-12 trace^2): no fix, kParallel.
// - Ascent: the local maximum of L(x, y) = sum k_i w_i cos(theta_i - mu_i) reached from the start by
//   Newton's method with a backtracking line search (a scoring step where the Hessian is not negative
//   definite), converged when a step is at most 1e-10 of the mean distance d_i. k_i = kappa_i when every
//   bearing has a sigma (its own or Options::sigmaDeg), else 1; w_i = 1 for the maximum likelihood.
//   An ascent that runs farther than 1000 R from the stations' centroid (R = the largest distance of a
//   station or of the start from the centroid, at least 1 m): kBehind, the bearings meet nowhere in front.
//   At the solution, C-bar = sum w_i cos(theta_i - mu_i) / sum w_i <= 0: kBehind. No convergence within
//   200 steps: kDiverged. L is undefined at a station and climbs towards one whose neighbourhood the other
//   lines pass by (a station near the fox whose own bearing points elsewhere): an ascent that comes within
//   1e-6 of the mean distance of a station is drawn onto it, and the ascent starts again from the
//   least-squares crossing of the other lines (up to three stations left out of the start, one after the
//   other; every bearing still counts in L). When every start is drawn onto a station there is no maximum
//   to find: kDiverged for the maximum likelihood, and the robust rounds begin at the last start instead
//   of at the maximum-likelihood fix (their weights can take that bearing down; Andrews' can reject it).
// - kappa: from a sigma (radians), kappa = f(exp(-sigma^2 / 2)); estimated, kappa-hat = f(C-bar) with the
//   final weights, where 1/f(C) = 2 (1 - C) + (1 - C)^2 (0.48794 - 0.82905 C - 1.3915 C^2) / C (Lenth's
//   approximation of the inverse of A(kappa) = I1(kappa) / I0(kappa)). kappa-hat is unknown for N = 2 and
//   when 1 - C-bar < 1e-12 (all lines through one point).
//   The kappa_i of the robust weights and the covariance: from the sigmas when every bearing has one (its
//   own first, else the option's); otherwise kappa-hat for every bearing (sigmas of some bearings are then
//   not used).
// - Robust rounds (kHuber, kAndrews), from the maximum-likelihood fix (see above where it has none): the
//   weights at the current point from t_i = sqrt(2 kappa_i (1 - cos(theta_i - mu_i))) with the tuning
//   constant C: Huber w = min(1, C / t), Andrews w = C sin(t / C) / t for t < C pi, else 0; w = 1 for
//   t < 1e-5. Without sigmas, kappa-hat is estimated again each round from the weighted C-bar at the current
//   point. Then a Newton step of the weighted likelihood from there (a step within the step limit leaves
//   the point where it is); until the weights change by at most 1e-12 and the step is within the step
//   limit (there the weighted ascent has converged as well, so this is the fixed point of "weights, then
//   the weighted maximum"). Sums over thousands of bearings have a rounding floor near 1e-12: a change of
//   the weights at most 1e-9 that no longer halves from one round to the next ends the rounds too. The
//   tail of the rounds, which converges geometrically, is shortened by extrapolating it (the rounds then go
//   on until their own end). Without any kappa (N = 2 and no sigma) the maximum-likelihood fix stands,
//   every weight 1. Weights that all become 0, a step running off (kBehind as above), or 500 rounds without
//   an end: kDiverged.
// - Covariance: Q = [sum s*_i s_i, -1/2 sum (s*_i c_i + c*_i s_i); the same, sum c*_i c_i] with
//   s_i = sin theta_i, c_i = cos theta_i, s*_i = kappa_i w_i (y - y_i) / d_i^3,
//   c*_i = kappa_i w_i (x - x_i) / d_i^3 at the fix; V = Q^-1 (square metres). No kappa at all, or a Q that
//   is not positive definite: no covariance and no ellipse.
// - Ellipse holding the position with probability P: k2 = -2 ln(1 - P) (5.991465 for 0.95); semi-axes
//   sqrt(k2 lambda) for the eigenvalues lambda of V; azimuth of the major axis in degrees clockwise from grid
//   north in [0, 180), 0 for a circle (eigenvalues within 1e-9 of each other, relatively); area
//   pi k2 sqrt(det V).
// - Per bearing: its final weight; residual = b_i minus the bearing from station i to the fix, degrees in
//   (-180, 180]; behind = |residual| > 90 (the fix lies behind the station's measured direction);
//   rejected = weight 0.
//
// Two bearings that cross in front of both stations give their crossing (the same point as core::CrossFix),
// kappa-hat unknown, no covariance without sigmas; crossing behind either station (or on it): kBehind, even
// where L has a local maximum elsewhere (diverging lines do: a point off to one side that neither bearing
// points at).
//
// Ranges: N >= 2 bearings; x, y finite; bearing in [0, 360]; sigma in (0, 90] degrees; tuning > 0 and
// finite; confidence in (0, 1). Anything else (NaN included): no fix, kInvalidInput, before any work.
// Threads: pure functions of their arguments, no state; call from any thread.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel::locate {

struct Bearing {
    double x = 0;                    // easting of the station, metres
    double y = 0;                    // northing of the station, metres
    double bearingDeg = 0;           // grid bearing, degrees clockwise from grid north, [0, 360]
    std::optional<double> sigmaDeg;  // its standard deviation, degrees in (0, 90]; nullopt = not known
};

enum class Method {
    kMle,      // maximum likelihood: every weight 1
    kHuber,    // Huber's M-estimate: weights min(1, C / t)
    kAndrews,  // Andrews' M-estimate: a bearing farther than C pi (in t) gets weight 0
};

struct Options {
    Method method = Method::kAndrews;
    double tuning = 1.5;             // the tuning constant C of Huber and Andrews, > 0
    std::optional<double> sigmaDeg;  // for the bearings without their own sigma, degrees in (0, 90]
    double confidence = 0.95;        // probability held by the ellipse, in (0, 1)
};

enum class NoFixReason {
    kNone,          // there is a fix
    kParallel,      // the lines are parallel (or all pass through one station's position in one direction)
    kBehind,        // the bearings meet nowhere in front of the stations
    kDiverged,      // the ascent or the robust rounds did not settle
    kInvalidInput,  // outside the ranges above; the CLI refuses such input before it gets here
};

struct Ellipse {
    double semiMajor = 0;  // metres, >= semiMinor
    double semiMinor = 0;  // metres, >= 0
    double azimuth = 0;    // of the major axis, degrees clockwise from grid north in [0, 180)
    double area = 0;       // square metres
};

struct Covariance {
    double xx = 0, xy = 0, yy = 0;  // V, square metres
    double sx = 0, sy = 0;          // standard errors of x and y, metres: sqrt(xx), sqrt(yy)
    double rho = 0;                 // correlation of x and y, [-1, 1]
};

struct BearingFit {
    double weight = 1;    // [0, 1]; 1 for every bearing of the maximum likelihood
    double residual = 0;  // degrees in (-180, 180]: the bearing minus the bearing from its station to the fix
    bool behind = false;  // |residual| > 90
    bool rejected = false;  // weight 0 (Andrews only)
};

struct Fix {
    double x = 0, y = 0;                   // easting, northing, metres
    std::optional<double> kappaHat;        // the estimated concentration (1/rad^2 roughly), nullopt = unknown
    std::optional<Covariance> covariance;  // nullopt without any kappa
    std::optional<Ellipse> ellipse;        // at Options::confidence; nullopt without a covariance
    std::vector<BearingFit> bearings;      // one per input bearing, in input order
    int iterations = 0;                    // ascent steps of every round together
};

struct Outcome {
    std::optional<Fix> fix;                   // nullopt: no fix, see reason
    NoFixReason reason = NoFixReason::kNone;  // kNone exactly when fix holds a value
};

// The fix of `bearings` by options.method, its spread and ellipse, each bearing's weight and residual.
Outcome Locate(std::span<const Bearing> bearings, const Options& options);

// "parallel", "behind", "diverged", "invalid" ("" for kNone): the words the CLI prints after "no Match".
std::string_view ReasonText(NoFixReason reason);

// "mle", "huber", "andrews" and back; nullopt for any other word (exact, lower case).
std::string_view MethodText(Method method);
std::optional<Method> ParseMethod(std::string_view text);

// Lenth's approximation of the inverse of A(kappa) = I1(kappa) / I0(kappa) at a mean resultant length C in
// (0, 1): the f of the contract above. Not finite outside (0, 1).
double KappaFromMeanCosine(double meanCosine);

// The concentration of a bearing with standard deviation sigmaDeg (degrees, > 0): f(exp(-sigma^2 / 2)).
double KappaFromSigma(double sigmaDeg);

}  // namespace vantrel::locate
