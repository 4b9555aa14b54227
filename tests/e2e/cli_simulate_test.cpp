// vantrel-cli simulate: the example scenarios make logs whose fixes hold the true foxes; the streams on
// standard output and in the network folder read back through the program's readers; every wrong use is
// refused with its exit code and a message naming the file, field or option.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test.hpp"
#include "file_bytes.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "instruments/network_df.hpp"
#include "instruments/nmea_reader.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::testing_support {
namespace {

const std::string kExamples = std::string(VANTREL_SOURCE_DIR) + "/examples/";

// A short drive (about 60 s) past one fox, with a network DF of one channel.
constexpr const char* kShortDrive = R"({"foxes": [{"lat": 50.5, "lon": 9.25, "frequency": 144500000}],
  "route": {"speed": 20, "waypoints": [{"lat": 50.49, "lon": 9.24}, {"lat": 50.49, "lon": 9.257}]},
  "gps": {"dropouts": 0.2}, "network": {"channels": [1]}})";

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

struct ExampleCase {
    const char* name;
    const char* file;
    std::vector<std::pair<double, double>> foxes;  // as the scenario gives them
};

class ExampleScenario : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(ExampleScenario, ItsLogFixesEachFoxWithinItsEllipse) {
    const TempDir dir;
    const std::string log = (dir / "hunt.fhl").string();
    const ProcessResult made = RunCli({"simulate", kExamples + GetParam().file, "--log", log});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const ProcessResult fixes = RunCli({"locate", "--log", log});
    ASSERT_EQ(fixes.exitCode, 0) << fixes.err;
    std::size_t fox = 0;
    for (const std::string& line : Split(fixes.out, '\n')) {
        const auto fields = Split(line, '\t');
        if (fields.empty() || fields[0] != "fix") {
            continue;
        }
        ASSERT_LT(fox, GetParam().foxes.size());
        const auto [lat, lon] = GetParam().foxes[fox++];
        const core::PlanePoint truth = geodesy::ZoneLatLonToUtm({32, 'U'}, lat, lon);
        // fix EASTING NORTHING KAPPA SX SY RHO SEMI-MAJOR ...: the truth lies within the major semi-axis.
        const double off = std::hypot(std::stod(fields[1]) - truth.x, std::stod(fields[2]) - truth.y);
        EXPECT_LT(off, std::stod(fields[7])) << line;
    }
    EXPECT_EQ(fox, GetParam().foxes.size()) << fixes.out;
    EXPECT_NE(ReadBytes(dir / "hunt.fhl").find(R"({"type":"truth","fox":2,"lat":50.5188,"lon":9.2655})"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ExampleScenario,
    ::testing::Values(
        ExampleCase{"DriveAroundFox", "drive-around-fox.json", {{50.4952, 9.2371}, {50.5188, 9.2655}}},
        ExampleCase{"FixedStations", "fixed-stations.json", {{50.4952, 9.2371}, {50.5188, 9.2655}}}),
    ParamName{});

TEST(SimulateStreams, NmeaOnStandardOutputAndTheNetworkFileReadBack) {
    const TempDir dir;
    WriteBytes(dir / "drive.json", kShortDrive);
    const ProcessResult nmea = RunCli({"simulate", (dir / "drive.json").string(), "--nmea", "-",
                                       "--network-dir", dir.path().string(), "--seed", "5"});
    ASSERT_EQ(nmea.exitCode, 0) << nmea.err;
    std::size_t fixes = 0;
    std::size_t noFix = 0;
    instruments::NmeaFramer framer;
    framer.Feed(nmea.out, [&](std::string_view sentence) {
        fixes += instruments::ParseRmc(sentence) ? 1u : 0u;
        noFix += instruments::IsRmcWithoutFix(sentence) ? 1u : 0u;
        return true;
    });
    EXPECT_EQ(static_cast<std::size_t>(std::count(nmea.out.begin(), nmea.out.end(), '\n')), fixes + noFix);
    EXPECT_EQ(static_cast<std::size_t>(std::count(nmea.out.begin(), nmea.out.end(), '\r')), fixes + noFix);
    EXPECT_GE(fixes + noFix, 58u);  // 1.2 km at 20 m/s: 60 s
    EXPECT_GT(noFix, 2u);
    const instruments::DfText last = instruments::ParseDfText(ReadBytes(dir / "DOA_value.html"));
    ASSERT_EQ(last.channels.size(), 1u);
    EXPECT_EQ(last.skipped, 0u);
    EXPECT_EQ(last.channels[0].frequencyHz, 144500000);

    // The seed of the command line replaces the scenario's: another seed, other noise.
    const ProcessResult other =
        RunCli({"simulate", (dir / "drive.json").string(), "--nmea", "-", "--seed", "6"});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    EXPECT_NE(other.out, nmea.out);
    EXPECT_EQ(RunCli({"simulate", (dir / "drive.json").string(), "--nmea", "-", "--seed", "5"}).out,
              nmea.out);
}

struct MisuseCase {
    const char* name;
    std::vector<std::string> args;  // "DIR" stands for the test's folder
    int exitCode;
    const char* message;  // a part of stderr
};

class SimulateMisuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(SimulateMisuse, IsRefusedNamingWhatIsWrong) {
    const TempDir dir;
    WriteBytes(dir / "drive.json", kShortDrive);
    WriteBytes(dir / "exists.fhl", "keep me\n");
    WriteBytes(dir / "nonet.json", R"({"foxes": [{"lat": 50.5, "lon": 9.25}],
        "route": {"waypoints": [{"lat": 50.49, "lon": 9.24}, {"lat": 50.49, "lon": 9.25}]}})");
    WriteBytes(dir / "slow.json", R"({"foxes": [{"lat": 50.5, "lon": 9.25}], "route": {"speed": 0.01,
        "waypoints": [{"lat": 50.49, "lon": 9.24}, {"lat": 50.5, "lon": 9.24}]}})");
    std::vector<std::string> args{"simulate"};
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg.rfind("DIR", 0) == 0 ? dir.path().string() + arg.substr(3) : arg);
    }
    const ProcessResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.err;
    EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(dir / "exists.fhl"), "keep me\n");
}

INSTANTIATE_TEST_SUITE_P(
    Uses, SimulateMisuse,
    ::testing::Values(
        MisuseCase{"NoOutput", {"DIR/drive.json"}, 2, "simulate needs an output"},
        MisuseCase{"BothOnStdout", {"DIR/drive.json", "--nmea", "-", "--rx", "-"}, 2, "cannot both go"},
        MisuseCase{
            "SeedNotANumber", {"DIR/drive.json", "--log", "DIR/x.fhl", "--seed", "-1"}, 2, "--seed must"},
        MisuseCase{"LogExists", {"DIR/drive.json", "--log", "DIR/exists.fhl"}, 1, "is never overwritten"},
        MisuseCase{"TooLong", {"DIR/slow.json", "--log", "DIR/x.fhl"}, 1, "may last at most 12 hours"},
        MisuseCase{"MissingScenario", {"DIR/none.json", "--log", "DIR/x.fhl"}, 1, "none.json"},
        MisuseCase{
            "StationsSendNoStreams", {kExamples + "fixed-stations.json", "--rx", "-"}, 1, "fixed stations"},
        MisuseCase{"NoNetworkInScenario", {"DIR/nonet.json", "--network-dir", "DIR"}, 1, "has no network DF"},
        MisuseCase{"DeviceMissing", {"DIR/drive.json", "--rx", "DIR/no/tty"}, 1, "could not open"},
        MisuseCase{
            "NetworkDirMissing", {"DIR/drive.json", "--network-dir", "DIR/nowhere"}, 1, "is not a folder"}),
    ParamName{});

}  // namespace
}  // namespace vantrel::testing_support
