#include "maps/tile_pyramid.hpp"

#include <algorithm>
#include <cmath>

namespace vantrel::maps {
namespace {

int Halved(int size, int level) {
    return std::max(1, static_cast<int>(std::ceil(size / std::ldexp(1.0, level))));
}

int TilesOf(int levelSize) {
    return (levelSize + kTileSide - 1) / kTileSide;
}

}  // namespace

TilePyramid::TilePyramid(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {}

int TilePyramid::LevelWidth(int level) const {
    return Halved(width_, level);
}

int TilePyramid::LevelHeight(int level) const {
    return Halved(height_, level);
}

double TilePyramid::LevelScaleX(int level) const {
    return static_cast<double>(width_) / LevelWidth(level);
}

double TilePyramid::LevelScaleY(int level) const {
    return static_cast<double>(height_) / LevelHeight(level);
}

int TilePyramid::ChooseLevel(double fullPixelsPerScreenPixel) const {
    int level = 0;
    // The tolerance keeps a view of exactly 2^n full pixels per screen pixel on level n despite rounding.
    while (level < kMostLevels && std::ldexp(1.0, level + 1) <= fullPixelsPerScreenPixel * (1 + 1e-9) &&
           (LevelWidth(level + 1) > 1 || LevelHeight(level + 1) > 1)) {
        ++level;
    }
    return level;
}

int TilePyramid::FirstLevelWithin(int side) const {
    int level = 0;
    while (level < kMostLevels && (LevelWidth(level) > side || LevelHeight(level) > side)) {
        ++level;
    }
    return level;
}

RasterWindow TilePyramid::LevelWindow(int level, int column, int row, int columns, int rows) const {
    const double sx = LevelScaleX(level);
    const double sy = LevelScaleY(level);
    RasterWindow window;
    window.columns = columns;
    window.rows = rows;
    window.x = column * sx;
    window.y = row * sy;
    window.width = std::min(columns * sx, width_ - window.x);
    window.height = std::min(rows * sy, height_ - window.y);
    window.x0 = static_cast<int>(std::floor(window.x));
    window.y0 = static_cast<int>(std::floor(window.y));
    window.x1 = std::min(width_, static_cast<int>(std::ceil(window.x + window.width)));
    window.y1 = std::min(height_, static_cast<int>(std::ceil(window.y + window.height)));
    return window;
}

RasterWindow TilePyramid::TileWindow(const TileKey& key) const {
    const int column = key.column * kTileSide;
    const int row = key.row * kTileSide;
    return LevelWindow(key.level, column, row, std::min(kTileSide, LevelWidth(key.level) - column),
                       std::min(kTileSide, LevelHeight(key.level) - row));
}

TileRange TilePyramid::TilesCovering(int level, double c0, double r0, double c1, double r1) const {
    TileRange range{level, 0, 0, 0, 0};
    c0 = std::max(c0, 0.0);
    r0 = std::max(r0, 0.0);
    c1 = std::min(c1, static_cast<double>(width_));
    r1 = std::min(r1, static_cast<double>(height_));
    if (!(c0 < c1) || !(r0 < r1)) {
        return range;  // also for NaN
    }
    const double tileWidth = LevelScaleX(level) * kTileSide;
    const double tileHeight = LevelScaleY(level) * kTileSide;
    range.column0 = static_cast<int>(std::floor(c0 / tileWidth));
    range.row0 = static_cast<int>(std::floor(r0 / tileHeight));
    range.column1 = std::min(static_cast<int>(std::ceil(c1 / tileWidth)), TilesOf(LevelWidth(level)));
    range.row1 = std::min(static_cast<int>(std::ceil(r1 / tileHeight)), TilesOf(LevelHeight(level)));
    return range;
}

}  // namespace vantrel::maps
