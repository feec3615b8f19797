// Writes pictures of the relay windows for the documentation:
//   relaywindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "core/AppContext.h"
#include "editors/relays/EditParPrzek.h"
#include "editors/relays/TypPrzekTable.h"
#include "editors/relays/TypReglerTable.h"
#include "editors/relays/Ulistaprzekaznikow.h"
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

struct Sample {
    const char* name;
    int timeType, ta, tb, regulatorType, channel, setValue, offset, window, lower, upper;
};

constexpr Sample Samples[] = {
    {"Heater 1", 1, 0, 0, 3, 0, 0, 0, 20, 10, 10},
    {"Heater 2", 2, 5, 0, 1, 0, 14, -15, 40, 0, 0},
    {"Cooling valve", 1, 0, 0, 4, 0, 15, 0, 0, 5, 5},
    {"Drain pump", 3, 30, 0, 0, 0, 0, 0, 0, 0, 0},
    {"Agitator", 4, 10, 20, 0, 0, 0, 0, 0, 0, 0},
    {"Vacuum pump", 1, 0, 0, 3, 2, 2, 0, 0, 12, 8},
    {"Dosing", 5, 3, 15, 5, 5, 3, 0, 0, 0, 0},
    {"Steam", 1, 0, 0, 6, 1, 14, 0, 0, 0, 0},
    {"Alarm horn", 4, 1, 1, 0, 0, 0, 0, 0, 0, 0},
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("relaywindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    TRelayRecord* relays = ctx->project.image.Relays;
    for (int i = 0; i < RelayCount; ++i) {
        TRelayRecord& r = relays[i];
        r.Number = i + 1;
        r.Name.SetText("Relay " + std::to_string(i + 1));
    }
    for (std::size_t i = 0; i < std::size(Samples); ++i) {
        const Sample& s = Samples[i];
        TRelayRecord& r = relays[i];
        r.Name.SetText(s.name);
        r.TimeType = s.timeType;
        r.TimeTa = s.ta;
        r.TimeTb = s.tb;
        r.RegulatorType = s.regulatorType;
        r.MeasurementChannel = std::uint8_t(s.channel);
        r.SetValueSource = std::uint8_t(s.setValue);
        r.Offset = s.offset;
        r.RegulatorWindow = s.window;
        r.LowerHysteresis = s.lower;
        r.UpperHysteresis = s.upper;
    }

    Tflistaprzekaznikow list(*ctx);
    list.Grid()->selectRow(1);
    list.resize(list.FitColumns());
    test::SaveShot(list, dir, "relay-list.png");

    TFEditParPrzek editor(host, relays[0]);
    test::SaveShot(editor, dir, "relay-editor.png");

    TFTypPrzekTable timePicker(5);
    test::SaveShot(timePicker, dir, "time-type-picker.png");

    TFTypReglerTable regulatorPicker(3);
    test::SaveShot(regulatorPicker, dir, "regulator-type-picker.png");
    return 0;
}
