// The code pages over texts of any content: the controller conversions of the four code pages
// (and of a value that is none of them), and the PC code pages 1250 and 1251 to and from UTF-8.
//
// Input: a byte choosing the controller code page for the byte-by-byte check, then the text.

#include "FuzzSupport.h"

#include "panel/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace zyl;

constexpr int ControllerCodePages[] = {CodePageStandard, CodePageCyrillic, CodePagePolish,
                                       CodePagePC852, 7};

// Each input byte gives zero or one output byte, whatever stands around it; a value that is
// none of the code pages converts nothing.
void Controller(int codePage, std::string_view text, bool byteByByte) {
    for (const auto convert : {&ToControllerText, &FromControllerText}) {
        const std::string out = convert(codePage, text);
        FUZZ_REQUIRE(out.size() <= text.size());
        if (codePage < 0 || codePage > 3) FUZZ_REQUIRE(out == text);
        if (!byteByByte) continue;
        std::string joined;
        for (std::size_t i = 0; i < text.size(); ++i)
            joined += convert(codePage, text.substr(i, 1));
        FUZZ_REQUIRE(joined == out);
    }
}

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// PC bytes to UTF-8 and back give the bytes again, those without a character as '?'.
void PcToUtf8AndBack(int pc, std::string_view bytes) {
    const std::string utf8 = PcToUtf8(pc, bytes);
    FUZZ_REQUIRE(zylfuzz::WellFormedUtf8(utf8));
    std::string expected(bytes);
    for (char& c : expected)
        if (PcToUtf8(pc, std::string_view(&c, 1)) == ReplacementCharacter) c = '?';
    FUZZ_REQUIRE(Utf8ToPc(pc, utf8) == expected);
}

// Text whose every character has a byte comes back from the PC code page unchanged.
void Utf8ToPcAndBack(int pc, std::string_view text) {
    const std::string bytes = Utf8ToPc(pc, text);
    FUZZ_REQUIRE(bytes.size() <= text.size());
    if (text.find('?') == std::string_view::npos && bytes.find('?') == std::string::npos)
        FUZZ_REQUIRE(PcToUtf8(pc, bytes) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const int chosen = ControllerCodePages[data[0] % 5];
    for (int codePage : ControllerCodePages) Controller(codePage, text, codePage == chosen);

    for (int pc : {1250, 1251}) {
        PcToUtf8AndBack(pc, text);
        Utf8ToPcAndBack(pc, text);
    }
    // Any other value counts as 1250.
    FUZZ_REQUIRE(PcToUtf8(data[0], text) == PcToUtf8(1250, text));
    FUZZ_REQUIRE(Utf8ToPc(data[0], text) == Utf8ToPc(1250, text));
    return 0;
}
