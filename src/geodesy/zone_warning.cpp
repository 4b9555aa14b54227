#include "geodesy/zone_warning.hpp"

#include <optional>

#include "geodesy/utm_zone.hpp"

namespace vantrel::geodesy {
namespace {

bool OnTheMapGrid(UtmZone zone) {
    return zone.number == 32 && zone.North();
}

// Who is off the grid: "The stations are in zone 10T", "Scedule 2 is in zone 33U", ...; "" when nobody.
std::string OffGridSubject(const std::optional<UtmZone>& zone1, const std::optional<UtmZone>& zone2) {
    const bool off1 = zone1 && !OnTheMapGrid(*zone1);
    const bool off2 = zone2 && !OnTheMapGrid(*zone2);
    if (off1 && off2) {
        return *zone1 == *zone2
                   ? "The stations are in zone " + ZoneText(*zone1)
                   : "The stations are in zones " + ZoneText(*zone1) + " and " + ZoneText(*zone2);
    }
    if (off1) {
        return "Scedule 1 is in zone " + ZoneText(*zone1);
    }
    if (off2) {
        return "Scedule 2 is in zone " + ZoneText(*zone2);
    }
    return "";
}

// Two zones meet in one plane when they share the number and the hemisphere (the band may differ).
bool SamePlane(UtmZone a, UtmZone b) {
    return a.number == b.number && a.North() == b.North();
}

}  // namespace

std::string ZoneWarning(ZoneCheck check, std::string_view zoneBox1, std::string_view zoneBox2) {
    const std::optional<UtmZone> zone1 = ParseUtmZone(zoneBox1);
    const std::optional<UtmZone> zone2 =
        check == ZoneCheck::PreviewOverlay ? std::nullopt : ParseUtmZone(zoneBox2);
    std::string warning;
    if (check == ZoneCheck::Calculate && zone1 && zone2 && !SamePlane(*zone1, *zone2)) {
        warning = "The stations are in different zones, " + ZoneText(*zone1) + " and " + ZoneText(*zone2) +
                  ": the two UTM planes do not meet, so the fixes are wrong.";
    }
    const std::string offGrid = OffGridSubject(zone1, zone2);
    if (!offGrid.empty()) {
        if (!warning.empty()) {
            warning += ' ';
        }
        warning += offGrid +
                   "; the overlay files and the database use zone 32, the map application's grid: positions "
                   "there will be wrong.";
    }
    return warning;
}

}  // namespace vantrel::geodesy
