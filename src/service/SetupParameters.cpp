#include "service/SetupParameters.h"

#include "editors/TextRules.h"
#include "project/BlockFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <span>

namespace zyl {

std::string SetupVersionText(const TSetupBlock& setup) {
    return "v." + std::to_string(setup.Words[SetupVersionWord]);
}

int SetupWord(const TSetupBlock& setup, int n) {
    return setup.Words[n];
}

void StoreSetupWord(TSetupBlock& setup, int n, int value) {
    setup.Words[n] = static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

int ClampToParameter(int n, std::int64_t value) {
    const SetupParameter& p = SetupParameterInfo(n);
    return static_cast<int>(std::clamp<std::int64_t>(value, p.min, p.max));
}

std::string SetupFieldText(int n, int value, char decimalSeparator) {
    if (SetupParameterInfo(n).kind != ParameterKind::Tenths) return std::to_string(value);
    std::string text = FormatFixed(value / 10.0, 1);
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

bool SetupFieldTakes(int n, char32_t c, char decimalSeparator) {
    if ((c >= U'0' && c <= U'9') || c == U'+' || c == U'-') return true;
    return SetupParameterInfo(n).kind == ParameterKind::Tenths &&
           c == static_cast<unsigned char>(decimalSeparator);
}

std::optional<std::int64_t> SetupFieldNumber(int n, std::string_view text, char decimalSeparator) {
    const bool tenths = SetupParameterInfo(n).kind == ParameterKind::Tenths;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);

    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const auto digit = [&](std::size_t at) {
        return at < text.size() && text[at] >= '0' && text[at] <= '9';
    };
    constexpr std::int64_t Top = std::numeric_limits<std::int64_t>::max();
    bool beyond = false;
    std::int64_t magnitude = 0; // in stored units
    int digits = 0;
    const auto push = [&](int d) {
        if (magnitude > (Top - d) / 10)
            beyond = true;
        else
            magnitude = magnitude * 10 + d;
    };
    for (; digit(i); ++i, ++digits) push(text[i] - '0');

    // The digits after the stored units decide the rounding: above, at or below a half.
    int halfOrder = -1; // -1 below a half, 0 exactly a half, 1 above
    if (tenths) {
        int tenth = 0;
        if (i < text.size() && text[i] == decimalSeparator) {
            ++i;
            if (digit(i)) {
                tenth = text[i++] - '0';
                ++digits;
            }
            if (digit(i)) {
                const int next = text[i++] - '0';
                ++digits;
                bool more = false;
                for (; digit(i); ++i, ++digits) more = more || text[i] != '0';
                halfOrder = next > 5 || (next == 5 && more) ? 1 : next == 5 ? 0 : -1;
            }
        }
        push(tenth);
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    if (!beyond && (halfOrder > 0 || (halfOrder == 0 && magnitude % 2 != 0))) {
        if (magnitude == Top)
            beyond = true;
        else
            ++magnitude;
    }
    if (beyond) return negative ? std::numeric_limits<std::int64_t>::min() : Top;
    return negative ? -magnitude : magnitude;
}

int SetupValueFromField(int n, std::string_view text, int current, char decimalSeparator) {
    const auto number = SetupFieldNumber(n, text, decimalSeparator);
    return number ? ClampToParameter(n, *number) : current;
}

int SetupChoiceIndex(int n, int value) {
    const SetupParameter& p = SetupParameterInfo(n);
    return value >= p.min && value <= p.max ? value - p.min : -1;
}

int SetupValueFromChoice(int n, int index, int current) {
    const SetupParameter& p = SetupParameterInfo(n);
    return index >= 0 && index <= p.max - p.min ? p.min + index : current;
}

bool ReadSetupFile(const std::string& path, TSetupBlock& setup) {
    TSetupBlock read = setup;
    if (ReadBlockFile<TSetupBlock>(path, std::span<TSetupBlock>(&read, 1)).records != 1)
        return false;
    setup = read;
    return true;
}

FileStatus WriteSetupFile(const std::string& path, const TSetupBlock& setup) {
    return WriteBlockFile<TSetupBlock>(path, std::span<const TSetupBlock>(&setup, 1));
}

} // namespace zyl
