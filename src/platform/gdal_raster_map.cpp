// The GDAL module: maps opened and drawn through GDAL. Built as its own shared object (vantrel_gdal) that
// raster_map.cpp loads with the first map; only the gdal_*.cpp files include GDAL.
//
// Drawing: the raster is seen as a pyramid of levels (maps/tile_pyramid.hpp; GDAL maps each level onto the
// file's overviews or MBTiles zoom levels); a view reads the coarsest level that still has a pixel per
// screen pixel, in tiles that an LRU cache keeps decoded, and draws each tile with the affine transform
// from its pixels to the screen (rotated for a turned picture).
//
// Threads (the rules are in raster_map.hpp): what Open finds is fixed before the map is handed out and read
// without a lock; the GDAL dataset (not thread-safe) and the tile cache are used only under `mutex`, held
// for one tile at a time. GDAL keeps its last error per thread, so each draw reads its own.

#include "platform/raster_backend.hpp"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "geodesy/utm_conv.hpp"
#include "maps/tile_cache.hpp"
#include "maps/tile_pyramid.hpp"
#include "maps/value_stretch.hpp"
#include "maps/world_file.hpp"
#include "persistence/file_access.hpp"
#include "platform/gdal_crs.hpp"
#include "platform/gdal_session.hpp"
#include "platform/map_sidecars.hpp"

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDefaultCacheBytes = 48u << 20;  // decoded tiles kept between draws
// Six numbers need a few hundred bytes, a CRS's WKT a few thousand: anything far larger is no such file.
constexpr std::size_t kMostWorldFileBytes = 64 * 1024;
constexpr std::size_t kMostPrjBytes = 1024 * 1024;
// Pictures that can only be decoded from their first line (PNG, JPEG, GIF, WebP) are read again from the
// top for every tile; above this many pixels one view takes seconds to minutes, so they are refused.
constexpr double kMostPixelsReadFromStart = 40e6;

std::string Quoted(const std::string& path) {
    return "\"" + persistence::DisplayPath(path) + "\"";
}

// How the bands become colours.
enum class ColourForm { Rgb, Gray, Palette };

struct BandLayout {
    ColourForm form = ColourForm::Rgb;
    std::vector<int> colours;  // 1-based; red, green, blue (or the one gray / palette band)
    int alpha = 0;             // 0: none
    bool useMask = false;      // no alpha band, but a nodata value or mask says where the map is empty
    QList<QRgb> palette;
    std::vector<maps::ValueRange> stretch;  // per colour band, for values other than bytes

    [[nodiscard]] bool HasAlpha() const { return alpha != 0 || useMask; }
};

QList<QRgb> GrayPalette() {
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(qRgb(i, i, i));
    }
    return palette;
}

// Reading one window of the raster for one draw.
struct WindowRead {
    maps::RasterWindow window;
    GDALRasterIOExtraArg extra{};
    std::stop_token stop;
    std::string error;
    bool cancelled = false;

    WindowRead(const maps::RasterWindow& w, std::stop_token token) : window(w), stop(std::move(token)) {
        INIT_RASTERIO_EXTRA_ARG(extra);
        extra.eResampleAlg = GRIORA_NearestNeighbour;
        extra.bFloatingPointWindowValidity = TRUE;
        extra.dfXOff = window.x;
        extra.dfYOff = window.y;
        extra.dfXSize = window.width;
        extra.dfYSize = window.height;
        // Drivers that report progress within a read (resampling from a large level) let a stale draw go.
        extra.pfnProgress = [](double, const char*, void* data) -> int {
            return static_cast<const std::stop_token*>(data)->stop_requested() ? FALSE : TRUE;
        };
        extra.pProgressData = &stop;
    }
    WindowRead(const WindowRead&) = delete;
    WindowRead& operator=(const WindowRead&) = delete;

    // Whether a RasterIO went well; some drivers leave a tile they cannot decode empty, return success and
    // only report the failure.
    bool Succeeded(CPLErr result, const std::string& mapPath) {
        if (result == CE_None && CPLGetLastErrorType() != CE_Failure) {
            return true;
        }
        if (stop.stop_requested()) {
            cancelled = true;
        } else {
            error = persistence::DisplayPath(mapPath) + ": a part of the map cannot be read (" +
                    gdal::LastError("no reason given") + ")";
        }
        return false;
    }
};

struct GdalRasterMap final : detail::RasterMapBackend {
    const RasterMapFacts& facts() const override { return known; }
    MapDrawResult Draw(QPainter& painter, const core::PlaneBox& view, int screenWidth, int screenHeight,
                       std::stop_token stop) override;
    void setCacheLimit(std::size_t bytes) override {
        const std::lock_guard lock(mutex);
        cache.SetLimit(bytes);
    }
    std::size_t cachedBytes() const override {
        const std::lock_guard lock(mutex);
        return cache.Bytes();
    }

    // Fixed once Open is done; read without the lock.
    RasterMapFacts known;
    maps::GeoTransform inverse;
    maps::TilePyramid pyramid{1, 1};
    BandLayout bands;

    // The dataset and the cache, used only under the lock.
    mutable std::mutex mutex;
    GDALDatasetUniquePtr dataset;
    maps::TileCache<QImage> cache{kDefaultCacheBytes};

    bool ReadBands(WindowRead& read, const std::vector<int>& which, unsigned char* data, int pixelSpace,
                   qsizetype lineSpace);
    bool ReadAlpha(WindowRead& read, unsigned char* data, int pixelSpace, qsizetype lineSpace);
    QImage ReadTile(WindowRead& read);
    // The tile from the cache or read now; a tile that could not be read is not kept. Takes the lock.
    QImage Tile(const maps::TileKey& key, std::stop_token stop, MapDrawResult& result);
    std::string Probe();
    bool FindStretch();
    core::Outcome LoadGeoreference(const std::string& name);
    core::Outcome LoadCrs(const std::string& name, geodesy::UtmZone huntZone);
};

bool GdalRasterMap::ReadBands(WindowRead& read, const std::vector<int>& which, unsigned char* data,
                              int pixelSpace, qsizetype lineSpace) {
    const maps::RasterWindow& w = read.window;
    std::vector<int> bandList = which;
    const int bandCount = static_cast<int>(bandList.size());
    gdal::ClearError();
    if (bands.stretch.empty()) {
        return read.Succeeded(
            dataset->RasterIO(GF_Read, w.x0, w.y0, w.x1 - w.x0, w.y1 - w.y0, data, w.columns, w.rows,
                              GDT_Byte, bandCount, bandList.data(), pixelSpace, lineSpace, 1, &read.extra),
            known.path);
    }
    // Values other than bytes: read as they are, then stretched from the band's lowest to its highest.
    const auto columns = static_cast<std::size_t>(w.columns);
    const auto count = static_cast<std::size_t>(bandCount);
    std::vector<float> values(columns * static_cast<std::size_t>(w.rows) * count);
    if (!read.Succeeded(dataset->RasterIO(GF_Read, w.x0, w.y0, w.x1 - w.x0, w.y1 - w.y0, values.data(),
                                          w.columns, w.rows, GDT_Float32, bandCount, bandList.data(),
                                          4 * bandCount, 4LL * bandCount * w.columns, 4, &read.extra),
                        known.path)) {
        return false;
    }
    for (std::size_t b = 0; b < count; ++b) {
        const auto index = static_cast<std::size_t>(
            std::find(bands.colours.begin(), bands.colours.end(), bandList[b]) - bands.colours.begin());
        for (int row = 0; row < w.rows; ++row) {
            maps::StretchToBytes(values.data() + static_cast<std::size_t>(row) * columns * count + b, count,
                                 columns, bands.stretch[index],
                                 data + row * lineSpace + static_cast<qsizetype>(b),
                                 static_cast<std::size_t>(pixelSpace));
        }
    }
    return true;
}

// For colour bands that hold other values than bytes: each band's lowest and highest value (from the
// overviews when there are some), which the drawing stretches to 0..255.
bool GdalRasterMap::FindStretch() {
    bands.stretch.clear();
    bool bytes = true;
    for (int band : bands.colours) {
        bytes = bytes && dataset->GetRasterBand(band)->GetRasterDataType() == GDT_Byte;
    }
    if (bytes) {
        return true;
    }
    for (int band : bands.colours) {
        double range[2] = {0, 0};
        gdal::ClearError();
        if (dataset->GetRasterBand(band)->ComputeRasterMinMax(TRUE, range) != CE_None) {
            bands.stretch.clear();
            return false;
        }
        bands.stretch.push_back({range[0], range[1]});
    }
    if (bands.form == ColourForm::Palette) {
        bands.form = ColourForm::Gray;  // a colour table of more than 256 entries cannot be shown as one
        bands.palette = GrayPalette();
    }
    return true;
}

bool GdalRasterMap::ReadAlpha(WindowRead& read, unsigned char* data, int pixelSpace, qsizetype lineSpace) {
    const maps::RasterWindow& w = read.window;
    GDALRasterBand* alpha = bands.alpha != 0 ? dataset->GetRasterBand(bands.alpha)
                                             : dataset->GetRasterBand(bands.colours[0])->GetMaskBand();
    gdal::ClearError();
    return read.Succeeded(alpha->RasterIO(GF_Read, w.x0, w.y0, w.x1 - w.x0, w.y1 - w.y0, data, w.columns,
                                          w.rows, GDT_Byte, pixelSpace, lineSpace, &read.extra),
                          known.path);
}

QImage GdalRasterMap::ReadTile(WindowRead& read) {
    const int columns = read.window.columns;
    const int rows = read.window.rows;
    QImage image;
    bool ok = false;
    if (bands.form == ColourForm::Rgb) {
        image = QImage(columns, rows, QImage::Format_RGBA8888);
        image.fill(QColor(0, 0, 0, 255));
        ok = !image.isNull() && ReadBands(read, bands.colours, image.bits(), 4, image.bytesPerLine()) &&
             (!bands.HasAlpha() || ReadAlpha(read, image.bits() + 3, 4, image.bytesPerLine()));
    } else {
        // Gray or palette: one byte a pixel through the colour table.
        image = QImage(columns, rows, QImage::Format_Indexed8);
        ok = !image.isNull() && ReadBands(read, bands.colours, image.bits(), 1, image.bytesPerLine());
        image.setColorTable(bands.palette);
        if (ok && bands.HasAlpha()) {
            image = image.convertToFormat(QImage::Format_RGBA8888);
            ok = ReadAlpha(read, image.bits() + 3, 4, image.bytesPerLine());
        }
    }
    if (!ok) {
        return {};
    }
    const bool opaque = !bands.HasAlpha() && bands.form != ColourForm::Palette;
    return image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
}

QImage GdalRasterMap::Tile(const maps::TileKey& key, std::stop_token stop, MapDrawResult& result) {
    const std::lock_guard lock(mutex);
    if (const QImage* cached = cache.Find(key)) {
        return *cached;  // shares the pixels; the copy outlives the cache entry
    }
    WindowRead read(pyramid.TileWindow(key), std::move(stop));
    QImage tile = ReadTile(read);
    if (tile.isNull()) {
        result.cancelled = result.cancelled || read.cancelled;
        if (!read.error.empty()) {
            result.readError = read.error;
        }
        return tile;
    }
    return cache.Insert(key, tile, static_cast<std::size_t>(tile.sizeInBytes()));
}

// Reads a sample of the coarsest level (the whole of it when it is small, as for MBTiles and rasters with
// overviews; else the middle of it), so that a map whose tiles cannot be decoded or that holds no tiles at
// all is refused when it is opened instead of drawing empty. Returns what is wrong, or "".
std::string GdalRasterMap::Probe() {
    constexpr int kProbeSide = 1024;  // level pixels read at most, in each direction
    const int level = dataset->GetRasterBand(bands.colours[0])->GetOverviewCount() > 0
                          ? pyramid.FirstLevelWithin(maps::kTileSide)
                          : 0;
    const int columns = std::min(kProbeSide, pyramid.LevelWidth(level));
    const int rows = std::min(kProbeSide, pyramid.LevelHeight(level));
    const bool whole = columns == pyramid.LevelWidth(level) && rows == pyramid.LevelHeight(level);
    maps::RasterWindow window = pyramid.LevelWindow(level, (pyramid.LevelWidth(level) - columns) / 2,
                                                    (pyramid.LevelHeight(level) - rows) / 2, columns, rows);
    window.columns = std::min(columns, maps::kTileSide);
    window.rows = std::min(rows, maps::kTileSide);
    WindowRead read(window, {});
    const int lineSpace = 2 * window.columns;
    std::vector<unsigned char> sample(static_cast<std::size_t>(lineSpace) *
                                      static_cast<std::size_t>(window.rows));
    if (!ReadBands(read, {bands.colours[0]}, sample.data(), 2, lineSpace) ||
        (bands.HasAlpha() && !ReadAlpha(read, sample.data() + 1, 2, lineSpace))) {
        return "its picture cannot be read (" + gdal::LastError("damaged") + ")";
    }
    bool empty = bands.HasAlpha();
    for (std::size_t i = 1; empty && i < sample.size(); i += 2) {
        empty = sample[i] == 0;
    }
    if (whole && empty) {
        return "it holds no map tiles (all of it is empty)";
    }
    return {};
}

core::PlaneBox ExtentOf(const maps::GeoTransform& transform, int width, int height) {
    core::PlaneBox bounds{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const auto& [column, row] : {std::pair{0, 0}, {width, 0}, {0, height}, {width, height}}) {
        const core::PlanePoint p = transform.Apply(column, row);
        bounds.minX = std::min(bounds.minX, p.x);
        bounds.maxX = std::max(bounds.maxX, p.x);
        bounds.minY = std::min(bounds.minY, p.y);
        bounds.maxY = std::max(bounds.maxY, p.y);
    }
    return bounds;
}

MapDrawResult GdalRasterMap::Draw(QPainter& painter, const core::PlaneBox& view, int screenWidth,
                                  int screenHeight, std::stop_token stop) {
    MapDrawResult result;
    const double sx = (view.maxX - view.minX) / screenWidth;
    const double sy = (view.maxY - view.minY) / screenHeight;
    if (screenWidth <= 0 || screenHeight <= 0 || !(sx > 0) || !(sy > 0) || !std::isfinite(sx) ||
        !std::isfinite(sy)) {
        return result;
    }
    // The view's corners in the raster's pixel grid: their bounding box is all that can show.
    double c0 = INFINITY, c1 = -INFINITY, r0 = INFINITY, r1 = -INFINITY;
    for (const auto& [x, y] : {std::pair{view.minX, view.minY},
                               {view.maxX, view.minY},
                               {view.minX, view.maxY},
                               {view.maxX, view.maxY}}) {
        const core::PlanePoint p = inverse.Apply(x, y);
        c0 = std::min(c0, p.x);
        c1 = std::max(c1, p.x);
        r0 = std::min(r0, p.y);
        r1 = std::max(r1, p.y);
    }
    const int level = pyramid.ChooseLevel(std::min(sx, sy) / known.geoTransform.PixelSize());
    const maps::TileRange tiles = pyramid.TilesCovering(level, c0, r0, c1, r1);
    const double fx = pyramid.LevelScaleX(level);
    const double fy = pyramid.LevelScaleY(level);
    const auto& g = known.geoTransform.c;
    const QTransform base = painter.worldTransform();
    painter.save();
    for (int ty = tiles.row0; ty < tiles.row1 && !result.cancelled; ++ty) {
        for (int tx = tiles.column0; tx < tiles.column1; ++tx) {
            if (stop.stop_requested()) {
                result.cancelled = true;
                break;
            }
            const QImage tile = Tile({level, tx, ty}, stop, result);
            if (tile.isNull()) {
                continue;  // left transparent
            }
            // Tile pixel (u, v) -> full raster pixel (column0 + fx u, row0 + fy v) -> map -> screen.
            const double column0 = tx * maps::kTileSide * fx;
            const double row0 = ty * maps::kTileSide * fy;
            const QTransform tileToScreen(g[1] * fx / sx, -g[4] * fx / sy, g[2] * fy / sx, -g[5] * fy / sy,
                                          (g[0] + g[1] * column0 + g[2] * row0 - view.minX) / sx,
                                          (view.maxY - g[3] - g[4] * column0 - g[5] * row0) / sy);
            painter.setWorldTransform(tileToScreen * base);
            painter.drawImage(QPointF(0, 0), tile);
        }
    }
    painter.restore();
    return result;
}

using OpenResult = core::Result<std::unique_ptr<detail::RasterMapBackend>>;

// Which bands make the picture, by their colour interpretation: red, green and blue bands as colour; else a
// palette band through its colour table; else a gray band as gray levels; else, when nothing says, the
// first three bands as red, green and blue, or the one band as gray. An alpha band is used wherever it is.
std::optional<BandLayout> ChooseBands(GDALDataset& dataset) {
    const int count = dataset.GetRasterCount();
    int red = 0, green = 0, blue = 0, alpha = 0, gray = 0, paletted = 0;
    for (int b = count; b >= 1; --b) {  // backwards: the first band of each kind wins
        GDALRasterBand* band = dataset.GetRasterBand(b);
        switch (band->GetColorInterpretation()) {
            case GCI_RedBand:
                red = b;
                break;
            case GCI_GreenBand:
                green = b;
                break;
            case GCI_BlueBand:
                blue = b;
                break;
            case GCI_AlphaBand:
                alpha = b;
                break;
            case GCI_GrayIndex:
                gray = b;
                break;
            case GCI_PaletteIndex:
                paletted = band->GetColorTable() != nullptr ? b : paletted;
                break;
            default:
                break;
        }
    }
    if (count < 1) {
        return std::nullopt;
    }
    BandLayout layout;
    layout.alpha = alpha;
    if (red && green && blue) {
        layout.colours = {red, green, blue};
        return layout;
    }
    const int single = paletted ? paletted : gray;
    if (single == 0 && count >= 3 && dataset.GetRasterBand(1)->GetColorTable() == nullptr) {
        layout.colours = {1, 2, 3};  // nothing says what the bands are
        return layout;
    }
    layout.colours = {single ? single : 1};
    const GDALColorTable* table = dataset.GetRasterBand(layout.colours[0])->GetColorTable();
    if (table == nullptr) {
        layout.form = ColourForm::Gray;
        layout.palette = GrayPalette();
        return layout;
    }
    layout.form = ColourForm::Palette;
    for (int i = 0; i < 256; ++i) {
        const GDALColorEntry* entry = i < table->GetColorEntryCount() ? table->GetColorEntry(i) : nullptr;
        layout.palette.push_back(entry ? qRgba(entry->c1, entry->c2, entry->c3, entry->c4)
                                       : qRgba(0, 0, 0, 0));
    }
    return layout;
}

std::string FindAttribution(GDALDataset& dataset) {
    for (const char* key : {"attribution", "ATTRIBUTION", "TIFFTAG_COPYRIGHT", "COPYRIGHT", "copyright"}) {
        if (const char* value = dataset.GetMetadataItem(key); value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

// GDAL's reason for not opening a file, as the user should read it.
std::string DescribeOpenFailure(const std::string& reason) {
    if (reason.find("not recognized as a supported file format") != std::string::npos ||
        reason.find("not recognised as a supported file format") != std::string::npos) {
        return "it is not in a map format that can be read (a raster picture with georeference, or tiles)";
    }
    if (reason.find("malformed") != std::string::npos || reason.find("not a database") != std::string::npos) {
        return "the file is damaged or cut short (" + reason + ")";
    }
    return "it cannot be read as a map (" + reason + ")";
}

// Opens PATH with GDAL, telling it which files lie beside it (only regular ones), so that no driver ever
// opens a named pipe or device put there as a sidecar.
GDALDatasetUniquePtr OpenDataset(const std::string& path, unsigned int flags) {
    CPLStringList siblings;
    for (const std::string& name : RegularSiblings(path)) {
        siblings.AddString(name.c_str());
    }
    return GDALDatasetUniquePtr(GDALDataset::Open(path.c_str(), flags, nullptr, nullptr, siblings.List()));
}

// Whether PATH is something GDAL reads only as vectors: for an MBTiles file, vector tiles.
bool IsVectorTiles(const std::string& path) {
    return OpenDataset(path, GDAL_OF_VECTOR | GDAL_OF_READONLY) != nullptr;
}

// Why a large picture cannot be drawn in reasonable time, or "": formats decoded from their first line
// only, without tiles, re-read from the top for every tile of a view.
std::string TooLargeToReadFromStart(GDALDataset& dataset) {
    const GDALDriver* driver = dataset.GetDriver();
    const std::string format = driver != nullptr ? driver->GetDescription() : "";
    const double pixels = static_cast<double>(dataset.GetRasterXSize()) * dataset.GetRasterYSize();
    if ((format != "PNG" && format != "JPEG" && format != "GIF" && format != "WEBP") ||
        pixels <= kMostPixelsReadFromStart) {
        return {};
    }
    return "it is a " + format + " picture of " + std::to_string(dataset.GetRasterXSize()) + " x " +
           std::to_string(dataset.GetRasterYSize()) +
           " pixels, too large to draw: such a picture can only be read from its start, again for every part "
           "of a view (at most 40 million pixels). Turn it into a tiled GeoTIFF with overviews (for instance "
           "gdal_translate -of COG) and open that";
}

// The place of the raster's pixels: the raster's own georeference, else a world file beside it.
core::Outcome GdalRasterMap::LoadGeoreference(const std::string& name) {
    const auto worldFile = FindSidecar(WorldFileCandidates(known.path), "world file");
    if (!worldFile) {
        return core::Outcome::Fail("Cannot open the map " + name + ": " + worldFile.message() + ".");
    }
    if (*worldFile) {
        const core::Result<std::string> text =
            persistence::ReadWholeFile(**worldFile, kMostWorldFileBytes, "a world file");
        if (!text) {
            return core::Outcome::Fail("Cannot open the map " + name + ": " + text.message());
        }
        const core::Result<maps::GeoTransform> read = maps::ReadWorldFile(*text);
        if (!read) {
            return core::Outcome::Fail("Cannot open the map " + name + ": the world file " +
                                       Quoted((*worldFile)->string()) + " is not valid: " + read.message() +
                                       ".");
        }
        known.geoTransform = *read;
    }
    if (!*worldFile || dataset->GetSpatialRef() != nullptr) {
        double gt[6];
        if (dataset->GetGeoTransform(gt) == CE_None) {
            std::copy(std::begin(gt), std::end(gt), known.geoTransform.c.begin());
        } else if (!*worldFile) {
            return core::Outcome::Fail("The picture " + name +
                                       " has no georeference (no world file beside it): calibrate it with "
                                       "Calibrate Picture... to place it on the map.");
        }
    }
    const std::optional<maps::GeoTransform> inverted = maps::Invert(known.geoTransform);
    if (!inverted) {
        return core::Outcome::Fail("Cannot open the map " + name +
                                   ": its georeference is singular (a zero pixel size).");
    }
    inverse = *inverted;
    known.extent = ExtentOf(known.geoTransform, pyramid.LevelWidth(0), pyramid.LevelHeight(0));
    return core::Outcome::Ok();
}

// The UTM zone of a CRS with UTM's parameters, its band from the latitude of the map's centre.
std::optional<geodesy::UtmZone> UtmZoneOf(const OGRSpatialReference& srs,
                                          OGRCoordinateTransformation& toWgs84,
                                          const core::PlaneBox& extent) {
    int north = 0;
    const int number = srs.GetUTMZone(&north);
    double x = (extent.minX + extent.maxX) / 2, y = (extent.minY + extent.maxY) / 2;
    if (number < 1 || number > 60 || !gdal::TransformPoint(toWgs84, x, y)) {
        return std::nullopt;
    }
    const char band = geodesy::UtmLetter(y);
    if (band == 'Z' || (band >= 'N') != (north != 0)) {
        return std::nullopt;  // the centre lies outside the zone's hemisphere or the bands
    }
    return geodesy::UtmZone{number, band};
}

// The CRS: the raster's own, else a .prj beside it, else the hunt's UTM zone. It must be one that can be
// transformed to latitude and longitude.
core::Outcome GdalRasterMap::LoadCrs(const std::string& name, geodesy::UtmZone huntZone) {
    const auto fail = [&name](const std::string& why) {
        return core::Outcome::Fail("Cannot open the map " + name + ": " + why);
    };
    gdal::SpatialRef srs = gdal::NewSpatialRef();
    const auto prj = FindSidecar(PrjCandidates(known.path), ".prj file");
    if (const OGRSpatialReference* own = dataset->GetSpatialRef(); own != nullptr && !own->IsEmpty()) {
        *srs = *own;
        srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    } else if (!prj) {
        return fail(prj.message() + ".");
    } else if (*prj) {
        const core::Result<std::string> text =
            persistence::ReadWholeFile(**prj, kMostPrjBytes, "a .prj file");
        if (!text) {
            return fail(text.message());
        }
        if (srs->importFromWkt(text->c_str()) != OGRERR_NONE &&
            srs->SetFromUserInput(text->c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS) !=
                OGRERR_NONE) {
            return fail("the CRS in " + Quoted((*prj)->string()) +
                        " is unknown (not a WKT text of a known coordinate system).");
        }
    } else {
        srs = gdal::UtmSpatialRef(huntZone);
    }
    if (!srs->IsProjected() && !srs->IsGeographic()) {
        return fail("its CRS is unknown (neither projected nor geographic).");
    }
    const gdal::TransformPtr toWgs84 = gdal::ToWgs84(*srs);
    if (!toWgs84) {
        return fail("its CRS is unknown (" +
                    gdal::LastError("it cannot be transformed to latitude and longitude") + ").");
    }
    known.crsWkt = gdal::ExportWkt(*srs, "FORMAT=WKT2_2018");
    if (known.crsWkt.empty()) {
        return fail("its CRS cannot be written as WKT.");
    }
    known.geographic = srs->IsGeographic() != 0;
    known.utmZone = UtmZoneOf(*srs, *toWgs84, known.extent);
    return core::Outcome::Ok();
}

OpenResult OpenGdalMap(const std::string& path, geodesy::UtmZone huntZone) {
    gdal::EnsureSetUp();
    const std::string name = Quoted(path);
    const auto fail = [&name](const std::string& why) {
        return OpenResult::Fail("Cannot open the map " + name + ": " + why + ".");
    };
    std::error_code error;
    if (!fs::exists(path, error)) {
        return fail("there is no such file");
    }
    if (fs::is_directory(path, error)) {
        return fail("it is a folder, not a map file");
    }
    // Opening a named pipe or a device would wait for a writer or read for ever.
    if (auto regular = persistence::FollowToFileTarget(path); !regular) {
        return fail(regular.message());
    }
    auto map = std::make_unique<GdalRasterMap>();
    map->known.path = path;
    gdal::ClearError();
    map->dataset = OpenDataset(path, GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR);
    if (!map->dataset) {
        const std::string reason = gdal::LastError("GDAL cannot read it");
        return fail(IsVectorTiles(path) ? "vector tiles are not supported (only raster maps)"
                                        : DescribeOpenFailure(reason));
    }
    GDALDataset& dataset = *map->dataset;
    const int width = dataset.GetRasterXSize();
    const int height = dataset.GetRasterYSize();
    auto bands = ChooseBands(dataset);
    if (width <= 0 || height <= 0 || !bands) {
        return fail("it holds no picture (no raster bands)");
    }
    if (const std::string tooLarge = TooLargeToReadFromStart(dataset); !tooLarge.empty()) {
        return fail(tooLarge);
    }
    map->pyramid = maps::TilePyramid(width, height);
    map->bands = std::move(*bands);
    if (!map->FindStretch()) {
        return fail("its values cannot be read (" + gdal::LastError("no statistics") + ")");
    }
    map->bands.useMask = map->bands.alpha == 0 &&
                         (dataset.GetRasterBand(map->bands.colours[0])->GetMaskFlags() & GMF_ALL_VALID) == 0;
    if (core::Outcome georeference = map->LoadGeoreference(name); !georeference) {
        return OpenResult::Fail(georeference.message());
    }
    if (core::Outcome crs = map->LoadCrs(name, huntZone); !crs) {
        return OpenResult::Fail(crs.message());
    }
    map->known.attribution = FindAttribution(dataset);
    if (const std::string problem = map->Probe(); !problem.empty()) {
        return fail(problem);
    }
    return std::unique_ptr<detail::RasterMapBackend>(std::move(map));
}

}  // namespace
}  // namespace vantrel::platform

extern "C" __attribute__((visibility("default"))) const vantrel::platform::detail::GdalModule*
VantrelGdalModule() {
    using namespace vantrel::platform;
    static const detail::GdalModule module{detail::GdalModule::kVersion, OpenGdalMap, gdal::CreateTransform,
                                           gdal::UtmZoneWkt, gdal::UtmZonePrjText};
    return &module;
}
