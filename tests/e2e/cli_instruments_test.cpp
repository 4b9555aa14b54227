// vantrel-cli gps / rx / average: real captures on standard input, and instruments on pseudo-terminals
// that talk, stay silent, are busy or go away.
#include <gtest/gtest.h>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"

#include <signal.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using testing_support::BackgroundProcess;
using testing_support::CliCommand;
using testing_support::RunCli;
using testing_support::SocatPair;
using testing_support::TempDir;

const std::filesystem::path kCaptures = std::filesystem::path(VANTREL_TESTDATA_DIR) / "nmea";

// Waiting for instruments and processes: generous, since the machine may be busy.
constexpr auto kPatience = 60s;

// A waiting program that polled in a loop would burn about as much CPU as the time it waited; one that
// sleeps in the event loop uses next to none. Start-up of the program is included.
constexpr double kCpuSecondsAllowed = 0.5;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

double Number(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

testing_support::ProcessOptions WithInput(std::string input) {
    testing_support::ProcessOptions options;
    options.input = std::move(input);
    return options;
}

// Under a wrapper such as valgrind the CPU time is the wrapper's, so it is not checked there.
void ExpectIdleWhileWaiting(double cpuSeconds) {
    if (!testing_support::CliIsWrapped()) {
        EXPECT_LT(cpuSeconds, kCpuSecondsAllowed);
    }
}

std::string FirstLines(const std::string& bytes, int count) {
    std::size_t end = 0;
    for (int i = 0; i < count; ++i) {
        end = bytes.find('\n', end) + 1;
    }
    return bytes.substr(0, end);
}

// The fix of rx210.log (line 66), near Langen: GeographicLib puts it at 474484.4084 E, 5538956.7605 N, 32U.
const std::string kRx210Sentence = "$GNRMC,184102.00,A,5000.14318,N,00838.63715,E,0.419,,030416,,,A*63";
const std::string kRx210Output = "5538956,8\t0474484,4\t32U\t" + kRx210Sentence + "  N  E\n";

TEST(CliGps, EveryCaptureOnStandardInputGivesItsReferenceFix) {
    std::ifstream table(kCaptures / "expected.tsv");
    std::string row;
    std::getline(table, row);
    int files = 0;
    while (std::getline(table, row)) {
        const std::vector<std::string> f = Split(row, '\t');
        SCOPED_TRACE(f[0]);
        ++files;
        const std::string bytes = testing_support::ReadBytes(kCaptures / f[0]);
        const auto r = RunCli({"--decimal-separator=.", "gps", "-"}, WithInput(bytes));
        if (f[1] == "none") {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.out, "");
            // The note of a capture whose RMC sentences all say "no fix" gives their count.
            std::string why;
            if (const std::size_t note = f[8].find("rejected: "); note != std::string::npos) {
                const std::string count = f[8].substr(note + 10, f[8].find(' ', note + 10) - note - 10);
                why = "; " + count + " RMC sentences were refused: " + count +
                      " saying the receiver has no position (status V)";
            }
            EXPECT_EQ(r.err, "vantrel-cli: the input ended before a valid RMC sentence" + why + "\n");
            continue;
        }
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::vector<std::string> out = Split(r.out.substr(0, r.out.size() - 1), '\t');
        ASSERT_EQ(out.size(), 4u) << r.out;
        // Position: the reference latitude and longitude converted by to-utm, shown to 0.1 m.
        const auto utm = RunCli({"--decimal-separator=.", "to-utm", f[2], f[3]});
        const std::vector<std::string> reference = Split(utm.out.substr(0, utm.out.size() - 1), '\t');
        ASSERT_EQ(reference.size(), 3u);
        EXPECT_LE(std::abs(Number(out[0]) - Number(reference[2])), 0.05 + 1e-9) << out[0];
        EXPECT_LE(std::abs(Number(out[1]) - Number(reference[1])), 0.05 + 1e-9) << out[1];
        EXPECT_EQ(out[0].size() - out[0].find('.'), 2u) << "one decimal";
        EXPECT_EQ(out[2], reference[0]);
        // The sentence as received at its line and column, and the hemisphere letters of its fields.
        std::vector<std::string> lines = Split(bytes, '\n');
        std::string line = lines[static_cast<std::size_t>(std::stoi(f[4]) - 1)];
        while (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::string sentence = line.substr(static_cast<std::size_t>(std::stoi(f[5]) - 1));
        sentence = sentence.substr(0, sentence.find('$', 1));
        EXPECT_EQ(out[3], sentence + "  " + f[6].back() + "  " + f[7].back());
    }
    EXPECT_EQ(files, 36);
}

// Plays the receiver until the request answers. A request hears only what is sent once its port is open
// and what was queued before is gone (the device's speed is set last in the opening, and the queue is
// thrown away after a short quiet), and a slow run (under valgrind, say) may still be opening; a few
// rounds stay well inside what the pseudo-terminal holds when nobody reads.
bool SendUntilAnswered(SocatPair& pair, BackgroundProcess& gps, const std::string& bytes, std::size_t chunk) {
    if (!pair.WaitForDeviceSpeed(B4800, kPatience)) {
        return false;
    }
    for (int round = 0; round < 3; ++round) {
        std::this_thread::sleep_for(500ms);
        if (!pair.SendInChunks(bytes, chunk) || gps.WaitForOutput("\n", 5s)) {
            return true;
        }
    }
    return false;
}

TEST(CliGps, PortNamedInThePortsSectionOfTheSettings) {
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    std::filesystem::create_directories(dir / "config" / "Vantrel");
    testing_support::WriteBytes(dir / "config" / "Vantrel" / "Vantrel.ini",
                                "[Comm]\r\nGPS-Port=3\r\n[Ports]\r\nCOM3=" + pair.device() + "\r\nCOM4=\r\n");
    // A position sent before the request, while nobody listened, is not the answer.
    ASSERT_TRUE(pair.WatchDevice());
    ASSERT_TRUE(pair.Send("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"));
    ASSERT_TRUE(pair.WaitForQueuedOnDevice(70, kPatience));
    BackgroundProcess gps(CliCommand({"--decimal-separator=,", "gps", "COM3"}),
                          {{"XDG_CONFIG_HOME", (dir / "config").string()}});
    ASSERT_TRUE(gps.WaitUntilItHasOpen(pair.device(), kPatience));
    const std::string capture = testing_support::ReadBytes(kCaptures / "rx210.log");
    EXPECT_TRUE(SendUntilAnswered(pair, gps, FirstLines(capture, 66), 37));
    const auto r = gps.Wait(kPatience);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, kRx210Output);
    EXPECT_EQ(r.err, "");
}

TEST(CliGps, SilentGpsIsAbandonedAtTheTimeoutWithoutSpendingCpu) {
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    BackgroundProcess gps(CliCommand({"gps", pair.device(), "--timeout", "3"}));
    ASSERT_TRUE(gps.WaitUntilItHasOpen(pair.device(), kPatience));
    ASSERT_TRUE(pair.Send("$GPRMC,,V,,,,,,,,,,N*53\r\n"));  // talks, but has no fix
    const auto r = gps.Wait(kPatience);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    // The sentence counts as refused unless it came while the port was still being opened (then it was
    // thrown away with what was queued).
    EXPECT_TRUE(r.err == "vantrel-cli: no valid RMC sentence within 3 s\n" ||
                r.err ==
                    "vantrel-cli: no valid RMC sentence within 3 s; 1 RMC sentence was refused: 1 saying the "
                    "receiver has no position (status V)\n")
        << r.err;
    ExpectIdleWhileWaiting(gps.cpuSeconds());

    // The port was closed: the next request on it works.
    ASSERT_TRUE(pair.WatchDevice());
    BackgroundProcess again(CliCommand({"--decimal-separator=,", "gps", pair.device()}));
    ASSERT_TRUE(again.WaitUntilItHasOpen(pair.device(), kPatience));
    const std::string capture = testing_support::ReadBytes(kCaptures / "rx210.log");
    EXPECT_TRUE(SendUntilAnswered(pair, again, FirstLines(capture, 66), 4096));
    EXPECT_EQ(again.Wait(kPatience).out, kRx210Output);
}

TEST(CliGps, BusyPortIsAlreadyOpen) {
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    BackgroundProcess first(CliCommand({"gps", pair.device()}));
    ASSERT_TRUE(first.WaitUntilItHasOpen(pair.device(), kPatience));
    const auto second = RunCli({"gps", pair.device()});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err, "vantrel-cli: Port is already open.\n");
    pair.Disconnect();
    EXPECT_EQ(first.Wait(kPatience).exitCode, 1);
}

TEST(CliGps, DeviceThatDisappearsMidStreamEndsItCleanly) {
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    ASSERT_TRUE(pair.WatchDevice());
    BackgroundProcess gps(CliCommand({"gps", pair.device()}));
    ASSERT_TRUE(gps.WaitUntilItHasOpen(pair.device(), kPatience));
    ASSERT_TRUE(pair.WaitForDeviceSpeed(B4800, kPatience));
    ASSERT_TRUE(pair.Send("$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*7B\r\n$GPRMC,12"));
    pair.Disconnect();
    const auto r = gps.Wait(kPatience);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "vantrel-cli: the instrument was disconnected\n");
    ExpectIdleWhileWaiting(gps.cpuSeconds());
}

TEST(CliGps, MissingDeviceAndExhaustedInput) {
    TempDir dir;
    const auto missing = RunCli({"gps", (dir / "no-such-device").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "vantrel-cli: The port " + (dir / "no-such-device").string() +
                               " could not be opened: No such file or directory\n");
    const auto empty = RunCli({"gps"}, WithInput("$GPRMC,123519,V,4807.038,N,01131.000,E,,,,*"));
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.err, "vantrel-cli: the input ended before a valid RMC sentence\n");
}

// RMC sentences that give no position are counted by their reason; other sentences are not counted.
TEST(CliGps, RefusedSentencesAreCountedWithTheirReason) {
    const std::string minutes = "$GPRMC,123519,A,4860.5,N,01131.000,E,022.4,084.4,230394,003.1,W*65\r\n";
    const std::string latitude = "$GPRMC,123519,A,9000.006,N,01131.000,E,022.4,084.4,230394,003.1,W*65\r\n";
    const std::string checksum = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B\r\n";
    const std::string noFix = "$GPRMC,,V,,,,,,,,,,N*53\r\n";
    const std::string other = "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*7B\r\n";
    const auto r = RunCli({"gps", "-"}, WithInput(minutes + other + latitude + minutes + checksum + noFix));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "vantrel-cli: the input ended before a valid RMC sentence; 5 RMC sentences were refused: 1 "
              "with a wrong checksum, 1 saying the receiver has no position (status V), 2 with minutes of "
              "60 or more, 1 with a latitude beyond 90 degrees\n");
}

// Standard input that stays open, silent or with sentences that give no position, ends at the timeout.
TEST(CliGps, StandardInputIsAbandonedAtTheTimeout) {
    std::string noFixes;
    for (int i = 0; i < 1000; ++i) {
        noFixes += "$GPRMC,,V,,,,,,,,,,N*53\r\n";
    }
    const struct {
        const char* name;
        std::string input;
        std::string err;
    } cases[] = {
        {"silent", "", "vantrel-cli: no valid RMC sentence within 1.5 s\n"},
        {"no fixes", noFixes,
         "vantrel-cli: no valid RMC sentence within 1.5 s; 1000 RMC sentences were refused: 1000 saying the "
         "receiver has no position (status V)\n"},
    };
    for (const auto& c : cases) {
        testing_support::ProcessOptions options = WithInput(c.input);
        options.keepInputOpen = true;
        options.timeout = 30s;
        const auto r = RunCli({"--decimal-separator=.", "gps", "-", "--timeout", "1.5"}, options);
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
}

TEST(CliRx, PrintsEachLineAsItArrivesUntilTheDeviceDisappears) {
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    BackgroundProcess rx(CliCommand({"rx", pair.device()}));
    ASSERT_TRUE(rx.WaitUntilItHasOpen(pair.device(), kPatience));
    // No line is skipped for synchronisation here, and the text after a line end starts the next line.
    ASSERT_TRUE(pair.Send("A 123.4 dB -45.6 X\r\nA 2"));
    ASSERT_TRUE(rx.WaitForOutput("123.4\t-45\n", kPatience));
    ASSERT_TRUE(pair.Send("70.0 dB   5\r\nA ERROR dB\r\nA 00"));
    ASSERT_TRUE(rx.WaitForOutput("skipped\tA ERROR dB\n", kPatience));
    pair.Disconnect();
    const auto r = rx.Wait(kPatience);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "123.4\t-45\n270\t5\nskipped\tA ERROR dB\n");
    EXPECT_EQ(r.err, "vantrel-cli: the instrument was disconnected\n");
    ExpectIdleWhileWaiting(rx.cpuSeconds());
}

TEST(CliRx, StandardInputLinesEndAtCrLf) {
    const auto r =
        RunCli({"--decimal-separator=,", "rx"},
               WithInput("x 001.5 dB -0.5\r\nA 1\r2.5\r\nA\n359.9 dB -99\r\nA 10 ,  dB 12\r\n\r\ntail"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // "A\n359.9 ..." is one line whose bearing field is "359,9 " from position 3 on.
    EXPECT_EQ(r.out,
              "1.5\t0\n"
              "skipped\tA 1\r2.5\n"
              "359.9\t-99\n"
              "skipped\tA 10 ,  dB 12\n"
              "skipped\t\n");
}

TEST(CliAverage, OneColumnWithTheChosenSeparator) {
    // The averaging itself is tested with the table; here the arguments and the output.
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::vector<Case> cases{
        {{"--decimal-separator=,", "average", "350", "10", "20"}, "6,66666666666669\t1\n"},
        {{"--decimal-separator=.", "average", "", "10,5", "", "abc", "11.5", "-3"}, "6.33333333333333\t0\n"},
        {{"average"}, "0\t0\n"},
    };
    for (const Case& c : cases) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
    std::vector<std::string> tooMany{"average"};
    tooMany.resize(32, "1");
    const auto r = RunCli(tooMany);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace vantrel
