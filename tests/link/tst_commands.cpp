// Wire encodings of the controller commands, pinned byte for byte without a port.

#include "link/CommandCatalogue.h"
#include "link/CommandEncoding.h"
#include "link/ControllerStatus.h"
#include "panel/CodePage.h"
#include "tst_commands_support.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

using namespace zyl;
using namespace zyl::test;

namespace {

template <class T> T Filled(std::uint8_t byte) {
    T value;
    std::memset(&value, byte, sizeof value);
    return value;
}

template <class T> QByteArray HexOf(const T& array) {
    return Hex(std::span(array));
}

// "41 42" followed by blanks up to 14 bytes, as hexadecimal text.
QByteArray NameHex(const QByteArray& head) {
    ByteVector bytes = Bytes(head);
    bytes.resize(NameWireSize, 0x20);
    return Hex(bytes);
}

ByteVector NameWire(const QByteArray& head, std::uint8_t fill = 0x00) {
    ByteVector bytes = Bytes(head);
    bytes.resize(NameWireSize, fill);
    return bytes;
}

std::string Text(const QByteArray& bytes) {
    return bytes.toStdString();
}

} // namespace

class TestCommandEncoding : public QObject {
    Q_OBJECT
private slots:
    void names_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("four letters and ten blanks")
            << 0 << QByteArray("PUMP") << NameHex("50 55 4D 50");
        QTest::newRow("empty name is all blanks") << 0 << QByteArray() << NameHex("");
        QTest::newRow("only the first 14 are sent")
            << 0 << QByteArray("ABCDEFGHIJKLMNOPQ")
            << QByteArray("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E");
        QTest::newRow("Polish capitals converted")
            << int(CodePagePolish) << QByteArray("\xA3\xA5KA") << NameHex("9D A4 4B 41");
        QTest::newRow("a dropped byte takes no room")
            << int(CodePageCyrillic)
            << QByteArray("\x97"
                          "ABCDEFGHIJKLMN")
            << QByteArray("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E");
    }
    void names() {
        QFETCH(int, codePage);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, wire);
        QCOMPARE(HexOf(EncodeName(Text(text), codePage)), wire);
    }

    void receivedNames_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<ByteVector>("wire");
        QTest::addColumn<bool>("skipFF");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("four letters and ten zero bytes")
            << 0 << NameWire("50 55 4D 50") << false << QByteArray("PUMP");
        QTest::newRow("blank padded")
            << 0 << NameWire("50 55 4D 50", 0x20) << false << QByteArray("PUMP");
        QTest::newRow("blanks and controls stripped at both ends, inner blank kept")
            << 0 << NameWire("20 01 50 55 20 4D 50 09 20 7F") << false << QByteArray("PU MP");
        QTest::newRow("zero bytes inside are skipped")
            << 0 << NameWire("50 00 55 00 00 4D") << false << QByteArray("PUM");
        QTest::newRow("FF kept in other names") << 0 << NameWire("41 FF 42") << false
                                                << QByteArray("A\xFF"
                                                              "B");
        QTest::newRow("FF skipped in program names")
            << 0 << NameWire("41 FF 42 FF", 0xFF) << true << QByteArray("AB");
        QTest::newRow("Polish capitals converted back")
            << int(CodePagePolish) << NameWire("9D A4 4B 41") << false << QByteArray("\xA3\xA5KA");
        QTest::newRow("all zero is empty") << 0 << NameWire("") << false << QByteArray();
    }
    void receivedNames() {
        QFETCH(int, codePage);
        QFETCH(ByteVector, wire);
        QFETCH(bool, skipFF);
        QFETCH(QByteArray, text);
        const std::string name =
            DecodeName(std::span<const std::uint8_t, NameWireSize>(wire.data(), NameWireSize),
                       codePage, skipFF);
        QCOMPARE(QByteArray::fromStdString(name), text);
    }

    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("2.5 to even") << 2.5 << 2;
        QTest::newRow("3.5 to even") << 3.5 << 4;
        QTest::newRow("-2.5 to even") << -2.5 << -2;
        QTest::newRow("-0.5 to zero") << -0.5 << 0;
        QTest::newRow("12.5 to even") << 12.5 << 12;
        QTest::newRow("2.51 up") << 2.51 << 3;
        QTest::newRow("-1.49 down to -1") << -1.49 << -1;
        QTest::newRow("too large saturates") << 1e12 << std::numeric_limits<int>::max();
        QTest::newRow("too small saturates") << -1e12 << std::numeric_limits<int>::min();
        QTest::newRow("NaN gives 0") << std::nan("") << 0;
    }
    void rounding() {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(RoundHalfEven(value), rounded);
    }

    void scaledRounding_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("divisor");
        QTest::addColumn<qint64>("quotient");
        constexpr qint64 Max = std::numeric_limits<qint64>::max();
        constexpr qint64 Min = std::numeric_limits<qint64>::min();
        // Remainders above half the 64-bit range: doubling them overflowed.
        QTest::newRow("max / (max - 1) is 1") << Max << Max - 1 << qint64(1);
        QTest::newRow("(max - 1) / max is 1") << Max - 1 << Max << qint64(1);
        QTest::newRow("min / max is -1") << Min << Max << qint64(-1);
        QTest::newRow("max / 2 rounds half to even") << Max << qint64(2) << Max / 2 + 1;
        QTest::newRow("min / 3") << Min << qint64(3) << Min / 3 + (Min % 3 < -1 ? -1 : 0);
        QTest::newRow("250 / 100 is 2") << qint64(250) << qint64(100) << qint64(2);
        QTest::newRow("350 / 100 is 4") << qint64(350) << qint64(100) << qint64(4);
        QTest::newRow("-250 / 100 is -2") << qint64(-250) << qint64(100) << qint64(-2);
        QTest::newRow("-350 / 100 is -4") << qint64(-350) << qint64(100) << qint64(-4);
        QTest::newRow("251 / 100 is 3") << qint64(251) << qint64(100) << qint64(3);
        QTest::newRow("-151 / 100 is -2") << qint64(-151) << qint64(100) << qint64(-2);
        QTest::newRow("149 / 100 is 1") << qint64(149) << qint64(100) << qint64(1);
    }
    void scaledRounding() {
        QFETCH(qint64, value);
        QFETCH(qint64, divisor);
        QFETCH(qint64, quotient);
        QCOMPARE(qint64(DivideRoundHalfEven(value, divisor)), quotient);
    }

    void flags_data() {
        QTest::addColumn<QList<int>>("on");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("relays 1 and 10") << QList<int>{0, 9} << QByteArray("01 02 00 00");
        QTest::newRow("relay 32") << QList<int>{31} << QByteArray("00 00 00 80");
        QTest::newRow("none") << QList<int>{} << QByteArray("00 00 00 00");
        QTest::newRow("relays 8 and 17") << QList<int>{7, 16} << QByteArray("80 00 01 00");
    }
    void flags() {
        QFETCH(QList<int>, on);
        QFETCH(QByteArray, wire);
        std::array<std::uint8_t, FlagCount> set{};
        for (int i : on) set[std::size_t(i)] = 5; // any non-zero byte counts as on
        QCOMPARE(HexOf(EncodeFlags(set)), wire);

        std::array<std::uint8_t, FlagCount> back;
        back.fill(9);
        const ByteVector bytes = Bytes(wire);
        DecodeFlags(std::span<const std::uint8_t, 4>(bytes.data(), 4), back);
        for (std::size_t i = 0; i < FlagCount; ++i)
            QCOMPARE(int(back[i]), on.contains(int(i)) ? 1 : 0);
    }

    void relayItem() {
        auto r = Filled<TRelayRecord>(0);
        r.Name.SetText("PUMP");
        r.TimeType = 1;
        r.TimeTa = 70000; // wider than its wire field: the low 16 bits go
        r.TimeTb = 300;
        r.RegulatorType = 6;
        r.MeasurementChannel = 3;
        r.SetValueSource = 14;
        r.ChannelWordHigh = 0x7777;
        r.Offset = -12;
        r.RegulatorWindow = 255;
        r.LowerHysteresis = 0;
        r.UpperHysteresis = 125;
        QCOMPARE(HexOf(EncodeRelayItem(r, 0)),
                 NameHex("50 55 4D 50") + " 00 01 11 70 01 2C 00 06 03 0E FF FF FB 50 00 00 63 9C "
                                          "00 00 00 00 00 00 30 D4");
    }

    void relayItemReadBack() {
        const ByteVector wire = Concat(
            {NameWire("50 55 4D 50"), Bytes("FF FF 00 05 00 00 00 06 03 0E 00 00 00 FA 00 00 01 "
                                            "5E FF FF FB 50 FF FF FF 06")});
        QCOMPARE(wire.size(), RelayItemSize);
        auto r = Filled<TRelayRecord>(0xAB);
        DecodeRelayItem(std::span<const std::uint8_t, RelayItemSize>(wire.data(), RelayItemSize), r,
                        0);
        QCOMPARE(QByteArray::fromStdString(r.Name.Text()), QByteArray("PUMP"));
        QCOMPARE(int(r.TimeType), 65535); // zero-extended
        QCOMPARE(int(r.TimeTa), 5);
        QCOMPARE(int(r.RegulatorType), 6);
        QCOMPARE(int(r.MeasurementChannel), 3);
        QCOMPARE(int(r.SetValueSource), 14);
        QCOMPARE(int(r.ChannelWordHigh), 0);
        QCOMPARE(int(r.Offset), 2);          // 250 / 100, half to even
        QCOMPARE(int(r.RegulatorWindow), 4); // 350 / 100
        QCOMPARE(int(r.LowerHysteresis), -12);
        QCOMPARE(int(r.UpperHysteresis), -2); // -250 / 100
    }

    // Every switch-off time the editor allows (-1 to 65000) survives the wire.
    void specialStatusItem_data() {
        QTest::addColumn<int>("time");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("-1") << -1 << QByteArray("FF FF 02 01 00 00 80");
        QTest::newRow("0") << 0 << QByteArray("00 00 02 01 00 00 80");
        QTest::newRow("32767") << 32767 << QByteArray("7F FF 02 01 00 00 80");
        QTest::newRow("32768") << 32768 << QByteArray("80 00 02 01 00 00 80");
        QTest::newRow("65000") << 65000 << QByteArray("FD E8 02 01 00 00 80");
        QTest::newRow("65534") << 65534 << QByteArray("FF FE 02 01 00 00 80");
    }
    void specialStatusItem() {
        QFETCH(int, time);
        QFETCH(QByteArray, wire);
        auto s = Filled<TSpecialStatusRecord>(0);
        s.SwitchOffTime = time;
        s.RelayLogic = 2;
        s.RelayOutputs[0] = 1;
        s.RelayOutputs[31] = 1;
        QCOMPARE(HexOf(EncodeSpecialStatusItem(s)), wire);

        const ByteVector bytes = Bytes(wire);
        auto back = Filled<TSpecialStatusRecord>(0);
        DecodeSpecialStatusItem(std::span<const std::uint8_t, 7>(bytes.data(), 7), back);
        QCOMPARE(int(back.SwitchOffTime), time);
        QCOMPARE(int(back.RelayLogic), 2);
        QCOMPARE(int(back.RelayOutputs[0]), 1);
        QCOMPARE(int(back.RelayOutputs[31]), 1);
        QCOMPARE(int(back.RelayOutputs[1]), 0);
    }

    void analogOutputItem() {
        auto a = Filled<TAnalogOutputRecord>(0);
        a.Name.SetText("AO1");
        a.OutputType = 2;
        a.MeasurementChannel = 3;
        a.SetValueSource = 18;
        a.PidNumber = 0xFF;
        a.Value0V = 0;
        a.Value10V = 9999;
        a.StopSetValue = 100;
        a.PauseSetValue = 70000;
        for (int i = 0; i < 4; ++i) a.SpecialSetValues[i] = i + 1;
        a.Gain = 3.0;
        const QByteArray wire =
            NameHex("41 4F 31") + " 02 03 12 FF 00 00 27 0F 00 64 11 70 00 01 00 02 00 03 00 04";
        QCOMPARE(HexOf(EncodeAnalogOutputItem(a, 0)), wire);

        const ByteVector bytes = Bytes("41 4F 31 00 00 00 00 00 00 00 00 00 00 00 02 03 12 FF "
                                       "FF FF 27 0F 00 64 11 70 00 01 00 02 00 03 00 04");
        auto back = Filled<TAnalogOutputRecord>(0);
        DecodeAnalogOutputItem(
            std::span<const std::uint8_t, AnalogOutputItemSize>(bytes.data(), AnalogOutputItemSize),
            back, 0);
        QCOMPARE(QByteArray::fromStdString(back.Name.Text()), QByteArray("AO1"));
        QCOMPARE(int(back.OutputType), 2);
        QCOMPARE(int(back.SetValueSource), 18);
        QCOMPARE(int(back.PidNumber), 0xFF);
        QCOMPARE(int(back.Value0V), 65535); // zero-extended
        QCOMPARE(int(back.Value10V), 9999);
        QCOMPARE(int(back.PauseSetValue), 0x1170);
        QCOMPARE(int(back.SpecialSetValues[3]), 4);
    }

    void pidItem() {
        auto p = Filled<TPidRecord>(0);
        p.HeatingCooling = 1;
        p.MeasurementChannel = 2;
        p.SetValueSource = 15;
        p.Sample = 12.5;
        p.Gain = 1.25;
        p.TimeTi = 3.5;
        p.TimeTd = -1.5;
        p.Period = 2.5;
        QCOMPARE(
            HexOf(EncodePidItem(p)),
            QByteArray("01 02 0F 00 00 00 0C 00 00 00 0C 00 00 00 04 FF FF FF FE 00 00 00 02"));

        const ByteVector wire =
            Bytes("01 02 0F 00 00 00 0C 00 00 00 0C 00 00 00 04 FF FF FF FE 00 00 00 02");
        auto back = Filled<TPidRecord>(0);
        DecodePidItem(std::span<const std::uint8_t, PidItemSize>(wire.data(), PidItemSize), back);
        QCOMPARE(int(back.HeatingCooling), 1);
        QCOMPARE(double(back.Sample), 12.0);
        QCOMPARE(double(back.Gain), 1.2); // 1.25 travels as 12 tenths
        QCOMPARE(double(back.TimeTi), 4.0);
        QCOMPARE(double(back.TimeTd), -2.0);
        QCOMPARE(double(back.Period), 2.0); // 2.5 travels as 2
    }

    void alarmItem() {
        auto a = Filled<TAlarmRecord>(0);
        a.Message.SetText("HOT");
        a.DelayTime = 600;
        a.AlarmStatus = 1;
        a.RelayLogic = 3;
        a.RelayOutputs[1] = 1;
        a.RelayOutputs[8] = 1;
        QCOMPARE(HexOf(EncodeAlarmItem(a, 0)), NameHex("48 4F 54") + " 02 58 01 03 02 01 00 00");

        const ByteVector wire = Concat({NameWire("48 4F 54"), Bytes("02 58 01 03 02 01 00 00")});
        auto back = Filled<TAlarmRecord>(0);
        DecodeAlarmItem(std::span<const std::uint8_t, AlarmItemSize>(wire.data(), AlarmItemSize),
                        back, 0);
        QCOMPARE(QByteArray::fromStdString(back.Message.Text()), QByteArray("HOT"));
        QCOMPARE(int(back.DelayTime), 600);
        QCOMPARE(int(back.AlarmStatus), 1);
        QCOMPARE(int(back.RelayLogic), 3);
        QCOMPARE(int(back.RelayOutputs[8]), 1);
    }

    void processItems() {
        auto p = Filled<TProcessRecord>(0);
        p.Name.SetText("FILL");
        p.EndCondition = 5;
        p.RelayStates[0] = 1;
        p.RelayStates[9] = 1;
        const std::int16_t presets[5] = {1, -1, 300, 0, 32767};
        for (int i = 0; i < 5; ++i) p.StepPresets[i] = presets[i];
        QCOMPARE(HexOf(EncodeProcessItem(p, 0)), NameHex("46 49 4C 4C") + " 05 01 02 00 00");
        QCOMPARE(HexOf(EncodeProcessParametersItem(p)),
                 QByteArray("00 01 FF FF 01 2C 00 00 7F FF"));

        const ByteVector params = Bytes("00 01 FF FF 01 2C 00 00 7F FF");
        auto back = Filled<TProcessRecord>(0);
        back.Name.SetText("KEEP");
        DecodeProcessParametersItem(std::span<const std::uint8_t, ProcessParametersItemSize>(
                                        params.data(), ProcessParametersItemSize),
                                    back);
        for (int i = 0; i < 5; ++i) QCOMPARE(int(back.StepPresets[i]), int(presets[i]));
        QCOMPARE(QByteArray::fromStdString(back.Name.Text()), QByteArray("KEEP"));
    }

    void stepItem() {
        auto s = Filled<TStepRecord>(0);
        s.Temperature = 85;
        s.Weight = -100;
        s.Rotation = 1200;
        s.Counter = 3;
        s.Vacuum = 70000;
        s.ExtraValue = 7;
        s.OnOffPulse = 1;
        s.VacuumPulse = 2;
        s.ProcessNumber = 5;
        s.Hours = 1;
        s.Minutes = 30;
        s.WorkTime = 10;
        s.PauseTime = 5;
        const QByteArray sixteen("00 55 FF 9C 04 B0 00 03 11 70 07 01 02 04 01 1E");
        QCOMPARE(Hex(EncodeStepItem(s, 20)), sixteen + " 00 0A 00 05");
        QCOMPARE(Hex(EncodeStepItem(s, 16)), sixteen);

        auto back = Filled<TStepRecord>(0);
        back.WorkTime = 77;
        DecodeStepItem(Bytes(sixteen), back);
        QCOMPARE(int(back.Temperature), 85);
        QCOMPARE(int(back.Weight), -100); // read as signed
        QCOMPARE(int(back.Vacuum), 0x1170);
        QCOMPARE(int(back.OnOffPulse), 1);
        QCOMPARE(int(back.VacuumPulse), 2);
        QCOMPARE(int(back.ProcessNumber), 5);
        QCOMPARE(int(back.Minutes), 30);
        QCOMPARE(int(back.WorkTime), 77); // 16-byte steps carry no work time
        DecodeStepItem(Bytes(sixteen + " 00 0A 00 05"), back);
        QCOMPARE(int(back.WorkTime), 10);
        QCOMPARE(int(back.PauseTime), 5);
    }

    void processNumberOfStep_data() {
        QTest::addColumn<int>("processNumber");
        QTest::addColumn<int>("wire");
        QTest::addColumn<int>("readBack");
        QTest::newRow("0 is sent as 0") << 0 << 0x00 << 1;
        QTest::newRow("1 is sent as 0") << 1 << 0x00 << 1;
        QTest::newRow("2 is sent as 1") << 2 << 0x01 << 2;
        QTest::newRow("16 is sent as 15") << 16 << 0x0F << 16;
    }
    void processNumberOfStep() {
        QFETCH(int, processNumber);
        QFETCH(int, wire);
        QFETCH(int, readBack);
        auto s = Filled<TStepRecord>(0);
        s.ProcessNumber = processNumber;
        const ByteVector item = EncodeStepItem(s, 16);
        QCOMPARE(int(item[13]), wire);
        auto back = Filled<TStepRecord>(0);
        DecodeStepItem(item, back);
        QCOMPARE(int(back.ProcessNumber), readBack);
    }

    void programLayout_data() {
        QTest::addColumn<int>("blockCount");
        QTest::addColumn<int>("stepsPerPart");
        QTest::addColumn<int>("stepSize");
        QTest::addColumn<int>("replyLength");
        QTest::newRow("P=2: fifteen 16-byte steps") << 2 << 15 << 16 << 267;
        QTest::newRow("P=3: ten 20-byte steps") << 3 << 10 << 20 << 227;
        QTest::newRow("P=1: the whole program") << 1 << 30 << 16 << 507;
        QTest::newRow("P=4: 7.5 rounds to 8") << 4 << 8 << 20 << 187;
        QTest::newRow("P=0 counts as 1") << 0 << 30 << 16 << 507;
        QTest::newRow("P=-2 counts as 1") << -2 << 30 << 16 << 507;
    }
    void programLayout() {
        QFETCH(int, blockCount);
        QFETCH(int, stepsPerPart);
        QFETCH(int, stepSize);
        QFETCH(int, replyLength);
        const ProgramPartLayout layout = ProgramLayoutFor(blockCount);
        QCOMPARE(layout.stepsPerPart, stepsPerPart);
        QCOMPARE(int(layout.stepSize), stepSize);
        QCOMPARE(int(BuildReadProgramRequest(0, 0, blockCount).replyLength), replyLength);
        const auto program = Filled<TProgramRecord>(0);
        QCOMPARE(int(BuildWriteProgramRequest(program, 0, blockCount, 0).payload.size()),
                 replyLength - 11);
    }

    void programPartPayload() {
        auto program = Filled<TProgramRecord>(0);
        program.Name.SetText("WASH");
        program.Number = 101;
        for (int k = 0; k < StepCount; ++k) program.Steps[k].Temperature = k + 1;
        const ByteVector part = EncodeProgramPart(program, 1, 3, 0);
        QCOMPARE(part.size(), std::size_t(16 + 10 * 20));
        QCOMPARE(Hex(std::span(part).first(16)), "01 64 " + NameHex("57 41 53 48"));
        for (int i = 0; i < 10; ++i) // part 1 of 3 carries steps 11 to 20
            QCOMPARE(int(ReadI16(part, 16 + std::size_t(i) * 20)), 11 + i);
    }

    // A part whose steps would run past step 30 sends zeros for them and never touches the
    // bytes after the last step (Number and the reserved bytes) on reading.
    void programPartsStayWithinThirtySteps_data() {
        QTest::addColumn<int>("blockCount");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("firstStep"); // 1-based step of the part's first item
        QTest::newRow("P=4 part 3: steps 25 to 32") << 4 << 3 << 25;
        QTest::newRow("P=1 part 1: beyond the program") << 1 << 1 << 31;
        QTest::newRow("P=2 part 2: beyond the program") << 2 << 2 << 31;
        QTest::newRow("P=0 part 0: whole program") << 0 << 0 << 1;
        QTest::newRow("negative part") << 2 << -1 << -14;
    }
    void programPartsStayWithinThirtySteps() {
        QFETCH(int, blockCount);
        QFETCH(int, part);
        QFETCH(int, firstStep);
        const ProgramPartLayout layout = ProgramLayoutFor(blockCount);

        auto program = Filled<TProgramRecord>(0);
        for (int k = 0; k < StepCount; ++k) program.Steps[k].Temperature = k + 1;
        program.Number = 0x01020304;
        std::memset(program.Reserved2696, 0xEE, sizeof program.Reserved2696);
        const ByteVector sent = EncodeProgramPart(program, part, blockCount, 0);
        QCOMPARE(sent.size(), 16 + std::size_t(layout.stepsPerPart) * layout.stepSize);
        for (int i = 0; i < layout.stepsPerPart; ++i) {
            const int step = firstStep + i;
            const auto item =
                std::span(sent).subspan(16 + std::size_t(i) * layout.stepSize, layout.stepSize);
            if (step >= 1 && step <= StepCount)
                QCOMPARE(int(ReadI16(item, 0)), step);
            else
                QCOMPARE(Hex(item), Hex(Repeat(0, layout.stepSize)));
        }

        ByteVector data = Concat({Bytes("00 09"), NameWire("41")});
        for (int i = 0; i < layout.stepsPerPart; ++i) {
            ByteVector item = Repeat(0xEE, layout.stepSize);
            item[0] = 0;
            item[1] = static_cast<std::uint8_t>(100 + i);
            data.insert(data.end(), item.begin(), item.end());
        }
        auto back = Filled<TProgramRecord>(0);
        DecodeProgramPart(data, back, part, blockCount, 0);
        QCOMPARE(int(back.Number), 10);
        for (int k = 1; k <= StepCount; ++k) {
            const int i = k - firstStep;
            const int expected = (i >= 0 && i < layout.stepsPerPart) ? 100 + i : 0;
            QCOMPARE(int(back.Steps[k - 1].Temperature), expected);
        }
        QCOMPARE(Hex(std::span(back.Reserved2696)), Hex(Repeat(0, sizeof back.Reserved2696)));
    }

    void programPartReadBack() {
        // The first of two parts of program 8 ("MIX" between 0x00 and 0xFF bytes).
        ByteVector data = Concat({Bytes("00 07"), NameWire("FF 4D 49 FF 58", 0xFF)});
        for (int i = 0; i < 15; ++i) {
            ByteVector item(16, 0);
            item[1] = static_cast<std::uint8_t>(i + 1);
            data.insert(data.end(), item.begin(), item.end());
        }
        auto program = Filled<TProgramRecord>(0);
        program.Name.SetText("AN OLD LONGER NAME");
        DecodeProgramPart(data, program, 0, 2, 0);
        QCOMPARE(int(program.Number), 8);
        QCOMPARE(QByteArray::fromStdString(program.Name.Text()), QByteArray("MIX"));
        QCOMPARE(QByteArray(program.Name.Chars + 3, 5), QByteArray(5, '\0'));
        QCOMPARE(int(program.Steps[14].Temperature), 15);
        QCOMPARE(int(program.Steps[0].ProcessNumber), 1);
        QCOMPARE(int(program.Steps[15].Temperature), 0);
    }

    void setupWrite() {
        auto setup = Filled<TSetupBlock>(0);
        setup.Words[0] = 0x7777; // never sent
        setup.Words[1] = 0x0102;
        setup.Words[99] = 501;
        setup.Words[100] = -2;
        const ByteVector payload = BuildWriteSetupParametersRequest(setup).payload;
        QCOMPARE(payload.size(), std::size_t(202));
        QCOMPARE(Hex(std::span(payload).first(4)), QByteArray("00 00 01 02"));
        QCOMPARE(Hex(std::span(payload).subspan(198, 4)), QByteArray("01 F5 FF FE"));
    }

    void setupReadLeavesWord100Zero() {
        ByteVector data;
        for (int i = 0; i < 100; ++i) AppendU16(data, i == 0 ? 0xFFFF : i * 3);
        auto setup = Filled<TSetupBlock>(0x5A);
        DecodeSetupParameters(data, setup);
        QCOMPARE(int(setup.Words[0]), -1);
        QCOMPARE(int(setup.Words[99]), 297);
        QCOMPARE(int(setup.Words[100]), 0);
    }

    void passwords() {
        auto block = Filled<TPasswordBlock>(0);
        block.Slots[0].SetText("AB");
        block.Slots[1].SetText("ABCDEFGHIJ");
        block.Slots[36].SetText("XYZXYZ");
        block.Slots[37].SetText("NOTSENT");
        block.Slots[2].Length = 200; // clamped to the slot's ten characters
        std::memcpy(block.Slots[2].Chars, "0123456789", 10);
        const ByteVector payload = BuildWritePasswordsRequest(block).payload;
        QCOMPARE(payload.size(), std::size_t(222));
        QCOMPARE(Hex(std::span(payload).first(18)),
                 QByteArray("41 42 00 00 00 00 41 42 43 44 45 46 30 31 32 33 34 35"));
        QCOMPARE(Hex(std::span(payload).last(6)), QByteArray("58 59 5A 58 59 5A"));

        ByteVector data = Repeat(0x31, 222);
        const ByteVector two = Bytes("41 42 00 00 00 00");
        std::copy(two.begin(), two.end(), data.begin());
        auto back = Filled<TPasswordBlock>(0x77);
        DecodePasswords(data, back);
        QCOMPARE(int(back.Slots[0].Length), 6);
        QCOMPARE(QByteArray::fromStdString(back.Slots[0].Text()), QByteArray("AB\0\0\0\0", 6));
        QCOMPARE(QByteArray::fromStdString(back.Slots[36].Text()), QByteArray("111111"));
        QCOMPARE(int(back.Slots[0].Chars[6]), 0);
        QCOMPARE(int(back.Slots[37].Length), 0);
        QCOMPARE(int(back.Slots[49].Chars[9]), 0);
    }

    void clock_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("2003") << 2003 << QByteArray("03 03 05 0E 07 09");
        QTest::newRow("1999 as its low byte") << 1999 << QByteArray("CF 03 05 0E 07 09");
        QTest::newRow("2100 modulo 100") << 2100 << QByteArray("00 03 05 0E 07 09");
    }
    void clock() {
        QFETCH(int, year);
        QFETCH(QByteArray, wire);
        QCOMPARE(HexOf(EncodeClock({year, 3, 5, 14, 7, 9})), wire);
    }

    void panelPageAddress_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("page 0") << 0 << QByteArray("00 00");
        QTest::newRow("page 3 is 792") << 3 << QByteArray("03 18");
        QTest::newRow("page 248 is the last below 64 K") << 248 << QByteArray("FF C0");
        QTest::newRow("page 250 cut to 16 bits") << 250 << QByteArray("01 D0");
    }
    void panelPageAddress() {
        QFETCH(int, page);
        QFETCH(QByteArray, wire);
        QCOMPARE(HexOf(EncodePanelPageAddress(page)), wire);
    }

    void panelPageData_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("dataBytes"); // how many of the 264 are the caller's
        QTest::newRow("100 bytes and 164 blanks") << 100 << 100;
        QTest::newRow("a full page") << 264 << 264;
        QTest::newRow("cut to 264") << 300 << 264;
        QTest::newRow("empty is all blanks") << 0 << 0;
    }
    void panelPageData() {
        QFETCH(int, length);
        QFETCH(int, dataBytes);
        const std::string data(std::size_t(length), 'x');
        const std::string page = PanelPageData(data);
        QCOMPARE(page.size(), PanelPageSize);
        QCOMPARE(QByteArray::fromStdString(page),
                 QByteArray(dataBytes, 'x') + QByteArray(264 - dataBytes, ' '));
    }

    void statusFields() {
        ByteVector reply(64, 0);
        reply[0] = 1;
        reply[5] = 3;
        reply[6] = 12;
        reply[7] = 31;
        reply[8] = 23;
        reply[9] = 59;
        reply[10] = 58;
        reply[11] = 0xFF; // temperature -20.0
        reply[12] = 0x38;
        reply[15] = 77;
        reply[17] = 0xFF; // last recording address, unsigned
        reply[18] = 0xFE;
        reply[19] = 0x01;
        reply[20] = 0x00;
        reply[32] = 0x05; // rotation 140.0
        reply[33] = 0x78;
        reply[43] = 0x01; // channel 3: 50.0
        reply[44] = 0xF4;
        reply[45] = 0x00; // channel 5: 0.5
        reply[46] = 0x05;
        reply[47] = 0x00; // channel 4: 1.0
        reply[48] = 0x0A;
        reply[57] = 0x80; // channel 10: -3276.8
        reply[58] = 0x00;
        reply[39] = 0x39;
        reply[42] = 0x42;
        reply[60] = 0x60;
        const TControllerStatus s = DecodeControllerStatus(reply);
        QCOMPARE(int(s.Year), 2003);
        QCOMPARE(int(s.Month), 12);
        QCOMPARE(int(s.Day), 31);
        QCOMPARE(int(s.Hour), 23);
        QCOMPARE(int(s.Minute), 59);
        QCOMPARE(int(s.Second), 58);
        QCOMPARE(double(s.Temperature), -20.0);
        QCOMPARE(int(s.Vacuum), 77);
        QCOMPARE(int(s.LastRecordingAddress), 65534);
        QCOMPARE(int(s.PreviousRecordingAddress), 256);
        QCOMPARE(int(s.RecordingCounter), 0);
        QCOMPARE(double(s.Rotation), 140.0);
        QCOMPARE(double(s.Channel3), 50.0);
        QCOMPARE(double(s.Channel4), 1.0);
        QCOMPARE(double(s.Channel5), 0.5);
        QCOMPARE(double(s.Channel10), -3276.8);
        QCOMPARE(double(s.Channel11), -300.0);
        QCOMPARE(double(s.Channel12), -300.0);
        QCOMPARE(int(s.StatusByte39), 0x39);
        QCOMPARE(int(s.StatusByte42), 0x42);
        QCOMPARE(int(s.StatusByte60), 0x60);
    }

    void statusModeAndPanel_data() {
        QTest::addColumn<int>("byte22");
        QTest::addColumn<int>("byte61");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("panelReady");
        QTest::newRow("C1 is mode 1, STOP") << 0xC1 << 1 << 1 << true << true;
        QTest::newRow("mode 0") << 0x00 << 0 << 0 << true << false;
        QTest::newRow("mode 2 runs") << 0x02 << 2 << 2 << false << false;
        QTest::newRow("only the low six bits") << 0x7F << 0xFF << 63 << false << false;
        QTest::newRow("40 is mode 0") << 0x40 << 1 << 0 << true << true;
    }
    void statusModeAndPanel() {
        QFETCH(int, byte22);
        QFETCH(int, byte61);
        QFETCH(int, mode);
        QFETCH(bool, stop);
        QFETCH(bool, panelReady);
        ByteVector reply(64, 0);
        reply[22] = std::uint8_t(byte22);
        reply[61] = std::uint8_t(byte61);
        const TControllerStatus s = DecodeControllerStatus(reply);
        QCOMPARE(int(s.Mode), mode);
        QCOMPARE(IsStopMode(s), stop);
        QCOMPARE(bool(s.PanelReady), panelReady);
    }
};

QTEST_APPLESS_MAIN(TestCommandEncoding)
#include "tst_commands.moc"
