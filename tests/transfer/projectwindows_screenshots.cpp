// Writes pictures of the project write and read windows after a run, and of the differing
// fields of the read's "Difference" row, for the documentation:
//   projectwindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen. The controller is a scripted one: the write leaves
// the alarms unanswered, the read compares a project read from it whose third relay was renamed
// since.

#include "core/AppContext.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"
#include "transfer/FieldDifferencesWindow.h"
#include "transfer/ProjectController.h"
#include "transfer/UProjektRSIn.h"
#include "transfer/UProjektRsOut.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QPushButton>

#include <memory>

using namespace zyl;
using zyl::test::Bytes;

namespace {

// Presses the button and returns once the run it starts has returned.
void RunFrom(ProjectRowsWindow& window, QPushButton* button) {
    QEventLoop loop;
    QObject::connect(&window, &ProjectRowsWindow::runEnded, &loop, &QEventLoop::quit);
    button->click();
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("projectwindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    ctx->settings.tuning.timeoutStand = 10;
    ctx->link.SetTuning(ctx->settings.tuning);

    test::ProjectController controller;
    controller.Attach(port);

    TProjectImage& image = ctx->project.image;
    NumberProjectRecords(image);
    SetFixedSpecialStatusNames(image);
    // The controller's program version, which a written setup block carries back to it.
    image.Setup.Words[99] = 501;
    for (int i = 0; i < RelayCount; ++i)
        image.Relays[i].Name.SetText("Relay " + std::to_string(i + 1));

    // The write: everything but the WASHING processes, the alarms unanswered.
    {
        controller.blocks.silent = [](const Bytes& req) {
            return req.size() > 7 && req[5] == 'G' && req[6] == test::ProjectController::AlarmCode;
        };
        TFProjektRsOut window(*ctx);
        window.SelectAllButton()->click();
        window.RowBox(ProjectBlock::WashingProcesses)->setChecked(false);
        window.show();
        RunFrom(window, window.StartButton());
        test::SaveShot(window, dir, "project-write.png");
    }

    // The read: a comparison of the whole project after the third relay was renamed.
    {
        controller.blocks.silent = nullptr;
        TFProjektRsOut write(*ctx);
        write.SelectAllButton()->click();
        RunFrom(write, write.StartButton());
        image.Relays[2].Name.SetText("Heater");
        image.Relays[2].TimeType = 2;
        image.Relays[2].RegulatorType = 6;
        image.Relays[2].MeasurementChannel = 1;
        image.Relays[2].Offset = 25;
        image.Relays[2].LowerHysteresis = -15;
        image.Relays[6].Name.SetText("Pump \xB3\xF3" "dzi"); // "Pump łódzi" in 1250

        TFProjektRSIn window(*ctx);
        window.SelectAllButton()->click();
        window.show();
        RunFrom(window, window.ComparisonButton());
        test::SaveShot(window, dir, "project-read.png");
        window.ShowDifferences(ProjectBlock::Relays);
        FieldDifferencesWindow* fields = window.findChild<FieldDifferencesWindow*>();
        if (!fields) return 1;
        test::SaveShot(*fields, dir, "field-differences.png");
    }
    return 0;
}
