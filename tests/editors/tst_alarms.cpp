// The alarm block's rules, files and transfers, against a scripted controller.

#include "editors/alarms/Alarms.h"
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

constexpr int GroupRead = 0x0F;
constexpr std::size_t GroupData = 12 * AlarmItemSize;

TAlarmRecord Alarm(int number, const std::string& message) {
    TAlarmRecord a{};
    a.Number = number;
    a.Message.SetText(message);
    a.DelayTime = number * 10;
    a.AlarmStatus = number % 3;
    a.RelayLogic = (number + 1) % 3;
    a.RelayOutputs[number % 32] = 1;
    return a;
}

Bytes Item(const TAlarmRecord& a) {
    const auto item = EncodeAlarmItem(a, 0);
    return Bytes(item.begin(), item.end());
}

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    BlockController controller;
    std::array<TAlarmRecord, AlarmCount> alarms{};

    explicit Rig(bool module = false) {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        access.moduleMode = module;
        controller.readData[GroupRead] = GroupData;
        port.respond = [this](const Bytes& req) { return controller(req); };
        for (int i = 0; i < AlarmCount; ++i)
            alarms[std::size_t(i)] = Alarm(i + 1, "A" + std::to_string(i + 1));
    }
    // The requests with the given inner letter and code, as sent.
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

class TestAlarms : public QObject {
    Q_OBJECT
private slots:
    // "Save" takes the editor's values: the message folded and cut, the lists' indexes (or
    // the stored value when a list shows nothing), the switches as 1 and 0.
    void editorValues_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("statusIndex");
        QTest::addColumn<int>("expectedStatus");
        QTest::newRow("polish letters folded")
            << QByteArray("\xA3\xF3\x9F ALARM") << QByteArray("Loz ALARM") << 2 << 2;
        QTest::newRow("cut to 30") << QByteArray(40, 'x') << QByteArray(30, 'x') << 0 << 0;
        QTest::newRow("no selection keeps the stored value")
            << QByteArray("x") << QByteArray("x") << -1 << 7;
    }
    void editorValues() {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, stored);
        QFETCH(int, statusIndex);
        QFETCH(int, expectedStatus);
        TAlarmRecord a = Alarm(3, "old");
        a.AlarmStatus = 7; // from a file or the controller: outside the list
        a.RelayLogic = 9;
        AlarmEditorValues v = AlarmEditorValuesFor(a);
        QCOMPARE(v.statusIndex, -1);
        QCOMPARE(v.logicIndex, -1);
        v.message = typed.toStdString();
        v.statusIndex = statusIndex;
        v.delay = 65000;
        v.relays.fill(0);
        v.relays[0] = 5;
        v.relays[31] = 1;
        ApplyAlarmEditor(v, a);
        QCOMPARE(QByteArray::fromStdString(a.Message.Text()), stored);
        QCOMPARE(a.AlarmStatus, expectedStatus);
        QCOMPARE(a.RelayLogic, 9);
        QCOMPARE(a.DelayTime, 65000);
        QCOMPARE(int(a.RelayOutputs[0]), 1);
        QCOMPARE(int(a.RelayOutputs[31]), 1);
        QCOMPARE(int(a.RelayOutputs[4]), 0);
        QCOMPARE(a.Number, 3);
    }

    // The write numbers the alarms and sends two groups of twelve; the second carries alarms
    // 13 to 21 and three copies of alarm 1.
    void listWriteCarriesCopiesOfAlarmOne() {
        Rig rig;
        rig.alarms[0].Number = 77;
        QCOMPARE(WriteAlarmsToController(rig.access, rig.alarms), Outcome::Ok);
        const auto writes = rig.Sent(0x47, 0x0F);
        QCOMPARE(writes.size(), std::size_t(2));
        QCOMPARE(ToHex(Bytes(writes[1].begin(), writes[1].begin() + 10)),
                 QString("01 46 08 01 14 47 0F 01 0D 01"));
        QCOMPARE(writes[1].size(), std::size_t(276));
        Bytes expected;
        for (int k = 0; k < 12; ++k) {
            const int n = 12 + k < AlarmCount ? 12 + k : 0;
            TAlarmRecord a = rig.alarms[std::size_t(n)];
            const Bytes item = Item(a);
            expected.insert(expected.end(), item.begin(), item.end());
        }
        QCOMPARE(ToHex(Bytes(writes[1].begin() + 10, writes[1].end() - 2)), ToHex(expected));
        QCOMPARE(rig.alarms[0].Number, 1);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});

        // Read back into a cleared block: every alarm as it was sent, numbered 1 to 21.
        std::array<TAlarmRecord, AlarmCount> back{};
        QCOMPARE(ReadAlarmsFromController(rig.access, back), Outcome::Ok);
        for (int i = 0; i < AlarmCount; ++i) {
            QCOMPARE(back[std::size_t(i)].Number, i + 1);
            QCOMPARE(ToHex(Item(back[std::size_t(i)])), ToHex(Item(rig.alarms[std::size_t(i)])));
        }
    }

    // The editor reads the group that holds its alarm and takes that one record; alarm 14 is
    // the third record of group 1. A failed read changes nothing and says so.
    void singleRead_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("fails");
        QTest::newRow("direct") << false << false;
        QTest::newRow("module") << true << false;
        QTest::newRow("direct, no reply") << false << true;
        QTest::newRow("module, panel never ready") << true << true;
    }
    void singleRead() {
        QFETCH(bool, module);
        QFETCH(bool, fails);
        Rig rig(module);
        Bytes group1;
        for (int k = 0; k < 12; ++k) {
            const Bytes item = Item(Alarm(13 + k, k == 1 ? "FROM PANEL" : "other"));
            group1.insert(group1.end(), item.begin(), item.end());
        }
        rig.controller.stored[{GroupRead, 1}] = group1;
        if (fails) {
            rig.controller.panelReady = false;
            rig.controller.silent = [module](const Bytes&) { return !module; };
        }
        TAlarmRecord copy = Alarm(14, "IN EDITOR");
        const TAlarmRecord before = copy;
        const Outcome outcome = ReadAlarmFromController(rig.access, copy);
        const auto reads = rig.Sent(0x46, 0x0F);
        QVERIFY(!reads.empty());
        QCOMPARE(int(reads[0][9]), 1);
        QVERIFY(!rig.host.progressVisible);
        if (fails) {
            QCOMPARE(outcome, Outcome::NoCommunication);
            QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
            QCOMPARE(BytesOf(&copy, sizeof copy), BytesOf(&before, sizeof before));
            return;
        }
        QCOMPARE(outcome, Outcome::Ok);
        QVERIFY(rig.host.messages.empty());
        QCOMPARE(QString::fromStdString(copy.Message.Text()), QString("FROM PANEL"));
        QCOMPARE(copy.Number, 14);
        std::vector<int> steps;
        for (const auto& s : rig.host.progress) steps.push_back(s.position);
        QCOMPARE(steps, module ? std::vector<int>({0, 1, 2, 3}) : std::vector<int>({0, 3}));
    }

    // The single-alarm write sends the alarm's index and its item, and offers the reset; in
    // module mode a running controller refuses it before anything is sent.
    void singleWrite_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("mode");
        QTest::newRow("direct") << false << 0;
        QTest::newRow("module") << true << 1;
        QTest::newRow("module, controller running") << true << 2;
    }
    void singleWrite() {
        QFETCH(bool, module);
        QFETCH(int, mode);
        Rig rig(module);
        rig.controller.mode = mode;
        const TAlarmRecord alarm = Alarm(14, "DOOR");
        const Outcome outcome = WriteAlarmToController(rig.access, alarm);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        QVERIFY(rig.access.resetPending);
        if (mode >= 2) {
            QCOMPARE(outcome, Outcome::NotStopped);
            QCOMPARE(rig.host.messages,
                     std::vector<std::string>{"Controller must be in STOP mode"});
            QCOMPARE(rig.port.written.size(), std::size_t(1)); // the status read alone
            return;
        }
        QCOMPARE(outcome, Outcome::Ok);
        Bytes expected = {0x01, 0x46, 0x08, 0x00, 0x22, 0x47, 0x17, 0x00, 0x1B, 0x0D};
        const Bytes item = Item(alarm);
        expected.insert(expected.end(), item.begin(), item.end());
        expected = WithChecksum(expected);
        const auto writes = rig.Sent(0x47, 0x17);
        QCOMPARE(writes.size(), std::size_t(1));
        Bytes sent = writes[0];
        if (module) { // a submit carries the same inner command
            sent[1] = 0x46;
            sent[2] = 0x08;
            sent = WithChecksum(Bytes(sent.begin(), sent.end() - 2));
        }
        QCOMPARE(ToHex(sent), ToHex(expected));
    }

    // An ".alz" file fills alarms 1, 2, ... and never what lies after the alarm block.
    void alarmFile_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("applied");
        QTest::newRow("5 records") << 5 << 5;
        QTest::newRow("21 records") << 21 << 21;
        QTest::newRow("25 records") << 25 << 21;
    }
    void alarmFile() {
        QFETCH(int, records);
        QFETCH(int, applied);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.alz");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < records; ++i) {
                const TAlarmRecord a = Alarm(i + 1, "FILE " + std::to_string(i + 1));
                f.write(reinterpret_cast<const char*>(&a), sizeof a);
            }
        }
        auto project = std::make_unique<Project>();
        TProjectImage& image = project->image;
        std::memset(&image, 0x5A, sizeof image);
        const auto before = std::make_unique<TProjectImage>(image);
        const BlockFileRead read =
            ReadBlockFile<TAlarmRecord>(path.toStdString(), std::span(image.Alarms));
        QCOMPARE(read.records, applied);
        for (int i = 0; i < AlarmCount; ++i)
            QCOMPARE(QString::fromStdString(image.Alarms[i].Message.Text()),
                     i < applied ? QString("FILE %1").arg(i + 1)
                                 : QString::fromStdString(before->Alarms[i].Message.Text()));
        const std::size_t end = offsetof(TProjectImage, Alarms) + sizeof image.Alarms;
        QCOMPARE(BytesOf(reinterpret_cast<const char*>(&image) + end, sizeof image - end),
                 BytesOf(reinterpret_cast<const char*>(before.get()) + end, sizeof image - end));
    }
};

QTEST_GUILESS_MAIN(TestAlarms)
#include "tst_alarms.moc"
