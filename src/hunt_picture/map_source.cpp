#include "hunt_picture/map_source.hpp"

#include <QPainter>

namespace vantrel::hunt_picture {

core::PlaneBox MapSource::Extent() const {
    return map->extent();
}

MapPainter MapSource::Painter() const {
    return [raster = map](QPainter& painter, const maps::View& view, std::stop_token stop) {
        return raster->Draw(painter, view.Extent(), view.width, view.height, std::move(stop)).readError;
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
