#include "project/ProjectImage.h"

namespace zyl {

void SetWashingProgramNumber(TProjectImage& image) {
    image.WashingProgram.Number = 101;
}

void SetWashingProgramName(TProjectImage& image) {
    image.WashingProgram.Name.SetText("WASHING");
}

void NumberProjectRecords(TProjectImage& image) {
    SetWashingProgramName(image);
    for (int i = 0; i < RelayCount; ++i) image.Relays[i].Number = i + 1;
    for (int i = 0; i < SpecialStatusCount; ++i) image.SpecialStatuses[i].Number = i + 1;
    for (int i = 0; i < AlarmCount; ++i) image.Alarms[i].Number = i + 1;
    for (int i = 0; i < ProcessCount; ++i) {
        image.Processes[i].Number = i + 1;
        image.WashingProcesses[i].Number = i + 1;
    }
    SetWashingProgramNumber(image);
    // Program 100 keeps the number it has.
    for (int i = 0; i < ProgramCount - 1; ++i) image.Programs[i].Number = i + 1;
}

void SetFixedSpecialStatusNames(TProjectImage& image) {
    static constexpr const char* Names[SpecialStatusCount] = {"Stop mode", "Pause mode", "F1",
                                                              "F2",        "F3",         "F4"};
    for (int i = 0; i < SpecialStatusCount; ++i) image.SpecialStatuses[i].Name.SetText(Names[i]);
}

} // namespace zyl
