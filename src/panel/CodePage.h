#pragma once

// Character sets of controller texts, and the PC code pages in which the PC holds texts.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zyl {

enum TCodePage : int {
    CodePageStandard = 0,
    CodePageCyrillic = 1, // PC side 1251, controller side 866 (letters and a few signs)
    CodePagePolish = 2,   // PC side 1250, capital Polish letters at their 852 positions
    CodePagePC852 = 3,    // PC side 1250, the controller's own variant of 852
};

inline constexpr std::array<const char*, 4> CodePageNames = {"Standard", "Cyryllic", "Polish",
                                                             "PC852 (Slovakia)"};

// Byte conversions of a controller text; any other code page value converts nothing.
// Each input byte gives zero or one output byte.
[[nodiscard]] std::string ToControllerText(int codePage, std::string_view text);
[[nodiscard]] std::string FromControllerText(int codePage, std::string_view text);

// The PC code page in which texts of a language with this controller code page are held:
// 1251 for Cyryllic, 1250 for every other.
[[nodiscard]] int PcCodePageFor(int codePage);

// PC code page 1250, 1251 or 1252 (any other value counts as 1250) to and from UTF-8, for display
// (1252 only for documents that name it, such as help pages). Bytes
// without a character in the code page decode to U+FFFD; characters without a byte encode as '?'.
// UTF-8 as every text of the program that is not in a PC code page holds it.
inline constexpr char32_t InvalidUtf8 = 0xFFFFFFFF;
// Decodes the sequence at text[pos] (pos < text.size()) and advances pos past it; InvalidUtf8
// for a malformed, overlong, surrogate or out-of-range sequence (pos then stands after the
// lead byte and the continuation bytes that belonged to it).
[[nodiscard]] char32_t DecodeUtf8(std::string_view text, std::size_t& pos);
// Whether the whole text is well-formed UTF-8.
[[nodiscard]] bool IsUtf8(std::string_view text);
// Appends the code point's UTF-8 bytes.
void AppendUtf8(std::string& out, char32_t cp);

[[nodiscard]] std::string PcToUtf8(int pcCodePage, std::string_view bytes);
[[nodiscard]] std::string Utf8ToPc(int pcCodePage, std::string_view utf8);

} // namespace zyl
