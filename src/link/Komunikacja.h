#pragma once

// The link object: owns the serial port and performs one request/reply exchange at a time.

#include "link/LinkTypes.h"
#include "link/SerialPort.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zyl {

// Bytes as two upper-case hexadecimal digits each, every one followed by a blank.
[[nodiscard]] std::string HexDump(std::span<const std::uint8_t> bytes);

// Busy-waits the given number of milliseconds on the high-resolution clock.
void PreciseDelay(int milliseconds);

// The serial-transport settings read at start-up.
struct LinkTuning {
    int timeoutStand = 2000; // read-timeout constant, ms
    int IleSleep = 5;        // RTS lead and lag in manual RTS mode, ms
    bool TransmisjaNT = false;
    std::array<bool, 17> MinusOffset{}; // index 1..16 for COM1..COM16
};

class TFkomunikacja {
public:
    // The RTS mode is chosen here: driver-toggled when the port's driver offers it.
    explicit TFkomunikacja(SerialPort& port);

    // Writes a complete request and reads a reply of exactly expectedLength bytes; see the
    // result codes in LinkTypes.h. The reply holds whatever arrived (a leading zero dropped
    // on MinusOffset ports), also on failure.
    [[nodiscard]] int ExchangeFrame(std::span<const std::uint8_t> request,
                                    std::size_t expectedLength, TLinkParams params,
                                    std::vector<std::uint8_t>& reply);

    // Called at least every 10 ms while an exchange waits for its reply and during the pauses
    // between attempts (the windows keep painting, a Cancel click is taken); when it returns
    // false the wait ends at once and the exchange counts as cancelled.
    using WaitHook = std::function<bool()>;
    void SetWaitHook(WaitHook hook) { waitHook_ = std::move(hook); }
    [[nodiscard]] const WaitHook& CurrentWaitHook() const { return waitHook_; }
    // True when the last exchange or pause ended because the wait hook asked for it.
    [[nodiscard]] bool Cancelled() const { return cancelled_; }
    // Waits the given time, calling the wait hook in slices; false when it was cancelled.
    // Without a hook the wait is PreciseDelay's.
    bool Pause(int milliseconds);

    // What the last failed exchange showed, in words: "no reply from address 5 at 19200
    // baud", "replies with a bad checksum (...)", the port's own reason. Commands and
    // procedures may set a better one.
    [[nodiscard]] const std::string& FailureCause() const { return failureCause_; }
    void SetFailureCause(std::string cause) { failureCause_ = std::move(cause); }

    void SetTuning(const LinkTuning& tuning) { tuning_ = tuning; }
    [[nodiscard]] const LinkTuning& Tuning() const { return tuning_; }
    // Sets the port's read-timeout constant (what the retry wrapper does before a command).
    void ApplyTimeoutConstant();

    // Transmission log "trans.txt" in the given folder; off unless enabled.
    void EnableLog(const std::string& folder) {
        logFolder_ = folder;
        logEnabled_ = true;
    }
    void DisableLog() { logEnabled_ = false; }
    void LogExchange(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply,
                     int result) const;

    // The active code page for names sent to and read from the controller.
    int codePage = 0;

    [[nodiscard]] bool AutomaticRts() const { return driverRts_ || tuning_.TransmisjaNT; }
    [[nodiscard]] SerialPort& Port() { return port_; }
    void Close() { port_.Close(); }

private:
    [[nodiscard]] long WriteRequest(std::span<const std::uint8_t> request);
    [[nodiscard]] std::string CauseOf(int result, std::span<const std::uint8_t> request,
                                      std::span<const std::uint8_t> reply,
                                      std::size_t expectedLength, int baud) const;

    SerialPort& port_;
    LinkTuning tuning_;
    bool driverRts_ = false;
    bool logEnabled_ = false;
    std::string logFolder_;
    WaitHook waitHook_;
    bool cancelled_ = false;
    std::string failureCause_;
};

// Port name for a link: "COM" followed by PortIndex + 1.
[[nodiscard]] std::string PortNameFor(TLinkParams params);

} // namespace zyl
