// Writes pictures of the program windows for the documentation:
//   programwindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen: it then gives itself a screen of 1600 x 1200, on which
// the editor shows all 30 steps.

#include "core/AppContext.h"
#include "editors/programs/ProgramMycia.h"
#include "editors/programs/ulistaprojektow.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

using namespace zyl;

namespace {

const char* const ProcessNames[] = {"FILLING", "HEATING", "RINSE",    "MIXING",
                                    "VACUUM",  "COOLING", "DRAINING", "STEAM"};

const char* const ProgramNames[] = {"JAM 2 KG",  "JAM 5 KG", "TOMATO PASTE", "SOUP BASE",
                                    "BROTH",     "SAUCE",    "PUREE",        "CLEANING",
                                    "DESCALING", "TEST RUN"};

// A program of nine steps: fill, heat, mix under vacuum, cool and drain.
struct SampleStep {
    int process, hours, minutes, temperature, rotation, vacuum, vacuumPulse, onOff, weight, counter,
        work, pause;
};
const SampleStep Steps[] = {
    {1, 0, 5, 20, 0, 0, 0, 0, 120, 0, 0, 0},   {2, 0, 20, 85, 30, 0, 0, 0, 0, 0, 10, 5},
    {4, 0, 15, 95, 60, 0, 0, 1, 0, 0, 20, 10}, {5, 0, 30, 70, 40, 65, 15, 0, 0, 0, 30, 10},
    {2, 1, 0, 105, 40, 0, 0, 0, 0, 0, 0, 0},   {4, 0, 10, 105, 80, 0, 0, 1, 0, 12, 15, 5},
    {6, 0, 25, 40, 20, 0, 0, 0, 0, 0, 0, 0},   {3, 0, 5, 30, 0, 0, 0, -5, 0, 0, 0, 0},
    {7, 0, 3, 0, 0, 0, 0, 0, -999, 0, 0, 0},
};

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir screenDir;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screenDir.isValid()) {
        QFile screen(screenDir.filePath(QStringLiteral("screen.json")));
        if (screen.open(QIODevice::WriteOnly)) {
            screen.write(R"({"screens":[{"name":"docs","x":0,"y":0,"width":1600,"height":1200,)"
                         R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
            screen.close();
            qputenv("QT_QPA_PLATFORM",
                    "offscreen:configfile=" + QFile::encodeName(screen.fileName()));
        }
    }
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("programwindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    TProjectImage& image = ctx->project.image;
    NumberProjectRecords(image);
    for (std::size_t i = 0; i < std::size(ProcessNames); ++i)
        image.Processes[i].Name.SetText(ProcessNames[i]);
    for (std::size_t i = 0; i < std::size(ProgramNames); ++i)
        image.Programs[i].Name.SetText(ProgramNames[i]);
    TProgramRecord& program = image.Programs[0];
    for (std::size_t k = 0; k < std::size(Steps); ++k) {
        const SampleStep& s = Steps[k];
        TStepRecord& step = program.Steps[k];
        step.ProcessNumber = s.process;
        step.Hours = s.hours;
        step.Minutes = s.minutes;
        step.Temperature = s.temperature;
        step.Rotation = s.rotation;
        step.Vacuum = s.vacuum;
        step.VacuumPulse = s.vacuumPulse;
        step.OnOffPulse = s.onOff;
        step.Weight = s.weight;
        step.Counter = s.counter;
        step.WorkTime = std::uint16_t(s.work);
        step.PauseTime = std::uint16_t(s.pause);
    }

    Tflistaprojektow list(*ctx);
    list.Grid()->selectRow(0);
    test::SaveShot(list, dir, "program-list.png");

    TFProgramMycia editor(*ctx, program);
    // Step 4's temperature being typed over.
    const QModelIndex typed = editor.Grid()->model()->index(3, 4);
    editor.Grid()->setCurrentIndex(typed);
    editor.show();
    editor.Grid()->edit(typed);
    test::SaveShot(editor, dir, "program-editor.png");
    return 0;
}
