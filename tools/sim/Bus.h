#pragma once

// Several controllers on one line. Each has its own address, rate, memory and state; every
// one hears every byte, and only the controller a frame is addressed to answers it, provided
// the line is set the way it listens.

#include "sim/Engine.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

// One controller of the bus: its address and, when it has one of its own, its rate.
struct Station {
    std::uint8_t address = 1;
    std::optional<int> baud; // without one, the bus's default rate
    friend bool operator==(const Station&, const Station&) = default;
};

// "1,5,17@9600": addresses 0 to 247, each used once, each with an optional rate of 9600 or
// 19200. Nothing on error, with the reason in error.
[[nodiscard]] std::optional<std::vector<Station>> ParseStations(std::string_view text,
                                                                std::string& error);

class Bus {
public:
    using Clock = Engine::Clock;

    // One engine per station, in the stations' order, each made from common with the
    // station's address and rate (the rate also fills setup parameter F02 of its sample).
    Bus(const EngineConfig& common, const std::vector<Station>& stations, Clock::time_point now);

    // Hands the bytes to every controller; one exchange per frame, with the reply of the
    // controller that answered it, if any.
    [[nodiscard]] std::vector<Exchange> Receive(std::span<const std::uint8_t> bytes,
                                                Clock::time_point now,
                                                const std::optional<LineSettings>& line = {});

    [[nodiscard]] std::size_t Size() const { return engines_.size(); }
    [[nodiscard]] Engine& At(std::size_t index) { return *engines_[index]; }
    [[nodiscard]] const Engine& At(std::size_t index) const { return *engines_[index]; }
    // The controller at an address; nullptr when the bus has none.
    [[nodiscard]] Engine* Find(int address);

private:
    std::vector<std::unique_ptr<Engine>> engines_;
};

} // namespace zyl::sim
