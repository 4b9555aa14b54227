#include "persistence/locate_settings.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

struct LocateIniCase {
    const char* name;
    const char* section;  // the lines of [Locate]
    locate::Options expected;
    std::size_t problems;
};

locate::Options Make(locate::Method method, double tuning, std::optional<double> sigma, double confidence) {
    locate::Options o;
    o.method = method;
    o.tuning = tuning;
    o.sigmaDeg = sigma;
    o.confidence = confidence;
    return o;
}

class LocateIni : public testing::TestWithParam<LocateIniCase> {};

TEST_P(LocateIni, AbsentOrUnusableKeysTakeTheirDefaults) {
    const LocateIniCase& c = GetParam();
    const std::string text = "[Comm]\r\nGPS-Port=2\r\n[locate]\r\n" + std::string(c.section) + "[File]\r\n";
    const LocateSettingsRead read = LocateSettingsFromIni(IniFile::Parse(text));
    EXPECT_EQ(read.options.method, c.expected.method);
    EXPECT_EQ(read.options.tuning, c.expected.tuning);
    EXPECT_EQ(read.options.sigmaDeg, c.expected.sigmaDeg);
    EXPECT_EQ(read.options.confidence, c.expected.confidence);
    EXPECT_EQ(read.problems.size(), c.problems);
}

using locate::Method;
INSTANTIATE_TEST_SUITE_P(
    Locate, LocateIni,
    testing::Values(
        LocateIniCase{"Absent", "", Make(Method::kAndrews, 1.5, std::nullopt, 0.95), 0},
        LocateIniCase{"All", "Method= Huber \r\nTuning=2,5\r\nSigma=4\r\nConfidence=0.68\r\n",
                      Make(Method::kHuber, 2.5, 4.0, 0.68), 0},
        LocateIniCase{"EmptySigmaIsEstimated", "Method=mle\r\nSigma= \r\n",
                      Make(Method::kMle, 1.5, std::nullopt, 0.95), 0},
        LocateIniCase{"UnknownMethod", "Method=median\r\n", Make(Method::kAndrews, 1.5, std::nullopt, 0.95),
                      1},
        LocateIniCase{"ZeroTuning", "Tuning=0\r\n", Make(Method::kAndrews, 1.5, std::nullopt, 0.95), 1},
        LocateIniCase{"SigmaAbove90", "Sigma=120\r\n", Make(Method::kAndrews, 1.5, std::nullopt, 0.95), 1},
        LocateIniCase{"SigmaWord", "Sigma=estimate\r\n", Make(Method::kAndrews, 1.5, std::nullopt, 0.95), 1},
        LocateIniCase{"PercentIsNoProbability", "Confidence=95\r\nTuning=x\r\n",
                      Make(Method::kAndrews, 1.5, std::nullopt, 0.95), 2}),
    testing_support::ParamName{});

TEST(LocateSettings, ReadingLeavesTheFileAlone) {
    const testing_support::TempDir dir;
    const auto ini = dir / "Vantrel.ini";
    const std::string before = "[Locate]\r\nSigma=3\r\nTuning=-1\r\n[Comm]\r\nGPS-Port=4\r\n";
    testing_support::WriteBytes(ini, before);
    const LocateSettingsRead read = ReadLocateSettings(ini);
    EXPECT_EQ(read.options.sigmaDeg, 3.0);
    EXPECT_EQ(read.problems, std::vector<std::string>{"[Locate] Tuning=-1 is not above 0; 1.5 is used"});
    EXPECT_EQ(testing_support::ReadBytes(ini), before);
    EXPECT_EQ(ReadLocateSettings(dir / "missing.ini").options.method, locate::Method::kAndrews);
}

}  // namespace
}  // namespace vantrel::persistence
