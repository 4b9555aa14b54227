// Positions that are no place on the earth (a typing slip of seven extra digits, a file holding 1e15, a
// northing beyond the pole) are refused by name by all three writers for the map application, before
// anything is written; they used to be written as "XKoord=NaN" or forty-digit numbers with success.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "file_bytes.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/result_overlays.hpp"
#include "map_outputs/update_database.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

using testing_support::TempDir;

// Calculated results of two stations near Frankfurt and five crossings; the boxes of station 1 hold the
// same position for Write Preview Overlay, every bearing 0 (north) and every signal -3 (10 km rays).
core::MeasurementState Results() {
    core::MeasurementState state;
    state.ResultsValid = true;
    state.ScedNorth = {5541637, 5524124};
    state.ScedEast = {472866, 475283};
    state.FoxNorth = {5557177, 5688480, 5373080, 5770871, 5623429};
    state.FoxEast = {500000, 546670, 444916, 563868, 500000};
    state.Sced1Lat = "5541637";
    state.Sced1Lon = "472866";
    state.S1Sig = {"-3", "-3", "-3", "-3", "-3"};
    return state;
}

enum class Command { WriteOverlays, WritePreviewOverlay, UpdateDatabase };

struct PositionCase {
    const char* name;
    friend void PrintTo(const PositionCase& c, std::ostream* os) { *os << c.name; }
    Command command;
    std::function<void(core::MeasurementState&)> change;
    const char* expected;  // the whole message; nullptr: written
};

// Zone 32's northing at the North Pole is 0.9996 times the meridian quadrant of 10,001,965.7 m, about
// 9,997,965 m: a station 9,990,000 m north lies 8 km short of it, its 10 km ray beyond it.
const PositionCase kCases[] = {
    {"StationTypedWithSevenExtraDigits", Command::WriteOverlays,
     [](core::MeasurementState& s) { s.ScedNorth[0] = 5541637e7; },
     "Scedule 1 has no valid position (northing 55416370000000, easting 472866). Nothing was written."},
    {"FixFromAFileHolding1e15", Command::WriteOverlays,
     [](core::MeasurementState& s) { s.FoxNorth[2] = 1e15; },
     "F3 has no valid position (northing 1e+15, easting 444916). Nothing was written."},
    {"SecondStationBeyondThePole", Command::WriteOverlays,
     [](core::MeasurementState& s) { s.ScedNorth[1] = 10500000; },
     "Scedule 2 has no valid position (northing 10500000, easting 475283). Nothing was written."},
    {"FixHalfAroundTheEarthEast", Command::WriteOverlays,
     [](core::MeasurementState& s) { s.FoxEast[4] = 1e9; },
     "F5 has no valid position (northing 5623429, easting 1000000000). Nothing was written."},
    {"NoMatchFoxStaysAtItsStoredPosition", Command::WriteOverlays,
     [](core::MeasurementState& s) {
         s.ResLat[1] = "no Match";
         s.FoxNorth[1] = 0;
         s.FoxEast[1] = 0;
     },
     nullptr},
    {"PreviewStationTyped", Command::WritePreviewOverlay,
     [](core::MeasurementState& s) { s.Sced1Lat = "5541637e7"; },
     "Scedule 1 has no valid position (northing 55416370000000, easting 472866). Nothing was written."},
    {"PreviewRayEndBeyondThePole", Command::WritePreviewOverlay,
     [](core::MeasurementState& s) {
         s.Sced1Lat = "9990000";
         s.Sced1Lon = "500000";
     },
     "The ray end of F1 has no valid position (northing 10000000, easting 500000). Nothing was written."},
    {"PreviewCloseToThePole", Command::WritePreviewOverlay,
     [](core::MeasurementState& s) {
         s.Sced1Lat = "9980000";
         s.Sced1Lon = "500000";
     },
     nullptr},
    {"DatabaseFixFromAFileHolding1e15", Command::UpdateDatabase,
     [](core::MeasurementState& s) { s.FoxNorth[2] = 1e15; },
     "F3 has no valid position (northing 1e+15, easting 444916). Nothing was changed."},
    {"DatabaseStationTyped", Command::UpdateDatabase,
     [](core::MeasurementState& s) { s.ScedEast[1] = -4.7e12; },
     "FP2 has no valid position (northing 5524124, easting -4700000000000). Nothing was changed."},
};

class ImpossiblePositionTest : public testing::TestWithParam<PositionCase> {};

TEST_P(ImpossiblePositionTest, IsRefusedByNameBeforeAnythingIsWritten) {
    const PositionCase& c = GetParam();
    const TempDir dir;
    persistence::Settings settings;
    settings.FoxesFileLocation = (dir / "foxies.ovl").string();
    settings.RaysFileLocation = (dir / "rays.ovl").string();
    settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
    core::MeasurementState state = Results();
    c.change(state);
    const core::MeasurementState before = state;

    core::Outcome outcome = core::Outcome::Ok();
    switch (c.command) {
        case Command::WriteOverlays:
            outcome = WriteOverlays(state, settings);
            break;
        case Command::WritePreviewOverlay:
            outcome = WritePreviewOverlay(state, settings, ',');
            break;
        case Command::UpdateDatabase:
            outcome = MapObjects(state).outcome();
            break;
    }

    if (c.expected == nullptr) {
        ASSERT_TRUE(outcome) << outcome.message();
        EXPECT_FALSE(std::filesystem::is_empty(dir.path()));
        EXPECT_EQ(testing_support::ReadBytes(dir.path() / "foxies.ovl").find("NaN"), std::string::npos);
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
