// Every command that writes a file, where writing fails for real: a full disk and a read-only folder (a
// tiny memory file system, which stops root as well), a folder that is a file, and a target that is no
// plain file (a pipe, a device, a socket, a folder, links in a loop; /dev/null was once turned into a
// file this way). Each command says so with the file's name and the reason, leaves the old file as it was
// and changes no state; a symbolic link is written through.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <vector>

#include "core/cross_fix.hpp"
#include "file_bytes.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/reference_hunt.hpp"
#include "map_outputs/result_overlays.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/program_state.hpp"
#include "persistence/settings.hpp"
#include "support/special_files.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

// The tmpfs cases mount a file system (Linux only); on Windows the folder that is a file remains.
#ifndef _WIN32
#include "support/tiny_tmpfs.hpp"
#endif

namespace vantrel::map_outputs {
namespace {

using persistence::ProgramState;
using std::filesystem::path;
using testing_support::ReadBytes;
using testing_support::TempDir;

// Two stations 17.5 km apart whose bearings cross for every fox; every file goes into `folder`.
ProgramState Hunt(const path& folder) {
    ProgramState state;
    testing_support::TypeReferenceHunt(state.main);
    state.settings.FoxesFileLocation = (folder / "foxies.ovl").string();
    state.settings.RaysFileLocation = (folder / "rays.ovl").string();
    state.settings.PreviewOverlayFileLocation = (folder / "preview.ovl").string();
    return state;
}

// The user changes the measurement (and a setting) and runs Calculate again, so every file's new
// content differs from the old.
void ChangeIt(ProgramState& state) {
    state.main.Sced1Lat = "5541700";
    state.main.S1Sig[0] = "-50";
    state.settings.GpsPort = "7";
    ASSERT_TRUE(core::Calculate(state.main, ','));
}

struct WritingCommand {
    const char* name;
    friend void PrintTo(const WritingCommand& c, std::ostream* os) { *os << c.name; }
    std::vector<const char*> files;  // what it writes into the folder; the first is written first
    core::Outcome (*run)(ProgramState& state, const path& folder);
};

const WritingCommand kCommands[] = {
    {"Save",
     {"hunt.fh2"},
     [](ProgramState& state, const path& folder) {
         return persistence::WriteDataFile(state, folder / "hunt.fh2", ',');
     }},
    {"PutIniData",
     {"Vantrel.ini"},
     [](ProgramState& state, const path& folder) {
         return persistence::PutIniData(state.settings, folder / "Vantrel.ini");
     }},
    {"WriteOverlays",
     {"foxies.ovl", "rays.ovl"},
     [](ProgramState& state, const path&) { return WriteOverlays(state.main, state.settings); }},
    {"WritePreviewOverlay",
     {"preview.ovl"},
     [](ProgramState& state, const path&) { return WritePreviewOverlay(state.main, state.settings, ','); }},
};

class WriteFailureTest : public testing::TestWithParam<WritingCommand> {
  protected:
    // Runs the command once successfully, so that its old files are there, then changes the measurement.
    void WriteOldFiles(const path& folder) {
        state_ = Hunt(folder);
        ASSERT_TRUE(core::Calculate(state_.main, ','));
        ASSERT_TRUE(GetParam().run(state_, folder));
        for (const char* file : GetParam().files) {
            oldBytes_.push_back(ReadBytes(folder / file));
            ASSERT_FALSE(oldBytes_.back().empty());
        }
        ChangeIt(state_);
    }

    // The command fails naming its first file and the reason; nothing changed, nothing left behind.
    void ExpectRefusedAndNothingChanged(const path& folder, const std::string& reason,
                                        std::size_t otherFiles) {
        const ProgramState before = state_;
        const core::Outcome outcome = GetParam().run(state_, folder);
        ASSERT_FALSE(outcome) << "reported success";
        const std::string first = persistence::DisplayPath(folder / GetParam().files[0]);
        EXPECT_NE(outcome.message().find("\"" + first + "\": " + reason), std::string::npos)
            << outcome.message();
        EXPECT_TRUE(state_ == before);
        for (std::size_t i = 0; i < oldBytes_.size(); ++i) {
            EXPECT_EQ(ReadBytes(folder / GetParam().files[i]), oldBytes_[i]) << GetParam().files[i];
        }
        if (std::filesystem::is_directory(folder)) {
            const auto entries = std::distance(std::filesystem::directory_iterator(folder), {});
            EXPECT_EQ(static_cast<std::size_t>(entries), oldBytes_.size() + otherFiles)
                << "a temporary file is left";
        }
    }

    ProgramState state_;
    std::vector<std::string> oldBytes_;
};

#ifndef _WIN32
using testing_support::TinyTmpfs;

TEST_P(WriteFailureTest, FullDisk) {
    const TempDir dir;
    const TinyTmpfs disk(dir / "disk", 128);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    }
    WriteOldFiles(dir / "disk");
    ASSERT_TRUE(disk.Fill());
    ExpectRefusedAndNothingChanged(dir / "disk", "No space left on device", 1);
}

TEST_P(WriteFailureTest, ReadOnlyFolder) {
    const TempDir dir;
    const TinyTmpfs disk(dir / "disk", 128);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    }
    WriteOldFiles(dir / "disk");
    ASSERT_TRUE(disk.MakeReadOnly());
    ExpectRefusedAndNothingChanged(dir / "disk", "Read-only file system", 0);
}
#endif

TEST_P(WriteFailureTest, FolderThatIsAFile) {
    const TempDir dir;
    testing_support::WriteBytes(dir / "overlays", "a file, not a folder");
    state_ = Hunt(dir / "overlays");
    ASSERT_TRUE(core::Calculate(state_.main, ','));
    ExpectRefusedAndNothingChanged(dir / "overlays", "Not a directory", 0);
    EXPECT_EQ(ReadBytes(dir / "overlays"), "a file, not a folder");
}

// What may stand where a command writes its first file. Links are written through (the link stays);
// anything else that is not a plain file is refused, and nothing at all is written.
struct Node {
    const char* name;
    bool (*make)(const path& at, const path& other);  // false: this system cannot make it
    const char* refusal;                              // nullptr: written
};

const Node kNodes[] = {
    {"RegularFile",
     [](const path& at, const path&) {
         testing_support::WriteBytes(at, "");
         return true;
     },
     nullptr},
    {"SymlinkToFile",
     [](const path& at, const path& other) {
         testing_support::WriteBytes(other / "real", "");
         return testing_support::MakeSymlink("../other/real", at);
     },
     nullptr},
    {"DanglingSymlink",
     [](const path& at, const path& other) { return testing_support::MakeSymlink(other / "new", at); },
     nullptr},
    {"SymlinkLoop",
     [](const path& at, const path& other) {
         return testing_support::MakeSymlink(other / "back", at) &&
                testing_support::MakeSymlink(at, other / "back");
     },
     "Too many levels of symbolic links"},
    {"NamedPipe", [](const path& at, const path&) { return testing_support::MakeFifo(at); },
     "not a regular file (a named pipe)"},
    {"SymlinkToNamedPipe",
     [](const path& at, const path& other) {
         return testing_support::MakeFifo(other / "pipe") && testing_support::MakeSymlink(other / "pipe", at);
     },
     "not a regular file (a named pipe)"},
    {"CharacterDevice", [](const path& at, const path&) { return testing_support::MakeCharacterDevice(at); },
     "not a regular file (a character device)"},
    {"Socket", [](const path& at, const path&) { return testing_support::MakeSocket(at); },
     "not a regular file (a socket)"},
    {"Folder", [](const path& at, const path&) { return std::filesystem::create_directory(at); },
     "not a regular file (a folder)"},
};

// Every entry below `folder` (links not followed) and its kind.
std::map<std::string, persistence::FileKind> Listing(const path& folder) {
    std::map<std::string, persistence::FileKind> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        entries[entry.path().string()] = persistence::KindAt(entry.path());
    }
    return entries;
}

TEST_P(WriteFailureTest, FollowsLinksAndRefusesWhatIsNotAFile) {
    for (const Node& node : kNodes) {
        SCOPED_TRACE(node.name);
        const TempDir dir;
        const path files = dir / "files";
        std::filesystem::create_directories(dir / "other");
        state_ = Hunt(files);
        ASSERT_TRUE(core::Calculate(state_.main, ','));
        std::filesystem::create_directories(files);
        ASSERT_TRUE(GetParam().run(state_, files));  // the content to expect, written into a plain file
        const std::string expected = ReadBytes(files / GetParam().files[0]);
        std::filesystem::remove_all(files);
        std::filesystem::create_directories(files);
        const path at = files / GetParam().files[0];
        if (!node.make(at, dir / "other")) {
            continue;  // a device needs root
        }
        const auto kind = persistence::KindAt(at);
        const auto before = Listing(dir.path());
        const ProgramState stateBefore = state_;

        const core::Outcome outcome = GetParam().run(state_, files);

        EXPECT_EQ(persistence::KindAt(at), kind) << "the node itself was replaced";
        if (node.refusal == nullptr) {
            ASSERT_TRUE(outcome) << outcome.message();
            EXPECT_EQ(ReadBytes(at), expected);  // through the link
            for (const auto& [name, entryKind] : Listing(dir.path())) {
                EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "left behind: " << name;
            }
            continue;
        }
        EXPECT_NE(outcome.message().find("\"" + persistence::DisplayPath(at) + "\": "), std::string::npos)
            << outcome.message();
        EXPECT_NE(outcome.message().find(node.refusal), std::string::npos) << outcome.message();
        EXPECT_EQ(Listing(dir.path()), before) << "something was written";
        EXPECT_TRUE(state_ == stateBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, WriteFailureTest, testing::ValuesIn(kCommands),
                         testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::map_outputs
