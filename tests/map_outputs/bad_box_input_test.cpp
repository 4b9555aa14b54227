// A text that is not a number in each of the 26 station boxes in turn, for each command that reads the
// boxes: the command stops with a message naming that box and changes nothing, neither the state nor a
// file; a box the command does not read does not stop it.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <set>
#include <string>

#include "core/cross_fix.hpp"
#include "core/measurement_state.hpp"
#include "file_bytes.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/reference_hunt.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/program_state.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

using core::BoxId;
using core::BoxKind;
using persistence::ProgramState;
using std::filesystem::path;
using testing_support::ReadBytes;
using testing_support::TempDir;

// Texts the regional reading refuses, used in turn.
const std::array<const char*, 6> kNotNumbers{"abc", "", "12,5,0", "5e", "-", "1 2"};

ProgramState Hunt(const path& folder) {
    ProgramState state;
    testing_support::TypeReferenceHunt(state.main);
    state.main.Sced1Ang = "2,5";  // base angles other than 0, so that they are read as numbers too
    state.main.Sced2Ang = "-1";
    state.settings.PreviewOverlayFileLocation = (folder / "preview.ovl").string();
    return state;
}

// Which boxes a command reads, as (station, kind); every fox of a kind counts.
using Reads = std::set<std::pair<int, BoxKind>>;
const Reads kPositionsAndAngles{{1, BoxKind::Northing},  {1, BoxKind::Easting},  {1, BoxKind::BaseAngle},
                                {1, BoxKind::Bearing},   {2, BoxKind::Northing}, {2, BoxKind::Easting},
                                {2, BoxKind::BaseAngle}, {2, BoxKind::Bearing}};
const Reads kStationOne{{1, BoxKind::Northing},
                        {1, BoxKind::Easting},
                        {1, BoxKind::BaseAngle},
                        {1, BoxKind::Bearing},
                        {1, BoxKind::Signal}};

struct BoxReadingCommand {
    const char* name;
    friend void PrintTo(const BoxReadingCommand& c, std::ostream* os) { *os << c.name; }
    core::Outcome (*run)(ProgramState& state, const path& folder);
    const char* file;  // the file it writes into the folder, or nullptr
    bool readsAll;     // reads all 26 boxes
    const Reads* reads;
};

const BoxReadingCommand kCommands[] = {
    {"Calculate", [](ProgramState& state, const path&) { return core::Calculate(state.main, ','); }, nullptr,
     false, &kPositionsAndAngles},
    {"Save",
     [](ProgramState& state, const path& folder) {
         return persistence::WriteDataFile(state, folder / "hunt.fh2", ',');
     },
     "hunt.fh2", true, nullptr},
    {"WritePreviewOverlay",
     [](ProgramState& state, const path&) { return WritePreviewOverlay(state.main, state.settings, ','); },
     "preview.ovl", false, &kStationOne},
};

class BadBoxInputTest : public testing::TestWithParam<BoxReadingCommand> {};

TEST_P(BadBoxInputTest, NamesTheBoxAndChangesNothing) {
    const BoxReadingCommand& command = GetParam();
    const std::vector<BoxId> boxes = core::StationBoxesInListingOrder();
    ASSERT_EQ(boxes.size(), 26u);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const BoxId box = boxes[i];
        const std::string text = kNotNumbers[i % kNotNumbers.size()];
        SCOPED_TRACE(core::BoxName(box) + " = \"" + text + "\"");
        const TempDir dir;
        ProgramState state = Hunt(dir.path());
        // A first run leaves the old file, then Calculate gives the old results.
        ASSERT_TRUE(command.run(state, dir.path()));
        ASSERT_TRUE(core::Calculate(state.main, ','));
        const std::string oldFile = command.file != nullptr ? ReadBytes(dir / command.file) : "";

        core::Box(state.main, box) = text;
        const ProgramState before = state;
        const core::Outcome outcome = command.run(state, dir.path());
        const bool read = command.readsAll || command.reads->count({box.station, box.kind}) != 0;
        if (!read) {
            EXPECT_TRUE(outcome) << outcome.message();
            continue;
        }
        ASSERT_FALSE(outcome) << "reported success";
        EXPECT_EQ(outcome.message(), core::BoxCaption(box) + " is not a number: \"" + text + "\"");
        EXPECT_TRUE(state == before);
        if (command.file != nullptr) {
            EXPECT_EQ(ReadBytes(dir / command.file), oldFile);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, BadBoxInputTest, testing::ValuesIn(kCommands),
                         testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::map_outputs
