// vantrel-cli export and map: which zone they take without --zone, the hunts they refuse for their zone,
// the picture formats and each command's --help. The Olinda example lies in zone 25M; read in 32U its
// stations land at 81.9 N (GeographicLib's GeoConvert: "32n 291626 9113636" -> 81.88 N).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/cli_test.hpp"
#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel {
namespace {

const std::string kOlinda = VANTREL_SOURCE_DIR "/examples/hunt-olinda.fh2";
const std::string kOlindaMap = VANTREL_SOURCE_DIR "/examples/maps/olinda.png";

class CliZone : public testing::Test {
  protected:
    void SetUp() override { std::filesystem::copy_file(kOlinda, dir_ / "olinda.fh2"); }
    std::string At(const std::string& name) const { return (dir_ / name).string(); }
    void WriteSettings(const std::string& text) const {
        std::filesystem::create_directories(dir_ / "config" / "Vantrel");
        testing_support::WriteBytes(dir_ / "config" / "Vantrel" / "Vantrel.ini", text);
    }
    testing_support::ProcessResult Run(const std::vector<std::string>& args) const {
        testing_support::ProcessOptions options;
        options.environment["XDG_CONFIG_HOME"] = At("config");
        return testing_support::RunCli(args, options);
    }
    testing_support::TempDir dir_;
};

struct ZoneRow {
    const char* name;
    const char* command;   // export or map
    const char* settings;  // Vantrel.ini; "@" stands for the measurement file's absolute path
    std::vector<std::string> extra;
    int exitCode;
    const char* err;  // what stderr must hold
};

class CliZoneOrder : public CliZone, public testing::WithParamInterface<ZoneRow> {};

TEST_P(CliZoneOrder, TakesTheWindowsOrderAndSaysWhichOrRefuses) {
    const ZoneRow& row = GetParam();
    std::string settings = row.settings;
    if (const std::size_t at = settings.find('@'); at != std::string::npos) {
        settings.replace(at, 1, std::filesystem::canonical(dir_ / "olinda.fh2").string());
    }
    WriteSettings(settings);
    const std::string out = At(std::string(row.command) == "map" ? "out.png" : "out.kml");
    std::vector<std::string> args{row.command, At("olinda.fh2"), "-o", out};
    if (std::string(row.command) == "export") {
        args.insert(args.end(), {"--format", "kml"});
    }
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    const auto r = Run(args);
    EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
    EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    EXPECT_EQ(std::filesystem::exists(out), row.exitCode == 0);
}

const char* const kRefusal =
    "The hunt does not lie in zone 32U: P1 lands at 81.9 N, far outside band U (48 N to 56 N); so do 6 more "
    "positions. Name the zone it was measured in with --zone";

INSTANTIATE_TEST_SUITE_P(
    Table, CliZoneOrder,
    testing::Values(
        ZoneRow{"ExportDefaultRefused", "export", "", {}, 1, kRefusal},
        ZoneRow{"MapDefaultRefused", "map", "", {}, 1, kRefusal},
        ZoneRow{"MapSettingIsTheDefault", "export", "[Map]\nZone=25M\n", {}, 0, "zone 25M (default)"},
        ZoneRow{"RememberedForThisFile",
                "export",
                "[Map]\nZone=32U\n[Zones]\n@=25M\n",
                {},
                0,
                "zone 25M (remembered)"},
        ZoneRow{
            "RememberedForAnotherFile", "export", "[Zones]\n/elsewhere/olinda.fh2=25M\n", {}, 1, kRefusal},
        ZoneRow{"OptionComesFirst", "map", "[Zones]\n@=32U\n", {"--zone", "25M"}, 0, ""},
        ZoneRow{"OptionRefusedToo", "export", "", {"--zone", "32U"}, 1, "does not lie in zone 32U"},
        ZoneRow{"MapCrsNamesIt", "map", "", {"--map", kOlindaMap}, 0, "zone 25M (from the map's CRS)"}),
    testing_support::ParamName());

// Stations at E 500000 and 502000 (zone 32U), the first at `north1`, the second at N 5600000; F1 45 / 315.
void WriteHunt(const std::filesystem::path& file, double north1, double north2) {
    persistence::ScedRecord s1;
    s1.East = 500000;
    s1.North = north1;
    s1.Ang = {45, 0, 0, 0, 0};
    persistence::ScedRecord s2 = s1;
    s2.East = 502000;
    s2.North = north2;
    s2.Ang = {315, 0, 0, 0, 0};
    testing_support::WriteBytes(file, persistence::EncodeDataFile(s1, s2, {}));
}

// The bearing log beside the file names the zone it was started in: it comes after the zone boxes and
// before a zone remembered for the file.
TEST_F(CliZone, TheBearingLogBesideTheFileNamesTheZone) {
    testing_support::ProcessOptions add;
    add.input = "1,-8.0,-34.85,90\n";
    add.environment["XDG_CONFIG_HOME"] = At("config");
    ASSERT_EQ(testing_support::RunCli({"log", At("olinda.fhl"), "--add", "--zone", "25M"}, add).exitCode, 0);
    WriteSettings("[Zones]\n" + std::filesystem::canonical(dir_ / "olinda.fh2").string() + "=32U\n");
    const auto r = Run({"export", At("olinda.fh2"), "-o", At("o.kml"), "--format", "kml"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("zone 25M (from the bearing log)"), std::string::npos) << r.err;
}

TEST_F(CliZone, PlacesOffTheEarthAreLeftOutAndAnExportOfNoneFails) {
    // Northing 30,000 km in 32U was exported as the South Pole: P1 is left out with a warning, and so is
    // F1, where the two lines meet far beyond the zone's reach; P2 goes out.
    WriteHunt(dir_ / "far.fh2", 30'000'000, 5'600'000);
    const auto some = Run({"export", At("far.fh2"), "--format", "gpx", "-o", At("far.gpx"), "--zone", "32U"});
    ASSERT_EQ(some.exitCode, 0) << some.err;
    EXPECT_NE(some.err.find("P1 left out: northing 30000000.0 lies outside 0 to 10,000 km"),
              std::string::npos)
        << some.err;
    const std::string gpx = testing_support::ReadBytes(dir_ / "far.gpx");
    EXPECT_NE(gpx.find("<name>P2</name>"), std::string::npos);
    EXPECT_EQ(gpx.find("<name>P1</name>"), std::string::npos);
    // Both stations 20,000 km north: nothing is left, exit 1 and no file.
    WriteHunt(dir_ / "none.fh2", 20'000'000, 20'000'000);
    const auto none =
        Run({"export", At("none.fh2"), "--format", "kml", "-o", At("none.kml"), "--zone", "32U"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("every position of the hunt was left out"), std::string::npos) << none.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "none.kml"));
}

struct FormatRow {
    const char* name;
    const char* out;
    int exitCode;
    std::string magic;  // the file's first bytes; the message's words when refused
};

class CliMapFormats : public CliZone, public testing::WithParamInterface<FormatRow> {};

TEST_P(CliMapFormats, FollowTheOutputsExtension) {
    const FormatRow& row = GetParam();
    const auto r = Run({"map", At("olinda.fh2"), "-o", At(row.out), "--zone", "25M", "--size", "300x200"});
    ASSERT_EQ(r.exitCode, row.exitCode) << r.err;
    if (row.exitCode != 0) {
        EXPECT_NE(r.err.find(row.magic), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir_ / row.out));
        return;
    }
    EXPECT_EQ(testing_support::ReadBytes(dir_ / row.out).substr(0, row.magic.size()), row.magic);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliMapFormats,
    testing::Values(FormatRow{"Png", "m.png", 0, "\x89PNG"}, FormatRow{"Jpg", "m.jpg", 0, "\xFF\xD8\xFF"},
                    FormatRow{"JpegUpperCase", "m.JPEG", 0, "\xFF\xD8\xFF"},
                    FormatRow{"Pdf", "m.pdf", 0, "%PDF"},
                    FormatRow{"Svg", "m.svg", 2, "-o must name a .png, .jpg, .jpeg or .pdf"},
                    FormatRow{"NoExtension", "m", 2, "-o must name"}),
    testing_support::ParamName());

TEST_F(CliZone, EveryCommandHasItsHelp) {
    for (const char* command : {"to-utm", "export", "map", "gps", "schedule", "average"}) {
        for (const char* flag : {"--help", "-h"}) {
            const auto r = Run({command, flag});
            EXPECT_EQ(r.exitCode, 0) << command << " " << flag << ": " << r.err;
            EXPECT_EQ(
                r.out.rfind(std::string("Usage: vantrel-cli [--decimal-separator=,|.] ") + command + " ", 0),
                0u)
                << r.out;
        }
    }
    // After "--" it is an argument, not a request for help.
    EXPECT_EQ(Run({"to-utm", "--", "--help"}).exitCode, 2);
}

}  // namespace
}  // namespace vantrel
