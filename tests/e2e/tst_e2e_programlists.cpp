// The 99 programs through the communication module in three parts (program version 501):
// written, read back, and the simulator's stored parts compared with the core's encoder.
// Every part waits for the panel (at least 100 ms), so this runs apart from the other program
// tests; two-part programs go through the module in the WASHING program's test there.

#include "E2eSupport.h"
#include "ProgramSupport.h"

#include <QtTest>

using namespace zyl;
using namespace zyl::test;

class TestE2eProgramLists : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    void moduleRoundTrip_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("parts");
        QTest::newRow("version 501") << 501 << 3;
    }
    void moduleRoundTrip() {
        QFETCH(int, version);
        QFETCH(int, parts);
        ZYL_START_SIM(sim, QStringList{"--no-pacing", "--panel-delay", "0", "--version",
                                       QString::number(version)});
        SimAccess a(sim.Device(), true);
        auto sent = DistinctPrograms();
        QCOMPARE(int(WriteProgramsToController(a.access, *sent)), int(Outcome::Ok));
        QVERIFY(a.host.messages.empty());
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("command submit G0B"), 99 * parts);
        for (int i : {0, 98})
            for (int part = 0; part < parts; ++part)
                QCOMPARE(sim.Dump(QString("programs/%1/%2/%3").arg(i).arg(parts).arg(part)).hex,
                         HexOf(EncodeProgramPart((*sent)[std::size_t(i)], part, parts,
                                                 a.line.link.codePage)));

        auto got = std::make_unique<ProgramBlock>();
        QCOMPARE(int(ReadProgramsFromController(a.access, *got)), int(Outcome::Ok));
        QCOMPARE(sim.Stats().value("command submit F0B"), 99 * parts);
        for (int i = 0; i < ListedProgramCount; ++i) {
            QCOMPARE((*got)[std::size_t(i)].Number, i + 1);
            CompareProgram((*got)[std::size_t(i)], (*sent)[std::size_t(i)], parts);
        }
    }
};

QTEST_GUILESS_MAIN(TestE2eProgramLists)
#include "tst_e2e_programlists.moc"
