#include "link/Commands.h"
#include "link/Frame.h"
#include "link/Komunikacja.h"
#include "support/FakeSerialPort.h"
#include "support/WireBytes.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <set>

using namespace zyl;
using zyl::test::FakeSerialPort;
using zyl::test::FromHex;

namespace {

// The direct reset request for address 1 and an 11-byte acknowledgement.
const std::vector<std::uint8_t> Request = FromHex("01 46 08 00 0B 47 E6 00 04 5B FB");

std::vector<std::uint8_t> Ack(std::uint8_t address = 1) {
    std::vector<std::uint8_t> reply = {address, 0x46, 0x08, 0x00, 0x0B, 0x47, 0xE6, 0x00, 0x04};
    AppendChecksum(reply);
    return reply;
}

QStringList ReadLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void resultCodes_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("result");
        const auto ack = Ack();
        const QByteArray good(reinterpret_cast<const char*>(ack.data()), 11);
        QByteArray badCrc = good;
        badCrc[10] = char(badCrc[10] ^ 0x01);
        const auto other = Ack(2);
        QTest::newRow("ok") << good << 11 << 0;
        QTest::newRow("one byte short") << good.left(10) << 11 << 3;
        QTest::newRow("wrong last byte") << badCrc << 11 << 4;
        QTest::newRow("other address")
            << QByteArray(reinterpret_cast<const char*>(other.data()), 11) << 11 << 10;
        QTest::newRow("no reply") << QByteArray() << 11 << 8;
        QTest::newRow("garbage of the right length") << QByteArray(11, '\xAA') << 11 << 4;
        QTest::newRow("single byte") << QByteArray(1, '\x01') << 11 << 3;
        QTest::newRow("expected below 4") << good << 3 << 5;
    }
    void resultCodes() {
        QFETCH(QByteArray, reply);
        QFETCH(int, expected);
        QFETCH(int, result);
        FakeSerialPort port;
        port.replies.emplace_back(reply.begin(), reply.end());
        TFkomunikacja link(port);
        std::vector<std::uint8_t> got;
        QCOMPARE(link.ExchangeFrame(Request, std::size_t(expected), {0, 6}, got), result);
        if (result == 5) {
            QVERIFY(port.written.empty());
            QVERIFY(port.events.empty());
        } else {
            QCOMPARE(port.written.size(), std::size_t(1));
            QCOMPARE(port.written[0], Request);
            QCOMPARE(got.size(), std::size_t(std::min<qsizetype>(reply.size(), expected)));
        }
    }

    void portFailures() {
        FakeSerialPort port;
        TFkomunikacja link(port);
        std::vector<std::uint8_t> got;
        port.failOpen = true;
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 1);
        QVERIFY(!port.IsOpen());
        // The next exchange tries to open again.
        port.failOpen = false;
        port.replies.push_back(Ack());
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 0);
        // A port failing while it is set up during the exchange.
        port.failConfigure = true;
        port.replies.push_back(Ack());
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 1);
    }

    void portStaysOpenAndReopensOnChange() {
        FakeSerialPort port;
        TFkomunikacja link(port);
        std::vector<std::uint8_t> got;
        for (int i = 0; i < 2; ++i) {
            port.replies.push_back(Ack());
            QCOMPARE(link.ExchangeFrame(Request, 11, {9, 6}, got), 0);
        }
        QCOMPARE(port.openCount, 1);
        QCOMPARE(QString::fromStdString(port.Name()), QString("COM10"));
        port.replies.push_back(Ack());
        QCOMPARE(link.ExchangeFrame(Request, 11, {9, 8}, got), 0);
        QCOMPARE(port.openCount, 2);
        QCOMPARE(port.Baud(), 19200);
        const std::vector<std::string> tail(port.events.end() - 2, port.events.end());
        QCOMPARE(QString::fromStdString(tail[0]), QString("close"));
        QCOMPARE(QString::fromStdString(tail[1]), QString("open COM10 19200"));
    }

    void minusOffset_data() {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("result");
        QTest::newRow("leading zero dropped") << QByteArray(1, '\0') << 0;
        QTest::newRow("other leading byte") << QByteArray(1, '\x05') << 3;
        QTest::newRow("no extra byte") << QByteArray() << 0;
    }
    void minusOffset() {
        QFETCH(QByteArray, prefix);
        QFETCH(int, result);
        FakeSerialPort port;
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.MinusOffset[3] = true; // COM3
        link.SetTuning(tuning);
        auto reply = std::vector<std::uint8_t>(prefix.begin(), prefix.end());
        const auto ack = Ack();
        reply.insert(reply.end(), ack.begin(), ack.end());
        port.replies.push_back(reply);
        std::vector<std::uint8_t> got;
        QCOMPARE(link.ExchangeFrame(Request, 11, {2, 6}, got), result);
        QCOMPARE(port.readRequests.back(), std::size_t(12));
        if (result == 0) QCOMPARE(got, ack);
        // Ports without the flag read exactly the expected length.
        port.replies.push_back(ack);
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 0);
        QCOMPARE(port.readRequests.back(), std::size_t(11));
    }

    void manualRtsSendsByteByByte() {
        FakeSerialPort port;
        port.driverRts = false;
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.IleSleep = 1;
        link.SetTuning(tuning);
        QVERIFY(!link.AutomaticRts());
        port.replies.push_back(Ack());
        std::vector<std::uint8_t> got;
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 0);
        QCOMPARE(port.written.size(), std::size_t(1));
        QCOMPARE(port.written[0], Request);
        QCOMPARE(QString::fromStdString(port.events[1]), QString("rts 1"));
        QCOMPARE(QString::fromStdString(port.events[2]), QString("rts 0"));

        // A port that refuses every character: incomplete, and RTS is still dropped.
        port.refuseAllBytes = true;
        port.events.clear();
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 2);
        QCOMPARE(QString::fromStdString(port.events.back()), QString("rts 0"));

        // TransmisjaNT forces block writes.
        port.refuseAllBytes = false;
        tuning.TransmisjaNT = true;
        link.SetTuning(tuning);
        QVERIFY(link.AutomaticRts());
        port.events.clear();
        port.replies.push_back(Ack());
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 0);
        QVERIFY(port.events.empty());
    }

    void logHasFiveLinesPerExchange() {
        QTemporaryDir dir;
        FakeSerialPort port;
        TFkomunikacja link(port);
        link.EnableLog(dir.path().toStdString());
        std::vector<std::uint8_t> got;
        port.replies.push_back(Ack());
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 0);
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 8);
        // Not logged: a port that cannot be opened, an expected length below 4.
        QCOMPARE(link.ExchangeFrame(Request, 3, {0, 6}, got), 5);
        port.Close();
        port.failOpen = true;
        QCOMPARE(link.ExchangeFrame(Request, 11, {0, 6}, got), 1);

        const QStringList lines = ReadLines(dir.filePath("trans.txt"));
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0], QString(" "));
        QVERIFY(QDateTime::fromString(lines[1], "yyyy-MM-dd HH:mm:ss").isValid());
        QCOMPARE(lines[2], QString(" "));
        QCOMPARE(lines[3], QString("  M: 01 46 08 00 0B 47 E6 00 04 5B FB    [11]"));
        const auto ack = Ack();
        QCOMPARE(lines[4], "  S: " + QString::fromStdString(HexDump(ack)) + "   [11] 0");
        QCOMPARE(lines[9], QString("  S:    [0] 8"));
    }

    void threeTimeoutsLogFifteenLines() {
        QTemporaryDir dir;
        FakeSerialPort port;
        TFkomunikacja link(port);
        link.EnableLog(dir.path().toStdString());
        TControllerStatus status{};
        QCOMPARE(ReadModuleStatus(link, status, 1, {0, 6}), 8);
        const QStringList lines = ReadLines(dir.filePath("trans.txt"));
        QCOMPARE(lines.size(), 15);
        for (int attempt = 0; attempt < 3; ++attempt) {
            QCOMPARE(lines[attempt * 5 + 3], QString("  M: 01 46 00 00 07 4D 4A    [7]"));
            QCOMPARE(lines[attempt * 5 + 4], QString("  S:    [0] 8"));
        }
    }

    // Replies of any length and content give a result code; nothing reads out of bounds
    // (the sanitizer build runs this too).
    void anyReplyGivesAResultCode() {
        FakeSerialPort port;
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.MinusOffset[1] = true;
        link.SetTuning(tuning);
        std::uint32_t seed = 12345;
        const auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return seed >> 8;
        };
        const std::set<int> codes = {0, 3, 4, 8, 10};
        std::vector<std::uint8_t> got;
        for (int i = 0; i < 300; ++i) {
            std::vector<std::uint8_t> reply(next() % 300);
            for (auto& b : reply) b = std::uint8_t(next());
            if (i % 7 == 0 && !reply.empty()) reply[0] = 0; // a leading zero now and then
            if (i % 5 == 0 && reply.size() >= 4) {          // a valid checksum now and then
                reply.resize(reply.size() - 2);
                AppendChecksum(reply);
            }
            port.replies.push_back(reply);
            const std::size_t expected = 4 + next() % 300;
            const int result = link.ExchangeFrame(Request, expected, {i % 2, 6}, got);
            QVERIFY2(codes.count(result), qPrintable(QString::number(result)));
            QVERIFY(got.size() <= expected + 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
