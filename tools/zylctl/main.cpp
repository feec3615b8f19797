// zylctl: what the windows do, from a shell. See the usage text below.

#include "TerminalHost.h"
#include "ZylctlCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The report lays out and draws text and pictures, which takes the GUI's fonts; it needs
    // no screen, and does not depend on one being there.
    std::unique_ptr<QCoreApplication> app;
    if (std::find(args.begin(), args.end(), "report") != args.end()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return zyl::cli::Run(args);
}
