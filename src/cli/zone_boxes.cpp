// SPDX-License-Identifier: GPL-3.0-or-later
// --zone ZONE[,ZONE] of the commands that compute or write zone-32 positions: the stations' zone boxes, which
// a measurement file does not hold, for the warnings the window shows in its status line.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "geodesy/utm_zone.hpp"

namespace vantrel::cli {

std::optional<ZoneBoxes> ZoneBoxesOption(const Context& context) {
    const auto text = context.args.Option("zone");
    if (!text) {
        return ZoneBoxes{};
    }
    const std::size_t comma = text->find(',');
    ZoneBoxes boxes{text->substr(0, comma),
                    comma == std::string::npos ? text->substr(0, comma) : text->substr(comma + 1)};
    for (const std::string& box : boxes) {
        if (!geodesy::ParseUtmZone(box)) {
            UsageError(
                "--zone must be a UTM zone such as 32U, or station 1's and station 2's separated by a "
                "comma (32U,33U): \"" +
                *text + "\"");
            return std::nullopt;
        }
    }
    return boxes;
}

void PrintZoneWarnings(const ZoneBoxes& boxes, std::initializer_list<geodesy::ZoneCheck> checks) {
    std::vector<std::string> printed;
    for (const geodesy::ZoneCheck check : checks) {
        const std::string warning = geodesy::ZoneWarning(check, boxes[0], boxes[1]);
        const bool said = std::any_of(printed.begin(), printed.end(), [&](const std::string& earlier) {
            return earlier.find(warning) != std::string::npos;
        });
        if (!warning.empty() && !said) {
            PrintWarning(warning);
            printed.push_back(warning);
        }
    }
}

}  // namespace vantrel::cli
