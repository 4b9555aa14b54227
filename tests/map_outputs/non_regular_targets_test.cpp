// Every command that writes a file, given a target that is not a plain file. A symbolic link is written
// through: the file it leads to gets the new content and the link stays. A pipe, a device, a socket, a
// folder or a loop of links is refused with the path and what stands there, and nothing is written: the
// node stays what it was (before, root turned /dev/null into a file this way) and no file appears.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/cross_fix.hpp"
#include "file_bytes.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/result_overlays.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/settings.hpp"
#include "support/special_files.hpp"
#include "temp_dir.hpp"

namespace vantrel::map_outputs {
namespace {

using persistence::FileKind;
using persistence::ProgramState;
using std::filesystem::path;
using testing_support::ReadBytes;
using testing_support::TempDir;

ProgramState Hunt(const path& folder) {
    ProgramState state;
    core::MeasurementState& m = state.main;
    m.Sced1Lat = "5541637,3";
    m.Sced1Lon = "472866,0";
    m.Sced2Lat = "5524124,1";
    m.Sced2Lon = "475283,4";
    m.S1Ang = {"45", "90", "120", "60", "10"};
    m.S2Ang = {"20", "50", "80", "40", "5"};
    state.settings.FoxesFileLocation = (folder / "foxies.ovl").string();
    state.settings.RaysFileLocation = (folder / "rays.ovl").string();
    state.settings.PreviewOverlayFileLocation = (folder / "preview.ovl").string();
    return state;
}

struct Writer {
    const char* name;
    const char* file;  // the file it writes first, in the folder it is given
    core::Outcome (*run)(ProgramState& state, const path& folder);
};

// Convert and the exports write through the same helper, as WriteFileAtomically does here.
const Writer kWriters[] = {
    {"Save", "hunt.fh2",
     [](ProgramState& s, const path& f) { return persistence::WriteDataFile(s, f / "hunt.fh2", ','); }},
    {"PutIniData", "Vantrel.ini",
     [](ProgramState& s, const path& f) { return persistence::PutIniData(s.settings, f / "Vantrel.ini"); }},
    {"WriteOverlays", "foxies.ovl",
     [](ProgramState& s, const path&) { return WriteOverlays(s.main, s.settings); }},
    {"WritePreviewOverlay", "preview.ovl",
     [](ProgramState& s, const path&) { return WritePreviewOverlay(s.main, s.settings, ','); }},
    {"Export", "hunt.kml",
     [](ProgramState&, const path& f) {
         return persistence::WriteFileAtomically(f / "hunt.kml", "<kml/>\n");
     }},
};

// Makes the node at `target` (its folder's sibling `elsewhere` takes what links lead to). Gives the file
// the write lands in, or nullopt when this system cannot make the node.
using MakeTarget = std::optional<path> (*)(const path& target, const path& elsewhere);

struct Target {
    const char* name;
    MakeTarget make;
    const char* refusal;  // part of the message; nullptr: written
};

const Target kTargets[] = {
    {"RegularFile",
     [](const path& t, const path&) -> std::optional<path> {
         testing_support::WriteBytes(t, "");
         return t;
     },
     nullptr},
    {"SymlinkToFile",
     [](const path& t, const path& elsewhere) -> std::optional<path> {
         testing_support::WriteBytes(elsewhere / "real", "");
         const bool made = testing_support::MakeSymlink(path("..") / elsewhere.filename() / "real", t);
         return made ? std::optional(elsewhere / "real") : std::nullopt;
     },
     nullptr},
    {"DanglingSymlink",
     [](const path& t, const path& elsewhere) -> std::optional<path> {
         return testing_support::MakeSymlink(elsewhere / "new", t) ? std::optional(elsewhere / "new")
                                                                   : std::nullopt;
     },
     nullptr},
    {"SymlinkLoop",
     [](const path& t, const path& elsewhere) -> std::optional<path> {
         const bool made = testing_support::MakeSymlink(elsewhere / "back", t) &&
                           testing_support::MakeSymlink(t, elsewhere / "back");
         return made ? std::optional(t) : std::nullopt;
     },
     "Too many levels of symbolic links"},
    {"NamedPipe",
     [](const path& t, const path&) {
         return testing_support::MakeFifo(t) ? std::optional(t) : std::nullopt;
     },
     "not a regular file (a named pipe)"},
    {"SymlinkToNamedPipe",
     [](const path& t, const path& elsewhere) -> std::optional<path> {
         const bool made = testing_support::MakeFifo(elsewhere / "pipe") &&
                           testing_support::MakeSymlink(elsewhere / "pipe", t);
         return made ? std::optional(t) : std::nullopt;
     },
     "not a regular file (a named pipe)"},
    {"CharacterDevice",
     [](const path& t, const path&) {
         return testing_support::MakeCharacterDevice(t) ? std::optional(t) : std::nullopt;
     },
     "not a regular file (a character device)"},
    {"Socket",
     [](const path& t, const path&) {
         return testing_support::MakeSocket(t) ? std::optional(t) : std::nullopt;
     },
     "not a regular file (a socket)"},
    {"Folder",
     [](const path& t, const path&) -> std::optional<path> {
         std::filesystem::create_directory(t);
         return t;
     },
     "not a regular file (a folder)"},
};

struct TargetCase {
    Writer writer;
    Target target;
    friend void PrintTo(const TargetCase& c, std::ostream* os) {
        *os << c.writer.name << "_" << c.target.name;
    }
};

std::vector<TargetCase> TargetCases() {
    std::vector<TargetCase> cases;
    for (const Writer& writer : kWriters) {
        for (const Target& target : kTargets) {
            cases.push_back({writer, target});
        }
    }
    return cases;
}

// Every entry of a folder and its kind.
std::map<std::string, FileKind> Listing(const path& folder) {
    std::map<std::string, FileKind> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        entries[entry.path().filename().string()] = persistence::KindAt(entry.path());
    }
    return entries;
}

struct CaseName {
    std::string operator()(const testing::TestParamInfo<TargetCase>& param) const {
        return std::string(param.param.writer.name) + "_" + param.param.target.name;
    }
};

class NonRegularTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(NonRegularTargetTest, FollowsLinksAndRefusesWhatIsNotAFile) {
    const auto& [writer, target] = GetParam();
    const TempDir dir;
    const path folder = dir / "files";
    const path elsewhere = dir / "elsewhere";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(elsewhere);
    // What the writer puts into a plain new file, as the content to expect.
    ProgramState state = Hunt(folder);
    ASSERT_TRUE(core::Calculate(state.main, ','));
    ASSERT_TRUE(writer.run(state, folder));
    const std::string expected = ReadBytes(folder / writer.file);
    ASSERT_FALSE(expected.empty());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    const path node = folder / writer.file;
    const auto landing = target.make(node, elsewhere);
    if (!landing) {
        GTEST_SKIP() << "this system cannot make " << target.name << " here";
    }
    const FileKind kindBefore = persistence::KindAt(node);
    const auto folderBefore = Listing(folder);
    const auto elsewhereBefore = Listing(elsewhere);
    const ProgramState stateBefore = state;

    const core::Outcome outcome = writer.run(state, folder);

    EXPECT_EQ(persistence::KindAt(node), kindBefore) << "the node itself was replaced";
    if (target.refusal == nullptr) {
        ASSERT_TRUE(outcome) << outcome.message();
        EXPECT_EQ(ReadBytes(*landing), expected);
        EXPECT_EQ(persistence::KindAt(*landing), FileKind::Regular);
        for (const path& checked : {folder, elsewhere}) {
            for (const auto& [name, kind] : Listing(checked)) {
                EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "a temporary file is left: " << name;
            }
        }
        return;
    }
    ASSERT_FALSE(outcome) << "reported success";
    EXPECT_NE(outcome.message().find("\"" + persistence::DisplayPath(node) + "\""), std::string::npos)
        << outcome.message();
    EXPECT_NE(outcome.message().find(target.refusal), std::string::npos) << outcome.message();
    EXPECT_EQ(Listing(folder), folderBefore) << "something was written";
    EXPECT_EQ(Listing(elsewhere), elsewhereBefore) << "something was written";
    EXPECT_TRUE(state == stateBefore);
}

INSTANTIATE_TEST_SUITE_P(Writers, NonRegularTargetTest, testing::ValuesIn(TargetCases()), CaseName{});

}  // namespace
}  // namespace vantrel::map_outputs
