#include "persistence/quality_settings.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "file_bytes.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

struct QualityIniCase {
    const char* name;
    const char* section;  // the lines of [Quality]
    quality::QualitySettings expected;
    std::size_t problems;
};

class QualityIni : public testing::TestWithParam<QualityIniCase> {};

TEST_P(QualityIni, AbsentOrUnusableKeysTakeTheirDefaults) {
    const QualityIniCase& c = GetParam();
    const std::string text = "[Comm]\r\nGPS-Port=2\r\n[quality]\r\n" + std::string(c.section) + "[File]\r\n";
    const QualitySettingsRead read = QualitySettingsFromIni(IniFile::Parse(text));
    EXPECT_EQ(read.settings, c.expected);
    EXPECT_EQ(read.problems.size(), c.problems);
    EXPECT_FALSE(std::signbit(read.settings.bearingSigmaFloor));  // a "-0" is shown as 0
}

INSTANTIATE_TEST_SUITE_P(
    Quality, QualityIni,
    testing::Values(
        QualityIniCase{"Absent", "", {5, 3, 0.95}, 0},
        QualityIniCase{"AllThree",
                       "BearingSigma=4.5\r\nbearingsigmafloor = 2 \r\nConfidence=0.68\r\n",
                       {4.5, 2, 0.68},
                       0},
        QualityIniCase{"CommaDecimal", "BearingSigma=6,5\r\n", {6.5, 3, 0.95}, 0},
        QualityIniCase{"ZeroSigmas", "BearingSigma=0\r\nBearingSigmaFloor=0\r\n", {0, 0, 0.95}, 0},
        QualityIniCase{"NotANumber", "BearingSigma=five\r\n", {5, 3, 0.95}, 1},
        QualityIniCase{"Negative", "BearingSigmaFloor=-1\r\n", {5, 3, 0.95}, 1},
        QualityIniCase{"SigmaAboveHalfATurnIsCapped", "BearingSigma=1e300\r\n", {180, 3, 0.95}, 1},
        QualityIniCase{"MinusZero", "BearingSigmaFloor=-0\r\n", {5, 0, 0.95}, 0},
        QualityIniCase{"CertaintyIsNoProbability", "Confidence=1\r\n", {5, 3, 0.95}, 1},
        QualityIniCase{"PercentIsNoProbability", "Confidence=95\r\nBearingSigma=\r\n", {5, 3, 0.95}, 2}),
    testing_support::ParamName{});

// Reading leaves the file alone, and writing the seven settings keeps the section.
TEST(QualitySettings, TheSevenSettingsAndTheSectionLiveSideBySide) {
    const testing_support::TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    const std::string before = "[Quality]\r\nBearingSigma=7\r\nConfidence=1.5\r\n[Comm]\r\nGPS-Port=4\r\n";
    testing_support::WriteBytes(ini, before);
    const QualitySettingsRead read = ReadQualitySettings(ini);
    EXPECT_EQ(read.settings, (quality::QualitySettings{7, 3, 0.95}));
    EXPECT_EQ(read.problems,
              std::vector<std::string>{
                  "[Quality] Confidence=1.5 is not between 0 and 1 (exclusive); 0.95 is used"});
    EXPECT_EQ(testing_support::ReadBytes(ini), before);
    Settings settings = GetIniData(ini);
    settings.GonPort = "5";
    ASSERT_TRUE(PutIniData(settings, ini));
    EXPECT_EQ(ReadQualitySettings(ini).settings.bearingSigma, 7);
    EXPECT_EQ(ReadQualitySettings(dir / "missing.ini").settings, quality::QualitySettings{});
}

}  // namespace
}  // namespace vantrel::persistence
