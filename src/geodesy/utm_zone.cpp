#include "geodesy/utm_zone.hpp"

#include <cctype>

namespace vantrel::geodesy {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsBandLetter(char upper) {
    return upper >= 'C' && upper <= 'X' && upper != 'I' && upper != 'O';
}

}  // namespace

std::optional<UtmZone> ParseUtmZone(std::string_view text) {
    text = Trimmed(text);
    if (text.size() < 2 || text.size() > 3) {
        return std::nullopt;
    }
    int number = 0;
    for (const char c : text.substr(0, text.size() - 1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    const char band = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    if (number < 1 || number > 60 || !IsBandLetter(band)) {
        return std::nullopt;
    }
    return UtmZone{number, band};
}

std::string ZoneText(UtmZone zone) {
    return std::to_string(zone.number) + zone.band;
}

}  // namespace vantrel::geodesy
