// The pyramid of levels and tiles a map is read in, the cache of decoded tiles, and the stretch of values
// that are not bytes. Sizes and windows worked out by hand for a raster of 1000 x 600 pixels (levels
// 1000 x 600, 500 x 300, 250 x 150, 125 x 75, 63 x 38, ...; tiles of 256).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "maps/tile_cache.hpp"
#include "maps/tile_pyramid.hpp"
#include "maps/value_stretch.hpp"
#include "test_names.hpp"

namespace vantrel::maps {
namespace {

const TilePyramid kRaster(1000, 600);

TEST(TilePyramid, LevelsHalveRoundingUp) {
    EXPECT_EQ(kRaster.LevelWidth(0), 1000);
    EXPECT_EQ(kRaster.LevelHeight(0), 600);
    EXPECT_EQ(kRaster.LevelWidth(3), 125);
    EXPECT_EQ(kRaster.LevelWidth(4), 63);  // 62.5 rounded up
    EXPECT_EQ(kRaster.LevelHeight(4), 38);
    EXPECT_EQ(kRaster.LevelWidth(29), 1);
    EXPECT_DOUBLE_EQ(kRaster.LevelScaleX(4), 1000.0 / 63);
    EXPECT_EQ(kRaster.FirstLevelWithin(256), 2);  // 250 x 150
}

struct LevelCase {
    const char* name;
    double fullPixelsPerScreenPixel;
    int level;
};

class ChooseLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(ChooseLevel, CoarsestWithAPixelPerScreenPixel) {
    EXPECT_EQ(kRaster.ChooseLevel(GetParam().fullPixelsPerScreenPixel), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Views, ChooseLevel,
                         ::testing::Values(LevelCase{"ZoomedIn", 0.25, 0}, LevelCase{"OneToOne", 1, 0},
                                           LevelCase{"JustBelowTwo", 1.99, 0}, LevelCase{"Two", 2, 1},
                                           LevelCase{"Four", 4, 2}, LevelCase{"Five", 5, 2},
                                           // 2^10 would leave 1 x 1 pixel: never a single pixel
                                           LevelCase{"WholeWorldAway", 1e9, 9},
                                           LevelCase{"NotANumber", NAN, 0}),
                         testing_support::ParamName());

TEST(TilePyramid, TileWindowsAreCutAtTheRastersEdge) {
    const RasterWindow corner = kRaster.TileWindow({0, 3, 2});  // the last tile: 232 x 88 pixels
    EXPECT_EQ(corner.columns, 232);
    EXPECT_EQ(corner.rows, 88);
    EXPECT_DOUBLE_EQ(corner.x, 768);
    EXPECT_DOUBLE_EQ(corner.width, 232);
    EXPECT_EQ(corner.x1, 1000);
    EXPECT_EQ(corner.y1, 600);
    const RasterWindow coarse = kRaster.TileWindow({4, 0, 0});  // all of level 4 in one tile
    EXPECT_EQ(coarse.columns, 63);
    EXPECT_EQ(coarse.rows, 38);
    EXPECT_DOUBLE_EQ(coarse.width, 1000);
    EXPECT_DOUBLE_EQ(coarse.height, 600);
    // 5 x 3 pixels: level 1 is 3 x 2, each of its pixels 5/3 x 3/2 full pixels.
    const RasterWindow odd = TilePyramid(5, 3).LevelWindow(1, 2, 1, 1, 1);
    EXPECT_DOUBLE_EQ(odd.x, 10.0 / 3);
    EXPECT_DOUBLE_EQ(odd.width, 5.0 / 3);
    EXPECT_EQ(odd.x0, 3);
    EXPECT_EQ(odd.x1, 5);
    EXPECT_EQ(odd.y0, 1);
    EXPECT_EQ(odd.y1, 3);
}

struct CoverCase {
    const char* name;
    int level;
    double c0, r0, c1, r1;
    TileRange tiles;
};

class TilesCovering : public ::testing::TestWithParam<CoverCase> {};

TEST_P(TilesCovering, TheTilesHoldingTheWindow) {
    const CoverCase& c = GetParam();
    const TileRange t = kRaster.TilesCovering(c.level, c.c0, c.r0, c.c1, c.r1);
    if (c.tiles.Empty()) {
        EXPECT_TRUE(t.Empty());
        return;
    }
    EXPECT_EQ(t.level, c.level);
    EXPECT_EQ(t.column0, c.tiles.column0);
    EXPECT_EQ(t.row0, c.tiles.row0);
    EXPECT_EQ(t.column1, c.tiles.column1);
    EXPECT_EQ(t.row1, c.tiles.row1);
}

INSTANTIATE_TEST_SUITE_P(Windows, TilesCovering,
                         ::testing::Values(CoverCase{"Whole", 0, 0, 0, 1000, 600, {0, 0, 0, 4, 3}},
                                           CoverCase{
                                               "BeyondTheEdges", 0, -500, -500, 5000, 5000, {0, 0, 0, 4, 3}},
                                           CoverCase{"Strip", 0, 300, 10, 520, 20, {0, 1, 0, 3, 1}},
                                           CoverCase{"HalvedLevel", 1, 0, 0, 1000, 600, {1, 0, 0, 2, 2}},
                                           CoverCase{"Outside", 0, 1200, 0, 1300, 10, {}},
                                           CoverCase{"NotANumber", 0, NAN, 0, 10, 10, {}}),
                         testing_support::ParamName());

TEST(TileCache, DropsTheLeastRecentlyUsedBeyondItsLimit) {
    TileCache<std::string> cache(10);
    cache.Insert({0, 0, 0}, "a", 4);
    cache.Insert({0, 1, 0}, "b", 4);
    cache.Insert({0, 2, 0}, "c", 4);  // 12 bytes: a goes
    EXPECT_EQ(cache.Find({0, 0, 0}), nullptr);
    EXPECT_EQ(cache.Bytes(), 8u);
    ASSERT_NE(cache.Find({0, 1, 0}), nullptr);  // b is now the newest
    cache.Insert({0, 3, 0}, "d", 4);            // c goes, not b
    EXPECT_EQ(cache.Find({0, 2, 0}), nullptr);
    EXPECT_EQ(*cache.Find({0, 1, 0}), "b");
    cache.Insert({0, 1, 0}, "b2", 2);  // replaced, its bytes counted once
    EXPECT_EQ(cache.Bytes(), 6u);
    EXPECT_EQ(*cache.Find({0, 1, 0}), "b2");
    cache.Insert({1, 0, 0}, "huge", 20);  // larger than the limit: it alone stays
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_EQ(cache.Bytes(), 20u);
    cache.SetLimit(0);
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(ValueStretch, LinearFromLowestToHighestOntoBytes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Every other value (a second band between), every third byte.
    const std::vector<float> values{1000, -1, 1255, -1, 1127.5F, -1, 1063, -1,
                                    900,  -1, 2000, -1, nan,     -1, inf,  -1};
    std::vector<unsigned char> out(24, 7);
    StretchToBytes(values.data(), 2, 8, {1000, 1255}, out.data(), 3);
    const std::vector<int> expected{0, 255, 128, 63, 0, 255, 0, 0};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(out[3 * i], expected[i]) << i;
        EXPECT_EQ(out[3 * i + 1], 7) << i;  // untouched between
    }
    StretchToBytes(values.data(), 2, 2, {5, 5}, out.data(), 1);  // an empty range
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
}

}  // namespace
}  // namespace vantrel::maps
