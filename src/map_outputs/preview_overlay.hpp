#pragma once

// Write Preview Overlay: the five bearings of station 1 as straight lines for the map application, before
// any fix is computed. Each line starts at station 1 and runs along the absolute bearing (base angle plus
// bearing, not reduced) for a length chosen by the fox's signal value; its size number comes from the same
// signal band, its colour is the fox's. The map is centred on station 1. Works straight from the box texts;
// needs no Calculate and ignores station 2.

#include <string>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "map_outputs/overlay_writer.hpp"
#include "persistence/settings.hpp"

namespace vantrel::map_outputs {

// Signal bands, the first that holds wins (strict comparisons): s > -6 gives 10000 m and size 102,
// s > -20 5000 m and 103, s > -60 2500 m and 104, anything else 1000 m and 105.
int SignalLineSize(double signal);
double SignalRayLength(double signal);

// The end of a preview line: from `station` along `bearing` (degrees clockwise from grid north, used as it
// comes, any value) for the signal band's length: east + L sin(theta), north + L cos(theta), with theta
// from the program's 15-digit pi.
core::PlanePoint RayEndPoint(double bearing, double signal, core::PlanePoint station);

// The preview overlay's text. Reads its boxes first, in this order: Sced1Lat, Sced1Lon, then per fox
// S1Sig(i), S1Ang(i), Sced1Ang; the first that is not a number gives a message naming the box.
core::Result<std::string> PreviewOverlayText(const core::MeasurementState& state, char decimalSeparator);

// Builds the text, writes it atomically to PreviewOverlayFileLocation, and then stores station 1's position
// from its boxes in ScedNorth[0]/ScedEast[0]. A box that is not a number or a failed write changes nothing.
core::Outcome WritePreviewOverlay(core::MeasurementState& state, const persistence::Settings& settings,
                                  char decimalSeparator);

}  // namespace vantrel::map_outputs
