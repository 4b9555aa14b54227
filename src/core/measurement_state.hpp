#pragma once

// Everything the main window holds about one fox hunt. The box texts are the master: the window mirrors
// them, every command reads and writes them here, so commands run and are tested without a window.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/outcome.hpp"

namespace vantrel::core {

inline constexpr int kFoxCount = 5;

// What both result boxes of a fox say when its two bearings give no fix.
inline constexpr std::string_view kNoMatch = "no Match";
inline constexpr int kStationCount = 2;

struct MeasurementState {
    // Station boxes. "Lat" boxes hold northings and "Lon" boxes eastings, in metres (UTM).
    std::string Sced1Lat = "0";
    std::string Sced1Lon = "0";
    std::string Sced1Ang = "0";  // base angle, degrees clockwise from north
    std::string Sced2Lat = "0";
    std::string Sced2Lon = "0";
    std::string Sced2Ang = "0";
    // Per fox (index 0..4 shown as F1..F5): bearing relative to the base angle (degrees), signal (dB).
    std::array<std::string, kFoxCount> S1Ang{"0", "0", "0", "0", "0"};
    std::array<std::string, kFoxCount> S1Sig{"0", "0", "0", "0", "0"};
    std::array<std::string, kFoxCount> S2Ang{"0", "0", "0", "0", "0"};
    std::array<std::string, kFoxCount> S2Sig{"0", "0", "0", "0", "0"};
    // Index 0 for station 1, 1 for station 2; written by the GPS fix, read by nothing.
    std::array<std::string, kStationCount> txtZone;
    // Results: "0000000.0" texts or kNoMatch.
    std::array<std::string, kFoxCount> ResLat;
    std::array<std::string, kFoxCount> ResLon;
    // The last line received from the GPS receiver.
    std::string txtTest;

    // Fields.
    bool WaitElapsed = false;
    bool GpsAbort = false;
    std::string DataFileName;
    std::string DbFileName;
    bool ResultsValid = false;  // true once Calculate has run to its end; never cleared
    // Parsed copies of the station positions; index 0 is station 1, index 1 station 2.
    std::array<double, kStationCount> ScedNorth{};
    std::array<double, kStationCount> ScedEast{};
    // Computed fox positions, written only for foxes whose bearings intersect.
    std::array<double, kFoxCount> FoxNorth{};
    std::array<double, kFoxCount> FoxEast{};

    friend bool operator==(const MeasurementState&, const MeasurementState&) = default;
};

// One of the 26 numeric station boxes.
enum class BoxKind { Northing, Easting, BaseAngle, Bearing, Signal };

struct BoxId {
    int station = 1;  // 1 or 2
    BoxKind kind = BoxKind::Northing;
    int fox = 0;  // 0..4, for Bearing and Signal only

    friend bool operator==(const BoxId&, const BoxId&) = default;
};

std::string& Box(MeasurementState& state, BoxId id);
const std::string& Box(const MeasurementState& state, BoxId id);

// The control's name: "Sced1Lat", "Sced2Ang", "S1Ang(2)", "S2Sig(4)".
std::string BoxName(BoxId id);
// The box in the user's words: "Scedule 1, northing (N)", "Scedule 2, F3 bearing".
std::string BoxCaption(BoxId id);

// The 26 station boxes in the order of a station listing: Sced1Lat, Sced1Lon, Sced1Ang, S1Ang(0..4),
// S1Sig(0..4), then the same for station 2.
std::vector<BoxId> StationBoxesInListingOrder();

// Reads a box with the regional reading; a text that is not a number gives the message
// `<caption> is not a number: "<text>"`.
Result<double> ReadBox(const MeasurementState& state, BoxId id, char decimalSeparator);

// Reads the boxes in the given order and stops at the first that is not a number.
Result<std::vector<double>> ReadBoxes(const MeasurementState& state, const std::vector<BoxId>& ids,
                                      char decimalSeparator);

}  // namespace vantrel::core
