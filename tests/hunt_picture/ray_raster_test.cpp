// The live map's lines: thin lines of one colour add up as the colour drawn over itself, dashes leave
// their gaps, lines are clipped to the picture and land in the right rows whichever band of rows they
// cross; a wide line covers its width smoothed, and its pieces overlapping at a join do not darken it.
// Expected values worked out by hand with x * a / 255 rounded.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "hunt_picture/ray_raster.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

struct LineRow {
    const char* name;
    std::vector<std::pair<QPointF, QPointF>> lines;  // each at opacity 128
    DashPattern dash;
    int covered;    // pixels of row 1 the lines reach
    int strongest;  // the largest coverage there, as the picture shows it (blue channel over white)
};

class CoverageLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(CoverageLines, CoverAndBlendAsTheColourOverItself) {
    LinePicture lines(10, 3);
    lines.BeginLayer(qRgb(0, 0, 255));
    for (const auto& [a, b] : GetParam().lines) {
        lines.AddLine(a, b, 128, GetParam().dash);
    }
    QImage picture(10, 3, QImage::Format_RGB32);
    picture.fill(Qt::white);
    lines.LayOver(picture);
    int covered = 0;
    int strongest = 255;
    for (int x = 0; x < 10; ++x) {
        const QRgb p = picture.pixel(x, 1);
        if (p != qRgb(255, 255, 255)) {
            ++covered;
            strongest = std::min(strongest, qRed(p));
        }
        EXPECT_EQ(qBlue(p), 255) << "blue over white stays full blue";
        EXPECT_EQ(picture.pixel(x, 0), qRgb(255, 255, 255)) << "nothing beside the line";
    }
    EXPECT_EQ(covered, GetParam().covered);
    EXPECT_EQ(strongest, GetParam().strongest);
}

INSTANTIATE_TEST_SUITE_P(Lines, CoverageLines,
                         ::testing::Values(
                             // 128 coverage: white * 127 / 255 = 127 left of red and green.
                             LineRow{"Solid", {{{0, 1}, {9, 1}}}, {}, 10, 127},
                             // 128 + 127 * 128 / 255 = 192: 255 * 63 / 255 = 63 left.
                             LineRow{"TwoOverEachOther", {{{0, 1}, {9, 1}}, {{9, 1}, {0, 1}}}, {}, 10, 63},
                             // Two on, one off over pixels 0..9: 0 1 . 3 4 . 6 7 . 9.
                             LineRow{"Dashed", {{{0, 1}, {9, 1}}}, {2, 1}, 7, 127},
                             LineRow{"ClippedToTheLayer", {{{-50, 1}, {4, 1}}}, {}, 5, 127},
                             LineRow{"OutsideTheLayer", {{{0, 7}, {9, 7}}}, {}, 0, 255}),
                         testing_support::ParamName());

// A steep line down a picture of many bands of rows has exactly one pixel in each row, in the column it
// crosses there; a horizontal wide line 3 pixels wide covers three rows fully and fades at its round ends,
// and its second half drawn over the first (a join) leaves it as it was.
TEST(LinePicture, BandsJoinSeamlesslyAndAWideLineIsEvenAtItsJoins) {
    LinePicture lines(40, 200);
    lines.BeginLayer(qRgb(0, 0, 0));
    lines.AddLine({5, 0}, {25, 199}, 255);
    lines.BeginLayer(qRgb(0, 0, 0), 128);
    lines.AddWideLine({30.5, 100.5}, {38.5, 100.5}, 3);
    lines.AddWideLine({34.5, 100.5}, {38.5, 100.5}, 3);
    QImage picture(40, 200, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    lines.LayOver(picture);
    for (int row = 0; row < 200; ++row) {
        int dark = 0;
        int column = -1;
        for (int x = 0; x < 30; ++x) {
            if (qRed(picture.pixel(x, row)) == 0) {
                ++dark;
                column = x;
            }
        }
        EXPECT_EQ(dark, 1) << "row " << row;
        // x = 5 + 20 y / 199 rounded to the pixel whose centre is nearest.
        EXPECT_NEAR(column, 5 + 20.0 * row / 199, 1.0) << "row " << row;
    }
    // Half the wide line's alpha: white * 127 / 255 = 127, fully covered within a pixel of its axis.
    for (const int row : {99, 100, 101}) {
        EXPECT_EQ(qRed(picture.pixel(32, row)), 127) << "row " << row;
        EXPECT_EQ(qRed(picture.pixel(36, row)), 127) << "row " << row;
    }
    EXPECT_EQ(qRed(picture.pixel(32, 98)), 255);
    EXPECT_EQ(qRed(picture.pixel(32, 102)), 255);
    // Past the end by 1.5 px (the round end), only partly covered: lighter than the line, darker than white.
    EXPECT_GT(qRed(picture.pixel(29, 99)), 127);
    EXPECT_LT(qRed(picture.pixel(29, 100)), 255);
}

}  // namespace
}  // namespace vantrel::hunt_picture
