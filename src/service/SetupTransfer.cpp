#include "service/SetupTransfer.h"

#include "link/Commands.h"

namespace zyl {

Outcome ReadSetupFromController(ControllerAccess& access, TSetupBlock& working) {
    Host& host = access.host;
    access.ReadLinkSettings();
    host.ShowProgress(0, 3, "");
    TSetupBlock buffer{};
    bool ok = false;
    if (!access.moduleMode) {
        ok = ReadSetupParameters(access.link, buffer, access.DeviceAddress, access.linkParams) ==
             LinkOk;
    } else if (ReadSetupParametersSubmit(access.link, access.DeviceAddress, access.linkParams) ==
               LinkOk) {
        host.ShowProgress(1, 3, "");
        const bool ready = access.PanelWait() == PanelWaitOutcome::Ready;
        host.ShowProgress(2, 3, "");
        ok = ready && ReadSetupParametersCollect(access.link, buffer, access.DeviceAddress,
                                                 access.linkParams) == LinkOk;
    }
    if (!ok) {
        host.HideProgress();
        return access.Failed(true);
    }
    host.ShowProgress(3, 3, "");
    host.HideProgress();
    working = buffer;
    return Outcome::Ok;
}

Outcome SendSetupToController(ControllerAccess& access, const TSetupBlock& setup) {
    access.ReadLinkSettings();
    bool ok;
    if (!access.moduleMode) {
        ok = WriteSetupParameters(access.link, setup, access.DeviceAddress, access.linkParams) ==
             LinkOk;
    } else {
        ok = WriteSetupParametersSubmit(access.link, setup, access.DeviceAddress,
                                        access.linkParams) == LinkOk &&
             access.PanelWait() == PanelWaitOutcome::Ready &&
             CollectAck(access.link, 4, access.DeviceAddress, access.linkParams) == LinkOk;
    }
    const Outcome outcome = ok ? Outcome::Ok : access.Failed(true);
    if (ok) access.host.ShowMessageBox(MsgOperationCompleted);
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
