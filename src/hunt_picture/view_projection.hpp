#pragma once

// How a position of the hunt's UTM zone reaches the view's CRS and back. Without a map the view works in
// the hunt's zone itself; with a map, in the map's CRS, point by point.

#include "maps/view_geometry.hpp"

namespace vantrel::hunt_picture {

class ViewProjection {
  public:
    virtual ~ViewProjection() = default;
    // Hunt UTM -> view CRS in place; false when the point cannot be transformed.
    virtual bool ToView(core::PlanePoint& point) const = 0;
    // View CRS -> hunt UTM in place.
    virtual bool FromView(core::PlanePoint& point) const = 0;
    // True when the view is the hunt's zone itself (straight lines stay straight).
    [[nodiscard]] virtual bool IsIdentity() const { return false; }
};

class IdentityProjection final : public ViewProjection {
  public:
    bool ToView(core::PlanePoint& /*point*/) const override { return true; }
    bool FromView(core::PlanePoint& /*point*/) const override { return true; }
    [[nodiscard]] bool IsIdentity() const override { return true; }
};

}  // namespace vantrel::hunt_picture
