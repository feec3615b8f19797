// The panel's menu streams as the panel hands them over: the structure, one language's text
// stream, and the user's block the program writes, parsed back.
//
// Input: a byte choosing the loader, then its bytes.

#include "FuzzSupport.h"

#include "panel/CodePage.h"
#include "panel/MenuStreams.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace zyl;

void Structure(std::string_view bytes) {
    const auto groups = ParseMenuStructure(bytes);
    FUZZ_REQUIRE(2 + 4 * groups.size() <= std::max<std::size_t>(bytes.size(), 2));
    std::size_t entries = 0;
    for (const auto& g : groups) {
        FUZZ_REQUIRE(g.count != 0 && g.count != 0xFE);
        entries += g.count;
    }
    // Rows hold sixteen texts each: huge menus only slow the run down.
    if (entries > 1024) return;
    const auto rows = RowsFromStructure(bytes);
    FUZZ_REQUIRE(rows.size() == entries);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FUZZ_REQUIRE(rows[i].nr_wew == int(i) + 1);
        FUZZ_REQUIRE(rows[i].nr >= 1 && rows[i].nr <= int(groups.size()));
    }
}

void Stream(std::string_view bytes) {
    const auto entries = ParseMenuTextStream(bytes);
    FUZZ_REQUIRE(entries.size() * MenuEntryBytes <= bytes.size());
    int group = 0;
    for (const auto& e : entries) {
        FUZZ_REQUIRE(e.text.size() == MenuTextPanelSize);
        FUZZ_REQUIRE(e.group >= group);
        group = e.group;
    }
}

// A structure and texts from the input: the block written for them parses back, stream by
// stream, to exactly the texts that were sent.
void WrittenBlock(std::string_view bytes) {
    const std::size_t split = bytes.empty() ? 0 : std::uint8_t(bytes[0]);
    const std::string_view rest = bytes.substr(bytes.empty() ? 0 : 1);
    MenuData data;
    data.structure = std::string(rest.substr(0, std::min(split, rest.size())));
    if (ParseMenuStructure(data.structure).size() > 6) return;
    data.rows = RowsFromStructure(data.structure);
    std::string_view texts = rest.substr(std::min(split, rest.size()));
    for (auto& row : data.rows)
        for (int language = 0; language < 4 && !texts.empty(); ++language) {
            const std::size_t n =
                std::min<std::size_t>(std::uint8_t(texts[0]) % 32, texts.size() - 1);
            SetMenuText(row, language, texts.substr(1, n));
            texts = texts.substr(1 + n);
        }
    MenuLanguages languages;
    languages.languages[2].codePage = CodePageCyrillic;
    languages.languages[3].codePage = CodePagePC852;
    const std::size_t S = MenuStreamSize(ParseMenuStructure(data.structure));
    const MenuUserBlock block = BuildMenuUserBlock(data, languages, {2, 3}, S);
    if (!block.error.empty()) {
        FUZZ_REQUIRE(block.bytes.empty());
        return;
    }
    FUZZ_REQUIRE(block.bytes.size() == 4 * S + 2);
    const auto order = UserBlockLanguages(MenuLayout::Structure, {2, 3});
    for (std::size_t part = 0; part < order.size(); ++part) {
        const auto entries = ParseMenuTextStream(std::string_view(block.bytes).substr(part * S, S));
        FUZZ_REQUIRE(entries.size() == data.rows.size());
        const int codePage = MenuTransferCodePage(MenuLayout::Structure, languages, order[part]);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            FUZZ_REQUIRE(entries[i].group == data.rows[i].nr);
            FUZZ_REQUIRE(entries[i].text ==
                         MenuTextToPanel(MenuLayout::Structure, codePage,
                                         data.rows[i].texts[std::size_t(order[part])]));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        Structure(bytes);
        break;
    case 1:
        Stream(bytes);
        break;
    default:
        WrittenBlock(bytes);
        break;
    }
    return 0;
}
