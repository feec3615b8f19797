// The alarms against the simulator, direct and through the module: the list's round trip
// with the wire bytes the simulator stored, single alarms, and the refusal in RUN.

#include "E2eSupport.h"
#include "editors/alarms/Alarms.h"
#include "link/CommandEncoding.h"

#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

using AlarmBlock = std::array<TAlarmRecord, AlarmCount>;

// 21 alarms whose travelling fields all differ, within their wire fields.
AlarmBlock DistinctAlarms() {
    AlarmBlock alarms{};
    for (int i = 0; i < AlarmCount; ++i) {
        TAlarmRecord& a = alarms[std::size_t(i)];
        a.Number = 99;
        a.Message.SetText("ALARM " + std::to_string(i + 1) + (i % 2 ? " HOT" : ""));
        a.DelayTime = 65000 - 1234 * i;
        a.AlarmStatus = i % 3;
        a.RelayLogic = (i / 3) % 3;
        for (int k = 0; k < RelayCount; ++k) a.RelayOutputs[k] = (k * 7 + i) % 5 == 0;
    }
    return alarms;
}

// What the simulator should hold for group g: the group byte and twelve items, the slots
// beyond alarm 21 filled with alarm 1.
QByteArray ExpectedGroup(const AlarmBlock& alarms, int g, int codePage) {
    Bytes payload{std::uint8_t(g)};
    for (int j = 0; j < AlarmGroupSize; ++j) {
        const int index = g * AlarmGroupSize + j;
        const auto item =
            EncodeAlarmItem(alarms[std::size_t(index < AlarmCount ? index : 0)], codePage);
        payload.insert(payload.end(), item.begin(), item.end());
    }
    return HexOf(payload);
}

void CompareTravelling(const TAlarmRecord& got, const TAlarmRecord& sent) {
    QCOMPARE(QString::fromStdString(got.Message.Text()),
             QString::fromStdString(sent.Message.Text()));
    QCOMPARE(got.DelayTime, sent.DelayTime);
    QCOMPARE(got.AlarmStatus, sent.AlarmStatus);
    QCOMPARE(got.RelayLogic, sent.RelayLogic);
    for (int k = 0; k < RelayCount; ++k) QCOMPARE(got.RelayOutputs[k], sent.RelayOutputs[k]);
}

} // namespace

class TestE2eAlarms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    void roundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void roundTrip() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        AlarmBlock sent = DistinctAlarms();
        QCOMPARE(int(WriteAlarmsToController(a.access, sent)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        QCOMPARE(a.host.questions, std::vector<std::string>{MsgResetDevice});
        for (int i = 0; i < AlarmCount; ++i) QCOMPARE(sent[std::size_t(i)].Number, i + 1);
        QCOMPARE(sim.Stats().value(module ? "command submit G0F" : "command direct G0F"), 2);
        for (int g = 0; g < 2; ++g) {
            const auto block = sim.Dump(QString("alarms/%1").arg(g));
            QCOMPARE(block.how, QString("written"));
            QCOMPARE(block.hex, ExpectedGroup(sent, g, a.line.link.codePage));
        }
        // Alarm 1's message on the wire, pinned: "ALARM 1" blank padded, delay 65000.
        QCOMPARE(sim.Dump("alarms/0").hex.mid(2, 32), QByteArray("414C41524D2031202020202020"
                                                                 "20FDE8"));

        AlarmBlock got{};
        QCOMPARE(int(ReadAlarmsFromController(a.access, got)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        for (int i = 0; i < AlarmCount; ++i) {
            QCOMPARE(got[std::size_t(i)].Number, i + 1);
            CompareTravelling(got[std::size_t(i)], sent[std::size_t(i)]);
        }
    }

    // One alarm written by the editor lands in its slot of its group and reads back alone.
    void singleAlarm_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void singleAlarm() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        AlarmBlock block = DistinctAlarms();
        QCOMPARE(int(WriteAlarmsToController(a.access, block)), int(Outcome::Ok));

        TAlarmRecord alarm14 = block[13];
        alarm14.Message.SetText("CHANGED 14");
        alarm14.DelayTime = 7;
        QCOMPARE(int(WriteAlarmToController(a.access, alarm14)), int(Outcome::Ok));
        QCOMPARE(sim.Stats().value(module ? "command submit G17" : "command direct G17"), 1);
        const QByteArray group1 = sim.Dump("alarms/1").hex;
        const auto item = EncodeAlarmItem(alarm14, a.line.link.codePage);
        QCOMPARE(group1.mid(2 + 2 * 22, 44), HexOf(item)); // the third item of group 1
        QCOMPARE(group1.mid(2, 44), ExpectedGroup(block, 1, a.line.link.codePage).mid(2, 44));

        TAlarmRecord copy = block[13];
        QCOMPARE(int(ReadAlarmFromController(a.access, copy)), int(Outcome::Ok));
        CompareTravelling(copy, alarm14);
        QCOMPARE(copy.Number, 14);
    }

    // A controller in RUN refuses module writes of the list and of one alarm before anything
    // is sent; the reset question follows all the same.
    void writesRefusedInRun() {
        ZYL_START_SIM(sim, QStringList{"--mode", "run"});
        SimAccess a(sim.Device(), true);
        AlarmBlock block = DistinctAlarms();
        QCOMPARE(int(WriteAlarmsToController(a.access, block)), int(Outcome::NotStopped));
        QCOMPARE(int(WriteAlarmToController(a.access, block[0])), int(Outcome::NotStopped));
        QCOMPARE(a.host.messages, (std::vector<std::string>{MsgStopMode, MsgStopMode}));
        QCOMPARE(a.host.questions, (std::vector<std::string>{MsgResetDevice, MsgResetDevice}));
        QCOMPARE(sim.Stats().value("writes"), 0);
        QCOMPARE(sim.Dump("alarms/0").how, QString("sample"));
    }
};

QTEST_GUILESS_MAIN(TestE2eAlarms)
#include "tst_e2e_alarms.moc"
