// SPDX-License-Identifier: GPL-3.0-or-later
// Angles typed as decimal degrees or degrees, minutes and seconds. Values worked out by hand:
// 52 deg 31 min 12.5 s = 52 + 31/60 + 12.5/3600 = 52.520138888...
#include "geodesy/angle_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "test_names.hpp"

namespace vantrel::geodesy {
namespace {

constexpr auto kLat = AngleAxis::Latitude;
constexpr auto kLon = AngleAxis::Longitude;
constexpr double kBerlin = 52.0 + 31.0 / 60 + 12.5 / 3600;

struct AngleCase {
    const char* name;
    const char* text;
    AngleAxis axis;
    char separator;
    std::optional<double> degrees;
};

class Angles : public testing::TestWithParam<AngleCase> {};

TEST_P(Angles, ReadAsTyped) {
    const AngleCase& c = GetParam();
    const auto read = ReadAngle(c.text, c.axis, c.separator);
    ASSERT_EQ(read.has_value(), c.degrees.has_value()) << c.text;
    if (c.degrees) {
        EXPECT_NEAR(*read, *c.degrees, 1e-12) << c.text;
        EXPECT_FALSE(*read == 0 && std::signbit(*read)) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Geodesy, Angles,
    testing::Values(AngleCase{"DecimalDegrees", "52.52", kLat, '.', 52.52},
                    AngleCase{"DecimalWithComma", " -13,4 ", kLon, ',', -13.4},
                    AngleCase{"DecimalWithExponent", "1e1", kLon, '.', 10},
                    AngleCase{"DecimalWithHemisphere", "52.52N", kLat, '.', 52.52},
                    AngleCase{"MarksAndHemisphere",
                              "52\xC2\xB0"
                              "31'12.5\"N",
                              kLat, '.', kBerlin},
                    AngleCase{"BlanksAndHemisphere", "52 31 12.5 N", kLat, '.', kBerlin},
                    AngleCase{"HemisphereFirstCommaSeconds", "N 52 31 12,5", kLat, ',', kBerlin},
                    AngleCase{"PrimesAndOrdinalDegree", "52\xC2\xBA 31\xE2\x80\xB2 12.5\xE2\x80\xB3", kLat,
                              '.', kBerlin},
                    AngleCase{"TwoApostrophesAreSeconds",
                              "52\xC2\xB0"
                              "31'12.5''",
                              kLat, '.', kBerlin},
                    AngleCase{"SignAndDegreesMinutes",
                              "-13\xC2\xB0"
                              "24'",
                              kLon, '.', -13.4},
                    AngleCase{"WestIsNegative",
                              "13\xC2\xB0"
                              "24'W",
                              kLon, '.', -13.4},
                    AngleCase{"LettersAsMarks", "13d 24m 36s E", kLon, '.', 13.41},
                    AngleCase{"DecimalMinutes",
                              "52\xC2\xB0"
                              "31.2'",
                              kLat, '.', 52.52},
                    AngleCase{"SouthIsNegative",
                              "0\xC2\xB0"
                              "30'S",
                              kLat, '.', -0.5},
                    AngleCase{"ZeroSouthIsZero", "0 S", kLat, '.', 0.0},
                    AngleCase{"MinutesOf60",
                              "52\xC2\xB0"
                              "60'",
                              kLat, '.', std::nullopt},
                    AngleCase{"SecondsOf60", "52 31 60", kLat, '.', std::nullopt},
                    AngleCase{"DecimalsBeforeTheLastPart",
                              "52.5\xC2\xB0"
                              "30'",
                              kLat, '.', std::nullopt},
                    AngleCase{"NoDegrees", "31'12\"", kLat, '.', std::nullopt},
                    AngleCase{"LetterOfTheOtherAxis",
                              "52\xC2\xB0"
                              "31'N",
                              kLon, '.', std::nullopt},
                    AngleCase{"EastForALatitude", "13 24 E", kLat, '.', std::nullopt},
                    AngleCase{"SignAndHemisphere", "-52 N", kLat, '.', std::nullopt},
                    AngleCase{"MarksOutOfOrder", "52'31\xC2\xB0", kLat, '.', std::nullopt},
                    AngleCase{"FourParts", "52 31 12 5", kLat, '.', std::nullopt},
                    AngleCase{"DegreesTwice", "52\xC2\xB0 31\xC2\xB0", kLat, '.', std::nullopt},
                    AngleCase{"Words", "north", kLat, '.', std::nullopt},
                    AngleCase{"Empty", "", kLat, '.', std::nullopt}),
    testing_support::ParamName{});

}  // namespace
}  // namespace vantrel::geodesy
