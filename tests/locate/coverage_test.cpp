// The ellipse's promise, checked by simulation: over many seeded scenes with a known bearing sigma, the
// 95 % ellipse of the maximum-likelihood fix holds the true position about 95 % of the time; and so do the
// 50 % and 95 % highest-density regions of the likelihood grid (the heat layer's outlines).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "locate/likelihood_grid.hpp"
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

// The regions of a 128 x 128 grid over six of the larger standard error each way about the fix (4.2 or more
// along the major axis: all but about 1e-4 of a Gaussian likelihood; a scene whose likelihood reaches
// farther loses that part, and its truth outside the grid counts as not covered). A cell is a tenth of a
// standard error: the region's edge is placed far closer than the spread of the coverage over 1000 scenes
// (15 scenes for 95 %, 16 for 50 %). Inside means: the cell holding the truth is in the region.
TEST(RegionCoverage, HighestDensityRegionsHoldTheTruthAsOftenAsTheySay) {
    Noise noise(20261209);
    Options options;
    options.method = Method::kMle;
    options.sigmaDeg = 3;
    int in50 = 0;
    int in95 = 0;
    constexpr int kScenes = 1000;
    for (int scene = 0; scene < kScenes; ++scene) {
        const double truthX = 400000 + noise.Uniform() * 200000;
        const double truthY = 5000000 + noise.Uniform() * 1000000;
        const std::vector<Bearing> bearings = Scene(noise, truthX, truthY, *options.sigmaDeg);
        const Outcome outcome = Locate(bearings, options);
        const auto terms = TermsOfFix(bearings, outcome, options);
        if (!terms) {
            continue;  // no fix (see above): not covered
        }
        const Fix& fix = *outcome.fix;
        const double half = 6 * std::max(fix.covariance->sx, fix.covariance->sy);
        LikelihoodGrid grid(FrameOver(fix.x - half, fix.y - half, fix.x + half, fix.y + half, 128, 128));
        ASSERT_TRUE(grid.Recompute(*terms, 1));
        const auto density = DensityOf(grid);
        ASSERT_TRUE(density.has_value()) << "scene " << scene;
        const GridFrame& frame = density->frame;
        const auto column = static_cast<int>(std::floor((truthX - frame.minX) / frame.size));
        const auto row = static_cast<int>(std::floor((truthY - frame.minY) / frame.size));
        if (column < 0 || row < 0 || column >= frame.columns || row >= frame.rows) {
            continue;
        }
        const double p = density->p[static_cast<std::size_t>(row * frame.columns + column)];
        in50 += p >= density->level50 ? 1 : 0;
        in95 += p >= density->level95 ? 1 : 0;
    }
    RecordProperty("in50", in50);
    RecordProperty("in95", in95);
    EXPECT_GE(in95, 930);
    EXPECT_LE(in95, 970);
    EXPECT_GE(in50, 450);
    EXPECT_LE(in50, 550);
}

}  // namespace
}  // namespace vantrel::locate
