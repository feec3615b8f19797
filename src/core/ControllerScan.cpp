#include "core/ControllerScan.h"

#include "link/CommandCatalogue.h"
#include "link/Commands.h"
#include "link/Frame.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace zyl {

namespace {

std::string RatesError(const std::vector<int>& rates) {
    if (rates.empty()) return "no baud rate to scan";
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (rates[i] != 9600 && rates[i] != 19200)
            return "baud rate " + std::to_string(rates[i]) + " cannot be scanned (9600 or 19200)";
        if (std::find(rates.begin(), rates.begin() + static_cast<std::ptrdiff_t>(i), rates[i]) !=
            rates.begin() + static_cast<std::ptrdiff_t>(i))
            return "baud rate " + std::to_string(rates[i]) + " given twice";
    }
    return {};
}

std::string AddressesError(int first, int last) {
    const auto outside = [](int a) { return a < ScanLowestAddress || a > ScanHighestAddress; };
    if (outside(first) || outside(last))
        return "addresses run from " + std::to_string(ScanLowestAddress) + " to " +
               std::to_string(ScanHighestAddress);
    if (first > last)
        return "the address range " + std::to_string(first) + "-" + std::to_string(last) +
               " runs backwards";
    return {};
}

// A whole number of at most six digits (anything longer is out of every range here anyway).
bool ParseNumber(std::string_view text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int LineMs(int baud, std::size_t bytes) {
    const long long bits = static_cast<long long>(bytes) * 11 * 1000;
    return static_cast<int>((bits + baud - 1) / baud);
}

TLinkParams ParamsAt(TLinkParams params, int baud) {
    params.BaudCode = baud == 19200 ? 8 : 6;
    return params;
}

// Puts back what a scan changes: the link's tuning (and with it the port's read-timeout
// constant) and wait hook, and the controller access's link settings. The scan's own host
// takes the wait hook meanwhile.
class ScanState {
public:
    ScanState(ControllerAccess& access, Host& host)
        : access_(access), tuning_(access.link.Tuning()), hook_(access.link.CurrentWaitHook()),
          address_(access.DeviceAddress), params_(access.linkParams) {
        access.link.SetWaitHook(WaitHookFor(host));
    }
    ~ScanState() {
        access_.link.SetTuning(tuning_);
        access_.link.ApplyTimeoutConstant();
        access_.link.SetWaitHook(hook_);
        access_.DeviceAddress = address_;
        access_.linkParams = params_;
    }
    ScanState(const ScanState&) = delete;
    ScanState& operator=(const ScanState&) = delete;

    void UseShortTimeout(int constant) {
        LinkTuning tuning = tuning_;
        tuning.timeoutStand = constant;
        access_.link.SetTuning(tuning);
        access_.link.ApplyTimeoutConstant();
    }
    // The retry wrappers apply it before their first attempt.
    void UseOwnTimeout() { access_.link.SetTuning(tuning_); }

private:
    ControllerAccess& access_;
    LinkTuning tuning_;
    TFkomunikacja::WaitHook hook_;
    std::uint8_t address_;
    TLinkParams params_;
};

// The one exchange an address gets: the connection test's request, in one attempt.
int Probe(ControllerAccess& access, std::uint8_t address, TLinkParams params) {
    if (access.moduleMode) {
        TControllerStatus status{};
        return ReadModuleStatusOnce(access.link, status, address, params);
    }
    std::vector<std::uint8_t> reply;
    return RunCommandOnce(access.link, BuildReadPanelInfoRequest(), Variant::Direct, address,
                          params, reply);
}

struct ProbeSize {
    std::size_t request, reply;
};

ProbeSize ProbeSizeFor(bool module) {
    if (module) return {BuildFrame(0, FrameKind::Status).size(), StatusReplyLength};
    const InnerRequest request = BuildReadPanelInfoRequest();
    return {BuildRequestFrame(request, Variant::Direct, 0).size(),
            ExpectedReplyLength(request, Variant::Direct)};
}

// Setup word 99 of the controller at access's link settings; nothing when the read fails.
std::optional<int> ReadVersion(ControllerAccess& access) {
    TFkomunikacja& link = access.link;
    TSetupBlock setup{};
    if (access.moduleMode) {
        if (ReadSetupParametersSubmit(link, access.DeviceAddress, access.linkParams) != LinkOk ||
            access.PanelWait(true) != PanelWaitOutcome::Ready ||
            ReadSetupParametersCollect(link, setup, access.DeviceAddress, access.linkParams) !=
                LinkOk)
            return std::nullopt;
    } else if (ReadSetupParameters(link, setup, access.DeviceAddress, access.linkParams) !=
               LinkOk) {
        return std::nullopt;
    }
    return setup.Words[99];
}

bool PortFailed(int result) {
    return result == LinkPortError || result == LinkIncompleteWrite;
}

} // namespace

std::string ScanPlanError(const ScanPlan& plan) {
    std::string error = RatesError(plan.baudRates);
    if (error.empty()) error = AddressesError(plan.firstAddress, plan.lastAddress);
    return error;
}

std::string ParseScanBaudRates(std::string_view text, std::vector<int>& rates) {
    rates.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item = text.substr(start, comma - start);
        int rate = 0;
        if (!ParseNumber(item, rate))
            return "the baud rates are a list like 9600,19200, not \"" + std::string(text) + "\"";
        rates.push_back(rate);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return RatesError(rates);
}

std::string ParseScanAddresses(std::string_view text, int& first, int& last) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos || !ParseNumber(text.substr(0, dash), first) ||
        !ParseNumber(text.substr(dash + 1), last))
        return "the addresses are a range like 0-247, not \"" + std::string(text) + "\"";
    return AddressesError(first, last);
}

int ScanAttemptCount(const ScanPlan& plan) {
    if (plan.lastAddress < plan.firstAddress) return 0;
    return static_cast<int>(plan.baudRates.size()) * (plan.lastAddress - plan.firstAddress + 1);
}

int ScanTimeoutConstant(int baud, std::size_t requestBytes, std::size_t replyBytes,
                        bool requestDrainedFirst) {
    const int requestMs = requestDrainedFirst ? 0 : LineMs(baud, requestBytes);
    const int replyBeyondAllowance =
        std::max(0, LineMs(baud, replyBytes) - static_cast<int>(replyBytes));
    return requestMs + replyBeyondAllowance + ScanReplySlackMs;
}

ScanResult ScanForControllers(ControllerAccess& access, const ScanPlan& plan, Host& host,
                              const std::function<void(const FoundController&)>& found) {
    if (const std::string error = ScanPlanError(plan); !error.empty())
        throw std::invalid_argument(error);
    ScanResult result;
    access.ReadLinkSettings();
    host.ClearCancel();
    ScanState state(access, host);
    TFkomunikacja& link = access.link;
    const ProbeSize size = ProbeSizeFor(access.moduleMode);
    const int total = ScanAttemptCount(plan);
    const TLinkParams base = access.linkParams;

    const auto finish = [&](Outcome outcome) {
        host.HideProgress();
        result.outcome = outcome;
        return result;
    };

    int position = 0;
    for (const int baud : plan.baudRates) {
        const TLinkParams params = ParamsAt(base, baud);
        for (int address = plan.firstAddress; address <= plan.lastAddress; ++address) {
            host.ShowProgress(position, total,
                              std::to_string(address) + " @ " + std::to_string(baud) + " baud");
            if (host.CancelRequested()) return finish(Outcome::Cancelled);
            // Whether the request is drained before the read is known once the port is open.
            const bool drained = link.Port().IsOpen() && !link.AutomaticRts();
            state.UseShortTimeout(ScanTimeoutConstant(baud, size.request, size.reply, drained));
            const auto device = static_cast<std::uint8_t>(address);
            const int answer = Probe(access, device, params);
            result.attempts = ++position;
            if (link.Cancelled()) return finish(Outcome::Cancelled);
            if (PortFailed(answer)) {
                result.cause = link.FailureCause();
                return finish(Outcome::NoCommunication);
            }
            if (answer != LinkOk) continue;

            FoundController controller{address, baud, access.moduleMode, std::nullopt};
            access.DeviceAddress = device;
            access.linkParams = params;
            state.UseOwnTimeout();
            controller.version = ReadVersion(access);
            result.found.push_back(controller);
            if (found) found(controller);
            if (link.Cancelled() || host.CancelRequested()) return finish(Outcome::Cancelled);
        }
    }
    host.ShowProgress(total, total, "");
    return finish(Outcome::Ok);
}

} // namespace zyl
