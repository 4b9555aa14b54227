#pragma once

// A raster seen as a pyramid of levels, each half the size of the one below (level 0 is the full raster),
// cut into square tiles of kTileSide level pixels. Plain arithmetic, no reading: which level a view reads,
// which tiles it needs, and which window of the full raster a tile covers. A reader maps a level onto the
// file's overviews or tile zoom levels by reading that window at the level's size.

#include <compare>

namespace vantrel::maps {

inline constexpr int kTileSide = 256;  // level pixels per tile side
inline constexpr int kMostLevels = 30;

struct TileKey {
    int level = 0;
    int column = 0;  // in tiles from the left of the level
    int row = 0;     // in tiles from the top
    friend auto operator<=>(const TileKey&, const TileKey&) = default;
};

// A window of the full-resolution raster read into columns x rows pixels.
struct RasterWindow {
    double x = 0, y = 0, width = 0, height = 0;  // exactly, in full-raster pixels
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;          // the whole pixels it touches: [x0, x1) x [y0, y1)
    int columns = 0, rows = 0;                   // the size it is read into
};

// The tiles [column0, column1) x [row0, row1) of one level; empty when column0 >= column1 or row0 >= row1.
struct TileRange {
    int level = 0;
    int column0 = 0, row0 = 0, column1 = 0, row1 = 0;
    [[nodiscard]] bool Empty() const { return column0 >= column1 || row0 >= row1; }
};

class TilePyramid {
  public:
    // A raster of width x height pixels (each at least 1).
    TilePyramid(int width, int height);

    // The size of a level: the full size halved `level` times, rounded up, at least 1.
    [[nodiscard]] int LevelWidth(int level) const;
    [[nodiscard]] int LevelHeight(int level) const;
    // Full-raster pixels per level pixel, across and down (at least 1; not exactly 2^level where the halving
    // rounded up).
    [[nodiscard]] double LevelScaleX(int level) const;
    [[nodiscard]] double LevelScaleY(int level) const;

    // The level a view reads when one screen pixel covers `fullPixelsPerScreenPixel` full-raster pixels: the
    // coarsest that still has at least one of its pixels per screen pixel, and never one of a single pixel.
    [[nodiscard]] int ChooseLevel(double fullPixelsPerScreenPixel) const;
    // The finest level whose width and height are both at most `side` pixels.
    [[nodiscard]] int FirstLevelWithin(int side) const;

    // The level pixels [column, column + columns) x [row, row + rows) as a window of the full raster, read
    // into columns x rows pixels (cut at the raster's right and lower edge).
    [[nodiscard]] RasterWindow LevelWindow(int level, int column, int row, int columns, int rows) const;
    // The window of one tile (the last tile of a row or column is cut to the level's size).
    [[nodiscard]] RasterWindow TileWindow(const TileKey& key) const;
    // The tiles of `level` that hold any of the full-raster pixels in [c0, c1) x [r0, r1) (clipped to the
    // raster).
    [[nodiscard]] TileRange TilesCovering(int level, double c0, double r0, double c1, double r1) const;

  private:
    int width_;
    int height_;
};

}  // namespace vantrel::maps
