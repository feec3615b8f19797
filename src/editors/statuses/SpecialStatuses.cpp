#include "editors/statuses/SpecialStatuses.h"

#include "project/ValueLists.h"
#include "editors/RecordTransfer.h"
#include "editors/TextRules.h"
#include "project/ProjectImage.h"

#include <algorithm>

namespace zyl {

namespace {

using StatusBlock = std::array<TSpecialStatusRecord, SpecialStatusCount>;

// Reads the six statuses into a scratch block with the record editors' steps.
Outcome ReadAllSix(ControllerAccess& access, StatusBlock& six) {
    return RunRecordCommand(
        access,
        [&](Variant v) {
            return ReadSpecialStatuses(access.link, v, six, access.DeviceAddress,
                                       access.linkParams);
        },
        false);
}

} // namespace

SpecialStatusEditorValues SpecialStatusEditorValuesFor(const TSpecialStatusRecord& r) {
    SpecialStatusEditorValues v;
    v.name = r.Name.Text();
    v.switchOffTime = r.SwitchOffTime;
    v.logicIndex =
        r.RelayLogic >= 0 && std::size_t(r.RelayLogic) < RelayLogicList.size() ? r.RelayLogic : -1;
    std::copy(std::begin(r.RelayOutputs), std::end(r.RelayOutputs), v.relays.begin());
    return v;
}

void ApplySpecialStatusEditor(const SpecialStatusEditorValues& v, TSpecialStatusRecord& r) {
    r.SwitchOffTime = v.switchOffTime;
    if (v.logicIndex >= 0) r.RelayLogic = v.logicIndex;
    for (std::size_t k = 0; k < v.relays.size(); ++k) r.RelayOutputs[k] = v.relays[k] ? 1 : 0;
    r.Name.SetText(FoldDiacritics(v.name).substr(0, 50));
}

std::array<std::string, 4> SpecialStatusRow(int row, const TSpecialStatusRecord& r) {
    return {std::to_string(row), r.Name.Text(), std::to_string(r.SwitchOffTime),
            std::to_string(r.RelayLogic)};
}

Outcome
ReadSpecialStatusesFromController(ControllerAccess& access,
                                  std::span<TSpecialStatusRecord, SpecialStatusCount> block) {
    access.ReadLinkSettings();
    access.host.ClearCancel();
    StatusBlock six{};
    const Outcome outcome = ReadAllSix(access, six);
    if (outcome == Outcome::Ok) {
        std::copy(six.begin(), six.end(), block.begin());
        SetFixedSpecialStatusNames(block); // the controller holds no names
    }
    access.host.HideProgress();
    return outcome;
}

Outcome
WriteSpecialStatusesToController(ControllerAccess& access,
                                 std::span<TSpecialStatusRecord, SpecialStatusCount> block) {
    NumberSpecialStatuses(block);
    const Outcome outcome = WriteBlock<TSpecialStatusRecord>(
        access, block, SpecialStatusTransferRules,
        [&access](Variant v, std::span<TSpecialStatusRecord> packet, int) {
            return WriteSpecialStatuses(access.link, v,
                                        std::span<const TSpecialStatusRecord, SpecialStatusCount>(
                                            packet.data(), SpecialStatusCount),
                                        access.DeviceAddress, access.linkParams);
        });
    access.OfferResetAfterWrite();
    return outcome;
}

Outcome ReadSpecialStatusFromController(ControllerAccess& access, TSpecialStatusRecord& record) {
    access.ReadLinkSettings();
    access.host.ClearCancel();
    StatusBlock six{};
    const Outcome outcome = ReadAllSix(access, six);
    if (outcome == Outcome::Ok) {
        const auto name = record.Name;
        record = six[std::size_t(std::clamp<int>(record.Number, 1, SpecialStatusCount) - 1)];
        record.Name = name;
    }
    access.host.HideProgress();
    return outcome;
}

Outcome WriteSpecialStatusToController(ControllerAccess& access,
                                       const TSpecialStatusRecord& record) {
    const int index = std::clamp<int>(record.Number, 1, SpecialStatusCount) - 1;
    return WriteRecordAndOfferReset(access, [&](Variant v) {
        return WriteSpecialStatus(access.link, v, record, index, access.DeviceAddress,
                                  access.linkParams);
    });
}

} // namespace zyl
