#pragma once

// What every benchmark takes on its command line and how it starts the simulator: --sim PATH
// (else ZYL_SIM, else the simulator built beside it), --direct / --module (both by default),
// and options of its own.

#include "e2e/SimProcess.h"

#include <QByteArray>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>

#ifndef ZYL_SIM_PATH
#define ZYL_SIM_PATH ""
#endif

namespace zyl::bench {

struct BenchArguments {
    std::string sim = std::getenv("ZYL_SIM") ? std::getenv("ZYL_SIM") : ZYL_SIM_PATH;
    bool direct = true;
    bool module = true;
    std::set<std::string> flags;               // the bench's own flags that were given
    std::map<std::string, std::string> values; // the bench's own options with their values
};

// Parses the command line; on anything else prints "usage: NAME USAGE" and gives false.
// modes: whether --direct and --module are taken.
inline bool ParseBenchArguments(int argc, char** argv, const char* name, const char* usage,
                                BenchArguments& out, bool modes = false,
                                const std::set<std::string>& ownFlags = {},
                                const std::set<std::string>& ownValues = {}) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sim" && i + 1 < argc) {
            out.sim = argv[++i];
        } else if (modes && a == "--direct") {
            out.module = false;
        } else if (modes && a == "--module") {
            out.direct = false;
        } else if (ownFlags.count(a)) {
            out.flags.insert(a);
        } else if (ownValues.count(a) && i + 1 < argc) {
            out.values[a] = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s %s\n", name, usage);
            return false;
        }
    }
    return true;
}

// Starts the simulator with the options; nullptr after a message that names the bench.
inline std::unique_ptr<test::SimProcess> StartSimulator(const char* name, const std::string& sim,
                                                        const QStringList& options) {
    if (sim.empty()) {
        std::fprintf(stderr, "%s: no simulator (--sim PATH or ZYL_SIM)\n", name);
        return nullptr;
    }
    qputenv("ZYL_SIM", QByteArray::fromStdString(sim));
    auto simulator = std::make_unique<test::SimProcess>(options);
    if (!simulator->Error().isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(simulator->Error()));
        return nullptr;
    }
    return simulator;
}

} // namespace zyl::bench
