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

double Likelihood(const std::vector<Station>& stations, const std::vector<double>& a, Vec2 p) {
    double sum = 0;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (a[i] == 0) {
            continue;
        }
        if (!(Length(p - stations[i].position) > 0)) {
            return -std::numeric_limits<double>::infinity();
        }
        sum += a[i] * CosResidual(stations[i], p);
    }
    return sum;
}

Derivatives Differentiate(const std::vector<Station>& stations, const std::vector<double>& a, Vec2 p) {
    Derivatives out;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const Station& s = stations[i];
        const Vec2 d = p - s.position;
        const double d2 = d.x * d.x + d.y * d.y;
        if (a[i] == 0 || !(d2 > 0)) {
            continue;
        }
        const double length = std::sqrt(d2);
        const double cosR = (d.x * s.cosTheta + d.y * s.sinTheta) / length;
        const double sinR = (d.x * s.sinTheta - d.y * s.cosTheta) / length;
        const Vec2 gradMu{-d.y / d2, d.x / d2};
        const double d4 = d2 * d2;
        const Sym2 hessMu{2 * d.x * d.y / d4, (d.y * d.y - d.x * d.x) / d4, -2 * d.x * d.y / d4};
        out.value += a[i] * cosR;
        out.gradient = out.gradient + gradMu * (a[i] * sinR);
        const Sym2 outer{gradMu.x * gradMu.x, gradMu.x * gradMu.y, gradMu.y * gradMu.y};
        out.hessian.xx += a[i] * (sinR * hessMu.xx - cosR * outer.xx);
        out.hessian.xy += a[i] * (sinR * hessMu.xy - cosR * outer.xy);
        out.hessian.yy += a[i] * (sinR * hessMu.yy - cosR * outer.yy);
        out.information.xx += a[i] * outer.xx;
        out.information.xy += a[i] * outer.xy;
        out.information.yy += a[i] * outer.yy;
    }
    return out;
}

double MeanDistance(const std::vector<Station>& stations, Vec2 p) {
    double sum = 0;
    for (const Station& s : stations) {
        sum += Length(p - s.position);
    }
    return sum / static_cast<double>(stations.size());
}

double SumAbs(const std::vector<double>& values) {
    double sum = 0;
    for (const double v : values) {
        sum += std::abs(v);
    }
    return sum;
}

}  // namespace vantrel::locate
