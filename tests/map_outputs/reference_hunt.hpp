#pragma once

// A hunt whose seven positions were chosen in degrees, minutes and seconds and converted to zone 32 UTM
// with GeographicLib's exact Transverse Mercator (GeoConvert -u -z 32n -p 4). The texts the object database
// must receive are those degrees, minutes and seconds written by hand in the DDMMSS.sss / DDDMMSS.sss
// forms. Every position lies within one degree of the central meridian, where the program's inverse series
// is good to a millimetre, far inside the 0.0005" (about 1.5 cm) that would change a written digit.

#include <array>
#include <string>

#include "core/measurement_state.hpp"

namespace vantrel::testing_support {

inline core::MeasurementState ReferenceHunt() {
    core::MeasurementState state;
    state.ResultsValid = true;
    // 50 01'35.123" N  8 37'16.250" E, and 49 52'08.456" N  8 39'21.789" E
    state.ScedNorth = {5541637.2870, 5524124.1405};
    state.ScedEast = {472866.0351, 475283.4075};
    // F1 50 10'00.500" N  9 E; F2 51 20'44.444" N  9 40'12.345" E; F3 48 30'30.303" N  8 15'15.151" E;
    // F4 52 05'05.005" N  9 55'55.555" E; F5 50 45'45.454" N  9 E
    state.FoxNorth = {5557177.1752, 5688479.9575, 5373079.7712, 5770871.3454, 5623428.5547};
    state.FoxEast = {500000.0, 546669.8721, 444916.3203, 563867.5191, 500000.0};
    return state;
}

// The two stations of the same hunt as typed into the boxes (to the decimetre, regional commas), with
// bearings that cross for every fox and a signal for every ray: Calculate, Save and the overlays all have
// something to do.
inline void TypeReferenceHunt(core::MeasurementState& m) {
    m.Sced1Lat = "5541637,3";
    m.Sced1Lon = "472866,0";
    m.Sced2Lat = "5524124,1";
    m.Sced2Lon = "475283,4";
    m.S1Ang = {"45", "90", "120", "60", "10"};
    m.S2Ang = {"20", "50", "80", "40", "5"};
    m.S1Sig = {"-3", "-10", "-30", "-70", "0"};
    m.S2Sig = {"-4", "-11", "-31", "-71", "-1"};
}

// objname, grad_lat, grad_long, graphic_id of the seven records, in order.
inline const std::array<std::array<std::string, 4>, 7> kReferenceRecords{{
    {"FP1", "500135.123", "0083716.250", "23"},
    {"FP2", "495208.456", "0083921.789", "24"},
    {"F1", "501000.500", "0090000.000", "25"},
    {"F2", "512044.444", "0094012.345", "26"},
    {"F3", "483030.303", "0081515.151", "27"},
    {"F4", "520505.005", "0095555.555", "28"},
    {"F5", "504545.454", "0090000.000", "29"},
}};

}  // namespace vantrel::testing_support
