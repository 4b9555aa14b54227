// Positions that are no place on the earth (seven extra digits typed, a file holding 1e15, a northing
// beyond the pole) are refused by name by the three writers for the map application before anything is
// written; they used to be written as "XKoord=NaN" or forty-digit numbers, with success.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/result_overlays.hpp"
#include "map_outputs/update_database.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

enum class Command { WriteOverlays, WritePreviewOverlay, UpdateDatabase };

struct PositionCase {
    const char* name;
    friend void PrintTo(const PositionCase& c, std::ostream* os) { *os << c.name; }
    Command command;
    void (*change)(core::MeasurementState&);
    const char* expected;  // nullptr: written
};

// Zone 32's northing at the North Pole is 0.9996 times the meridian quadrant of 10,001,965.7 m, about
// 9,997,965 m: station 1 at 9,990,000 m is 8 km short of it, its 10 km ray to the north beyond it.
const PositionCase kCases[] = {
    {"StationTypedWithSevenExtraDigits", Command::WriteOverlays, [](auto& s) { s.ScedNorth[0] = 5541637e7; },
     "Scedule 1 has no valid position (northing 55416370000000, easting 472866). Nothing was written."},
    {"FixFromAFileHolding1e15", Command::WriteOverlays, [](auto& s) { s.FoxNorth[2] = 1e15; },
     "F3 has no valid position (northing 1e+15, easting 444916). Nothing was written."},
    {"StationBeyondThePole", Command::WriteOverlays, [](auto& s) { s.ScedNorth[1] = 10500000; },
     "Scedule 2 has no valid position (northing 10500000, easting 475283). Nothing was written."},
    {"NoMatchFoxAtItsStoredPosition", Command::WriteOverlays,
     [](auto& s) { s.ResLat[1] = "no Match", s.FoxNorth[1] = 0, s.FoxEast[1] = 0; }, nullptr},
    {"PreviewStationTyped", Command::WritePreviewOverlay, [](auto& s) { s.Sced1Lat = "5541637e7"; },
     "Scedule 1 has no valid position (northing 55416370000000, easting 472866). Nothing was written."},
    {"PreviewRayEndBeyondThePole", Command::WritePreviewOverlay,
     [](auto& s) { s.Sced1Lat = "9990000", s.Sced1Lon = "500000"; },
     "The ray end of F1 has no valid position (northing 10000000, easting 500000). Nothing was written."},
    {"PreviewNearThePole", Command::WritePreviewOverlay,
     [](auto& s) { s.Sced1Lat = "9980000", s.Sced1Lon = "500000"; }, nullptr},
    {"DatabaseFixHalfAroundTheEarth", Command::UpdateDatabase, [](auto& s) { s.FoxEast[2] = -4.7e12; },
     "F3 has no valid position (northing 5373080, easting -4700000000000). Nothing was changed."},
};

class ImpossiblePositionTest : public testing::TestWithParam<PositionCase> {};

TEST_P(ImpossiblePositionTest, IsRefusedByNameBeforeAnythingIsWritten) {
    const PositionCase& c = GetParam();
    const testing_support::TempDir dir;
    persistence::Settings settings;
    settings.FoxesFileLocation = (dir / "foxies.ovl").string();
    settings.RaysFileLocation = (dir / "rays.ovl").string();
    settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
    // Calculated results near Frankfurt; station 1's boxes for the preview, with the default bearings of 0
    // (north) and signals of -3 (10 km rays).
    core::MeasurementState state;
    state.ResultsValid = true;
    state.ScedNorth = {5541637, 5524124};
    state.ScedEast = {472866, 475283};
    state.FoxNorth = {5557177, 5688480, 5373080, 5770871, 5623429};
    state.FoxEast = {500000, 546670, 444916, 563868, 500000};
    state.Sced1Lat = "5541637";
    state.Sced1Lon = "472866";
    state.S1Sig = {"-3", "-3", "-3", "-3", "-3"};
    c.change(state);
    const core::MeasurementState before = state;

    const core::Outcome outcome = c.command == Command::WriteOverlays ? WriteOverlays(state, settings)
                                  : c.command == Command::WritePreviewOverlay
                                      ? WritePreviewOverlay(state, settings, ',')
                                      : MapObjects(state).outcome();

    if (c.expected == nullptr) {
        EXPECT_TRUE(outcome) << outcome.message();
        return;
    }
    EXPECT_EQ(outcome.message(), c.expected);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a file was written";
    EXPECT_TRUE(state == before);
}

INSTANTIATE_TEST_SUITE_P(Writers, ImpossiblePositionTest, testing::ValuesIn(kCases),
                         testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::map_outputs
