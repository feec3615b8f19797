#pragma once

// The transfer of a block that moves whole in one command (the setup block, the passwords),
// as the service windows do it: a direct request, or in module mode the submit, the panel
// wait and the collect (the acknowledgement collect for a send).

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "link/Commands.h"

#include <functional>

namespace zyl {

// Reads the block into working; on any failure "No communication" is shown and working keeps
// what it held. Progress runs 0 to 3; its cancel request has no effect. read is the command
// in its variants, filling the block it is given.
template <class Block>
Outcome ReadWholeBlock(ControllerAccess& access, Block& working,
                       const std::function<int(Variant, Block&)>& read) {
    Host& host = access.host;
    access.ReadLinkSettings();
    host.ShowProgress(0, 3, "");
    Block buffer{};
    bool ok = false;
    if (!access.moduleMode) {
        ok = read(Variant::Direct, buffer) == LinkOk;
    } else if (read(Variant::Submit, buffer) == LinkOk) {
        host.ShowProgress(1, 3, "");
        const bool ready = access.PanelWait() == PanelWaitOutcome::Ready;
        host.ShowProgress(2, 3, "");
        ok = ready && read(Variant::Collect, buffer) == LinkOk;
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

// Sends the block (module mode: no STOP check), shows "No communication" or "Operation
// completed", then sets the reset-pending flag and offers the reset. send is the command in
// its Direct and Submit variants.
inline Outcome SendWholeBlock(ControllerAccess& access, const std::function<int(Variant)>& send) {
    access.ReadLinkSettings();
    bool ok;
    if (!access.moduleMode) {
        ok = send(Variant::Direct) == LinkOk;
    } else {
        ok = send(Variant::Submit) == LinkOk && access.PanelWait() == PanelWaitOutcome::Ready &&
             CollectAck(access.link, 4, access.DeviceAddress, access.linkParams) == LinkOk;
    }
    const Outcome outcome = ok ? Outcome::Ok : access.Failed(true);
    if (ok) access.host.ShowMessageBox(MsgOperationCompleted);
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
