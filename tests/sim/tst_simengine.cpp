#include "SimSupport.h"
#include "sim/Engine.h"

#include <QtTest>

#include <chrono>
#include <random>

using namespace simtest;
using zyl::sim::Engine;
using zyl::sim::EngineConfig;
using zyl::sim::Exchange;
using namespace std::chrono_literals;

namespace {

using Clock = Engine::Clock;
const Clock::time_point T0 = Clock::time_point{} + 1h;

EngineConfig Config(int version = 501) {
    EngineConfig c;
    c.sample.version = static_cast<std::int16_t>(version);
    c.clock = {2024, 5, 6, 7, 8, 9};
    c.panelDelay = 50ms;
    c.gap = 20ms;
    return c;
}

// The replies the engine sends for bytes arriving at t (frames it does not answer give none).
std::vector<Bytes> Feed(Engine& e, const Bytes& bytes, Clock::time_point t) {
    std::vector<Bytes> replies;
    for (Exchange& x : e.Receive(bytes, t))
        if (!x.reply.empty()) replies.push_back(std::move(x.reply));
    return replies;
}

// The reply to one frame, empty when there is none.
Bytes Ask(Engine& e, const Bytes& frame, Clock::time_point t) {
    const auto replies = Feed(e, frame, t);
    return replies.empty() ? Bytes{} : replies.front();
}

Bytes Data(const Bytes& reply) {
    return reply.size() < 11 ? Bytes{} : Bytes(reply.begin() + 9, reply.end() - 2);
}

Bytes Reply(const char* hex) {
    Bytes r = Hex(hex);
    Crc(r);
    return r;
}

} // namespace

class TestSimEngine : public QObject {
    Q_OBJECT
private slots:
    void requestExamples_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("status") << QByteArray("01 46 00 00 07 4D 4A") << 64
                                << QByteArray("01 46 00 00 40");
        QTest::newRow("read setup") << QByteArray("01 46 08 00 0B 46 0A 00 04 9B F2") << 211
                                    << QByteArray("01 46 08 00 D3 46 0A 00 CC");
        QTest::newRow("submit read setup")
            << QByteArray("01 47 09 00 0B 46 0A 00 04 4A FE") << 7 << QByteArray("01 47 09 00 07");
        QTest::newRow("read relay group 2") << QByteArray("01 46 08 00 0C 46 0C 00 05 02 32 C5")
                                            << 252 << QByteArray("01 46 08 00 FC 46 0C 00 F5 02");
        QTest::newRow("direct reset") << QByteArray("01 46 08 00 0B 47 E6 00 04 5B FB") << 11
                                      << QByteArray("01 46 08 00 0B 47 E6 00 04");
    }
    void requestExamples() {
        QFETCH(QByteArray, request);
        QFETCH(int, length);
        QFETCH(QByteArray, head);
        Engine e(Config(), T0);
        const Bytes reply = Ask(e, Hex(request.constData()), T0);
        QCOMPARE(int(reply.size()), length);
        QVERIFY(CrcOk(reply));
        const Bytes expectedHead = Hex(head.constData());
        QCOMPARE(HexText(Bytes(reply.begin(), reply.begin() + expectedHead.size())),
                 HexText(expectedHead));
    }

    void replyLengths_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("echo"); // reply byte 9 repeats the number asked for; -1 none
        const auto p = [](const Bytes& b) { return ToQ(b); };
        const auto lead = [](std::uint8_t first, std::size_t rest) {
            return ToQ(Concat({{first}, Pattern(rest, first)}));
        };
        QTest::newRow("setup") << 501 << int('F') << 0x0A << QByteArray() << 211 << -1;
        QTest::newRow("passwords") << 501 << int('F') << 0x11 << QByteArray() << 233 << -1;
        QTest::newRow("special statuses") << 501 << int('F') << 0x0E << QByteArray() << 53 << -1;
        QTest::newRow("relay group 5") << 501 << int('F') << 0x0C << p({5}) << 252 << 5;
        QTest::newRow("analog outputs") << 501 << int('F') << 0x12 << p({0}) << 257 << -1;
        QTest::newRow("pid regulators") << 501 << int('F') << 0x38 << p({0}) << 257 << -1;
        QTest::newRow("alarm group 1") << 501 << int('F') << 0x0F << p({1}) << 276 << 1;
        QTest::newRow("process group 1") << 501 << int('F') << 0x0D << p({1}) << 164 << 1;
        QTest::newRow("washing process group 0") << 501 << int('F') << 0x10 << p({0}) << 164 << 0;
        QTest::newRow("washing process parameters")
            << 501 << int('F') << 0x13 << p({1}) << 172 << 1;
        QTest::newRow("program part 2 of 3") << 501 << int('F') << 0x0B << p({2, 4}) << 227 << 2;
        QTest::newRow("program part 1 of 2") << 500 << int('F') << 0x0B << p({1, 4}) << 267 << 1;
        QTest::newRow("washing program") << 501 << int('F') << 0x0B << p({0, 100}) << 227 << 0;
        QTest::newRow("panel info") << 501 << int('D') << 0x20 << QByteArray() << 17 << -1;
        QTest::newRow("user menu page 3") << 501 << int('D') << 0x21 << p({0x03, 0x18}) << 277 << 3;
        QTest::newRow("predefined menu page 0") << 501 << int('D') << 0x22 << p({0, 0}) << 277 << 0;
        QTest::newRow("write setup") << 501 << int('G') << 0x0A << p(Pattern(202, 0)) << 11 << -1;
        QTest::newRow("write relay group") << 501 << int('G') << 0x0C << lead(4, 240) << 11 << -1;
        QTest::newRow("write program of 3")
            << 501 << int('G') << 0x0B << ToQ(Concat({{1, 7}, Pattern(214, 3)})) << 11 << -1;
        QTest::newRow("write program of 2")
            << 500 << int('G') << 0x0B << ToQ(Concat({{1, 7}, Pattern(254, 3)})) << 11 << -1;
        QTest::newRow("write panel page")
            << 501 << int('D') << 0x24 << ToQ(Concat({{0x01, 0x08}, Pattern(264, 9)})) << 13 << 1;
        QTest::newRow("write code table")
            << 501 << int('D') << 0x23 << p({0x10, 0x02, 0x11, 0x00}) << 11 << -1;
        QTest::newRow("set clock") << 501 << int('G') << 0x06 << p({3, 3, 5, 14, 7, 9}) << 11 << -1;
    }
    void replyLengths() {
        QFETCH(int, version);
        QFETCH(int, letter);
        QFETCH(int, code);
        QFETCH(QByteArray, payload);
        QFETCH(int, length);
        QFETCH(int, echo);
        EngineConfig config = Config(version);
        config.address = 9;
        Engine e(config, T0);
        const Bytes reply =
            Ask(e, Request(9, false, std::uint8_t(letter), std::uint8_t(code), FromQ(payload)), T0);
        QCOMPARE(int(reply.size()), length);
        QVERIFY(CrcOk(reply));
        QCOMPARE(int(reply[0]), 9);
        QCOMPARE(int(reply[1]), int('F'));
        QCOMPARE(int(reply[3] * 256 + reply[4]), length);
        QCOMPARE(int(reply[5]), letter);
        QCOMPARE(int(reply[6]), code);
        if (echo >= 0) QCOMPARE(int(reply[9]), echo);
    }

    void writeAcknowledgements_data() {
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("relay group") << int('G') << 0x0C << ToQ(Concat({{2}, Pattern(240, 1)}))
                                     << QByteArray("01 46 08 00 0B 47 0C 00 04");
        QTest::newRow("panel page at 792")
            << int('D') << 0x24 << ToQ(Concat({{0x03, 0x18}, Pattern(264, 1)}))
            << QByteArray("01 46 08 00 0D 44 24 00 06 03 18");
        QTest::newRow("code table") << int('D') << 0x23 << ToQ({0x11, 0x00, 0x10, 0x02})
                                    << QByteArray("01 46 08 00 0B 44 23 00 04");
    }
    void writeAcknowledgements() {
        QFETCH(int, letter);
        QFETCH(int, code);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, reply);
        Engine e(Config(), T0);
        QCOMPARE(HexText(Ask(e, Request(1, false, letter, code, FromQ(payload)), T0)),
                 HexText(Reply(reply.constData())));
    }

    // What a write stores is what a read answers, byte for byte, in the block the command names.
    void writtenBytesReadBack_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("writeCode");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("readCode");
        QTest::addColumn<QByteArray>("readPayload");
        QTest::addColumn<QByteArray>("readData");
        QTest::addColumn<QString>("key");
        const auto with = [](std::initializer_list<std::uint8_t> head, std::size_t n,
                             std::uint8_t seed) {
            return ToQ(Concat({head, Pattern(n, seed)}));
        };
        const QByteArray setup = ToQ(Pattern(202, 0x21));
        QTest::newRow("setup: words 0 to 99 come back")
            << 501 << 0x0A << setup << 0x0A << QByteArray() << setup.left(200) << "setup";
        const QByteArray passwords = ToQ(Pattern(222, 0x30));
        QTest::newRow("passwords")
            << 501 << 0x11 << passwords << 0x11 << QByteArray() << passwords << "passwords";
        const QByteArray statuses = ToQ(Pattern(42, 0x41));
        QTest::newRow("special statuses")
            << 501 << 0x0E << statuses << 0x0E << QByteArray() << statuses << "statuses";
        const QByteArray relays = with({3}, 240, 0x52);
        QTest::newRow("relay group 3")
            << 501 << 0x0C << relays << 0x0C << ToQ({3}) << relays << "relays/3";
        const QByteArray analog = with({0}, 170, 0x63);
        QTest::newRow("analog outputs, 75 unused bytes after")
            << 501 << 0x12 << analog << 0x12 << ToQ({0}) << analog + QByteArray(75, 0) << "analog";
        const QByteArray pid = with({0}, 115, 0x74);
        QTest::newRow("pid regulators, 130 unused bytes after")
            << 501 << 0x38 << pid << 0x38 << ToQ({0}) << pid + QByteArray(130, 0) << "pid";
        const QByteArray alarms = with({1}, 264, 0x85);
        QTest::newRow("alarm group 1")
            << 501 << 0x0F << alarms << 0x0F << ToQ({1}) << alarms << "alarms/1";
        const QByteArray processes = with({1}, 152, 0x96);
        QTest::newRow("process group 1")
            << 501 << 0x0D << processes << 0x0D << ToQ({1}) << processes << "processes/1";
        const QByteArray washing = with({0}, 152, 0xA7);
        QTest::newRow("washing process group 0")
            << 501 << 0x10 << washing << 0x10 << ToQ({0}) << washing << "washing-processes/0";
        const QByteArray parameters = with({1}, 160, 0xB8);
        QTest::newRow("washing process parameters") << 501 << 0x13 << parameters << 0x13 << ToQ({1})
                                                    << parameters << "process-parameters/1";
        const QByteArray part3 = with({2, 5}, 214, 0xC9);
        QTest::newRow("program 6 part 2 of 3")
            << 501 << 0x0B << part3 << 0x0B << ToQ({2, 5}) << part3 << "programs/5/3/2";
        const QByteArray part2 = with({1, 100}, 254, 0xDA);
        QTest::newRow("washing program part 1 of 2")
            << 500 << 0x0B << part2 << 0x0B << ToQ({1, 100}) << part2 << "programs/100/2/1";
    }
    void writtenBytesReadBack() {
        QFETCH(int, version);
        QFETCH(int, writeCode);
        QFETCH(QByteArray, written);
        QFETCH(int, readCode);
        QFETCH(QByteArray, readPayload);
        QFETCH(QByteArray, readData);
        QFETCH(QString, key);
        Engine e(Config(version), T0);
        const Bytes before = Data(Ask(e, Request(1, false, 'F', readCode, FromQ(readPayload)), T0));
        QVERIFY(before != FromQ(readData));
        if (key == "setup") {
            // Keep the version and layout words so the written block leaves the framing alone.
            written[196] = char(0xBA);
            written[197] = char(0x56);
            written[198] = char(0x01);
            written[199] = char(0xF5);
            readData = written.left(200);
        }
        QCOMPARE(Ask(e, Request(1, false, 'G', writeCode, FromQ(written)), T0).size(), 11u);
        const Bytes after = Data(Ask(e, Request(1, false, 'F', readCode, FromQ(readPayload)), T0));
        QCOMPARE(HexText(after), HexText(FromQ(readData)));
        QCOMPARE(int(e.memory().Written().size()), 1);
        QCOMPARE(QString::fromStdString(e.memory().Written().begin()->first), key);
    }

    void singleItemWrites_data() {
        QTest::addColumn<int>("writeCode");
        QTest::addColumn<QByteArray>("written"); // index byte, then the item
        QTest::addColumn<int>("readCode");
        QTest::addColumn<QByteArray>("readPayload");
        QTest::addColumn<int>("offset"); // where the item lies in the read data
        const auto item = [](std::uint8_t index, std::size_t n) {
            return ToQ(Concat({{index}, Pattern(n, std::uint8_t(0x90 + index))}));
        };
        QTest::newRow("special status 5") << 0x16 << item(4, 7) << 0x0E << QByteArray() << 28;
        QTest::newRow("alarm 1") << 0x17 << item(0, 22) << 0x0F << ToQ({0}) << 1;
        QTest::newRow("alarm 14") << 0x17 << item(13, 22) << 0x0F << ToQ({1}) << 23;
        QTest::newRow("process 10") << 0x15 << item(9, 19) << 0x0D << ToQ({1}) << 20;
        QTest::newRow("washing process 16") << 0x18 << item(15, 19) << 0x10 << ToQ({1}) << 134;
        QTest::newRow("step parameters of process 4")
            << 0x1A << item(3, 10) << 0x13 << ToQ({0}) << 31;
        QTest::newRow("step parameters of washing process 4")
            << 0x1A << item(103, 10) << 0x13 << ToQ({1}) << 31;
        QTest::newRow("step parameters of washing process 16")
            << 0x1A << item(115, 10) << 0x13 << ToQ({1}) << 151;
    }
    void singleItemWrites() {
        QFETCH(int, writeCode);
        QFETCH(QByteArray, written);
        QFETCH(int, readCode);
        QFETCH(QByteArray, readPayload);
        QFETCH(int, offset);
        Engine e(Config(), T0);
        const Bytes read = Request(1, false, 'F', readCode, FromQ(readPayload));
        Bytes expected = Data(Ask(e, read, T0));
        const Bytes item = FromQ(written.mid(1));
        std::copy(item.begin(), item.end(), expected.begin() + offset);
        QCOMPARE(Ask(e, Request(1, false, 'G', writeCode, FromQ(written)), T0).size(), 11u);
        QCOMPARE(HexText(Data(Ask(e, read, T0))), HexText(expected));
        // Another group of the same block keeps its sample.
        if (readPayload.size() == 1 && readCode != 0x13) {
            const std::uint8_t other = readPayload[0] == 0 ? 1 : 0;
            const Bytes otherRead = Request(1, false, 'F', readCode, {other});
            Engine fresh(Config(), T0);
            QCOMPARE(HexText(Data(Ask(e, otherRead, T0))),
                     HexText(Data(Ask(fresh, otherRead, T0))));
        }
    }

    void moduleSequence() {
        Engine e(Config(), T0);
        const Bytes read = Request(1, false, 'F', 0x0C, {1});
        const Bytes direct = Ask(e, read, T0);
        QCOMPARE(direct.size(), 252u);

        const Bytes ack = Reply("01 47 09 00 07");
        QCOMPARE(HexText(Ask(e, Request(1, true, 'F', 0x0C, {1}), T0)), HexText(ack));
        QCOMPARE(int(Ask(e, StatusRequest(1), T0 + 1ms)[61]), 0);
        QVERIFY(Ask(e, CollectRequest(1), T0 + 2ms).empty());
        QCOMPARE(int(Ask(e, StatusRequest(1), T0 + 50ms)[61]), 1);
        QCOMPARE(HexText(Ask(e, CollectRequest(1), T0 + 51ms)), HexText(direct));
        // A collect that the PC repeats gets the same answer.
        QCOMPARE(HexText(Ask(e, CollectRequest(1), T0 + 52ms)), HexText(direct));

        const Bytes group = Concat({{1}, Pattern(240, 0x11)});
        const auto t1 = T0 + 1s;
        QCOMPARE(HexText(Ask(e, Request(1, true, 'G', 0x0C, group), t1)), HexText(ack));
        QCOMPARE(int(Ask(e, StatusRequest(1), t1 + 10ms)[61]), 0);
        const Bytes writeAck = Ask(e, CollectRequest(1), t1 + 60ms);
        QCOMPARE(HexText(writeAck), HexText(Reply("01 46 08 00 0B 47 0C 00 04")));
        QCOMPARE(HexText(Data(Ask(e, read, t1 + 70ms))), HexText(group));

        const auto t2 = T0 + 2s;
        QCOMPARE(HexText(Ask(e, Request(1, true, 'G', 0xE6, {0, 0}), t2)), HexText(ack));
        QCOMPARE(e.stats().resets, 1u);
        QCOMPARE(e.stats().commands.at("submit G0C"), 1u);
        QCOMPARE(e.stats().commands.at("submit F0C"), 1u);
    }

    void panelReady_data() {
        QTest::addColumn<int>("delay");
        QTest::newRow("0 ms") << 0;
        QTest::newRow("50 ms") << 50;
        QTest::newRow("300 ms") << 300;
    }
    void panelReady() {
        QFETCH(int, delay);
        EngineConfig config = Config();
        config.panelDelay = std::chrono::milliseconds(delay);
        Engine e(config, T0);
        QCOMPARE(int(Ask(e, StatusRequest(1), T0)[61]), 1);
        const Bytes submit = Request(1, true, 'F', 0x0A);
        QCOMPARE(Ask(e, submit, T0).size(), 7u);
        if (delay > 0)
            QCOMPARE(int(Ask(e, StatusRequest(1), T0 + std::chrono::milliseconds(delay - 1))[61]),
                     0);
        QCOMPARE(int(Ask(e, StatusRequest(1), T0 + std::chrono::milliseconds(delay))[61]), 1);
        // The next submit drops the flag again.
        const auto t1 = T0 + 1s;
        QCOMPARE(Ask(e, submit, t1).size(), 7u);
        QCOMPARE(int(Ask(e, StatusRequest(1), t1)[61]), delay > 0 ? 0 : 1);
    }

    void statusClockAndMode() {
        EngineConfig config = Config();
        config.address = 7;
        config.clock = {2023, 12, 31, 23, 59, 58};
        Engine e(config, T0);
        const Bytes first = Ask(e, StatusRequest(7), T0);
        QCOMPARE(first.size(), 64u);
        QVERIFY(CrcOk(first));
        QCOMPARE(HexText(Bytes(first.begin(), first.begin() + 11)),
                 HexText(Hex("07 46 00 00 40 17 0C 1F 17 3B 3A")));
        QCOMPARE(int(first[22]), 0);
        // The clock runs, across the end of the year.
        const Bytes later = Ask(e, StatusRequest(7), T0 + 2s + 500ms);
        QCOMPARE(HexText(Bytes(later.begin() + 5, later.begin() + 11)),
                 HexText(Hex("18 01 01 00 00 00")));
        // The clock command sets it.
        QCOMPARE(Ask(e, Request(7, true, 'G', 0x06, Hex("03 03 05 0E 07 09")), T0 + 3s).size(), 7u);
        QCOMPARE(HexText(Ask(e, CollectRequest(7), T0 + 4s)),
                 HexText(Reply("07 46 08 00 0B 47 06 00 04")));
        const Bytes set = Ask(e, StatusRequest(7), T0 + 3s + 61s);
        QCOMPARE(HexText(Bytes(set.begin() + 5, set.begin() + 11)),
                 HexText(Hex("03 03 05 0E 08 0A")));
        e.SetMode(2);
        QCOMPARE(int(Ask(e, StatusRequest(7), T0 + 65s)[22]), 2);
        e.SetMode(0xC1);
        QCOMPARE(int(Ask(e, StatusRequest(7), T0 + 66s)[22]), 0xC1);
        // A write while running is answered and counted.
        QCOMPARE(Ask(e, Request(7, false, 'G', 0x0E, Pattern(42, 1)), T0 + 67s).size(), 11u);
        QCOMPARE(e.stats().writesInRun, 0u);
        e.SetMode(2);
        QCOMPARE(Ask(e, Request(7, false, 'G', 0x0E, Pattern(42, 1)), T0 + 68s).size(), 11u);
        QCOMPARE(e.stats().writesInRun, 1u);
    }

    void faults_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<bool>("leadZero");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << "none" << false << "clean";
        QTest::newRow("no reply") << "noreply" << false << "nothing";
        QTest::newRow("bad checksum") << "badcrc" << false << "last byte inverted";
        QTest::newRow("wrong address") << "wrongaddr" << false << "address + 1";
        QTest::newRow("one byte short") << "short" << false << "last byte missing";
        QTest::newRow("stray zero") << "leadzero" << false << "zero in front";
        QTest::newRow("garbage") << "garbage" << false << "garbage";
        QTest::newRow("converter zero, clean reply") << "none" << true << "zero in front";
        QTest::newRow("converter zero over a bad checksum")
            << "badcrc" << true << "zero in front of last byte inverted";
    }
    void faults() {
        QFETCH(QString, rule);
        QFETCH(bool, leadZero);
        QFETCH(QString, expected);
        Engine clean(Config(), T0);
        Engine damaged(Config(), T0);
        std::string error;
        const auto parsed = zyl::sim::ParseFaultRule(rule.toStdString(), error);
        QVERIFY2(parsed.has_value(), error.c_str());
        damaged.faults().SetRule(*parsed);
        damaged.faults().SetLeadZero(leadZero);
        const Bytes request = Request(1, false, 'F', 0x0A);
        const Bytes good = Ask(clean, request, T0);
        const Bytes got = Ask(damaged, request, T0);
        Bytes want = good;
        if (expected == "nothing") want.clear();
        if (expected.contains("last byte inverted")) want.back() ^= 0xFF;
        if (expected == "address + 1") {
            want.resize(want.size() - 2);
            want[0] = 2;
            Crc(want);
        }
        if (expected == "last byte missing") want.pop_back();
        if (expected.startsWith("zero in front")) want.insert(want.begin(), 0x00);
        if (expected == "garbage") {
            QCOMPARE(got.size(), good.size());
            QVERIFY(!CrcOk(got));
            QVERIFY(got != good);
            return;
        }
        QCOMPARE(HexText(got), HexText(want));
        // The command itself was carried out: the state after it is the clean engine's.
        QCOMPARE(damaged.stats().commands.at("direct F0A"), 1u);
    }

    // Which replies a schedule damages: s status, d direct read, u module submit, c collect.
    void faultSchedules_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("requests");
        QTest::addColumn<QString>("damaged");
        QTest::newRow("every third reply") << "badcrc every 3"
                                           << "sdsdsds"
                                           << "..X..X.";
        QTest::newRow("status only") << "noreply on status"
                                     << "sdsuc"
                                     << "X.X..";
        QTest::newRow("every second direct") << "short every 2 on direct"
                                             << "dsddsd"
                                             << "..X..X";
        QTest::newRow("collects only") << "wrongaddr on collect"
                                       << "ucsuc"
                                       << ".X..X";
        QTest::newRow("submits only") << "garbage on submit"
                                      << "usdcu"
                                      << "X...X";
    }
    void faultSchedules() {
        QFETCH(QString, rule);
        QFETCH(QString, requests);
        QFETCH(QString, damaged);
        Engine clean(Config(), T0);
        Engine faulty(Config(), T0);
        std::string error;
        faulty.faults().SetRule(*zyl::sim::ParseFaultRule(rule.toStdString(), error));
        QString seen;
        auto t = T0;
        for (QChar r : requests) {
            t += 100ms;
            const Bytes frame = r == 's'   ? StatusRequest(1)
                                : r == 'd' ? Request(1, false, 'F', 0x0A)
                                : r == 'u' ? Request(1, true, 'F', 0x0E)
                                           : CollectRequest(1);
            const Bytes want = Ask(clean, frame, t);
            QVERIFY(!want.empty());
            seen += Ask(faulty, frame, t) == want ? '.' : 'X';
        }
        QCOMPARE(seen, damaged);
    }

    void faultProbabilityIsReproducible() {
        const auto pattern = [](const char* rule) {
            Engine e(Config(), T0);
            std::string error;
            e.faults().SetRule(*zyl::sim::ParseFaultRule(rule, error));
            QString seen;
            for (int i = 0; i < 40; ++i) seen += Ask(e, StatusRequest(1), T0).empty() ? 'X' : '.';
            return seen;
        };
        const QString first = pattern("noreply prob 0.5 seed 7");
        QCOMPARE(pattern("noreply prob 0.5 seed 7"), first);
        QVERIFY(first.contains('X') && first.contains('.'));
        QVERIFY(pattern("noreply prob 0.5 seed 8") != first);
        QCOMPARE(pattern("noreply prob 0 seed 7"), QString(40, '.'));
        QCOMPARE(pattern("noreply prob 1 seed 7"), QString(40, 'X'));
    }

    // ignore-writes: each write acknowledged as a clean controller acknowledges it, through
    // either way; the picked ones leave the old data (K), the others are stored (S). The n-th
    // write is relay group n: d direct, u module submit and collect.
    void ignoredWrites_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("writes");
        QTest::addColumn<QString>("kept");
        QTest::newRow("every write") << "ignore-writes"
                                     << "dud"
                                     << "KKK";
        QTest::newRow("every second write") << "ignore-writes every 2"
                                            << "dddd"
                                            << "SKSK";
        QTest::newRow("submits only") << "ignore-writes on submit"
                                      << "dudu"
                                      << "SKSK";
        QTest::newRow("collects carry no write") << "ignore-writes on collect"
                                                 << "uu"
                                                 << "SS";
    }
    void ignoredWrites() {
        QFETCH(QString, rule);
        QFETCH(QString, writes);
        QFETCH(QString, kept);
        Engine clean(Config(), T0);
        Engine faulty(Config(), T0);
        std::string error;
        faulty.faults().SetRule(*zyl::sim::ParseFaultRule(rule.toStdString(), error));
        auto t = T0;
        for (int n = 0; n < writes.size(); ++n) {
            const bool submit = writes[n] == 'u';
            const Bytes frame = Request(1, submit, 'G', 0x0C,
                                        Concat({{std::uint8_t(n)}, Pattern(240, std::uint8_t(n))}));
            t += 100ms;
            QCOMPARE(HexText(Ask(faulty, frame, t)), HexText(Ask(clean, frame, t)));
            if (!submit) continue;
            t += 100ms;
            QCOMPARE(HexText(Ask(faulty, CollectRequest(1), t)),
                     HexText(Ask(clean, CollectRequest(1), t)));
        }
        Engine fresh(Config(), T0);
        QString seen;
        for (int n = 0; n < writes.size(); ++n) {
            const Bytes read = Request(1, false, 'F', 0x0C, {std::uint8_t(n)});
            const Bytes got = Data(Ask(faulty, read, t));
            seen += got == Data(Ask(clean, read, t))   ? 'S'
                    : got == Data(Ask(fresh, read, t)) ? 'K'
                                                       : '?';
        }
        QCOMPARE(seen, kept);
        QCOMPARE(faulty.stats().writes, std::uint64_t(writes.size()));
        QCOMPARE(faulty.faults().Damaged(), std::uint64_t(kept.count('K')));
    }

    // A panel page and the clock are kept as well; a reset is still carried out.
    void ignoredWritesKeepPanelAndClock() {
        Engine e(Config(), T0);
        Engine fresh(Config(), T0);
        std::string error;
        e.faults().SetRule(*zyl::sim::ParseFaultRule("ignore-writes", error));
        QCOMPARE(Ask(e, Request(1, false, 'D', 0x24, Concat({{0x03, 0x18}, Pattern(264, 9)})), T0)
                     .size(),
                 13u);
        const Bytes page = Request(1, false, 'D', 0x21, {0x03, 0x18});
        QCOMPARE(HexText(Ask(e, page, T0)), HexText(Ask(fresh, page, T0)));
        QCOMPARE(Ask(e, Request(1, false, 'G', 0x06, Hex("03 03 05 0E 07 09")), T0).size(), 11u);
        const Bytes clock = Ask(e, StatusRequest(1), T0 + 1s);
        QCOMPARE(HexText(Bytes(clock.begin() + 5, clock.begin() + 11)),
                 HexText(Hex("18 05 06 07 08 0A")));
        QCOMPARE(Ask(e, Request(1, false, 'G', 0xE6), T0 + 2s).size(), 11u);
        QCOMPARE(e.stats().resets, 1u);
        QVERIFY(e.memory().Written().empty());
    }

    void faultRuleSyntax_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("described"); // empty: refused
        QTest::newRow("plain") << "badcrc"
                               << "badcrc";
        QTest::newRow("every") << "short every 4"
                               << "short every 4";
        QTest::newRow("probability") << "garbage prob 0.25 seed 3"
                                     << "garbage prob 0.25 seed 3";
        QTest::newRow("target") << "noreply on collect"
                                << "noreply on collect";
        QTest::newRow("ignored writes") << "ignore-writes every 3 on submit"
                                        << "ignore-writes every 3 on submit";
        QTest::newRow("unknown kind") << "explode"
                                      << "";
        QTest::newRow("every 0") << "badcrc every 0"
                                 << "";
        QTest::newRow("probability above 1") << "badcrc prob 1.5"
                                             << "";
        QTest::newRow("every and probability") << "badcrc every 2 prob 0.5"
                                               << "";
        QTest::newRow("unknown target") << "badcrc on panel"
                                        << "";
        QTest::newRow("value missing") << "badcrc every"
                                       << "";
    }
    void faultRuleSyntax() {
        QFETCH(QString, text);
        QFETCH(QString, described);
        std::string error;
        const auto rule = zyl::sim::ParseFaultRule(text.toStdString(), error);
        QCOMPARE(rule.has_value(), !described.isEmpty());
        if (rule)
            QCOMPARE(QString::fromStdString(zyl::sim::DescribeFaultRule(*rule)), described);
        else
            QVERIFY(!error.empty());
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("counted"); // refused as bad, rather than ignored as not ours
        const auto req = [](bool submit, std::uint8_t letter, std::uint8_t code,
                            const Bytes& payload) {
            return ToQ(Request(1, submit, letter, code, payload));
        };
        Bytes innerMismatch = Hex("01 46 08 00 0B 46 0A 00 05");
        Crc(innerMismatch);
        QTest::newRow("another address") << ToQ(Request(2, false, 'F', 0x0A)) << true << false;
        QTest::newRow("inner length disagrees") << ToQ(innerMismatch) << true << true;
        QTest::newRow("unknown letter") << req(false, 'X', 0x0A, {}) << true << true;
        QTest::newRow("unknown read") << req(false, 'F', 0x55, {}) << true << true;
        QTest::newRow("relay group 6") << req(false, 'F', 0x0C, {6}) << true << true;
        QTest::newRow("alarm group 2") << req(false, 'F', 0x0F, {2}) << true << true;
        QTest::newRow("setup read with payload") << req(false, 'F', 0x0A, {0}) << true << true;
        QTest::newRow("setup write one byte short")
            << req(false, 'G', 0x0A, Pattern(201, 0)) << true << true;
        QTest::newRow("relay write to group 6")
            << req(false, 'G', 0x0C, Concat({{6}, Pattern(240, 0)})) << true << true;
        QTest::newRow("program part 3 of 3") << req(false, 'F', 0x0B, {3, 0}) << true << true;
        QTest::newRow("program index 101") << req(false, 'F', 0x0B, {0, 101}) << true << true;
        QTest::newRow("program part of odd size")
            << req(false, 'G', 0x0B, Concat({{0, 0}, Pattern(200, 0)})) << true << true;
        QTest::newRow("analog selector 1") << req(false, 'F', 0x12, {1}) << true << true;
        QTest::newRow("single alarm 24")
            << req(false, 'G', 0x17, Concat({{24}, Pattern(22, 0)})) << true << true;
        QTest::newRow("step parameters of process 17")
            << req(false, 'G', 0x1A, Concat({{16}, Pattern(10, 0)})) << true << true;
        QTest::newRow("reset submit 00 01") << req(true, 'G', 0xE6, {0, 1}) << true << true;
        QTest::newRow("direct reset with payload") << req(false, 'G', 0xE6, {0, 0}) << true << true;
        QTest::newRow("clock on 30 February")
            << req(false, 'G', 0x06, Hex("03 02 1E 00 00 00")) << true << true;
        QTest::newRow("page read of 3 bytes") << req(false, 'D', 0x21, {0, 0, 0}) << true << true;
        QTest::newRow("page write one byte short")
            << req(false, 'D', 0x24, Pattern(265, 0)) << true << true;
        QTest::newRow("collect with nothing submitted") << ToQ(CollectRequest(1)) << true << true;
        QTest::newRow("submit without module") << req(true, 'F', 0x0A, {}) << false << true;
        QTest::newRow("status without module") << ToQ(StatusRequest(1)) << false << true;
    }
    void refused() {
        QFETCH(QByteArray, frame);
        QFETCH(bool, module);
        QFETCH(bool, counted);
        EngineConfig config = Config();
        config.module = module;
        Engine e(config, T0);
        QVERIFY(Ask(e, FromQ(frame), T0).empty());
        QCOMPARE(e.stats().rejected, counted ? 1u : 0u);
        QCOMPARE(e.stats().lastReject.empty(), !counted);
        QVERIFY(e.memory().Written().empty());
        // The engine goes on answering.
        QCOMPARE(Ask(e, Request(1, false, 'F', 0x0A), T0 + 1ms).size(), 211u);
    }

    void resynchronisation_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("gap");           // the line goes quiet before the good frame
        QTest::addColumn<int>("answered");       // replies to before + the good frame
        QTest::addColumn<bool>("answeredLater"); // a resend after a quiet gap is answered
        QTest::newRow("stray bytes") << ToQ(Hex("00 FF 13")) << false << 1 << true;
        QTest::newRow("partial frame") << ToQ(Hex("01 46 08 00 0C 46")) << false << 1 << true;
        QTest::newRow("partial long frame, quiet gap")
            << ToQ(Hex("01 46 08 01 15 46 0C")) << true << 1 << true;
        QTest::newRow("partial long frame swallows the next")
            << ToQ(Hex("01 46 08 01 15 46 0C")) << false << 0 << true;
        Bytes badCrc = StatusRequest(1);
        badCrc.back() ^= 0x01;
        QTest::newRow("bad checksum") << ToQ(badCrc) << false << 1 << true;
        QTest::newRow("impossible length") << ToQ(Hex("01 46 08 FF FF")) << false << 1 << true;
        QTest::newRow("another controller's frame")
            << ToQ(Request(5, false, 'F', 0x0A)) << false << 1 << true;
        QTest::newRow("a good frame before")
            << ToQ(Request(1, false, 'F', 0x0E)) << false << 2 << true;
    }
    void resynchronisation() {
        QFETCH(QByteArray, before);
        QFETCH(bool, gap);
        QFETCH(int, answered);
        QFETCH(bool, answeredLater);
        Engine e(Config(), T0);
        const Bytes good = StatusRequest(1);
        auto replies = Feed(e, FromQ(before), T0);
        const auto t1 = gap ? T0 + 25ms : T0 + 1ms;
        const auto more = Feed(e, good, t1);
        replies.insert(replies.end(), more.begin(), more.end());
        QCOMPARE(int(replies.size()), answered);
        if (answered > 0) QCOMPARE(replies.back().size(), 64u);
        if (answeredLater) QCOMPARE(Feed(e, good, t1 + 25ms).size(), 1u);
    }

    void byteByByte() {
        Engine e(Config(), T0);
        const Bytes frame = Request(1, false, 'F', 0x0C, {4});
        auto t = T0;
        for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
            t += 500us;
            QVERIFY(Feed(e, {frame[i]}, t).empty());
        }
        const auto replies = Feed(e, {frame.back()}, t + 500us);
        QCOMPARE(replies.size(), 1u);
        QCOMPARE(replies[0].size(), 252u);
    }

    // Random damage, fixed seed: no damaged frame is ever answered, nothing breaks, and a good
    // frame after a quiet gap is always answered.
    void fuzz() {
        Engine e(Config(), T0);
        std::mt19937 random(20240601u);
        const auto next = [&](std::uint32_t below) { return std::uint32_t(random() % below); };
        const std::vector<Bytes> goods = {
            StatusRequest(1),
            Request(1, false, 'F', 0x0C, {2}),
            Request(1, true, 'G', 0x0C, Concat({{1}, Pattern(240, 5)})),
            Request(1, false, 'D', 0x24, Concat({{0, 0}, Pattern(264, 5)})),
            Request(1, false, 'F', 0x0B, {1, 3}),
        };
        const Bytes probe = StatusRequest(1);
        auto t = T0;
        const auto stop = std::chrono::steady_clock::now() + 1s;
        for (int round = 0; round < 100000 && std::chrono::steady_clock::now() < stop; ++round) {
            Bytes junk;
            bool mustStayQuiet = false;
            switch (next(4)) {
            case 0:
                junk.resize(1 + next(400));
                for (auto& b : junk) b = std::uint8_t(random());
                break;
            case 1: {
                junk = goods[next(std::uint32_t(goods.size()))];
                const std::uint32_t bit = next(std::uint32_t(junk.size() * 8));
                junk[bit / 8] ^= std::uint8_t(1u << (bit % 8));
                mustStayQuiet = true;
                break;
            }
            case 2:
                junk = goods[next(std::uint32_t(goods.size()))];
                junk.resize(1 + next(std::uint32_t(junk.size() - 1)));
                mustStayQuiet = true;
                break;
            default: {
                junk = {std::uint8_t(next(3)), std::uint8_t(next(2) ? 'F' : 'G'),
                        std::uint8_t(next(2) ? 0x08 : 0x09), std::uint8_t(random()),
                        std::uint8_t(random())};
                const std::size_t tail = next(700);
                for (std::size_t i = 0; i < tail; ++i) junk.push_back(std::uint8_t(random()));
                break;
            }
            }
            t += 1ms;
            const auto replies = Feed(e, junk, t);
            if (mustStayQuiet) QVERIFY2(replies.empty(), qPrintable(HexText(junk)));
            t += 21ms;
            const auto answer = Feed(e, probe, t);
            QCOMPARE(answer.size(), 1u);
            QCOMPARE(answer[0].size(), 64u);
            QVERIFY(CrcOk(answer[0]));
            QVERIFY(e.framer().Pending() == 0);
        }
    }

    void panelInfo_data() {
        QTest::addColumn<int>("layoutMark");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("structure layout") << 0xBA56 << QByteArray("00 D6 10 02 10 02");
        QTest::newRow("predefined layout") << 0x56BA << QByteArray("00 D6 10 02 10 02");
    }
    void panelInfo() {
        QFETCH(int, layoutMark);
        QFETCH(QByteArray, data);
        EngineConfig config = Config();
        config.sample.layoutMark = std::uint16_t(layoutMark);
        Engine e(config, T0);
        QCOMPARE(HexText(Data(Ask(e, Request(1, false, 'D', 0x20), T0))),
                 HexText(Hex(data.constData())));
        QCOMPARE(Ask(e, Request(1, false, 'D', 0x23, {0x11, 0x00, 0x12, 0x00}), T0).size(), 11u);
        QCOMPARE(HexText(Data(Ask(e, Request(1, false, 'D', 0x20), T0))),
                 HexText(Hex("00 D6 11 00 12 00")));
    }

    // The sample menu, as the panel holds it in each layout.
    void panelMenu_data() {
        QTest::addColumn<int>("layoutMark");
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray programy =
            "00 50 52 4F 47 52 41 4D 59 20 20 20 20 20 20 20 20 20 20 20 20 00";
        const QByteArray programs =
            "00 50 52 4F 47 52 41 4D 53 20 20 20 20 20 20 20 20 20 20 20 20 00";
        QTest::newRow("structure: group descriptors ending FE")
            << 0xBA56 << 0x22 << 0 << QByteArray("FF 00 03 03 01 00 04 05 02 00 02 03 04 00 FE");
        QTest::newRow("structure: language 0 stream")
            << 0xBA56 << 0x21 << 0 << QByteArray("FF 00 03 03 01 ") + programy;
        QTest::newRow("structure: language 1 stream")
            << 0xBA56 << 0x21 << 214 << QByteArray("FF 00 03 03 01 ") + programs;
        QTest::newRow("structure: end of the first stream")
            << 0xBA56 << 0x21 << 209 << QByteArray("20 00 00 00 20 FF");
        QTest::newRow("structure: end mark after four streams")
            << 0xBA56 << 0x21 << 4 * 214 << QByteArray("FE 00");
        QTest::newRow("predefined: language 0 in the predefined block")
            << 0 << 0x22 << 0 << QByteArray("FF 00 03 03 01 ") + programy;
        QTest::newRow("predefined: language 1 first in the user block")
            << 0 << 0x21 << 0 << QByteArray("FF 00 03 03 01 ") + programs;
        QTest::newRow("predefined: language 3 third in the user block")
            << 0 << 0x21 << 2 * 214
            << QByteArray("FF 00 03 03 01 00 50 52 4F 47 52 41 4D 4D 45 53");
    }
    void panelMenu() {
        QFETCH(int, layoutMark);
        QFETCH(int, selector);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        EngineConfig config = Config();
        config.sample.layoutMark = std::uint16_t(layoutMark);
        Engine e(config, T0);
        Bytes block;
        for (unsigned page = 0; page < 4; ++page) {
            const unsigned address = page * 264;
            const Bytes reply =
                Ask(e,
                    Request(1, false, 'D', std::uint8_t(selector),
                            {std::uint8_t(address >> 8), std::uint8_t(address & 0xFF)}),
                    T0);
            QCOMPARE(reply.size(), 277u);
            block.insert(block.end(), reply.begin() + 11, reply.end() - 2);
        }
        const Bytes expected = Hex(bytes.constData());
        QCOMPARE(HexText(Bytes(block.begin() + offset, block.begin() + offset + expected.size())),
                 HexText(expected));
    }

    void panelPageWrite() {
        Engine e(Config(), T0);
        const Bytes page = Pattern(264, 0x3C);
        QCOMPARE(Ask(e, Request(1, false, 'D', 0x24, Concat({{0x03, 0x18}, page})), T0).size(),
                 13u);
        const Bytes read = Ask(e, Request(1, false, 'D', 0x21, {0x03, 0x18}), T0);
        QCOMPARE(HexText(Bytes(read.begin() + 9, read.begin() + 11)), HexText(Hex("03 18")));
        QCOMPARE(HexText(Bytes(read.begin() + 11, read.end() - 2)), HexText(page));
        // A page at an address that is not a page boundary overlaps its neighbours.
        const Bytes shifted = Ask(e, Request(1, false, 'D', 0x21, {0x03, 0x19}), T0);
        QCOMPARE(HexText(Bytes(shifted.begin() + 11, shifted.begin() + 274)),
                 HexText(Bytes(page.begin() + 1, page.end())));
        // Untouched pages and the other layout's panel keep their sample.
        Engine fresh(Config(), T0);
        const Bytes first = Request(1, false, 'D', 0x21, {0, 0});
        QCOMPARE(HexText(Ask(e, first, T0)), HexText(Ask(fresh, first, T0)));
        e.memory().SetSetupWord(98, 0);
        fresh.memory().SetSetupWord(98, 0);
        const Bytes other = Request(1, false, 'D', 0x21, {0x03, 0x18});
        QCOMPARE(HexText(Ask(e, other, T0)), HexText(Ask(fresh, other, T0)));
    }

    void versionSetsProgramFraming_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("length");
        QTest::newRow("500: two parts of 15 steps") << 500 << 267;
        QTest::newRow("501: three parts of 10 steps") << 501 << 227;
    }
    void versionSetsProgramFraming() {
        QFETCH(int, version);
        QFETCH(int, length);
        Engine e(Config(version == 500 ? 501 : 500), T0);
        e.memory().SetSetupWord(99, std::uint16_t(version));
        const Bytes setup = Data(Ask(e, Request(1, false, 'F', 0x0A), T0));
        QCOMPARE(int(setup[198] * 256 + setup[199]), version);
        QCOMPARE(int(Ask(e, Request(1, false, 'F', 0x0B, {0, 0}), T0).size()), length);
        // A written setup block sets the version the same way.
        Bytes written = Pattern(202, 0);
        written[198] = std::uint8_t(version >> 8);
        written[199] = std::uint8_t(version & 0xFF);
        Engine other(Config(version == 500 ? 501 : 500), T0);
        QCOMPARE(Ask(other, Request(1, false, 'G', 0x0A, written), T0).size(), 11u);
        QCOMPARE(int(Ask(other, Request(1, false, 'F', 0x0B, {0, 0}), T0).size()), length);
    }
};

QTEST_GUILESS_MAIN(TestSimEngine)
#include "tst_simengine.moc"
