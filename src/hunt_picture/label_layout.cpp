#include "hunt_picture/label_layout.hpp"

namespace vantrel::hunt_picture {

bool LabelLayout::Free(const LabelRect& r) const {
    if (r.x < 0 || r.y < 0 || r.Right() > width_ || r.Bottom() > height_) {
        return false;  // a label cut at the edge reads as another number ("8000" for "E 288000")
    }
    for (const auto* list : {&placed_, &reserved_}) {
        for (const LabelRect& other : *list) {
            if (r.Overlaps(other)) {
                return false;
            }
        }
    }
    return true;
}

std::optional<LabelRect> LabelLayout::Place(const std::vector<LabelRect>& candidates) {
    for (const LabelRect& candidate : candidates) {
        if (Free(candidate)) {
            placed_.push_back(candidate);
            return candidate;
        }
    }
    return std::nullopt;
}

std::vector<LabelRect> AroundSymbol(double x, double y, double radius, double w, double h, double gap) {
    const double d = radius + gap;
    return {
        {x + d, y - h / 2, w, h},      // right
        {x - d - w, y - h / 2, w, h},  // left
        {x - w / 2, y - d - h, w, h},  // above
        {x - w / 2, y + d, w, h},      // below
        {x + d * 0.7, y - d * 0.7 - h, w, h},
        {x - d * 0.7 - w, y - d * 0.7 - h, w, h},
        {x + d * 0.7, y + d * 0.7, w, h},
        {x - d * 0.7 - w, y + d * 0.7, w, h},
    };
}

}  // namespace vantrel::hunt_picture
