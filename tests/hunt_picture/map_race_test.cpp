// One map drawn from several threads at once, as the Hunt Map draws it on its worker while Save as PNG and
// Print draw it on the GUI thread: every picture is the one a lone draw makes, and a draw that is stopped
// ends early. Built also under ThreadSanitizer (the tsan preset), which reports any unlocked access.

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "hunt_picture/map_source.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

const geodesy::UtmZone kZone25South{25, 'M'};

std::string MapFile(const char* name) {
    return std::string(VANTREL_TESTDATA_DIR) + "/maps/" + name;
}

// Views over the map from afar to zoomed in, each a different part, so the draws read different levels
// and tiles and the small cache keeps dropping what the other thread needs.
std::vector<maps::View> ViewsOver(const core::PlaneBox& extent) {
    std::vector<maps::View> views;
    const core::PlanePoint centre = extent.Centre();
    const double span = extent.Width();
    for (int i = 0; i < 8; ++i) {
        const double shift = (i % 4 - 1.5) * span / 8;
        views.push_back({{centre.x + shift, centre.y - shift / 2}, span / 300 / (1 << (i % 5)), 300, 200});
    }
    return views;
}

QImage DrawView(const MapPainter& painter, const maps::View& view, std::stop_token stop,
                std::string* readError = nullptr) {
    QImage image(view.width, view.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const std::string error = painter(p, view, std::move(stop));
    if (readError != nullptr) {
        *readError = error;
    }
    return image;
}

struct RaceCase {
    const char* name;
    const char* file;
};

class MapDrawnFromTwoThreads : public ::testing::TestWithParam<RaceCase> {};

TEST_P(MapDrawnFromTwoThreads, EveryPictureIsTheLoneDrawsPicture) {
    auto source = OpenMapSource(MapFile(GetParam().file), kZone25South);
    ASSERT_TRUE(source) << source.message();
    const std::vector<maps::View> views = ViewsOver(source->Extent());
    const MapPainter painter = source->Painter();
    std::vector<QImage> expected;
    for (const maps::View& view : views) {
        expected.push_back(DrawView(painter, view, {}));
    }
    constexpr int kRounds = 12;
    // Counted apart per thread and summed after: a shared atomic counter would order the threads' draws
    // for ThreadSanitizer and hide a race.
    int wrong[2] = {0, 0};
    int readErrors[2] = {0, 0};
    // One painter per thread for all its draws, as the canvas's worker paints (a painter begun for each
    // draw would hide a race from ThreadSanitizer behind Qt's own locking).
    const auto drawAll = [&](int thread) {
        const int offset = 3 * thread;
        QImage image(views[0].width, views[0].height, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (int round = 0; round < kRounds; ++round) {
            for (std::size_t i = 0; i < views.size(); ++i) {
                const std::size_t v = (i + static_cast<std::size_t>(offset)) % views.size();
                p.fillRect(image.rect(), Qt::transparent);
                p.setCompositionMode(QPainter::CompositionMode_SourceOver);
                readErrors[thread] += painter(p, views[v], {}).empty() ? 0 : 1;
                p.setCompositionMode(QPainter::CompositionMode_Source);
                wrong[thread] += image == expected[v] ? 0 : 1;
            }
        }
    };
    // Every tile in the cache (the threads share its order of use), then room for two tiles only (the
    // threads read the file and evict each other's tiles).
    for (const std::size_t cacheBytes : {std::size_t{48} << 20, std::size_t{256 * 256 * 4 * 2}}) {
        source->map->setCacheLimit(cacheBytes);
        std::thread worker(drawAll, 1);
        drawAll(0);
        worker.join();
    }
    EXPECT_EQ(wrong[0] + wrong[1], 0);
    EXPECT_EQ(readErrors[0] + readErrors[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Maps, MapDrawnFromTwoThreads,
                         ::testing::Values(RaceCase{"GeoTiff", "L7_ETMs.tif"},
                                           RaceCase{"MbtilesJpeg", "l7_jpg.mbtiles"},
                                           RaceCase{"PngWithWorldFile", "l7_321.png"}),
                         testing_support::ParamName());

// A draw whose stop token is set reads no tile; one stopped from another thread while it runs ends as
// cancelled, and whatever it had drawn is dropped by the caller; the map draws whole again afterwards.
TEST(MapDrawStopped, GivesUpWithinATile) {
    auto source = OpenMapSource(MapFile("L7_ETMs.tif"), kZone25South);
    ASSERT_TRUE(source) << source.message();
    platform::RasterMap& map = *source->map;
    const core::PlaneBox bounds = source->Extent();
    std::stop_source stopped;
    stopped.request_stop();
    QImage image(349, 352, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&image);
        const platform::MapDrawResult result = map.Draw(p, bounds, 349, 352, stopped.get_token());
        EXPECT_TRUE(result.cancelled);
    }
    EXPECT_EQ(map.cachedBytes(), 0u);

    // Stopped by another thread at some point of many draws: each ends, cancelled or whole.
    std::stop_source running;
    std::atomic<bool> started{false};
    std::thread stopper([&] {
        while (!started.load()) {
            std::this_thread::yield();
        }
        running.request_stop();
    });
    int cancelled = 0;
    for (int round = 0; round < 200 && cancelled == 0; ++round) {
        map.setCacheLimit(0);  // every draw reads again
        map.setCacheLimit(48u << 20);
        QPainter p(&image);
        started = true;
        cancelled += map.Draw(p, bounds, 349 * 4, 352 * 4, running.get_token()).cancelled ? 1 : 0;
    }
    stopper.join();
    EXPECT_EQ(cancelled, 1);
    QPainter p(&image);
    EXPECT_FALSE(map.Draw(p, bounds, 349, 352).cancelled);
}

}  // namespace
}  // namespace vantrel::hunt_picture
