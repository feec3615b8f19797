#pragma once

// The menu on disk: "MenuSettings.ini" (the language settings) and the files of a saved
// menu beside each other, named after a base name B: B.mpl (language 0, one line a row),
// B.1 to B.N (languages 1 to N), B.str (the structure). Text lines end with CR LF and hold
// the table's bytes as they are.

#include "panel/MenuTable.h"
#include "project/FileIO.h"

#include <string>

namespace zyl {

inline constexpr const char* MenuSettingsFileName = "MenuSettings.ini";
inline constexpr const char* MsgNoMenuStructure =
    "Project has no structure information. Please read data from device.";

// Reads the language settings from a "MenuSettings.ini"; a missing or unreadable file gives
// the defaults (3 languages "LANGUAGE n", all "Standard"). The count is held to 0..15 and a
// code page outside 0..3 is taken as 0.
[[nodiscard]] MenuLanguages ReadMenuSettings(const std::string& path);
// The file's bytes for these settings.
[[nodiscard]] std::string MenuSettingsText(const MenuLanguages& languages);

// B: the chosen file's name without its last four characters (".mpl").
[[nodiscard]] std::string MenuBaseName(const std::string& mplPath);

enum class MenuDiskOutcome {
    Ok,
    NoStructure, // no menu data yet and no B.str: MsgNoMenuStructure, nothing changed
    FileError,   // error names the file and the reason; nothing changed
};
struct MenuDiskResult {
    MenuDiskOutcome outcome = MenuDiskOutcome::Ok;
    std::string error;
};

// Loads B.str: the 4-byte big-endian size, then the raw structure; sets the structure
// layout, builds the rows from it (texts empty) and marks the menu data present.
[[nodiscard]] MenuDiskResult LoadMenuStructureFile(const std::string& strPath, MenuData& data);

// "Read from disk" of the menu window: the settings beside the file when it has one, the
// structure file when no menu data is present, then the lines of B.mpl and B.1..B.N into
// the rows in order. All or nothing: on a failure data and languages are unchanged.
[[nodiscard]] MenuDiskResult ReadMenuFromDisk(const std::string& mplPath, MenuData& data,
                                              MenuLanguages& languages);

// "Write to disk": "MenuSettings.ini" beside the file, B.1..B.N, and in the structure
// layout B.mpl and B.str; all files or none.
[[nodiscard]] FileStatus WriteMenuToDisk(const std::string& mplPath, const MenuData& data,
                                         const MenuLanguages& languages);

} // namespace zyl
