#pragma once

// read menu, write menu and check menu: the operator menu between the ".mpl" family of files
// and the panel, as the menu window moves it.

#include "TerminalHost.h"
#include "core/ControllerAccess.h"
#include "panel/MenuTable.h"

#include <optional>
#include <string>
#include <vector>

namespace zyl::cli {

struct MenuArguments {
    std::string file;                  // FILE.mpl
    std::optional<MenuSelection> cust; // --cust A,B: the languages of the two selectors
};

// The arguments after "menu"; empty on success, else the usage error.
[[nodiscard]] std::string ParseMenuArguments(const std::string& command,
                                             const std::vector<std::string>& args,
                                             MenuArguments& menu);

[[nodiscard]] int ReadMenuCommand(ControllerAccess& access, TerminalHost& host,
                                  const MenuArguments& menu);
[[nodiscard]] int WriteMenuCommand(ControllerAccess& access, TerminalHost& host,
                                   const MenuArguments& menu);
// Needs no controller: the findings on stdout, exit 5 when there are any.
[[nodiscard]] int CheckMenuCommand(const MenuArguments& menu);

} // namespace zyl::cli
