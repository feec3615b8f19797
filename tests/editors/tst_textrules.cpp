#include "editors/TextRules.h"

#include <QtTest>

#include <clocale>

using namespace zyl;

namespace {
std::string_view View(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}
QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

class TestTextRules : public QObject {
    Q_OBJECT
private slots:
    void foldDiacritics_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        // Code page 1250 bytes of the Polish letters and their base letters.
        const char* pairs[][2] = {
            {"\x8C", "S"}, {"\x8F", "Z"}, {"\xAF", "Z"}, {"\x9C", "s"}, {"\x9F", "z"},
            {"\xBF", "z"}, {"\xA3", "L"}, {"\xA5", "A"}, {"\xB3", "l"}, {"\xB9", "a"},
            {"\xC6", "C"}, {"\xCA", "E"}, {"\xD1", "N"}, {"\xD3", "O"}, {"\xE6", "c"},
            {"\xEA", "e"}, {"\xF1", "n"}, {"\xF3", "o"},
        };
        for (const auto& p : pairs)
            QTest::addRow("%02X", unsigned(static_cast<unsigned char>(p[0][0])))
                << QByteArray(p[0]) << QByteArray(p[1]);
        QTest::newRow("word") << QByteArray("Zbiornik \xA3\xF3\x64\xBC")
                              << QByteArray("Zbiornik Lod\xBC");
        QTest::newRow("other letters kept") << QByteArray("\x8A\x9A\x8D\x9D\xE8\xC8\xBE\xF6\xE4")
                                            << QByteArray("\x8A\x9A\x8D\x9D\xE8\xC8\xBE\xF6\xE4");
        QTest::newRow("ascii and NUL kept") << QByteArray("a\0Z~", 4) << QByteArray("a\0Z~", 4);
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void foldDiacritics() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Bytes(FoldDiacritics(View(input))).toHex(' '), expected.toHex(' '));
    }

    void checkRange_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("result");
        QTest::newRow("inside") << QByteArray("12.3") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("top bound 25.5") << QByteArray("25.5") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("top bound 25.50") << QByteArray("25.50") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("above top") << QByteArray("25.6") << 0.0 << 25.5 << int(RangeOutside);
        QTest::newRow("just above top")
            << QByteArray("25.500001") << 0.0 << 25.5 << int(RangeOutside);
        QTest::newRow("low bound") << QByteArray("0") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("minus zero") << QByteArray("-0") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("below low") << QByteArray("-0.1") << 0.0 << 25.5 << int(RangeOutside);
        QTest::newRow("negative low bound") << QByteArray("-12.5") << -12.5 << 12.5 << int(RangeOk);
        QTest::newRow("below negative low")
            << QByteArray("-12.6") << -12.5 << 12.5 << int(RangeOutside);
        QTest::newRow("plus sign") << QByteArray("+12.5") << -12.5 << 12.5 << int(RangeOk);
        QTest::newRow("tenth bound") << QByteArray("0.1") << 0.1 << 0.3 << int(RangeOk);
        QTest::newRow("whole number") << QByteArray("200") << 0.0 << 200.0 << int(RangeOk);
        QTest::newRow("whole number above")
            << QByteArray("201") << 0.0 << 200.0 << int(RangeOutside);
        QTest::newRow("leading blanks") << QByteArray("   7") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("leading tab") << QByteArray("\t7") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("exponent") << QByteArray("2.55e1") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("negative exponent") << QByteArray("255E-1") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("exponent with plus") << QByteArray("1e+1") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("no whole digits") << QByteArray(".5") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("no fraction digits") << QByteArray("5.") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("many digits")
            << QByteArray("0000000000000000000000025.5") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("too large for double")
            << QByteArray("1e999") << 0.0 << 25.5 << int(RangeOutside);
        QTest::newRow("too large negative")
            << QByteArray("-1e999") << 0.0 << 25.5 << int(RangeOutside);
        QTest::newRow("many digits, too large")
            << QByteArray(QByteArray(400, '9') + "e-10") << 0.0 << 25.5 << int(RangeOutside);
        QTest::newRow("too small for double is zero")
            << QByteArray("1e-999") << 0.0 << 25.5 << int(RangeOk);
        QTest::newRow("decimal comma") << QByteArray("12,5") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("empty") << QByteArray("") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("blank") << QByteArray(" ") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("two points") << QByteArray("1.2.3") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("letters") << QByteArray("abc") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("trailing blank") << QByteArray("1 ") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("trailing letter") << QByteArray("1a") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("point only") << QByteArray(".") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("sign only") << QByteArray("-") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("sign then blank") << QByteArray("- 1") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("two signs") << QByteArray("+-1") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("exponent without digits")
            << QByteArray("1e") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("exponent sign without digits")
            << QByteArray("1e+") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("exponent alone") << QByteArray("e5") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("inf") << QByteArray("inf") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("nan") << QByteArray("nan") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("hex") << QByteArray("0x10") << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("no-break space in front") << QByteArray("\xA0"
                                                               "5")
                                                 << 0.0 << 25.5 << int(RangeNotNumber);
        QTest::newRow("NUL inside") << QByteArray("1\0"
                                                  "2",
                                                  3)
                                    << 0.0 << 25.5 << int(RangeNotNumber);
    }
    void checkRange() {
        QFETCH(QByteArray, text);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, result);
        QCOMPARE(CheckRange(View(text), low, high), result);
    }

    void parseNumber_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("fraction") << QByteArray("25.5") << true << 25.5;
        QTest::newRow("negative") << QByteArray(" -12.5") << true << -12.5;
        QTest::newRow("whole") << QByteArray("200") << true << 200.0;
        QTest::newRow("exponent") << QByteArray("1.5e2") << true << 150.0;
        QTest::newRow("tenths") << QByteArray("0.3") << true << 0.3;
        QTest::newRow("decimal comma") << QByteArray("12,5") << false << -1.0;
        QTest::newRow("empty") << QByteArray() << false << -1.0;
        QTest::newRow("trailing blank") << QByteArray("1 ") << false << -1.0;
        QTest::newRow("too large") << QByteArray("1e400") << false << -1.0;
    }
    void parseNumber() {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double parsed = -1.0; // left alone when the text is not a number
        QCOMPARE(ParseNumber(View(text), parsed), ok);
        QCOMPARE(parsed, value);
    }

    // The result must not follow the C locale's decimal separator.
    void parseNumberIgnoresLocale() {
        const char* old = std::setlocale(LC_NUMERIC, nullptr);
        const std::string saved = old ? old : "C";
        if (!std::setlocale(LC_NUMERIC, "pl_PL.UTF-8") &&
            !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("no locale with a decimal comma installed");
        double value = 0;
        const bool point = ParseNumber("25.5", value);
        const int comma = CheckRange("12,5", 0, 25.5);
        // What the editors show must read back through their own range check.
        const std::string shown = FormatFixed(-12.5, 1);
        std::setlocale(LC_NUMERIC, saved.c_str());
        QVERIFY(point);
        QCOMPARE(value, 25.5);
        QCOMPARE(comma, int(RangeNotNumber));
        QCOMPARE(QString::fromStdString(shown), QString("-12.5"));
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
