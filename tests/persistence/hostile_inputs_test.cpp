// Every reader of a user's file on what a user (or an attacker) can hand it instead of a measurement or
// settings file: endless devices, a pipe nobody writes to, a folder, links in a loop, a file of gigabytes,
// legacy files of the wrong length. Each is refused at once with the path and the reason and changes
// nothing; a reader that blocked or read the whole input would hang or run out of memory here.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
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

using testing_support::TempDir;
using testing_support::WriteBytes;

// Makes the input in `dir`; nullopt when this system cannot make it.
using MakeInput = std::function<std::optional<std::filesystem::path>(const TempDir& dir)>;

struct Input {
    const char* name;
    MakeInput make;
};

// A reader as a command: the outcome, the program state it may change.
struct Reader {
    const char* name;
    std::function<core::Outcome(ProgramState&, const std::filesystem::path&, const TempDir&)> read;
};

struct HostileCase {
    std::string name;
    Input input;
    Reader reader;
    const char* reason;  // what follows "Could not read \"<path>\": "; nullptr: read successfully
    friend void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }
};

std::optional<std::filesystem::path> Existing(const std::filesystem::path& path) {
    return std::filesystem::exists(path) ? std::optional(path) : std::nullopt;
}

const Input kDevZero{"DevZero", [](const TempDir&) { return Existing("/dev/zero"); }};
const Input kDevUrandom{"DevUrandom", [](const TempDir&) { return Existing("/dev/urandom"); }};
const Input kFifo{"FifoWithoutWriter", [](const TempDir& dir) -> std::optional<std::filesystem::path> {
                      return testing_support::MakeFifo(dir / "hunt.fh2") ? std::optional(dir / "hunt.fh2")
                                                                         : std::nullopt;
                  }};
const Input kFolder{"Folder", [](const TempDir& dir) {
                        std::filesystem::create_directory(dir / "hunt.fh2");
                        return std::optional(dir / "hunt.fh2");
                    }};
const Input kLoop{"SymlinkLoop", [](const TempDir& dir) -> std::optional<std::filesystem::path> {
                      const bool made = testing_support::MakeSymlink("b.fh2", dir / "a.fh2") &&
                                        testing_support::MakeSymlink("a.fh2", dir / "b.fh2");
                      return made ? std::optional(dir / "a.fh2") : std::nullopt;
                  }};
// Four gibibytes of zeros that take no room on the disk.
const Input kHuge{"HugeFile", [](const TempDir& dir) -> std::optional<std::filesystem::path> {
                      WriteBytes(dir / "huge.fhd", "");
                      std::error_code ec;
                      std::filesystem::resize_file(dir / "huge.fhd", std::uintmax_t{4} << 30U, ec);
                      return ec ? std::nullopt : std::optional(dir / "huge.fhd");
                  }};
const Input kWrongLengthFhd{"WrongLengthFhd", [](const TempDir& dir) {
                                WriteBytes(dir / "old.fhd", std::string(300, '\0'));
                                return std::optional(dir / "old.fhd");
                            }};
// A complete .fh2 (two zero stations and an empty table) given the legacy extension.
const Input kFh2RenamedFhd{"Fh2RenamedFhd", [](const TempDir& dir) {
                               WriteBytes(dir / "renamed.fhd", std::string(38656, '\0'));
                               return std::optional(dir / "renamed.fhd");
                           }};

const Reader kOpen{"Open", [](ProgramState& state, const std::filesystem::path& path, const TempDir& dir) {
                       return OpenDataFile(state, path, ',', dir / "settings" / "Vantrel.ini");
                   }};
const Reader kImport{"Import", [](ProgramState& state, const std::filesystem::path& path, const TempDir&) {
                         return ReadImportFile(state, path, ',');
                     }};
const Reader kSettings{"ReadSettings", [](ProgramState&, const std::filesystem::path& path, const TempDir&) {
                           return ReadSettingsFile(path).outcome();
                       }};
// Closing the main window rewrites the settings file: one that cannot be read must be left alone.
const Reader kSaveSettings{"SaveSettings", [](ProgramState& state, const std::filesystem::path& path,
                                              const TempDir&) { return PutIniData(state.settings, path); }};

std::vector<HostileCase> HostileCases() {
    std::vector<HostileCase> cases;
    const auto add = [&cases](const Input& input, const Reader& reader, const char* reason) {
        cases.push_back({std::string(input.name) + "_" + reader.name, input, reader, reason});
    };
    for (const Reader& reader : {kOpen, kImport, kSettings, kSaveSettings}) {
        add(kDevZero, reader, "it is not a regular file (a character device)");
        add(kDevUrandom, reader, "it is not a regular file (a character device)");
        add(kFifo, reader, "it is not a regular file (a named pipe)");
        add(kFolder, reader, "it is not a regular file (a folder)");
        add(kLoop, reader, "Too many levels of symbolic links");
    }
    add(kHuge, kOpen, nullptr);  // only the first 38,656 bytes are read: two stations at zero
    add(kHuge, kImport, "it is 4294967296 bytes long; a legacy data file has exactly 212 bytes.");
    add(kHuge, kSettings,
        "it is 4294967296 bytes long, more than the 1048576 bytes a settings file may have");
    add(kHuge, kSaveSettings,
        "it is 4294967296 bytes long, more than the 1048576 bytes a settings file may have");
    add(kWrongLengthFhd, kImport, "it is 300 bytes long; a legacy data file has exactly 212 bytes.");
    add(kWrongLengthFhd, kOpen, "it is 300 bytes long; a measurement data file has at least 38546 bytes.");
    add(kFh2RenamedFhd, kImport,
        "it is 38656 bytes long; a legacy data file has exactly 212 bytes. That is the length of a "
        "measurement data file (.fh2): open it with File > Open.");
    add(kFh2RenamedFhd, kOpen, nullptr);
    return cases;
}

ProgramState TypedState() {
    ProgramState state;
    state.main.Sced1Lat = "5600000,5";
    state.main.S2Sig[4] = "-4";
    state.settings.LastUsedFilename = "previous.fh2";
    return state;
}

struct CaseName {
    std::string operator()(const testing::TestParamInfo<HostileCase>& info) const { return info.param.name; }
};

class HostileInputTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, IsRefusedAtOnceOrReadOnlyAsFarAsNeeded) {
    const HostileCase& c = GetParam();
    const TempDir dir;
    const auto path = c.input.make(dir);
    if (!path) {
        GTEST_SKIP() << "this system cannot make " << c.input.name;
    }
    const FileKind kindBefore = KindAt(*path);
    std::error_code ec;
    const std::uintmax_t sizeBefore = std::filesystem::file_size(*path, ec);
    ProgramState state = TypedState();

    const core::Outcome outcome = c.reader.read(state, *path, dir);

    EXPECT_EQ(KindAt(*path), kindBefore);
    EXPECT_EQ(std::filesystem::file_size(*path, ec), sizeBefore);
    if (c.reason == nullptr) {
        EXPECT_TRUE(outcome.ok()) << outcome.message();
        EXPECT_EQ(state.main.Sced1Lat, "0");
        return;
    }
    ASSERT_FALSE(outcome.ok());
    const std::string prefix = "Could not read \"" + DisplayPath(*path) + "\": ";
    EXPECT_EQ(outcome.message().substr(0, prefix.size()), prefix) << outcome.message();
    EXPECT_EQ(outcome.message().substr(std::min(prefix.size(), outcome.message().size())), c.reason);
    EXPECT_EQ(state.main, TypedState().main);
    EXPECT_EQ(state.settings, TypedState().settings);
}

INSTANTIATE_TEST_SUITE_P(Readers, HostileInputTest, testing::ValuesIn(HostileCases()), CaseName{});

}  // namespace
}  // namespace vantrel::persistence
