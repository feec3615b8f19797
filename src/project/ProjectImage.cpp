#include "project/ProjectImage.h"

namespace zyl {

void SetWashingProgramNumber(TProjectImage& image) {
    image.WashingProgram.Number = 101;
}

void SetWashingProgramName(TProjectImage& image) {
    image.WashingProgram.Name.SetText("WASHING");
}

namespace {
template <class Record> void NumberByPosition(std::span<Record> records) {
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].Number = static_cast<std::int32_t>(i + 1);
}
} // namespace

void NumberRelays(std::span<TRelayRecord, RelayCount> relays) {
    NumberByPosition<TRelayRecord>(relays);
}
void NumberProcesses(std::span<TProcessRecord, ProcessCount> processes) {
    NumberByPosition<TProcessRecord>(processes);
}
void NumberAlarms(std::span<TAlarmRecord, AlarmCount> alarms) {
    NumberByPosition<TAlarmRecord>(alarms);
}
void NumberSpecialStatuses(std::span<TSpecialStatusRecord, SpecialStatusCount> statuses) {
    NumberByPosition<TSpecialStatusRecord>(statuses);
}

void NumberPrograms(std::span<TProgramRecord, ProgramCount> programs) {
    NumberByPosition<TProgramRecord>(programs);
}

void NumberProjectRecords(TProjectImage& image) {
    SetWashingProgramName(image);
    NumberRelays(image.Relays);
    NumberSpecialStatuses(image.SpecialStatuses);
    NumberAlarms(image.Alarms);
    NumberProcesses(image.Processes);
    NumberProcesses(image.WashingProcesses);
    SetWashingProgramNumber(image);
    // Program 100 keeps the number it has.
    for (int i = 0; i < ProgramCount - 1; ++i) image.Programs[i].Number = i + 1;
}

void SetFixedSpecialStatusNames(std::span<TSpecialStatusRecord, SpecialStatusCount> statuses) {
    static constexpr const char* Names[SpecialStatusCount] = {"Stop mode", "Pause mode", "F1",
                                                              "F2",        "F3",         "F4"};
    for (int i = 0; i < SpecialStatusCount; ++i) statuses[std::size_t(i)].Name.SetText(Names[i]);
}

void SetFixedSpecialStatusNames(TProjectImage& image) {
    SetFixedSpecialStatusNames(image.SpecialStatuses);
}

} // namespace zyl
