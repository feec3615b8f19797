// Draws the main window's pictures for the documentation: the window with a project open and
// a passed connection test, the device list of the port open, and a connection test against a
// device that is not there.

#include "app/main.h"
#include "core/AppContext.h"
#include "link/Frame.h"
#include "link/QtSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace zyl;

namespace {

const char* const Adapter = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

// Adapters as a service laptop shows them.
std::vector<FoundPort> SamplePorts() {
    FoundPort ftdi;
    ftdi.device = "/dev/ttyUSB0";
    ftdi.stableName = Adapter;
    ftdi.description = "FT232R USB UART";
    ftdi.manufacturer = "FTDI";
    ftdi.vendorId = 0x0403;
    ftdi.productId = 0x6001;
    FoundPort ch340;
    ch340.device = "/dev/ttyUSB1";
    ch340.stableName = "/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0";
    ch340.description = "USB Serial";
    ch340.vendorId = 0x1a86;
    ch340.productId = 0x7523;
    return {ftdi, ch340};
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One run of the window in a folder of its own.
struct Scene {
    explicit Scene(SerialPort& port, const QByteArray& settings) {
        qputenv("ZYL_HOME", QFile::encodeName(home.path()));
        WriteFile(home.filePath("ustawienia.ini"), settings);
        WriteFile(home.filePath("default.zy2"),
                  QByteArray(static_cast<qsizetype>(sizeof(TProjectImage)), '\0'));
        context = std::make_unique<AppContext>(port, host);
        form = std::make_unique<TForm1>(*context);
        form->SetPortLister(SamplePorts);
        form->show();
        form->NewAction()->trigger();
        context->document.fileName = "/home/service/plants/line3.zy2";
        context->document.showFileName(context->document.fileName);
        form->resize(form->sizeHint());
        QApplication::processEvents();
    }
    QTemporaryDir home;
    test::RecordingHost host;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TForm1> form;
};

// The window with its open drop-down list drawn over it where the list appears.
void SaveWithPopup(TForm1& form, QComboBox& box, const QDir& dir, const char* file) {
    box.showPopup();
    QApplication::processEvents();
    QWidget* popup = box.view()->window();
    const QPixmap window = form.grab();
    const QPixmap list = popup->grab();
    const QPoint at = popup->mapToGlobal(QPoint(0, 0)) - form.mapToGlobal(QPoint(0, 0));
    const QRect all = QRect(QPoint(0, 0), window.size()).united(QRect(at, list.size()));
    QPixmap shot(all.size());
    shot.fill(Qt::white);
    QPainter painter(&shot);
    painter.drawPixmap(-all.topLeft(), window);
    painter.drawPixmap(at - all.topLeft(), list);
    painter.end();
    box.hidePopup();
    const QString path = dir.filePath(QString::fromLatin1(file));
    if (!shot.save(path)) QTextStream(stderr) << "cannot write " << path << "\n";
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto dir = test::ScreenshotFolder("mainwindow_screenshots");
    if (!dir) return 2;
    const QByteArray settings = QByteArray("[Parametry]\r\nJestModul=1\r\ntimeoutStand=50\r\n"
                                           "[Ports]\r\nCOM1=") +
                                Adapter + "\r\n";

    {
        test::FakeSerialPort port;
        Scene scene(port, settings);
        std::vector<std::uint8_t> status(62, 0);
        status[0] = 1;
        AppendChecksum(status);
        port.replies.push_back(status);
        scene.form->ConnectionButton()->click();
        test::SaveShot(*scene.form, *dir, "main-window.png");
        SaveWithPopup(*scene.form, *scene.form->DeviceBox(), *dir, "port-choice.png");
    }
    {
        // COM1 points at an adapter that is not plugged in.
        QtSerialPort port;
        Scene scene(port, "[Parametry]\r\nJestModul=0\r\ntimeoutStand=50\r\n"
                          "[Ports]\r\nCOM1=/dev/ttyUSB3\r\n");
        scene.form->ConnectionButton()->click();
        test::SaveShot(*scene.form, *dir, "connection-error.png");
    }
    return 0;
}
