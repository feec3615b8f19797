#include "editors/TextRules.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <string>
#include <system_error>

namespace zyl {

namespace {

char FoldByte(unsigned char b) {
    switch (b) {
    case 0x8C:
        return 'S';
    case 0x8F:
        return 'Z';
    case 0xAF:
        return 'Z';
    case 0x9C:
        return 's';
    case 0x9F:
        return 'z';
    case 0xBF:
        return 'z';
    case 0xA3:
        return 'L';
    case 0xA5:
        return 'A';
    case 0xB3:
        return 'l';
    case 0xB9:
        return 'a';
    case 0xC6:
        return 'C';
    case 0xCA:
        return 'E';
    case 0xD1:
        return 'N';
    case 0xD3:
        return 'O';
    case 0xE6:
        return 'c';
    case 0xEA:
        return 'e';
    case 0xF1:
        return 'n';
    case 0xF3:
        return 'o';
    default:
        return static_cast<char>(b);
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The power of ten of the first significant digit of a well-formed unsigned number.
long long DecimalExponent(std::string_view number) {
    long long exponent = 0;
    const std::size_t e = number.find_first_of("eE");
    if (e != std::string_view::npos) {
        std::size_t i = e + 1;
        const bool negative = number[i] == '-';
        if (number[i] == '+' || number[i] == '-') ++i;
        for (; i < number.size(); ++i)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
        if (negative) exponent = -exponent;
        number = number.substr(0, e);
    }
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::size_t significant = whole.find_first_not_of('0');
    if (significant != std::string_view::npos)
        return exponent + static_cast<long long>(whole.size() - significant) - 1;
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    const std::size_t zeros = fraction.find_first_not_of('0');
    return exponent - static_cast<long long>(zeros) - 1;
}

enum class Parsed { Number, NotNumber, TooLarge };

// Leading blanks, then: optional sign, digits with an optional fraction (at least one digit
// in all), an optional exponent. Nothing may follow. Parsing does not depend on the locale.
Parsed ParseText(std::string_view text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    text.remove_prefix(i);

    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t mantissa = pos;
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    }
    if (digits == 0) return Parsed::NotNumber;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        const std::size_t expDigits = pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
        if (pos == expDigits) return Parsed::NotNumber;
    }
    if (pos != text.size()) return Parsed::NotNumber;

    const char* first = text.data() + mantissa;
    const char* last = text.data() + text.size();
    double magnitude = 0;
    const auto [end, ec] = std::from_chars(first, last, magnitude, std::chars_format::general);
    if (end != last) return Parsed::NotNumber;
    if (ec == std::errc::result_out_of_range) {
        if (DecimalExponent(std::string_view(first, static_cast<std::size_t>(last - first))) > 0)
            return Parsed::TooLarge;
        magnitude = 0; // too small for a double
    } else if (ec != std::errc()) {
        return Parsed::NotNumber;
    }
    value = negative ? -magnitude : magnitude;
    return Parsed::Number;
}

} // namespace

std::string FoldDiacritics(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = FoldByte(static_cast<unsigned char>(c));
    return out;
}

int CheckRange(std::string_view text, double low, double high) {
    double value = 0;
    switch (ParseText(text, value)) {
    case Parsed::NotNumber:
        return RangeNotNumber;
    case Parsed::TooLarge:
        return RangeOutside;
    case Parsed::Number:
        break;
    }
    return (value < low || value > high) ? RangeOutside : RangeOk;
}

bool ParseNumber(std::string_view text, double& value) {
    double parsed = 0;
    if (ParseText(text, parsed) != Parsed::Number) return false;
    value = parsed;
    return true;
}

std::int32_t WholeNumberFromText(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    const std::string t(text.substr(b, e - b));
    if (t.empty()) return 0;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (end == t.c_str() || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return 0;
    return static_cast<std::int32_t>(v);
}

std::string FormatFixed(double value, int decimals) {
    char text[64];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

} // namespace zyl
