#include "instruments/gps_request.hpp"

#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::instruments {

bool GpsRequest::Feed(std::string_view chunk) {
    if (ended()) {
        return true;
    }
    receivedAny_ = receivedAny_ || !chunk.empty();
    framer_.Feed(chunk, [this](std::string_view sentence) {
        fix_ = ParseRmc(sentence);
        receiverReportsNoFix_ = receiverReportsNoFix_ || IsRmcWithoutFix(sentence);
        return !fix_.has_value();
    });
    return ended();
}

std::string GpsWaitingText(const GpsRequest& request, std::string_view portName) {
    if (!request.receivedAny()) {
        return "no data from " + std::string(portName) + " yet";
    }
    std::string text = "receiving, no valid position yet";
    if (request.receiverReportsNoFix()) {
        text += " (receiver reports no fix)";
    }
    return text;
}

std::string GpsFixNote(int stationIndex, std::string_view portName, std::string_view zone) {
    return std::string(stationIndex == 0 ? "Scedule 1" : "Scedule 2") + ": position from " +
           std::string(portName) + ", zone " + std::string(zone);
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
