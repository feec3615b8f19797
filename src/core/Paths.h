#pragma once

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

// The program's folder: the folder named by ZYL_HOME when that is set, else the folder of
// the running executable. No trailing separator.
[[nodiscard]] std::string ProgramFolder();

// AddPathSeparator(ProgramFolder()) followed by the file name.
[[nodiscard]] std::string ProgramFile(std::string_view fileName);

// True when the command line switches the transmission log on: the first argument,
// upper-cased and trimmed of blanks, is "/D".
[[nodiscard]] bool LogSwitchGiven(int argc, const char* const* argv);

} // namespace zyl
