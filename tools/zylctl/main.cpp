// zylctl: what the windows do, from a shell. See the usage text below.

#include "TerminalHost.h"
#include "ZylctlCommands.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return zyl::cli::Run(args);
}
