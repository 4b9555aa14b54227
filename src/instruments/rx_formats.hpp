#pragma once

// The lines of the direction-finding receivers the program reads, one small parser per format, all behind one
// reader that frames the byte stream and reads each line:
//
//   fixed   the receiver's fixed columns (rx_line.hpp): lines end at CR LF; bearing at positions 3..8, signal
//           at 12..16. Every line is filed. 2400 baud.
//   agrelo  Doppler units: "%BBB/Q", bearing BBB in whole degrees (3 digits), Q a quality digit 0..9. NMEA
//           sentences ("$...") on the same port are skipped. 4800 baud.
//   kn5r    the 26-character C sentence, in fixed columns, with commas:
//             C2705,7350,0412,0000123456
//             1 2345 6 7890 1 2345 6 7890123456
//           position 1 "C"; 2..5 the bearing in tenths of a degree (4 digits, "2705" = 270.5); 6 ","; 7..10
//           the vector magnitude 0000..9999 (how steady the Doppler vector is); 11 ","; 12..15 the tone peak
//           0000..9999; 16 ","; 17..26 the unit's milliseconds counter (10 digits: a 32-bit counter). The
//           quality digit is the magnitude's thousands digit (7350 -> 7).
//           Or packed, also 26 characters, without commas and with coarser magnitude and tone peak:
//             C2705735041000000000123456
//             1 2345 678 901 234567890123456
//           position 1 "C"; 2..5 the bearing in tenths of a degree; 6..8 the magnitude 000..999; 9..11 the
//           tone peak 000..999; 12..26 the milliseconds counter (15 digits). The quality digit is the
//           magnitude's hundreds digit (735 -> 7): the same steadiness as in the comma layout. 9600 baud.
//   aprs    APRS DF reports from a TNC, with or without the TNC's "SOURCE>DEST,PATH:" header: a position
//           report ("!", "=", or "/" / "@" with a 7-character time stamp), uncompressed latitude, symbol
//           table, longitude, symbol code, then course/speed "CSE/SPD" and the DF extension "/BRG/NRQ":
//             =4903.50N/07201.75W\088/036/270/729   bearing 270, N 7, R 2, Q 9
//           BRG is a true bearing (so the base angle is 0). Of N (hits), R (range) and Q (beam width), the
//           quality digit is Q: it is the one that says how sharp the bearing is. A report with N = 0 has no
//           bearing (APRS: BRG is then meaningless) and is skipped. 9600 baud.
//
// The three new formats end lines at CR, LF or CR LF, carry no signal level (the signal reads 0, as an empty
// signal field of the fixed format does) and give a quality digit 0..9 instead. A bearing below 0 or above
// 360 is no reading (0 and 360 are). Empty lines (as between the CR and LF of a CR LF) are not lines.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "instruments/rx_line.hpp"

namespace vantrel::instruments {

enum class RxFormat { Fixed, Agrelo, Kn5r, Aprs };

// Where a format's lines end: at CR LF only (a lone CR or LF belongs to the line), or at CR, LF or CR LF.
enum class RxLineEnds { CrLf, Any };

// Everything the program knows of one format. Adding a format is adding its row to RxFormats().
struct RxFormatDescriptor {
    RxFormat format;
    const char* name;  // in the settings, the Setup window and "rx --format": lower case
    int baudRate;      // the line speed of the format's units
    bool streaming;    // many lines a second: the window files one mean per interval, not every line
    RxLineEnds lineEnds;
    bool shownWithCommas;  // txtTest shows the line with every '.' replaced by ','
    // Reads one line (without its line end); the separator matters to the formats with regional numbers.
    RxLineReading (*read)(std::string_view line, char decimalSeparator);
};

// Every format, in the order the Setup window lists them; the first is the default.
std::span<const RxFormatDescriptor> RxFormats();
const RxFormatDescriptor& Describe(RxFormat format);

// "fixed", "agrelo", "kn5r", "aprs" (exactly, lower case); nullopt for anything else.
std::optional<RxFormat> ParseRxFormat(std::string_view name);
const char* RxFormatName(RxFormat format);
// Every format's name, joined by `separator` ("fixed|agrelo|kn5r|aprs"), the last two by `lastSeparator`
// when one is given ("fixed, agrelo, kn5r or aprs").
std::string RxFormatNames(std::string_view separator, std::optional<std::string_view> lastSeparator = {});
// The line speed of the format's units.
int DefaultBaudRate(RxFormat format);
// Streaming units send many lines a second: the window files one mean per interval instead of every line.
bool IsStreaming(RxFormat format);

// Parsers of one line (without its line end).
RxLineReading ReadAgreloLine(std::string_view line);
RxLineReading ReadKn5rLine(std::string_view line);
RxLineReading ReadAprsLine(std::string_view line);

// Splits the stream at CR, at LF and at CR LF; empty lines are dropped. Cost linear in the bytes fed; memory
// bounded by one line: a line longer than kMaxLine is dropped whole, framing picks up after its line end.
class AnyLineEndFramer {
  public:
    static constexpr std::size_t kMaxLine = RxLineFramer::kMaxLine;

    // Calls onLine(std::string_view) for each complete line; when that returns false, framing stops and the
    // rest of the chunk is not looked at.
    template <class OnLine>
    void Feed(std::string_view chunk, OnLine&& onLine);
    void Reset() {
        line_.clear();
        overlong_ = false;
    }

  private:
    void Append(std::string_view bytes);

    std::string line_;
    bool overlong_ = false;
};

// The receiver's stream in one of the formats: frames it and reads every line.
class RxReader {
  public:
    explicit RxReader(RxFormat format = RxFormat::Fixed, char decimalSeparator = ',')
        : format_(format), decimalSeparator_(decimalSeparator) {}

    [[nodiscard]] RxFormat format() const { return format_; }
    void SetDecimalSeparator(char decimalSeparator) { decimalSeparator_ = decimalSeparator; }

    // Calls onLine(std::string_view raw, RxLineReading read) for each complete line; false from it stops.
    template <class OnLine>
    void Feed(std::string_view chunk, OnLine&& onLine);
    void Reset() {
        crLf_.Reset();
        anyEnd_.Reset();
    }

    // One line of the format (without its line end).
    [[nodiscard]] RxLineReading Read(std::string_view line) const;
    // The line as txtTest shows it: the fixed format's with every '.' replaced by ','; the others' as
    // received, followed by "  Q<digit>" when the line gave a quality.
    [[nodiscard]] std::string ShownText(std::string_view line, const RxLineReading& read) const;

  private:
    RxFormat format_;
    char decimalSeparator_;
    RxLineFramer crLf_;
    AnyLineEndFramer anyEnd_;
};

// ---- implementation of the templates ----

template <class OnLine>
void AnyLineEndFramer::Feed(std::string_view chunk, OnLine&& onLine) {
    const char* const end = chunk.data() + chunk.size();
    const char* start = chunk.data();
    for (const char* p = start; p != end; ++p) {
        if (*p != '\r' && *p != '\n') {
            continue;
        }
        std::string_view line;
        bool complete = false;
        if (line_.empty() && !overlong_) {
            line = std::string_view(start, static_cast<std::size_t>(p - start));  // whole in this chunk
            complete = line.size() <= kMaxLine;
        } else {
            Append(std::string_view(start, static_cast<std::size_t>(p - start)));
            complete = !overlong_;
            line = line_;
        }
        start = p + 1;
        const bool keepGoing = !complete || line.empty() || onLine(line);
        Reset();
        if (!keepGoing) {
            return;
        }
    }
    Append(std::string_view(start, static_cast<std::size_t>(end - start)));
}

template <class OnLine>
void RxReader::Feed(std::string_view chunk, OnLine&& onLine) {
    const auto read = [&](std::string_view line) { return onLine(line, Read(line)); };
    if (Describe(format_).lineEnds == RxLineEnds::CrLf) {
        crLf_.Feed(chunk, read);
    } else {
        anyEnd_.Feed(chunk, read);
    }
}

}  // namespace vantrel::instruments
