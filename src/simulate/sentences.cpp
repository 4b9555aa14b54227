#include "simulate/sentences.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vantrel::simulate {
namespace {

// "ddmm.mmmmm" (or "dddmm.mmmmm") and the hemisphere letter, the minutes rounded to five decimals.
std::string Coordinate(double degrees, int degreeDigits, char positive, char negative, char& hemisphere) {
    hemisphere = degrees < 0 ? negative : positive;
    const auto total = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 60 * 1e5));
    const std::int64_t whole = total / 6'000'000;
    const double minutes = static_cast<double>(total % 6'000'000) / 1e5;
    std::string text = std::to_string(whole);
    text.insert(0, static_cast<std::size_t>(std::max(0, degreeDigits - static_cast<int>(text.size()))), '0');
    std::string minuteText = FixedText(minutes, 5);
    if (minutes < 10) {
        minuteText.insert(0, "0");
    }
    return text + minuteText;
}

// "140005.00" and "081226" from the UTC text "2026-12-08T14:00:05.000Z".
void TimeAndDate(hunt_log::TimeMs time, std::string& hhmmss, std::string& ddmmyy) {
    const std::string utc = hunt_log::UtcText(time);
    hhmmss = utc.substr(11, 2) + utc.substr(14, 2) + utc.substr(17, 2) + "." + utc.substr(20, 2);
    ddmmyy = utc.substr(8, 2) + utc.substr(5, 2) + utc.substr(2, 2);
}

std::string ZeroPadded(std::uint64_t value, std::size_t digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits) {
        text.insert(0, digits - text.size(), '0');
    }
    return text;
}

}  // namespace

std::string FixedText(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0) {
        rounded = 0;  // no "-0.00"
    }
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(buffer, end) : std::string("nan");
}

std::string NmeaSentence(std::string_view body) {
    unsigned sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    return "$" + std::string(body) + "*" + kHex[(sum >> 4) & 0xF] + kHex[sum & 0xF] + "\r\n";
}

std::string RmcSentence(const RmcData& rmc) {
    std::string hhmmss;
    std::string ddmmyy;
    TimeAndDate(rmc.time, hhmmss, ddmmyy);
    if (!rmc.lat || !rmc.lon) {
        return NmeaSentence("GPRMC," + hhmmss + ",V,,,,,,," + ddmmyy + ",,,N");
    }
    char ns = 'N';
    char ew = 'E';
    const std::string lat = Coordinate(*rmc.lat, 2, 'N', 'S', ns);
    const std::string lon = Coordinate(*rmc.lon, 3, 'E', 'W', ew);
    double course = std::round(rmc.course * 10) / 10;
    course = course >= 360 ? course - 360 : course;
    return NmeaSentence("GPRMC," + hhmmss + ",A," + lat + "," + ns + "," + lon + "," + ew + "," +
                        FixedText(rmc.speed * kKnotsPerMetrePerSecond, 1) + "," + FixedText(course, 1) + "," +
                        ddmmyy + ",,,A");
}

std::string HdtSentence(double heading) {
    double rounded = std::round(heading * 10) / 10;
    rounded = rounded >= 360 ? rounded - 360 : rounded;
    return NmeaSentence("HEHDT," + FixedText(rounded, 1) + ",T");
}

double SentBearing(instruments::RxFormat format, double bearing) {
    const double steps = format == instruments::RxFormat::Kn5r ? 10 : 1;
    double rounded = std::round(bearing * steps) / steps;
    rounded = std::fmod(rounded, 360.0);
    return rounded < 0 ? rounded + 360 : rounded;
}

std::string ReceiverLine(instruments::RxFormat format, double bearing, int quality, std::uint64_t counterMs) {
    const double sent = SentBearing(format, bearing);
    if (format == instruments::RxFormat::Kn5r) {
        const auto tenths = static_cast<std::uint64_t>(std::llround(sent * 10));
        return "C" + ZeroPadded(tenths, 4) + "," +
               ZeroPadded(static_cast<std::uint64_t>(quality) * 1000 + 500, 4) + ",0412," +
               ZeroPadded(counterMs % (std::uint64_t{1} << 32), 10) + "\r\n";
    }
    return "%" + ZeroPadded(static_cast<std::uint64_t>(std::llround(sent)), 3) + "/" +
           std::to_string(quality) + "\r\n";
}

}  // namespace vantrel::simulate
