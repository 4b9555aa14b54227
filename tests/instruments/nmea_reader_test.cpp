// Framing of the GPS receiver's byte stream and the validation of RMC sentences.
#include "instruments/nmea_reader.hpp"

#include <gtest/gtest.h>

#include "test_names.hpp"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vantrel::instruments {
namespace {

std::vector<std::string> FrameInChunks(std::string_view stream, const std::vector<std::size_t>& cuts) {
    NmeaFramer framer;
    std::vector<std::string> sentences;
    std::size_t start = 0;
    auto collect = [&](std::string_view sentence) {
        sentences.emplace_back(sentence);
        return true;
    };
    for (const std::size_t cut : cuts) {
        framer.Feed(stream.substr(start, cut - start), collect);
        start = cut;
    }
    framer.Feed(stream.substr(start), collect);
    return sentences;
}

std::vector<std::string> Frame(std::string_view stream) {
    return FrameInChunks(stream, {});
}

const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const std::string kGga = "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*7B";

TEST(NmeaFramer, SameSentencesWhereverTheStreamIsCut) {
    const std::string stream = "tail of an earlier line\r\n" + kGga + "\r\n\x01\xff" + kRmc + "\r\r\n" + kGga;
    const std::vector<std::string> whole{kGga, kRmc};  // the last sentence has no line end yet
    ASSERT_EQ(Frame(stream), whole);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        EXPECT_EQ(FrameInChunks(stream, {cut}), whole) << "cut at " << cut;
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < stream.size(); ++i) {
        everyByte.push_back(i);
    }
    EXPECT_EQ(FrameInChunks(stream, everyByte), whole);
}

TEST(NmeaFramer, EveryCrBeforeTheLineFeedIsDropped) {
    EXPECT_EQ(Frame(kRmc + "\r\n"), std::vector<std::string>{kRmc});
    EXPECT_EQ(Frame(kRmc + "\r\r\n"), std::vector<std::string>{kRmc});
    EXPECT_EQ(Frame(kRmc + "\n"), std::vector<std::string>{kRmc});
    // A CR that is not at the line end stays in the sentence (and will spoil its checksum).
    EXPECT_EQ(Frame(kRmc + "\r" + kGga + "\n"), (std::vector<std::string>{kRmc + "\r", kGga}));
}

TEST(NmeaFramer, SentencesRunTogetherAreSplitAtEachDollar) {
    EXPECT_EQ(Frame(kGga + kRmc + "\r\n"), (std::vector<std::string>{kGga, kRmc}));
    // A doubled "$$" gives a sentence of just "$" before the real one.
    EXPECT_EQ(Frame("$" + kRmc + "\r\n"), (std::vector<std::string>{"$", kRmc}));
}

TEST(NmeaFramer, BinaryRecordsBetweenAndBeforeSentences) {
    std::string binary;
    for (int b = 0; b < 256; ++b) {
        if (b != '$') {
            binary.push_back(static_cast<char>(b));  // the LF inside ends nothing: no sentence is open
        }
    }
    EXPECT_EQ(Frame(binary + kRmc + "\r\n" + binary + binary + kGga + "\r\n"),
              (std::vector<std::string>{kRmc, kGga}));
    // Binary after a '$' on the same line belongs to that sentence up to the line end.
    EXPECT_EQ(Frame("$\xb5\x62\x01\n" + kRmc + "\n"), (std::vector<std::string>{"$\xb5\x62\x01", kRmc}));
}

TEST(NmeaFramer, LongGarbageWithoutDollarIsSkipped) {
    const std::string garbage(3'000'000, 'x');
    EXPECT_EQ(Frame(garbage + "\n" + garbage + kRmc + "\n"), std::vector<std::string>{kRmc});
}

TEST(NmeaFramer, OverlongSentenceIsDroppedAndFramingResynchronises) {
    const std::string longest = "$" + std::string(NmeaFramer::kMaxSentence - 1, 'A');
    const std::string tooLong = longest + "A";
    EXPECT_EQ(Frame(longest + "\n"), std::vector<std::string>{longest});
    EXPECT_EQ(Frame(tooLong + "\n" + kRmc + "\n"), std::vector<std::string>{kRmc});
    EXPECT_EQ(Frame(tooLong + std::string(100'000, 'A') + kRmc + "\n"), std::vector<std::string>{kRmc});
    EXPECT_EQ(FrameInChunks(tooLong + kRmc + "\n", {1000, 4000, 4096, 4097}), std::vector<std::string>{kRmc});
}

TEST(NmeaFramer, StopsWhenTheCallerHasWhatItWants) {
    NmeaFramer framer;
    std::vector<std::string> seen;
    framer.Feed(kGga + "\n" + kRmc + "\n" + kGga + "\n", [&](std::string_view s) {
        seen.emplace_back(s);
        return seen.size() < 2;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{kGga, kRmc}));
}

struct RmcCase {
    const char* name;
    friend void PrintTo(const RmcCase& c, std::ostream* os) { *os << c.name; }
    std::string sentence;
    std::optional<double> latitude;  // nullopt: the sentence is not accepted
    double longitude = 0;
};

class ParseRmcTest : public testing::TestWithParam<RmcCase> {};

TEST_P(ParseRmcTest, AcceptsOnlyValidPositions) {
    const RmcCase& c = GetParam();
    const auto fix = ParseRmc(c.sentence);
    if (!c.latitude) {
        EXPECT_FALSE(fix.has_value());
        return;
    }
    ASSERT_TRUE(fix.has_value());
    EXPECT_NEAR(fix->latitude, *c.latitude, 1e-12);
    EXPECT_NEAR(fix->longitude, c.longitude, 1e-12);
    EXPECT_EQ(fix->sentence, c.sentence);
}

// Checksums were worked out separately; positions by hand: minutes / 60 + degrees.
INSTANTIATE_TEST_SUITE_P(
    Sentences, ParseRmcTest,
    testing::Values(
        RmcCase{"TextbookExample", kRmc, 48.1173, 11.0 + 31.0 / 60},
        RmcCase{"NoChecksumAccepted", "$GPRMC,1,A,4807.038,N,01131.000,E,,,,", 48.1173, 11.0 + 31.0 / 60},
        RmcCase{"LowercaseHexDigits", "$GNRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*7c",
                -(37 + 51.65 / 60), 145 + 7.36 / 60},
        RmcCase{"SouthAndGlonass", "$GLRMC,081836,A,3751.65,S,14507.36,W,000.0,360.0,130998,011.3,E*6C",
                -(37 + 51.65 / 60), -(145 + 7.36 / 60)},
        RmcCase{"Galileo", "$GARMC,1,A,0000.0000,N,00900.0000,E,,,,*18", 0.0, 9.0},
        RmcCase{"BeiDouBD", "$BDRMC,1,A,4807.038,N,01131.000,E,,,,*13", 48.1173, 11.0 + 31.0 / 60},
        RmcCase{"BeiDouGB", "$GBRMC,1,A,4807.038,N,01131.000,E,,,,*10", 48.1173, 11.0 + 31.0 / 60},
        RmcCase{"NoMinuteDecimals", "$GPRMC,1,A,4807,N,01131,E,,,,*09", 48 + 7.0 / 60, 11 + 31.0 / 60},
        RmcCase{"EightMinuteDecimals", "$GPRMC,1,A,4807.03812345,N,01131.00000001,E,,,,*02", 48.1173020575,
                11.516666666833333},
        RmcCase{"FiveDecimalsLangen", "$GPRMC,1,A,5000.14318,N,00838.63715,E,,,,*0F", 50.002386333333333,
                8.6439525},
        RmcCase{"LastFieldWithoutComma", "$GPRMC,1,A,4807.038,N,01131.000,E*02", 48.1173, 11.0 + 31.0 / 60},
        RmcCase{"WrongChecksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B",
                std::nullopt},
        RmcCase{"OneChecksumDigit", "$GPRMC,1,A,4807.038,N,01131.000,E,,,,*2", std::nullopt},
        RmcCase{"BlankAfterChecksum", kRmc + " ", std::nullopt},
        RmcCase{"CrAfterChecksum", kRmc + "\r", std::nullopt},
        RmcCase{"StarWithoutDigits", "$GPRMC,1,A,4807.038,N,01131.000,E,,,,*", std::nullopt},
        RmcCase{"StatusV", "$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7D",
                std::nullopt},
        RmcCase{"StatusEmpty", "$GPRMC,1,,4807.038,N,01131.000,E,,,,*43", std::nullopt},
        RmcCase{"NoFixEmptyFields", "$GPRMC,,V,,,,,,,,,,N*53", std::nullopt},
        RmcCase{"OtherTalker", "$INRMC,1,A,4807.038,N,01131.000,E,,,,*12", std::nullopt},
        RmcCase{"OtherSentence", "$GPRMB,1,A,4807.038,N,01131.000,E,,,,*03", std::nullopt},
        RmcCase{"NotRmc", kGga, std::nullopt},
        RmcCase{"LatitudeThreeDigits", "$GPRMC,1,A,807.038,N,01131.000,E,,,,*36", std::nullopt},
        RmcCase{"LatitudeFiveDigits", "$GPRMC,1,A,04807.038,N,01131.000,E,,,,*32", std::nullopt},
        RmcCase{"LongitudeFourDigits", "$GPRMC,1,A,4807.038,N,1131.000,E,,,,*32", std::nullopt},
        RmcCase{"PointWithoutDecimals", "$GPRMC,1,A,4807.,N,01131.000,E,,,,*39", std::nullopt},
        RmcCase{"LetterInLatitude", "$GPRMC,1,A,48O7.038,N,01131.000,E,,,,*7D", std::nullopt},
        RmcCase{"SignInMinutes", "$GPRMC,1,A,4807.0-8,N,01131.000,E,,,,*1C", std::nullopt},
        RmcCase{"LatitudeEmpty", "$GPRMC,1,A,,N,01131.000,E,,,,*1C", std::nullopt},
        RmcCase{"LowercaseHemisphere", "$GPRMC,1,A,4807.038,n,01131.000,E,,,,*22", std::nullopt},
        RmcCase{"LowercaseEastWest", "$GPRMC,1,A,4807.038,N,01131.000,e,,,,*22", std::nullopt},
        RmcCase{"TwoLetterHemisphere", "$GPRMC,1,A,4807.038,NS,01131.000,E,,,,*51", std::nullopt},
        RmcCase{"EastWestFieldMissing", "$GPRMC,1,A,4807.038,N,01131.000*6B", std::nullopt},
        RmcCase{"NorthPoleAndDateLine", "$GPRMC,1,A,9000.000,N,18000.000,W,,,,", 90.0, -180.0},
        RmcCase{"MinutesJustBelowSixty", "$GPRMC,1,A,4859.9999,N,17959.9999,E,,,,", 48 + 59.9999 / 60,
                179 + 59.9999 / 60},
        RmcCase{"LatitudeOf91Degrees", "$GPRMC,1,A,9100.00000,N,01131.000,E,,,,", std::nullopt},
        RmcCase{"LatitudeJustBeyondThePole", "$GPRMC,1,A,9000.001,S,01131.000,E,,,,", std::nullopt},
        RmcCase{"LatitudeMinutesOfSixty", "$GPRMC,1,A,4860.000,N,01131.000,E,,,,", std::nullopt},
        RmcCase{"LatitudeMinutesOf99", "$GPRMC,1,A,4899.5,N,01131.000,E,,,,", std::nullopt},
        RmcCase{"LongitudeMinutesOfSixty", "$GPRMC,1,A,4807.038,N,01160.0,E,,,,", std::nullopt},
        RmcCase{"LongitudeOf181Degrees", "$GPRMC,1,A,4807.038,N,18100.000,W,,,,", std::nullopt},
        RmcCase{"LongitudeJustBeyondTheDateLine", "$GPRMC,1,A,4807.038,N,18000.0001,E,,,,", std::nullopt},
        RmcCase{"LongitudeOf999Degrees", "$GPRMC,1,A,4807.038,N,99959.999,E,,,,", std::nullopt},
        RmcCase{"MissingDollar", "GPRMC,1,A,4807.038,N,01131.000,E,,,,", std::nullopt},
        RmcCase{"OnlyTheDollar", "$", std::nullopt}),
    testing_support::ParamName{});

TEST(ParseRmc, KeepsTheHemisphereLettersAsReceived) {
    const auto fix = ParseRmc("$GLRMC,081836,A,3751.65,S,14507.36,W,000.0,360.0,130998,011.3,E*6C");
    ASSERT_TRUE(fix.has_value());
    EXPECT_EQ(fix->hemisphere, 'S');
    EXPECT_EQ(fix->eastWest, 'W');
}

}  // namespace
}  // namespace vantrel::instruments
