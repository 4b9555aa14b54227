// The GDAL module: maps opened and drawn through GDAL, coordinate transformations through GDAL's
// OGRCoordinateTransformation (PROJ underneath). Built as its own shared object (vantrel_gdal) that
// raster_map.cpp loads with the first map; the only file besides gdal_session.cpp that includes GDAL.
//
// Drawing: the raster is seen as a pyramid of levels, each half the size of the one below (GDAL maps them
// onto the file's overviews or MBTiles zoom levels); a view reads the coarsest level that still has a
// pixel per screen pixel, in tiles of 256 x 256 level pixels that an LRU cache keeps decoded, and draws
// each tile with the affine transform from its pixels to the screen (rotated for a turned picture).

#include "platform/raster_backend.hpp"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <list>
#include <map>
#include <optional>
#include <vector>

#include "maps/world_file.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/file_access.hpp"
#include "platform/gdal_session.hpp"

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr int kTileSize = 256;                         // level pixels per cached tile side
constexpr std::size_t kDefaultCacheBytes = 48u << 20;  // decoded tiles kept between draws
constexpr int kMaxLevel = 30;
// Six numbers need a few hundred bytes, a CRS's WKT a few thousand: anything far larger is no such file.
constexpr std::size_t kMostWorldFileBytes = 64 * 1024;
constexpr std::size_t kMostPrjBytes = 1024 * 1024;

using SpatialRef = std::unique_ptr<OGRSpatialReference>;

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* t) const { OGRCoordinateTransformation::DestroyCT(t); }
};
using TransformPtr = std::unique_ptr<OGRCoordinateTransformation, TransformDeleter>;

SpatialRef NewSpatialRef() {
    auto srs = std::make_unique<OGRSpatialReference>();
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

int UtmEpsg(geodesy::UtmZone zone) {
    return (zone.North() ? 32600 : 32700) + zone.number;
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

std::string Quoted(const std::string& path) {
    return "\"" + persistence::DisplayPath(path) + "\"";
}

// The world files GDAL and GIS programs look for beside a picture: for "x.png" x.pgw, x.pngw, x.wld (and
// in upper case).
std::optional<fs::path> FindWorldFile(const fs::path& picture) {
    std::string ext = picture.extension().string();
    if (ext.size() < 2) {
        return std::nullopt;
    }
    ext.erase(0, 1);
    const std::string shortForm = std::string(1, ext.front()) + ext.back() + "w";
    for (std::string candidate : {shortForm, ext + "w", std::string("wld")}) {
        for (int upper = 0; upper < 2; ++upper) {
            if (upper == 1) {
                std::transform(candidate.begin(), candidate.end(), candidate.begin(), [](char c) {
                    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                });
            }
            fs::path worldFile = picture;
            worldFile.replace_extension(candidate);
            std::error_code error;
            if (fs::is_regular_file(worldFile, error)) {
                return worldFile;
            }
        }
    }
    return std::nullopt;
}

std::optional<fs::path> FindPrj(const fs::path& picture) {
    for (const char* ext : {".prj", ".PRJ"}) {
        fs::path prj = picture;
        prj.replace_extension(ext);
        std::error_code error;
        if (fs::is_regular_file(prj, error)) {
            return prj;
        }
    }
    return std::nullopt;
}

struct TileKey {
    int level = 0;
    int column = 0;
    int row = 0;
    friend auto operator<=>(const TileKey&, const TileKey&) = default;
};

// Decoded tiles, least recently used first out, bounded by their bytes.
class TileCache {
  public:
    const QImage* Find(const TileKey& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) {
            return nullptr;
        }
        entries_.splice(entries_.end(), entries_, found->second);
        return &found->second->second;
    }
    const QImage& Insert(const TileKey& key, QImage image) {
        bytes_ += static_cast<std::size_t>(image.sizeInBytes());
        entries_.emplace_back(key, std::move(image));
        index_[key] = std::prev(entries_.end());
        Trim(1);
        return entries_.back().second;
    }
    void SetLimit(std::size_t bytes) {
        limit_ = bytes;
        Trim(0);
    }
    std::size_t bytes() const { return bytes_; }

  private:
    // Drops the oldest tiles until the cache fits, keeping the newest `keep` (the tile being drawn).
    void Trim(std::size_t keep) {
        while (bytes_ > limit_ && entries_.size() > keep) {
            bytes_ -= static_cast<std::size_t>(entries_.front().second.sizeInBytes());
            index_.erase(entries_.front().first);
            entries_.pop_front();
        }
    }
    std::list<std::pair<TileKey, QImage>> entries_;
    std::map<TileKey, std::list<std::pair<TileKey, QImage>>::iterator> index_;
    std::size_t bytes_ = 0;
    std::size_t limit_ = kDefaultCacheBytes;
};

// How the bands become colours.
enum class ColourForm { Rgb, Gray, Palette };

struct GdalRasterMap final : detail::RasterMapBackend {
    const std::string& crsWkt() const override { return wkt; }
    MapBounds extent() const override;
    const std::string& attribution() const override { return attributionText; }
    const std::string& path() const override { return mapPath; }
    int pixelWidth() const override { return width; }
    int pixelHeight() const override { return height; }
    const maps::GeoTransform& geoTransform() const override { return transform; }
    void Draw(QPainter& painter, const MapBounds& view, int screenWidth, int screenHeight) override;
    const std::string& lastReadError() const override { return readError; }
    void setCacheLimit(std::size_t bytes) override { cache.SetLimit(bytes); }
    std::size_t cachedBytes() const override { return cache.bytes(); }

    GDALDatasetUniquePtr dataset;
    std::string mapPath;
    std::string wkt;
    std::string attributionText;
    std::string readError;
    maps::GeoTransform transform;
    maps::GeoTransform inverse;
    int width = 0;
    int height = 0;
    ColourForm form = ColourForm::Rgb;
    std::vector<int> colourBands;  // 1-based; red, green, blue (or the one gray / palette band)
    int alphaBand = 0;             // 0: none
    bool useMask = false;          // no alpha band, but a nodata value or mask says where the map is empty
    QList<QRgb> palette;
    std::vector<std::pair<double, double>> stretch;  // per colour band, for values other than bytes
    TileCache cache;

    // Size of level `level` (each level halves the one below; level 0 is the full raster).
    int LevelWidth(int level) const {
        return std::max(1, static_cast<int>(std::ceil(width / std::ldexp(1.0, level))));
    }
    int LevelHeight(int level) const {
        return std::max(1, static_cast<int>(std::ceil(height / std::ldexp(1.0, level))));
    }
    int ChooseLevel(double fullPixelsPerScreenPixel) const;
    struct Window {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the full-resolution pixels the window touches
        int columns = 0, rows = 0;           // the size read into
        GDALRasterIOExtraArg extra{};        // the exact window, nearest-neighbour resampling
    };
    Window LevelWindow(int level, int column, int row, int columns, int rows) const;
    bool Failed(CPLErr result);
    bool ReadBands(Window& window, std::vector<int> bands, unsigned char* data, int pixelSpace,
                   qsizetype lineSpace);
    bool ReadAlpha(Window& window, unsigned char* data, int pixelSpace, qsizetype lineSpace);
    const QImage& Tile(const TileKey& key);
    QImage ReadTile(const TileKey& key);
    std::string Probe();
    bool FindStretch();
    core::Outcome LoadGeoreference(const std::string& name);
    core::Outcome LoadCrs(const std::string& name, geodesy::UtmZone huntZone);
};

int GdalRasterMap::ChooseLevel(double fullPixelsPerScreenPixel) const {
    int level = 0;
    // The coarsest level that still has at least one of its pixels per screen pixel.
    while (level < kMaxLevel && std::ldexp(1.0, level + 1) <= fullPixelsPerScreenPixel * (1 + 1e-9) &&
           (LevelWidth(level + 1) > 1 || LevelHeight(level + 1) > 1)) {
        ++level;
    }
    return level;
}

GdalRasterMap::Window GdalRasterMap::LevelWindow(int level, int column, int row, int columns,
                                                 int rows) const {
    // Level pixels [column, column + columns) x [row, row + rows) as a window of the full raster; GDAL picks
    // the overview or MBTiles zoom level of that resolution.
    const double sx = static_cast<double>(width) / LevelWidth(level);
    const double sy = static_cast<double>(height) / LevelHeight(level);
    Window window;
    window.columns = columns;
    window.rows = rows;
    INIT_RASTERIO_EXTRA_ARG(window.extra);
    window.extra.eResampleAlg = GRIORA_NearestNeighbour;
    window.extra.bFloatingPointWindowValidity = TRUE;
    window.extra.dfXOff = column * sx;
    window.extra.dfYOff = row * sy;
    window.extra.dfXSize = std::min(columns * sx, width - window.extra.dfXOff);
    window.extra.dfYSize = std::min(rows * sy, height - window.extra.dfYOff);
    window.x0 = static_cast<int>(std::floor(window.extra.dfXOff));
    window.y0 = static_cast<int>(std::floor(window.extra.dfYOff));
    window.x1 = std::min(width, static_cast<int>(std::ceil(window.extra.dfXOff + window.extra.dfXSize)));
    window.y1 = std::min(height, static_cast<int>(std::ceil(window.extra.dfYOff + window.extra.dfYSize)));
    return window;
}

bool GdalRasterMap::Failed(CPLErr result) {
    // Some drivers leave a tile they cannot decode empty, return success and only report the failure.
    if (result == CE_None && CPLGetLastErrorType() != CE_Failure) {
        return false;
    }
    readError =
        persistence::DisplayPath(mapPath) + ": " + gdal::LastError("a part of the map cannot be read");
    return true;
}

bool GdalRasterMap::ReadBands(Window& window, std::vector<int> bands, unsigned char* data, int pixelSpace,
                              qsizetype lineSpace) {
    gdal::ClearError();
    if (stretch.empty()) {
        return !Failed(dataset->RasterIO(GF_Read, window.x0, window.y0, window.x1 - window.x0,
                                         window.y1 - window.y0, data, window.columns, window.rows, GDT_Byte,
                                         static_cast<int>(bands.size()), bands.data(), pixelSpace, lineSpace,
                                         1, &window.extra));
    }
    // Values other than bytes (16-bit scans, elevations): read as they are, then stretched linearly from
    // the band's lowest to its highest value.
    const auto count = static_cast<std::size_t>(window.columns) * static_cast<std::size_t>(window.rows);
    std::vector<float> values(count * bands.size());
    const int bandCount = static_cast<int>(bands.size());
    if (Failed(dataset->RasterIO(GF_Read, window.x0, window.y0, window.x1 - window.x0, window.y1 - window.y0,
                                 values.data(), window.columns, window.rows, GDT_Float32, bandCount,
                                 bands.data(), 4 * bandCount, 4LL * bandCount * window.columns, 4,
                                 &window.extra))) {
        return false;
    }
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const auto [low, high] = stretch[static_cast<std::size_t>(
            std::find(colourBands.begin(), colourBands.end(), bands[b]) - colourBands.begin())];
        const double factor = high > low ? 255.0 / (high - low) : 0.0;
        for (int row = 0; row < window.rows; ++row) {
            unsigned char* out = data + row * lineSpace + static_cast<std::ptrdiff_t>(b);
            const float* in =
                values.data() +
                static_cast<std::size_t>(row) * static_cast<std::size_t>(window.columns) * bands.size() + b;
            for (int column = 0; column < window.columns; ++column, out += pixelSpace, in += bands.size()) {
                const double level = (static_cast<double>(*in) - low) * factor;
                *out = static_cast<unsigned char>(std::isfinite(level) ? std::clamp(level + 0.5, 0.0, 255.0)
                                                                       : 0.0);
            }
        }
    }
    return true;
}

// For colour bands that hold other values than bytes: each band's lowest and highest value (from the
// overviews when there are some), which the drawing stretches to 0..255.
bool GdalRasterMap::FindStretch() {
    stretch.clear();
    bool bytes = true;
    for (int band : colourBands) {
        bytes = bytes && dataset->GetRasterBand(band)->GetRasterDataType() == GDT_Byte;
    }
    if (bytes) {
        return true;
    }
    for (int band : colourBands) {
        double range[2] = {0, 0};
        gdal::ClearError();
        if (dataset->GetRasterBand(band)->ComputeRasterMinMax(TRUE, range) != CE_None) {
            stretch.clear();
            return false;
        }
        stretch.emplace_back(range[0], range[1]);
    }
    if (form == ColourForm::Palette) {
        form = ColourForm::Gray;  // a colour table of more than 256 entries cannot be shown as one
        palette.clear();
        for (int i = 0; i < 256; ++i) {
            palette.push_back(qRgb(i, i, i));
        }
    }
    return true;
}

bool GdalRasterMap::ReadAlpha(Window& window, unsigned char* data, int pixelSpace, qsizetype lineSpace) {
    GDALRasterBand* alpha = alphaBand != 0 ? dataset->GetRasterBand(alphaBand)
                                           : dataset->GetRasterBand(colourBands[0])->GetMaskBand();
    gdal::ClearError();
    return !Failed(alpha->RasterIO(GF_Read, window.x0, window.y0, window.x1 - window.x0,
                                   window.y1 - window.y0, data, window.columns, window.rows, GDT_Byte,
                                   pixelSpace, lineSpace, &window.extra));
}

QImage GdalRasterMap::ReadTile(const TileKey& key) {
    const int columns = std::min(kTileSize, LevelWidth(key.level) - key.column * kTileSize);
    const int rows = std::min(kTileSize, LevelHeight(key.level) - key.row * kTileSize);
    Window window = LevelWindow(key.level, key.column * kTileSize, key.row * kTileSize, columns, rows);
    const bool needsAlpha = alphaBand != 0 || useMask;
    QImage image;
    bool ok = false;
    if (form == ColourForm::Rgb) {
        image = QImage(columns, rows, QImage::Format_RGBA8888);
        image.fill(QColor(0, 0, 0, 255));
        ok = !image.isNull() && ReadBands(window, colourBands, image.bits(), 4, image.bytesPerLine()) &&
             (!needsAlpha || ReadAlpha(window, image.bits() + 3, 4, image.bytesPerLine()));
    } else {
        // Gray or palette: one byte a pixel through the colour table.
        image = QImage(columns, rows, QImage::Format_Indexed8);
        ok = !image.isNull() && ReadBands(window, colourBands, image.bits(), 1, image.bytesPerLine());
        image.setColorTable(palette);
        if (ok && needsAlpha) {
            image = image.convertToFormat(QImage::Format_RGBA8888);
            ok = ReadAlpha(window, image.bits() + 3, 4, image.bytesPerLine());
        }
    }
    if (!ok) {
        QImage empty(columns, rows, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }
    const bool opaque = !needsAlpha && form != ColourForm::Palette;
    return image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
}

// Reads a sample of the coarsest level (the whole of it when it is small, as for MBTiles and rasters with
// overviews; else the middle of it), so that a map whose tiles cannot be decoded or that holds no tiles at
// all is refused when it is opened instead of drawing empty. Returns what is wrong, or "".
std::string GdalRasterMap::Probe() {
    constexpr int kProbeSide = 1024;  // level pixels read at most, in each direction
    int level = 0;
    if (dataset->GetRasterBand(colourBands[0])->GetOverviewCount() > 0) {
        while (level < kMaxLevel && (LevelWidth(level) > kTileSize || LevelHeight(level) > kTileSize)) {
            ++level;
        }
    }
    const int columns = std::min(kProbeSide, LevelWidth(level));
    const int rows = std::min(kProbeSide, LevelHeight(level));
    const bool whole = columns == LevelWidth(level) && rows == LevelHeight(level);
    Window window =
        LevelWindow(level, (LevelWidth(level) - columns) / 2, (LevelHeight(level) - rows) / 2, columns, rows);
    window.columns = std::min(columns, kTileSize);
    window.rows = std::min(rows, kTileSize);
    const int lineSpace = 2 * window.columns;
    std::vector<unsigned char> sample(static_cast<std::size_t>(lineSpace) *
                                      static_cast<std::size_t>(window.rows));
    const bool hasAlpha = alphaBand != 0 || useMask;
    if (!ReadBands(window, {colourBands[0]}, sample.data(), 2, lineSpace) ||
        (hasAlpha && !ReadAlpha(window, sample.data() + 1, 2, lineSpace))) {
        return "its picture cannot be read (" + gdal::LastError("damaged") + ")";
    }
    bool empty = hasAlpha;
    for (std::size_t i = 1; empty && i < sample.size(); i += 2) {
        empty = sample[i] == 0;
    }
    if (whole && empty) {
        return "it holds no map tiles (all of it is empty)";
    }
    return {};
}

const QImage& GdalRasterMap::Tile(const TileKey& key) {
    if (const QImage* cached = cache.Find(key)) {
        return *cached;
    }
    return cache.Insert(key, ReadTile(key));
}

MapBounds GdalRasterMap::extent() const {
    MapBounds bounds{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const auto& [column, row] : {std::pair{0, 0}, {width, 0}, {0, height}, {width, height}}) {
        const maps::MapPoint p = transform.Apply(column, row);
        bounds.minX = std::min(bounds.minX, p.x);
        bounds.maxX = std::max(bounds.maxX, p.x);
        bounds.minY = std::min(bounds.minY, p.y);
        bounds.maxY = std::max(bounds.maxY, p.y);
    }
    return bounds;
}

void GdalRasterMap::Draw(QPainter& painter, const MapBounds& view, int screenWidth, int screenHeight) {
    GdalRasterMap& map = *this;
    map.readError.clear();
    const double sx = (view.maxX - view.minX) / screenWidth;
    const double sy = (view.maxY - view.minY) / screenHeight;
    if (screenWidth <= 0 || screenHeight <= 0 || !(sx > 0) || !(sy > 0) || !std::isfinite(sx) ||
        !std::isfinite(sy)) {
        return;
    }
    // The view's corners in the raster's pixel grid: their bounding box is all that can show.
    double c0 = INFINITY, c1 = -INFINITY, r0 = INFINITY, r1 = -INFINITY;
    for (const auto& [x, y] : {std::pair{view.minX, view.minY},
                               {view.maxX, view.minY},
                               {view.minX, view.maxY},
                               {view.maxX, view.maxY}}) {
        const maps::MapPoint p = map.inverse.Apply(x, y);
        c0 = std::min(c0, p.x);
        c1 = std::max(c1, p.x);
        r0 = std::min(r0, p.y);
        r1 = std::max(r1, p.y);
    }
    c0 = std::max(c0, 0.0);
    r0 = std::max(r0, 0.0);
    c1 = std::min(c1, static_cast<double>(map.width));
    r1 = std::min(r1, static_cast<double>(map.height));
    if (!(c0 < c1) || !(r0 < r1)) {
        return;
    }
    const int level = map.ChooseLevel(std::min(sx, sy) / map.transform.PixelSize());
    const double fx = static_cast<double>(map.width) / map.LevelWidth(level);
    const double fy = static_cast<double>(map.height) / map.LevelHeight(level);
    const int tx0 = static_cast<int>(std::floor(c0 / fx / kTileSize));
    const int ty0 = static_cast<int>(std::floor(r0 / fy / kTileSize));
    const int tx1 = std::min(static_cast<int>(std::ceil(c1 / fx / kTileSize)),
                             (map.LevelWidth(level) + kTileSize - 1) / kTileSize);
    const int ty1 = std::min(static_cast<int>(std::ceil(r1 / fy / kTileSize)),
                             (map.LevelHeight(level) + kTileSize - 1) / kTileSize);

    const auto& g = map.transform.c;
    const QTransform base = painter.worldTransform();
    painter.save();
    std::string drawError;
    for (int ty = ty0; ty < ty1; ++ty) {
        for (int tx = tx0; tx < tx1; ++tx) {
            const QImage& tile = map.Tile({level, tx, ty});
            if (!map.readError.empty()) {
                drawError = map.readError;
            }
            // Tile pixel (u, v) -> full raster pixel (column0 + fx u, row0 + fy v) -> map -> screen.
            const double column0 = tx * kTileSize * fx;
            const double row0 = ty * kTileSize * fy;
            const QTransform tileToScreen(g[1] * fx / sx, -g[4] * fx / sy, g[2] * fy / sx, -g[5] * fy / sy,
                                          (g[0] + g[1] * column0 + g[2] * row0 - view.minX) / sx,
                                          (view.maxY - g[3] - g[4] * column0 - g[5] * row0) / sy);
            painter.setWorldTransform(tileToScreen * base);
            painter.drawImage(QPointF(0, 0), tile);
        }
    }
    painter.restore();
    map.readError = drawError;
}

using OpenResult = core::Result<std::unique_ptr<detail::RasterMapBackend>>;

// Which bands make the picture: by their colour interpretation, else the first three, else the one band.
bool ChooseBands(GDALDataset& dataset, std::vector<int>& colours, int& alpha, ColourForm& form,
                 QList<QRgb>& palette) {
    const int count = dataset.GetRasterCount();
    int red = 0, green = 0, blue = 0;
    alpha = 0;
    for (int b = 1; b <= count; ++b) {
        switch (dataset.GetRasterBand(b)->GetColorInterpretation()) {
            case GCI_RedBand:
                red = red ? red : b;
                break;
            case GCI_GreenBand:
                green = green ? green : b;
                break;
            case GCI_BlueBand:
                blue = blue ? blue : b;
                break;
            case GCI_AlphaBand:
                alpha = alpha ? alpha : b;
                break;
            default:
                break;
        }
    }
    if (red && green && blue) {
        colours = {red, green, blue};
        form = ColourForm::Rgb;
        return true;
    }
    GDALRasterBand* first = dataset.GetRasterBand(1);
    if (count >= 3 && first->GetColorTable() == nullptr) {
        colours = {1, 2, 3};
        form = ColourForm::Rgb;
        alpha = (count >= 4 && alpha == 4) ? 4 : 0;
        return true;
    }
    colours = {1};
    palette.clear();
    if (const GDALColorTable* table = first->GetColorTable()) {
        form = ColourForm::Palette;
        for (int i = 0; i < 256; ++i) {
            const GDALColorEntry* entry = i < table->GetColorEntryCount() ? table->GetColorEntry(i) : nullptr;
            palette.push_back(entry ? qRgba(entry->c1, entry->c2, entry->c3, entry->c4) : qRgba(0, 0, 0, 0));
        }
        return true;
    }
    form = ColourForm::Gray;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(qRgb(i, i, i));
    }
    return count >= 1;
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

// Whether PATH is something GDAL reads only as vectors: for an MBTiles file, vector tiles.
bool IsVectorTiles(const std::string& path) {
    const char* drivers[] = {"MBTiles", nullptr};
    GDALDatasetUniquePtr vector(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, nullptr, nullptr));
    return vector != nullptr;
}

// The place of the raster's pixels: the raster's own georeference, else a world file beside it.
core::Outcome GdalRasterMap::LoadGeoreference(const std::string& name) {
    const std::optional<fs::path> worldFile = FindWorldFile(mapPath);
    bool fromWorldFile = false;
    if (worldFile) {
        const core::Result<std::string> text =
            persistence::ReadWholeFile(*worldFile, kMostWorldFileBytes, "a world file");
        if (!text) {
            return core::Outcome::Fail("Cannot open the map " + name + ": " + text.message());
        }
        const core::Result<maps::GeoTransform> read = maps::ReadWorldFile(*text);
        if (!read) {
            return core::Outcome::Fail("Cannot open the map " + name + ": the world file " +
                                       Quoted(worldFile->string()) + " is not valid: " + read.message() +
                                       ".");
        }
        transform = *read;
        fromWorldFile = true;
    }
    if (!fromWorldFile || dataset->GetSpatialRef() != nullptr) {
        double gt[6];
        if (dataset->GetGeoTransform(gt) == CE_None) {
            std::copy(std::begin(gt), std::end(gt), transform.c.begin());
        } else if (!fromWorldFile) {
            return core::Outcome::Fail("The picture " + name +
                                       " has no georeference (no world file beside it): calibrate it with "
                                       "Calibrate Picture... to place it on the map.");
        }
    }
    const std::optional<maps::GeoTransform> inverted = maps::Invert(transform);
    if (!inverted) {
        return core::Outcome::Fail("Cannot open the map " + name +
                                   ": its georeference is singular (a zero pixel size).");
    }
    inverse = *inverted;
    return core::Outcome::Ok();
}

// The CRS: the raster's own, else a .prj beside it, else the hunt's UTM zone. It must be one that can be
// transformed to latitude and longitude.
core::Outcome GdalRasterMap::LoadCrs(const std::string& name, geodesy::UtmZone huntZone) {
    SpatialRef srs = NewSpatialRef();
    if (const OGRSpatialReference* own = dataset->GetSpatialRef(); own != nullptr && !own->IsEmpty()) {
        *srs = *own;
        srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    } else if (const std::optional<fs::path> prj = FindPrj(mapPath)) {
        const core::Result<std::string> text = persistence::ReadWholeFile(*prj, kMostPrjBytes, "a .prj file");
        if (!text) {
            return core::Outcome::Fail("Cannot open the map " + name + ": " + text.message());
        }
        if (srs->importFromWkt(text->c_str()) != OGRERR_NONE &&
            srs->SetFromUserInput(text->c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS) !=
                OGRERR_NONE) {
            return core::Outcome::Fail("Cannot open the map " + name + ": the CRS in " +
                                       Quoted(prj->string()) +
                                       " is unknown (not a WKT text of a known coordinate system).");
        }
    } else {
        srs = UtmSpatialRef(huntZone);
    }
    if (!srs->IsProjected() && !srs->IsGeographic()) {
        return core::Outcome::Fail("Cannot open the map " + name +
                                   ": its CRS is unknown (neither projected nor geographic).");
    }
    {
        SpatialRef wgs84 = NewSpatialRef();
        wgs84->SetWellKnownGeogCS("WGS84");
        TransformPtr check(OGRCreateCoordinateTransformation(srs.get(), wgs84.get()));
        if (!check) {
            return core::Outcome::Fail("Cannot open the map " + name + ": its CRS is unknown (" +
                                       gdal::LastError("it cannot be transformed to latitude and longitude") +
                                       ").");
        }
    }
    wkt = ExportWkt(*srs, "FORMAT=WKT2_2018");
    if (wkt.empty()) {
        return core::Outcome::Fail("Cannot open the map " + name + ": its CRS cannot be written as WKT.");
    }
    return core::Outcome::Ok();
}

OpenResult OpenGdalMap(const std::string& path, geodesy::UtmZone huntZone) {
    gdal::EnsureSetUp();
    const std::string name = Quoted(path);
    std::error_code error;
    if (!fs::exists(path, error)) {
        return OpenResult::Fail("Cannot open the map " + name + ": there is no such file.");
    }
    if (fs::is_directory(path, error)) {
        return OpenResult::Fail("Cannot open the map " + name + ": it is a folder, not a map file.");
    }
    auto map = std::make_unique<GdalRasterMap>();
    map->mapPath = path;
    gdal::ClearError();
    map->dataset.reset(GDALDataset::Open(
        path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr));
    if (!map->dataset) {
        const std::string reason = gdal::LastError("GDAL cannot read it");
        if (IsVectorTiles(path)) {
            return OpenResult::Fail("Cannot open the map " + name +
                                    ": vector tiles are not supported (only raster maps).");
        }
        return OpenResult::Fail("Cannot open the map " + name + ": " + DescribeOpenFailure(reason) + ".");
    }
    GDALDataset& dataset = *map->dataset;
    map->width = dataset.GetRasterXSize();
    map->height = dataset.GetRasterYSize();
    if (map->width <= 0 || map->height <= 0 || dataset.GetRasterCount() == 0 ||
        !ChooseBands(dataset, map->colourBands, map->alphaBand, map->form, map->palette)) {
        return OpenResult::Fail("Cannot open the map " + name + ": it holds no picture (no raster bands).");
    }
    if (!map->FindStretch()) {
        return OpenResult::Fail("Cannot open the map " + name + ": its values cannot be read (" +
                                gdal::LastError("no statistics") + ").");
    }
    map->useMask = map->alphaBand == 0 &&
                   (dataset.GetRasterBand(map->colourBands[0])->GetMaskFlags() & GMF_ALL_VALID) == 0;

    if (core::Outcome georeference = map->LoadGeoreference(name); !georeference) {
        return OpenResult::Fail(georeference.message());
    }
    if (core::Outcome crs = map->LoadCrs(name, huntZone); !crs) {
        return OpenResult::Fail(crs.message());
    }
    map->attributionText = FindAttribution(dataset);
    if (const std::string problem = map->Probe(); !problem.empty()) {
        return OpenResult::Fail("Cannot open the map " + name + ": " + problem + ".");
    }
    return std::unique_ptr<detail::RasterMapBackend>(std::move(map));
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

core::Result<std::unique_ptr<detail::CrsTransformBackend>> CreateGdalTransform(geodesy::UtmZone huntZone,
                                                                               const std::string& mapWkt) {
    using CreateResult = core::Result<std::unique_ptr<detail::CrsTransformBackend>>;
    gdal::EnsureSetUp();
    SpatialRef hunt = UtmSpatialRef(huntZone);
    SpatialRef map = NewSpatialRef();
    if (map->importFromWkt(mapWkt.c_str()) != OGRERR_NONE) {
        return CreateResult::Fail("The map's CRS is unknown (its WKT text cannot be read).");
    }
    SpatialRef wgs84 = NewSpatialRef();
    wgs84->SetWellKnownGeogCS("WGS84");
    auto transform = std::make_unique<GdalCrsTransform>();
    transform->huntToMap.reset(OGRCreateCoordinateTransformation(hunt.get(), map.get()));
    transform->mapToHunt.reset(OGRCreateCoordinateTransformation(map.get(), hunt.get()));
    transform->mapToLatLon.reset(OGRCreateCoordinateTransformation(map.get(), wgs84.get()));
    if (!transform->huntToMap || !transform->mapToHunt || !transform->mapToLatLon) {
        return CreateResult::Fail("The map's CRS cannot be transformed to UTM zone " +
                                  geodesy::ZoneText(huntZone) + " (" +
                                  gdal::LastError("no transformation known") + ").");
    }
    return std::unique_ptr<detail::CrsTransformBackend>(std::move(transform));
}

std::string GdalUtmZoneWkt(geodesy::UtmZone zone) {
    gdal::EnsureSetUp();
    return ExportWkt(*UtmSpatialRef(zone), "FORMAT=WKT2_2018");
}

std::string GdalUtmZonePrjText(geodesy::UtmZone zone) {
    gdal::EnsureSetUp();
    return ExportWkt(*UtmSpatialRef(zone), "FORMAT=WKT1_ESRI");
}

}  // namespace
}  // namespace vantrel::platform

extern "C" __attribute__((visibility("default"))) const vantrel::platform::detail::GdalModule*
VantrelGdalModule() {
    using namespace vantrel::platform;
    static const detail::GdalModule module{detail::GdalModule::kVersion, OpenGdalMap, CreateGdalTransform,
                                           GdalUtmZoneWkt, GdalUtmZonePrjText};
    return &module;
}
