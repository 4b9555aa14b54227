// The GPS receiver's byte stream: framing in any chunking, the RMC check, the "Get Pos" request and what
// it writes into the boxes.
//
// Input: the stream, then 4 bytes at the end that choose how it is cut into chunks and which separator
// the boxes use.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/number_text.hpp"
#include "fuzz_support.hpp"
#include "instruments/gps_request.hpp"
#include "instruments/nmea_reader.hpp"

namespace {

using vantrel::fuzzing::Check;
using vantrel::instruments::NmeaFramer;

std::vector<std::string> Frame(const std::vector<std::string_view>& chunks) {
    std::vector<std::string> sentences;
    NmeaFramer framer;
    for (const std::string_view chunk : chunks) {
        framer.Feed(chunk, [&](std::string_view sentence) {
            sentences.emplace_back(sentence);
            return true;
        });
    }
    return sentences;
}

void CheckSentence(std::string_view sentence) {
    Check(!sentence.empty() && sentence[0] == '$', "a sentence starts at its '$'");
    Check(sentence.find('$', 1) == std::string_view::npos, "a '$' always starts a new sentence");
    Check(sentence.find('\n') == std::string_view::npos, "a sentence ends at the line end");
    Check(sentence.size() <= NmeaFramer::kMaxSentence, "an overlong sentence is dropped");
}

// Degrees from "ddmm.mmm" / "dddmm.mmm": at most 99 (999) degrees and 99.99... minutes.
void CheckFix(const vantrel::instruments::RmcFix& fix, std::string_view sentence) {
    Check(fix.sentence == sentence, "the fix keeps the sentence as received");
    Check((fix.hemisphere == 'N') == (fix.latitude >= 0) || fix.latitude == 0, "latitude sign follows N/S");
    Check((fix.eastWest == 'E') == (fix.longitude >= 0) || fix.longitude == 0, "longitude sign follows E/W");
    Check(std::fabs(fix.latitude) < 99 + 100.0 / 60, "latitude from two degree digits");
    Check(std::fabs(fix.longitude) < 999 + 100.0 / 60, "longitude from three degree digits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto chunkSeed = provider.ConsumeIntegral<std::uint32_t>();
    const std::string stream = provider.ConsumeRemainingBytesAsString();
    static constexpr std::size_t kMaxChunks[] = {1, 7, 64, 4096};
    const std::size_t maxChunk = kMaxChunks[chunkSeed % 4];
    const char separator = (chunkSeed & 4U) != 0 ? ',' : '.';

    // The same sentences whatever the chunking.
    const std::vector<std::string> whole = Frame({stream});
    const auto chunks = vantrel::fuzzing::Chunks(stream, chunkSeed, maxChunk);
    Check(Frame(chunks) == whole, "chunking does not change the sentences");

    std::optional<vantrel::instruments::RmcFix> firstFix;
    bool noFixBeforeTheFirstFix = false;
    for (const std::string& sentence : whole) {
        CheckSentence(sentence);
        const auto fix = vantrel::instruments::ParseRmc(sentence);
        const bool noFix = vantrel::instruments::IsRmcWithoutFix(sentence);
        Check(!(fix && noFix), "a sentence gives a position or reports none, never both");
        noFixBeforeTheFirstFix = noFixBeforeTheFirstFix || (noFix && !firstFix);
        if (fix) {
            CheckFix(*fix, sentence);
            if (!firstFix) {
                firstFix = fix;
            }
        }
    }

    // "Get Pos" ends at the first valid RMC sentence, however the bytes arrive.
    vantrel::instruments::GpsRequest request;
    bool ended = false;
    for (const std::string_view chunk : chunks) {
        ended = request.Feed(chunk);
    }
    Check(ended == firstFix.has_value(), "the request ends exactly when a valid position came");
    Check(request.fix() == firstFix, "the request takes the first valid position");
    Check(request.receivedAny() == !stream.empty(), "the request knows whether anything came");
    Check(request.receiverReportsNoFix() == noFixBeforeTheFirstFix,
          "the request reports a receiver without fix exactly when one said so before the position");

    if (firstFix) {
        vantrel::core::MeasurementState state;
        const int station = (chunkSeed & 8U) != 0 ? 1 : 0;
        vantrel::instruments::ApplyGpsFix(state, station, *firstFix, separator);
        const std::string& northing = station == 0 ? state.Sced1Lat : state.Sced2Lat;
        const std::string& easting = station == 0 ? state.Sced1Lon : state.Sced2Lon;
        Check(!state.txtZone[static_cast<std::size_t>(station)].empty(), "a zone is written");
        Check(state.txtTest.rfind(firstFix->sentence, 0) == 0, "txtTest starts with the sentence");
        // Latitudes past the poles are not refused by the reader; where the conversion still gives numbers,
        // the boxes must read back as numbers.
        const auto north = vantrel::core::ReadRegional(northing, separator);
        const auto east = vantrel::core::ReadRegional(easting, separator);
        Check(north.has_value() == (northing != "NaN" && northing.find("Inf") == std::string::npos),
              "the northing box reads back");
        Check(east.has_value() == (easting != "NaN" && easting.find("Inf") == std::string::npos),
              "the easting box reads back");
    }
    return 0;
}
