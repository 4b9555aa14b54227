#include "geodesy/transverse_mercator.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace vantrel::geodesy {
namespace {

constexpr double kA = 6378137.0;
constexpr double kF = 1 / 298.257223563;
constexpr double kK0 = 0.9996;
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthingSouth = 10000000.0;
constexpr double kDegree = std::numbers::pi / 180;
constexpr int kOrder = 6;

struct Series {
    double e = 0;                        // first eccentricity
    double e2m = 0;                      // 1 - e^2
    double scaledA = 0;                  // k0 times the rectifying radius A
    std::array<double, kOrder> alpha{};  // forward coefficients, alpha_1..alpha_6
    std::array<double, kOrder> beta{};   // inverse coefficients, beta_1..beta_6
};

Series MakeSeries() {
    const double n = kF / (2 - kF);
    const double n2 = n * n;
    const double n3 = n2 * n;
    const double n4 = n3 * n;
    const double n5 = n4 * n;
    const double n6 = n5 * n;
    Series s;
    const double e2 = kF * (2 - kF);
    s.e = std::sqrt(e2);
    s.e2m = 1 - e2;
    s.scaledA = kK0 * kA / (1 + n) * (1 + n2 / 4 + n4 / 64 + n6 / 256);
    s.alpha = {n / 2 - 2 * n2 / 3 + 5 * n3 / 16 + 41 * n4 / 180 - 127 * n5 / 288 + 7891 * n6 / 37800,
               13 * n2 / 48 - 3 * n3 / 5 + 557 * n4 / 1440 + 281 * n5 / 630 - 1983433 * n6 / 1935360,
               61 * n3 / 240 - 103 * n4 / 140 + 15061 * n5 / 26880 + 167603 * n6 / 181440,
               49561 * n4 / 161280 - 179 * n5 / 168 + 6601661 * n6 / 7257600,
               34729 * n5 / 80640 - 3418889 * n6 / 1995840,
               212378941 * n6 / 319334400};
    s.beta = {n / 2 - 2 * n2 / 3 + 37 * n3 / 96 - n4 / 360 - 81 * n5 / 512 + 96199 * n6 / 604800,
              n2 / 48 + n3 / 15 - 437 * n4 / 1440 + 46 * n5 / 105 - 1118711 * n6 / 3870720,
              17 * n3 / 480 - 37 * n4 / 840 - 209 * n5 / 4480 + 5569 * n6 / 90720,
              4397 * n4 / 161280 - 11 * n5 / 504 - 830251 * n6 / 7257600,
              4583 * n5 / 161280 - 108847 * n6 / 3991680,
              20648693 * n6 / 638668800};
    return s;
}

const Series& WGS84() {
    static const Series series = MakeSeries();  // constant after its first use
    return series;
}

// tan of the conformal latitude from tan of the geographic latitude (Karney eq. 7-9).
double ConformalTan(double tau, double e) {
    const double tau1 = std::hypot(1.0, tau);
    const double sigma = std::sinh(e * std::atanh(e * tau / tau1));
    return std::hypot(1.0, sigma) * tau - sigma * tau1;
}

// The inverse of ConformalTan by Newton's method (Karney eqs. 19-21); converges in two or three steps.
double GeographicTan(double conformalTan, const Series& s) {
    double tau = conformalTan / s.e2m;
    const double tolerance = std::sqrt(std::numeric_limits<double>::epsilon()) / 10;
    for (int i = 0; i < 6; ++i) {
        const double guess = ConformalTan(tau, s.e);
        const double step = (conformalTan - guess) * (1 + s.e2m * tau * tau) /
                            (s.e2m * std::hypot(1.0, tau) * std::hypot(1.0, guess));
        tau += step;
        if (!(std::abs(step) >= tolerance)) {
            break;
        }
    }
    return tau;
}

double FalseNorthing(UtmZone zone) {
    return zone.North() ? 0.0 : kFalseNorthingSouth;
}

}  // namespace

double CentralMeridian(UtmZone zone) {
    return 6.0 * zone.number - 183.0;
}

core::PlanePoint ZoneLatLonToUtm(UtmZone zone, double lat, double lon) {
    const Series& s = WGS84();
    const double lambda = std::remainder(lon - CentralMeridian(zone), 360.0) * kDegree;
    const double conformalTan = ConformalTan(std::tan(lat * kDegree), s.e);
    const double xiPrime = std::atan2(conformalTan, std::cos(lambda));
    const double etaPrime = std::asinh(std::sin(lambda) / std::hypot(conformalTan, std::cos(lambda)));
    double xi = xiPrime;
    double eta = etaPrime;
    for (int j = 1; j <= kOrder; ++j) {
        const double a = s.alpha[static_cast<std::size_t>(j - 1)];
        xi += a * std::sin(2 * j * xiPrime) * std::cosh(2 * j * etaPrime);
        eta += a * std::cos(2 * j * xiPrime) * std::sinh(2 * j * etaPrime);
    }
    return core::PlanePoint{kFalseEasting + s.scaledA * eta, FalseNorthing(zone) + s.scaledA * xi};
}

// Convergence and scale (Karney eqs. 25-28): those of the sphere of conformal latitudes, corrected by the
// derivative of the series, z' = 1 + sum 2j alpha_j cos(2j (xi' + i eta')).
GridFacts ZoneGridFacts(UtmZone zone, double lat, double lon) {
    const Series& s = WGS84();
    const double lambda = std::remainder(lon - CentralMeridian(zone), 360.0) * kDegree;
    const double phi = lat * kDegree;
    const double tau = std::tan(phi);
    const double conformalTan = ConformalTan(tau, s.e);
    const double cosLambda = std::cos(lambda);
    const double xiPrime = std::atan2(conformalTan, cosLambda);
    const double etaPrime = std::asinh(std::sin(lambda) / std::hypot(conformalTan, cosLambda));
    double p = 1;
    double q = 0;
    for (int j = 1; j <= kOrder; ++j) {
        const double a = 2 * j * s.alpha[static_cast<std::size_t>(j - 1)];
        p += a * std::cos(2 * j * xiPrime) * std::cosh(2 * j * etaPrime);
        q += a * std::sin(2 * j * xiPrime) * std::sinh(2 * j * etaPrime);
    }
    const double sphereGamma =
        std::atan2(std::sin(lambda) * conformalTan, cosLambda * std::hypot(1.0, conformalTan));
    const double cosPhi = std::cos(phi);
    const double e2 = 1 - s.e2m;
    const double sphereScale =
        std::sqrt(s.e2m + e2 * cosPhi * cosPhi) * std::hypot(1.0, tau) / std::hypot(conformalTan, cosLambda);
    GridFacts facts;
    facts.convergence = (sphereGamma + std::atan2(q, p)) / kDegree;
    facts.scale = s.scaledA / kA * std::hypot(p, q) * sphereScale;
    return facts;
}

GridFacts ZoneGridFactsAt(UtmZone zone, double easting, double northing) {
    const GeoPosition position = ZoneUtmToLatLon(zone, easting, northing);
    return ZoneGridFacts(zone, position.lat, position.lon);
}

double GridBearing(UtmZone zone, double lat, double lon, double trueBearing) {
    const double grid = std::fmod(trueBearing - ZoneGridFacts(zone, lat, lon).convergence, 360.0);
    return grid < 0 ? grid + 360 : (grid >= 360 ? grid - 360 : grid);
}

GeoPosition ZoneUtmToLatLon(UtmZone zone, double easting, double northing) {
    const Series& s = WGS84();
    const double xi = (northing - FalseNorthing(zone)) / s.scaledA;
    const double eta = (easting - kFalseEasting) / s.scaledA;
    double xiPrime = xi;
    double etaPrime = eta;
    for (int j = 1; j <= kOrder; ++j) {
        const double b = s.beta[static_cast<std::size_t>(j - 1)];
        xiPrime -= b * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
        etaPrime -= b * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
    }
    const double sinhEta = std::sinh(etaPrime);
    const double cosXi = std::cos(xiPrime);
    const double conformalTan = std::sin(xiPrime) / std::hypot(sinhEta, cosXi);
    const double lambda = std::atan2(sinhEta, cosXi);
    GeoPosition position;
    position.lat = std::atan(GeographicTan(conformalTan, s)) / kDegree;
    position.lon = std::remainder(CentralMeridian(zone) + lambda / kDegree, 360.0);
    return position;
}

}  // namespace vantrel::geodesy
