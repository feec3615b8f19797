#pragma once

// The block transfer procedure that every list window uses: a block of N records moves in P
// packets of K records (packet p holds records p x K + 1 to p x K + K), each packet one
// command sent as a direct request or through the communication module (STOP check before
// writes, module submit, panel wait, module collect or the acknowledgement collect). The
// procedure adds the progress window with its cancel request and the messages.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "link/Commands.h"

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace zyl {

// One packet command in its variants: Direct and Collect fill the packet on reads, Direct
// and Submit send it on writes (a write's Collect is the acknowledgement collect).
template <class Record>
using PacketCommand = std::function<int(Variant, std::span<Record> packet, int p)>;

struct BlockTransferRules {
    int K = 1;                         // records per packet
    int P = 1;                         // packets
    bool readNotReadyMessage = true;   // "No communication" when a read's panel wait ends
    bool writeNotReadyMessage = false; // the same for writes
    bool stopCheckBeforeReads = false;
};

// Which failures of a command show "No communication" (the others end in silence).
struct CommandMessages {
    bool failure = true;  // a request, submit or collect that failed
    bool notReady = true; // a panel wait that ended not ready
};

// Packet p of a block sent in packets of K records: records p x K + 1 to p x K + K, the slots
// beyond the block's last record filled with copies of its first.
template <class Record, std::size_t K>
[[nodiscard]] std::array<Record, K> PacketToSend(std::span<const Record> block, int p) {
    std::array<Record, K> packet;
    for (std::size_t j = 0; j < K; ++j) {
        const std::size_t index = std::size_t(p) * K + j;
        packet[j] = block[index < block.size() ? index : 0];
    }
    return packet;
}

// Group p of a read lands in records p x K + 1 to p x K + K, as far as the block reaches.
template <class Record, std::size_t K>
void LandPacket(const std::array<Record, K>& packet, std::span<Record> block, int p) {
    for (std::size_t j = 0; j < K; ++j) {
        const std::size_t index = std::size_t(p) * K + j;
        if (index < block.size()) block[index] = packet[j];
    }
}

// How one packet of a transfer ended. panelNotReady tells a panel wait that ended not ready
// from a command that failed (both are NoCommunication).
struct PacketResult {
    Outcome outcome = Outcome::Ok;
    bool panelNotReady = false;
};

// The module-mode sequence of one command, showing no message: submit, panel wait with the
// cancel checks, then the collect (a read's own collect, or for a write the acknowledgement
// collect, which is what a write command's Collect variant sends). onStep is called after the
// submit and after the panel wait (the record editors show their progress there).
inline PacketResult ModuleSequence(ControllerAccess& access,
                                   const std::function<int(Variant)>& send,
                                   const std::function<void()>& onStep = {}) {
    if (send(Variant::Submit) != LinkOk) return {access.Failed(false)};
    if (onStep) onStep();
    switch (access.PanelWait(true)) {
    case PanelWaitOutcome::Ready:
        break;
    case PanelWaitOutcome::Cancelled:
        return {Outcome::Cancelled};
    case PanelWaitOutcome::NotReady:
        return {Outcome::NoCommunication, true};
    }
    if (onStep) onStep();
    if (send(Variant::Collect) != LinkOk) return {access.Failed(false)};
    return {};
}

// Shows what a packet's failure says: "Controller must be in STOP mode" for a refusal, "No
// communication" (with its cause) as messages asks. Returns the packet's outcome.
inline Outcome ReportPacket(ControllerAccess& access, PacketResult result,
                            CommandMessages messages) {
    if (result.outcome == Outcome::NotStopped) access.host.ShowMessageBox(MsgStopMode);
    if (result.outcome == Outcome::NoCommunication &&
        (result.panelNotReady ? messages.notReady : messages.failure))
        access.ReportNoCommunication();
    return result.outcome;
}

// The module-mode sequence with its messages.
inline Outcome RunModuleSequence(ControllerAccess& access, const std::function<int(Variant)>& send,
                                 CommandMessages messages,
                                 const std::function<void()>& onStep = {}) {
    return ReportPacket(access, ModuleSequence(access, send, onStep), messages);
}

enum class PacketDirection { Read, Write };

// One packet of a block transfer, showing no message: a direct request; in module mode, for
// a write, the STOP check (NotStopped when the controller runs), then the module sequence,
// whose collect is the acknowledgement collect for a write. send is the command in its
// variants; a write's Collect variant is never asked for.
inline PacketResult TransferPacket(ControllerAccess& access, PacketDirection direction,
                                   const std::function<int(Variant)>& send,
                                   const std::function<void()>& onStep = {}) {
    if (!access.moduleMode)
        return {send(Variant::Direct) == LinkOk ? Outcome::Ok : access.Failed(false)};
    if (direction == PacketDirection::Read) return ModuleSequence(access, send, onStep);
    if (access.ControllerRunning()) return {Outcome::NotStopped};
    return ModuleSequence(
        access,
        [&](Variant v) {
            if (v == Variant::Collect)
                return CollectAck(access.link, 4, access.DeviceAddress, access.linkParams);
            return send(v);
        },
        onStep);
}

namespace detail {

// Lets events run after a direct packet and looks at the cancel request.
inline Outcome AfterDirectPacket(ControllerAccess& access) {
    access.host.ProcessEvents();
    return access.host.CancelRequested() ? Outcome::Cancelled : Outcome::Ok;
}

} // namespace detail

// Reads the block from the controller. Records of the packets already received stay in the
// block when the transfer stops; the caller refills its list only on Outcome::Ok.
template <class Record>
Outcome ReadBlock(ControllerAccess& access, std::span<Record> block,
                  const BlockTransferRules& rules, const PacketCommand<Record>& command) {
    Host& host = access.host;
    const int N = static_cast<int>(block.size());
    access.ReadLinkSettings();
    host.ClearCancel();
    host.ShowProgress(0, rules.P, "");
    std::vector<Record> packet(static_cast<std::size_t>(rules.K));
    Outcome outcome = Outcome::Ok;
    for (int p = 0; p < rules.P && outcome == Outcome::Ok; ++p) {
        if (access.moduleMode && rules.stopCheckBeforeReads && access.ControllerRunning()) {
            outcome = ReportPacket(access, {Outcome::NotStopped}, {});
            break;
        }
        outcome = ReportPacket(
            access,
            TransferPacket(access, PacketDirection::Read,
                           [&](Variant v) { return command(v, std::span<Record>(packet), p); }),
            {true, rules.readNotReadyMessage});
        if (outcome == Outcome::Ok && !access.moduleMode)
            outcome = detail::AfterDirectPacket(access);
        if (outcome != Outcome::Ok) break;
        for (int j = 0; j < rules.K; ++j) {
            const int index = p * rules.K + j;
            if (index < N)
                block[static_cast<std::size_t>(index)] = packet[static_cast<std::size_t>(j)];
        }
        host.ShowProgress(p + 1, rules.P, "");
    }
    host.HideProgress();
    return outcome;
}

// Writes the block to the controller. Slots beyond the block's last record carry copies of
// its first record. The caller numbers the records before, and offers the reset after.
template <class Record>
Outcome WriteBlock(ControllerAccess& access, std::span<const Record> block,
                   const BlockTransferRules& rules, const PacketCommand<Record>& command) {
    Host& host = access.host;
    const int N = static_cast<int>(block.size());
    access.ReadLinkSettings();
    host.ClearCancel();
    host.ShowProgress(0, rules.P, "");
    std::vector<Record> packet(static_cast<std::size_t>(rules.K));
    Outcome outcome = Outcome::Ok;
    for (int p = 0; p < rules.P; ++p) {
        for (int j = 0; j < rules.K; ++j) {
            const int index = p * rules.K + j;
            packet[static_cast<std::size_t>(j)] =
                block[static_cast<std::size_t>(index < N ? index : 0)];
        }
        outcome = ReportPacket(
            access,
            TransferPacket(access, PacketDirection::Write,
                           [&](Variant v) { return command(v, std::span<Record>(packet), p); }),
            {true, rules.writeNotReadyMessage});
        if (outcome == Outcome::Ok && !access.moduleMode)
            outcome = detail::AfterDirectPacket(access);
        if (outcome != Outcome::Ok) break;
        host.ShowProgress(p + 1, rules.P, "");
    }
    host.HideProgress();
    return outcome;
}

} // namespace zyl
