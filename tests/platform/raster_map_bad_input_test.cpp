// Files that are no usable map: each is refused with a message that names the file and what is wrong,
// and nothing crashes or prints.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "platform/raster_map.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

fs::path MapFile(const char* name) {
    return fs::path(VANTREL_TESTDATA_DIR) / "maps" / name;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

fs::path Copy(const char* name, const fs::path& target) {
    fs::copy_file(MapFile(name), target);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    return target;
}

// An MBTiles file as QGIS and gdal_translate make it (metadata and tiles tables), with the given format
// and tile contents.
fs::path MakeMbtiles(const fs::path& path, const std::string& format, const std::string& tileHex) {
    testing_support::SqliteFile db(path);
    db.Exec(
        "CREATE TABLE metadata (name TEXT, value TEXT);"
        "CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_data BLOB);"
        "INSERT INTO metadata VALUES ('name', 'test'), ('format', '" +
        format +
        "'),"
        "('bounds', '-35,-8.1,-34.8,-7.9'), ('minzoom', '10'), ('maxzoom', '10');");
    // The bounds cover columns 412-413 and rows 488-489 of zoom 10 (rows counted from the south).
    for (int column = 411; !tileHex.empty() && column <= 414; ++column) {
        for (int row = 487; row <= 490; ++row) {
            db.Exec("INSERT INTO tiles VALUES (10, " + std::to_string(column) + ", " + std::to_string(row) +
                    ", X'" + tileHex + "');");
        }
    }
    return path;
}

// Six lines of world file for the scene's picture, with one of them replaced when asked.
std::string SceneWorldFile() {
    return "28.5\n0\n0\n-28.5\n288790.5\n9120746.5\n";
}

struct BadMap {
    const char* name;
    std::function<fs::path(const testing_support::TempDir&)> make;
    const char* named;   // the file the message names (a file name within the folder)
    const char* reason;  // what the message says is wrong
};

class RasterMapRefuses : public ::testing::TestWithParam<BadMap> {};

TEST_P(RasterMapRefuses, NamingTheFileAndTheReason) {
    testing_support::TempDir dir;
    const fs::path path = GetParam().make(dir);
    testing::internal::CaptureStderr();
    const auto opened = RasterMap::Open(path.string(), geodesy::UtmZone{25, 'M'});
    const std::string printed = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.message().find(GetParam().named), std::string::npos) << opened.message();
    EXPECT_NE(opened.message().find(GetParam().reason), std::string::npos) << opened.message();
    EXPECT_EQ(printed, "");
}

std::string RandomBytes(std::size_t count) {
    std::mt19937 random(13);
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RasterMapRefuses,
    ::testing::Values(BadMap{"Missing", [](const auto& d) { return d / "nowhere.tif"; }, "nowhere.tif",
                             "there is no such file"},
                      BadMap{"Folder",
                             [](const auto& d) {
                                 fs::create_directory(d / "maps.tif");
                                 return d / "maps.tif";
                             },
                             "maps.tif", "a folder"},
                      BadMap{"RandomBytes",
                             [](const auto& d) {
                                 WriteText(d / "noise.tif", RandomBytes(5000));
                                 return d / "noise.tif";
                             },
                             "noise.tif", "not in a map format that can be read"},
                      BadMap{"Text",
                             [](const auto& d) {
                                 WriteText(d / "notes.txt", "Fox 1 near the old mill\n");
                                 return d / "notes.txt";
                             },
                             "notes.txt", "not in a map format that can be read"},
                      BadMap{"TruncatedMbtiles",
                             [](const auto& d) {
                                 const std::string whole = RandomBytes(0) + [] {
                                     std::ifstream in(MapFile("l7_png.mbtiles"), std::ios::binary);
                                     return std::string(std::istreambuf_iterator<char>(in), {});
                                 }();
                                 WriteText(d / "cut.mbtiles", whole.substr(0, 3000));
                                 return d / "cut.mbtiles";
                             },
                             "cut.mbtiles", "damaged or cut short"},
                      BadMap{"DamagedMbtiles",
                             [](const auto& d) {
                                 std::ifstream in(MapFile("l7_png.mbtiles"), std::ios::binary);
                                 std::string whole(std::istreambuf_iterator<char>(in), {});
                                 whole.replace(1024, whole.size() - 1024, RandomBytes(whole.size() - 1024));
                                 WriteText(d / "damaged.mbtiles", whole);
                                 return d / "damaged.mbtiles";
                             },
                             "damaged.mbtiles", "damaged or cut short"},
                      BadMap{"MbtilesWithoutTiles",
                             [](const auto& d) { return MakeMbtiles(d / "empty.mbtiles", "png", ""); },
                             "empty.mbtiles", "it holds no map tiles"},
                      BadMap{"MbtilesTilesNotImages",
                             [](const auto& d) {
                                 return MakeMbtiles(d / "text.mbtiles", "png", "48656c6c6f2c20666f78");
                             },
                             "text.mbtiles", "cannot be read"},
                      BadMap{"VectorTiles",
                             [](const auto& d) {
                                 return MakeMbtiles(d / "vector.mbtiles", "pbf",
                                                    "1f8b0800000000000003030000000000000000");
                             },
                             "vector.mbtiles", "vector tiles are not supported"},
                      BadMap{"PictureWithoutGeoreference",
                             [](const auto& d) { return Copy("osm-z0-tile.png", d / "scan.png"); },
                             "scan.png", "has no georeference (no world file beside it): calibrate it"},
                      BadMap{"WorldFileFiveLines",
                             [](const auto& d) {
                                 WriteText(d / "scene.pgw", "28.5\n0\n0\n-28.5\n288790.5\n");
                                 return Copy("l7_321.png", d / "scene.png");
                             },
                             "scene.pgw", "a world file has 6 lines, this one has 5"},
                      BadMap{"WorldFileNotANumber",
                             [](const auto& d) {
                                 WriteText(d / "scene.wld", "28.5\n0\n0\n-28.5\nE 288790.5\n9120746.5\n");
                                 return Copy("l7_321.png", d / "scene.png");
                             },
                             "scene.wld", "line 5 is not a number"},
                      BadMap{"WorldFileZeroPixel",
                             [](const auto& d) {
                                 WriteText(d / "scene.pgw", "0\n0\n0\n-28.5\n288790.5\n9120746.5\n");
                                 return Copy("l7_321.png", d / "scene.png");
                             },
                             "scene.pgw", "the pixel width (lines 1 and 2) is zero"},
                      BadMap{"UnknownCrs",
                             [](const auto& d) {
                                 WriteText(d / "scene.pgw", SceneWorldFile());
                                 WriteText(d / "scene.prj", "PROJCS[\"made up\",GEOGCS[\"nowhere\"]]");
                                 return Copy("l7_321.png", d / "scene.png");
                             },
                             "scene.prj", "is unknown"}),
    testing_support::ParamName());

}  // namespace
}  // namespace vantrel::platform

namespace vantrel::platform {
namespace {

// Run by its own test entry with VANTREL_GDAL_MODULE naming a file that is not there (tests/platform's
// CMakeLists): without the map module, opening a map is refused with a message, nothing crashes.
TEST(RasterMapModule, MissingModuleIsReported) {
    const char* module = std::getenv("VANTREL_GDAL_MODULE");
    if (module == nullptr || fs::exists(module)) {
        GTEST_SKIP() << "needs VANTREL_GDAL_MODULE naming a missing file";
    }
    const auto opened = RasterMap::Open(MapFile("L7_ETMs.tif").string(), geodesy::UtmZone{25, 'M'});
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.message().find("the map module (GDAL) cannot be loaded"), std::string::npos)
        << opened.message();
    EXPECT_FALSE(UtmZonePrjText(geodesy::UtmZone{25, 'M'}));
    EXPECT_FALSE(CrsTransform::Create(geodesy::UtmZone{25, 'M'}, "PROJCS[]"));
}

}  // namespace
}  // namespace vantrel::platform
