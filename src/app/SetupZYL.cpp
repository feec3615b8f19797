// The program entry: the log switch, the shared run state, the main window and the progress
// window, then the message loop until the main window closes.

#include "app/Dialogs.h"
#include "app/GuiHost.h"
#include "app/main.h"
#include "core/AppContext.h"
#include "core/Paths.h"
#include "link/QtSerialPort.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <memory>

int main(int argc, char** argv) {
    // Checked before the toolkit sees the command line.
    const bool logOn = zyl::LogSwitchGiven(argc, argv);

    QApplication app(argc, argv);
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(style);
    app.setQuitOnLastWindowClosed(false);
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZYL_APP_ID));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZYL_APP_ID)));

    // The main window hands the port its [Ports] device names when it reads the settings on
    // first showing, and again whenever the user points a COM port at another device.
    zyl::QtSerialPort port;

    zyl::GuiHost host;
    auto context = std::make_unique<zyl::AppContext>(port, host);
    if (logOn) context->link.EnableLog(zyl::ProgramFolder());

    zyl::TForm1 form(*context);
    zyl::ProgressWindow progress;
    host.SetProgressWindow(&progress);
    QObject::connect(&form, &zyl::TForm1::closed, &app, &QApplication::quit);

    form.show();
    const int result = app.exec();
    host.SetProgressWindow(nullptr);
    context->link.Close();
    return result;
}
