// The desktop program's command line, run for real: --help and --version without a display, wrong
// arguments refused, and a file given at start opened (seen in the settings file, where File > Open
// records the file it opened).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <thread>

#include "file_bytes.hpp"
#include "support/background_process.hpp"
#include "support/process.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::testing_support {
namespace {

using namespace std::chrono_literals;

struct ArgumentsCase {
    const char* name;
    friend void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::string> args;
    bool needsDisplay;
    int exitCode;
    const char* out;  // a part of standard output
    const char* err;  // a part of standard error
};

const ArgumentsCase kArgumentsCases[] = {
    {"Help", {"--help"}, false, 0, "Usage: ", ""},
    {"HelpNamesTheFile", {"-h"}, false, 0, "[FILE]", ""},
    {"Version", {"--version"}, false, 0, "Vantrel 2.2.0\n", ""},
    {"UnknownOption", {"--frobnicate"}, true, 1, "", "Unknown option 'frobnicate'."},
    {"TwoFiles", {"a.fh2", "b.fh2"}, true, 1, "", "one file at a time"},
};

class AppArgumentsTest : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(AppArgumentsTest, PrintsAndEnds) {
    const ArgumentsCase& c = GetParam();
    std::vector<std::string> argv{VANTREL_APP};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    // Without a display and without the offscreen platform a window could not open at all.
    ProcessOptions options;
    options.environment = {
        {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", c.needsDisplay ? "offscreen" : ""}};
    options.timeout = 30s;
    const ProcessResult result = RunProcess(argv, options);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(CommandLine, AppArgumentsTest, testing::ValuesIn(kArgumentsCases), ParamName{});

// Starts `vantrel hunt.fh2` inside `folder` (a relative name, resolved before start-up changes the
// current folder), with its own settings folder.
BackgroundProcess StartWithFile(const std::filesystem::path& folder) {
    return BackgroundProcess(
        {"/bin/sh", "-c", "cd \"$0\" && exec \"$1\" hunt.fh2", folder.string(), VANTREL_APP},
        {{"QT_QPA_PLATFORM", "offscreen"},
         {"XDG_CONFIG_HOME", (folder / "config").string()},
         {"XDG_DATA_HOME", (folder / "data").string()}});
}

// Waits until the settings file records `file` as the last one used.
bool WaitUntilRemembered(const std::filesystem::path& settingsFile, const std::filesystem::path& file) {
    const std::string line = "Last Used Filename=" + file.string();
    for (auto waited = 0ms; waited < 30s; waited += 50ms) {
        if (ReadBytes(settingsFile).find(line) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

TEST(AppFileArgument, TwoProgramsOpenTheirOwnFilesSideBySide) {
    const TempDir dir;
    for (const char* hunt : {"first", "second"}) {
        std::filesystem::create_directories(dir / hunt);
        WriteBytes(dir / hunt / "hunt.fh2", ReadBytes(VANTREL_SOURCE_DIR "/examples/hunt-vogelsberg.fh2"));
    }
    BackgroundProcess first = StartWithFile(dir / "first");
    BackgroundProcess second = StartWithFile(dir / "second");
    ASSERT_TRUE(first.started() && second.started());
    EXPECT_TRUE(
        WaitUntilRemembered(dir / "first" / "config" / "Vantrel" / "Vantrel.ini", dir / "first" / "hunt.fh2"))
        << first.err();
    EXPECT_TRUE(WaitUntilRemembered(dir / "second" / "config" / "Vantrel" / "Vantrel.ini",
                                    dir / "second" / "hunt.fh2"))
        << second.err();
}

}  // namespace
}  // namespace vantrel::testing_support
