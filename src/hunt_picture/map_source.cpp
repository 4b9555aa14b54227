#include "hunt_picture/map_source.hpp"

#include <QPainter>

namespace vantrel::hunt_picture {

maps::Box MapSource::Extent() const {
    const platform::MapBounds b = map->extent();
    return {b.minX, b.minY, b.maxX, b.maxY};
}

MapPainter MapSource::Painter() const {
    return [raster = map](QPainter& painter, const maps::View& view, std::stop_token stop) {
        const maps::Box e = view.Extent();
        return raster->Draw(painter, {e.x0, e.y0, e.x1, e.y1}, view.width, view.height, std::move(stop))
            .readError;
    };
}

core::Result<MapSource> OpenMapSource(const std::string& path, geodesy::UtmZone zone) {
    auto map = platform::RasterMap::Open(path, zone);
    if (!map) {
        return map.outcome();
    }
    auto transform = platform::CrsTransform::Create(zone, (*map)->crsWkt());
    if (!transform) {
        return core::Result<MapSource>::Fail(path + ": " + transform.message());
    }
    MapSource source;
    source.map = std::shared_ptr<platform::RasterMap>(std::move(*map));
    source.projection = std::make_shared<MapProjection>(std::move(*transform));
    return source;
}

}  // namespace vantrel::hunt_picture
