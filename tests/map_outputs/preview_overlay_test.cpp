// Write Preview Overlay: station 1's bearings as rays whose length and size follow the signal value.
// End points and coordinate texts were worked out apart from the program (Python, from the written rules).
#include "map_outputs/preview_overlay.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "file_bytes.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

struct BandCase {
    const char* name;
    friend void PrintTo(const BandCase& c, std::ostream* os) { *os << c.name; }
    double signal;
    int size;
    double length;
};

class SignalBandTest : public testing::TestWithParam<BandCase> {};

TEST_P(SignalBandTest, StrictComparisonsFromTheTop) {
    const BandCase& c = GetParam();
    EXPECT_EQ(SignalLineSize(c.signal), c.size);
    EXPECT_EQ(SignalRayLength(c.signal), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, SignalBandTest,
    testing::Values(BandCase{"Positive", 12, 102, 10000}, BandCase{"Zero", 0, 102, 10000},
                    BandCase{"JustAboveMinus6", -5.9, 102, 10000}, BandCase{"Minus6", -6, 103, 5000},
                    BandCase{"Minus19_9", -19.9, 103, 5000}, BandCase{"Minus20", -20, 104, 2500},
                    BandCase{"Minus59_9", -59.9, 104, 2500}, BandCase{"Minus60", -60, 105, 1000},
                    BandCase{"Minus60_5", -60.5, 105, 1000}, BandCase{"VeryWeak", -1000, 105, 1000}),
    testing_support::ParamName{});

TEST(RayEndPoint, BearingClockwiseFromNorthAndNeverReduced) {
    const core::PlanePoint station{530000, 5600000};
    // Due east and due north, up to the rounding of sin and cos with the 15-digit pi.
    const core::PlanePoint east = RayEndPoint(90, 0, station);
    EXPECT_NEAR(east.x, 540000, 1e-6);
    EXPECT_NEAR(east.y, 5600000, 1e-6);
    const core::PlanePoint north = RayEndPoint(0, -6, station);
    EXPECT_EQ(north.x, 530000);
    EXPECT_EQ(north.y, 5605000);
    // 370 points where 10 does, -90 where 270 does.
    const core::PlanePoint over = RayEndPoint(370, -20, station);
    const core::PlanePoint reduced = RayEndPoint(10, -20, station);
    EXPECT_NEAR(over.x, reduced.x, 1e-6);
    EXPECT_NEAR(over.y, reduced.y, 1e-6);
    const core::PlanePoint negative = RayEndPoint(-90, -70, station);
    EXPECT_NEAR(negative.x, 529000, 1e-6);
    // 135 degrees, 2500 m: 2500 / sqrt(2) = 1767.7669529663... east and south.
    const core::PlanePoint southEast = RayEndPoint(135, -59.9, station);
    EXPECT_NEAR(southEast.x, 531767.76695296, 1e-6);
    EXPECT_NEAR(southEast.y, 5598232.23304703, 1e-6);
}

// Station 1 at N 5600000 E 530000, base angle 90; the five foxes cover the four signal bands.
core::MeasurementState PreviewBoxes() {
    core::MeasurementState state;
    state.Sced1Lat = "5600000";
    state.Sced1Lon = "530000";
    state.Sced1Ang = "90";
    state.S1Ang = {"0", "-90", "270", "45", "350"};
    state.S1Sig = {"0", "-6", "-20", "-59,9", "-60,5"};
    state.Sced2Lat = "not read";
    state.S2Ang[0] = "not read either";
    return state;
}

std::string Ray(int n, int colour, int size, const char* lon, const char* lat) {
    return "[Symbol " + std::to_string(n) + "]\r\nTyp=3\r\nGroup=1\r\nCol=" + std::to_string(colour) +
           "\r\nZoom=1\r\nSize=" + std::to_string(size) +
           "\r\nArt=1\r\nPunkte=2\r\nXKoord0=9.42346388\r\nYKoord0=50.55116249\r\nXKoord1=" + lon +
           "\r\nYKoord1=" + lat + "\r\n";
}

const std::string kExpectedPreview =
    Ray(1, 1, 102, "9.56461212", "50.55056371") +  // 90: 10 km east
    Ray(2, 2, 103, "9.42386719", "50.59612707") +  // 0: 5 km north
    Ray(3, 3, 104, "9.4236654", "50.57364482") +   // 360: 2.5 km north
    Ray(4, 5, 104, "9.44826521", "50.53517168") +  // 135: 2.5 km south-east
    Ray(5, 8, 105, "9.43737892", "50.55267272") +  // 440: 1 km towards 80
    "\r\n[Overlay]\r\nSymbols=5\r\n\r\n[MapLage]\r\nDimmFc=100\r\nZoomFc=81\r\nCenterLat=9.42346388\r\n"
    "CenterLong=50.55116249\r\nRefOn=1\r\nRefLat=9.42346388\r\nRefLong=50.55116249\r\n";

TEST(PreviewOverlay, FiveRaysFromStationOneAndMapLageOnIt) {
    const auto text = PreviewOverlayText(PreviewBoxes(), ',');
    ASSERT_TRUE(text) << text.message();
    EXPECT_EQ(*text, kExpectedPreview);
}

TEST(WritePreviewOverlay, WritesWithoutCalculateAndStoresStationOneOnly) {
    const TempDir dir;
    WriteBytes(dir / "preview.ovl", std::string(5000, 'x'));
    core::MeasurementState state = PreviewBoxes();
    state.ScedNorth = {1, 2};
    state.ScedEast = {3, 4};
    persistence::Settings settings;
    settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
    ASSERT_TRUE(WritePreviewOverlay(state, settings, ','));
    EXPECT_EQ(ReadBytes(dir / "preview.ovl"), kExpectedPreview);
    EXPECT_EQ(state.ScedNorth, (std::array<double, 2>{5600000, 2}));
    EXPECT_EQ(state.ScedEast, (std::array<double, 2>{530000, 4}));
    EXPECT_FALSE(state.ResultsValid);
}

struct BadBoxCase {
    const char* name;
    friend void PrintTo(const BadBoxCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::pair<core::BoxId, const char*>> texts;
    const char* message;
};

class PreviewBadBoxTest : public testing::TestWithParam<BadBoxCase> {};

TEST_P(PreviewBadBoxTest, FirstBadBoxIsNamedAndNothingIsTouched) {
    const TempDir dir;
    WriteBytes(dir / "preview.ovl", "old");
    core::MeasurementState state = PreviewBoxes();
    for (const auto& [id, text] : GetParam().texts) {
        core::Box(state, id) = text;
    }
    persistence::Settings settings;
    settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
    const core::Outcome outcome = WritePreviewOverlay(state, settings, ',');
    EXPECT_EQ(outcome.message(), GetParam().message);
    EXPECT_EQ(ReadBytes(dir / "preview.ovl"), "old");
    EXPECT_EQ(state.ScedNorth[0], 0);
}

using core::BoxKind;
INSTANTIATE_TEST_SUITE_P(
    Boxes, PreviewBadBoxTest,
    testing::Values(BadBoxCase{"EmptyNorthingIsNotZero",
                               {{{1, BoxKind::Northing, 0}, ""}},
                               "Scedule 1, northing (N) is not a number: \"\""},
                    BadBoxCase{"EastingBeforeAnyFox",
                               {{{1, BoxKind::Easting, 0}, "E"}, {{1, BoxKind::Signal, 0}, "x"}},
                               "Scedule 1, easting (E) is not a number: \"E\""},
                    BadBoxCase{"SignalBeforeItsBearing",
                               {{{1, BoxKind::Bearing, 2}, "b"}, {{1, BoxKind::Signal, 2}, "s"}},
                               "Scedule 1, F3 signal is not a number: \"s\""},
                    BadBoxCase{"BearingBeforeBaseAngle",
                               {{{1, BoxKind::BaseAngle, 0}, "b"}, {{1, BoxKind::Bearing, 0}, "1,2,3"}},
                               "Scedule 1, F1 bearing is not a number: \"1,2,3\""},
                    BadBoxCase{"BaseAngleAfterTheFirstFox",
                               {{{1, BoxKind::BaseAngle, 0}, "north"}, {{1, BoxKind::Signal, 1}, "s"}},
                               "Scedule 1, base angle is not a number: \"north\""}),
    testing_support::ParamName{});

TEST(WritePreviewOverlay, MissingFolderIsReportedAndChangesNothing) {
    const TempDir dir;
    core::MeasurementState state = PreviewBoxes();
    persistence::Settings settings;
    settings.PreviewOverlayFileLocation = (dir / "gone" / "preview.ovl").string();
    const core::Outcome outcome = WritePreviewOverlay(state, settings, ',');
    EXPECT_EQ(outcome.message(), "Could not write \"" + (dir / "gone" / "preview.ovl").string() +
                                     "\": No such file or directory");
    EXPECT_EQ(state.ScedNorth[0], 0);
}

}  // namespace
}  // namespace vantrel::map_outputs
