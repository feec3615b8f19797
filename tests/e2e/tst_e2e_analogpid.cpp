// The analog outputs and the PID regulators against the simulator, direct and through the
// module: each block written and read back with the wire bytes the simulator stored, the
// refusal in RUN, and zylctl's refusal of files that are not five whole records.

#include "E2eSupport.h"
#include "editors/analog/AnalogOutputs.h"
#include "editors/pid/PidRegulators.h"
#include "link/CommandEncoding.h"
#include "support/ZylctlProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

using OutputBlock = std::array<TAnalogOutputRecord, AnalogOutputCount>;
using PidBlock = std::array<TPidRecord, PidCount>;

// Five outputs whose travelling fields all differ, within their wire fields; the reals,
// which do not travel, are set so that a read can be seen to clear them.
OutputBlock DistinctOutputs() {
    OutputBlock outputs{};
    for (int i = 0; i < AnalogOutputCount; ++i) {
        TAnalogOutputRecord& r = outputs[std::size_t(i)];
        r.Name.SetText("AOUT " + std::to_string(i + 1) + (i % 2 ? " VALVE" : ""));
        r.OutputType = std::int16_t(i % 3);
        r.MeasurementChannel = std::int16_t(9 - i);
        r.SetValueSource = std::int16_t(14 + i);
        r.PidNumber = std::uint8_t(4 - i);
        r.Value0V = 11 * i;
        r.Value10V = 9999 - 7 * i;
        r.StopSetValue = 100 + i;
        r.PauseSetValue = 200 + i;
        for (int k = 0; k < 4; ++k) r.SpecialSetValues[k] = 1000 * (k + 1) + i;
        r.Sample = r.Gain = r.TimeTi = r.TimeTd = 2.5 + i;
    }
    return outputs;
}

// Five regulators; regulator 1 carries the values that lose their fractions on the wire.
PidBlock DistinctRegulators() {
    PidBlock regulators{};
    for (int i = 0; i < PidCount; ++i) {
        TPidRecord& r = regulators[std::size_t(i)];
        r.HeatingCooling = std::int16_t(i % 2);
        r.MeasurementChannel = std::int16_t(i * 2);
        r.SetValueSource = std::int16_t(18 - i);
        r.Sample = 1 + i;
        r.Gain = (5 + 3 * i) / 10.0;
        r.TimeTi = 600 - i;
        r.TimeTd = 60 + i;
        r.Period = 30 + i;
    }
    regulators[0].Gain = 1.25;
    regulators[0].Period = 2.5;
    return regulators;
}

// What the simulator should hold: the selector byte 00 and the five items.
template <class Item> QByteArray Stored(const std::vector<Item>& items) {
    Bytes payload{0x00};
    for (const Item& item : items) payload.insert(payload.end(), item.begin(), item.end());
    return HexOf(payload);
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestE2eAnalogPid : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM");
        QVERIFY(home_.isValid());
    }

    void analogRoundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void analogRoundTrip() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        OutputBlock sent = DistinctOutputs();
        QCOMPARE(int(WriteAnalogOutputsToController(a.access, sent)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        QCOMPARE(a.host.questions, std::vector<std::string>{MsgResetDevice});
        QCOMPARE(sim.Stats().value(module ? "command submit G12" : "command direct G12"), 1);
        std::vector<std::array<std::uint8_t, AnalogOutputItemSize>> items;
        for (const auto& r : sent) items.push_back(EncodeAnalogOutputItem(r, a.line.link.codePage));
        const auto stored = sim.Dump("analog");
        QCOMPARE(stored.how, QString("written"));
        QCOMPARE(stored.hex, Stored(items));
        // Output 1 on the wire, pinned: "AOUT 1" blank padded, type 0, channel 9, set value
        // 14, PID 4, 0 V 0, 10 V 9999.
        QCOMPARE(stored.hex.left(2 + 2 * 22), QByteArray("00"
                                                         "414F555420312020202020202020"
                                                         "00090E04"
                                                         "0000270F"));

        OutputBlock got{};
        QCOMPARE(int(ReadAnalogOutputsFromController(a.access, got)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        for (int i = 0; i < AnalogOutputCount; ++i) {
            const TAnalogOutputRecord& r = got[std::size_t(i)];
            const auto item = EncodeAnalogOutputItem(r, a.line.link.codePage);
            QCOMPARE(HexOf(item), HexOf(items[std::size_t(i)]));
            QCOMPARE(QString::fromStdString(r.Name.Text()),
                     QString::fromStdString(sent[std::size_t(i)].Name.Text()));
            QCOMPARE(r.Sample, 0.0);
            QCOMPARE(r.Gain, 0.0);
            QCOMPARE(r.TimeTi, 0.0);
            QCOMPARE(r.TimeTd, 0.0);
        }
    }

    // The gain travels in tenths and the rest as whole numbers, halves to even: 1.25 goes out
    // as 00 00 00 0C and reads back as 1.2, a period of 2.5 as 2.
    void pidRoundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void pidRoundTrip() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        PidBlock sent = DistinctRegulators();
        QCOMPARE(int(WritePidRegulatorsToController(a.access, sent)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        QCOMPARE(a.host.questions, std::vector<std::string>{MsgResetDevice});
        QCOMPARE(sim.Stats().value(module ? "command submit G38" : "command direct G38"), 1);
        std::vector<std::array<std::uint8_t, PidItemSize>> items;
        for (const auto& r : sent) items.push_back(EncodePidItem(r));
        const auto stored = sim.Dump("pid");
        QCOMPARE(stored.how, QString("written"));
        QCOMPARE(stored.hex, Stored(items));
        // Regulator 1: heating, channel 0, set value 18, sample 1, gain 12, Ti 600, Td 60,
        // period 2.
        QCOMPARE(stored.hex.left(2 + 2 * 23), QByteArray("00"
                                                         "000012"
                                                         "00000001"
                                                         "0000000C"
                                                         "00000258"
                                                         "0000003C"
                                                         "00000002"));

        PidBlock got{};
        QCOMPARE(int(ReadPidRegulatorsFromController(a.access, got)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        QCOMPARE(got[0].Gain, 1.2);
        QCOMPARE(got[0].Period, 2.0);
        for (int i = 1; i < PidCount; ++i) {
            const TPidRecord& r = got[std::size_t(i)];
            const TPidRecord& s = sent[std::size_t(i)];
            QCOMPARE(r.HeatingCooling, s.HeatingCooling);
            QCOMPARE(r.MeasurementChannel, s.MeasurementChannel);
            QCOMPARE(r.SetValueSource, s.SetValueSource);
            QCOMPARE(r.Sample, s.Sample);
            QCOMPARE(r.Gain, s.Gain);
            QCOMPARE(r.TimeTi, s.TimeTi);
            QCOMPARE(r.TimeTd, s.TimeTd);
            QCOMPARE(r.Period, s.Period);
        }
    }

    // A controller in RUN refuses both module writes before anything is sent; the reset
    // question follows all the same.
    void writesRefusedInRun() {
        ZYL_START_SIM(sim, QStringList{"--mode", "run"});
        SimAccess a(sim.Device(), true);
        OutputBlock outputs = DistinctOutputs();
        PidBlock regulators = DistinctRegulators();
        QCOMPARE(int(WriteAnalogOutputsToController(a.access, outputs)), int(Outcome::NotStopped));
        QCOMPARE(int(WritePidRegulatorsToController(a.access, regulators)),
                 int(Outcome::NotStopped));
        QCOMPARE(a.host.messages, (std::vector<std::string>{MsgStopMode, MsgStopMode}));
        QCOMPARE(a.host.questions, (std::vector<std::string>{MsgResetDevice, MsgResetDevice}));
        QCOMPARE(sim.Stats().value("writes"), 0);
        QCOMPARE(sim.Dump("analog").how, QString("sample"));
        QCOMPARE(sim.Dump("pid").how, QString("sample"));
    }

    // zylctl takes only files of five whole records; anything else is named and refused
    // before anything is sent.
    void zylctlRefusals_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("said");
        QTest::newRow("6 analog outputs")
            << "analog-outputs" << 6 * 264
            << "is 1584 bytes long, not the 1320 bytes of 5 analog output records; nothing sent";
        QTest::newRow("4 and a half PID regulators")
            << "pid" << 4 * 272 + 136
            << "is 1224 bytes long, not the 1360 bytes of 5 PID regulator records; nothing sent";
        QTest::newRow("an .aou file given as PID regulators")
            << "pid" << 5 * 264 << "is 1320 bytes long, not the 1360 bytes";
    }
    void zylctlRefusals() {
        QFETCH(QString, block);
        QFETCH(int, bytes);
        QFETCH(QString, said);
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL names no zylctl to run");
        ZYL_START_SIM(sim);
        const QString in = home_.filePath("in.blk");
        QVERIFY(WriteAll(in, QByteArray(bytes, '\0')));
        const CliRun r = Zylctl(home_.path(), {"--port", sim.PtyPath(), "--baud", "19200",
                                               "--direct", "write", block, in});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(in + " " + said), qPrintable(r.err));
        QCOMPARE(sim.Stats().value("frames"), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eAnalogPid)
#include "tst_e2e_analogpid.moc"
