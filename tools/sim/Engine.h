#pragma once

// The simulated controller with its communication module: frames in, replies out.
//
// Direct requests ('F' 0x08) are answered by the controller. Module submits ('G' 0x09) are
// taken over with a 7-byte acknowledgement; the controller's answer is kept and handed out by
// every module collect ('F' 0x09) once the panel is ready, which it becomes the panel delay
// after each submit. The status request ('F' 0x00) is answered by the module with 64 bytes.
// Frames for other addresses, and frames that fail a check, get no reply. So do frames sent
// with line settings other than the controller's (baud rate, 8 data bits, no parity, 2 stop
// bits): on a real line the controller would only see framing garbage.

#include "sim/Bytes.h"
#include "sim/Faults.h"
#include "sim/Framer.h"
#include "sim/Memory.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

struct DateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A calendar date from 2000 to 2255 (the years the status reply can carry) and a valid time.
[[nodiscard]] bool IsValid(const DateTime& t);
// "YYYY-MM-DD hh:mm:ss" (or with 'T' between date and time).
[[nodiscard]] std::optional<DateTime> ParseDateTime(std::string_view text);
[[nodiscard]] std::string FormatDateTime(const DateTime& t);

enum class Parity : char { None = 'N', Even = 'E', Odd = 'O', Mark = 'M', Space = 'S' };

// The settings of a serial line: what the PC's port is set to, or what a controller listens at.
struct LineSettings {
    int baud = 19200; // 0 when the rate is not one of the standard ones
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 2;
    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// "19200 8N2".
[[nodiscard]] std::string Describe(const LineSettings& line);

struct EngineConfig {
    std::uint8_t address = 1;
    int baud = 19200;   // the controller listens and answers at this rate, 8N2
    bool module = true; // a communication module is in front of the controller
    std::chrono::milliseconds panelDelay{50};
    std::uint8_t mode = 0; // status byte 22: 0 or 1 STOP, 2 or more running
    SampleParams sample;
    DateTime clock;
    std::chrono::steady_clock::duration gap = std::chrono::milliseconds(20);
};

struct Stats {
    std::uint64_t bytesIn = 0;
    std::uint64_t frames = 0;       // frames with a good checksum
    std::uint64_t otherAddress = 0; // of those, for another controller
    std::uint64_t lineMismatch = 0; // of those, for this one but sent with other line settings
    std::uint64_t rejected = 0;     // of those, refused (no reply)
    std::uint64_t replies = 0;      // replies sent, damaged ones included
    std::uint64_t status = 0;
    std::uint64_t collects = 0;
    std::uint64_t writes = 0;      // accepted block, panel and clock writes
    std::uint64_t writesInRun = 0; // of those, while the mode was 2 or more
    std::uint64_t resets = 0;
    // Accepted inner commands by way and command: "direct F0C", "submit G0B", ...
    std::map<std::string, std::uint64_t> commands;
    std::string lastReject;
};

class Engine;

// One request frame and what was sent back (empty: nothing), and by which controller.
struct Exchange {
    Bytes request;
    Bytes reply;
    const Engine* responder = nullptr;
};

class Engine {
public:
    using Clock = std::chrono::steady_clock;

    Engine(const EngineConfig& config, Clock::time_point now);

    // Takes bytes from the line; answers every complete frame found. line: the settings the
    // bytes were sent with; without them any settings are taken to match.
    [[nodiscard]] std::vector<Exchange> Receive(std::span<const std::uint8_t> bytes,
                                                Clock::time_point now,
                                                const std::optional<LineSettings>& line = {});
    // Answers one frame whose checksum has been checked; faults applied.
    [[nodiscard]] Bytes Answer(std::span<const std::uint8_t> frame, Clock::time_point now,
                               const std::optional<LineSettings>& line = {});

    [[nodiscard]] Memory& memory() { return memory_; }
    [[nodiscard]] const Memory& memory() const { return memory_; }
    [[nodiscard]] FaultInjector& faults() { return faults_; }
    [[nodiscard]] Framer& framer() { return framer_; }
    [[nodiscard]] const Stats& stats() const { return stats_; }
    void ResetStats() { stats_ = {}; }

    [[nodiscard]] std::uint8_t Address() const { return address_; }
    // The rate the controller listens and answers at (9600 or 19200).
    [[nodiscard]] int Baud() const { return baud_; }
    void SetBaud(int baud) { baud_ = baud; }
    // What the PC's port must be set to for this controller to hear it.
    [[nodiscard]] LineSettings Line() const { return {baud_, 8, Parity::None, 2}; }
    [[nodiscard]] bool HasModule() const { return module_; }
    void SetMode(std::uint8_t mode) { mode_ = mode; }
    [[nodiscard]] std::uint8_t Mode() const { return mode_; }
    [[nodiscard]] bool Running() const { return (mode_ & 0x3F) >= 2; }
    void SetPanelDelay(std::chrono::milliseconds delay) { panelDelay_ = delay; }
    [[nodiscard]] std::chrono::milliseconds PanelDelay() const { return panelDelay_; }
    [[nodiscard]] bool PanelReady(Clock::time_point now) const { return now >= readyAt_; }
    [[nodiscard]] bool HasPendingAnswer() const { return pending_.has_value(); }

    void SetClock(const DateTime& t, Clock::time_point now);
    [[nodiscard]] DateTime ClockAt(Clock::time_point now) const;
    // Sets a status reply byte that carries a measured value (11 to 60, except 22).
    bool SetStatusByte(int index, std::uint8_t value);
    [[nodiscard]] Bytes StatusReply(Clock::time_point now) const;

    // Called with the reason whenever a frame for this controller is refused or not heard.
    std::function<void(const std::string&)> onReject;

private:
    struct Outcome {
        Bytes answer;
        std::string error;
        bool write = false;
    };

    [[nodiscard]] Outcome Execute(std::uint8_t letter, std::uint8_t code,
                                  std::span<const std::uint8_t> payload, bool submitted,
                                  Clock::time_point now);
    [[nodiscard]] Outcome Read(std::uint8_t code, std::span<const std::uint8_t> payload);
    [[nodiscard]] Outcome Write(std::uint8_t code, std::span<const std::uint8_t> payload,
                                bool submitted, Clock::time_point now);
    [[nodiscard]] Outcome Panel(std::uint8_t code, std::span<const std::uint8_t> payload);
    [[nodiscard]] Bytes Reply(std::uint8_t letter, std::uint8_t code,
                              std::span<const std::uint8_t> data) const;
    Bytes Reject(const std::string& reason);

    std::uint8_t address_;
    int baud_;
    bool module_;
    std::uint8_t mode_;
    std::chrono::milliseconds panelDelay_;
    Memory memory_;
    Framer framer_;
    FaultInjector faults_;
    Stats stats_;
    std::optional<Bytes> pending_;
    Clock::time_point readyAt_{};
    std::chrono::sys_seconds clockBase_{};
    Clock::time_point clockRef_{};
    std::array<std::uint8_t, 64> statusBytes_{};
};

} // namespace zyl::sim
