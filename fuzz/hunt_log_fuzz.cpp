// Bearing log lines: any text decoded as one line; an event that decodes is written again and must read
// back the same (the file keeps 9 decimals of degrees and 3 of metres).
//
// Input: one line of a log (line ends included as they come).

#include <cmath>
#include <string>

#include "fuzz_support.hpp"
#include "hunt_log/event_json.hpp"

using vantrel::fuzzing::Check;
using namespace vantrel::hunt_log;

namespace {

bool Near(double a, double b, double unit) {
    return (std::isnan(a) && std::isnan(b)) || std::abs(a - b) <= unit;
}

void SameBearing(const DecodedLine& first, const std::string& written) {
    LineDecoder decoder;
    DecodedLine again;
    Check(decoder.Decode(written, again).ok(), "a written bearing reads back", written);
    const BearingEvent& a = first.bearing;
    const BearingEvent& b = again.bearing;
    Check(a.id == b.id && a.time == b.time && a.fox == b.fox && a.bearing == b.bearing &&
              a.reference == b.reference && Near(a.sigma, b.sigma, 0) && a.readings == b.readings &&
              first.station == again.station && first.source == again.source,
          "a written bearing keeps its fields", written);
    Check(Near(a.lat, b.lat, 1e-9) && Near(a.lon, b.lon, 1e-9) && Near(a.easting, b.easting, 1e-3) &&
              Near(a.northing, b.northing, 1e-3),
          "a written bearing keeps its position to the file's decimals", written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    LineDecoder decoder;
    DecodedLine decoded;
    const auto outcome = decoder.Decode(line, decoded);
    if (!outcome) {
        Check(!outcome.message().empty(), "a refusal says why");
        return 0;
    }
    if (decoded.kind == LineKind::Bearing && decoded.hasLatLon && decoded.hasGrid) {
        SameBearing(decoded, EncodeBearing(decoded.bearing, decoded.station, decoded.source));
    } else if (decoded.kind == LineKind::Edit) {
        DecodedLine again;
        const std::string written = EncodeEdit(decoded.edit);
        Check(decoder.Decode(written, again).ok() && again.edit.id == decoded.edit.id &&
                  again.edit.ignore == decoded.edit.ignore && again.edit.note == decoded.edit.note,
              "a written edit reads back the same", written);
    } else if (decoded.kind == LineKind::Truth) {
        DecodedLine again;
        const std::string written = EncodeTruth(decoded.truth);
        Check(decoder.Decode(written, again).ok() && again.truth.fox == decoded.truth.fox &&
                  Near(again.truth.lat, decoded.truth.lat, 1e-9) &&
                  Near(again.truth.lon, decoded.truth.lon, 1e-9),
              "a written truth reads back to the file's decimals", written);
    } else if (decoded.kind == LineKind::Header) {
        Check(decoder.Decode(EncodeHeader(decoded.header), decoded).ok(), "a written header reads back");
    }
    return 0;
}
