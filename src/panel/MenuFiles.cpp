#include "panel/MenuFiles.h"

#include "panel/CodePage.h"
#include "panel/MenuStreams.h"
#include "project/IniFile.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace zyl {

namespace {

constexpr const char* SettingsSection = "Settings";
constexpr std::size_t StructureSizeField = 4;
// A structure file holds the size field and at most a whole block.
constexpr std::size_t StructureFileLimit = StructureSizeField + MenuBlockLimit;
// First try of a read; larger files are read again with the caller's limit.
constexpr std::size_t FirstReadSize = 64 * 1024;

std::string PageCodeKey(int n) {
    return "PageCode_" + std::to_string(n);
}
std::string CodeNameKey(int n) {
    return "CodeName_" + std::to_string(n);
}

struct WholeFile {
    std::string bytes;
    std::string error; // names the file
};

// The bytes of a regular file of at most `limit` bytes.
WholeFile ReadWholeFile(const std::string& path, std::size_t limit) {
    WholeFile result;
    std::size_t size = std::min(limit, FirstReadSize);
    for (;;) {
        result.bytes.assign(size + 1, '\0');
        const FileRead read = ReadRegularFile(
            path, std::as_writable_bytes(std::span<char>(result.bytes.data(), size + 1)));
        if (!read) {
            result.error = read.error;
            result.bytes.clear();
            return result;
        }
        if (read.size <= size && !read.more) {
            result.bytes.resize(read.size);
            return result;
        }
        if (size == limit) {
            result.error = "cannot read " + path + ": too large";
            result.bytes.clear();
            return result;
        }
        size = limit;
    }
}

// The lines of a text file; each may end in CR LF or LF, the last in nothing.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

// One language's texts as a text file: a line a row, CR LF after each.
std::string LanguageFileText(const std::vector<TMenuRow>& rows, int language) {
    std::string text;
    for (const TMenuRow& row : rows) {
        text += row.texts[static_cast<std::size_t>(language)];
        text += "\r\n";
    }
    return text;
}

void WriteSettings(IniFile& ini, const MenuLanguages& languages) {
    const int count = std::clamp(languages.count, 0, MaxMenuLanguageCount);
    ini.WriteInteger(SettingsSection, "LanguagesCount", count);
    for (int n = 1; n <= count; ++n) {
        const MenuLanguage& language = languages.languages[static_cast<std::size_t>(n)];
        ini.WriteInteger(SettingsSection, PageCodeKey(n), language.codePage);
        ini.WriteString(SettingsSection, CodeNameKey(n), language.name);
    }
}

std::span<const std::byte> BytesOf(const std::string& s) {
    return std::as_bytes(std::span<const char>(s.data(), s.size()));
}

} // namespace

MenuLanguages MenuLanguagesFromIni(std::string_view text) {
    IniFile ini;
    ini.LoadText(text);
    MenuLanguages languages;
    languages.count =
        std::clamp(ini.ReadInteger(SettingsSection, "LanguagesCount", DefaultMenuLanguageCount), 0,
                   MaxMenuLanguageCount);
    for (int n = 1; n <= languages.count; ++n) {
        MenuLanguage& language = languages.languages[static_cast<std::size_t>(n)];
        const int codePage = ini.ReadInteger(SettingsSection, PageCodeKey(n), CodePageStandard);
        language.codePage =
            codePage >= 0 && codePage < static_cast<int>(CodePageNames.size()) ? codePage : 0;
        language.name =
            ini.ReadString(SettingsSection, CodeNameKey(n), MenuLanguages::DefaultName(n));
    }
    return languages;
}

MenuLanguages ReadMenuSettings(const std::string& path) {
    const WholeFile file = ReadWholeFile(path, MenuTextFileLimit);
    return MenuLanguagesFromIni(file.error.empty() ? std::string_view(file.bytes) : "");
}

std::string MenuSettingsText(const MenuLanguages& languages) {
    IniFile ini;
    WriteSettings(ini, languages);
    return ini.Text();
}

std::string MenuBaseName(const std::string& mplPath) {
    return mplPath.substr(0, mplPath.size() < 4 ? 0 : mplPath.size() - 4);
}

std::string MenuSettingsPathBeside(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
           MenuSettingsFileName;
}

std::string ParseMenuStructureFile(std::string_view bytes, MenuData& data) {
    if (bytes.size() < StructureSizeField) return "shorter than its 4-byte size";
    if (bytes.size() > StructureFileLimit) return "too large";
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < StructureSizeField; ++i)
        size = (size << 8) | static_cast<std::uint8_t>(bytes[i]);
    bytes.remove_prefix(StructureSizeField);
    const std::string_view structure = bytes.substr(0, std::min<std::size_t>(size, bytes.size()));
    // The same bound as a read from the panel: the user block holds four languages' streams.
    const std::size_t needed = 4 * MenuStreamSize(ParseMenuStructure(structure));
    if (needed > MenuBlockLimit)
        return "the menu of this structure needs " + std::to_string(needed) +
               " bytes in the panel, which holds " + std::to_string(MenuBlockLimit);
    data.rows = RowsFromStructure(structure);
    data.structure = std::string(structure);
    data.layout = MenuLayout::Structure;
    data.present = true;
    return {};
}

MenuDiskResult LoadMenuStructureFile(const std::string& strPath, MenuData& data) {
    const WholeFile file = ReadWholeFile(strPath, StructureFileLimit);
    if (!file.error.empty()) return {MenuDiskOutcome::FileError, file.error};
    const std::string error = ParseMenuStructureFile(file.bytes, data);
    if (!error.empty())
        return {MenuDiskOutcome::FileError, "cannot read " + strPath + ": " + error};
    return {};
}

MenuDiskResult ReadMenuFromDisk(const std::string& mplPath, MenuData& data,
                                MenuLanguages& languages) {
    const std::string base = MenuBaseName(mplPath);
    MenuLanguages newLanguages = languages;
    const std::string settingsPath = MenuSettingsPathBeside(mplPath);
    if (PathExists(settingsPath)) {
        const WholeFile settings = ReadWholeFile(settingsPath, MenuTextFileLimit);
        if (!settings.error.empty()) return {MenuDiskOutcome::FileError, settings.error};
        newLanguages = MenuLanguagesFromIni(settings.bytes);
    }

    // The language files that exist.
    struct LanguageFile {
        int language = 0;
        std::vector<std::string> lines;
    };
    std::vector<LanguageFile> files;
    for (int n = 1; n <= newLanguages.count; ++n) {
        const std::string path = base + "." + std::to_string(n);
        if (!PathExists(path)) continue;
        const WholeFile file = ReadWholeFile(path, MenuTextFileLimit);
        if (!file.error.empty()) return {MenuDiskOutcome::FileError, file.error};
        files.push_back({n, SplitLines(file.bytes)});
    }

    MenuData newData = data;
    if (!newData.present) {
        const std::string strPath = base + ".str";
        if (!PathExists(strPath)) return {MenuDiskOutcome::NoStructure, MsgNoMenuStructure};
        const MenuDiskResult loaded = LoadMenuStructureFile(strPath, newData);
        if (loaded.outcome != MenuDiskOutcome::Ok) return loaded;
    }

    // B.mpl sets how many rows are read; without it the table's end does.
    std::vector<std::string> mplLines;
    const bool hasMpl = PathExists(mplPath);
    if (hasMpl) {
        const WholeFile mpl = ReadWholeFile(mplPath, MenuTextFileLimit);
        if (!mpl.error.empty()) return {MenuDiskOutcome::FileError, mpl.error};
        mplLines = SplitLines(mpl.bytes);
    }
    const std::size_t rowsRead =
        hasMpl ? std::min(mplLines.size(), newData.rows.size()) : newData.rows.size();
    for (std::size_t r = 0; r < rowsRead; ++r) {
        TMenuRow& row = newData.rows[r];
        if (hasMpl) SetMenuText(row, 0, mplLines[r]);
        for (const LanguageFile& file : files)
            if (r < file.lines.size()) SetMenuText(row, file.language, file.lines[r]);
    }

    data = std::move(newData);
    languages = std::move(newLanguages);
    return {};
}

FileStatus WriteMenuToDisk(const std::string& mplPath, const MenuData& data,
                           const MenuLanguages& languages) {
    const std::string base = MenuBaseName(mplPath);
    const bool structure = data.layout == MenuLayout::Structure;

    // Kept alive until the write: the files point into these.
    std::vector<std::pair<std::string, std::string>> contents;
    if (structure) contents.emplace_back(mplPath, LanguageFileText(data.rows, 0));
    const int count = std::clamp(languages.count, 0, MaxMenuLanguageCount);
    for (int n = 1; n <= count; ++n)
        contents.emplace_back(base + "." + std::to_string(n), LanguageFileText(data.rows, n));
    if (structure) {
        const auto size = static_cast<std::uint32_t>(data.structure.size());
        std::string str = {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                           static_cast<char>(size >> 8), static_cast<char>(size)};
        str += data.structure;
        contents.emplace_back(base + ".str", std::move(str));
    }

    const std::string settingsPath = MenuSettingsPathBeside(mplPath);
    IniFile settings;
    if (PathExists(settingsPath)) {
        const WholeFile existing = ReadWholeFile(settingsPath, MenuTextFileLimit);
        if (!existing.error.empty()) return {existing.error};
        settings.LoadText(existing.bytes);
    }
    WriteSettings(settings, languages);
    contents.emplace_back(settingsPath, settings.Text());

    std::vector<FileToWrite> files;
    files.reserve(contents.size());
    for (const auto& [path, bytes] : contents) files.push_back({path, BytesOf(bytes)});
    return WriteFilesTogether(files);
}

} // namespace zyl
