#pragma once

#include "project/Records.h"

#include <span>

namespace zyl {

// The one project of a run: the image and its two side blocks.
struct Project {
    TProjectImage image{};
    TPidRecord pid[PidCount]{};
    TPasswordBlock passwords{};
};

// Each block's records numbered by their position, from 1: what every write of a block to
// the controller does first.
void NumberRelays(std::span<TRelayRecord, RelayCount> relays);
void NumberProcesses(std::span<TProcessRecord, ProcessCount> processes);
void NumberAlarms(std::span<TAlarmRecord, AlarmCount> alarms);
void NumberSpecialStatuses(std::span<TSpecialStatusRecord, SpecialStatusCount> statuses);
// Programs 1 to 100 (the WASHING program keeps its 101).
void NumberPrograms(std::span<TProgramRecord, ProgramCount> programs);

// Record numbers and the washing program's name, written once at start-up.
void NumberProjectRecords(TProjectImage& image);
// The six fixed special-status names (length byte and characters only).
void SetFixedSpecialStatusNames(TProjectImage& image);
void SetFixedSpecialStatusNames(std::span<TSpecialStatusRecord, SpecialStatusCount> statuses);
// The washing program's number 101.
void SetWashingProgramNumber(TProjectImage& image);
// The washing program's name "WASHING" (its length byte and seven letters).
void SetWashingProgramName(TProjectImage& image);

} // namespace zyl
