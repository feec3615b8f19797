#include "link/CommandCatalogue.h"

#include "link/Frame.h"

namespace zyl {

namespace {

template <std::size_t N>
void Append(std::vector<std::uint8_t>& out, const std::array<std::uint8_t, N>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

InnerRequest Request(const CommandDescriptor& command, std::vector<std::uint8_t> payload = {}) {
    return {&command, std::move(payload), command.replyLength};
}

InnerRequest NumberOnly(const CommandDescriptor& command, int number) {
    std::vector<std::uint8_t> payload;
    AppendU8(payload, number);
    return Request(command, std::move(payload));
}

// A number byte followed by one item per record.
template <class Record, std::size_t N, class Encode>
InnerRequest Items(const CommandDescriptor& command, int number, std::span<const Record, N> records,
                   Encode encode) {
    std::vector<std::uint8_t> payload;
    AppendU8(payload, number);
    for (const Record& record : records) Append(payload, encode(record));
    return Request(command, std::move(payload));
}

} // namespace

std::vector<std::uint8_t> BuildRequestFrame(const InnerRequest& request, Variant variant,
                                            std::uint8_t address) {
    switch (variant) {
    case Variant::Direct:
    case Variant::Submit:
        return BuildFrame(address,
                          variant == Variant::Direct ? FrameKind::Direct : FrameKind::ModuleSubmit,
                          request.command->letter, request.command->code, request.payload);
    case Variant::Collect:
        break;
    }
    return BuildFrame(address, FrameKind::ModuleCollect);
}

std::size_t ExpectedReplyLength(const InnerRequest& request, Variant variant) {
    return variant == Variant::Submit ? ModuleReplyLength : request.replyLength;
}

InnerRequest BuildReadSetupParametersRequest() {
    return Request(cmd::ReadSetupParameters);
}

InnerRequest BuildWriteSetupParametersRequest(const TSetupBlock& setup) {
    std::vector<std::uint8_t> payload{0x00, 0x00};
    for (int i = 1; i <= 100; ++i) AppendU16(payload, setup.Words[i]);
    return Request(cmd::WriteSetupParameters, std::move(payload));
}

InnerRequest BuildReadPasswordsRequest() {
    return Request(cmd::ReadPasswords);
}

InnerRequest BuildWritePasswordsRequest(const TPasswordBlock& passwords) {
    std::vector<std::uint8_t> payload;
    for (int slot = 0; slot < 37; ++slot) {
        const std::size_t length = passwords.Slots[slot].Size();
        for (std::size_t i = 0; i < 6; ++i)
            AppendU8(payload,
                     i < length ? static_cast<std::uint8_t>(passwords.Slots[slot].Chars[i]) : 0);
    }
    return Request(cmd::WritePasswords, std::move(payload));
}

InnerRequest BuildReadSpecialStatusesRequest() {
    return Request(cmd::ReadSpecialStatuses);
}

InnerRequest BuildWriteSpecialStatusesRequest(std::span<const TSpecialStatusRecord, 6> records) {
    std::vector<std::uint8_t> payload;
    for (const TSpecialStatusRecord& record : records)
        Append(payload, EncodeSpecialStatusItem(record));
    return Request(cmd::WriteSpecialStatuses, std::move(payload));
}

InnerRequest BuildWriteSpecialStatusRequest(const TSpecialStatusRecord& record, int index) {
    return Items(cmd::WriteSpecialStatus, index,
                 std::span<const TSpecialStatusRecord, 1>(&record, 1), EncodeSpecialStatusItem);
}

InnerRequest BuildReadRelayGroupRequest(int group) {
    return NumberOnly(cmd::ReadRelayGroup, group);
}

InnerRequest BuildWriteRelayGroupRequest(std::span<const TRelayRecord, 6> records, int group,
                                         int codePage) {
    return Items(cmd::WriteRelayGroup, group, records,
                 [codePage](const TRelayRecord& r) { return EncodeRelayItem(r, codePage); });
}

InnerRequest BuildReadAnalogOutputsRequest() {
    return NumberOnly(cmd::ReadAnalogOutputs, 0);
}

InnerRequest BuildWriteAnalogOutputsRequest(std::span<const TAnalogOutputRecord, 5> records,
                                            int codePage) {
    return Items(cmd::WriteAnalogOutputs, 0, records, [codePage](const TAnalogOutputRecord& r) {
        return EncodeAnalogOutputItem(r, codePage);
    });
}

InnerRequest BuildReadPidRegulatorsRequest() {
    return NumberOnly(cmd::ReadPidRegulators, 0);
}

InnerRequest BuildWritePidRegulatorsRequest(std::span<const TPidRecord, 5> records) {
    return Items(cmd::WritePidRegulators, 0, records, EncodePidItem);
}

InnerRequest BuildReadAlarmGroupRequest(int group) {
    return NumberOnly(cmd::ReadAlarmGroup, group);
}

InnerRequest BuildWriteAlarmGroupRequest(std::span<const TAlarmRecord, 12> records, int group,
                                         int codePage) {
    return Items(cmd::WriteAlarmGroup, group, records,
                 [codePage](const TAlarmRecord& r) { return EncodeAlarmItem(r, codePage); });
}

InnerRequest BuildWriteAlarmRequest(const TAlarmRecord& record, int index, int codePage) {
    return Items(cmd::WriteAlarm, index, std::span<const TAlarmRecord, 1>(&record, 1),
                 [codePage](const TAlarmRecord& r) { return EncodeAlarmItem(r, codePage); });
}

InnerRequest BuildReadProcessGroupRequest(int group, bool washing) {
    return NumberOnly(washing ? cmd::ReadWashingProcessGroup : cmd::ReadProcessGroup, group);
}

InnerRequest BuildWriteProcessGroupRequest(std::span<const TProcessRecord, 8> records, int group,
                                           bool washing, int codePage) {
    return Items(washing ? cmd::WriteWashingProcessGroup : cmd::WriteProcessGroup, group, records,
                 [codePage](const TProcessRecord& r) { return EncodeProcessItem(r, codePage); });
}

InnerRequest BuildWriteProcessRequest(const TProcessRecord& record, int index, bool washing,
                                      int codePage) {
    return Items(washing ? cmd::WriteWashingProcess : cmd::WriteProcess, index,
                 std::span<const TProcessRecord, 1>(&record, 1),
                 [codePage](const TProcessRecord& r) { return EncodeProcessItem(r, codePage); });
}

InnerRequest BuildReadProcessParametersRequest(bool washing) {
    return NumberOnly(cmd::ReadProcessParameters, washing ? 1 : 0);
}

InnerRequest BuildWriteProcessParametersRequest(std::span<const TProcessRecord, 16> records,
                                                bool washing) {
    return Items(cmd::WriteProcessParameters, washing ? 1 : 0, records,
                 EncodeProcessParametersItem);
}

InnerRequest BuildWriteProcessStepParametersRequest(const TProcessRecord& record, int index,
                                                    bool washing) {
    return Items(cmd::WriteProcessStepParameters, washing ? index + 100 : index,
                 std::span<const TProcessRecord, 1>(&record, 1), EncodeProcessParametersItem);
}

InnerRequest BuildReadProgramRequest(int part, int programIndex, int blockCount) {
    const ProgramPartLayout layout = ProgramLayoutFor(blockCount);
    std::vector<std::uint8_t> payload;
    AppendU8(payload, part);
    AppendU8(payload, programIndex);
    InnerRequest request = Request(cmd::ReadProgram, std::move(payload));
    request.replyLength += static_cast<std::size_t>(layout.stepsPerPart) * layout.stepSize;
    return request;
}

InnerRequest BuildWriteProgramRequest(const TProgramRecord& program, int part, int blockCount,
                                      int codePage) {
    return Request(cmd::WriteProgram, EncodeProgramPart(program, part, blockCount, codePage));
}

InnerRequest BuildResetControllerRequest(Variant variant) {
    if (variant == Variant::Submit) return Request(cmd::ResetControllerSubmit, {0x00, 0x00});
    return Request(cmd::ResetController);
}

InnerRequest BuildSetControllerClockRequest(const ClockTime& time) {
    std::vector<std::uint8_t> payload;
    Append(payload, EncodeClock(time));
    return Request(cmd::SetControllerClock, std::move(payload));
}

InnerRequest BuildReadPanelInfoRequest() {
    return Request(cmd::ReadPanelInfo);
}

InnerRequest BuildReadPanelPageRequest(int page, PanelBlock block) {
    std::vector<std::uint8_t> payload;
    Append(payload, EncodePanelPageAddress(page));
    return Request(block == PanelBlock::User ? cmd::ReadUserPanelPage
                                             : cmd::ReadPredefinedPanelPage,
                   std::move(payload));
}

InnerRequest BuildWritePanelPageRequest(std::string_view data, int page) {
    std::vector<std::uint8_t> payload;
    Append(payload, EncodePanelPageAddress(page));
    const std::string bytes = PanelPageData(data);
    payload.insert(payload.end(), bytes.begin(), bytes.end());
    return Request(cmd::WritePanelPage, std::move(payload));
}

InnerRequest BuildWritePanelCodeTableRequest(std::span<const std::uint8_t, 4> descriptor) {
    return Request(cmd::WritePanelCodeTable,
                   std::vector<std::uint8_t>(descriptor.begin(), descriptor.end()));
}

} // namespace zyl
