#include "core/ControllerAccess.h"

#include "link/Commands.h"

#include <chrono>
#include <thread>

namespace zyl {

void ControllerAccess::ReportNoCommunication() {
    host.ShowMessageBox(MsgNoCommunication, link.FailureCause());
}

Outcome ControllerAccess::Failed(bool report) {
    if (link.Cancelled()) return Outcome::Cancelled;
    if (report) ReportNoCommunication();
    return Outcome::NoCommunication;
}

void ControllerAccess::ReadLinkSettings() {
    host.ClearCancel();
    ReadLinkControls();
}

void ControllerAccess::ReadLinkControls() {
    DeviceAddress = static_cast<std::uint8_t>(controls.AddressValue());
    linkParams.PortIndex = controls.PortItemIndex();
    linkParams.BaudCode = controls.BaudItemIndex() == 1 ? 8 : 6;
}

PanelWaitOutcome ControllerAccess::PanelWait(bool withCancelChecks) {
    using Clock = std::chrono::system_clock;
    if (!link.Pause(100)) return PanelWaitOutcome::Cancelled;
    host.ProcessEvents();
    const auto start = Clock::now();
    if (withCancelChecks && host.CancelRequested()) return PanelWaitOutcome::Cancelled;
    const auto limit = std::chrono::seconds(settings.WaitForPanel);
    for (;;) {
        if (Clock::now() - start >= limit) {
            link.SetFailureCause("the panel did not report ready within " +
                                 std::to_string(settings.WaitForPanel) + " s");
            return PanelWaitOutcome::NotReady;
        }
        host.ProcessEvents();
        TControllerStatus status{};
        const int result = ReadModuleStatus(link, status, DeviceAddress, linkParams);
        if (result == LinkOk && status.PanelReady) return PanelWaitOutcome::Ready;
        if (link.Cancelled()) return PanelWaitOutcome::Cancelled;
        if (result == LinkOk) host.ProcessEvents();
        if (withCancelChecks && host.CancelRequested()) return PanelWaitOutcome::Cancelled;
    }
}

bool ControllerAccess::ControllerRunning() {
    TControllerStatus status{};
    if (ReadModuleStatus(link, status, DeviceAddress, linkParams) != LinkOk) return false;
    return !IsStopMode(status);
}

bool ControllerAccess::ConnectionTest() {
    ReadLinkSettings();
    int result;
    if (moduleMode) {
        TControllerStatus status{};
        result = ReadModuleStatus(link, status, DeviceAddress, linkParams);
    } else {
        int size = 0;
        std::array<std::uint8_t, 4> descriptor{};
        result = ReadPanelInfo(link, size, descriptor, DeviceAddress, linkParams);
    }
    return result == LinkOk;
}

void ControllerAccess::DeviceReset() {
    resetPending = true;
    ResetDeviceIfPending();
}

void ControllerAccess::ResetDeviceIfPending() {
    if (!settings.PytajOReset || !resetPending) return;
    if (host.AskYesNo(MsgResetDevice) != AnswerYes) return;
    ReadLinkSettings();
    if (!moduleMode) {
        (void)ResetController(link, DeviceAddress, linkParams);
    } else {
        if (ControllerRunning()) {
            host.ShowMessageBox(MsgStopMode);
            return;
        }
        (void)ResetControllerSubmit(link, DeviceAddress, linkParams);
    }
    resetPending = false;
}

bool ControllerAccess::ReadControllerSetup(TSetupBlock& setup) {
    ReadLinkSettings();
    if (moduleMode) {
        if (ReadSetupParametersSubmit(link, DeviceAddress, linkParams) != LinkOk ||
            PanelWait() != PanelWaitOutcome::Ready ||
            ReadSetupParametersCollect(link, setup, DeviceAddress, linkParams) != LinkOk) {
            (void)Failed(true);
            return false;
        }
    } else if (ReadSetupParameters(link, setup, DeviceAddress, linkParams) != LinkOk) {
        (void)Failed(true);
        return false;
    }
    programBlockCount = ProgramBlockCountFor(setup);
    return true;
}

AccessThroughHost::AccessThroughHost(ControllerAccess& outer, Host& host)
    : outer_(outer), savedHook_(outer.link.CurrentWaitHook()) {
    inner_.emplace(outer.link, host, outer.controls, outer.settings);
    ControllerAccess& inner = *inner_;
    inner.moduleMode = outer.moduleMode;
    inner.resetPending = outer.resetPending;
    inner.programBlockCount = outer.programBlockCount;
    inner.DeviceAddress = outer.DeviceAddress;
    inner.linkParams = outer.linkParams;
}

AccessThroughHost::~AccessThroughHost() {
    const ControllerAccess& inner = *inner_;
    outer_.resetPending = inner.resetPending;
    outer_.programBlockCount = inner.programBlockCount;
    outer_.DeviceAddress = inner.DeviceAddress;
    outer_.linkParams = inner.linkParams;
    inner_.reset();
    outer_.link.SetWaitHook(savedHook_);
}

} // namespace zyl
