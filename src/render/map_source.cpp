#include "render/map_source.hpp"

#include <QPainter>

namespace vantrel::render {

maps::Box MapSource::Extent() const {
    const platform::MapBounds b = map->extent();
    return {b.minX, b.minY, b.maxX, b.maxY};
}

MapPainter MapSource::Painter() const {
    return [raster = map](QPainter& painter, const maps::View& view) {
        const maps::Box e = view.Extent();
        raster->Draw(painter, {e.x0, e.y0, e.x1, e.y1}, view.width, view.height);
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
    const std::string& wkt = (*map)->crsWkt();
    source.geographic = wkt.rfind("GEOGCRS", 0) == 0 || wkt.rfind("GEOGCS", 0) == 0;
    source.map = std::shared_ptr<platform::RasterMap>(std::move(*map));
    source.projection = std::make_shared<MapProjection>(std::move(*transform));
    return source;
}

}  // namespace vantrel::render
