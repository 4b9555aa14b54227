// How a fix settled over a simulated hunt: measured against the log's true fox when it has one, else
// against the final fix; moments thinned evenly with the last one kept.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fox_fix/settle.hpp"
#include "simulate/hunt_log_output.hpp"
#include "simulate/simulate.hpp"

namespace vantrel::simulate {
namespace {

// Five stations round two foxes, ten bearings each a minute apart, with almost no noise.
hunt_log::Log SharpHunt() {
    Scenario s;
    s.foxes = {{1, 50.50, 9.25, 0}, {2, 50.52, 9.20, 0}};
    s.sigma = 0.001;
    for (int i = 0; i < 5; ++i) {
        const double around = i * 72 * std::numbers::pi / 180;
        s.stations.push_back({"S" + std::to_string(i + 1), 50.51 + 0.05 * std::cos(around),
                              9.22 + 0.08 * std::sin(around), 10, 60});
    }
    return MakeHuntLog(Simulate(s), s);
}

TEST(SettleOverTime, MeasuresAgainstTheTruthOrElseTheFinalFix) {
    hunt_log::Log log = SharpHunt();
    locate::Options options;
    options.method = locate::Method::kMle;
    const auto truth = fox_fix::SettleOverTime(log, options);
    ASSERT_EQ(truth.size(), 2u);
    for (const fox_fix::SettleSeries& s : truth) {
        EXPECT_TRUE(s.againstTruth);
        // 49 moments: from each fox's second bearing on (50 bearings, the stations a second apart).
        EXPECT_EQ(s.points.size(), 49u) << s.fox;
        for (const fox_fix::SettlePoint& p : s.points) {
            EXPECT_LT(p.distance, 1.0) << s.fox;  // 0.001 degrees at 10 km: 0.2 m
            EXPECT_TRUE(std::isfinite(p.semiMajor));
        }
    }
    log.truth.clear();
    const auto final = fox_fix::SettleOverTime(log, options, 2, 4);
    ASSERT_EQ(final.size(), 1u);
    EXPECT_EQ(final[0].fox, 2);
    EXPECT_FALSE(final[0].againstTruth);
    ASSERT_EQ(final[0].points.size(), 4u);
    EXPECT_EQ(final[0].points.back().distance, 0);
    EXPECT_EQ(final[0].points.back().time, truth[1].points.back().time);
    EXPECT_EQ(final[0].points.front().time, truth[1].points.front().time);
}

}  // namespace
}  // namespace vantrel::simulate
