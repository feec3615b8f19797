#include "editors/processes/Processes.h"
#include "link/CommandEncoding.h"
#include "link/Frame.h"
#include "panel/CodePage.h"
#include "project/ProjectImage.h"
#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/WireBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>
#include <set>

using namespace zyl;
using zyl::test::BlockController;
using zyl::test::Bytes;
using zyl::test::FakeSerialPort;
using zyl::test::FromHex;
using zyl::test::RecordingHost;
using zyl::test::ToHex;
using zyl::test::WithChecksum;

namespace {

constexpr std::uint8_t ReadGroupCode = 0x0D, ReadWashingGroupCode = 0x10;
constexpr std::uint8_t ParametersCode = 0x13, WriteProcessCode = 0x15, StepParametersCode = 0x1A;

// A process whose every field differs from process to process; the bytes that nothing
// owns are 0x5A, so that a change to them shows.
TProcessRecord Process(int n, const std::string& name, int presetBase = 100) {
    TProcessRecord p;
    std::memset(&p, 0x5A, sizeof p);
    p.Number = n;
    p.Name.SetText(name);
    p.EndCondition = (n * 3) % 25;
    for (int k = 0; k < RelayCount; ++k) p.RelayStates[k] = (k + n) % 3 == 0 ? 1 : 0;
    for (int i = 0; i < 5; ++i) p.StepPresets[i] = std::int16_t(presetBase * n + i);
    return p;
}

QByteArray BytesOf(const TProcessRecord& p, int offset = 0, int length = 120) {
    return QByteArray(reinterpret_cast<const char*>(&p) + offset, length);
}

std::string Name(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

constexpr std::size_t GroupData = 8 * ProcessItemSize;
constexpr std::size_t ParametersData = ProcessCount * ProcessParametersItemSize;

// The scripted controller with what the process tests need beyond it: commands that get no
// answer (a module submit of one is acknowledged, its collect not), a panel that never gets
// ready after a submit of one command, and a controller that goes to RUN once it was sent a
// command so many times, a group that cannot be read. `carriedOut` lists the inner codes of the
// commands it answered.
struct ProcessController {
    BlockController block;
    std::set<int> silentCodes;
    int silentGroup = -1; // group reads of this group get no answer
    int notReadyAfterCode = -1;
    int runAfterCode = -1;
    int runAfterTimes = 1;
    std::vector<int> carriedOut;

    ProcessController() {
        for (int code : {ReadGroupCode, ReadWashingGroupCode}) block.readData[code] = GroupData;
        block.readData[ParametersCode] = ParametersData;
        block.writeToRead = {{0x0D, ReadGroupCode}, {0x10, ReadWashingGroupCode}};
        // The hook sees every request before the controller answers it.
        block.silent = [this](const Bytes& req) { return Silent(req); };
    }
    ProcessController(const ProcessController&) = delete;
    ProcessController& operator=(const ProcessController&) = delete;

    void Seed(bool washing, const std::array<TProcessRecord, ProcessCount>& table) {
        const int code = washing ? ReadWashingGroupCode : ReadGroupCode;
        for (int g = 0; g < 2; ++g) {
            Bytes& items = block.stored[{code, g}];
            items.clear();
            for (int j = 0; j < 8; ++j) {
                const auto item = EncodeProcessItem(table[std::size_t(g * 8 + j)], 0);
                items.insert(items.end(), item.begin(), item.end());
            }
        }
        Bytes& params = block.stored[{ParametersCode, washing ? 1 : 0}];
        params.clear();
        for (const auto& p : table) {
            const auto item = EncodeProcessParametersItem(p);
            params.insert(params.end(), item.begin(), item.end());
        }
    }

private:
    bool Silent(const Bytes& req) {
        if (req.size() == 7 && req[2] == 0x00) { // status
            block.panelReady = notReadyAfterCode < 0 || lastSubmitCode_ != notReadyAfterCode;
            return false;
        }
        if (req.size() == 7) return silentCodes.count(lastSubmitCode_) > 0; // a collect
        const int code = req[6];
        if (req[1] == 0x47) lastSubmitCode_ = code;
        if (silentCodes.count(code)) return req[1] != 0x47;
        if ((code == ReadGroupCode || code == ReadWashingGroupCode) && req[9] == silentGroup)
            return true;
        carriedOut.push_back(code);
        if (code == runAfterCode &&
            std::count(carriedOut.begin(), carriedOut.end(), code) == runAfterTimes)
            block.mode = 2;
        return false;
    }

    int lastSubmitCode_ = -1;
};

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    ProcessController controller;
    std::unique_ptr<Project> project = std::make_unique<Project>();
    std::array<TProcessRecord, ProcessCount> controllerTable{}, controllerWashing{};

    explicit Rig(bool module = false) {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        access.moduleMode = module;
        port.respond = [this](const Bytes& req) { return controller.block(req); };
        for (int i = 0; i < ProcessCount; ++i) {
            project->image.Processes[i] = Process(i + 1, Name("P", i + 1));
            project->image.WashingProcesses[i] = Process(i + 1, Name("W", i + 1), 200);
            controllerTable[std::size_t(i)] = Process(i + 1, Name("CTRL ", i + 1), 300);
            controllerWashing[std::size_t(i)] = Process(i + 1, Name("WASH ", i + 1), -400);
        }
        controller.Seed(false, controllerTable);
        controller.Seed(true, controllerWashing);
    }
    TProjectImage& Image() { return project->image; }
    const std::array<TProcessRecord, ProcessCount>& ControllerTable(bool washing) const {
        return washing ? controllerWashing : controllerTable;
    }
    // The inner command codes of the requests sent, collects and status reads left out.
    std::vector<int> Sent() const {
        std::vector<int> codes;
        for (const Bytes& req : port.written)
            if (req.size() > 7) codes.push_back(req[6]);
        return codes;
    }
};

QStringList Messages(const RecordingHost& host) {
    QStringList list;
    for (const auto& m : host.messages) list << QString::fromStdString(m);
    return list;
}

// True when two images are equal outside the first records of the variant's table.
bool ImageEqualOutside(const TProjectImage& a, const TProjectImage& b, bool washing,
                       int firstRecords) {
    const auto* pa = reinterpret_cast<const char*>(&a);
    const auto* pb = reinterpret_cast<const char*>(&b);
    const std::size_t from =
        washing ? offsetof(TProjectImage, WashingProcesses) : offsetof(TProjectImage, Processes);
    const std::size_t to = from + std::size_t(firstRecords) * sizeof(TProcessRecord);
    return std::memcmp(pa, pb, from) == 0 &&
           std::memcmp(pa + to, pb + to, sizeof(TProjectImage) - to) == 0;
}

QString Hex(const Bytes& bytes) {
    return ToHex(bytes);
}

// "4D 49 58" followed by blanks up to the 14 name bytes of a wire item.
QByteArray NameWire(const QByteArray& head) {
    QByteArray hex = head;
    const int bytes = head.isEmpty() ? 0 : int(head.count(' ')) + 1;
    for (int i = bytes; i < 14; ++i) hex += hex.isEmpty() ? "20" : " 20";
    return hex;
}

} // namespace

class TestProcesses : public QObject {
    Q_OBJECT
private slots:
    // --- the editor's rules ----------------------------------------------------------------

    void endConditionTexts_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text"); // as the editor shows it
        const QString nbsp2 = QString(2, QChar(0xA0));
        const QChar quote(0x201C);
        QTest::newRow("0") << 0 << "0" + nbsp2 + " time longer than preset";
        QTest::newRow("2 without a blank") << 2 << "2" + nbsp2 + "free";
        QTest::newRow("5 without a blank") << 5 << "5" + nbsp2 + "free";
        QTest::newRow("8 with a blank") << 8 << "8" + nbsp2 + " free";
        QTest::newRow("9") << 9
                           << "9" + nbsp2 +
                                  " time longer than preset and vacuum higher than preset";
        QTest::newRow("10") << 10 << "10.temperature lower than preset";
        QTest::newRow("12") << 12 << "12. vacuum lower then preset";
        QTest::newRow("17") << 17 << "17. free";
        QTest::newRow("19") << 19
                            << "19.control input or relay in status " + QString(quote) + "1\"";
        QTest::newRow("21") << 21
                            << "21.time longer than preset or control input or relay in status " +
                                   QString(quote) + "1\"";
        QTest::newRow("24") << 24
                            << "24.time longer than preset or control input or relay in status " +
                                   QString(quote) + "0\"";
    }
    void endConditionTexts() {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(EndConditionTexts.size(), std::size_t(25));
        QCOMPARE(QString::fromStdString(PcToUtf8(1250, EndConditionTexts[std::size_t(value)])),
                 text);
        // Every entry starts with its own value.
        for (std::size_t i = 0; i < EndConditionTexts.size(); ++i)
            QVERIFY(std::string(EndConditionTexts[i]).starts_with(std::to_string(i)));
    }

    void stepPresets_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QByteArray>("bytes"); // as they lie in the record
        QTest::addColumn<QString>("shown");    // when the editor opens again
        QTest::newRow("40000 keeps its low 16 bits")
            << "40000" << -25536 << QByteArray("40 9C") << "-25536";
        QTest::newRow("-40000") << "-40000" << 25536 << QByteArray("C0 63") << "25536";
        QTest::newRow("65536 is 0") << "65536" << 0 << QByteArray("00 00") << "0";
        QTest::newRow("70000") << "70000" << 4464 << QByteArray("70 11") << "4464";
        QTest::newRow("top") << "32767" << 32767 << QByteArray("FF 7F") << "32767";
        QTest::newRow("bottom") << "-32768" << -32768 << QByteArray("00 80") << "-32768";
        QTest::newRow("blanks around") << " 12 " << 12 << QByteArray("0C 00") << "12";
        QTest::newRow("empty") << "" << 0 << QByteArray("00 00") << "0";
        QTest::newRow("not a number") << "12a" << 0 << QByteArray("00 00") << "0";
    }
    void stepPresets() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        TProcessRecord r = Process(4, "MIX");
        ProcessEditorValues v = ProcessEditorValuesFor(r);
        v.presets[2] = typed.toStdString();
        ApplyProcessEditor(v, r);
        QCOMPARE(int(r.StepPresets[2]), stored);
        QCOMPARE(BytesOf(r, 108, 2).toHex(' ').toUpper(), bytes);
        QCOMPARE(QString::fromStdString(ProcessEditorValuesFor(r).presets[2]), shown);
        QCOMPARE(int(r.StepPresets[1]), 401); // the others as they were
    }

    void saveStoresEveryField() {
        TProcessRecord r = Process(7, "OLD");
        const TProcessRecord before = r;
        ProcessEditorValues v = ProcessEditorValuesFor(r);
        v.name = "Mieszanie \xA3\xB9k\xEA \x8C\x9F"; // Łąkę Śź in code page 1250
        v.endCondition = 24;
        v.relayStates.fill(0);
        v.relayStates[0] = 1;
        v.relayStates[9] = 0x05; // any non-zero byte is "on"
        v.relayStates[31] = 0xFF;
        v.presets = {"1", "-1", "300", "0", "32767"};
        ApplyProcessEditor(v, r);
        QCOMPARE(QByteArray::fromStdString(r.Name.Text()), QByteArray("Mieszanie Lake Sz"));
        QCOMPARE(r.EndCondition, 24);
        for (int k = 0; k < RelayCount; ++k)
            QCOMPARE(int(r.RelayStates[k]), k == 0 || k == 9 || k == 31 ? 1 : 0);
        QCOMPARE(BytesOf(r, 104, 10).toHex(' ').toUpper(),
                 QByteArray("01 00 FF FF 2C 01 00 00 FF 7F"));
        // What the editor does not own stays: the number, the name's filler, the reserved bytes.
        QCOMPARE(r.Number, 7);
        QCOMPARE(BytesOf(r, 4 + 1 + 17, 14), BytesOf(before, 4 + 1 + 17, 14));
        QCOMPARE(BytesOf(r, 72, 32), BytesOf(before, 72, 32));
        QCOMPARE(BytesOf(r, 114, 6), BytesOf(before, 114, 6));

        // A name longer than 30 characters is cut.
        v.name = std::string(40, 'x');
        ApplyProcessEditor(v, r);
        QCOMPARE(r.Name.Text(), std::string(30, 'x'));
    }

    void endConditionWithoutSelection_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown"); // the list's index, -1 none
        QTest::addColumn<int>("picked");
        QTest::addColumn<int>("saved");
        QTest::newRow("24 is the last entry") << 24 << 24 << -1 << 24;
        QTest::newRow("25 selects nothing and stays") << 25 << -1 << -1 << 25;
        QTest::newRow("negative selects nothing and stays") << -3 << -1 << -1 << -3;
        QTest::newRow("large selects nothing and stays") << 0x01000000 << -1 << -1 << 0x01000000;
        QTest::newRow("25, then an entry picked") << 25 << -1 << 3 << 3;
    }
    void endConditionWithoutSelection() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(int, picked);
        QFETCH(int, saved);
        TProcessRecord r = Process(2, "P");
        r.EndCondition = stored;
        ProcessEditorValues v = ProcessEditorValuesFor(r);
        QCOMPARE(v.endCondition, shown);
        if (picked >= 0) v.endCondition = picked;
        ApplyProcessEditor(v, r);
        QCOMPARE(r.EndCondition, saved);
    }

    // Opening and saving unchanged gives back the record byte for byte, a 30-character name
    // and relay bytes of exactly 0 and 1 included.
    void openAndSaveKeepsRecord() {
        TProcessRecord r = Process(16, "A name that is thirty chars ok");
        QCOMPARE(int(r.Name.Length), 30);
        const TProcessRecord before = r;
        ApplyProcessEditor(ProcessEditorValuesFor(r), r);
        QCOMPARE(BytesOf(r), BytesOf(before));
    }

    void rowShowsThePosition() {
        const auto row = ProcessRow(3, Process(9, "Drain"));
        QCOMPARE(QString::fromStdString(row[0]), QString("3"));
        QCOMPARE(QString::fromStdString(row[1]), QString("Drain"));
    }

    // --- files -----------------------------------------------------------------------------

    // A ".klz" fills processes 1, 2, ... of its table from its whole records; nothing beyond
    // the 16th record reaches the image (the WASHING table lies right after the plain one,
    // the relays right after the WASHING table), and the other table stays as it was.
    void tableFile_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("extraBytes"); // a trailing part of a record
        QTest::newRow("3 records, plain") << false << 3 << 0;
        QTest::newRow("3 records, WASHING") << true << 3 << 0;
        QTest::newRow("3 and a half records") << false << 3 << 60;
        QTest::newRow("16 records") << true << 16 << 0;
        QTest::newRow("17 records, plain") << false << 17 << 0;
        QTest::newRow("17 records, WASHING") << true << 17 << 0;
        QTest::newRow("40 records, WASHING") << true << 40 << 7;
        QTest::newRow("empty") << false << 0 << 0;
    }
    void tableFile() {
        QFETCH(bool, washing);
        QFETCH(int, records);
        QFETCH(int, extraBytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("table.klz");
        QByteArray file;
        for (int i = 0; i < records; ++i) file += BytesOf(Process(90 + i, Name("F", i + 1), 7));
        file += QByteArray(extraBytes, '\x33');
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        Rig rig;
        const auto before = std::make_unique<Project>(*rig.project);
        const BlockFileRead read = ReadProcessTableFile(path.toStdString(), rig.Image(), washing);
        QVERIFY(read);
        const int applied = std::min(records, ProcessCount);
        QCOMPARE(read.records, applied);
        QCOMPARE(read.beyond, records > ProcessCount);
        const auto table = ProcessTable(rig.Image(), washing);
        for (int i = 0; i < applied; ++i)
            QCOMPARE(BytesOf(table[std::size_t(i)]), file.mid(i * 120, 120));
        QVERIFY(ImageEqualOutside(rig.Image(), before->image, washing, applied));
        QCOMPARE(std::memcmp(rig.project->pid, before->pid, sizeof before->pid), 0);
    }

    void tableFileWrittenWhole() {
        QTemporaryDir dir;
        Rig rig;
        for (bool washing : {false, true}) {
            const QString path = dir.filePath(washing ? "w.klz" : "p.klz");
            QVERIFY(WriteProcessTableFile(path.toStdString(), rig.Image(), washing));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(bytes.size(), 1920);
            QCOMPARE(bytes, QByteArray(reinterpret_cast<const char*>(
                                           ProcessTable(rig.Image(), washing).data()),
                                       1920));
        }
    }

    // --- the list's transfers ----------------------------------------------------------------

    void listRead_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("washing");
        QTest::newRow("direct, plain") << false << false;
        QTest::newRow("direct, WASHING") << false << true;
        QTest::newRow("module, plain") << true << false;
        QTest::newRow("module, WASHING") << true << true;
    }
    void listRead() {
        QFETCH(bool, module);
        QFETCH(bool, washing);
        Rig rig(module);
        const auto before = std::make_unique<Project>(*rig.project);
        const ProcessTransferResult result =
            ReadProcessesFromController(rig.access, rig.Image(), washing);
        QCOMPARE(result.outcome, Outcome::Ok);
        QVERIFY(result.groupsDone);
        QCOMPARE(Messages(rig.host), QStringList());
        QVERIFY(!rig.host.progressVisible);
        const auto table = ProcessTable(rig.Image(), washing);
        for (int i = 0; i < ProcessCount; ++i) {
            const TProcessRecord& got = table[std::size_t(i)];
            const TProcessRecord& sent = rig.ControllerTable(washing)[std::size_t(i)];
            QCOMPARE(got.Number, i + 1);
            QCOMPARE(got.Name.Text(), sent.Name.Text());
            QCOMPARE(got.EndCondition, sent.EndCondition);
            QCOMPARE(BytesOf(got, 40, 32), BytesOf(sent, 40, 32));
            QCOMPARE(BytesOf(got, 104, 10), BytesOf(sent, 104, 10));
        }
        QVERIFY(ImageEqualOutside(rig.Image(), before->image, washing, ProcessCount));
        const int group = washing ? ReadWashingGroupCode : ReadGroupCode;
        const std::vector<int> expected = {group, group, ParametersCode};
        QCOMPARE(rig.Sent(), expected);
    }

    // The group read clears the step presets of the records it fills. They stay as they were
    // until the step presets themselves have been read; a failed step-preset read says so.
    void listReadStepPresetsFail_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("washing");
        QTest::addColumn<QString>("how");
        QTest::newRow("direct, no reply") << false << false << "no reply";
        QTest::newRow("direct, WASHING") << false << true << "no reply";
        QTest::newRow("module, collect unanswered") << true << false << "no reply";
        QTest::newRow("module, panel never ready") << true << true << "not ready";
    }
    void listReadStepPresetsFail() {
        QFETCH(bool, module);
        QFETCH(bool, washing);
        QFETCH(QString, how);
        Rig rig(module);
        if (how == "no reply")
            rig.controller.silentCodes.insert(ParametersCode);
        else
            rig.controller.notReadyAfterCode = ParametersCode;
        const auto before = std::make_unique<Project>(*rig.project);
        const ProcessTransferResult result =
            ReadProcessesFromController(rig.access, rig.Image(), washing);
        QCOMPARE(result.outcome, Outcome::NoCommunication);
        QVERIFY(result.groupsDone);
        QCOMPARE(Messages(rig.host), QStringList{MsgNoCommunication});
        QVERIFY(!rig.host.progressVisible);
        const auto table = ProcessTable(rig.Image(), washing);
        const auto old = ProcessTable(before->image, washing);
        for (int i = 0; i < ProcessCount; ++i) {
            // Names, end conditions and relay states come from the controller.
            QCOMPARE(table[std::size_t(i)].Name.Text(),
                     rig.ControllerTable(washing)[std::size_t(i)].Name.Text());
            QCOMPARE(BytesOf(table[std::size_t(i)], 104, 10),
                     BytesOf(old[std::size_t(i)], 104, 10));
        }
    }

    // The second group packet fails: processes 1 to 8 come from the controller with their
    // step presets kept, 9 to 16 stay, and the step presets are not asked for.
    void listReadGroupFails() {
        Rig rig;
        rig.controller.silentGroup = 1;
        const auto before = std::make_unique<Project>(*rig.project);
        const ProcessTransferResult result =
            ReadProcessesFromController(rig.access, rig.Image(), false);
        QCOMPARE(result.outcome, Outcome::NoCommunication);
        QVERIFY(!result.groupsDone);
        QCOMPARE(Messages(rig.host), QStringList{MsgNoCommunication});
        for (int i = 0; i < ProcessCount; ++i) {
            const TProcessRecord& got = rig.Image().Processes[i];
            const TProcessRecord& old = before->image.Processes[i];
            if (i < 8) {
                QCOMPARE(got.Name.Text(), rig.controllerTable[std::size_t(i)].Name.Text());
                QCOMPARE(BytesOf(got, 104, 10), BytesOf(old, 104, 10));
            } else {
                QCOMPARE(BytesOf(got), BytesOf(old));
            }
        }
        const std::vector<int> sent = rig.Sent();
        QCOMPARE(std::count(sent.begin(), sent.end(), int(ParametersCode)), 0);
    }

    // A table write numbers both tables 1 to 16 and sends the variant's groups and step
    // presets, each with its own code or kind byte; pinned byte for byte.
    void listWriteOnTheWire_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<QByteArray>("groupHead");  // frame up to the group byte
        QTest::addColumn<QByteArray>("paramsHead"); // frame up to the kind byte
        QTest::newRow("plain") << false << QByteArray("01 46 08 00 A4 47 0D 00 9D")
                               << QByteArray("01 46 08 00 AC 47 13 00 A5 00");
        QTest::newRow("WASHING") << true << QByteArray("01 46 08 00 A4 47 10 00 9D")
                                 << QByteArray("01 46 08 00 AC 47 13 00 A5 01");
    }
    void listWriteOnTheWire() {
        QFETCH(bool, washing);
        QFETCH(QByteArray, groupHead);
        QFETCH(QByteArray, paramsHead);
        Rig rig;
        TProjectImage& image = rig.Image();
        for (int i = 0; i < ProcessCount; ++i) {
            TProcessRecord empty{};
            empty.Number = 77; // numbered by the write
            image.Processes[i] = empty;
            image.WashingProcesses[i] = empty;
        }
        TProcessRecord& mix = ProcessTable(image, washing)[0];
        mix.Name.SetText("MIX");
        mix.EndCondition = 7;
        mix.RelayStates[0] = mix.RelayStates[9] = mix.RelayStates[31] = 1;
        mix.StepPresets[0] = -25536;
        mix.StepPresets[4] = 300;
        ProcessTable(image, washing)[9].EndCondition = 24;

        const ProcessTransferResult result = WriteProcessesToController(rig.access, image, washing);
        QCOMPARE(result.outcome, Outcome::Ok);
        QVERIFY(result.groupsDone);
        for (int i = 0; i < ProcessCount; ++i) {
            QCOMPARE(image.Processes[i].Number, i + 1);
            QCOMPARE(image.WashingProcesses[i].Number, i + 1);
        }
        QCOMPARE(rig.port.written.size(), std::size_t(3));

        const QByteArray emptyItem = NameWire("") + " 00 00 00 00 00";
        QByteArray group0 = groupHead + " 00 " + NameWire("4D 49 58") + " 07 01 02 00 80";
        for (int j = 1; j < 8; ++j) group0 += " " + emptyItem;
        QCOMPARE(Hex(rig.port.written[0]), Hex(WithChecksum(FromHex(group0))));
        QByteArray group1 = groupHead + " 01 " + NameWire("") + " 00 00 00 00 00 " + NameWire("") +
                            " 18 00 00 00 00";
        for (int j = 2; j < 8; ++j) group1 += " " + emptyItem;
        QCOMPARE(Hex(rig.port.written[1]), Hex(WithChecksum(FromHex(group1))));
        QByteArray params = paramsHead + " 9C 40 00 00 00 00 00 00 01 2C";
        for (int i = 1; i < ProcessCount; ++i) params += " 00 00 00 00 00 00 00 00 00 00";
        QCOMPARE(Hex(rig.port.written[2]), Hex(WithChecksum(FromHex(params))));

        QCOMPARE(rig.host.questions, std::vector<std::string>{MsgResetDevice});
        QVERIFY(rig.access.resetPending);
    }

    // The step-preset write after the groups: in module mode the STOP check comes first;
    // a failure is passed over in silence. The reset is offered whatever the outcome.
    void listWriteStepPresets_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("groupsDone");
        QTest::addColumn<QList<int>>("carriedOut");
        const QList<int> groups = {0x0D, 0x0D};
        QTest::newRow("direct, no reply") << false << "silent" << int(Outcome::NoCommunication)
                                          << QStringList() << true << groups;
        QTest::newRow("module, acknowledgement missing")
            << true << "silent" << int(Outcome::NoCommunication) << QStringList() << true << groups;
        QTest::newRow("module, panel never ready")
            << true << "not ready" << int(Outcome::NoCommunication) << QStringList() << true
            << (groups + QList<int>{ParametersCode});
        QTest::newRow("module, RUN after the groups") << true << "run" << int(Outcome::NotStopped)
                                                      << QStringList{MsgStopMode} << true << groups;
        QTest::newRow("module, RUN from the start")
            << true << "run at once" << int(Outcome::NotStopped) << QStringList{MsgStopMode}
            << false << QList<int>();
    }
    void listWriteStepPresets() {
        QFETCH(bool, module);
        QFETCH(QString, how);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        QFETCH(bool, groupsDone);
        QFETCH(QList<int>, carriedOut);
        Rig rig(module);
        if (how == "silent") rig.controller.silentCodes.insert(ParametersCode);
        if (how == "not ready") rig.controller.notReadyAfterCode = ParametersCode;
        if (how == "run") {
            rig.controller.runAfterCode = 0x0D;
            rig.controller.runAfterTimes = 2;
        }
        if (how == "run at once") rig.controller.block.mode = 2;
        const ProcessTransferResult result =
            WriteProcessesToController(rig.access, rig.Image(), false);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.groupsDone, groupsDone);
        QCOMPARE(Messages(rig.host), messages);
        QCOMPARE(QList<int>(rig.controller.carriedOut.begin(), rig.controller.carriedOut.end()),
                 carriedOut);
        QVERIFY(!rig.host.progressVisible);
        QCOMPARE(rig.host.questions, std::vector<std::string>{MsgResetDevice});
    }

    // --- the editor's transfers --------------------------------------------------------------

    // Process n lies in packet (n - 1) / 8 as record (n - 1) % 8; its step presets are item
    // n - 1 of the step-preset read.
    void editorRead_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("washing");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("packet");
        QTest::newRow("process 11: packet 1, third record") << false << false << 11 << 1;
        QTest::newRow("process 11, WASHING, module") << true << true << 11 << 1;
        QTest::newRow("process 1") << false << true << 1 << 0;
        QTest::newRow("process 8") << true << false << 8 << 0;
        QTest::newRow("process 16") << false << false << 16 << 1;
    }
    void editorRead() {
        QFETCH(bool, module);
        QFETCH(bool, washing);
        QFETCH(int, number);
        QFETCH(int, packet);
        Rig rig(module);
        TProcessRecord record = Process(number, "EDITED");
        const Outcome outcome = ReadProcessFromController(rig.access, record, washing);
        QCOMPARE(outcome, Outcome::Ok);
        QCOMPARE(Messages(rig.host), QStringList());
        const TProcessRecord& sent = rig.ControllerTable(washing)[std::size_t(number - 1)];
        QCOMPARE(record.Number, number);
        QCOMPARE(record.Name.Text(), sent.Name.Text());
        QCOMPARE(record.EndCondition, sent.EndCondition);
        QCOMPARE(BytesOf(record, 40, 32), BytesOf(sent, 40, 32));
        QCOMPARE(BytesOf(record, 104, 10), BytesOf(sent, 104, 10));
        // The group request asked for the packet, with the variant's code.
        const Bytes& request = rig.port.written[0];
        QCOMPARE(int(request[6]), int(washing ? ReadWashingGroupCode : ReadGroupCode));
        QCOMPARE(int(request[9]), packet);
        const std::vector<int> expected = {request[6], ParametersCode};
        QCOMPARE(rig.Sent(), expected);
        QVERIFY(!rig.host.progressVisible);
        QCOMPARE(rig.host.progress.back().position, 3);
        QCOMPARE(rig.host.progress.back().maximum, 3);
    }

    // Whichever step fails, the editor's record stays as it was and the user hears of it.
    void editorReadFails_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("how");
        QTest::newRow("packet, direct") << false << "packet";
        QTest::newRow("packet, module panel never ready") << true << "packet not ready";
        QTest::newRow("step presets, direct") << false << "presets";
        QTest::newRow("step presets, module collect") << true << "presets";
        QTest::newRow("step presets, module panel never ready") << true << "presets not ready";
    }
    void editorReadFails() {
        QFETCH(bool, module);
        QFETCH(QString, how);
        Rig rig(module);
        if (how == "packet") rig.controller.silentCodes.insert(ReadGroupCode);
        if (how == "packet not ready") rig.controller.notReadyAfterCode = ReadGroupCode;
        if (how == "presets") rig.controller.silentCodes.insert(ParametersCode);
        if (how == "presets not ready") rig.controller.notReadyAfterCode = ParametersCode;
        TProcessRecord record = Process(11, "EDITED");
        const TProcessRecord before = record;
        QCOMPARE(ReadProcessFromController(rig.access, record, false), Outcome::NoCommunication);
        QCOMPARE(Messages(rig.host), QStringList{MsgNoCommunication});
        QCOMPARE(BytesOf(record), BytesOf(before));
        QVERIFY(!rig.host.progressVisible);
    }

    // The single-process write: the process with its index, then its step presets with the
    // index, plus 100 for the WASHING table; pinned byte for byte.
    void editorWriteOnTheWire_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("processHead");
        QTest::addColumn<QByteArray>("presetsHead");
        QTest::newRow("process 3") << false << 3 << QByteArray("01 46 08 00 1F 47 15 00 18 02")
                                   << QByteArray("01 46 08 00 16 47 1A 00 0F 02");
        QTest::newRow("WASHING process 3")
            << true << 3 << QByteArray("01 46 08 00 1F 47 18 00 18 02")
            << QByteArray("01 46 08 00 16 47 1A 00 0F 66");
        QTest::newRow("WASHING process 16")
            << true << 16 << QByteArray("01 46 08 00 1F 47 18 00 18 0F")
            << QByteArray("01 46 08 00 16 47 1A 00 0F 73");
    }
    void editorWriteOnTheWire() {
        QFETCH(bool, washing);
        QFETCH(int, number);
        QFETCH(QByteArray, processHead);
        QFETCH(QByteArray, presetsHead);
        Rig rig;
        TProcessRecord record{};
        record.Number = number;
        record.Name.SetText("RINSE 2");
        record.EndCondition = 19;
        record.RelayStates[1] = record.RelayStates[8] = record.RelayStates[23] = 1;
        const std::int16_t presets[5] = {-25536, 1, -1, 0, 32767};
        std::copy(std::begin(presets), std::end(presets), record.StepPresets);
        QCOMPARE(WriteProcessToController(rig.access, record, washing), Outcome::Ok);
        QCOMPARE(rig.port.written.size(), std::size_t(2));
        QCOMPARE(Hex(rig.port.written[0]),
                 Hex(WithChecksum(FromHex(processHead + " " + NameWire("52 49 4E 53 45 20 32") +
                                          " 13 02 01 80 00"))));
        QCOMPARE(Hex(rig.port.written[1]),
                 Hex(WithChecksum(FromHex(presetsHead + " 9C 40 00 01 FF FF 00 00 7F FF"))));
        QCOMPARE(Messages(rig.host), QStringList());
        QCOMPARE(rig.host.questions, std::vector<std::string>{MsgResetDevice});
        QVERIFY(rig.access.resetPending);
    }

    // Messages of the editor's write in module mode, and the STOP check before each command.
    void editorWriteModule_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QList<int>>("carriedOut");
        const QList<int> both = {0x15, StepParametersCode};
        QTest::newRow("stopped") << "" << int(Outcome::Ok) << QStringList() << both;
        QTest::newRow("RUN from the start") << "run at once" << int(Outcome::NotStopped)
                                            << QStringList{MsgStopMode} << QList<int>();
        QTest::newRow("RUN after the process") << "run after process" << int(Outcome::NotStopped)
                                               << QStringList{MsgStopMode} << QList<int>{0x15};
        QTest::newRow("process not acknowledged")
            << "process silent" << int(Outcome::NoCommunication) << QStringList{MsgNoCommunication}
            << QList<int>();
        QTest::newRow("panel not ready for the process")
            << "process not ready" << int(Outcome::NoCommunication) << QStringList()
            << QList<int>{0x15};
        QTest::newRow("step presets not acknowledged")
            << "presets silent" << int(Outcome::NoCommunication) << QStringList()
            << QList<int>{0x15};
    }
    void editorWriteModule() {
        QFETCH(QString, how);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        QFETCH(QList<int>, carriedOut);
        Rig rig(true);
        ProcessController& c = rig.controller;
        if (how == "run at once") c.block.mode = 2;
        if (how == "run after process") c.runAfterCode = WriteProcessCode;
        if (how == "process silent") c.silentCodes.insert(WriteProcessCode);
        if (how == "process not ready") c.notReadyAfterCode = WriteProcessCode;
        if (how == "presets silent") c.silentCodes.insert(StepParametersCode);
        const TProcessRecord record = Process(5, "HEAT");
        QCOMPARE(int(WriteProcessToController(rig.access, record, false)), outcome);
        QCOMPARE(Messages(rig.host), messages);
        QCOMPARE(QList<int>(c.carriedOut.begin(), c.carriedOut.end()), carriedOut);
        QVERIFY(!rig.host.progressVisible);
        QCOMPARE(rig.host.questions, std::vector<std::string>{MsgResetDevice});
        QVERIFY(rig.access.resetPending);
    }

    void editorNumberOutsideTheTable() {
        Rig rig;
        TProcessRecord record = Process(17, "X");
        QVERIFY_THROWS_EXCEPTION(std::out_of_range,
                                 (void)ReadProcessFromController(rig.access, record, false));
        record.Number = 0;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range,
                                 (void)WriteProcessToController(rig.access, record, true));
        QVERIFY(rig.port.written.empty());
    }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "tst_processes.moc"
