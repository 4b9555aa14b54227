#pragma once

// The small plane algebra of the estimator: vectors, symmetric 2x2 matrices, and the likelihood
// L(p) = sum a_i cos(theta_i - mu_i(p)) with its gradient and Hessian. Internal to the locate library.
//
// With X = x - x_i, Y = y - y_i, d^2 = X^2 + Y^2 and mu = atan2(Y, X):
//   cos(theta - mu) = (X cos theta + Y sin theta) / d,  sin(theta - mu) = (X sin theta - Y cos theta) / d,
//   grad mu = (-Y, X) / d^2,  Hess mu = [2XY, Y^2 - X^2; Y^2 - X^2, -2XY] / d^4,
//   grad L = sum a_i sin(theta_i - mu_i) grad mu_i,
//   Hess L = sum a_i (sin(theta_i - mu_i) Hess mu_i - cos(theta_i - mu_i) grad mu_i grad mu_i^T).
// The information matrix sum a_i grad mu_i grad mu_i^T stands in for -Hess L where that is not definite.

#include <cmath>
#include <vector>

namespace vantrel::locate {

struct Vec2 {
    double x = 0, y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return Vec2{a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return Vec2{a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double s) {
    return Vec2{a.x * s, a.y * s};
}
// Coordinates inside the estimator are scaled to the stations' spread (of order 1), so the plain square root
// cannot overflow and is several times faster than std::hypot.
inline double Length(Vec2 a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}

struct Sym2 {
    double xx = 0, xy = 0, yy = 0;
};

inline double Determinant(const Sym2& m) {
    return m.xx * m.yy - m.xy * m.xy;
}
inline bool PositiveDefinite(const Sym2& m) {
    return m.xx > 0 && m.yy > 0 && Determinant(m) > 0 && std::isfinite(Determinant(m));
}
Sym2 Inverse(const Sym2& m);
Vec2 Solve(const Sym2& m, Vec2 rhs);  // m^-1 rhs

// A station relative to the centroid with its bearing as a mathematical angle.
struct Station {
    Vec2 position;
    double cosTheta = 1, sinTheta = 0;
};

struct Derivatives {
    double value = 0;
    double meanDistance = 0;     // of the stations from the point
    double nearestDistance = 0;  // of the nearest station with a_i > 0
    std::size_t nearest = 0;     // its index
    Vec2 gradient;
    Sym2 hessian;
    Sym2 information;
};

// cos(theta - mu) of one station at p; 1 when p is the station itself (no direction there).
double CosResidual(const Station& station, Vec2 p);
// L at p; minus infinity when p lies on a station with a_i > 0. With `cosines`, also every bearing's
// cos(theta_i - mu_i) at p (as CosResidual), so a caller that moves to p has them without another pass.
double Likelihood(const std::vector<Station>& stations, const std::vector<double>& a, Vec2 p,
                  std::vector<double>* cosines = nullptr);
Derivatives Differentiate(const std::vector<Station>& stations, const std::vector<double>& a, Vec2 p);
double SumAbs(const std::vector<double>& values);

}  // namespace vantrel::locate
