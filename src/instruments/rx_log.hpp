#pragma once

// The records of the receiver log "test.Log": each is a text written in the quoted form of sequential text
// output (a double quote, the text, a double quote, CR LF), in the Western European 8-bit character set.

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::instruments {

// The record of one filed reading:
//   "P<station number> <date> <time>   <angle "000.0">°  <signal "00.0">dB"
// `station` is RxStation (0 for station 1); `date` and `time` are already in the system's short date and
// long time formats, in the log's character set. The degree sign is the single byte 0xB0.
// Example: "P1 24.12.2023 14:05:09   123,4°  -45,0dB".
// A reading with a quality digit (the receivers that give one) has " Q<digit>" after "dB":
// "P1 24.12.2023 14:05:09   270,0°  00,0dB Q7".
std::string RxLogRecord(int station, std::string_view date, std::string_view time, double angle,
                        double signal, char decimalSeparator, std::optional<int> quality = std::nullopt);

// Written when the window closes: the text is CR LF, so the file gets two lines holding one double quote
// each.
std::string RxLogClosingRecord();

}  // namespace vantrel::instruments
