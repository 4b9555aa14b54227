#pragma once

// One event as one line of JSON, and back: the one place that touches the JSON library. Lines are
// written by the library (never put together by hand) and read through its event-driven parser straight
// into the fields below, without building a document per line, so a million lines read in well under a
// second. Encoding never fails; decoding a line that is not a valid event says why.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "hunt_log/events.hpp"

namespace vantrel::hunt_log {

// A bearing as written: station and source as text. Positions are rounded for the file to 1e-9 degrees
// (0.1 mm) and 1 mm.
std::string EncodeHeader(const Header& header);
std::string EncodeTruth(const TruthFox& truth);
std::string EncodeBearing(const BearingEvent& bearing, std::string_view station, std::string_view source);
std::string EncodePosition(const PositionEvent& position);
std::string EncodeEdit(const EditEvent& edit);

enum class LineKind { Header, Truth, Bearing, Position, Edit, Unknown };

// What one line holds. A bearing's position may be given as lat/lon, as zone/easting/northing, or both;
// the flags say which (the reader fills in the other and moves it into the log's zone).
struct DecodedLine {
    LineKind kind = LineKind::Unknown;
    Header header;
    TruthFox truth;
    BearingEvent bearing;  // station and source are in the strings below; its indices are 0
    std::string station;
    std::string source;
    bool hasLatLon = false;
    bool hasGrid = false;
    PositionEvent position;
    EditEvent edit;
};

// Gives a decoded bearing both forms of its position, in the log's zone `zone` (exact transverse Mercator
// where it came in another zone or as latitude/longitude only). True when it came in another zone. For the
// log's readers.
bool PlaceInLogZone(DecodedLine& line, geodesy::UtmZone zone);

// Decodes lines one at a time, keeping its buffers from line to line. One decoder per thread.
class LineDecoder {
  public:
    LineDecoder();
    ~LineDecoder();
    LineDecoder(const LineDecoder&) = delete;
    LineDecoder& operator=(const LineDecoder&) = delete;

    // Decodes one line (without its line end) into `out`, which may be reused from line to line. A JSON
    // object of an unknown "type" is LineKind::Unknown; fields of no known meaning are skipped. A failure's
    // message is the reason alone, for the caller to name the line: "it is not JSON (...)", "its fox is
    // missing", "its bearing 400 lies outside 0..360", ...
    core::Outcome Decode(std::string_view line, DecodedLine& out);

  private:
    struct Scratch;
    std::unique_ptr<Scratch> scratch_;
};

}  // namespace vantrel::hunt_log
