#pragma once

// One "Get Pos" request: waits in the NMEA stream for the first valid RMC sentence, then writes the
// station's position, zone and the received sentence into the main window's boxes.

#include <optional>
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

  private:
    NmeaFramer framer_;
    std::optional<RmcFix> fix_;
    bool aborted_ = false;
};

// What the request writes for station index `stationIndex` (0 for station 1, anything else station 2):
// northing and easting from LatLonToUtm with the pattern "0000000.0" into Sced<k>Lat and Sced<k>Lon, the
// zone into txtZone, and into txtTest the sentence followed by two blanks, the hemisphere letter, two blanks
// and the east/west letter.
void ApplyGpsFix(core::MeasurementState& state, int stationIndex, const RmcFix& fix, char decimalSeparator);

}  // namespace vantrel::instruments
