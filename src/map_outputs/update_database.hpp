#pragma once

// Update Database: the two stations and the five fox fixes as the first seven records of the map
// application's object table.

#include <array>
#include <cstdint>
#include <string>

#include "core/measurement_state.hpp"
#include "core/outcome.hpp"
#include "map_outputs/object_table.hpp"
#include "map_outputs/overlay_writer.hpp"

namespace vantrel::map_outputs {

inline constexpr int kMapObjectCount = 7;

// One map object as it is written: name, symbol number and the packed degrees texts.
struct MapObject {
    std::string objname;
    std::int16_t graphic_id = 0;
    std::string grad_lat;   // GradLat of the latitude: DDMMSS.sss
    std::string grad_long;  // GradLong of the longitude: DDDMMSS.sss

    friend bool operator==(const MapObject&, const MapObject&) = default;
};

// The seven objects in the order they are written: FP1 and FP2 (symbols 23, 24) at ScedNorth/ScedEast,
// F1 to F5 (symbols 25 to 29) at FoxNorth/FoxEast, each converted with UtmToLatLon in zone 32. The text
// boxes and txtZone are not read. A position that is not a finite number (a damaged data file) is refused
// with a message naming the object, since its texts would be meaningless.
core::Result<std::array<MapObject, kMapObjectCount>> MapObjects(const core::MeasurementState& state);

// Writes the seven objects into the first seven records of the table, in recordset order, whatever they
// held; nothing is searched by name, nothing added, the eighth record on is not touched. Before the first
// Calculate (ResultsValid false) it answers kNoValidData and does not touch the table.
// All seven records are saved in one transaction: a table with fewer than seven records, a missing field,
// a locked or read-only database or any failed save gives a message naming the file and the failure, and
// the table is left as it was.
core::Outcome UpdateDatabase(const core::MeasurementState& state, ObjectTable& table);

}  // namespace vantrel::map_outputs
