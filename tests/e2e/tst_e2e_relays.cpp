// The relay block transfer against the simulator, direct and through the module: the round
// trip, the wire bytes the simulator stored, cancelling in the panel wait, the STOP refusal,
// a controller switched to RUN during a write, and a read that fails part way.

#include "E2eSupport.h"
#include "editors/relays/Relays.h"
#include "link/CommandEncoding.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

using RelayBlock = std::array<TRelayRecord, RelayCount>;

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QStringList Messages(const RecordingHost& host) {
    QStringList list;
    for (const auto& m : host.messages) list << Text(m);
    return list;
}

// What the simulator should hold for group g: the group byte and six items, the slots beyond
// relay 32 filled with relay 1.
QByteArray ExpectedGroup(const RelayBlock& relays, int g, int codePage) {
    Bytes payload{static_cast<std::uint8_t>(g)};
    for (int j = 0; j < 6; ++j) {
        const int index = g * 6 + j;
        const auto item = EncodeRelayItem(
            relays[static_cast<std::size_t>(index < RelayCount ? index : 0)], codePage);
        payload.insert(payload.end(), item.begin(), item.end());
    }
    return HexOf(payload);
}

// The fields that travel, compared one by one.
void CompareTravelling(const TRelayRecord& got, const TRelayRecord& sent) {
    QCOMPARE(got.Number, sent.Number);
    QCOMPARE(Text(got.Name.Text()), Text(sent.Name.Text()));
    QCOMPARE(got.TimeType, sent.TimeType);
    QCOMPARE(got.TimeTa, sent.TimeTa);
    QCOMPARE(got.TimeTb, sent.TimeTb);
    QCOMPARE(got.RegulatorType, sent.RegulatorType);
    QCOMPARE(got.MeasurementChannel, sent.MeasurementChannel);
    QCOMPARE(got.SetValueSource, sent.SetValueSource);
    QCOMPARE(got.Offset, sent.Offset);
    QCOMPARE(got.RegulatorWindow, sent.RegulatorWindow);
    QCOMPARE(got.LowerHysteresis, sent.LowerHysteresis);
    QCOMPARE(got.UpperHysteresis, sent.UpperHysteresis);
}

// The name of item j as the simulator holds it in a group: 14 bytes, blanks trimmed.
QString StoredName(const QByteArray& groupHex, int j) {
    const QByteArray group = QByteArray::fromHex(groupHex);
    return QString::fromLatin1(group.mid(1 + 40 * j, 14)).trimmed();
}

QString SubmitKey(bool write) {
    return write ? "command submit G0C" : "command submit F0C";
}

} // namespace

class TestE2eRelays : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    // The 32 relays go out in six packets and come back with every travelling field intact;
    // the simulator holds exactly the items the core encodes, slots 33 to 36 being relay 1.
    void roundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void roundTrip() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        RelayBlock sent = DistinctRelays();
        for (auto& r : sent) r.Number = 99; // the write numbers them itself

        QCOMPARE(int(WriteRelaysToController(a.access, sent)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        QCOMPARE(a.host.questions, std::vector<std::string>{MsgResetDevice});
        QCOMPARE(a.host.progress.back().position, 6);
        QVERIFY(!a.host.progressVisible);
        for (int i = 0; i < RelayCount; ++i) QCOMPARE(sent[std::size_t(i)].Number, i + 1);

        auto stats = sim.Stats();
        QCOMPARE(stats.value("writes"), 6);
        QCOMPARE(stats.value(module ? "command submit G0C" : "command direct G0C"), 6);
        for (int g = 0; g < 6; ++g) {
            const auto block = sim.Dump(QString("relays/%1").arg(g));
            QCOMPARE(block.how, QString("written"));
            QCOMPARE(block.hex, ExpectedGroup(sent, g, a.line.link.codePage));
        }

        RelayBlock got{};
        QCOMPARE(int(ReadRelaysFromController(a.access, got)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        for (int i = 0; i < RelayCount; ++i) {
            CompareTravelling(got[std::size_t(i)], sent[std::size_t(i)]);
            if (QTest::currentTestFailed()) qWarning("relay %d", i + 1);
        }
        stats = sim.Stats();
        QCOMPARE(stats.value(module ? "command submit F0C" : "command direct F0C"), 6);
        if (module) QCOMPARE(stats.value("collects"), 12); // six acknowledgements, six groups
    }

    // One item pinned byte for byte, so that an encoding fault shared by the encoder and
    // the comparison above still shows: relay 1 of the distinct block in group 0.
    void firstItemOnTheWire() {
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), false);
        RelayBlock relays = DistinctRelays();
        QCOMPARE(int(WriteRelaysToController(a.access, relays)), int(Outcome::Ok));
        const QByteArray item = sim.Dump("relays/0").hex.mid(2, 80);
        // "PUMP-1 HOT" blank padded, time type 0, Ta 1000, Tb 65535, regulator 0, channel 0,
        // set value 0, offset -12500, window 25500, lower 0, upper 25400.
        QCOMPARE(item, QByteArray("50554D502D3120484F5420202020"
                                  "0000"
                                  "03E8"
                                  "FFFF"
                                  "0000"
                                  "00"
                                  "00"
                                  "FFFFCF2C"
                                  "0000639C"
                                  "00000000"
                                  "00006338"));
    }

    // Cancel pressed while the panel wait polls: the transfer stops at once without a
    // message, no collect goes out, and a read leaves the block as it was.
    void cancelInPanelWait_data() {
        QTest::addColumn<bool>("write");
        QTest::newRow("read") << false;
        QTest::newRow("write") << true;
    }
    void cancelInPanelWait() {
        QFETCH(bool, write);
        ZYL_START_SIM(sim, QStringList{"--panel-delay", "5000"});
        SimAccess a(sim.Device(), true, 5);
        QElapsedTimer timer;
        a.host.onEvents = [&timer](RecordingHost& h) {
            if (timer.isValid() && timer.elapsed() >= 300) h.cancel = true;
        };
        RelayBlock relays = DistinctRelays();
        const RelayBlock before = relays;
        timer.start();
        const Outcome outcome = write ? WriteRelaysToController(a.access, relays)
                                      : ReadRelaysFromController(a.access, relays);
        const qint64 ms = timer.elapsed();

        QCOMPARE(int(outcome), int(Outcome::Cancelled));
        QVERIFY2(ms < 1500, qPrintable(QString("%1 ms").arg(ms)));
        QCOMPARE(Messages(a.host), QStringList());
        QVERIFY(!a.host.progressVisible);
        QCOMPARE(a.host.progress.back().position, 0);
        const auto stats = sim.Stats();
        QCOMPARE(stats.value(SubmitKey(write)), 1);
        QCOMPARE(stats.value("collects"), 0);
        // The panel wait polled at least once (a write's STOP check reads the status too).
        QVERIFY(stats.value("status") >= (write ? 2 : 1));
        if (write) {
            QCOMPARE(a.host.questions, std::vector<std::string>{MsgResetDevice});
            QVERIFY(a.access.resetPending);
        } else {
            for (int i = 0; i < RelayCount; ++i)
                CompareTravelling(relays[std::size_t(i)], before[std::size_t(i)]);
            QVERIFY(a.host.questions.empty());
        }
    }

    // A controller in RUN: the module write is refused before anything is sent; a direct
    // write has no STOP check and goes through.
    void writeWhileRunning_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("writes");
        QTest::newRow("module") << true << int(Outcome::NotStopped) << QStringList{MsgStopMode}
                                << 0;
        QTest::newRow("direct") << false << int(Outcome::Ok) << QStringList{} << 6;
    }
    void writeWhileRunning() {
        QFETCH(bool, module);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, writes);
        ZYL_START_SIM(sim, QStringList{"--mode", "run"});
        SimAccess a(sim.Device(), module);
        RelayBlock relays = DistinctRelays();
        QCOMPARE(int(WriteRelaysToController(a.access, relays)), outcome);
        QCOMPARE(Messages(a.host), messages);
        QVERIFY(!a.host.progressVisible);
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("writes"), writes);
        QCOMPARE(stats.value("writes-in-run"), writes);
        QCOMPARE(stats.value("command submit G0C"), 0);
        QCOMPARE(sim.Dump("relays/0").how, QString(writes > 0 ? "written" : "sample"));
    }

    // The controller goes to RUN after the second packet: the module write stops at the
    // STOP check of the third, leaving groups 0 and 1 written and group 2 as it was.
    void runDuringWrite_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("writesInRun");
        QTest::newRow("module") << true << int(Outcome::NotStopped) << QStringList{MsgStopMode} << 2
                                << 0;
        QTest::newRow("direct") << false << int(Outcome::Ok) << QStringList{} << 6 << 4;
    }
    void runDuringWrite() {
        QFETCH(bool, module);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, written);
        QFETCH(int, writesInRun);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        bool switched = false;
        a.host.onEvents = [&](RecordingHost& h) {
            if (!switched && !h.progress.empty() && h.progress.back().position == 2) {
                switched = true;
                QVERIFY(sim.Command("mode run"));
            }
        };
        RelayBlock relays = DistinctRelays();
        QCOMPARE(int(WriteRelaysToController(a.access, relays)), outcome);
        QVERIFY(switched);
        QCOMPARE(Messages(a.host), messages);
        QCOMPARE(a.host.progress.back().position, written);
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("writes"), written);
        QCOMPARE(stats.value("writes-in-run"), writesInRun);
        for (int g = 0; g < 6; ++g) {
            const auto block = sim.Dump(QString("relays/%1").arg(g));
            QCOMPARE(block.how, QString(g < written ? "written" : "sample"));
            if (g < written) QCOMPARE(block.hex, ExpectedGroup(relays, g, a.line.link.codePage));
        }
    }

    // The controller stops answering after the third packet: "No communication", relays 1
    // to 18 come from the controller and 19 to 32 keep what they held.
    void readFailsOnTheFourthPacket_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("rule");
        QTest::newRow("direct") << false << "noreply";
        QTest::newRow("module, collect unanswered") << true << "noreply on collect";
        QTest::newRow("module, submit unanswered") << true << "noreply on submit";
    }
    void readFailsOnTheFourthPacket() {
        QFETCH(bool, module);
        QFETCH(QString, rule);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        bool broken = false;
        a.host.onEvents = [&](RecordingHost& h) {
            if (!broken && !h.progress.empty() && h.progress.back().position == 3) {
                broken = true;
                QVERIFY(sim.Command("fault " + rule));
            }
        };
        RelayBlock relays = DistinctRelays();
        const RelayBlock before = relays;
        QCOMPARE(int(ReadRelaysFromController(a.access, relays)), int(Outcome::NoCommunication));
        QCOMPARE(Messages(a.host), QStringList{MsgNoCommunication});
        QVERIFY(!a.host.progressVisible);
        QCOMPARE(a.host.progress.back().position, 3);
        for (int i = 0; i < 18; ++i) {
            QCOMPARE(relays[std::size_t(i)].Number, i + 1);
            const QByteArray group = sim.Dump(QString("relays/%1").arg(i / 6)).hex;
            QCOMPARE(Text(relays[std::size_t(i)].Name.Text()), StoredName(group, i % 6));
        }
        for (int i = 18; i < RelayCount; ++i)
            CompareTravelling(relays[std::size_t(i)], before[std::size_t(i)]);
    }
};

QTEST_GUILESS_MAIN(TestE2eRelays)
#include "tst_e2e_relays.moc"
