#include "transfer/ProjectCompare.h"

#include "editors/BlockTransfer.h"
#include "link/CommandCatalogue.h"
#include "link/CommandEncoding.h"
#include "project/RecordFields.h"

#include <algorithm>
#include <memory>
#include <span>

namespace zyl {

namespace {

// A block of groups: each group's write payload decoded as its read reply.
template <class Record, std::size_t K, class Build, class Decode>
void GroupsReadBack(std::span<const Record> sent, std::span<Record> out, Build build,
                    Decode decode) {
    const int groups = int((out.size() + K - 1) / K);
    for (int p = 0; p < groups; ++p) {
        const std::array<Record, K> packet = PacketToSend<Record, K>(sent, p);
        const InnerRequest request = build(std::span<const Record, K>(packet), p);
        std::array<Record, K> got{};
        decode(std::span<const std::uint8_t>(request.payload), std::span<Record, K>(got), p);
        LandPacket<Record, K>(got, out, p);
    }
}

// A program read starts from a cleared record (its first part clears it), so what does not
// travel (work and pause times in two parts, reserved bytes) comes back as zero.
void ProgramReadBack(const TProgramRecord& sent, TProgramRecord& out, int parts, int codePage) {
    out = TProgramRecord{};
    for (int part = 0; part < parts; ++part) {
        const std::vector<std::uint8_t> data = EncodeProgramPart(sent, part, parts, codePage);
        DecodeProgramPart(data, out, part, parts, codePage);
    }
}

} // namespace

void ProjectAsReadBack(const Project& project, Project& out, int parts, int codePage) {
    // What the write sends: the project with every block numbered.
    const auto sent = std::make_unique<Project>(project);
    TProjectImage& s = sent->image;
    NumberRelays(s.Relays);
    NumberProcesses(s.Processes);
    NumberProcesses(s.WashingProcesses);
    NumberAlarms(s.Alarms);
    NumberSpecialStatuses(s.SpecialStatuses);
    NumberPrograms(s.Programs);
    SetWashingProgramNumber(s);

    // What a read lands: fields no read touches stay as the project holds them.
    out = project;
    TProjectImage& o = out.image;

    DecodeSetupParameters(BuildWriteSetupParametersRequest(s.Setup).payload, o.Setup);

    GroupsReadBack<TRelayRecord, 6>(
        s.Relays, o.Relays,
        [&](std::span<const TRelayRecord, 6> packet, int p) {
            return BuildWriteRelayGroupRequest(packet, p, codePage);
        },
        [&](std::span<const std::uint8_t> data, std::span<TRelayRecord, 6> got, int p) {
            DecodeRelayGroup(data, got, p, codePage);
        });

    for (const bool washing : {false, true}) {
        const auto table = std::span<const TProcessRecord, ProcessCount>(
            washing ? s.WashingProcesses : s.Processes);
        const auto landed =
            std::span<TProcessRecord, ProcessCount>(washing ? o.WashingProcesses : o.Processes);
        GroupsReadBack<TProcessRecord, 8>(
            table, landed,
            [&](std::span<const TProcessRecord, 8> packet, int p) {
                return BuildWriteProcessGroupRequest(packet, p, washing, codePage);
            },
            [&](std::span<const std::uint8_t> data, std::span<TProcessRecord, 8> got, int p) {
                DecodeProcessGroup(data, got, p, codePage);
            });
        DecodeProcessParameters(BuildWriteProcessParametersRequest(table, washing).payload, landed);
    }

    GroupsReadBack<TAlarmRecord, 12>(
        s.Alarms, o.Alarms,
        [&](std::span<const TAlarmRecord, 12> packet, int p) {
            return BuildWriteAlarmGroupRequest(packet, p, codePage);
        },
        [&](std::span<const std::uint8_t> data, std::span<TAlarmRecord, 12> got, int p) {
            DecodeAlarmGroup(data, got, p, codePage);
        });

    {
        std::array<TSpecialStatusRecord, SpecialStatusCount> six{};
        DecodeSpecialStatuses(BuildWriteSpecialStatusesRequest(s.SpecialStatuses).payload, six);
        std::copy(six.begin(), six.end(), std::begin(o.SpecialStatuses));
        SetFixedSpecialStatusNames(o);
    }

    for (int n = 0; n < ProgramCount - 1; ++n)
        ProgramReadBack(s.Programs[n], o.Programs[n], parts, codePage);
    ProgramReadBack(s.WashingProgram, o.WashingProgram, parts, codePage);
    SetWashingProgramName(o);

    {
        std::array<TAnalogOutputRecord, AnalogOutputCount> outputs{};
        DecodeAnalogOutputs(BuildWriteAnalogOutputsRequest(s.AnalogOutputs, codePage).payload,
                            outputs, codePage);
        std::copy(outputs.begin(), outputs.end(), std::begin(o.AnalogOutputs));
    }
    {
        std::array<TPidRecord, PidCount> regulators{};
        DecodePidRegulators(BuildWritePidRegulatorsRequest(sent->pid).payload, regulators);
        std::copy(regulators.begin(), regulators.end(), std::begin(out.pid));
    }
}

} // namespace zyl

namespace zyl {

namespace {

template <class Record>
void CompareEach(std::span<const Record> expected, std::span<const Record> read,
                 const std::string& label, bool numbered, CompareMode mode, int pcCodePage,
                 std::vector<FieldDifferenceRow>& out) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string record = numbered ? label + " " + std::to_string(i + 1) : label;
        for (const FieldDifference& d : CompareRecords(expected[i], read[i], {mode, false}))
            out.push_back(ShownDifference(record, d, pcCodePage));
    }
}

template <class Record, std::size_t N>
void CompareEach(const Record (&expected)[N], const Record (&read)[N], const std::string& label,
                 int pcCodePage, std::vector<FieldDifferenceRow>& out) {
    CompareEach<Record>(expected, read, label, true, CompareMode::ComparedFields, pcCodePage, out);
}

} // namespace

std::vector<FieldDifferenceRow> CompareProjectBlock(ProjectBlock block, const Project& expected,
                                                    const Project& read, int pcCodePage) {
    const TProjectImage& e = expected.image;
    const TProjectImage& r = read.image;
    std::vector<FieldDifferenceRow> out;
    switch (block) {
    case ProjectBlock::Setup:
        CompareEach<TSetupBlock>({&e.Setup, 1}, {&r.Setup, 1}, "Setup", false,
                                 CompareMode::ComparedFields, pcCodePage, out);
        break;
    case ProjectBlock::Relays:
        CompareEach(e.Relays, r.Relays, "Relay", pcCodePage, out);
        break;
    case ProjectBlock::Processes:
        CompareEach(e.Processes, r.Processes, "Process", pcCodePage, out);
        break;
    case ProjectBlock::WashingProcesses:
        CompareEach(e.WashingProcesses, r.WashingProcesses, "WASHING process", pcCodePage, out);
        break;
    case ProjectBlock::Alarms:
        CompareEach(e.Alarms, r.Alarms, "Alarm", pcCodePage, out);
        break;
    case ProjectBlock::SpecialStatuses:
        CompareEach(e.SpecialStatuses, r.SpecialStatuses, "Special status", pcCodePage, out);
        break;
    case ProjectBlock::Programs:
        // Program 100 is neither sent nor read: it compares equal.
        CompareEach(e.Programs, r.Programs, "Program", pcCodePage, out);
        break;
    case ProjectBlock::WashingProgram:
        CompareEach<TProgramRecord>({&e.WashingProgram, 1}, {&r.WashingProgram, 1},
                                    "Program WASHING", false, CompareMode::EveryByte, pcCodePage,
                                    out);
        break;
    case ProjectBlock::AnalogOutputs:
        CompareEach(e.AnalogOutputs, r.AnalogOutputs, "Analog output", pcCodePage, out);
        break;
    case ProjectBlock::Pid:
        CompareEach(expected.pid, read.pid, "PID", pcCodePage, out);
        break;
    }
    return out;
}

} // namespace zyl
