#pragma once

// A project with something in every block, for the report's tests and its pictures: named
// processes that the programs' steps use, a program of 30 steps, relays of every time and
// regulator type, alarms, special statuses, an analog output, two PID regulators, and setup
// parameters with value texts. Names use Polish letters (code page 1250).

#include "project/ProjectImage.h"

#include <memory>
#include <string>

namespace zyl::test {

inline std::unique_ptr<Project> FilledProject() {
    auto p = std::make_unique<Project>();
    TProjectImage& m = p->image;
    NumberProjectRecords(m);
    SetFixedSpecialStatusNames(m);
    m.Setup.Words[99] = 501;
    m.Setup.Words[1] = 3;
    m.Setup.Words[7] = 1;   // Fahrenheit
    m.Setup.Words[27] = -5; // -0.5
    m.Setup.Words[21] = 95;

    const char* processes[] = {"WATER IN", "HEATING", "WASHING", "DRAIN",
                               "SPIN \xA3\xD3"
                               "D\x8F"};
    for (int i = 0; i < 5; ++i) {
        m.Processes[i].Name.SetText(processes[i]);
        m.Processes[i].EndCondition = i;
        m.Processes[i].RelayStates[i] = 1;
        m.Processes[i].RelayStates[i + 7] = 1;
        m.Processes[i].StepPresets[0] = std::int16_t(10 * i);
    }
    m.WashingProcesses[0].Name.SetText("PRE-RINSE");
    m.WashingProcesses[0].RelayStates[31] = 1;

    TProgramRecord& cotton = m.Programs[0];
    cotton.Name.SetText("COTTON 60");
    const int steps[][4] = {
        {1, 0, 0, 4}, {2, 60, 0, 12}, {3, 60, 1, 5}, {4, 0, 0, 2}, {5, 0, 0, 7}};
    for (int s = 0; s < 5; ++s) {
        TStepRecord& step = cotton.Steps[s == 4 ? 6 : s]; // step 6 after an empty step 5
        step.ProcessNumber = steps[s][0];
        step.Temperature = steps[s][1];
        step.Hours = steps[s][2];
        step.Minutes = steps[s][3];
        step.Rotation = 40 + s;
    }
    TProgramRecord& wool = m.Programs[11];
    wool.Name.SetText("WOOL 30 \xB3\xB9"
                      "cznie");
    for (int s = 0; s < StepCount; ++s) {
        wool.Steps[s].ProcessNumber = 1 + s % 5;
        wool.Steps[s].Temperature = 30;
        wool.Steps[s].Minutes = 1 + s;
        wool.Steps[s].WorkTime = 12;
        wool.Steps[s].PauseTime = 3;
    }
    m.WashingProgram.Steps[0].ProcessNumber = 1;
    m.WashingProgram.Steps[0].Minutes = 3;

    for (int i = 0; i < RelayCount; ++i) {
        TRelayRecord& r = m.Relays[i];
        r.Name.SetText(i == 0 ? "PUMP" : i == 1 ? "HEATER" : "RELAY " + std::to_string(i + 1));
        r.TimeType = i % 6;
        r.TimeTa = i;
        r.TimeTb = 2 * i;
        r.RegulatorType = i % 7;
        r.MeasurementChannel = std::uint8_t(i % 5);
        r.Offset = 25;
        r.LowerHysteresis = -15;
        r.UpperHysteresis = 15;
    }

    m.Alarms[0].Message.SetText("DOOR OPEN");
    m.Alarms[0].AlarmStatus = 1;
    m.Alarms[0].DelayTime = 5;
    m.Alarms[0].RelayOutputs[0] = 1;
    m.Alarms[0].RelayOutputs[3] = 1;
    m.Alarms[1].Message.SetText("NO WATER");
    m.Alarms[1].AlarmStatus = 2;
    m.SpecialStatuses[0].SwitchOffTime = 30;
    m.SpecialStatuses[0].RelayOutputs[1] = 1;

    m.AnalogOutputs[0].Name.SetText("SPEED");
    m.AnalogOutputs[0].OutputType = 1;
    m.AnalogOutputs[0].MeasurementChannel = 1;
    m.AnalogOutputs[0].Value10V = 1200;
    m.AnalogOutputs[0].Gain = 1.5;

    p->pid[0].HeatingCooling = 1;
    p->pid[0].Gain = 2.5;
    p->pid[0].TimeTi = 30;
    p->pid[1].MeasurementChannel = 2;
    p->pid[1].Period = 0.25;
    p->passwords.Slots[0].SetText("SECRET1");
    return p;
}

} // namespace zyl::test
