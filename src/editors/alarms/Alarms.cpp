#include "editors/alarms/Alarms.h"

#include "project/ValueLists.h"
#include "editors/RecordTransfer.h"
#include "editors/TextRules.h"
#include "project/ProjectImage.h"

#include <algorithm>

namespace zyl {

namespace {

int IndexIn(std::int32_t value, std::size_t listSize) {
    return value >= 0 && std::size_t(value) < listSize ? int(value) : -1;
}

int GroupCommand(ControllerAccess& access, Variant v, std::span<TAlarmRecord> packet, int group) {
    return ReadAlarmGroup(access.link, v,
                          std::span<TAlarmRecord, AlarmGroupSize>(packet.data(), AlarmGroupSize),
                          group, access.DeviceAddress, access.linkParams);
}

} // namespace

AlarmEditorValues AlarmEditorValuesFor(const TAlarmRecord& r) {
    AlarmEditorValues v;
    v.message = r.Message.Text();
    v.delay = r.DelayTime;
    v.statusIndex = IndexIn(r.AlarmStatus, AlarmStatusList.size());
    v.logicIndex = IndexIn(r.RelayLogic, RelayLogicList.size());
    std::copy(std::begin(r.RelayOutputs), std::end(r.RelayOutputs), v.relays.begin());
    return v;
}

void ApplyAlarmEditor(const AlarmEditorValues& v, TAlarmRecord& r) {
    if (v.statusIndex >= 0) r.AlarmStatus = v.statusIndex;
    if (v.logicIndex >= 0) r.RelayLogic = v.logicIndex;
    r.DelayTime = v.delay;
    r.Message.SetText(FoldDiacritics(v.message).substr(0, 30));
    for (std::size_t k = 0; k < v.relays.size(); ++k) r.RelayOutputs[k] = v.relays[k] ? 1 : 0;
}

std::array<std::string, 5> AlarmRow(int row, const TAlarmRecord& r) {
    return {std::to_string(row), r.Message.Text(), std::to_string(r.DelayTime),
            std::to_string(r.AlarmStatus), std::to_string(r.RelayLogic)};
}

Outcome ReadAlarmsFromController(ControllerAccess& access,
                                 std::span<TAlarmRecord, AlarmCount> alarms) {
    return ReadBlock<TAlarmRecord>(access, alarms, AlarmTransferRules,
                                   [&access](Variant v, std::span<TAlarmRecord> packet, int p) {
                                       return GroupCommand(access, v, packet, p);
                                   });
}

Outcome WriteAlarmsToController(ControllerAccess& access,
                                std::span<TAlarmRecord, AlarmCount> alarms) {
    NumberAlarms(alarms);
    const Outcome outcome = WriteBlock<TAlarmRecord>(
        access, alarms, AlarmTransferRules,
        [&access](Variant v, std::span<TAlarmRecord> packet, int p) {
            return WriteAlarmGroup(
                access.link, v,
                std::span<const TAlarmRecord, AlarmGroupSize>(packet.data(), AlarmGroupSize), p,
                access.DeviceAddress, access.linkParams);
        });
    access.OfferResetAfterWrite();
    return outcome;
}

Outcome ReadAlarmFromController(ControllerAccess& access, TAlarmRecord& record) {
    access.ReadLinkSettings();
    access.host.ClearCancel();
    const int number = std::clamp<int>(record.Number, 1, AlarmCount);
    const Outcome outcome = ReadRecordOfPacket<TAlarmRecord, AlarmGroupSize>(
        access, number, record,
        [&access](Variant v, std::span<TAlarmRecord, AlarmGroupSize> packet, int p) {
            return GroupCommand(access, v, packet, p);
        });
    access.host.HideProgress();
    return outcome;
}

Outcome WriteAlarmToController(ControllerAccess& access, const TAlarmRecord& record) {
    const int index = std::clamp<int>(record.Number, 1, AlarmCount) - 1;
    return WriteRecordAndOfferReset(access, [&](Variant v) {
        return WriteAlarm(access.link, v, record, index, access.DeviceAddress, access.linkParams);
    });
}

} // namespace zyl
