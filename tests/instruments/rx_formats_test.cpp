// The receivers' formats: lines per format, framing at CR, LF and CR LF, the circular mean, and the capture
// filing one mean per interval (nothing while no fox is on the air).
#include "instruments/rx_formats.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "instruments/bearing_mean.hpp"
#include "instruments/rx_capture.hpp"
#include "instruments/rx_log.hpp"
#include "test_names.hpp"

namespace vantrel::instruments {
namespace {

struct FormatCase {
    const char* name;
    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
    RxFormat format;
    const char* line;
    std::optional<double> bearing;
    std::optional<int> quality;
};

class FormatLineTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatLineTest, ReadsBearingAndQuality) {
    const FormatCase& c = GetParam();
    const RxLineReading read = RxReader(c.format).Read(c.line);
    EXPECT_EQ(read.bearing, c.bearing);
    EXPECT_EQ(read.signal, 0);
    EXPECT_EQ(read.quality, c.bearing ? c.quality : std::nullopt);
}

constexpr auto A = RxFormat::Agrelo;
constexpr auto K = RxFormat::Kn5r;
constexpr auto P = RxFormat::Aprs;

INSTANTIATE_TEST_SUITE_P(
    Lines, FormatLineTest,
    testing::Values(
        FormatCase{"AgreloExample", A, "%270/7", 270.0, 7}, FormatCase{"AgreloNorth", A, "%000/0", 0.0, 0},
        FormatCase{"AgreloFullCircleFiled", A, "%360/5", 360.0, 5},
        FormatCase{"AgreloAboveFullCircle", A, "%361/5", std::nullopt, {}},
        FormatCase{"AgreloNmeaSkipped",
                   A,
                   "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*6A",
                   std::nullopt,
                   {}},
        FormatCase{"AgreloTwoDigits", A, "%27/7", std::nullopt, {}},
        FormatCase{"AgreloTwoQualityDigits", A, "%270/77", std::nullopt, {}},
        FormatCase{"AgreloNoSlash", A, "%270-7", std::nullopt, {}},
        FormatCase{"AgreloSign", A, "%-10/7", std::nullopt, {}},
        FormatCase{"Kn5rExample", K, "C2705,7350,0412,0000123456", 270.5, 7},
        FormatCase{"Kn5rFullCircle", K, "C3600,0999,0000,4294967295", 360.0, 0},
        FormatCase{"Kn5rAboveFullCircle", K, "C3601,5000,0000,0000000000", std::nullopt, {}},
        FormatCase{"Kn5rShort", K, "C2705,7350,0412,000012345", std::nullopt, {}},
        FormatCase{"Kn5rLong", K, "C2705,7350,0412,00001234567", std::nullopt, {}},
        FormatCase{"Kn5rOtherSentence", K, "X2705,7350,0412,0000123456", std::nullopt, {}},
        FormatCase{"Kn5rNotDigits", K, "C27.5,7350,0412,0000123456", std::nullopt, {}},
        FormatCase{"Kn5rPackedExample", K, "C2705735041000000000123456", 270.5, 7},
        FormatCase{"Kn5rPackedFullCircle", K, "C3600099000999999999999999", 360.0, 0},
        FormatCase{"Kn5rPackedNorthSteadiest", K, "C0000999999000000000000000", 0.0, 9},
        FormatCase{"Kn5rPackedAboveFullCircle", K, "C3601500000000000000000000", std::nullopt, {}},
        FormatCase{"Kn5rPackedShort", K, "C270573504100000000000000", std::nullopt, {}},
        FormatCase{"Kn5rPackedOneDigitTooMany", K, "C12340560781700000000123456", std::nullopt, {}},
        FormatCase{"Kn5rPackedCounterNotDigits", K, "C2705735041000000000I23456", std::nullopt, {}},
        FormatCase{"Kn5rPackedBearingSign", K, "C-705735041000000000123456", std::nullopt, {}},
        FormatCase{"Kn5rPackedMagnitudeBlank", K, "C2705 35041000000000123456", std::nullopt, {}},
        FormatCase{"Kn5rCommaAfterBearingOnly", K, "C2705,73504100000000012345", std::nullopt, {}},
        FormatCase{"AprsExample", P, "=4903.50N/07201.75W\\088/036/270/729", 270.0, 9},
        FormatCase{"AprsFromTnc", P, "DF1ABC-9>APRS,WIDE1-1:=4903.50N/07201.75W\\088/036/270/729 fox", 270.0,
                   9},
        FormatCase{"AprsTimeStamp", P, "@092345z4903.50N/07201.75W\\088/036/045/813", 45.0, 3},
        FormatCase{"AprsCourseUnknown", P, "!4903.50S/07201.75E\\.../.../360/819", 360.0, 9},
        FormatCase{"AprsAmbiguousPosition", P, "=4903.  N/07201.  W\\088/036/001/551", 1.0, 1},
        FormatCase{"AprsNoHits", P, "=4903.50N/07201.75W\\088/036/270/029", std::nullopt, {}},
        FormatCase{"AprsAboveFullCircle", P, "=4903.50N/07201.75W\\088/036/361/729", std::nullopt, {}},
        FormatCase{"AprsWithoutDfExtension", P, "=4903.50N/07201.75W\\088/036", std::nullopt, {}},
        FormatCase{"AprsBadHemisphere", P, "=4903.50X/07201.75W\\088/036/270/729", std::nullopt, {}},
        FormatCase{"AprsLatitudeBeyondThePole", P, "=9903.50N/07201.75W\\088/036/270/729", std::nullopt, {}},
        FormatCase{
            "AprsLatitudeJustPastThePole", P, "=9000.01S/07201.75W\\088/036/270/729", std::nullopt, {}},
        FormatCase{"AprsAtThePole", P, "=9000.00N/18000.00W\\088/036/270/729", 270.0, 9},
        FormatCase{"AprsLongitudeBeyond180", P, "=4903.50N/18100.00W\\088/036/270/729", std::nullopt, {}},
        FormatCase{"AprsMinutesOf60", P, "=4960.00N/07201.75W\\088/036/270/729", std::nullopt, {}},
        FormatCase{"AprsFourDigitNrq", P, "=4903.50N/07201.75W\\088/036/270/7291", std::nullopt, {}},
        FormatCase{"AprsMessage",
                   P,
                   "DF1ABC>APRS::DF1XYZ   :=4903.50N/07201.75W\\088/036/270/729",
                   std::nullopt,
                   {}},
        FormatCase{"AprsNoInformation", P, "DF1ABC>APRS", std::nullopt, {}}),
    testing_support::ParamName{});

TEST(RxFormatTable, EveryRowIsFoundByItsNameAndItsFormat) {
    for (const RxFormatDescriptor& row : RxFormats()) {
        EXPECT_EQ(ParseRxFormat(row.name), row.format) << row.name;
        EXPECT_EQ(&Describe(row.format), &row) << row.name;
        EXPECT_EQ(row.streaming, row.format != RxFormat::Fixed) << row.name;
    }
    EXPECT_EQ(RxFormatNames("|"), "fixed|agrelo|kn5r|aprs");
    EXPECT_EQ(RxFormatNames(", ", " or "), "fixed, agrelo, kn5r or aprs");
    EXPECT_EQ(RxFormats().front().format, RxFormat::Fixed);  // the default comes first
}

std::vector<std::string> Frame(RxFormat format, std::string_view stream, std::size_t cut) {
    RxReader reader(format);
    std::vector<std::string> lines;
    const auto collect = [&](std::string_view line, const RxLineReading&) {
        lines.emplace_back(line);
        return true;
    };
    reader.Feed(stream.substr(0, cut), collect);
    reader.Feed(stream.substr(cut), collect);
    return lines;
}

TEST(AnyLineEndFramer, LinesEndAtCrLfOrCrLfWhereverTheStreamIsCut) {
    const std::string stream = "%270/7\r%271/7\n%272/7\r\n\r\n\n%273/7\n%27";
    const std::vector<std::string> expected{"%270/7", "%271/7", "%272/7", "%273/7"};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        EXPECT_EQ(Frame(RxFormat::Agrelo, stream, cut), expected) << "cut at " << cut;
    }
    // The fixed format keeps its CR LF framing.
    EXPECT_EQ(Frame(RxFormat::Fixed, "A\rB\nC\r\n", 3), std::vector<std::string>{"A\rB\nC"});
}

TEST(AnyLineEndFramer, OverlongLineIsDroppedUpToItsLineEnd) {
    const std::string longest(AnyLineEndFramer::kMaxLine, 'x');
    EXPECT_EQ(Frame(RxFormat::Kn5r, longest + "\nA\n", 100), (std::vector<std::string>{longest, "A"}));
    EXPECT_EQ(Frame(RxFormat::Kn5r, longest + "y\nA\n", 0), std::vector<std::string>{"A"});
    EXPECT_EQ(Frame(RxFormat::Kn5r, longest + "y\nA\n", 4097), std::vector<std::string>{"A"});
    EXPECT_EQ(Frame(RxFormat::Kn5r, std::string(1'000'000, 'z') + "\rA\n", 500'000),
              std::vector<std::string>{"A"});
}

TEST(BearingMean, CircularMeanAcrossNorth) {
    const auto mean = [](std::initializer_list<double> bearings) {
        BearingMean m;
        for (const double b : bearings) {
            m.Add(b, std::nullopt);
        }
        return m.Mean();
    };
    EXPECT_EQ(mean({350, 10}), 0.0);
    EXPECT_EQ(mean({359, 358, 0}), 359.0);
    EXPECT_EQ(mean({360}), 360.0);  // a lone reading is filed as it came
    EXPECT_EQ(mean({0, 90}), 45.0);
    EXPECT_FALSE(mean({0, 180}));  // they point nowhere
    EXPECT_FALSE(mean({}));
    BearingMean q;
    q.Add(1, 7);
    q.Add(2, 8);
    q.Add(3, std::nullopt);
    EXPECT_EQ(q.Quality(), 8);  // 7.5 rounds up
}

struct StreamingCapture : testing::Test {
    DataInForm form;
    RxReadings readings;
    RxCapture capture;
    void SetUp() override {
        LayoutGrid(form);
        capture.SetFormat(RxFormat::Agrelo, 1);
        capture.Start();
        capture.Feed("tail\r\n", form, readings, 0, ',', 9);  // synchronises
    }
    std::vector<RxLineEvent> Feed(std::string_view bytes, double now) {
        return capture.Feed(bytes, form, readings, 0, ',', now);
    }
};

TEST_F(StreamingCapture, FilesTheCircularMeanOfEachInterval) {
    EXPECT_EQ(Feed("%350/8\r\n$GPGGA,1\r\n%010/6\r\n", 10.0).size(), 3U);
    EXPECT_EQ(readings(0, 0, 0).Valid, 0);  // collected, not filed yet
    EXPECT_EQ(capture.IntervalEnd(), 11.0);
    EXPECT_EQ(form.txtTest, "%010/6  Q6");
    const auto events = Feed("%100/3\r\n", 11.0);  // the interval is over: its mean first
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].kind, RxLineEvent::Kind::Filed);
    EXPECT_EQ(events[0].reading.bearing, 0.0);
    EXPECT_EQ(events[0].reading.quality, 7);
    EXPECT_EQ(events[1].kind, RxLineEvent::Kind::Collected);
    EXPECT_EQ(readings(0, 0, 0), (RxReading{0, 0, 1}));
    EXPECT_EQ(form.Grid[1][1], "0");
    // No more lines: the caller ends the interval when its time is up.
    const auto last = capture.EndInterval(form, readings, 0, ',');
    ASSERT_TRUE(last);
    EXPECT_EQ(last->row, 2);
    EXPECT_EQ(form.Grid[2][1], "100");
    EXPECT_FALSE(capture.EndInterval(form, readings, 0, ','));
}

TEST_F(StreamingCapture, NothingIsFiledOrCollectedWhileNoFoxIsOnTheAir) {
    capture.SetOnAir(false);
    const auto events = Feed("%123/4\r\n", 10.0);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].kind, RxLineEvent::Kind::NotOnAir);
    EXPECT_EQ(form.txtTest, "%123/4  Q4");
    EXPECT_FALSE(capture.IntervalEnd());
    EXPECT_FALSE(capture.EndInterval(form, readings, 0, ','));
    EXPECT_EQ(form.Grid[1][1], "");
}

TEST_F(StreamingCapture, StopEndsTheLoopAfterTheNextFiledMean) {
    Feed("%200/5\n", 10.0);
    capture.RequestStop();
    Feed("%210/5\n", 10.5);
    EXPECT_TRUE(capture.running());
    Feed("%220/5\n%230/5\n", 11.2);
    EXPECT_FALSE(capture.running());
    EXPECT_EQ(form.Grid[1][1], "205");
    EXPECT_EQ(form.Grid[2][1], "");
}

TEST(RxLogRecord, QualityFollowsTheDecibels) {
    EXPECT_EQ(RxLogRecord(0, "24.12.2023", "14:05:09", 270, 0, ',', 7),
              "\"P1 24.12.2023 14:05:09   270,0\xB0  00,0dB Q7\"\r\n");
}

}  // namespace
}  // namespace vantrel::instruments
