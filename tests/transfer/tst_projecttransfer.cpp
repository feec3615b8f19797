// The whole-project write and read runs against a scripted controller: which frames go out
// and in which order, what a failing, refusing or stopped block does to its row and to the
// run, what lands in the project, and the comparison's read-back of a project.

#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/WireBytes.h"
#include "transfer/ProjectController.h"

#include "core/ControllerAccess.h"
#include "link/CommandEncoding.h"
#include "project/ProjectFiles.h"
#include "transfer/ProjectTransfer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace zyl;
using zyl::test::BlockController;
using zyl::test::Bytes;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;

namespace {

// Read codes and the size of their reply data after the group byte (blocks read whole
// have none).
constexpr int SetupCode = 0x0A, StatusesCode = 0x0E, RelayCode = 0x0C, AnalogCode = 0x12,
              PidCode = 0x38, AlarmCode = 0x0F, ProcessCode = 0x0D, WashingProcessCode = 0x10,
              ParametersCode = 0x13, ProgramCode = 0x0B;

// The run's host as the windows and the command line have it: only Start clears Stop.
class RunHost : public RecordingHost {
public:
    void ClearCancel() override {}
};

// A view that records what the rows show.
struct Rows : ProjectRunView {
    std::array<int, ProjectBlockCount> maximum{}, position{};
    std::array<QString, ProjectBlockCount> text;
    std::function<void(ProjectBlock, int)> onProgress;

    void RowStarted(ProjectBlock b, int max) override {
        maximum[std::size_t(RowOf(b))] = max;
        position[std::size_t(RowOf(b))] = 0;
        text[std::size_t(RowOf(b))].clear();
    }
    void RowProgress(ProjectBlock b, int pos) override {
        position[std::size_t(RowOf(b))] = pos;
        if (onProgress) onProgress(b, pos);
    }
    void RowEnded(ProjectBlock b, BlockEnd end) override {
        text[std::size_t(RowOf(b))] = RowResultText(end);
    }
    QStringList Texts() const {
        QStringList list;
        for (const QString& t : text) list << t;
        return list;
    }
};

struct Rig {
    FakeSerialPort port;
    RunHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    BlockController controller;
    std::unique_ptr<Project> project = std::make_unique<Project>();
    Rows rows;

    explicit Rig(bool module = false, int version = 501) {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        access.moduleMode = module;
        controller.whole = {SetupCode, StatusesCode};
        controller.readData = {
            {SetupCode, 200},     {StatusesCode, 42}, {RelayCode, 240},   {AnalogCode, 245},
            {PidCode, 245},       {AlarmCode, 264},   {ProcessCode, 152}, {WashingProcessCode, 152},
            {ParametersCode, 160}};
        SetVersion(version);
        port.respond = [this](const Bytes& req) { return controller(req); };
        NumberProjectRecords(project->image);
        SetFixedSpecialStatusNames(project->image);
    }
    void SetVersion(int version) {
        Bytes setup(200, 0);
        setup[198] = std::uint8_t(version >> 8);
        setup[199] = std::uint8_t(version);
        controller.stored[{SetupCode, 0}] = setup;
        const int steps = version >= 501 ? 10 : 15, stepSize = version >= 501 ? 20 : 16;
        controller.readData[ProgramCode] = std::size_t(15 + steps * stepSize);
    }
    // Direct requests and submits (not collects or status reads): letter and code.
    std::vector<std::pair<int, int>> Commands() const {
        std::vector<std::pair<int, int>> list;
        for (const Bytes& req : port.written)
            if (req.size() > 7) list.push_back({req[5], req[6]});
        return list;
    }
    int CountOf(int letter, int code) const {
        int n = 0;
        for (const auto& c : Commands()) n += c == std::pair{letter, code} ? 1 : 0;
        return n;
    }
    std::vector<Bytes> RequestsOf(int letter, int code) const {
        std::vector<Bytes> list;
        for (const Bytes& req : port.written)
            if (req.size() > 7 && req[5] == letter && req[6] == code) list.push_back(req);
        return list;
    }
    ProjectWriteResult Write(const BlockSelection& blocks = AllProjectBlocks,
                             const ProjectWriteOptions& options = {}) {
        return WriteProject(access, *project, blocks, rows, options);
    }
    ProjectRunResult Read(const BlockSelection& blocks = AllProjectBlocks, bool compare = false) {
        return ReadProject(access, *project, blocks, compare, rows);
    }
};

// A rig answered by a controller that keeps each program apart (so the whole project reads
// back as written) and acknowledges the writes `ignored` picks without storing them.
struct HeldRig : Rig {
    test::ProjectController held;
    std::function<bool(const Bytes&)> ignored;

    explicit HeldRig(bool module = false) : Rig(module) {
        port.respond = [this](const Bytes& req) {
            if (!ignored || req.size() <= 10 || req[5] != 'G' || !ignored(req)) return held(req);
            const auto stored = held.blocks.stored;
            const auto programs = held.programs;
            Bytes reply = held(req);
            held.blocks.stored = stored;
            held.programs = programs;
            return reply;
        };
        // The controller's program version, which the written setup carries back to it.
        project->image.Setup.Words[99] = 501;
    }
};

ProjectWriteOptions WithOptions(bool verify, const std::string& backupFolder = {}) {
    ProjectWriteOptions options;
    options.verify = verify;
    options.backupFolder = backupFolder;
    return options;
}

BlockSelection Only(std::initializer_list<ProjectBlock> blocks) {
    BlockSelection s{};
    for (const ProjectBlock b : blocks) s[std::size_t(RowOf(b))] = true;
    return s;
}

QStringList Messages(const RecordingHost& host) {
    QStringList list;
    for (const auto& m : host.messages) list << QString::fromStdString(m);
    return list;
}

template <class T> QByteArray BytesOf(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

class TestProjectTransfer : public QObject {
    Q_OBJECT
private slots:
    // The whole write: every block's frames in row order, the last relay packet with copies
    // of relay 1 behind relays 31 and 32, two or three frames a program by the controller's
    // program version, then "Operation complete" and the reset question.
    void writeSendsEveryBlock_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("programFrames");
        QTest::newRow("500") << 500 << 198;
        QTest::newRow("501") << 501 << 297;
    }
    void writeSendsEveryBlock() {
        QFETCH(int, version);
        QFETCH(int, programFrames);
        Rig rig(false, version);
        // The setup goes first, so the programs follow the project's program version.
        rig.project->image.Setup.Words[99] = std::int16_t(version);
        for (int i = 0; i < RelayCount; ++i) {
            rig.project->image.Relays[i].Name.SetText("R" + std::to_string(i + 1));
            rig.project->image.Relays[i].Number = 99; // renumbered by the write
        }
        const ProjectRunResult result = rig.Write();
        QVERIFY(result.completed);
        QCOMPARE(rig.rows.Texts(), QStringList(10, "OK"));
        QCOMPARE(Messages(rig.host), QStringList{"Operation complete"});
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});

        QCOMPARE(rig.CountOf('G', SetupCode), 1);
        QCOMPARE(rig.CountOf('G', RelayCode), 6);
        QCOMPARE(rig.CountOf('G', ProcessCode), 2);
        QCOMPARE(rig.CountOf('G', WashingProcessCode), 2);
        QCOMPARE(rig.CountOf('G', ParametersCode), 2);
        QCOMPARE(rig.CountOf('G', AlarmCode), 2);
        QCOMPARE(rig.CountOf('G', StatusesCode), 1);
        QCOMPARE(rig.CountOf('G', ProgramCode), programFrames + programFrames / 99);
        QCOMPARE(rig.CountOf('G', AnalogCode), 1);
        QCOMPARE(rig.CountOf('G', PidCode), 1);

        // The sixth relay packet: group 5, then relays 31, 32, 1, 1, 1, 1 as items.
        const Bytes sixth = rig.RequestsOf('G', RelayCode).at(5);
        QCOMPARE(int(sixth[9]), 5);
        const TRelayRecord* relays = rig.project->image.Relays;
        QCOMPARE(relays[30].Number, 31);
        for (int slot = 0; slot < 6; ++slot) {
            const TRelayRecord& expected = relays[slot == 0 ? 30 : slot == 1 ? 31 : 0];
            const auto item = EncodeRelayItem(expected, 0);
            const Bytes got(sixth.begin() + 10 + slot * 40, sixth.begin() + 10 + (slot + 1) * 40);
            QCOMPARE(got, Bytes(item.begin(), item.end()));
        }
        // Programs 1 to 99 in order, each with its parts; program 100 never; the WASHING
        // program last with its number 101 (sent as 100).
        const auto programs = rig.RequestsOf('G', ProgramCode);
        const int parts = programFrames / 99;
        for (int k = 0; k < programFrames; ++k) {
            QCOMPARE(int(programs[std::size_t(k)][9]), k % parts);
            QCOMPARE(int(programs[std::size_t(k)][10]), k / parts);
        }
        QCOMPARE(int(programs.back()[10]), 100);
        QCOMPARE(rig.project->image.WashingProgram.Number, 101);
    }

    // A block whose command fails shows "Error" and the run goes on; one refused in RUN
    // (module mode) keeps its row empty, sends only status reads, and the run goes on.
    void failingAndRefusedBlocks() {
        {
            Rig rig;
            rig.controller.silent = [](const Bytes& req) {
                return req.size() > 9 && req[5] == 'G' && req[6] == AlarmCode && req[9] == 1;
            };
            const ProjectRunResult result = rig.Write(
                Only({ProjectBlock::Relays, ProjectBlock::Alarms, ProjectBlock::SpecialStatuses}));
            QVERIFY(result.completed);
            QCOMPARE(rig.rows.text[std::size_t(RowOf(ProjectBlock::Alarms))], "Error");
            QCOMPARE(rig.rows.text[std::size_t(RowOf(ProjectBlock::Relays))], "OK");
            QCOMPARE(rig.rows.text[std::size_t(RowOf(ProjectBlock::SpecialStatuses))], "OK");
            QCOMPARE(Messages(rig.host), QStringList{"Operation complete"});
        }
        {
            Rig rig(true);
            rig.controller.mode = 2;
            const ProjectRunResult result = rig.Write(
                Only({ProjectBlock::Relays, ProjectBlock::Alarms, ProjectBlock::SpecialStatuses}));
            QVERIFY(result.completed);
            QVERIFY(result.Any(BlockEnd::NotStopped));
            QCOMPARE(rig.rows.Texts(), QStringList(10, ""));
            QCOMPARE(Messages(rig.host),
                     (QStringList{MsgStopMode, MsgStopMode, MsgStopMode, "Operation complete"}));
            QVERIFY(rig.Commands().empty()); // status reads only
        }
    }

    // Stop between two relay packets ends the run at once: nothing after it is sent, no
    // "Operation complete"; the reset question still follows a write. A stopped comparison
    // puts the whole project back, also the PID regulators it had read.
    void stopInsideABlock() {
        {
            Rig rig;
            rig.rows.onProgress = [&](ProjectBlock b, int pos) {
                if (b == ProjectBlock::Relays && pos == 3) rig.host.cancel = true;
            };
            const ProjectRunResult result = rig.Write();
            QVERIFY(result.stopped);
            QVERIFY(!result.completed);
            QCOMPARE(rig.CountOf('G', RelayCode), 3);
            QCOMPARE(rig.CountOf('G', ProcessCode), 0);
            QVERIFY(!Messages(rig.host).contains("Operation complete"));
            QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        }
        {
            // Stop pressed while the last row (PID) runs: the run ends as stopped, and the
            // comparison puts everything back, the PID regulators it had read included.
            Rig rig(false, 500);
            rig.project->image.Setup.Words[5] = 1234;
            rig.project->image.Relays[3].Name.SetText("KEPT");
            rig.project->pid[0].Gain = 2.5;
            rig.rows.onProgress = [&](ProjectBlock b, int) {
                if (b == ProjectBlock::Pid) rig.host.cancel = true;
            };
            const auto before = std::make_unique<Project>(*rig.project);
            const ProjectRunResult result = rig.Read(AllProjectBlocks, true);
            QVERIFY(result.stopped);
            QCOMPARE(result.ends[std::size_t(RowOf(ProjectBlock::Pid))], BlockEnd::Difference);
            QCOMPARE(result.ends[std::size_t(RowOf(ProjectBlock::Relays))], BlockEnd::Difference);
            QVERIFY(std::memcmp(before.get(), rig.project.get(), sizeof(Project)) == 0);
            QVERIFY(Messages(rig.host).isEmpty()); // no "Operation complete"
            QVERIFY(rig.host.questions.empty());   // no reset question after a read
        }
    }

    // What a failed read leaves: the setup block and each program only whole, the step
    // presets until their own read succeeded (the row then says "Error"); in comparison
    // mode a failed block says "Error", never "OK" or "Difference".
    void failedReadsLeaveTheProject_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("silentLetter");
        QTest::addColumn<int>("silentCode");
        QTest::addColumn<bool>("compare");
        QTest::newRow("setup") << RowOf(ProjectBlock::Setup) << int('F') << SetupCode << false;
        QTest::newRow("setup, comparing")
            << RowOf(ProjectBlock::Setup) << int('F') << SetupCode << true;
        QTest::newRow("step presets")
            << RowOf(ProjectBlock::Processes) << int('F') << ParametersCode << false;
        QTest::newRow("step presets, comparing")
            << RowOf(ProjectBlock::Processes) << int('F') << ParametersCode << true;
        QTest::newRow("a program's second part")
            << RowOf(ProjectBlock::Programs) << int('F') << ProgramCode << true;
    }
    void failedReadsLeaveTheProject() {
        QFETCH(int, block);
        QFETCH(int, silentLetter);
        QFETCH(int, silentCode);
        QFETCH(bool, compare);
        Rig rig;
        TProjectImage& image = rig.project->image;
        for (int w = 0; w < 101; ++w) image.Setup.Words[w] = std::int16_t(w + 1);
        for (auto& p : image.Processes) p.StepPresets[2] = 777;
        image.Programs[0].Steps[25].Temperature = 55; // in the second part
        image.Programs[0].Name.SetText("KEEP");
        const auto before = std::make_unique<Project>(*rig.project);
        rig.controller.silent = [&](const Bytes& req) {
            if (req.size() <= 9 || req[5] != silentLetter || req[6] != silentCode) return false;
            // The program case: the first program's second part fails.
            return silentCode != ProgramCode || (req[9] == 1 && req[10] == 0);
        };
        const auto row = static_cast<ProjectBlock>(block);
        const ProjectRunResult result = rig.Read(Only({row}), compare);
        QVERIFY(result.completed);
        QCOMPARE(rig.rows.text[std::size_t(block)], "Error");
        QCOMPARE(result.ends[std::size_t(block)], BlockEnd::Error);
        switch (row) {
        case ProjectBlock::Setup:
            QCOMPARE(BytesOf(image.Setup), BytesOf(before->image.Setup));
            break;
        case ProjectBlock::Processes:
            for (const auto& p : image.Processes) QCOMPARE(p.StepPresets[2], std::int16_t(777));
            break;
        default:
            QCOMPARE(BytesOf(image.Programs[0]), BytesOf(before->image.Programs[0]));
            break;
        }
    }

    // A failed write of the step presets is an error of the row, not "OK".
    void failedStepPresetWriteIsAnError() {
        Rig rig;
        rig.controller.silent = [](const Bytes& req) {
            return req.size() > 9 && req[5] == 'G' && req[6] == ParametersCode;
        };
        const ProjectRunResult result =
            rig.Write(Only({ProjectBlock::Processes, ProjectBlock::WashingProcesses}));
        QCOMPARE(rig.rows.text[std::size_t(RowOf(ProjectBlock::Processes))], "Error");
        QCOMPARE(rig.rows.text[std::size_t(RowOf(ProjectBlock::WashingProcesses))], "Error");
        QCOMPARE(rig.CountOf('G', WashingProcessCode), 2); // the run went on
        QVERIFY(result.completed);
    }

    // The read-back of a project is what the wire carries: a step's process 0 comes back as
    // 1, a name longer than 14 characters cut, the analog outputs' reals as 0, the special
    // statuses with their fixed names, the WASHING program numbered 101 and named WASHING.
    // Compared with itself nothing differs; a changed compared field differs in its block
    // only; a field the comparison leaves out never differs.
    void readBackAndComparison() {
        auto project = std::make_unique<Project>();
        TProjectImage& image = project->image;
        image.Programs[3].Steps[0].ProcessNumber = 0;
        image.Programs[3].Steps[1].ProcessNumber = 7;
        image.Relays[4].Name.SetText("A relay name of thirty chars!!");
        image.AnalogOutputs[2].Gain = 1.5;
        image.AnalogOutputs[2].Value10V = 321;
        image.SpecialStatuses[0].Name.SetText("mine");
        image.WashingProgram.Name.SetText("other");
        auto back = std::make_unique<Project>();
        ProjectAsReadBack(*project, *back, 3, 0);
        const TProjectImage& b = back->image;
        QCOMPARE(b.Programs[3].Steps[0].ProcessNumber, 1);
        QCOMPARE(b.Programs[3].Steps[1].ProcessNumber, 7);
        QCOMPARE(QByteArray::fromStdString(b.Relays[4].Name.Text()), "A relay name o");
        QCOMPARE(b.Relays[4].Number, 5);
        QCOMPARE(b.AnalogOutputs[2].Gain, 0.0);
        QCOMPARE(b.AnalogOutputs[2].Value10V, 321);
        QVERIFY(b.SpecialStatuses[0].Name.Text() != "mine");
        QCOMPARE(b.WashingProgram.Number, 101);
        QCOMPARE(QByteArray::fromStdString(b.WashingProgram.Name.Text()), "WASHING");
        QCOMPARE(b.Programs[3].Number, 4);

        for (const ProjectBlock block : ProjectBlocks)
            QVERIFY(CompareProjectBlock(block, *back, *back, 1250).empty());
        auto changed = std::make_unique<Project>(*back);
        changed->image.Alarms[20].DelayTime += 1;
        changed->image.Relays[0].Reserved76[0] ^= 1; // not compared
        for (const ProjectBlock block : ProjectBlocks) {
            const auto differences = CompareProjectBlock(block, *back, *changed, 1250);
            QCOMPARE(differences.empty(), block != ProjectBlock::Alarms);
        }
    }

    // Verify: each block read back after its write. "OK" only where the controller holds
    // what was sent; where it acknowledged a write and kept its old data the row is "Error"
    // with the differing records only; a read-back that fails is "Error" with no fields. The
    // run goes on in every case.
    void verifiedWrite_data() {
        QTest::addColumn<bool>("module");
        // The rows ticked: "all", "no programs" (they take long; the program row shows the
        // others held) or "few" (relays, alarms, PID: the module takes long).
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("ignored"); // the writes acknowledged and not stored
        QTest::addColumn<int>("silentRead");  // a read code left unanswered, 0 none
        QTest::addColumn<QList<int>>("errors");
        QTest::addColumn<QStringList>("records"); // the differing records, in order
        const QStringList none;
        QStringList processes;
        for (int i = 1; i <= ProcessCount; ++i) processes << QString("Process %1").arg(i);
        QTest::newRow("held, direct") << false << "no programs"
                                      << "" << 0 << QList<int>{} << none;
        QTest::newRow("held, module") << true << "few"
                                      << "" << 0 << QList<int>{} << none;
        QTest::newRow("relay group 2 kept, direct")
            << false << "no programs"
            << "relays 2" << 0 << QList<int>{RowOf(ProjectBlock::Relays)}
            << QStringList{"Relay 13", "Relay 14", "Relay 15", "Relay 16", "Relay 17", "Relay 18"};
        QTest::newRow("relay group 2 kept, module")
            << true << "few"
            << "relays 2" << 0 << QList<int>{RowOf(ProjectBlock::Relays)}
            << QStringList{"Relay 13", "Relay 14", "Relay 15", "Relay 16", "Relay 17", "Relay 18"};
        QTest::newRow("step presets kept")
            << false << "no programs"
            << "presets" << 0 << QList<int>{RowOf(ProjectBlock::Processes)} << processes;
        QTest::newRow("second part of program 5 kept")
            << false << "all"
            << "program 5" << 0 << QList<int>{RowOf(ProjectBlock::Programs)}
            << QStringList{"Program 5"};
        QTest::newRow("PID kept") << false << "no programs"
                                  << "pid" << 0 << QList<int>{RowOf(ProjectBlock::Pid)}
                                  << QStringList{"PID 2"};
        QTest::newRow("alarms not read back")
            << false << "no programs"
            << "" << AlarmCode << QList<int>{RowOf(ProjectBlock::Alarms)} << none;
    }
    void verifiedWrite() {
        QFETCH(bool, module);
        QFETCH(QString, ticked);
        QFETCH(QString, ignored);
        QFETCH(int, silentRead);
        QFETCH(QList<int>, errors);
        QFETCH(QStringList, records);
        HeldRig rig(module);
        TProjectImage& image = rig.project->image;
        for (int i = 0; i < RelayCount; ++i)
            image.Relays[i].Name.SetText("RELAY " + std::to_string(i + 1));
        for (int i = 0; i < ProcessCount; ++i) image.Processes[i].StepPresets[2] = 100 + i;
        for (int i = 0; i < AlarmCount; ++i) image.Alarms[i].DelayTime = 10 + i;
        for (int i = 0; i < ProgramCount; ++i) image.Programs[i].Steps[12].Temperature = 40 + i;
        rig.project->pid[1].Gain = 2.5;
        rig.ignored = [&](const Bytes& req) {
            const int code = req[6];
            if (ignored == "relays 2") return code == RelayCode && req[9] == 2;
            if (ignored == "presets") return code == ParametersCode && req[9] == 0;
            if (ignored == "program 5") return code == ProgramCode && req[9] == 1 && req[10] == 4;
            return ignored == "pid" && code == PidCode;
        };
        rig.held.blocks.silent = [&](const Bytes& req) {
            return req.size() > 7 && req[5] == 'F' && req[6] == silentRead;
        };

        BlockSelection blocks = AllProjectBlocks;
        if (ticked == "few")
            blocks = Only({ProjectBlock::Relays, ProjectBlock::Alarms, ProjectBlock::Pid});
        if (ticked == "no programs") blocks[std::size_t(RowOf(ProjectBlock::Programs))] = false;
        const ProjectWriteResult result = rig.Write(blocks, WithOptions(true));
        QVERIFY(result.completed);
        QCOMPARE(result.backup, BackupEnd::None);
        QStringList texts(ProjectBlockCount, "OK");
        for (const int row : errors) texts[row] = "Error";
        for (int row = 0; row < ProjectBlockCount; ++row)
            if (!blocks[std::size_t(row)]) texts[row] = "";
        QCOMPARE(rig.rows.Texts(), texts);
        QStringList seen;
        for (const ProjectBlock block : ProjectBlocks)
            for (const FieldDifferenceRow& d : result.differences[std::size_t(RowOf(block))])
                if (seen.isEmpty() || seen.back() != QString::fromStdString(d.record))
                    seen << QString::fromStdString(d.record);
        QCOMPARE(seen, records);
        if (!records.isEmpty()) QCOMPARE(rig.link.FailureCause(), std::string(CauseNotHeld));
        // Every block was read back once, after its write.
        QCOMPARE(rig.CountOf('F', RelayCode), 6);
        QCOMPARE(rig.CountOf('F', ProgramCode),
                 ticked == "all"   ? 300
                 : ticked == "few" ? 0
                                   : 3); // WASHING has 3 too
        const auto commands = rig.Commands();
        const auto firstRelayRead =
            std::find(commands.begin(), commands.end(), std::pair{int('F'), RelayCode});
        QCOMPARE(std::count(commands.begin(), firstRelayRead, std::pair{int('G'), RelayCode}), 6);
        QCOMPARE(Messages(rig.host), QStringList{"Operation complete"});
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
    }

    // Stop while a block is read back ends the run there, as it does inside a write.
    void stopInsideTheReadBack() {
        HeldRig rig;
        int relaySteps = 0;
        rig.rows.onProgress = [&](ProjectBlock b, int) {
            // Six relay packets written, then the third group read back.
            if (b == ProjectBlock::Relays && ++relaySteps == 9) rig.host.cancel = true;
        };
        const ProjectWriteResult result = rig.Write(AllProjectBlocks, WithOptions(true));
        QVERIFY(result.stopped);
        QCOMPARE(result.ends[std::size_t(RowOf(ProjectBlock::Relays))], BlockEnd::Stopped);
        QCOMPARE(rig.CountOf('F', RelayCode), 3);
        QCOMPARE(rig.CountOf('G', ProcessCode), 0);
        QVERIFY(!Messages(rig.host).contains("Operation complete"));
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
    }

    // The backup: what the controller held of the ticked blocks, read into a copy of the
    // project (the other blocks and the passwords are the project's), saved under the time and
    // the controller's address in a folder made for it; a second backup does not replace the
    // first; the write follows.
    void backupSavesWhatTheControllerHeld() {
        std::tm late{};
        late.tm_year = 126;
        late.tm_mon = 11;
        late.tm_mday = 10;
        late.tm_hour = 23;
        late.tm_min = 5;
        QCOMPARE(BackupFileName(17, late), std::string("backup-2026-12-10-2305-addr17.zy2"));
        QTemporaryDir dir;
        HeldRig rig;
        auto held = std::make_unique<Project>(*rig.project);
        for (int i = 0; i < RelayCount; ++i)
            held->image.Relays[i].Name.SetText("HELD " + std::to_string(i));
        held->pid[3].Gain = 7.5;
        const BlockSelection ticked = Only({ProjectBlock::Relays, ProjectBlock::Pid});
        QVERIFY(WriteProject(rig.access, *held, ticked, rig.rows).completed);
        for (int i = 0; i < RelayCount; ++i)
            rig.project->image.Relays[i].Name.SetText("NEW " + std::to_string(i));
        rig.project->image.Alarms[4].DelayTime = 444;
        rig.project->passwords.Slots[0].SetText("4321");
        rig.host.messages.clear();

        const std::string folder = dir.filePath("backups/plant").toStdString();
        const ProjectWriteResult first = rig.Write(ticked, WithOptions(false, folder));
        QCOMPARE(first.backup, BackupEnd::Saved);
        QVERIFY(first.completed);
        const QFileInfo file(QString::fromStdString(first.backupPath));
        QCOMPARE(file.absolutePath(), QDir(QString::fromStdString(folder)).absolutePath());
        QVERIFY2(file.fileName().contains(
                     QRegularExpression("^backup-\\d{4}-\\d\\d-\\d\\d-\\d{4}-addr1\\.zy2$")),
                 qPrintable(file.fileName()));
        auto saved = std::make_unique<Project>();
        QVERIFY(LoadMainFile(*saved, first.backupPath));
        QVERIFY(LoadSideFiles(*saved, first.backupPath));
        auto expected = std::make_unique<Project>();
        ProjectAsReadBack(*held, *expected, 3, rig.link.codePage);
        for (const ProjectBlock block : {ProjectBlock::Relays, ProjectBlock::Pid})
            QVERIFY(CompareProjectBlock(block, *expected, *saved, 1250).empty());
        QCOMPARE(saved->image.Alarms[4].DelayTime, 444);
        QCOMPARE(saved->passwords.Slots[0].Text(), std::string("4321"));
        QCOMPARE(Messages(rig.host), QStringList{"Operation complete"});

        // What the write sent is what the controller holds now, and what the next backup holds.
        const ProjectWriteResult second = rig.Write(ticked, WithOptions(false, folder));
        QCOMPARE(second.backup, BackupEnd::Saved);
        QVERIFY(second.backupPath != first.backupPath);
        QVERIFY(QFileInfo::exists(QString::fromStdString(first.backupPath)));
        QVERIFY(LoadMainFile(*saved, second.backupPath));
        QCOMPARE(saved->image.Relays[7].Name.Text(), std::string("NEW 7"));
    }

    // A backup that fails sends nothing: no write, no reset question, and a message that
    // says why (a Stop says nothing).
    void failedBackupSendsNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("cause");
        QTest::newRow("folder is a file") << "file" << int(BackupEnd::FileError) << "backup";
        QTest::newRow("relays unanswered")
            << "silent" << int(BackupEnd::ReadError) << "Relays could not be read";
        QTest::newRow("Stop while reading") << "stop" << int(BackupEnd::Stopped) << "";
    }
    void failedBackupSendsNothing() {
        QFETCH(QString, how);
        QFETCH(int, end);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QString folder = dir.filePath("backup");
        if (how == "file") {
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        HeldRig rig;
        if (how == "silent")
            rig.held.blocks.silent = [](const Bytes& req) {
                return req.size() > 7 && req[5] == 'F' && req[6] == RelayCode;
            };
        if (how == "stop")
            rig.rows.onProgress = [&](ProjectBlock b, int) {
                if (b == ProjectBlock::Relays) rig.host.cancel = true;
            };
        const ProjectWriteResult result =
            rig.Write(Only({ProjectBlock::Setup, ProjectBlock::Relays, ProjectBlock::Alarms}),
                      WithOptions(true, folder.toStdString()));
        QCOMPARE(int(result.backup), end);
        QVERIFY(!result.completed);
        QCOMPARE(result.stopped, how == "stop");
        for (const auto& [letter, code] : rig.Commands()) QCOMPARE(letter, int('F'));
        if (how == "file") QVERIFY(rig.port.written.empty());
        QVERIFY(rig.host.questions.empty());
        QCOMPARE(rig.rows.Texts(), QStringList(ProjectBlockCount, ""));
        if (cause.isEmpty()) {
            QVERIFY(Messages(rig.host).isEmpty());
            return;
        }
        QCOMPARE(Messages(rig.host), QStringList{MsgBackupFailed});
        QVERIFY2(QString::fromStdString(rig.host.causes.back()).contains(cause),
                 rig.host.causes.back().c_str());
    }
};

QTEST_GUILESS_MAIN(TestProjectTransfer)
#include "tst_projecttransfer.moc"
