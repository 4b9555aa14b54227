// Raster maps: the first complete picture of a 1600 x 1000 view after opening, against GDAL reading the
// same pixels itself; frames of panning and zooming with the tile cache warm; the resident memory a
// 20000 x 20000 GeoTIFF takes while it is panned and zoomed.
//
// The large maps are made once by the benchmark through GDAL (a JPEG-compressed tiled GeoTIFF with
// overviews, and an MBTiles file of JPEG tiles with its lower zoom levels) in
// <temp>/vantrel-bench-maps/, and reused by later runs.

#include <QImage>
#include <QPainter>

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "figures.hpp"
#include "platform/raster_map.hpp"

namespace vantrel::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kViewWidth = 1600, kViewHeight = 1000;
constexpr int kBigSide = 20000;
const geodesy::UtmZone kZone{32, 'U'};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// CPU time of the calling thread: the machine is shared, and both GDAL's reading and the drawing run on
// the calling thread alone, so this is the work each does, undisturbed by other people's builds.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A picture that JPEG cannot squeeze to nothing: colour fields, roads and a little noise.
void FillRows(std::vector<std::uint8_t>& rgb, int width, int firstRow, int rows, int bands) {
    rgb.assign(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(rows) * static_cast<std::size_t>(bands),
        255);
    for (int r = 0; r < rows; ++r) {
        const int y = firstRow + r;
        for (int x = 0; x < width; ++x) {
            std::uint32_t hash =
                static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
            hash ^= hash >> 13;
            const int noise = static_cast<int>(hash & 15);
            const bool road = (x + y / 3) % 997 < 6 || (y + x / 5) % 1499 < 5;
            const std::size_t at = (static_cast<std::size_t>(r) * static_cast<std::size_t>(width) +
                                    static_cast<std::size_t>(x)) *
                                   static_cast<std::size_t>(bands);
            rgb[at] = static_cast<std::uint8_t>(road ? 240 : 60 + ((x / 211 + y / 157) % 7) * 20 + noise);
            rgb[at + 1] = static_cast<std::uint8_t>(road ? 230 : 90 + ((x / 173) % 5) * 25 + noise);
            rgb[at + 2] = static_cast<std::uint8_t>(road ? 200 : 50 + ((y / 193) % 6) * 15 + noise);
        }
    }
}

fs::path Folder() {
    return fs::temp_directory_path() / "vantrel-bench-maps";
}

// 20000 x 20000 RGB, 1 m pixels in UTM 32N, 256-pixel JPEG tiles, overviews 2 ... 128.
std::optional<fs::path> BigGeoTiff() {
    const fs::path path = Folder() / "big.tif";
    const fs::path ready = Folder() / "big.tif.ready";
    if (fs::exists(ready)) {
        return path;
    }
    fs::create_directories(Folder());
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    const char* options[] = {"TILED=YES",       "COMPRESS=JPEG",    "PHOTOMETRIC=YCBCR",
                             "JPEG_QUALITY=80", "BIGTIFF=IF_SAFER", nullptr};
    GDALDatasetUniquePtr dataset(
        driver->Create(path.c_str(), kBigSide, kBigSide, 3, GDT_Byte, const_cast<char**>(options)));
    if (!dataset) {
        return std::nullopt;
    }
    double transform[6] = {400000, 1, 0, 5600000, 0, -1};
    dataset->SetGeoTransform(transform);
    OGRSpatialReference srs;
    srs.importFromEPSG(32632);
    dataset->SetSpatialRef(&srs);
    std::vector<std::uint8_t> rgb;
    for (int row = 0; row < kBigSide; row += 256) {
        const int rows = std::min(256, kBigSide - row);
        FillRows(rgb, kBigSide, row, rows, 3);
        if (dataset->RasterIO(GF_Write, 0, row, kBigSide, rows, rgb.data(), kBigSide, rows, GDT_Byte, 3,
                              nullptr, 3, 3 * kBigSide, 1, nullptr) != CE_None) {
            return std::nullopt;
        }
    }
    CPLSetConfigOption("COMPRESS_OVERVIEW", "JPEG");
    CPLSetConfigOption("PHOTOMETRIC_OVERVIEW", "YCBCR");
    const int levels[] = {2, 4, 8, 16, 32, 64, 128};
    if (dataset->BuildOverviews("AVERAGE", 7, levels, 0, nullptr, nullptr, nullptr) != CE_None) {
        return std::nullopt;
    }
    dataset.reset();
    std::ofstream(ready) << "made\n";
    return path;
}

// Web Mercator tiles of zoom 15 (4.78 m pixels), 8192 x 5120 pixels, JPEG, with zoom 10-14 below.
std::optional<fs::path> BigMbtiles() {
    const fs::path path = Folder() / "big.mbtiles";
    const fs::path ready = Folder() / "big.mbtiles.ready";
    if (fs::exists(ready)) {
        return path;
    }
    fs::create_directories(Folder());
    fs::remove(path);
    GDALAllRegister();
    constexpr int kWidth = 8192, kHeight = 5120;
    const double resolution = 2 * 20037508.342789244 / 256 / 32768;  // zoom 15
    GDALDatasetUniquePtr memory(
        GetGDALDriverManager()->GetDriverByName("MEM")->Create("", kWidth, kHeight, 3, GDT_Byte, nullptr));
    // Origin on a tile corner near 50 N, 9 E.
    double transform[6] = {-20037508.342789244 + 17000 * 256 * resolution, resolution, 0,
                           20037508.342789244 - 11000 * 256 * resolution,  0,          -resolution};
    memory->SetGeoTransform(transform);
    OGRSpatialReference srs;
    srs.importFromEPSG(3857);
    memory->SetSpatialRef(&srs);
    std::vector<std::uint8_t> rgb;
    FillRows(rgb, kWidth, 0, kHeight, 3);
    if (memory->RasterIO(GF_Write, 0, 0, kWidth, kHeight, rgb.data(), kWidth, kHeight, GDT_Byte, 3, nullptr,
                         3, 3 * kWidth, 1, nullptr) != CE_None) {
        return std::nullopt;
    }
    const char* options[] = {"TILE_FORMAT=JPEG", "QUALITY=80", "NAME=bench", nullptr};
    GDALDatasetUniquePtr tiles(GetGDALDriverManager()->GetDriverByName("MBTiles")->CreateCopy(
        path.c_str(), memory.get(), FALSE, const_cast<char**>(options), nullptr, nullptr));
    if (!tiles) {
        return std::nullopt;
    }
    const int levels[] = {2, 4, 8, 16, 32};
    if (tiles->BuildOverviews("AVERAGE", 5, levels, 0, nullptr, nullptr, nullptr) != CE_None) {
        return std::nullopt;
    }
    tiles.reset();
    std::ofstream(ready) << "made\n";
    return path;
}

fs::path SceneMbtiles() {
    return fs::path(VANTREL_TESTDATA_DIR) / "maps" / "l7_png.mbtiles";
}

// The view of a map: centred on its extent, `metresPerPixel` per screen pixel.
core::PlaneBox CentredView(const core::PlaneBox& extent, double metresPerPixel, double shiftX = 0,
                           double shiftY = 0) {
    const double cx = (extent.minX + extent.maxX) / 2 + shiftX, cy = (extent.minY + extent.maxY) / 2 + shiftY;
    const double halfW = kViewWidth * metresPerPixel / 2, halfH = kViewHeight * metresPerPixel / 2;
    return {cx - halfW, cy - halfH, cx + halfW, cy + halfH};
}

struct MapCase {
    std::optional<fs::path> (*make)();
    double pixelsPerScreenPixel;  // map pixels shown per screen pixel
};

std::optional<fs::path> SceneCase() {
    return SceneMbtiles();
}

// Ours: open the map and draw the view into the window's picture.
void FirstDrawOurs(benchmark::State& state, MapCase mapCase) {
    const std::optional<fs::path> path = mapCase.make();
    if (!path) {
        state.SkipWithError("the benchmark map could not be made");
        return;
    }
    QImage target(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> seconds;
    for (auto _ : state) {
        target.fill(Qt::white);
        const double start = ThreadSeconds();
        auto map = platform::RasterMap::Open(path->string(), kZone);
        if (!map) {
            state.SkipWithError(map.message().c_str());
            return;
        }
        const double s = (*map)->geoTransform().PixelSize() * mapCase.pixelsPerScreenPixel;
        QPainter painter(&target);
        (*map)->Draw(painter, CentredView((*map)->extent(), s), kViewWidth, kViewHeight);
        painter.end();
        const double elapsed = ThreadSeconds() - start;
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    state.counters["median_ms"] = Median(seconds) * 1e3;
}

// GDAL by itself: open the map and read the pixels of the same view window at the size it has on the
// screen, every band the drawing uses, nearest neighbour, as GDAL's own overview choice decides.
void FirstDrawGdal(benchmark::State& state, MapCase mapCase) {
    const std::optional<fs::path> path = mapCase.make();
    if (!path) {
        state.SkipWithError("the benchmark map could not be made");
        return;
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kViewWidth) * kViewHeight * 4);
    std::vector<double> seconds;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        GDALDatasetUniquePtr dataset(GDALDataset::Open(path->c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
        if (!dataset) {
            state.SkipWithError("GDAL cannot open the map");
            return;
        }
        const int width = dataset->GetRasterXSize(), height = dataset->GetRasterYSize();
        // The view centred on the raster, in its pixels, cut to the raster.
        const double viewColumns = kViewWidth * mapCase.pixelsPerScreenPixel;
        const double viewRows = kViewHeight * mapCase.pixelsPerScreenPixel;
        const double x0 = std::max(0.0, (width - viewColumns) / 2),
                     y0 = std::max(0.0, (height - viewRows) / 2);
        const double x1 = std::min<double>(width, (width + viewColumns) / 2);
        const double y1 = std::min<double>(height, (height + viewRows) / 2);
        const int bufferWidth = static_cast<int>(std::lround((x1 - x0) / mapCase.pixelsPerScreenPixel));
        const int bufferHeight = static_cast<int>(std::lround((y1 - y0) / mapCase.pixelsPerScreenPixel));
        GDALRasterIOExtraArg extra;
        INIT_RASTERIO_EXTRA_ARG(extra);
        extra.eResampleAlg = GRIORA_NearestNeighbour;
        extra.bFloatingPointWindowValidity = TRUE;
        extra.dfXOff = x0;
        extra.dfYOff = y0;
        extra.dfXSize = x1 - x0;
        extra.dfYSize = y1 - y0;
        const int bands = std::min(4, dataset->GetRasterCount());
        const int ix0 = static_cast<int>(x0), iy0 = static_cast<int>(y0);
        if (dataset->RasterIO(GF_Read, ix0, iy0, static_cast<int>(std::ceil(x1)) - ix0,
                              static_cast<int>(std::ceil(y1)) - iy0, buffer.data(), bufferWidth, bufferHeight,
                              GDT_Byte, bands, nullptr, 4, 4 * bufferWidth, 1, &extra) != CE_None) {
            state.SkipWithError("GDAL cannot read the map");
            return;
        }
        dataset.reset();
        const double elapsed = ThreadSeconds() - start;
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    state.counters["median_ms"] = Median(seconds) * 1e3;
}

// A user's pan and zoom: 40 pans of 40 screen pixels to the right and back, then 12 zoom steps of 1.25 in
// and out about the centre; one round to fill the cache, then every frame of the next rounds timed (the
// picture cleared and the map drawn, as a window's paint does).
std::vector<core::PlaneBox> PanZoomViews(const core::PlaneBox& extent, double s) {
    std::vector<core::PlaneBox> views;
    for (int i = 0; i < 40; ++i) {
        views.push_back(CentredView(extent, s, (i < 20 ? i : 40 - i) * 40 * s));
    }
    for (int i = 0; i < 12; ++i) {
        const int step = i < 6 ? i : 12 - i;
        views.push_back(CentredView(extent, s * std::pow(1.25, step)));
    }
    return views;
}

void PanZoomFrames(benchmark::State& state, MapCase mapCase) {
    const std::optional<fs::path> path = mapCase.make();
    if (!path) {
        state.SkipWithError("the benchmark map could not be made");
        return;
    }
    auto map = platform::RasterMap::Open(path->string(), kZone);
    if (!map) {
        state.SkipWithError(map.message().c_str());
        return;
    }
    const auto views =
        PanZoomViews((*map)->extent(), (*map)->geoTransform().PixelSize() * mapCase.pixelsPerScreenPixel);
    QImage target(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    const auto frame = [&](const core::PlaneBox& view) {
        target.fill(Qt::white);
        QPainter painter(&target);
        (*map)->Draw(painter, view, kViewWidth, kViewHeight);
    };
    for (const auto& view : views) {
        frame(view);
    }
    std::vector<double> frames;
    for (auto _ : state) {
        for (const auto& view : views) {
            const double start = ThreadSeconds();
            frame(view);
            frames.push_back(ThreadSeconds() - start);
        }
        state.SetIterationTime(
            std::accumulate(frames.end() - static_cast<std::ptrdiff_t>(views.size()), frames.end(), 0.0));
    }
    state.counters["median_frame_ms"] = Median(frames) * 1e3;
    state.counters["slowest_frame_ms"] = *std::max_element(frames.begin(), frames.end()) * 1e3;
}

// The whole GeoTIFF looked at: opened, then 60 views from the full extent down to 1:1 pixels, panned
// across the raster; resident memory before opening and its highest value on the way.
void BigMapMemory(benchmark::State& state) {
    const std::optional<fs::path> path = BigGeoTiff();
    if (!path) {
        state.SkipWithError("the benchmark map could not be made");
        return;
    }
    // Measured in the first run of the process only: memory given back to the C library stays resident,
    // so a second run would start from the first one's high-water mark.
    static std::optional<double> growth;
    for (auto _ : state) {
        if (growth) {
            continue;
        }
        const double before = ResidentMegabytes();
        double highest = before;
        {
            auto map = platform::RasterMap::Open(path->string(), kZone);
            if (!map) {
                state.SkipWithError(map.message().c_str());
                return;
            }
            QImage target(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
            const core::PlaneBox extent = (*map)->extent();
            const double whole = (extent.maxX - extent.minX) / kViewWidth;
            for (int i = 0; i < 60; ++i) {
                const double s = whole / std::pow(2.0, (i % 12) * 0.6);  // 12.5 m down to 0.8 m per pixel
                const double shift = (i * 0.07 - 2) * (extent.maxX - extent.minX) / 5;
                target.fill(Qt::white);
                QPainter painter(&target);
                (*map)->Draw(painter, CentredView(extent, s, shift, -shift / 2), kViewWidth, kViewHeight);
                painter.end();
                highest = std::max(highest, ResidentMegabytes());
            }
        }
        growth = highest - before;
    }
    state.counters["resident_growth_mb"] = growth.value_or(0);
}

const MapCase kGeoTiff{BigGeoTiff, 3.0};
const MapCase kMbtiles{BigMbtiles, 1.5};
const MapCase kScene{SceneCase, 0.5};

// Memory first, before the other benchmarks have grown the heap.
BENCHMARK(BigMapMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstDrawGdal, geotiff, kGeoTiff)
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstDrawOurs, geotiff, kGeoTiff)
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstDrawGdal, mbtiles, kMbtiles)
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstDrawOurs, mbtiles, kMbtiles)
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstDrawGdal, scene_mbtiles, kScene)
    ->UseManualTime()
    ->MinTime(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstDrawOurs, scene_mbtiles, kScene)
    ->UseManualTime()
    ->MinTime(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PanZoomFrames, geotiff, kGeoTiff)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PanZoomFrames, mbtiles, kMbtiles)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

std::vector<Figure> MapFigures(const RunResults& results) {
    std::vector<Figure> figures;
    const std::pair<const char*, const char*> firstDraws[] = {
        {"geotiff", "20000 x 20000 GeoTIFF (JPEG tiles, overviews), 3 m per pixel"},
        {"mbtiles", "MBTiles 8192 x 5120 JPEG tiles, zoom 10-15, 1.5 map pixels per pixel"},
        {"scene_mbtiles", "test scene MBTiles (PNG, 264 x 268), zoomed in 2x"}};
    for (const auto& [name, what] : firstDraws) {
        const std::string prefix = "/min_time:";
        const auto find = [&](const std::string& kind) -> std::optional<double> {
            for (const char* time : {"1.000", "2.000"}) {
                if (auto value =
                        results.Counter(kind + "/" + name + prefix + time + "/manual_time", "median_ms")) {
                    return value;
                }
            }
            return std::nullopt;
        };
        const auto ours = find("FirstDrawOurs"), gdal = find("FirstDrawGdal");
        if (!ours || !gdal) {
            continue;
        }
        const double ratio = *ours / *gdal;
        figures.push_back({std::string("Map first draw 1600x1000 / GDAL RasterIO: ") + what,
                           Number(ratio) + " (" + Number(*ours) + " ms vs " + Number(*gdal) + " ms)",
                           "<= 1.5", ratio <= 1.5});
    }
    for (const char* name : {"geotiff", "mbtiles"}) {
        const std::string run = std::string("PanZoomFrames/") + name + "/iterations:3/manual_time";
        const auto median = results.Counter(run, "median_frame_ms");
        const auto slowest = results.Counter(run, "slowest_frame_ms");
        if (median && slowest) {
            figures.push_back({std::string("Map pan/zoom frame 1600x1000, warm cache, median: ") + name,
                               Number(*median) + " ms (slowest " + Number(*slowest) + " ms)", "<= 16 ms",
                               *median <= 16});
        }
    }
    if (const auto growth = results.Counter("BigMapMemory/iterations:1", "resident_growth_mb")) {
        figures.push_back({"Map memory: 20000 x 20000 GeoTIFF opened, panned, zoomed: resident growth",
                           Number(*growth) + " MB", "< 200 MB", *growth < 200});
    }
    return figures;
}

VANTREL_FIGURES(MapFigures);

}  // namespace
}  // namespace vantrel::bench
