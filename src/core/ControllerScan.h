#pragma once

// Finding the controllers on the line: one short attempt at every address and baud rate of a
// plan, in the link's mode (the panel-info request directly, the status request through the
// module), and the program version of each controller that answers.

#include "core/ControllerAccess.h"
#include "core/Host.h"
#include "core/Outcome.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

inline constexpr int ScanLowestAddress = 0;
inline constexpr int ScanHighestAddress = 247;

struct ScanPlan {
    std::vector<int> baudRates{9600, 19200}; // scanned in this order
    int firstAddress = ScanLowestAddress;
    int lastAddress = ScanHighestAddress;
};

struct FoundController {
    int address = 0;
    int baud = 0;
    bool module = false;        // found through the communication module
    std::optional<int> version; // setup word 99, when the setup read succeeded
    bool operator==(const FoundController&) const = default;
};

struct ScanResult {
    // Ok when every attempt was made (whether or not anything answered), Cancelled on the
    // host's cancel request, NoCommunication when the port itself failed (cause says why).
    Outcome outcome = Outcome::Ok;
    std::vector<FoundController> found; // in the order they were found
    int attempts = 0;                   // addresses asked, one a cancel cut short included
    std::string cause;
};

// What is wrong with a plan, in words ("the address range 9-5 runs backwards"); empty when it
// can be scanned. Rates are 9600 and 19200, each once; addresses 0 to 247, first <= last.
[[nodiscard]] std::string ScanPlanError(const ScanPlan& plan);
// The command line's forms: "9600,19200" and "0-247". Empty on success, else why not.
[[nodiscard]] std::string ParseScanBaudRates(std::string_view text, std::vector<int>& rates);
[[nodiscard]] std::string ParseScanAddresses(std::string_view text, int& first, int& last);

// Attempts a plan makes: one per address and rate.
[[nodiscard]] int ScanAttemptCount(const ScanPlan& plan);

// The extra time a silent address is given, as the read-timeout constant: the port waits the
// reply's length in milliseconds plus this. It covers what the millisecond a byte does not:
//   - the request still on its way out when the read begins (not so with manual RTS, which
//     drains the request first),
//   - the reply's line time beyond 1 ms a byte (11 bits a byte; at 9600 baud 1.15 ms),
//   - ScanReplySlackMs for the controller to turn round and for the way in: a USB converter
//     holds received bytes up to its latency timer (16 ms by default) before passing them on.
inline constexpr int ScanReplySlackMs = 20;
[[nodiscard]] int ScanTimeoutConstant(int baud, std::size_t requestBytes, std::size_t replyBytes,
                                      bool requestDrainedFirst);

// Scans the plan on the port of the main window's link controls, in access.moduleMode; a plan
// that ScanPlanError refuses throws std::invalid_argument with its text.
// Each address and rate gets exactly one exchange at a read-timeout constant from
// ScanTimeoutConstant; whatever fails there (no reply, a damaged or foreign reply) means no
// controller at that address. A controller that answers is asked for its setup block with
// the link's own timeout and retries (in module mode: submit, panel wait, collect); its
// version stays unknown when that fails.
//
// The host shows the progress (position: the attempts made, text "17 @ 9600 baud") and its
// cancel request, seen by the link's waits as well, ends the scan at once. found is called
// for each controller as it is found. Afterwards the link has its own tuning, wait hook and
// read-timeout constant again, and access its link settings.
[[nodiscard]] ScanResult
ScanForControllers(ControllerAccess& access, const ScanPlan& plan, Host& host,
                   const std::function<void(const FoundController&)>& found = {});
[[nodiscard]] inline ScanResult ScanForControllers(ControllerAccess& access, const ScanPlan& plan) {
    return ScanForControllers(access, plan, access.host);
}

} // namespace zyl
