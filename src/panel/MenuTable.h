#pragma once

// The operator panel's menu as the menu window holds it: one row per entry in panel order,
// each with its texts in up to sixteen languages, and the languages with their code pages.
// Texts are bytes of the PC code page of their language (1251 for a Cyryllic language, 1250
// otherwise) and are kept byte for byte as they were read or typed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

// Language 0 (the panel's own, "Polski"), language 1 ("English") and languages 2 to 15.
inline constexpr int MenuLanguageSlots = 16;
// The language count N counts the languages besides language 0.
inline constexpr int MaxMenuLanguageCount = 15;
inline constexpr int DefaultMenuLanguageCount = 3;
// A table field holds at most 30 characters; the panel shows 20 of them.
inline constexpr std::size_t MenuTextFieldSize = 30;
inline constexpr std::size_t MenuTextPanelSize = 20;

struct TMenuRow {
    int nr_wew = 0; // running number of the row, from 1
    int nr = 0;     // the group the entry belongs to, from 1
    // texts[0] is nazwa (language 0), texts[n] is nazwaj<n>.
    std::array<std::string, MenuLanguageSlots> texts;
    std::uint8_t znak1 = 0; // the group's two attribute bytes, carried unchanged
    std::uint8_t znak2 = 0;
};

// Stores a text into a row's language, cut to the field's 30 bytes.
void SetMenuText(TMenuRow& row, int language, std::string_view text);

enum class MenuLayout {
    Structure,  // the predefined block holds the structure, the user block four languages
    Predefined, // the predefined block holds language 0, the user block three languages
};

struct MenuLanguage {
    int codePage = 0; // TCodePage
    std::string name; // as shown in the selectors (PC code page bytes)
};

// The language settings: N and, for languages 1 to N, code page and name. Entry 0 is not
// used (language 0 has no settings of its own).
struct MenuLanguages {
    int count = DefaultMenuLanguageCount;
    std::array<MenuLanguage, MenuLanguageSlots> languages;

    MenuLanguages();
    // "LANGUAGE n" with code page 0.
    [[nodiscard]] static std::string DefaultName(int language);
    // Code page of a language: the Polish one for language 0 in the structure layout is not
    // a setting and is not given here; languages outside 1..count give 0.
    [[nodiscard]] int CodePageOf(int language) const;
};

// The menu data of the window: the rows, the layout flag and the raw structure as read from
// the controller or loaded from a structure file. present says whether menu data exists.
struct MenuData {
    std::vector<TMenuRow> rows;
    MenuLayout layout = MenuLayout::Structure;
    std::string structure;
    bool present = false;
};

// The languages of the two selectors ("Cust 1" and "Cust 2"): 1 to N; the window opens
// with 2 and 3.
struct MenuSelection {
    int first = 2;
    int second = 3;
};

// The PC code page in which a language's texts are held and shown: 1251 when its code page
// is Cyryllic, 1250 otherwise (language 0 always 1250).
[[nodiscard]] int MenuPcCodePage(const MenuLanguages& languages, int language);

} // namespace zyl
