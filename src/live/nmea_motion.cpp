#include "live/nmea_motion.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/number_text.hpp"

namespace vantrel::live {
namespace {

std::vector<std::string_view> Fields(std::string_view sentence) {
    std::vector<std::string_view> fields;
    const std::size_t star = sentence.rfind('*');
    const std::string_view body = sentence.substr(0, star);
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = body.find(',', start);
        fields.push_back(body.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// "$" + two talker letters + the type + ","; when a '*' is there, two hex digits equal to the XOR sum.
bool Checked(std::string_view sentence, std::string_view type) {
    if (sentence.size() < 4 + type.size() || sentence[0] != '$' || sentence.substr(3, type.size()) != type ||
        sentence[3 + type.size()] != ',') {
        return false;
    }
    const std::size_t star = sentence.rfind('*');
    if (star == std::string_view::npos) {
        return true;
    }
    if (star + 3 != sentence.size() || HexDigit(sentence[star + 1]) < 0 || HexDigit(sentence[star + 2]) < 0) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i) {
        sum ^= static_cast<unsigned char>(sentence[i]);
    }
    return sum == static_cast<unsigned>(HexDigit(sentence[star + 1]) * 16 + HexDigit(sentence[star + 2]));
}

// A plain unsigned decimal ("084.4", "22"); nullopt for empty text or anything else.
std::optional<double> Number(std::string_view text) {
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) {
        return std::nullopt;
    }
    return core::ReadPlain(text);
}

int TwoDigits(std::string_view text, std::size_t at) {
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') {
        return -1;
    }
    return (a - '0') * 10 + (b - '0');
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

bool LeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// hhmmss(.s...) and ddmmyy to epoch milliseconds.
std::optional<std::int64_t> RmcTime(std::string_view time, std::string_view date) {
    if (time.size() < 6 || date.size() != 6 || (time.size() > 6 && time[6] != '.')) {
        return std::nullopt;
    }
    const int hour = TwoDigits(time, 0);
    const int minute = TwoDigits(time, 2);
    const int second = TwoDigits(time, 4);
    const int day = TwoDigits(date, 0);
    const int month = TwoDigits(date, 2);
    const int yy = TwoDigits(date, 4);
    double fraction = 0;
    if (time.size() > 7) {
        const auto value = Number(time.substr(6));
        if (!value) {
            return std::nullopt;
        }
        fraction = *value;
    } else if (time.size() == 7) {
        return std::nullopt;
    }
    const int year = yy >= 80 ? 1900 + yy : 2000 + yy;
    constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60 || yy < 0 ||
        month < 1 || month > 12 || day < 1 ||
        day > kDaysInMonth[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0)) {
        return std::nullopt;
    }
    const std::int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return seconds * 1000 + std::llround(fraction * 1000);
}

double Folded(double degrees) {
    const double folded = std::fmod(degrees, 360.0);
    return folded < 0 ? folded + 360 : (folded >= 360 ? 0 : folded);
}

// A signed angle with its E/W letter: E positive, W negative; nullopt when either is missing or wrong.
std::optional<double> EastWest(std::string_view value, std::string_view letter) {
    const auto number = Number(value);
    if (!number || (letter != "E" && letter != "W")) {
        return std::nullopt;
    }
    return letter == "E" ? *number : -*number;
}

}  // namespace

std::optional<instruments::GpsSample> ParseRmcMotion(std::string_view sentence) {
    const auto fix = instruments::ParseRmc(sentence);
    if (!fix) {
        return std::nullopt;
    }
    const std::vector<std::string_view> f = Fields(sentence);
    if (f.size() < 10) {
        return std::nullopt;
    }
    const auto time = RmcTime(f[1], f[9]);
    if (!time) {
        return std::nullopt;
    }
    instruments::GpsSample sample;
    sample.timeMs = *time;
    sample.lat = fix->latitude;
    sample.lon = fix->longitude;
    if (const auto knots = Number(f[7])) {
        sample.speed = *knots * kMetresPerSecondPerKnot;
    }
    if (const auto course = Number(f[8]); course && *course <= 360) {
        sample.course = Folded(*course);
    }
    return sample;
}

std::optional<double> ParseHeadingSentence(std::string_view sentence) {
    if (Checked(sentence, "HDT")) {
        const std::vector<std::string_view> f = Fields(sentence);
        const auto heading = f.size() >= 3 && f[2] == "T" ? Number(f[1]) : std::nullopt;
        return heading && *heading <= 360 ? std::optional<double>(Folded(*heading)) : std::nullopt;
    }
    if (Checked(sentence, "HDG")) {
        const std::vector<std::string_view> f = Fields(sentence);
        if (f.size() < 6) {
            return std::nullopt;
        }
        const auto sensor = Number(f[1]);
        const auto variation = EastWest(f[4], f[5]);
        // An empty deviation is none: the sensor is taken as magnetic heading.
        const auto deviation = f[2].empty() && f[3].empty() ? std::optional<double>(0) : EastWest(f[2], f[3]);
        if (!sensor || *sensor > 360 || !variation || !deviation) {
            return std::nullopt;
        }
        return Folded(*sensor + *deviation + *variation);
    }
    return std::nullopt;
}

std::vector<MotionItem> NmeaMotionReader::Feed(std::string_view chunk) {
    std::vector<MotionItem> items;
    framer_.Feed(chunk, [&](std::string_view sentence) {
        const std::string_view type = sentence.size() >= 6 ? sentence.substr(3, 3) : std::string_view();
        if (type == "RMC") {
            if (const auto sample = ParseRmcMotion(sentence)) {
                lastFixTime_ = sample->timeMs;
                items.emplace_back(*sample);
            } else {
                ++refused_;
            }
        } else if (type == "HDT" || type == "HDG") {
            if (const auto heading = ParseHeadingSentence(sentence)) {
                items.emplace_back(instruments::HeadingSample{lastFixTime_, *heading});
            } else {
                ++refused_;
            }
        }
        return true;
    });
    return items;
}

}  // namespace vantrel::live
