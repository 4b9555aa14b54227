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
    locate::Method method;
    double tuning;
    std::optional<double> sigma;
    double confidence;
    std::size_t problems;
};

class LocateIni : public testing::TestWithParam<LocateIniCase> {};

TEST_P(LocateIni, AbsentOrUnusableKeysTakeTheirDefaults) {
    const LocateIniCase& c = GetParam();
    const std::string text =
        "[Quality]\r\nConfidence=0.5\r\n[locate]\r\n" + std::string(c.section) + "[File]\r\n";
    const LocateSettingsRead read = LocateSettingsFromIni(IniFile::Parse(text));
    EXPECT_EQ(read.options.method, c.method);
    EXPECT_EQ(read.options.tuning, c.tuning);
    EXPECT_EQ(read.options.sigmaDeg, c.sigma);
    EXPECT_EQ(read.options.confidence, c.confidence);
    EXPECT_EQ(read.problems.size(), c.problems) << (read.problems.empty() ? "" : read.problems[0]);
}

using locate::Method;

INSTANTIATE_TEST_SUITE_P(
    Locate, LocateIni,
    testing::Values(
        LocateIniCase{"Absent", "", Method::kAndrews, 1.5, std::nullopt, 0.95, 0},
        LocateIniCase{"All", "Method=Huber\r\ntuning = 2,5\r\nSigma=4\r\nConfidence=0.68\r\n", Method::kHuber,
                      2.5, 4.0, 0.68, 0},
        LocateIniCase{"EmptySigmaEstimates", "Method=mle\r\nSigma=  \r\n", Method::kMle, 1.5, std::nullopt,
                      0.95, 0},
        LocateIniCase{"UnknownMethod", "Method=median\r\n", Method::kAndrews, 1.5, std::nullopt, 0.95, 1},
        LocateIniCase{"ZeroTuning", "Tuning=0\r\n", Method::kAndrews, 1.5, std::nullopt, 0.95, 1},
        LocateIniCase{"SigmaAbove90", "Sigma=91\r\n", Method::kAndrews, 1.5, std::nullopt, 0.95, 1},
        LocateIniCase{"SigmaWord", "Sigma=wide\r\n", Method::kAndrews, 1.5, std::nullopt, 0.95, 1},
        LocateIniCase{"ConfidenceOne", "Confidence=1\r\nTuning=nan\r\n", Method::kAndrews, 1.5, std::nullopt,
                      0.95, 2}),
    testing_support::ParamName{});

// Writing sets the four keys and keeps every other line of the file, comments and other sections included.
TEST(LocateSettingsFile, WrittenKeysReadBackAndTheRestStays) {
    const testing_support::TempDir dir;
    const std::string before = "; mine\r\n[Comm]\r\nGPS-Port=2\r\n[Locate]\r\nMethod=mle\r\nExtra=1\r\n";
    testing_support::WriteBytes(dir / "Vantrel.ini", before);
    locate::Options options;
    options.method = Method::kHuber;
    options.tuning = 1.345;
    options.confidence = 0.9;
    ASSERT_TRUE(WriteLocateSettings(options, dir / "Vantrel.ini"));
    EXPECT_EQ(
        testing_support::ReadBytes(dir / "Vantrel.ini"),
        "; mine\r\n[Comm]\r\nGPS-Port=2\r\n[Locate]\r\nMethod=huber\r\nExtra=1\r\nTuning=1.345\r\nSigma=\r\n"
        "Confidence=0.9\r\n");
    const LocateSettingsRead read = ReadLocateSettings(dir / "Vantrel.ini");
    EXPECT_EQ(read.options.method, Method::kHuber);
    EXPECT_EQ(read.options.tuning, 1.345);
    EXPECT_FALSE(read.options.sigmaDeg);
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(ReadLocateSettings(dir / "missing.ini").options.method, Method::kAndrews);
}

}  // namespace
}  // namespace vantrel::persistence
