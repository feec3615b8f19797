// Draws the "Find controllers" dialog after a scan of a bus of three controllers:
//   findcontrollers_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "app/FindControllers.h"
#include "support/FakeBus.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QTableWidget>

#include <memory>

using namespace zyl;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("findcontrollers_screenshots");
    if (!folder) return 2;

    test::FakeSerialPort port;
    test::FakeBus bus;
    bus.controllers = {{1, 19200, 501}, {5, 19200, 501}, {17, 9600, 500}};
    bus.Attach(port);
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    ctx->settings.ports[1] = "/dev/ttyUSB0";
    ctx->access.moduleMode = true;

    FindControllersDialog dialog(*ctx);
    dialog.show();
    dialog.StartScan();
    dialog.List()->selectRow(1);
    test::SaveShot(dialog, *folder, "find-controllers.png");
    return 0;
}
