#pragma once

// One "Get Pos" request: waits in the NMEA stream for the first valid RMC sentence, then writes the
// station's position, zone and the received sentence into the main window's boxes.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/measurement_state.hpp"
#include "instruments/nmea_reader.hpp"

namespace vantrel::instruments {

class GpsRequest {
  public:
    // Feeds received bytes. Returns true once the request has ended: a valid RMC sentence was found (the
    // rest of the chunk is not looked at) or it was aborted. Bytes fed after the end are ignored.
    bool Feed(std::string_view chunk);

    // GpsAbort (Esc): the request ends without a position.
    void Abort() { aborted_ = true; }

    [[nodiscard]] bool ended() const { return aborted_ || fix_.has_value(); }
    [[nodiscard]] bool aborted() const { return aborted_; }
    // The first valid RMC position; nullopt until found, and after an abort that came first.
    [[nodiscard]] const std::optional<RmcFix>& fix() const { return fix_; }

    // How far a waiting request got, for the user: any byte at all, and a checked RMC sentence that says
    // the receiver has no position yet (status V).
    [[nodiscard]] bool receivedAny() const { return receivedAny_; }
    [[nodiscard]] bool receiverReportsNoFix() const { return receiverReportsNoFix_; }
    // How many complete RMC sentences of an accepted talker were refused so far, for each reason.
    [[nodiscard]] int refused(RmcProblem problem) const {
        return refused_[static_cast<std::size_t>(problem)];
    }

  private:
    NmeaFramer framer_;
    std::optional<RmcFix> fix_;
    bool aborted_ = false;
    bool receivedAny_ = false;
    bool receiverReportsNoFix_ = false;
    std::array<int, kRmcProblemCount> refused_{};
};

// The refused RMC sentences in words, or "" when none was refused: "3 RMC sentences were refused: 2 with
// minutes of 60 or more, 1 with a latitude beyond 90 degrees".
std::string GpsRefusalText(const GpsRequest& request);

// How a waiting request stands, `portName` as the user knows the port ("COM1"): "no data from COM1 yet",
// "receiving, no valid position yet", or the same followed by " (receiver reports no fix)".
std::string GpsWaitingText(const GpsRequest& request, std::string_view portName);

// The note once a request has written its position: "Scedule 1: position from COM1, zone 32U" (station
// index 0 is station 1, anything else station 2).
std::string GpsFixNote(int stationIndex, std::string_view portName, std::string_view zone);

// What the request writes for station index `stationIndex` (0 for station 1, anything else station 2):
// northing and easting from LatLonToUtm with the pattern "0000000.0" into Sced<k>Lat and Sced<k>Lon, the
// zone into txtZone, and into txtTest the sentence followed by two blanks, the hemisphere letter, two blanks
// and the east/west letter.
void ApplyGpsFix(core::MeasurementState& state, int stationIndex, const RmcFix& fix, char decimalSeparator);

}  // namespace vantrel::instruments
