// The menu's files on disk: the language settings and their bounds, the exact bytes a write
// leaves, reading back with short, missing and broken files, and all-or-nothing on failure.

#include "panel/CodePage.h"
#include "panel/MenuFiles.h"
#include "project/FileIO.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>

using namespace zyl;
using namespace zyl::test;

namespace {

std::string S(const QString& s) {
    return s.toStdString();
}
std::string S(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}
QByteArray B(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

// Two leading bytes, then a group of two rows (znak 11 22) and one of one row (znak 33 44).
const QByteArray Structure("\x00\x00\x02\x11\x22\x00\x01\x33\x44\x00\xFE\x00", 12);

// Three rows of the structure above with texts in languages 0 to 2. Row 2 holds bytes that
// have no character in 1250 (98) and a no-break space (A0); both are kept as they are.
MenuData SampleMenu() {
    MenuData data;
    data.structure = S(Structure);
    data.present = true;
    data.layout = MenuLayout::Structure;
    const char* texts[3][3] = {{"Start", "Start", "Anfang"},
                               {"Pompa \x98\xA0x", "Pump \xA0", "Pumpe"},
                               {"\xA3\xF3\x64\x9F", "", "Ende"}};
    for (int r = 0; r < 3; ++r) {
        TMenuRow row;
        row.nr_wew = r + 1;
        row.nr = r < 2 ? 1 : 2;
        row.znak1 = r < 2 ? 0x11 : 0x33;
        row.znak2 = r < 2 ? 0x22 : 0x44;
        for (int n = 0; n < 3; ++n) row.texts[std::size_t(n)] = texts[r][n];
        data.rows.push_back(row);
    }
    return data;
}

MenuLanguages TwoLanguages() {
    MenuLanguages languages;
    languages.count = 2;
    languages.languages[1] = {CodePageCyrillic, "English"};
    languages.languages[2] = {CodePagePC852, "Deutsch"};
    return languages;
}

// Rows compared as a text, one line per row: numbers, attribute bytes and texts in hex.
QString Describe(const std::vector<TMenuRow>& rows) {
    QStringList lines;
    for (const TMenuRow& row : rows) {
        QString line = QString("%1/%2 %3%4")
                           .arg(row.nr_wew)
                           .arg(row.nr)
                           .arg(row.znak1, 2, 16, QChar('0'))
                           .arg(row.znak2, 2, 16, QChar('0'));
        for (const std::string& text : row.texts) line += " [" + B(text).toHex() + "]";
        lines << line;
    }
    return lines.join('\n');
}

QString Describe(const MenuLanguages& languages) {
    QStringList parts{QString::number(languages.count)};
    for (int n = 1; n < MenuLanguageSlots; ++n)
        parts << QString("%1:%2")
                     .arg(languages.languages[std::size_t(n)].codePage)
                     .arg(QString::fromStdString(languages.languages[std::size_t(n)].name));
    return parts.join(' ');
}

// Fails the rename number `failAt` (counted from 1) of the next write with EIO.
int renameCalls = 0;
int renameFailAt = 0;
int CountingRename(const char* from, const char* to) {
    if (++renameCalls == renameFailAt) {
        errno = EIO;
        return -1;
    }
    return std::rename(from, to);
}

} // namespace

class TestMenuFiles : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetRenameFunctionForTesting(nullptr); }

    // Whatever the file holds, the count ends in 0..15 and each code page in 0..3.
    void settings_data() {
        QTest::addColumn<QByteArray>("ini"); // null: no file
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("codePages"); // of languages 1..4
        QTest::addColumn<QStringList>("names"); // of languages 1..4
        const QStringList defaults{"LANGUAGE 1", "LANGUAGE 2", "LANGUAGE 3", "LANGUAGE 4"};
        QTest::newRow("no file") << QByteArray() << 3 << "0 0 0 0" << defaults;
        QTest::newRow("empty file") << QByteArray("") << 3 << "0 0 0 0" << defaults;
        QTest::newRow("count 40 held to 15")
            << QByteArray("[Settings]\r\nLanguagesCount=40\r\n") << 15 << "0 0 0 0" << defaults;
        QTest::newRow("count -2 held to 0")
            << QByteArray("[Settings]\nLanguagesCount=-2\nPageCode_1=1\nCodeName_1=Ru\n") << 0
            << "0 0 0 0" << defaults;
        QTest::newRow("code pages outside 0..3 taken as 0")
            << QByteArray("[Settings]\nLanguagesCount=4\nPageCode_1=7\nPageCode_2=3\n"
                          "PageCode_3=-1\nPageCode_4=x\n")
            << 4 << "0 3 0 0" << defaults;
        QTest::newRow("names and pages read, beyond the count not")
            << QByteArray("; kept\r\n[settings]\r\nlanguagescount=2\r\nPageCode_1=1\r\n"
                          "CodeName_1=Russkij\r\nPageCode_2=2\r\nCodeName_2= Polski \r\n"
                          "PageCode_3=1\r\nCodeName_3=Third\r\n")
            << 2 << "1 2 0 0" << QStringList{"Russkij", "Polski", "LANGUAGE 3", "LANGUAGE 4"};
        QTest::newRow("other section ignored")
            << QByteArray("[Other]\nLanguagesCount=1\n") << 3 << "0 0 0 0" << defaults;
    }
    void settings() {
        QFETCH(QByteArray, ini);
        QFETCH(int, count);
        QFETCH(QString, codePages);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        const QString path = dir.filePath("MenuSettings.ini");
        if (!ini.isNull()) WriteAll(path, ini);
        const MenuLanguages languages = ReadMenuSettings(S(path));
        QCOMPARE(languages.count, count);
        QStringList pages, read;
        for (int n = 1; n <= 4; ++n) {
            pages << QString::number(languages.languages[std::size_t(n)].codePage);
            read << QString::fromStdString(languages.languages[std::size_t(n)].name);
        }
        QCOMPARE(pages.join(' '), codePages);
        QCOMPARE(read, names);
        // Reading a menu from disk applies the same bounds.
        if (!ini.isNull()) {
            MenuData data = SampleMenu();
            MenuLanguages fromDisk = TwoLanguages();
            QCOMPARE(ReadMenuFromDisk(S(dir.filePath("menu.mpl")), data, fromDisk).outcome,
                     MenuDiskOutcome::Ok);
            QCOMPARE(Describe(fromDisk), Describe(languages));
        }
    }

    // The structure layout writes every file, byte for byte as the table holds the texts.
    void writeStructureLayout() {
        QTemporaryDir dir;
        const QString mpl = dir.filePath("plant.mpl");
        QVERIFY(WriteMenuToDisk(S(mpl), SampleMenu(), TwoLanguages()));
        QCOMPARE(ReadFileOrMissing(mpl),
                 QByteArray("Start\r\nPompa \x98\xA0x\r\n\xA3\xF3\x64\x9F\r\n"));
        QCOMPARE(ReadFileOrMissing(dir.filePath("plant.1")),
                 QByteArray("Start\r\nPump \xA0\r\n\r\n"));
        QCOMPARE(ReadFileOrMissing(dir.filePath("plant.2")),
                 QByteArray("Anfang\r\nPumpe\r\nEnde\r\n"));
        QCOMPARE(ReadFileOrMissing(dir.filePath("plant.str")),
                 QByteArray("\x00\x00\x00\x0C", 4) + Structure);
        QCOMPARE(
            ReadFileOrMissing(dir.filePath("MenuSettings.ini")),
            QByteArray("[Settings]\r\nLanguagesCount=2\r\nPageCode_1=1\r\nCodeName_1=English\r\n"
                       "PageCode_2=3\r\nCodeName_2=Deutsch\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList({"MenuSettings.ini", "plant.1", "plant.2", "plant.mpl", "plant.str"}));
    }

    // The predefined layout has neither a language 0 file nor a structure to write.
    void writePredefinedLayout() {
        QTemporaryDir dir;
        MenuData data = SampleMenu();
        data.layout = MenuLayout::Predefined;
        data.structure.clear();
        QVERIFY(WriteMenuToDisk(S(dir.filePath("plant.mpl")), data, TwoLanguages()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList({"MenuSettings.ini", "plant.1", "plant.2"}));
        QCOMPARE(ReadFileOrMissing(dir.filePath("plant.2")),
                 QByteArray("Anfang\r\nPumpe\r\nEnde\r\n"));
    }

    // An existing settings file keeps its comments and other keys; ours are updated.
    void writeKeepsOtherSettings() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("MenuSettings.ini");
        WriteAll(ini, "; plant 7\n[Settings]\nLanguagesCount=5\nPageCode_1=0\nKept=yes\n"
                      "CodeName_5=Fifth\n[Other]\nx=1\n");
        QVERIFY(WriteMenuToDisk(S(dir.filePath("plant.mpl")), SampleMenu(), TwoLanguages()));
        QCOMPARE(ReadFileOrMissing(ini),
                 QByteArray("; plant 7\n[Settings]\nLanguagesCount=2\nPageCode_1=1\n"
                            "Kept=yes\nCodeName_5=Fifth\nCodeName_1=English\n"
                            "PageCode_2=3\nCodeName_2=Deutsch\n[Other]\nx=1\n"));
    }

    // What a write leaves reads back into a menu without data (structure layout, through
    // the structure file) or into the same rows with other texts (predefined layout).
    void writeThenRead_data() {
        QTest::addColumn<bool>("predefined");
        QTest::newRow("structure layout") << false;
        QTest::newRow("predefined layout") << true;
    }
    void writeThenRead() {
        QFETCH(bool, predefined);
        // The byte 98 has no character in 1250: it must come back as it went.
        QCOMPARE(PcToUtf8(1250, "\x98"), std::string("\xEF\xBF\xBD"));
        QTemporaryDir dir;
        const QString mpl = dir.filePath("plant.mpl");
        MenuData written = SampleMenu();
        if (predefined) {
            written.layout = MenuLayout::Predefined;
            written.structure.clear();
        }
        QVERIFY(WriteMenuToDisk(S(mpl), written, TwoLanguages()));

        MenuData read;
        if (predefined) {
            read = written;
            for (TMenuRow& row : read.rows)
                for (std::string& text : row.texts) text = "old";
        }
        MenuLanguages languages;
        const MenuDiskResult result = ReadMenuFromDisk(S(mpl), read, languages);
        QCOMPARE(result.outcome, MenuDiskOutcome::Ok);
        QCOMPARE(Describe(languages), Describe(TwoLanguages()));
        QVERIFY(read.present);
        QCOMPARE(int(read.layout), int(written.layout));
        QCOMPARE(B(read.structure), B(written.structure));
        if (predefined) // language 0 was not written and keeps its texts
            for (TMenuRow& row : written.rows) row.texts[0] = "old";
        for (TMenuRow& row : written.rows) // languages beyond the count are not in the files
            for (std::size_t n = 3; n < row.texts.size(); ++n)
                row.texts[n] = predefined ? "old" : "";
        QCOMPARE(Describe(read.rows), Describe(written.rows));
    }

    // Without menu data and without a structure file nothing is read at all.
    void readWithoutStructure() {
        QTemporaryDir dir;
        WriteAll(dir.filePath("MenuSettings.ini"), "[Settings]\nLanguagesCount=1\n");
        WriteAll(dir.filePath("plant.mpl"), "Start\r\n");
        WriteAll(dir.filePath("plant.1"), "Start\r\n");
        MenuData data;
        data.rows = SampleMenu().rows;
        MenuLanguages languages = TwoLanguages();
        const MenuDiskResult result =
            ReadMenuFromDisk(S(dir.filePath("plant.mpl")), data, languages);
        QCOMPARE(result.outcome, MenuDiskOutcome::NoStructure);
        QCOMPARE(result.error, std::string(MsgNoMenuStructure));
        QVERIFY(!data.present);
        QCOMPARE(Describe(data.rows), Describe(SampleMenu().rows));
        QCOMPARE(Describe(languages), Describe(TwoLanguages()));
    }

    // The structure file's size field against the bytes that follow it.
    void structureFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error"); // after the file's name; empty: loaded
        QTest::addColumn<QByteArray>("structure");
        QTest::addColumn<int>("rows");
        QTest::newRow("size as stated")
            << QByteArray("\x00\x00\x00\x0C", 4) + Structure << "" << Structure << 3;
        QTest::newRow("size beyond the bytes")
            << QByteArray("\x00\x01\x00\x00", 4) + Structure << "" << Structure << 3;
        QTest::newRow("size shorter than the bytes")
            << QByteArray("\x00\x00\x00\x06", 4) + Structure << "" << Structure.left(6) << 2;
        QTest::newRow("size with the high byte set")
            << QByteArray("\x80\x00\x00\x03", 4) + Structure << "" << Structure << 3;
        QTest::newRow("size 0") << QByteArray("\x00\x00\x00\x00", 4) + Structure << ""
                                << QByteArray() << 0;
        QTest::newRow("size field only")
            << QByteArray("\x00\x00\x00\x0C", 4) << "" << QByteArray() << 0;
        QTest::newRow("shorter than the size field")
            << QByteArray("\x00\x00\x00", 3) << ": shorter than its 4-byte size" << QByteArray()
            << 0;
        QTest::newRow("larger than a block")
            << QByteArray("\x00\x01\x00\x00", 4) + Structure + QByteArray(65536 - 11, '\0')
            << ": too large" << QByteArray() << 0;
        const auto groups = [](int count) {
            QByteArray s("\x00\x00", 2);
            for (int g = 0; g < count; ++g) s += QByteArray("\xFD\x01\x02\x00", 4);
            return s + QByteArray("\xFE\x00", 2);
        };
        QTest::newRow("two groups of 253 rows fit the panel")
            << QByteArray("\x00\x00\x00\x0C", 4) + groups(2) << "" << groups(2) << 506;
        QTest::newRow("three groups of 253 rows do not")
            << QByteArray("\x00\x00\x00\x10", 4) + groups(3)
            << ": the menu of this structure needs 66856 bytes in the panel, which holds 65536"
            << QByteArray() << 0;
        QTest::newRow("a block exactly")
            << QByteArray("\x00\x01\x00\x00", 4) + Structure + QByteArray(65536 - 12, '\0') << ""
            << Structure + QByteArray(65536 - 12, '\0') << 3;
    }
    void structureFile() {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QFETCH(QByteArray, structure);
        QFETCH(int, rows);
        QTemporaryDir dir;
        const QString str = dir.filePath("plant.str");
        WriteAll(str, file);
        MenuData data;
        data.layout = MenuLayout::Predefined;
        const MenuDiskResult result = LoadMenuStructureFile(S(str), data);
        if (!error.isEmpty()) {
            QCOMPARE(result.outcome, MenuDiskOutcome::FileError);
            QCOMPARE(QString::fromStdString(result.error), "cannot read " + str + error);
            QVERIFY(!data.present);
            QCOMPARE(int(data.layout), int(MenuLayout::Predefined));
            return;
        }
        QCOMPARE(result.outcome, MenuDiskOutcome::Ok);
        QVERIFY(data.present);
        QCOMPARE(int(data.layout), int(MenuLayout::Structure));
        QCOMPARE(B(data.structure), structure);
        QCOMPARE(int(data.rows.size()), rows);
    }

    // Lines go into the rows as far as B.mpl and the table reach; a language file that ends
    // early or is missing leaves the rest of its language as it was.
    void readLines_data() {
        QTest::addColumn<QByteArray>("mpl"); // null: no file
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QStringList>("texts0");
        QTest::addColumn<QStringList>("texts1");
        const QByteArray none;
        QTest::newRow("language file shorter than the table")
            << QByteArray("a\r\nb\r\nc\r\n") << QByteArray("x\r\n") << QStringList{"a", "b", "c"}
            << QStringList{"x", "old1", "old1"};
        QTest::newRow("B.mpl shorter than the table")
            << QByteArray("a\r\n") << QByteArray("x\r\ny\r\nz\r\n")
            << QStringList{"a", "old0", "old0"} << QStringList{"x", "old1", "old1"};
        QTest::newRow("files longer than the table")
            << QByteArray("a\r\nb\r\nc\r\nd\r\n") << QByteArray("w\r\nx\r\ny\r\nz\r\n")
            << QStringList{"a", "b", "c"} << QStringList{"w", "x", "y"};
        QTest::newRow("LF endings and a last line without one")
            << QByteArray("a\nb\r\nc") << QByteArray("x\ny") << QStringList{"a", "b", "c"}
            << QStringList{"x", "y", "old1"};
        QTest::newRow("empty lines are empty texts")
            << QByteArray("\r\nb\r\n\r\n") << QByteArray("\n\n") << QStringList{"", "b", ""}
            << QStringList{"", "", "old1"};
        QTest::newRow("a lone CR stays in its line")
            << QByteArray("a\rb\r\r\n") << none << QStringList{"a\rb\r", "old0", "old0"}
            << QStringList{"old1", "old1", "old1"};
        QTest::newRow("texts cut to 30 bytes")
            << QByteArray("123456789012345678901234567890XYZ\r\n") << none
            << QStringList{"123456789012345678901234567890", "old0", "old0"}
            << QStringList{"old1", "old1", "old1"};
        QTest::newRow("no B.mpl: the language files to the table's end")
            << none << QByteArray("x\r\ny\r\n") << QStringList{"old0", "old0", "old0"}
            << QStringList{"x", "y", "old1"};
    }
    void readLines() {
        QFETCH(QByteArray, mpl);
        QFETCH(QByteArray, first);
        QFETCH(QStringList, texts0);
        QFETCH(QStringList, texts1);
        QTemporaryDir dir;
        WriteAll(dir.filePath("MenuSettings.ini"), "[Settings]\nLanguagesCount=2\n");
        if (!mpl.isNull()) WriteAll(dir.filePath("plant.mpl"), mpl);
        if (!first.isNull()) WriteAll(dir.filePath("plant.1"), first);
        MenuData data = SampleMenu();
        for (TMenuRow& row : data.rows) {
            row.texts[0] = "old0";
            row.texts[1] = "old1";
            row.texts[2] = "old2";
        }
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromDisk(S(dir.filePath("plant.mpl")), data, languages).outcome,
                 MenuDiskOutcome::Ok);
        QStringList read0, read1;
        for (const TMenuRow& row : data.rows) {
            read0 << QString::fromLatin1(B(row.texts[0]));
            read1 << QString::fromLatin1(B(row.texts[1]));
            QCOMPARE(row.texts[2], std::string("old2")); // no B.2
        }
        QCOMPARE(read0, texts0);
        QCOMPARE(read1, texts1);
    }

    // A file that exists but cannot be read fails the whole read: nothing changes, not even
    // by the files read before it.
    void readFailureChangesNothing_data() {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<QString>("reason");
        QTest::newRow("settings") << "MenuSettings.ini"
                                  << "Is a directory";
        QTest::newRow("second language") << "plant.2"
                                         << "Is a directory";
        QTest::newRow("language 0") << "plant.mpl"
                                    << "Is a directory";
        QTest::newRow("structure") << "plant.str"
                                   << "Is a directory";
        QTest::newRow("structure too large") << "plant.str"
                                             << "too large";
    }
    void readFailureChangesNothing() {
        QFETCH(QString, broken);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString mpl = dir.filePath("plant.mpl");
        QVERIFY(WriteMenuToDisk(S(mpl), SampleMenu(), TwoLanguages()));
        const QString path = dir.filePath(broken);
        QVERIFY(QFile::remove(path));
        if (reason == "too large")
            WriteAll(path, QByteArray(4 + 65536 + 1, '\x01'));
        else
            QVERIFY(QDir().mkdir(path));

        MenuData data;
        data.rows = SampleMenu().rows;
        for (TMenuRow& row : data.rows) row.texts[1] = "kept";
        const MenuData before = data;
        MenuLanguages languages;
        const MenuDiskResult result = ReadMenuFromDisk(S(mpl), data, languages);
        QCOMPARE(result.outcome, MenuDiskOutcome::FileError);
        QCOMPARE(QString::fromStdString(result.error), "cannot read " + path + ": " + reason);
        QVERIFY(!data.present);
        QCOMPARE(Describe(data.rows), Describe(before.rows));
        QCOMPARE(Describe(languages), Describe(MenuLanguages()));
    }

    // A write that fails at any of its renames leaves every old file as it was.
    void failedWriteKeepsOldFiles_data() {
        QTest::addColumn<int>("failAt");
        for (int k = 1; k <= 5; ++k) QTest::addRow("rename %d fails", k) << k;
    }
    void failedWriteKeepsOldFiles() {
        QFETCH(int, failAt);
        QTemporaryDir dir;
        const QStringList names{"plant.mpl", "plant.1", "plant.2", "plant.str"};
        for (const QString& name : names) WriteAll(dir.filePath(name), "old " + name.toLatin1());
        renameCalls = 0;
        renameFailAt = failAt;
        SetRenameFunctionForTesting(CountingRename);
        const FileStatus status =
            WriteMenuToDisk(S(dir.filePath("plant.mpl")), SampleMenu(), TwoLanguages());
        SetRenameFunctionForTesting(nullptr);
        QVERIFY(!status);
        QVERIFY(status.error.find(": Input/output error") != std::string::npos);
        for (const QString& name : names)
            QCOMPARE(ReadFileOrMissing(dir.filePath(name)), "old " + name.toLatin1());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), names.size());
    }
};

QTEST_GUILESS_MAIN(TestMenuFiles)
#include "tst_menufiles.moc"
