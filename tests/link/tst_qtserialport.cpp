#include "link/QtSerialPort.h"

#include "link/Frame.h"
#include "link/Komunikacja.h"
#include "support/Pty.h"

#include <QElapsedTimer>
#include <QtTest>

#include <termios.h>

#include <chrono>
#include <thread>

using namespace zyl;
using zyl::test::Pty;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const char* hex) {
    const QByteArray b = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    return Bytes(b.begin(), b.end());
}
Bytes ToBytes(const QByteArray& b) {
    return Bytes(b.begin(), b.end());
}
QByteArray ToQ(const Bytes& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}
QByteArray HexQ(const char* hex) {
    return ToQ(Hex(hex));
}
QByteArray AllByteValues(int count) {
    QByteArray b;
    for (int i = 0; i < count; ++i) b.append(static_cast<char>(i & 0xFF));
    return b;
}

// The slave path of the test's pty stands in table rows as this placeholder.
const QString PtyPlaceholder = QStringLiteral("<pty>");
std::string Resolve(const QString& text, const Pty& pty) {
    return text == PtyPlaceholder ? pty.SlavePath() : text.toStdString();
}

#define REQUIRE_PTY(pty)                                                                           \
    if (!(pty).IsOpen()) QSKIP("needs pseudo-terminals (/dev/ptmx and /dev/pts)")

} // namespace

class TestQtSerialPort : public QObject {
    Q_OBJECT
private slots:
    // Opening by device path and by COMn through [Ports] reaches the pty with 8N2, no flow
    // control and a raw line, drops what was waiting before the open, carries bytes both
    // ways, and survives close and reopen.
    void opens_data() {
        QTest::addColumn<int>("com"); // 0: open by device path
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("speed");
        QTest::newRow("device path at 9600") << 0 << 9600 << int(B9600);
        QTest::newRow("COM7 through [Ports] at 19200") << 7 << 19200 << int(B19200);
        QTest::newRow("COM16 through [Ports] at 115200") << 16 << 115200 << int(B115200);
    }
    void opens() {
        QFETCH(int, com);
        QFETCH(int, baud);
        QFETCH(int, speed);
        Pty pty;
        REQUIRE_PTY(pty);
        std::map<int, std::string> ports;
        if (com > 0) ports[com] = pty.SlavePath();
        const std::string name = com > 0 ? "COM" + std::to_string(com) : pty.SlavePath();
        QtSerialPort port(ports);

        for (int round = 0; round < 2; ++round) {
            QVERIFY(pty.Write(Hex("EE EE EE"))); // stale bytes from before the open
            QVERIFY(port.Open(name, baud));
            QVERIFY(port.IsOpen());
            QCOMPARE(port.Name(), name);
            QCOMPARE(port.Baud(), baud);
            QCOMPARE(port.Device(), pty.SlavePath());

            termios t{};
            QCOMPARE(tcgetattr(pty.SlaveFd(), &t), 0);
            QCOMPARE(int(t.c_cflag & CSIZE), int(CS8));
            QVERIFY(t.c_cflag & CSTOPB);
            QVERIFY(!(t.c_cflag & PARENB));
            QVERIFY(!(t.c_cflag & CRTSCTS));
            QVERIFY(!(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP)));
            QVERIFY(!(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)));
            QVERIFY(!(t.c_oflag & OPOST));
            QCOMPARE(int(cfgetospeed(&t)), speed);

            const Bytes out = Hex("01 46 08 00 0B 47 E6 00 04 5B FB");
            QCOMPARE(port.Write(out), long(out.size()));
            QCOMPARE(ToQ(pty.Read(out.size(), 1000)), ToQ(out));
            const Bytes in = Hex("01 47 E6 00 04 0D 0A");
            QVERIFY(pty.Write(in));
            QCOMPARE(ToQ(port.Read(in.size())), ToQ(in));

            port.Close();
            QVERIFY(!port.IsOpen());
        }
    }

    // A failed open leaves the port closed, also when another device was open before, and
    // the closed port refuses every operation; the next good open works.
    void openFailureLeavesPortClosed_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("com");
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("baud");
        QTest::newRow("missing device path") << "/dev/zyl-missing-device" << 0 << QString() << 9600;
        QTest::newRow("COM3 mapped to a missing device")
            << "COM3" << 3 << "/dev/zyl-missing-device" << 9600;
        QTest::newRow("not a serial device") << "/dev/null" << 0 << QString() << 9600;
        QTest::newRow("COM number beyond any integer")
            << "COM99999999999999999999" << 0 << QString() << 9600;
        QTest::newRow("baud rate 0") << PtyPlaceholder << 0 << QString() << 0;
    }
    void openFailureLeavesPortClosed() {
        QFETCH(QString, name);
        QFETCH(int, com);
        QFETCH(QString, device);
        QFETCH(int, baud);
        Pty pty;
        REQUIRE_PTY(pty);
        std::map<int, std::string> ports;
        if (com > 0) ports[com] = Resolve(device, pty);
        QtSerialPort port(ports);
        QVERIFY(port.Open(pty.SlavePath(), 9600));

        QVERIFY(!port.Open(Resolve(name, pty), baud));
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.Write(Hex("01 02")), -1L);
        QVERIFY(!port.WriteByte(0x01));
        QVERIFY(!port.SetRts(true));
        QVERIFY(!port.DiscardBuffers());
        QVERIFY(!port.ApplyConfiguration());
        QVERIFY(port.Read(4).empty());
        QVERIFY(pty.ReadUntilQuiet(50).empty());

        QVERIFY(port.Open(pty.SlavePath(), 9600));
        QCOMPARE(port.Write(Hex("01 02")), 2L);
        QCOMPARE(ToQ(pty.Read(2, 1000)), HexQ("01 02"));
    }

    // What the port is given arrives at the far end exactly: no translation, nothing more.
    void framesOut_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("byteByByte");
        const QByteArray frame = HexQ("01 46 08 00 0B 47 E6 00 04 5B FB");
        const QByteArray controls = HexQ("0D 0A 11 13 00 FF 03 1A 7F 0A 0D 1C");
        QTest::newRow("frame as a block") << frame << false;
        QTest::newRow("frame byte by byte") << frame << true;
        QTest::newRow("control characters as a block") << controls << false;
        QTest::newRow("control characters byte by byte") << controls << true;
        QTest::newRow("300 bytes as a block") << AllByteValues(300) << false;
        QTest::newRow("300 bytes byte by byte") << AllByteValues(300) << true;
    }
    void framesOut() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, byteByByte);
        Pty pty;
        REQUIRE_PTY(pty);
        QtSerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), 19200));
        const Bytes out = ToBytes(bytes);
        if (byteByByte) {
            for (std::uint8_t b : out) QVERIFY(port.WriteByte(b));
            port.Drain();
        } else {
            QCOMPARE(port.Write(out), long(out.size()));
        }
        QCOMPARE(ToQ(pty.Read(out.size(), 1000)), bytes);
        QVERIFY(pty.ReadUntilQuiet(50).empty());
    }

    // Read(n) returns as soon as n bytes are in, otherwise what arrived once n x 1 ms plus the
    // constant have passed since the call began; bytes beyond n wait for the next read.
    void repliesIn_data() {
        QTest::addColumn<QByteArray>("before"); // in the line before Read is called
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QByteArray>("later"); // sent delayMs after Read was called
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("constant");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::addColumn<QByteArray>("rest"); // what the next read finds
        const QByteArray reply = HexQ("01 47 E6 00 04 0D 0A 11 13 03 7F");
        QTest::newRow("all in before the call")
            << reply << 0 << QByteArray() << 11 << 2000 << reply << 0 << 300 << QByteArray();
        QTest::newRow("all arriving after the call began")
            << QByteArray() << 100 << reply << 11 << 2000 << reply << 90 << 700 << QByteArray();
        QTest::newRow("in two pieces") << reply.left(4) << 100 << reply.mid(4) << 11 << 2000
                                       << reply << 90 << 700 << QByteArray();
        QTest::newRow("more than asked") << reply + HexQ("AA BB CC") << 0 << QByteArray() << 11
                                         << 2000 << reply << 0 << 300 << HexQ("AA BB CC");
        QTest::newRow("nothing arrives") << QByteArray() << 0 << QByteArray() << 11 << 200
                                         << QByteArray() << 205 << 400 << QByteArray();
        QTest::newRow("nothing arrives, long reply expected")
            << QByteArray() << 0 << QByteArray() << 300 << 100 << QByteArray() << 395 << 600
            << QByteArray();
        QTest::newRow("partial reply") << reply.left(5) << 0 << QByteArray() << 11 << 200
                                       << reply.left(5) << 205 << 400 << QByteArray();
        QTest::newRow("partial reply in two pieces")
            << reply.left(3) << 100 << reply.mid(3, 2) << 11 << 200 << reply.left(5) << 205 << 400
            << QByteArray();
    }
    void repliesIn() {
        QFETCH(QByteArray, before);
        QFETCH(int, delayMs);
        QFETCH(QByteArray, later);
        QFETCH(int, n);
        QFETCH(int, constant);
        QFETCH(QByteArray, expected);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(QByteArray, rest);
        Pty pty;
        REQUIRE_PTY(pty);
        QtSerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), 9600));
        port.SetReadTimeoutConstant(constant);
        QVERIFY(pty.Write(ToBytes(before)));

        std::thread sender;
        if (!later.isEmpty()) {
            sender = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                pty.Write(ToBytes(later));
            });
        }
        QElapsedTimer clock;
        clock.start();
        const Bytes got = port.Read(static_cast<std::size_t>(n));
        const qint64 elapsed = clock.elapsed();
        if (sender.joinable()) sender.join();

        QCOMPARE(ToQ(got), expected);
        QVERIFY2(elapsed >= minMs && elapsed <= maxMs,
                 qPrintable(QStringLiteral("Read took %1 ms").arg(elapsed)));
        // Bytes already buffered by the port must not wait for more to arrive.
        port.SetReadTimeoutConstant(rest.isEmpty() ? 20 : 2000);
        clock.restart();
        QCOMPARE(ToQ(port.Read(rest.isEmpty() ? 1 : std::size_t(rest.size()))), rest);
        QVERIFY2(clock.elapsed() < 300,
                 qPrintable(QStringLiteral("next Read took %1 ms").arg(clock.elapsed())));
    }

    // A pty has no modem-control lines and no RS-485 mode: RTS requests succeed, the missing
    // lines are recorded, RTS stays with the caller, and the port keeps working.
    void rtsWithoutModemLines() {
        Pty pty;
        REQUIRE_PTY(pty);
        QtSerialPort port;
        QVERIFY(!port.DriverTogglesRts());
        QVERIFY(!port.modemLinesMissing());
        QVERIFY(port.Open(pty.SlavePath(), 9600));
        QVERIFY(port.SetRts(true));
        QVERIFY(port.WriteByte(0x55));
        port.Drain();
        QVERIFY(port.SetRts(false));
        QCOMPARE(ToQ(pty.Read(1, 1000)), HexQ("55"));
        QVERIFY(port.modemLinesMissing());
        QVERIFY(!port.DriverTogglesRts());
        QVERIFY(port.ApplyConfiguration());
        QVERIFY(port.DiscardBuffers());
    }

    // The transport over the Qt backend: a request reaches the far end whole in both write
    // modes, an answer gives 0, silence gives 8 once the read timeout has passed.
    void exchangeFrame_data() {
        QTest::addColumn<bool>("automaticRts");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("manual RTS, answered") << false << true << int(LinkOk);
        QTest::newRow("manual RTS, no answer") << false << false << int(LinkNoReply);
        QTest::newRow("automatic RTS, answered") << true << true << int(LinkOk);
        QTest::newRow("automatic RTS, no answer") << true << false << int(LinkNoReply);
    }
    void exchangeFrame() {
        QFETCH(bool, automaticRts);
        QFETCH(bool, answer);
        QFETCH(int, result);
        Pty pty;
        REQUIRE_PTY(pty);
        QtSerialPort port({{3, pty.SlavePath()}});
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.timeoutStand = 200;
        tuning.TransmisjaNT = automaticRts;
        link.SetTuning(tuning);
        link.ApplyTimeoutConstant();
        TLinkParams params;
        params.PortIndex = 2;
        params.BaudCode = 8;

        const Bytes request = Hex("01 46 08 00 0B 47 E6 00 04 5B FB");
        Bytes answerFrame = Hex("01 47 E6 00 04");
        AppendChecksum(answerFrame);
        Bytes seen;
        std::thread controller([&] {
            seen = pty.Read(request.size(), 2000);
            if (answer && seen == request) pty.Write(answerFrame);
        });
        QElapsedTimer clock;
        clock.start();
        Bytes reply;
        const int got = link.ExchangeFrame(request, answerFrame.size(), params, reply);
        const qint64 elapsed = clock.elapsed();
        controller.join();

        QCOMPARE(ToQ(seen), ToQ(request));
        QCOMPARE(got, result);
        QCOMPARE(ToQ(reply), answer ? ToQ(answerFrame) : QByteArray());
        QCOMPARE(port.Name(), std::string("COM3"));
        QCOMPARE(port.Baud(), 19200);
        const qint64 timeout = qint64(answerFrame.size()) + tuning.timeoutStand;
        if (answer)
            QVERIFY2(elapsed < timeout, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
        else
            QVERIFY2(elapsed >= timeout && elapsed <= timeout + 250,
                     qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
    }

    // Pointing a COM name at another device takes effect at the next exchange: the open port
    // closes and the transport opens the new device. A map that leaves the device of the open
    // name as it was keeps the port open.
    void newMapAtTheNextExchange_data() {
        QTest::addColumn<QString>("com3"); // the pty COM3 is pointed at: "A" or "B"
        QTest::addColumn<bool>("com4ToB"); // COM4 pointed at B as well
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("COM3 to another device") << "B" << false << false;
        QTest::newRow("COM3 to the same device") << "A" << false << true;
        QTest::newRow("only another COM port changed") << "A" << true << true;
    }
    void newMapAtTheNextExchange() {
        QFETCH(QString, com3);
        QFETCH(bool, com4ToB);
        QFETCH(bool, stillOpen);
        Pty a, b;
        REQUIRE_PTY(a);
        REQUIRE_PTY(b);
        QtSerialPort port({{3, a.SlavePath()}});
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.timeoutStand = 20;
        tuning.TransmisjaNT = true;
        link.SetTuning(tuning);
        link.ApplyTimeoutConstant();
        TLinkParams params;
        params.PortIndex = 2;
        const Bytes request = Hex("01 46 08 00 0B 47 E6 00 04 5B FB");
        Bytes reply;

        QCOMPARE(link.ExchangeFrame(request, 7, params, reply), int(LinkNoReply));
        QCOMPARE(ToQ(a.Read(request.size(), 500)), ToQ(request));

        std::map<int, std::string> ports{{3, com3 == "B" ? b.SlavePath() : a.SlavePath()}};
        if (com4ToB) ports[4] = b.SlavePath();
        port.SetPorts(ports);
        QCOMPARE(port.IsOpen(), stillOpen);

        QCOMPARE(link.ExchangeFrame(request, 7, params, reply), int(LinkNoReply));
        Pty& reached = com3 == "B" ? b : a;
        Pty& other = com3 == "B" ? a : b;
        QCOMPARE(ToQ(reached.Read(request.size(), 500)), ToQ(request));
        QVERIFY(other.Read(1, 50).empty());
        QCOMPARE(port.Device(), reached.SlavePath());
        QCOMPARE(port.Name(), std::string("COM3"));
    }
};

QTEST_GUILESS_MAIN(TestQtSerialPort)
#include "tst_qtserialport.moc"
