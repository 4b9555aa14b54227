#pragma once

// Raster maps read through GDAL: the one place the program talks to GDAL. GDAL itself lives in a module
// (vantrel_gdal) loaded when the first map or transformation is asked for, so that starting the programs
// does not load GDAL and the libraries it depends on. A map is any georeferenced raster
// GDAL opens (GeoTIFF, MBTiles raster tiles, VRT mosaics, PNG / JPEG / TIFF with a world file, ...). The view
// works in the map's own CRS: the map is never warped; what is drawn over it is transformed point by point
// with CrsTransform.

#include <cstddef>
#include <memory>
#include <string>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "maps/geo_transform.hpp"

class QPainter;

namespace vantrel::platform {
namespace detail {
class RasterMapBackend;
class CrsTransformBackend;
}  // namespace detail

using MapBounds = core::PlaneBox;  // in the map's CRS, y grows north

class RasterMap {  // a map opened read-only; move-only
  public:
    // Opens PATH. A picture with a world file and no .prj takes the hunt's zone as its CRS. Failure: a
    // message naming the file and the reason ("vector tiles are not supported", "... has no georeference:
    // calibrate it", a world file's faulty line, an unknown CRS, a damaged file).
    static core::Result<std::unique_ptr<RasterMap>> Open(const std::string& path, geodesy::UtmZone huntZone);

    RasterMap(RasterMap&&) noexcept;
    RasterMap& operator=(RasterMap&&) noexcept;
    RasterMap(const RasterMap&) = delete;
    RasterMap& operator=(const RasterMap&) = delete;
    ~RasterMap();

    const std::string& crsWkt() const;       // the map's CRS (WKT2): the view's CRS
    MapBounds extent() const;                // the map's footprint in its CRS
    const std::string& attribution() const;  // MBTiles attribution / GDAL metadata, may be empty
    const std::string& path() const;
    int pixelWidth() const;  // of the full-resolution raster
    int pixelHeight() const;
    const maps::GeoTransform& geoTransform() const;

    // Draws the map for the view window `view` (map-CRS rectangle shown north up) into `painter`'s target of
    // size width x height pixels (pixel x = (X - view.minX) / s, y = (view.maxY - Y) / s). Reads at the
    // resolution shown (overviews, MBTiles zoom levels), never the whole raster; decoded blocks are cached
    // with a bounded size. Rotated geotransforms (calibrated pictures) are drawn rotated. Parts that cannot
    // be read stay transparent and are named by lastReadError().
    void Draw(QPainter& painter, const MapBounds& view, int width, int height);

    // The most recent failure to read a part of the map while drawing ("" when the last Draw read all).
    const std::string& lastReadError() const;
    // The decoded-block cache: its limit (default 48 MiB) and what it holds now.
    void setCacheLimit(std::size_t bytes);
    std::size_t cachedBytes() const;

    // Made by Open only (public for std::make_unique; the backend type is internal to src/platform).
    explicit RasterMap(std::unique_ptr<detail::RasterMapBackend> backend);

  private:
    std::unique_ptr<detail::RasterMapBackend> backend_;  // in the GDAL module
};

// Hunt UTM zone <-> another CRS (GDAL's OGRCoordinateTransformation, PROJ underneath; traditional GIS axis
// order, x = easting/longitude).
class CrsTransform {
  public:
    static core::Result<std::unique_ptr<CrsTransform>> Create(geodesy::UtmZone huntZone,
                                                              const std::string& mapWkt);
    CrsTransform(const CrsTransform&) = delete;
    CrsTransform& operator=(const CrsTransform&) = delete;
    ~CrsTransform();

    bool ToMap(double& x, double& y) const;    // hunt UTM -> map CRS; false when it cannot be transformed
    bool FromMap(double& x, double& y) const;  // map CRS -> hunt UTM
    bool MapToLatLon(double x, double y, double& lat, double& lon) const;  // for the status bar

    // Made by Create only (public for std::make_unique; the backend type is internal to src/platform).
    explicit CrsTransform(std::unique_ptr<detail::CrsTransformBackend> backend);

  private:
    std::unique_ptr<detail::CrsTransformBackend> backend_;  // in the GDAL module
};

// The WKT (WKT2) of WGS 84 / UTM in `zone` (EPSG 326zz north of the equator, 327zz south); the message
// when the GDAL module cannot be loaded.
core::Result<std::string> UtmZoneWkt(geodesy::UtmZone zone);
// The same CRS as the text of a .prj file beside a picture (ESRI's WKT1, which every GIS reads).
core::Result<std::string> UtmZonePrjText(geodesy::UtmZone zone);

}  // namespace vantrel::platform
