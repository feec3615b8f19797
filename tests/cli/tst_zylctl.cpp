// zylctl against a pseudo-terminal held by the test, which answers as the controller.

#include "link/Frame.h"
#include "support/Pty.h"
#include "support/WireBytes.h"
#include "support/ZylctlProcess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace zyl;
using namespace zyl::test;

namespace {

// A status reply: mode at byte 22, panel-ready flag at byte 61.
Bytes StatusReply(int mode, bool ready) {
    Bytes r(62, 0);
    r[0] = 1;
    r[1] = 0x46;
    r[5] = 26;
    r[6] = 12;
    r[7] = 10;
    r[8] = 11;
    r[9] = 30;
    r[10] = 5;
    r[11] = 0x00;
    r[12] = 0xEB; // 23.5
    r[22] = std::uint8_t(mode);
    r[61] = ready ? 1 : 0;
    return WithChecksum(r);
}

Bytes Ack(int length, std::uint8_t letter = 0x46) {
    Bytes r(std::size_t(length - 2), 0);
    r[0] = 1;
    r[1] = letter;
    r[2] = 0x09;
    return WithChecksum(r);
}

// Reads whole request frames from the pty and answers each through the responder.
class Controller {
public:
    using Responder = std::function<Bytes(const Bytes&)>;
    explicit Controller(Responder r) : respond_(std::move(r)), thread_([this] { Run(); }) {}
    ~Controller() {
        stop_ = true;
        thread_.join();
    }
    std::string Path() const { return pty_.SlavePath(); }
    std::vector<Bytes> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void Run() {
        Bytes pending;
        while (!stop_) {
            const Bytes more = pty_.Read(512, 20);
            pending.insert(pending.end(), more.begin(), more.end());
            while (pending.size() >= 5) {
                const std::size_t length = std::size_t(pending[3]) << 8 | pending[4];
                if (length < 7 || length > 600) {
                    pending.clear();
                    break;
                }
                if (pending.size() < length) break;
                const Bytes frame(pending.begin(), pending.begin() + std::ptrdiff_t(length));
                pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(length));
                {
                    std::lock_guard lock(mutex_);
                    requests_.push_back(frame);
                }
                const Bytes reply = respond_(frame);
                if (!reply.empty()) pty_.Write(reply);
            }
        }
    }

    test::Pty pty_;
    Responder respond_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Bytes> requests_;
    std::thread thread_;
};

} // namespace

class TestZylctl : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

    QStringList Link(const Controller& c, bool module) {
        return {"--port", QString::fromStdString(c.Path()), "--timeout", "100",
                module ? "--module" : "--direct"};
    }

private slots:
    void initTestCase() {
        QVERIFY(!qEnvironmentVariable("ZYLCTL").isEmpty());
        QVERIFY(home_.isValid());
    }

    void pingDirectAsksThePanelInfo() {
        Controller c([](const Bytes&) {
            Bytes r(15, 0);
            r[0] = 1;
            r[1] = 0x46;
            return WithChecksum(r);
        });
        const auto r = Zylctl(home_.path(), Link(c, false) << "ping");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString("OK\n"));
        QCOMPARE(ToHex(c.Requests().at(0)),
                 ToHex(WithChecksum(FromHex("01 46 08 00 0B 44 20 00 04"))));
    }

    void pingModuleReadsTheStatus() {
        Controller c([](const Bytes&) { return StatusReply(0, false); });
        const auto r = Zylctl(home_.path(), Link(c, true) << "ping");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString("OK\n"));
        QCOMPARE(ToHex(c.Requests().at(0)), QString("01 46 00 00 07 4D 4A"));
    }

    void pingWithoutControllerTriesThreeTimes() {
        Controller c([](const Bytes&) { return Bytes(); });
        const auto r = Zylctl(home_.path(), Link(c, false) << "ping");
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString("ERR\n"));
        QCOMPARE(c.Requests().size(), std::size_t(3));
        // Three read timeouts of 17 + 100 ms and three 100 ms pauses.
        QVERIFY2(r.ms >= 3 * 117 + 300, qPrintable(QString::number(r.ms)));
    }

    void statusPrintsDecodedFields() {
        Controller c([](const Bytes&) { return StatusReply(2, true); });
        const auto r = Zylctl(home_.path(), Link(c, true) << "status");
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("date: 2026-12-10\n"), qPrintable(r.out));
        QVERIFY(r.out.contains("time: 11:30:05\n"));
        QVERIFY(r.out.contains("mode: 2 (RUN)\n"));
        QVERIFY(r.out.contains("panel-ready: 1\n"));
        QVERIFY(r.out.contains("temperature: 23.5\n"));
        QVERIFY(r.out.contains("channel-11: -300.0\n"));
    }

    void resetDirect() {
        Controller c([](const Bytes&) { return Ack(11); });
        const auto r = Zylctl(home_.path(), Link(c, false) << "reset");
        QCOMPARE(r.exitCode, 0);
        const auto req = c.Requests();
        QCOMPARE(req.size(), std::size_t(1));
        QCOMPARE(ToHex(req[0]), QString("01 46 08 00 0B 47 E6 00 04 5B FB"));
    }

    void resetModule_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("stopped") << 1 << 0;
        QTest::newRow("running") << 2 << 3;
    }
    void resetModule() {
        QFETCH(int, mode);
        QFETCH(int, exitCode);
        Controller c([mode](const Bytes& req) {
            return req[2] == 0x00 ? StatusReply(mode, false) : Ack(7, 0x47);
        });
        const auto r = Zylctl(home_.path(), Link(c, true) << "reset");
        QCOMPARE(r.exitCode, exitCode);
        const auto req = c.Requests();
        QCOMPARE(ToHex(req[0]), QString("01 46 00 00 07 4D 4A"));
        if (exitCode == 0) {
            QCOMPARE(req.size(), std::size_t(2));
            QCOMPARE(ToHex(req[1]),
                     ToHex(WithChecksum(FromHex("01 47 09 00 0D 47 E6 00 06 00 00"))));
        } else {
            QCOMPARE(req.size(), std::size_t(1));
            QVERIFY(r.err.contains("Controller must be in STOP mode"));
        }
    }

    void setClock_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void setClock() {
        QFETCH(bool, module);
        std::atomic<int> polls{0};
        Controller c([&polls](const Bytes& req) {
            if (req[1] == 0x47) return Ack(7, 0x47);                 // the submit
            if (req[2] == 0x00) return StatusReply(0, ++polls >= 2); // ready on the 2nd poll
            return Ack(11);                                          // the collect
        });
        const auto r = Zylctl(home_.path(), Link(c, module) << "set-clock"
                                                            << "2003-03-05T14:07");
        QCOMPARE(r.exitCode, 0);
        const auto req = c.Requests();
        QCOMPARE(ToHex(req[0]),
                 ToHex(WithChecksum(FromHex("01 47 09 00 11 47 06 00 0A 03 03 05 0E 07 00"))));
        if (module) {
            QCOMPARE(req.size(), std::size_t(4));
            QCOMPARE(ToHex(req[3]), QString("01 46 09 00 07 9D 48"));
        } else {
            QCOMPARE(req.size(), std::size_t(1));
        }
    }

    // Files that are not whole blocks, or not regular files, are refused before anything is
    // sent or read, with the file and the reason on stderr.
    void fileFailuresSayWhy_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("file"); // what stands at the file's place
        QTest::addColumn<QString>("message");
        QTest::newRow("relay file sent as setup") << "write"
                                                  << "setup"
                                                  << "relays"
                                                  << "%1 is 2944 bytes long, not the 202 bytes of "
                                                     "a setup block; nothing sent";
        QTest::newRow("relay file of 10 records")
            << "write"
            << "relays"
            << "ten"
            << "%1 is 920 bytes long, not the 2944 bytes of 32 "
               "relay records; nothing sent";
        QTest::newRow("endless device")
            << "write"
            << "relays"
            << "/dev/zero"
            << "cannot read /dev/zero: not a regular file; nothing sent";
        QTest::newRow("fifo with its writer open")
            << "write"
            << "relays"
            << "fifo"
            << "cannot read %1: not a regular file; nothing sent";
        QTest::newRow("read into a missing folder") << "read"
                                                    << "relays"
                                                    << "missing"
                                                    << "cannot write %1: No such file or directory";
        QTest::newRow("read into a directory") << "read"
                                               << "relays"
                                               << "directory"
                                               << "cannot write %1: Is a directory";
        QTest::newRow("read into a fifo") << "read"
                                          << "setup"
                                          << "fifo"
                                          << "cannot write %1: not a regular file";
    }
    void fileFailuresSayWhy() {
        QFETCH(QString, command);
        QFETCH(QString, block);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path = dir.filePath("x.blk");
        int writer = -1;
        if (file == "relays" || file == "ten") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(file == "ten" ? 920 : 2944, '\0'));
        } else if (file == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
            writer = ::open(QFile::encodeName(path), O_RDWR);
        } else if (file == "missing") {
            path = dir.filePath("missing/x.blk");
        } else if (file == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("x.blk"));
        } else {
            path = file;
        }
        Controller c([](const Bytes&) { return Ack(11); });
        const auto r = Zylctl(home_.path(), Link(c, false) << command << block << path);
        if (writer >= 0) ::close(writer);
        QCOMPARE(r.exitCode, 4);
        QCOMPARE(r.err, "zylctl: " + message.replace("%1", path) + "\n");
        QCOMPARE(c.Requests().size(), std::size_t(0));
        QVERIFY2(r.ms < 5000, qPrintable(QString::number(r.ms)));
        if (file == "fifo") QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    }

    // A module-mode write that fails part-way says so, and how far it got.
    void failedModuleWriteSaysHowFarItGot_data() {
        QTest::addColumn<int>("answeredGroups"); // groups the controller completes, then silence
        QTest::addColumn<bool>("panelReady");
        QTest::addColumn<QString>("err");
        QTest::newRow("panel never ready")
            << 6 << false
            << "Reset device? No\nNo communication\nthe panel did not report ready within 1 s\n"
               "0 of 6 relay groups written\n";
        QTest::newRow("controller gone after the first group")
            << 1 << true
            << "No communication\nno reply from address 1 at 9600 baud\n"
               "1 of 6 relay groups written\nReset device? No\n";
    }
    void failedModuleWriteSaysHowFarItGot() {
        QFETCH(int, answeredGroups);
        QFETCH(bool, panelReady);
        QFETCH(QString, err);
        QTemporaryDir home;
        {
            QFile ini(home.filePath("ustawienia.ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[Parametry]\r\nWaitForPanel=1\r\n");
        }
        const QString path = home.filePath("plant.rlz");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(2944, '\0'));
        }
        std::atomic<int> collects{0};
        Controller c([&](const Bytes& req) -> Bytes {
            if (collects >= answeredGroups) return {};
            if (req[1] == 0x47) return Ack(7, 0x47);               // the submit
            if (req[2] == 0x00) return StatusReply(0, panelReady); // STOP check and polls
            ++collects;                                            // the collect
            return Ack(11);
        });
        const auto r = Zylctl(home.path(), Link(c, true) << "write"
                                                         << "relays" << path);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, err);
    }

    // Ctrl+C in the middle of a long wait ends the command at once: the exchange is cut
    // short, no file is written, and the exit status says it was interrupted.
    void interruptEndsAWaitingRead() {
        Controller c([](const Bytes&) { return Bytes(); }); // silent
        QTemporaryDir dir;
        const QString file = dir.filePath("never.rlz");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZYL_HOME", home_.path());
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("ZYLCTL"),
                {"--port", QString::fromStdString(c.Path()), "--timeout", "5000", "--direct",
                 "read", "relays", file});
        QVERIFY(p.waitForStarted());
        QTest::qWait(500);
        QElapsedTimer timer;
        timer.start();
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(5000));
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains("zylctl: interrupted"));
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(c.Requests().size(), std::size_t(1)); // no further attempt after Ctrl+C
    }

    // One line per serial port the system offers: its device, a tab, its description (which
    // may be empty); nothing else on stdout. It needs no settings and no link.
    void portsListsDevices() {
        QTemporaryDir empty;
        const auto r = Zylctl(empty.path(), {"ports"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QVERIFY(r.out.isEmpty() || r.out.endsWith('\n'));
        static const QRegularExpression shape(QStringLiteral("^/dev/\\S+\t[^\t]*$"));
        for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));
        QVERIFY(QDir(empty.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList{"fly"};
        QTest::newRow("bad baud") << QStringList{"--baud", "1200", "ping"};
        QTest::newRow("bad address") << QStringList{"--address", "248", "ping"};
        QTest::newRow("bad clock") << QStringList{"set-clock", "yesterday"};
        QTest::newRow("unknown block") << QStringList{"read", "weather", "x"};
        QTest::newRow("unknown option") << QStringList{"--fast", "ping"};
        QTest::newRow("ports with an argument") << QStringList{"ports", "all"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        QCOMPARE(Zylctl(home_.path(), args).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestZylctl)
#include "tst_zylctl.moc"
