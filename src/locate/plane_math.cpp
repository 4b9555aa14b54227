#include "locate/plane_math.hpp"

#include <limits>

namespace vantrel::locate {

Sym2 Inverse(const Sym2& m) {
    const double det = Determinant(m);
    return Sym2{m.yy / det, -m.xy / det, m.xx / det};
}

Vec2 Solve(const Sym2& m, Vec2 rhs) {
    const double det = Determinant(m);
    return Vec2{(m.yy * rhs.x - m.xy * rhs.y) / det, (m.xx * rhs.y - m.xy * rhs.x) / det};
}

double CosResidual(const Station& station, Vec2 p) {
    const Vec2 d = p - station.position;
    const double length = Length(d);
    return length > 0 ? (d.x * station.cosTheta + d.y * station.sinTheta) / length : 1;
}

double Likelihood(const std::vector<Station>& stations, const std::vector<double>& a, Vec2 p,
                  std::vector<double>* cosines) {
    double sum = 0;
    bool onStation = false;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const Station& s = stations[i];
        const Vec2 d = p - s.position;
        const double length = Length(d);
        const double c = length > 0 ? (d.x * s.cosTheta + d.y * s.sinTheta) / length : 1;
        if (cosines != nullptr) {
            (*cosines)[i] = c;
        }
        if (a[i] != 0) {
            onStation = onStation || !(length > 0);
            sum += a[i] * c;
        }
    }
    return onStation ? -std::numeric_limits<double>::infinity() : sum;
}

// In terms of the unit vector u = (X, Y) / d from the station: grad mu = (-u_y, u_x) / d,
// Hess mu = [2 u_x u_y, u_y^2 - u_x^2; ., -2 u_x u_y] / d^2, grad mu grad mu^T = [u_y^2, -u_x u_y; ., u_x^2]
// / d^2: one division a bearing.
Derivatives Differentiate(const std::vector<Station>& stations, const std::vector<double>& a, Vec2 p) {
    Derivatives out;
    out.nearestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const Station& s = stations[i];
        const Vec2 d = p - s.position;
        const double length = std::sqrt(d.x * d.x + d.y * d.y);
        out.meanDistance += length;
        if (a[i] != 0 && length < out.nearestDistance) {
            out.nearestDistance = length;
            out.nearest = i;
        }
        if (a[i] == 0 || !(length > 0)) {
            continue;
        }
        const double inverse = 1 / length;
        const double ux = d.x * inverse;
        const double uy = d.y * inverse;
        const double cosR = ux * s.cosTheta + uy * s.sinTheta;
        const double sinR = ux * s.sinTheta - uy * s.cosTheta;
        const double a1 = a[i] * inverse;
        const double a2 = a1 * inverse;
        out.value += a[i] * cosR;
        out.gradient.x -= a1 * sinR * uy;
        out.gradient.y += a1 * sinR * ux;
        const double xx = uy * uy, xy = -ux * uy, yy = ux * ux;
        out.hessian.xx += a2 * (-2 * sinR * xy - cosR * xx);
        out.hessian.xy += a2 * (sinR * (xx - yy) - cosR * xy);
        out.hessian.yy += a2 * (2 * sinR * xy - cosR * yy);
        out.information.xx += a2 * xx;
        out.information.xy += a2 * xy;
        out.information.yy += a2 * yy;
    }
    out.meanDistance /= static_cast<double>(stations.size());
    return out;
}

double SumAbs(const std::vector<double>& values) {
    double sum = 0;
    for (const double v : values) {
        sum += std::abs(v);
    }
    return sum;
}

}  // namespace vantrel::locate
