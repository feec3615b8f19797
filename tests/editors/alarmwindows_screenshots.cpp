// Writes pictures of the alarm and special-status windows for the documentation:
//   alarmwindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "core/AppContext.h"
#include "editors/alarms/AlarmEditor.h"
#include "editors/alarms/AlarmList.h"
#include "editors/statuses/SpecialStatusEditor.h"
#include "editors/statuses/SpecialStatusList.h"
#include "project/ProjectImage.h"
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
    const char* message;
    int delay, status, logic;
    std::initializer_list<int> relays;
};

constexpr const char* RelayNames[] = {"Heater 1",   "Heater 2", "Cooling valve",
                                      "Drain pump", "Agitator", "Vacuum pump",
                                      "Dosing",     "Steam",    "Alarm horn"};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("alarmwindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    TProjectImage& image = ctx->project.image;
    for (int i = 0; i < RelayCount; ++i)
        image.Relays[i].Name.SetText(
            i < int(std::size(RelayNames)) ? RelayNames[i] : "Relay " + std::to_string(i + 1));
    const Sample samples[] = {
        {"Overtemperature", 5, 1, 0, {1, 2, 9}}, {"Door open", 0, 1, 2, {4, 5}},
        {"Low vacuum", 30, 2, 1, {9}},           {"Water level", 10, 2, 0, {}},
        {"Motor overload", 2, 1, 0, {5, 9}},
    };
    for (int i = 0; i < AlarmCount; ++i) {
        TAlarmRecord& a = image.Alarms[i];
        a.Number = i + 1;
        if (i < int(std::size(samples))) {
            const Sample& s = samples[i];
            a.Message.SetText(s.message);
            a.DelayTime = s.delay;
            a.AlarmStatus = s.status;
            a.RelayLogic = s.logic;
            for (int r : s.relays) a.RelayOutputs[r - 1] = 1;
        }
    }

    AlarmListWindow list(*ctx);
    list.Grid()->selectRow(0);
    test::SaveShot(list, dir, "alarm-list.png");

    AlarmEditor editor(*ctx, image.Alarms[0]);
    test::SaveShot(editor, dir, "alarm-editor.png");

    NumberProjectRecords(image);
    SetFixedSpecialStatusNames(image);
    const int times[SpecialStatusCount] = {0, 30, 600, -1, 65000, 5};
    for (int i = 0; i < SpecialStatusCount; ++i) {
        image.SpecialStatuses[i].SwitchOffTime = times[i];
        image.SpecialStatuses[i].RelayLogic = i % 3;
        image.SpecialStatuses[i].RelayOutputs[i + 1] = 1;
    }
    image.SpecialStatuses[0].RelayOutputs[8] = 1;
    SpecialStatusListWindow statusList(*ctx);
    statusList.Grid()->selectRow(0);
    test::SaveShot(statusList, dir, "status-list.png");
    SpecialStatusEditor statusEditor(*ctx, image.SpecialStatuses[0]);
    test::SaveShot(statusEditor, dir, "status-editor.png");
    return 0;
}
