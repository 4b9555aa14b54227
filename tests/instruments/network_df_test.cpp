// The network DF server's text: real-looking lines written from the field list (whole, half written, with
// the tail of a longer earlier frame), and lines written by FormatDfLine read back unchanged.
#include "instruments/network_df.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>

#include "test_names.hpp"

namespace vantrel::instruments {
namespace {

// 360 spectrum values as a server writes them (a peak at 134 degrees), with the comma before them.
std::string Spectrum(int count = 360) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += i == 134 ? ",1.0" : (i % 7 == 0 ? ",0" : ",0.125");
    }
    return text;
}

const std::string kHead = "1765200000000,134,0.85,-62.5,144500000,UCA,250,car1,0,0,,,GPS,R,R,R,R";
const std::string kPlaced =
    "1765200000500,134.0,12.5,-40,144500000.0,ULA,180.5,kd1,50.1234567,-9.5,90.5,90.5,GPS,R,R,R,R";

struct DfCase {
    const char* name;
    friend void PrintTo(const DfCase& c, std::ostream* os) { *os << c.name; }
    std::string body;
    std::size_t channels;
    std::size_t skipped;
    // The first channel returned (when there is one).
    double bearing = 0;
    double frequencyHz = 0;
    std::optional<double> lat = {}, lon = {}, heading = {};
    std::size_t spectrum = 360;
    const char* problem = "";  // part of the first problem's text
};

class DfTextTest : public testing::TestWithParam<DfCase> {};

TEST_P(DfTextTest, ReadsOrSkipsTheLines) {
    const DfCase& c = GetParam();
    const DfText text = ParseDfText(c.body);
    ASSERT_EQ(text.channels.size(), c.channels);
    EXPECT_EQ(text.skipped, c.skipped);
    ASSERT_EQ(text.problems.size(), c.skipped);
    if (c.skipped > 0) {
        EXPECT_NE(text.problems.front().find(c.problem), std::string::npos) << text.problems.front();
    }
    if (c.channels > 0) {
        const DfChannel& first = text.channels.front();
        EXPECT_EQ(first.bearing, c.bearing);
        EXPECT_EQ(first.frequencyHz, c.frequencyHz);
        EXPECT_EQ(first.lat, c.lat);
        EXPECT_EQ(first.lon, c.lon);
        EXPECT_EQ(first.heading, c.heading);
        EXPECT_EQ(first.spectrum.size(), c.spectrum);
    }
}

const std::string kTwoChannels = kHead + Spectrum() + "\n" +
                                 "1765200000000,271.5,0.4,-70,145000000,UCA,250,car1,0,0,,,GPS,R,R,R,R" +
                                 Spectrum() + "\n";

// One row a line: body, channels, skipped, then the first channel's bearing, frequency, lat, lon,
// heading and spectrum size, or the first problem.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, DfTextTest,
    testing::Values(
        DfCase{"IntegersNoPositionNoHeading", kHead + Spectrum() + "\n", 1, 0, 134, 144500000},
        DfCase{"DecimalsPositionHeading", kPlaced + Spectrum(), 1, 0, 134, 144500000, 50.1234567, -9.5, 90.5},
        DfCase{"CrLfAndBlankLines", "\r\n" + kHead + Spectrum() + "\r\n\r\n", 1, 0, 134, 144500000},
        DfCase{"TwoChannelsOfOneFrame", kTwoChannels, 2, 0, 134, 144500000},
        DfCase{"FullCircleIsNorth", "1765200000000,360,0.85,-62.5,144500000,UCA,250,car1,0,0,,,GPS,R,R,R,R" + Spectrum(), 1, 0, 0, 144500000},
        DfCase{"EquatorIsAPlace", "1765200000000,10,0.85,-62.5,144500000,UCA,250,car1,0,7.25,,,GPS,R,R,R,R", 1, 0, 10, 144500000, 0.0, 7.25, std::nullopt, 0},
        DfCase{"HalfWritten", "1765200000000,134,0.85,-62.5,1445", 0, 1, 0, 0, {}, {}, {}, 0, "fewer than 17"},
        DfCase{"NoGpsInItsPlace", "1765200000000,134,0.85,-62.5,144500000,UCA,250,car1,0,0,5,5,5,GPS,R,R,R" + Spectrum(), 0, 1, 0, 0, {}, {}, {}, 0, "GPS"},
        DfCase{"BearingNotANumber", "1765200000000,1x4,0.85,-62.5,144500000,UCA,250,car1,0,0,,,GPS,R,R,R,R" + Spectrum(), 0, 1, 0, 0, {}, {}, {}, 0, "bearing is not"},
        DfCase{"BearingAboveFullCircle", "1765200000000,360.5,0.85,-62.5,144500000,UCA,250,car1,0,0,,,GPS,R,R,R,R", 0, 1, 0, 0, {}, {}, {}, 0, "outside 0..360"},
        DfCase{"FrequencyEmpty", "1765200000000,134,0.85,-62.5,,UCA,250,car1,0,0,,,GPS,R,R,R,R", 0, 1, 0, 0, {}, {}, {}, 0, "frequency is not"},
        // A shorter frame written over a longer one: the older frame's last line shows behind it, cut.
        DfCase{"TailOfLongerFrameCut", kHead + Spectrum() + "\n" + "125,0.125,0.125,1.0,0,0.125\n", 1, 1, 134, 144500000, {}, {}, {}, 360, "line 2: fewer than 17"},
        // The new frame's last line without its line end runs on into the older frame's spectrum.
        DfCase{"TailRunOnIntoSpectrum", kHead + Spectrum() + Spectrum(40).substr(1) + "\n", 0, 1, 0, 0, {}, {}, {}, 0, "more than 360"},
        // A whole line of the earlier, longer frame left behind the new one.
        DfCase{"WholeLineOfEarlierFrame", kPlaced + Spectrum() + "\n" + kHead + Spectrum() + "\n", 1, 1, 134, 144500000, 50.1234567, -9.5, 90.5, 360, "line 2: older than the frame"}),
    testing_support::ParamName{});
// clang-format on

// Lines written by FormatDfLine, with seeded values across every field's range, read back unchanged.
TEST(DfTextRoundTrip, FormattedChannelsReadBackUnchanged) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int trial = 0; trial < 200; ++trial) {
        DfChannel c;
        c.timeMs = 1765200000000 + trial;
        c.bearing = std::floor(unit(random) * 3600) / 10;
        c.confidence = unit(random) * 20;
        c.powerDb = -unit(random) * 120;
        c.frequencyHz = 144e6 + std::floor(unit(random) * 4e6);
        c.arrayType = trial % 2 == 0 ? "UCA" : "ULA";
        c.latencyMs = std::floor(unit(random) * 1000);
        c.stationId = "st" + std::to_string(trial);
        if (trial % 3 != 0) {
            c.lat = unit(random) * 180 - 90;
            c.lon = unit(random) * 360 - 180;
        }
        if (trial % 4 != 0) {
            c.heading = unit(random) * 360;
        }
        c.spectrum.resize(static_cast<std::size_t>(trial % 2 == 0 ? 360 : trial % 5));
        for (double& value : c.spectrum) {
            value = unit(random) * 1e-6;  // tiny values: written without exponent all the same
        }
        const DfText text = ParseDfText(FormatDfLine(c) + "\n");
        ASSERT_EQ(text.channels.size(), 1u) << FormatDfLine(c);
        EXPECT_EQ(text.channels.front(), c) << FormatDfLine(c);
    }
}

}  // namespace
}  // namespace vantrel::instruments
