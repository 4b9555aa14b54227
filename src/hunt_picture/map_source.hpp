#pragma once

// A map opened for the hunt picture: the raster, the projection between the hunt's zone and the map's CRS,
// and what the picture needs from them. Shared by the Hunt Map window and vantrel-cli map.

#include <memory>
#include <optional>
#include <string>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_picture.hpp"
#include "hunt_picture/view_projection.hpp"
#include "maps/view_geometry.hpp"
#include "platform/raster_map.hpp"

namespace vantrel::hunt_picture {

// Hunt UTM <-> the map's CRS through GDAL/PROJ.
class MapProjection final : public ViewProjection {
  public:
    explicit MapProjection(std::unique_ptr<platform::CrsTransform> transform)
        : transform_(std::move(transform)) {}
    bool ToView(core::PlanePoint& point) const override { return transform_->ToMap(point.x, point.y); }
    bool FromView(core::PlanePoint& point) const override { return transform_->FromMap(point.x, point.y); }
    bool ToLatLon(core::PlanePoint point, double& lat, double& lon) const {
        return transform_->MapToLatLon(point.x, point.y, lat, lon);
    }

  private:
    std::unique_ptr<platform::CrsTransform> transform_;
};

struct MapSource {
    // Shared, so a drawing still running on another thread keeps the map it reads from alive.
    std::shared_ptr<platform::RasterMap> map;
    std::shared_ptr<MapProjection> projection;  // used on the GUI thread only

    // Map-CRS units per metre on the ground (1 for a projected CRS in metres).
    [[nodiscard]] double UnitsPerMetre() const { return map->geographic() ? 1 / 111320.0 : 1.0; }
    [[nodiscard]] core::PlaneBox Extent() const;
    // The UTM zone the map's CRS is drawn in, with the band letter of the map's centre; nothing for a map
    // in any other CRS.
    [[nodiscard]] std::optional<geodesy::UtmZone> UtmZoneOfMap() const { return map->utmZone(); }
    // Draws the map for a view; reads only the resolution shown. The painter holds the map alive and may
    // run on any thread.
    [[nodiscard]] MapPainter Painter() const;
};

// Opens the map at `path` for a hunt in `zone`; the message names the file and what is wrong.
core::Result<MapSource> OpenMapSource(const std::string& path, geodesy::UtmZone zone);

}  // namespace vantrel::hunt_picture
