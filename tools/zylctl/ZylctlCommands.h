#pragma once

#include <string>
#include <vector>

namespace zyl::cli {

enum ExitCode : int {
    ExitOk = 0,
    ExitNoCommunication = 1,
    ExitUsage = 2,
    ExitNotStopped = 3,
    ExitFileError = 4,
    ExitDifference = 5,
    ExitInterrupted = 130, // Ctrl+C: the shell's code for an end by SIGINT
};

// True once Ctrl+C (or SIGTERM) asked the running command to stop.
[[nodiscard]] bool Interrupted();

// Prints the file error on stderr; ExitFileError.
int FileFailure(const std::string& error);

// Parses the arguments (without the program name) and runs the command.
int Run(const std::vector<std::string>& args);

} // namespace zyl::cli
