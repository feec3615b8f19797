// The special statuses against the simulator, direct and through the module: the block's
// round trip with the wire bytes the simulator stored, switch-off times of 65000 and -1,
// single statuses, and the refusal in RUN.

#include "E2eSupport.h"
#include "editors/statuses/SpecialStatuses.h"
#include "link/CommandEncoding.h"

#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

using StatusBlock = std::array<TSpecialStatusRecord, SpecialStatusCount>;

StatusBlock DistinctStatuses() {
    StatusBlock block{};
    const int times[] = {65000, -1, 0, 32768, 65534, 12};
    for (int i = 0; i < SpecialStatusCount; ++i) {
        TSpecialStatusRecord& s = block[std::size_t(i)];
        s.Number = 50;
        s.SwitchOffTime = times[i];
        s.RelayLogic = i % 3;
        for (int k = 0; k < RelayCount; ++k) s.RelayOutputs[k] = (k + i) % 4 == 0;
    }
    return block;
}

} // namespace

class TestE2eStatuses : public QObject {
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
        StatusBlock sent = DistinctStatuses();
        QCOMPARE(int(WriteSpecialStatusesToController(a.access, sent)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        Bytes expected;
        for (const auto& s : sent) {
            const auto item = EncodeSpecialStatusItem(s);
            expected.insert(expected.end(), item.begin(), item.end());
        }
        const auto stored = sim.Dump("statuses");
        QCOMPARE(stored.how, QString("written"));
        QCOMPARE(stored.hex, HexOf(expected));
        QCOMPARE(stored.hex.left(8), QByteArray("FDE80011")); // 65000, logic 0, relays 1 and 5

        StatusBlock got{};
        QCOMPARE(int(ReadSpecialStatusesFromController(a.access, got)), int(Outcome::Ok));
        for (int i = 0; i < SpecialStatusCount; ++i) {
            QCOMPARE(got[std::size_t(i)].Number, i + 1);
            QCOMPARE(got[std::size_t(i)].SwitchOffTime, sent[std::size_t(i)].SwitchOffTime);
            QCOMPARE(got[std::size_t(i)].RelayLogic, sent[std::size_t(i)].RelayLogic);
            for (int k = 0; k < RelayCount; ++k)
                QCOMPARE(got[std::size_t(i)].RelayOutputs[k], sent[std::size_t(i)].RelayOutputs[k]);
        }
        QCOMPARE(QString::fromStdString(got[0].Name.Text()), QString("Stop mode"));

        // The editor's single write lands in its slot, and its read takes it back.
        TSpecialStatusRecord f2 = got[3];
        f2.SwitchOffTime = -1;
        QCOMPARE(int(WriteSpecialStatusToController(a.access, f2)), int(Outcome::Ok));
        QCOMPARE(sim.Dump("statuses").hex.mid(3 * 14, 4), QByteArray("FFFF"));
        TSpecialStatusRecord copy = got[3];
        QCOMPARE(int(ReadSpecialStatusFromController(a.access, copy)), int(Outcome::Ok));
        QCOMPARE(copy.SwitchOffTime, -1);
        QCOMPARE(QString::fromStdString(copy.Name.Text()), QString("F2"));
    }

    void writesRefusedInRun() {
        ZYL_START_SIM(sim, QStringList{"--mode", "run"});
        SimAccess a(sim.Device(), true);
        StatusBlock block = DistinctStatuses();
        QCOMPARE(int(WriteSpecialStatusesToController(a.access, block)), int(Outcome::NotStopped));
        QCOMPARE(int(WriteSpecialStatusToController(a.access, block[0])), int(Outcome::NotStopped));
        QCOMPARE(a.host.messages, (std::vector<std::string>{MsgStopMode, MsgStopMode}));
        QCOMPARE(sim.Stats().value("writes"), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eStatuses)
#include "tst_e2e_statuses.moc"
