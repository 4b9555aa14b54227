#pragma once

// What the legend of the hunt picture says: one row per symbol of a layer that is shown, the five fox
// colours, the three styles of a fix by its quality flags, and which layers are on. Plain C++: the drawing
// routine draws these rows, and tests read them.

#include <optional>
#include <string>
#include <vector>

#include "hunt_picture/hunt_picture.hpp"

namespace vantrel::hunt_picture {

enum class LegendSymbol {
    Station,
    Ray,
    Reading,
    FoxColours,  // a swatch for each of F1..F5
    FixGood,
    FixApproximate,
    FixUnreliable,
    Ellipse,
    Heat,    // the likelihood map's ramp with its two outlines
    Layers,  // words only
};

struct LegendRow {
    LegendSymbol symbol = LegendSymbol::Station;
    std::string text;
};

// The rows for the layers shown; the fox row names the foxes switched off ("(hidden: F2 F5)"). With
// `heatFox` (0..4), the row of that fox's likelihood map.
std::vector<LegendRow> LegendRows(const Layers& layers, std::optional<int> heatFox = std::nullopt);

// The fox of the likelihood map the picture shows; nothing when it shows none.
std::optional<int> ShownHeatFox(const PictureInput& input);

}  // namespace vantrel::hunt_picture
