// The ellipse's promise, checked by simulation: over many seeded scenes with a known bearing sigma, the
// 95 % ellipse of the maximum-likelihood fix holds the true position about 95 % of the time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "locate/locate.hpp"

namespace vantrel::locate {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

// Normal deviates by Box-Muller over the standard engine, so every library draws the same scenes.
class Noise {
  public:
    explicit Noise(std::uint64_t seed) : engine_(seed) {}
    double Uniform() { return (static_cast<double>(engine_() >> 11) + 0.5) * 0x1.0p-53; }
    double Normal() {
        return std::sqrt(-2 * std::log(Uniform())) * std::cos(2 * std::numbers::pi * Uniform());
    }

  private:
    std::mt19937_64 engine_;
};

// A scene: the transmitter somewhere in zone coordinates, 3 to 8 stations 1 to 10 km from it all round
// (at least 40 degrees of spread between the first two, so the geometry is not a sliver), each bearing off
// by a normal error of sigma degrees.
std::vector<Bearing> Scene(Noise& noise, double truthX, double truthY, double sigmaDeg) {
    const int count = 3 + static_cast<int>(noise.Uniform() * 6);
    std::vector<Bearing> bearings;
    const double first = noise.Uniform() * 360;
    for (int i = 0; i < count; ++i) {
        const double around = i == 1 ? first + 40 + noise.Uniform() * 280 : noise.Uniform() * 360;
        const double range = 1000 + noise.Uniform() * 9000;
        const double az = (i == 0 ? first : around) * kDegree;
        const double x = truthX + range * std::sin(az);
        const double y = truthY + range * std::cos(az);
        double bearing = std::fmod((i == 0 ? first : around) + 180 + sigmaDeg * noise.Normal(), 360.0);
        bearing = bearing < 0 ? bearing + 360 : bearing;
        bearings.push_back(Bearing{x, y, bearing, {}});
    }
    return bearings;
}

// (p - truth)^T V^-1 (p - truth) <= -2 ln(1 - P): the truth inside the ellipse.
bool Covers(const Fix& fix, double truthX, double truthY, double confidence) {
    const Covariance& v = *fix.covariance;
    const double dx = truthX - fix.x;
    const double dy = truthY - fix.y;
    const double det = v.xx * v.yy - v.xy * v.xy;
    const double distance2 = (v.yy * dx * dx - 2 * v.xy * dx * dy + v.xx * dy * dy) / det;
    return distance2 <= -2 * std::log(1 - confidence);
}

TEST(EllipseCoverage, NinetyFivePercentEllipseHoldsTheTruthNinetyFivePercentOfTheTime) {
    Noise noise(20261208);
    Options options;
    options.method = Method::kMle;
    options.sigmaDeg = 3;
    options.confidence = 0.95;
    int covered = 0;
    int noFix = 0;
    constexpr int kScenes = 1000;
    for (int scene = 0; scene < kScenes; ++scene) {
        const double truthX = 400000 + noise.Uniform() * 200000;
        const double truthY = 5000000 + noise.Uniform() * 1000000;
        const Outcome outcome = Locate(Scene(noise, truthX, truthY, *options.sigmaDeg), options);
        // A scene whose likelihood climbs onto a station (a station lying on the other lines, near the
        // fix) has no maximum to settle on: no fix, counted as not covered.
        if (!outcome.fix) {
            EXPECT_EQ(outcome.reason, NoFixReason::kDiverged) << "scene " << scene;
            ++noFix;
            continue;
        }
        ASSERT_TRUE(outcome.fix->covariance && outcome.fix->ellipse) << "scene " << scene;
        covered += Covers(*outcome.fix, truthX, truthY, options.confidence) ? 1 : 0;
    }
    RecordProperty("covered", covered);
    RecordProperty("noFix", noFix);
    EXPECT_LE(noFix, 5);
    EXPECT_GE(covered, 930);
    EXPECT_LE(covered, 970);
}

}  // namespace
}  // namespace vantrel::locate
