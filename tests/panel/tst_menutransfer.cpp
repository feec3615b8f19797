#include "core/ControllerAccess.h"
#include "link/Komunikacja.h"
#include "panel/CodePage.h"
#include "panel/MenuStreams.h"
#include "panel/MenuTransfer.h"
#include "sim/Engine.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QtTest>

#include <chrono>
#include <functional>
#include <span>

using namespace zyl;
using namespace zyl::test;

namespace {

using Clock = std::chrono::steady_clock;

std::string Text(const sim::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

QByteArray Shown(std::string_view bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toHex(' ').toUpper();
}

std::string Padded(std::string text) {
    text.resize(MenuTextPanelSize, ' ');
    return text;
}

// The simulated controller answering a scripted port: each request is answered once, by the
// simulator's protocol engine (the panel ready at once after a submit).
struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    std::unique_ptr<sim::Engine> engine;
    std::function<bool(const sim::Bytes& request)> silent;
    std::size_t answered = SIZE_MAX;
    sim::Bytes lastReply;

    explicit Rig(bool structure, bool module) {
        sim::EngineConfig config;
        config.panelDelay = std::chrono::milliseconds(0);
        config.sample.layoutMark = structure ? sim::StructureLayoutMark : 0;
        engine = std::make_unique<sim::Engine>(config, Clock::now());
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        controls.baud = 1;
        access.moduleMode = module;
        port.respond = [this](const sim::Bytes& request) {
            if (port.written.size() == answered) return lastReply;
            answered = port.written.size();
            lastReply =
                silent && silent(request) ? sim::Bytes{} : engine->Answer(request, Clock::now());
            return lastReply;
        };
    }

    sim::MenuLayout Layout() const { return engine->memory().Layout(); }
    std::string Panel(const char* block) const {
        return Text(engine->memory().Get(sim::PanelKey(Layout(), block)));
    }
    void SetPanel(const char* block, std::string_view bytes) {
        QVERIFY(engine->memory().Put(sim::PanelKey(Layout(), block),
                                     sim::Bytes(bytes.begin(), bytes.end())));
    }
    // The panel commands sent (direct requests and submits), with their payloads.
    std::vector<sim::Bytes> Sent(int code) const {
        std::vector<sim::Bytes> found;
        for (const sim::Bytes& r : port.written)
            if (r.size() > 9 && r[5] == 'D' && r[6] == code)
                found.emplace_back(r.begin() + 9, r.end() - 2);
        return found;
    }
};

bool IsPanelCommand(const sim::Bytes& r, int code) {
    return r.size() > 9 && r[5] == 'D' && r[6] == code;
}

} // namespace

class TestMenuTransfer : public QObject {
    Q_OBJECT
private slots:
    void readsTheSampleMenu_data() {
        QTest::addColumn<bool>("structure");
        QTest::addColumn<bool>("module");
        QTest::newRow("structure, direct") << true << false;
        QTest::newRow("structure, module") << true << true;
        QTest::newRow("predefined, direct") << false << false;
        QTest::newRow("predefined, module") << false << true;
    }
    void readsTheSampleMenu() {
        QFETCH(bool, structure);
        QFETCH(bool, module);
        Rig rig(structure, module);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        QVERIFY(rig.host.messages.empty());
        QVERIFY(data.present);
        QCOMPARE(data.layout, structure ? MenuLayout::Structure : MenuLayout::Predefined);
        QCOMPARE(data.rows.size(), std::size_t(9));
        const int groups[9] = {1, 1, 1, 2, 2, 2, 2, 3, 3};
        for (std::size_t i = 0; i < 9; ++i) {
            QCOMPARE(data.rows[i].nr_wew, int(i) + 1);
            QCOMPARE(data.rows[i].nr, groups[i]);
        }
        QCOMPARE(data.rows[3].texts[0], Padded("USTAWIENIA"));
        QCOMPARE(data.rows[3].texts[1], Padded("SETTINGS"));
        QCOMPARE(data.rows[3].texts[2], Padded("EINSTELLUNGEN"));
        QCOMPARE(data.rows[6].texts[3], Padded("MOT DE PASSE"));
        QCOMPARE(int(data.rows[3].znak1), structure ? 0x05 : 0);
        QCOMPARE(int(data.rows[3].znak2), structure ? 0x02 : 0);
        // One chunk of structure (its FE is in the first), then the user block in chunks.
        const auto pages = rig.Sent(0x21);
        const std::size_t S = 214;
        QCOMPARE(int(pages.size()), MenuChunkCount((structure ? 4 : 3) * S));
        for (std::size_t k = 0; k < pages.size(); ++k)
            QCOMPARE(int(pages[k][0]) << 8 | pages[k][1], int(k * 264));
        QCOMPARE(rig.Sent(0x22).size(), std::size_t(1));
        QCOMPARE(rig.host.progress.front().text,
                 std::string(structure ? "Predefined menu" : "Predefined menu"));
        QCOMPARE(rig.host.progress.back().text, std::string("User\x92s menu"));
    }

    // An edited text of the first selector's language travels; the panel then holds the
    // program's streams byte for byte, and the side files hold what was sent.
    void writesTheEditedMenu_data() { readsTheSampleMenu_data(); }
    void writesTheEditedMenu() {
        QFETCH(bool, structure);
        QFETCH(bool, module);
        Rig rig(structure, module);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        SetMenuText(data.rows[4], 2, "UHRZEIT UND DATUM 24H");
        const std::size_t S = 214;
        const MenuUserBlock block = BuildMenuUserBlock(data, languages, {2, 3}, S);
        QVERIFY(block.error.empty());

        QTemporaryDir folder;
        QCOMPARE(
            WriteMenuToController(rig.access, data, languages, {2, 3}, folder.path().toStdString()),
            Outcome::Ok);
        QVERIFY(rig.host.messages.empty());
        const std::string user = rig.Panel("user-block");
        QCOMPARE(Shown(user.substr(0, block.bytes.size())), Shown(block.bytes));
        QVERIFY(user.find("UHRZEIT UND DATUM 24") != std::string::npos);
        QVERIFY(user.find("UHRZEIT UND DATUM 24H") == std::string::npos);
        QCOMPARE(Shown(rig.Panel("code-table")), QByteArray("10 02 10 02"));

        const auto writes = rig.Sent(0x24);
        QCOMPARE(int(writes.size()), MenuChunkCount(block.bytes.size()));
        for (std::size_t k = 0; k < writes.size(); ++k) {
            QCOMPARE(int(writes[k][0]) << 8 | writes[k][1], int(k * 264));
            QCOMPARE(writes[k].size(), std::size_t(266));
        }
        // The last chunk is padded with blanks.
        const std::size_t tail = block.bytes.size() % 264;
        QCOMPARE(Text(writes.back()).substr(2 + tail), std::string(264 - tail, ' '));

        QFile code(folder.filePath("StrKod.bin")), sent(folder.filePath("jezyki.bin"));
        QCOMPARE(code.exists(), structure);
        QCOMPARE(sent.exists(), structure);
        if (structure) {
            QVERIFY(code.open(QIODevice::ReadOnly) && sent.open(QIODevice::ReadOnly));
            QCOMPARE(code.readAll().toHex(' ').toUpper(), QByteArray("10 02 10 02"));
            QCOMPARE(sent.readAll().toStdString(), block.bytes);
        }

        // What the panel holds reads back as what was written.
        MenuData back;
        QCOMPARE(ReadMenuFromController(rig.access, back, languages, {2, 3}), Outcome::Ok);
        QCOMPARE(back.rows.size(), data.rows.size());
        for (std::size_t i = 0; i < back.rows.size(); ++i)
            for (int l = structure ? 0 : 1; l <= 3; ++l)
                QCOMPARE(back.rows[i].texts[std::size_t(l)],
                         Padded(data.rows[i].texts[std::size_t(l)].substr(0, 20)));
    }

    // A read that fails part-way, at any of its steps, leaves the window's menu as it was and
    // says so; Cancel ends it in silence.
    void failedReadKeepsTheMenu_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<int>("code");  // the panel command that goes unanswered
        QTest::addColumn<int>("which"); // its n-th request (from 1)
        QTest::newRow("first panel info") << false << 0x20 << 1;
        QTest::newRow("structure chunk") << false << 0x22 << 1;
        QTest::newRow("second panel info") << false << 0x20 << 2;
        QTest::newRow("last user chunk") << false << 0x21 << 4;
        QTest::newRow("module, user chunk") << true << 0x21 << 2;
    }
    void failedReadKeepsTheMenu() {
        QFETCH(bool, module);
        QFETCH(int, code);
        QFETCH(int, which);
        Rig rig(true, module);
        int seen = 0;
        rig.silent = [&](const sim::Bytes& r) {
            if (module ? !(r[1] == 0x47 && IsPanelCommand(r, code)) : !IsPanelCommand(r, code))
                return false;
            return ++seen >= which;
        };
        MenuData data;
        data.present = true;
        data.layout = MenuLayout::Predefined;
        data.rows.resize(2);
        SetMenuText(data.rows[0], 1, "KEPT");
        MenuLanguages languages;
        languages.languages[2].codePage = CodePageCyrillic;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}),
                 Outcome::NoCommunication);
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
        QCOMPARE(data.rows.size(), std::size_t(2));
        QCOMPARE(data.rows[0].texts[1], std::string("KEPT"));
        QCOMPARE(data.layout, MenuLayout::Predefined);
        QCOMPARE(languages.languages[2].codePage, int(CodePageCyrillic));
        QVERIFY(!rig.host.progressVisible);
    }

    void cancelledReadKeepsTheMenu() {
        Rig rig(true, false);
        rig.host.onEvents = [](RecordingHost& h) {
            if (!h.progress.empty() && h.progress.back().text == "User\x92s menu") h.cancel = true;
        };
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Cancelled);
        QVERIFY(rig.host.messages.empty());
        QVERIFY(!data.present);
        QVERIFY(data.rows.empty());
    }

    // A write without the panel's info says "No communication" and sends nothing more.
    void writeWithoutPanelInfo() {
        Rig rig(true, false);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        rig.silent = [](const sim::Bytes& r) { return IsPanelCommand(r, 0x20); };
        rig.port.written.clear();
        rig.answered = SIZE_MAX;
        QCOMPARE(WriteMenuToController(rig.access, data, languages, {2, 3}, {}),
                 Outcome::NoCommunication);
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
        QVERIFY(rig.Sent(0x23).empty());
        QVERIFY(rig.Sent(0x24).empty());
    }

    // Menus the panel cannot hold are refused after the panel's info and before the code
    // descriptor: a predefined menu with more entries than the panel's stream size, and a
    // structure whose block would pass 65536 bytes.
    void refusedBeforeAnythingIsSent() {
        {
            Rig rig(false, false);
            MenuData data;
            MenuLanguages languages;
            QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
            data.rows.push_back(data.rows.back());
            const std::string before = rig.Panel("user-block");
            QCOMPARE(WriteMenuToController(rig.access, data, languages, {2, 3}, {}),
                     Outcome::Refused);
            QCOMPARE(rig.host.messages.size(), std::size_t(1));
            QVERIFY(rig.host.messages[0].find("nothing was sent") != std::string::npos);
            QVERIFY(rig.Sent(0x23).empty());
            QVERIFY(rig.Sent(0x24).empty());
            QCOMPARE(rig.Panel("user-block"), before);
        }
        {
            Rig rig(true, false);
            MenuData data;
            data.present = true;
            data.structure = std::string("\xFF\x00", 2);
            for (int g = 0; g < 3; ++g) data.structure += std::string("\xFD\x03\x01\x00", 4);
            data.structure += '\xFE';
            data.rows = RowsFromStructure(data.structure);
            QCOMPARE(WriteMenuToController(rig.access, data, MenuLanguages(), {2, 3}, {}),
                     Outcome::Refused);
            QVERIFY(rig.host.messages.at(0).find("65536") != std::string::npos);
            QVERIFY(rig.Sent(0x23).empty());
            QVERIFY(rig.Sent(0x24).empty());
        }
    }

    // A Cancel after the first chunk: that chunk stays in the panel, nothing else is sent,
    // and jezyki.bin holds only what went out.
    void cancelledWrite() {
        Rig rig(true, false);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        for (auto& row : data.rows) SetMenuText(row, 1, "NEW");
        rig.host.onEvents = [](RecordingHost& h) {
            if (!h.progress.empty() && h.progress.back().text == "Menu record" &&
                h.progress.back().position >= 264)
                h.cancel = true;
        };
        QTemporaryDir folder;
        QCOMPARE(
            WriteMenuToController(rig.access, data, languages, {2, 3}, folder.path().toStdString()),
            Outcome::Cancelled);
        QCOMPARE(rig.Sent(0x24).size(), std::size_t(1));
        QVERIFY(rig.host.messages.empty());
        QFile sent(folder.filePath("jezyki.bin"));
        QVERIFY(sent.open(QIODevice::ReadOnly));
        QCOMPARE(sent.size(), qint64(264));
        QVERIFY(!rig.host.progressVisible);
    }

    // An FE among a group's attribute bytes does not end the structure read: the read goes on
    // until the structure's own end, and the rows are built over the bytes read.
    void attributeFeDoesNotEndTheStructure() {
        Rig rig(true, false);
        std::string structure("\xFF\x00", 2);
        for (int g = 0; g < 70; ++g) structure += std::string("\x01\xFE\x01\x00", 4);
        structure += '\xFE';
        rig.SetPanel("predefined-block", structure);
        MenuData data;
        MenuLanguages languages;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        QCOMPARE(rig.Sent(0x22).size(), std::size_t(2));
        QCOMPARE(data.rows.size(), std::size_t(70));
        QCOMPARE(data.rows.back().nr, 70);
        QCOMPARE(int(data.rows.back().znak1), 0xFE);
    }

    // The panel's descriptor sets the selectors' code pages: 11 Cyryllic, 12 PC852 in the
    // structure layout; in the predefined layout anything but 11 is Standard.
    void reportedCodePages_data() {
        QTest::addColumn<bool>("structure");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("structure") << true << int(CodePageCyrillic) << int(CodePagePC852);
        QTest::newRow("predefined") << false << int(CodePageCyrillic) << int(CodePageStandard);
    }
    void reportedCodePages() {
        QFETCH(bool, structure);
        QFETCH(int, first);
        QFETCH(int, second);
        Rig rig(structure, false);
        rig.SetPanel("code-table", "\x10\x11\x10\x12");
        MenuData data;
        MenuLanguages languages;
        languages.languages[3].codePage = CodePagePolish;
        QCOMPARE(ReadMenuFromController(rig.access, data, languages, {2, 3}), Outcome::Ok);
        QCOMPARE(languages.languages[2].codePage, first);
        QCOMPARE(languages.languages[3].codePage, second);
    }
};

QTEST_GUILESS_MAIN(TestMenuTransfer)
#include "tst_menutransfer.moc"
