// Programs against the simulator at program versions 500 and 501: the 99 programs written
// and read back directly (the simulator's stored parts compared with the core's encoder),
// the WASHING program in both modes, and reads failing part-way leaving programs as they were.

#include "E2eSupport.h"
#include "ProgramSupport.h"

#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

QString VersionArg(int version) {
    return QString::number(version);
}

} // namespace

class TestE2ePrograms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    void listRoundTrip_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("parts");
        QTest::newRow("version 500") << 500 << 2;
        QTest::newRow("version 501") << 501 << 3;
    }
    void listRoundTrip() {
        QFETCH(int, version);
        QFETCH(int, parts);
        ZYL_START_SIM(sim, QStringList{"--no-pacing", "--version", VersionArg(version)});
        SimAccess a(sim.Device(), false);
        auto sent = DistinctPrograms();
        QCOMPARE(int(WriteProgramsToController(a.access, *sent)), int(Outcome::Ok));
        QCOMPARE(a.access.programBlockCount, parts);
        QVERIFY(a.host.messages.empty());
        QCOMPARE(sim.Stats().value("command direct G0B"), 99 * parts);
        for (int i : {0, 41, 98}) {
            for (int part = 0; part < parts; ++part) {
                const auto stored =
                    sim.Dump(QString("programs/%1/%2/%3").arg(i).arg(parts).arg(part));
                QCOMPARE(stored.how, QString("written"));
                QCOMPARE(stored.hex, HexOf(EncodeProgramPart((*sent)[std::size_t(i)], part, parts,
                                                             a.line.link.codePage)));
            }
        }
        QCOMPARE(sim.Dump(QString("programs/99/%1/0").arg(parts)).how, QString("sample"));

        auto got = std::make_unique<ProgramBlock>();
        QCOMPARE(int(ReadProgramsFromController(a.access, *got)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        for (int i = 0; i < ListedProgramCount; ++i) {
            QCOMPARE((*got)[std::size_t(i)].Number, i + 1);
            CompareProgram((*got)[std::size_t(i)], (*sent)[std::size_t(i)], parts);
            if (QTest::currentTestFailed()) qWarning("program %d", i + 1);
        }
    }

    // The WASHING program is program index 100 on the link and keeps its name.
    void washingProgram_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("version");
        QTest::newRow("direct, 500") << false << 500;
        QTest::newRow("module, 500") << true << 500;
        QTest::newRow("module, 501") << true << 501;
    }
    void washingProgram() {
        QFETCH(bool, module);
        QFETCH(int, version);
        const int parts = version >= 501 ? 3 : 2;
        ZYL_START_SIM(sim, QStringList{"--no-pacing", "--version", VersionArg(version)});
        SimAccess a(sim.Device(), module);
        TProgramRecord washing = (*DistinctPrograms())[4];
        washing.Number = WashingProgramNumber;
        SetWashingName(washing);
        QCOMPARE(int(WriteProgramToController(a.access, washing)), int(Outcome::Ok));
        for (int part = 0; part < parts; ++part) {
            const auto stored = sim.Dump(QString("programs/100/%1/%2").arg(parts).arg(part));
            QCOMPARE(stored.how, QString("written"));
            QCOMPARE(stored.hex.mid(2, 2), QByteArray("64")); // program index 100
        }
        TProgramRecord copy{};
        copy.Number = WashingProgramNumber;
        QCOMPARE(int(ReadProgramFromController(a.access, copy)), int(Outcome::Ok));
        QCOMPARE(copy.Number, WashingProgramNumber);
        QCOMPARE(QString::fromStdString(copy.Name.Text()), QString("WASHING"));
        CompareProgram(copy, washing, parts);
    }

    // The controller falls silent after the first part: the editor's copy and the program of
    // the list the read stopped in are as they were.
    void readFailingPartWay_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void readFailingPartWay() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim, QStringList{"--no-pacing"});
        SimAccess a(sim.Device(), module);
        int partsSeen = 0;
        a.host.onEvents = [&](RecordingHost& h) {
            // The editor's progress reaches 3 when the first part is in.
            if (!h.progress.empty() && h.progress.back().position == 3 && partsSeen++ == 0)
                QVERIFY(sim.Command("fault noreply"));
        };
        TProgramRecord copy = (*DistinctPrograms())[2];
        copy.Number = 3;
        const TProgramRecord before = copy;
        QCOMPARE(int(ReadProgramFromController(a.access, copy)), int(Outcome::NoCommunication));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&copy), sizeof copy),
                 QByteArray(reinterpret_cast<const char*>(&before), sizeof before));
        QCOMPARE(a.host.messages, std::vector<std::string>{MsgNoCommunication});

        // The list: silent from the first part of program 2 on (the progress shows 2 after it).
        ZYL_START_SIM(second, QStringList{"--no-pacing"});
        SimAccess b(second.Device(), module);
        bool broken = false;
        b.host.onEvents = [&](RecordingHost& h) {
            if (!broken && !h.progress.empty() && h.progress.back().position == 2) {
                broken = true;
                QVERIFY(second.Command("fault noreply"));
            }
        };
        auto programs = DistinctPrograms();
        auto old = std::make_unique<ProgramBlock>(*programs);
        QCOMPARE(int(ReadProgramsFromController(b.access, *programs)),
                 int(Outcome::NoCommunication));
        QCOMPARE((*programs)[0].Number, 1);
        for (int i = 1; i < ProgramCount; ++i)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(&(*programs)[std::size_t(i)]),
                                sizeof(TProgramRecord)),
                     QByteArray(reinterpret_cast<const char*>(&(*old)[std::size_t(i)]),
                                sizeof(TProgramRecord)));
    }
};

QTEST_GUILESS_MAIN(TestE2ePrograms)
#include "tst_e2e_programs.moc"
