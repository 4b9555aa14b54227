#include "instruments/rx_formats.hpp"

#include <algorithm>

#include "core/char_class.hpp"

namespace vantrel::instruments {
namespace {

using core::IsDigit;

// Whether the `count` characters at `at` are all digits.
bool AllDigits(std::string_view text, std::size_t at, std::size_t count) {
    return at + count <= text.size() &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at),
                       text.begin() + static_cast<std::ptrdiff_t>(at + count), IsDigit);
}

// The number written by `count` (at most 4) digits at `at`; nullopt when one of them is not a digit.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A reading when the bearing lies in 0..360, none otherwise.
RxLineReading Reading(double bearing, int quality) {
    RxLineReading read;
    if (bearing >= 0 && bearing <= kMaxBearing) {
        read.bearing = bearing;
        read.quality = quality;
    }
    return read;
}

// Characters that may stand in an uncompressed APRS coordinate: digits, and blanks for position ambiguity.
bool CoordinateCharacter(char c) {
    return IsDigit(c) || c == ' ';
}

// "4903.50N" and "07201.75W": degrees and minutes with two decimals, then the hemisphere; minutes below 60
// and at most `maxDegrees` (blanks of position ambiguity count as 0).
bool IsAprsCoordinate(std::string_view text, std::size_t degreeDigits, std::string_view hemispheres,
                      int maxDegrees) {
    const std::size_t point = degreeDigits + 2;
    int degrees = 0;
    int hundredthMinutes = 0;
    for (std::size_t i = 0; i < point + 3; ++i) {
        if (i == point) {
            continue;
        }
        if (!CoordinateCharacter(text[i])) {
            return false;
        }
        const int digit = text[i] == ' ' ? 0 : text[i] - '0';
        int& part = i < degreeDigits ? degrees : hundredthMinutes;
        part = part * 10 + digit;
    }
    return text[point] == '.' && hemispheres.find(text[point + 3]) != std::string_view::npos &&
           hundredthMinutes < 6000 && degrees * 6000 + hundredthMinutes <= maxDegrees * 6000;
}

// The information field of a report: the whole line, or what follows the TNC's "SOURCE>DEST,PATH:".
std::optional<std::string_view> AprsInformation(std::string_view line) {
    if (!line.empty() && std::string_view("!=/@").find(line.front()) != std::string_view::npos) {
        return line;
    }
    const std::size_t header = line.find('>');
    const std::size_t colon = line.find(':');
    if (header == std::string_view::npos || colon == std::string_view::npos || header > colon) {
        return std::nullopt;
    }
    return line.substr(colon + 1);
}

// C2705,7350,0412,0000123456: magnitude and tone peak of four digits, a 10-digit counter.
RxLineReading ReadKn5rCommaLine(std::string_view line) {
    if (line[5] != ',' || line[10] != ',' || line[15] != ',') {
        return {};
    }
    const auto tenths = Digits(line, 1, 4);
    const auto magnitude = Digits(line, 6, 4);
    if (!tenths || !magnitude || !AllDigits(line, 11, 4) || !AllDigits(line, 16, 10)) {
        return {};
    }
    return Reading(*tenths / 10.0, *magnitude / 1000);
}

// C2705735041000000000123456: magnitude and tone peak of three digits, a 15-digit counter.
RxLineReading ReadKn5rPackedLine(std::string_view line) {
    const auto tenths = Digits(line, 1, 4);
    const auto magnitude = Digits(line, 5, 3);
    if (!tenths || !magnitude || !AllDigits(line, 8, 3) || !AllDigits(line, 11, 15)) {
        return {};
    }
    return Reading(*tenths / 10.0, *magnitude / 100);
}

constexpr RxFormatDescriptor kFormats[] = {
    {RxFormat::Fixed, "fixed", 2400, false, RxLineEnds::CrLf, true, ReadReceiverLine},
    {RxFormat::Agrelo, "agrelo", 4800, true, RxLineEnds::Any, false,
     [](std::string_view line, char) { return ReadAgreloLine(line); }},
    {RxFormat::Kn5r, "kn5r", 9600, true, RxLineEnds::Any, false,
     [](std::string_view line, char) { return ReadKn5rLine(line); }},
    {RxFormat::Aprs, "aprs", 9600, true, RxLineEnds::Any, false,
     [](std::string_view line, char) { return ReadAprsLine(line); }},
};

}  // namespace

std::span<const RxFormatDescriptor> RxFormats() {
    return kFormats;
}

const RxFormatDescriptor& Describe(RxFormat format) {
    for (const RxFormatDescriptor& descriptor : kFormats) {
        if (descriptor.format == format) {
            return descriptor;
        }
    }
    return kFormats[0];
}

std::optional<RxFormat> ParseRxFormat(std::string_view name) {
    for (const RxFormatDescriptor& descriptor : kFormats) {
        if (name == descriptor.name) {
            return descriptor.format;
        }
    }
    return std::nullopt;
}

const char* RxFormatName(RxFormat format) {
    return Describe(format).name;
}

std::string RxFormatNames(std::string_view separator, std::optional<std::string_view> lastSeparator) {
    std::string names;
    const std::size_t count = std::size(kFormats);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            names += i + 1 == count ? lastSeparator.value_or(separator) : separator;
        }
        names += kFormats[i].name;
    }
    return names;
}

int DefaultBaudRate(RxFormat format) {
    return Describe(format).baudRate;
}

bool IsStreaming(RxFormat format) {
    return Describe(format).streaming;
}

// %270/7
RxLineReading ReadAgreloLine(std::string_view line) {
    if (line.size() != 6 || line[0] != '%' || line[4] != '/') {
        return {};
    }
    const auto bearing = Digits(line, 1, 3);
    const auto quality = Digits(line, 5, 1);
    if (!bearing || !quality) {
        return {};
    }
    return Reading(*bearing, *quality);
}

// C2705,7350,0412,0000123456 or C2705735041000000000123456
RxLineReading ReadKn5rLine(std::string_view line) {
    if (line.size() != 26 || line[0] != 'C') {
        return {};
    }
    return line[5] == ',' ? ReadKn5rCommaLine(line) : ReadKn5rPackedLine(line);
}

// =4903.50N/07201.75W\088/036/270/729
RxLineReading ReadAprsLine(std::string_view line) {
    const auto information = AprsInformation(line);
    if (!information || information->empty()) {
        return {};
    }
    const std::string_view info = *information;
    std::size_t at = 1;
    if (info[0] == '/' || info[0] == '@') {
        at += 7;  // the time stamp
    } else if (info[0] != '!' && info[0] != '=') {
        return {};
    }
    // latitude 8, symbol table 1, longitude 9, symbol code 1, "CSE/SPD/BRG/NRQ" 15
    if (info.size() < at + 34 || !IsAprsCoordinate(info.substr(at, 8), 2, "NS", 90) ||
        !IsAprsCoordinate(info.substr(at + 9, 9), 3, "EW", 180)) {
        return {};
    }
    const std::string_view extension = info.substr(at + 19, 15);
    for (std::size_t i = 0; i < 7; ++i) {
        const char c = extension[i];
        if (i == 3 ? c != '/' : !(IsDigit(c) || c == '.' || c == ' ')) {
            return {};  // course and speed may be unknown ("   " or "..."), never anything else
        }
    }
    const auto bearing = Digits(extension, 8, 3);
    const auto hits = Digits(extension, 12, 1);
    const auto quality = Digits(extension, 14, 1);
    if (extension[7] != '/' || extension[11] != '/' || !bearing || !hits || !Digits(extension, 13, 1) ||
        !quality || *hits == 0) {
        return {};
    }
    if (info.size() > at + 34 && IsDigit(info[at + 34])) {
        return {};  // NRQ has three digits: a fourth makes it no DF report
    }
    return Reading(*bearing, *quality);
}

void AnyLineEndFramer::Append(std::string_view bytes) {
    if (bytes.empty() || overlong_) {
        return;
    }
    if (line_.size() + bytes.size() > kMaxLine) {
        overlong_ = true;
        line_.clear();
        return;
    }
    if (line_.capacity() < kMaxLine) {
        line_.reserve(kMaxLine);  // one buffer for good: no regrowth while the line fills
    }
    line_.append(bytes);
}

RxLineReading RxReader::Read(std::string_view line) const {
    return Describe(format_).read(line, decimalSeparator_);
}

std::string RxReader::ShownText(std::string_view line, const RxLineReading& read) const {
    std::string text = Describe(format_).shownWithCommas ? CommaText(line) : std::string(line);
    if (read.quality) {
        text += "  Q" + std::to_string(*read.quality);
    }
    return text;
}

}  // namespace vantrel::instruments
