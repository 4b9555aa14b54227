#include "core/number_text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "core/char_class.hpp"

namespace vantrel::core {
namespace {

constexpr int kSignificantDigits = 15;

// A finite decimal: value = 0.d1 d2 d3 ... x 10^pointPos, digits without leading zeros.
// Zero has no digits.
struct Decimal {
    bool negative = false;
    std::string digits;
    int pointPos = 0;

    [[nodiscard]] bool IsZero() const { return digits.empty(); }
};

void TrimTrailingZeros(std::string& digits) {
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
}

// Splits the output of std::to_chars in scientific form ("-1.2345e+07") into a Decimal.
Decimal ParseScientific(std::string_view text) {
    Decimal d;
    std::size_t pos = 0;
    if (text[pos] == '-') {
        d.negative = true;
        ++pos;
    }
    const std::size_t e = text.find('e', pos);
    for (std::size_t i = pos; i < e; ++i) {
        if (text[i] != '.') {
            d.digits.push_back(text[i]);
        }
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
    d.pointPos = exponent + 1;
    TrimTrailingZeros(d.digits);
    if (d.digits.empty() || d.digits == "0") {
        d.digits.clear();
        d.pointPos = 0;
    }
    return d;
}

// The largest 15-digit decimal that is still a finite Double: 1.79769313486231e308.
constexpr std::string_view kLargestFifteenDigits = "179769313486231";
constexpr int kLargestPointPos = 309;

// The value correctly rounded to 15 significant digits. The few values at the very top of the range
// (from 1.797693134862315e308 up to the largest Double) would round to 1.79769313486232e308, which lies
// past the largest Double, so no text made from it would read back as a number; they are cut to
// 1.79769313486231e308 instead.
Decimal ToFifteenDigits(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    Decimal d = ParseScientific(
        std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())));
    // Same point position: comparing the digit strings compares the values (trailing zeros are trimmed).
    if (d.pointPos > kLargestPointPos ||
        (d.pointPos == kLargestPointPos && d.digits > kLargestFifteenDigits)) {
        d.digits = kLargestFifteenDigits;
        d.pointPos = kLargestPointPos;
    }
    return d;
}

// The shortest digits that read back to the same value.
Decimal ToShortest(double value) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific);
    return ParseScientific(
        std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())));
}

// Rounds half away from zero to `decimals` digits after the point.
Decimal RoundHalfAwayFromZero(Decimal d, int decimals) {
    if (d.IsZero()) {
        return d;
    }
    const int keep = d.pointPos + decimals;  // significant digits that survive
    if (keep >= static_cast<int>(d.digits.size())) {
        return d;
    }
    if (keep < 0) {
        d.digits.clear();
        d.pointPos = 0;
        return d;
    }
    const bool roundUp = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        }
    }
    TrimTrailingZeros(d.digits);
    if (d.digits.empty()) {
        d.pointPos = 0;
    }
    return d;
}

// Digit at position k counted from the point: k = 0 is the first digit before the point, k = -1 the first
// after it, and so on.
char DigitAt(const Decimal& d, int k) {
    const int index = d.pointPos - 1 - k;
    if (index < 0 || index >= static_cast<int>(d.digits.size())) {
        return '0';
    }
    return d.digits[static_cast<std::size_t>(index)];
}

std::string IntegerDigits(const Decimal& d) {
    std::string out;
    for (int k = d.pointPos - 1; k >= 0; --k) {
        out.push_back(DigitAt(d, k));
    }
    return out;
}

std::string FractionDigits(const Decimal& d, int count) {
    std::string out;
    for (int k = -1; k >= -count; --k) {
        out.push_back(DigitAt(d, k));
    }
    return out;
}

std::string NonFinite(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    return value < 0 ? "-Inf" : "Inf";
}

struct Pattern {
    int minInteger = 0;
    bool hasPoint = false;
    int minFraction = 0;
    int maxFraction = 0;
};

Pattern ParsePattern(std::string_view pattern) {
    Pattern p;
    const std::size_t point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    p.minInteger = static_cast<int>(std::count(integerPart.begin(), integerPart.end(), '0'));
    if (point != std::string_view::npos) {
        p.hasPoint = true;
        const std::string_view fraction = pattern.substr(point + 1);
        p.maxFraction = static_cast<int>(fraction.size());
        const std::size_t lastZero = fraction.find_last_of('0');
        p.minFraction = lastZero == std::string_view::npos ? 0 : static_cast<int>(lastZero) + 1;
    }
    return p;
}

// Mantissa and exponent form of the default text: "1,5E-05".
std::string ExponentForm(const Decimal& d, char decimalSeparator) {
    std::string out = d.negative ? "-" : "";
    out.push_back(d.digits[0]);
    if (d.digits.size() > 1) {
        out.push_back(decimalSeparator);
        out.append(d.digits, 1);
    }
    const int exponent = d.pointPos - 1;
    out.push_back('E');
    out.push_back(exponent < 0 ? '-' : '+');
    std::string expDigits = std::to_string(std::abs(exponent));
    if (expDigits.size() < 2) {
        expDigits.insert(expDigits.begin(), '0');
    }
    return out + expDigits;
}

// Fixed form without trailing zeros: "0,25", "12", "-5712345,5".
std::string FixedForm(const Decimal& d, char decimalSeparator) {
    std::string out = d.negative ? "-" : "";
    const std::string integer = IntegerDigits(d);
    out += integer.empty() ? "0" : integer;
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - d.pointPos);
    if (decimals > 0) {
        out.push_back(decimalSeparator);
        out += FractionDigits(d, decimals);
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads a normalised number text ("-12.5e3") whose syntax is already checked. Overflow gives nullopt,
// underflow a zero of the right sign.
std::optional<double> ConvertChecked(const std::string& normalised) {
    double value = 0;
    const char* first = normalised.data();
    const char* last = first + normalised.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc()) {
        return value;
    }
    if (ec != std::errc::result_out_of_range) {
        return std::nullopt;
    }
    // Out of range: tell overflow from underflow by the order of magnitude of the text.
    const bool negative = normalised[0] == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t e = normalised.find('e');
    const std::string mantissa =
        normalised.substr(mantissaStart, e == std::string::npos ? std::string::npos : e - mantissaStart);
    // Any exponent beyond +-2^40 says the same as 2^40 (no text is that long); capping it also keeps the
    // sum below from overflowing when the exponent is close to the largest long long.
    constexpr long long kExponentCap = 1LL << 40;
    long long exponent = 0;
    if (e != std::string::npos) {
        const char* expFirst = normalised.data() + e + 1;
        if (*expFirst == '+') {
            ++expFirst;
        }
        if (std::from_chars(expFirst, last, exponent).ec != std::errc()) {
            exponent = (*expFirst == '-') ? -kExponentCap : kExponentCap;
        }
        exponent = std::clamp(exponent, -kExponentCap, kExponentCap);
    }
    const std::size_t point = mantissa.find('.');
    const std::size_t integerLength = point == std::string::npos ? mantissa.size() : point;
    const std::size_t firstNonZero = mantissa.find_first_not_of("0.");
    if (firstNonZero == std::string::npos) {
        return negative ? -0.0 : 0.0;
    }
    long long magnitude = exponent;
    if (firstNonZero < integerLength) {
        magnitude += static_cast<long long>(integerLength - firstNonZero);
    } else {
        magnitude -= static_cast<long long>(firstNonZero - integerLength);
    }
    if (magnitude > 0) {
        return std::nullopt;
    }
    return negative ? -0.0 : 0.0;
}

}  // namespace

std::string FormatPattern(double value, std::string_view pattern, char decimalSeparator) {
    if (!std::isfinite(value)) {
        return NonFinite(value);
    }
    const Pattern p = ParsePattern(pattern);
    const Decimal d = RoundHalfAwayFromZero(ToFifteenDigits(value), p.maxFraction);

    std::string out = (d.negative && !d.IsZero()) ? "-" : "";
    std::string integer = IntegerDigits(d);
    if (static_cast<int>(integer.size()) < p.minInteger) {
        integer.insert(0, static_cast<std::size_t>(p.minInteger) - integer.size(), '0');
    }
    out += integer;
    if (p.hasPoint) {
        out.push_back(decimalSeparator);
        std::string fraction = FractionDigits(d, p.maxFraction);
        while (static_cast<int>(fraction.size()) > p.minFraction && fraction.back() == '0') {
            fraction.pop_back();
        }
        out += fraction;
    }
    return out;
}

std::string DefaultText(double value, char decimalSeparator) {
    if (!std::isfinite(value)) {
        return NonFinite(value);
    }
    const Decimal d = ToFifteenDigits(value);
    if (d.IsZero()) {
        return "0";
    }
    const int exponent = d.pointPos - 1;
    if (exponent >= -4 && exponent < 15) {
        return FixedForm(d, decimalSeparator);
    }
    return ExponentForm(d, decimalSeparator);
}

std::string ShortestText(double value) {
    if (!std::isfinite(value)) {
        return NonFinite(value);
    }
    const Decimal d = ToShortest(value);
    if (d.IsZero()) {
        return std::signbit(value) ? "-0" : "0";
    }
    const int exponent = d.pointPos - 1;
    if (exponent >= -4 && exponent < 15) {
        return FixedForm(d, '.');
    }
    std::string out = ExponentForm(d, '.');
    std::replace(out.begin(), out.end(), 'E', 'e');
    return out;
}

std::optional<double> ReadRegional(std::string_view text, char decimalSeparator) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) {
        ++i;
    }
    std::string normalised;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            normalised.push_back('-');
        }
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            anyDigit = true;
            normalised.push_back(c);
        } else if (c == decimalSeparator || c == ',' || c == '.') {
            if (seenPoint) {
                return std::nullopt;
            }
            seenPoint = true;
            normalised.push_back('.');
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        normalised.push_back('e');
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            normalised.push_back(text[i]);
            ++i;
        }
        bool anyExponentDigit = false;
        while (i < n && IsDigit(text[i])) {
            anyExponentDigit = true;
            normalised.push_back(text[i]);
            ++i;
        }
        if (!anyExponentDigit) {
            return std::nullopt;
        }
    }
    while (i < n && IsBlank(text[i])) {
        ++i;
    }
    if (i != n) {
        return std::nullopt;
    }
    return ConvertChecked(normalised);
}

double ReadPlain(std::string_view text) {
    // Blanks, tabs and line feeds do not count anywhere in the text.
    std::string compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            compact.push_back(c);
        }
    }
    std::size_t i = 0;
    const std::size_t n = compact.size();
    std::string normalised;
    if (i < n && (compact[i] == '+' || compact[i] == '-')) {
        if (compact[i] == '-') {
            normalised.push_back('-');
        }
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const char c = compact[i];
        if (IsDigit(c)) {
            anyDigit = true;
            normalised.push_back(c);
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            normalised.push_back('.');
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return 0;
    }
    if (i < n && (compact[i] == 'e' || compact[i] == 'E')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < n && (compact[j] == '+' || compact[j] == '-')) {
            exponent.push_back(compact[j]);
            ++j;
        }
        bool anyExponentDigit = false;
        while (j < n && IsDigit(compact[j])) {
            anyExponentDigit = true;
            exponent.push_back(compact[j]);
            ++j;
        }
        if (anyExponentDigit) {
            normalised += exponent;
        }
    }
    if (normalised.back() == '.') {
        normalised.pop_back();
    }
    return ConvertChecked(normalised).value_or(0.0);
}

}  // namespace vantrel::core
