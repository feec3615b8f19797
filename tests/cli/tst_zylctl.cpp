// zylctl against a pseudo-terminal held by the test, which answers as the controller.

#include "link/Frame.h"
#include "project/Records.h"
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

// A PID read's reply: 00, five 23-byte items, then zeros; PID 1 heats or cools as asked.
Bytes PidReply(int heatingCooling) {
    Bytes r(255, 0);
    r[0] = 1;
    r[1] = 0x46;
    r[2] = 0x08;
    r[3] = 0x01;
    r[4] = 0x01; // 257 bytes
    r[5] = 0x46;
    r[6] = 0x38;
    r[7] = 0x00;
    r[8] = 0xFA; // 250
    r[10] = std::uint8_t(heatingCooling);
    return WithChecksum(r);
}

bool IsPidRead(const Bytes& request) {
    return request.size() > 6 && request[1] == 0x46 && request[6] == 0x38;
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A project file of zeros: a relay 1 named TEMPLATE when it is to serve as the template.
QByteArray ProjectFile(bool named) {
    QByteArray image(int(ProjectImageSize), '\0');
    if (named) {
        TRelayRecord relay{};
        relay.Name.SetText("TEMPLATE");
        image.replace(int(offsetof(TProjectImage, Relays)), int(sizeof relay),
                      QByteArray(reinterpret_cast<const char*>(&relay), int(sizeof relay)));
    }
    return image;
}

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

    // The project commands' shapes are checked before any file or the port is touched.
    void projectUsageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << QStringList{"read-project"}
                                 << "read-project needs a project FILE";
        QTest::newRow("two files") << QStringList{"write-project", "a.zy2", "b.zy2"}
                                   << "write-project takes one project FILE";
        QTest::newRow("unknown block")
            << QStringList{"read-project", "a.zy2", "--blocks", "relays,weather"}
            << "read-project --blocks: unknown block weather";
        QTest::newRow("a block of no project")
            << QStringList{"write-project", "a.zy2", "--blocks", "menu"}
            << "write-project --blocks: unknown block menu";
        QTest::newRow("empty name in the list")
            << QStringList{"read-project", "a.zy2", "--blocks", "setup,,pid"}
            << "read-project --blocks: an empty block name in \"setup,,pid\"";
        QTest::newRow("no list") << QStringList{"write-project", "a.zy2", "--blocks"}
                                 << "write-project --blocks needs a list of blocks";
        QTest::newRow("two lists")
            << QStringList{"read-project", "a.zy2", "--blocks", "pid", "--blocks", "setup"}
            << "read-project takes --blocks once";
        QTest::newRow("compare on a write") << QStringList{"write-project", "a.zy2", "--compare"}
                                            << "write-project does not take --compare";
        QTest::newRow("backup without a folder")
            << QStringList{"write-project", "a.zy2", "--verify", "--backup"}
            << "write-project --backup needs a folder";
        QTest::newRow("backup followed by an option")
            << QStringList{"write-project", "a.zy2", "--backup", "--verify"}
            << "write-project --backup needs a folder";
        QTest::newRow("two backup folders")
            << QStringList{"write-project", "a.zy2", "--backup", "b", "--backup", "c"}
            << "write-project takes --backup once";
        QTest::newRow("backup on a read") << QStringList{"read-project", "a.zy2", "--backup", "b"}
                                          << "read-project does not take --backup";
        QTest::newRow("verify on a read") << QStringList{"read-project", "a.zy2", "--verify"}
                                          << "read-project does not take --verify";
    }
    void projectUsageErrors() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QTemporaryDir dir;
        Controller c([](const Bytes&) { return Ack(11); });
        QStringList full = Link(c, false);
        for (const QString& a : args) full << (a.endsWith(".zy2") ? dir.filePath(a) : a);
        const auto r = Zylctl(home_.path(), full);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("zylctl: " + message), qPrintable(r.err));
        QCOMPARE(c.Requests().size(), std::size_t(0));
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // Project files that cannot be used are refused with the file and the reason before
    // anything is sent; a read refuses a target it could not save.
    void projectFileFailures_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("setUp"); // what stands at FILE's place
        QTest::addColumn<QString>("message");
        QTest::newRow("write of a missing file")
            << "write-project"
            << "missing"
            << "cannot read %1: No such file or directory; nothing sent";
        QTest::newRow("write of a short file")
            << "write-project"
            << "short"
            << "%1 is 1000 bytes long, too short for a project; nothing sent";
        QTest::newRow("write with a short PID side file")
            << "write-project"
            << "short pid"
            << "%1pid is 100 bytes long, too short for five PID regulators; nothing sent";
        QTest::newRow("read into a missing folder")
            << "read-project"
            << "no folder"
            << "cannot write %1: No such file or directory; nothing read";
        QTest::newRow("read of a missing file without a template")
            << "read-project"
            << "missing"
            << "%1 does not exist and the template cannot make it: cannot read "
               "%h/default.zy2: No such file or directory; nothing read";
        QTest::newRow("read with a directory at the side file")
            << "read-project"
            << "side directory"
            << "cannot write %1h: Is a directory; nothing read";
    }
    void projectFileFailures() {
        QFETCH(QString, command);
        QFETCH(QString, setUp);
        QFETCH(QString, message);
        QTemporaryDir dir, home;
        QString file = dir.filePath("plant.zy2");
        if (setUp == "short") QVERIFY(WriteFile(file, QByteArray(1000, '\0')));
        if (setUp == "short pid" || setUp == "side directory")
            QVERIFY(WriteFile(file, ProjectFile(false)));
        if (setUp == "short pid") QVERIFY(WriteFile(file + "pid", QByteArray(100, '\0')));
        if (setUp == "side directory") QVERIFY(QDir(dir.path()).mkdir("plant.zy2h"));
        if (setUp == "no folder") file = dir.filePath("none/plant.zy2");
        const QByteArray before = ReadFile(file);
        Controller c([](const Bytes&) { return Ack(11); });
        const auto r = Zylctl(home.path(), Link(c, false) << command << file);
        QCOMPARE(r.exitCode, 4);
        QCOMPARE(r.err, "zylctl: " + message.replace("%1", file).replace("%h", home.path()) + "\n");
        QCOMPARE(c.Requests().size(), std::size_t(0));
        QCOMPARE(ReadFile(file), before);
    }

    // The exit status of a project run: a failed block (1) goes before a refusal in RUN mode
    // (3), which goes before a difference (5). The controller answers PID reads only (PID 1
    // heating or cooling), status reads with its mode (the first one may differ) and a panel
    // never ready, submits with their acknowledgement. A compare leaves every file as it was;
    // a failed block says why.
    void projectExitCodes_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("firstMode");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("heating"); // PID 1 as the controller has it; the project has 0
        QTest::addColumn<QString>("blocks");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("exitCode");
        const QStringList compare{"read-project", "--compare"}, write{"write-project"};
        const QString refused = "Refused (the controller is not in STOP mode)";
        QTest::newRow("same") << compare << false << 0 << 0 << 0 << "pid"
                              << "PID: OK\n"
                              << 0;
        QTest::newRow("different") << compare << false << 0 << 0 << 1 << "pid"
                                   << "PID: Difference\n"
                                   << 5;
        QTest::newRow("failed and different") << compare << false << 0 << 0 << 1 << "setup,pid"
                                              << "Setup: Error\nPID: Difference\n"
                                              << 1;
        QTest::newRow("refused in RUN") << write << true << 2 << 2 << 0 << "relays,alarms"
                                        << "Relays: " + refused + "\nAlarms: " + refused + "\n"
                                        << 3;
        QTest::newRow("failed and refused") << write << true << 0 << 2 << 0 << "relays,alarms"
                                            << "Relays: Error\nAlarms: " + refused + "\n"
                                            << 1;
    }
    void projectExitCodes() {
        QFETCH(QStringList, command);
        QFETCH(bool, module);
        QFETCH(int, firstMode);
        QFETCH(int, mode);
        QFETCH(int, heating);
        QFETCH(QString, blocks);
        QFETCH(QString, out);
        QFETCH(int, exitCode);
        QTemporaryDir dir, home;
        QVERIFY(WriteFile(home.filePath("ustawienia.ini"), "[Parametry]\r\nWaitForPanel=1\r\n"));
        const QString file = dir.filePath("plant.zy2");
        const QByteArray project = ProjectFile(false);
        QVERIFY(WriteFile(file, project));
        QVERIFY(WriteFile(file + "h", QByteArray(550, 'h')));
        QVERIFY(WriteFile(file + "pid", QByteArray(5 * 272, '\0')));
        std::atomic<int> statusReads{0};
        Controller c([&](const Bytes& req) -> Bytes {
            if (req[1] == 0x46 && req[2] == 0x00)
                return StatusReply(++statusReads == 1 ? firstMode : mode, false);
            if (req[1] == 0x47) return Ack(7, 0x47);
            if (IsPidRead(req)) return PidReply(heating);
            return {};
        });
        const auto r = Zylctl(home.path(), Link(c, module) << command[0] << file << command.mid(1)
                                                           << "--blocks" << blocks);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.out + r.err));
        // The block lines, then under a difference the field with both values.
        QStringList blockLines;
        for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
            if (!line.startsWith(' ')) blockLines << line;
        QCOMPARE(blockLines.join('\n') + '\n', out);
        if (out.contains("Difference"))
            QVERIFY2(r.out.contains(QRegularExpression(
                         "PID: Difference\n  PID 1, Heating/cooling: project 0 \\(0 - Heating\\), "
                         "controller 1 \\(1 - Cooling\\)\n")),
                     qPrintable(r.out));
        if (out.contains("Error")) {
            const QString failed = out.left(out.indexOf(':'));
            QVERIFY2(r.err.contains(QRegularExpression("zylctl: " + failed + ": \\S+")),
                     qPrintable(r.err));
        }
        if (command[0] == "read-project") {
            QCOMPARE(ReadFile(file), project);
            QCOMPARE(ReadFile(file + "h"), QByteArray(550, 'h'));
            QCOMPARE(ReadFile(file + "pid"), QByteArray(5 * 272, '\0'));
        } else {
            QCOMPARE(r.err.count("Controller must be in STOP mode"), out.count("Refused"));
            QVERIFY(r.err.contains("Reset device? No"));
        }
        if (exitCode == 3)
            for (const Bytes& req : c.Requests())
                QCOMPARE(ToHex(req), QString("01 46 00 00 07 4D 4A"));
    }

    // A read into a missing FILE makes the project from the template "default.zy2" in the
    // program's folder and saves it with its side files; a compare of a missing FILE writes
    // nothing.
    void readProjectMakesAMissingFileFromTheTemplate() {
        QTemporaryDir dir, home;
        QVERIFY(WriteFile(home.filePath("default.zy2"), ProjectFile(true)));
        Controller c([](const Bytes& req) { return IsPidRead(req) ? PidReply(1) : Bytes(); });

        const QString file = dir.filePath("new.zy2");
        const auto r = Zylctl(home.path(), Link(c, false) << "read-project" << file << "--blocks"
                                                          << "pid");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QString("PID: OK\n"));
        const QByteArray saved = ReadFile(file);
        QCOMPARE(saved.size(), qsizetype(ProjectImageSize));
        const int relays = int(offsetof(TProjectImage, Relays));
        QCOMPARE(saved.mid(relays, 2944), ProjectFile(true).mid(relays, 2944));
        QCOMPARE(ReadFile(file + "h"), QByteArray(550, '\0'));
        const QByteArray pid = ReadFile(file + "pid");
        QCOMPARE(pid.size(), qsizetype(5 * 272));
        QCOMPARE(int(pid[102]), 1); // PID 1 heats/cools as the controller has it

        const QString compared = dir.filePath("compared.zy2");
        const auto k =
            Zylctl(home.path(), Link(c, false) << "read-project" << compared << "--compare"
                                               << "--blocks"
                                               << "pid");
        QVERIFY2(k.exitCode == 5, qPrintable(k.out + k.err));
        QVERIFY(!QFileInfo::exists(compared));
        QVERIFY(!QFileInfo::exists(compared + "h"));
        QVERIFY(!QFileInfo::exists(compared + "pid"));
    }

    // Ctrl+C ends a project read at once: the block says so, nothing is saved, exit 130.
    void interruptEndsAProjectRead() {
        Controller c([](const Bytes&) { return Bytes(); }); // silent
        QTemporaryDir dir;
        const QString file = dir.filePath("plant.zy2");
        QVERIFY(WriteFile(file, ProjectFile(false)));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZYL_HOME", home_.path());
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("ZYLCTL"),
                {"--port", QString::fromStdString(c.Path()), "--timeout", "5000", "--direct",
                 "read-project", file, "--blocks", "relays,alarms"});
        QVERIFY(p.waitForStarted());
        QTest::qWait(500);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 130);
        QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()),
                 QString("Relays: Interrupted\n"));
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains("zylctl: interrupted"));
        QCOMPARE(ReadFile(file), ProjectFile(false));
        QVERIFY(!QFileInfo::exists(file + "h"));
        QCOMPARE(c.Requests().size(), std::size_t(1));
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
