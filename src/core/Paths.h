#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zyl {

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The path unchanged when it ends in the platform's separator, else with one appended
// (an empty path gives the separator alone).
[[nodiscard]] std::string AddPathSeparator(std::string_view path);

// Where the program's folder comes from.
enum class ProgramFolderSource {
    Environment, // ZYL_HOME
    Executable,  // the executable's own folder: a build folder or a portable copy
    PerUser,     // the user's application-data folder, seeded from the installed data
};

// What the choice of the program's folder looks at.
struct ProgramFolderFacts {
    std::string zylHome; // ZYL_HOME; empty when unset
    std::filesystem::path executableFolder;
    bool executableFolderWritable = false;
    // Where an installed program's data lie (<prefix>/share/setupzyl beside <prefix>/bin);
    // it need not exist.
    std::filesystem::path installedDataFolder;
    // The per-user folder; empty when the platform gives none (no home folder).
    std::filesystem::path perUserFolder;
};

struct ProgramFolderChoice {
    std::filesystem::path folder;
    ProgramFolderSource source = ProgramFolderSource::Executable;
};

// The program's folder, in this order: ZYL_HOME when set (trailing separators dropped); the
// executable's folder when it holds the template "default.zy2" (a build folder, a portable copy);
// the per-user folder when the installed data folder exists, so an installed program never writes
// beside itself, not even when run by root or from a staging copy of the installation; the
// executable's folder when it is writable; else the per-user folder. Without a per-user
// folder the executable's folder is taken. Looks at the file system, changes nothing.
[[nodiscard]] ProgramFolderChoice ChooseProgramFolder(const ProgramFolderFacts& facts);

// Makes the folder (with its parents) when missing and copies into it every regular file of
// dataFolder, subfolders included, that it does not hold yet: a file already there is never
// replaced, and a copy appears under its name only once complete. A missing data folder seeds
// nothing. Returns an empty text, or what failed (the files copied before it stay).
[[nodiscard]] std::string SeedProgramFolder(const std::filesystem::path& folder,
                                            const std::filesystem::path& dataFolder);

// The platform's per-user application-data folder for this program: on Linux
// $XDG_DATA_HOME/SetupZYL when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/SetupZYL; on Windows %APPDATA%\SetupZYL. Empty without a home folder.
[[nodiscard]] std::filesystem::path PerUserFolder();

// The facts of this process: the environment, the running executable's folder and the
// installed data folder relative to it.
[[nodiscard]] ProgramFolderFacts CurrentProgramFolderFacts();

// The program's folder of this process as ChooseProgramFolder decides it from
// CurrentProgramFolderFacts(). A per-user folder is made and seeded (SeedProgramFolder) the
// first time it is chosen in a process. No trailing separator.
[[nodiscard]] std::string ProgramFolder();

// AddPathSeparator(ProgramFolder()) followed by the file name.
[[nodiscard]] std::string ProgramFile(std::string_view fileName);

// True when the command line switches the transmission log on: the first argument,
// upper-cased and trimmed of blanks, is "/D".
[[nodiscard]] bool LogSwitchGiven(int argc, const char* const* argv);

} // namespace zyl
