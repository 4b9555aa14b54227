#include "platform/gdal_crs.hpp"

#include <cpl_conv.h>

#include <cmath>

#include "platform/gdal_session.hpp"

namespace vantrel::platform::gdal {
namespace {

int UtmEpsg(geodesy::UtmZone zone) {
    return (zone.North() ? 32600 : 32700) + zone.number;
}

struct GdalCrsTransform final : detail::CrsTransformBackend {
    TransformPtr huntToMap;
    TransformPtr mapToHunt;
    TransformPtr mapToLatLon;

    bool ToMap(double& x, double& y) const override { return TransformPoint(*huntToMap, x, y); }
    bool FromMap(double& x, double& y) const override { return TransformPoint(*mapToHunt, x, y); }
    bool MapToLatLon(double x, double y, double& lat, double& lon) const override {
        if (!TransformPoint(*mapToLatLon, x, y)) {
            return false;
        }
        lon = x;
        lat = y;
        return true;
    }
};

}  // namespace

SpatialRef NewSpatialRef() {
    auto srs = std::make_unique<OGRSpatialReference>();
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

SpatialRef UtmSpatialRef(geodesy::UtmZone zone) {
    SpatialRef srs = NewSpatialRef();
    if (srs->importFromEPSG(UtmEpsg(zone)) != OGRERR_NONE) {
        // Without the EPSG database (proj.db) the zone is still fully described by its parameters.
        srs->SetWellKnownGeogCS("WGS84");
        srs->SetUTM(zone.number, zone.North() ? TRUE : FALSE);
    }
    return srs;
}

std::string ExportWkt(const OGRSpatialReference& srs, const char* format) {
    char* text = nullptr;
    const char* options[] = {format, nullptr};
    std::string wkt;
    if (srs.exportToWkt(&text, options) == OGRERR_NONE && text != nullptr) {
        wkt = text;
    }
    CPLFree(text);
    return wkt;
}

TransformPtr ToWgs84(const OGRSpatialReference& srs) {
    SpatialRef wgs84 = NewSpatialRef();
    wgs84->SetWellKnownGeogCS("WGS84");
    return TransformPtr(OGRCreateCoordinateTransformation(&srs, wgs84.get()));
}

bool TransformPoint(OGRCoordinateTransformation& transform, double& x, double& y) {
    double tx = x, ty = y;
    if (!std::isfinite(tx) || !std::isfinite(ty) || !transform.Transform(1, &tx, &ty) || !std::isfinite(tx) ||
        !std::isfinite(ty)) {
        return false;
    }
    x = tx;
    y = ty;
    return true;
}

core::Result<std::unique_ptr<detail::CrsTransformBackend>> CreateTransform(geodesy::UtmZone huntZone,
                                                                           const std::string& mapWkt) {
    using CreateResult = core::Result<std::unique_ptr<detail::CrsTransformBackend>>;
    EnsureSetUp();
    SpatialRef hunt = UtmSpatialRef(huntZone);
    SpatialRef map = NewSpatialRef();
    if (map->importFromWkt(mapWkt.c_str()) != OGRERR_NONE) {
        return CreateResult::Fail("The map's CRS is unknown (its WKT text cannot be read).");
    }
    auto transform = std::make_unique<GdalCrsTransform>();
    transform->huntToMap.reset(OGRCreateCoordinateTransformation(hunt.get(), map.get()));
    transform->mapToHunt.reset(OGRCreateCoordinateTransformation(map.get(), hunt.get()));
    transform->mapToLatLon = ToWgs84(*map);
    if (!transform->huntToMap || !transform->mapToHunt || !transform->mapToLatLon) {
        return CreateResult::Fail("The map's CRS cannot be transformed to UTM zone " +
                                  geodesy::ZoneText(huntZone) + " (" + LastError("no transformation known") +
                                  ").");
    }
    return std::unique_ptr<detail::CrsTransformBackend>(std::move(transform));
}

std::string UtmZoneWkt(geodesy::UtmZone zone) {
    EnsureSetUp();
    return ExportWkt(*UtmSpatialRef(zone), "FORMAT=WKT2_2018");
}

std::string UtmZonePrjText(geodesy::UtmZone zone) {
    EnsureSetUp();
    return ExportWkt(*UtmSpatialRef(zone), "FORMAT=WKT1_ESRI");
}

}  // namespace vantrel::platform::gdal
