// Every reader of a user's file on hostile inputs: an endless device, a pipe nobody writes to, a folder, a
// link loop, gigabytes, legacy files of the wrong length. A reader that blocked or read the whole input would
// hang or run out of memory here.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "file_bytes.hpp"
#include "persistence/data_file_commands.hpp"
#include "persistence/file_access.hpp"
#include "persistence/settings.hpp"
#include "support/special_files.hpp"
#include "temp_dir.hpp"

namespace vantrel::persistence {
namespace {

using std::filesystem::create_directory;
using std::filesystem::path;
using testing_support::MakeFifo;
using testing_support::MakeSymlink;
using testing_support::TempDir;
using testing_support::WriteBytes;

// Makes the input in `dir` and gives its path; an empty path when this system cannot make it.
using Input = path (*)(const TempDir& dir);
using Reader = std::function<core::Outcome(ProgramState&, const path&)>;

path Made(bool made, const path& at) {
    return made ? at : path();
}

const Input kDevZero = [](const TempDir&) { return Made(std::filesystem::exists("/dev/zero"), "/dev/zero"); };
const Input kFifo = [](const TempDir& d) { return Made(MakeFifo(d / "a.fh2"), d / "a.fh2"); };
const Input kFolder = [](const TempDir& d) { return Made(create_directory(d / "a"), d / "a"); };
const Input kLoop = [](const TempDir& d) { return Made(MakeSymlink(d / "a", d / "a"), d / "a"); };
// Four gibibytes of zeros that take no room on the disk.
const Input kHuge = [](const TempDir& d) {
    WriteBytes(d / "huge", "");
    std::filesystem::resize_file(d / "huge", std::uintmax_t{4} << 30U);
    return d / "huge";
};
const Input kWrongLengthFhd = [](const TempDir& d) {
    return WriteBytes(d / "a.fhd", std::string(300, '\0')), d / "a.fhd";
};
// A complete .fh2 (two stations at zero, an empty table) given the legacy extension.
const Input kRenamedFh2 = [](const TempDir& d) {
    return WriteBytes(d / "a.fhd", std::string(38656, '\0')), d / "a.fhd";
};

const Reader kOpen = [](ProgramState& state, const path& file) {
    return OpenDataFile(state, file, ',', file.parent_path() / "settings" / "Vantrel.ini");
};
const Reader kImport = [](ProgramState& state, const path& file) { return ReadImportFile(state, file, ','); };
const Reader kSettings = [](ProgramState&, const path& file) { return ReadSettingsFile(file).outcome(); };
// Closing the main window rewrites the settings file: one that cannot be read is left alone.
const Reader kSaveSettings = [](ProgramState& state, const path& file) {
    return PutIniData(state.settings, file);
};

struct HostileCase {
    std::string name;
    Input input;
    Reader reader;
    const char* reason;  // what follows "Could not read \"<path>\": "; nullptr: read
    friend void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }
};

std::vector<HostileCase> HostileCases() {
    const char* const kTooLong =
        "it is 4294967296 bytes long, more than the 1048576 bytes a settings file may have";
    std::vector<HostileCase> cases{
        {"Huge_Open", kHuge, kOpen, nullptr},  // only its first 38,656 bytes are read
        {"Huge_Import", kHuge, kImport,
         "it is 4294967296 bytes long; a legacy data file has exactly 212 bytes."},
        {"Huge_ReadSettings", kHuge, kSettings, kTooLong},
        {"Huge_SaveSettings", kHuge, kSaveSettings, kTooLong},
        {"WrongLengthFhd_Import", kWrongLengthFhd, kImport,
         "it is 300 bytes long; a legacy data file has exactly 212 bytes."},
        {"RenamedFh2_Import", kRenamedFh2, kImport,
         "it is 38656 bytes long; a legacy data file has exactly 212 bytes. That is the length of a "
         "measurement data file (.fh2): open it with File > Open."},
        {"RenamedFh2_Open", kRenamedFh2, kOpen, nullptr},
    };
    const std::pair<const char*, Reader> readers[] = {
        {"Open", kOpen}, {"Import", kImport}, {"ReadSettings", kSettings}, {"SaveSettings", kSaveSettings}};
    for (const auto& [readerName, reader] : readers) {
        const auto add = [&](const char* input, Input make, const char* reason) {
            cases.push_back({std::string(input) + "_" + readerName, make, reader, reason});
        };
        add("DevZero", kDevZero, "it is not a regular file (a character device)");
        add("FifoWithoutWriter", kFifo, "it is not a regular file (a named pipe)");
        add("Folder", kFolder, "it is not a regular file (a folder)");
        add("SymlinkLoop", kLoop, "Too many levels of symbolic links");
    }
    return cases;
}

ProgramState TypedState() {
    ProgramState state;
    state.main.Sced1Lat = "5600000,5";
    state.settings.LastUsedFilename = "previous.fh2";
    return state;
}

class HostileInputTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, IsRefusedAtOnceOrReadOnlyAsFarAsNeeded) {
    const HostileCase& c = GetParam();
    const TempDir dir;
    const path file = c.input(dir);
    if (file.empty()) {
        GTEST_SKIP() << "this system cannot make the input";
    }
    const auto kindBefore = KindAt(file);
    std::error_code ec;
    const auto sizeBefore = std::filesystem::file_size(file, ec);
    ProgramState state = TypedState();

    const core::Outcome outcome = c.reader(state, file);

    EXPECT_EQ(KindAt(file), kindBefore);
    EXPECT_EQ(std::filesystem::file_size(file, ec), sizeBefore);
    if (c.reason == nullptr) {
        EXPECT_TRUE(outcome.ok()) << outcome.message();
        EXPECT_EQ(state.main.Sced1Lat, "0");
        return;
    }
    EXPECT_EQ(outcome.message(), "Could not read \"" + DisplayPath(file) + "\": " + c.reason);
    EXPECT_TRUE(state.main == TypedState().main);
    EXPECT_EQ(state.settings, TypedState().settings);
}

INSTANTIATE_TEST_SUITE_P(Readers, HostileInputTest, testing::ValuesIn(HostileCases()),
                         [](const testing::TestParamInfo<HostileCase>& param) { return param.param.name; });

}  // namespace
}  // namespace vantrel::persistence
