// The menu's texts for translators: the check of what the panel cannot show, and the CSV
// export and import with its refusals.

#include "panel/CodePage.h"
#include "panel/MenuCheck.h"
#include "panel/MenuCsv.h"

#include <QtTest>

using namespace zyl;

namespace {

std::string S(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}
QByteArray B(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

// Languages 1..count with the given code pages and names "L1", "L2", ...
MenuLanguages Languages(const QList<int>& codePages) {
    MenuLanguages languages;
    languages.count = int(codePages.size());
    for (int n = 1; n <= languages.count; ++n)
        languages.languages[std::size_t(n)] = {codePages[n - 1], "L" + std::to_string(n)};
    return languages;
}

// Rows of the groups' numbers; each text "r<row>l<language>".
MenuData Rows(const QList<int>& groups, MenuLayout layout = MenuLayout::Structure) {
    MenuData data;
    data.layout = layout;
    data.present = true;
    for (int r = 0; r < groups.size(); ++r) {
        TMenuRow row;
        row.nr_wew = r + 1;
        row.nr = groups[r];
        row.znak1 = std::uint8_t(0x10 + r);
        row.znak2 = std::uint8_t(0x20 + r);
        for (std::size_t n = 0; n < row.texts.size(); ++n)
            row.texts[n] = "r" + std::to_string(r + 1) + "l" + std::to_string(n);
        data.rows.push_back(row);
    }
    return data;
}

QString Describe(const std::vector<TMenuRow>& rows) {
    QStringList lines;
    for (const TMenuRow& row : rows) {
        QString line =
            QString("%1/%2 %3 %4").arg(row.nr_wew).arg(row.nr).arg(row.znak1).arg(row.znak2);
        for (const std::string& text : row.texts) line += " [" + B(text).toHex() + "]";
        lines << line;
    }
    return lines.join('\n');
}

// Rows from 1, bytes in hex: "row:language long <shown>+<cut>", "row:language lost <c>><shown>".
QStringList Describe(const std::vector<MenuFinding>& findings) {
    QStringList out;
    for (const MenuFinding& f : findings)
        out << QString("%1:%2 %3 %4%5%6")
                   .arg(f.row + 1)
                   .arg(f.language)
                   .arg(f.kind == MenuFinding::Kind::TooLong ? "long" : "lost")
                   .arg(QString::fromLatin1(
                       B(f.kind == MenuFinding::Kind::TooLong ? f.shownAs : f.lost).toHex()))
                   .arg(f.kind == MenuFinding::Kind::TooLong ? "+" : ">")
                   .arg(QString::fromLatin1(
                       B(f.kind == MenuFinding::Kind::TooLong ? f.lost : f.shownAs).toHex()));
    return out;
}

} // namespace

class TestMenuText : public QObject {
    Q_OBJECT
private slots:
    // One text in row 1 of a language (others blank), checked in a layout.
    void check_data() {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QList<int>>("codePages");
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("findings");
        const int s = int(MenuLayout::Structure), p = int(MenuLayout::Predefined);
        const QList<int> cyr{CodePageCyrillic}, pc852{CodePagePC852}, pol{CodePagePolish};
        const QString hex20 = QByteArray("ABCDEFGHIJKLMNOPQRST").toHex();
        QTest::newRow("25 characters") << s << cyr << 1 << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY")
                                       << QStringList{"1:1 long " + hex20 + "+5556575859"};
        QTest::newRow("20 characters padded with blanks")
            << s << cyr << 0 << QByteArray("ABCDEFGHIJKLMNOPQRST      ") << QStringList{};
        QTest::newRow("21 characters in language 0")
            << s << cyr << 0 << QByteArray("ABCDEFGHIJKLMNOPQRSTU")
            << QStringList{"1:0 long " + hex20 + "+55"};
        QTest::newRow("Cyryllic long dash dropped")
            << s << cyr << 1 << QByteArray("\xC0\x97\xC1\x97") << QStringList{"1:1 lost 97>"};
        QTest::newRow("Cyryllic long dash dropped in the predefined layout too")
            << p << cyr << 1 << QByteArray("\x97") << QStringList{"1:1 lost 97>"};
        QTest::newRow("Cyryllic letters carried")
            << s << cyr << 1 << QByteArray("\xC0\xDF\xE0\xFF\xA8\xB8 ok") << QStringList{};
        QTest::newRow("PC852 l caron comes back as i acute")
            << s << pc852 << 1 << QByteArray("a\xBE") << QStringList{"1:1 lost be>ed"};
        QTest::newRow("PC852 is not converted in the predefined layout")
            << p << pc852 << 1 << QByteArray("a\xBE") << QStringList{};
        QTest::newRow("Polish letters all carried")
            << s << pol << 1
            << QByteArray(
                   "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF")
            << QStringList{};
        QTest::newRow("language 0 is Polish in the structure layout")
            << s << cyr << 0 << QByteArray("\xB9\xA5 \xE0") << QStringList{"1:0 lost e0>d3"};
        QTest::newRow("language 0 is not checked in the predefined layout")
            << p << cyr << 0 << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY\x97") << QStringList{};
        QTest::newRow("no-break space sent as a blank in the structure layout")
            << s << cyr << 1
            << QByteArray("A\xA0"
                          "B")
            << QStringList{};
        QTest::newRow("no-break space dropped by Cyryllic in the predefined layout")
            << p << cyr << 1
            << QByteArray("A\xA0"
                          "B")
            << QStringList{"1:1 lost a0>"};
        QTest::newRow("characters beyond 20 are not sent")
            << s << cyr << 1 << QByteArray("ABCDEFGHIJKLMNOPQRS\x97\x97")
            << QStringList{"1:1 long " + hex20.left(38) + "97+97", "1:1 lost 97>"};
        QTest::newRow("language beyond the count not checked")
            << s << cyr << 2 << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY") << QStringList{};
    }
    void check() {
        QFETCH(int, layout);
        QFETCH(QList<int>, codePages);
        QFETCH(int, language);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, findings);
        MenuData data = Rows({1, 1}, MenuLayout(layout));
        for (TMenuRow& row : data.rows)
            for (std::string& t : row.texts) t = "OK";
        data.rows[0].texts[std::size_t(language)] = S(text);
        QCOMPARE(Describe(CheckMenu(data, Languages(codePages))), findings);
    }

    // Findings in language then row order, with what the panel shows, as UTF-8.
    void report() {
        MenuData data = Rows({1, 2, 3});
        for (TMenuRow& row : data.rows)
            for (std::string& t : row.texts) t = "OK";
        data.rows[1].texts[0] = "\xA3\xD3\x44\x8F\xE0";       // ŁÓDŹŕ
        data.rows[2].texts[0] = "ABCDEFGHIJKLMNOPQRSTUVW   "; // 23 characters
        data.rows[0].texts[1] = "\xCF\xEE\xEC\xEF\xE0\x97";   // Помпа—
        MenuLanguages languages = Languages({CodePageCyrillic});
        languages.languages[1].name = "Russkij";
        const std::string report = MenuCheckReport(CheckMenu(data, languages), data, languages);
        QCOMPARE(QString::fromStdString(report),
                 QString::fromUtf8("Polski (Polish):\n"
                                   "  row 2 (group 2): \"ŁÓDŹŕ\" - \"ŕ\" cannot be shown with "
                                   "Polish; the panel shows \"Ó\" instead\n"
                                   "  row 3 (group 3): \"ABCDEFGHIJKLMNOPQRSTUVW\" has 23 "
                                   "characters; the panel shows 20: \"ABCDEFGHIJKLMNOPQRST\"\n"
                                   "\n"
                                   "Russkij (Cyryllic):\n"
                                   "  row 1 (group 1): \"Помпа—\" - \"—\" cannot be shown with "
                                   "Cyryllic; the panel shows nothing in its place\n"));
        for (TMenuRow& row : data.rows)
            for (std::string& t : row.texts) t = "OK";
        QCOMPARE(MenuCheckReport(CheckMenu(data, languages), data, languages),
                 std::string("No findings\n"));
    }

    // The export's exact text: header, group numbers, quoting, CR LF, no byte order mark.
    void exportText() {
        MenuData data = Rows({1, 1, 2});
        MenuLanguages languages = Languages({CodePageCyrillic, CodePagePolish});
        languages.languages[1].name = "English";
        languages.languages[2].name = "Pol, \"x\"";
        data.rows[0].texts = {"\xA3\xF3\x64\x9F", "\xCF\xEE\xEC\xEF\xE0", ""};
        data.rows[1].texts = {"a,b", "say \"hi\"", "two\r\nlines"};
        data.rows[2].texts = {"\x98", " lead", "\xA0"};
        QCOMPARE(QString::fromUtf8(B(ExportMenuCsv(data, languages))),
                 QString::fromUtf8("Nr,Polski,English,\"Pol, \"\"x\"\"\"\r\n"
                                   "1,Łódź,Помпа,\r\n"
                                   "1,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n"
                                   "2,\uFFFD, lead,\u00A0\r\n"));
    }

    // Export then import changes nothing, bytes without a character and line breaks included;
    // an edited cell changes that cell only.
    void roundTrip() {
        MenuData data = Rows({1, 1, 2, 3});
        const MenuLanguages languages = Languages({CodePageCyrillic, CodePagePC852, 0});
        data.rows[0].texts[0] = "\x98\x81 kept";
        data.rows[1].texts[1] = "\xCF\x98\xEC";
        data.rows[2].texts[2] = "a,\"b\"\r\nc\nd";
        data.rows[3].texts[3] = "123456789012345678901234567890";
        const std::string csv = ExportMenuCsv(data, languages);
        MenuData imported = data;
        MenuCsvImport result = ImportMenuCsv(csv, imported, languages);
        QVERIFY2(result, result.error.c_str());
        QCOMPARE(result.changedCells, 0);
        QCOMPARE(Describe(imported.rows), Describe(data.rows));

        // Row 2's Cyryllic cell edited in a spreadsheet.
        QByteArray edited = B(csv);
        const QByteArray cell = B(PcToUtf8(1251, data.rows[1].texts[1]));
        QVERIFY(edited.contains(cell));
        edited.replace(cell, QString::fromUtf8("Стоп №1").toUtf8());
        result = ImportMenuCsv(S(edited), imported, languages);
        QVERIFY2(result, result.error.c_str());
        QCOMPARE(result.changedCells, 1);
        MenuData expected = data;
        expected.rows[1].texts[1] = "\xD1\xF2\xEE\xEF \xB9\x31";
        QCOMPARE(Describe(imported.rows), Describe(expected.rows));
    }

    // Forms a spreadsheet may save; the texts each leaves in rows 1 and 2, languages 0 to 2.
    void importForms_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("texts"); // row 1 l0 l1 l2, row 2 l0 l1 l2 (UTF-8)
        QTest::addColumn<int>("changed");
        QTest::newRow("byte order mark and LF endings")
            << QByteArray("\xEF\xBB\xBFNr,Polski,A,B\n1,x,r1l1,r1l2\n2,r2l0,r2l1,y\n")
            << QStringList{"x", "r1l1", "r1l2", "r2l0", "r2l1", "y"} << 2;
        QTest::newRow("quoted comma, quote and empty field")
            << QByteArray("Nr,Polski,A,B\r\n1,\"a,b\",\"say \"\"hi\"\"\",r1l2\r\n"
                          "2,r2l0,\"r2l1\",\"\"\r\n")
            << QStringList{"a,b", "say \"hi\"", "r1l2", "r2l0", "r2l1", ""} << 3;
        QTest::newRow("no final line end, group number with blanks")
            << QByteArray("Nr,Polski,A,B\r\n1,r1l0,r1l1,r1l2\r\n 2 ,r2l0,r2l1,z")
            << QStringList{"r1l0", "r1l1", "r1l2", "r2l0", "r2l1", "z"} << 1;
        QTest::newRow("blank lines at the end")
            << QByteArray("Nr,Polski,A,B\r\n1,r1l0,r1l1,r1l2\r\n2,r2l0,r2l1,r2l2\r\n\r\n\n")
            << QStringList{"r1l0", "r1l1", "r1l2", "r2l0", "r2l1", "r2l2"} << 0;
        QTest::newRow("fewer columns: the last language keeps its texts")
            << QByteArray("Nr,Polski,A\r\n1,p,q\r\n2,r,s\r\n")
            << QStringList{"p", "q", "r1l2", "r", "s", "r2l2"} << 4;
        QTest::newRow("Cyryllic and Polish letters")
            << QByteArray("Nr,Polski,A,B\r\n1,Łódź,Пуск,r1l2\r\n2,r2l0,r2l1,Żółć\r\n")
            << QStringList{"Łódź", "Пуск", "r1l2", "r2l0", "r2l1", "Żółć"} << 3;
        const QString thirty(30, QChar(0x416)); // 60 bytes of UTF-8, 30 of 1251
        QTest::newRow("30 Cyryllic letters fill an entry")
            << "Nr,Polski,A,B\r\n1,r1l0," + thirty.toUtf8() + ",r1l2\r\n2,r2l0,r2l1,r2l2\r\n"
            << QStringList{"r1l0", thirty, "r1l2", "r2l0", "r2l1", "r2l2"} << 1;
    }
    void importForms() {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, texts);
        QFETCH(int, changed);
        MenuData data = Rows({1, 2});
        const MenuLanguages languages = Languages({CodePageCyrillic, CodePagePolish});
        const MenuCsvImport result = ImportMenuCsv(S(csv), data, languages);
        QVERIFY2(result, result.error.c_str());
        QCOMPARE(result.changedCells, changed);
        QStringList read;
        for (const TMenuRow& row : data.rows)
            for (int n = 0; n <= 2; ++n)
                read << QString::fromStdString(
                    PcToUtf8(MenuPcCodePage(languages, n), row.texts[std::size_t(n)]));
        QCOMPARE(read, texts);
        QCOMPARE(data.rows[1].nr, 2);
        QCOMPARE(data.rows[1].znak1, std::uint8_t(0x11));
    }

    // Each refusal names the place and leaves the rows as they were.
    void importRefused_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("error");
        const QByteArray head("Nr,Polski,A,B\r\n1,r1l0,r1l1,r1l2\r\n");
        QTest::newRow("a row too few")
            << head << "the file has 1 lines of entries; the menu has 2 rows";
        QTest::newRow("a row too many") << head + "2,a,b,c\r\n2,a,b,c\r\n"
                                        << "the file has 3 lines of entries; the menu has 2 rows";
        QTest::newRow("wrong group number")
            << head + "3,a,b,c\r\n"
            << "line 3, column 1: \"3\" where row 2 has the group number 2";
        QTest::newRow("group number not a number")
            << head + "2x,a,b,c\r\n"
            << "line 3, column 1: \"2x\" where row 2 has the group number 2";
        QTest::newRow("31 characters")
            << head + "2,a,1234567890123456789012345678901,c\r\n"
            << "line 3, column 3: the text has 31 characters; an entry holds at most 30";
        QTest::newRow("a character not in 1251 for Cyryllic")
            << head + "2,a,Łza,c\r\n"
            << "line 3, column 3: \"Ł\" has no character in code page 1251";
        QTest::newRow("a character not in 1250")
            << head + "2,a,b,Ж\r\n"
            << "line 3, column 4: \"Ж\" has no character in code page 1250";
        QTest::newRow("a replacement character typed")
            << head + "2,\xEF\xBF\xBD,b,c\r\n"
            << "line 3, column 2: \"\uFFFD\" has no character in code page 1250";
        QTest::newRow("invalid UTF-8") << head + "2,a\xC3\x28,b,c\r\n"
                                       << "line 3, column 2: not UTF-8 text";
        QTest::newRow("overlong UTF-8") << head + "2,\xC0\xAF,b,c\r\n"
                                        << "line 3, column 2: not UTF-8 text";
        QTest::newRow("a new line break")
            << head + "2,\"a\nb\",b,c\r\n"
            << "line 3, column 2: a menu text cannot hold a line break";
        QTest::newRow("a column beyond the languages")
            << QByteArray("Nr,Polski,A,B,Deutsch\r\n1,a,b,c,d\r\n2,a,b,c,d\r\n")
            << "line 1, column 5: \"Deutsch\" is beyond the 3 languages of the settings";
        QTest::newRow("header without a text column")
            << QByteArray("Nr\r\n1\r\n2\r\n")
            << "line 1: the header needs the columns \"Nr\" and \"Polski\"";
        QTest::newRow("a line with fewer columns") << head + "2,a,b\r\n"
                                                   << "line 3 has 3 columns; the header has 4";
        QTest::newRow("no closing quote, counted from its line")
            << QByteArray("Nr,Polski,A,B\r\n1,\"a\r\nb,c,d\r\n2,a,b,c\r\n")
            << "line 2, column 2: a quoted field has no closing quote";
        QTest::newRow("text after a closing quote")
            << head + "2,\"a\"b,c,d\r\n"
            << "line 3, column 2: text after the closing quote";
        QTest::newRow("empty file") << QByteArray() << "the file holds no header line";
    }
    void importRefused() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, error);
        MenuData data = Rows({1, 2});
        const MenuData before = data;
        const MenuCsvImport result =
            ImportMenuCsv(S(csv), data, Languages({CodePageCyrillic, CodePagePolish}));
        QVERIFY(!result);
        QCOMPARE(QString::fromStdString(result.error), error);
        QCOMPARE(result.changedCells, 0);
        QCOMPARE(Describe(data.rows), Describe(before.rows));
    }
};

QTEST_GUILESS_MAIN(TestMenuText)
#include "tst_menutext.moc"
