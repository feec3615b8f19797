// zylctl dump, build, diff and report on files the test makes: a JSON dump builds the very
// files back, a report is written as PDF and HTML, and each failure ends with its exit code,
// its message and nothing written.

#include "project/Records.h"
#include "support/ZylctlProcess.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstddef>
#include <random>

using namespace zyl;
using namespace zyl::test;

namespace {

QByteArray Random(qsizetype size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray b(size, '\0');
    for (char& c : b) c = char(random());
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The template with relay 3 named.
QByteArray Plant(const char* relayName) {
    QFile t(QStringLiteral(ZYL_TEMPLATE_PATH));
    if (!t.open(QIODevice::ReadOnly)) qFatal("no template at %s", ZYL_TEMPLATE_PATH);
    QByteArray image = t.readAll();
    const qsizetype name = qsizetype(offsetof(TProjectImage, Relays) + 2 * sizeof(TRelayRecord) +
                                     offsetof(TRelayRecord, Name));
    image[name] = char(qstrlen(relayName));
    image.replace(name + 1, qstrlen(relayName), relayName);
    return image;
}

} // namespace

class TestZylctlText : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void buildOfTheJsonDumpGivesTheFilesBack_data();
    void buildOfTheJsonDumpGivesTheFilesBack();
    void exitCodes_data();
    void exitCodes();
    void reportWritesPdfAndHtml();

private:
    QTemporaryDir home_;
    QString Path(const QString& name) const { return home_.filePath(name); }
};

void TestZylctlText::initTestCase() {
    QVERIFY(home_.isValid());
    WriteAll(Path("plant.zy2"), Plant("PUMP"));
    WriteAll(Path("plant.zy2h"), Random(sizeof(TPasswordBlock), 1));
    WriteAll(Path("plant.zy2pid"), Random(sizeof(TPidRecord) * PidCount, 2));
    WriteAll(Path("other.zy2"), Plant("PUMP 2"));
    WriteAll(Path("cyrillic.zy2"), Plant("\xC0"));
    WriteAll(Path("relays.rlz"), Random(sizeof(TRelayRecord) * RelayCount, 3));
    WriteAll(Path("processes.klz"), Random(sizeof(TProcessRecord) * ProcessCount, 4));
    WriteAll(Path("short.rlz"), Random(100, 5));
    WriteAll(Path("notes.txt"), "text");
    WriteAll(Path("bad.json"), "{\"format\": 1,\n \"kind\": \"relays\", }");
    WriteAll(Path("no-block.json"),
             R"({"format": 1, "kind": "relays", "code page": 1250, "unnamed": {}})");
    const CliRun relays = Zylctl(home_.path(), {"dump", Path("relays.rlz"), "--json"});
    QCOMPARE(relays.exitCode, 0);
    WriteAll(Path("relays.json"), relays.out.toUtf8());
}

void TestZylctlText::buildOfTheJsonDumpGivesTheFilesBack_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QStringList>("suffixes"); // the project's files
    QTest::newRow("project") << "plant.zy2"
                             << "copy.zy2" << QStringList{"", "h", "pid"};
    QTest::newRow("relays") << "relays.rlz"
                            << "copy.rlz" << QStringList{""};
}

void TestZylctlText::buildOfTheJsonDumpGivesTheFilesBack() {
    QFETCH(QString, file);
    QFETCH(QString, copy);
    QFETCH(QStringList, suffixes);
    const CliRun dump = Zylctl(home_.path(), {"dump", Path(file), "--json"});
    QCOMPARE(dump.exitCode, 0);
    WriteAll(Path("dump.json"), dump.out.toUtf8());
    const CliRun build = Zylctl(home_.path(), {"build", Path("dump.json"), Path(copy)});
    QVERIFY2(build.exitCode == 0, qPrintable(build.err));
    for (const QString& suffix : suffixes)
        QCOMPARE(ReadAll(Path(copy + suffix)), ReadAll(Path(file + suffix)));
    const CliRun diff = Zylctl(home_.path(), {"diff", Path(file), Path(copy)});
    QCOMPARE(diff.exitCode, 0);
    QCOMPARE(diff.out, QString());
}

void TestZylctlText::exitCodes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output"); // in stdout or stderr
    QTest::addColumn<QString>("unwritten");
    QTest::newRow("text dump") << QStringList{"dump", "@plant.zy2"} << 0
                               << "\nRelays / Relay 3 / Name = \"PUMP\"\n"
                               << "";
    QTest::newRow("text dump, 1250")
        << QStringList{"dump", "@cyrillic.zy2"} << 0 << "Relay 3 / Name = \"\u0154\""
        << "";
    QTest::newRow("text dump, 1251")
        << QStringList{"--code-page", "cyrillic", "dump", "@cyrillic.zy2"} << 0
        << "Relay 3 / Name = \"\u0410\""
        << "";
    QTest::newRow("dump without a file") << QStringList{"dump"} << 2 << "dump takes FILE"
                                         << "";
    QTest::newRow("dump of a missing file")
        << QStringList{"dump", "@none.zy2"} << 4 << "cannot read"
        << "";
    QTest::newRow("dump of a short block file")
        << QStringList{"dump", "@short.rlz"} << 4
        << "short.rlz is 100 bytes long, not the 2944 bytes of 32 relay records"
        << "";
    QTest::newRow("dump of another file")
        << QStringList{"dump", "@notes.txt"} << 4 << "neither a project"
        << "";
    QTest::newRow("build of bad JSON")
        << QStringList{"build", "@bad.json", "@out.rlz"} << 4
        << "bad.json: line 2, column 20: expected a key in quotes; nothing written"
        << "out.rlz";
    QTest::newRow("build of JSON without its block")
        << QStringList{"build", "@no-block.json", "@out.rlz"} << 4
        << "no-block.json: the top level: \"relays\" is missing; nothing written"
        << "out.rlz";
    QTest::newRow("build into another kind's name")
        << QStringList{"build", "@relays.json", "@out.klz"} << 4
        << "out.klz is no name for a relays file (.rlz); nothing written"
        << "out.klz";
    QTest::newRow("build without OUT")
        << QStringList{"build", "@bad.json"} << 2 << "build takes FILE.json OUT"
        << "";
    QTest::newRow("diff of equal files")
        << QStringList{"diff", "@plant.zy2", "@plant.zy2"} << 0 << ""
        << "";
    QTest::newRow("diff of different files") << QStringList{"diff", "@plant.zy2", "@other.zy2"} << 5
                                             << "Relay 3: Name: \"PUMP\" -> \"PUMP 2\"\n"
                                             << "";
    QTest::newRow("diff of two kinds") << QStringList{"diff", "@relays.rlz", "@processes.klz"} << 4
                                       << "a relays file and a processes file"
                                       << "";
    QTest::newRow("diff with a missing file")
        << QStringList{"diff", "@plant.zy2", "@none.zy2"} << 4 << "cannot read"
        << "";
    QTest::newRow("report without a format") << QStringList{"report", "@plant.zy2", "@out.pdf"} << 2
                                             << "report takes FILE --pdf|--html OUT"
                                             << "out.pdf";
    QTest::newRow("report of a block file")
        << QStringList{"report", "@relays.rlz", "--pdf", "@out.pdf"} << 4
        << "relays.rlz is a relays file, not a project; nothing written"
        << "out.pdf";
    QTest::newRow("report of a missing file")
        << QStringList{"report", "@none.zy2", "--html", "@out.html"} << 4 << "cannot read"
        << "out.html";
    QTest::newRow("report with two formats")
        << QStringList{"report", "@plant.zy2", "--pdf", "--html"} << 2
        << "report takes FILE --pdf|--html OUT"
        << "--html";
    QTest::newRow("report onto the project's side file")
        << QStringList{"report", "@plant.zy2", "--html", "@plant.zy2pid"} << 4
        << "itself; nothing written"
        << "";
    QTest::newRow("report into a missing folder")
        << QStringList{"report", "@plant.zy2", "--pdf", "@missing/out.pdf"} << 4
        << "could not be saved as"
        << "missing/out.pdf";
}

void TestZylctlText::exitCodes() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, output);
    QFETCH(QString, unwritten);
    for (QString& a : args)
        if (a.startsWith('@')) a = Path(a.mid(1));
    const CliRun run = Zylctl(home_.path(), args);
    QCOMPARE(run.exitCode, code);
    QVERIFY2((run.out + run.err).contains(output), qPrintable(run.out.left(300) + run.err));
    if (!unwritten.isEmpty()) QVERIFY(!QFile::exists(Path(unwritten)));
}

void TestZylctlText::reportWritesPdfAndHtml() {
    for (const char* format : {"--pdf", "--html"}) {
        const QString out = Path(format == QString("--pdf") ? "plant.pdf" : "plant.html");
        const CliRun run = Zylctl(home_.path(), {"report", Path("plant.zy2"), format, out});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.isEmpty());
        const QByteArray bytes = ReadAll(out);
        if (format == QString("--pdf"))
            QVERIFY(bytes.startsWith("%PDF-"));
        else
            QVERIFY(bytes.contains("<td>PUMP</td>") && bytes.contains("<td>plant.zy2</td>"));
    }
}

QTEST_APPLESS_MAIN(TestZylctlText)
#include "tst_zylctl_text.moc"
