#pragma once

// The menu on disk: "MenuSettings.ini" (the language settings) and the files of a saved
// menu beside each other, named after a base name B: B.mpl (language 0, one line a row),
// B.1 to B.N (languages 1 to N), B.str (the structure). Text lines end with CR LF and hold
// the table's bytes as they are.

#include "panel/MenuTable.h"
#include "project/FileIO.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace zyl {

inline constexpr const char* MenuSettingsFileName = "MenuSettings.ini";
inline constexpr const char* MsgNoMenuStructure =
    "Project has no structure information. Please read data from device.";

// Longest text file (B.mpl, B.n, "MenuSettings.ini") a read takes; a longer one is refused.
inline constexpr std::size_t MenuTextFileLimit = std::size_t{16} << 20;

// The language settings in the bytes of a "MenuSettings.ini", section "Settings": the count
// (LanguagesCount, default 3) held to 0..15; for n = 1..count the code page (PageCode_n,
// default 0, a value outside 0..3 taken as 0) and the name (CodeName_n, default
// "LANGUAGE n"). Languages beyond the count keep the defaults.
[[nodiscard]] MenuLanguages MenuLanguagesFromIni(std::string_view text);
// The same from a file; a missing or unreadable file gives the defaults (3 languages
// "LANGUAGE n", all "Standard").
[[nodiscard]] MenuLanguages ReadMenuSettings(const std::string& path);
// The file's bytes for these settings.
[[nodiscard]] std::string MenuSettingsText(const MenuLanguages& languages);

// B: the chosen file's name without its last four characters (".mpl").
[[nodiscard]] std::string MenuBaseName(const std::string& mplPath);
// "MenuSettings.ini" in the folder of a file.
[[nodiscard]] std::string MenuSettingsPathBeside(const std::string& path);

enum class MenuDiskOutcome {
    Ok,
    NoStructure, // no menu data yet and no B.str: MsgNoMenuStructure, nothing changed
    FileError,   // error names the file and the reason; nothing changed
};
struct MenuDiskResult {
    MenuDiskOutcome outcome = MenuDiskOutcome::Ok;
    std::string error;
};

// The bytes of a structure file: the 4-byte big-endian size, then the raw structure. The
// structure is the stated size bounded by the bytes present. Sets the structure layout,
// builds the rows from it (texts empty) and marks the menu data present. Returns why the
// bytes were refused (fewer than 4, more than 4 + 65536, a menu whose four languages' text
// streams would not fit the panel's 65536 bytes, as a read from the panel refuses it); then
// data is unchanged.
[[nodiscard]] std::string ParseMenuStructureFile(std::string_view bytes, MenuData& data);
// The same for the file B.str; the error names the file.
[[nodiscard]] MenuDiskResult LoadMenuStructureFile(const std::string& strPath, MenuData& data);

// "Read from disk" of the menu window: the settings beside the file when it has one, the
// structure file when no menu data is present, then the lines of B.mpl and B.1..B.N into
// the rows in order, as far as B.mpl and the table reach (a missing B.n keeps its
// language's texts; without B.mpl the language files are read to the table's end). All or
// nothing: on a failure data and languages are unchanged.
[[nodiscard]] MenuDiskResult ReadMenuFromDisk(const std::string& mplPath, MenuData& data,
                                              MenuLanguages& languages);

// "Write to disk": "MenuSettings.ini" beside the file (an existing one keeps its other
// keys and comments), B.1..B.N, and in the structure layout B.mpl and B.str; all files or
// none.
[[nodiscard]] FileStatus WriteMenuToDisk(const std::string& mplPath, const MenuData& data,
                                         const MenuLanguages& languages);

} // namespace zyl
