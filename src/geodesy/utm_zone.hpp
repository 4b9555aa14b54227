#pragma once

// UTM zone designations as the zone boxes and the settings hold them ("32U", "25M"). Which zone a hunt is
// drawn and exported in: hunt_zone.hpp.

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::geodesy {

struct UtmZone {
    int number = 32;  // 1..60
    char band = 'U';  // latitude band C..X without I and O, upper case
    // Bands N..X lie north of the equator, C..M south of it: the band alone gives the hemisphere.
    [[nodiscard]] bool North() const { return band >= 'N'; }

    friend bool operator==(const UtmZone&, const UtmZone&) = default;
};

// Reads a zone designation: a zone number 1..60 (leading zeros allowed: "05Q") followed directly by one band
// letter C..X other than I and O, either case, with blanks allowed around the whole. Anything else ("",
// "32", "61U", "0U", "32I", "U32", "32 U", "32UU") gives nullopt.
std::optional<UtmZone> ParseUtmZone(std::string_view text);

// "32U": the number without leading zeros and the upper-case band letter.
std::string ZoneText(UtmZone zone);

}  // namespace vantrel::geodesy
