#include "panel/CodePage.h"

#include <QStringDecoder>
#include <QtTest>

#include <array>

using namespace zyl;

namespace {

constexpr int Dropped = -1;
using Expected = std::array<int, 256>;

std::string_view View(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}
QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

Expected Identity() {
    Expected e{};
    for (int b = 0; b < 256; ++b) e[static_cast<std::size_t>(b)] = b;
    return e;
}

// "84:F1 8A:E6 ..." (hexadecimal byte pairs) applied over the identity.
Expected WithPairs(Expected e, const char* pairs) {
    const QList<QByteArray> items = QByteArray(pairs).simplified().split(' ');
    for (const QByteArray& item : items) {
        const QList<QByteArray> p = item.split(':');
        e[p[0].toUInt(nullptr, 16)] = int(p[1].toUInt(nullptr, 16));
    }
    return e;
}

void Drop(Expected& e, const char* bytes) {
    for (const QByteArray& b : QByteArray(bytes).simplified().split(' '))
        e[b.toUInt(nullptr, 16)] = Dropped;
}

Expected CyrillicTo() {
    Expected e =
        WithPairs(Identity(), "A1:F6 A2:F7 A8:F0 AA:F2 AF:F4 B0:F8 B8:F1 B9:FC BA:F3 BF:F5");
    for (int b = 0xC0; b <= 0xEF; ++b) e[b] = b - 0x40;
    for (int b = 0xF0; b <= 0xFF; ++b) e[b] = b - 0x10;
    for (int b = 0x80; b <= 0xA0; ++b) e[b] = Dropped;
    Drop(e, "A3 A4 A5 A6 A7 A9 AB AC AD AE B1 B2 B3 B4 B5 B6 B7 BB BC BD BE");
    return e;
}

Expected CyrillicFrom() {
    Expected e = WithPairs(Identity(), "F0:A8 F1:B8 F2:AA F3:BA F4:AF F5:BF F6:A1 F7:A2 F8:B0 "
                                       "F9:B0 FA:B0 FC:B9");
    for (int b = 0x80; b <= 0xAF; ++b) e[b] = b + 0x40;
    for (int b = 0xE0; b <= 0xEF; ++b) e[b] = b + 0x10;
    for (int b = 0xB0; b <= 0xDF; ++b) e[b] = Dropped;
    Drop(e, "FB FD FE FF");
    return e;
}

const char* PolishToPairs = "8C:97 8F:8D A3:9D A5:A4 AF:BD C6:8F CA:A8 D1:E3 D3:E0";
const char* PolishFromPairs = "8D:8F 8F:C6 97:8C 9D:A3 A4:A5 A8:CA BD:AF E0:D3 E3:D1";

const char* Pc852ToPairs =
    "84:F1 8A:E6 8C:97 8D:9B 8E:A6 8F:8D 9A:E7 9C:98 9D:AA 9E:A7 9F:AB A3:9D A5:A4 AA:B8 AF:BD "
    "B3:88 B9:A5 BA:AD BC:95 BE:A1 BF:BE C0:E8 C1:B5 C2:B6 C3:C6 C4:8E C5:91 C6:8F C7:80 C8:AC "
    "C9:90 CA:A8 CB:D3 CC:B7 CD:D6 CE:8C CF:D2 D0:D1 D1:E3 D2:D5 D3:E2 D5:8A D6:99 D8:FC D9:DE "
    "DA:E9 DB:EB DC:9A DD:ED DE:DD DF:E1 E0:EA E1:A0 E2:83 E3:C7 E4:84 E5:92 E6:86 E7:87 E8:9F "
    "E9:82 EA:A9 EB:89 EC:D8 ED:A1 EE:D7 EF:D4 F0:D0 F1:E4 F2:E5 F3:E0 F5:8B F6:94 F7:F6 F8:FD "
    "F9:85 FA:A3 FC:81 FD:EC FE:EE";
const char* Pc852FromPairs =
    "80:C7 81:FC 82:E9 83:E2 84:E4 85:F9 86:E6 87:E7 88:B3 89:EB 8A:D5 8B:F5 8C:CE 8D:8F 8E:C4 "
    "8F:C6 90:C9 91:C5 92:E5 94:F6 95:BC 97:8C 98:9C 99:D6 9A:DC 9B:8D 9D:A3 9F:E8 A0:E1 A1:ED "
    "A3:FA A4:A5 A5:B9 A6:8E A7:9E A8:CA A9:EA AA:9D AB:9F AC:C8 AD:BA B5:C1 B6:C2 B7:CC B8:AA "
    "BD:AF BE:BF C6:C3 C7:E3 D0:F0 D1:D0 D2:CF D3:CB D4:EF D5:D2 D6:CD D7:EE D8:EC DD:DE DE:D9 "
    "E0:F3 E1:DF E2:D3 E3:D1 E4:F1 E5:F2 E6:8A E7:9A E8:C0 E9:DA EA:E0 EB:DB EC:FD ED:DD EE:FE "
    "F1:84 F6:F7 FC:D8 FD:F8";

QByteArray AllBytes() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    return all;
}

QString Hex(const QByteArray& b) {
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

} // namespace

class TestCodePage : public QObject {
    Q_OBJECT
private slots:
    // Every byte of every code page in both directions: listed entries are replaced,
    // dropped bytes vanish, all others (00 to 7F among them) pass unchanged.
    void everyByte_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<bool>("toController");
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("expected");
        struct Page {
            const char* name;
            int codePage;
            bool to;
            Expected table;
        };
        const Page pages[] = {
            {"Standard to", CodePageStandard, true, Identity()},
            {"Standard from", CodePageStandard, false, Identity()},
            {"Cyryllic to", CodePageCyrillic, true, CyrillicTo()},
            {"Cyryllic from", CodePageCyrillic, false, CyrillicFrom()},
            {"Polish to", CodePagePolish, true, WithPairs(Identity(), PolishToPairs)},
            {"Polish from", CodePagePolish, false, WithPairs(Identity(), PolishFromPairs)},
            {"PC852 to", CodePagePC852, true, WithPairs(Identity(), Pc852ToPairs)},
            {"PC852 from", CodePagePC852, false, WithPairs(Identity(), Pc852FromPairs)},
        };
        for (const Page& p : pages)
            for (int b = 0; b < 256; ++b)
                QTest::addRow("%s %02X", p.name, b) << p.codePage << p.to << b << p.table[b];
    }
    void everyByte() {
        QFETCH(int, codePage);
        QFETCH(bool, toController);
        QFETCH(int, input);
        QFETCH(int, expected);
        const std::string in(1, char(input));
        const std::string out =
            toController ? ToControllerText(codePage, in) : FromControllerText(codePage, in);
        const QByteArray want = expected == Dropped ? QByteArray() : QByteArray(1, char(expected));
        QCOMPARE(Hex(Bytes(out)), Hex(want));
    }

    // The controller's own deviations from the published code pages.
    void deviations_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<bool>("toController");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        const int s = CodePagePC852;
        QTest::newRow("t caron out") << s << true << QByteArray("\x9D") << QByteArray("\xAA");
        QTest::newRow("l caron out") << s << true << QByteArray("\xBE") << QByteArray("\xA1");
        QTest::newRow("l caron comes back as i acute")
            << s << false << QByteArray("\xA1") << QByteArray("\xED");
        QTest::newRow("I circumflex out") << s << true << QByteArray("\xCE") << QByteArray("\x8C");
        QTest::newRow("i circumflex out") << s << true << QByteArray("\xEE") << QByteArray("\xD7");
        QTest::newRow("O acute out") << s << true << QByteArray("\xD3") << QByteArray("\xE2");
        QTest::newRow("o acute out") << s << true << QByteArray("\xF3") << QByteArray("\xE0");
        QTest::newRow("low quote out") << s << true << QByteArray("\x84") << QByteArray("\xF1");
        QTest::newRow("AA back") << s << false << QByteArray("\xAA") << QByteArray("\x9D");
        QTest::newRow("8C back") << s << false << QByteArray("\x8C") << QByteArray("\xCE");
        QTest::newRow("D7 back") << s << false << QByteArray("\xD7") << QByteArray("\xEE");
        QTest::newRow("E2 back") << s << false << QByteArray("\xE2") << QByteArray("\xD3");
        QTest::newRow("E0 back") << s << false << QByteArray("\xE0") << QByteArray("\xF3");
        QTest::newRow("F1 back") << s << false << QByteArray("\xF1") << QByteArray("\x84");
        QTest::newRow("96 and 9C back unchanged")
            << s << false << QByteArray("\x96\x9C") << QByteArray("\x96\x9C");
        QTest::newRow("Polish A ogonek out")
            << int(CodePagePolish) << true << QByteArray("\xA5") << QByteArray("\xA4");
        QTest::newRow("Polish A ogonek back")
            << int(CodePagePolish) << false << QByteArray("\xA4") << QByteArray("\xA5");
        QTest::newRow("Polish small a ogonek both ways")
            << int(CodePagePolish) << true << QByteArray("\xB9") << QByteArray("\xB9");
        QTest::newRow("Polish small a ogonek back")
            << int(CodePagePolish) << false << QByteArray("\xB9") << QByteArray("\xB9");
        QTest::newRow("Cyryllic long dash dropped")
            << int(CodePageCyrillic) << true << QByteArray("\xC0\x97\xFF")
            << QByteArray("\x80\xEF");
        QTest::newRow("Cyryllic middle dot back as degree")
            << int(CodePageCyrillic) << false << QByteArray("\xFA") << QByteArray("\xB0");
        QTest::newRow("Cyryllic dropped bytes keep order of the rest")
            << int(CodePageCyrillic) << false
            << QByteArray("a\xB0\x80\xDF\xFF"
                          "b\xE0")
            << QByteArray("a\xC0"
                          "b\xF0");
    }
    void deviations() {
        QFETCH(int, codePage);
        QFETCH(bool, toController);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        const std::string out = toController ? ToControllerText(codePage, View(input))
                                             : FromControllerText(codePage, View(input));
        QCOMPARE(Hex(Bytes(out)), Hex(expected));
    }

    void pc852LCaronComesBackAsIAcute() {
        QCOMPARE(
            Hex(Bytes(FromControllerText(CodePagePC852, ToControllerText(CodePagePC852, "\xBE")))),
            Hex(QByteArray("\xED")));
    }

    void cyrillicLettersRoundTrip() {
        // А..я, Ё ё Є є Ї ї Ў ў and the degree sign in Windows-1251.
        QByteArray pc;
        for (int b = 0xC0; b <= 0xFF; ++b) pc.append(char(b));
        pc.append("\xA8\xB8\xAA\xBA\xAF\xBF\xA1\xA2\xB0");
        QByteArray controller;
        for (int b = 0x80; b <= 0xAF; ++b) controller.append(char(b));
        for (int b = 0xE0; b <= 0xEF; ++b) controller.append(char(b));
        controller.append("\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8");

        const std::string sent = ToControllerText(CodePageCyrillic, View(pc));
        QCOMPARE(Hex(Bytes(sent)), Hex(controller));
        QCOMPARE(Hex(Bytes(FromControllerText(CodePageCyrillic, sent))), Hex(pc));
    }

    void emptyText() {
        for (int page : {0, 1, 2, 3, 7}) {
            QVERIFY(ToControllerText(page, "").empty());
            QVERIFY(FromControllerText(page, "").empty());
        }
    }

    void unknownCodePageConvertsNothing_data() {
        QTest::addColumn<int>("codePage");
        QTest::newRow("7") << 7;
        QTest::newRow("4") << 4;
        QTest::newRow("-1") << -1;
    }
    void unknownCodePageConvertsNothing() {
        QFETCH(int, codePage);
        const QByteArray all = AllBytes();
        QCOMPARE(Bytes(ToControllerText(codePage, View(all))), all);
        QCOMPARE(Bytes(FromControllerText(codePage, View(all))), all);
    }

    void pcCodePage_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("pc");
        QTest::newRow("Standard") << 0 << 1250;
        QTest::newRow("Cyryllic") << 1 << 1251;
        QTest::newRow("Polish") << 2 << 1250;
        QTest::newRow("PC852") << 3 << 1250;
        QTest::newRow("unknown") << 7 << 1250;
    }
    void pcCodePage() {
        QFETCH(int, codePage);
        QFETCH(int, pc);
        QCOMPARE(PcCodePageFor(codePage), pc);
    }

    void pcToUtf8_data() {
        QTest::addColumn<int>("pc");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1250 ascii") << 1250 << QByteArray("Ab1 ~") << QString("Ab1 ~");
        QTest::newRow("1250 NUL") << 1250 << QByteArray("a\0b", 3)
                                  << QString(QChar(u'a')) + QChar(0) + u'b';
        QTest::newRow("1250 Polish")
            << 1250 << QByteArray("\xA5\xB9\x8C\x9C\xA3\xB3\xAF\xBF\x8F\x9F")
            << QStringLiteral("ĄąŚśŁłŻżŹź");
        QTest::newRow("1250 Slovak")
            << 1250 << QByteArray("\x8D\x9D\xBC\xBE\xC8\xE8") << QStringLiteral("ŤťĽľČč");
        QTest::newRow("1250 euro, quotes")
            << 1250 << QByteArray("\x80\x84\x93\x94") << QStringLiteral("€„“”");
        QTest::newRow("1250 undefined 81")
            << 1250 << QByteArray("\x81") << QStringLiteral("\uFFFD");
        QTest::newRow("1250 undefined 98")
            << 1250 << QByteArray("\x98") << QStringLiteral("\uFFFD");
        QTest::newRow("1251 letters")
            << 1251 << QByteArray("\xC0\xDF\xE0\xFF\xA8\xB8") << QStringLiteral("АЯаяЁё");
        QTest::newRow("1251 signs") << 1251 << QByteArray("\xB9\xB0\x88") << QStringLiteral("№°€");
        QTest::newRow("1251 undefined 98")
            << 1251 << QByteArray("\x98") << QStringLiteral("\uFFFD");
        QTest::newRow("1252 Western")
            << 1252 << QByteArray("\xE9\xFC\x9C\x80\x9F") << QStringLiteral("éüœ€Ÿ");
        QTest::newRow("1252 undefined 8D")
            << 1252 << QByteArray("\x8D") << QStringLiteral("\uFFFD");
        QTest::newRow("other page as 1250") << 852 << QByteArray("\xB9") << QStringLiteral("ą");
    }
    void pcToUtf8() {
        QFETCH(int, pc);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(PcToUtf8(pc, View(bytes))), text);
    }

    void utf8ToPc_data() {
        QTest::addColumn<int>("pc");
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("1250 Polish")
            << 1250 << QStringLiteral("Zażółć").toUtf8() << QByteArray("Za\xBF\xF3\xB3\xE6");
        QTest::newRow("1250 no Cyrillic")
            << 1250 << QStringLiteral("aЖb").toUtf8() << QByteArray("a?b");
        QTest::newRow("1251 letters")
            << 1251 << QStringLiteral("Жё№").toUtf8() << QByteArray("\xC6\xB8\xB9");
        QTest::newRow("1251 no Polish") << 1251 << QStringLiteral("ą").toUtf8() << QByteArray("?");
        QTest::newRow("replacement char has no byte")
            << 1250 << QStringLiteral("\uFFFD").toUtf8() << QByteArray("?");
        QTest::newRow("four-byte character")
            << 1250 << QByteArray("\xF0\x9F\x98\x80") << QByteArray("?");
        QTest::newRow("lone continuation") << 1250 << QByteArray("a\x80z") << QByteArray("a?z");
        QTest::newRow("truncated at end") << 1250 << QByteArray("a\xC4") << QByteArray("a?");
        QTest::newRow("truncated before ascii")
            << 1250 << QByteArray("\xE2\x82z") << QByteArray("?z");
        QTest::newRow("overlong") << 1250 << QByteArray("\xC0\x80") << QByteArray("??");
        QTest::newRow("surrogate") << 1250 << QByteArray("\xED\xA0\x80") << QByteArray("?");
        QTest::newRow("beyond U+10FFFF")
            << 1250 << QByteArray("\xF4\x90\x80\x80") << QByteArray("?");
        QTest::newRow("invalid lead") << 1250 << QByteArray("\xFF") << QByteArray("?");
        QTest::newRow("NUL kept") << 1250 << QByteArray("\0", 1) << QByteArray("\0", 1);
    }
    void utf8ToPc() {
        QFETCH(int, pc);
        QFETCH(QByteArray, utf8);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Hex(Bytes(Utf8ToPc(pc, View(utf8)))), Hex(bytes));
    }

    // Against the system's converter: every byte with a character decodes alike and encodes
    // back to itself. Bytes without one decode to U+FFFD here; the system may give U+FFFD
    // or pass them through as the C1 control of the same value.
    void pcTablesAgainstSystem_data() {
        QTest::addColumn<int>("pc");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("1250") << 1250 << QByteArray("windows-1250");
        QTest::newRow("1251") << 1251 << QByteArray("windows-1251");
        QTest::newRow("1252") << 1252 << QByteArray("windows-1252");
    }
    void pcTablesAgainstSystem() {
        QFETCH(int, pc);
        QFETCH(QByteArray, name);
        if (!QStringDecoder(name.constData()).isValid())
            QSKIP("no system converter for this code page");
        QStringList mismatches;
        for (int b = 0; b < 256; ++b) {
            QStringDecoder decoder(name.constData());
            const QByteArray byte(1, char(b));
            const QString system = decoder.decode(byte);
            const QString ours = QString::fromStdString(PcToUtf8(pc, View(byte)));
            const bool systemUndefined = system == QString(QChar(0xFFFD)) ||
                                         (b >= 0x80 && b <= 0x9F && system == QString(QChar(b)));
            const QString expected = systemUndefined ? QString(QChar(0xFFFD)) : system;
            if (ours != expected)
                mismatches << QString("%1: %2 expected %3")
                                  .arg(b, 2, 16, QChar('0'))
                                  .arg(Hex(ours.toUtf8()), Hex(expected.toUtf8()));
            else if (!systemUndefined &&
                     Utf8ToPc(pc, ours.toStdString()) != std::string(1, char(b)))
                mismatches << QString("%1 does not encode back").arg(b, 2, 16, QChar('0'));
        }
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join("; ")));
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
