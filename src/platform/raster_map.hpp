#pragma once

// Raster maps read through GDAL: the one place the program talks to GDAL. GDAL itself lives in a module
// (vantrel_gdal) loaded when the first map or transformation is asked for, so that starting the programs
// does not load GDAL and the libraries it depends on. A map is any georeferenced raster
// GDAL opens (GeoTIFF, MBTiles raster tiles, VRT mosaics, PNG / JPEG / TIFF with a world file, ...). The view
// works in the map's own CRS: the map is never warped; what is drawn over it is transformed point by point
// with CrsTransform.
//
// Threads. A RasterMap is opened on one thread and may then be used from any number of threads at once:
// - its facts (path, CRS, extent, ...) never change once it is open, so reading them needs no lock;
// - Draw may run on several threads at the same time (the Hunt Map draws on a worker thread while Save as
//   PNG and Print draw on the GUI thread). The map holds one lock around its GDAL dataset and its tile
//   cache, taken for one tile at a time, so a draw waits at most for the tile another draw is reading;
// - a draw is given up when its stop token is set: before each tile, and within the reading of a tile
//   where GDAL reports progress. A draw given up returns at once with `cancelled` set; what it drew so far
//   stays in the target, which the caller should drop;
// - setCacheLimit and cachedBytes take the same lock;
// - the map must outlive every draw still running on it (hold it in a shared_ptr that each draw copies).
// CrsTransform is not locked: use each one from one thread at a time.

#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
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

// What is known of a map once it is open; it does not change afterwards.
struct RasterMapFacts {
    std::string path;
    std::string crsWkt;       // the map's CRS (WKT2): the view's CRS
    core::PlaneBox extent;    // the map's footprint in its CRS
    std::string attribution;  // MBTiles attribution / GDAL metadata, may be empty
    maps::GeoTransform geoTransform;
    bool geographic = false;  // the CRS counts in degrees of latitude and longitude, not metres
    // The UTM zone the CRS is (a transverse Mercator with UTM's parameters, on any datum), with the band
    // letter of the map's centre; nothing for any other CRS and for a centre outside the zone's hemisphere.
    std::optional<geodesy::UtmZone> utmZone;
};

// How a draw went.
struct MapDrawResult {
    std::string readError;   // why a part could not be read (the part stays transparent); "" when all read
    bool cancelled = false;  // the stop token was set before the draw was done
};

class RasterMap {  // a map opened read-only; neither copied nor moved (shared between threads)
  public:
    // Opens PATH. A picture with a world file and no .prj takes the hunt's zone as its CRS. Failure: a
    // message naming the file and the reason ("vector tiles are not supported", "... has no georeference:
    // calibrate it", a world file's faulty line, an unknown CRS, a damaged file, not a regular file, a
    // picture too large to be read other than from its start).
    static core::Result<std::unique_ptr<RasterMap>> Open(const std::string& path, geodesy::UtmZone huntZone);

    RasterMap(const RasterMap&) = delete;
    RasterMap& operator=(const RasterMap&) = delete;
    ~RasterMap();

    [[nodiscard]] const RasterMapFacts& facts() const { return facts_; }
    [[nodiscard]] const std::string& path() const { return facts_.path; }
    [[nodiscard]] const std::string& crsWkt() const { return facts_.crsWkt; }
    [[nodiscard]] const core::PlaneBox& extent() const { return facts_.extent; }
    [[nodiscard]] const std::string& attribution() const { return facts_.attribution; }
    [[nodiscard]] const maps::GeoTransform& geoTransform() const { return facts_.geoTransform; }
    [[nodiscard]] bool geographic() const { return facts_.geographic; }
    [[nodiscard]] const std::optional<geodesy::UtmZone>& utmZone() const { return facts_.utmZone; }

    // Draws the map for the view window `view` (map-CRS rectangle shown north up) into `painter`'s target of
    // size width x height pixels (pixel x = (X - view.minX) / s, y = (view.maxY - Y) / s). Reads at the
    // resolution shown (overviews, MBTiles zoom levels), never the whole raster; decoded tiles are cached
    // with a bounded size. Rotated geotransforms (calibrated pictures) are drawn rotated. Parts that cannot
    // be read stay transparent and are named in the result. Any thread; see the thread rules above.
    MapDrawResult Draw(QPainter& painter, const core::PlaneBox& view, int width, int height,
                       std::stop_token stop = {});

    // The decoded-tile cache: its limit (default 48 MiB) and what it holds now.
    void setCacheLimit(std::size_t bytes);
    [[nodiscard]] std::size_t cachedBytes() const;

    // Made by Open only (public for std::make_unique; the backend type is internal to src/platform).
    explicit RasterMap(std::unique_ptr<detail::RasterMapBackend> backend);

  private:
    std::unique_ptr<detail::RasterMapBackend> backend_;  // in the GDAL module
    RasterMapFacts facts_;
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
