#pragma once

// The described parameters F01 to F97 of the controller's setup block.

#include "project/FileIO.h"
#include "project/Records.h"
#include "project/SetupParameterTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zyl {

// The version shown under the list: "v." and word 99 as a signed number.
[[nodiscard]] std::string SetupVersionText(const TSetupBlock& setup);

// The stored value of parameter n: word n, sign-extended.
[[nodiscard]] int SetupWord(const TSetupBlock& setup, int n);
// Stores a value the edition dialog gave into word n: its low 16 bits.
void StoreSetupWord(TSetupBlock& setup, int n, int value);

// --- the parameter edition dialog's field ---------------------------------------------------

// A value brought into parameter n's range (stored units).
[[nodiscard]] int ClampToParameter(int n, std::int64_t value);

// The field's text for a stored value: the number for an integer parameter, value / 10 with
// one decimal for a tenths parameter, with the given decimal separator.
[[nodiscard]] std::string SetupFieldText(int n, int value, char decimalSeparator = '.');

// Whether the field of parameter n takes a typed character: digits, "+" and "-", and for a
// tenths parameter the decimal separator.
[[nodiscard]] bool SetupFieldTakes(int n, char32_t c, char decimalSeparator = '.');

// What the field's text stands for, in stored units and not yet brought into the range: the
// whole number, or for a tenths parameter the decimal times ten rounded on its typed digits
// to the nearest whole number, an exact half to the even neighbour (2.25 gives 22, 2.35
// gives 24, -0.25 gives -2). Blanks around the number are allowed; numbers beyond 64 bits
// give that bound rather than wrapping. Nothing when the text is empty or not a number.
[[nodiscard]] std::optional<std::int64_t> SetupFieldNumber(int n, std::string_view text,
                                                           char decimalSeparator = '.');

// The value "Save" gives for the field's text: its number brought into the range; a text
// that is empty or no number keeps current.
[[nodiscard]] int SetupValueFromField(int n, std::string_view text, int current,
                                      char decimalSeparator = '.');

// The list entry selected for a choice parameter's stored value: -1 (none) outside the list.
[[nodiscard]] int SetupChoiceIndex(int n, int value);
// The value "Save" gives for the chosen entry: its index; no entry chosen keeps current.
[[nodiscard]] int SetupValueFromChoice(int n, int index, int current);

// --- ".zys" files: the block byte for byte --------------------------------------------------

// Reads a setup file into setup: a file of at least one whole block (202 bytes) replaces it
// from its first 202 bytes; a shorter or unreadable file changes nothing. True when replaced.
[[nodiscard]] bool ReadSetupFile(const std::string& path, TSetupBlock& setup);
[[nodiscard]] FileStatus WriteSetupFile(const std::string& path, const TSetupBlock& setup);

inline constexpr const char* SetupFileFilter = "ZYL|*.zys";
inline constexpr const char* SetupFileExtension = "zys";

} // namespace zyl
