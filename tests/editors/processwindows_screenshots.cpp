// Writes pictures of the process windows for the documentation:
//   processwindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "core/AppContext.h"
#include "editors/processes/StanPrzekaznikow.h"
#include "editors/processes/Ulistakrokow.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTextStream>

#include <initializer_list>
#include <memory>

using namespace zyl;

namespace {

struct Sample {
    const char* name;
    int endCondition;
    std::initializer_list<int> relaysOn;
    std::int16_t presets[5];
};

const Sample Samples[] = {
    {"Filling", 0, {1, 5}, {30, 0, 0, 0, 0}},
    {"Heating", 4, {2, 3, 17}, {600, 850, 0, 0, 0}},
    {"Mixing", 0, {3, 9}, {900, 0, 120, 0, 0}},
    {"Vacuum drying", 6, {3, 6, 7, 20}, {1800, 0, 0, -650, 0}},
    {"Cooling", 13, {4, 9}, {1200, 400, 0, 0, 0}},
    {"Draining", 21, {8}, {120, 0, 0, 0, 0}},
    {"Rinsing", 0, {1, 8, 9}, {300, 0, 60, 0, 0}},
    {"Steam", 7, {10, 11}, {450, 1050, 0, 0, 0}},
};

const char* RelayNames[] = {"Water valve", "Heater 1",    "Agitator",  "Cooling valve",
                            "Dosing pump", "Vacuum pump", "Condenser", "Drain pump",
                            "Circulation", "Steam valve", "Heater 2"};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("processwindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    TProjectImage& image = ctx->project.image;
    NumberProjectRecords(image);
    for (int i = 0; i < RelayCount; ++i)
        image.Relays[i].Name.SetText(i < int(std::size(RelayNames))
                                         ? std::string(RelayNames[i])
                                         : "Relay " + std::to_string(i + 1));
    for (std::size_t i = 0; i < std::size(Samples); ++i) {
        const Sample& s = Samples[i];
        TProcessRecord& p = image.Processes[i];
        p.Name.SetText(s.name);
        p.EndCondition = s.endCondition;
        for (int relay : s.relaysOn) p.RelayStates[relay - 1] = 1;
        std::copy(std::begin(s.presets), std::end(s.presets), p.StepPresets);
    }

    TfListakrokow list(*ctx, false);
    list.Grid()->selectRow(1);
    test::SaveShot(list, dir, "process-list.png");

    TFStanPrzekaznikow editor(*ctx, image.Processes[1], false);
    test::SaveShot(editor, dir, "process-editor.png");
    return 0;
}
