// The simulator as a program: its pty, pacing, control channels, link and state file.

#include "SimSupport.h"

#include <QtTest>

#include <chrono>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// The simulator started by a test and stopped when the test ends.
class Sim {
public:
    explicit Sim(const QStringList& arguments) {
        process_.setProgram(qEnvironmentVariable("ZYL_SIM"));
        process_.setArguments(arguments);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(5000)) return;
        const auto deadline = Clock::now() + 5s;
        while (!process_.canReadLine() && Clock::now() < deadline) process_.waitForReadyRead(100);
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~Sim() {
        if (fd_ >= 0) ::close(fd_);
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) process_.kill();
            process_.waitForFinished(1000);
        }
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    [[nodiscard]] const QString& Path() const { return path_; }
    QProcess& Process() { return process_; }
    // Opens the line and leaves it as it finds it, as a program that never sets its port.
    bool OpenUnset() {
        fd_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd_ >= 0;
    }

    // Opens the line as the PC's serial port would: raw, at the rate, 8 data bits, no parity
    // and the stop bits given.
    bool Open(const QString& path, speed_t speed = B19200, int stopBits = 2) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return false;
        return Set(speed, stopBits);
    }
    bool Open(speed_t speed = B19200, int stopBits = 2) { return Open(path_, speed, stopBits); }
    // Sets the port anew, as a PC does when it reopens at another rate.
    bool Set(speed_t speed, int stopBits) {
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        t.c_cflag |= CREAD | CLOCAL;
        if (stopBits == 2)
            t.c_cflag |= CSTOPB;
        else
            t.c_cflag &= ~CSTOPB;
        cfsetspeed(&t, speed);
        return tcsetattr(fd_, TCSANOW, &t) == 0;
    }

    // Sends a request and reads up to n reply bytes; the time from the request to the last
    // byte read goes to elapsed.
    Bytes Exchange(const Bytes& request, std::size_t n, Clock::duration& elapsed,
                   Clock::duration timeout = 2s) {
        const auto start = Clock::now();
        if (::write(fd_, request.data(), request.size()) != ssize_t(request.size())) return {};
        Bytes reply;
        auto last = start;
        while (reply.size() < n && Clock::now() - start < timeout) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buffer[512];
            const ssize_t r = ::read(fd_, buffer, sizeof buffer);
            if (r > 0) {
                reply.insert(reply.end(), buffer, buffer + r);
                last = Clock::now();
            }
        }
        elapsed = last - start;
        return reply;
    }
    Bytes Exchange(const Bytes& request, std::size_t n) {
        Clock::duration ignored{};
        return Exchange(request, n, ignored);
    }

    // A control line over standard input; the answer up to its closing line.
    QStringList Control(const QByteArray& line) {
        process_.write(line + "\n");
        QStringList lines;
        const auto deadline = Clock::now() + 3s;
        while (Clock::now() < deadline) {
            while (process_.canReadLine()) {
                lines << QString::fromUtf8(process_.readLine()).trimmed();
                if (lines.back() == "ok" || lines.back().startsWith("error")) return lines;
            }
            process_.waitForReadyRead(50);
        }
        return lines;
    }

private:
    QProcess process_;
    QString path_;
    int fd_ = -1;
};

// One command over the control socket; the answer up to its closing line.
QStringList SocketControl(const QString& path, const QByteArray& line) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    std::memcpy(address.sun_path, p.constData(), size_t(p.size()) + 1);
    QStringList lines;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return lines;
    }
    const QByteArray request = line + "\n";
    [[maybe_unused]] const ssize_t w = ::write(fd, request.constData(), size_t(request.size()));
    QByteArray buffer;
    const auto deadline = Clock::now() + 3s;
    while (Clock::now() < deadline) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 50) <= 0) continue;
        char chunk[4096];
        const ssize_t r = ::read(fd, chunk, sizeof chunk);
        if (r <= 0) break;
        buffer.append(chunk, r);
        if (buffer.endsWith("ok\n") || buffer.contains("\nerror") || buffer.startsWith("error"))
            break;
    }
    ::close(fd);
    for (const QByteArray& l : buffer.split('\n'))
        if (!l.isEmpty()) lines << QString::fromUtf8(l);
    return lines;
}

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("ZYL_SIM"))
            QSKIP("ZYL_SIM must name the zyl200-sim executable");
    }

    void statusOverThePty_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("atLeastMs"); // 64 bytes of 11 bits at the line's speed
        QTest::newRow("19200 baud") << QStringList{} << 36;
        QTest::newRow("9600 baud") << QStringList{"--baud", "9600"} << 73;
        QTest::newRow("no pacing") << QStringList{"--no-pacing"} << 0;
        QTest::newRow("address 17") << QStringList{"--no-pacing", "--address", "17"} << 0;
    }
    void statusOverThePty() {
        QFETCH(QStringList, arguments);
        QFETCH(int, atLeastMs);
        Sim sim(arguments + QStringList{"--stdin-quit", "--quiet"});
        QVERIFY(sim.Path().startsWith("/dev/"));
        QVERIFY(sim.Open(arguments.contains("9600") ? B9600 : B19200));
        const int address = arguments.contains("--address") ? 17 : 1;
        Clock::duration elapsed{};
        const Bytes reply = sim.Exchange(StatusRequest(std::uint8_t(address)), 64, elapsed);
        QCOMPARE(reply.size(), 64u);
        QVERIFY(CrcOk(reply));
        QCOMPARE(int(reply[0]), address);
        QVERIFY2(elapsed >= std::chrono::milliseconds(atLeastMs),
                 qPrintable(
                     QString::number(std::chrono::duration<double, std::milli>(elapsed).count())));
        // Another controller's request stays unanswered.
        QVERIFY(sim.Exchange(StatusRequest(std::uint8_t(address + 1)), 64, elapsed, 200ms).empty());
    }

    void controlSocket() {
        QTemporaryDir dir;
        const QString control = dir.filePath("control");
        Sim sim({"--no-pacing", "--stdin-quit", "--control", control});
        QVERIFY(sim.Open());
        QCOMPARE(int(sim.Exchange(StatusRequest(1), 64)[22]), 0);
        QCOMPARE(SocketControl(control, "mode run"), QStringList{"ok"});
        QCOMPARE(int(sim.Exchange(StatusRequest(1), 64)[22]), 2);

        const Bytes group = Concat({{4}, Pattern(240, 0x2B)});
        QCOMPARE(sim.Exchange(Request(1, false, 'G', 0x0C, group), 11).size(), 11u);
        QCOMPARE(SocketControl(control, "dump relays/4"),
                 (QStringList{"relays/4 written " + HexText(group).remove(' '), "ok"}));
        QVERIFY(SocketControl(control, "stats").contains("writes-in-run 1"));
        QVERIFY(SocketControl(control, "mode fast").value(0).startsWith("error "));
        QCOMPARE(SocketControl(control, "quit"), QStringList{"ok"});
        QVERIFY(sim.Process().waitForFinished(3000));
        QVERIFY(!QFileInfo::exists(control));
    }

    void standardInputControl() {
        Sim sim({"--no-pacing", "--stdin-control", "--quiet"});
        QVERIFY(sim.Open());
        QCOMPARE(sim.Exchange(Request(1, false, 'F', 0x0B, {0, 0}), 227).size(), 227u);
        QCOMPARE(sim.Control("version 500"), QStringList{"ok"});
        QCOMPARE(sim.Exchange(Request(1, false, 'F', 0x0B, {0, 0}), 267).size(), 267u);
        QCOMPARE(sim.Control("fault short every 2"), QStringList{"ok"});
        QCOMPARE(sim.Exchange(StatusRequest(1), 64).size(), 64u);
        Clock::duration elapsed{};
        QCOMPARE(sim.Exchange(StatusRequest(1), 64, elapsed, 300ms).size(), 63u);
        QVERIFY(sim.Control("dump").contains("version 500"));
    }

    void converterZero() {
        Sim sim({"--no-pacing", "--stdin-quit", "--lead-zero"});
        QVERIFY(sim.Open());
        const Bytes reply = sim.Exchange(StatusRequest(1), 65);
        QCOMPARE(reply.size(), 65u);
        QCOMPARE(int(reply[0]), 0);
        QVERIFY(CrcOk(Bytes(reply.begin() + 1, reply.end())));
    }

    // The link points at the pty while the simulator runs; the memory survives it.
    void linkAndStateAcrossRuns_data() {
        QTest::addColumn<bool>("bySignal");
        QTest::newRow("end of standard input") << false;
        QTest::newRow("SIGTERM") << true;
    }
    void linkAndStateAcrossRuns() {
        QFETCH(bool, bySignal);
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyZYL");
        const QString state = dir.filePath("state.txt");
        const Bytes statuses = Pattern(42, 0x6D);
        {
            Sim sim({"--no-pacing", "--stdin-quit", "--link", link, "--state", state, "--version",
                     "500", "--menu-layout", "predefined"});
            QCOMPARE(QFileInfo(link).symLinkTarget(), sim.Path());
            QVERIFY(sim.Open(link));
            QCOMPARE(sim.Exchange(Request(1, false, 'G', 0x0E, statuses), 11).size(), 11u);
            if (bySignal)
                sim.Process().terminate();
            else
                sim.Process().closeWriteChannel();
            QVERIFY(sim.Process().waitForFinished(3000));
            QCOMPARE(sim.Process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(sim.Process().exitCode(), 0);
            QVERIFY(!QFileInfo(link).isSymLink());
        }
        QFile file(state);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "zyl200-sim state 1\nsetup-word 98 0\nsetup-word 99 500\n"
                                 "block statuses " +
                                     ToQ(statuses).toHex().toUpper() + "\n");

        QProcess dump;
        dump.start(qEnvironmentVariable("ZYL_SIM"), {"--state", state, "--dump-state", "statuses"});
        QVERIFY(dump.waitForFinished(3000));
        QCOMPARE(dump.exitCode(), 0);
        QCOMPARE(dump.readAllStandardOutput(),
                 "statuses written " + ToQ(statuses).toHex().toUpper() + "\nok\n");

        Sim again({"--no-pacing", "--stdin-quit", "--state", state});
        QVERIFY(again.Open());
        const Bytes read = again.Exchange(Request(1, false, 'F', 0x0E), 53);
        QCOMPARE(HexText(Bytes(read.begin() + 9, read.end() - 2)), HexText(statuses));
        // The version came back with the memory: programs travel in two parts.
        QCOMPARE(again.Exchange(Request(1, false, 'F', 0x0B, {0, 0}), 267).size(), 267u);
    }

    // The PC's port as it sets it with tcsetattr, against controllers at 19200 and 9600: only
    // a port set to the controller's rate and 2 stop bits gets a reply; the rest are counted
    // and, unless --quiet, explained on standard error. (A Linux pty always reports 8 data
    // bits and no parity, whatever the PC asked for: those are checked by tst_simbus.)
    void lineSettingsOnThePty_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("pcBaud"); // 0: the port left as the simulator opened it
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("complaint"); // expected on standard error; "" none
        const QString at19200 = "listens at 19200 8N2";
        QTest::newRow("19200 8N2") << QStringList{} << 19200 << 2 << true << "";
        QTest::newRow("9600 against 19200") << QStringList{} << 9600 << 2 << false
                                            << "line set to 9600 8N2, controller 1 " + at19200;
        QTest::newRow("one stop bit") << QStringList{} << 19200 << 1 << false
                                      << "line set to 19200 8N1, controller 1 " + at19200;
        QTest::newRow("port never set")
            << QStringList{} << 0 << 2 << false << "line set to 9600 8N1, controller 1 " + at19200;
        QTest::newRow("9600 8N2 against 9600")
            << QStringList{"--baud", "9600"} << 9600 << 2 << true << "";
        QTest::newRow("19200 against 9600")
            << QStringList{"--baud", "9600"} << 19200 << 2 << false
            << "line set to 19200 8N2, controller 1 listens at 9600 8N2";
        QTest::newRow("quiet") << QStringList{"--quiet"} << 9600 << 2 << false << "";
        QTest::newRow("any line, 9600 8N1") << QStringList{"--any-line"} << 9600 << 1 << true << "";
        QTest::newRow("any line, never set") << QStringList{"--any-line"} << 0 << 2 << true << "";
    }
    void lineSettingsOnThePty() {
        QFETCH(QStringList, arguments);
        QFETCH(int, pcBaud);
        QFETCH(int, stopBits);
        QFETCH(bool, answered);
        QFETCH(QString, complaint);
        Sim sim(arguments + QStringList{"--no-pacing", "--stdin-control"});
        QVERIFY(pcBaud == 0 ? sim.OpenUnset()
                            : sim.Open(pcBaud == 9600 ? B9600 : B19200, stopBits));
        Clock::duration elapsed{};
        const Bytes reply = sim.Exchange(StatusRequest(1), 64, elapsed, answered ? 2s : 300ms);
        QCOMPARE(reply.size(), answered ? 64u : 0u);
        // A direct write the controller did not hear leaves its memory as it was.
        const Bytes write = Request(1, false, 'G', 0x0E, Pattern(42, 1));
        QCOMPARE(sim.Exchange(write, 11, elapsed, answered ? 2s : 300ms).size(),
                 answered ? 11u : 0u);
        const QStringList stats = sim.Control("stats");
        QVERIFY2(stats.contains(QString("line-mismatch %1").arg(answered ? 0 : 2)),
                 qPrintable(stats.join('|')));
        QVERIFY(stats.contains(QString("writes %1").arg(answered ? 1 : 0)));
        QCOMPARE(sim.Control("dump all").size(), answered ? 2 : 1);
        QCOMPARE(sim.Control("quit"), QStringList{"ok"});
        QVERIFY(sim.Process().waitForFinished(3000));
        const QString errors = QString::fromLocal8Bit(sim.Process().readAllStandardError());
        if (complaint.isEmpty())
            QVERIFY2(errors.isEmpty(), qPrintable(errors));
        else
            QCOMPARE(errors.count("zyl200-sim: no reply: " + complaint + "\n"), 2);
    }

    // The PC closes and reopens its port at another rate between frames; each frame is judged
    // by the settings the port had when it came.
    void pcChangesRateBetweenFrames() {
        Sim sim({"--no-pacing", "--stdin-control", "--quiet"});
        QVERIFY(sim.Open(B9600));
        Clock::duration elapsed{};
        QVERIFY(sim.Exchange(StatusRequest(1), 64, elapsed, 300ms).empty());
        QVERIFY(sim.Open(B19200));
        QCOMPARE(sim.Exchange(StatusRequest(1), 64).size(), 64u);
        QVERIFY(sim.Set(B9600, 2));
        QVERIFY(sim.Exchange(StatusRequest(1), 64, elapsed, 300ms).empty());
        QVERIFY(sim.Set(B19200, 2));
        QCOMPARE(sim.Exchange(StatusRequest(1), 64).size(), 64u);
        QVERIFY(sim.Control("stats").contains("line-mismatch 2"));
        // The control channel changes the rate the controller listens at.
        QCOMPARE(sim.Control("baud 9600"), QStringList{"ok"});
        QVERIFY(sim.Exchange(StatusRequest(1), 64, elapsed, 300ms).empty());
        QVERIFY(sim.Set(B9600, 2));
        QCOMPARE(sim.Exchange(StatusRequest(1), 64).size(), 64u);
    }

    // Three controllers on the pty, 1 and 5 at 19200 and 17 at 9600: each answers at its
    // address and rate only, paced at its rate, and keeps its writes to itself.
    void busOnThePty() {
        Sim sim({"--address", "1,5,17@9600", "--stdin-control", "--quiet"});
        QVERIFY(sim.Open(B19200));
        Clock::duration elapsed{};
        for (int address : {1, 5}) {
            const Bytes reply = sim.Exchange(StatusRequest(std::uint8_t(address)), 64, elapsed);
            QCOMPARE(reply.size(), 64u);
            QCOMPARE(int(reply[0]), address);
            QVERIFY(elapsed >= 36ms);
        }
        QVERIFY(sim.Exchange(StatusRequest(17), 64, elapsed, 300ms).empty());
        const Bytes group = Concat({{2}, Pattern(240, 0x3C)});
        QCOMPARE(sim.Exchange(Request(5, false, 'G', 0x0C, group), 11).size(), 11u);
        const Bytes fromOne = sim.Exchange(Request(1, false, 'F', 0x0C, {2}), 252);
        QCOMPARE(fromOne.size(), 252u);
        QVERIFY(HexText(Bytes(fromOne.begin() + 9, fromOne.end() - 2)) != HexText(group));

        QVERIFY(sim.Set(B9600, 2));
        for (int address : {1, 5})
            QVERIFY(sim.Exchange(StatusRequest(std::uint8_t(address)), 64, elapsed, 300ms).empty());
        const Bytes reply = sim.Exchange(StatusRequest(17), 64, elapsed);
        QCOMPARE(reply.size(), 64u);
        QCOMPARE(int(reply[0]), 17);
        QVERIFY2(elapsed >= 73ms, qPrintable(QString::number(
                                      std::chrono::duration<double, std::milli>(elapsed).count())));
        // 17 still has the sample group that 1 has: the write went to 5 only.
        const Bytes fromSeventeen = sim.Exchange(Request(17, false, 'F', 0x0C, {2}), 252);
        QCOMPARE(fromSeventeen.size(), 252u);
        QCOMPARE(HexText(Bytes(fromSeventeen.begin() + 9, fromSeventeen.end() - 2)),
                 HexText(Bytes(fromOne.begin() + 9, fromOne.end() - 2)));

        QCOMPARE(sim.Control("controller").mid(0, 3),
                 (QStringList{"controller 1 baud 19200 selected", "controller 5 baud 19200",
                              "controller 17 baud 9600"}));
        QVERIFY(sim.Control("controller 5 dump all")
                    .contains("relays/2 written " + HexText(group).remove(' ')));
        QCOMPARE(sim.Control("dump all"), QStringList{"ok"});
        const QStringList at17 = sim.Control("controller 17 stats");
        QCOMPARE(at17.value(0), "address 17");
        QVERIFY(at17.contains("line-mismatch 1"));
        QVERIFY(at17.contains("status 1"));
        const QStringList at1 = sim.Control("stats");
        QCOMPARE(at1.value(0), "address 1");
        QVERIFY(at1.contains("line-mismatch 1"));
        QVERIFY(at1.contains("status 1"));
    }

    // The bus survives a restart in one state file, and --dump-state shows each controller.
    void busStateAcrossRuns() {
        QTemporaryDir dir;
        const QString state = dir.filePath("bus.txt");
        const Bytes statuses = Pattern(42, 0x4E);
        const QStringList bus{"--address",    "1,17@9600", "--no-pacing",
                              "--stdin-quit", "--state",   state};
        {
            Sim sim(bus);
            QVERIFY(sim.Open(B9600));
            QCOMPARE(sim.Exchange(Request(17, false, 'G', 0x0E, statuses), 11).size(), 11u);
            sim.Process().closeWriteChannel();
            QVERIFY(sim.Process().waitForFinished(3000));
            QCOMPARE(sim.Process().exitCode(), 0);
        }
        QProcess dump;
        dump.start(qEnvironmentVariable("ZYL_SIM"),
                   bus.mid(0, 2) + QStringList{"--state", state, "--dump-state", "all"});
        QVERIFY(dump.waitForFinished(3000));
        QCOMPARE(dump.exitCode(), 0);
        QCOMPARE(dump.readAllStandardOutput(), "controller 1\ncontroller 17\nstatuses written " +
                                                   ToQ(statuses).toHex().toUpper() + "\nok\n");

        Sim again(bus);
        QVERIFY(again.Open(B9600));
        const Bytes read = again.Exchange(Request(17, false, 'F', 0x0E), 53);
        QCOMPARE(HexText(Bytes(read.begin() + 9, read.end() - 2)), HexText(statuses));
        QVERIFY(again.Open(B19200));
        const Bytes atOne = again.Exchange(Request(1, false, 'F', 0x0E), 53);
        QCOMPARE(atOne.size(), 53u);
        QVERIFY(HexText(Bytes(atOne.begin() + 9, atOne.end() - 2)) != HexText(statuses));

        // A file that names a controller the bus does not have stops the start.
        QProcess other;
        other.start(qEnvironmentVariable("ZYL_SIM"), {"--address", "1,5", "--state", state});
        QVERIFY(other.waitForFinished(3000));
        QCOMPARE(other.exitCode(), 2);
        QVERIFY(other.readAllStandardError().contains("controller 17"));
    }

    void badCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("address 248") << QStringList{"--address", "248"};
        QTest::newRow("baud 4800") << QStringList{"--baud", "4800"};
        QTest::newRow("address twice") << QStringList{"--address", "1,5,1"};
        QTest::newRow("address rate 4800") << QStringList{"--address", "1,5@4800"};
        QTest::newRow("address list ends in a comma") << QStringList{"--address", "1,"};
        QTest::newRow("fault kind") << QStringList{"--fault", "explode"};
        QTest::newRow("value missing") << QStringList{"--state"};
        QTest::newRow("unknown option") << QStringList{"--frobnicate"};
    }
    void badCommandLine() {
        QFETCH(QStringList, arguments);
        QProcess p;
        p.start(qEnvironmentVariable("ZYL_SIM"), arguments);
        QVERIFY(p.waitForFinished(3000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(!p.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
