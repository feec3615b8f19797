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
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if (b < 0x20 && b != '\t' && b != '\n') return false;
            ++i;
            continue;
        }
        std::size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            n = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) return false;
        }
        i += n + 1;
    }
    return true;
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
