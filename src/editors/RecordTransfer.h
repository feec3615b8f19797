#pragma once

// The record editors' transfers of one record. A read takes the packet that holds the record
// into a scratch copy and hands back the one record, so a failed read changes nothing; a
// write sends the record with its own command. Either goes as a direct request or through
// the communication module (STOP check before writes, submit, panel wait with the cancel
// checks, collect or acknowledgement collect), with the progress window at 0 to 3 of 3.

#include "editors/BlockTransfer.h"

#include <array>
#include <cstddef>
#include <functional>
#include <span>

namespace zyl {

inline constexpr int RecordTransferSteps = 3;

// One command of a record editor. Progress: 0 of 3 before it, 1 of 3 after the module
// submit, 2 of 3 after the panel wait, 3 of 3 when it succeeded. The caller hides the
// progress window when its operation ends.
inline Outcome RunRecordCommand(ControllerAccess& access, const std::function<int(Variant)>& send,
                                bool write, CommandMessages messages = {}) {
    Host& host = access.host;
    int step = 0;
    host.ShowProgress(step, RecordTransferSteps, "");
    Outcome outcome;
    if (!access.moduleMode) {
        outcome = send(Variant::Direct) == LinkOk ? Outcome::Ok : access.Failed(messages.failure);
    } else if (write && access.ControllerRunning()) {
        host.ShowMessageBox(MsgStopMode);
        outcome = Outcome::NotStopped;
    } else {
        outcome = RunModuleSequence(access, send, messages,
                                    [&] { host.ShowProgress(++step, RecordTransferSteps, ""); });
    }
    if (outcome == Outcome::Ok) host.ShowProgress(RecordTransferSteps, RecordTransferSteps, "");
    return outcome;
}

// A record editor's write of its record by one command: progress 0 to 3, then the reset
// offer, whatever the outcome.
inline Outcome WriteRecordAndOfferReset(ControllerAccess& access,
                                        const std::function<int(Variant)>& send) {
    access.ReadLinkSettings();
    access.host.ClearCancel();
    const Outcome outcome = RunRecordCommand(access, send, true);
    access.host.HideProgress();
    access.OfferResetAfterWrite();
    return outcome;
}

// Reads the packet of K records that holds the record numbered `number` (1-based) and
// gives that record; `record` is left as it was unless the read succeeded.
template <class Record, std::size_t K>
Outcome
ReadRecordOfPacket(ControllerAccess& access, int number, Record& record,
                   const std::function<int(Variant, std::span<Record, K>, int packet)>& command,
                   CommandMessages messages = {}) {
    std::array<Record, K> packet{};
    const int index = number - 1;
    const int p = index / int(K);
    const Outcome outcome = RunRecordCommand(
        access, [&](Variant v) { return command(v, std::span<Record, K>(packet), p); }, false,
        messages);
    if (outcome == Outcome::Ok) record = packet[std::size_t(index % int(K))];
    return outcome;
}

} // namespace zyl
