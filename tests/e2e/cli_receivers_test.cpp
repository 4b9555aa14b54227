// vantrel-cli schedule and rx --format: the schedule's answers and usage errors, and the receivers' formats
// on standard input and on a pseudo-terminal at the format's speed.
#include <gtest/gtest.h>
#include <termios.h>

#include <string>
#include <vector>

#include "e2e/cli_test.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using testing_support::RunCli;

std::vector<std::string> Args(std::vector<std::string> options, const std::vector<std::string>& times) {
    options.insert(options.begin(), "schedule");
    options.insert(options.end(), times.begin(), times.end());
    return options;
}

TEST(CliSchedule, EchoesEachTimeWithTheFoxOnTheAir) {
    // Sprint: 12 s slots from 10:00:00, slot 2 empty, guard 1 s: on the air from p = 1 to p = 11.
    const auto r =
        RunCli(Args({"--start", "10:00:00", "--slot", "12", "--order", "F1,F2,-,F4,F5", "--guard", "1"},
                    {"10:00:00.999", "10:00:01", "10:00:25", "10:01:01.5"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // 10:01:01.5 is 1.5 s into the second cycle.
    EXPECT_EQ(r.out, "10:00:00.999\t-\n10:00:01\tF1\n10:00:25\t-\n10:01:01.5\tF1\n");
    // Club foxes: 30 s on in 60 s slots; default guard 2 s.
    const auto club = RunCli(Args({"--start=08:00:00", "--slot=60", "--on=30", "--slots=3"},
                                  {"08:00:28", "08:00:28.5", "08:02:10", "08:03:10"}));
    EXPECT_EQ(club.out, "08:00:28\tF1\n08:00:28.5\t-\n08:02:10\tF3\n08:03:10\tF1\n");
}

TEST(CliSchedule, BadValuesAreUsageErrorsNamingTheOption) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> times;
        std::string named;
    };
    const std::vector<Case> cases{
        {{"--start", "12:00:00", "--slot", "0"}, {"12:00:00"}, "--slot"},
        {{"--start", "12:00:00", "--slot", "60", "--guard", "30"}, {"12:00:00"}, "--guard"},
        {{"--start", "12:00:00", "--slot", "60", "--on", "4"}, {"12:00:00"}, "--guard"},
        {{"--start", "12:00:00", "--slot", "60", "--on", "0"}, {"12:00:00"}, "--on"},
        {{"--start", "12:00:00", "--slot", "60", "--order", "F1,F2,F3"}, {"12:00:00"}, "--order"},
        {{"--start", "12:00:00", "--slot", "60", "--slots", "3"}, {"12:00:00"}, ""},
        {{"--start", "12:00:00", "--slot", "60", "--order", "F1,F2,F3,F4,F6"}, {"12:00:00"}, "--order"},
        {{"--start", "12:00:00", "--slot", "60", "--slots", "x"}, {"12:00:00"}, "--slots"},
        {{"--start", "12:00", "--slot", "60"}, {"12:00:00"}, "--start"},
        {{"--start", "12:00:00", "--slot", "ten"}, {"12:00:00"}, "--slot"},
        {{"--slot", "60"}, {"12:00:00"}, "--start"},
        {{"--start", "12:00:00", "--slot", "60"}, {"12:00:00", "12:61:00"}, "TIME"},
        {{"--start", "12:00:00", "--slot", "60"}, {}, "TIME"},
    };
    for (const Case& c : cases) {
        const auto r = RunCli(Args(c.options, c.times));
        if (c.named.empty()) {
            EXPECT_EQ(r.exitCode, 0) << r.err;  // --slots 3 with the default order of 3 slots
            continue;
        }
        EXPECT_EQ(r.exitCode, 2) << c.named;
        EXPECT_EQ(r.out, "") << c.named;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
}

TEST(CliRx, EachFormatOnStandardInput) {
    struct Case {
        const char* format;
        std::string input;
        std::string out;
    };
    const std::vector<Case> cases{
        {"agrelo", "%270/7\r\n$GPRMC,1,A\r%000/3\n%361/5\n%350/9",
         "270\t0\nskipped\t$GPRMC,1,A\n0\t0\nskipped\t%361/5\n"},
        {"kn5r", "C2705,7350,0412,0000123456\rC3600,0100,0000,0000000001\r\nC27", "270.5\t0\n360\t0\n"},
        {"aprs", "DF1ABC>APRS:=4903.50N/07201.75W\\088/036/270/729\n=4903.50N/07201.75W\\088/036\n",
         "270\t0\nskipped\t=4903.50N/07201.75W\\088/036\n"},
        {"fixed", "x 001.5 dB -0.5\r\n", "1.5\t0\n"},
        {"aprs", "=9903.50N/07201.75W\\088/036/270/729\n=4903.50N/07201.75W\\088/036/270/7291\n",
         "skipped\t=9903.50N/07201.75W\\088/036/270/729\nskipped\t=4903.50N/07201.75W\\088/036/270/7291\n"},
    };
    for (const Case& c : cases) {
        testing_support::ProcessOptions options;
        options.input = c.input;
        const auto r = RunCli({"rx", "--format", c.format, "-"}, options);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.format;
    }
    // A line too long to read is shown as skipped when it passes the limit (the reader drops it at its end);
    // a lone LF, which keeps the line open, is explained once on stderr.
    testing_support::ProcessOptions options;
    options.input = "x 002.5 dB -1\r\n" + std::string(5000, 'y') + "\r\nfoo\nbar\nx 003.5\r\n";
    const auto fixed = RunCli({"rx", "-"}, options);
    EXPECT_EQ(fixed.out,
              "2.5\t-1\nskipped\t" + std::string(80, 'y') +
                  "... (more than 4096 bytes without a CR LF line end)\nskipped\tfoo\nbar\nx 003.5\n");
    EXPECT_EQ(
        fixed.err,
        "vantrel-cli: a line ends at a LF without CR: the fixed format's lines end at CR LF, so it is read "
        "together with what follows up to the next CR LF\n");
    const auto unknown = RunCli({"rx", "--format", "doppler"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("--format"), std::string::npos);
}

TEST(CliRx, DeviceOpensAtTheFormatsSpeedUnlessBaudSaysOtherwise) {
    for (const auto& [args, speed] : std::vector<std::pair<std::vector<std::string>, speed_t>>{
             {{"--format", "agrelo"}, B4800}, {{"--format", "aprs", "--baud", "1200"}, B1200}}) {
        testing_support::TempDir dir;
        testing_support::SocatPair pair(dir.path().string());
        ASSERT_TRUE(pair.ready());
        ASSERT_TRUE(pair.WatchDevice());
        std::vector<std::string> command{"rx"};
        command.insert(command.end(), args.begin(), args.end());
        command.push_back(pair.device());
        testing_support::BackgroundProcess rx(testing_support::CliCommand(command));
        ASSERT_TRUE(pair.WaitForDeviceSpeed(speed, 60s)) << args[1];
        ASSERT_TRUE(pair.Send("%123/4\r\n=4903.50N/07201.75W\\088/036/010/819\r\n"));
        ASSERT_TRUE(rx.WaitForOutput(args[1] == "agrelo" ? "123\t0\n" : "10\t0\n", 60s)) << rx.out();
        pair.Disconnect();
        EXPECT_EQ(rx.Wait(60s).exitCode, 1);
    }
}

}  // namespace
}  // namespace vantrel
