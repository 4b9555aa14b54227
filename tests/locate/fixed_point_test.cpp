// What the robust fix must satisfy, checked from its own output: at the fix, the weights computed afresh
// (from kappa-hat of the weighted mean cosine, or from the sigma) are the weights reported, and the weighted
// likelihood is at its maximum there (its gradient vanishes).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "locate/locate.hpp"
#include "test_names.hpp"

namespace vantrel::locate {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

// 300 bearings on a transmitter in UTM coordinates, 3 degrees of error, every tenth one wild.
std::vector<Bearing> Scene() {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> around(0, 360);
    std::uniform_real_distribution<double> range(500, 8000);
    std::normal_distribution<double> error(0, 3);
    std::vector<Bearing> bearings;
    for (int i = 0; i < 300; ++i) {
        const double az = around(random);
        const double r = range(random);
        double b = i % 10 == 3 ? around(random) : az + 180 + error(random);
        b = std::fmod(std::fmod(b, 360.0) + 360, 360.0);
        bearings.push_back(
            {612000 + r * std::sin(az * kDegree), 4810000 + r * std::cos(az * kDegree), b, {}});
    }
    return bearings;
}

double Weight(Method method, double tuning, double t) {
    if (t < 1e-5) {
        return 1;
    }
    if (method == Method::kHuber) {
        return std::min(1.0, tuning / t);
    }
    return t < tuning * std::numbers::pi ? tuning * std::sin(t / tuning) / t : 0;
}

struct RobustCase {
    const char* name;
    Method method;
    double tuning;
    std::optional<double> sigma;
};

class RobustFixedPoint : public ::testing::TestWithParam<RobustCase> {};

TEST_P(RobustFixedPoint, WeightsAndMaximumAgreeAtTheFix) {
    const RobustCase& c = GetParam();
    const std::vector<Bearing> bearings = Scene();
    Options options;
    options.method = c.method;
    options.tuning = c.tuning;
    options.sigmaDeg = c.sigma;
    const Outcome outcome = Locate(bearings, options);
    ASSERT_TRUE(outcome.fix) << ReasonText(outcome.reason);
    const Fix& fix = *outcome.fix;
    double sum = 0, total = 0;
    for (const BearingFit& fit : fix.bearings) {
        sum += fit.weight * std::cos(fit.residual * kDegree);
        total += fit.weight;
    }
    const double kappaHat = KappaFromMeanCosine(sum / total);
    ASSERT_TRUE(fix.kappaHat);
    EXPECT_NEAR(*fix.kappaHat, kappaHat, 1e-9 * kappaHat);
    const double kappa = c.sigma ? KappaFromSigma(*c.sigma) : kappaHat;
    double gx = 0, gy = 0, scale = 0;
    int rejected = 0;
    for (std::size_t i = 0; i < bearings.size(); ++i) {
        const BearingFit& fit = fix.bearings[i];
        const double r = fit.residual * kDegree;
        EXPECT_NEAR(fit.weight, Weight(c.method, c.tuning, std::sqrt(2 * kappa * (1 - std::cos(r)))), 1e-8)
            << "bearing " << i + 1;
        rejected += fit.rejected ? 1 : 0;
        // d/dp of cos(theta - mu) is sin(theta - mu) grad mu, grad mu = (-dy, dx) / d^2; the residual in
        // bearings is minus theta - mu.
        const double dx = fix.x - bearings[i].x;
        const double dy = fix.y - bearings[i].y;
        const double d2 = dx * dx + dy * dy;
        gx += fit.weight * -std::sin(r) * -dy / d2;
        gy += fit.weight * -std::sin(r) * dx / d2;
        scale += fit.weight / std::sqrt(d2);
    }
    EXPECT_LE(std::hypot(gx, gy), 1e-9 * scale);
    if (c.method == Method::kAndrews) {
        EXPECT_GE(rejected, 20);  // most of the 30 wild bearings
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, RobustFixedPoint,
                         ::testing::Values(RobustCase{"AndrewsEstimated", Method::kAndrews, 1.5,
                                                      std::nullopt},
                                           RobustCase{"AndrewsSigma3", Method::kAndrews, 1.5, 3.0},
                                           RobustCase{"AndrewsNarrow", Method::kAndrews, 1.0, std::nullopt},
                                           RobustCase{"HuberEstimated", Method::kHuber, 1.5, std::nullopt},
                                           RobustCase{"HuberSigma5", Method::kHuber, 2.0, 5.0}),
                         testing_support::ParamName());

}  // namespace
}  // namespace vantrel::locate
