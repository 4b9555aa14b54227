// The kept image of the rays and track: a frame drawn from it after a pan, and after a zoom while the view
// moves, shows the rays where a frame drawn directly shows them (compared by the darkness of 10 x 10 pixel
// blocks: the two rasterise each ray from other clipped ends, so single pixels may differ).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <numbers>

#include "hunt_picture/hunt_at_time_drawing.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// Darkness (255 - red, summed) of each 10 x 10 block.
std::vector<int> Blocks(const QImage& image) {
    std::vector<int> blocks((kWidth / 10) * (kHeight / 10), 0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            blocks[static_cast<std::size_t>((y / 10) * (kWidth / 10) + x / 10)] +=
                255 - qRed(image.pixel(x, y));
        }
    }
    return blocks;
}

QImage Frame(const maps::View& view, const PictureInput& input) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawHuntAtTime(painter, view, input);
    return image;
}

struct MoveRow {
    const char* name;
    double panX, panY, zoom;
};

class KeptRays : public ::testing::TestWithParam<MoveRow> {};

TEST_P(KeptRays, ShowTheRaysWhereADirectFrameDoes) {
    HuntScene scene;
    HuntAtTime& hunt = scene.huntAtTime.emplace();
    for (int i = 0; i < 60; ++i) {  // from a circle of stations towards two foxes
        const double a = 2 * std::numbers::pi * i / 60;
        const core::PlanePoint station{1000 * std::cos(a), 800 * std::sin(a)};
        const core::PlanePoint fox = i % 2 == 0 ? core::PlanePoint{200, 100} : core::PlanePoint{-300, -50};
        hunt.rays.push_back({i % 2, station,
                             std::atan2(fox.x - station.x, fox.y - station.y) * 180 / std::numbers::pi, 0.8,
                             false, i % 7 == 0});
        hunt.track.push_back(station);
    }
    const IdentityProjection identity;
    PictureInput input;
    input.scene = &scene;
    input.projection = &identity;
    const maps::View start = maps::FitView({-1000, -800, 1000, 800}, kWidth, kHeight);
    HuntAtTimeCache cache;
    ASSERT_NE(cache.For(start, input, 1, false), nullptr);
    const maps::View moved =
        start.Panned(GetParam().panX, GetParam().panY).ZoomedAbout({200, 150}, GetParam().zoom);
    PictureInput kept = input;
    kept.huntAtTimeImage = cache.For(moved, input, 1, true);
    const std::vector<int> direct = Blocks(Frame(moved, input));
    const std::vector<int> fromKept = Blocks(Frame(moved, kept));
    int far = 0;
    for (std::size_t i = 0; i < direct.size(); ++i) {
        // A block with a ray or the track in it is darker by some 1,000 or more.
        if (std::abs(direct[i] - fromKept[i]) > 600 + direct[i] / 4) {
            ++far;
        }
    }
    EXPECT_LE(far, 12) << "of " << direct.size() << " blocks";
    // Once the view rests, a zoomed image is drawn anew at the view's scale.
    cache.For(moved, input, 1, false);
    EXPECT_FALSE(cache.Scaled(moved));
}

INSTANTIATE_TEST_SUITE_P(Moves, KeptRays,
                         ::testing::Values(MoveRow{"Pan", 37, -21, 1}, MoveRow{"PanAndZoomIn", -15, 9, 1.1},
                                           MoveRow{"ZoomOutWithinTheMargin", 0, 0, 0.9}),
                         testing_support::ParamName());

}  // namespace
}  // namespace vantrel::hunt_picture
