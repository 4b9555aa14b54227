#pragma once

// Reading a GPS receiver's NMEA 0183 stream: framing the byte stream into sentences, then picking out a
// valid RMC ("recommended minimum") position.
//
// Framing: lines end at LF and every CR right before the LF is dropped (some receivers send CR CR LF).
// Within a line a sentence starts at any '$' and runs to the next '$' or to the line end, so sentences run
// together, binary records between lines and a doubled "$$" are all taken apart correctly. Text outside a
// sentence is skipped as it arrives. Cost is linear in the bytes fed; memory is bounded by one sentence.

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::instruments {

class NmeaFramer {
  public:
    // A sentence whose text from '$' to its end (CRs before the LF included) is longer than this is dropped
    // whole, and framing picks up again at the next '$' or line end. Real sentences have at most 82.
    static constexpr std::size_t kMaxSentence = 4096;

    // Frames the chunk, continuing whatever the previous chunk left unfinished. For each complete sentence
    // calls onSentence(std::string_view sentence) with the sentence from its '$', without the line end;
    // when that returns false, framing stops and the rest of the chunk is not looked at.
    template <class OnSentence>
    void Feed(std::string_view chunk, OnSentence&& onSentence);

    // Forgets an unfinished sentence.
    void Reset() {
        state_ = State::Between;
        sentence_.clear();
    }

  private:
    enum class State { Between, InSentence, Overlong };

    // Appends to the open sentence, or drops it once it grows past the limit.
    void Append(std::string_view bytes);
    // The open sentence, ended by the LF (trailing CRs dropped) or by the next '$'.
    std::string_view Finish(bool atLineEnd);

    State state_ = State::Between;
    std::string sentence_;
};

// The position part of a valid RMC sentence.
struct RmcFix {
    double latitude = 0;    // degrees, north positive
    double longitude = 0;   // degrees, east positive
    char hemisphere = 'N';  // 'N' or 'S' as received
    char eastWest = 'E';    // 'E' or 'W' as received
    std::string sentence;   // the sentence as received, from its '$', without the line end

    friend bool operator==(const RmcFix&, const RmcFix&) = default;
};

// The RMC talkers that give a position: GPS, combined GNSS, GLONASS, Galileo, BeiDou (two forms).
inline constexpr std::string_view kRmcTalkers[] = {"GP", "GN", "GL", "GA", "BD", "GB"};

// Checks one sentence and reads its position:
//   $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
// Valid when: it is "$" + an accepted talker + "RMC,"; if it has a '*', exactly two hex digits follow the
// last '*' and equal the XOR of the bytes between '$' and that '*'; the status field is "A"; the latitude is
// ddmm with optional decimals (".m..."), the longitude dddmm the same; the hemisphere fields are exactly
// N/S and E/W; the minutes are below 60, the latitude at most 90 and the longitude at most 180 degrees.
// Fields are found by commas. Latitude = minutes / 60 + degrees, negated for S; longitude the
// same, negated for W. Anything else gives nullopt.
std::optional<RmcFix> ParseRmc(std::string_view sentence);

// Why a sentence gives no position, as ParseRmc checks it in that order.
enum class RmcProblem {
    NotRmc,              // not an RMC sentence of an accepted talker: other traffic, not counted as refused
    WrongChecksum,       // a '*' without two hex digits after it, or a sum that does not match
    NoFix,               // status V: the receiver has no position
    BadField,            // another status than A or V, or a position field missing or not written as
                         // ddmm.m / dddmm.m, N/S, E/W
    MinutesOf60,         // minutes of 60 or more
    LatitudeBeyond90,    // more than 90 degrees of latitude
    LongitudeBeyond180,  // more than 180 degrees of longitude
};
inline constexpr int kRmcProblemCount = 7;

struct RmcCheck {
    std::optional<RmcFix> fix;                // the position of a valid sentence
    RmcProblem problem = RmcProblem::NotRmc;  // why there is none (meaningless with a fix)
};

// ParseRmc, telling why a sentence is refused.
RmcCheck CheckRmc(std::string_view sentence);

// The problem in words, to follow a count: "with a wrong checksum", "with minutes of 60 or more".
std::string_view RmcProblemText(RmcProblem problem);

// Whether the sentence is an RMC of an accepted talker, with a right checksum when it has one, whose status
// field is "V": the receiver talks but has no position yet.
//   $GPRMC,,V,,,,,,,,,,N*53
bool IsRmcWithoutFix(std::string_view sentence);

// ---- implementation of the template ----

template <class OnSentence>
void NmeaFramer::Feed(std::string_view chunk, OnSentence&& onSentence) {
    const char* const data = chunk.data();
    const std::size_t size = chunk.size();
    std::size_t i = 0;
    while (i < size) {
        if (state_ == State::Between) {
            const void* dollar = std::memchr(data + i, '$', size - i);
            if (dollar == nullptr) {
                return;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(dollar) - data);
            state_ = State::InSentence;
            sentence_.assign(1, '$');
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < size && data[end] != '$' && data[end] != '\n') {
            ++end;
        }
        Append(chunk.substr(i, end - i));
        if (end == size) {
            return;
        }
        const bool atLineEnd = data[end] == '\n';
        const bool complete = state_ == State::InSentence;
        // A '$' both ends this sentence and starts the next one.
        i = atLineEnd ? end + 1 : end;
        const std::string_view sentence = Finish(atLineEnd);
        if (complete && !onSentence(sentence)) {
            return;
        }
    }
}

}  // namespace vantrel::instruments
