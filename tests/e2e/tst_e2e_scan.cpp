// Finding the controllers on a simulated bus: three controllers at two baud rates, found
// directly and through the module with their versions and nothing else; Cancel and Ctrl+C
// in the middle of a scan; zylctl scan's lines, messages and exit statuses.

#include "E2eSupport.h"
#include "core/ControllerScan.h"
#include "support/ZylctlProcess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

using namespace zyl;
using namespace zyl::test;

namespace {

// 1 and 5 listen at 19200, 17 at 9600; each with a version of its own.
const QStringList Bus{"--address", "1,5,17@9600", "--baud", "19200", "--quiet"};

bool SetVersions(SimProcess& sim) {
    return sim.Command("controller 1 version 510") && sim.Command("controller 5 version 505") &&
           sim.Command("controller 17 version 517");
}

// The counters of one controller of the bus.
QMap<QString, qint64> StatsOf(SimProcess& sim, int address) {
    QMap<QString, qint64> counters;
    for (const QString& line : sim.Control(QStringLiteral("controller %1 stats").arg(address))) {
        const qsizetype space = line.lastIndexOf(' ');
        if (space > 0) counters.insert(line.left(space), line.mid(space + 1).toLongLong());
    }
    return counters;
}

QStringList Lines(const std::vector<FoundController>& found) {
    QStringList lines;
    for (const FoundController& c : found)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(c.address)
                     .arg(c.baud)
                     .arg(c.module ? "module" : "direct")
                     .arg(c.version ? QString::number(*c.version) : QStringLiteral("-"));
    return lines;
}

ScanPlan Plan(int first, int last, std::vector<int> rates = {9600, 19200}) {
    ScanPlan plan;
    plan.baudRates = std::move(rates);
    plan.firstAddress = first;
    plan.lastAddress = last;
    return plan;
}

} // namespace

class TestE2eScan : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

    QStringList Link(const SimProcess& sim, bool module) const {
        return {"--port", sim.PtyPath(), module ? "--module" : "--direct"};
    }

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM");
        QVERIFY(home_.isValid());
    }

    void mode_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }

    // Exactly the three, each at its own rate, with its version; each controller was asked
    // once at the rate it does not listen at.
    void findsTheBus_data() { mode_data(); }
    void findsTheBus() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim, Bus);
        QVERIFY(SetVersions(sim));
        SimAccess rig(sim.Device(), module);
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 20));
        QCOMPARE(result.outcome, Outcome::Ok);
        const QString mode = module ? "module" : "direct";
        QCOMPARE(Lines(result.found),
                 QStringList({"17 9600 " + mode + " 517", "1 19200 " + mode + " 510",
                              "5 19200 " + mode + " 505"}));
        for (int address : {1, 5, 17}) QCOMPARE(StatsOf(sim, address).value("line-mismatch"), 1);
        QVERIFY(rig.host.messages.empty());
        // The link's own timeout is back.
        QCOMPARE(rig.line.port.ReadTimeoutConstant(), TestTimeoutStand);
    }

    // A controller that answers the status request but whose module never hands over the
    // setup block is found with its version unknown.
    void versionUnknownWhenTheCollectFails() {
        ZYL_START_SIM(sim, Bus);
        QVERIFY(sim.Command("controller 5 fault noreply on collect"));
        SimAccess rig(sim.Device(), true, 1);
        const ScanResult result = ScanForControllers(rig.access, Plan(4, 6, {19200}));
        QCOMPARE(result.outcome, Outcome::Ok);
        QCOMPARE(Lines(result.found), QStringList{"5 19200 module -"});
    }

    // Cancel pressed while an exchange waits for its reply ends that wait and the scan.
    void cancelEndsAWaitingScan_data() { mode_data(); }
    void cancelEndsAWaitingScan() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim, Bus);
        SimAccess rig(sim.Device(), module);
        QElapsedTimer clock;
        QElapsedTimer sinceCancel;
        std::size_t steps = 0;
        rig.host.onEvents = [&](RecordingHost& h) {
            // A call without a new progress step comes from a waiting exchange.
            const bool fromWait = h.progress.size() == steps;
            steps = h.progress.size();
            if (!h.cancel && fromWait && clock.elapsed() > 400) {
                h.cancel = true;
                sinceCancel.start();
            }
        };
        clock.start();
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 247));
        const qint64 afterCancel = sinceCancel.elapsed();
        QCOMPARE(result.outcome, Outcome::Cancelled);
        QVERIFY(rig.line.link.Cancelled());
        QVERIFY2(afterCancel < 100, qPrintable(QString::number(afterCancel)));
        QVERIFY(rig.host.progress.back().position < 40);
        QCOMPARE(rig.line.port.ReadTimeoutConstant(), TestTimeoutStand);
        QVERIFY(rig.host.messages.empty());
    }

    // zylctl scan: one line per controller, in the order found; exit 0.
    void zylctlLines_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        for (bool module : {false, true}) {
            const QString mode = module ? "module" : "direct";
            QTest::addRow("%s, both rates", qPrintable(mode))
                << module << QStringList{"--addresses", "1-17"}
                << "17 9600 " + mode + " 517\n1 19200 " + mode + " 510\n5 19200 " + mode + " 505\n";
            QTest::addRow("%s, 19200 only", qPrintable(mode))
                << module << QStringList{"--baud", "19200", "--addresses", "1-5"}
                << "1 19200 " + mode + " 510\n5 19200 " + mode + " 505\n";
            QTest::addRow("%s, 9600 first", qPrintable(mode))
                << module << QStringList{"--addresses", "5-17", "--baud", "19200,9600"}
                << "5 19200 " + mode + " 505\n17 9600 " + mode + " 517\n";
        }
    }
    void zylctlLines() {
        QFETCH(bool, module);
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL is not set");
        ZYL_START_SIM(sim, Bus);
        QVERIFY(SetVersions(sim));
        // The link option --baud before the command is not the scan's list.
        const CliRun r = Zylctl(home_.path(), Link(sim, module) << "--baud"
                                                                << "9600"
                                                                << "scan" << args);
        QVERIFY2(r.exitCode == 0, qPrintable(QString("exit %1: %2").arg(r.exitCode).arg(r.err)));
        QCOMPARE(r.out, out);
    }

    // Failures: exit 1 with "No communication" and why on stderr, nothing on stdout.
    void zylctlNothingAnswers_data() {
        QTest::addColumn<bool>("portThere");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("cause");
        QTest::newRow("empty range, direct")
            << true << QStringList{"--direct", "scan", "--addresses", "30-33"}
            << "no controller answered at 9600, 19200 baud, addresses 30-33, to direct requests";
        QTest::newRow("wrong rate, module")
            << true << QStringList{"--module", "scan", "--addresses", "17-17", "--baud", "19200"}
            << "no controller answered at 19200 baud, addresses 17-17, through the communication "
               "module";
        QTest::newRow("no port") << false << QStringList{"scan", "--addresses", "0-3"}
                                 << "does not exist";
    }
    void zylctlNothingAnswers() {
        QFETCH(bool, portThere);
        QFETCH(QStringList, args);
        QFETCH(QString, cause);
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL is not set");
        ZYL_START_SIM(sim, Bus);
        const QString port = portThere ? sim.PtyPath() : home_.filePath("no-such-tty");
        const CliRun r = Zylctl(home_.path(), QStringList{"--port", port} << args);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
        const QStringList err = r.err.split('\n');
        QCOMPARE(err.value(0), QString("No communication"));
        QVERIFY2(err.value(1).contains(cause), qPrintable(r.err));
    }

    // Refused before the port is touched: exit 2 and what is wrong.
    void zylctlUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("rate of no controller")
            << QStringList{"scan", "--baud", "4800"} << "scan --baud: baud rate 4800";
        QTest::newRow("rate twice") << QStringList{"scan", "--baud", "9600,9600"} << "twice";
        QTest::newRow("not a list") << QStringList{"scan", "--baud", "fast"} << "scan --baud";
        QTest::newRow("no list") << QStringList{"scan", "--baud"} << "needs a list";
        QTest::newRow("backwards") << QStringList{"scan", "--addresses", "9-3"} << "backwards";
        QTest::newRow("beyond 247") << QStringList{"scan", "--addresses", "0-248"} << "247";
        QTest::newRow("one number") << QStringList{"scan", "--addresses", "5"} << "A-B";
        QTest::newRow("no range") << QStringList{"scan", "--addresses"} << "needs a range";
        QTest::newRow("stray word") << QStringList{"scan", "now"} << "not now";
    }
    void zylctlUsage() {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL is not set");
        const CliRun r =
            Zylctl(home_.path(), QStringList{"--port", home_.filePath("no-such-tty")} << args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("zylctl: ") && r.err.contains(said), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    // Ctrl+C in the middle of a scan: what was found stays printed, exit 130 at once.
    void zylctlInterrupted() {
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL is not set");
        ZYL_START_SIM(sim, Bus);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZYL_HOME", home_.path());
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("ZYLCTL"), Link(sim, false) << "scan"
                                                                 << "--baud"
                                                                 << "19200");
        QVERIFY(p.waitForStarted());
        // 1 and 5 are found within the first few hundred milliseconds.
        QElapsedTimer started;
        started.start();
        while (p.state() == QProcess::Running && started.elapsed() < 10000 &&
               p.peek(64).count('\n') < 2)
            p.waitForReadyRead(20);
        QTest::qWait(200);
        QElapsedTimer timer;
        timer.start();
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(5000));
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()),
                 QString("1 19200 direct 501\n5 19200 direct 501\n"));
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains("zylctl: interrupted"));
    }
};

QTEST_GUILESS_MAIN(TestE2eScan)
#include "tst_e2e_scan.moc"
