#pragma once

// Positions and rectangles in a plane: a UTM zone's grid (x = easting, y = northing, metres), a map's CRS
// (its own units, y growing north) or a picture's pixels (y growing down). The plane says what the numbers
// mean; the types are the same everywhere, so a point moves between modules without being copied field by
// field.

namespace vantrel::core {

struct PlanePoint {
    double x = 0;  // easting in a UTM zone
    double y = 0;  // northing in a UTM zone

    friend bool operator==(const PlanePoint&, const PlanePoint&) = default;
};

// An axis-parallel rectangle, minX <= maxX and minY <= maxY.
struct PlaneBox {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;

    [[nodiscard]] double Width() const { return maxX - minX; }
    [[nodiscard]] double Height() const { return maxY - minY; }
    [[nodiscard]] PlanePoint Centre() const { return {(minX + maxX) / 2, (minY + maxY) / 2}; }
    [[nodiscard]] bool Contains(PlanePoint p) const {
        return p.x >= minX && p.x <= maxX && p.y >= minY && p.y <= maxY;
    }
    // The box grown by `margin` on every side.
    [[nodiscard]] PlaneBox Grown(double margin) const {
        return {minX - margin, minY - margin, maxX + margin, maxY + margin};
    }

    friend bool operator==(const PlaneBox&, const PlaneBox&) = default;
};

}  // namespace vantrel::core
