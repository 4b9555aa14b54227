#include "hunt_picture/position_text.hpp"

#include <cmath>

#include "core/number_text.hpp"
#include "geodesy/transverse_mercator.hpp"

namespace vantrel::hunt_picture {

std::string DmsText(double degrees, char positive, char negative, char decimalSeparator) {
    const char hemisphere = degrees < 0 ? negative : positive;
    // Tenths of a second, rounded once, so 59.96" carries into the minutes instead of showing 60.0".
    const long long tenths = std::llround(std::abs(degrees) * 36000);
    const long long whole = tenths / 36000;
    const long long minutes = tenths % 36000 / 600;
    const double seconds = static_cast<double>(tenths % 600) / 10;
    return std::to_string(whole) + "\u00B0" + (minutes < 10 ? "0" : "") + std::to_string(minutes) + "'" +
           core::FormatPattern(seconds, "00.0", decimalSeparator) + "\"" + hemisphere;
}

std::string PositionText(geodesy::UtmZone zone, core::PlanePoint hunt, char decimalSeparator) {
    const geodesy::GeoPosition geo = geodesy::ZoneUtmToLatLon(zone, hunt.x, hunt.y);
    const auto decimal = [decimalSeparator](double value) {
        return core::FormatPattern(value, "#0.00000", decimalSeparator);
    };
    return geodesy::ZoneText(zone) + " E " + core::FormatPattern(hunt.x, "0", decimalSeparator) + " N " +
           core::FormatPattern(hunt.y, "0", decimalSeparator) + "  |  " + decimal(geo.lat) + ", " +
           decimal(geo.lon) + "  |  " + DmsText(geo.lat, 'N', 'S', decimalSeparator) + " " +
           DmsText(geo.lon, 'E', 'W', decimalSeparator);
}

}  // namespace vantrel::hunt_picture
