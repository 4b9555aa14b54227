// The heat layer built from a fox's fix: its regions do not depend on how far the view is zoomed in, and a
// fox without a usable fix is refused with its name.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "hunt_picture/heat_layer.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

// Fox 2 at (500000, 5600000); stations on a 5 km ring every 40 degrees, bearings off by a fixed pattern.
fox_fix::FoxFix RingFix(std::size_t stations, std::optional<double> sigma) {
    const std::vector<double> errors{2, -3, 1, 4, -2, 0, -1, 3, -4};
    fox_fix::FoxFix fix;
    fix.fox = 2;
    for (std::size_t k = 0; k < stations; ++k) {
        const double angle = 40.0 * static_cast<double>(k) * std::numbers::pi / 180;
        const double x = 500000 + 5000 * std::sin(angle), y = 5600000 + 5000 * std::cos(angle);
        const double back = std::fmod(40.0 * static_cast<double>(k) + 180 + errors.at(k) + 360, 360);
        fix.ids.push_back(k + 1);
        fix.bearings.push_back(locate::Bearing{x, y, back, sigma});
    }
    if (stations >= 2) {
        fix.outcome = locate::Locate(fix.bearings, locate::Options{});
    }
    return fix;
}

core::PlaneBox Around(double x, double y, double half) {
    return {x - half, y - half, x + half, y + half};
}

// The view of the whole hunt holds the region: its levels are those of the whole likelihood. Zoomed in to
// a box of half the smallest standard error each way (its corners 0.71 of it from the fix, inside the 50 %
// ellipse, 1.18 of it), the view shows only the peak; the levels (values of L) and the regions' areas stay
// what they were, up to the cells' size, instead of 95 % of whatever is left in view.
TEST(HeatLayer, ZoomingInKeepsTheRegions) {
    const fox_fix::FoxFix fix = RingFix(9, 3.0);
    ASSERT_TRUE(fix.outcome && fix.outcome->fix && fix.outcome->fix->covariance);
    const locate::Fix& at = *fix.outcome->fix;
    const locate::Covariance& v = *at.covariance;
    const double smallest = (v.xx + v.yy) / 2 - std::hypot((v.xx - v.yy) / 2, v.xy);
    const auto wide = BuildHeatLayer(fix, {}, Around(500000, 5600000, 6000), {512, 512});
    const auto zoomed = BuildHeatLayer(fix, {}, Around(at.x, at.y, 0.5 * std::sqrt(smallest)), {512, 512});
    ASSERT_TRUE(wide.ok() && zoomed.ok() && *wide && *zoomed) << wide.message() << zoomed.message();
    const HeatLayer& w = **wide;
    const HeatLayer& z = **zoomed;
    EXPECT_EQ(w.fox, 1);
    EXPECT_GT(w.area95, 0);
    EXPECT_NEAR(z.area95, w.area95, 0.05 * w.area95);
    EXPECT_NEAR(z.level95, w.level95, 0.05 * (w.peak - w.level95));
    // The zoomed view lies inside the 50 % region...
    EXPECT_TRUE(z.contour50.empty());
    EXPECT_TRUE(std::all_of(z.values.begin(), z.values.end(), [&](double l) { return l >= z.level50; }));
    // ...and the wide view shows both outlines as one closed ring each.
    ASSERT_EQ(w.contour95.size(), 1U);
    EXPECT_EQ(w.contour95.front().front(), w.contour95.front().back());
    EXPECT_EQ(w.contour50.size(), 1U);
}

struct Refusal {
    const char* name;
    std::size_t stations;
    std::optional<double> sigma;
    const char* message;
};

class HeatLayerRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(HeatLayerRefused, NamesTheFoxAndWhy) {
    const auto built = BuildHeatLayer(RingFix(GetParam().stations, GetParam().sigma), {},
                                      Around(500000, 5600000, 6000), {64, 64});
    ASSERT_FALSE(built.ok());
    EXPECT_EQ(built.message(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeatLayerRefused,
    ::testing::Values(Refusal{"oneBearing", 1, 3.0, "F2 has fewer than two bearings: no likelihood map"},
                      Refusal{"twoWithoutSigma", 2, std::nullopt,
                              "F2: the spread of its bearings is unknown (two bearings without a sigma): no "
                              "likelihood map"}),
    testing_support::ParamName());

}  // namespace
}  // namespace vantrel::hunt_picture
