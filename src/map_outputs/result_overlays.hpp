#pragma once

// Write Overlays: the results of the last Calculate as two overlay files for the map application.
// - the fox symbols overlay: a bitmap for each fix F1..F5 and each station P1, P2;
// - the rays overlay: a line from each station to each fix in the fox's colour, the map centred on
//   station 2.
// Only stored values are used (FoxNorth/FoxEast, ScedNorth/ScedEast), never the box texts: a fox whose last
// Calculate found no fix is written at its stored position, and the stations where the last Calculate,
// Save, Open, Import or Write Preview Overlay put them.

#include <string>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "map_outputs/overlay_writer.hpp"
#include "persistence/settings.hpp"

namespace vantrel::map_outputs {

// Seven bitmap symbols (F1..F5 at the fixes, P1 and P2 at the stations), two blank lines, "[Overlay]".
std::string FoxSymbolsOverlayText(const core::MeasurementState& state);

// Ten line symbols of size 103 (station 1 and station 2 to each fix), "[Overlay]", "[MapLage]" on
// station 2.
std::string RaysOverlayText(const core::MeasurementState& state);

// "No Valid Data." while ResultsValid is false, and then no file is touched. Otherwise writes the fox
// symbols overlay to FoxesFileLocation and then the rays overlay to RaysFileLocation, each atomically. A
// failure names the file and the system's reason; when the rays overlay fails, the message says that the
// fox symbols overlay has already been replaced. Changes no state.
core::Outcome WriteOverlays(const core::MeasurementState& state, const persistence::Settings& settings);

}  // namespace vantrel::map_outputs
