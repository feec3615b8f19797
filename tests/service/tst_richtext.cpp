#include "service/HelpPages.h"
#include "service/RichText.h"
#include "service/SetupParameters.h"

#include <QtTest>

#include <string>

using namespace zyl;

namespace {

std::string_view View(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

// The document's text: paragraphs joined by '|', line breaks as '\n'.
QString TextOf(const RichTextDocument& document) {
    QStringList paragraphs;
    for (const auto& p : document.paragraphs) {
        std::string text;
        for (const auto& r : p.runs) text += r.text;
        paragraphs << QString::fromStdString(text);
    }
    return paragraphs.join(QLatin1Char('|'));
}

QByteArray Nested(int depth, const QByteArray& inner) {
    return QByteArray("{\\rtf1 ") + QByteArray(depth, '{') + inner + QByteArray(depth, '}') +
           " after}";
}

RichTextRun Run(const char* text, RichTextStyle style = {}) {
    return {text, style};
}

} // namespace

class TestRichText : public QObject {
    Q_OBJECT

private slots:
    void readsText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        // Code pages: the document's, a font's charset, and raw 8-bit bytes.
        QTest::newRow("1250 hex") << QByteArray(R"({\rtf1\ansi\ansicpg1250 \'b9\'ea\'9c\'8f})")
                                  << QStringLiteral("ąęśŹ");
        QTest::newRow("1250 raw bytes")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1250 Za\xBF\xF3\xB3\xE6}")
            << QStringLiteral("Zażółć");
        QTest::newRow("1251 document")
            << QByteArray(R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'b8})") << QStringLiteral("Приё");
        QTest::newRow("1252 without ansicpg")
            << QByteArray(R"({\rtf1\ansi \'e9\'80\'9c})") << QStringLiteral("é€œ");
        QTest::newRow("font charsets")
            << QByteArray(R"({\rtf1\ansi\ansicpg1250\deff1{\fonttbl{\f0\fcharset204 C;})"
                          R"({\f1\fcharset238 P;}{\f2\fcharset0 W;}{\f3\fcharset2 S;}})"
                          R"(\'b9\f0\'cf{\f2\'9c}\f3\'9c\plain\'b9})")
            << QStringLiteral("ąПœśą");
        QTest::newRow("flat font table")
            << QByteArray(R"({\rtf1\ansicpg1252{\fonttbl\f0\fcharset238 A;\f1\fcharset204 B;})"
                          R"(\f1\'c0\f0\'c0})")
            << QStringLiteral("АŔ");

        // Unicode escapes and their fallback characters.
        QTest::newRow("u with uc") << QByteArray(R"({\rtf1 a\u8364?b\uc2\u8364??c\uc0\u8364 d})")
                                   << QStringLiteral("a€b€c€d");
        QTest::newRow("uc is kept per group")
            << QByteArray(R"({\rtf1{\uc3\u8364 abc}\u8364?d})") << QStringLiteral("€€d");
        QTest::newRow("hex fallback")
            << QByteArray(R"({\rtf1\ansicpg1250\u321\'a3x})") << QStringLiteral("Łx");
        QTest::newRow("negative N, surrogate pair")
            << QByteArray(R"({\rtf1\u-10179?\u-8704?\u-3?})")
            << QString::fromUtf8("\xF0\x9F\x98\x80\xEF\xBF\xBD");
        QTest::newRow("lone surrogate")
            << QByteArray(R"({\rtf1\u-10179?x\u-8704?})") << QStringLiteral("\uFFFDx\uFFFD");
        QTest::newRow("fallback ends at a brace")
            << QByteArray(R"({\rtf1\uc5{\u8364}xy})") << QStringLiteral("€xy");

        // Control words, symbols and delimiters.
        QTest::newRow("escaped symbols")
            << QByteArray(R"({\rtf1 \\\{\}\~\-\_\tab\emdash\endash\lquote\rquote\ldblquote)"
                          R"(\rdblquote\bullet})")
            << QStringLiteral("\\{}\u00A0\u2011\t—–‘’“”•");
        QTest::newRow("delimiters")
            << QByteArray(R"({\rtf1\b1x\b0  y\tab-x\fs-5 z\i0?})") << QStringLiteral("x y\t-xz?");
        QTest::newRow("overlong control word")
            << QByteArray("{\\rtf1 a\\" + QByteArray(100, 'q') + "5 b}") << QStringLiteral("ab");
        QTest::newRow("bad hex") << QByteArray(R"({\rtf1 a\'zzb\'4})") << QStringLiteral("azzb");
        QTest::newRow("control bytes and CR LF")
            << QByteArray("{\\rtf1 a\x01\0\r\nb\tc}", 16) << QStringLiteral("ab\tc");
        QTest::newRow("backslash newline is a paragraph")
            << QByteArray("{\\rtf1 a\\\nb}") << QStringLiteral("a|b");

        // Groups and destinations.
        QTest::newRow("nested groups")
            << QByteArray(R"({\rtf1 a{\b b{\i c}d}e})") << QStringLiteral("abcde");
        QTest::newRow("skipped destinations")
            << QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;})"
                          R"({\stylesheet{\s1 Heading;}}{\info{\title T}{\author A}})"
                          R"({\header H}{\footerr F}{\*\unknown U}{\pict\bin3 }}}x})"
                          R"({\object{\objdata 0102}}{\*\bkmkstart b}text})")
            << QStringLiteral("text");
        QTest::newRow("field result shown")
            << QByteArray(R"({\rtf1 see {\field{\*\fldinst {HYPERLINK "http://x"}}{\fldrslt )"
                          R"({\ul page}}} or {\field{\fldinst PAGE}{\fldrslt 3}}})")
            << QStringLiteral("see page or 3");
        QTest::newRow("table as tab-separated lines")
            << QByteArray(R"({\rtf1\trowd\cellx1\cellx2\pard\intbl a\cell b\cell\row)"
                          R"(\pard\intbl c\cell\cell\row after\par})")
            << QStringLiteral("a\tb|c\t|after");
        QTest::newRow("paragraphs and lines")
            << QByteArray(R"({\rtf1 one\par two\line three\par\par})")
            << QStringLiteral("one|two\nthree|");
        QTest::newRow("binary beyond the end")
            << QByteArray(R"({\rtf1 a\bin99999999999 bcd})") << QStringLiteral("a");

        // Damaged documents show what they hold.
        QTest::newRow("truncated") << QByteArray(R"({\rtf1\ansicpg1250 {\b bold {\i deep \'b9\'e)")
                                   << QStringLiteral("bold deep ą");
        QTest::newRow("truncated in a control word")
            << QByteArray(R"({\rtf1 x\)") << QStringLiteral("x");
        QTest::newRow("unclosed groups")
            << QByteArray(R"({\rtf1 {a{b\par c)") << QStringLiteral("ab|c");
        QTest::newRow("text after the outermost group")
            << QByteArray(R"({\rtf1 in}out}{more})") << QStringLiteral("in");
        QTest::newRow("deep nesting beyond the cap")
            << Nested(100000, "deep") << QStringLiteral("deep after");
        QTest::newRow("nesting at the cap")
            << Nested(MaxGroupDepth - 1, "deep") << QStringLiteral("deep after");
        QTest::newRow("empty") << QByteArray() << QString();

        // Not a rich-text file: plain text in code page 1250.
        QTest::newRow("plain text") << QByteArray("line one\r\nline\ttwo\n\n\rZa\xBF\x01")
                                    << QStringLiteral("line one|line\ttwo|||Zaż");
        QTest::newRow("rtf after a byte order mark")
            << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1 x}") << QStringLiteral("x");
        QTest::newRow("brace without rtf is plain")
            << QByteArray(R"({\b x})") << QStringLiteral(R"({\b x})");
    }
    void readsText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TextOf(ReadRichText(View(bytes))), text);
    }

    void readsStyles() {
        const RichTextDocument d = ReadRichText(
            R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255})"
            R"(\pard\qc\li720\fi-360\tx1440\tx2880 \b B\b0\i I\i0\ul U\ulnone\fs40 S\fs24\cf1 R)"
            R"(\cf2 G\cf9 A\par\pard\qr{\b a{\i b}c}\plain\fs0 d\par\qj\pard\qj e})");
        QCOMPARE(d.paragraphs.size(), std::size_t(3));

        const RichTextParagraph& p = d.paragraphs[0];
        QCOMPARE(p.align, RichTextAlign::Center);
        QCOMPARE(p.leftIndent, 720);
        QCOMPARE(p.firstLineIndent, -360);
        QCOMPARE(p.tabStops, (std::vector<int>{1440, 2880}));
        RichTextStyle bold, italic, underline, size, red, blue;
        bold.bold = true;
        italic.italic = true;
        underline.underline = true;
        size.halfPoints = 40;
        red.color = 0xFF0000;
        blue.color = 0x0080FF; // the table's last entry ends at the closing brace
        QVERIFY(p.runs == (std::vector<RichTextRun>{Run("B", bold), Run("I", italic),
                                                    Run("U", underline), Run("S", size),
                                                    Run("R", red), Run("G", blue), Run("A")}));

        RichTextStyle boldItalic = bold;
        boldItalic.italic = true;
        const RichTextParagraph& q = d.paragraphs[1];
        QCOMPARE(q.align, RichTextAlign::Right);
        QVERIFY(q.tabStops.empty());
        QVERIFY(q.runs == (std::vector<RichTextRun>{Run("a", bold), Run("b", boldItalic),
                                                    Run("c", bold), Run("d")}));
        QCOMPARE(d.paragraphs[2].align, RichTextAlign::Justify);
    }

    void clampsValues() {
        const RichTextDocument d =
            ReadRichText(R"({\rtf1\li99999999999\fi-99999999999\tx-5\fs99999 a\fs1 b\par})");
        const RichTextParagraph& p = d.paragraphs.at(0);
        QCOMPARE(p.leftIndent, MaxIndent);
        QCOMPARE(p.firstLineIndent, -MaxIndent);
        QCOMPARE(p.tabStops, std::vector<int>{0});
        QCOMPARE(p.runs.at(0).style.halfPoints, 3276);
        QCOMPARE(p.runs.at(1).style.halfPoints, 2);

        std::string manyTabs = "{\\rtf1 ";
        for (int i = 0; i < 1000; ++i) manyTabs += "\\tx" + std::to_string(i);
        manyTabs += " x}";
        QCOMPARE(ReadRichText(manyTabs).paragraphs.at(0).tabStops.size(), MaxTabStops);
    }

    void writtenDocumentsReadBack_data() {
        QTest::addColumn<QString>("name");
        RichTextStyle bold, styled, small;
        bold.bold = true;
        styled = {true, true, true, 40, 0x102030};
        small.halfPoints = 2;
        small.color = 0;

        RichTextParagraph centred;
        centred.align = RichTextAlign::Center;
        centred.leftIndent = -MaxIndent;
        centred.firstLineIndent = MaxIndent;
        centred.tabStops = {0, 720, MaxIndent};
        centred.runs = {Run("Title ", bold), Run("x", styled), Run("tiny", small)};

        RichTextParagraph text;
        text.align = RichTextAlign::Justify;
        text.runs = {Run("Zażółć \\ {braces} \ttab\nline Жук € 😀 \xEF\xBF\xBD ~-_")};

        RichTextParagraph empty;
        empty.align = RichTextAlign::Right;

        documents_ = {
            {},
            {{centred}},
            {{text, empty, centred, empty}},
            {{empty}},
        };
        for (std::size_t i = 0; i < documents_.size(); ++i)
            QTest::newRow(std::to_string(i).c_str()) << QString::number(i);
    }
    void writtenDocumentsReadBack() {
        QFETCH(QString, name);
        const RichTextDocument& document = documents_.at(name.toUInt());
        const std::string written = WriteRichText(document);
        for (char c : written) QVERIFY2(static_cast<unsigned char>(c) < 0x80, written.c_str());
        QVERIFY2(ReadRichText(written) == document, written.c_str());
    }

    void generatedHelpPages_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("choice") << 2
                                << QStringList{"F02  Baud rate", "a choice of two values", "0 to 1",
                                               "0 - 9600 [b/s]", "1 - 19200 [b/s]"};
        QTest::newRow("choice with two blanks")
            << 7 << QStringList{"F07  Temperature unit", "0 -  Celsius", "1 -  Fahrenheit"};
        QTest::newRow("tenths in shown units")
            << 26 << QStringList{"F26   WEIGHT CORRECTION", "one decimal", "-20.0 to 20.0"};
        QTest::newRow("tenths to 80") << 51 << QStringList{"-20.0 to 80.0"};
        QTest::newRow("integer") << 70
                                 << QStringList{"F70  LOOP PROG.STEPS.", "whole number",
                                                "-1 to 200"};
        QTest::newRow("colon kept") << 11 << QStringList{"Sample rate (min):", "0 to 99"};
    }
    void generatedHelpPages() {
        QFETCH(int, n);
        QFETCH(QStringList, lines);
        QVERIFY(HasGeneratedHelpPage(n));
        const QString text = TextOf(ReadRichText(WriteRichText(GeneratedHelpPage(n))));
        for (const QString& line : lines) QVERIFY2(text.contains(line), qPrintable(text));
    }

    void pagesOnlyForNamedParameters() {
        for (int n = 1; n <= SetupParameterCount; ++n)
            QCOMPARE(HasGeneratedHelpPage(n), *SetupParameterInfo(n).name != '\0');
        QVERIFY(!HasGeneratedHelpPage(0));
        QVERIFY(!HasGeneratedHelpPage(98));
        QVERIFY(HelpPagePath(7).ends_with("HELP/7.rtf") ||
                HelpPagePath(7).ends_with("HELP\\7.rtf"));
    }

private:
    std::vector<RichTextDocument> documents_;
};

QTEST_GUILESS_MAIN(TestRichText)
#include "tst_richtext.moc"
