// Save, Open and Import over the program state, on real files in a temporary folder.
#include "persistence/data_file_commands.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "file_bytes.hpp"
#include "persistence/data_file.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

using core::BoxId;
using core::BoxKind;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

double DoubleAt(const std::string& bytes, std::size_t offset) {
    unsigned char raw[8];
    std::memcpy(raw, bytes.data() + offset, 8);  // this host is little-endian like the file
    double value = 0;
    std::memcpy(&value, raw, 8);
    return value;
}

// Twenty-six different boxes as a user with a decimal comma types them.
ProgramState TypedState() {
    ProgramState state;
    core::MeasurementState& m = state.main;
    m.Sced1Lat = "5700000,5";
    m.Sced1Lon = "0500000";
    m.Sced1Ang = "12,50";
    m.S1Ang = {"45", "-10", "359,9", "1e2", "0,125"};
    m.S1Sig = {"-3", "-6", "-20,5", "-60", "7"};
    m.Sced2Lat = "5699000.25";  // a point typed on a comma system reads too
    m.Sced2Lon = "501000";
    m.Sced2Ang = "-5";
    m.S2Ang = {"315", "20", "180", "270", "90"};
    m.S2Sig = {"0", "-1", "-2", "-3", "-4"};
    state.RxReadings(0, 0, 0) = {44.5, -3.5, 1};
    state.RxReadings(1, 4, 29) = {91, -4, 1};
    state.settings.LastUsedFilename = "previous.fh2";
    return state;
}

TEST(SaveDataFile, WritesTheBoxesAsRecordsAndRemembersTheFile) {
    const TempDir dir;
    ProgramState state = TypedState();
    ASSERT_TRUE(SaveDataFile(state, dir / "hunt.fh2", ',', dir / "Vantrel.ini"));
    const std::string bytes = ReadBytes(dir / "hunt.fh2");
    ASSERT_EQ(bytes.size(), 38656U);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(DoubleAt(bytes, 2), 5700000.5);
    EXPECT_EQ(DoubleAt(bytes, 10), 500000);
    EXPECT_EQ(DoubleAt(bytes, 18), 12.5);
    EXPECT_EQ(DoubleAt(bytes, 26 + 8 * 3), 100);
    EXPECT_EQ(DoubleAt(bytes, 66 + 8 * 2), -20.5);
    EXPECT_EQ(bytes.substr(128, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(DoubleAt(bytes, 128 + 2), 5699000.25);
    EXPECT_EQ(DoubleAt(bytes, 128 + 18), -5);
    EXPECT_EQ(DoubleAt(bytes, 256), 44.5);
    EXPECT_EQ(DoubleAt(bytes, 38528 + 8), -4);

    EXPECT_EQ(state.main.ScedNorth, (std::array<double, 2>{5700000.5, 5699000.25}));
    EXPECT_EQ(state.main.ScedEast, (std::array<double, 2>{500000, 501000}));
    EXPECT_EQ(state.ScedRec1.Flag, 1);
    EXPECT_EQ(state.ScedRec2.Sig[4], -4);
    EXPECT_EQ(state.main.DataFileName, (dir / "hunt.fh2").string());
    EXPECT_EQ(state.settings.LastUsedFilename, (dir / "hunt.fh2").string());
    EXPECT_NE(
        ReadBytes(dir / "Vantrel.ini").find("Last Used Filename=" + (dir / "hunt.fh2").string() + "\r\n"),
        std::string::npos);
}

TEST(SaveDataFile, NameWithoutExtensionAndLongerOldFile) {
    const TempDir dir;
    WriteBytes(dir / "hunt", std::string(50000, 'x'));
    ProgramState state;
    ASSERT_TRUE(WriteDataFile(state, dir / "hunt", '.'));
    // The start state: two records of Flag 1 and thirteen zeros, 300 empty entries.
    std::string expected(38656, '\0');
    expected[0] = expected[128] = '\x01';
    EXPECT_EQ(ReadBytes(dir / "hunt"), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "hunt.fh2"));
}

struct BadSaveCase {
    const char* name;
    friend void PrintTo(const BadSaveCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::pair<BoxId, const char*>> texts;
    const char* message;
};

class SaveRefusalTest : public testing::TestWithParam<BadSaveCase> {};

TEST_P(SaveRefusalTest, FirstBadBoxIsNamedAndNothingChanges) {
    const TempDir dir;
    WriteBytes(dir / "hunt.fh2", "old content");
    ProgramState state = TypedState();
    for (const auto& [id, text] : GetParam().texts) {
        core::Box(state.main, id) = text;
    }
    const core::Outcome outcome = SaveDataFile(state, dir / "hunt.fh2", ',', dir / "Vantrel.ini");
    EXPECT_EQ(outcome.message(), GetParam().message);
    EXPECT_EQ(ReadBytes(dir / "hunt.fh2"), "old content");
    EXPECT_FALSE(std::filesystem::exists(dir / "Vantrel.ini"));
    EXPECT_EQ(state.main.ScedNorth, (std::array<double, 2>{}));
    EXPECT_EQ(state.ScedRec1, ScedRecord{});
    EXPECT_EQ(state.main.DataFileName, "");
    EXPECT_EQ(state.settings.LastUsedFilename, "previous.fh2");
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SaveRefusalTest,
    testing::Values(BadSaveCase{"Letters",
                                {{{2, BoxKind::Bearing, 3}, "abc"}},
                                "Scedule 2, F4 bearing is not a number: \"abc\""},
                    BadSaveCase{"PositionsBeforeAngles",
                                {{{1, BoxKind::BaseAngle, 0}, "x"}, {{2, BoxKind::Easting, 0}, ""}},
                                "Scedule 2, easting (E) is not a number: \"\""},
                    BadSaveCase{"Station1SignalsBeforeStation2",
                                {{{1, BoxKind::Signal, 4}, "--1"}, {{2, BoxKind::BaseAngle, 0}, "y"}},
                                "Scedule 1, F5 signal is not a number: \"--1\""},
                    BadSaveCase{"BearingsBeforeSignals",
                                {{{1, BoxKind::Signal, 0}, "s"}, {{1, BoxKind::Bearing, 4}, "1,5,"}},
                                "Scedule 1, F5 bearing is not a number: \"1,5,\""},
                    BadSaveCase{"Overflow",
                                {{{1, BoxKind::Northing, 0}, "1e400"}},
                                "Scedule 1, northing (N) is not a number: \"1e400\""}),
    testing_support::ParamName{});

TEST(SaveDataFile, UnwritableFileKeepsStateAndNamesThePath) {
    const TempDir dir;
    ProgramState state = TypedState();
    const auto target = dir / "missing folder" / "hunt.fh2";
    const core::Outcome outcome = SaveDataFile(state, target, ',', dir / "Vantrel.ini");
    EXPECT_EQ(outcome.message(), "Could not write \"" + target.string() + "\": No such file or directory");
    EXPECT_EQ(state.main.DataFileName, "");
    EXPECT_EQ(state.settings.LastUsedFilename, "previous.fh2");
    EXPECT_FALSE(std::filesystem::exists(dir / "Vantrel.ini"));
}

TEST(SaveDataFile, SettingsFailureIsReportedButTheFileIsSaved) {
    const TempDir dir;
    std::filesystem::create_directory(dir / "Vantrel.ini");  // a folder where the settings file should be
    ProgramState state = TypedState();
    const core::Outcome outcome = SaveDataFile(state, dir / "hunt.fh2", ',', dir / "Vantrel.ini");
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.message().rfind("The measurement was saved to \"" + (dir / "hunt.fh2").string() +
                                          "\", but the settings file was not updated.",
                                      0),
              0U)
        << outcome.message();
    EXPECT_EQ(ReadBytes(dir / "hunt.fh2").size(), 38656U);
}

TEST(OpenDataFile, RoundTripShowsTheSameNumbersAndKeepsResults) {
    const TempDir dir;
    ProgramState saved = TypedState();
    ASSERT_TRUE(WriteDataFile(saved, dir / "hunt.fh2", ','));

    ProgramState state;
    state.main.ResultsValid = true;
    state.main.ResLat[1] = "no Match";
    state.main.ResLon[0] = "0500500,0";
    state.main.FoxNorth[0] = 42;
    state.main.txtZone[0] = "32U";
    state.RxReadings(0, 3, 3) = {1, 2, 1};  // overwritten: the file holds an empty entry there
    state.RxReadings(2, 0, 0) = {7, 7, 1};  // outside the file: kept
    ASSERT_TRUE(OpenDataFile(state, dir / "hunt.fh2", ',', dir / "Vantrel.ini"));

    const std::vector<std::string> expected{
        "5700000,5", "500000", "12,5", "45", "-10",        "359,9",  "100", "0,125", "-3",
        "-6",        "-20,5",  "-60",  "7",  "5699000,25", "501000", "-5",  "315",   "20",
        "180",       "270",    "90",   "0",  "-1",         "-2",     "-3",  "-4"};
    std::vector<std::string> shown;
    for (const BoxId id : core::StationBoxesInListingOrder()) {
        shown.push_back(core::Box(state.main, id));
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(state.main.ScedNorth, (std::array<double, 2>{5700000.5, 5699000.25}));
    EXPECT_EQ(state.ScedRec1, saved.ScedRec1);
    EXPECT_EQ(state.ScedRec2, saved.ScedRec2);
    EXPECT_EQ(state.RxReadings(0, 0, 0), (instruments::RxReading{44.5, -3.5, 1}));
    EXPECT_EQ(state.RxReadings(0, 3, 3), instruments::RxReading{});
    EXPECT_EQ(state.RxReadings(2, 0, 0), (instruments::RxReading{7, 7, 1}));
    EXPECT_TRUE(state.main.ResultsValid);
    EXPECT_EQ(state.main.ResLat[1], "no Match");
    EXPECT_EQ(state.main.ResLon[0], "0500500,0");
    EXPECT_EQ(state.main.FoxNorth[0], 42);
    EXPECT_EQ(state.main.txtZone[0], "32U");
    EXPECT_EQ(state.main.DataFileName, (dir / "hunt.fh2").string());
    EXPECT_EQ(state.settings.LastUsedFilename, (dir / "hunt.fh2").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "Vantrel.ini"));
}

TEST(ReadDataFile, DefaultTextFormOfStoredNumbers) {
    const TempDir dir;
    ScedRecord r;
    r.North = 5712345.5;
    r.East = 0.1 + 0.2;  // 0.30000000000000004: fifteen digits make it 0,3
    r.BaseAngle = 1e20;
    r.Ang = {-0.0, 12, 0.00001, 123456789012345678.0, -1.5e-7};
    const std::string bytes = EncodeDataFile(r, ScedRecord{}, instruments::RxReadings{});
    WriteBytes(dir / "numbers.fh2", bytes);
    ProgramState state;
    ASSERT_TRUE(ReadDataFile(state, dir / "numbers.fh2", ','));
    const core::MeasurementState& m = state.main;
    EXPECT_EQ(m.Sced1Lat, "5712345,5");
    EXPECT_EQ(m.Sced1Lon, "0,3");
    EXPECT_EQ(m.Sced1Ang, "1E+20");
    EXPECT_EQ(m.S1Ang, (std::array<std::string, 5>{"0", "12", "1E-05", "1,23456789012346E+17", "-1,5E-07"}));
    EXPECT_EQ(m.ScedEast[0], 0.1 + 0.2);  // the stored value, not the text
}

struct BadFileCase {
    const char* name;
    friend void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.name; }
    bool import;
    std::string bytes;  // the file's content; "-" for no file
    const char* reason;
};

class ReadRefusalTest : public testing::TestWithParam<BadFileCase> {};

TEST_P(ReadRefusalTest, NamesTheFileAndChangesNothing) {
    const BadFileCase& c = GetParam();
    const TempDir dir;
    const auto path = dir / (c.import ? "old.fhd" : "hunt.fh2");
    if (c.bytes != "-") {
        WriteBytes(path, c.bytes);
    }
    ProgramState state = TypedState();
    const core::Outcome outcome =
        c.import ? ReadImportFile(state, path, ',') : OpenDataFile(state, path, ',', dir / "Vantrel.ini");
    EXPECT_EQ(outcome.message(), "Could not read \"" + path.string() + "\": " + c.reason);
    EXPECT_EQ(state.main.Sced1Lat, "5700000,5");
    EXPECT_EQ(state.main.S2Sig[4], "-4");
    EXPECT_EQ(state.main.ScedNorth, (std::array<double, 2>{}));
    EXPECT_EQ(state.ScedRec2, ScedRecord{});
    EXPECT_EQ(state.RxReadings(1, 4, 29), (instruments::RxReading{91, -4, 1}));
    EXPECT_EQ(state.main.DataFileName, "");
    EXPECT_EQ(state.settings.LastUsedFilename, "previous.fh2");
    EXPECT_FALSE(std::filesystem::exists(dir / "Vantrel.ini"));
}

std::string WithNaNAt(std::size_t size, std::size_t offset) {
    std::string bytes(size, '\0');
    bytes.replace(offset, 8, std::string("\0\0\0\0\0\0\xF8\x7F", 8));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadRefusalTest,
    testing::Values(BadFileCase{"OpenMissing", false, "-", "No such file or directory"},
                    BadFileCase{"OpenShort", false, std::string(38545, '\0'),
                                "it is 38545 bytes long; a measurement data file has at least 38546 bytes."},
                    BadFileCase{"OpenNaN", false, WithNaNAt(38656, 128 + 26),
                                "station 2, Ang(0) (byte 154) is not a finite number."},
                    BadFileCase{"ImportMissing", true, "-", "No such file or directory"},
                    BadFileCase{"ImportShort", true, std::string(211, '\0'),
                                "it is 211 bytes long; a legacy data file has exactly 212 bytes."},
                    BadFileCase{"ImportNaN", true, WithNaNAt(212, 204),
                                "station 2, Sig(4) (byte 204) is not a finite number."}),
    testing_support::ParamName{});

TEST(ReadImportFile, FillsTheStationsOnlyAndLeavesTheSettingsAlone) {
    const TempDir dir;
    ScedRecord first;
    first.Flag = -31000;  // any value: no effect
    first.North = 5601234.5;
    first.East = 532100;
    first.Ang[2] = 123.5;
    ScedRecord second;
    second.Sig = {-1, -2, -3, -4, -5};
    const std::string bytes = EncodeScedRecord(first) + EncodeScedRecord(second);
    WriteBytes(dir / "old.fhd", bytes);

    ProgramState state = TypedState();
    state.main.ResLat[0] = "5700500,0";
    for (int twice = 0; twice < 2; ++twice) {
        ASSERT_TRUE(ReadImportFile(state, dir / "old.fhd", ','));
    }
    EXPECT_EQ(state.main.Sced1Lat, "5601234,5");
    EXPECT_EQ(state.main.S1Ang[2], "123,5");
    EXPECT_EQ(state.main.S1Ang[0], "0");
    EXPECT_EQ(state.main.S2Sig[4], "-5");
    EXPECT_EQ(state.main.Sced2Lat, "0");
    EXPECT_EQ(state.ScedRec1, first);
    EXPECT_EQ(state.main.ScedNorth, (std::array<double, 2>{5601234.5, 0}));
    EXPECT_EQ(state.RxReadings(0, 0, 0), (instruments::RxReading{44.5, -3.5, 1}));
    EXPECT_EQ(state.main.ResLat[0], "5700500,0");
    EXPECT_EQ(state.main.DataFileName, (dir / "old.fhd").string());
    EXPECT_EQ(state.settings.LastUsedFilename, "previous.fh2");
}

}  // namespace
}  // namespace vantrel::persistence
