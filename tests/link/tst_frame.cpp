#include "link/Frame.h"
#include "link/Komunikacja.h"
#include "support/WireBytes.h"

#include <QtTest>

using namespace zyl;
using namespace zyl::test;

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void checksum_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("crc");
        QTest::newRow("empty") << QByteArray() << 0xFFFF;
        QTest::newRow("123456789") << QByteArray("123456789") << 0x4B37;
        QTest::newRow("abc") << QByteArray("abc") << 0x5749;
    }
    void checksum() {
        QFETCH(QByteArray, input);
        QFETCH(int, crc);
        const auto* p = reinterpret_cast<const std::uint8_t*>(input.constData());
        QCOMPARE(int(FrameChecksum({p, static_cast<std::size_t>(input.size())})), crc);
    }

    void examples_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("status") << 1 << int(FrameKind::Status) << 0 << 0 << QByteArray()
                                << QByteArray("01 46 00 00 07 4D 4A");
        QTest::newRow("collect") << 1 << int(FrameKind::ModuleCollect) << 0 << 0 << QByteArray()
                                 << QByteArray("01 46 09 00 07 9D 48");
        QTest::newRow("read setup") << 1 << int(FrameKind::Direct) << 0x46 << 0x0A << QByteArray()
                                    << QByteArray("01 46 08 00 0B 46 0A 00 04 9B F2");
        QTest::newRow("submit read setup")
            << 1 << int(FrameKind::ModuleSubmit) << 0x46 << 0x0A << QByteArray()
            << QByteArray("01 47 09 00 0B 46 0A 00 04 4A FE");
        QTest::newRow("read relay group 2")
            << 1 << int(FrameKind::Direct) << 0x46 << 0x0C << QByteArray("\x02", 1)
            << QByteArray("01 46 08 00 0C 46 0C 00 05 02 32 C5");
        QTest::newRow("direct reset") << 1 << int(FrameKind::Direct) << 0x47 << 0xE6 << QByteArray()
                                      << QByteArray("01 46 08 00 0B 47 E6 00 04 5B FB");
    }
    void examples() {
        QFETCH(int, address);
        QFETCH(int, kind);
        QFETCH(int, letter);
        QFETCH(int, code);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, expected);
        const auto* p = reinterpret_cast<const std::uint8_t*>(payload.constData());
        const auto frame = BuildFrame(
            static_cast<std::uint8_t>(address), FrameKind(kind), static_cast<std::uint8_t>(letter),
            static_cast<std::uint8_t>(code), {p, static_cast<std::size_t>(payload.size())});
        QCOMPARE(ToHex(frame), QString::fromLatin1(expected));
        QVERIFY(ChecksumMatches(frame));
    }

    void statusForAddressZeroDiffersOnlyInAddressAndChecksum() {
        const auto frame = BuildFrame(0, FrameKind::Status);
        QCOMPARE(frame.size(), std::size_t(7));
        QCOMPARE(int(frame[0]), 0);
        QVERIFY(ToHex(frame) != QString("00 46 00 00 07 4D 4A"));
        QVERIFY(ChecksumMatches(frame));
    }

    void longFrameLengthsUseTheHighByte() {
        // A 264-byte page write: address (2) + 264 data bytes.
        std::vector<std::uint8_t> payload(266, 0x20);
        const auto frame = BuildFrame(1, FrameKind::Direct, 0x44, 0x24, payload);
        QCOMPARE(frame.size(), std::size_t(277));
        QCOMPARE(int(frame[3]), 0x01);
        QCOMPARE(int(frame[4]), 0x15);
        QCOMPARE(int(frame[7]), 0x01);
        QCOMPARE(int(frame[8]), 0x0E);
    }

    void swappedChecksumBytesFail() {
        auto frame = FromHex("01 46 00 00 07 4D 4A");
        std::swap(frame[5], frame[6]);
        QVERIFY(!ChecksumMatches(frame));
    }

    void hexDump() {
        QCOMPARE(QString::fromStdString(HexDump(FromHex("01 46 AB"))), QString("01 46 AB "));
        QCOMPARE(QString::fromStdString(HexDump({})), QString());
    }
};

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
