// vantrel-cli map: the hunt picture as a PNG. Pixel positions worked out by hand from the view formula:
// box of stations and fixes, margin m = max(0.1 max(dx, dy), 100), s = max((dx + 2m) / W, (dy + 2m) / H),
// x = W/2 + (E - Ec) / s, y = H/2 - (N - Nc) / s.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel {
namespace {

using testing_support::TempDir;

// Stations 2 km apart on northing 5600000, base angles 0. Absolute bearings per fox:
// F1 45 / 315 -> E 501000 N 5601000; F2 0 / 315 -> E 500000 N 5602000; F3 315 / 225 -> E 501000 N 5599000,
// behind station 1 (it looks north-west, the fix lies south-east); F4 30 / 30: parallel, no fix;
// F5 45 / 315.5 -> 3 px beside F1 at the default size, so the two discs overlap.
persistence::ScedRecord Station(double east, std::array<double, 5> bearings) {
    persistence::ScedRecord r;
    r.North = 5600000;
    r.East = east;
    r.Ang = bearings;
    r.Sig = {-60, -40, -10, -10, -10};
    return r;
}

// F5 by hand: S1 + u (sin 45, cos 45) = S2 + v (sin 315.5, cos 315.5).
std::pair<double, double> F5() {
    const double k = 3.14159265358979 / 180;
    const double v = 2000 / (std::sin(45 * k) * std::cos(315.5 * k) / std::cos(45 * k) - std::sin(315.5 * k));
    const double north = 5600000 + v * std::cos(315.5 * k);
    return {502000 + v * std::sin(315.5 * k), north};
}

QColor Pixel(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

class CliMap : public testing::Test {
  protected:
    void SetUp() override {
        testing_support::WriteBytes(
            dir_ / "hunt.fh2", persistence::EncodeDataFile(Station(500000, {45, 0, 315, 30, 45}),
                                                           Station(502000, {315, 315, 225, 30, 315.5}), {}));
    }
    QImage Render(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"map", (dir_ / "hunt.fh2").string(), "-o", (dir_ / "out.png").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto r = testing_support::RunCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return QImage(QString::fromStdString((dir_ / "out.png").string()));
    }
    TempDir dir_;
};

TEST_F(CliMap, EveryFixCentreIsItsFoxColour) {
    const QImage image = Render();
    ASSERT_EQ(image.size(), QSize(1600, 1200));
    // Box E 500000..502000, N 5599000..5602000: m = 300, s = max(2600 / 1600, 3600 / 1200) = 3, centre
    // E 501000 N 5600500.
    const auto x = [](double east) { return 800 + (east - 501000) / 3; };
    const auto y = [](double north) { return 600 - (north - 5600500) / 3; };
    EXPECT_EQ(Pixel(image, x(501000), y(5601000)), QColor(0, 0, 250));  // F1, under F5's disc
    EXPECT_EQ(Pixel(image, x(500000), y(5602000)), QColor(250, 0, 0));  // F2
    const auto [e5, n5] = F5();
    EXPECT_EQ(Pixel(image, x(e5), y(n5)), QColor(150, 150, 150));  // F5, over F1's disc
    // F3 lies behind station 1: hollow. A point inside its disc, off station 2's ray through it, is not the
    // fox colour, while the same point of a solid disc (F2) is.
    EXPECT_NE(Pixel(image, x(501000) - 3, y(5599000) - 3), QColor(250, 150, 50));
    EXPECT_EQ(Pixel(image, x(500000) - 3, y(5602000) - 3), QColor(250, 0, 0));
}

TEST_F(CliMap, SizeChangesTheScaleAsTheFormulaSays) {
    // 400 x 900: s = max(2600 / 400, 3600 / 900) = 6.5.
    const QImage image = Render({"--size", "400x900"});
    ASSERT_EQ(image.size(), QSize(400, 900));
    EXPECT_EQ(Pixel(image, 200 - 1000 / 6.5, 450 - 1500 / 6.5), QColor(250, 0, 0));  // F2
    EXPECT_EQ(Pixel(image, 200, 450 - 500 / 6.5), QColor(0, 0, 250));                // F1
}

struct BadCall {
    const char* name;
    std::vector<std::string> extra;
    int exitCode;
    const char* named;  // what the message must name
};

class CliMapBadCalls : public CliMap, public testing::WithParamInterface<BadCall> {};

TEST_P(CliMapBadCalls, RefusedWithAMessageNamingTheProblem) {
    std::vector<std::string> args{"map", (dir_ / "hunt.fh2").string()};
    args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
    const auto r = testing_support::RunCli(args);
    EXPECT_EQ(r.exitCode, GetParam().exitCode);
    EXPECT_NE(r.err.find(GetParam().named), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.png"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliMapBadCalls,
    testing::Values(BadCall{"NoOutput", {}, 2, "usage: vantrel-cli map"},
                    BadCall{"BadZone", {"-o", "out.png", "--zone", "61U"}, 2, "--zone"},
                    BadCall{"BadSize", {"-o", "out.png", "--size", "0x100"}, 2, "--size"},
                    BadCall{"HugeSize", {"-o", "out.png", "--size", "20000x20000"}, 2, "--size"},
                    BadCall{"BadConfidence", {"-o", "out.png", "--confidence", "1"}, 2, "--confidence"},
                    BadCall{"NegativeSigma", {"-o", "out.png", "--sigma", "-1"}, 2, "--sigma"},
                    BadCall{"OutputFolderMissing",
                            {"-o", "/nonexistent-folder/out.png"},
                            1,
                            "/nonexistent-folder/out.png"}),
    testing_support::ParamName{});

TEST_F(CliMap, MissingMeasurementFileIsNamed) {
    const auto r =
        testing_support::RunCli({"map", (dir_ / "gone.fh2").string(), "-o", (dir_ / "o.png").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("gone.fh2"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vantrel
