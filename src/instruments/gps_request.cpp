#include "instruments/gps_request.hpp"

#include <limits>

#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"

namespace vantrel::instruments {

bool GpsRequest::Feed(std::string_view chunk) {
    if (ended()) {
        return true;
    }
    receivedAny_ = receivedAny_ || !chunk.empty();
    framer_.Feed(chunk, [this](std::string_view sentence) {
        RmcCheck check = CheckRmc(sentence);
        fix_ = std::move(check.fix);
        if (!fix_ && check.problem != RmcProblem::NotRmc) {
            int& count = refused_[static_cast<std::size_t>(check.problem)];
            count = count < std::numeric_limits<int>::max() ? count + 1 : count;
        }
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

std::string GpsRefusalText(const GpsRequest& request) {
    long long total = 0;
    std::string reasons;
    for (int i = 0; i < kRmcProblemCount; ++i) {
        const auto problem = static_cast<RmcProblem>(i);
        if (const int count = request.refused(problem); count > 0) {
            total += count;
            reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " +
                       std::string(RmcProblemText(problem));
        }
    }
    if (total == 0) {
        return {};
    }
    return std::to_string(total) + (total == 1 ? " RMC sentence was" : " RMC sentences were") +
           " refused: " + reasons;
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
