#pragma once

// What the GDAL module (vantrel_gdal, loaded when the first map is opened) provides behind RasterMap and
// CrsTransform. GDAL and the hundred libraries it pulls in are loaded only then, so the programs start as
// fast without a map as they did before maps existed. Internal to src/platform.

#include <cstddef>
#include <memory>
#include <string>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "maps/geo_transform.hpp"
#include "platform/raster_map.hpp"

class QPainter;

namespace vantrel::platform::detail {

class RasterMapBackend {
  public:
    virtual ~RasterMapBackend() = default;
    virtual const std::string& crsWkt() const = 0;
    virtual MapBounds extent() const = 0;
    virtual const std::string& attribution() const = 0;
    virtual const std::string& path() const = 0;
    virtual int pixelWidth() const = 0;
    virtual int pixelHeight() const = 0;
    virtual const maps::GeoTransform& geoTransform() const = 0;
    virtual void Draw(QPainter& painter, const MapBounds& view, int width, int height) = 0;
    virtual const std::string& lastReadError() const = 0;
    virtual void setCacheLimit(std::size_t bytes) = 0;
    virtual std::size_t cachedBytes() const = 0;
};

class CrsTransformBackend {
  public:
    virtual ~CrsTransformBackend() = default;
    virtual bool ToMap(double& x, double& y) const = 0;
    virtual bool FromMap(double& x, double& y) const = 0;
    virtual bool MapToLatLon(double x, double y, double& lat, double& lon) const = 0;
};

// The module's entry points; kVersion changes whenever this table or the classes above change, so a
// module from another build is refused instead of called wrongly.
struct GdalModule {
    static constexpr int kVersion = 1;
    int version = kVersion;
    core::Result<std::unique_ptr<RasterMapBackend>> (*openMap)(const std::string& path,
                                                               geodesy::UtmZone huntZone) = nullptr;
    core::Result<std::unique_ptr<CrsTransformBackend>> (*createTransform)(
        geodesy::UtmZone huntZone, const std::string& mapWkt) = nullptr;
    std::string (*utmZoneWkt)(geodesy::UtmZone zone) = nullptr;
    std::string (*utmZonePrjText)(geodesy::UtmZone zone) = nullptr;
};

}  // namespace vantrel::platform::detail

// The one symbol the module exports.
extern "C" const vantrel::platform::detail::GdalModule* VantrelGdalModule();
