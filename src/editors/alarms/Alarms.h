#pragma once

// The alarm block: the editor's rules, the ".alz" and ".a1z" files and the transfers of the
// 21 alarms and of single alarms. The windows call these and show what they return.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "editors/BlockTransfer.h"
#include "project/Records.h"
#include "project/ValueLists.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zyl {

inline constexpr int AlarmDelayMax = 65000; // seconds, as the editor takes them
inline constexpr int AlarmMessageTypingLimit = 14;

// What the editor holds. A list without a selection has index -1.
struct AlarmEditorValues {
    std::string message; // PC code page bytes, as typed
    int delay = 0;
    int statusIndex = -1;
    int logicIndex = -1;
    std::array<std::uint8_t, RelayCount> relays{};
};

[[nodiscard]] AlarmEditorValues AlarmEditorValuesFor(const TAlarmRecord& record);
// Takes the editor's values into the record: the message folded and cut to 30 characters;
// a list without a selection keeps the stored value (a value outside the list can come from
// the controller or a file).
void ApplyAlarmEditor(const AlarmEditorValues& values, TAlarmRecord& record);

// The list's row: "No", "Name", "Delay time", "Alarm status", "Relay logics".
[[nodiscard]] std::array<std::string, 5> AlarmRow(int row, const TAlarmRecord& record);

inline constexpr const char* AlarmListFileFilter = "ZYL|*.alz";
inline constexpr const char* AlarmListFileExtension = "alz";
inline constexpr const char* AlarmFileFilter = "ZYL|*.a1z";
inline constexpr const char* AlarmFileExtension = "a1z";

// 21 alarms in two packets of 12; the second carries alarms 13 to 21 and three copies of
// alarm 1. A read's panel wait that ends not ready says "No communication", a write's not.
inline constexpr BlockTransferRules AlarmTransferRules{12, 2, true, false, false};
inline constexpr int AlarmGroupSize = 12;

// Reads the 21 alarms straight into the block.
Outcome ReadAlarmsFromController(ControllerAccess& access,
                                 std::span<TAlarmRecord, AlarmCount> alarms);
// Numbers the alarms 1 to 21, writes them, then sets the reset-pending flag and offers the
// reset, whatever the outcome.
Outcome WriteAlarmsToController(ControllerAccess& access,
                                std::span<TAlarmRecord, AlarmCount> alarms);

// The editor's transfers of the alarm numbered record.Number (1 to 21). The read replaces the
// record only when it succeeded; the write sends it as it stands, then sets the reset-pending
// flag and offers the reset. Both hide the progress window when they end.
Outcome ReadAlarmFromController(ControllerAccess& access, TAlarmRecord& record);
Outcome WriteAlarmToController(ControllerAccess& access, const TAlarmRecord& record);

} // namespace zyl
