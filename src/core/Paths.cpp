#include "core/Paths.h"

#include "project/ProjectFiles.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

// The installed data folder relative to the installed executable's folder; the build sets it
// from the install layout.
#ifndef ZYL_DATA_FROM_BIN
#define ZYL_DATA_FROM_BIN "../share/setupzyl"
#endif

namespace zyl {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsFolder(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool HoldsFile(const fs::path& folder, const char* name) {
    std::error_code ec;
    return fs::is_regular_file(folder / name, ec);
}

fs::path ExecutableFolder() {
    std::error_code ec;
#ifdef _WIN32
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return fs::current_path(ec);
        if (n < buffer.size()) {
            buffer.resize(n);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
#endif
}

bool IsWritableFolder(const fs::path& folder) {
#ifdef _WIN32
    // Access bits say little on Windows: try to make a file.
    const fs::path probe = folder / ".setupzyl-write-probe";
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
    }
    std::error_code ec;
    fs::remove(probe, ec);
    return true;
#else
    return ::access(folder.c_str(), W_OK) == 0;
#endif
}

// Copies one file under a temporary name beside the target and renames it into place unless
// the target appeared meanwhile.
std::string CopyIfMissing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return {};
    fs::path temporary = to;
    temporary += ".seeding";
    fs::remove(temporary, ec);
    if (!fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec))
        return "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
    fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::add, ec);
    if (fs::exists(fs::symlink_status(to, ec))) {
        fs::remove(temporary, ec);
        return {};
    }
    fs::rename(temporary, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return "cannot make " + to.string() + ": " + ec.message();
    }
    return {};
}

} // namespace

std::string AddPathSeparator(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != PathSeparator) result.push_back(PathSeparator);
    return result;
}

ProgramFolderChoice ChooseProgramFolder(const ProgramFolderFacts& facts) {
    if (!facts.zylHome.empty()) {
        std::string folder = facts.zylHome;
        while (folder.size() > 1 && folder.back() == PathSeparator) folder.pop_back();
        return {fs::path(folder), ProgramFolderSource::Environment};
    }
    const ProgramFolderChoice beside{facts.executableFolder, ProgramFolderSource::Executable};
    const ProgramFolderChoice perUser{facts.perUserFolder, ProgramFolderSource::PerUser};
    if (HoldsFile(facts.executableFolder, TemplateFileName)) return beside;
    if (facts.perUserFolder.empty()) return beside;
    if (IsFolder(facts.installedDataFolder)) return perUser;
    return facts.executableFolderWritable ? beside : perUser;
}

std::string SeedProgramFolder(const fs::path& folder, const fs::path& dataFolder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !IsFolder(folder)) {
        return "cannot make the folder " + folder.string() + ": " +
               (ec ? ec.message() : std::string("not a folder"));
    }
    if (!IsFolder(dataFolder)) return {};
    fs::recursive_directory_iterator it(dataFolder, ec), end;
    if (ec) return "cannot read " + dataFolder.string() + ": " + ec.message();
    for (; it != end; it.increment(ec)) {
        if (ec) return "cannot read " + dataFolder.string() + ": " + ec.message();
        const fs::path target = folder / it->path().lexically_relative(dataFolder);
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
            if (ec) return "cannot make the folder " + target.string() + ": " + ec.message();
        } else if (it->is_regular_file(ec)) {
            if (std::string error = CopyIfMissing(it->path(), target); !error.empty()) return error;
        }
    }
    return {};
}

fs::path PerUserFolder() {
    constexpr const char* name = "SetupZYL";
#ifdef _WIN32
    const std::string appData = Env("APPDATA");
    return appData.empty() ? fs::path() : fs::path(appData) / name;
#else
    const fs::path xdg = Env("XDG_DATA_HOME");
    if (xdg.is_absolute()) return xdg / name;
    const std::string home = Env("HOME");
    if (home.empty()) return {};
#ifdef __APPLE__
    return fs::path(home) / "Library" / "Application Support" / name;
#else
    return fs::path(home) / ".local" / "share" / name;
#endif
#endif
}

ProgramFolderFacts CurrentProgramFolderFacts() {
    ProgramFolderFacts facts;
    facts.zylHome = Env("ZYL_HOME");
    if (!facts.zylHome.empty()) return facts;
    facts.executableFolder = ExecutableFolder();
    facts.executableFolderWritable = IsWritableFolder(facts.executableFolder);
    facts.installedDataFolder = (facts.executableFolder / ZYL_DATA_FROM_BIN).lexically_normal();
    facts.perUserFolder = PerUserFolder();
    return facts;
}

std::string ProgramFolder() {
    const ProgramFolderFacts facts = CurrentProgramFolderFacts();
    const ProgramFolderChoice choice = ChooseProgramFolder(facts);
    if (choice.source == ProgramFolderSource::PerUser) {
        // Once a process: the files a user removes during a run stay removed until the next.
        static std::mutex mutex;
        static std::set<fs::path> seeded;
        const std::lock_guard lock(mutex);
        if (seeded.insert(choice.folder).second) {
            // A failure shows later, where a file that is missing is needed.
            [[maybe_unused]] const std::string error =
                SeedProgramFolder(choice.folder, facts.installedDataFolder);
        }
    }
    return choice.folder.string();
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
