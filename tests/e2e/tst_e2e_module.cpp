// The controller access procedures against the simulator: the module status, the panel wait,
// the STOP check, the reset offer in both modes, the clock, the connection test and the
// setup read that gives the program block count.

#include "E2eSupport.h"
#include "link/Commands.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

// Room for a loaded machine (the sanitizer pass runs two tests at once on two cores); an
// extra attempt or a missed end would still overshoot it.
constexpr int Margin = 500;
// One status poll that is answered: 10 ms sleep, RTS lead and lag, 64 bytes at 19200.
constexpr int Poll = 10 + 10 + 37;
// One status command whose three attempts go unanswered, for a timeoutStand.
constexpr int FailedStatus(int timeoutStand) {
    return 3 * (10 + 10 + 64 + timeoutStand) + 3 * CommandRetryPauseMs;
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

class TestE2eModule : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    // The status reply decoded: the running clock, the fixed readings and the mode byte,
    // of which only the low six bits count.
    void moduleStatus_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("decodedMode");
        QTest::addColumn<bool>("stop");
        QTest::newRow("stop") << "stop" << 0 << true;
        QTest::newRow("run") << "run" << 2 << false;
        QTest::newRow("1 is STOP too") << "1" << 1 << true;
        QTest::newRow("65: high bits ignored, STOP") << "65" << 1 << true;
        QTest::newRow("130: high bits ignored, RUN") << "130" << 2 << false;
        QTest::newRow("192: high bits only, STOP") << "192" << 0 << true;
        QTest::newRow("63") << "63" << 63 << false;
    }
    void moduleStatus() {
        QFETCH(QString, mode);
        QFETCH(int, decodedMode);
        QFETCH(bool, stop);
        ZYL_START_SIM(sim, QStringList{"--mode", mode, "--clock", "2031-07-14 09:26:40"});
        SimLink line(sim.Device());
        TControllerStatus status{};
        QCOMPARE(ReadModuleStatus(line.link, status, SimAddress, Com1At19200), int(LinkOk));
        QCOMPARE(status.Year, 2031);
        QCOMPARE(status.Month, 7);
        QCOMPARE(status.Day, 14);
        QCOMPARE(status.Hour, 9);
        QCOMPARE(status.Minute, 26);
        QVERIFY2(status.Second >= 40 && status.Second <= 42,
                 qPrintable(QString::number(status.Second)));
        QCOMPARE(status.Temperature, 85.3);
        QCOMPARE(status.Rotation, 120.0);
        QCOMPARE(int(status.Mode), decodedMode);
        QCOMPARE(IsStopMode(status), stop);
        QVERIFY(status.PanelReady);
    }

    // After a module submit the panel wait polls until the panel reports ready, gives up
    // after WaitForPanel seconds of polling, and survives polls that fail.
    void panelWait_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("waitForPanel");
        QTest::addColumn<int>("timeoutStand");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("minMs"); // from before the submit
        QTest::addColumn<int>("maxMs");
        QTest::newRow("ready after 300 ms")
            << QStringList{"--panel-delay", "300"} << 2 << TestTimeoutStand
            << int(PanelWaitOutcome::Ready) << 300 << 300 + 2 * Poll + Margin;
        QTest::newRow("ready at once")
            << QStringList{"--panel-delay", "0"} << 2 << TestTimeoutStand
            << int(PanelWaitOutcome::Ready) << 100 << 100 + 2 * Poll + Margin;
        // 100 ms pause, then one second of back-to-back polls.
        QTest::newRow("never ready within 1 s")
            << QStringList{"--panel-delay", "60000"} << 1 << TestTimeoutStand
            << int(PanelWaitOutcome::NotReady) << 1100 << 1100 + 2 * Poll + Margin;
        // A failed poll takes 852 ms: the wait polls a second time and then gives up.
        QTest::newRow("status unanswered")
            << QStringList{"--fault", "noreply on status"} << 1 << 100
            << int(PanelWaitOutcome::NotReady) << 100 + 2 * FailedStatus(100)
            << 100 + 2 * FailedStatus(100) + Margin;
    }
    void panelWait() {
        QFETCH(QStringList, options);
        QFETCH(int, waitForPanel);
        QFETCH(int, timeoutStand);
        QFETCH(int, outcome);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        ZYL_START_SIM(sim, options);
        SimAccess a(sim.Device(), true, waitForPanel, timeoutStand);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ReadSetupParametersSubmit(a.line.link, SimAddress, Com1At19200), int(LinkOk));
        QCOMPARE(int(a.access.PanelWait()), outcome);
        const qint64 ms = timer.elapsed();
        QVERIFY2(ms >= minMs, qPrintable(QString("%1 ms").arg(ms)));
        QVERIFY2(ms < maxMs, qPrintable(QString("%1 ms").arg(ms)));
        QVERIFY(a.host.messages.empty());
        QVERIFY(a.host.eventsProcessed > 0);
        if (outcome == int(PanelWaitOutcome::Ready)) {
            TSetupBlock setup{};
            QCOMPARE(ReadSetupParametersCollect(a.line.link, setup, SimAddress, Com1At19200),
                     int(LinkOk));
            QCOMPARE(setup.Words[99], std::int16_t(501));
        }
    }

    // The STOP check: running only when a status read succeeded with mode 2 or more.
    void controllerRunning_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("running");
        QTest::newRow("stop") << QStringList{"--mode", "stop"} << false;
        QTest::newRow("run") << QStringList{"--mode", "run"} << true;
        QTest::newRow("mode 1") << QStringList{"--mode", "1"} << false;
        QTest::newRow("mode 3") << QStringList{"--mode", "3"} << true;
        QTest::newRow("run, status unanswered")
            << QStringList{"--mode", "run", "--fault", "noreply on status"} << false;
        QTest::newRow("run, status damaged")
            << QStringList{"--mode", "run", "--fault", "badcrc"} << false;
    }
    void controllerRunning() {
        QFETCH(QStringList, options);
        QFETCH(bool, running);
        ZYL_START_SIM(sim, options);
        SimAccess a(sim.Device(), true);
        QCOMPARE(a.access.ControllerRunning(), running);
        QVERIFY(a.host.messages.empty());
    }

    // The reset offer: direct mode resets without a STOP check; module mode refuses a running
    // controller and keeps the reset pending, but sends it when the status read fails.
    void resetIfPending_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("ask"); // PytajOReset
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("sent"); // the stats key of the reset, empty: none
        QTest::addColumn<bool>("pendingAfter");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        const QStringList refused{MsgStopMode};
        QTest::newRow("direct, yes")
            << false << none << true << AnswerYes << "command direct GE6" << false << none;
        QTest::newRow("direct, running controller")
            << false << QStringList{"--mode", "run"} << true << AnswerYes << "command direct GE6"
            << false << none;
        QTest::newRow("direct, no") << false << none << true << AnswerNo << "" << true << none;
        QTest::newRow("direct, not asked")
            << false << none << false << AnswerYes << "" << true << none;
        QTest::newRow("module, stopped")
            << true << none << true << AnswerYes << "command submit GE6" << false << none;
        QTest::newRow("module, running")
            << true << QStringList{"--mode", "run"} << true << AnswerYes << "" << true << refused;
        QTest::newRow("module, status unanswered")
            << true << QStringList{"--mode", "run", "--fault", "noreply on status"} << true
            << AnswerYes << "command submit GE6" << false << none;
    }
    void resetIfPending() {
        QFETCH(bool, module);
        QFETCH(QStringList, options);
        QFETCH(bool, ask);
        QFETCH(int, answer);
        QFETCH(QString, sent);
        QFETCH(bool, pendingAfter);
        QFETCH(QStringList, messages);
        ZYL_START_SIM(sim, options);
        SimAccess a(sim.Device(), module);
        a.settings.PytajOReset = ask;
        a.host.answers = {answer};
        a.access.resetPending = true;

        a.access.ResetDeviceIfPending();

        QCOMPARE(a.access.resetPending, pendingAfter);
        QStringList shown;
        for (const auto& m : a.host.messages) shown << Text(m);
        QCOMPARE(shown, messages);
        QCOMPARE(a.host.questions.size(), std::size_t(ask ? 1 : 0));
        if (ask) QCOMPARE(Text(a.host.questions[0]), QString(MsgResetDevice));
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("resets"), sent.isEmpty() ? 0 : 1);
        if (!sent.isEmpty()) QCOMPARE(stats.value(sent), 1);
    }

    // The clock: a module submit, the panel wait and the acknowledgement collect; the next
    // status shows the time that was set, from second 0.
    void setClock_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::newRow("2031-07-14 09:26") << 2031 << 7 << 14 << 9 << 26;
        QTest::newRow("2000-01-01 00:00") << 2000 << 1 << 1 << 0 << 0;
        QTest::newRow("2099-12-31 23:59") << 2099 << 12 << 31 << 23 << 59;
        QTest::newRow("2024-02-29 12:30") << 2024 << 2 << 29 << 12 << 30;
    }
    void setClock() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, hour);
        QFETCH(int, minute);
        ZYL_START_SIM(sim, QStringList{"--clock", "2010-05-05 05:05:05"});
        SimAccess a(sim.Device(), true);
        const ClockTime t{year, month, day, hour, minute, 0};
        QCOMPARE(SetControllerClock(a.line.link, t, SimAddress, Com1At19200), int(LinkOk));
        QCOMPARE(int(a.access.PanelWait()), int(PanelWaitOutcome::Ready));
        QCOMPARE(CollectAck(a.line.link, 4, SimAddress, Com1At19200), int(LinkOk));
        TControllerStatus status{};
        QCOMPARE(ReadModuleStatus(a.line.link, status, SimAddress, Com1At19200), int(LinkOk));
        QCOMPARE(status.Year, year);
        QCOMPARE(status.Month, month);
        QCOMPARE(status.Day, day);
        QCOMPARE(status.Hour, hour);
        QCOMPARE(status.Minute, minute);
        QCOMPARE(status.Second, 0);
        QCOMPARE(sim.Stats().value("command submit G06"), 1);
    }

    // The "Communication" button: panel info in direct mode, module status in module mode.
    void connectionTest_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("asked");
        QTest::newRow("direct") << false << QStringList{} << true << "command direct D20";
        QTest::newRow("module") << true << QStringList{} << true << "status";
        QTest::newRow("direct, no module fitted")
            << false << QStringList{"--no-module"} << true << "command direct D20";
        QTest::newRow("module, no module fitted")
            << true << QStringList{"--no-module"} << false << "rejected";
        QTest::newRow("direct, other address")
            << false << QStringList{"--address", "2"} << false << "other-address";
    }
    void connectionTest() {
        QFETCH(bool, module);
        QFETCH(QStringList, options);
        QFETCH(bool, ok);
        QFETCH(QString, asked);
        ZYL_START_SIM(sim, options);
        SimAccess a(sim.Device(), module);
        QCOMPARE(a.access.ConnectionTest(), ok);
        QCOMPARE(sim.Stats().value(asked), ok ? 1 : 3);
    }

    // The setup read in both modes sets the program block count from word 99.
    void readControllerSetup_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("blockCount");
        QTest::newRow("direct, 501") << false << "501" << 3;
        QTest::newRow("direct, 500") << false << "500" << 2;
        QTest::newRow("module, 501") << true << "501" << 3;
        QTest::newRow("module, 500") << true << "500" << 2;
        QTest::newRow("module, -1") << true << "-1" << 2;
    }
    void readControllerSetup() {
        QFETCH(bool, module);
        QFETCH(QString, version);
        QFETCH(int, blockCount);
        ZYL_START_SIM(sim, QStringList{"--version", version});
        SimAccess a(sim.Device(), module);
        a.access.programBlockCount = 0;
        TSetupBlock setup{};
        QVERIFY(a.access.ReadControllerSetup(setup));
        QCOMPARE(int(setup.Words[99]), version.toInt());
        QCOMPARE(a.access.programBlockCount, blockCount);
        QVERIFY(a.host.messages.empty());
    }
};

QTEST_GUILESS_MAIN(TestE2eModule)
#include "tst_e2e_module.moc"
