#pragma once

// What the commands say when the stations' zone boxes do not fit the grid of the map application's files
// (zone 32, north of the equator: UtmToLatLon knows no other), or do not fit each other. These are warnings
// only: the commands run and write exactly as they always have.

#include <string>
#include <string_view>

namespace vantrel::geodesy {

// The command that asks: Calculate also compares the two stations' zones; the preview overlay converts
// station 1's position only.
enum class ZoneCheck { Calculate, Overlays, PreviewOverlay, Database };

// The warning for the status line, one sentence or two, or "" when there is nothing to say. A box that
// holds no zone designation (empty, or typed text that is not one) is not looked at.
// - Another zone than 32 north: "The stations are in zone 10T; the overlay files and the database use zone
//   32, the map application's grid: positions there will be wrong." (or "Scedule 2 is in zone 33U; ...",
//   or "The stations are in zones 10T and 11T; ...")
// - Calculate, with two zones of different number or hemisphere: "The stations are in different zones, 32U
//   and 33U: the two UTM planes do not meet, so the fixes are wrong."
std::string ZoneWarning(ZoneCheck check, std::string_view zoneBox1, std::string_view zoneBox2);

}  // namespace vantrel::geodesy
