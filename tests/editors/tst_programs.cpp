// The program block: the step editor's rules, the files and the transfers in 2 or 3 parts,
// against a scripted controller that keeps what it is sent.

#include "editors/programs/Programs.h"
#include "link/CommandEncoding.h"
#include "project/BlockFile.h"
#include "project/ProjectImage.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/WireBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <map>
#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

// A controller of a given program version that keeps program parts as they were written
// (keyed by program index and part) and answers reads with them.
struct ProgramController {
    int version = 501;
    int mode = 0;
    std::map<std::pair<int, int>, Bytes> parts;
    std::function<bool(const Bytes&)> silent;
    Bytes lastAnswer;

    Bytes operator()(const Bytes& req) {
        if (silent && silent(req)) return {};
        if (req.size() == 7 && req[2] == 0x00) {
            Bytes r(62, 0);
            r[0] = 1;
            r[22] = std::uint8_t(mode);
            r[61] = 1;
            return WithChecksum(r);
        }
        if (req.size() == 7) return lastAnswer;
        if (req[1] == 0x47) {
            Bytes direct = req;
            direct[1] = 0x46;
            direct[2] = 0x08;
            lastAnswer = Answer(direct);
            return WithChecksum({1, 0x47, 0x09, 0x00, 0x07});
        }
        return Answer(req);
    }
    Bytes Answer(const Bytes& req) {
        const int letter = req[5], code = req[6];
        if (letter == 0x46 && code == 0x0A) { // setup: 100 words, word 99 the version
            Bytes r = {1, 0x46, 0x08, 0x00, 211, 0x46, 0x0A, 0x00, 204};
            Bytes words(200, 0);
            words[198] = std::uint8_t(version >> 8);
            words[199] = std::uint8_t(version);
            r.insert(r.end(), words.begin(), words.end());
            return WithChecksum(r);
        }
        if (letter == 0x46 && code == 0x0B) {
            const int part = req[9], program = req[10];
            const ProgramPartLayout layout = ProgramLayoutFor(version >= 501 ? 3 : 2);
            const std::size_t size = 16 + std::size_t(layout.stepsPerPart) * layout.stepSize;
            Bytes data = parts.count({program, part}) ? parts[{program, part}] : Bytes(size, 0);
            data[0] = std::uint8_t(part);
            data[1] = std::uint8_t(program);
            const std::size_t total = 9 + size + 2;
            Bytes r = {1,
                       0x46,
                       0x08,
                       std::uint8_t(total >> 8),
                       std::uint8_t(total),
                       0x46,
                       0x0B,
                       std::uint8_t((total - 7) >> 8),
                       std::uint8_t(total - 7)};
            r.insert(r.end(), data.begin(), data.end());
            return WithChecksum(r);
        }
        if (letter == 0x47 && code == 0x0B)
            parts[{req[10], req[9]}] = Bytes(req.begin() + 9, req.end() - 2);
        return WithChecksum(
            {1, 0x46, 0x08, 0x00, 0x0B, std::uint8_t(letter), std::uint8_t(code), 0x00, 0x04});
    }
};

TProgramRecord Program(int number) {
    TProgramRecord p{};
    p.Number = number;
    p.Name.SetText("PROG " + std::to_string(number));
    for (int k = 0; k < StepCount; ++k) {
        TStepRecord& s = p.Steps[k];
        s.ProcessNumber = 1 + (number + k) % 16;
        s.Temperature = -99 + k;
        s.Weight = 2000 - k;
        s.Rotation = 200 - k;
        s.Counter = k * 7;
        s.Vacuum = k;
        s.ExtraValue = 3;
        s.VacuumPulse = 200 - k;
        s.Hours = k;
        s.Minutes = 59 - k;
        s.OnOffPulse = k % 2;
        s.WorkTime = std::uint16_t(65000 - k);
        s.PauseTime = std::uint16_t(k * 100);
    }
    return p;
}

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    ProgramController controller;

    explicit Rig(bool module = false, int version = 501) {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        access.moduleMode = module;
        controller.version = version;
        port.respond = [this](const Bytes& req) { return controller(req); };
    }
    std::vector<Bytes> Sent(int letter, int code) const {
        std::vector<Bytes> found;
        for (const Bytes& r : port.written)
            if (r.size() > 7 && r[5] == letter && r[6] == code) found.push_back(r);
        return found;
    }
};

QByteArray BytesOf(const void* p, std::size_t n) {
    return QByteArray(static_cast<const char*>(p), qsizetype(n));
}

} // namespace

class TestPrograms : public QObject {
    Q_OBJECT
private slots:
    // The cells' ranges and messages: the upper bound named, the value 0 stored.
    void stepValues_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("message");
        QTest::newRow("250 degrees") << 4 << "250" << 0 << "Wrong parameter range ! 200";
        QTest::newRow("-99 degrees") << 4 << "-99" << -99 << "";
        QTest::newRow("-100 degrees") << 4 << "-100" << 0 << "Wrong parameter range ! 200";
        QTest::newRow("60 minutes") << 3 << "60" << 0 << "Wrong parameter range ! 59";
        QTest::newRow("vacuum pulse 200") << 7 << "200" << 200 << "";
        QTest::newRow("on/off pulse -999") << 8 << "-999" << -999 << "";
        QTest::newRow("on/off pulse 2") << 8 << "2" << 0 << "Wrong parameter range ! 1";
        QTest::newRow("work time 65000") << 11 << "65000" << 65000 << "";
        QTest::newRow("pause time 65001") << 12 << "65001" << 0 << "Wrong parameter range ! 65000";
        QTest::newRow("not a number") << 9 << "12x" << 0 << "";
    }
    void stepValues() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QString, message);
        TStepRecord step = Program(1).Steps[0];
        const auto got = ApplyStepValue(step, column, typed.toStdString());
        QCOMPARE(QString::fromStdString(got.value_or("")), message);
        QCOMPARE(StepValue(step, column), stored);
    }

    // The process cell: a pick stores its index; no pick keeps the stored number, also one
    // outside the table, whose name cell stays inside the table's bounds.
    void processCell_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("picked"); // -1: no pick
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no process") << 0 << -1 << 0 << "No data";
        QTest::newRow("process 5") << 5 << -1 << 5 << "P5";
        QTest::newRow("pick No data") << 5 << 0 << 0 << "No data";
        QTest::newRow("pick 16") << 5 << 16 << 16 << "P16";
        QTest::newRow("250 kept") << 250 << -1 << 250 << "Process 250 (not in the table)";
        QTest::newRow("-3 kept") << -3 << -1 << -3 << "Process -3 (not in the table)";
    }
    void processCell() {
        QFETCH(int, stored);
        QFETCH(int, picked);
        QFETCH(int, after);
        QFETCH(QString, shown);
        std::array<TProcessRecord, ProcessCount> table{};
        for (int i = 0; i < ProcessCount; ++i)
            table[std::size_t(i)].Name.SetText("P" + std::to_string(i + 1));
        TStepRecord step{};
        step.ProcessNumber = stored;
        QCOMPARE(ProcessChoiceIndex(stored), stored >= 0 && stored <= 16 ? stored : -1);
        ApplyProcessChoice(step, picked);
        QCOMPARE(step.ProcessNumber, after);
        QCOMPARE(QString::fromStdString(StepCellText(step, 1, ProcessColumn, table)), shown);
    }

    // Version 500 moves programs in two parts of fifteen 16-byte steps (replies of 267
    // bytes), 501 in three parts of ten 20-byte steps (227): 198 or 297 program frames.
    void programListBothVersions_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("replyLength");
        // Module mode pauses 100 ms in every panel wait: the end-to-end tests take it.
        QTest::newRow("500") << 500 << false << 198 << 267;
        QTest::newRow("501") << 501 << false << 297 << 227;
    }
    void programListBothVersions() {
        QFETCH(int, version);
        QFETCH(bool, module);
        QFETCH(int, frames);
        QFETCH(int, replyLength);
        Rig rig(module, version);
        auto programs = std::make_unique<std::array<TProgramRecord, ProgramCount>>();
        for (int i = 0; i < ProgramCount; ++i) (*programs)[std::size_t(i)] = Program(i + 1);
        (*programs)[5].Number = 0;
        QCOMPARE(WriteProgramsToController(rig.access, *programs), Outcome::Ok);
        QCOMPARE(int(rig.Sent(0x47, 0x0B).size()), frames);
        QCOMPARE((*programs)[5].Number, 6); // renumbered before sending
        QCOMPARE(rig.access.programBlockCount, version >= 501 ? 3 : 2);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        QCOMPARE(rig.host.progress.back().position, 99);

        auto back = std::make_unique<std::array<TProgramRecord, ProgramCount>>();
        QCOMPARE(ReadProgramsFromController(rig.access, *back), Outcome::Ok);
        QCOMPARE(int(rig.Sent(0x46, 0x0B).size()), frames);
        QVERIFY(std::count(rig.port.readRequests.begin(), rig.port.readRequests.end(),
                           std::size_t(replyLength)) >= frames);
        for (int i = 0; i < ListedProgramCount; ++i) {
            const TProgramRecord& got = (*back)[std::size_t(i)];
            const TProgramRecord& sent = (*programs)[std::size_t(i)];
            QCOMPARE(got.Number, i + 1);
            QCOMPARE(QString::fromStdString(got.Name.Text()),
                     QString::fromStdString(sent.Name.Text()));
            for (int k = 0; k < StepCount; ++k) {
                const TStepRecord& a = got.Steps[k];
                const TStepRecord& b = sent.Steps[k];
                QCOMPARE(a.ProcessNumber, b.ProcessNumber);
                QCOMPARE(a.Temperature, b.Temperature);
                QCOMPARE(a.Minutes, b.Minutes);
                QCOMPARE(int(a.WorkTime), version >= 501 ? int(b.WorkTime) : 0);
                QCOMPARE(int(a.PauseTime), version >= 501 ? int(b.PauseTime) : 0);
            }
        }
        QCOMPARE((*back)[99].Number, 0); // program 100 is neither shown nor moved
    }

    // One-byte fields travel as their low byte and come back zero-extended: what the
    // controller gives back is pinned here.
    void oneByteFieldsComeBackAsBytes() {
        Rig rig;
        TProgramRecord p = Program(7);
        TStepRecord& s = p.Steps[0];
        s.OnOffPulse = -1;
        s.ExtraValue = 300;
        s.VacuumPulse = 200;
        s.Hours = 99;
        s.Minutes = 59;
        s.ProcessNumber = 0;
        QCOMPARE(WriteProgramToController(rig.access, p), Outcome::Ok);
        TProgramRecord back = Program(7);
        QCOMPARE(ReadProgramFromController(rig.access, back), Outcome::Ok);
        const TStepRecord& b = back.Steps[0];
        QCOMPARE(b.OnOffPulse, 255);
        QCOMPARE(b.ExtraValue, 44); // 300 & 0xFF
        QCOMPARE(b.VacuumPulse, 200);
        QCOMPARE(b.Hours, 99);
        QCOMPARE(b.Minutes, 59);
        QCOMPARE(b.ProcessNumber, 1); // 0 goes out as 0 and reads back as 1
        QCOMPARE(b.Temperature, -99);
    }

    // The WASHING program is program index 0x64 and keeps its name.
    void washingProgram() {
        Rig rig(true);
        TProgramRecord washing = Program(WashingProgramNumber);
        SetWashingName(washing);
        QCOMPARE(WriteProgramToController(rig.access, washing), Outcome::Ok);
        for (const Bytes& w : rig.Sent(0x47, 0x0B)) QCOMPARE(int(w[10]), 0x64);
        TProgramRecord copy{};
        copy.Number = WashingProgramNumber;
        copy.Name.SetText("SOMETHING ELSE");
        QCOMPARE(ReadProgramFromController(rig.access, copy), Outcome::Ok);
        for (const Bytes& r : rig.Sent(0x46, 0x0B)) QCOMPARE(int(r[10]), 0x64);
        QCOMPARE(copy.Number, WashingProgramNumber);
        QCOMPARE(int(copy.Name.Length), 7);
        QCOMPARE(QString::fromStdString(copy.Name.Text()), QString("WASHING"));
        // Progress: three steps a part, 9 of 9 at the end.
        QCOMPARE(rig.host.progress.back().position, 9);
        QCOMPARE(rig.host.progress.back().maximum, 9);
    }

    // A read that fails part-way changes nothing: neither the editor's copy nor the program
    // of the list it failed on.
    void failedReadLeavesTheProgram_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void failedReadLeavesTheProgram() {
        QFETCH(bool, module);
        Rig rig(module);
        // The second part of program index 2 gets no answer.
        rig.controller.silent = [](const Bytes& req) {
            return req.size() > 10 && req[5] == 0x46 && req[6] == 0x0B && req[9] == 1 &&
                   req[10] == 2;
        };
        TProgramRecord copy = Program(3);
        const TProgramRecord before = copy;
        QCOMPARE(ReadProgramFromController(rig.access, copy), Outcome::NoCommunication);
        QCOMPARE(BytesOf(&copy, sizeof copy), BytesOf(&before, sizeof before));
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});

        auto programs = std::make_unique<std::array<TProgramRecord, ProgramCount>>();
        for (int i = 0; i < ProgramCount; ++i) (*programs)[std::size_t(i)] = Program(i + 1);
        auto old = std::make_unique<std::array<TProgramRecord, ProgramCount>>(*programs);
        QCOMPARE(ReadProgramsFromController(rig.access, *programs), Outcome::NoCommunication);
        QCOMPARE((*programs)[0].Name.Length, 0); // read from the controller: empty
        for (int i = 2; i < ProgramCount; ++i)
            QCOMPARE(BytesOf(&(*programs)[std::size_t(i)], sizeof(TProgramRecord)),
                     BytesOf(&(*old)[std::size_t(i)], sizeof(TProgramRecord)));
    }

    // Refused in RUN before every part, reads as well as writes.
    void stopCheckBeforeReadsAndWrites() {
        Rig rig(true);
        rig.controller.mode = 2;
        TProgramRecord p = Program(4);
        QCOMPARE(ReadProgramFromController(rig.access, p), Outcome::NotStopped);
        QCOMPARE(WriteProgramToController(rig.access, p), Outcome::NotStopped);
        QCOMPARE(rig.host.messages, (std::vector<std::string>{"Controller must be in STOP mode",
                                                              "Controller must be in STOP mode"}));
        QVERIFY(rig.Sent(0x46, 0x0B).empty());
        QVERIFY(rig.Sent(0x47, 0x0B).empty());
    }

    // A ".plz" of 100 or more records fills programs 1 to 99 and never the WASHING program.
    void programFileNeverReachesWashing() {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.plz");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 102; ++i) {
                const TProgramRecord p = Program(500 + i);
                f.write(reinterpret_cast<const char*>(&p), sizeof p);
            }
        }
        auto project = std::make_unique<Project>();
        TProjectImage& image = project->image;
        NumberProjectRecords(image);
        SetWashingProgramName(image);
        const TProgramRecord program100 = image.Programs[99];
        const TProgramRecord washing = image.WashingProgram;
        const BlockFileRead read = ReadBlockFile<TProgramRecord>(
            path.toStdString(), std::span(image.Programs).first<ListedProgramCount>());
        QCOMPARE(read.records, 99);
        QVERIFY(read.beyond);
        QCOMPARE(image.Programs[98].Number, 598);
        QCOMPARE(BytesOf(&image.Programs[99], sizeof program100),
                 BytesOf(&program100, sizeof program100));
        QCOMPARE(BytesOf(&image.WashingProgram, sizeof washing), BytesOf(&washing, sizeof washing));
    }
};

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
