// The commands driven through the link object over the scripted fake port: complete request
// frames, expected reply lengths, reply checks, decoding into records, and the retry wrapper.

#include "link/Commands.h"
#include "panel/CodePage.h"
#include "support/FakeSerialPort.h"
#include "tst_commands_support.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cstring>
#include <functional>

using namespace zyl;
using namespace zyl::test;

namespace {

using Run = std::function<int(TFkomunikacja&)>;

// What a read left in its destination.
struct Outcome {
    int result;
    QByteArray state; // "cleared", "kept" or "changed"
};
using Probe = std::function<Outcome(TFkomunikacja&)>;

constexpr std::uint8_t Address = 1;
constexpr std::uint8_t Fill = 0xAB;

template <class T> T Filled(std::uint8_t byte) {
    T value;
    std::memset(&value, byte, sizeof value);
    return value;
}

template <class T> QByteArray StateOf(const T& object) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&object);
    const bool zero = std::all_of(p, p + sizeof(T), [](std::uint8_t b) { return b == 0; });
    const bool kept = std::all_of(p, p + sizeof(T), [](std::uint8_t b) { return b == Fill; });
    return zero ? "cleared" : kept ? "kept" : "changed";
}

// The reply with one byte replaced and its checksum made good again.
ByteVector WithByte(ByteVector reply, std::size_t index, std::uint8_t value) {
    reply[index] = value;
    reply.resize(reply.size() - 2);
    AppendChecksum(reply);
    return reply;
}

ByteVector NameWire(const char* text) {
    ByteVector bytes(text, text + std::strlen(text));
    bytes.resize(NameWireSize, 0x00);
    return bytes;
}

struct Rig {
    FakeSerialPort port;
    TFkomunikacja link{port};
    Rig() {
        LinkTuning tuning;
        tuning.timeoutStand = 25;
        link.SetTuning(tuning);
    }
    void Script(const ByteVector& reply, int times = 1) {
        for (int i = 0; i < times; ++i) port.replies.push_back(reply);
    }
};

const TLinkParams Params{};

} // namespace

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(Probe)

class TestCommandExchange : public QObject {
    Q_OBJECT
private slots:
    void requestFrames_data() {
        QTest::addColumn<Run>("run");
        QTest::addColumn<ByteVector>("reply");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("frameLength");
        QTest::addColumn<QByteArray>("checksum"); // empty: only checked for validity
        QTest::addColumn<int>("replyLength");

        const ByteVector ack = ModuleReply('G', 0x09);
        const auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

        // Reads.
        row("ReadSetupParameters") << Run([](auto& l) {
            TSetupBlock s;
            return ReadSetupParameters(l, s, Address, Params);
        }) << AnswerOfLength(211) << QByteArray("01 46 08 00 0B 46 0A 00 04")
                                   << 11 << QByteArray("9B F2") << 211;
        row("ReadSetupParametersSubmit")
            << Run([](auto& l) { return ReadSetupParametersSubmit(l, Address, Params); }) << ack
            << QByteArray("01 47 09 00 0B 46 0A 00 04") << 11 << QByteArray("4A FE") << 7;
        row("ReadSetupParametersCollect") << Run([](auto& l) {
            TSetupBlock s;
            return ReadSetupParametersCollect(l, s, Address, Params);
        }) << AnswerOfLength(211) << QByteArray("01 46 09 00 07")
                                          << 7 << QByteArray("9D 48") << 211;
        row("ReadPasswords at address 42") << Run([](auto& l) {
            TPasswordBlock p;
            return ReadPasswords(l, p, 42, Params);
        }) << AnswerOfLength(233, 0, 42) << QByteArray("2A 46 08 00 0B 46 11 00 04")
                                           << 11 << QByteArray() << 233;
        row("ReadSpecialStatuses") << Run([](auto& l) {
            TSpecialStatusRecord s[6];
            return ReadSpecialStatuses(l, s, Address, Params);
        }) << AnswerOfLength(53) << QByteArray("01 46 08 00 0B 46 0E 00 04")
                                   << 11 << QByteArray() << 53;
        row("ReadRelayGroup 2") << Run([](auto& l) {
            TRelayRecord r[6];
            return ReadRelayGroup(l, r, 2, Address, Params);
        }) << AnswerOfLength(252, 2)
                                << QByteArray("01 46 08 00 0C 46 0C 00 05 02") << 12
                                << QByteArray("32 C5") << 252;
        row("ReadRelayGroupSubmit 2")
            << Run([](auto& l) { return ReadRelayGroupSubmit(l, 2, Address, Params); }) << ack
            << QByteArray("01 47 09 00 0C 46 0C 00 05 02") << 12 << QByteArray() << 7;
        row("ReadRelayGroupCollect 2") << Run([](auto& l) {
            TRelayRecord r[6];
            return ReadRelayGroupCollect(l, r, 2, Address, Params);
        }) << AnswerOfLength(252, 2) << QByteArray("01 46 09 00 07")
                                       << 7 << QByteArray("9D 48") << 252;
        row("ReadRelayGroup as Variant::Submit") << Run([](auto& l) {
            TRelayRecord r[6];
            return ReadRelayGroup(l, Variant::Submit, r, 4, Address, Params);
        }) << ack << QByteArray("01 47 09 00 0C 46 0C 00 05 04")
                                                 << 12 << QByteArray() << 7;
        row("ReadAnalogOutputs") << Run([](auto& l) {
            TAnalogOutputRecord a[5];
            return ReadAnalogOutputs(l, a, Address, Params);
        }) << AnswerOfLength(257) << QByteArray("01 46 08 00 0C 46 12 00 05 00")
                                 << 12 << QByteArray() << 257;
        row("ReadPidRegulators") << Run([](auto& l) {
            TPidRecord p[5];
            return ReadPidRegulators(l, p, Address, Params);
        }) << AnswerOfLength(257) << QByteArray("01 46 08 00 0C 46 38 00 05 00")
                                 << 12 << QByteArray() << 257;
        row("ReadAlarmGroup 1") << Run([](auto& l) {
            TAlarmRecord a[12];
            return ReadAlarmGroup(l, a, 1, Address, Params);
        }) << AnswerOfLength(276, 1)
                                << QByteArray("01 46 08 00 0C 46 0F 00 05 01") << 12 << QByteArray()
                                << 276;
        row("ReadProcessGroup 1") << Run([](auto& l) {
            TProcessRecord p[8];
            return ReadProcessGroup(l, p, 1, false, Address, Params);
        }) << AnswerOfLength(164, 1)
                                  << QByteArray("01 46 08 00 0C 46 0D 00 05 01") << 12
                                  << QByteArray() << 164;
        row("ReadProcessGroup washing 0") << Run([](auto& l) {
            TProcessRecord p[8];
            return ReadProcessGroup(l, p, 0, true, Address, Params);
        }) << AnswerOfLength(164, 0) << QByteArray("01 46 08 00 0C 46 10 00 05 00")
                                          << 12 << QByteArray() << 164;
        row("ReadProcessParameters") << Run([](auto& l) {
            TProcessRecord p[16];
            return ReadProcessParameters(l, p, false, Address, Params);
        }) << AnswerOfLength(172) << QByteArray("01 46 08 00 0C 46 13 00 05 00")
                                     << 12 << QByteArray() << 172;
        row("ReadProcessParameters washing, kind byte not checked") << Run([](auto& l) {
            TProcessRecord p[16];
            return ReadProcessParameters(l, p, true, Address, Params);
        }) << AnswerOfLength(172, 0) << QByteArray("01 46 08 00 0C 46 13 00 05 01")
                                                                    << 12 << QByteArray() << 172;
        row("ReadProgram P=3 part 1 of program 5") << Run([](auto& l) {
            TProgramRecord p;
            return ReadProgram(l, p, 1, 4, 3, Address, Params);
        }) << AnswerOfLength(227, 1) << QByteArray("01 46 08 00 0D 46 0B 00 06 01 04")
                                                   << 13 << QByteArray() << 227;
        row("ReadProgram P=2 part 0 of the WASHING program") << Run([](auto& l) {
            TProgramRecord p;
            return ReadProgram(l, p, 0, 100, 2, Address, Params);
        }) << AnswerOfLength(267, 0) << QByteArray("01 46 08 00 0D 46 0B 00 06 00 64")
                                                             << 13 << QByteArray() << 267;
        row("ReadProgramSubmit") << Run([](auto& l) {
            return ReadProgramSubmit(l, 2, 0, 3, Address, Params);
        }) << ack << QByteArray("01 47 09 00 0D 46 0B 00 06 02 00")
                                 << 13 << QByteArray() << 7;
        row("ReadPanelInfo") << Run([](auto& l) {
            int size = 0;
            std::array<std::uint8_t, 4> d{};
            return ReadPanelInfo(l, size, d, Address, Params);
        }) << AnswerOfLength(17)
                             << QByteArray("01 46 08 00 0B 44 20 00 04") << 11 << QByteArray()
                             << 17;
        row("ReadPanelInfoSubmit")
            << Run([](auto& l) { return ReadPanelInfoSubmit(l, Address, Params); }) << ack
            << QByteArray("01 47 09 00 0B 44 20 00 04") << 11 << QByteArray() << 7;
        row("ReadPanelPage user block page 3") << Run([](auto& l) {
            std::string page;
            return ReadPanelPage(l, page, 3, PanelBlock::User, Address, Params);
        }) << AnswerOfLength(277) << QByteArray("01 46 08 00 0D 44 21 00 06 03 18")
                                               << 13 << QByteArray() << 277;
        row("ReadPanelPage predefined block page 250") << Run([](auto& l) {
            std::string page;
            return ReadPanelPage(l, page, 250, PanelBlock::Predefined, Address, Params);
        }) << AnswerOfLength(277) << QByteArray("01 46 08 00 0D 44 22 00 06 01 D0")
                                                       << 13 << QByteArray() << 277;
        row("ReadPanelPageSubmit") << Run([](auto& l) {
            return ReadPanelPageSubmit(l, 1, PanelBlock::User, Address, Params);
        }) << ack << QByteArray("01 47 09 00 0D 44 21 00 06 01 08")
                                   << 13 << QByteArray() << 7;
        row("ReadPanelPageCollect") << Run([](auto& l) {
            std::string page;
            return ReadPanelPageCollect(l, page, 1, PanelBlock::User, Address, Params);
        }) << AnswerOfLength(277) << QByteArray("01 46 09 00 07")
                                    << 7 << QByteArray("9D 48") << 277;
        row("ReadModuleStatus") << Run([](auto& l) {
            TControllerStatus s;
            return ReadModuleStatus(l, s, Address, Params);
        }) << AnswerOfLength(64) << QByteArray("01 46 00 00 07")
                                << 7 << QByteArray("4D 4A") << 64;
        row("CollectAck 4") << Run([](auto& l) { return CollectAck(l, 4, Address, Params); })
                            << AnswerOfLength(11) << QByteArray("01 46 09 00 07") << 7
                            << QByteArray("9D 48") << 11;
        row("CollectAck 6") << Run([](auto& l) { return CollectAck(l, 6, Address, Params); })
                            << AnswerOfLength(13) << QByteArray("01 46 09 00 07") << 7
                            << QByteArray("9D 48") << 13;

        // Writes: header and the first payload bytes.
        const ByteVector written = AnswerOfLength(11);
        row("WriteSetupParameters") << Run([](auto& l) {
            TSetupBlock s{};
            return WriteSetupParameters(l, s, Address, Params);
        }) << written << QByteArray("01 46 08 00 D5 47 0A 00 CE 00 00")
                                    << 213 << QByteArray() << 11;
        row("WriteSetupParametersSubmit takes any reply") << Run([](auto& l) {
            TSetupBlock s{};
            return WriteSetupParametersSubmit(l, s, Address, Params);
        }) << ModuleReply('F', 0x09) << QByteArray("01 47 09 00 D5 47 0A 00 CE 00 00")
                                                          << 213 << QByteArray() << 7;
        row("WritePasswords") << Run([](auto& l) {
            TPasswordBlock p{};
            return WritePasswords(l, p, Address, Params);
        }) << written << QByteArray("01 46 08 00 E9 47 11 00 E2")
                              << 233 << QByteArray() << 11;
        row("WriteSpecialStatuses") << Run([](auto& l) {
            TSpecialStatusRecord s[6]{};
            return WriteSpecialStatuses(l, s, Address, Params);
        }) << written << QByteArray("01 46 08 00 35 47 0E 00 2E")
                                    << 53 << QByteArray() << 11;
        row("WriteSpecialStatus index 3") << Run([](auto& l) {
            TSpecialStatusRecord s{};
            return WriteSpecialStatus(l, s, 3, Address, Params);
        }) << written << QByteArray("01 46 08 00 13 47 16 00 0C 03")
                                          << 19 << QByteArray() << 11;
        row("WriteRelayGroup 5") << Run([](auto& l) {
            TRelayRecord r[6]{};
            return WriteRelayGroup(l, r, 5, Address, Params);
        }) << written << QByteArray("01 46 08 00 FC 47 0C 00 F5 05")
                                 << 252 << QByteArray() << 11;
        row("WriteRelayGroupSubmit 5") << Run([](auto& l) {
            TRelayRecord r[6]{};
            return WriteRelayGroupSubmit(l, r, 5, Address, Params);
        }) << ack << QByteArray("01 47 09 00 FC 47 0C 00 F5 05")
                                       << 252 << QByteArray() << 7;
        row("WriteAnalogOutputs") << Run([](auto& l) {
            TAnalogOutputRecord a[5]{};
            return WriteAnalogOutputs(l, a, Address, Params);
        }) << written << QByteArray("01 46 08 00 B6 47 12 00 AF 00")
                                  << 182 << QByteArray() << 11;
        row("WritePidRegulators") << Run([](auto& l) {
            TPidRecord p[5]{};
            return WritePidRegulators(l, p, Address, Params);
        }) << written << QByteArray("01 46 08 00 7F 47 38 00 78 00")
                                  << 127 << QByteArray() << 11;
        row("WriteAlarmGroup 1") << Run([](auto& l) {
            TAlarmRecord a[12]{};
            return WriteAlarmGroup(l, a, 1, Address, Params);
        }) << written << QByteArray("01 46 08 01 14 47 0F 01 0D 01")
                                 << 276 << QByteArray() << 11;
        row("WriteAlarm index 20") << Run([](auto& l) {
            TAlarmRecord a{};
            return WriteAlarm(l, a, 20, Address, Params);
        }) << written << QByteArray("01 46 08 00 22 47 17 00 1B 14")
                                   << 34 << QByteArray() << 11;
        row("WriteProcessGroup 1") << Run([](auto& l) {
            TProcessRecord p[8]{};
            return WriteProcessGroup(l, p, 1, false, Address, Params);
        }) << written << QByteArray("01 46 08 00 A4 47 0D 00 9D 01")
                                   << 164 << QByteArray() << 11;
        row("WriteProcessGroup washing 1") << Run([](auto& l) {
            TProcessRecord p[8]{};
            return WriteProcessGroup(l, p, 1, true, Address, Params);
        }) << written << QByteArray("01 46 08 00 A4 47 10 00 9D 01")
                                           << 164 << QByteArray() << 11;
        row("WriteProcess index 15") << Run([](auto& l) {
            TProcessRecord p{};
            return WriteProcess(l, p, 15, false, Address, Params);
        }) << written << QByteArray("01 46 08 00 1F 47 15 00 18 0F")
                                     << 31 << QByteArray() << 11;
        row("WriteProcess washing index 15") << Run([](auto& l) {
            TProcessRecord p{};
            return WriteProcess(l, p, 15, true, Address, Params);
        }) << written << QByteArray("01 46 08 00 1F 47 18 00 18 0F")
                                             << 31 << QByteArray() << 11;
        row("WriteProcessParameters washing") << Run([](auto& l) {
            TProcessRecord p[16]{};
            return WriteProcessParameters(l, p, true, Address, Params);
        }) << written << QByteArray("01 46 08 00 AC 47 13 00 A5 01")
                                              << 172 << QByteArray() << 11;
        row("WriteProcessStepParameters index 2") << Run([](auto& l) {
            TProcessRecord p{};
            return WriteProcessStepParameters(l, p, 2, false, Address, Params);
        }) << written << QByteArray("01 46 08 00 16 47 1A 00 0F 02")
                                                  << 22 << QByteArray() << 11;
        row("WriteProcessStepParameters washing index 2") << Run([](auto& l) {
            TProcessRecord p{};
            return WriteProcessStepParameters(l, p, 2, true, Address, Params);
        }) << written << QByteArray("01 46 08 00 16 47 1A 00 0F 66")
                                                          << 22 << QByteArray() << 11;
        row("WriteProgram P=3 part 2 of program 7") << Run([](auto& l) {
            TProgramRecord p{};
            p.Number = 7;
            return WriteProgram(l, p, 2, 3, Address, Params);
        }) << written << QByteArray("01 46 08 00 E3 47 0B 00 DC 02 06")
                                                    << 227 << QByteArray() << 11;
        row("WriteProgram P=2 part 1 of the WASHING program") << Run([](auto& l) {
            TProgramRecord p{};
            p.Number = 101;
            return WriteProgram(l, p, 1, 2, Address, Params);
        }) << written << QByteArray("01 46 08 01 0B 47 0B 01 04 01 64")
                                                              << 267 << QByteArray() << 11;
        row("SetControllerClock") << Run([](auto& l) {
            return SetControllerClock(l, {2003, 3, 5, 14, 7, 9}, Address, Params);
        }) << ModuleReply('F', 0x00)
                                  << QByteArray("01 47 09 00 11 47 06 00 0A 03 03 05 0E 07 09")
                                  << 17 << QByteArray() << 7;
        row("ResetController") << Run([](auto& l) { return ResetController(l, Address, Params); })
                               << written << QByteArray("01 46 08 00 0B 47 E6 00 04") << 11
                               << QByteArray("5B FB") << 11;
        row("ResetControllerSubmit")
            << Run([](auto& l) { return ResetControllerSubmit(l, Address, Params); }) << ack
            << QByteArray("01 47 09 00 0D 47 E6 00 06 00 00") << 13 << QByteArray() << 7;
        row("WritePanelPage 3") << Run([](auto& l) {
            return WritePanelPage(l, "abc", 3, Address, Params);
        }) << AnswerOfLength(13) << QByteArray("01 46 08 01 15 44 24 01 0E 03 18 61 62 63 20")
                                << 277 << QByteArray() << 13;
        row("WritePanelPageSubmit 3")
            << Run([](auto& l) { return WritePanelPageSubmit(l, "abc", 3, Address, Params); })
            << ack << QByteArray("01 47 09 01 15 44 24 01 0E 03 18 61 62 63 20") << 277
            << QByteArray() << 7;
        row("WritePanelCodeTable") << Run([](auto& l) {
            const std::array<std::uint8_t, 4> d{0x11, 0x00, 0x12, 0x00};
            return WritePanelCodeTable(l, d, Address, Params);
        }) << written << QByteArray("01 46 08 00 0F 44 23 00 08 11 00 12 00")
                                   << 15 << QByteArray() << 11;
        row("WritePanelCodeTableSubmit") << Run([](auto& l) {
            const std::array<std::uint8_t, 4> d{0x11, 0x00, 0x12, 0x00};
            return WritePanelCodeTableSubmit(l, d, Address, Params);
        }) << ack << QByteArray("01 47 09 00 0F 44 23 00 08 11 00 12 00")
                                         << 15 << QByteArray() << 7;
        row("WriteRelayGroup as Variant::Collect is the acknowledgement") << Run([](auto& l) {
            TRelayRecord r[6]{};
            return WriteRelayGroup(l, Variant::Collect, r, 5, Address, Params);
        }) << written << QByteArray("01 46 09 00 07") << 7 << QByteArray("9D 48")
                                                                          << 11;
        row("WritePanelPage as Variant::Collect expects 13") << Run([](auto& l) {
            return WritePanelPage(l, Variant::Collect, "abc", 3, Address, Params);
        }) << AnswerOfLength(13) << QByteArray("01 46 09 00 07")
                                                             << 7 << QByteArray("9D 48") << 13;
    }
    void requestFrames() {
        QFETCH(Run, run);
        QFETCH(ByteVector, reply);
        QFETCH(QByteArray, head);
        QFETCH(int, frameLength);
        QFETCH(QByteArray, checksum);
        QFETCH(int, replyLength);
        Rig rig;
        rig.Script(reply);
        QCOMPARE(run(rig.link), int(LinkOk));
        QCOMPARE(rig.port.written.size(), std::size_t(1));
        const ByteVector& frame = rig.port.written[0];
        QCOMPARE(int(frame.size()), frameLength);
        const ByteVector expectedHead = Bytes(head);
        QCOMPARE(Hex(std::span(frame).first(std::min(frame.size(), expectedHead.size()))), head);
        QVERIFY(ChecksumMatches(frame));
        if (!checksum.isEmpty()) QCOMPARE(Hex(std::span(frame).last(2)), checksum);
        QCOMPARE(int(rig.port.readRequests.size()), 1);
        QCOMPARE(int(rig.port.readRequests[0]), replyLength);
    }

    void payloadPlacement_data() {
        QTest::addColumn<Run>("run");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("replyLength");
        const auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

        row("second relay item follows the first") << Run([](auto& l) {
            TRelayRecord r[6]{};
            r[1].Name.SetText("AB");
            return WriteRelayGroup(l, r, 0, Address, Params);
        }) << 50 << QByteArray("41 42 20 20 20 20 20 20 20 20 20 20 20 20")
                                                   << 11;
        row("relay Offset -12 of the sixth item") << Run([](auto& l) {
            TRelayRecord r[6]{};
            r[5].Offset = -12;
            return WriteRelayGroup(l, r, 0, Address, Params);
        }) << 10 + 5 * 40 + 24 << QByteArray("FF FF FB 50")
                                                  << 11;
        row("relay name through the link's code page") << Run([](auto& l) {
            l.codePage = CodePagePolish;
            TRelayRecord r[6]{};
            r[0].Name.SetText("\xA3\xA5KA");
            return WriteRelayGroup(l, r, 0, Address, Params);
        }) << 10 << QByteArray("9D A4 4B 41 20 20 20 20 20 20 20 20 20 20")
                                                       << 11;
        row("process relays 1 and 10") << Run([](auto& l) {
            TProcessRecord p[8]{};
            p[0].RelayStates[0] = 1;
            p[0].RelayStates[9] = 1;
            return WriteProcessGroup(l, p, 0, false, Address, Params);
        }) << 10 + 15 << QByteArray("01 02 00 00")
                                       << 11;
        row("process parameters of the second process") << Run([](auto& l) {
            TProcessRecord p[16]{};
            p[1].StepPresets[0] = 0x0102;
            p[1].StepPresets[4] = -1;
            return WriteProcessParameters(l, p, false, Address, Params);
        }) << 10 + 10 << QByteArray("01 02 00 00 00 00 00 00 FF FF")
                                                        << 11;
        row("one process's parameters") << Run([](auto& l) {
            TProcessRecord p{};
            p.StepPresets[0] = 7;
            return WriteProcessStepParameters(l, p, 4, true, Address, Params);
        }) << 9 << QByteArray("68 00 07")
                                        << 11;
        row("process of a single write") << Run([](auto& l) {
            TProcessRecord p{};
            p.Name.SetText("FILL");
            p.EndCondition = 2;
            return WriteProcess(l, p, 3, false, Address, Params);
        }) << 9 << QByteArray("03 46 49 4C 4C 20 20 20 20 20 20 20 20 20 20 02")
                                         << 11;
        row("program steps with process numbers 0, 1 and 3") << Run([](auto& l) {
            TProgramRecord p{};
            p.Steps[0].ProcessNumber = 0;
            p.Steps[1].ProcessNumber = 1;
            p.Steps[2].ProcessNumber = 3;
            return WriteProgram(l, p, 0, 3, Address, Params);
        }) << 9 + 16 + 13 << Hex(Concat({Repeat(0, 40), Bytes("02")}))
                                                             << 11;
        row("program name and number") << Run([](auto& l) {
            TProgramRecord p{};
            p.Name.SetText("WASHING");
            p.Number = 101;
            return WriteProgram(l, p, 1, 3, Address, Params);
        }) << 9 << QByteArray("01 64 57 41 53 48 49 4E 47 20 20 20 20 20 20 20")
                                       << 11;
        row("two-character password") << Run([](auto& l) {
            TPasswordBlock p{};
            p.Slots[0].SetText("AB");
            return WritePasswords(l, p, Address, Params);
        }) << 9 << QByteArray("41 42 00 00 00 00")
                                      << 11;
        row("setup words after two zero bytes") << Run([](auto& l) {
            TSetupBlock s{};
            s.Words[0] = 0x7777;
            s.Words[1] = 0x0102;
            return WriteSetupParameters(l, s, Address, Params);
        }) << 9 << QByteArray("00 00 01 02") << 11;
        row("special status index and switch-off time") << Run([](auto& l) {
            TSpecialStatusRecord s{};
            s.SwitchOffTime = -1;
            return WriteSpecialStatus(l, s, 3, Address, Params);
        }) << 9 << QByteArray("03 FF FF") << 11;
        row("second alarm's delay") << Run([](auto& l) {
            TAlarmRecord a[12]{};
            a[1].DelayTime = 600;
            return WriteAlarmGroup(l, a, 0, Address, Params);
        }) << 10 + 22 + 14 << QByteArray("02 58")
                                    << 11;
        row("second analog output's 10 V value") << Run([](auto& l) {
            TAnalogOutputRecord a[5]{};
            a[1].Value10V = 9999;
            return WriteAnalogOutputs(l, a, Address, Params);
        }) << 10 + 34 + 20 << QByteArray("27 0F") << 11;
        row("PID gain 1.25 as 12 tenths") << Run([](auto& l) {
            TPidRecord p[5]{};
            p[0].Gain = 1.25;
            return WritePidRegulators(l, p, Address, Params);
        }) << 10 + 7 << QByteArray("00 00 00 0C")
                                          << 11;
        row("page write of 100 bytes and 164 blanks") << Run([](auto& l) {
            return WritePanelPage(l, std::string(100, 'x'), 3, Address, Params);
        }) << 9 << Hex(Concat({Bytes("03 18"), Repeat('x', 100), Repeat(' ', 164)}))
                                                      << 13;
    }
    void payloadPlacement() {
        QFETCH(Run, run);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(int, replyLength);
        Rig rig;
        rig.Script(AnswerOfLength(std::size_t(replyLength)));
        QCOMPARE(run(rig.link), int(LinkOk));
        QCOMPARE(rig.port.written.size(), std::size_t(1));
        const ByteVector expected = Bytes(bytes);
        QCOMPARE(Hex(std::span(rig.port.written[0]).subspan(std::size_t(offset), expected.size())),
                 bytes);
    }

    void relayGroupReadDecodes() {
        Rig rig;
        ByteVector item =
            Concat({NameWire("PUMP"), Bytes("00 01 00 02 00 03 00 06 03 0E 00 00 00 "
                                            "FA 00 00 01 5E FF FF FB 50 00 00 00 00")});
        ByteVector data{0x02};
        for (int k = 0; k < 6; ++k) data.insert(data.end(), item.begin(), item.end());
        rig.Script(Answer(data));
        auto relays = Filled<std::array<TRelayRecord, 6>>(Fill);
        QCOMPARE(ReadRelayGroup(rig.link, relays, 2, Address, Params), int(LinkOk));
        QCOMPARE(QByteArray::fromStdString(relays[0].Name.Text()), QByteArray("PUMP"));
        QCOMPARE(int(relays[0].Number), 13);
        QCOMPARE(int(relays[5].Number), 18);
        QCOMPARE(int(relays[0].TimeTb), 3);
        QCOMPARE(int(relays[0].MeasurementChannel), 3);
        QCOMPARE(int(relays[0].SetValueSource), 14);
        QCOMPARE(int(relays[0].ChannelWordHigh), 0);
        QCOMPARE(int(relays[0].Offset), 2);
        QCOMPARE(int(relays[0].RegulatorWindow), 4);
        QCOMPARE(int(relays[0].LowerHysteresis), -12);
        QCOMPARE(int(relays[0].Reserved56), 0);
        QCOMPARE(StateOf(relays[0].Reserved76), QByteArray("cleared"));
    }

    void namesReadThroughTheLinksCodePage() {
        Rig rig;
        rig.link.codePage = CodePagePolish;
        ByteVector data{0x00};
        ByteVector item = Concat({Bytes("9D A4 4B 41"), Repeat(0, 10), Repeat(0, 26)});
        for (int k = 0; k < 6; ++k) data.insert(data.end(), item.begin(), item.end());
        rig.Script(Answer(data));
        TRelayRecord relays[6];
        QCOMPARE(ReadRelayGroup(rig.link, relays, 0, Address, Params), int(LinkOk));
        QCOMPARE(QByteArray::fromStdString(relays[0].Name.Text()), QByteArray("\xA3\xA5KA"));
    }

    // The group or part byte of a read must repeat the number asked for. Relay groups and
    // part 0 of a program are cleared before each attempt; alarm and process groups and later
    // program parts only change with a good reply.
    void groupCheck_data() {
        QTest::addColumn<ByteVector>("reply");
        QTest::addColumn<Probe>("probe");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("state");
        QTest::addColumn<int>("requests");
        const auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

        row("relay group 3 answered as group 2") << AnswerOfLength(252, 2) << Probe([](auto& l) {
            auto r = Filled<std::array<TRelayRecord, 6>>(Fill);
            return Outcome{ReadRelayGroup(l, r, 3, Address, Params), StateOf(r)};
        }) << int(LinkUnexpectedReply) << QByteArray("cleared")
                                                 << 3;
        row("relay group collect alike") << AnswerOfLength(252, 2) << Probe([](auto& l) {
            auto r = Filled<std::array<TRelayRecord, 6>>(Fill);
            return Outcome{ReadRelayGroupCollect(l, r, 3, Address, Params), StateOf(r)};
        }) << int(LinkUnexpectedReply) << QByteArray("cleared")
                                         << 3;
        row("relay group 3 answered as group 3") << AnswerOfLength(252, 3) << Probe([](auto& l) {
            auto r = Filled<std::array<TRelayRecord, 6>>(Fill);
            return Outcome{ReadRelayGroup(l, r, 3, Address, Params), StateOf(r)};
        }) << int(LinkOk) << QByteArray("changed")
                                                 << 1;
        row("alarm group 1 answered as group 0") << AnswerOfLength(276, 0) << Probe([](auto& l) {
            auto a = Filled<std::array<TAlarmRecord, 12>>(Fill);
            return Outcome{ReadAlarmGroup(l, a, 1, Address, Params), StateOf(a)};
        }) << int(LinkUnexpectedReply) << QByteArray("kept")
                                                 << 3;
        row("process group 1 answered as group 0") << AnswerOfLength(164, 0) << Probe([](auto& l) {
            auto p = Filled<std::array<TProcessRecord, 8>>(Fill);
            return Outcome{ReadProcessGroup(l, p, 1, true, Address, Params), StateOf(p)};
        }) << int(LinkUnexpectedReply) << QByteArray("kept")
                                                   << 3;
        row("program part 0 answered as part 1") << AnswerOfLength(227, 1) << Probe([](auto& l) {
            auto p = Filled<TProgramRecord>(Fill);
            return Outcome{ReadProgram(l, p, 0, 0, 3, Address, Params), StateOf(p)};
        }) << int(LinkUnexpectedReply) << QByteArray("cleared")
                                                 << 3;
        row("program part 1 answered as part 0") << AnswerOfLength(227, 0) << Probe([](auto& l) {
            auto p = Filled<TProgramRecord>(Fill);
            return Outcome{ReadProgram(l, p, 1, 0, 3, Address, Params), StateOf(p)};
        }) << int(LinkUnexpectedReply) << QByteArray("kept")
                                                 << 3;
        row("a submit does not touch the destination")
            << ModuleReply('G', 0x09) << Probe([](auto& l) {
                   auto r = Filled<std::array<TRelayRecord, 6>>(Fill);
                   return Outcome{ReadRelayGroup(l, Variant::Submit, r, 3, Address, Params),
                                  StateOf(r)};
               })
            << int(LinkOk) << QByteArray("kept") << 1;
    }
    void groupCheck() {
        QFETCH(ByteVector, reply);
        QFETCH(Probe, probe);
        QFETCH(int, result);
        QFETCH(QByteArray, state);
        QFETCH(int, requests);
        Rig rig;
        rig.Script(reply, 3);
        const Outcome outcome = probe(rig.link);
        QCOMPARE(outcome.result, result);
        QCOMPARE(outcome.state, state);
        QCOMPARE(int(rig.port.written.size()), requests);
    }

    void setupReadLeavesWord100Zero() {
        Rig rig;
        ByteVector data;
        for (int i = 0; i < 100; ++i) AppendU16(data, 1000 + i);
        rig.Script(Answer(data));
        auto setup = Filled<TSetupBlock>(Fill);
        QCOMPARE(ReadSetupParameters(rig.link, setup, Address, Params), int(LinkOk));
        QCOMPARE(int(setup.Words[0]), 1000);
        QCOMPARE(int(setup.Words[99]), 1099);
        QCOMPARE(int(setup.Words[100]), 0);
    }

    void analogOutputReadLeavesRealsZero() {
        Rig rig;
        ByteVector data{0x00};
        for (int k = 0; k < 5; ++k) {
            const ByteVector item =
                Concat({NameWire("OUT"), Bytes("01 02 03 04 00 0A 00 14 00 1E "
                                               "00 28 00 01 00 02 00 03 00 04")});
            data.insert(data.end(), item.begin(), item.end());
        }
        data.resize(data.size() + 75, 0xEE);
        rig.Script(Answer(data));
        auto outputs = Filled<std::array<TAnalogOutputRecord, 5>>(Fill);
        QCOMPARE(ReadAnalogOutputs(rig.link, outputs, Address, Params), int(LinkOk));
        for (const TAnalogOutputRecord& a : outputs) {
            QCOMPARE(QByteArray::fromStdString(a.Name.Text()), QByteArray("OUT"));
            QCOMPARE(int(a.PidNumber), 4);
            QCOMPARE(int(a.Value0V), 10);
            QCOMPARE(int(a.SpecialSetValues[3]), 4);
            QCOMPARE(double(a.Sample), 0.0);
            QCOMPARE(double(a.Gain), 0.0);
            QCOMPARE(double(a.TimeTi), 0.0);
            QCOMPARE(double(a.TimeTd), 0.0);
        }
    }

    void pidReadScalesTheGain() {
        Rig rig;
        ByteVector data{0x00};
        for (int k = 0; k < 5; ++k) {
            const ByteVector item =
                Bytes("01 02 0F 00 00 00 0C 00 00 00 0C 00 00 00 04 FF FF FF FE 00 00 00 02");
            data.insert(data.end(), item.begin(), item.end());
        }
        data.resize(data.size() + 130, 0xEE);
        rig.Script(Answer(data));
        auto pids = Filled<std::array<TPidRecord, 5>>(Fill);
        QCOMPARE(ReadPidRegulators(rig.link, pids, Address, Params), int(LinkOk));
        QCOMPARE(double(pids[4].Gain), 1.2);
        QCOMPARE(double(pids[4].Period), 2.0);
        QCOMPARE(StateOf(pids[4].Reserved0), QByteArray("cleared"));
    }

    void passwordsReadBackSixCharacters() {
        Rig rig;
        ByteVector data = Bytes("41 42 00 00 00 00");
        data.resize(222, 0x39);
        rig.Script(Answer(data));
        auto block = Filled<TPasswordBlock>(Fill);
        QCOMPARE(ReadPasswords(rig.link, block, Address, Params), int(LinkOk));
        QCOMPARE(QByteArray::fromStdString(block.Slots[0].Text()), QByteArray("AB\0\0\0\0", 6));
        QCOMPARE(QByteArray::fromStdString(block.Slots[36].Text()), QByteArray("999999"));
        QCOMPARE(StateOf(block.Slots[37]), QByteArray("cleared"));
    }

    void specialStatusesReadNumbersAndEmptyNames() {
        Rig rig;
        ByteVector data;
        for (int k = 0; k < 6; ++k) {
            const ByteVector item = Bytes("FD E8 01 00 00 00 80");
            data.insert(data.end(), item.begin(), item.end());
        }
        rig.Script(Answer(data));
        auto statuses = Filled<std::array<TSpecialStatusRecord, 6>>(Fill);
        QCOMPARE(ReadSpecialStatuses(rig.link, statuses, Address, Params), int(LinkOk));
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(int(statuses[k].Number), k + 1);
            QCOMPARE(int(statuses[k].Name.Length), 0);
            QCOMPARE(int(statuses[k].SwitchOffTime), 65000); // FD E8, as the editor wrote it
            QCOMPARE(int(statuses[k].RelayOutputs[31]), 1);
        }
    }

    void processParametersReadChangesOnlyPresets() {
        Rig rig;
        ByteVector data{0x01};
        for (int k = 0; k < 16; ++k) {
            const ByteVector item = Bytes("00 01 00 02 00 03 00 04 FF FF");
            data.insert(data.end(), item.begin(), item.end());
        }
        rig.Script(Answer(data));
        auto processes = Filled<std::array<TProcessRecord, 16>>(Fill);
        QCOMPARE(ReadProcessParameters(rig.link, processes, true, Address, Params), int(LinkOk));
        for (const TProcessRecord& p : processes) {
            QCOMPARE(int(p.StepPresets[0]), 1);
            QCOMPARE(int(p.StepPresets[4]), -1);
            QCOMPARE(int(p.Number), int(0xABABABAB));
            QCOMPARE(StateOf(p.Reserved114), QByteArray("kept"));
        }
    }

    void programReadInParts_data() {
        QTest::addColumn<int>("blockCount");
        QTest::newRow("two parts of fifteen steps") << 2;
        QTest::newRow("three parts of ten steps") << 3;
    }
    void programReadInParts() {
        QFETCH(int, blockCount);
        const ProgramPartLayout layout = ProgramLayoutFor(blockCount);
        Rig rig;
        for (int part = 0; part < blockCount; ++part) {
            ByteVector data = Concat({{std::uint8_t(part), 0x04}, NameWire("MIX")});
            for (int i = 0; i < layout.stepsPerPart; ++i) {
                ByteVector item(layout.stepSize, 0);
                item[1] = std::uint8_t(part * layout.stepsPerPart + i + 1); // temperature
                item[13] = 0x02;                                            // process 3
                if (layout.stepSize == 20) item[17] = 9;                    // work time
                data.insert(data.end(), item.begin(), item.end());
            }
            rig.Script(Answer(data));
        }
        auto program = Filled<TProgramRecord>(Fill);
        for (int part = 0; part < blockCount; ++part)
            QCOMPARE(ReadProgram(rig.link, program, part, 4, blockCount, Address, Params),
                     int(LinkOk));
        QCOMPARE(int(program.Number), 5);
        QCOMPARE(QByteArray::fromStdString(program.Name.Text()), QByteArray("MIX"));
        for (int k = 0; k < StepCount; ++k) {
            QCOMPARE(int(program.Steps[k].Temperature), k + 1);
            QCOMPARE(int(program.Steps[k].ProcessNumber), 3);
            QCOMPARE(int(program.Steps[k].WorkTime), layout.stepSize == 20 ? 9 : 0);
        }
        QCOMPARE(StateOf(program.Reserved2696), QByteArray("cleared"));
    }

    void panelInfoAndPage() {
        Rig rig;
        rig.Script(Answer(Bytes("01 08 11 11 12 12")));
        rig.Script(Answer(Concat({Bytes("AA BB"), Repeat('m', 263), Bytes("FE")})));
        int size = 0;
        std::array<std::uint8_t, 4> descriptor{};
        QCOMPARE(ReadPanelInfo(rig.link, size, descriptor, Address, Params), int(LinkOk));
        QCOMPARE(size, 0x0108);
        QCOMPARE(Hex(descriptor), QByteArray("11 11 12 12"));
        std::string page;
        QCOMPARE(ReadPanelPage(rig.link, page, 0, PanelBlock::Predefined, Address, Params),
                 int(LinkOk));
        QCOMPARE(QByteArray::fromStdString(page), QByteArray(263, 'm') + "\xFE");
    }

    void moduleStatusPanelReady() {
        Rig rig;
        ByteVector data(53, 0);
        data[61 - 9] = 1;
        data[22 - 9] = 0xC1;
        rig.Script(Answer(data));
        TControllerStatus status;
        QCOMPARE(ReadModuleStatus(rig.link, status, Address, Params), int(LinkOk));
        QVERIFY(status.PanelReady);
        QCOMPARE(int(status.Mode), 1);
    }

    // Reply checks of submits and acknowledgement collects; a refused reply is retried.
    void acknowledgements_data() {
        QTest::addColumn<Run>("run");
        QTest::addColumn<ByteVector>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("requests");
        const Run readSubmit = [](auto& l) { return ReadRelayGroupSubmit(l, 1, Address, Params); };
        const Run ack4 = [](auto& l) { return CollectAck(l, 4, Address, Params); };
        QTest::newRow("read submit: G 09 accepted")
            << readSubmit << ModuleReply('G', 0x09) << int(LinkOk) << 1;
        QTest::newRow("read submit: F 09 refused")
            << readSubmit << ModuleReply('F', 0x09) << int(LinkUnexpectedReply) << 3;
        QTest::newRow("read submit: G 08 refused")
            << readSubmit << ModuleReply('G', 0x08) << int(LinkUnexpectedReply) << 3;
        QTest::newRow("panel read submit: F 09 refused")
            << Run([](auto& l) { return ReadPanelInfoSubmit(l, Address, Params); })
            << ModuleReply('F', 0x09) << int(LinkUnexpectedReply) << 3;
        QTest::newRow("write submit: any reply") << Run([](auto& l) {
            TAlarmRecord a{};
            return WriteAlarmSubmit(l, a, 0, Address, Params);
        }) << ModuleReply('F', 0x00) << int(LinkOk)
                                                 << 1;
        QTest::newRow("CollectAck 4: F accepted") << ack4 << AnswerOfLength(11) << int(LinkOk) << 1;
        QTest::newRow("CollectAck 4: G refused")
            << ack4 << WithByte(AnswerOfLength(11), 1, 'G') << int(LinkUnexpectedReply) << 3;
        QTest::newRow("write collect variant: G refused") << Run([](auto& l) {
            TSetupBlock s{};
            return WriteSetupParameters(l, Variant::Collect, s, Address, Params);
        }) << WithByte(AnswerOfLength(11), 1, 'G') << int(LinkUnexpectedReply)
                                                          << 3;
        QTest::newRow("CollectAck below 4 bytes sends nothing")
            << Run([](auto& l) { return CollectAck(l, -4, Address, Params); }) << AnswerOfLength(11)
            << int(LinkExpectedTooShort) << 0;
    }
    void acknowledgements() {
        QFETCH(Run, run);
        QFETCH(ByteVector, reply);
        QFETCH(int, result);
        QFETCH(int, requests);
        Rig rig;
        rig.Script(reply, 3);
        QCOMPARE(run(rig.link), result);
        QCOMPARE(int(rig.port.written.size()), requests);
    }

    void threeFailedAttempts() {
        Rig rig;
        auto status = Filled<TControllerStatus>(Fill);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ReadModuleStatus(rig.link, status, Address, Params), int(LinkNoReply));
        QVERIFY2(timer.elapsed() >= 300, "each failed attempt, the third too, waits 100 ms");
        QCOMPARE(rig.port.written.size(), std::size_t(3));
        QCOMPARE(rig.port.readTimeoutConstant, 25);
        QCOMPARE(StateOf(status), QByteArray("cleared"));
    }

    void retryReturnsTheLastResult() {
        Rig rig;
        const ByteVector good = AnswerOfLength(211);
        ByteVector badChecksum = good;
        badChecksum.back() ^= 0xFF;
        rig.Script(badChecksum);
        rig.Script(ByteVector(good.begin(), good.end() - 1));
        rig.Script(AnswerOfLength(211, 0, 2));
        TSetupBlock setup;
        QCOMPARE(ReadSetupParameters(rig.link, setup, Address, Params), int(LinkWrongAddress));
        QCOMPARE(rig.port.written.size(), std::size_t(3));
    }

    void retryStopsAtTheFirstSuccess() {
        Rig rig;
        ByteVector data;
        for (int i = 0; i < 100; ++i) AppendU16(data, 7);
        ByteVector badChecksum = Answer(data);
        badChecksum.back() ^= 0xFF;
        rig.Script(badChecksum);
        rig.Script(Answer(data));
        rig.Script(Answer(data));
        TSetupBlock setup;
        QCOMPARE(ReadSetupParameters(rig.link, setup, Address, Params), int(LinkOk));
        QCOMPARE(rig.port.written.size(), std::size_t(2));
        QCOMPARE(int(setup.Words[50]), 7);
    }

    void resetsMakeOneAttempt_data() {
        QTest::addColumn<Run>("run");
        QTest::newRow("direct") << Run([](auto& l) { return ResetController(l, Address, Params); });
        QTest::newRow("submit") << Run(
            [](auto& l) { return ResetControllerSubmit(l, Address, Params); });
    }
    void resetsMakeOneAttempt() {
        QFETCH(Run, run);
        Rig rig;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(run(rig.link), int(LinkNoReply));
        QVERIFY(timer.elapsed() >= 100);
        QCOMPARE(rig.port.written.size(), std::size_t(1));
    }
};

QTEST_APPLESS_MAIN(TestCommandExchange)
#include "tst_commands_exchange.moc"
