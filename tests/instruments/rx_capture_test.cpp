// The direction-finding receiver: line framing, the line fields, the receive loop and the log records.
#include "instruments/rx_capture.hpp"

#include <gtest/gtest.h>

#include "instruments/rx_log.hpp"
#include "test_names.hpp"

#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vantrel::instruments {
namespace {

std::vector<std::string> Lines(std::string_view stream, const std::vector<std::size_t>& cuts = {}) {
    RxLineFramer framer;
    std::vector<std::string> lines;
    auto collect = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    std::size_t start = 0;
    for (const std::size_t cut : cuts) {
        framer.Feed(stream.substr(start, cut - start), collect);
        start = cut;
    }
    framer.Feed(stream.substr(start), collect);
    return lines;
}

TEST(RxLineFramer, LinesEndAtCrLfWhereverTheStreamIsCut) {
    const std::string stream = "A 123.4 dB -45.6\r\nB\rC\nD\r\n\r\nE 7";
    const std::vector<std::string> expected{"A 123.4 dB -45.6", "B\rC\nD", ""};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        EXPECT_EQ(Lines(stream, {cut}), expected) << "cut at " << cut;
    }
    EXPECT_EQ(Lines(stream, {1, 2, 3, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}), expected);
}

TEST(RxLineFramer, OverlongLineIsDroppedUpToItsLineEnd) {
    const std::string longest(RxLineFramer::kMaxLine, 'x');
    EXPECT_EQ(Lines(longest + "\r\nA\r\n"), (std::vector<std::string>{longest, "A"}));
    EXPECT_EQ(Lines(longest + "y\r\nA\r\n"), std::vector<std::string>{"A"});
    EXPECT_EQ(Lines(longest + "y\r\nA\r\n", {4096, 4097, 4098}), std::vector<std::string>{"A"});
    EXPECT_EQ(Lines(std::string(1'000'000, '\r') + "\nA\r\n"), std::vector<std::string>{"A"});
}

struct LineCase {
    const char* name;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
    const char* line;
    const char* shown;
    std::optional<double> bearing;
    double signal;
};

class ReceiverLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ReceiverLineTest, ReadsBearingAtThreeToEightAndSignalAtTwelveToSixteen) {
    const LineCase& c = GetParam();
    for (const char separator : {',', '.'}) {
        const RxLineReading read = ReadReceiverLine(c.line, separator);
        EXPECT_EQ(CommaText(c.line), c.shown);
        EXPECT_EQ(read.bearing, c.bearing);
        if (c.bearing) {
            EXPECT_EQ(read.signal, c.signal);
            for (const double value : {*read.bearing, read.signal}) {
                EXPECT_FALSE(value == 0 && std::signbit(value)) << "a zero has no sign";
            }
        }
    }
}

//                     positions 123456789012345678
INSTANTIATE_TEST_SUITE_P(
    Lines, ReceiverLineTest,
    testing::Values(LineCase{"SignalLosesDecimals", "A 123.4 dB -45.6 X", "A 123,4 dB -45,6 X", 123.4, -45},
                    LineCase{"SignalBlanksSkipped", "A 010.0 dB    5", "A 010,0 dB    5", 10, 5},
                    LineCase{"PositiveSignSignal", "A 359.9 dB +12.7", "A 359,9 dB +12,7", 359.9, 12},
                    LineCase{"SignalBelowOneIsZero", "A -0.0  dB -0.5", "A -0,0  dB -0,5", 0, 0},
                    LineCase{"CommaAlreadyThere", "A 7,25  dB -3", "A 7,25  dB -3", 7.25, -3},
                    LineCase{"ShortLineCutsFields", "A 12", "A 12", 12, 0},
                    LineCase{"NoSignalField", "A 359.9", "A 359,9", 359.9, 0},
                    LineCase{"SignalFieldNotNumber", "A 200   dB  dB", "A 200   dB  dB", 200, 0},
                    LineCase{"BearingNotNumber", "A ERROR dB -45", "A ERROR dB -45", std::nullopt, 0},
                    LineCase{"BearingTwoNumbers", "A 12 34 dB -45", "A 12 34 dB -45", std::nullopt, 0},
                    LineCase{"BearingEmpty", "AB", "AB", std::nullopt, 0},
                    LineCase{"BearingTwoPoints", "A 1.2.3 dB -4", "A 1,2,3 dB -4", std::nullopt, 0},
                    // Numbers that are no bearing are skipped like text; both ends of the circle are filed.
                    LineCase{"BearingZero", "A 0     dB -4", "A 0     dB -4", 0, -4},
                    LineCase{"BearingFullCircle", "A 360.0 dB -4", "A 360,0 dB -4", 360, -4},
                    LineCase{"BearingJustPastTheCircle", "A 360.01dB -4", "A 360,01dB -4", std::nullopt, -4},
                    LineCase{"BearingHuge", "A 1e300 dB -4", "A 1e300 dB -4", std::nullopt, -4},
                    LineCase{"BearingBelowMinusACircle", "A -361.5dB -4", "A -361,5dB -4", std::nullopt, -4},
                    LineCase{"BearingJustBelowZero", "A -0.1  dB -4", "A -0,1  dB -4", std::nullopt, -4}),
    testing_support::ParamName{});

// A receiver capture with its window's table, for station 1 (index 0) unless a test says otherwise.
struct Capture {
    RxCapture capture;
    DataInForm form;
    RxReadings readings;
    int station = 0;

    Capture() { LayoutGrid(form); }
    std::vector<RxLineEvent> Feed(std::string_view bytes) {
        return capture.Feed(bytes, form, readings, station, ',');
    }
};

TEST(RxCapture, DropsWhatArrivesBeforeStartAndTheFirstLineAfterIt) {
    Capture c;
    EXPECT_TRUE(c.Feed("A 001.0 dB -1\r\nA 002.0 dB -2\r\n").empty());
    c.capture.Start();
    // The first line may have begun before the start: it only synchronises.
    const auto events = c.Feed("1.0 dB -1\r\nA 010.5 dB -10\r\nA 020.0 dB -20\r\nA 03");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, RxLineEvent::Kind::Filed);
    EXPECT_EQ(events[0].reading.bearing, 10.5);
    EXPECT_EQ(events[0].reading.signal, -10);
    EXPECT_EQ(events[0].row, 1);
    EXPECT_EQ(events[1].reading.bearing, 20);
    EXPECT_EQ(events[1].row, 2);
    // The rest of the chunk is the start of the next line.
    const auto more = c.Feed("0.0 dB -30\r\n");
    ASSERT_EQ(more.size(), 1u);
    EXPECT_EQ(more[0].reading.bearing, 30);

    EXPECT_EQ(c.form.Grid[1][1], "10,5");
    EXPECT_EQ(c.form.Grid[2][1], "20");
    EXPECT_EQ(c.form.Grid[3][1], "30");
    EXPECT_EQ(c.form.CursorRow, 4);
    EXPECT_EQ(c.form.txtTest, "A 030,0 dB -30");
    EXPECT_EQ(c.form.LastAngle, 30);
    EXPECT_EQ(c.form.LastSignal, -30);
    EXPECT_EQ(c.readings(0, 0, 0), (RxReading{10.5, -10, 1}));
    EXPECT_EQ(c.readings(0, 0, 2), (RxReading{30, -30, 1}));
    EXPECT_EQ(c.readings(0, 0, 3).Valid, 0);
}

TEST(RxCapture, FilesIntoTheActiveFoxAndStationOfTheMoment) {
    Capture c;
    c.capture.Start();
    c.Feed("\r\n");
    ClickFoxOption(c.form, 2);
    c.station = 1;
    c.Feed("A 100.0 dB -1\r\n");
    EXPECT_EQ(c.readings(1, 2, 0), (RxReading{100, -1, 1}));
    EXPECT_EQ(c.form.Grid[1][3], "100");
    EXPECT_EQ(c.readings(0, 2, 0).Valid, 0);
}

TEST(RxCapture, LineWithoutBearingIsShownButNotFiled) {
    Capture c;
    c.capture.Start();
    c.Feed("\r\nA 010.0 dB -1\r\n");
    const auto events = c.Feed("A ERROR dB -9.5\r\n");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, RxLineEvent::Kind::Skipped);
    EXPECT_EQ(events[0].text, "A ERROR dB -9,5");
    EXPECT_EQ(c.form.txtTest, "A ERROR dB -9,5");
    EXPECT_EQ(c.form.CursorRow, 2);
    EXPECT_EQ(c.form.LastAngle, 10);
    EXPECT_EQ(c.form.LastSignal, -1);
    EXPECT_EQ(c.readings(0, 0, 1).Valid, 0);
}

TEST(RxCapture, StopEndsTheLoopAfterTheNextFiledLine) {
    Capture c;
    c.capture.Start();
    c.Feed("\r\n");
    c.capture.RequestStop();
    EXPECT_TRUE(c.capture.running());
    // A skipped line does not end it; the next filed one does, and what follows it is dropped.
    const auto events = c.Feed("A ERROR\r\nA 045.0 dB -4\r\nA 046.0 dB -4\r\n");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].reading.bearing, 45);
    EXPECT_FALSE(c.capture.running());
    EXPECT_FALSE(c.capture.stopRequested());
    EXPECT_TRUE(c.Feed("A 047.0 dB -4\r\n").empty());
    EXPECT_EQ(c.form.CursorRow, 2);
    // Started again, it synchronises again and files from the cursor on.
    c.capture.Start();
    EXPECT_TRUE(c.Feed("A 048.0 dB -4\r\n").empty());
    EXPECT_EQ(c.Feed("A 049.0 dB -4\r\n").size(), 1u);
    EXPECT_EQ(c.form.Grid[2][1], "49");
}

TEST(RxCapture, StartWhileRunningIsIgnored) {
    Capture c;
    c.capture.Start();
    c.Feed("\r\nA 01");
    c.capture.Start();  // no new synchronisation: the line in progress is still filed
    const auto events = c.Feed("0.0 dB -1\r\n");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].reading.bearing, 10);
}

TEST(RxCapture, ClosingTheWindowEndsTheLoopAtOnce) {
    Capture c;
    c.capture.Start();
    c.Feed("\r\nA 01");
    c.capture.End();
    EXPECT_FALSE(c.capture.running());
    EXPECT_TRUE(c.Feed("0.0 dB -1\r\nA 020.0 dB -2\r\n").empty());
}

TEST(RxCapture, RowThirtyTakesEveryFurtherReading) {
    Capture c;
    c.form.CursorRow = 30;
    c.capture.Start();
    c.Feed("\r\nA 100.0 dB -1\r\nA 200.0 dB -2\r\n");
    EXPECT_EQ(c.form.CursorRow, 30);
    EXPECT_EQ(c.form.Grid[30][1], "200");
    EXPECT_EQ(c.readings(0, 0, 29), (RxReading{200, -2, 1}));
    EXPECT_EQ(c.readings(0, 0, 28).Valid, 0);
}

TEST(RxLog, ReadingRecord) {
    EXPECT_EQ(RxLogRecord(0, "24.12.2023", "14:05:09", 123.4, -45, ','),
              "\"P1 24.12.2023 14:05:09   123,4\xB0  -45,0dB\"\r\n");
    EXPECT_EQ(RxLogRecord(1, "12/24/23", "2:05:09 PM", 7.25, 5, '.'),
              "\"P2 12/24/23 2:05:09 PM   007.3\xB0  05.0dB\"\r\n");
    EXPECT_EQ(RxLogRecord(0, "d", "t", 0, 0, ','), "\"P1 d t   000,0\xB0  00,0dB\"\r\n");
}

TEST(RxLog, ClosingRecordIsTwoLinesOfOneQuote) {
    EXPECT_EQ(RxLogClosingRecord(), "\"\r\n\"\r\n");
}

}  // namespace
}  // namespace vantrel::instruments
