#pragma once

// What the GDAL module (vantrel_gdal, loaded when the first map is opened) provides behind RasterMap and
// CrsTransform. GDAL and the hundred libraries it pulls in are loaded only then, so the programs start as
// fast without a map as they did before maps existed. Internal to src/platform.

#include <cstddef>
#include <memory>
#include <stop_token>
#include <string>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "maps/geo_transform.hpp"
#include "platform/raster_map.hpp"

class QPainter;

namespace vantrel::platform::detail {

// Each call may come from any thread; the backend keeps the thread rules of raster_map.hpp.
class RasterMapBackend {
  public:
    virtual ~RasterMapBackend() = default;
    [[nodiscard]] virtual const RasterMapFacts& facts() const = 0;  // fixed once open
    virtual MapDrawResult Draw(QPainter& painter, const core::PlaneBox& view, int width, int height,
                               std::stop_token stop) = 0;
    virtual void setCacheLimit(std::size_t bytes) = 0;
    [[nodiscard]] virtual std::size_t cachedBytes() const = 0;
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
    static constexpr int kVersion = 2;
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
