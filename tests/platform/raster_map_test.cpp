// Real map files through GDAL, drawn into a QImage at a known view; the pixels are compared with the
// scene's ground truth (tests/data/maps/README.md) and with the OpenStreetMap tile decoded by Qt.

#include "platform/raster_map.hpp"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::platform {
namespace {

const geodesy::UtmZone kZone25South{25, 'M'};

std::string MapFile(const char* name) {
    return std::string(VANTREL_TESTDATA_DIR) + "/maps/" + name;
}

std::unique_ptr<RasterMap> OpenMap(const std::filesystem::path& path, geodesy::UtmZone zone = kZone25South) {
    auto map = RasterMap::Open(path.string(), zone);
    EXPECT_TRUE(map) << map.message();
    return map ? std::move(*map) : nullptr;
}

QImage Draw(RasterMap& map, const core::PlaneBox& view, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    map.Draw(painter, view, width, height);
    return image;
}

struct GroundTruth {
    const char* name;
    double easting, northing;  // UTM 25 south
    int band1, band2, band3;   // blue, green, red of the Landsat scene
};
// From gdallocationinfo on L7_ETMs.tif (tests/data/maps/README.md).
const GroundTruth kSea{"Sea", 298317.08, 9111935.56, 96, 90, 65};
const GroundTruth kLand{"Land", 297952.86, 9119455.31, 93, 83, 95};

// The colour a drawn point takes in the pictures and tiles: bands 3, 2, 1 as red, green, blue.
QColor SceneColour(const GroundTruth& truth) {
    return QColor(truth.band3, truth.band2, truth.band1);
}

// The scene's origin and pixel size as GDAL reports them for the GeoTIFF (and the world file gives).
constexpr double kOriginX = 288776.25, kOriginY = 9120760.75, kPixel = 28.5;

std::string GeoTiff(const testing_support::TempDir&) {
    return MapFile("l7_rgb.tif");  // columns 300-348, bands 3, 2, 1 marked red, green, blue
}
std::string PngWithWorldFile(const testing_support::TempDir&) {
    return MapFile("l7_321.png");
}
// A VRT mosaic of two sheets, the scene's upper and lower halves (bands 3, 2, 1 as red, green, blue): the
// land point lies on the upper sheet, the sea point on the lower.
std::string TwoSheetMosaic(const testing_support::TempDir& dir) {
    std::string bands;
    for (const auto& [band, colour] : {std::pair{3, "Red"}, {2, "Green"}, {1, "Blue"}}) {
        bands += "<VRTRasterBand dataType=\"Byte\" band=\"" + std::to_string(4 - band) + "\"><ColorInterp>" +
                 colour + "</ColorInterp>";
        for (const auto& [row, rows] : {std::pair{0, 176}, {176, 176}}) {
            const std::string rect = "xOff=\"0\" yOff=\"" + std::to_string(row) +
                                     "\" xSize=\"349\" ySize=\"" + std::to_string(rows) + "\"";
            bands += "<SimpleSource><SourceFilename relativeToVRT=\"0\">" + MapFile("L7_ETMs.tif") +
                     "</SourceFilename><SourceBand>" + std::to_string(band) + "</SourceBand><SrcRect " +
                     rect + "/><DstRect " + rect + "/></SimpleSource>";
        }
        bands += "</VRTRasterBand>";
    }
    std::ofstream(dir / "sheets.vrt")
        << "<VRTDataset rasterXSize=\"349\" rasterYSize=\"352\"><SRS>EPSG:32725</SRS>"
           "<GeoTransform>288776.25, 28.5, 0, 9120760.75, 0, -28.5</GeoTransform>"
        << bands << "</VRTDataset>";
    return (dir / "sheets.vrt").string();
}

struct SceneForm {
    const char* name;
    std::string (*file)(const testing_support::TempDir&);
    double zoom;  // screen pixels per scene pixel
};

class SceneGroundTruth : public ::testing::TestWithParam<SceneForm> {};

// The UTM forms of the scene: a view on the pixel grid, so each screen pixel shows exactly one scene pixel
// (zoom 1) or a quarter of one (zoom 2).
TEST_P(SceneGroundTruth, PixelsAtTheReferencePointsAreTheScenes) {
    const SceneForm& form = GetParam();
    testing_support::TempDir dir;
    auto map = OpenMap(form.file(dir));
    ASSERT_TRUE(map);
    const int width = static_cast<int>(349 * form.zoom), height = static_cast<int>(352 * form.zoom);
    const double s = kPixel / form.zoom;
    const core::PlaneBox view{kOriginX, kOriginY - height * s, kOriginX + width * s, kOriginY};
    const QImage image = Draw(*map, view, width, height);
    for (const GroundTruth& truth : {kSea, kLand}) {
        const int x = static_cast<int>((truth.easting - view.minX) / s);
        const int y = static_cast<int>((view.maxY - truth.northing) / s);
        EXPECT_EQ(image.pixelColor(x, y), SceneColour(truth)) << truth.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, SceneGroundTruth,
                         ::testing::Values(SceneForm{"GeoTiff", GeoTiff, 1},
                                           SceneForm{"GeoTiffZoomedIn", GeoTiff, 2},
                                           SceneForm{"PngWorldFile", PngWithWorldFile, 1},
                                           SceneForm{"PngWorldFileZoomedIn", PngWithWorldFile, 2},
                                           SceneForm{"VrtMosaicOfTwoSheets", TwoSheetMosaic, 1}),
                         testing_support::ParamName());

struct ColourForm {
    const char* name;
    const char* file;
    QColor sea, land;  // from the bands at the reference points (README), as the bands' colours say
};

class ColourInterpretation : public ::testing::TestWithParam<ColourForm> {};

// GeoTIFF bands are drawn as their colour interpretation says: gray levels, a colour table, red-green-blue
// with or without alpha; the whole Landsat scene (band 1 gray, the other five undefined) as band 1 in gray.
TEST_P(ColourInterpretation, ReferencePointsTakeTheColourTheBandsName) {
    auto map = OpenMap(MapFile(GetParam().file));
    ASSERT_TRUE(map);
    const core::PlaneBox view{kOriginX, kOriginY - 352 * kPixel, kOriginX + 349 * kPixel, kOriginY};
    const QImage image = Draw(*map, view, 349, 352);
    for (const auto& [truth, colour] : {std::pair{kSea, GetParam().sea}, {kLand, GetParam().land}}) {
        const int x = static_cast<int>((truth.easting - view.minX) / kPixel);
        const int y = static_cast<int>((view.maxY - truth.northing) / kPixel);
        EXPECT_EQ(image.pixelColor(x, y), colour) << truth.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bands, ColourInterpretation,
    ::testing::Values(ColourForm{"SceneFirstBandGray", "L7_ETMs.tif", QColor(96, 96, 96), QColor(93, 93, 93)},
                      ColourForm{"Gray", "l7_gray.tif", QColor(13, 13, 13), QColor(71, 71, 71)},
                      ColourForm{"Palette", "l7_palette.tif", QColor(13, 242, 0), QColor(71, 184, 0)},
                      ColourForm{"Rgb", "l7_rgb.tif", QColor(65, 90, 96), QColor(95, 83, 93)},
                      ColourForm{"RgbaSeaTransparent", "l7_rgba.tif", QColor(0, 0, 0, 0),
                                 QColor(95, 83, 93)}),
    testing_support::ParamName());

// The scene's picture placed in degrees (a VRT in WGS 84 latitude and longitude).
std::string SceneInDegrees(const testing_support::TempDir& dir) {
    std::ofstream(dir / "degrees.vrt")
        << "<VRTDataset rasterXSize=\"349\" rasterYSize=\"352\"><SRS>EPSG:4326</SRS>"
           "<GeoTransform>-34.92, 0.00026, 0, -7.95, 0, -0.00026</GeoTransform>"
           "<VRTRasterBand dataType=\"Byte\" band=\"1\"><ColorInterp>Gray</ColorInterp><SimpleSource>"
           "<SourceFilename relativeToVRT=\"0\">"
        << MapFile("l7_321.png")
        << "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand>"
           "</VRTDataset>";
    return (dir / "degrees.vrt").string();
}
std::string LandsatGeoTiff(const testing_support::TempDir&) {
    return MapFile("L7_ETMs.tif");
}
std::string WebMercatorTiles(const testing_support::TempDir&) {
    return MapFile("l7_png.mbtiles");
}

struct CrsForm {
    const char* name;
    std::string (*file)(const testing_support::TempDir&);
    bool geographic;
    std::optional<geodesy::UtmZone> zone;
};

class CrsFacts : public ::testing::TestWithParam<CrsForm> {};

// What the rest of the program learns of a map's CRS: degrees or metres, and the UTM zone it is drawn in
// (SIRGAS 2000 / UTM 25S, the band from the map's centre at 7.99 S: M). A world file without .prj takes
// the hunt's zone (25M here).
TEST_P(CrsFacts, GeographicAndUtmZoneAsTheCrsSays) {
    testing_support::TempDir dir;
    auto map = OpenMap(GetParam().file(dir));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->geographic(), GetParam().geographic);
    EXPECT_EQ(map->utmZone(), GetParam().zone);
}

INSTANTIATE_TEST_SUITE_P(Maps, CrsFacts,
                         ::testing::Values(CrsForm{"SirgasUtm25South", LandsatGeoTiff, false, kZone25South},
                                           CrsForm{"WorldFileTakesHuntZone", PngWithWorldFile, false,
                                                   kZone25South},
                                           CrsForm{"WebMercatorTiles", WebMercatorTiles, false, std::nullopt},
                                           CrsForm{"LatitudeLongitude", SceneInDegrees, true, std::nullopt}),
                         testing_support::ParamName());

struct TilesForm {
    const char* name;
    const char* file;
    int tolerance;  // colour units: GDAL's resampling to Web Mercator, and JPEG's losses
};

class TilesGroundTruth : public ::testing::TestWithParam<TilesForm> {};

// MBTiles in Web Mercator: the reference points are carried into the map's CRS and looked up in a view at
// the resolution of zoom 12. The land point lies in the north of the scene, the sea point in the south:
// tiles stored upside down (MBTiles counts rows from the south) would swap or lose them.
TEST_P(TilesGroundTruth, PixelsAtTheReferencePointsAreTheScenes) {
    auto map = OpenMap(MapFile(GetParam().file));
    ASSERT_TRUE(map);
    auto transform = CrsTransform::Create(kZone25South, map->crsWkt());
    ASSERT_TRUE(transform) << transform.message();
    const double s = 2 * 3.141592653589793 * 6378137 / 256 / 4096;  // metres per pixel at zoom 12
    const core::PlaneBox extent = map->extent();
    const int width = static_cast<int>((extent.maxX - extent.minX) / s);
    const int height = static_cast<int>((extent.maxY - extent.minY) / s);
    const core::PlaneBox view{extent.minX, extent.maxY - height * s, extent.minX + width * s, extent.maxY};
    const QImage image = Draw(*map, view, width, height);
    for (const GroundTruth& truth : {kSea, kLand}) {
        SCOPED_TRACE(truth.name);
        double x = truth.easting, y = truth.northing;
        ASSERT_TRUE((*transform)->ToMap(x, y));
        const int px = static_cast<int>((x - view.minX) / s), py = static_cast<int>((view.maxY - y) / s);
        // Within a pixel: one of the 3 x 3 around the point must hold the colour.
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy) {
            for (int dx = -1; dx <= 1 && !found; ++dx) {
                const QColor c = image.pixelColor(px + dx, py + dy);
                found = c.alpha() == 255 && std::abs(c.red() - truth.band3) <= GetParam().tolerance &&
                        std::abs(c.green() - truth.band2) <= GetParam().tolerance &&
                        std::abs(c.blue() - truth.band1) <= GetParam().tolerance;
            }
        }
        EXPECT_TRUE(found) << "at " << px << "," << py << ": "
                           << image.pixelColor(px, py).name().toStdString();
    }
    // West of 34.92 W the scene has no pixels: transparent.
    double x = 0, y = 0;
    ASSERT_TRUE((*transform)->ToMap(x = 285000, y = 9115000));
    if (x > view.minX) {
        EXPECT_EQ(
            image.pixelColor(static_cast<int>((x - view.minX) / s), static_cast<int>((view.maxY - y) / s))
                .alpha(),
            0);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, TilesGroundTruth,
                         ::testing::Values(TilesForm{"MbtilesPng", "l7_png.mbtiles", 4},
                                           TilesForm{"MbtilesJpeg", "l7_jpg.mbtiles", 12}),
                         testing_support::ParamName());

// The zoom-0 OpenStreetMap tile in an MBTiles file, drawn over the whole world at 256 x 256, is the tile
// itself, row for row (the Arctic at the top); its attribution comes with it.
TEST(RasterMapTiles, WorldTileIsDrawnTheRightWayUp) {
    auto map = OpenMap(MapFile("osm_z0.mbtiles"));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->attribution(), "(c) OpenStreetMap contributors");
    const double half = 20037508.342789244;
    const QImage drawn = Draw(*map, {-half, -half, half, half}, 256, 256);
    const QImage tile =
        QImage(QString::fromStdString(MapFile("osm-z0-tile.png"))).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(tile.size(), QSize(256, 256));
    int differing = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            differing += drawn.pixel(x, y) != tile.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST(RasterMapCrs, HuntZoneToWebMercatorAndLatitudeLongitude) {
    auto map = OpenMap(MapFile("osm_z0.mbtiles"));
    ASSERT_TRUE(map);
    auto transform = CrsTransform::Create(kZone25South, map->crsWkt());
    ASSERT_TRUE(transform) << transform.message();
    // The scene's land point: 7.962 S, 34.833 W (README). Web Mercator x = R lon in radians.
    double x = kLand.easting, y = kLand.northing;
    ASSERT_TRUE((*transform)->ToMap(x, y));
    EXPECT_NEAR(x, 6378137 * -34.833 * 3.141592653589793 / 180, 1.0);
    double lat = 0, lon = 0;
    ASSERT_TRUE((*transform)->MapToLatLon(x, y, lat, lon));
    EXPECT_NEAR(lat, -7.962, 1e-5);
    EXPECT_NEAR(lon, -34.833, 1e-5);
    ASSERT_TRUE((*transform)->FromMap(x, y));
    EXPECT_NEAR(x, kLand.easting, 1e-3);
    EXPECT_NEAR(y, kLand.northing, 1e-3);
}

// The picture with a world file turned a quarter: its top edge runs north to south along the east side,
// X = 300000 - 28.5 row, Y = 9000000 - 28.5 column (world file: 0, -28.5, -28.5, 0, then the centre of
// the first pixel). No .prj: the hunt's zone.
TEST(RasterMapRotated, CalibratedPictureIsDrawnTurned) {
    testing_support::TempDir dir;
    std::filesystem::copy_file(MapFile("l7_321.png"), dir / "turned.png");
    std::ofstream(dir / "turned.pgw") << "0\n-28.5\n-28.5\n0\n299985.75\n8999985.75\n";
    auto map = OpenMap(dir / "turned.png");
    ASSERT_TRUE(map);
    EXPECT_EQ(map->crsWkt(), *UtmZoneWkt(kZone25South));
    const core::PlaneBox extent = map->extent();
    EXPECT_NEAR(extent.maxX, 300000, 1e-6);
    EXPECT_NEAR(extent.minX, 300000 - 352 * kPixel, 1e-6);
    EXPECT_NEAR(extent.minY, 9000000 - 349 * kPixel, 1e-6);
    const QImage image = Draw(*map, extent, 352, 349);
    for (const GroundTruth& truth : {kSea, kLand}) {
        SCOPED_TRACE(truth.name);
        const double column = std::floor((truth.easting - kOriginX) / kPixel) + 0.5;
        const double row = std::floor((kOriginY - truth.northing) / kPixel) + 0.5;
        const double x = 300000 - kPixel * row, y = 9000000 - kPixel * column;
        EXPECT_EQ(image.pixelColor(static_cast<int>((x - extent.minX) / kPixel),
                                   static_cast<int>((extent.maxY - y) / kPixel)),
                  SceneColour(truth));
    }
}

// A paletted picture (8-bit PNG with a colour table, as many scanned and tile maps are) with a transparent
// entry: each index is drawn in its table colour, the transparent one not at all.
TEST(RasterMapPalette, IndexedPictureIsDrawnThroughItsColourTable) {
    testing_support::TempDir dir;
    QImage picture(4, 2, QImage::Format_Indexed8);
    picture.setColorTable({qRgba(0, 0, 0, 0), qRgb(200, 30, 40), qRgb(10, 160, 70), qRgb(250, 250, 250)});
    for (int x = 0; x < 4; ++x) {
        picture.setPixel(x, 0, static_cast<uint>(x));
        picture.setPixel(x, 1, static_cast<uint>(3 - x));
    }
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "legend.png").string()), "PNG"));
    // 10 m pixels, upper-left pixel centre at E 500005, N 5000095: the picture covers 500000..500040,
    // 5000080..5000100.
    std::ofstream(dir / "legend.pgw") << "10\n0\n0\n-10\n500005\n5000095\n";
    auto map = OpenMap(dir / "legend.png", geodesy::UtmZone{32, 'U'});
    ASSERT_TRUE(map);
    const QImage image = Draw(*map, {500000, 5000080, 500040, 5000100}, 4, 2);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(1, 0), QColor(200, 30, 40));
    EXPECT_EQ(image.pixelColor(2, 0), QColor(10, 160, 70));
    EXPECT_EQ(image.pixelColor(0, 1), QColor(250, 250, 250));
    EXPECT_EQ(image.pixelColor(3, 1).alpha(), 0);
}

// However much is drawn, the decoded tiles kept stay within the cache's limit (one 256 x 256 tile of 4
// bytes a pixel over it at most, the tile being drawn).
TEST(RasterMapCache, StaysWithinItsLimit) {
    auto map = OpenMap(MapFile("L7_ETMs.tif"));
    ASSERT_TRUE(map);
    constexpr std::size_t kTile = 256 * 256 * 4;
    map->setCacheLimit(kTile);
    for (double zoom : {0.25, 0.5, 1.0, 2.0, 4.0}) {
        const double s = kPixel / zoom;
        for (int step = 0; step < 4; ++step) {
            const double x0 = kOriginX + step * 2000;
            Draw(*map, {x0, kOriginY - 300 * s, x0 + 400 * s, kOriginY}, 400, 300);
            EXPECT_LE(map->cachedBytes(), 2 * kTile);
        }
    }
    EXPECT_GT(map->cachedBytes(), 0u);
}

// Values other than bytes are stretched from the band's lowest to its highest value: a gray ramp of 0, 85,
// 170, 255 stored as 16-bit 1000 + 100 v (a VRT over a PNG) is drawn as the ramp again.
TEST(RasterMapVrt, SixteenBitValuesAreStretchedToTheirRange) {
    testing_support::TempDir dir;
    QImage ramp(4, 1, QImage::Format_Grayscale8);
    for (int x = 0; x < 4; ++x) {
        ramp.scanLine(0)[x] = static_cast<uchar>(85 * x);
    }
    ASSERT_TRUE(ramp.save(QString::fromStdString((dir / "ramp.png").string()), "PNG"));
    std::ofstream(dir / "ramp.vrt")
        << "<VRTDataset rasterXSize=\"4\" rasterYSize=\"1\"><SRS>EPSG:32632</SRS>"
           "<GeoTransform>500000, 10, 0, 5000010, 0, -10</GeoTransform>"
           "<VRTRasterBand dataType=\"UInt16\" band=\"1\"><ColorInterp>Gray</ColorInterp><ComplexSource>"
           "<SourceFilename relativeToVRT=\"1\">ramp.png</SourceFilename><SourceBand>1</SourceBand>"
           "<ScaleOffset>1000</ScaleOffset><ScaleRatio>100</ScaleRatio></ComplexSource></VRTRasterBand>"
           "</VRTDataset>";
    auto map = OpenMap(dir / "ramp.vrt", geodesy::UtmZone{32, 'U'});
    ASSERT_TRUE(map);
    const QImage image = Draw(*map, {500000, 5000000, 500040, 5000010}, 4, 1);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(image.pixelColor(x, 0), QColor(85 * x, 85 * x, 85 * x)) << x;
    }
    // Maps are only read: the statistics are not stored beside them (no .aux.xml).
    map.reset();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace vantrel::platform
