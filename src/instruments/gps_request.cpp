#include "instruments/gps_request.hpp"

#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::instruments {

bool GpsRequest::Feed(std::string_view chunk) {
    if (ended()) {
        return true;
    }
    framer_.Feed(chunk, [this](std::string_view sentence) {
        fix_ = ParseRmc(sentence);
        return !fix_.has_value();
    });
    return ended();
}

void ApplyGpsFix(core::MeasurementState& state, int stationIndex, const RmcFix& fix, char decimalSeparator) {
    const geodesy::UtmPosition utm = geodesy::LatLonToUtm(fix.latitude, fix.longitude);
    const bool first = stationIndex == 0;
    std::string& northing = first ? state.Sced1Lat : state.Sced2Lat;
    std::string& easting = first ? state.Sced1Lon : state.Sced2Lon;
    northing = core::FormatPattern(utm.northing, "0000000.0", decimalSeparator);
    easting = core::FormatPattern(utm.easting, "0000000.0", decimalSeparator);
    state.txtZone[first ? 0 : 1] = utm.zone;
    state.txtTest = fix.sentence + "  " + fix.hemisphere + "  " + fix.eastWest;
}

}  // namespace vantrel::instruments
