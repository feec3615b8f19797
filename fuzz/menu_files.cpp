// The menu's file forms over bytes of any content: the language settings, the structure file
// and the CSV import into a small table.
//
// Input: one selector byte, then the payload. Selector % 3: 0 settings text, 1 structure
// file bytes, 2 CSV. For the CSV the selector's bit 7 chooses the table's layout and the
// payload's first byte the languages: bits 6-7 the count, bits 0-5 the code pages of
// languages 1 to 3, two bits each; the CSV follows.

#include "FuzzSupport.h"

#include "panel/CodePage.h"
#include "panel/MenuCheck.h"
#include "panel/MenuCsv.h"
#include "panel/MenuFiles.h"
#include "panel/MenuStreams.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace zyl;

// A name as an INI value reads back: line breaks as blanks, outer blanks removed (a value
// read from a file may hold a lone CR).
std::string ReadBack(std::string name) {
    for (char& c : name)
        if (c == '\r' || c == '\n') c = ' ';
    const std::size_t b = name.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return name.substr(b, name.find_last_not_of(" \t") - b + 1);
}

bool SameLanguages(const MenuLanguages& read, const MenuLanguages& written) {
    if (read.count != written.count) return false;
    for (int n = 1; n <= read.count; ++n) {
        const MenuLanguage& x = read.languages[static_cast<std::size_t>(n)];
        const MenuLanguage& y = written.languages[static_cast<std::size_t>(n)];
        if (x.codePage != y.codePage || x.name != ReadBack(y.name)) return false;
    }
    return true;
}

bool SameRows(const std::vector<TMenuRow>& a, const std::vector<TMenuRow>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].nr_wew != b[i].nr_wew || a[i].nr != b[i].nr || a[i].znak1 != b[i].znak1 ||
            a[i].znak2 != b[i].znak2 || a[i].texts != b[i].texts)
            return false;
    return true;
}

void CheckTexts(const MenuData& data) {
    for (const TMenuRow& row : data.rows)
        for (const std::string& text : row.texts) FUZZ_REQUIRE(text.size() <= MenuTextFieldSize);
}

// The check's findings stay within the table and the languages a write converts.
void CheckFindings(const MenuData& data, const MenuLanguages& languages) {
    const std::vector<MenuFinding> findings = CheckMenu(data, languages);
    for (const MenuFinding& f : findings) {
        FUZZ_REQUIRE(f.row >= 0 && static_cast<std::size_t>(f.row) < data.rows.size());
        FUZZ_REQUIRE(f.language >= (data.layout == MenuLayout::Predefined ? 1 : 0) &&
                     f.language <= languages.count);
        if (f.kind == MenuFinding::Kind::NotCarried)
            FUZZ_REQUIRE(f.lost.size() == 1 && f.shownAs.size() <= 1 && f.lost != f.shownAs);
        else
            FUZZ_REQUIRE(f.shownAs.size() == MenuTextPanelSize && !f.lost.empty());
    }
    FUZZ_REQUIRE(!MenuCheckReport(findings, data, languages).empty());
}

// The settings are bounded, and what MenuSettingsText writes of them reads back the same.
void Settings(std::string_view text) {
    const MenuLanguages languages = MenuLanguagesFromIni(text);
    FUZZ_REQUIRE(languages.count >= 0 && languages.count <= MaxMenuLanguageCount);
    for (int n = 1; n < MenuLanguageSlots; ++n) {
        const MenuLanguage& language = languages.languages[static_cast<std::size_t>(n)];
        FUZZ_REQUIRE(language.codePage >= 0 && language.codePage <= 3);
        if (n > languages.count)
            FUZZ_REQUIRE(language.codePage == 0 && language.name == MenuLanguages::DefaultName(n));
    }
    FUZZ_REQUIRE(SameLanguages(MenuLanguagesFromIni(MenuSettingsText(languages)), languages));
}

// A structure file's rows are those of its bounded structure; a refused file changes nothing.
void StructureFile(std::string_view bytes) {
    MenuData data;
    data.layout = MenuLayout::Predefined;
    data.structure = "kept";
    data.rows.resize(1);
    const std::string error = ParseMenuStructureFile(bytes, data);
    if (bytes.size() < 4 || bytes.size() > 4 + MenuBlockLimit) {
        FUZZ_REQUIRE(!error.empty());
    } else {
        const std::size_t size = (std::size_t{static_cast<std::uint8_t>(bytes[0])} << 24) |
                                 (std::size_t{static_cast<std::uint8_t>(bytes[1])} << 16) |
                                 (std::size_t{static_cast<std::uint8_t>(bytes[2])} << 8) |
                                 static_cast<std::uint8_t>(bytes[3]);
        const std::string_view structure = bytes.substr(4, size);
        // Refused exactly when the panel could not hold the menu's four text streams.
        const bool fits = 4 * MenuStreamSize(ParseMenuStructure(structure)) <= MenuBlockLimit;
        FUZZ_REQUIRE(error.empty() == fits);
        if (fits) FUZZ_REQUIRE(data.structure == structure);
    }
    if (!error.empty()) {
        FUZZ_REQUIRE(!data.present && data.layout == MenuLayout::Predefined &&
                     data.structure == "kept" && data.rows.size() == 1);
        return;
    }
    FUZZ_REQUIRE(data.present && data.layout == MenuLayout::Structure);
    FUZZ_REQUIRE(SameRows(data.rows, RowsFromStructure(data.structure)));
    for (std::size_t i = 0; i < data.rows.size(); ++i) {
        FUZZ_REQUIRE(data.rows[i].nr_wew == static_cast<int>(i) + 1);
        FUZZ_REQUIRE(data.rows[i].nr >= 1 && (i == 0 || data.rows[i].nr >= data.rows[i - 1].nr));
    }
    CheckTexts(data);

    // The empty rows go out as CSV and come back unchanged.
    const MenuLanguages languages;
    MenuData imported = data;
    const MenuCsvImport result = ImportMenuCsv(ExportMenuCsv(data, languages), imported, languages);
    FUZZ_REQUIRE(result && result.changedCells == 0 && SameRows(imported.rows, data.rows));
}

// Three rows whose texts hold bytes without a character (98), a no-break space, a quote, a
// comma and a line break, in up to three languages chosen by the selector.
void Csv(std::uint8_t selector, std::string_view csv) {
    if (csv.empty()) return;
    const auto choice = static_cast<std::uint8_t>(csv.front());
    csv.remove_prefix(1);
    MenuLanguages languages;
    languages.count = choice >> 6;
    for (int n = 1; n <= 3; ++n)
        languages.languages[static_cast<std::size_t>(n)].codePage = (choice >> (2 * (n - 1))) & 3;
    MenuData data;
    data.present = true;
    data.layout = (selector & 0x80) ? MenuLayout::Predefined : MenuLayout::Structure;
    const char* texts[3] = {"START \x98\xA0", "a,\"b\"\r\nc",
                            "\xCF\xEE\xEC\xEF\xE0 ABCDEFGHIJKLMNOPQRSTUV"};
    for (int r = 0; r < 3; ++r) {
        TMenuRow row;
        row.nr_wew = r + 1;
        row.nr = r < 2 ? 1 : 2;
        row.znak1 = static_cast<std::uint8_t>(0x30 + r);
        row.znak2 = static_cast<std::uint8_t>(0x40 + r);
        for (int n = 0; n < MenuLanguageSlots; ++n) SetMenuText(row, n, texts[(r + n) % 3]);
        data.rows.push_back(row);
    }
    const MenuData before = data;

    const MenuCsvImport result = ImportMenuCsv(csv, data, languages);
    FUZZ_REQUIRE(data.rows.size() == before.rows.size());
    if (!result) {
        FUZZ_REQUIRE(result.changedCells == 0 && SameRows(data.rows, before.rows));
        return;
    }
    int changed = 0;
    for (std::size_t r = 0; r < data.rows.size(); ++r) {
        const TMenuRow& row = data.rows[r];
        const TMenuRow& old = before.rows[r];
        FUZZ_REQUIRE(row.nr_wew == old.nr_wew && row.nr == old.nr && row.znak1 == old.znak1 &&
                     row.znak2 == old.znak2);
        for (std::size_t n = 0; n < row.texts.size(); ++n) {
            if (row.texts[n] == old.texts[n]) continue;
            ++changed;
            FUZZ_REQUIRE(n <= static_cast<std::size_t>(languages.count));
            FUZZ_REQUIRE(row.texts[n].find_first_of("\r\n") == std::string::npos);
        }
    }
    FUZZ_REQUIRE(changed == result.changedCells);
    CheckTexts(data);
    CheckFindings(data, languages);

    // What was taken in goes out and comes back as it is.
    MenuData again = data;
    const MenuCsvImport back = ImportMenuCsv(ExportMenuCsv(data, languages), again, languages);
    FUZZ_REQUIRE(back && back.changedCells == 0 && SameRows(again.rows, data.rows));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t selector = bytes[0];
    const std::string_view payload(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    switch (selector % 3) {
    case 0:
        Settings(payload);
        break;
    case 1:
        StructureFile(payload);
        break;
    default:
        Csv(selector, payload);
        break;
    }
    return 0;
}
