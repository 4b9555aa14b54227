#include "hunt_picture/legend.hpp"

#include "hunt_picture/hunt_scene.hpp"

namespace vantrel::hunt_picture {

std::optional<int> ShownHeatFox(const PictureInput& input) {
    const auto& heat = input.scene->heat;
    if (!heat || !input.layers.heat || !input.layers.FoxShown(heat->fox)) {
        return std::nullopt;
    }
    return heat->fox;
}

std::vector<LegendRow> LegendRows(const Layers& layers, std::optional<int> heatFox) {
    std::vector<LegendRow> rows;
    if (layers.stations) {
        rows.push_back({LegendSymbol::Station, "station P1, P2"});
    }
    if (layers.rays) {
        rows.push_back({LegendSymbol::Ray, "bearing (wider: weaker signal)"});
    }
    if (layers.readings) {
        rows.push_back({LegendSymbol::Reading, "receiver reading"});
    }
    std::string foxes = "F1 F2 F3 F4 F5";
    std::string hidden;
    for (std::size_t fox = 0; fox < layers.foxes.size(); ++fox) {
        if (!layers.foxes[fox]) {
            hidden += (hidden.empty() ? "" : " ") + std::string("F") + std::to_string(fox + 1);
        }
    }
    rows.push_back({LegendSymbol::FoxColours, hidden.empty() ? foxes : foxes + " (hidden: " + hidden + ")"});
    if (layers.fixes) {
        rows.push_back({LegendSymbol::FixGood, "fix and its ellipse: no flag"});
        rows.push_back({LegendSymbol::FixApproximate, "fix: approximate, acute, scattered"});
        rows.push_back({LegendSymbol::FixUnreliable, "fix: unreliable, behind a station"});
    } else if (layers.ellipses) {
        rows.push_back({LegendSymbol::Ellipse, "confidence ellipse"});
    }
    if (heatFox) {
        rows.push_back({LegendSymbol::Heat,
                        "F" + std::to_string(*heatFox + 1) + " likelihood: solid line 50 %, dashed 95 %"});
    }
    std::string on;
    const std::pair<bool, const char*> names[] = {
        {layers.map, "map"},           {layers.grid, "grid"},         {layers.rays, "rays"},
        {layers.readings, "readings"}, {layers.ellipses, "ellipses"}, {layers.fixes, "fixes"},
        {layers.stations, "stations"}};
    for (const auto& [shown, name] : names) {
        if (shown) {
            on += (on.empty() ? "" : ", ") + std::string(name);
        }
    }
    rows.push_back({LegendSymbol::Layers, "layers: " + (on.empty() ? std::string("none") : on)});
    return rows;
}

}  // namespace vantrel::hunt_picture
