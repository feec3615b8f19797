// Failures that say why, over the real serial backend: a port that cannot be opened names its
// reason, a failed exchange names what the replies showed, and a waiting exchange ends at
// once when it is cancelled, never hanging beyond its timeouts.

#include "E2eSupport.h"
#include "editors/relays/Relays.h"
#include "link/Commands.h"
#include "support/Pty.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace zyl;
using namespace zyl::test;

namespace {

// One status read on COM1 mapped to the device; the result and the cause it left.
std::pair<int, QString> StatusRead(SimLink& line) {
    TControllerStatus status{};
    const int result = ReadModuleStatus(line.link, status, SimAddress, Com1At19200);
    return {result, QString::fromStdString(line.link.FailureCause())};
}

} // namespace

class TestE2eCauses : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    // Devices that cannot be a controller's port.
    void portsThatCannotOpen_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause"); // %1: the device
        QTest::newRow("missing device") << "missing"
                                        << "the device COM1 (%1) does not exist";
        QTest::newRow("a folder") << "folder"
                                  << "COM1 (%1) is a folder, not a serial port";
        QTest::newRow("a regular file") << "file"
                                        << "COM1 (%1) is not a serial port";
        QTest::newRow("/dev/null") << "null"
                                   << "COM1 (%1) is not a serial port";
    }
    void portsThatCannotOpen() {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        QString device = dir.filePath("ttyX");
        if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir("ttyX"));
        if (kind == "file") {
            QFile f(device);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (kind == "null") device = "/dev/null";
        SimLink line(device.toStdString());
        QElapsedTimer timer;
        timer.start();
        const auto [result, text] = StatusRead(line);
        QCOMPARE(result, int(LinkPortError));
        QCOMPARE(text, cause.arg(device));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    }

    // A port another program holds.
    void portHeldByAnotherOpen() {
        ZYL_START_SIM(sim);
        SimLink first(sim.Device());
        QCOMPARE(StatusRead(first).first, int(LinkOk));
        SimLink second(sim.Device());
        const auto [result, text] = StatusRead(second);
        QCOMPARE(result, int(LinkPortError));
        QCOMPARE(text, "the port COM1 (" + sim.PtyPath() + ") is held by another program");
    }

    // What the replies showed.
    void replies_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("cause");
        QTest::newRow("silence") << "noreply" << int(LinkNoReply)
                                 << "no reply from address 1 at 19200 baud";
        QTest::newRow("bad checksum")
            << "badcrc" << int(LinkChecksumError)
            << "replies with a bad checksum (wrong baud rate or noise on the line)";
        QTest::newRow("another address")
            << "wrongaddr" << int(LinkWrongAddress) << "a reply from another address (2 answered)";
        QTest::newRow("a reply cut short")
            << "short" << int(LinkWrongLength)
            << "replies of the wrong length (63 bytes instead of 64)";
    }
    void replies() {
        QFETCH(QString, fault);
        QFETCH(int, result);
        QFETCH(QString, cause);
        ZYL_START_SIM(sim);
        QVERIFY(sim.Command("fault " + fault));
        SimLink line(sim.Device());
        const auto [got, text] = StatusRead(line);
        QCOMPARE(got, result);
        QCOMPARE(text, cause);
    }

    // A line that never stops sending (a stuck device, a wrong device): the read takes the
    // reply's length and ends with a result and a cause, never waiting for the stream's end.
    void endlessStream() {
        Pty pty;
        QVERIFY(pty.IsOpen());
        std::atomic<bool> stop{false};
        std::thread noise([&] {
            const std::vector<std::uint8_t> chunk(256, 0x55);
            while (!stop) pty.Write(chunk, 50);
        });
        SimLink line(pty.SlavePath());
        QElapsedTimer timer;
        timer.start();
        const auto [result, text] = StatusRead(line);
        const qint64 ms = timer.elapsed();
        stop = true;
        noise.join();
        QVERIFY(result == int(LinkChecksumError) || result == int(LinkWrongAddress));
        QVERIFY(!text.isEmpty());
        QVERIFY2(ms < 3000, qPrintable(QString::number(ms)));
    }

    // The controller vanishes in the middle of a relay read: the read ends with its result
    // and a cause, within the timeouts.
    void controllerGoneMidTransfer() {
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), false);
        bool gone = false;
        a.host.onEvents = [&](RecordingHost& h) {
            if (!gone && !h.progress.empty() && h.progress.back().position == 2) {
                gone = true;
                sim.Stop();
            }
        };
        std::array<TRelayRecord, RelayCount> relays{};
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(int(ReadRelaysFromController(a.access, relays)), int(Outcome::NoCommunication));
        QVERIFY(gone);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(a.host.messages, std::vector<std::string>{MsgNoCommunication});
        QVERIFY(!a.host.causes.back().empty());
    }

    // Cancel pressed while a read waits for a silent controller ends the exchange at once:
    // no further attempts, no message, the transfer ends as cancelled.
    void cancelEndsTheWait_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void cancelEndsTheWait() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        QVERIFY(sim.Command("fault noreply"));
        SimAccess a(sim.Device(), module, 5, 2000); // a long timeout to cut short
        QElapsedTimer timer;
        qint64 pressed = -1;
        a.host.onEvents = [&](RecordingHost& h) {
            if (pressed < 0 && timer.elapsed() >= 300) {
                pressed = timer.elapsed();
                h.cancel = true;
            }
        };
        std::array<TRelayRecord, RelayCount> relays{};
        timer.start();
        QCOMPARE(int(ReadRelaysFromController(a.access, relays)), int(Outcome::Cancelled));
        const qint64 ended = timer.elapsed();
        QVERIFY(pressed >= 0);
        QVERIFY2(ended - pressed < 300, qPrintable(QString("%1 ms").arg(ended - pressed)));
        QVERIFY(a.host.messages.empty());
        QCOMPARE(sim.Stats().value("frames"), 1); // no second attempt
    }
};

QTEST_GUILESS_MAIN(TestE2eCauses)
#include "tst_e2e_causes.moc"
