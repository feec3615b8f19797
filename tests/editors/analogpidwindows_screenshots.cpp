// Writes pictures of the analog output and PID windows for the documentation:
//   analogpidwindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "core/AppContext.h"
#include "editors/analog/UkonfigWyjsc.h"
#include "editors/analog/Uwyjsciaanalogowe.h"
#include "editors/pid/UlistaPID.h"
#include "editors/pid/UustawPID.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTextStream>

#include <memory>

using namespace zyl;

namespace {

struct OutputSample {
    const char* name;
    int type, channel, setValue, pid;
    int value0V, value10V, stop, pause;
};

struct PidSample {
    int type, channel, setValue;
    double sample, gain, ti, td, period;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("analogpidwindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    Project& project = ctx->project;
    const OutputSample outputs[] = {
        {"Heating valve", 2, 0, 0, 0, 0, 1000, 0, 0},
        {"Agitator speed", 1, 1, 1, 1, 0, 3000, 0, 150},
        {"Vacuum pump", 1, 2, 2, 2, 200, 9999, 0, 0},
        {"Cooling valve", 2, 0, 0, 1, 0, 1000, 0, 0},
        {"Spare", 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (int i = 0; i < AnalogOutputCount; ++i) {
        const OutputSample& s = outputs[i];
        TAnalogOutputRecord& r = project.image.AnalogOutputs[i];
        r.Name.SetText(s.name);
        r.OutputType = std::int16_t(s.type);
        r.MeasurementChannel = std::int16_t(s.channel);
        r.SetValueSource = std::int16_t(s.setValue);
        r.PidNumber = std::uint8_t(s.pid);
        r.Value0V = s.value0V;
        r.Value10V = s.value10V;
        r.StopSetValue = s.stop;
        r.PauseSetValue = s.pause;
        r.SpecialSetValues[0] = 250;
    }
    const PidSample regulators[] = {
        {0, 0, 0, 2, 1.2, 120, 30, 10},   {0, 1, 1, 1, 0.8, 60, 0, 5},
        {1, 0, 14, 5, 2.5, 300, 60, 20},  {0, 5, 3, 1, 1, 0, 0, 1},
        {1, 2, 2, 10, 0.4, 600, 120, 30},
    };
    for (int i = 0; i < PidCount; ++i) {
        const PidSample& s = regulators[i];
        TPidRecord& r = project.pid[i];
        r.HeatingCooling = std::int16_t(s.type);
        r.MeasurementChannel = std::int16_t(s.channel);
        r.SetValueSource = std::int16_t(s.setValue);
        r.Sample = s.sample;
        r.Gain = s.gain;
        r.TimeTi = s.ti;
        r.TimeTd = s.td;
        r.Period = s.period;
    }

    TfListaWyjAnal analogList(*ctx);
    analogList.Grid()->selectRow(0);
    test::SaveShot(analogList, dir, "analog-list.png");
    TFkonfigwyjsc analogEditor(host, project.image.AnalogOutputs[0]);
    test::SaveShot(analogEditor, dir, "analog-editor.png");

    Tflistapid pidList(*ctx);
    pidList.Grid()->selectRow(0);
    test::SaveShot(pidList, dir, "pid-list.png");
    TFUstawPID pidEditor(host, project.pid[0]);
    test::SaveShot(pidEditor, dir, "pid-editor.png");
    return 0;
}
