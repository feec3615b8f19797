#pragma once

// What a translator needs to know before a menu goes to the panel: entries longer than the
// panel's 20 characters and characters that a language's code page cannot carry, with what
// the panel would show instead.

#include "panel/MenuTable.h"

#include <string>
#include <vector>

namespace zyl {

struct MenuFinding {
    enum class Kind { TooLong, NotCarried };
    Kind kind = Kind::TooLong;
    int row = 0;      // index into the rows
    int language = 0; // 0..N
    std::string text; // the cell's bytes (PC code page of the language)
    // TooLong: what the panel shows (the first 20 bytes). NotCarried: the characters that do
    // not survive, and what the panel shows for each (empty when it shows nothing).
    std::string lost;
    std::string shownAs;
};

// Checks the languages a write in the data's layout converts (all of 0..N but language 0 in
// the predefined layout, which is not written), in language and row order.
[[nodiscard]] std::vector<MenuFinding> CheckMenu(const MenuData& data,
                                                 const MenuLanguages& languages);

// The findings as UTF-8 text, one line each, grouped per language under its name; "No
// findings" when there are none.
[[nodiscard]] std::string MenuCheckReport(const std::vector<MenuFinding>& findings,
                                          const MenuData& data, const MenuLanguages& languages);

} // namespace zyl
