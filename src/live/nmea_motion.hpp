#pragma once

// NMEA sentences for a moving hunter, read beside the position reading of Get Pos (ParseRmc, which stays as
// it is):
//
//   $GPRMC,123519.50,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//     -> GpsSample: time from hhmmss(.ss) and ddmmyy (years 80..99 are 1980..1999, 00..79 2000..2079),
//        speed knots -> m/s (x 1852 / 3600), course degrees true; an empty speed or course is NaN.
//        Everything ParseRmc refuses, and a missing or impossible time or date, gives nothing.
//   $HEHDT,274.07,T*03        -> heading, degrees true
//   $HCHDG,98.3,0.0,E,12.6,W*57
//     -> heading = sensor heading + deviation + variation (E positive, W negative); without a variation
//        the sentence says nothing about true north and gives nothing.
// Any talker; a '*' must be followed by the right checksum. Headings are folded into [0, 360).
//
// NmeaMotionReader frames a byte stream (NmeaFramer) and hands out GpsSample and HeadingSample values; a
// heading carries the time of the last fix read before it (0 before any). One reader belongs to one thread.

#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "instruments/gps_sample.hpp"
#include "instruments/nmea_reader.hpp"

namespace vantrel::live {

inline constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

std::optional<instruments::GpsSample> ParseRmcMotion(std::string_view sentence);
// The true heading of an HDT or HDG sentence.
std::optional<double> ParseHeadingSentence(std::string_view sentence);

using MotionItem = std::variant<instruments::GpsSample, instruments::HeadingSample>;

class NmeaMotionReader {
  public:
    // The fixes and headings in the chunk, in stream order; bytes of an unfinished sentence wait.
    std::vector<MotionItem> Feed(std::string_view chunk);
    // Sentences that looked like RMC, HDT or HDG but were refused (checksum, no fix, bad field).
    [[nodiscard]] std::size_t refused() const { return refused_; }

  private:
    instruments::NmeaFramer framer_;
    std::int64_t lastFixTime_ = 0;
    std::size_t refused_ = 0;
};

}  // namespace vantrel::live
