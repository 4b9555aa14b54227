// vantrel-cli replay --at: the fixes at a time are exactly what locate --log prints for the log cut at that
// time by hand here (its header and truth lines, and every line whose time is at or before it; the log's
// UTC texts sort as their times do). The log is the example drive, simulated, with an edit appended.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <sstream>
#include <string>

#include "cli_test.hpp"
#include "file_bytes.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::testing_support {
namespace {

// The lines of `log` a reader would have seen at `time` (the same text form as the log's times).
std::string CutAt(const std::string& log, const std::string& time) {
    std::istringstream lines(log);
    std::string cut;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("\"time\":\"");
        if (at == std::string::npos || line.substr(at + 8, time.size()) <= time) {
            cut += line + "\n";
        }
    }
    return cut;
}

// An example scenario simulated into the folder's drive.fhl.
std::string SimulatedLog(const TempDir& dir, const std::string& example = "drive-around-fox.json") {
    const std::string log = (dir / "drive.fhl").string();
    EXPECT_EQ(
        RunCli({"simulate", std::string(VANTREL_SOURCE_DIR) + "/examples/" + example, "--log", log}).exitCode,
        0);
    return log;
}

struct ReplayCase {
    const char* name;
    const char* at;       // as given to replay
    const char* cutTime;  // the same time as the log writes it (the drive starts at 14:00:00.000)
    int exitCode;
};

class ReplayAt : public ::testing::TestWithParam<ReplayCase> {};

TEST_P(ReplayAt, PrintsWhatLocatePrintsForTheLogCutThere) {
    const TempDir dir;
    const std::string log = SimulatedLog(dir);
    ASSERT_EQ(RunCli({"log", log, "--ignore", "5"}).exitCode, 0);  // an edit made now, after the drive
    WriteBytes(dir / "cut.fhl", CutAt(ReadBytes(dir / "drive.fhl"), GetParam().cutTime));

    const ProcessResult replay = RunCli({"replay", log, "--at", GetParam().at, "--method", "huber"});
    const ProcessResult locate = RunCli({"locate", "--log", (dir / "cut.fhl").string(), "--method", "huber"});
    EXPECT_EQ(replay.exitCode, GetParam().exitCode) << replay.err;
    EXPECT_EQ(locate.exitCode, GetParam().exitCode) << locate.err;
    EXPECT_EQ(replay.out, locate.out);
}

INSTANTIATE_TEST_SUITE_P(
    Times, ReplayAt,
    ::testing::Values(ReplayCase{"OneBearingOnly", "+0.5", "2026-12-08T14:00:00.500Z", 1},
                      ReplayCase{"FoxOneAlone", "+30", "2026-12-08T14:00:30.000Z", 0},
                      ReplayCase{"BothFoxes", "+150", "2026-12-08T14:02:30.000Z", 0},
                      ReplayCase{"UtcTime", "2026-12-08T14:07:30.250Z", "2026-12-08T14:07:30.250Z", 0},
                      ReplayCase{"AfterTheEdit", "2100-01-01T00:00:00Z", "2100-01-01T00:00:00.000Z", 0}),
    ParamName{});

TEST(Replay, PlotIsAPngWithOnePanelPerFox) {
    const TempDir dir;
    const std::string log = SimulatedLog(dir);
    struct Case {
        std::vector<std::string> extra;
        int height;
    };
    for (const Case& c : {Case{{}, 720}, Case{{"--fox", "2"}, 360}}) {
        const std::string png = (dir / "settle.png").string();
        std::vector<std::string> args{"replay", log, "--plot", png};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const ProcessResult plotted = RunCli(args);
        ASSERT_EQ(plotted.exitCode, 0) << plotted.err;
        EXPECT_EQ(plotted.out, "");
        const QImage image(QString::fromStdString(png));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), 1200);
        EXPECT_EQ(image.height(), c.height);
    }
}

TEST(Replay, RefusesAMissingOrWrongTimeAndAPlotThatIsNoPng) {
    const TempDir dir;
    const std::string log = SimulatedLog(dir, "fixed-stations.json");
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "replay needs --at TIME or --plot"},
        {{"--at", "+-5"}, "--at must be a UTC time"},
        {{"--plot", (dir / "settle.jpg").string()}, "ending in .png"}};
    for (const auto& [extra, message] : rows) {
        std::vector<std::string> args{"replay", log};
        args.insert(args.end(), extra.begin(), extra.end());
        const ProcessResult refused = RunCli(args);
        EXPECT_EQ(refused.exitCode, 2) << message;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}

}  // namespace
}  // namespace vantrel::testing_support
