#include "core/ControllerAccess.h"
#include "link/Frame.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/WireBytes.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace zyl;
using zyl::test::Bytes;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;
using zyl::test::WithChecksum;

namespace {

Bytes StatusReply(int mode, bool ready) {
    Bytes r(62, 0);
    r[0] = 1;
    r[22] = std::uint8_t(mode);
    r[61] = ready ? 1 : 0;
    return WithChecksum(r);
}
Bytes Reply(std::size_t length, std::uint8_t letter = 0x46) {
    Bytes r(length - 2, 0);
    r[0] = 1;
    r[1] = letter;
    r[2] = 0x09;
    return WithChecksum(r);
}
bool IsStatusRequest(const Bytes& r) {
    return r.size() == 7 && r[1] == 0x46 && r[2] == 0x00;
}
bool IsResetRequest(const Bytes& r) {
    return r.size() > 6 && r[5] == 0x47 && r[6] == 0xE6;
}

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    int statusMode = 0;
    bool statusFails = false;
    Rig() {
        settings.tuning.timeoutStand = 20;
        link.SetTuning(settings.tuning);
        port.respond = [this](const Bytes& req) -> Bytes {
            if (IsStatusRequest(req)) return statusFails ? Bytes() : StatusReply(statusMode, false);
            if (req[1] == 0x47) return Reply(7, 0x47);
            return Reply(11);
        };
    }
    int Count(bool (*what)(const Bytes&)) const {
        return int(std::count_if(port.written.begin(), port.written.end(), what));
    }
};

} // namespace

class TestControllerAccess : public QObject {
    Q_OBJECT
private slots:
    void readLinkSettingsFollowsTheControls() {
        Rig rig;
        rig.controls.port = 9;
        rig.controls.baud = 1;
        rig.controls.address = 17;
        rig.access.ReadLinkSettings();
        QCOMPARE(int(rig.access.DeviceAddress), 17);
        QCOMPARE(rig.access.linkParams.PortIndex, 9);
        QCOMPARE(int(rig.access.linkParams.BaudCode), 8);
        rig.controls.baud = 0;
        rig.access.ReadLinkSettings();
        QCOMPARE(int(rig.access.linkParams.BaudCode), 6);
    }

    void connectionTest() {
        Rig rig;
        rig.access.moduleMode = true;
        QVERIFY(rig.access.ConnectionTest());
        QVERIFY(IsStatusRequest(rig.port.written.back()));
        rig.statusFails = true;
        QVERIFY(!rig.access.ConnectionTest());
        QCOMPARE(rig.port.written.size(), std::size_t(4)); // one, then three attempts
    }

    void noResetWithoutAskBeforeReset() {
        Rig rig;
        rig.settings.PytajOReset = false;
        rig.access.DeviceReset();
        QVERIFY(rig.host.questions.empty());
        QVERIFY(rig.port.written.empty());
    }

    void resetAnsweredNoStaysPending() {
        Rig rig;
        rig.access.DeviceReset();
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        QVERIFY(rig.port.written.empty());
        QVERIFY(rig.access.resetPending);
    }

    void resetDirectIsOneAttempt() {
        Rig rig;
        rig.host.answers = {AnswerYes};
        rig.port.respond = nullptr; // no reply at all
        rig.access.DeviceReset();
        QCOMPARE(rig.port.written.size(), std::size_t(1));
        QVERIFY(IsResetRequest(rig.port.written[0]));
        QVERIFY(!rig.access.resetPending);
    }

    void resetModule_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("statusFails");
        QTest::addColumn<bool>("resetSent");
        QTest::newRow("stopped") << 1 << false << true;
        QTest::newRow("running") << 2 << false << false;
        QTest::newRow("status read fails") << 2 << true << true;
    }
    void resetModule() {
        QFETCH(int, mode);
        QFETCH(bool, statusFails);
        QFETCH(bool, resetSent);
        Rig rig;
        rig.access.moduleMode = true;
        rig.statusMode = mode;
        rig.statusFails = statusFails;
        rig.host.answers = {AnswerYes};
        rig.access.DeviceReset();
        QCOMPARE(rig.Count(IsResetRequest), resetSent ? 1 : 0);
        QCOMPARE(rig.access.resetPending, !resetSent);
        if (!resetSent)
            QCOMPARE(rig.host.messages,
                     std::vector<std::string>{"Controller must be in STOP mode"});
    }

    void panelWaitEndsNotReadyAfterTheLimit() {
        Rig rig;
        rig.settings.WaitForPanel = 1;
        QElapsedTimer t;
        t.start();
        QCOMPARE(rig.access.PanelWait(), PanelWaitOutcome::NotReady);
        QVERIFY2(t.elapsed() >= 1100 && t.elapsed() < 1600,
                 qPrintable(QString::number(t.elapsed())));
        // Back-to-back polls: each takes about the 10 ms pause of an exchange.
        QVERIFY(rig.Count(IsStatusRequest) > 30);
    }

    void panelWaitReadyAndCancel() {
        Rig rig;
        int polls = 0;
        rig.port.respond = [&polls](const Bytes&) { return StatusReply(0, ++polls == 3); };
        QCOMPARE(rig.access.PanelWait(), PanelWaitOutcome::Ready);
        QCOMPARE(polls, 3);

        polls = 0;
        rig.host.onEvents = [&polls](RecordingHost& h) { h.cancel = polls >= 2; };
        QCOMPARE(rig.access.PanelWait(true), PanelWaitOutcome::Cancelled);
        QCOMPARE(polls, 2);
        // Without cancel checks the request is ignored.
        polls = 0;
        QCOMPARE(rig.access.PanelWait(false), PanelWaitOutcome::Ready);
    }

    void programBlockCountFollowsVersion_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("count");
        QTest::newRow("500") << 500 << 2;
        QTest::newRow("501") << 501 << 3;
        QTest::newRow("negative") << -1 << 2;
    }
    void programBlockCountFollowsVersion() {
        QFETCH(int, version);
        QFETCH(int, count);
        Rig rig;
        rig.port.respond = [version](const Bytes&) {
            Bytes r(209, 0);
            r[0] = 1;
            r[9 + 2 * 99] = std::uint8_t((version >> 8) & 0xFF);
            r[9 + 2 * 99 + 1] = std::uint8_t(version & 0xFF);
            return WithChecksum(r);
        };
        TSetupBlock setup{};
        QVERIFY(rig.access.ReadControllerSetup(setup));
        QCOMPARE(int(setup.Words[99]), version);
        QCOMPARE(rig.access.programBlockCount, count);
    }

    void failedSetupReadSaysNoCommunication() {
        Rig rig;
        rig.port.respond = nullptr;
        TSetupBlock setup{};
        QVERIFY(!rig.access.ReadControllerSetup(setup));
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
    }
};

QTEST_GUILESS_MAIN(TestControllerAccess)
#include "tst_controlleraccess.moc"
