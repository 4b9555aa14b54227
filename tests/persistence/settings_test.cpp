#include "persistence/settings.hpp"

#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "temp_dir.hpp"

namespace vantrel::persistence {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

const DefaultLocations kDefaults = WindowsDefaultLocations();

TEST(Settings, AbsentFileGivesTheAbsentValues) {
    const TempDir dir;
    const Settings s = GetIniData(dir / "Vantrel.ini");
    EXPECT_EQ(s.GpsPort, "1");
    EXPECT_EQ(s.GonPort, "1");
    EXPECT_EQ(s.LastUsedFilename, "1");
    EXPECT_EQ(s.RaysFileLocation, "");
    EXPECT_EQ(s.FoxesFileLocation, "");
    EXPECT_EQ(s.DataBaseFilename, "");
    EXPECT_EQ(s.PreviewOverlayFileLocation, "");
}

TEST(Settings, StartUpDefaultsFillEmptyLocations) {
    const TempDir dir;
    WriteBytes(dir / "Vantrel.ini",
               "[Comm]\r\nGPS-Port=3\r\n[File]\r\nRaysFileLocation=\r\nFoxesFileLocation=D:\\f.ovl\r\n");
    Settings s = GetIniData(dir / "Vantrel.ini");
    core::MeasurementState state;
    state.ResultsValid = true;
    ApplyStartupDefaults(s, state, kDefaults);
    EXPECT_EQ(s.GpsPort, "3");
    EXPECT_EQ(s.GonPort, "1");
    EXPECT_EQ(s.RaysFileLocation, "C:\\Programme\\Top50 V4\\Overlay\\rays.ovl");
    EXPECT_EQ(s.FoxesFileLocation, "D:\\f.ovl");
    EXPECT_EQ(s.PreviewOverlayFileLocation, "C:\\Programme\\Top50 V4\\Overlay\\preview.ovl");
    EXPECT_EQ(s.DataBaseFilename, "C:\\Programme\\TOP50 V4\\database\\Univdb_u.mdb");
    EXPECT_EQ(state.DataFileName, "c:\\vantrel\\default.fhd");
    EXPECT_FALSE(state.ResultsValid);
}

TEST(Settings, FirstWriteCreatesBothSectionsWithAllSevenKeys) {
    const TempDir dir;
    Settings s = GetIniData(dir / "Vantrel.ini");
    core::MeasurementState state;
    ApplyStartupDefaults(s, state, kDefaults);
    ASSERT_TRUE(PutIniData(s, dir / "Vantrel.ini"));
    EXPECT_EQ(ReadBytes(dir / "Vantrel.ini"),
              "[Comm]\r\nGPS-Port=1\r\nGON-Port=1\r\n"
              "[File]\r\nLast Used Filename=1\r\n"
              "RaysFileLocation=C:\\Programme\\Top50 V4\\Overlay\\rays.ovl\r\n"
              "FoxesFileLocation=C:\\Programme\\Top50 V4\\Overlay\\foxies.ovl\r\n"
              "DataBaseFilename=C:\\Programme\\TOP50 V4\\database\\Univdb_u.mdb\r\n"
              "PreviewOverlayFileLocation=C:\\Programme\\Top50 V4\\Overlay\\preview.ovl\r\n");
}

TEST(Settings, WriteKeepsOtherContentAndRoundTrips) {
    const TempDir dir;
    WriteBytes(dir / "Vantrel.ini", "[Ports]\nCOM1=/dev/ttyACM0\n[comm]\ngps-port=2\n");
    Settings s = GetIniData(dir / "Vantrel.ini");
    s.GpsPort = "8";
    s.LastUsedFilename = std::string(300, 'p');
    ASSERT_TRUE(PutIniData(s, dir / "Vantrel.ini"));
    const std::string written = ReadBytes(dir / "Vantrel.ini");
    EXPECT_EQ(written.rfind("[Ports]\nCOM1=/dev/ttyACM0\n[comm]\nGPS-Port=8\nGON-Port=1\n[File]\n", 0), 0u);
    EXPECT_NE(written.find("RaysFileLocation=\n"), std::string::npos);
    EXPECT_EQ(GetIniData(dir / "Vantrel.ini"), s);
}

TEST(Settings, CreatesTheSettingsFolder) {
    const TempDir dir;
    ASSERT_TRUE(PutIniData(Settings{}, dir / "config" / "Vantrel" / "Vantrel.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir / "config" / "Vantrel" / "Vantrel.ini"));
}

TEST(Settings, ValueWithALineBreakIsRefusedAndTheFileKept) {
    const TempDir dir;
    WriteBytes(dir / "Vantrel.ini", "[Comm]\r\nGPS-Port=2\r\n");
    Settings s = GetIniData(dir / "Vantrel.ini");
    s.LastUsedFilename = "/tmp/a\n[Comm]\nGPS-Port=9.fh2";
    const core::Outcome outcome = PutIniData(s, dir / "Vantrel.ini");
    ASSERT_FALSE(outcome);
    EXPECT_NE(outcome.message().find("Last Used Filename"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir / "Vantrel.ini"), "[Comm]\r\nGPS-Port=2\r\n");
}

TEST(Settings, FailedWriteIsReported) {
    const TempDir dir;
    std::filesystem::create_directories(dir / "Vantrel.ini");  // a folder where the file should be
    const core::Outcome outcome = PutIniData(Settings{}, dir / "Vantrel.ini");
    ASSERT_FALSE(outcome);
    EXPECT_NE(outcome.message().find("Vantrel.ini"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::persistence
