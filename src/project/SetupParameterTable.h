#pragma once

// The described parameters F01 to F97 of the controller's setup block (words 1 to 97): their
// names, kinds and ranges, and the texts shown for their values.

#include <cstdint>
#include <string>

namespace zyl {

enum class ParameterKind { Integer, Choice, Tenths };

struct SetupParameter {
    const char* name; // "" for a parameter without a name
    ParameterKind kind;
    int min; // stored units
    int max;
};

inline constexpr int SetupParameterCount = 97;

// Parameter n, 1 to 97.
[[nodiscard]] const SetupParameter& SetupParameterInfo(int n);

// The value text shown for parameter n holding the stored value.
[[nodiscard]] std::string SetupValueText(int n, int value);

// Word 99: the controller's program version; word 98: the menu layout mark.
inline constexpr int SetupVersionWord = 99;
inline constexpr int SetupMenuLayoutWord = 98;
inline constexpr std::uint16_t StructureLayoutMark = 0xBA56;

// The row of parameter n in the setup window: " F" and n in two digits (" F07").
[[nodiscard]] std::string SetupRowNumber(int n);

// A stored number of tenths with one decimal and "." ("-0.5", "12.0").
[[nodiscard]] std::string TenthsText(std::int64_t tenths);

} // namespace zyl
