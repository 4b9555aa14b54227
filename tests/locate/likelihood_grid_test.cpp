// The likelihood grid against the estimator's own ellipse: Lenth's published example, and a ring of
// stations where the likelihood is close to Gaussian.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "locate/likelihood_grid.hpp"
#include "test_names.hpp"

namespace vantrel::locate {
namespace {

// Lenth's stations (x, y, bearing) without station 6, the wild bearing, from the published table.
std::vector<Bearing> LenthWithoutStationSix() {
    std::ifstream in(std::string(VANTREL_TESTDATA_DIR) + "/bearings/lenth1981_stations.csv");
    std::vector<Bearing> bearings;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int station = 0;
        char comma = 0;
        Bearing b;
        if (fields >> station >> comma >> b.x >> comma >> b.y >> comma >> b.bearingDeg && station != 6) {
            bearings.push_back(b);
        }
    }
    return bearings;
}

// The grid of `terms` over the square of half-side `half` about (x, y), 512 x 512, on two workers.
Density DensityAround(const std::vector<GridTerm>& terms, double x, double y, double half) {
    LikelihoodGrid grid(FrameOver(x - half, y - half, x + half, y + half, 512, 512));
    EXPECT_TRUE(grid.Recompute(terms, 2));
    const auto density = DensityOf(grid);
    EXPECT_TRUE(density.has_value());
    return density.value_or(Density{});
}

struct LenthRow {
    const char* name;
    Method method;
};

class LenthRegion : public ::testing::TestWithParam<LenthRow> {};

// The 95 % highest-density region of seven good bearings holds about as much ground as the 95 % ellipse
// (the paper's standard errors give 0.341 square units; the likelihood's own region 0.332). The ellipse's
// semi-major axis is about 0.5 units: a box of +-1.2 units about the fix leaves out less than 1e-5 of P,
// and its cells of 0.0047 units put about 600 cells on the boundary of a region of 15,000, whose halves
// in and out cancel to well under 1 % of the area.
TEST_P(LenthRegion, NinetyFivePercentRegionMatchesTheEllipse) {
    const std::vector<Bearing> bearings = LenthWithoutStationSix();
    ASSERT_EQ(bearings.size(), 7U);
    Options options;
    options.method = GetParam().method;
    const Outcome outcome = Locate(bearings, options);
    ASSERT_TRUE(outcome.fix && outcome.fix->ellipse);
    const auto terms = TermsOfFix(bearings, outcome, options);
    ASSERT_TRUE(terms.ok()) << terms.message();
    const Density density = DensityAround(*terms, outcome.fix->x, outcome.fix->y, 1.2);
    EXPECT_NEAR(density.Area95(), outcome.fix->ellipse->area, 0.05 * outcome.fix->ellipse->area);
    if (GetParam().method == Method::kMle) {
        EXPECT_NEAR(outcome.fix->ellipse->area, 0.341, 0.002);
        EXPECT_NEAR(density.Area95(), 0.332, 0.004);
    }
}

INSTANTIATE_TEST_SUITE_P(WithoutStationSix, LenthRegion,
                         ::testing::Values(LenthRow{"mle", Method::kMle}, LenthRow{"huber", Method::kHuber},
                                           LenthRow{"andrews", Method::kAndrews}),
                         testing_support::ParamName());

// Twelve stations on a ring of 10 km about a fox at the origin, bearings off by a fixed pattern of a few
// degrees, sigma 3 degrees: the likelihood is nearly Gaussian there, so the 50 % region is the 50 % ellipse
// (k2 = -2 ln 0.5), and its traced outline encloses the region's cells.
TEST(LikelihoodGrid, FiftyPercentContourEnclosesTheFiftyPercentEllipse) {
    std::vector<Bearing> bearings;
    const std::vector<double> errors{2, -3, 1, 4, -2, 0, -1, 3, -4, 2, 1, -2};
    for (std::size_t k = 0; k < errors.size(); ++k) {
        const double angle = 2 * std::numbers::pi * static_cast<double>(k) / 12;
        const double x = 10000 * std::cos(angle), y = 10000 * std::sin(angle);
        const double towardsFox = std::fmod(std::atan2(-x, -y) * 180 / std::numbers::pi + 360, 360);
        bearings.push_back(Bearing{x, y, std::fmod(towardsFox + errors[k] + 360, 360), 3.0});
    }
    Options options;
    options.method = Method::kMle;
    options.confidence = 0.5;
    const Outcome outcome = Locate(bearings, options);
    ASSERT_TRUE(outcome.fix && outcome.fix->ellipse);
    const auto terms = TermsOfFix(bearings, outcome, options);
    ASSERT_TRUE(terms.ok()) << terms.message();
    const double semiMajor = outcome.fix->ellipse->semiMajor;
    const Density density = DensityAround(*terms, outcome.fix->x, outcome.fix->y, 3 * semiMajor);
    EXPECT_NEAR(density.Area50(), outcome.fix->ellipse->area, 0.03 * outcome.fix->ellipse->area);

    const auto lines = Contours(density.frame, density.p, density.level50);
    ASSERT_EQ(lines.size(), 1U);
    const Polyline& ring = lines.front();
    ASSERT_GT(ring.size(), 20U);
    EXPECT_EQ(ring.front(), ring.back());
    double twiceArea = 0;  // the shoelace formula
    for (std::size_t k = 0; k + 1 < ring.size(); ++k) {
        twiceArea += ring[k].first * ring[k + 1].second - ring[k + 1].first * ring[k].second;
    }
    EXPECT_NEAR(std::abs(twiceArea) / 2, density.Area50(), 0.02 * density.Area50());
}

// Bearings added one by one as they arrive give the grid a full recompute gives, bit for bit, on any
// number of workers; a station on a cell centre (no direction there) leaves L finite.
TEST(LikelihoodGrid, AddingBearingsOneByOneEqualsRecompute) {
    const GridFrame frame{-500, -300, 10, 97, 61};  // 97 x 61 cells of 10 m; centres at -495 + 10 i
    const std::vector<GridTerm> terms{{-495, -295, 0.6, 0.8, 5},
                                      {300, 200, -1, 0, 12.5},
                                      {1000, -1000, std::sqrt(0.5), -std::sqrt(0.5), 0.25}};
    LikelihoodGrid incremental(frame);
    for (const GridTerm& term : terms) {
        incremental.AddBearing(term);
    }
    for (const unsigned threads : {1U, 2U, 7U}) {
        LikelihoodGrid whole(frame);
        whole.AddBearing(terms[1]);  // replaced by the recompute
        ASSERT_TRUE(whole.Recompute(terms, threads));
        EXPECT_EQ(whole.Values(), incremental.Values()) << threads << " workers";
    }
    const auto density = DensityOf(incremental);
    ASSERT_TRUE(density.has_value());
    // At the first station's own cell its term counts 0: the other two terms alone.
    const double atStation = 12.5 * ((-1) * (-795) + 0 * (-495)) / std::hypot(795, 495) +
                             0.25 * (std::sqrt(0.5) * (-1495) - std::sqrt(0.5) * 705) / std::hypot(1495, 705);
    EXPECT_NEAR(incremental.Values().front(), atStation, 1e-12);
}

}  // namespace
}  // namespace vantrel::locate
