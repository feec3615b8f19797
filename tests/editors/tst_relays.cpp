#include "editors/relays/Relays.h"
#include "link/CommandEncoding.h"
#include "link/Frame.h"
#include "project/BlockFile.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/WireBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <map>

using namespace zyl;
using zyl::test::Bytes;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;
using zyl::test::WithChecksum;

namespace {

TRelayRecord Relay(int number, const char* name) {
    TRelayRecord r{};
    r.Number = number;
    r.Name.SetText(name);
    r.TimeType = number % 6;
    r.TimeTa = number * 10;
    r.Offset = -number;
    return r;
}

// A controller that keeps relay groups as the item bytes it was sent.
struct RelayController {
    std::map<int, Bytes> groups; // 240 item bytes per group
    int failFromGroup = 99;      // reads of this group and later get no reply
    int mode = 0;
    bool panelReady = true;

    Bytes operator()(const Bytes& req) {
        if (req.size() == 7 && req[2] == 0x00) { // status
            Bytes r(62, 0);
            r[0] = 1;
            r[22] = std::uint8_t(mode);
            r[61] = panelReady ? 1 : 0;
            return WithChecksum(r);
        }
        if (req.size() == 7) return lastAnswer; // a collect
        if (req[1] == 0x47) {                   // a submit: answer later
            Bytes direct = req;
            direct[1] = 0x46;
            direct[2] = 0x08;
            lastAnswer = Answer(direct);
            Bytes ack = {1, 0x47, 0x09, 0x00, 0x07};
            return WithChecksum(ack);
        }
        return Answer(req);
    }
    Bytes Answer(const Bytes& req) {
        const int group = req[9];
        if (req[5] == 0x46) {
            if (group >= failFromGroup) return {};
            Bytes r = {1, 0x46, 0x08, 0x00, 0xFC, 0x46, 0x0C, 0x00, 0xF5, std::uint8_t(group)};
            const Bytes& items = groups.count(group) ? groups[group] : Bytes(240, 0);
            r.insert(r.end(), items.begin(), items.end());
            return WithChecksum(r);
        }
        groups[group] = Bytes(req.begin() + 10, req.end() - 2);
        return WithChecksum({1, 0x46, 0x08, 0x00, 0x0B, 0x47, 0x0C, 0x00, 0x04});
    }
    Bytes lastAnswer;
};

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    RelayController controller;
    std::array<TRelayRecord, RelayCount> relays{};
    Rig() {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        port.respond = [this](const Bytes& req) { return controller(req); };
        for (int i = 0; i < RelayCount; ++i)
            relays[std::size_t(i)] = Relay(i + 1, ("R" + std::to_string(i + 1)).c_str());
    }
};

} // namespace

class TestRelays : public QObject {
    Q_OBJECT
private slots:
    void valueFields_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("stored");
        const int P5 = int(RelayValueField::Offset), P6 = int(RelayValueField::RegulatorWindow);
        const int P7 = int(RelayValueField::LowerHysteresis);
        const int P8 = int(RelayValueField::UpperHysteresis);
        const QString range = "Wrong parameter range ! < 0..25.4";
        const QString notNumeric = QString("This") + QChar(0xA0) + "is not numeric format";
        QTest::newRow("25.5 top accepted") << P6 << "25.5"
                                           << "" << 255;
        QTest::newRow("25.6 refused") << P6 << "25.6" << range << 0;
        QTest::newRow("P8 25.6 refused") << P8 << "25.6" << range << 0;
        QTest::newRow("P7 negative refused") << P7 << "-0.1" << range << 0;
        QTest::newRow("-12.5 accepted") << P5 << "-12.5"
                                        << "" << -125;
        QTest::newRow("-12.6 refused") << P5 << "-12.6"
                                       << "Wrong parameter range ! < -12.5 .. 12.5" << 0;
        QTest::newRow("comma not numeric") << P5 << "12,5" << notNumeric << 0;
        QTest::newRow("empty not numeric") << P6 << "" << notNumeric << 0;
        QTest::newRow("half to even") << P6 << "0.25"
                                      << "" << 2;
        QTest::newRow("1.5") << P7 << "1.5"
                             << "" << 15;
        QTest::newRow("leading blanks") << P7 << "  2"
                                        << "" << 20;
    }
    void valueFields() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, stored);
        const std::string t = text.toStdString();
        const auto got = CheckRelayValue(RelayValueField(field), t);
        if (message.isEmpty()) {
            QVERIFY(!got);
            QCOMPARE(TenthsFromText(t), stored);
        } else {
            QVERIFY(got);
            QCOMPARE(QString::fromLatin1(got->c_str()), message);
        }
    }

    void saveStoresEveryField() {
        TRelayRecord r{};
        std::memset(&r, 0x11, sizeof r);
        RelayEditorValues v = RelayEditorValuesFor(r);
        v.name = "Pompa \xA3\xB9k\xEA"; // Łąkę in code page 1250
        v.timeType = 4;
        v.regulatorType = PidRegulatorType;
        v.p1 = "12x"; // no whole number: 0
        v.p2 = "-7";
        v.channelIndex = 2;   // PID 3
        v.setValueIndex = 14; // "15 - Step preset SP1"
        v.p5 = "-12.5";
        v.p6 = "0.25";
        v.p7 = "1.5";
        v.p8 = "25.5";
        ApplyRelayEditor(v, r);
        QCOMPARE(QString::fromStdString(r.Name.Text()), QString("Pompa Lake"));
        QCOMPARE(r.TimeType, 4);
        QCOMPARE(r.RegulatorType, 6);
        QCOMPARE(r.TimeTa, 0);
        QCOMPARE(r.TimeTb, -7);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
        QCOMPARE(bytes[52] | bytes[53] << 8 | bytes[54] << 16 | bytes[55] << 24, 0x0E02);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes) + 60, 4).toHex(),
                 QByteArray("83ffffff"));
        QCOMPARE(r.RegulatorWindow, 2);
        QCOMPARE(r.LowerHysteresis, 15);
        QCOMPARE(r.UpperHysteresis, 255);
        QCOMPARE(r.Reserved56, 0x11111111); // bytes that the editor does not own
    }

    void listWithoutSelectionKeepsItsByte() {
        TRelayRecord r{};
        r.RegulatorType = PidRegulatorType;
        r.MeasurementChannel = 7; // outside the PID list: no selection on opening
        r.SetValueSource = 30;    // outside the set-value list
        RelayEditorValues v = RelayEditorValuesFor(r);
        QCOMPARE(v.channelIndex, -1);
        QCOMPARE(v.setValueIndex, -1);
        ApplyRelayEditor(v, r);
        QCOMPARE(int(r.MeasurementChannel), 7);
        QCOMPARE(int(r.SetValueSource), 30);
        v.setValueIndex = 3;
        ApplyRelayEditor(v, r);
        QCOMPARE(int(r.MeasurementChannel), 7);
        QCOMPARE(int(r.SetValueSource), 3);
    }

    void openAndSaveChangesOnlyTheName() {
        TRelayRecord r = Relay(5, "A name that is longer than thirty characters");
        r.Name.Length = 30;
        r.UpperHysteresis = 123;
        r.MeasurementChannel = 3;
        r.SetValueSource = 14;
        const TRelayRecord before = r;
        ApplyRelayEditor(RelayEditorValuesFor(r), r);
        QCOMPARE(std::memcmp(&before, &r, sizeof r), 0);
    }

    void rowShowsTenths() {
        TRelayRecord r = Relay(9, "FAN");
        r.Offset = -125;
        r.RegulatorWindow = 0;
        const auto row = RelayRow(3, r);
        QCOMPARE(QString::fromStdString(row[0]), QString("3")); // the row, not Number 9
        QCOMPARE(QString::fromStdString(row[1]), QString("FAN"));
        QCOMPARE(QString::fromStdString(row[8]), QString("-12.5"));
        QCOMPARE(QString::fromStdString(row[9]), QString("0.0"));
    }

    void relayFile() {
        QTemporaryDir dir;
        Rig rig;
        const QString path = dir.filePath("r.rlz");
        QVERIFY(WriteBlockFile<TRelayRecord>(path.toStdString(), rig.relays));
        QCOMPARE(QFileInfo(path).size(), qint64(2944));

        // A file of 10 records followed by half a record changes relays 1 to 10 only.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray ten = f.read(10 * 92) + QByteArray(46, '\x77');
        f.close();
        const QString short10 = dir.filePath("ten.rlz");
        QFile g(short10);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(ten);
        g.close();
        std::array<TRelayRecord, RelayCount> target{};
        const BlockFileRead read = ReadBlockFile<TRelayRecord>(short10.toStdString(), target);
        QVERIFY(read);
        QCOMPARE(read.records, 10);
        QCOMPARE(read.partialBytes, 46);
        QCOMPARE(std::memcmp(target.data(), rig.relays.data(), 10 * 92), 0);
        for (int i = 10; i < RelayCount; ++i) QCOMPARE(target[std::size_t(i)].Number, 0);

        // Records beyond the 32nd never reach the image.
        QVERIFY(g.open(QIODevice::WriteOnly));
        QFile whole(path);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray all = whole.readAll();
        g.write(all + all.left(92 * 3));
        g.close();
        const BlockFileRead longer = ReadBlockFile<TRelayRecord>(short10.toStdString(), target);
        QCOMPARE(longer.records, 32);
        QVERIFY(longer.beyond);
        QVERIFY(!ReadBlockFile<TRelayRecord>(dir.filePath("missing.rlz").toStdString(), target));
    }

    void writeSends36SlotsWithCopiesOfRelayOne() {
        Rig rig;
        std::vector<std::vector<TRelayRecord>> packets;
        rig.relays[0].Number = 77; // renumbered before sending
        for (int i = 0; i < RelayCount; ++i) rig.relays[std::size_t(i)].Number = i + 1;
        const Outcome outcome =
            WriteBlock<TRelayRecord>(rig.access, rig.relays, RelayTransferRules,
                                     [&packets](Variant, std::span<TRelayRecord> packet, int) {
                                         packets.emplace_back(packet.begin(), packet.end());
                                         return 0;
                                     });
        QCOMPARE(outcome, Outcome::Ok);
        QCOMPARE(packets.size(), std::size_t(6));
        const auto& last = packets[5];
        QCOMPARE(last[0].Number, 31);
        QCOMPARE(last[1].Number, 32);
        for (int j = 2; j < 6; ++j) {
            QCOMPARE(last[std::size_t(j)].Number, 1);
            QCOMPARE(std::memcmp(&last[std::size_t(j)], &rig.relays[0], 92), 0);
        }
    }

    void writeFramesCarryTheItems() {
        Rig rig;
        QCOMPARE(WriteRelaysToController(rig.access, rig.relays), Outcome::Ok);
        QCOMPARE(rig.port.written.size(), std::size_t(6));
        const Bytes& last = rig.port.written[5];
        QCOMPARE(last.size(), std::size_t(252));
        QCOMPARE(int(last[9]), 5);
        const auto relay1 = EncodeRelayItem(rig.relays[0], 0);
        for (int slot = 2; slot < 6; ++slot)
            QVERIFY(std::equal(relay1.begin(), relay1.end(), last.begin() + 10 + slot * 40));
        // The reset question follows every write.
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        QVERIFY(rig.access.resetPending);
    }

    void readFailingOnFourthPacketKeepsWhatArrived() {
        Rig rig;
        QCOMPARE(WriteRelaysToController(rig.access, rig.relays), Outcome::Ok);
        std::array<TRelayRecord, RelayCount> image{};
        for (auto& r : image) r = Relay(99, "OLD");
        rig.controller.failFromGroup = 3;
        rig.host.messages.clear();
        QCOMPARE(ReadRelaysFromController(rig.access, image), Outcome::NoCommunication);
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
        for (int i = 0; i < 18; ++i) {
            QCOMPARE(image[std::size_t(i)].Number, i + 1);
            QCOMPARE(image[std::size_t(i)].Name.Text(), rig.relays[std::size_t(i)].Name.Text());
        }
        for (int i = 18; i < RelayCount; ++i)
            QCOMPARE(QString::fromStdString(image[std::size_t(i)].Name.Text()), QString("OLD"));
        QVERIFY(!rig.host.progressVisible);
    }

    void moduleModeRoundTripAndRefusal() {
        Rig rig;
        rig.access.moduleMode = true;
        QCOMPARE(WriteRelaysToController(rig.access, rig.relays), Outcome::Ok);
        std::array<TRelayRecord, RelayCount> image{};
        QCOMPARE(ReadRelaysFromController(rig.access, image), Outcome::Ok);
        for (int i = 0; i < RelayCount; ++i)
            QCOMPARE(image[std::size_t(i)].TimeTa, rig.relays[std::size_t(i)].TimeTa);

        // A running controller: the write is refused after one status read.
        rig.controller.mode = 2;
        rig.port.written.clear();
        rig.host.messages.clear();
        QCOMPARE(WriteRelaysToController(rig.access, rig.relays), Outcome::NotStopped);
        QCOMPARE(rig.port.written.size(), std::size_t(1));
        QCOMPARE(rig.host.messages, std::vector<std::string>{"Controller must be in STOP mode"});
    }

    void cancelDuringPanelWaitStopsSilently() {
        Rig rig;
        rig.access.moduleMode = true;
        rig.controller.panelReady = false;
        rig.host.onEvents = [](RecordingHost& h) { h.cancel = h.eventsProcessed > 3; };
        std::array<TRelayRecord, RelayCount> image{};
        QCOMPARE(ReadRelaysFromController(rig.access, image), Outcome::Cancelled);
        QVERIFY(rig.host.messages.empty());
        QVERIFY(!rig.host.progressVisible);
    }

    void notReadyPanelMessagesDiffer() {
        Rig rig;
        rig.access.moduleMode = true;
        rig.controller.panelReady = false;
        std::array<TRelayRecord, RelayCount> image{};
        QCOMPARE(ReadRelaysFromController(rig.access, image), Outcome::NoCommunication);
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
        rig.host.messages.clear();
        QCOMPARE(WriteRelaysToController(rig.access, rig.relays), Outcome::NoCommunication);
        QVERIFY(rig.host.messages.empty());
    }
};

QTEST_GUILESS_MAIN(TestRelays)
#include "tst_relays.moc"
