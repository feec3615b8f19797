#include "project/IniFile.h"

#include <QtTest>

using namespace zyl;

namespace {
std::string_view View(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}
QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

const QByteArray Fixture = "; settings\r\n"
                           "# second comment style\r\n"
                           "\r\n"
                           "[Parametry]\r\n"
                           "WaitForPanel=7\r\n"
                           "  timeoutStand   =   2500  \r\n"
                           "Path=C:\\ZYL\\menu\\\r\n"
                           "List=1,2,3\r\n"
                           "Name=Zbiornik \xB9\xEA\r\n"
                           "Utf=\xC5\xBC\xC3\xB3\xC5\x82w\r\n"
                           "Equation=a=b\r\n"
                           "Quoted=\"x\"\r\n"
                           "IleSleep=3\r\n"
                           "ileSLEEP=9\r\n"
                           "junk line without equals\r\n"
                           "=orphan value\r\n"
                           ";Commented=5\r\n"
                           "[Broken\r\n"
                           "Broken=inside\r\n"
                           "\r\n"
                           "[Other] ; trailing note\r\n"
                           "WaitForPanel=1\r\n"
                           "[parametry]\r\n"
                           "Late=42\r\n";
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("comments, odd spacing, CRLF")
            << Fixture << QByteArray("Parametry") << QByteArray("timeoutStand")
            << QByteArray("2500");
        QTest::newRow("LF") << QByteArray("[S]\nk=1\n\n; c\n") << QByteArray("S") << QByteArray("k")
                            << QByteArray("1");
        QTest::newRow("mixed endings") << QByteArray("[S]\r\nk=1\nm=2\r\n") << QByteArray("S")
                                       << QByteArray("m") << QByteArray("2");
        QTest::newRow("no final newline") << QByteArray("[S]\r\nk=end") << QByteArray("S")
                                          << QByteArray("k") << QByteArray("end");
        QTest::newRow("final line ends in CR only")
            << QByteArray("[S]\nk=v\r") << QByteArray("S") << QByteArray("k") << QByteArray("v");
        QTest::newRow("cp1250 bytes")
            << QByteArray("[S]\r\nk=\xA5\xB9\x8C\x9C\xFF\r\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("\xA5\xB9\x8C\x9C\xFF");
        QTest::newRow("utf-8 with BOM")
            << QByteArray("\xEF\xBB\xBF[S]\nk=\xC4\x85\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("\xC4\x85");
        QTest::newRow("NUL byte in value") << QByteArray("[S]\nk=a\0b\n", 10) << QByteArray("S")
                                           << QByteArray("k") << QByteArray("a\0b", 3);
        QTest::newRow("backslash and comma")
            << QByteArray("[S]\nk=\\\\srv\\a,b\\\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("\\\\srv\\a,b\\");
        QTest::newRow("only blank lines")
            << QByteArray("\r\n\r\n  \r\n") << QByteArray("S") << QByteArray("k") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray("S") << QByteArray("k")
                               << QByteArray();
    }
    void roundTrip() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString in = dir.filePath("in.ini");
        const QString out = dir.filePath("out.ini");
        QVERIFY(WriteFile(in, content));

        IniFile ini;
        QVERIFY(ini.Load(in.toStdString()));
        QVERIFY(ini.Save(out.toStdString()));
        QCOMPARE(ReadFile(out), content);
        QCOMPARE(Bytes(ini.Text()), content);
        QCOMPARE(Bytes(ini.ReadString(View(section), View(key), "")), value);
    }

    void read_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("plain") << QByteArray("Parametry") << QByteArray("WaitForPanel") << true
                               << QByteArray("7");
        QTest::newRow("section case")
            << QByteArray("PARAMETRY") << QByteArray("WaitForPanel") << true << QByteArray("7");
        QTest::newRow("key case") << QByteArray("Parametry") << QByteArray("waitforpanel") << true
                                  << QByteArray("7");
        QTest::newRow("blanks around key and value")
            << QByteArray("Parametry") << QByteArray("timeoutStand") << true << QByteArray("2500");
        QTest::newRow("backslashes kept") << QByteArray("Parametry") << QByteArray("Path") << true
                                          << QByteArray("C:\\ZYL\\menu\\");
        QTest::newRow("commas kept")
            << QByteArray("Parametry") << QByteArray("List") << true << QByteArray("1,2,3");
        QTest::newRow("cp1250 bytes") << QByteArray("Parametry") << QByteArray("Name") << true
                                      << QByteArray("Zbiornik \xB9\xEA");
        QTest::newRow("utf-8 bytes") << QByteArray("Parametry") << QByteArray("Utf") << true
                                     << QByteArray("\xC5\xBC\xC3\xB3\xC5\x82w");
        QTest::newRow("split at first equals")
            << QByteArray("Parametry") << QByteArray("Equation") << true << QByteArray("a=b");
        QTest::newRow("quotes kept")
            << QByteArray("Parametry") << QByteArray("Quoted") << true << QByteArray("\"x\"");
        QTest::newRow("duplicate key: first wins")
            << QByteArray("Parametry") << QByteArray("IleSleep") << true << QByteArray("3");
        QTest::newRow("second part of a repeated section")
            << QByteArray("Parametry") << QByteArray("Late") << true << QByteArray("42");
        QTest::newRow("same key in another section")
            << QByteArray("Other") << QByteArray("WaitForPanel") << true << QByteArray("1");
        QTest::newRow("commented key")
            << QByteArray("Parametry") << QByteArray(";Commented") << false << QByteArray();
        QTest::newRow("commented key without marker")
            << QByteArray("Parametry") << QByteArray("Commented") << false << QByteArray();
        QTest::newRow("junk line")
            << QByteArray("Parametry") << QByteArray("junk line without equals") << false
            << QByteArray();
        QTest::newRow("empty key")
            << QByteArray("Parametry") << QByteArray("") << false << QByteArray();
        QTest::newRow("unclosed section header is no section")
            << QByteArray("Broken") << QByteArray("Broken") << false << QByteArray();
        QTest::newRow("line under unclosed header stays in section before")
            << QByteArray("Parametry") << QByteArray("Broken") << true << QByteArray("inside");
        QTest::newRow("missing key")
            << QByteArray("Parametry") << QByteArray("Nothing") << false << QByteArray();
        QTest::newRow("missing section")
            << QByteArray("Nowhere") << QByteArray("WaitForPanel") << false << QByteArray();
        QTest::newRow("prefix of section name")
            << QByteArray("Param") << QByteArray("WaitForPanel") << false << QByteArray();
    }
    void read() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(bool, found);
        QFETCH(QByteArray, value);
        IniFile ini;
        ini.LoadText(View(Fixture));
        const auto got = ini.ReadValue(View(section), View(key));
        QCOMPARE(got.has_value(), found);
        if (found) QCOMPARE(Bytes(*got), value);
        QCOMPARE(Bytes(ini.ReadString(View(section), View(key), "dflt")),
                 found ? value : QByteArray("dflt"));
    }

    void keys() {
        IniFile ini;
        ini.LoadText("[Ports]\nCOM1=/dev/ttyUSB0\njunk\n; COM9=x\ncom2 = /dev/ttyS1\n"
                     "COM1=/dev/other\n[X]\nCOM3=no\n[PORTS]\nCOM4=/dev/ttyS3\n");
        const std::vector<std::string> expected = {"COM1", "com2", "COM4"};
        QCOMPARE(ini.Keys("ports"), expected);
        QVERIFY(ini.Keys("Missing").empty());
    }

    void readInteger_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("digits") << QByteArray("12") << 12;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("leading zeros") << QByteArray("007") << 7;
        QTest::newRow("blanks") << QByteArray(" \t 12 \t") << 12;
        QTest::newRow("plus") << QByteArray("+5") << 5;
        QTest::newRow("minus") << QByteArray("-5") << -5;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
        QTest::newRow("overflow") << QByteArray("2147483648") << 77;
        QTest::newRow("negative overflow") << QByteArray("-2147483649") << 77;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << 77;
        QTest::newRow("empty") << QByteArray("") << 77;
        QTest::newRow("trailing letters") << QByteArray("12abc") << 77;
        QTest::newRow("letters") << QByteArray("abc") << 77;
        QTest::newRow("inner blank") << QByteArray("1 2") << 77;
        QTest::newRow("sign only") << QByteArray("-") << 77;
        QTest::newRow("two signs") << QByteArray("--1") << 77;
        QTest::newRow("sign then blank") << QByteArray("- 1") << 77;
        QTest::newRow("fraction") << QByteArray("1.5") << 77;
        QTest::newRow("hex") << QByteArray("0x10") << 77;
        QTest::newRow("inline comment") << QByteArray("5 ; five") << 77;
    }
    void readInteger() {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        IniFile ini;
        ini.LoadText(View("[S]\r\nk=" + value + "\r\n"));
        QCOMPARE(ini.ReadInteger("S", "k", 77), expected);
    }

    void writeInteger_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("existing key keeps its spelling and blanks")
            << QByteArray("; c\r\n[Parametry]\r\n  StronaKodowa =  1  \r\nJestModul=0\r\n")
            << QByteArray("parametry") << QByteArray("stronakodowa") << 3
            << QByteArray("; c\r\n[Parametry]\r\n  StronaKodowa =  3  \r\nJestModul=0\r\n");
        QTest::newRow("existing empty value")
            << QByteArray("[S]\nk=\nm=1\n") << QByteArray("S") << QByteArray("k") << -12
            << QByteArray("[S]\nk=-12\nm=1\n");
        QTest::newRow("existing junk value replaced whole")
            << QByteArray("[S]\r\nk=5 ; five\r\n") << QByteArray("S") << QByteArray("k") << 6
            << QByteArray("[S]\r\nk=6\r\n");
        QTest::newRow("first of duplicated keys")
            << QByteArray("[S]\nk=1\nK=2\n") << QByteArray("S") << QByteArray("k") << 9
            << QByteArray("[S]\nk=9\nK=2\n");
        QTest::newRow("new key before the section's trailing blank lines")
            << QByteArray("[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n") << QByteArray("A")
            << QByteArray("z") << 5 << QByteArray("[A]\r\nx=1\r\nz=5\r\n\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new key after a trailing comment")
            << QByteArray("[A]\nx=1\n; end of A\n[B]\n") << QByteArray("A") << QByteArray("z") << 5
            << QByteArray("[A]\nx=1\n; end of A\nz=5\n[B]\n");
        QTest::newRow("new key in a section with only blank lines")
            << QByteArray("[A]\n\n[B]\n") << QByteArray("A") << QByteArray("z") << 5
            << QByteArray("[A]\nz=5\n\n[B]\n");
        QTest::newRow("new key in the last section")
            << QByteArray("[A]\r\nx=1\r\n") << QByteArray("a") << QByteArray("z") << 5
            << QByteArray("[A]\r\nx=1\r\nz=5\r\n");
        QTest::newRow("new key, no final newline")
            << QByteArray("[A]\nx=1") << QByteArray("A") << QByteArray("z") << 5
            << QByteArray("[A]\nx=1\nz=5");
        QTest::newRow("new key goes to the first part of a repeated section")
            << QByteArray("[A]\nx=1\n[B]\n[A]\ny=2\n") << QByteArray("A") << QByteArray("z") << 5
            << QByteArray("[A]\nx=1\nz=5\n[B]\n[A]\ny=2\n");
        QTest::newRow("new section at the end, CRLF")
            << QByteArray("[A]\r\nx=1\r\n") << QByteArray("Parametry") << QByteArray("FormVersion")
            << 0 << QByteArray("[A]\r\nx=1\r\n[Parametry]\r\nFormVersion=0\r\n");
        QTest::newRow("new section at the end, LF")
            << QByteArray("[A]\nx=1\n\n") << QByteArray("N") << QByteArray("k") << 1
            << QByteArray("[A]\nx=1\n\n[N]\nk=1\n");
        QTest::newRow("new section, no final newline")
            << QByteArray("[A]\r\nx=1") << QByteArray("N") << QByteArray("k") << 1
            << QByteArray("[A]\r\nx=1\r\n[N]\r\nk=1");
        QTest::newRow("new section in an empty file")
            << QByteArray() << QByteArray("Parametry") << QByteArray("JestModul") << 1
            << QByteArray("[Parametry]\r\nJestModul=1\r\n");
        QTest::newRow("unclosed header is not the section")
            << QByteArray("[A\nx=1\n") << QByteArray("A") << QByteArray("x") << 2
            << QByteArray("[A\nx=1\n[A]\nx=2\n");
    }
    void writeInteger() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(int, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("ustawienia.ini");
        QVERIFY(WriteFile(path, before));

        IniFile ini;
        QVERIFY(ini.Load(path.toStdString()));
        ini.WriteInteger(View(section), View(key), value);
        QVERIFY(ini.Save(path.toStdString()));
        QCOMPARE(ReadFile(path), after);

        IniFile again;
        QVERIFY(again.Load(path.toStdString()));
        QCOMPARE(again.ReadInteger(View(section), View(key), 999), value);
    }

    void writeStringUnsafe_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray same = "[S]\nk=1\n";
        QTest::newRow("line breaks in value become blanks")
            << QByteArray("S") << QByteArray("k") << QByteArray("a\r\n[X]\nb")
            << QByteArray("[S]\nk=a  [X] b\n");
        QTest::newRow("bytes and backslashes written as they are")
            << QByteArray("S") << QByteArray("k") << QByteArray("C:\\a,\xB9")
            << QByteArray("[S]\nk=C:\\a,\xB9\n");
        QTest::newRow("key with equals")
            << QByteArray("S") << QByteArray("a=b") << QByteArray("v") << same;
        QTest::newRow("key with line break")
            << QByteArray("S") << QByteArray("a\nb") << QByteArray("v") << same;
        QTest::newRow("comment-like key")
            << QByteArray("S") << QByteArray(";a") << QByteArray("v") << same;
        QTest::newRow("empty key") << QByteArray("S") << QByteArray("") << QByteArray("v") << same;
        QTest::newRow("key with outer blank")
            << QByteArray("S") << QByteArray(" k") << QByteArray("v") << same;
        QTest::newRow("section with bracket")
            << QByteArray("S]x") << QByteArray("k") << QByteArray("v") << same;
        QTest::newRow("section with line break")
            << QByteArray("S\n[T") << QByteArray("k") << QByteArray("v") << same;
        QTest::newRow("empty section")
            << QByteArray("") << QByteArray("k") << QByteArray("v") << same;
    }
    void writeStringUnsafe() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        IniFile ini;
        ini.LoadText("[S]\nk=1\n");
        ini.WriteString(View(section), View(key), View(value));
        QCOMPARE(Bytes(ini.Text()), after);
    }

    void missingFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        IniFile ini;
        ini.LoadText("[S]\nk=1\n");
        QVERIFY(!ini.Load(dir.filePath("absent.ini").toStdString()));
        QCOMPARE(Bytes(ini.Text()), QByteArray());
        QCOMPARE(ini.ReadInteger("S", "k", 5), 5);
        QCOMPARE(Bytes(ini.ReadString("S", "k", "d")), QByteArray("d"));
        QVERIFY(!ini.ReadValue("S", "k"));
        QVERIFY(!ini.Load(dir.path().toStdString()));

        ini.WriteInteger("S", "k", 2);
        QVERIFY(!ini.Save(dir.filePath("no/such/folder/x.ini").toStdString()));
        const QString created = dir.filePath("created.ini");
        QVERIFY(ini.Save(created.toStdString()));
        QCOMPARE(ReadFile(created), QByteArray("[S]\r\nk=2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
