// What the readouts window writes for a status reply, the clock bytes a chosen date and time
// become, and the history its chart draws.

#include "link/CommandEncoding.h"
#include "link/ControllerStatus.h"
#include "service/Readouts.h"

#include <QtTest>

#include <array>
#include <cstdint>
#include <vector>

using namespace zyl;

namespace {

using Reply = std::array<std::uint8_t, 64>;

// A status reply of address 1: clock 2003-03-05 14:07:09, everything else zero.
Reply BaseReply() {
    Reply r{};
    r[0] = 1;
    r[1] = 'F';
    r[4] = 0x40;
    r[5] = 3;
    r[6] = 3;
    r[7] = 5;
    r[8] = 14;
    r[9] = 7;
    r[10] = 9;
    return r;
}

void Put16(Reply& r, std::size_t at, std::uint16_t v) {
    r[at] = std::uint8_t(v >> 8);
    r[at + 1] = std::uint8_t(v & 0xFF);
}

} // namespace

class TestReadouts : public QObject {
    Q_OBJECT
private slots:
    // Each measured value by the reply bytes it comes from: one decimal, eight characters.
    void measured_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("shown");
        const auto T = int(Measured::Temperature);
        QTest::newRow("temperature 00 EB") << T << 11 << 0x00EB << "    23.5";
        QTest::newRow("temperature FF 9C") << T << 11 << 0xFF9C << "   -10.0";
        QTest::newRow("temperature 0") << T << 11 << 0 << "     0.0";
        QTest::newRow("temperature largest") << T << 11 << 0x7FFF << "  3276.7";
        QTest::newRow("temperature smallest") << T << 11 << 0x8000 << " -3276.8";
        QTest::newRow("rotation 32-33") << int(Measured::Rotation) << 32 << 1200 << "   120.0";
        QTest::newRow("channel 3 at 43") << int(Measured::Channel3) << 43 << 5 << "     0.5";
        // Channels 4 and 5 lie crosswise in the reply.
        QTest::newRow("channel 4 at 47") << int(Measured::Channel4) << 47 << 44 << "     4.4";
        QTest::newRow("channel 5 at 45") << int(Measured::Channel5) << 45 << 55 << "     5.5";
        QTest::newRow("channel 10 at 57") << int(Measured::Channel10) << 57 << 0xFFFF << "    -0.1";
    }
    void measured() {
        QFETCH(int, which);
        QFETCH(int, at);
        QFETCH(int, raw);
        QFETCH(QString, shown);
        Reply r = BaseReply();
        Put16(r, std::size_t(at), std::uint16_t(raw));
        const ReadoutTexts texts = FormatReadouts(DecodeControllerStatus(r));
        QCOMPARE(QString::fromStdString(texts.measured[std::size_t(which)]), shown);
    }

    // Channels 11 and 12 are not carried: whatever the reply holds, two blanks and -300.0.
    void channels11And12() {
        Reply r = BaseReply();
        for (std::size_t i = 11; i < 61; ++i) r[i] = 0x11;
        const ReadoutTexts texts = FormatReadouts(DecodeControllerStatus(r));
        QCOMPARE(texts.measured[std::size_t(Measured::Channel11)], std::string("  -300.0"));
        QCOMPARE(texts.measured[std::size_t(Measured::Channel12)], std::string("  -300.0"));
    }

    void vacuum_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("shown");
        QTest::newRow("200: no gauge") << 200 << "    XX";
        QTest::newRow("199") << 199 << "   199";
        QTest::newRow("201") << 201 << "   201";
        QTest::newRow("0") << 0 << "     0";
        QTest::newRow("255") << 255 << "   255";
    }
    void vacuum() {
        QFETCH(int, byte);
        QFETCH(QString, shown);
        Reply r = BaseReply();
        r[15] = std::uint8_t(byte);
        QCOMPARE(QString::fromStdString(FormatReadouts(DecodeControllerStatus(r)).vacuum), shown);
    }

    void clockAndRecording_data() {
        QTest::addColumn<QByteArray>("clock"); // reply bytes 5 to 10
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("single digits get a 0")
            << QByteArray("\x03\x03\x05\x0E\x07\x09", 6) << "05-03-2003"
            << "14-07-09";
        QTest::newRow("two digits") << QByteArray("\x63\x0C\x1F\x17\x3B\x3B", 6) << "31-12-2099"
                                    << "23-59-59";
        QTest::newRow("zeros") << QByteArray(6, '\0') << "00-00-2000"
                               << "00-00-00";
        QTest::newRow("year byte 255") << QByteArray("\xFF\x01\x01\x00\x00\x00", 6) << "01-01-2255"
                                       << "00-00-00";
    }
    void clockAndRecording() {
        QFETCH(QByteArray, clock);
        QFETCH(QString, date);
        QFETCH(QString, time);
        Reply r = BaseReply();
        for (int i = 0; i < 6; ++i) r[std::size_t(5 + i)] = std::uint8_t(clock[i]);
        Put16(r, 17, 0xFFFE);
        Put16(r, 19, 0x0102);
        const ReadoutTexts texts = FormatReadouts(DecodeControllerStatus(r));
        QCOMPARE(QString::fromStdString(texts.date), date);
        QCOMPARE(QString::fromStdString(texts.time), time);
        // Recording addresses are unsigned; counter and interlock are not carried.
        QCOMPARE(texts.recording[0], std::string("Last recording address : 65534"));
        QCOMPARE(texts.recording[1], std::string("Previous recording address : 258"));
        QCOMPARE(texts.recording[2], std::string("Recording counter : 0"));
        QCOMPARE(texts.recording[3], std::string("Recording interlock : 0"));
    }

    void captionsAndVersion() {
        const auto captions = RecordingCaptions();
        QCOMPARE(captions[0], std::string("Last recording address"));
        QCOMPARE(captions[3], std::string("Recording interlock"));
        TSetupBlock setup{};
        setup.Words[99] = 501;
        QCOMPARE(ProgramVersionText(setup), std::string("Program version:  501"));
        setup.Words[99] = -2;
        QCOMPARE(ProgramVersionText(setup), std::string("Program version:  -2"));
    }

    // The clock bytes of a chosen date and time: the seconds of the time are not sent.
    void clockBytes_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("2003-03-05 14:07:09") << QDate(2003, 3, 5) << QTime(14, 7, 9)
                                             << QByteArray("030305"
                                                           "0E0700");
        QTest::newRow("first day of 2000") << QDate(2000, 1, 1) << QTime(0, 0, 59)
                                           << QByteArray("000101"
                                                         "000000");
        QTest::newRow("last minute of 2099") << QDate(2099, 12, 31) << QTime(23, 59, 59)
                                             << QByteArray("630C1F"
                                                           "173B00");
    }
    void clockBytes() {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QByteArray, bytes);
        const auto sent = EncodeClock(
            ClockToSet(date.year(), date.month(), date.day(), time.hour(), time.minute()));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sent.data()), 6).toHex().toUpper(),
                 bytes);
    }

    // The chart's history keeps the newest samples up to its capacity, without channels 11
    // and 12 (a constant -300 would flatten every other line), and spans what it holds.
    void history() {
        ReadoutHistory history(3);
        QCOMPARE(history.ValueRange().low, 0.0);
        for (int i = 0; i < 5; ++i) {
            Reply r = BaseReply();
            Put16(r, 11, std::uint16_t(100 * i)); // temperature 10 x i
            Put16(r, 43, std::uint16_t(-50));     // channel 3: -5.0
            history.Add(2.0 * i, DecodeControllerStatus(r));
        }
        QCOMPARE(history.Samples().size(), std::size_t(3));
        QCOMPARE(history.Samples().front().seconds, 4.0);
        QCOMPARE(history.Samples().back().values[0], 40.0);
        QCOMPARE(history.ValueRange().low, -5.0);
        QCOMPARE(history.ValueRange().high, 40.0);
        QCOMPARE(ReadoutHistory::SeriesName(0), std::string("Temperature"));
        QCOMPARE(ReadoutHistory::SeriesName(ReadoutHistory::SeriesCount - 1), std::string("10"));
    }
};

QTEST_APPLESS_MAIN(TestReadouts)
#include "tst_readouts.moc"
