#include "instruments/network_df.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "core/number_text.hpp"

namespace vantrel::instruments {
namespace {

constexpr std::size_t kGpsField = 12;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// A number as the server writes it: optional minus, digits, optionally '.' and digits; nothing else (no
// exponent, no "nan", no locale's comma). from_chars reads it the same in every locale.
std::optional<double> ReadNumber(std::string_view field) {
    const std::string_view text = Trim(field);
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(
            line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

struct LineRead {
    std::optional<DfChannel> channel;
    std::string problem;  // why there is none
};

LineRead Refuse(std::string problem) {
    return LineRead{std::nullopt, std::move(problem)};
}

// The numeric fields before the spectrum; nullopt names the first that is not a number.
struct NumberField {
    std::size_t index;
    const char* name;
};
constexpr NumberField kNumberFields[] = {{0, "time"},     {1, "bearing"},   {2, "confidence"},
                                         {3, "power"},    {4, "frequency"}, {6, "latency"},
                                         {8, "latitude"}, {9, "longitude"}};

LineRead ReadLine(std::string_view line) {
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < kDfFieldsBeforeSpectrum) {
        return Refuse("fewer than 17 fields");
    }
    if (Trim(fields[kGpsField]) != "GPS") {
        return Refuse("no \"GPS\" in field 13");
    }
    double number[10] = {};
    for (const NumberField& f : kNumberFields) {
        const std::optional<double> value = ReadNumber(fields[f.index]);
        if (!value) {
            return Refuse(std::string("the ") + f.name + " is not a number");
        }
        number[f.index] = *value;
    }
    if (number[1] < 0 || number[1] > 360) {
        return Refuse("the bearing " + core::ShortestText(number[1]) + " lies outside 0..360");
    }
    std::optional<double> heading;
    if (!Trim(fields[10]).empty()) {
        heading = ReadNumber(fields[10]);
        if (!heading) {
            return Refuse("the heading is not a number");
        }
    }
    const std::size_t spectrumCount = fields.size() - kDfFieldsBeforeSpectrum;
    if (spectrumCount > kDfMaxSpectrum) {
        return Refuse("more than 360 spectrum values (the tail of an earlier frame)");
    }
    DfChannel c;
    c.spectrum.reserve(spectrumCount);
    for (std::size_t i = kDfFieldsBeforeSpectrum; i < fields.size(); ++i) {
        const std::optional<double> value = ReadNumber(fields[i]);
        if (!value) {
            return Refuse("a spectrum value is not a number");
        }
        c.spectrum.push_back(*value);
    }
    c.timeMs = std::llround(number[0]);
    c.bearing = number[1] == 360 ? 0 : number[1];
    c.confidence = number[2];
    c.powerDb = number[3];
    c.frequencyHz = number[4];
    c.arrayType = std::string(Trim(fields[5]));
    c.latencyMs = number[6];
    c.stationId = std::string(Trim(fields[7]));
    if (number[8] != 0 || number[9] != 0) {
        c.lat = number[8];
        c.lon = number[9];
    }
    c.heading = heading;
    return LineRead{std::move(c), {}};
}

}  // namespace

DfText ParseDfText(std::string_view body) {
    DfText text;
    std::vector<std::size_t> lineNumbers;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        const std::string_view line = Trim(body.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        LineRead read = ReadLine(line);
        if (read.channel) {
            text.channels.push_back(std::move(*read.channel));
            lineNumbers.push_back(lineNumber);
        } else {
            ++text.skipped;
            text.problems.push_back("line " + std::to_string(lineNumber) + ": " + read.problem);
        }
    }
    // Whole lines left over from an earlier frame carry an older time than the frame around them.
    std::int64_t newest = 0;
    for (const DfChannel& c : text.channels) {
        newest = std::max(newest, c.timeMs);
    }
    std::vector<DfChannel> current;
    for (std::size_t i = 0; i < text.channels.size(); ++i) {
        if (text.channels[i].timeMs < newest) {
            ++text.skipped;
            text.problems.push_back("line " + std::to_string(lineNumbers[i]) +
                                    ": older than the frame (left over from an earlier one)");
        } else {
            current.push_back(std::move(text.channels[i]));
        }
    }
    text.channels = std::move(current);
    return text;
}

std::string FormatDfLine(const DfChannel& channel) {
    // The shortest fixed-point text that reads back to the same value: the server never writes exponents.
    const auto number = [](double value) {
        char buffer[400];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
        return std::string(buffer, result.ptr);
    };
    const std::string heading = channel.heading ? number(*channel.heading) : std::string();
    std::string line =
        std::to_string(channel.timeMs) + ',' + number(channel.bearing) + ',' + number(channel.confidence) +
        ',' + number(channel.powerDb) + ',' + number(channel.frequencyHz) + ',' + channel.arrayType + ',' +
        number(channel.latencyMs) + ',' + channel.stationId + ',' + number(channel.lat.value_or(0)) + ',' +
        number(channel.lon.value_or(0)) + ',' + heading + ',' + heading + ",GPS,R,R,R,R";
    for (const double value : channel.spectrum) {
        line += ',';
        line += number(value);
    }
    return line;
}

}  // namespace vantrel::instruments
