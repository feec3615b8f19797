// The rich-text reader over any bytes: what it gives keeps the promises of its document (well-
// formed UTF-8 without control characters but tab and line break, no empty runs, adjacent runs
// of different styles, values in their ranges), and the writer's text of it reads back as the
// same document.
//
// Input: the bytes of a help page.

#include "FuzzSupport.h"

#include "service/RichText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace zyl;

// Well-formed UTF-8 whose only characters below U+0020 are tab and line feed.
bool CleanUtf8(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') return false;
    return zylfuzz::WellFormedUtf8(s);
}

void CheckDocument(const RichTextDocument& document) {
    for (const RichTextParagraph& p : document.paragraphs) {
        FUZZ_REQUIRE(p.leftIndent >= -MaxIndent && p.leftIndent <= MaxIndent);
        FUZZ_REQUIRE(p.firstLineIndent >= -MaxIndent && p.firstLineIndent <= MaxIndent);
        FUZZ_REQUIRE(p.tabStops.size() <= MaxTabStops);
        for (int tab : p.tabStops) FUZZ_REQUIRE(tab >= 0 && tab <= MaxIndent);
        for (std::size_t r = 0; r < p.runs.size(); ++r) {
            const RichTextRun& run = p.runs[r];
            FUZZ_REQUIRE(!run.text.empty());
            FUZZ_REQUIRE(CleanUtf8(run.text));
            FUZZ_REQUIRE(run.style.halfPoints >= 2 && run.style.halfPoints <= 3276);
            FUZZ_REQUIRE(run.style.color == AutoColor || run.style.color <= 0xFFFFFF);
            if (r > 0) FUZZ_REQUIRE(!(p.runs[r - 1].style == run.style));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RichTextDocument document = ReadRichText(bytes);
    CheckDocument(document);
    const std::string written = WriteRichText(document);
    FUZZ_REQUIRE(ReadRichText(written) == document);
    return 0;
}
