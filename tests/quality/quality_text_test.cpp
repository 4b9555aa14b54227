// The quality in words: the texts the tooltips, the status bar and the exported descriptions show.
#include "quality/quality_text.hpp"

#include <gtest/gtest.h>

namespace vantrel::quality {
namespace {

FixQuality RightAngle() {
    FixQuality q;
    q.crossing = 90;
    q.t1 = 707.107;
    q.t2 = 707.107;
    q.sigma1 = q.sigma2 = 5;
    q.ellipse = Ellipse{151.04, 151.04, 0};
    return q;
}

TEST(QualityInWords, ASoundFixIsOneSummaryLine) {
    EXPECT_EQ(
        QualityInWords(RightAngle(), 0, 0.95, ','),
        std::vector<std::string>{
            "95 % within 151 m (circle); crossing 90 degrees; 707 m from Scedule 1, 707 m from Scedule 2"});
    FixQuality q = RightAngle();
    q.ellipse = Ellipse{241.67, 90.63, 45};
    q.t2 = 12345.6;
    EXPECT_EQ(QualityInWords(q, 0, 0.683, ',').back(),
              "68,3 % within 242 m x 91 m (long axis towards 45 degrees); crossing 90 degrees; 707 m from "
              "Scedule 1, 12 km from Scedule 2");
}

TEST(QualityInWords, FlagsComeFirstInTheirOrder) {
    FixQuality q = RightAngle();
    q.t1 = -707.107;
    q.behind1 = true;
    q.crossing = 168;
    q.acute = true;
    q.scattered2 = true;
    q.sigma2.reset();
    q.ellipse.reset();
    const auto lines = QualityInWords(q, 1, 0.95, '.');
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "Behind Scedule 1: the bearings meet opposite to the measured direction - check F2's bearing");
    EXPECT_EQ(lines[1], "The bearings cross at 12 degrees: a small bearing error moves the fix far");
    EXPECT_EQ(lines[2], "The readings of Scedule 2 for F2 point all round: take the bearing again");
    EXPECT_EQ(lines[3], "no ellipse; crossing 168 degrees; 707 m behind Scedule 1, 707 m from Scedule 2");
    EXPECT_EQ(FlagNote(q), "behind Scedule 1, bearings cross at 12 degrees, readings of Scedule 2 all round");
}

TEST(FlaggedFixesNote, OnlyFlaggedFixesInFoxOrder) {
    std::array<std::optional<FixQuality>, core::kFoxCount> fixes;
    fixes[0] = RightAngle();
    EXPECT_EQ(FlaggedFixesNote(fixes), "");
    fixes[1] = RightAngle();
    fixes[1]->behind1 = true;
    fixes[3] = RightAngle();
    fixes[3]->crossing = 12.4;
    fixes[3]->acute = true;
    fixes[4] = RightAngle();
    fixes[4]->approximate = fixes[4]->unreliable = fixes[4]->behind2 = fixes[4]->scattered1 = true;
    EXPECT_EQ(FlaggedFixesNote(fixes),
              "F2: behind Scedule 1; F4: bearings cross at 12 degrees; F5: behind Scedule 2, approximate, "
              "unreliable, readings of Scedule 1 all round");
}

}  // namespace
}  // namespace vantrel::quality
