// The special-status block's rules, files and transfers, against a scripted controller.

#include "editors/statuses/SpecialStatuses.h"
#include "link/CommandEncoding.h"
#include "project/BlockFile.h"
#include "project/ProjectImage.h"
#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

constexpr int BlockRead = 0x0E;
using StatusBlock = std::array<TSpecialStatusRecord, SpecialStatusCount>;

TSpecialStatusRecord Status(int number, int time) {
    TSpecialStatusRecord s{};
    s.Number = number;
    s.Name.SetText("Name " + std::to_string(number));
    s.SwitchOffTime = time;
    s.RelayLogic = number % 3;
    s.RelayOutputs[number] = 1;
    return s;
}

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    BlockController controller;
    StatusBlock statuses{};

    explicit Rig(bool module = false) {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        access.moduleMode = module;
        controller.readData[BlockRead] = SpecialStatusCount * SpecialStatusItemSize;
        controller.whole.insert(BlockRead);
        port.respond = [this](const Bytes& req) { return controller(req); };
        const int times[] = {-1, 0, 32767, 32768, 65000, 7};
        for (int i = 0; i < SpecialStatusCount; ++i)
            statuses[std::size_t(i)] = Status(i + 1, times[i]);
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

class TestSpecialStatuses : public QObject {
    Q_OBJECT
private slots:
    void editorValues() {
        TSpecialStatusRecord s = Status(2, 5);
        s.RelayLogic = 4; // outside the list
        s.Name.SetText("P\xB3ywanie " + std::string(60, 'x'));
        SpecialStatusEditorValues v = SpecialStatusEditorValuesFor(s);
        QCOMPARE(v.logicIndex, -1);
        v.switchOffTime = -1;
        v.relays.fill(0);
        v.relays[31] = 9;
        ApplySpecialStatusEditor(v, s);
        QCOMPARE(s.RelayLogic, 4);
        QCOMPARE(s.SwitchOffTime, -1);
        QCOMPARE(int(s.RelayOutputs[31]), 1);
        QCOMPARE(int(s.RelayOutputs[2]), 0);
        QCOMPARE(QByteArray::fromStdString(s.Name.Text()),
                 "Plywanie " + QByteArray(41, 'x')); // folded, cut to 50
    }

    // The six go out in one frame; every switch-off time the editor allows comes back, and the
    // names after a read are the fixed ones.
    void roundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void roundTrip() {
        QFETCH(bool, module);
        Rig rig(module);
        rig.statuses[0].Number = 77;
        QCOMPARE(WriteSpecialStatusesToController(rig.access, rig.statuses), Outcome::Ok);
        const auto writes = rig.Sent(0x47, 0x0E);
        QCOMPARE(writes.size(), std::size_t(1));
        Bytes expected = {0x01, 0x46, 0x08, 0x00, 0x35, 0x47, 0x0E, 0x00, 0x2E};
        for (const auto& s : rig.statuses) {
            const auto item = EncodeSpecialStatusItem(s);
            expected.insert(expected.end(), item.begin(), item.end());
        }
        Bytes sent = writes[0];
        if (module) {
            sent[1] = 0x46;
            sent[2] = 0x08;
        }
        QCOMPARE(ToHex(Bytes(sent.begin(), sent.end() - 2)), ToHex(expected));
        QCOMPARE(ToHex(Bytes(sent.begin() + 9, sent.begin() + 16)),
                 QString("FF FF 01 02 00 00 00")); // status 1: -1, logic 1, relay 2 on
        QCOMPARE(rig.statuses[0].Number, 1);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});

        StatusBlock back{};
        QCOMPARE(ReadSpecialStatusesFromController(rig.access, back), Outcome::Ok);
        const char* names[] = {"Stop mode", "Pause mode", "F1", "F2", "F3", "F4"};
        for (int i = 0; i < SpecialStatusCount; ++i) {
            const auto& got = back[std::size_t(i)];
            const auto& was = rig.statuses[std::size_t(i)];
            QCOMPARE(got.Number, i + 1);
            QCOMPARE(got.SwitchOffTime, was.SwitchOffTime);
            QCOMPARE(got.RelayLogic, was.RelayLogic);
            QCOMPARE(BytesOf(got.RelayOutputs, 32), BytesOf(was.RelayOutputs, 32));
            QCOMPARE(QString::fromStdString(got.Name.Text()), QString(names[i]));
        }
        QVERIFY(!rig.host.progressVisible);
    }

    // A failed read leaves the block as it was and says so.
    void failedReadKeepsTheBlock() {
        Rig rig(true);
        rig.controller.panelReady = false;
        StatusBlock block = rig.statuses;
        QCOMPARE(ReadSpecialStatusesFromController(rig.access, block), Outcome::NoCommunication);
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
        QCOMPARE(BytesOf(&block, sizeof block), BytesOf(&rig.statuses, sizeof block));
    }

    // The editor takes its own status from the six and keeps its own name; its write sends
    // the index and the one item.
    void editorTransfers() {
        Rig rig;
        QCOMPARE(WriteSpecialStatusesToController(rig.access, rig.statuses), Outcome::Ok);
        TSpecialStatusRecord copy = Status(5, 1);
        copy.Name.SetText("F3");
        QCOMPARE(ReadSpecialStatusFromController(rig.access, copy), Outcome::Ok);
        QCOMPARE(copy.SwitchOffTime, 65000);
        QCOMPARE(QString::fromStdString(copy.Name.Text()), QString("F3"));
        QCOMPARE(copy.Number, 5);

        copy.SwitchOffTime = -1;
        QCOMPARE(WriteSpecialStatusToController(rig.access, copy), Outcome::Ok);
        const auto writes = rig.Sent(0x47, 0x16);
        QCOMPARE(writes.size(), std::size_t(1));
        const auto item = EncodeSpecialStatusItem(copy);
        Bytes expected = {0x01, 0x46, 0x08, 0x00, 0x13, 0x47, 0x16, 0x00, 0x0C, 0x04};
        expected.insert(expected.end(), item.begin(), item.end());
        QCOMPARE(ToHex(writes[0]), ToHex(WithChecksum(expected)));
    }

    // An ".slz" file fills statuses 1, 2, ... with the file's names, never the alarms after.
    void statusFile_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("applied");
        QTest::newRow("3 records") << 3 << 3;
        QTest::newRow("8 records") << 8 << 6;
    }
    void statusFile() {
        QFETCH(int, records);
        QFETCH(int, applied);
        QTemporaryDir dir;
        const QString path = dir.filePath("s.slz");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < records; ++i) {
                TSpecialStatusRecord s = Status(i + 1, i);
                s.Name.SetText("Other " + std::to_string(i + 1));
                f.write(reinterpret_cast<const char*>(&s), sizeof s);
            }
        }
        auto project = std::make_unique<Project>();
        TProjectImage& image = project->image;
        NumberProjectRecords(image);
        SetFixedSpecialStatusNames(image);
        const auto before = std::make_unique<TProjectImage>(image);
        QCOMPARE(ReadBlockFile<TSpecialStatusRecord>(path.toStdString(),
                                                     std::span(image.SpecialStatuses))
                     .records,
                 applied);
        for (int i = 0; i < SpecialStatusCount; ++i)
            QCOMPARE(QString::fromStdString(image.SpecialStatuses[i].Name.Text()),
                     i < applied ? QString("Other %1").arg(i + 1)
                                 : QString::fromStdString(before->SpecialStatuses[i].Name.Text()));
        QCOMPARE(BytesOf(image.Alarms, sizeof image.Alarms),
                 BytesOf(before->Alarms, sizeof image.Alarms));
    }
};

QTEST_GUILESS_MAIN(TestSpecialStatuses)
#include "tst_specialstatuses.moc"
