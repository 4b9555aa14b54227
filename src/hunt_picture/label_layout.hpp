#pragma once

// Where the hunt picture's labels go: each label is tried at a few places around what it names, in order,
// and takes the first that lies wholly inside the picture and touches no label placed before it and no
// reserved area (the corners' scale bar, north arrow, legend and attribution, the title band, the symbols).
// A label with no free place is dropped rather than drawn over another. Plain geometry in pixels, x right
// and y down, so the rule is tested without drawing.

#include <optional>
#include <vector>

namespace vantrel::hunt_picture {

struct LabelRect {
    double x = 0;  // left
    double y = 0;  // top
    double w = 0;
    double h = 0;

    [[nodiscard]] double Right() const { return x + w; }
    [[nodiscard]] double Bottom() const { return y + h; }
    // True when the two share more than a touching edge.
    [[nodiscard]] bool Overlaps(const LabelRect& other) const {
        return x < other.Right() && other.x < Right() && y < other.Bottom() && other.y < Bottom();
    }
};

class LabelLayout {
  public:
    LabelLayout(double width, double height) : width_(width), height_(height) {}

    // No label may cover `area` (it may lie partly outside the picture).
    void Reserve(const LabelRect& area) { reserved_.push_back(area); }
    // The first candidate inside the picture that overlaps nothing placed or reserved, now placed; nothing
    // when every candidate is taken.
    std::optional<LabelRect> Place(const std::vector<LabelRect>& candidates);

    [[nodiscard]] const std::vector<LabelRect>& Placed() const { return placed_; }
    [[nodiscard]] const std::vector<LabelRect>& Reserved() const { return reserved_; }

  private:
    [[nodiscard]] bool Free(const LabelRect& r) const;

    double width_;
    double height_;
    std::vector<LabelRect> placed_;
    std::vector<LabelRect> reserved_;
};

// The places tried for a w x h label beside a symbol of radius `radius` at (x, y): right, left, above,
// below, then the four diagonals, each `gap` pixels clear of the symbol.
std::vector<LabelRect> AroundSymbol(double x, double y, double radius, double w, double h, double gap);

}  // namespace vantrel::hunt_picture
