#include "editors/processes/Processes.h"

#include "editors/RecordTransfer.h"
#include "editors/TextRules.h"
#include "editors/relays/Relays.h"
#include "project/ProjectImage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace zyl {

namespace {

using StepPresets = std::array<std::int16_t, StepPresetCount>;

StepPresets PresetsOf(const TProcessRecord& record) {
    StepPresets presets;
    std::memcpy(presets.data(), record.StepPresets, sizeof record.StepPresets);
    return presets;
}

void SetPresets(TProcessRecord& record, const StepPresets& presets) {
    std::memcpy(record.StepPresets, presets.data(), sizeof record.StepPresets);
}

// The process number of an editor's record; anything outside 1 to 16 is a program error.
int ProcessNumberOf(const TProcessRecord& record) {
    if (record.Number < 1 || record.Number > ProcessCount)
        throw std::out_of_range("process number " + std::to_string(record.Number) +
                                " is outside 1 to 16");
    return record.Number;
}

// The command that follows a table's group packets, sent while the progress window stays at
// its last packet: a direct request, or in module mode the STOP check (writes), submit, panel
// wait and collect.
Outcome RunTableCommand(ControllerAccess& access, const std::function<int(Variant)>& send,
                        bool write, CommandMessages messages) {
    Host& host = access.host;
    const int P = ProcessTransferRules.P;
    host.ShowProgress(P, P, "");
    Outcome outcome;
    if (!access.moduleMode) {
        outcome = send(Variant::Direct) == LinkOk ? Outcome::Ok : access.Failed(messages.failure);
    } else if (write && access.ControllerRunning()) {
        host.ShowMessageBox(MsgStopMode);
        outcome = Outcome::NotStopped;
    } else {
        outcome = RunModuleSequence(access, send, messages);
    }
    host.HideProgress();
    return outcome;
}

} // namespace

std::span<TProcessRecord, ProcessCount> ProcessTable(TProjectImage& image, bool washing) {
    return washing ? std::span<TProcessRecord, ProcessCount>(image.WashingProcesses)
                   : std::span<TProcessRecord, ProcessCount>(image.Processes);
}

std::span<const TProcessRecord, ProcessCount> ProcessTable(const TProjectImage& image,
                                                           bool washing) {
    return washing ? std::span<const TProcessRecord, ProcessCount>(image.WashingProcesses)
                   : std::span<const TProcessRecord, ProcessCount>(image.Processes);
}

// --- editor rules --------------------------------------------------------------------------

ProcessEditorValues ProcessEditorValuesFor(const TProcessRecord& r) {
    ProcessEditorValues v;
    v.name = r.Name.Text();
    v.endCondition =
        r.EndCondition >= 0 && r.EndCondition < int(EndConditionTexts.size()) ? r.EndCondition : -1;
    std::copy(std::begin(r.RelayStates), std::end(r.RelayStates), v.relayStates.begin());
    for (int i = 0; i < StepPresetCount; ++i)
        v.presets[std::size_t(i)] = std::to_string(r.StepPresets[i]);
    return v;
}

std::int16_t StepPresetFromText(std::string_view text) {
    const auto low = static_cast<std::uint16_t>(WholeNumberFromText(text) & 0xFFFF);
    return static_cast<std::int16_t>(low);
}

void ApplyProcessEditor(const ProcessEditorValues& v, TProcessRecord& r) {
    r.Name.SetText(FoldDiacritics(v.name).substr(0, 30));
    if (v.endCondition >= 0) r.EndCondition = v.endCondition;
    for (std::size_t k = 0; k < v.relayStates.size(); ++k)
        r.RelayStates[k] = v.relayStates[k] != 0 ? 1 : 0;
    for (int i = 0; i < StepPresetCount; ++i)
        r.StepPresets[i] = StepPresetFromText(v.presets[std::size_t(i)]);
}

std::array<std::string, 2> ProcessRow(int row, const TProcessRecord& r) {
    return {std::to_string(row), r.Name.Text()};
}

// --- files ---------------------------------------------------------------------------------

BlockFileRead ReadProcessTableFile(const std::string& path, TProjectImage& image, bool washing) {
    return ReadBlockFile<TProcessRecord>(path, ProcessTable(image, washing));
}

FileStatus WriteProcessTableFile(const std::string& path, const TProjectImage& image,
                                 bool washing) {
    return WriteBlockFile<TProcessRecord>(path, ProcessTable(image, washing));
}

// --- transfers -----------------------------------------------------------------------------

ProcessTransferResult ReadProcessesFromController(ControllerAccess& access, TProjectImage& image,
                                                  bool washing) {
    const auto table = ProcessTable(image, washing);
    // The group read clears the step presets of every record it fills; they stay as they
    // were until the step presets themselves have been read.
    std::array<StepPresets, ProcessCount> kept;
    for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = PresetsOf(table[i]);

    ProcessTransferResult result;
    result.outcome = ReadBlock<TProcessRecord>(
        access, table, ProcessTransferRules,
        [&access, washing](Variant v, std::span<TProcessRecord> packet, int p) {
            return ReadProcessGroup(access.link, v, std::span<TProcessRecord, 8>(packet.data(), 8),
                                    p, washing, access.DeviceAddress, access.linkParams);
        });
    for (std::size_t i = 0; i < kept.size(); ++i) SetPresets(table[i], kept[i]);
    if (result.outcome != Outcome::Ok) return result;
    result.groupsDone = true;

    std::array<TProcessRecord, ProcessCount> presets{};
    result.outcome =
        RunTableCommand(access,
                        [&](Variant v) {
                            return ReadProcessParameters(access.link, v, presets, washing,
                                                         access.DeviceAddress, access.linkParams);
                        },
                        false, {true, true});
    if (result.outcome == Outcome::Ok)
        for (std::size_t i = 0; i < presets.size(); ++i)
            SetPresets(table[i], PresetsOf(presets[i]));
    return result;
}

ProcessTransferResult WriteProcessesToController(ControllerAccess& access, TProjectImage& image,
                                                 bool washing) {
    NumberProcesses(image.Processes);
    NumberProcesses(image.WashingProcesses);
    const auto table = ProcessTable(image, washing);

    ProcessTransferResult result;
    result.outcome = WriteBlock<TProcessRecord>(
        access, table, ProcessTransferRules,
        [&access, washing](Variant v, std::span<TProcessRecord> packet, int p) {
            return WriteProcessGroup(access.link, v,
                                     std::span<const TProcessRecord, 8>(packet.data(), 8), p,
                                     washing, access.DeviceAddress, access.linkParams);
        });
    if (result.outcome == Outcome::Ok) {
        result.groupsDone = true;
        result.outcome = RunTableCommand(access,
                                         [&](Variant v) {
                                             return WriteProcessParameters(
                                                 access.link, v, table, washing,
                                                 access.DeviceAddress, access.linkParams);
                                         },
                                         true, {false, false});
    }
    access.OfferResetAfterWrite();
    return result;
}

Outcome ReadProcessFromController(ControllerAccess& access, TProcessRecord& record, bool washing) {
    const int number = ProcessNumberOf(record);
    access.ReadLinkSettings();
    access.host.ClearCancel();
    TProcessRecord read = record;
    Outcome outcome = ReadRecordOfPacket<TProcessRecord, 8>(
        access, number, read,
        [&access, washing](Variant v, std::span<TProcessRecord, 8> packet, int p) {
            return ReadProcessGroup(access.link, v, packet, p, washing, access.DeviceAddress,
                                    access.linkParams);
        });
    if (outcome == Outcome::Ok) {
        std::array<TProcessRecord, ProcessCount> presets{};
        outcome = RunRecordCommand(
            access,
            [&](Variant v) {
                return ReadProcessParameters(access.link, v, presets, washing, access.DeviceAddress,
                                             access.linkParams);
            },
            false);
        if (outcome == Outcome::Ok) {
            SetPresets(read, PresetsOf(presets[std::size_t(number - 1)]));
            record = read;
        }
    }
    access.host.HideProgress();
    return outcome;
}

Outcome WriteProcessToController(ControllerAccess& access, const TProcessRecord& record,
                                 bool washing) {
    const int index = ProcessNumberOf(record) - 1;
    access.ReadLinkSettings();
    access.host.ClearCancel();
    Outcome outcome =
        RunRecordCommand(access,
                         [&](Variant v) {
                             return WriteProcess(access.link, v, record, index, washing,
                                                 access.DeviceAddress, access.linkParams);
                         },
                         true, {true, false});
    if (outcome == Outcome::Ok)
        outcome = RunRecordCommand(access,
                                   [&](Variant v) {
                                       return WriteProcessStepParameters(
                                           access.link, v, record, index, washing,
                                           access.DeviceAddress, access.linkParams);
                                   },
                                   true, {false, false});
    access.host.HideProgress();
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
