// Write Overlays: the fox symbols overlay and the rays overlay from the stored results. Coordinate texts
// were worked out apart from the program (the written series in Python).
#include "map_outputs/result_overlays.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_bytes.hpp"
#include "persistence/atomic_file.hpp"
#include "temp_dir.hpp"

namespace vantrel::map_outputs {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

// Stations 1 km apart; F3 never had a fix (northing and easting 0).
core::MeasurementState Results() {
    core::MeasurementState state;
    state.ResultsValid = true;
    state.ScedNorth = {5700000, 5700000};
    state.ScedEast = {500000, 501000};
    state.FoxNorth = {5700500, 5712345.6, 0, 5601234.5, 5650000};
    state.FoxEast = {500500, 487654.3, 0, 532100.25, 470000};
    // The boxes are not used: only the stored positions count.
    state.Sced1Lat = "1";
    state.Sced2Lon = "letters";
    return state;
}

// longitude, latitude
const char* const kS1[] = {"9.", "51.4511822"};
const char* const kS2[] = {"9.01439121", "51.45118132"};
const char* const kFix[5][2] = {{"9.00719631", "51.45567788"},
                                {"8.82189868", "51.56205521"},
                                {"4.5112561", "."},
                                {"9.45321537", "50.56215267"},
                                {"8.57245632", "51.00079245"}};

std::string Bitmap(int n, const char* bitmap, const char* const texts[2]) {
    return "[Symbol " + std::to_string(n) +
           "]\r\nTyp=1\r\nGroup=1\r\nWidth=100\r\nHeight=100\r\nDir=100\r\nZoom=1\r\nTrans=1\r\nTransByte="
           "5\r\n"
           "Path=" +
           bitmap + "\r\nXKoord=" + texts[0] + "\r\nYKoord=" + texts[1] + "\r\n";
}

TEST(FoxSymbolsOverlay, SevenBitmapsTwoBlankLinesNoMapLage) {
    const std::string expected =
        Bitmap(1, "C:\\Vantrel\\F1.bmp", kFix[0]) + Bitmap(2, "C:\\Vantrel\\F2.bmp", kFix[1]) +
        Bitmap(3, "C:\\Vantrel\\F3.bmp", kFix[2]) + Bitmap(4, "C:\\Vantrel\\F4.bmp", kFix[3]) +
        Bitmap(5, "C:\\Vantrel\\F5.bmp", kFix[4]) + Bitmap(6, "C:\\Vantrel\\P1.bmp", kS1) +
        Bitmap(7, "C:\\Vantrel\\P2.bmp", kS2) + "\r\n\r\n[Overlay]\r\nSymbols=7\r\n";
    EXPECT_EQ(FoxSymbolsOverlayText(Results()), expected);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST(RaysOverlay, TenLinesStationToFixInFoxColoursThenMapLageOnStation2) {
    const std::vector<std::string> lines = Lines(RaysOverlayText(Results()));
    ASSERT_EQ(lines.size(), 10U * 12 + 1 + 2 + 1 + 8);
    const int colours[] = {1, 2, 3, 5, 8};
    for (int symbol = 0; symbol < 10; ++symbol) {
        const int fox = symbol / 2;
        const char* const* start = symbol % 2 == 0 ? kS1 : kS2;
        const std::vector<std::string> expected{"[Symbol " + std::to_string(symbol + 1) + "]",
                                                "Typ=3",
                                                "Group=1",
                                                "Col=" + std::to_string(colours[fox]),
                                                "Zoom=1",
                                                "Size=103",
                                                "Art=1",
                                                "Punkte=2",
                                                std::string("XKoord0=") + start[0],
                                                std::string("YKoord0=") + start[1],
                                                std::string("XKoord1=") + kFix[fox][0],
                                                std::string("YKoord1=") + kFix[fox][1]};
        const std::vector<std::string> actual(lines.begin() + symbol * 12, lines.begin() + symbol * 12 + 12);
        EXPECT_EQ(actual, expected) << "symbol " << symbol + 1;
    }
    const std::vector<std::string> tail(lines.begin() + 120, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", "[Overlay]", "Symbols=10", "", "[MapLage]", "DimmFc=100",
                                              "ZoomFc=81", "CenterLat=9.01439121", "CenterLong=51.45118132",
                                              "RefOn=1", "RefLat=9.01439121", "RefLong=51.45118132"}));
}

persistence::Settings OverlayPaths(const TempDir& dir) {
    persistence::Settings settings;
    settings.FoxesFileLocation = (dir / "foxies.ovl").string();
    settings.RaysFileLocation = (dir / "rays.ovl").string();
    return settings;
}

TEST(WriteOverlays, BeforeTheFirstCalculateSaysNoValidDataAndTouchesNothing) {
    const TempDir dir;
    WriteBytes(dir / "foxies.ovl", "old");
    core::MeasurementState state = Results();
    state.ResultsValid = false;
    const core::Outcome outcome = WriteOverlays(state, OverlayPaths(dir));
    EXPECT_EQ(outcome.message(), "No Valid Data.");
    EXPECT_EQ(ReadBytes(dir / "foxies.ovl"), "old");
    EXPECT_FALSE(std::filesystem::exists(dir / "rays.ovl"));
}

TEST(WriteOverlays, ReplacesLongerFilesWhole) {
    const TempDir dir;
    WriteBytes(dir / "foxies.ovl", std::string(100000, 'x'));
    WriteBytes(dir / "rays.ovl", std::string(100000, 'y'));
    ASSERT_TRUE(WriteOverlays(Results(), OverlayPaths(dir)));
    EXPECT_EQ(ReadBytes(dir / "foxies.ovl"), FoxSymbolsOverlayText(Results()));
    EXPECT_EQ(ReadBytes(dir / "rays.ovl"), RaysOverlayText(Results()));
}

TEST(WriteOverlays, RaysFailureReportsThatTheFoxSymbolsAreAlreadyWritten) {
    const TempDir dir;
    persistence::Settings settings = OverlayPaths(dir);
    settings.RaysFileLocation = (dir / "no such folder" / "rays.ovl").string();
    const core::Outcome outcome = WriteOverlays(Results(), settings);
    ASSERT_FALSE(outcome);
    const std::string shown = persistence::DisplayPath(std::filesystem::path("no such folder") / "rays.ovl");
    EXPECT_NE(outcome.message().find(shown + "\": No such file or directory"), std::string::npos)
        << outcome.message();
    EXPECT_NE(outcome.message().find("foxies.ovl\" has already been written"), std::string::npos)
        << outcome.message();
    EXPECT_EQ(ReadBytes(dir / "foxies.ovl"), FoxSymbolsOverlayText(Results()));
}

TEST(WriteOverlays, FoxSymbolsFailureStopsBeforeTheRaysAndKeepsOldFiles) {
    const TempDir dir;
    WriteBytes(dir / "rays.ovl", "old rays");
    persistence::Settings settings = OverlayPaths(dir);
    settings.FoxesFileLocation = (dir / "missing" / "foxies.ovl").string();
    const core::Outcome outcome = WriteOverlays(Results(), settings);
    ASSERT_FALSE(outcome);
    const std::string shown = persistence::DisplayPath(std::filesystem::path("missing") / "foxies.ovl");
    EXPECT_NE(outcome.message().find(shown), std::string::npos) << outcome.message();
    EXPECT_EQ(ReadBytes(dir / "rays.ovl"), "old rays");
}

}  // namespace
}  // namespace vantrel::map_outputs
