#pragma once

// The control channel's commands: one line in, a few lines out, ending in "ok" or
// "error TEXT". The same interpreter serves the control socket and standard input; each
// channel has its own, so the controller one channel picked is not another's.

#include "sim/Bus.h"
#include "sim/Engine.h"
#include "sim/StateFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

// How the line is served; kept by the program that owns it.
struct LinkSettings {
    bool pacing = true; // replies paced to the answering controller's rate
    // Answer whatever the PC's port is set to, rather than only at the controller's settings.
    bool anyLine = false;
};

class ControlCommands {
public:
    struct Result {
        bool ok = true;
        std::vector<std::string> lines;
        std::string error;
        bool quit = false;
    };

    // Commands for one controller.
    ControlCommands(Engine& engine, LinkSettings& link, std::string statePath)
        : engine_(&engine), link_(&link), statePath_(std::move(statePath)) {}
    // Commands for the controllers of a bus: for the first until "controller N" picks another.
    // The state file holds the whole bus.
    ControlCommands(Bus& bus, LinkSettings& link, std::string statePath)
        : engine_(&bus.At(0)), bus_(&bus), link_(&link), statePath_(std::move(statePath)) {}

    [[nodiscard]] Result Execute(std::string_view line, Engine::Clock::time_point now);
    // The lines of a result followed by its closing line, each ending in '\n'.
    [[nodiscard]] static std::string Render(const Result& result);

    // Summary of settings and counters of the controller commands go to, as "dump" and
    // "stats" print them.
    [[nodiscard]] std::vector<std::string> Summary(Engine::Clock::time_point now) const;
    [[nodiscard]] std::vector<std::string> Statistics() const;
    [[nodiscard]] Engine& Selected() const { return *engine_; }

private:
    [[nodiscard]] Result Controller(const std::vector<std::string>& words, std::string_view line,
                                    Engine::Clock::time_point now);
    // Every controller the commands can reach, with its memory for the state file.
    [[nodiscard]] std::vector<Engine*> Controllers() const;
    [[nodiscard]] std::vector<ControllerMemory> Memories() const;

    Engine* engine_;
    Bus* bus_ = nullptr;
    LinkSettings* link_;
    std::string statePath_;
};

} // namespace zyl::sim
