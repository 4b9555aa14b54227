// vantrel-cli map: the hunt picture as a PNG. Pixel positions worked out by hand from the view formula:
// box of stations and fixes, margin m = max(0.1 max(dx, dy), 100), s = max((dx + 2m) / W, (dy + 2m) / H),
// x = W/2 + (E - Ec) / s, y = H/2 - (N - Nc) / s.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel {
namespace {

const std::string kMaps = VANTREL_TESTDATA_DIR "/maps";
constexpr double kDegree = 3.14159265358979 / 180;

persistence::ScedRecord Station(double east, double north, std::array<double, 5> bearings,
                                std::array<double, 5> strengths = {}) {
    persistence::ScedRecord r;
    r.East = east;
    r.North = north;
    r.Ang = bearings;
    r.Sig = strengths;
    return r;
}

// F5 by hand: S1 + u (sin 45, cos 45) = S2 + v (sin 315.5, cos 315.5).
std::pair<double, double> F5() {
    const double v = 2000 / (std::sin(45 * kDegree) * std::cos(315.5 * kDegree) / std::cos(45 * kDegree) -
                             std::sin(315.5 * kDegree));
    return {502000 + v * std::sin(315.5 * kDegree), 5600000 + v * std::cos(315.5 * kDegree)};
}

// The foxes' colours on the map (Okabe-Ito): blue, vermillion, orange, reddish purple, bluish green.
const QColor kFox[5] = {
    {0x00, 0x72, 0xB2}, {0xD5, 0x5E, 0x00}, {0xE6, 0x9F, 0x00}, {0xCC, 0x79, 0xA7}, {0x00, 0x9E, 0x73}};

QColor Pixel(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

// Stations 2 km apart on northing 5600000, base angles 0. Absolute bearings per fox:
// F1 45 / 315 -> E 501000 N 5601000; F2 0 / 315 -> E 500000 N 5602000; F3 315 / 225 -> E 501000 N 5599000,
// behind station 1 (it looks north-west, the fix lies south-east); F4 30 / 30: parallel, no fix;
// F5 45 / 315.5 -> 3 px beside F1 at the default size, so the two discs overlap.
class CliMap : public testing::Test {
  protected:
    void SetUp() override { WriteHunt({45, 0, 315, 30, 45}, {315, 315, 225, 30, 315.5}); }
    void WriteHunt(std::array<double, 5> first, std::array<double, 5> second) {
        const std::array<double, 5> strengths{-60, -40, -10, -10, -10};
        testing_support::WriteBytes(
            dir_ / "hunt.fh2", persistence::EncodeDataFile(Station(500000, 5600000, first, strengths),
                                                           Station(502000, 5600000, second, strengths), {}));
    }
    std::string At(const std::string& name) const { return (dir_ / name).string(); }
    // Without a settings file, so the zone is the default unless the arguments name one.
    testing_support::ProcessResult Map(const std::vector<std::string>& extra, const char* hunt = "hunt.fh2") {
        std::vector<std::string> args{"map", At(hunt), "-o", At("out.png")};
        args.insert(args.end(), extra.begin(), extra.end());
        testing_support::ProcessOptions options;
        options.environment["XDG_CONFIG_HOME"] = At("config");
        return testing_support::RunCli(args, options);
    }
    QImage Render(const std::vector<std::string>& extra = {}, const char* hunt = "hunt.fh2") {
        const auto r = Map(extra, hunt);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const bool zoneNamed = std::find(extra.begin(), extra.end(), "--zone") != extra.end();
        EXPECT_EQ(r.err, zoneNamed ? "" : "vantrel-cli: zone 32U (default); --zone names another\n");
        return QImage(QString::fromStdString(At("out.png")));
    }
    testing_support::TempDir dir_;
};

// Narrow bearings keep the ellipses within the margin, so the fit is that of the positions alone.
const std::vector<std::string> kNarrow{"--sigma", "0.5", "--sigma-floor", "0.5"};

TEST_F(CliMap, EveryFixCentreIsItsFoxColour) {
    const QImage image = Render(kNarrow);
    ASSERT_EQ(image.size(), QSize(1600, 1200));
    // Box E 500000..502000, N 5599000..5602000: m = 300, s = max(2600 / 1600, 3600 / 1200) = 3, centre
    // E 501000 N 5600500.
    const auto x = [](double east) { return 800 + (east - 501000) / 3; };
    const auto y = [](double north) { return 600 - (north - 5600500) / 3; };
    EXPECT_EQ(Pixel(image, x(501000), y(5601000)), kFox[0]);  // F1, under F5's disc
    EXPECT_EQ(Pixel(image, x(500000), y(5602000)), kFox[1]);  // F2
    const auto [e5, n5] = F5();
    EXPECT_EQ(Pixel(image, x(e5), y(n5)), kFox[4]);  // F5, over F1's disc
    // F3 lies behind station 1: hollow. A point inside its disc, off station 2's ray through it, is not the
    // fox colour, while the same point of a solid disc (F2) is.
    EXPECT_NE(Pixel(image, x(501000) - 3, y(5599000) - 3), kFox[2]);
    EXPECT_EQ(Pixel(image, x(500000) - 3, y(5602000) - 3), kFox[1]);
}

// F4 with F1's bearings lies on F1: both centres cannot keep their colour, and the fox drawn later does.
TEST_F(CliMap, OfTwoFixesInOnePlaceTheLaterKeepsTheCentre) {
    WriteHunt({45, 0, 315, 45, 45}, {315, 315, 225, 315, 315.5});
    const QImage image = Render(kNarrow);
    EXPECT_EQ(Pixel(image, 800, 600 - 500 / 3.0), kFox[3]);  // F4 over F1
}

TEST_F(CliMap, SizeChangesTheScaleAsTheFormulaSays) {
    // 400 x 900: s = max(2600 / 400, 3600 / 900) = 6.5.
    std::vector<std::string> args{"--size", "400x900"};
    args.insert(args.end(), kNarrow.begin(), kNarrow.end());
    const QImage image = Render(args);
    ASSERT_EQ(image.size(), QSize(400, 900));
    EXPECT_EQ(Pixel(image, 200 - 1000 / 6.5, 450 - 1500 / 6.5), kFox[1]);  // F2
    EXPECT_EQ(Pixel(image, 200, 450 - 500 / 6.5), kFox[0]);                // F1
}

TEST_F(CliMap, AMapThatMissesTheHuntSaysWhereTheHuntLiesAndStillDrawsIt) {
    // The generated hunt read in zone 25 south lies near 40 degrees south (band H's reach), far south of
    // the scene and east of it: gaps 500000 - 298722.75 and 9110729 - 5602000 m, 3514 km together.
    const auto r =
        Map({"--map", kMaps + "/L7_ETMs.tif", "--zone", "25H", "--sigma", "0.5", "--sigma-floor", "0.5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("L7_ETMs.tif: the map does not cover the hunt: the hunt lies"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("lies 3514 km south-east of the map"), std::string::npos) << r.err;
    // The map's CRS is the hunt's zone to well below a millimetre: the pixels of the plain picture.
    EXPECT_EQ(Pixel(QImage(QString::fromStdString(At("out.png"))), 800, 600 - 500 / 3.0), kFox[0]);
}

// The title band across the top and the legend in the lower right are drawn unless turned off; the night
// palette draws the sheet dark and the fixes in reds.
TEST_F(CliMap, TitleLegendAndNightPaletteAsAsked) {
    const QImage plain = Render({"--title", "", "--legend", "off"});
    const QImage full = Render({"--title", "Hunt of 8 December"});
    const auto differs = [&](QRect area) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (plain.pixel(x, y) != full.pixel(x, y)) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(differs(QRect(700, 8, 200, 20)));      // the title's words in the middle of the top band
    EXPECT_TRUE(differs(QRect(1400, 1100, 150, 80)));  // the legend
    EXPECT_FALSE(differs(QRect(400, 500, 100, 100)));  // the hunt itself stays where it was
    std::vector<std::string> nightArgs{"--palette", "night", "--legend", "off"};
    nightArgs.insert(nightArgs.end(), kNarrow.begin(), kNarrow.end());
    const QImage night = Render(nightArgs);
    const QColor sheet = night.pixelColor(300, 900);
    EXPECT_LT(sheet.red() + sheet.green() + sheet.blue(), 90) << sheet.name().toStdString();
    const QColor f1 = Pixel(night, 800, 600 - 500 / 3.0);  // F1's centre, as in EveryFixCentreIsItsFoxColour
    EXPECT_EQ(f1, QColor(0xFF, 0x30, 0x30));
    EXPECT_GT(f1.red(), f1.green());
    EXPECT_GT(f1.red(), f1.blue());
}

struct BadCall {
    const char* name;
    const char* hunt;
    std::vector<std::string> args;  // after the hunt; "@name" is a file in the test's folder
    int exitCode;
    const char* named;  // what the message must name
};

class CliMapBadCalls : public CliMap, public testing::WithParamInterface<BadCall> {};

TEST_P(CliMapBadCalls, RefusedWithOneLineNamingTheProblemAndNothingWritten) {
    testing_support::WriteBytes(dir_ / "noise.tif", std::string(4000, '\x17'));
    testing_support::WriteBytes(
        dir_ / "one.fhl",
        std::string(
            "{\"type\":\"header\",\"version\":1,\"zone\":\"32U\",\"created\":\"2026-12-08T15:00:00Z\"}\n"
            "{\"type\":\"bearing\",\"id\":1,\"time\":\"2026-12-08T15:01:00Z\",\"fox\":1,\"lat\":50.5,"
            "\"lon\":9.2,\"zone\":\"32U\",\"easting\":514206.0,\"northing\":5593172.0,\"bearing\":40,"
            "\"reference\":\"grid\",\"sigma\":3,\"source\":\"typed\",\"readings\":1}\n"));
    std::vector<std::string> args{"map", At(GetParam().hunt)};
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg.starts_with('@') ? At(arg.substr(1)) : arg);
    }
    const auto r = testing_support::RunCli(args);
    EXPECT_EQ(r.exitCode, GetParam().exitCode);
    EXPECT_NE(r.err.find(GetParam().named), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.png"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliMapBadCalls,
    testing::Values(
        BadCall{"NoOutput", "hunt.fh2", {}, 2, "usage: vantrel-cli map"},
        BadCall{"BadZone", "hunt.fh2", {"-o", "@out.png", "--zone", "61U"}, 2, "--zone"},
        BadCall{"BadSize", "hunt.fh2", {"-o", "@out.png", "--size", "0x100"}, 2, "--size"},
        BadCall{"HugeSize", "hunt.fh2", {"-o", "@out.png", "--size", "20000x20000"}, 2, "--size"},
        BadCall{"BadConfidence", "hunt.fh2", {"-o", "@out.png", "--confidence", "1"}, 2, "--confidence"},
        BadCall{"NegativeSigma", "hunt.fh2", {"-o", "@out.png", "--sigma", "-1"}, 2, "--sigma"},
        BadCall{"BadLegend", "hunt.fh2", {"-o", "@out.png", "--legend", "maybe"}, 2, "--legend"},
        BadCall{"BadPalette", "hunt.fh2", {"-o", "@out.png", "--palette", "dusk"}, 2, "--palette"},
        BadCall{"OutputFolderMissing",
                "hunt.fh2",
                {"-o", "/nonexistent-folder/out.png"},
                1,
                "/nonexistent-folder/out.png"},
        BadCall{"MissingMeasurementFile", "gone.fh2", {"-o", "@out.png"}, 1, "gone.fh2"},
        BadCall{"FileThatIsNoMap", "hunt.fh2", {"-o", "@out.png", "--map", "@noise.tif"}, 1, "noise.tif"},
        BadCall{"HeatOfNoFox", "hunt.fh2", {"-o", "@out.png", "--heat", "6"}, 2, "--heat"},
        BadCall{"HeatWithoutLogBeside", "hunt.fh2", {"-o", "@out.png", "--heat", "1"}, 1, "hunt.fhl"},
        BadCall{"HeatOfFoxWithOneBearing",
                "hunt.fh2",
                {"-o", "@out.png", "--log", "@one.fhl", "--heat", "1"},
                1,
                "F1 has fewer than two bearings"}),
    testing_support::ParamName{});

double BearingTo(double fromE, double fromN, double toE, double toN) {
    const double degrees = std::atan2(toE - fromE, toN - fromN) / kDegree;
    return degrees < 0 ? degrees + 360 : degrees;
}

// F1 hidden at E 298600 N 9119800, F2 at E 297000 N 9111500 seen from E, N; the other foxes parallel.
std::array<double, 5> BearingsFrom(double east, double north) {
    return {BearingTo(east, north, 298600, 9119800), BearingTo(east, north, 297000, 9111500), 30, 30, 30};
}

// A hunt in zone 25 south on the Landsat scene: P1 E 291626 N 9113636, P2 E 296186 N 9117341. The view: box
// E 291626..298600, N 9111500..9119800, m = 830, s = max(8634 / 1600, 9960 / 1200) = 8.3, centre
// E 295113 N 9115650. Narrow bearings (--sigma 0.05) keep the ellipses off the ground-truth points and
// within the margin (F1's bearings cross at an acute angle: at 0.5 degrees its ellipse would widen the fit).
// The legend, off here, would cover the sea point in the lower right.
struct SceneForm {
    const char* name;
    const char* file;  // both show bands 3, 2, 1 as red, green, blue
};

class CliMapOnTheScene : public CliMap, public testing::WithParamInterface<SceneForm> {};

TEST_P(CliMapOnTheScene, GroundTruthAndFixesWhereTheFormulaPutsThem) {
    testing_support::WriteBytes(
        dir_ / "olinda.fh2",
        persistence::EncodeDataFile(Station(291626, 9113636, BearingsFrom(291626, 9113636)),
                                    Station(296186, 9117341, BearingsFrom(296186, 9117341)), {}));
    const QImage image = Render({"--map", kMaps + "/" + GetParam().file, "--zone", "25M", "--sigma", "0.05",
                                 "--sigma-floor", "0.05", "--legend", "off"},
                                "olinda.fh2");
    const auto x = [](double east) { return 800 + (east - 295113) / 8.3; };
    const auto y = [](double north) { return 600 - (north - 9115650) / 8.3; };
    EXPECT_EQ(Pixel(image, x(298600), y(9119800)), kFox[0]);
    EXPECT_EQ(Pixel(image, x(297000), y(9111500)), kFox[1]);
    // Ground truth of the scene, bands 1, 2, 3: sea 96 90 65 at E 298317.08 N 9111935.56, land 93 83 95 at
    // E 297952.86 N 9119455.31. Taken at the centres of the scene's pixels holding them (column 334, row 309
    // and column 321, row 45 of 28.5 m from E 288776.25 N 9120761): the land point lies 0.3 m from a pixel
    // edge.
    const QColor sea = Pixel(image, x(288776.25 + 334.5 * 28.5), y(9120761 - 309.5 * 28.5));
    const QColor land = Pixel(image, x(288776.25 + 321.5 * 28.5), y(9120761 - 45.5 * 28.5));
    EXPECT_EQ(sea, QColor(65, 90, 96)) << sea.name().toStdString();
    EXPECT_EQ(land, QColor(95, 83, 93)) << land.name().toStdString();
}

// A GeoTIFF whose bands say red, green, blue (SIRGAS 2000 / UTM 25S; columns 300-348 of the scene) and the
// picture with a world file that takes the hunt's zone.
INSTANTIATE_TEST_SUITE_P(Forms, CliMapOnTheScene,
                         testing::Values(SceneForm{"GeoTiff", "l7_rgb.tif"},
                                         SceneForm{"PictureWithWorldFile", "l7_321.png"}),
                         testing_support::ParamName{});

}  // namespace
}  // namespace vantrel
