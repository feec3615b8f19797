#include "panel/MenuCsv.h"

#include "panel/CodePage.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

namespace zyl {

namespace {

constexpr int LanguageNamePcPage = 1250;
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

void AppendField(std::string& line, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

void AppendLine(std::string& csv, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) csv += ',';
        AppendField(csv, fields[i]);
    }
    csv += "\r\n";
}

int LanguageCount(const MenuLanguages& languages) {
    return std::clamp(languages.count, 0, MaxMenuLanguageCount);
}

struct Record {
    int line = 0; // where it starts, from 1
    std::vector<std::string> fields;
};

// The records of an RFC 4180 text. Lines end in CR LF or LF; a quoted field may hold
// commas, doubled quotes and line ends. A quote inside an unquoted field is taken as it is.
// Blank lines at the end are no records.
std::optional<std::vector<Record>> ParseCsv(std::string_view csv, std::string& error) {
    std::vector<Record> records;
    int line = 1;
    std::size_t pos = 0;
    const auto atLineEnd = [&] {
        return pos < csv.size() && (csv[pos] == '\n' || (csv[pos] == '\r' && pos + 1 < csv.size() &&
                                                         csv[pos + 1] == '\n'));
    };
    const auto skipLineEnd = [&] {
        pos += csv[pos] == '\r' ? 2 : 1;
        ++line;
    };
    while (pos < csv.size()) {
        Record record;
        record.line = line;
        for (;;) {
            std::string field;
            if (pos < csv.size() && csv[pos] == '"') {
                const int startLine = line;
                ++pos;
                for (;;) {
                    if (pos >= csv.size()) {
                        error = "line " + std::to_string(startLine) + ", column " +
                                std::to_string(record.fields.size() + 1) +
                                ": a quoted field has no closing quote";
                        return std::nullopt;
                    }
                    const char c = csv[pos++];
                    if (c == '"') {
                        if (pos < csv.size() && csv[pos] == '"') {
                            field += '"';
                            ++pos;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++line;
                    field += c;
                }
                if (pos < csv.size() && csv[pos] != ',' && !atLineEnd()) {
                    error = "line " + std::to_string(line) + ", column " +
                            std::to_string(record.fields.size() + 1) +
                            ": text after the closing quote";
                    return std::nullopt;
                }
            } else {
                while (pos < csv.size() && csv[pos] != ',' && !atLineEnd()) field += csv[pos++];
            }
            record.fields.push_back(std::move(field));
            if (pos < csv.size() && csv[pos] == ',') {
                ++pos;
                continue;
            }
            if (pos < csv.size()) skipLineEnd();
            break;
        }
        records.push_back(std::move(record));
    }
    while (!records.empty() && records.back().fields.size() == 1 &&
           records.back().fields[0].empty())
        records.pop_back();
    return records;
}

// The length of the UTF-8 character at the start of valid UTF-8.
std::size_t CharacterLength(std::string_view s) {
    const auto b = static_cast<unsigned char>(s[0]);
    return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// The first character of a valid UTF-8 text that does not come back from the code page.
std::string FirstNotCarried(int pcPage, std::string_view utf8) {
    while (!utf8.empty()) {
        const std::string_view one = utf8.substr(0, CharacterLength(utf8));
        if (PcToUtf8(pcPage, Utf8ToPc(pcPage, one)) != one) return std::string(one);
        utf8.remove_prefix(one.size());
    }
    return {};
}

std::optional<int> Number(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string Place(int line, std::size_t column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column + 1);
}

} // namespace

std::string ExportMenuCsv(const MenuData& data, const MenuLanguages& languages) {
    const int count = LanguageCount(languages);
    std::string csv;
    std::vector<std::string> fields = {"Nr", "Polski"};
    for (int n = 1; n <= count; ++n)
        fields.push_back(
            PcToUtf8(LanguageNamePcPage, languages.languages[static_cast<std::size_t>(n)].name));
    AppendLine(csv, fields);
    for (const TMenuRow& row : data.rows) {
        fields = {std::to_string(row.nr)};
        for (int n = 0; n <= count; ++n)
            fields.push_back(
                PcToUtf8(MenuPcCodePage(languages, n), row.texts[static_cast<std::size_t>(n)]));
        AppendLine(csv, fields);
    }
    return csv;
}

MenuCsvImport ImportMenuCsv(std::string_view csv, MenuData& data, const MenuLanguages& languages) {
    MenuCsvImport result;
    if (csv.substr(0, Utf8Bom.size()) == Utf8Bom) csv.remove_prefix(Utf8Bom.size());
    const std::optional<std::vector<Record>> records = ParseCsv(csv, result.error);
    if (!records) return result;
    if (records->empty()) {
        result.error = "the file holds no header line";
        return result;
    }
    for (const Record& record : *records)
        for (std::size_t c = 0; c < record.fields.size(); ++c)
            if (!IsUtf8(record.fields[c])) {
                result.error = Place(record.line, c) + ": not UTF-8 text";
                return result;
            }

    const int count = LanguageCount(languages);
    const std::vector<std::string>& header = records->front().fields;
    const std::size_t columns = header.size();
    if (columns < 2) {
        result.error = "line 1: the header needs the columns \"Nr\" and \"Polski\"";
        return result;
    }
    if (columns > static_cast<std::size_t>(count) + 2) {
        result.error = Place(1, count + 2) + ": \"" + header[static_cast<std::size_t>(count) + 2] +
                       "\" is beyond the " + std::to_string(count + 1) +
                       " languages of the settings";
        return result;
    }
    const std::size_t lines = records->size() - 1;
    if (lines != data.rows.size()) {
        result.error = "the file has " + std::to_string(lines) +
                       " lines of entries; the menu has " + std::to_string(data.rows.size()) +
                       " rows";
        return result;
    }

    std::vector<TMenuRow> rows = data.rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Record& record = (*records)[r + 1];
        TMenuRow& row = rows[r];
        if (record.fields.size() != columns) {
            result = {"line " + std::to_string(record.line) + " has " +
                          std::to_string(record.fields.size()) + " columns; the header has " +
                          std::to_string(columns),
                      0};
            return result;
        }
        if (Number(record.fields[0]) != row.nr) {
            result = {Place(record.line, 0) + ": \"" + record.fields[0] + "\" where row " +
                          std::to_string(r + 1) + " has the group number " + std::to_string(row.nr),
                      0};
            return result;
        }
        for (std::size_t c = 1; c < columns; ++c) {
            const int language = static_cast<int>(c) - 1;
            std::string& text = row.texts[static_cast<std::size_t>(language)];
            const int pcPage = MenuPcCodePage(languages, language);
            const std::string& cell = record.fields[c];
            if (cell == PcToUtf8(pcPage, text)) continue;
            const std::string lost = FirstNotCarried(pcPage, cell);
            if (!lost.empty()) {
                result = {Place(record.line, c) + ": \"" + lost +
                              "\" has no character in code page " + std::to_string(pcPage),
                          0};
                return result;
            }
            std::string bytes = Utf8ToPc(pcPage, cell);
            if (bytes.find_first_of("\r\n") != std::string::npos) {
                result = {Place(record.line, c) + ": a menu text cannot hold a line break", 0};
                return result;
            }
            if (bytes.size() > MenuTextFieldSize) {
                result = {Place(record.line, c) + ": the text has " + std::to_string(bytes.size()) +
                              " characters; an entry holds at most " +
                              std::to_string(MenuTextFieldSize),
                          0};
                return result;
            }
            if (bytes == text) continue;
            text = std::move(bytes);
            ++result.changedCells;
        }
    }
    data.rows = std::move(rows);
    return result;
}

} // namespace zyl
