// Files that are no usable map: each is refused with a message that names the file and what is wrong,
// and nothing crashes or prints.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "file_bytes.hpp"
#include "platform/raster_map.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using Make = std::function<fs::path(const fs::path& dir)>;

fs::path MapFile(const char* name) {
    return fs::path(VANTREL_TESTDATA_DIR) / "maps" / name;
}

fs::path Write(const fs::path& path, const std::string& bytes) {
    testing_support::WriteBytes(path, bytes);
    return path;
}

fs::path Copy(const char* name, const fs::path& target) {
    fs::copy_file(MapFile(name), target);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    return target;
}

std::string RandomBytes(std::size_t count) {
    std::mt19937 random(13);
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

fs::path Pipe(const fs::path& path) {
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
    return path;
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string BigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string PngChunk(const std::string& type, const std::string& data) {
    return BigEndian(static_cast<std::uint32_t>(data.size())) + type + data + BigEndian(Crc32(type + data));
}

// A PNG that declares side x side gray pixels and holds a few bytes of them: tiny on disk, huge inflated.
std::string DeclaredPng(std::uint32_t side) {
    const std::string header = BigEndian(side) + BigEndian(side) + std::string("\x08\x00\x00\x00\x00", 5);
    // A zlib stream of one stored block holding the first row's filter byte.
    const std::string pixels("\x78\x01\x01\x01\x00\xfe\xff\x00\x00\x01\x00\x01", 12);
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", pixels) +
           PngChunk("IEND", "");
}

std::string Hex(const std::string& bytes) {
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

Make Written(const char* name, const std::string& bytes) {
    return [=](const fs::path& dir) { return Write(dir / name, bytes); };
}

// The scene's picture as scene.png with SIDECAR beside it, and a scene.prj when PRJ is given.
Make SceneWith(const char* sidecar, const std::string& text, const std::string& prj = {}) {
    return [=](const fs::path& dir) {
        Write(dir / sidecar, text);
        if (!prj.empty()) {
            Write(dir / "scene.prj", prj);
        }
        return Copy("l7_321.png", dir / "scene.png");
    };
}

// An MBTiles file as QGIS and gdal_translate make it, with the given format and the same bytes in every tile
// around the bounds (columns 412-413, rows 488-489 of zoom 10, rows counted from the south).
Make Mbtiles(const char* name, const std::string& format, const std::string& tileHex) {
    return [=](const fs::path& dir) {
        testing_support::SqliteFile db(dir / name);
        db.Exec(
            "CREATE TABLE metadata (name TEXT, value TEXT);"
            "CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_data BLOB);"
            "INSERT INTO metadata VALUES ('name', 'test'), ('format', '" +
            format + "'), ('bounds', '-35,-8.1,-34.8,-7.9'), ('minzoom', '10'), ('maxzoom', '10');");
        for (int column = 411; !tileHex.empty() && column <= 414; ++column) {
            for (int row = 487; row <= 490; ++row) {
                db.Exec("INSERT INTO tiles VALUES (10, " + std::to_string(column) + ", " +
                        std::to_string(row) + ", X'" + tileHex + "');");
            }
        }
        return dir / name;
    };
}

struct BadMap {
    const char* name;
    Make make;
    const char* named;   // the file the message names (a file name within the folder)
    const char* reason;  // what the message says is wrong
};

class RasterMapRefuses : public ::testing::TestWithParam<BadMap> {};

TEST_P(RasterMapRefuses, NamingTheFileAndTheReason) {
    testing_support::TempDir dir;
    const fs::path path = GetParam().make(dir.path());
    testing::internal::CaptureStderr();
    const auto opened = RasterMap::Open(path.string(), geodesy::UtmZone{25, 'M'});
    const std::string printed = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.message().find(GetParam().named), std::string::npos) << opened.message();
    EXPECT_NE(opened.message().find(GetParam().reason), std::string::npos) << opened.message();
    EXPECT_EQ(opened.message().find(".cpp"), std::string::npos) << opened.message();  // no GDAL source line
    EXPECT_EQ(printed, "");
}

const std::string kSceneWorldFile = "28.5\n0\n0\n-28.5\n288790.5\n9120746.5\n";
const char* const kNoMap = "not in a map format that can be read";

INSTANTIATE_TEST_SUITE_P(
    Cases, RasterMapRefuses,
    ::testing::Values(
        BadMap{"Missing", [](const fs::path& d) { return d / "nowhere.tif"; }, "nowhere.tif",
               "there is no such file"},
        BadMap{"Folder",
               [](const fs::path& d) {
                   fs::create_directory(d / "maps.tif");
                   return d / "maps.tif";
               },
               "maps.tif", "a folder"},
        BadMap{"RandomBytes", Written("noise.tif", RandomBytes(5000)), "noise.tif", kNoMap},
        BadMap{"Text", Written("notes.txt", "Fox 1 near the old mill\n"), "notes.txt", kNoMap},
        BadMap{"TruncatedMbtiles",
               [](const fs::path& d) {
                   return Write(d / "cut.mbtiles", ReadBytes(MapFile("l7_png.mbtiles")).substr(0, 3000));
               },
               "cut.mbtiles", "damaged or cut short"},
        BadMap{"DamagedMbtiles",
               [](const fs::path& d) {
                   const std::string whole = ReadBytes(MapFile("l7_png.mbtiles"));
                   return Write(d / "damaged.mbtiles",
                                whole.substr(0, 1024) + RandomBytes(whole.size() - 1024));
               },
               "damaged.mbtiles", "damaged or cut short"},
        BadMap{"MbtilesWithoutTiles", Mbtiles("empty.mbtiles", "png", ""), "empty.mbtiles",
               "it holds no map tiles"},
        BadMap{"MbtilesTilesNotImages", Mbtiles("text.mbtiles", "png", "48656c6c6f2c20666f78"),
               "text.mbtiles", "cannot be read"},
        BadMap{"VectorTiles", Mbtiles("vector.mbtiles", "pbf", "1f8b0800000000000003030000000000000000"),
               "vector.mbtiles", "vector tiles are not supported"},
        BadMap{"PictureWithoutGeoreference",
               [](const fs::path& d) { return Copy("osm-z0-tile.png", d / "scan.png"); }, "scan.png",
               "has no georeference (no world file beside it): calibrate it"},
        BadMap{"WorldFileFiveLines", SceneWith("scene.pgw", "28.5\n0\n0\n-28.5\n288790.5\n"), "scene.pgw",
               "a world file has 6 lines, this one has 5"},
        BadMap{"WorldFileNotANumber", SceneWith("scene.wld", "28.5\n0\n0\n-28.5\nE 288790.5\n9120746.5\n"),
               "scene.wld", "line 5 is not a number"},
        BadMap{"NamedPipe", [](const fs::path& d) { return Pipe(d / "map.tif"); }, "map.tif",
               "not a regular file (a named pipe)"},
        BadMap{"WorldFileNamedPipe",
               [](const fs::path& d) {
                   Pipe(d / "scene.pgw");
                   return Copy("l7_321.png", d / "scene.png");
               },
               "scene.pgw", "not a regular file (a named pipe)"},
        BadMap{"PrjNamedPipe",
               [](const fs::path& d) {
                   Pipe(d / "scene.prj");
                   return SceneWith("scene.pgw", kSceneWorldFile)(d);
               },
               "scene.prj", "not a regular file (a named pipe)"},
        BadMap{"PngTooLargeToReadFromStart",
               [](const fs::path& d) {
                   Write(d / "bomb.pgw", kSceneWorldFile);
                   return Write(d / "bomb.png", DeclaredPng(50000));
               },
               "bomb.png", "PNG picture of 50000 x 50000 pixels, too large to draw"},
        BadMap{"MbtilesTileTooLarge", Mbtiles("bomb.mbtiles", "png", Hex(DeclaredPng(50000))), "bomb.mbtiles",
               "cannot be read"},
        BadMap{"UnknownCrs",
               SceneWith("scene.pgw", kSceneWorldFile, "PROJCS[\"made up\",GEOGCS[\"nowhere\"]]"),
               "scene.prj", "is unknown"}),
    testing_support::ParamName());

// Beside a good picture, named pipes where GDAL looks for its own sidecars (statistics, overviews, masks,
// another world file) are never opened: the map opens as if they were not there.
TEST(RasterMapSidecars, PipesGdalWouldLookAtAreLeftAlone) {
    testing_support::TempDir dir;
    const fs::path picture = SceneWith("scene.pgw", kSceneWorldFile)(dir.path());
    for (const char* name : {"scene.png.aux.xml", "scene.aux", "scene.png.ovr", "scene.png.msk", "scene.wld",
                             "scene.tab", "scene.PGW"}) {
        Pipe(dir / name);
    }
    const auto opened = RasterMap::Open(picture.string(), geodesy::UtmZone{25, 'M'});
    ASSERT_TRUE(opened) << opened.message();
    EXPECT_NEAR((*opened)->extent().minX, 288776.25, 1e-6);
}

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
