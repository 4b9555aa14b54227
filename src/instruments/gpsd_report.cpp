#include "instruments/gpsd_report.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace vantrel::instruments {
namespace {

using Json = nlohmann::json;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(int year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Reads `count` digits at `pos`; nullopt unless all are digits.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The number at `key` when it is a finite number.
std::optional<double> FiniteNumber(const Json& report, const char* key) {
    const auto found = report.find(key);
    if (found == report.end() || !found->is_number()) {
        return std::nullopt;
    }
    const double value = found->get<double>();
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

GpsdReport ReadTpv(const Json& report) {
    GpsdReport result;
    result.kind = GpsdReport::Kind::NoFix;
    const auto mode = FiniteNumber(report, "mode");
    const auto lat = FiniteNumber(report, "lat");
    const auto lon = FiniteNumber(report, "lon");
    const auto time = report.find("time");
    if (!mode || *mode < 2 || !lat || !lon || time == report.end() || !time->is_string()) {
        return result;
    }
    const auto timeMs = ParseIsoTimeMs(time->get_ref<const std::string&>());
    if (!timeMs || std::abs(*lat) > 90 || std::abs(*lon) > 180) {
        return result;
    }
    result.kind = GpsdReport::Kind::Fix;
    result.sample.timeMs = *timeMs;
    result.sample.lat = *lat;
    result.sample.lon = *lon;
    if (const auto track = FiniteNumber(report, "track"); track && *track >= 0 && *track <= 360) {
        result.sample.course = *track == 360 ? 0 : *track;
    }
    if (const auto speed = FiniteNumber(report, "speed"); speed && *speed >= 0) {
        result.sample.speed = *speed;
    }
    return result;
}

}  // namespace

std::optional<std::int64_t> ParseIsoTimeMs(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SS[.fff...]Z
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2);
    const auto minute = Digits(text, 14, 2);
    const auto second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || text[4] != '-' || text[7] != '-' ||
        text[10] != 'T' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    if (*month < 1 || *month > 12 || *day < 1 ||
        static_cast<unsigned>(*day) > DaysInMonth(*year, static_cast<unsigned>(*month)) || *hour > 23 ||
        *minute > 59 || *second > 60) {
        return std::nullopt;
    }
    std::size_t pos = 19;
    int millis = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        int scale = 100;
        const std::size_t first = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            millis += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == first) {
            return std::nullopt;
        }
    }
    if (pos + 1 != text.size() || text[pos] != 'Z') {
        return std::nullopt;
    }
    const std::int64_t days =
        DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
    const std::int64_t seconds = ((days * 24 + *hour) * 60 + *minute) * 60 + *second;
    return seconds * 1000 + millis;
}

GpsdReport ParseGpsdReport(std::string_view line) {
    const Json report = Json::parse(line, nullptr, false);
    GpsdReport result;
    if (report.is_discarded() || !report.is_object()) {
        result.kind = GpsdReport::Kind::Malformed;
        return result;
    }
    const auto kind = report.find("class");
    if (kind == report.end() || !kind->is_string()) {
        result.kind = GpsdReport::Kind::Malformed;
        return result;
    }
    if (kind->get_ref<const std::string&>() != "TPV") {
        return result;
    }
    return ReadTpv(report);
}

}  // namespace vantrel::instruments
