#include "instruments/rx_line.hpp"

#include <algorithm>

#include "core/number_text.hpp"

namespace vantrel::instruments {
namespace {

// Characters from 1-based `position`, at most `length`, cut at the end of the text.
std::string_view Field(std::string_view text, std::size_t position, std::size_t length) {
    if (text.size() < position) {
        return {};
    }
    return text.substr(position - 1, length);
}

}  // namespace

void RxLineFramer::Append(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    endsWithCr_ = bytes.back() == '\r';
    if (overlong_) {
        return;
    }
    // One byte more than the limit may be the CR of the line end.
    if (line_.size() + bytes.size() > kMaxLine + 1) {
        overlong_ = true;
        line_.clear();
        return;
    }
    if (line_.capacity() < kMaxLine + 1) {
        line_.reserve(kMaxLine + 1);  // one buffer for good: no regrowth while the line fills
    }
    line_.append(bytes);
}

std::string CommaText(std::string_view line) {
    std::string text(line);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

RxLineReading ReadReceiverLine(std::string_view line, char decimalSeparator) {
    const std::string text = CommaText(line);
    RxLineReading result;
    // Adding zero turns a negative zero ("-0,5" reads as -0) into a plain 0. A number outside 0..360
    // ("1e300", "-361,5") is no bearing either: filed, it would ruin the fox's average.
    if (const auto bearing = core::ReadRegional(Field(text, 3, 6), decimalSeparator);
        bearing && *bearing >= 0 && *bearing <= kMaxBearing) {
        result.bearing = *bearing + 0.0;
    }
    result.signal = core::ReadPlain(Field(text, 12, 5)) + 0.0;
    return result;
}

}  // namespace vantrel::instruments
