// The operator menu against the simulator through the real serial backend, in both panel
// layouts, directly and through the module: read the sample menu, change a text of a third
// language, write, read back; a write cancelled part-way; and zylctl's read, write and check
// of the ".mpl" family.

#include "E2eSupport.h"
#include "panel/MenuStreams.h"
#include "panel/MenuTransfer.h"
#include "support/TestFiles.h"
#include "support/ZylctlProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

constexpr int CliTimeout = 150;
constexpr std::size_t SampleStreamSize = 214;

QStringList SimOptions(bool structure) {
    return {"--menu-layout", structure ? "structure" : "predefined", "--panel-delay", "20"};
}

QString Key(bool structure, const char* block) {
    return QString("panel/%1/%2").arg(structure ? "structure" : "predefined", block);
}

QByteArray HexText(std::string_view bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toHex().toUpper();
}

#define RUN_EXIT(expression, code)                                                                 \
    do {                                                                                           \
        const CliRun run_ = (expression);                                                          \
        QVERIFY2(run_.exitCode == (code),                                                          \
                 qPrintable(QString("exit %1: %2").arg(run_.exitCode).arg(run_.err)));             \
    } while (false)

} // namespace

class TestE2eMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    void roundTrip_data() {
        QTest::addColumn<bool>("structure");
        QTest::addColumn<bool>("module");
        QTest::newRow("structure, direct") << true << false;
        QTest::newRow("structure, module") << true << true;
        QTest::newRow("predefined, direct") << false << false;
        QTest::newRow("predefined, module") << false << true;
    }
    void roundTrip() {
        QFETCH(bool, structure);
        QFETCH(bool, module);
        ZYL_START_SIM(sim, SimOptions(structure));
        SimAccess rig(sim.Device(), module);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        QCOMPARE(data.rows.size(), std::size_t(9));
        QCOMPARE(data.rows[4].texts[2].substr(0, 3), std::string("UHR"));

        SetMenuText(data.rows[4], 2, "UHRZEIT");
        SetMenuText(data.rows[8], 3, "RENSEIGNEMENTS");
        QTemporaryDir folder;
        QCOMPARE(
            WriteMenuToController(rig.access, data, languages, {2, 3}, folder.path().toStdString()),
            Outcome::Ok);
        QVERIFY(rig.host.messages.empty());

        // The simulator holds the program's streams byte for byte.
        const MenuUserBlock block = BuildMenuUserBlock(data, languages, {2, 3}, SampleStreamSize);
        const SimProcess::Block stored = sim.Dump(Key(structure, "user-block"));
        QCOMPARE(stored.how, QString("written"));
        QCOMPARE(stored.hex.left(qsizetype(2 * block.bytes.size())), HexText(block.bytes));
        QCOMPARE(sim.Dump(Key(structure, "code-table")).hex, QByteArray("10021002"));

        MenuData back;
        QCOMPARE(ReadMenuFromController(rig.access, back, languages, {2, 3}), Outcome::Ok);
        QCOMPARE(back.rows.size(), data.rows.size());
        for (std::size_t i = 0; i < back.rows.size(); ++i)
            for (std::size_t l = 0; l <= 3; ++l) {
                std::string expected = data.rows[i].texts[l];
                expected.resize(20, ' ');
                QCOMPARE(back.rows[i].texts[l], expected);
            }
        QCOMPARE(back.rows[4].texts[2], std::string("UHRZEIT             "));
    }

    // A Cancel after the first chunk: the panel holds that chunk and its old bytes after it.
    void cancelledWrite_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void cancelledWrite() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim, SimOptions(true));
        SimAccess rig(sim.Device(), module);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        const QByteArray before = sim.Dump(Key(true, "user-block")).hex;
        for (TMenuRow& row : data.rows)
            for (std::size_t l = 0; l <= 3; ++l) row.texts[l] = "X";
        rig.host.onEvents = [](RecordingHost& h) {
            if (!h.progress.empty() && h.progress.back().text == "Menu record" &&
                h.progress.back().position >= 264)
                h.cancel = true;
        };
        QCOMPARE(WriteMenuToController(rig.access, data, languages, {2, 3}, {}),
                 Outcome::Cancelled);
        QVERIFY(rig.host.messages.empty());
        const QByteArray after = sim.Dump(Key(true, "user-block")).hex;
        const MenuUserBlock block = BuildMenuUserBlock(data, languages, {2, 3}, SampleStreamSize);
        QCOMPARE(after.left(2 * 264), HexText(block.bytes).left(2 * 264));
        QCOMPARE(after.mid(2 * 264), before.mid(2 * 264));
        QCOMPARE(sim.Stats().value("writes"), qint64(2)); // the descriptor and one chunk
    }

    // zylctl reads the menu into the ".mpl" family, writes an edited language back, and the
    // panel then holds it; the check reports a text the panel cannot show whole.
    void zylctlReadWriteCheck_data() { roundTrip_data(); }
    void zylctlReadWriteCheck() {
        QFETCH(bool, structure);
        QFETCH(bool, module);
        QVERIFY2(!qEnvironmentVariable("ZYLCTL").isEmpty(), "ZYLCTL");
        ZYL_START_SIM(sim, SimOptions(structure));
        QTemporaryDir home;
        const QString menu = home.filePath("plant.mpl");
        RUN_EXIT(Zylctl(home.path(), ZylctlLinkArgs(sim, module, CliTimeout)
                                         << "read"
                                         << "menu" << menu << "--cust"
                                         << "2,3"),
                 0);
        QCOMPARE(QFile::exists(menu), structure);
        QCOMPARE(QFile::exists(home.filePath("plant.str")), structure);
        QVERIFY(ReadAll(home.filePath("MenuSettings.ini")).contains("LanguagesCount=3"));
        const QByteArray german = ReadAll(home.filePath("plant.2"));
        QVERIFY2(german.startsWith("PROGRAMME           \r\nSTART               \r\n"),
                 german.constData());
        QCOMPARE(german.count("\r\n"), 9);

        QByteArray edited = german;
        edited.replace("UHR                 ", "UHRZEIT");
        WriteAll(home.filePath("plant.2"), edited);
        RUN_EXIT(Zylctl(home.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "write"
                                                                             << "menu" << menu),
                 0);

        const QString back = home.filePath("back.mpl");
        RUN_EXIT(Zylctl(home.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "read"
                                                                             << "menu" << back),
                 0);
        QVERIFY(ReadAll(home.filePath("back.2")).contains("\r\nUHRZEIT             \r\n"));
        QCOMPARE(ReadAll(home.filePath("back.3")), ReadAll(home.filePath("plant.3")));

        if (structure) {
            RUN_EXIT(Zylctl(home.path(), {"check", "menu", back}), 0);
            edited.replace("UHRZEIT", "UHRZEIT UND DATUM IM MENU");
            WriteAll(home.filePath("back.2"), edited);
            const CliRun check = Zylctl(home.path(), {"check", "menu", back});
            QCOMPARE(check.exitCode, 5);
            QVERIFY2(check.out.contains("UHRZEIT UND DATUM IM"), qPrintable(check.out));
        } else {
            // Without a structure file the check has nothing to lay the texts over.
            const CliRun check = Zylctl(home.path(), {"check", "menu", back});
            QCOMPARE(check.exitCode, 4);
            QVERIFY(check.err.contains("structure"));
        }
    }
};

QTEST_GUILESS_MAIN(TestE2eMenu)
#include "tst_e2e_menu.moc"
