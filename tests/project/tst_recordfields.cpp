// The field tables of the records and the comparison that reads them: every table describes
// its record exactly, the comparison looks at exactly the bytes the project-to-controller
// comparison names, texts and reals compare by value there, and every-byte mode catches
// every byte.

#include "project/RecordFields.h"
#include "project/Records.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

using namespace zyl;

Q_DECLARE_METATYPE(const zyl::RecordLayout*)
Q_DECLARE_METATYPE(zyl::CompareMode)

namespace {

std::span<const std::uint8_t> U(const QByteArray& b) {
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())};
}

template <class Record> QByteArray BytesOf(const Record& r) {
    return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}

const FieldDesc& FieldNamed(const RecordLayout& layout, std::string_view name) {
    for (const FieldDesc& f : layout.fields)
        if (f.name == name) return f;
    qFatal("no field %s", std::string(name).c_str());
}

// Byte ranges [first, last] compared for every record, and the offsets of its compared texts.
struct Compared {
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> texts;
};

// Random bytes, with every compared text "Ab" followed by non-blank filler and the given
// reals set to non-zero values (a flipped byte of 0.0 can give -0.0, equal by value).
QByteArray BaseRecord(std::size_t size, const Compared& compared, std::vector<int> reals,
                      unsigned seed) {
    std::mt19937 random(seed);
    QByteArray b(qsizetype(size), '\0');
    for (char& c : b) c = char(random() & 0xFF);
    for (const int t : compared.texts) {
        b[t] = 2;
        b[t + 1] = 'A';
        b[t + 2] = 'b';
        for (int i = t + 3; i < t + 31; ++i) b[i] = 'x';
    }
    double value = 1.5;
    for (const int r : reals) {
        std::memcpy(b.data() + r, &value, sizeof value);
        value = -value * 3.25;
    }
    return b;
}

QString Describe(const std::vector<FieldDifference>& diffs) {
    QStringList lines;
    for (const FieldDifference& d : diffs)
        lines << QString::fromStdString(d.path + ": " + d.left + " | " + d.right);
    return lines.join('\n');
}

} // namespace

class TestRecordFields : public QObject {
    Q_OBJECT

private slots:
    // Every table lists its record's bytes once, in order; element kinds have their widths,
    // sub-record arrays point at a table of their stride, and no two fields share a path.
    void tablesCoverRecords_data() {
        QTest::addColumn<const RecordLayout*>("layout");
        QTest::addColumn<int>("size");
        QTest::newRow("setup") << &LayoutOf<TSetupBlock>() << int(sizeof(TSetupBlock));
        QTest::newRow("relay") << &LayoutOf<TRelayRecord>() << int(sizeof(TRelayRecord));
        QTest::newRow("process") << &LayoutOf<TProcessRecord>() << int(sizeof(TProcessRecord));
        QTest::newRow("step") << &LayoutOf<TStepRecord>() << int(sizeof(TStepRecord));
        QTest::newRow("program") << &LayoutOf<TProgramRecord>() << int(sizeof(TProgramRecord));
        QTest::newRow("alarm") << &LayoutOf<TAlarmRecord>() << int(sizeof(TAlarmRecord));
        QTest::newRow("special status")
            << &LayoutOf<TSpecialStatusRecord>() << int(sizeof(TSpecialStatusRecord));
        QTest::newRow("analog output")
            << &LayoutOf<TAnalogOutputRecord>() << int(sizeof(TAnalogOutputRecord));
        QTest::newRow("pid") << &LayoutOf<TPidRecord>() << int(sizeof(TPidRecord));
        QTest::newRow("passwords") << &LayoutOf<TPasswordBlock>() << int(sizeof(TPasswordBlock));
    }
    void tablesCoverRecords() {
        QFETCH(const RecordLayout*, layout);
        QFETCH(int, size);
        QCOMPARE(int(layout->size), size);
        std::size_t next = 0;
        std::set<std::string> paths;
        for (const FieldDesc& f : layout->fields) {
            const QString name = QString::fromUtf8(f.name.data(), qsizetype(f.name.size()));
            QVERIFY2(!name.isEmpty(), "a field without a name");
            QCOMPARE(f.offset, next);
            QCOMPARE(f.width, f.elementWidth * f.count);
            QVERIFY2(f.count >= 1, qPrintable(name));
            next = f.offset + f.width;
            switch (f.kind) {
            case FieldKind::Signed:
            case FieldKind::Unsigned:
                QVERIFY2(f.elementWidth == 1 || f.elementWidth == 2 || f.elementWidth == 4,
                         qPrintable(name));
                break;
            case FieldKind::Real:
                QCOMPARE(f.elementWidth, std::size_t(8));
                break;
            case FieldKind::Text:
                QVERIFY2(f.elementWidth >= 2 && f.elementWidth <= 256, qPrintable(name));
                break;
            case FieldKind::Bytes:
                QCOMPARE(f.count, std::size_t(1));
                break;
            case FieldKind::Records:
                QVERIFY2(f.records != nullptr, qPrintable(name));
                QCOMPARE(f.records->size, f.elementWidth);
                break;
            }
            if (f.kind != FieldKind::Records) QVERIFY2(f.records == nullptr, qPrintable(name));
            for (std::size_t e = 0; e < f.count; ++e) {
                std::string path(f.name);
                if (f.count > 1) path += '[' + std::to_string(f.firstIndex + e) + ']';
                QVERIFY2(paths.insert(path).second, path.c_str());
            }
        }
        QCOMPARE(next, layout->size);
    }

    // Flipping any one byte changes the verdict exactly where the comparison looks: the
    // compared ranges, and of each compared text its length byte and its characters only.
    // Every-byte mode reports every flip, as exactly one difference.
    void singleByteFlips_data() {
        QTest::addColumn<const RecordLayout*>("layout");
        QTest::addColumn<QByteArray>("base");
        QTest::addColumn<QByteArray>("expected"); // 1 where a flip is a difference

        auto row = [](const char* name, const RecordLayout& layout, const Compared& compared,
                      std::vector<int> reals) {
            const QByteArray base = BaseRecord(layout.size, compared, reals, 7);
            QByteArray expected(qsizetype(layout.size), '\0');
            for (const auto& [first, last] : compared.ranges)
                for (int i = first; i <= last; ++i) expected[i] = 1;
            for (const int t : compared.texts)
                for (int i = t; i <= t + 2; ++i) expected[i] = 1;
            QTest::newRow(name) << &layout << base << expected;
        };
        row("setup", LayoutOf<TSetupBlock>(), {{{0, 139}}, {}}, {});
        row("relay", LayoutOf<TRelayRecord>(), {{{0, 3}, {36, 75}}, {4}}, {});
        row("process", LayoutOf<TProcessRecord>(), {{{0, 3}, {36, 39}, {40, 103}, {104, 113}}, {4}},
            {});
        row("alarm", LayoutOf<TAlarmRecord>(),
            {{{0, 3}, {36, 39}, {40, 43}, {44, 47}, {48, 111}}, {4}}, {});
        row("special status", LayoutOf<TSpecialStatusRecord>(),
            {{{0, 3}, {56, 59}, {60, 63}, {64, 127}}, {4}}, {});
        row("program", LayoutOf<TProgramRecord>(), {{{52, 2691}, {2692, 2695}}, {0}}, {});
        row("analog output", LayoutOf<TAnalogOutputRecord>(),
            {{{102, 103},
              {104, 105},
              {106, 107},
              {108, 111},
              {112, 115},
              {116, 119},
              {120, 123},
              {128, 135},
              {136, 143},
              {144, 151},
              {152, 159},
              {160, 163},
              {164, 167},
              {168, 171},
              {172, 175}},
             {0}},
            {128, 136, 144, 152});
        row("pid", LayoutOf<TPidRecord>(),
            {{{102, 103},
              {104, 105},
              {106, 107},
              {128, 135},
              {136, 143},
              {144, 151},
              {152, 159},
              {160, 167}},
             {}},
            {128, 136, 144, 152, 160});
        row("passwords", LayoutOf<TPasswordBlock>(), {}, {});
    }
    void singleByteFlips() {
        QFETCH(const RecordLayout*, layout);
        QFETCH(QByteArray, base);
        QFETCH(QByteArray, expected);
        QVERIFY(RecordsEqual(*layout, U(base), U(base)));
        QVERIFY(RecordsEqual(*layout, U(base), U(base), CompareMode::EveryByte));
        for (qsizetype i = 0; i < base.size(); ++i) {
            QByteArray flipped = base;
            flipped[i] = char(flipped[i] ^ 0xFF);
            const bool differs = !RecordsEqual(*layout, U(base), U(flipped));
            if (differs != bool(expected[i]))
                QFAIL(qPrintable(QString("byte %1: %2").arg(i).arg(differs ? "differs" : "equal")));
            const auto every =
                CompareRecords(*layout, U(base), U(flipped), {CompareMode::EveryByte});
            if (every.size() != 1)
                QFAIL(qPrintable(
                    QString("byte %1 in every-byte mode:\n%2").arg(i).arg(Describe(every))));
        }
    }

    // Texts are compared without leading and trailing blanks, up to their length byte
    // (clamped to the capacity); every-byte mode sees the bytes as they lie.
    void textsByValue_data() {
        QTest::addColumn<QByteArray>("left"); // the length byte, then the characters
        QTest::addColumn<QByteArray>("right");
        QTest::addColumn<bool>("equalByValue");
        QTest::addColumn<bool>("equalByBytes");
        QTest::newRow("same") << QByteArray("\x04Pump") << QByteArray("\x04Pump") << true << true;
        QTest::newRow("trailing blanks")
            << QByteArray("\x04Pump") << QByteArray("\x06Pump  ") << true << false;
        QTest::newRow("leading blanks")
            << QByteArray("\x06  Pump") << QByteArray("\x04Pump") << true << false;
        QTest::newRow("blanks only vs empty")
            << QByteArray("\x03   ") << QByteArray("\x00", 1) << true << false;
        QTest::newRow("bytes beyond the length")
            << QByteArray("\x04Pumpxyz") << QByteArray("\x04Pumpabc") << true << false;
        QTest::newRow("shorter length")
            << QByteArray("\x04Pump") << QByteArray("\x03Pump") << false << false;
        QTest::newRow("inner blank")
            << QByteArray("\x05Pu mp") << QByteArray("\x04Pump") << false << false;
        QTest::newRow("case") << QByteArray("\x04Pump") << QByteArray("\x04pump") << false << false;
        QTest::newRow("no-break space is no blank")
            << QByteArray("\x05Pump\xA0") << QByteArray("\x04Pump") << false << false;
        QTest::newRow("length above the capacity")
            << QByteArray("\xFF" + QByteArray(30, 'z')) << QByteArray("\x1E" + QByteArray(30, 'z'))
            << true << false;
    }
    void textsByValue() {
        QFETCH(QByteArray, left);
        QFETCH(QByteArray, right);
        QFETCH(bool, equalByValue);
        QFETCH(bool, equalByBytes);
        TRelayRecord a{};
        TRelayRecord b{};
        std::memcpy(&a.Name, left.constData(), std::size_t(left.size()));
        std::memcpy(&b.Name, right.constData(), std::size_t(right.size()));
        QCOMPARE(RecordsEqual(a, b), equalByValue);
        QCOMPARE(RecordsEqual(a, b, CompareMode::EveryByte), equalByBytes);
        if (!equalByValue) QCOMPARE(Describe(CompareRecords(a, b)).section(':', 0, 0), "Name");
    }

    // Reals are compared by value where the comparison names them, byte for byte in
    // every-byte mode (the washing program's whole record).
    void realsByValue_data() {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("right");
        QTest::addColumn<bool>("equalByValue");
        QTest::addColumn<bool>("equalByBytes");
        QTest::newRow("same") << 1.5 << 1.5 << true << true;
        QTest::newRow("zero and minus zero") << 0.0 << -0.0 << true << false;
        QTest::newRow("NaN in both") << nan << nan << false << true;
        QTest::newRow("one ulp apart") << 0.1 << std::nextafter(0.1, 1.0) << false << false;
    }
    void realsByValue() {
        QFETCH(double, left);
        QFETCH(double, right);
        QFETCH(bool, equalByValue);
        QFETCH(bool, equalByBytes);
        TAnalogOutputRecord a{};
        TAnalogOutputRecord b{};
        a.TimeTd = left;
        b.TimeTd = right;
        QCOMPARE(RecordsEqual(a, b), equalByValue);
        QCOMPARE(RecordsEqual(a, b, CompareMode::EveryByte), equalByBytes);
        TPidRecord p{};
        TPidRecord q{};
        p.Period = left;
        q.Period = right;
        QCOMPARE(RecordsEqual(p, q), equalByValue);
        QCOMPARE(RecordsEqual(p, q, CompareMode::EveryByte), equalByBytes);
    }

    // What a difference reports: the path of the element, both values as text (hex where the
    // texts are the same), in offset order, only the first when asked.
    void differenceReports_data() {
        QTest::addColumn<const RecordLayout*>("layout");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QByteArray>("right");
        QTest::addColumn<CompareMode>("mode");
        QTest::addColumn<bool>("stopAtFirst");
        QTest::addColumn<QString>("expected");

        const auto fields = CompareMode::ComparedFields;
        const auto every = CompareMode::EveryByte;
        auto row = [](const char* name, const auto& a, const auto& b, CompareMode mode, bool stop,
                      const char* expected) {
            QTest::newRow(name) << &LayoutOf<std::decay_t<decltype(a)>>() << BytesOf(a)
                                << BytesOf(b) << mode << stop << QString::fromUtf8(expected);
        };
        {
            TRelayRecord a{};
            TRelayRecord b{};
            b.TimeTa = -7;
            b.UpperHysteresis = 5;
            b.Reserved76[0] = 1;
            row("relay", a, b, fields, false, "Ta: 0 | -7\nUpper hysteresis: 0 | 5");
            row("relay, first only", a, b, fields, true, "Ta: 0 | -7");
            row("relay, every byte", a, b, every, false,
                "Ta: 0 | -7\nUpper hysteresis: 0 | 5\nReserved 76: "
                "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 | "
                "01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
        }
        {
            TProcessRecord a{};
            TProcessRecord b{};
            b.RelayStates[4] = 1;
            b.StepPresets[2] = -2;
            row("process", a, b, fields, false, "Relay states[4]: 0 | 1\nStep presets[2]: 0 | -2");
        }
        {
            TProgramRecord a{};
            TProgramRecord b{};
            b.Steps[3].Temperature = 250;
            b.Steps[29].Reserved80[7] = 0xAB;
            b.Reserved2696[0] = 1;
            row("program steps", a, b, fields, false,
                "Steps[3].Temperature: 0 | 250\nSteps[29].Reserved 80: 00 00 00 00 00 00 00 00 | "
                "00 00 00 00 00 00 00 AB");
        }
        {
            TSetupBlock a{};
            TSetupBlock b{};
            b.Words[17] = 3;
            b.Words[75] = -9;
            row("setup", a, b, fields, false, "Words[17]: 0 | 3");
            row("setup, every byte", a, b, every, false, "Words[17]: 0 | 3\nWords[75]: 0 | -9");
        }
        {
            TPasswordBlock a{};
            a.Slots[2].SetText("abc");
            TPasswordBlock b = a;
            b.Slots[2].Chars[5] = 'z';
            row("text bytes beyond its length", a, b, every, false,
                "Slots[2]: 03 61 62 63 00 00 00 00 00 00 00 | 03 61 62 63 00 00 7A 00 00 00 00");
        }
        {
            TAnalogOutputRecord a{};
            TAnalogOutputRecord b{};
            b.Sample = -0.0;
            a.Gain = std::bit_cast<double>(std::uint64_t(0x7FF8000000000001));
            b.Gain = std::bit_cast<double>(std::uint64_t(0x7FF8000000000000));
            row("reals", a, b, fields, false,
                "Gain: 01 00 00 00 00 00 F8 7F | 00 00 00 00 00 00 F8 7F");
            row("reals, every byte", a, b, every, false,
                "Sample: 0 | -0\nGain: 01 00 00 00 00 00 F8 7F | 00 00 00 00 00 00 F8 7F");
        }
    }
    void differenceReports() {
        QFETCH(const RecordLayout*, layout);
        QFETCH(QByteArray, left);
        QFETCH(QByteArray, right);
        QFETCH(CompareMode, mode);
        QFETCH(bool, stopAtFirst);
        QFETCH(QString, expected);
        QCOMPARE(Describe(CompareRecords(*layout, U(left), U(right), {mode, stopAtFirst})),
                 expected);
    }

    // The value text of an element: texts as their bytes up to the clamped length, integers
    // in decimal by their width and sign, reals in their shortest form, raw bytes in hex.
    void valueTexts_data() {
        QTest::addColumn<const RecordLayout*>("layout");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const auto& r, const char* field, int element,
                      const QString& expected) {
            QTest::newRow(name) << &LayoutOf<std::decay_t<decltype(r)>>() << BytesOf(r)
                                << QString(field) << element << expected;
        };
        {
            TRelayRecord r{};
            r.Number = -5;
            r.Name.SetText("Pump");
            r.ChannelWordHigh = 0xFFFF;
            r.Reserved56 = std::int32_t(0x10FF7F00);
            row("name", r, "Name", 0, "Pump");
            row("signed 32", r, "Number", 0, "-5");
            row("unsigned 16", r, "Channel word high half", 0, "65535");
            row("raw bytes", r, "Reserved 56", 0, "00 7F FF 10");
        }
        {
            TProcessRecord r{};
            r.StepPresets[0] = 32767;
            r.StepPresets[3] = -2;
            row("array element", r, "Step presets", 3, "-2");
            row("first array element", r, "Step presets", 0, "32767");
        }
        {
            TAlarmRecord r{};
            r.Message.Length = 200;
            std::memset(r.Message.Chars, 'm', sizeof r.Message.Chars);
            row("length above the capacity", r, "Message", 0, QString(30, 'm'));
        }
        {
            TAnalogOutputRecord r{};
            r.Gain = 0.1;
            r.TimeTi = -0.0;
            r.TimeTd = 1e300;
            r.PidNumber = 200;
            r.SpecialSetValues[3] = std::numeric_limits<std::int32_t>::min();
            row("real, shortest", r, "Gain", 0, "0.1");
            row("minus zero", r, "Ti", 0, "-0");
            row("large real", r, "Td", 0, "1e+300");
            row("unsigned 8", r, "PID number", 0, "200");
            row("lowest 32-bit", r, "Special set values", 3, "-2147483648");
        }
    }
    void valueTexts() {
        QFETCH(const RecordLayout*, layout);
        QFETCH(QByteArray, record);
        QFETCH(QString, field);
        QFETCH(int, element);
        QFETCH(QString, expected);
        const std::string name = field.toStdString();
        QCOMPARE(QString::fromStdString(
                     FieldValueText(FieldNamed(*layout, name), U(record), std::size_t(element))),
                 expected);
    }

    // Spans too short for the record, and elements outside a field, are refused.
    void outsideTheRecordRefused() {
        const RecordLayout& relay = LayoutOf<TRelayRecord>();
        const QByteArray whole(qsizetype(relay.size), '\0');
        const QByteArray shorter = whole.left(whole.size() - 1);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 (void)CompareRecords(relay, U(whole), U(shorter)));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 (void)RecordsEqual(relay, U(shorter), U(whole)));
        const FieldDesc& last = relay.fields.back();
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)FieldValueText(last, U(shorter)));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)FieldValueText(last, U(whole), 1));
    }
};

QTEST_GUILESS_MAIN(TestRecordFields)
#include "tst_recordfields.moc"
