// zylctl write-project and read-project against the simulator: a project written and compared
// comes back OK in every row (the template, and a project that uses every field, at both
// program block counts, directly and through the module), a read saves what it got, one byte
// changed in the controller shows as a Difference of exactly its block, a failing block read
// shows Error while the run goes on, and a running controller refuses the write.

#include "E2eSupport.h"
#include "project/ProjectFiles.h"
#include "project/ProjectImage.h"
#include "support/ZylctlProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

const QStringList AllLabels = {"Setup",      "Relays",
                               "Processes",  "Processes WASHING",
                               "Alarms",     "Special statuses",
                               "Programs",   "Program WASHING",
                               "Analog OUT", "PID"};
// Everything but the 99 programs, which take long through the module.
const QString AllButPrograms = "setup,relays,processes,processes-washing,alarms,special-statuses,"
                               "program-washing,analog-outputs,pid";
const QStringList AllButProgramsLabels = {
    "Setup",           "Relays",     "Processes", "Processes WASHING", "Alarms", "Special statuses",
    "Program WASHING", "Analog OUT", "PID"};

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The main file and its side files, as they lie on disk (empty when missing).
QList<QByteArray> ProjectBytes(const QString& file) {
    return {ReadAll(file), ReadAll(file + "h"), ReadAll(file + "pid")};
}

// Every block filled, each field varied from record to record: names longer than the 14
// characters that travel, a step of process 0, analog outputs with reals (which do not
// travel), PID reals that are not whole tenths, setup words across their range.
std::unique_ptr<Project> FullProject(int version) {
    auto p = std::make_unique<Project>();
    TProjectImage& m = p->image;
    for (int w = 1; w <= 100; ++w) m.Setup.Words[w] = std::int16_t(w * 331 - 16000);
    m.Setup.Words[98] = std::int16_t(0xBA56);
    m.Setup.Words[99] = std::int16_t(version);
    for (int i = 0; i < RelayCount; ++i) {
        TRelayRecord& r = m.Relays[i];
        r = DistinctRelays()[std::size_t(i)];
        r.Number = 77; // the write numbers them itself
        r.Name.SetText("RELAY LONG NAME NUMBER " + std::to_string(i + 1));
    }
    for (int kind = 0; kind < 2; ++kind)
        for (int i = 0; i < ProcessCount; ++i) {
            TProcessRecord& r = kind ? m.WashingProcesses[i] : m.Processes[i];
            r.Name.SetText((kind ? "WASHING PROCESS " : "MAIN PROCESS NO ") + std::to_string(i));
            r.EndCondition = (i + kind) % 9;
            for (int k = 0; k < 32; ++k) r.RelayStates[k] = std::uint8_t((i + k + kind) % 3 == 0);
            for (int k = 0; k < 5; ++k) r.StepPresets[k] = std::int16_t(1000 * k - 37 * i + kind);
        }
    for (int i = 0; i < AlarmCount; ++i) {
        TAlarmRecord& a = m.Alarms[i];
        a.Message.SetText("ALARM MESSAGE LONGER " + std::to_string(i + 1));
        a.DelayTime = 65000 - 999 * i;
        a.AlarmStatus = i % 3;
        a.RelayLogic = (i / 3) % 3;
        for (int k = 0; k < 32; ++k) a.RelayOutputs[k] = std::uint8_t((i * k) % 5 == 1);
    }
    for (int i = 0; i < SpecialStatusCount; ++i) {
        TSpecialStatusRecord& s = m.SpecialStatuses[i];
        s.SwitchOffTime = i == 0 ? 65000 : i == 1 ? -1 : 123 * i;
        s.RelayLogic = i % 3;
        for (int k = 0; k < 32; ++k) s.RelayOutputs[k] = std::uint8_t((i + k) % 4 == 0);
    }
    SetFixedSpecialStatusNames(m);
    auto fill = [](TProgramRecord& program, int i) {
        program.Name.SetText("PROGRAM WITH A LONG NAME " + std::to_string(i + 1));
        for (int k = 0; k < StepCount; ++k) {
            TStepRecord& s = program.Steps[k];
            s.ProcessNumber = 1 + (i + k) % 16;
            s.Temperature = -99 + (i + 3 * k) % 300;
            s.Weight = 2000 - i - k;
            s.Rotation = 200 - k;
            s.Counter = 7 * k + i;
            s.Vacuum = (i + k) % 100;
            s.ExtraValue = k;
            s.VacuumPulse = (3 * k) % 201;
            s.Hours = (i + k) % 100;
            s.Minutes = (i * k) % 60;
            s.OnOffPulse = k % 2;
            s.WorkTime = std::uint16_t(65000 - 17 * i - k);
            s.PauseTime = std::uint16_t(100 * k + i);
        }
    };
    for (int i = 0; i < ProgramCount; ++i) fill(m.Programs[i], i);
    m.Programs[2].Steps[4].ProcessNumber = 0;
    fill(m.WashingProgram, 100);
    SetWashingProgramName(m);
    for (int i = 0; i < AnalogOutputCount; ++i) {
        TAnalogOutputRecord& r = m.AnalogOutputs[i];
        r.Name.SetText("ANALOG OUTPUT NUMBER " + std::to_string(i + 1));
        r.OutputType = std::int16_t(i % 3);
        r.MeasurementChannel = std::int16_t(i + 5);
        r.SetValueSource = std::int16_t(18 - i);
        r.PidNumber = std::uint8_t(i);
        r.Value0V = 10 * i;
        r.Value10V = 9999 - i;
        r.StopSetValue = 500 + i;
        r.PauseSetValue = 600 + i;
        r.Sample = 1.5 + i;
        r.Gain = 2.25 * (i + 1);
        r.TimeTi = 300.75 + i;
        r.TimeTd = 0.125 * i + 7;
        for (int k = 0; k < 4; ++k) r.SpecialSetValues[k] = 1000 * (k + 1) + i;
    }
    for (int i = 0; i < PidCount; ++i) {
        TPidRecord& r = p->pid[i];
        r.HeatingCooling = std::int16_t(i % 2);
        r.MeasurementChannel = std::int16_t(9 - i);
        r.SetValueSource = std::int16_t(i + 3);
        r.Sample = 1 + i;
        r.Gain = 1.25 + 0.7 * i;
        r.TimeTi = 300.4 + i;
        r.TimeTd = 30 + i;
        r.Period = 10 + i;
    }
    for (int i = 0; i < 50; ++i) p->passwords.Slots[i].SetText(std::to_string(1000 + 17 * i));
    return p;
}

// The result lines of a run, "Label: Text" in order, without the indented fields.
QStringList ResultLines(const QString& out) {
    QStringList lines;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        if (!line.startsWith(' ')) lines << line;
    return lines;
}

QStringList Expect(const QStringList& labels, const QString& text,
                   const QMap<QString, QString>& except = {}) {
    QStringList lines;
    for (const QString& label : labels) lines << label + ": " + except.value(label, text);
    return lines;
}

// Runs zylctl and requires the exit status, showing what it said when it differs.
#define RUN_EXPECT(run, code)                                                                      \
    QVERIFY2((run).exitCode == (code), qPrintable(QString("exit %1, stdout:\n%2stderr:\n%3")       \
                                                      .arg((run).exitCode)                         \
                                                      .arg((run).out, (run).err)))

} // namespace

class TestE2eProject : public QObject {
    Q_OBJECT
    QTemporaryDir home_; // the program's folder: the template "default.zy2"
    QTemporaryDir work_;

    static QStringList Link(const SimProcess& sim, bool module) {
        return {"--port",
                sim.PtyPath(),
                "--baud",
                "19200",
                "--timeout",
                "150",
                module ? "--module" : "--direct"};
    }

    static QStringList SimOptions() {
        // Pacing off: the tests look at what arrives, not at the line's time.
        return {"--no-pacing", "--panel-delay", "5", "--quiet"};
    }

    QString SaveProject(const Project& project, const QString& name) {
        const QString path = work_.filePath(name);
        const FileStatus saved = WriteProjectFiles(project, path.toStdString());
        return saved ? path : QString();
    }

    // The simulator's stored block KEY with byte `at` changed (xor 1), through its state file.
    static bool ChangeStoredByte(SimProcess& sim, const QString& key, int at, const QString& dir) {
        const QString state = dir + "/state", changed = dir + "/changed";
        if (!sim.Command("save " + state)) return false;
        QByteArray text = ReadAll(state);
        const QByteArray prefix = "block " + key.toLatin1() + " ";
        const qsizetype line = text.indexOf(prefix);
        if (line < 0) return false;
        const qsizetype hexAt = line + prefix.size() + 2 * at;
        bool ok = false;
        const int byte = text.mid(hexAt, 2).toInt(&ok, 16) ^ 0x01;
        if (!ok) return false;
        text.replace(hexAt, 2, QByteArray::number(byte, 16).rightJustified(2, '0').toUpper());
        return WriteAll(changed, text) && sim.Command("load " + changed);
    }

    int templateVersion_ = 0;
    std::unique_ptr<SimProcess> shared_; // written once with the full project (version 501)
    QString sharedFile_;

    // The simulator written with the full project (version 501), shared by the tests that
    // only read from it; each gets it as it was written.
    SimProcess* Shared() {
        if (!shared_) {
            sharedFile_ = SaveProject(*FullProject(501), "shared.zy2");
            if (sharedFile_.isEmpty()) return nullptr;
            shared_ = std::make_unique<SimProcess>(SimOptions());
            if (!shared_->Error().isEmpty()) return nullptr;
            const CliRun written =
                Zylctl(home_.path(), Link(*shared_, false) << "write-project" << sharedFile_);
            if (written.exitCode != 0 ||
                !shared_->Command("save " + work_.filePath("written.state")))
                return nullptr;
        }
        return shared_->Command("load " + work_.filePath("written.state")) ? shared_.get()
                                                                           : nullptr;
    }

private slots:
    void initTestCase() {
        QVERIFY(!qEnvironmentVariable("ZYLCTL").isEmpty());
        QVERIFY(home_.isValid() && work_.isValid());
        // The template the build makes, in the program's folder.
        QVERIFY(QFile::copy(ZYL_TEMPLATE_PATH, QDir(home_.path()).filePath("default.zy2")));
        auto made = std::make_unique<Project>();
        QVERIFY(LoadMainFile(*made, ZYL_TEMPLATE_PATH));
        templateVersion_ = made->image.Setup.Words[99];
    }

    // Written, then compared: every row OK, and the compare leaves the files as they were.
    void writeThenCompare_data() {
        QTest::addColumn<QString>("project"); // "template" or "full"
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("programs"); // programs written: 99, or 0 when not run
        QTest::newRow("template, direct") << "template" << 0 << false << 99;
        QTest::newRow("full 501, direct") << "full" << 501 << false << 99;
        QTest::newRow("full 500, direct") << "full" << 500 << false << 99;
        QTest::newRow("template, module") << "template" << 0 << true << 0;
        QTest::newRow("full 501, module") << "full" << 501 << true << 0;
    }
    void writeThenCompare() {
        QFETCH(QString, project);
        QFETCH(int, version);
        QFETCH(bool, module);
        QFETCH(int, programs);
        QString file;
        if (project == "template") {
            file = work_.filePath("template.zy2");
            QFile::remove(file);
            QVERIFY(QFile::copy(QDir(home_.path()).filePath("default.zy2"), file));
        } else {
            file = SaveProject(*FullProject(version), QString("full%1.zy2").arg(version));
            QVERIFY(!file.isEmpty());
        }
        const QList<QByteArray> before = ProjectBytes(file);
        const QStringList labels = module ? AllButProgramsLabels : AllLabels;
        QStringList blocks;
        if (module) blocks << "--blocks" << AllButPrograms;

        ZYL_START_SIM(sim, SimOptions());
        const CliRun written =
            Zylctl(home_.path(), Link(sim, module) << "write-project" << file << blocks);
        RUN_EXPECT(written, 0);
        QCOMPARE(ResultLines(written.out), Expect(labels, "OK"));
        QVERIFY(written.err.contains("Reset device? No"));
        // Programs and the washing program go in 3 parts from version 501 on, else in 2.
        const int parts = (project == "template" ? templateVersion_ : version) >= 501 ? 3 : 2;
        QCOMPARE(sim.Stats().value(module ? "command submit G0B" : "command direct G0B"),
                 (programs + 1) * parts);

        const CliRun compared = Zylctl(home_.path(), Link(sim, module) << "read-project" << file
                                                                       << blocks << "--compare");
        RUN_EXPECT(compared, 0);
        QCOMPARE(compared.out, Expect(labels, "OK").join('\n') + '\n');
        QCOMPARE(ProjectBytes(file), before);
        qInfo("write %lld ms, compare %lld ms", written.ms, compared.ms);
    }

    // A read into a missing file makes the project from the template and saves it with its side
    // files; that project then compares OK with the controller it came from.
    void readSavesANewProject() {
        SimProcess* shared = Shared();
        QVERIFY(shared);
        SimProcess& sim = *shared;

        const QString target = work_.filePath("fresh/plant.zy2");
        QVERIFY(QDir(work_.path()).mkpath("fresh"));
        const CliRun read = Zylctl(home_.path(), Link(sim, false) << "read-project" << target);
        RUN_EXPECT(read, 0);
        QCOMPARE(ResultLines(read.out), Expect(AllLabels, "OK"));
        QCOMPARE(QFileInfo(target).size(), qint64(ProjectImageSize));
        QCOMPARE(ReadAll(target + "h"), QByteArray(sizeof(TPasswordBlock), '\0'));
        QCOMPARE(QFileInfo(target + "pid").size(), qint64(sizeof(TPidRecord) * PidCount));
        // What was read is the controller's: the full project's names as far as they travel.
        auto got = std::make_unique<Project>();
        QVERIFY(LoadMainFile(*got, target.toStdString()));
        QCOMPARE(QString::fromStdString(got->image.Relays[4].Name.Text()),
                 QString("RELAY LONG NAM"));
        QCOMPARE(got->image.Programs[2].Steps[4].ProcessNumber, 1); // 0 travels as process 1

        const QList<QByteArray> saved = ProjectBytes(target);
        const CliRun compared =
            Zylctl(home_.path(), Link(sim, false) << "read-project" << target << "--compare");
        RUN_EXPECT(compared, 0);
        QCOMPARE(compared.out, Expect(AllLabels, "OK").join('\n') + '\n');
        QCOMPARE(ProjectBytes(target), saved);
    }

    // One byte changed in what the controller stores: exactly its block differs (exit 5), the
    // differing field is listed under it, and the project files stay as they were.
    void oneChangedByteIsADifference_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("label");
        QTest::newRow("setup word 5") << "setup" << 11 << "Setup";
        QTest::newRow("relay 13 name") << "relays/2" << 1 << "Relays";
        QTest::newRow("process 1 step preset") << "process-parameters/0" << 2 << "Processes";
        QTest::newRow("washing process 1 end")
            << "washing-processes/0" << 15 << "Processes WASHING";
        QTest::newRow("alarm 13 message") << "alarms/1" << 1 << "Alarms";
        QTest::newRow("status 1 time") << "statuses" << 1 << "Special statuses";
        QTest::newRow("program 5 step temperature") << "programs/4/3/1" << 17 << "Programs";
        QTest::newRow("washing program step") << "programs/100/3/2" << 17 << "Program WASHING";
        QTest::newRow("analog output 1 name") << "analog" << 1 << "Analog OUT";
        QTest::newRow("PID 1 heating") << "pid" << 1 << "PID";
    }
    void oneChangedByteIsADifference() {
        QFETCH(QString, key);
        QFETCH(int, at);
        QFETCH(QString, label);
        SimProcess* sim = Shared();
        QVERIFY(sim);
        QTemporaryDir dir;
        QVERIFY(ChangeStoredByte(*sim, key, at, dir.path()));

        const QList<QByteArray> before = ProjectBytes(sharedFile_);
        // The programs take long: they are read only where the change lies in them.
        const bool programs = label == "Programs";
        QStringList args = Link(*sim, false) << "read-project" << sharedFile_ << "--compare";
        if (!programs) args << "--blocks" << AllButPrograms;
        const CliRun compared = Zylctl(home_.path(), args);
        RUN_EXPECT(compared, 5);
        QCOMPARE(ResultLines(compared.out), Expect(programs ? AllLabels : AllButProgramsLabels,
                                                   "OK", {{label, "Difference"}}));
        // The differing fields follow their block's line, indented.
        const QStringList lines = compared.out.split('\n', Qt::SkipEmptyParts);
        const qsizetype row = lines.indexOf(label + ": Difference");
        QVERIFY(row >= 0 && row + 1 < lines.size());
        QVERIFY2(lines[row + 1].startsWith("  "), qPrintable(compared.out));
        QCOMPARE(ProjectBytes(sharedFile_), before);
    }

    // A block whose read fails shows Error with its cause; the rows after it still run, a
    // read without --compare still saves what arrived, and the exit status is 1 (a failure
    // goes before a difference).
    void failedBlockReadShowsErrorAndTheRunGoesOn_data() {
        QTest::addColumn<bool>("compare");
        QTest::newRow("read") << false;
        QTest::newRow("compare") << true;
    }
    void failedBlockReadShowsErrorAndTheRunGoesOn() {
        QFETCH(bool, compare);
        const QString file = SaveProject(*FullProject(501), "failing.zy2");
        QVERIFY(!file.isEmpty());
        ZYL_START_SIM(sim, SimOptions());
        const QString blocks = "setup,relays,alarms,pid";
        RUN_EXPECT(Zylctl(home_.path(), Link(sim, false)
                                            << "write-project" << file << "--blocks" << blocks),
                   0);
        QTemporaryDir dir;
        // Relay group 2 answers with group byte 3, which the PC refuses; alarm 13 differs.
        QVERIFY(ChangeStoredByte(sim, "relays/2", 0, dir.path()));
        QVERIFY(ChangeStoredByte(sim, "alarms/1", 1, dir.path()));
        QFile::remove(file + "h");
        const QList<QByteArray> before = ProjectBytes(file);

        QStringList args = Link(sim, false) << "read-project" << file << "--blocks" << blocks;
        if (compare) args << "--compare";
        const CliRun read = Zylctl(home_.path(), args);
        RUN_EXPECT(read, 1);
        QCOMPARE(ResultLines(read.out),
                 QStringList({"Setup: OK", "Relays: Error",
                              compare ? "Alarms: Difference" : "Alarms: OK", "PID: OK"}));
        QVERIFY2(read.err.contains(QRegularExpression("zylctl: Relays: .+")), qPrintable(read.err));
        if (compare) {
            QCOMPARE(ProjectBytes(file), before);
            QVERIFY(!QFileInfo::exists(file + "h"));
        } else {
            QVERIFY(ProjectBytes(file) != before);
            QCOMPARE(QFileInfo(file + "h").size(), qint64(sizeof(TPasswordBlock)));
        }
    }

    // write-project --verify reads each block back after writing it: against a controller that
    // acknowledges the writes of one alarm group and keeps its old alarms, only "Alarms" is an
    // Error, with the differing alarms of that group under it and the cause on stderr (exit 1);
    // against one that keeps what it is sent, every row is OK.
    void verifyReadsEachBlockBack_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("blocks");
        QTest::newRow("held, direct") << false << "none" << AllButPrograms;
        QTest::newRow("alarm group kept, direct") << false << "ignore-writes every 7"
                                                  << "relays,alarms,pid";
        QTest::newRow("alarm group kept, module") << true << "ignore-writes every 7"
                                                  << "relays,alarms,pid";
    }
    void verifyReadsEachBlockBack() {
        QFETCH(bool, module);
        QFETCH(QString, fault);
        QFETCH(QString, blocks);
        const QString file = SaveProject(*FullProject(501), "verified.zy2");
        QVERIFY(!file.isEmpty());
        // Relays go in 6 writes, alarms in 2: the 7th write is the first alarm group.
        ZYL_START_SIM(sim, SimOptions() << "--fault" << fault);
        const CliRun written =
            Zylctl(home_.path(), Link(sim, module) << "write-project" << file << "--blocks"
                                                   << blocks << "--verify");
        const bool kept = fault != "none";
        RUN_EXPECT(written, kept ? 1 : 0);
        const QStringList labels =
            kept ? QStringList{"Relays", "Alarms", "PID"} : AllButProgramsLabels;
        QCOMPARE(ResultLines(written.out), Expect(labels, "OK",
                                                  kept ? QMap<QString, QString>{{"Alarms", "Error"}}
                                                       : QMap<QString, QString>{}));
        if (!kept) return;
        QVERIFY2(
            written.err.contains("zylctl: Alarms: the controller does not hold what was written"),
            qPrintable(written.err));
        // Under its line, indented: the alarms of the first group, and those only.
        const QStringList lines = written.out.split('\n', Qt::SkipEmptyParts);
        const qsizetype row = lines.indexOf("Alarms: Error");
        QStringList records;
        for (qsizetype i = row + 1; i < lines.size() && lines[i].startsWith("  "); ++i)
            records << lines[i].section(',', 0, 0).trimmed();
        records.removeDuplicates();
        QStringList firstGroup;
        for (int i = 1; i <= 12; ++i) firstGroup << QString("Alarm %1").arg(i);
        QCOMPARE(records, firstGroup);
        QCOMPARE(sim.Dump("alarms/0").how, QString("sample"));
        QCOMPARE(sim.Dump("alarms/1").how, QString("written"));
    }

    // write-project --backup DIR: before writing, the controller's blocks are saved in DIR
    // (made for it) as a project, the same bytes a read-project of that controller saves;
    // then the write goes through.
    void backupHoldsWhatTheControllerHeld() {
        const QString blocks = "relays,alarms,pid";
        const QString full = SaveProject(*FullProject(501), "held.zy2");
        QVERIFY(!full.isEmpty());
        ZYL_START_SIM(sim, SimOptions());
        RUN_EXPECT(Zylctl(home_.path(), Link(sim, false)
                                            << "write-project" << full << "--blocks" << blocks),
                   0);
        QTemporaryDir dir;
        const QString read = dir.filePath("read.zy2");
        RUN_EXPECT(Zylctl(home_.path(), Link(sim, false)
                                            << "read-project" << read << "--blocks" << blocks),
                   0);

        const QString file = dir.filePath("template.zy2");
        QVERIFY(QFile::copy(QDir(home_.path()).filePath("default.zy2"), file));
        const QString folder = dir.filePath("backups/plant");
        const CliRun written =
            Zylctl(home_.path(), Link(sim, false) << "write-project" << file << "--blocks" << blocks
                                                  << "--backup" << folder);
        RUN_EXPECT(written, 0);
        const QStringList backups =
            written.err.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^Backup: "));
        QVERIFY2(backups.size() == 1, qPrintable(written.err));
        const QString backup = backups[0].mid(8);
        QCOMPARE(QFileInfo(backup).absolutePath(), QDir(folder).absolutePath());
        QVERIFY2(QFileInfo(backup).fileName().contains(
                     QRegularExpression("^backup-\\d{4}-\\d\\d-\\d\\d-\\d{4}-addr1\\.zy2$")),
                 qPrintable(backup));
        QCOMPARE(ResultLines(written.out), Expect({"Relays", "Alarms", "PID"}, "OK"));
        QCOMPARE(ProjectBytes(backup), ProjectBytes(read));
        // The controller now holds the template's blocks.
        RUN_EXPECT(Zylctl(home_.path(), Link(sim, false) << "read-project" << file << "--blocks"
                                                         << blocks << "--compare"),
                   0);
    }

    // A backup that fails sends nothing to the controller: exit 4 when its file cannot be
    // written (checked before anything is read), 1 when the controller does not answer.
    void failedBackupSendsNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code");
        QTest::newRow("folder is a file") << "none" << 4;
        QTest::newRow("controller silent") << "noreply on direct" << 1;
    }
    void failedBackupSendsNothing() {
        QFETCH(QString, fault);
        QFETCH(int, code);
        const QString file = SaveProject(*FullProject(501), "unsent.zy2");
        QVERIFY(!file.isEmpty());
        QTemporaryDir dir;
        const QString folder = dir.filePath("backup");
        QVERIFY(WriteAll(folder, "not a folder"));
        ZYL_START_SIM(sim, SimOptions() << "--fault" << fault);
        const CliRun written =
            Zylctl(home_.path(), Link(sim, false)
                                     << "write-project" << file << "--blocks"
                                     << "relays"
                                     << "--backup" << (code == 4 ? folder : dir.filePath("new")));
        RUN_EXPECT(written, code);
        QVERIFY2(written.err.contains(
                     "The backup could not be made; nothing was written to the controller"),
                 qPrintable(written.err));
        QVERIFY(ResultLines(written.out).isEmpty());
        QCOMPARE(sim.Stats().value("writes"), 0);
        // The file is checked before anything is read.
        QCOMPARE(sim.Stats().value("command direct F0C") > 0, code == 1);
    }

    // Through the module, a running controller refuses every block it is asked to write: a
    // line for each, nothing written, exit 3.
    void runningControllerRefusesTheWrite() {
        const QString file = SaveProject(*FullProject(501), "refused.zy2");
        QVERIFY(!file.isEmpty());
        ZYL_START_SIM(sim, SimOptions() << "--mode"
                                        << "run");
        const CliRun written =
            Zylctl(home_.path(), Link(sim, true) << "write-project" << file << "--blocks"
                                                 << "relays,alarms,pid");
        RUN_EXPECT(written, 3);
        QCOMPARE(ResultLines(written.out), Expect({"Relays", "Alarms", "PID"},
                                                  "Refused (the controller is not in STOP mode)"));
        QCOMPARE(written.err.count("Controller must be in STOP mode"), 3);
        QCOMPARE(sim.Stats().value("writes"), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eProject)
#include "tst_e2e_project.moc"
