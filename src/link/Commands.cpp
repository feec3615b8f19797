#include "link/Commands.h"

#include "link/Frame.h"

#include <algorithm>

namespace zyl {

namespace {

using Reply = std::vector<std::uint8_t>;

constexpr std::size_t ReplyHeaderSize = 9;

// The reply data: from byte 9 up to the checksum.
std::span<const std::uint8_t> ReplyData(const Reply& reply) {
    if (reply.size() < ReplyHeaderSize + 2) return {};
    return std::span<const std::uint8_t>(reply).subspan(ReplyHeaderSize,
                                                        reply.size() - ReplyHeaderSize - 2);
}

int CollectAckOnce(TFkomunikacja& link, std::size_t expectedLength, std::uint8_t address,
                   TLinkParams params, Reply& reply) {
    const auto frame = BuildFrame(address, FrameKind::ModuleCollect);
    const int result = link.ExchangeFrame(frame, expectedLength, params, reply);
    if (result != LinkOk) return result;
    return reply[1] == 'F' ? LinkOk : LinkUnexpectedReply;
}

// A read in any variant: prepare (clearing) before each attempt that fetches data, decode
// after each good one.
template <class Prepare, class Decode>
int RunRead(TFkomunikacja& link, Variant variant, const InnerRequest& request, std::uint8_t address,
            TLinkParams params, Prepare prepare, Decode decode) {
    return RetryCommand(link, [&] {
        Reply reply;
        if (variant == Variant::Submit)
            return RunCommandOnce(link, request, variant, address, params, reply);
        prepare();
        const int result = RunCommandOnce(link, request, variant, address, params, reply);
        if (result == LinkOk) decode(ReplyData(reply));
        return result;
    });
}

int RunNoData(TFkomunikacja& link, Variant variant, const InnerRequest& request,
              std::uint8_t address, TLinkParams params) {
    return RetryCommand(link, [&] {
        Reply reply;
        return RunCommandOnce(link, request, variant, address, params, reply);
    });
}

int RunSingle(TFkomunikacja& link, Variant variant, const InnerRequest& request,
              std::uint8_t address, TLinkParams params) {
    link.ApplyTimeoutConstant();
    Reply reply;
    const int result = RunCommandOnce(link, request, variant, address, params, reply);
    (void)link.Pause(CommandRetryPauseMs);
    return result;
}

template <class Record, std::size_t N> auto Clear(std::span<Record, N> records) {
    return [records] { std::fill(records.begin(), records.end(), Record{}); };
}

template <class Block> auto Clear(Block& block) {
    return [&block] { block = Block{}; };
}

constexpr auto Nothing = [] {};

} // namespace

int RunCommandOnce(TFkomunikacja& link, const InnerRequest& request, Variant variant,
                   std::uint8_t DeviceAddress, TLinkParams params, Reply& reply) {
    const CommandDescriptor& command = *request.command;
    if (variant == Variant::Collect && !command.read)
        return CollectAckOnce(link, request.replyLength, DeviceAddress, params, reply);

    const auto frame = BuildRequestFrame(request, variant, DeviceAddress);
    const int result =
        link.ExchangeFrame(frame, ExpectedReplyLength(request, variant), params, reply);
    if (result != LinkOk) return result;

    if (variant == Variant::Submit) {
        if (command.read && (reply[1] != 'G' || reply[2] != 0x09)) {
            link.SetFailureCause("the communication module did not take the request over");
            return LinkUnexpectedReply;
        }
        return LinkOk;
    }
    if (command.echoesNumber && (reply.size() <= ReplyHeaderSize || request.payload.empty() ||
                                 reply[ReplyHeaderSize] != request.payload[0])) {
        link.SetFailureCause("the reply is for another group or part than the one asked for");
        return LinkUnexpectedReply;
    }
    return LinkOk;
}

// --- setup parameters ---------------------------------------------------------------------

int ReadSetupParameters(TFkomunikacja& link, Variant variant, TSetupBlock& dest,
                        std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadSetupParametersRequest(), DeviceAddress, params,
                   Clear(dest), [&](auto data) { DecodeSetupParameters(data, dest); });
}
int ReadSetupParameters(TFkomunikacja& link, TSetupBlock& dest, std::uint8_t DeviceAddress,
                        TLinkParams params) {
    return ReadSetupParameters(link, Variant::Direct, dest, DeviceAddress, params);
}
int ReadSetupParametersSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadSetupParametersRequest(), DeviceAddress,
                     params);
}
int ReadSetupParametersCollect(TFkomunikacja& link, TSetupBlock& dest, std::uint8_t DeviceAddress,
                               TLinkParams params) {
    return ReadSetupParameters(link, Variant::Collect, dest, DeviceAddress, params);
}

int WriteSetupParameters(TFkomunikacja& link, Variant variant, const TSetupBlock& setup,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteSetupParametersRequest(setup), DeviceAddress, params);
}
int WriteSetupParameters(TFkomunikacja& link, const TSetupBlock& setup, std::uint8_t DeviceAddress,
                         TLinkParams params) {
    return WriteSetupParameters(link, Variant::Direct, setup, DeviceAddress, params);
}
int WriteSetupParametersSubmit(TFkomunikacja& link, const TSetupBlock& setup,
                               std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteSetupParameters(link, Variant::Submit, setup, DeviceAddress, params);
}

// --- passwords ----------------------------------------------------------------------------

int ReadPasswords(TFkomunikacja& link, Variant variant, TPasswordBlock& dest,
                  std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadPasswordsRequest(), DeviceAddress, params, Clear(dest),
                   [&](auto data) { DecodePasswords(data, dest); });
}
int ReadPasswords(TFkomunikacja& link, TPasswordBlock& dest, std::uint8_t DeviceAddress,
                  TLinkParams params) {
    return ReadPasswords(link, Variant::Direct, dest, DeviceAddress, params);
}
int ReadPasswordsSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadPasswordsRequest(), DeviceAddress, params);
}
int ReadPasswordsCollect(TFkomunikacja& link, TPasswordBlock& dest, std::uint8_t DeviceAddress,
                         TLinkParams params) {
    return ReadPasswords(link, Variant::Collect, dest, DeviceAddress, params);
}

int WritePasswords(TFkomunikacja& link, Variant variant, const TPasswordBlock& passwords,
                   std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWritePasswordsRequest(passwords), DeviceAddress, params);
}
int WritePasswords(TFkomunikacja& link, const TPasswordBlock& passwords, std::uint8_t DeviceAddress,
                   TLinkParams params) {
    return WritePasswords(link, Variant::Direct, passwords, DeviceAddress, params);
}
int WritePasswordsSubmit(TFkomunikacja& link, const TPasswordBlock& passwords,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return WritePasswords(link, Variant::Submit, passwords, DeviceAddress, params);
}

// --- special statuses ---------------------------------------------------------------------

int ReadSpecialStatuses(TFkomunikacja& link, Variant variant,
                        std::span<TSpecialStatusRecord, 6> dest, std::uint8_t DeviceAddress,
                        TLinkParams params) {
    return RunRead(link, variant, BuildReadSpecialStatusesRequest(), DeviceAddress, params,
                   Clear(dest), [&](auto data) { DecodeSpecialStatuses(data, dest); });
}
int ReadSpecialStatuses(TFkomunikacja& link, std::span<TSpecialStatusRecord, 6> dest,
                        std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadSpecialStatuses(link, Variant::Direct, dest, DeviceAddress, params);
}
int ReadSpecialStatusesSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadSpecialStatusesRequest(), DeviceAddress,
                     params);
}
int ReadSpecialStatusesCollect(TFkomunikacja& link, std::span<TSpecialStatusRecord, 6> dest,
                               std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadSpecialStatuses(link, Variant::Collect, dest, DeviceAddress, params);
}

int WriteSpecialStatuses(TFkomunikacja& link, Variant variant,
                         std::span<const TSpecialStatusRecord, 6> records,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteSpecialStatusesRequest(records), DeviceAddress,
                     params);
}
int WriteSpecialStatuses(TFkomunikacja& link, std::span<const TSpecialStatusRecord, 6> records,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteSpecialStatuses(link, Variant::Direct, records, DeviceAddress, params);
}
int WriteSpecialStatusesSubmit(TFkomunikacja& link,
                               std::span<const TSpecialStatusRecord, 6> records,
                               std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteSpecialStatuses(link, Variant::Submit, records, DeviceAddress, params);
}

int WriteSpecialStatus(TFkomunikacja& link, Variant variant, const TSpecialStatusRecord& record,
                       int index, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteSpecialStatusRequest(record, index), DeviceAddress,
                     params);
}
int WriteSpecialStatus(TFkomunikacja& link, const TSpecialStatusRecord& record, int index,
                       std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteSpecialStatus(link, Variant::Direct, record, index, DeviceAddress, params);
}
int WriteSpecialStatusSubmit(TFkomunikacja& link, const TSpecialStatusRecord& record, int index,
                             std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteSpecialStatus(link, Variant::Submit, record, index, DeviceAddress, params);
}

// --- relays -------------------------------------------------------------------------------

int ReadRelayGroup(TFkomunikacja& link, Variant variant, std::span<TRelayRecord, 6> dest, int group,
                   std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadRelayGroupRequest(group), DeviceAddress, params,
                   Clear(dest),
                   [&](auto data) { DecodeRelayGroup(data, dest, group, link.codePage); });
}
int ReadRelayGroup(TFkomunikacja& link, std::span<TRelayRecord, 6> dest, int group,
                   std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadRelayGroup(link, Variant::Direct, dest, group, DeviceAddress, params);
}
int ReadRelayGroupSubmit(TFkomunikacja& link, int group, std::uint8_t DeviceAddress,
                         TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadRelayGroupRequest(group), DeviceAddress,
                     params);
}
int ReadRelayGroupCollect(TFkomunikacja& link, std::span<TRelayRecord, 6> dest, int group,
                          std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadRelayGroup(link, Variant::Collect, dest, group, DeviceAddress, params);
}

int WriteRelayGroup(TFkomunikacja& link, Variant variant, std::span<const TRelayRecord, 6> records,
                    int group, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteRelayGroupRequest(records, group, link.codePage),
                     DeviceAddress, params);
}
int WriteRelayGroup(TFkomunikacja& link, std::span<const TRelayRecord, 6> records, int group,
                    std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteRelayGroup(link, Variant::Direct, records, group, DeviceAddress, params);
}
int WriteRelayGroupSubmit(TFkomunikacja& link, std::span<const TRelayRecord, 6> records, int group,
                          std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteRelayGroup(link, Variant::Submit, records, group, DeviceAddress, params);
}

// --- analog outputs -----------------------------------------------------------------------

int ReadAnalogOutputs(TFkomunikacja& link, Variant variant, std::span<TAnalogOutputRecord, 5> dest,
                      std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadAnalogOutputsRequest(), DeviceAddress, params,
                   Clear(dest), [&](auto data) { DecodeAnalogOutputs(data, dest, link.codePage); });
}
int ReadAnalogOutputs(TFkomunikacja& link, std::span<TAnalogOutputRecord, 5> dest,
                      std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadAnalogOutputs(link, Variant::Direct, dest, DeviceAddress, params);
}
int ReadAnalogOutputsSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadAnalogOutputsRequest(), DeviceAddress, params);
}
int ReadAnalogOutputsCollect(TFkomunikacja& link, std::span<TAnalogOutputRecord, 5> dest,
                             std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadAnalogOutputs(link, Variant::Collect, dest, DeviceAddress, params);
}

int WriteAnalogOutputs(TFkomunikacja& link, Variant variant,
                       std::span<const TAnalogOutputRecord, 5> records, std::uint8_t DeviceAddress,
                       TLinkParams params) {
    return RunNoData(link, variant, BuildWriteAnalogOutputsRequest(records, link.codePage),
                     DeviceAddress, params);
}
int WriteAnalogOutputs(TFkomunikacja& link, std::span<const TAnalogOutputRecord, 5> records,
                       std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteAnalogOutputs(link, Variant::Direct, records, DeviceAddress, params);
}
int WriteAnalogOutputsSubmit(TFkomunikacja& link, std::span<const TAnalogOutputRecord, 5> records,
                             std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteAnalogOutputs(link, Variant::Submit, records, DeviceAddress, params);
}

// --- PID regulators -----------------------------------------------------------------------

int ReadPidRegulators(TFkomunikacja& link, Variant variant, std::span<TPidRecord, 5> dest,
                      std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadPidRegulatorsRequest(), DeviceAddress, params,
                   Clear(dest), [&](auto data) { DecodePidRegulators(data, dest); });
}
int ReadPidRegulators(TFkomunikacja& link, std::span<TPidRecord, 5> dest,
                      std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadPidRegulators(link, Variant::Direct, dest, DeviceAddress, params);
}
int ReadPidRegulatorsSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadPidRegulatorsRequest(), DeviceAddress, params);
}
int ReadPidRegulatorsCollect(TFkomunikacja& link, std::span<TPidRecord, 5> dest,
                             std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadPidRegulators(link, Variant::Collect, dest, DeviceAddress, params);
}

int WritePidRegulators(TFkomunikacja& link, Variant variant, std::span<const TPidRecord, 5> records,
                       std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWritePidRegulatorsRequest(records), DeviceAddress, params);
}
int WritePidRegulators(TFkomunikacja& link, std::span<const TPidRecord, 5> records,
                       std::uint8_t DeviceAddress, TLinkParams params) {
    return WritePidRegulators(link, Variant::Direct, records, DeviceAddress, params);
}
int WritePidRegulatorsSubmit(TFkomunikacja& link, std::span<const TPidRecord, 5> records,
                             std::uint8_t DeviceAddress, TLinkParams params) {
    return WritePidRegulators(link, Variant::Submit, records, DeviceAddress, params);
}

// --- alarms -------------------------------------------------------------------------------

int ReadAlarmGroup(TFkomunikacja& link, Variant variant, std::span<TAlarmRecord, 12> dest,
                   int group, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadAlarmGroupRequest(group), DeviceAddress, params, Nothing,
                   [&](auto data) { DecodeAlarmGroup(data, dest, group, link.codePage); });
}
int ReadAlarmGroup(TFkomunikacja& link, std::span<TAlarmRecord, 12> dest, int group,
                   std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadAlarmGroup(link, Variant::Direct, dest, group, DeviceAddress, params);
}
int ReadAlarmGroupSubmit(TFkomunikacja& link, int group, std::uint8_t DeviceAddress,
                         TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadAlarmGroupRequest(group), DeviceAddress,
                     params);
}
int ReadAlarmGroupCollect(TFkomunikacja& link, std::span<TAlarmRecord, 12> dest, int group,
                          std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadAlarmGroup(link, Variant::Collect, dest, group, DeviceAddress, params);
}

int WriteAlarmGroup(TFkomunikacja& link, Variant variant, std::span<const TAlarmRecord, 12> records,
                    int group, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteAlarmGroupRequest(records, group, link.codePage),
                     DeviceAddress, params);
}
int WriteAlarmGroup(TFkomunikacja& link, std::span<const TAlarmRecord, 12> records, int group,
                    std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteAlarmGroup(link, Variant::Direct, records, group, DeviceAddress, params);
}
int WriteAlarmGroupSubmit(TFkomunikacja& link, std::span<const TAlarmRecord, 12> records, int group,
                          std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteAlarmGroup(link, Variant::Submit, records, group, DeviceAddress, params);
}

int WriteAlarm(TFkomunikacja& link, Variant variant, const TAlarmRecord& record, int index,
               std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteAlarmRequest(record, index, link.codePage),
                     DeviceAddress, params);
}
int WriteAlarm(TFkomunikacja& link, const TAlarmRecord& record, int index,
               std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteAlarm(link, Variant::Direct, record, index, DeviceAddress, params);
}
int WriteAlarmSubmit(TFkomunikacja& link, const TAlarmRecord& record, int index,
                     std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteAlarm(link, Variant::Submit, record, index, DeviceAddress, params);
}

// --- processes ----------------------------------------------------------------------------

int ReadProcessGroup(TFkomunikacja& link, Variant variant, std::span<TProcessRecord, 8> dest,
                     int group, bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadProcessGroupRequest(group, washing), DeviceAddress,
                   params, Nothing,
                   [&](auto data) { DecodeProcessGroup(data, dest, group, link.codePage); });
}
int ReadProcessGroup(TFkomunikacja& link, std::span<TProcessRecord, 8> dest, int group,
                     bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadProcessGroup(link, Variant::Direct, dest, group, washing, DeviceAddress, params);
}
int ReadProcessGroupSubmit(TFkomunikacja& link, int group, bool washing, std::uint8_t DeviceAddress,
                           TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadProcessGroupRequest(group, washing),
                     DeviceAddress, params);
}
int ReadProcessGroupCollect(TFkomunikacja& link, std::span<TProcessRecord, 8> dest, int group,
                            bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadProcessGroup(link, Variant::Collect, dest, group, washing, DeviceAddress, params);
}

int WriteProcessGroup(TFkomunikacja& link, Variant variant,
                      std::span<const TProcessRecord, 8> records, int group, bool washing,
                      std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant,
                     BuildWriteProcessGroupRequest(records, group, washing, link.codePage),
                     DeviceAddress, params);
}
int WriteProcessGroup(TFkomunikacja& link, std::span<const TProcessRecord, 8> records, int group,
                      bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcessGroup(link, Variant::Direct, records, group, washing, DeviceAddress, params);
}
int WriteProcessGroupSubmit(TFkomunikacja& link, std::span<const TProcessRecord, 8> records,
                            int group, bool washing, std::uint8_t DeviceAddress,
                            TLinkParams params) {
    return WriteProcessGroup(link, Variant::Submit, records, group, washing, DeviceAddress, params);
}

int WriteProcess(TFkomunikacja& link, Variant variant, const TProcessRecord& record, int index,
                 bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteProcessRequest(record, index, washing, link.codePage),
                     DeviceAddress, params);
}
int WriteProcess(TFkomunikacja& link, const TProcessRecord& record, int index, bool washing,
                 std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcess(link, Variant::Direct, record, index, washing, DeviceAddress, params);
}
int WriteProcessSubmit(TFkomunikacja& link, const TProcessRecord& record, int index, bool washing,
                       std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcess(link, Variant::Submit, record, index, washing, DeviceAddress, params);
}

int ReadProcessParameters(TFkomunikacja& link, Variant variant, std::span<TProcessRecord, 16> dest,
                          bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadProcessParametersRequest(washing), DeviceAddress, params,
                   Nothing, [&](auto data) { DecodeProcessParameters(data, dest); });
}
int ReadProcessParameters(TFkomunikacja& link, std::span<TProcessRecord, 16> dest, bool washing,
                          std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadProcessParameters(link, Variant::Direct, dest, washing, DeviceAddress, params);
}
int ReadProcessParametersSubmit(TFkomunikacja& link, bool washing, std::uint8_t DeviceAddress,
                                TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadProcessParametersRequest(washing),
                     DeviceAddress, params);
}
int ReadProcessParametersCollect(TFkomunikacja& link, std::span<TProcessRecord, 16> dest,
                                 bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadProcessParameters(link, Variant::Collect, dest, washing, DeviceAddress, params);
}

int WriteProcessParameters(TFkomunikacja& link, Variant variant,
                           std::span<const TProcessRecord, 16> records, bool washing,
                           std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWriteProcessParametersRequest(records, washing),
                     DeviceAddress, params);
}
int WriteProcessParameters(TFkomunikacja& link, std::span<const TProcessRecord, 16> records,
                           bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcessParameters(link, Variant::Direct, records, washing, DeviceAddress, params);
}
int WriteProcessParametersSubmit(TFkomunikacja& link, std::span<const TProcessRecord, 16> records,
                                 bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcessParameters(link, Variant::Submit, records, washing, DeviceAddress, params);
}

int WriteProcessStepParameters(TFkomunikacja& link, Variant variant, const TProcessRecord& record,
                               int index, bool washing, std::uint8_t DeviceAddress,
                               TLinkParams params) {
    return RunNoData(link, variant, BuildWriteProcessStepParametersRequest(record, index, washing),
                     DeviceAddress, params);
}
int WriteProcessStepParameters(TFkomunikacja& link, const TProcessRecord& record, int index,
                               bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcessStepParameters(link, Variant::Direct, record, index, washing, DeviceAddress,
                                      params);
}
int WriteProcessStepParametersSubmit(TFkomunikacja& link, const TProcessRecord& record, int index,
                                     bool washing, std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProcessStepParameters(link, Variant::Submit, record, index, washing, DeviceAddress,
                                      params);
}

// --- programs -----------------------------------------------------------------------------

int ReadProgram(TFkomunikacja& link, Variant variant, TProgramRecord& dest, int part,
                int programIndex, int blockCount, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(
        link, variant, BuildReadProgramRequest(part, programIndex, blockCount), DeviceAddress,
        params,
        [&] {
            if (part == 0) dest = TProgramRecord{};
        },
        [&](auto data) { DecodeProgramPart(data, dest, part, blockCount, link.codePage); });
}
int ReadProgram(TFkomunikacja& link, TProgramRecord& dest, int part, int programIndex,
                int blockCount, std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadProgram(link, Variant::Direct, dest, part, programIndex, blockCount, DeviceAddress,
                       params);
}
int ReadProgramSubmit(TFkomunikacja& link, int part, int programIndex, int blockCount,
                      std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadProgramRequest(part, programIndex, blockCount),
                     DeviceAddress, params);
}
int ReadProgramCollect(TFkomunikacja& link, TProgramRecord& dest, int part, int programIndex,
                       int blockCount, std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadProgram(link, Variant::Collect, dest, part, programIndex, blockCount, DeviceAddress,
                       params);
}

int WriteProgram(TFkomunikacja& link, Variant variant, const TProgramRecord& program, int part,
                 int blockCount, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant,
                     BuildWriteProgramRequest(program, part, blockCount, link.codePage),
                     DeviceAddress, params);
}
int WriteProgram(TFkomunikacja& link, const TProgramRecord& program, int part, int blockCount,
                 std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProgram(link, Variant::Direct, program, part, blockCount, DeviceAddress, params);
}
int WriteProgramSubmit(TFkomunikacja& link, const TProgramRecord& program, int part, int blockCount,
                       std::uint8_t DeviceAddress, TLinkParams params) {
    return WriteProgram(link, Variant::Submit, program, part, blockCount, DeviceAddress, params);
}

// --- status and service -------------------------------------------------------------------

int ReadModuleStatusOnce(TFkomunikacja& link, TControllerStatus& dest, std::uint8_t DeviceAddress,
                         TLinkParams params) {
    dest = TControllerStatus{};
    Reply reply;
    const auto frame = BuildFrame(DeviceAddress, FrameKind::Status);
    const int result = link.ExchangeFrame(frame, StatusReplyLength, params, reply);
    if (result == LinkOk) dest = DecodeControllerStatus(reply);
    return result;
}

int ReadModuleStatus(TFkomunikacja& link, TControllerStatus& dest, std::uint8_t DeviceAddress,
                     TLinkParams params) {
    return RetryCommand(link,
                        [&] { return ReadModuleStatusOnce(link, dest, DeviceAddress, params); });
}

int CollectAck(TFkomunikacja& link, int n, std::uint8_t DeviceAddress, TLinkParams params) {
    // A length that leaves fewer than 4 bytes is refused by the exchange, nothing sent.
    const std::int64_t total = std::int64_t{n} + 7;
    const std::size_t expected = total < 0 ? 0 : static_cast<std::size_t>(total);
    return RetryCommand(link, [&] {
        Reply reply;
        return CollectAckOnce(link, expected, DeviceAddress, params, reply);
    });
}

int ResetController(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunSingle(link, Variant::Direct, BuildResetControllerRequest(Variant::Direct),
                     DeviceAddress, params);
}

int ResetControllerSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunSingle(link, Variant::Submit, BuildResetControllerRequest(Variant::Submit),
                     DeviceAddress, params);
}

int SetControllerClock(TFkomunikacja& link, const ClockTime& time, std::uint8_t DeviceAddress,
                       TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildSetControllerClockRequest(time), DeviceAddress,
                     params);
}

// --- panel memory -------------------------------------------------------------------------

int ReadPanelInfo(TFkomunikacja& link, Variant variant, int& size,
                  std::array<std::uint8_t, 4>& descriptor, std::uint8_t DeviceAddress,
                  TLinkParams params) {
    return RunRead(link, variant, BuildReadPanelInfoRequest(), DeviceAddress, params, Nothing,
                   [&](auto data) {
                       if (data.size() < 6) return;
                       size = ReadU16(data, 0);
                       std::copy_n(data.begin() + 2, 4, descriptor.begin());
                   });
}
int ReadPanelInfo(TFkomunikacja& link, int& size, std::array<std::uint8_t, 4>& descriptor,
                  std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadPanelInfo(link, Variant::Direct, size, descriptor, DeviceAddress, params);
}
int ReadPanelInfoSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadPanelInfoRequest(), DeviceAddress, params);
}
int ReadPanelInfoCollect(TFkomunikacja& link, int& size, std::array<std::uint8_t, 4>& descriptor,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadPanelInfo(link, Variant::Collect, size, descriptor, DeviceAddress, params);
}

int ReadPanelPage(TFkomunikacja& link, Variant variant, std::string& dest, int page,
                  PanelBlock block, std::uint8_t DeviceAddress, TLinkParams params) {
    return RunRead(link, variant, BuildReadPanelPageRequest(page, block), DeviceAddress, params,
                   Nothing, [&](auto data) {
                       if (data.size() < 2 + PanelPageSize) return;
                       dest.assign(data.begin() + 2, data.begin() + 2 + PanelPageSize);
                   });
}
int ReadPanelPage(TFkomunikacja& link, std::string& dest, int page, PanelBlock block,
                  std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadPanelPage(link, Variant::Direct, dest, page, block, DeviceAddress, params);
}
int ReadPanelPageSubmit(TFkomunikacja& link, int page, PanelBlock block, std::uint8_t DeviceAddress,
                        TLinkParams params) {
    return RunNoData(link, Variant::Submit, BuildReadPanelPageRequest(page, block), DeviceAddress,
                     params);
}
int ReadPanelPageCollect(TFkomunikacja& link, std::string& dest, int page, PanelBlock block,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return ReadPanelPage(link, Variant::Collect, dest, page, block, DeviceAddress, params);
}

int WritePanelPage(TFkomunikacja& link, Variant variant, std::string_view data, int page,
                   std::uint8_t DeviceAddress, TLinkParams params) {
    return RunNoData(link, variant, BuildWritePanelPageRequest(data, page), DeviceAddress, params);
}
int WritePanelPage(TFkomunikacja& link, std::string_view data, int page, std::uint8_t DeviceAddress,
                   TLinkParams params) {
    return WritePanelPage(link, Variant::Direct, data, page, DeviceAddress, params);
}
int WritePanelPageSubmit(TFkomunikacja& link, std::string_view data, int page,
                         std::uint8_t DeviceAddress, TLinkParams params) {
    return WritePanelPage(link, Variant::Submit, data, page, DeviceAddress, params);
}

int WritePanelCodeTable(TFkomunikacja& link, Variant variant,
                        std::span<const std::uint8_t, 4> descriptor, std::uint8_t DeviceAddress,
                        TLinkParams params) {
    return RunNoData(link, variant, BuildWritePanelCodeTableRequest(descriptor), DeviceAddress,
                     params);
}
int WritePanelCodeTable(TFkomunikacja& link, std::span<const std::uint8_t, 4> descriptor,
                        std::uint8_t DeviceAddress, TLinkParams params) {
    return WritePanelCodeTable(link, Variant::Direct, descriptor, DeviceAddress, params);
}
int WritePanelCodeTableSubmit(TFkomunikacja& link, std::span<const std::uint8_t, 4> descriptor,
                              std::uint8_t DeviceAddress, TLinkParams params) {
    return WritePanelCodeTable(link, Variant::Submit, descriptor, DeviceAddress, params);
}

} // namespace zyl
