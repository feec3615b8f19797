// The process tables against the simulator, direct and through the module: the list's round
// trip of both tables with the wire bytes the simulator stored, a step-preset read that fails
// after the groups, single processes, the refusal in RUN, and zylctl's process blocks.

#include "E2eSupport.h"
#include "editors/processes/Processes.h"
#include "link/CommandEncoding.h"
#include "project/ProjectImage.h"
#include "support/ZylctlProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

using ProcessBlock = std::array<TProcessRecord, ProcessCount>;

// 16 processes whose travelling fields all differ, within their wire fields; `seed` makes
// the two tables differ too.
ProcessBlock DistinctProcesses(int seed) {
    ProcessBlock processes{};
    for (int i = 0; i < ProcessCount; ++i) {
        TProcessRecord& p = processes[std::size_t(i)];
        p.Number = 99;
        p.Name.SetText((seed ? "WASH " : "STEP ") + std::to_string(i + 1) + (i % 3 ? "" : " HOT"));
        p.EndCondition = (i * 5 + seed) % 25;
        for (int k = 0; k < RelayCount; ++k) p.RelayStates[k] = (k * 3 + i + seed) % 4 == 0;
        for (int s = 0; s < 5; ++s)
            p.StepPresets[s] = std::int16_t(-32768 + 4093 * (i + 1) * (s + 1) + 977 * seed);
    }
    return processes;
}

std::unique_ptr<Project> ProjectWith(const ProcessBlock& plain, const ProcessBlock& washing) {
    auto project = std::make_unique<Project>();
    std::copy(plain.begin(), plain.end(), project->image.Processes);
    std::copy(washing.begin(), washing.end(), project->image.WashingProcesses);
    return project;
}

QString GroupKey(bool washing, int g) {
    return QString(washing ? "washing-processes/%1" : "processes/%1").arg(g);
}

QString ParametersKey(bool washing) {
    return QString("process-parameters/%1").arg(washing ? 1 : 0);
}

QByteArray ExpectedGroup(std::span<const TProcessRecord, ProcessCount> table, int g, int codePage) {
    Bytes payload{std::uint8_t(g)};
    for (int j = 0; j < 8; ++j) {
        const auto item = EncodeProcessItem(table[std::size_t(g * 8 + j)], codePage);
        payload.insert(payload.end(), item.begin(), item.end());
    }
    return HexOf(payload);
}

QByteArray ExpectedParameters(std::span<const TProcessRecord, ProcessCount> table, bool washing) {
    Bytes payload{std::uint8_t(washing ? 1 : 0)};
    for (const TProcessRecord& p : table) {
        const auto item = EncodeProcessParametersItem(p);
        payload.insert(payload.end(), item.begin(), item.end());
    }
    return HexOf(payload);
}

void CompareTravelling(const TProcessRecord& got, const TProcessRecord& sent) {
    QCOMPARE(QString::fromStdString(got.Name.Text()), QString::fromStdString(sent.Name.Text()));
    QCOMPARE(got.EndCondition, sent.EndCondition);
    for (int k = 0; k < RelayCount; ++k) QCOMPARE(got.RelayStates[k], sent.RelayStates[k]);
    for (int s = 0; s < 5; ++s) QCOMPARE(got.StepPresets[s], sent.StepPresets[s]);
}

QString Counter(bool module, const char* code) {
    return QString(module ? "command submit %1" : "command direct %1").arg(code);
}

QStringList Messages(const RecordingHost& host) {
    QStringList list;
    for (const auto& m : host.messages) list << QString::fromStdString(m);
    return list;
}

// A ".klz" as a read gives it back: processes numbered 1 to 16, only what travels.
QByteArray TableFile(int seed) {
    ProcessBlock table = DistinctProcesses(seed);
    QByteArray file;
    for (int i = 0; i < ProcessCount; ++i) {
        table[std::size_t(i)].Number = i + 1;
        file += QByteArray(reinterpret_cast<const char*>(&table[std::size_t(i)]),
                           sizeof(TProcessRecord));
    }
    return file;
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestE2eProcesses : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM");
        QVERIFY(home_.isValid());
    }

    // A table goes out as two groups and its step presets, with the table's codes and kind
    // byte, and comes back with every travelling field intact; the other table of the
    // controller is not touched, the other table of the image only renumbered.
    void tableRoundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("washing");
        QTest::newRow("direct, plain") << false << false;
        QTest::newRow("direct, WASHING") << false << true;
        QTest::newRow("module, plain") << true << false;
        QTest::newRow("module, WASHING") << true << true;
    }
    void tableRoundTrip() {
        QFETCH(bool, module);
        QFETCH(bool, washing);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        auto project = ProjectWith(DistinctProcesses(0), DistinctProcesses(1));
        TProjectImage& image = project->image;

        QCOMPARE(int(WriteProcessesToController(a.access, image, washing).outcome),
                 int(Outcome::Ok));
        QCOMPARE(Messages(a.host), QStringList());
        QCOMPARE(a.host.questions, std::vector<std::string>{MsgResetDevice});
        for (int i = 0; i < ProcessCount; ++i) {
            QCOMPARE(image.Processes[i].Number, i + 1);
            QCOMPARE(image.WashingProcesses[i].Number, i + 1);
        }
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("writes"), 3);
        QCOMPARE(stats.value(Counter(module, washing ? "G10" : "G0D")), 2);
        QCOMPARE(stats.value(Counter(module, "G13")), 1);
        const auto table = ProcessTable(image, washing);
        for (int g = 0; g < 2; ++g) {
            const auto block = sim.Dump(GroupKey(washing, g));
            QCOMPARE(block.how, QString("written"));
            QCOMPARE(block.hex, ExpectedGroup(table, g, a.line.link.codePage));
            QCOMPARE(sim.Dump(GroupKey(!washing, g)).how, QString("sample"));
        }
        QCOMPARE(sim.Dump(ParametersKey(washing)).hex, ExpectedParameters(table, washing));
        QCOMPARE(sim.Dump(ParametersKey(!washing)).how, QString("sample"));

        // Process 1 pinned on the wire: the name blank padded, end condition, relay flags,
        // and its five step presets big-endian.
        const QByteArray item1 = sim.Dump(GroupKey(washing, 0)).hex.mid(2, 38);
        const QByteArray presets1 = sim.Dump(ParametersKey(washing)).hex.mid(2, 20);
        if (washing) {
            // "WASH 1 HOT", end condition 1, relays 2, 6, 10, ... 30.
            QCOMPARE(item1,
                     QByteArray("57415348203120484F54 20202020 01 22222222").replace(' ', ""));
            QCOMPARE(presets1, QByteArray("93CE A3CB B3C8 C3C5 D3C2").replace(' ', ""));
        } else {
            // "STEP 1 HOT", end condition 0, relays 1, 5, 9, ... 29.
            QCOMPARE(item1,
                     QByteArray("53544550203120484F54 20202020 00 11111111").replace(' ', ""));
            QCOMPARE(presets1, QByteArray("8FFD 9FFA AFF7 BFF4 CFF1").replace(' ', ""));
        }

        auto back = ProjectWith(DistinctProcesses(2), DistinctProcesses(3));
        const auto before = std::make_unique<Project>(*back);
        const ProcessTransferResult read =
            ReadProcessesFromController(a.access, back->image, washing);
        QCOMPARE(int(read.outcome), int(Outcome::Ok));
        QCOMPARE(Messages(a.host), QStringList());
        const auto got = ProcessTable(back->image, washing);
        for (int i = 0; i < ProcessCount; ++i) {
            QCOMPARE(got[std::size_t(i)].Number, i + 1);
            CompareTravelling(got[std::size_t(i)], table[std::size_t(i)]);
            if (QTest::currentTestFailed()) qWarning("process %d", i + 1);
        }
        QCOMPARE(std::memcmp(ProcessTable(back->image, !washing).data(),
                             ProcessTable(before->image, !washing).data(), 1920),
                 0);
    }

    // The controller stops answering once both groups are in: names, end conditions and
    // relay states come from the controller, the step presets stay, and the user is told.
    void stepPresetReadFails_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("rule");
        QTest::newRow("direct") << false << "noreply";
        QTest::newRow("module, collect unanswered") << true << "noreply on collect";
    }
    void stepPresetReadFails() {
        QFETCH(bool, module);
        QFETCH(QString, rule);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        auto sent = ProjectWith(DistinctProcesses(0), DistinctProcesses(1));
        QCOMPARE(int(WriteProcessesToController(a.access, sent->image, false).outcome),
                 int(Outcome::Ok));

        bool broken = false;
        a.host.onEvents = [&](RecordingHost& h) {
            if (!broken && !h.progress.empty() && h.progress.back().position == 2) {
                broken = true;
                QVERIFY(sim.Command("fault " + rule));
            }
        };
        auto back = ProjectWith(DistinctProcesses(2), DistinctProcesses(3));
        const auto before = std::make_unique<Project>(*back);
        const ProcessTransferResult read =
            ReadProcessesFromController(a.access, back->image, false);
        QVERIFY(broken);
        QCOMPARE(int(read.outcome), int(Outcome::NoCommunication));
        QVERIFY(read.groupsDone);
        QCOMPARE(Messages(a.host), QStringList{MsgNoCommunication});
        for (int i = 0; i < ProcessCount; ++i) {
            const TProcessRecord& got = back->image.Processes[i];
            QCOMPARE(QString::fromStdString(got.Name.Text()),
                     QString::fromStdString(sent->image.Processes[i].Name.Text()));
            QCOMPARE(std::memcmp(got.StepPresets, before->image.Processes[i].StepPresets, 10), 0);
        }
    }

    // One process written by the editor lands in its slot of its group, its step presets in
    // its slot of its table's parameters (the WASHING index is sent plus 100), and reads back
    // alone: process 11 is the third record of the second group.
    void singleProcess_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("washing");
        QTest::newRow("direct, plain") << false << false;
        QTest::newRow("module, plain") << true << false;
        QTest::newRow("direct, WASHING") << false << true;
        QTest::newRow("module, WASHING") << true << true;
    }
    void singleProcess() {
        QFETCH(bool, module);
        QFETCH(bool, washing);
        ZYL_START_SIM(sim);
        SimAccess a(sim.Device(), module);
        auto project = ProjectWith(DistinctProcesses(0), DistinctProcesses(1));
        QCOMPARE(int(WriteProcessesToController(a.access, project->image, washing).outcome),
                 int(Outcome::Ok));
        const QByteArray otherParameters = sim.Dump(ParametersKey(!washing)).hex;

        TProcessRecord process11 = ProcessTable(project->image, washing)[10];
        process11.Name.SetText("CHANGED 11");
        process11.EndCondition = 24;
        process11.RelayStates[0] = 1;
        process11.StepPresets[0] = -25536;
        process11.StepPresets[4] = 7;
        QCOMPARE(int(WriteProcessToController(a.access, process11, washing)), int(Outcome::Ok));
        QCOMPARE(Messages(a.host), QStringList());
        const auto stats = sim.Stats();
        QCOMPARE(stats.value(Counter(module, washing ? "G18" : "G15")), 1);
        QCOMPARE(stats.value(Counter(module, "G1A")), 1);

        const int codePage = a.line.link.codePage;
        const QByteArray group1 = sim.Dump(GroupKey(washing, 1)).hex;
        QCOMPARE(group1.mid(2 + 2 * 2 * 19, 2 * 19), HexOf(EncodeProcessItem(process11, codePage)));
        const auto table = ProcessTable(project->image, washing);
        QCOMPARE(group1.mid(2, 2 * 2 * 19), ExpectedGroup(table, 1, codePage).mid(2, 2 * 2 * 19));
        const QByteArray parameters = sim.Dump(ParametersKey(washing)).hex;
        QCOMPARE(parameters.mid(2 + 2 * 10 * 10, 2 * 10),
                 HexOf(EncodeProcessParametersItem(process11)));
        QCOMPARE(sim.Dump(ParametersKey(!washing)).hex, otherParameters);

        TProcessRecord copy = table[10];
        copy.Number = 11;
        QCOMPARE(int(ReadProcessFromController(a.access, copy, washing)), int(Outcome::Ok));
        CompareTravelling(copy, process11);
        QCOMPARE(copy.Number, 11);
    }

    // A controller in RUN refuses the module writes of a table and of one process before
    // anything is sent; the reset question follows all the same.
    void writesRefusedInRun() {
        ZYL_START_SIM(sim, QStringList{"--mode", "run"});
        SimAccess a(sim.Device(), true);
        auto project = ProjectWith(DistinctProcesses(0), DistinctProcesses(1));
        const ProcessTransferResult table =
            WriteProcessesToController(a.access, project->image, true);
        QCOMPARE(int(table.outcome), int(Outcome::NotStopped));
        QVERIFY(!table.groupsDone);
        TProcessRecord process = project->image.Processes[3];
        QCOMPARE(int(WriteProcessToController(a.access, process, false)), int(Outcome::NotStopped));
        QCOMPARE(Messages(a.host), (QStringList{MsgStopMode, MsgStopMode}));
        QCOMPARE(a.host.questions, (std::vector<std::string>{MsgResetDevice, MsgResetDevice}));
        QCOMPARE(sim.Stats().value("writes"), 0);
        QCOMPARE(sim.Dump("washing-processes/0").how, QString("sample"));
    }

    // zylctl moves a ".klz" to either table and back byte for byte, sending what the windows
    // send.
    void zylctlRoundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("block");
        QTest::newRow("processes, direct") << false << "processes";
        QTest::newRow("processes-washing, module") << true << "processes-washing";
    }
    void zylctlRoundTrip() {
        QFETCH(bool, module);
        QFETCH(QString, block);
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL names no zylctl to run");
        const bool washing = block == "processes-washing";
        ZYL_START_SIM(sim);
        const QString out = home_.filePath("out.klz"), back = home_.filePath("back.klz");
        const QByteArray file = TableFile(washing ? 1 : 0);
        QVERIFY(WriteAll(out, file));
        const CliRun w =
            Zylctl(home_.path(), ZylctlLinkArgs(sim, module) << "write" << block << out);
        QVERIFY2(w.exitCode == 0, qPrintable(w.err));
        QCOMPARE(sim.Stats().value("writes"), 3);
        ProcessBlock table{};
        std::memcpy(table.data(), file.constData(), 1920);
        QCOMPARE(sim.Dump(GroupKey(washing, 1)).hex, ExpectedGroup(table, 1, 0));
        QCOMPARE(sim.Dump(ParametersKey(washing)).hex, ExpectedParameters(table, washing));
        QCOMPARE(sim.Dump(GroupKey(!washing, 0)).how, QString("sample"));

        const CliRun r =
            Zylctl(home_.path(), ZylctlLinkArgs(sim, module) << "read" << block << back);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(ReadAll(back).toHex(), file.toHex());
    }

    // A file that is not 16 whole records is refused before anything is sent; a failure is
    // named on stderr.
    void zylctlRefusals_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<int>("bytes"); // of the file written, -1: none
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("15 records")
            << "processes" << 15 * 120 << QStringList{} << 4 << "1800 bytes";
        QTest::newRow("16 and a half records")
            << "processes-washing" << 16 * 120 + 60 << QStringList{} << 4 << "1980 bytes";
        QTest::newRow("17 records")
            << "processes-washing" << 17 * 120 << QStringList{} << 4 << "2040 bytes";
        QTest::newRow("missing file") << "processes" << -1 << QStringList{} << 4 << "in.klz";
        QTest::newRow("RUN, module") << "processes" << 16 * 120 << QStringList{"--mode", "run"} << 3
                                     << "Controller must be in STOP mode";
    }
    void zylctlRefusals() {
        QFETCH(QString, block);
        QFETCH(int, bytes);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        if (qEnvironmentVariable("ZYLCTL").isEmpty()) QSKIP("ZYLCTL names no zylctl to run");
        ZYL_START_SIM(sim, args);
        const QString in = home_.filePath("in.klz");
        QFile::remove(in);
        if (bytes >= 0) QVERIFY(WriteAll(in, TableFile(0).leftJustified(bytes, '\0', true)));
        const CliRun r = Zylctl(home_.path(), ZylctlLinkArgs(sim, true) << "write" << block << in);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        QCOMPARE(sim.Stats().value("writes"), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eProcesses)
#include "tst_e2e_processes.moc"
