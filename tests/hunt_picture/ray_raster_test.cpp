// The live map's ray layer: coverage of one colour accumulates as the colour drawn over itself, dashes
// leave their gaps, lines are clipped to the layer, and the layer lays its colour over the picture by the
// coverage. Expected values worked out by hand with x * a / 255 rounded.
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
    CoverageLayer layer(10, 3);
    for (const auto& [a, b] : GetParam().lines) {
        layer.AddLine(a, b, 128, GetParam().dash);
    }
    QImage picture(10, 3, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.drawImage(0, 0, layer.Coloured(qRgb(0, 0, 255)));
    }
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

}  // namespace
}  // namespace vantrel::hunt_picture
