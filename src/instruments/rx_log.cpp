#include "instruments/rx_log.hpp"

#include "core/number_text.hpp"

namespace vantrel::instruments {
namespace {

constexpr char kDegreeSign = '\xB0';  // Windows-1252 / Latin-1

std::string Quoted(std::string_view text) {
    std::string record = "\"";
    record.append(text);
    record.append("\"\r\n");
    return record;
}

}  // namespace

std::string RxLogRecord(int station, std::string_view date, std::string_view time, double angle,
                        double signal, char decimalSeparator, std::optional<int> quality) {
    std::string text = "P" + std::to_string(station + 1) + " ";
    text.append(date);
    text.push_back(' ');
    text.append(time);
    text.append("   ");
    text.append(core::FormatPattern(angle, "000.0", decimalSeparator));
    text.push_back(kDegreeSign);
    text.append("  ");
    text.append(core::FormatPattern(signal, "00.0", decimalSeparator));
    text.append("dB");
    if (quality) {
        text.append(" Q" + std::to_string(*quality));
    }
    return Quoted(text);
}

std::string RxLogClosingRecord() {
    return Quoted("\r\n");
}

}  // namespace vantrel::instruments
