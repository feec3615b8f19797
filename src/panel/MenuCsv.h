#pragma once

// The menu table as UTF-8 CSV for translation in a spreadsheet: a header line ("Nr", then the
// names of languages 0 to N, language 0 as "Polski"), then one line per row: the group
// number and the texts. Importing changes texts only, never the structure.

#include "panel/MenuTable.h"

#include <string>
#include <string_view>

namespace zyl {

[[nodiscard]] std::string ExportMenuCsv(const MenuData& data, const MenuLanguages& languages);

// Takes the texts of a CSV into the rows. The CSV must have a header line and one line per
// row with the rows' group numbers, every line with the header's columns: "Nr", language 0
// and languages 1 to at most N, matched by position (a language without a column keeps its
// texts). A cell whose text equals the row's present text (as UTF-8) leaves the row's bytes
// untouched; any other is converted to the language's PC code page and refused when a
// character has no byte there, when it holds a line break or is longer than 30 bytes.
// error names the line and column of what was refused; then data is unchanged.
struct MenuCsvImport {
    std::string error;
    int changedCells = 0;
    explicit operator bool() const { return error.empty(); }
};
[[nodiscard]] MenuCsvImport ImportMenuCsv(std::string_view csv, MenuData& data,
                                          const MenuLanguages& languages);

} // namespace zyl
