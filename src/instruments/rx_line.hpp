#pragma once

// The direction-finding receiver's lines: one text line per bearing, ended by CR LF.
//
//   positions 3..8   bearing in degrees (regional reading after every '.' became ',')
//   positions 12..16 signal in dB (plain reading of the same changed text: it stops at the ',', so only
//                    the integer part with its sign is taken)
//
// Positions count from 1 at the first character after the previous line end; the others are not used.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::instruments {

// Splits the byte stream at CR LF. A lone CR or LF is part of the line. Characters after a line end stay
// for the next line. Cost is linear in the bytes fed; memory is bounded by one line.
class RxLineFramer {
  public:
    // A line longer than this (without its CR LF) is dropped whole; framing picks up after its line end.
    static constexpr std::size_t kMaxLine = 4096;

    // Calls onLine(std::string_view line) for each complete line, without its CR LF; when that returns
    // false, framing stops and the rest of the chunk is not looked at.
    template <class OnLine>
    void Feed(std::string_view chunk, OnLine&& onLine);

    // Forgets an unfinished line.
    void Reset() {
        line_.clear();
        overlong_ = false;
        endsWithCr_ = false;
    }

  private:
    void Append(std::string_view bytes);

    std::string line_;
    bool overlong_ = false;
    bool endsWithCr_ = false;  // the last byte taken was a CR (kept even when the line is dropped)
};

// The largest bearing a line may carry; 0 and 360 themselves are filed.
inline constexpr double kMaxBearing = 360;

// What one line of any receiver format says.
struct RxLineReading {
    std::optional<double> bearing;  // nullopt: the line holds no bearing from 0 to 360 and is skipped
    double signal = 0;              // dB; an empty or non-numeric field, and the formats without one, read 0
    std::optional<int> quality;     // 0..9, for the formats that carry one
};

// The line with every '.' replaced by ',', as this format's lines are read and shown.
std::string CommaText(std::string_view line);

// Reads one line (without its line end). Fields that reach past the end of the line are cut there.
RxLineReading ReadReceiverLine(std::string_view line, char decimalSeparator);

// ---- implementation of the template ----

template <class OnLine>
void RxLineFramer::Feed(std::string_view chunk, OnLine&& onLine) {
    std::size_t i = 0;
    while (i < chunk.size()) {
        const std::size_t lf = chunk.find('\n', i);
        if (lf == std::string_view::npos) {
            Append(chunk.substr(i));
            return;
        }
        Append(chunk.substr(i, lf - i));
        i = lf + 1;
        if (!endsWithCr_) {
            Append("\n");  // a lone LF belongs to the line
            continue;
        }
        bool complete = !overlong_;
        if (complete) {
            line_.pop_back();  // the CR of the line end
            complete = line_.size() <= kMaxLine;
        }
        const bool keepGoing = !complete || onLine(std::string_view(line_));
        Reset();
        if (!keepGoing) {
            return;
        }
    }
}

}  // namespace vantrel::instruments
