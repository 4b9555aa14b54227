#include "hunt_picture/map_source.hpp"

#include <QPainter>

#include <regex>

#include "geodesy/utm_conv.hpp"

namespace vantrel::hunt_picture {

core::PlaneBox MapSource::Extent() const {
    return map->extent();
}

std::optional<geodesy::UtmZone> MapSource::UtmZoneOfMap() const {
    // WKT2 names it "WGS 84 / UTM zone 25S", an ESRI .prj "WGS_1984_UTM_Zone_25S".
    static const std::regex kUtmName("UTM[ _]zone[ _]([0-9]{1,2})([NS])\\b", std::regex::icase);
    std::smatch match;
    if (!std::regex_search(map->crsWkt(), match, kUtmName)) {
        return std::nullopt;
    }
    double lat = 0;
    double lon = 0;
    const core::PlanePoint centre = Extent().Centre();
    if (!projection->ToLatLon(centre, lat, lon)) {
        return std::nullopt;
    }
    const char band = geodesy::UtmLetter(lat);
    const bool south = match[2].str() == "S" || match[2].str() == "s";
    if (band == 'Z' || (band < 'N') != south) {
        return std::nullopt;  // the centre lies outside the zone's hemisphere or the bands
    }
    return geodesy::ParseUtmZone(match[1].str() + band);
}

MapPainter MapSource::Painter() const {
    return [raster = map](QPainter& painter, const maps::View& view) {
        raster->Draw(painter, view.Extent(), view.width, view.height);
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

}  // namespace vantrel::hunt_picture
