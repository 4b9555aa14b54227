#pragma once

// Coordinate reference systems in the GDAL module: spatial references in GIS axis order (x = easting or
// longitude), the UTM zones of the hunt, and the transformations between them. Internal to vantrel_gdal.

#include <ogr_spatialref.h>

#include <memory>
#include <string>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "platform/raster_backend.hpp"

namespace vantrel::platform::gdal {

using SpatialRef = std::unique_ptr<OGRSpatialReference>;

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* t) const { OGRCoordinateTransformation::DestroyCT(t); }
};
using TransformPtr = std::unique_ptr<OGRCoordinateTransformation, TransformDeleter>;

// An empty spatial reference in traditional GIS axis order.
SpatialRef NewSpatialRef();
// WGS 84 / UTM in `zone` (from the EPSG database, else from the zone's parameters).
SpatialRef UtmSpatialRef(geodesy::UtmZone zone);
// The CRS as WKT in `format` ("FORMAT=WKT2_2018", "FORMAT=WKT1_ESRI"); "" when it cannot be written.
std::string ExportWkt(const OGRSpatialReference& srs, const char* format);
// From `srs` to WGS 84 latitude and longitude (x = longitude); null when PROJ knows no way.
TransformPtr ToWgs84(const OGRSpatialReference& srs);
// Transforms one point in place; false when it cannot be transformed or either side is not finite.
bool TransformPoint(OGRCoordinateTransformation& transform, double& x, double& y);

// The module's entry points for transformations and zone texts.
core::Result<std::unique_ptr<detail::CrsTransformBackend>> CreateTransform(geodesy::UtmZone huntZone,
                                                                           const std::string& mapWkt);
std::string UtmZoneWkt(geodesy::UtmZone zone);
std::string UtmZonePrjText(geodesy::UtmZone zone);

}  // namespace vantrel::platform::gdal
