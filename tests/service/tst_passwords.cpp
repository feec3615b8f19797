// The password rules: the six characters sent for what was typed, the row names, and that a
// send rebuilds only the rows the user typed into, so a block read from the controller goes
// back byte for byte.

#include "link/CommandCatalogue.h"
#include "link/CommandEncoding.h"
#include "service/Passwords.h"

#include <QtTest>

#include <array>
#include <optional>
#include <string>
#include <vector>

using namespace zyl;

namespace {

std::vector<std::uint8_t> PayloadOf(const TPasswordBlock& block) {
    return BuildWritePasswordsRequest(block).payload;
}

QByteArray Hex(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex()
        .toUpper();
}

// 222 bytes as the controller answers a read: 37 groups of six, some with zero bytes and
// blanks of their own that no typing rule would produce.
std::vector<std::uint8_t> ControllerPasswords() {
    std::vector<std::uint8_t> data;
    for (int row = 0; row < PasswordRowCount; ++row) {
        std::string six = "P" + std::to_string(100000 + row).substr(1);
        if (row == 0) six = std::string("AB\0\0\0\0", 6);
        if (row == 6) six = "  X  Y";
        if (row == 36) six = std::string("\0\0\0\0\0\0", 6);
        data.insert(data.end(), six.begin(), six.end());
    }
    return data;
}

} // namespace

class TestPasswords : public QObject {
    Q_OBJECT
private slots:
    void sixCharacters_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("empty: six blanks") << QByteArray("") << QByteArray("      ");
        QTest::newRow("one") << QByteArray("7") << QByteArray("     7");
        QTest::newRow("four: two blanks first") << QByteArray("1234") << QByteArray("  1234");
        QTest::newRow("six as typed") << QByteArray("ABCDEF") << QByteArray("ABCDEF");
        QTest::newRow("eight: the first six") << QByteArray("ABCDEFGH") << QByteArray("ABCDEF");
        QTest::newRow("blanks typed are kept") << QByteArray(" a b") << QByteArray("   a b");
        QTest::newRow("a byte of code page 1250") << QByteArray("\xB9x") << QByteArray("    \xB9x");
    }
    void sixCharacters() {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, sent);
        const std::string six = SixCharacterPassword(typed.toStdString());
        QCOMPARE(QByteArray::fromStdString(six), sent);
    }

    void rowNames_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 0 << "Programming";
        QTest::newRow("4") << 3 << "Service functions 2";
        QTest::newRow("6") << 5 << "Washing start";
        QTest::newRow("7 has no name") << 6 << "";
        QTest::newRow("8") << 7 << "User name 1";
        QTest::newRow("37") << 36 << "User name 30";
        QTest::newRow("38 is no row") << 37 << "";
    }
    void rowNames() {
        QFETCH(int, row);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(PasswordRowName(row)), name);
    }

    // A read followed by a send without typing gives the controller the bytes it sent,
    // zero bytes and odd blanks included; typing into two rows changes those two only.
    void untouchedRowsKeepTheirBytes() {
        const auto read = ControllerPasswords();
        TPasswordBlock block{};
        DecodePasswords(read, block);
        QCOMPARE(PasswordShown(block, 0), std::string("AB\0\0\0\0", 6));

        std::vector<std::optional<std::string>> typed(PasswordRowCount);
        ApplyTypedPasswords(block, typed);
        QCOMPARE(Hex(PayloadOf(block)), Hex(read));

        typed[1] = "1234";
        typed[6] = ""; // row 7, without a name, is sent like the others
        ApplyTypedPasswords(block, typed);
        auto expected = read;
        const std::string row2 = "  1234", row7 = "      ";
        std::copy(row2.begin(), row2.end(), expected.begin() + 6);
        std::copy(row7.begin(), row7.end(), expected.begin() + 36);
        QCOMPARE(Hex(PayloadOf(block)), Hex(expected));
    }

    // A slot loaded from a side file may hold fewer than six characters and bytes beyond its
    // length; an untouched row keeps all of them, a typed one is six characters long. Slots
    // 38 to 50 are never touched.
    void slotBytesBeyondTheLengthStay() {
        TPasswordBlock block{};
        for (auto& slot : block.Slots) std::fill(std::begin(slot.Chars), std::end(slot.Chars), 'z');
        block.Slots[0].SetText("AB");
        block.Slots[2].SetText("LONGPASS10");
        block.Slots[40].SetText("spare");
        const TPasswordBlock before = block;
        std::vector<std::optional<std::string>> typed(PasswordRowCount);
        typed[2] = "QWERTYUIOP";
        ApplyTypedPasswords(block, typed);
        QCOMPARE(std::memcmp(&block.Slots[0], &before.Slots[0], sizeof block.Slots[0]), 0);
        QCOMPARE(int(block.Slots[2].Length), 6);
        QCOMPARE(block.Slots[2].Text(), std::string("QWERTY"));
        QCOMPARE(std::string(block.Slots[2].Chars + 6, 4), std::string("SS10"));
        QCOMPARE(std::memcmp(&block.Slots[37], &before.Slots[37], 13 * sizeof block.Slots[0]), 0);
        // On the wire: "AB" and four zero bytes, as the slot says.
        QCOMPARE(Hex(PayloadOf(block)).left(12), QByteArray("414200000000"));
    }
};

QTEST_APPLESS_MAIN(TestPasswords)
#include "tst_passwords.moc"
