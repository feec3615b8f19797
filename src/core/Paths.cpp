#include "core/Paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace zyl {

std::string AddPathSeparator(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != PathSeparator) result.push_back(PathSeparator);
    return result;
}

std::string ProgramFolder() {
    if (const char* home = std::getenv("ZYL_HOME"); home && *home) {
        std::string folder(home);
        while (folder.size() > 1 && folder.back() == PathSeparator) folder.pop_back();
        return folder;
    }
    std::error_code ec;
#ifdef _WIN32
    // Resolved by the GUI layer on Windows; the current folder is the fallback here.
    return std::filesystem::current_path(ec).string();
#else
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
#endif
}

std::string ProgramFile(std::string_view fileName) {
    return AddPathSeparator(ProgramFolder()) + std::string(fileName);
}

bool LogSwitchGiven(int argc, const char* const* argv) {
    if (argc < 2 || argv[1] == nullptr) return false;
    std::string_view arg(argv[1]);
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!arg.empty() && isBlank(arg.front())) arg.remove_prefix(1);
    while (!arg.empty() && isBlank(arg.back())) arg.remove_suffix(1);
    return arg.size() == 2 && arg[0] == '/' && (arg[1] == 'D' || arg[1] == 'd');
}

} // namespace zyl
