#include "panel/MenuTable.h"

#include "panel/CodePage.h"

namespace zyl {

void SetMenuText(TMenuRow& row, int language, std::string_view text) {
    if (language < 0 || language >= MenuLanguageSlots) return;
    row.texts[static_cast<std::size_t>(language)] = std::string(text.substr(0, MenuTextFieldSize));
}

MenuLanguages::MenuLanguages() {
    for (int n = 1; n < MenuLanguageSlots; ++n)
        languages[static_cast<std::size_t>(n)].name = DefaultName(n);
}

std::string MenuLanguages::DefaultName(int language) {
    return "LANGUAGE " + std::to_string(language);
}

int MenuLanguages::CodePageOf(int language) const {
    if (language < 1 || language > count || language >= MenuLanguageSlots) return 0;
    return languages[static_cast<std::size_t>(language)].codePage;
}

int MenuPcCodePage(const MenuLanguages& languages, int language) {
    return PcCodePageFor(languages.CodePageOf(language));
}

} // namespace zyl
