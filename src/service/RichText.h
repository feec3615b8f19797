#pragma once

// A small reader and writer of rich-text (RTF) documents, enough for the parameter help pages:
// paragraphs of styled runs, with the document's own code page decoded to UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

inline constexpr std::uint32_t AutoColor = 0xFFFFFFFF; // the viewer's own text colour
inline constexpr int DefaultHalfPoints = 24;           // 12 pt

struct RichTextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = DefaultHalfPoints; // font size in half points, 2 to 3276
    std::uint32_t color = AutoColor;    // 0xRRGGBB or AutoColor

    friend bool operator==(const RichTextStyle&, const RichTextStyle&) = default;
};

// Text as UTF-8 with no control characters but '\t' (a tab) and '\n' (a line break inside
// the paragraph). Never empty in a read document.
struct RichTextRun {
    std::string text;
    RichTextStyle style;

    friend bool operator==(const RichTextRun&, const RichTextRun&) = default;
};

enum class RichTextAlign { Left, Center, Right, Justify };

// Lengths in twips (1/1440 inch).
struct RichTextParagraph {
    std::vector<RichTextRun> runs; // adjacent runs differ in style
    RichTextAlign align = RichTextAlign::Left;
    int leftIndent = 0;
    int firstLineIndent = 0;   // relative to leftIndent
    std::vector<int> tabStops; // at most MaxTabStops

    friend bool operator==(const RichTextParagraph&, const RichTextParagraph&) = default;
};

struct RichTextDocument {
    std::vector<RichTextParagraph> paragraphs;

    friend bool operator==(const RichTextDocument&, const RichTextDocument&) = default;
};

inline constexpr int MaxGroupDepth = 200; // deeper groups share the state of the deepest one
inline constexpr int MaxIndent = 31680;   // 22 inches
inline constexpr std::size_t MaxTabStops = 64;

// Reads a document. Bytes that do not begin with "{\rtf" (after blanks and a UTF-8 byte order
// mark) are plain text in code page 1250, one paragraph per line. A document cut short or with
// unbalanced braces gives what it holds up to its end or to the close of its outermost group.
// Runs in time linear in the input and never reads outside it.
[[nodiscard]] RichTextDocument ReadRichText(std::string_view bytes);

// Writes a document that ReadRichText reads back as the same document when every run is
// non-empty, adjacent runs differ in style and the values lie in their ranges. Text is held in
// code page 1250 where it has a byte and as Unicode escapes elsewhere.
[[nodiscard]] std::string WriteRichText(const RichTextDocument& document);

} // namespace zyl
