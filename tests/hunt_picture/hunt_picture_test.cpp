// The drawn hunt picture: labels never cover each other over the example hunts at three zoom levels and
// two sizes, the legend says what is drawn, and the palettes keep their promises.
#include "hunt_picture/hunt_picture.hpp"

#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

#include "core/cross_fix.hpp"
#include "hunt_picture/legend.hpp"
#include "hunt_picture/map_source.hpp"
#include "hunt_picture/picture_palette.hpp"
#include "maps/map_style.hpp"
#include "persistence/data_file_commands.hpp"
#include "test_names.hpp"

namespace vantrel::hunt_picture {
namespace {

const std::string kExamples = VANTREL_SOURCE_DIR "/examples";

struct Example {
    const char* name;
    const char* file;
    geodesy::UtmZone zone;
    const char* map;  // beside the examples, or nothing
};

struct Hunt {
    HuntScene scene;
    std::optional<MapSource> map;
};

Hunt Load(const Example& example) {
    persistence::ProgramState program;
    const std::string path = kExamples + "/" + example.file;
    const core::Outcome read = std::string(example.file).ends_with(".fhd")
                                   ? persistence::ReadImportFile(program, path, '.')
                                   : persistence::ReadDataFile(program, path, '.');
    EXPECT_TRUE(read.ok()) << read.message();
    EXPECT_TRUE(core::Calculate(program.main, '.').ok());
    Hunt hunt{BuildScene(program.main, program.RxReadings, {}, '.'), std::nullopt};
    if (example.map != nullptr) {
        auto opened = OpenMapSource(kExamples + "/" + example.map, example.zone);
        EXPECT_TRUE(opened.ok()) << opened.message();
        if (opened) {
            hunt.map = std::move(*opened);
        }
    }
    return hunt;
}

OverlayLayout Draw(const Hunt& hunt, const maps::View& view, PictureInput input, QImage* out = nullptr) {
    const IdentityProjection identity;
    input.scene = &hunt.scene;
    input.projection = hunt.map ? static_cast<const ViewProjection*>(hunt.map->projection.get()) : &identity;
    if (hunt.map) {
        input.map = hunt.map->Painter();
    }
    QImage image(view.width, view.height, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawBackground(painter, view, input);
    OverlayLayout layout = DrawOverlay(painter, view, input);
    painter.end();
    if (out != nullptr) {
        *out = image;
    }
    return layout;
}

struct Case {
    const char* name;
    Example example;
};

class LabelsOfTheExamples : public testing::TestWithParam<Case> {};

// Every label lies wholly inside the picture, and no two labels, nor a label and a corner piece or symbol,
// share a pixel: zoomed to the whole hunt, four times closer, and four times further out, in a window-size
// and a large picture with its sizes grown.
TEST_P(LabelsOfTheExamples, NeverOverlapAtThreeZoomLevels) {
    const Hunt hunt = Load(GetParam().example);
    ASSERT_FALSE(hunt.scene.Empty());
    const IdentityProjection identity;
    const ViewProjection& projection =
        hunt.map ? static_cast<const ViewProjection&>(*hunt.map->projection) : identity;
    for (const auto& [width, height, scale] : {std::tuple{800, 600, 1.0}, std::tuple{2400, 1500, 2.5}}) {
        const auto fitted = FitHuntView(hunt.scene, projection, width, height, 1, true);
        ASSERT_TRUE(fitted);
        const core::PlanePoint middle{width / 2.0, height / 2.0};
        for (const double zoom : {1.0, 4.0, 0.25}) {
            PictureInput input;
            input.zone = GetParam().example.zone;
            input.style.scale = scale;
            input.style.title = "title";
            const OverlayLayout layout = Draw(hunt, fitted->view.ZoomedAbout(middle, zoom), input);
            SCOPED_TRACE(testing::Message() << width << "x" << height << " zoom " << zoom);
            EXPECT_FALSE(layout.labels.empty());
            for (std::size_t i = 0; i < layout.labels.size(); ++i) {
                const LabelRect& a = layout.labels[i];
                EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.Right() <= width && a.Bottom() <= height);
                for (std::size_t j = i + 1; j < layout.labels.size(); ++j) {
                    EXPECT_FALSE(a.Overlaps(layout.labels[j])) << "labels " << i << " and " << j;
                }
                for (const LabelRect& area : layout.reserved) {
                    EXPECT_FALSE(a.Overlaps(area)) << "label " << i;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, LabelsOfTheExamples,
                         testing::Values(Case{"Vogelsberg", {"v", "hunt-vogelsberg.fh2", {32, 'U'}, nullptr}},
                                         Case{"Olinda", {"o", "hunt-olinda.fh2", {25, 'M'}, nullptr}},
                                         Case{"OlindaOnItsMap",
                                              {"m", "hunt-olinda.fh2", {25, 'M'}, "maps/olinda.png"}},
                                         Case{"Kassel", {"k", "hunt-kassel.fhd", {32, 'U'}, nullptr}}),
                         testing_support::ParamName{});

// Text grows with the size factor: the fix labels of a picture drawn at 2.5 are 2.5 times as tall.
TEST(HuntPicture, LabelsGrowWithTheSizeFactor) {
    const Hunt hunt = Load({"v", "hunt-vogelsberg.fh2", {32, 'U'}, nullptr});
    const IdentityProjection identity;
    const auto fitted = FitHuntView(hunt.scene, identity, 3000, 2000, 1, true);
    ASSERT_TRUE(fitted);
    PictureInput small;
    small.layers.grid = false;
    small.layers.legend = false;
    PictureInput large = small;
    large.style.scale = 2.5;
    const OverlayLayout a = Draw(hunt, fitted->view, small);
    const OverlayLayout b = Draw(hunt, fitted->view, large);
    ASSERT_FALSE(a.labels.empty());
    ASSERT_FALSE(b.labels.empty());
    EXPECT_NEAR(b.labels.front().h / a.labels.front().h, 2.5, 0.25);
}

// Nothing to draw: the picture says so instead of drawing stations at E 0 / N 0.
TEST(HuntPicture, AnEmptySceneDrawsOnlyItsHint) {
    const Hunt empty;
    PictureInput input;
    input.style.emptyHint = "Open a hunt";
    input.layers.legend = false;
    QImage image;
    const OverlayLayout layout = Draw(empty, {{0, 0}, 10, 400, 300}, input, &image);
    EXPECT_TRUE(layout.labels.empty() ||
                std::all_of(layout.labels.begin(), layout.labels.end(),
                            [](const LabelRect& r) { return r.y < 20 || r.x < 80; }));
    // The hint's box in the middle is drawn (not the white sheet).
    EXPECT_NE(image.pixelColor(200, 150), QColor(Qt::white));
}

struct LegendCase {
    const char* name;
    Layers layers;
    std::vector<LegendSymbol> symbols;
    const char* layersRow;
    const char* foxRow;
};

Layers With(std::function<void(Layers&)> change) {
    Layers layers;
    change(layers);
    return layers;
}

class LegendContent : public testing::TestWithParam<LegendCase> {};

TEST_P(LegendContent, NamesWhatIsDrawn) {
    const std::vector<LegendRow> rows = LegendRows(GetParam().layers);
    std::vector<LegendSymbol> symbols;
    for (const LegendRow& row : rows) {
        symbols.push_back(row.symbol);
    }
    EXPECT_EQ(symbols, GetParam().symbols);
    EXPECT_EQ(rows.back().text, GetParam().layersRow);
    for (const LegendRow& row : rows) {
        if (row.symbol == LegendSymbol::FoxColours) {
            EXPECT_EQ(row.text, GetParam().foxRow);
        }
    }
}

using S = LegendSymbol;
INSTANTIATE_TEST_SUITE_P(
    Table, LegendContent,
    testing::Values(LegendCase{"Default",
                               Layers{},
                               {S::Station, S::Ray, S::FoxColours, S::FixGood, S::FixApproximate,
                                S::FixUnreliable, S::Layers},
                               "layers: map, grid, rays, ellipses, fixes, stations",
                               "F1 F2 F3 F4 F5"},
                    LegendCase{"ReadingsOnFixesOff",
                               With([](Layers& l) {
                                   l.readings = true;
                                   l.fixes = false;
                               }),
                               {S::Station, S::Ray, S::Reading, S::FoxColours, S::Ellipse, S::Layers},
                               "layers: map, grid, rays, readings, ellipses, stations",
                               "F1 F2 F3 F4 F5"},
                    LegendCase{"FoxesHidden",
                               With([](Layers& l) {
                                   l.foxes[1] = false;
                                   l.foxes[4] = false;
                                   l.stations = false;
                                   l.rays = false;
                                   l.ellipses = false;
                               }),
                               {S::FoxColours, S::FixGood, S::FixApproximate, S::FixUnreliable, S::Layers},
                               "layers: map, grid, fixes",
                               "F1 F2 F3 F4 F5 (hidden: F2 F5)"},
                    LegendCase{"NothingOn",
                               Layers{false, false, false, false, false, false, false},
                               {S::FoxColours, S::Layers},
                               "layers: none",
                               "F1 F2 F3 F4 F5"}),
    testing_support::ParamName{});

double Luminance(const QColor& c) {
    return (0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue()) / 255;
}

// Night: a dark sheet, and every colour drawn on it red-dominant and lighter than the sheet; the five foxes
// told apart (no two within 60 of each other in the sum of channel differences).
TEST(Palettes, NightIsDarkAndRedAndKeepsTheFoxesApart) {
    const Palette& night = NightPalette();
    EXPECT_LT(Luminance(night.background), 0.05);
    std::vector<QColor> drawn{night.text, night.gridText, night.station, night.mapVeil};
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        drawn.push_back(night.Fox(fox));
    }
    for (const QColor& c : drawn) {
        EXPECT_GT(c.red(), c.green()) << c.name().toStdString();
        EXPECT_GT(c.red(), c.blue()) << c.name().toStdString();
        EXPECT_GT(Luminance(c), Luminance(night.background) + 0.1) << c.name().toStdString();
    }
    for (const Palette* palette : {&DayPalette(), &NightPalette()}) {
        for (int a = 0; a < core::kFoxCount; ++a) {
            for (int b = a + 1; b < core::kFoxCount; ++b) {
                const QColor x = palette->Fox(a);
                const QColor y = palette->Fox(b);
                EXPECT_GT(std::abs(x.red() - y.red()) + std::abs(x.green() - y.green()) +
                              std::abs(x.blue() - y.blue()),
                          60)
                    << "F" << a + 1 << " F" << b + 1;
            }
        }
    }
}

// By day the foxes take the Okabe-Ito colours (blue, vermillion, orange, reddish purple, bluish green).
TEST(Palettes, DayFoxesAreTheSharedTable) {
    const char* expected[] = {"#0072b2", "#d55e00", "#e69f00", "#cc79a7", "#009e73"};
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        EXPECT_EQ(DayPalette().Fox(fox).name().toStdString(), expected[fox]);
    }
    EXPECT_EQ(DayPalette().background, QColor(Qt::white));
}

// The placement rule itself: the first free candidate wins, one cut by the edge or touching a reserved
// area or an earlier label is skipped, and with none free the label is dropped.
TEST(LabelLayoutRule, FirstFreeCandidateOrNothing) {
    LabelLayout layout(100, 50);
    layout.Reserve({0, 40, 30, 10});
    EXPECT_EQ(layout.Place({{90, 0, 20, 10}, {10, 35, 10, 10}, {10, 10, 20, 10}})->y, 10);
    EXPECT_FALSE(layout.Place({{15, 5, 10, 10}, {-1, 0, 5, 5}}));
    // Touching edges are not an overlap.
    EXPECT_TRUE(layout.Place({{30, 10, 10, 10}}));
    EXPECT_EQ(layout.Placed().size(), 2U);
}

}  // namespace
}  // namespace vantrel::hunt_picture

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
