#pragma once

// dump, build and diff: projects and block files as text and JSON, built back from JSON, and
// compared field by field; report: a project's commissioning report as PDF or HTML. They need
// no controller.

#include <optional>
#include <string>
#include <vector>

namespace zyl::cli {

[[nodiscard]] bool IsProjectTextCommand(const std::string& command);

// The arguments after the command; empty when they fit, else the usage error.
[[nodiscard]] std::string CheckProjectTextArguments(const std::string& command,
                                                    const std::vector<std::string>& args);

// Runs a command whose arguments fit. codePage is --code-page's controller code page, if given:
// texts are in PC code page 1251 for Cyrillic, else 1250.
[[nodiscard]] int ProjectTextCommand(const std::string& command,
                                     const std::vector<std::string>& args,
                                     std::optional<int> codePage);

} // namespace zyl::cli
