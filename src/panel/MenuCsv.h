#pragma once

// The menu table as UTF-8 CSV for translation in a spreadsheet: a header line ("Nr", then the
// names of languages 0 to N, language 0 as "Polski"), then one line per row: the group
// number and the texts. Importing changes texts only, never the structure.

#include "panel/MenuTable.h"

#include <string>
#include <string_view>

namespace zyl {

[[nodiscard]] std::string ExportMenuCsv(const MenuData& data, const MenuLanguages& languages);

// Takes the texts of a CSV into the rows. The CSV must have one line per row with the
// rows' group numbers, and a column for each language 0..N. A cell whose text equals the
// row's present text (as UTF-8) leaves the row's bytes untouched. error names the line and
// column of what was refused; then data is unchanged.
struct MenuCsvImport {
    std::string error;
    int changedCells = 0;
    explicit operator bool() const { return error.empty(); }
};
[[nodiscard]] MenuCsvImport ImportMenuCsv(std::string_view csv, MenuData& data,
                                          const MenuLanguages& languages);

} // namespace zyl
