#include "link/CommandCatalogue.h"
#include "link/CommandEncoding.h"
#include "panel/MenuStreams.h"

#include <QtTest>

using namespace zyl;

namespace {

std::string Hex(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    return bytes.toStdString();
}

QByteArray Shown(std::string_view bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toHex(' ').toUpper();
}

std::string Padded(std::string text, std::size_t size = 20) {
    text.resize(size, ' ');
    return text;
}

// Two groups of 2 and 1 entries with their attribute bytes, padded with zeros after FE as the
// panel keeps it.
std::string TwoGroupStructure() {
    std::string s = Hex("FF 00 02 03 01 00 01 05 02 00 FE");
    s.resize(264, '\0');
    return s;
}

// Rows of the two-group structure with texts in languages 0 to 3.
std::vector<TMenuRow> TwoGroupRows() {
    std::vector<TMenuRow> rows = RowsFromStructure(TwoGroupStructure());
    const char* texts[3][4] = {{"PROGRAMY", "PROGRAMS", "PROGRAMME", "PROGRAMMES"},
                               {"START", "START", "START", "DEMARRER"},
                               {"ZEGAR", "CLOCK", "UHR", "HORLOGE"}};
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int l = 0; l < 4; ++l) SetMenuText(rows[r], l, texts[r][l]);
    return rows;
}

// A language's stream of the two-group rows as the panel expects it, unpadded.
std::string ExpectedStream(const char* a, const char* b, const char* c, bool predefined = false) {
    const std::string marks1 = predefined ? Hex("03 01") : Hex("03 01");
    const std::string marks2 = predefined ? Hex("03 01") : Hex("05 02");
    std::string s = Hex("FF 00 02") + marks1;
    s += std::string(1, '\0') + Padded(a) + std::string(1, '\0');
    s += std::string(1, '\0') + Padded(b) + std::string(1, '\0');
    s += Hex("00 01") + marks2;
    s += std::string(1, '\0') + Padded(c) + std::string(1, '\0');
    return s;
}

MenuLanguages Languages(int cp2, int cp3) {
    MenuLanguages languages;
    languages.languages[2].codePage = cp2;
    languages.languages[3].codePage = cp3;
    return languages;
}

} // namespace

class TestMenuStreams : public QObject {
    Q_OBJECT
private slots:
    void structureGivesRowsAndStreamSize() {
        const std::string structure = TwoGroupStructure();
        const auto groups = ParseMenuStructure(structure);
        QCOMPARE(groups.size(), std::size_t(2));
        QCOMPARE(MenuStreamSize(groups), std::size_t(78));
        const std::vector<TMenuRow> rows = RowsFromStructure(structure);
        QCOMPARE(rows.size(), std::size_t(3));
        const int expected[3][4] = {{1, 1, 3, 1}, {2, 1, 3, 1}, {3, 2, 5, 2}};
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(rows[i].nr_wew, expected[i][0]);
            QCOMPARE(rows[i].nr, expected[i][1]);
            QCOMPARE(int(rows[i].znak1), expected[i][2]);
            QCOMPARE(int(rows[i].znak2), expected[i][3]);
        }
    }

    // The structure parse stops at 0 or FE, and never walks past the bytes it was given:
    // an FE among the attribute bytes does not end it, a cut descriptor is not taken.
    void structureParseIsBounded_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("groups");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("lead only") << QByteArray("FF 00") << 0;
        QTest::newRow("count 0 ends") << QByteArray("FF 00 02 03 01 00 00 01 01 00") << 1;
        QTest::newRow("FE as attribute") << QByteArray("FF 00 02 FE FE 00 01 01 01 00 FE") << 2;
        QTest::newRow("cut descriptor") << QByteArray("FF 00 02 03 01 00 01 05") << 1;
        QTest::newRow("no end mark") << QByteArray("FF 00 02 03 01 00 01 05 02 00") << 2;
    }
    void structureParseIsBounded() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, groups);
        QCOMPARE(int(ParseMenuStructure(Hex(bytes.constData())).size()), groups);
    }

    void languageStreamsOfTwoGroups() {
        const std::vector<TMenuRow> rows = TwoGroupRows();
        const MenuLanguages languages;
        QCOMPARE(Shown(BuildMenuTextStream(rows, MenuLayout::Structure, languages, 0)),
                 Shown(ExpectedStream("PROGRAMY", "START", "ZEGAR")));
        QCOMPARE(Shown(BuildMenuTextStream(rows, MenuLayout::Structure, languages, 3)),
                 Shown(ExpectedStream("PROGRAMMES", "DEMARRER", "HORLOGE")));
        // The predefined layout carries 03 01 as every group's attributes.
        QCOMPARE(Shown(BuildMenuTextStream(rows, MenuLayout::Predefined, languages, 1)),
                 Shown(ExpectedStream("PROGRAMS", "START", "CLOCK", true)));
    }

    void userBlockOfFourStreams() {
        MenuData data;
        data.structure = TwoGroupStructure();
        data.rows = TwoGroupRows();
        const MenuUserBlock block = BuildMenuUserBlock(data, MenuLanguages(), {2, 3}, 78);
        QVERIFY2(block.error.empty(), block.error.c_str());
        std::string expected;
        for (const auto& t :
             {std::array{"PROGRAMY", "START", "ZEGAR"}, std::array{"PROGRAMS", "START", "CLOCK"},
              std::array{"PROGRAMME", "START", "UHR"},
              std::array{"PROGRAMMES", "DEMARRER", "HORLOGE"}})
            expected += Padded(ExpectedStream(t[0], t[1], t[2]), 78);
        expected += Hex("FE 00");
        QCOMPARE(block.bytes.size(), std::size_t(4 * 78 + 2));
        QCOMPARE(Shown(block.bytes), Shown(expected));

        // The selectors decide the last two streams; the predefined layout has three, no FE 00.
        data.layout = MenuLayout::Predefined;
        const MenuUserBlock three = BuildMenuUserBlock(data, MenuLanguages(), {3, 1}, 80);
        QCOMPARE(Shown(three.bytes),
                 Shown(Padded(ExpectedStream("PROGRAMS", "START", "CLOCK", true), 80) +
                       Padded(ExpectedStream("PROGRAMMES", "DEMARRER", "HORLOGE", true), 80) +
                       Padded(ExpectedStream("PROGRAMS", "START", "CLOCK", true), 80)));
    }

    // What the writer pads with is not a group: every stream of a written block parses back
    // to exactly its rows' texts, and nothing of the next stream is taken.
    void writtenBlockParsesBack() {
        MenuData data;
        data.structure = TwoGroupStructure();
        data.rows = TwoGroupRows();
        const MenuUserBlock block = BuildMenuUserBlock(data, MenuLanguages(), {2, 3}, 78);
        const std::vector<int> order = UserBlockLanguages(MenuLayout::Structure, {2, 3});
        for (std::size_t part = 0; part < order.size(); ++part) {
            const auto entries =
                ParseMenuTextStream(std::string_view(block.bytes).substr(part * 78, 78));
            QCOMPARE(entries.size(), data.rows.size());
            for (std::size_t i = 0; i < entries.size(); ++i) {
                QCOMPARE(entries[i].group, data.rows[i].nr);
                QCOMPARE(entries[i].text, Padded(data.rows[i].texts[std::size_t(order[part])]));
            }
        }
    }

    void hostileStreams_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        const QByteArray entry = "00" + QByteArray(20, 'A').toHex() + "00";
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("FF only") << QByteArray("FF") << 0;
        QTest::newRow("no end, blanks after") << "FF 00 01 03 01" + entry + "20 20 20" << 1;
        QTest::newRow("count FE") << "FF 00 01 03 01" + entry + "00 FE 03 01" + entry << 1;
        QTest::newRow("count 32 past the end") << "FF 00 20 03 01" + entry << 0;
        QTest::newRow("truncated entry") << "FF 00 02 03 01" + entry + "00 41 41" << 0;
        QTest::newRow("header cut") << "FF 00 01 03 01" + entry + "00 01" << 1;
        QTest::newRow("byte before group not 00")
            << "FF 00 01 03 01" + entry + "07 01 03 01" + entry << 1;
    }
    void hostileStreams() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        const std::string stream = Hex(bytes.constData());
        const auto parsed = ParseMenuTextStream(stream);
        QCOMPARE(int(parsed.size()), entries);
        for (const auto& e : parsed) QCOMPARE(e.text, std::string(20, 'A'));
    }

    void descriptors_data() {
        QTest::addColumn<bool>("structure");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("both Cyryllic") << true << 1 << 1 << QByteArray("11 00 11 00");
        QTest::newRow("Standard, Polish") << true << 0 << 2 << QByteArray("10 02 10 02");
        QTest::newRow("PC852, Standard") << true << 3 << 0 << QByteArray("12 00 10 02");
        QTest::newRow("predefined Cyryllic, PC852") << false << 1 << 3 << QByteArray("11 00 10 02");
        QTest::newRow("predefined Polish, PC852") << false << 2 << 3 << QByteArray("10 02 10 02");
    }
    void descriptors() {
        QFETCH(bool, structure);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QByteArray, expected);
        const auto d =
            MenuCodeDescriptor(structure ? MenuLayout::Structure : MenuLayout::Predefined,
                               Languages(first, second), {2, 3});
        QCOMPARE(Shown(std::string_view(reinterpret_cast<const char*>(d.data()), 4)), expected);
    }

    void panelTexts_data() {
        QTest::addColumn<bool>("structure");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("25 characters, first 20")
            << true << 0 << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY")
            << QByteArray("ABCDEFGHIJKLMNOPQRST").toHex();
        // A long dash has no place in the panel's Cyrillic set: the text is one byte shorter
        // and padded back to 20.
        QTest::newRow("Cyrillic dash dropped") << true << 1 << QByteArray("\xC0\x97\xC1")
                                               << QByteArray("80 81") + QByteArray(18, ' ').toHex();
        QTest::newRow("no-break space as blank")
            << true << 0
            << QByteArray("A\xA0"
                          "B")
            << QByteArray("41 20 42") + QByteArray(17, ' ').toHex();
        QTest::newRow("predefined keeps A0")
            << false << 0
            << QByteArray("A\xA0"
                          "B")
            << QByteArray("41 A0 42") + QByteArray(17, ' ').toHex();
        QTest::newRow("Polish capitals") << true << 2 << QByteArray("\xA5\xB9")
                                         << QByteArray("A4 B9") + QByteArray(18, ' ').toHex();
    }
    void panelTexts() {
        QFETCH(bool, structure);
        QFETCH(int, codePage);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, sent);
        const std::string out =
            MenuTextToPanel(structure ? MenuLayout::Structure : MenuLayout::Predefined, codePage,
                            text.toStdString());
        QCOMPARE(Shown(out), Shown(Hex(sent.constData())));
    }

    // Blocks the panel cannot address, and streams longer than their place, are refused
    // before anything exists to send.
    void refusedBlocks() {
        MenuData data;
        data.structure = TwoGroupStructure();
        data.rows = TwoGroupRows();
        const MenuUserBlock tooLong = BuildMenuUserBlock(data, MenuLanguages(), {2, 3}, 70);
        QVERIFY(tooLong.bytes.empty());
        QVERIFY(tooLong.error.find("nothing was sent") != std::string::npos);

        const MenuUserBlock beyond = BuildMenuUserBlock(data, MenuLanguages(), {2, 3}, 16384);
        QVERIFY(beyond.bytes.empty());
        QVERIFY(beyond.error.find("65536") != std::string::npos);
        // 4 x 16383 + 2 bytes still fit.
        QVERIFY(BuildMenuUserBlock(data, MenuLanguages(), {2, 3}, 16383).error.empty());
    }

    // A 265-byte string goes out as two chunks, the second one byte and 263 blanks, at the
    // addresses 00 00 and 01 08.
    void chunks() {
        QCOMPARE(MenuChunkCount(265), 2);
        QCOMPARE(MenuChunkCount(264), 1);
        QCOMPARE(MenuChunkCount(0), 0);
        const std::string bytes(265, 'M');
        const std::string last = PanelPageData(std::string_view(bytes).substr(264));
        QCOMPARE(last, "M" + std::string(263, ' '));
        const auto a1 = EncodePanelPageAddress(1);
        QCOMPARE(int(a1[0]), 0x01);
        QCOMPARE(int(a1[1]), 0x08);
    }
};

QTEST_GUILESS_MAIN(TestMenuStreams)
#include "tst_menustreams.moc"
