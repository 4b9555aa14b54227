// Two bearings, the geometry worked out by hand, and what gives no fix.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "core/cross_fix.hpp"
#include "core/number_text.hpp"
#include "locate/locate.hpp"
#include "persistence/data_file_commands.hpp"
#include "test_names.hpp"

namespace vantrel::locate {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

double Folded(double degrees) {
    const double r = std::fmod(degrees, 360.0);
    return r < 0 ? r + 360 : r;
}

// Each example hunt's fixes: where Calculate's crossing lies ahead of both stations the maximum likelihood
// of the two bearings is that crossing; turning station 1's bearing round leaves the same lines, now
// crossing behind station 1, and gives no fix.
TEST(TwoBearings, TheCrossingOfCalculateOrBehind) {
    int ahead = 0;
    for (const char* name : {"hunt-vogelsberg.fh2", "hunt-olinda.fh2", "hunt-kassel.fhd"}) {
        persistence::ProgramState state;
        const std::string path = std::string(VANTREL_SOURCE_DIR) + "/examples/" + name;
        const bool legacy = path.ends_with(".fhd");
        ASSERT_TRUE(legacy ? persistence::ReadImportFile(state, path, '.')
                           : persistence::ReadDataFile(state, path, '.'));
        core::MeasurementState& m = state.main;
        ASSERT_TRUE(core::Calculate(m, '.'));
        for (std::size_t fox = 0; fox < core::kFoxCount; ++fox) {
            if (m.ResLat[fox] == "no Match") {
                continue;
            }
            const auto number = [](const std::string& text) { return *core::ReadRegional(text, '.'); };
            const double a1 = Folded(core::AbsoluteBearing(number(m.S1Ang[fox]), number(m.Sced1Ang)));
            const double a2 = Folded(core::AbsoluteBearing(number(m.S2Ang[fox]), number(m.Sced2Ang)));
            const core::PlanePoint fix{m.FoxEast[fox], m.FoxNorth[fox]};
            std::vector<Bearing> bearings{{m.ScedEast[0], m.ScedNorth[0], a1, {}},
                                          {m.ScedEast[1], m.ScedNorth[1], a2, {}}};
            const auto inFront = [&](const Bearing& b) {
                return (fix.east - b.x) * std::sin(b.bearingDeg * kDegree) +
                           (fix.north - b.y) * std::cos(b.bearingDeg * kDegree) >
                       0;
            };
            const std::string where = std::string(name) + " fox " + std::to_string(fox + 1);
            const Outcome outcome = Locate(bearings, Options{});
            if (inFront(bearings[0]) && inFront(bearings[1])) {
                ++ahead;
                ASSERT_TRUE(outcome.fix) << where << ": " << ReasonText(outcome.reason);
                const double range = std::hypot(fix.east - bearings[0].x, fix.north - bearings[0].y);
                EXPECT_NEAR(outcome.fix->x, fix.east, 1e-8 * range) << where;
                EXPECT_NEAR(outcome.fix->y, fix.north, 1e-8 * range) << where;
                EXPECT_FALSE(outcome.fix->kappaHat) << where;
                EXPECT_FALSE(outcome.fix->covariance) << where;
                EXPECT_EQ(outcome.fix->bearings[0].weight, 1);
                EXPECT_NEAR(outcome.fix->bearings[1].residual, 0, 1e-7) << where;
                bearings[0].bearingDeg = Folded(a1 + 180);
            }
            EXPECT_EQ(Locate(bearings, Options{}).reason, NoFixReason::kBehind) << where;
        }
    }
    EXPECT_GE(ahead, 5);
}

// Two stations 1,000 m south and 3,000 m west of the target, looking north and east, sigma 1 degree: the
// lines cross at right angles, so V = diag(1000^2, 3000^2) / kappa with kappa close to 1 / sigma^2
// (radians). The major axis runs north-south, along the far station's line. Turned by an angle, the whole
// picture's ellipse turns with it.
struct RightAngleCase {
    const char* name;
    double turn;     // degrees clockwise
    double azimuth;  // of the major axis
};

class RightAngle : public ::testing::TestWithParam<RightAngleCase> {};

TEST_P(RightAngle, EllipseWorkedOutByHand) {
    const RightAngleCase& c = GetParam();
    const double t = c.turn * kDegree;
    const auto place = [&](double east, double north) {
        return std::pair{500000 + east * std::cos(t) + north * std::sin(t),
                         5500000 - east * std::sin(t) + north * std::cos(t)};
    };
    const auto [x1, y1] = place(0, -1000);
    const auto [x2, y2] = place(-3000, 0);
    const std::vector<Bearing> bearings{{x1, y1, Folded(c.turn), 1.0}, {x2, y2, Folded(90 + c.turn), 1.0}};
    Options options;
    options.confidence = 0.95;
    const Outcome outcome = Locate(bearings, options);
    ASSERT_TRUE(outcome.fix);
    const Fix& fix = *outcome.fix;
    EXPECT_NEAR(fix.x, 500000, 1e-6);
    EXPECT_NEAR(fix.y, 5500000, 1e-6);
    ASSERT_TRUE(fix.covariance && fix.ellipse);
    const double sigma = kDegree;  // the approximation's kappa agrees with 1/sigma^2 to O(sigma^2)
    const double k2 = 5.991464547107979;
    EXPECT_NEAR(fix.ellipse->semiMajor, std::sqrt(k2) * 3000 * sigma, 1e-3 * 3000 * sigma);
    EXPECT_NEAR(fix.ellipse->semiMinor, std::sqrt(k2) * 1000 * sigma, 1e-3 * 1000 * sigma);
    EXPECT_NEAR(fix.ellipse->azimuth, c.azimuth, 1e-9);
    EXPECT_NEAR(fix.ellipse->area, std::numbers::pi * fix.ellipse->semiMajor * fix.ellipse->semiMinor, 1e-6);
    EXPECT_NEAR(std::abs(fix.covariance->rho), std::abs(std::sin(2 * t)) * 0.8, 1e-3);
}

// rho of a turned diag(1, 9): 4 sin(2t) / sqrt((5 - 4 cos 2t)(5 + 4 cos 2t)); 0.8 |sin 2t| only where
// cos 2t = 0 or sin 2t = 0, so the table keeps to those turns.
INSTANTIATE_TEST_SUITE_P(Turns, RightAngle,
                         ::testing::Values(RightAngleCase{"None", 0, 0}, RightAngleCase{"East", 90, 90},
                                           RightAngleCase{"Diagonal", 45, 45},
                                           RightAngleCase{"Backwards", 135, 135},
                                           RightAngleCase{"HalfTurn", 180, 0}),
                         testing_support::ParamName());

struct NoFixCase {
    const char* name;
    std::vector<Bearing> bearings;
    Options options;
    NoFixReason reason;
};

class NoFixTest : public ::testing::TestWithParam<NoFixCase> {};

TEST_P(NoFixTest, SaysWhy) {
    const Outcome outcome = Locate(GetParam().bearings, GetParam().options);
    EXPECT_FALSE(outcome.fix);
    EXPECT_EQ(outcome.reason, GetParam().reason) << ReasonText(outcome.reason);
}

Options WithTuning(double tuning) {
    Options o;
    o.tuning = tuning;
    return o;
}

Options WithConfidence(double confidence) {
    Options o;
    o.confidence = confidence;
    return o;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, NoFixTest,
    ::testing::Values(
        NoFixCase{"SameDirection",
                  {{0, 0, 45, {}}, {100, 0, 45, {}}, {0, 100, 45, {}}},
                  {},
                  NoFixReason::kParallel},
        NoFixCase{"Opposite", {{0, 0, 10, {}}, {100, 0, 190, {}}}, {}, NoFixReason::kParallel},
        NoFixCase{"NorthAndSouth",
                  {{0, 0, 0, {}}, {0, 1000, 360, {}}, {0, 5, 180, {}}},
                  {},
                  NoFixReason::kParallel},
        NoFixCase{"Diverging", {{0, 0, 300, {}}, {1000, 0, 60, {}}}, {}, NoFixReason::kBehind},
        NoFixCase{"ThreeDiverging",
                  {{0, 0, 200, {}}, {1000, 0, 160, {}}, {500, -100, 90, {}}},
                  {},
                  NoFixReason::kBehind},
        NoFixCase{"OneBearing", {{0, 0, 10, {}}}, {}, NoFixReason::kInvalidInput},
        NoFixCase{"NaNPosition", {{kNaN, 0, 10, {}}, {100, 0, 300, {}}}, {}, NoFixReason::kInvalidInput},
        NoFixCase{"BearingAbove360", {{0, 0, 360.5, {}}, {100, 0, 300, {}}}, {}, NoFixReason::kInvalidInput},
        NoFixCase{"ZeroSigma", {{0, 0, 10, 0.0}, {100, 0, 300, {}}}, {}, NoFixReason::kInvalidInput},
        NoFixCase{
            "ZeroTuning", {{0, 0, 10, {}}, {100, 0, 300, {}}}, WithTuning(0), NoFixReason::kInvalidInput},
        NoFixCase{"CertainEllipse",
                  {{0, 0, 10, {}}, {100, 0, 300, {}}},
                  WithConfidence(1),
                  NoFixReason::kInvalidInput}),
    testing_support::ParamName());

// Four good bearings on the Vogelsberg example's fox 1 (516805, 5601477) and a wild one from a station 3.7 km
// from it, whose line points away while the others pass within a few hundred metres of that station: the
// likelihood climbs onto the station and has no maximum (the maximum likelihood: no fix, diverged), while
// Andrews' weights take the wild bearing down and find the fox.
TEST(ManyBearings, AWildBearingNearTheFoxLeavesOnlyTheRobustFix) {
    const std::vector<Bearing> bearings{{512480, 5596230, 39.5, {}},
                                        {519940, 5591160, 343.1, {}},
                                        {521300, 5604100, 241.8, {}},
                                        {509900, 5603300, 101.4, {}},
                                        {514200, 5598800, 170.0, {}}};
    Options options;
    options.method = Method::kMle;
    EXPECT_EQ(Locate(bearings, options).reason, NoFixReason::kDiverged);
    const Outcome andrews = Locate(bearings, Options{});
    ASSERT_TRUE(andrews.fix) << ReasonText(andrews.reason);
    EXPECT_LT(std::hypot(andrews.fix->x - 516805.4, andrews.fix->y - 5601477.1), 500);
    EXPECT_TRUE(andrews.fix->bearings[4].rejected);
    EXPECT_TRUE(andrews.fix->bearings[4].behind);
    for (int i = 0; i < 4; ++i) {
        EXPECT_GT(andrews.fix->bearings[static_cast<std::size_t>(i)].weight, 0.7);
    }
}

}  // namespace
}  // namespace vantrel::locate
