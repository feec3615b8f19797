// Writes pictures of the passwords and readouts windows for the documentation:
//   servicewindows_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen. The controller is a scripted one that answers the
// setup read (program version 501); the readouts window is then given two minutes of a
// warming machine, one status every two seconds.

#include "core/AppContext.h"
#include "link/Frame.h"
#include "service/PasswordsWindow.h"
#include "service/ReadoutsWindow.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>

#include <array>
#include <cmath>
#include <memory>

using namespace zyl;

namespace {

// The direct answer to the setup read: words 0 to 99, word 99 the program version.
std::vector<std::uint8_t> SetupReply(std::uint8_t address) {
    std::vector<std::uint8_t> reply = {address, 'F', 0x08, 0x00, 211, 'F', 0x0A, 0x00, 204};
    for (int w = 0; w < 100; ++w) {
        const int value = w == 99 ? 501 : w == 2 ? 1 : 0;
        reply.push_back(std::uint8_t(value >> 8));
        reply.push_back(std::uint8_t(value & 0xFF));
    }
    AppendChecksum(reply);
    return reply;
}

void Put16(std::array<std::uint8_t, 64>& r, std::size_t at, double value) {
    const auto raw = std::uint16_t(std::int16_t(std::lround(value * 10)));
    r[at] = std::uint8_t(raw >> 8);
    r[at + 1] = std::uint8_t(raw & 0xFF);
}

// Second t of a machine heating its bath and spinning up.
TControllerStatus StatusAt(int t) {
    std::array<std::uint8_t, 64> r{};
    r[0] = 1;
    r[1] = 'F';
    r[4] = 64;
    const int seconds = 9 * 3600 + 41 * 60 + 12 + t;
    r[5] = 25;
    r[6] = 6;
    r[7] = 3;
    r[8] = std::uint8_t(seconds / 3600);
    r[9] = std::uint8_t(seconds / 60 % 60);
    r[10] = std::uint8_t(seconds % 60);
    const double x = t / 120.0;
    Put16(r, 11, 20 + 40 * (1 - std::exp(-3 * x)));                      // temperature
    Put16(r, 32, t < 30 ? 1.5 * t : 45 + 10 * std::sin((t - 30) / 9.0)); // rotation
    Put16(r, 43, 12 + 2 * std::sin(t / 15.0));                           // channel 3
    Put16(r, 47, 4.5);                                                   // channel 4
    Put16(r, 45, 30 - 8 * x);                                            // channel 5
    Put16(r, 49, -5 + 3 * x);                                            // channel 6
    r[15] = 200;                                                         // no vacuum gauge
    r[17] = 0x12;
    r[18] = 0x34;
    r[19] = 0x12;
    r[20] = 0x20;
    r[61] = 1;
    return DecodeControllerStatus(r);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("servicewindows_screenshots");
    if (!folder) return 2;
    const QDir& dir = *folder;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    ctx->settings.tuning.timeoutStand = 10;
    ctx->link.SetTuning(ctx->settings.tuning);
    port.respond = [](const std::vector<std::uint8_t>& request) {
        if (request.size() >= 7 && request[1] == 'F' && request[2] == 0x08 && request[5] == 'F' &&
            request[6] == 0x0A)
            return SetupReply(request[0]);
        return std::vector<std::uint8_t>{};
    };

    {
        TPasswordBlock& passwords = ctx->project.passwords;
        const std::array<const char*, 8> typed = {"123456", "  4711", "SERV01", "SERV02",
                                                  "WASH1",  "  0000", "",       "ANNA01"};
        for (std::size_t i = 0; i < typed.size(); ++i) passwords.Slots[i].SetText(typed[i]);
        passwords.Slots[8].SetText("BOB123");
        passwords.Slots[9].SetText("CAROL7");
        PasswordsWindow window(*ctx);
        window.Table()->setCurrentCell(1, 1);
        test::SaveShot(window, dir, "passwords.png");
    }

    {
        ReadoutsWindow window(*ctx);
        window.SetPollInterval(3'600'000); // the pictures' values come from StatusAt only
        window.show();
        QElapsedTimer wait;
        wait.start();
        while (window.VersionLabel()->text() == "Program version" && wait.elapsed() < 3000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        for (int t = 0; t <= 120; t += 2) window.ShowStatus(StatusAt(t), t);
        window.DatePicker()->setDate(QDate(2025, 6, 3));
        window.TimePicker()->setTime(QTime(9, 45, 0));
        window.SendButton()->setFocus();
        test::SaveShot(window, dir, "readouts.png");
        window.reject();
    }
    return 0;
}
