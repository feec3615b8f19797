#include "MenuCommands.h"

#include "ZylctlCommands.h"
#include "core/Paths.h"
#include "panel/MenuCheck.h"
#include "panel/MenuFiles.h"
#include "panel/MenuTransfer.h"

#include <cstdio>

namespace zyl::cli {

namespace {

bool ParseLanguage(const std::string& text, int& language) {
    if (text.empty() || text.size() > 2) return false;
    language = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        language = language * 10 + (c - '0');
    }
    return true;
}

int Fail(int code, const std::string& what) {
    std::fprintf(stderr, "zylctl: %s\n", what.c_str());
    return code;
}

// The selectors as the window holds them after opening or reading from disk: languages 2 and
// 3 (or the last ones there are), unless --cust names others. Empty when they cannot be set.
std::string ChooseSelection(const MenuArguments& menu, const MenuLanguages& languages,
                            MenuSelection& selection) {
    const int n = languages.count;
    if (n < 1) return "the menu settings name no language besides language 0";
    if (!menu.cust) {
        selection = {std::min(2, n), std::min(3, n)};
        return {};
    }
    for (const int language : {menu.cust->first, menu.cust->second})
        if (language < 1 || language > n)
            return "--cust takes languages 1 to " + std::to_string(n) + ", not " +
                   std::to_string(language);
    selection = *menu.cust;
    return {};
}

int TransferExit(ControllerAccess& access, TerminalHost& host, Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return ExitOk;
    case Outcome::Cancelled:
        return Fail(ExitInterrupted, "interrupted");
    case Outcome::Refused:
        return ExitFileError;
    case Outcome::NotStopped:
        return ExitNotStopped;
    case Outcome::NoCommunication:
        break;
    }
    if (!host.Said(MsgNoCommunication)) access.ReportNoCommunication();
    return ExitNoCommunication;
}

// The menu of FILE as "Read from disk" takes it into a window without menu data.
int LoadMenu(const std::string& file, MenuData& data, MenuLanguages& languages) {
    const MenuDiskResult result = ReadMenuFromDisk(file, data, languages);
    if (result.outcome == MenuDiskOutcome::FileError) return Fail(ExitFileError, result.error);
    if (result.outcome == MenuDiskOutcome::NoStructure)
        return Fail(ExitFileError, std::string(MsgNoMenuStructure) + " (" + MenuBaseName(file) +
                                       ".str is missing)");
    return ExitOk;
}

} // namespace

std::string ParseMenuArguments(const std::string& command, const std::vector<std::string>& args,
                               MenuArguments& menu) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--cust" && command != "check") {
            if (menu.cust) return command + " menu takes --cust once";
            if (i + 1 >= args.size()) return "--cust needs two languages, A,B";
            const std::string& v = args[++i];
            const std::size_t comma = v.find(',');
            MenuSelection s;
            if (comma == std::string::npos || !ParseLanguage(v.substr(0, comma), s.first) ||
                !ParseLanguage(v.substr(comma + 1), s.second))
                return "--cust takes two language numbers, A,B";
            menu.cust = s;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return command + " menu does not take " + a;
        } else if (menu.file.empty()) {
            menu.file = a;
        } else {
            return command + " menu takes one FILE.mpl";
        }
    }
    if (menu.file.empty()) return command + " menu needs a FILE.mpl";
    if (menu.file.size() < 5 || menu.file.substr(menu.file.size() - 4) != ".mpl")
        return command + " menu takes a file named *.mpl, not " + menu.file;
    return {};
}

int ReadMenuCommand(ControllerAccess& access, TerminalHost& host, const MenuArguments& menu) {
    MenuLanguages languages = ReadMenuSettings(ProgramFile(MenuSettingsFileName));
    MenuSelection selection;
    if (const std::string e = ChooseSelection(menu, languages, selection); !e.empty())
        return Fail(ExitUsage, e);
    // A target that cannot be written is refused before the controller is asked.
    if (const FileStatus target = CheckWritable(menu.file); !target)
        return Fail(ExitFileError, target.error);
    MenuData data;
    host.BeginTransfer(1, "menu", "read");
    const Outcome outcome = ReadMenuFromController(access, data, languages, selection);
    if (outcome != Outcome::Ok) return TransferExit(access, host, outcome);
    if (const FileStatus written = WriteMenuToDisk(menu.file, data, languages); !written)
        return Fail(ExitFileError, written.error);
    return ExitOk;
}

int WriteMenuCommand(ControllerAccess& access, TerminalHost& host, const MenuArguments& menu) {
    MenuLanguages languages = ReadMenuSettings(ProgramFile(MenuSettingsFileName));
    MenuData data;
    MenuDiskResult loaded = ReadMenuFromDisk(menu.file, data, languages);
    if (loaded.outcome == MenuDiskOutcome::NoStructure) {
        // A menu saved in the predefined layout has no structure file: as in the window, the
        // panel's own menu is read first and the file's texts laid over it.
        MenuSelection first;
        if (const std::string e = ChooseSelection({}, languages, first); !e.empty())
            return Fail(ExitUsage, e);
        host.BeginTransfer(1, "menu", "read");
        const Outcome outcome = ReadMenuFromController(access, data, languages, first);
        if (outcome != Outcome::Ok) return TransferExit(access, host, outcome);
        loaded = ReadMenuFromDisk(menu.file, data, languages);
    }
    if (loaded.outcome == MenuDiskOutcome::FileError) return Fail(ExitFileError, loaded.error);
    MenuSelection selection;
    if (const std::string e = ChooseSelection(menu, languages, selection); !e.empty())
        return Fail(ExitUsage, e);
    // What the panel will not show as it stands is said before the write, which goes on.
    const std::vector<MenuFinding> findings = CheckMenu(data, languages);
    if (!findings.empty())
        std::fprintf(stderr, "%s", MenuCheckReport(findings, data, languages).c_str());
    host.BeginTransfer(1, "menu", "written");
    const Outcome outcome =
        WriteMenuToController(access, data, languages, selection, ProgramFolder());
    return TransferExit(access, host, outcome);
}

int CheckMenuCommand(const MenuArguments& menu) {
    MenuLanguages languages = ReadMenuSettings(ProgramFile(MenuSettingsFileName));
    MenuData data;
    if (const int code = LoadMenu(menu.file, data, languages); code != ExitOk) return code;
    const std::vector<MenuFinding> findings = CheckMenu(data, languages);
    std::fputs(MenuCheckReport(findings, data, languages).c_str(), stdout);
    return findings.empty() ? ExitOk : ExitDifference;
}

} // namespace zyl::cli
