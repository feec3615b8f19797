#pragma once

// The control channel's commands: one line in, a few lines out, ending in "ok" or
// "error TEXT". The same interpreter serves the control socket and standard input.

#include "sim/Engine.h"

#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

// How replies are paced on the line; kept by the program that owns the line.
struct LinkSettings {
    bool pacing = true;
    int baud = 19200;
};

class ControlCommands {
public:
    struct Result {
        bool ok = true;
        std::vector<std::string> lines;
        std::string error;
        bool quit = false;
    };

    ControlCommands(Engine& engine, LinkSettings& link, std::string statePath)
        : engine_(engine), link_(link), statePath_(std::move(statePath)) {}

    [[nodiscard]] Result Execute(std::string_view line, Engine::Clock::time_point now);
    // The lines of a result followed by its closing line, each ending in '\n'.
    [[nodiscard]] static std::string Render(const Result& result);

    // Summary of settings and counters, as "dump" and "stats" print them.
    [[nodiscard]] std::vector<std::string> Summary(Engine::Clock::time_point now) const;
    [[nodiscard]] std::vector<std::string> Statistics() const;

private:
    Engine& engine_;
    LinkSettings& link_;
    std::string statePath_;
};

} // namespace zyl::sim
