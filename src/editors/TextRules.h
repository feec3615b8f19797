#pragma once

// Small rules shared by the record editors.

#include <cstdint>
#include <string>
#include <string_view>

namespace zyl {

// Replaces the Polish letters of code page 1250 by their base letters; other bytes are kept.
[[nodiscard]] std::string FoldDiacritics(std::string_view text);

enum CheckRangeResult : int { RangeOk = 0, RangeNotNumber = 1, RangeOutside = 2 };

// Range test of a typed number (decimal point "."; leading blanks skipped, the rest must be
// a number; empty is not a number). Both bounds belong to the range.
[[nodiscard]] int CheckRange(std::string_view text, double low, double high);

// Parses a number as CheckRange does; false when the text is not a number.
[[nodiscard]] bool ParseNumber(std::string_view text, double& value);

// A number with the given count of decimals and "." as the decimal point, whatever the
// locale ("%1.1f" of the C library follows the desktop's locale once a window has started).
[[nodiscard]] std::string FormatFixed(double value, int decimals);

// A whole-number field: a text that is no whole number (blanks around it allowed) counts as 0.
[[nodiscard]] std::int32_t WholeNumberFromText(std::string_view text);

} // namespace zyl
