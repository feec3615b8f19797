// The menu window over menus built here (the transfer and the files have their own tests):
// the selectors with the default, few and no languages, which cells open the entry editor
// before and after F10, the editor's capitals, limit and bytes kept when nothing changed,
// added languages up to the limit, the rows' colours and character sets, Read and Write to
// disk through the file dialogs, the check before a write, CSV export and import, and the
// main window's "Set languages".

#include "app/main.h"
#include "core/AppContext.h"
#include "panel/CodePage.h"
#include "panel/MenuDialogs.h"
#include "panel/MenuFiles.h"
#include "panel/MenuStreams.h"
#include "panel/MenuWindow.h"
#include "sim/Engine.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

using namespace zyl;

namespace {

using Col = MenuWindow::Column;

// Groups of two entries and one: rows with nr 1, 1, 2.
std::string TwoGroups() {
    return std::string("\xFF\x00", 2) + std::string("\x02\x03\x01\x00", 4) +
           std::string("\x01\x03\x01\x00", 4) + std::string("\xFE\x00", 2);
}

// Three rows in the structure layout; language n of row r holds "L<n>R<r>".
MenuData Fixture() {
    MenuData data;
    data.layout = MenuLayout::Structure;
    data.structure = TwoGroups();
    data.rows = RowsFromStructure(data.structure);
    for (std::size_t r = 0; r < data.rows.size(); ++r)
        for (int n = 0; n < MenuLanguageSlots; ++n)
            SetMenuText(data.rows[r], n, "L" + std::to_string(n) + "R" + std::to_string(r));
    data.present = true;
    return data;
}

std::string Bytes(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Cell(const MenuWindow& w, int row, int column) {
    const QTableWidgetItem* item = w.View()->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

template <class Window> Window* ShownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(w); window && window->isVisible()) return window;
    return nullptr;
}

// Runs act on the dialog of type Window once what follows has shown it; closes it after.
// seen tells whether it was shown at all.
template <class Window> void WhenShown(std::function<void(Window&)> act, bool* seen = nullptr) {
    if (seen) *seen = false;
    QTimer::singleShot(0, [act, seen] {
        Window* window = ShownWindow<Window>();
        if (seen) *seen = window != nullptr;
        if (!window) return;
        act(*window);
        if (window->isVisible()) window->reject();
    });
}

// Lets the timers of WhenShown run out when nothing was shown.
void Settle() {
    QApplication::processEvents();
}

void TypeOver(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    // One key a character, beyond Latin-1 too.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The simulated controller in the structure layout answering the port at once.
std::unique_ptr<sim::Engine> AttachController(test::FakeSerialPort& port, AppContext& ctx) {
    using Clock = std::chrono::steady_clock;
    sim::EngineConfig config;
    config.panelDelay = std::chrono::milliseconds(0);
    config.sample.layoutMark = sim::StructureLayoutMark;
    auto engine = std::make_unique<sim::Engine>(config, Clock::now());
    ctx.settings.tuning.timeoutStand = 10;
    ctx.settings.WaitForPanel = 1;
    ctx.link.SetTuning(ctx.settings.tuning);
    port.respond = [controller = engine.get()](const sim::Bytes& request) {
        return controller->Answer(request, Clock::now());
    };
    return engine;
}

} // namespace

class TestMenuWindow : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    test::FakeSerialPort port_;
    test::RecordingHost host_;
    std::unique_ptr<AppContext> ctx_;

    QString Home(const QString& name) const { return home_.filePath(name); }
    void WriteSettings(const QByteArray& ini) {
        QVERIFY(WriteAll(Home(QString::fromLatin1(MenuSettingsFileName)), ini));
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("ZYL_HOME", home_.path().toLocal8Bit());
    }
    void init() {
        QFile::remove(Home(QString::fromLatin1(MenuSettingsFileName)));
        host_ = test::RecordingHost{};
        port_ = test::FakeSerialPort{};
        ctx_ = std::make_unique<AppContext>(port_, host_);
    }
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    }

    // Without "MenuSettings.ini": three default languages, the selectors on languages 2 and
    // 3, nothing to write until there is menu data.
    void opensWithDefaults() {
        MenuWindow w(*ctx_);
        QCOMPARE(w.windowTitle(), QStringLiteral("Menu"));
        QCOMPARE(Items(w.FirstSelector()), QStringList({"LANGUAGE 1", "LANGUAGE 2", "LANGUAGE 3"}));
        QCOMPARE(Items(w.SecondSelector()), Items(w.FirstSelector()));
        QCOMPARE(w.FirstSelector()->currentIndex(), 1);
        QCOMPARE(w.SecondSelector()->currentIndex(), 2);
        QCOMPARE(w.View()->rowCount(), 0);
        QVERIFY(!w.ServiceMode());
        for (QWidget* b :
             std::initializer_list<QWidget*>{w.WriteControllerButton(), w.WriteDiskButton(),
                                             w.ExportButton(), w.ImportButton()})
            QVERIFY(!b->isEnabled());
        QVERIFY(w.ReadControllerButton()->isEnabled());
        QVERIFY(w.ReadDiskButton()->isEnabled());
        QCOMPARE(w.ReadControllerButton()->toolTip(), QStringLiteral("Read from controller"));
        QCOMPARE(w.WriteDiskButton()->toolTip(), QStringLiteral("Write to disk"));

        QStringList headers;
        for (int c = 0; c < MenuWindow::ColumnCount; ++c)
            headers << w.View()->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, QStringList({"Nr", "Polski", "English", "Cust 1", "Cust 2"}));

        w.SetMenu(Fixture(), w.Languages());
        QVERIFY(w.WriteControllerButton()->isEnabled());
        QVERIFY(w.WriteDiskButton()->isEnabled());
        QVERIFY(w.ExportButton()->isEnabled());
        QCOMPARE(Cell(w, 1, Col::ColumnNr), QStringLiteral("1"));
        QCOMPARE(Cell(w, 2, Col::ColumnNr), QStringLiteral("2"));
        QCOMPARE(Cell(w, 1, Col::ColumnPolish), QStringLiteral("L0R1"));
        QCOMPARE(Cell(w, 1, Col::ColumnEnglish), QStringLiteral("L1R1"));
        QCOMPARE(Cell(w, 1, Col::ColumnCust1), QStringLiteral("L2R1"));
        QCOMPARE(Cell(w, 1, Col::ColumnCust2), QStringLiteral("L3R1"));
        QCOMPARE(w.Selection().first, 2);
        QCOMPARE(w.Selection().second, 3);

        w.FirstSelector()->setCurrentIndex(0);
        QCOMPARE(Cell(w, 2, Col::ColumnCust1), QStringLiteral("L1R2"));
        QCOMPARE(w.Selection().first, 1);
        w.SecondSelector()->setCurrentIndex(1);
        QCOMPARE(Cell(w, 2, Col::ColumnCust2), QStringLiteral("L2R2"));
    }

    // Fewer than three languages: each selector on its item or the last there is; none at
    // all leaves them empty, the Cust columns blank and nothing to edit there.
    void fewLanguages_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("firstItem");
        QTest::addColumn<int>("secondItem");
        QTest::addColumn<QString>("cust1");
        QTest::addColumn<QString>("cust2");
        QTest::newRow("none") << 0 << -1 << -1 << QString() << QString();
        QTest::newRow("one") << 1 << 0 << 0 << "L1R0"
                             << "L1R0";
        QTest::newRow("two") << 2 << 1 << 1 << "L2R0"
                             << "L2R0";
        QTest::newRow("four") << 4 << 1 << 2 << "L2R0"
                              << "L3R0";
    }
    void fewLanguages() {
        QFETCH(int, count);
        QFETCH(int, firstItem);
        QFETCH(int, secondItem);
        QFETCH(QString, cust1);
        QFETCH(QString, cust2);
        WriteSettings("[Settings]\r\nLanguagesCount=" + QByteArray::number(count) + "\r\n");
        MenuWindow w(*ctx_);
        QCOMPARE(w.FirstSelector()->count(), count);
        QCOMPARE(w.FirstSelector()->currentIndex(), firstItem);
        QCOMPARE(w.SecondSelector()->currentIndex(), secondItem);
        w.SetMenu(Fixture(), w.Languages());
        QCOMPARE(w.FirstSelector()->currentIndex(), firstItem);
        QCOMPARE(Cell(w, 0, Col::ColumnCust1), cust1);
        QCOMPARE(Cell(w, 0, Col::ColumnCust2), cust2);

        bool edited = false;
        WhenShown<MenuEntryEditor>([](MenuEntryEditor&) {}, &edited);
        w.EditCell(0, Col::ColumnCust1);
        Settle();
        QCOMPARE(edited, count > 0);
    }

    // Which cells a double-click or Enter opens: Cust 1 and 2 always, Polski and English only
    // after F10, Nr never.
    void editableCells_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::newRow("English, double-click") << int(Col::ColumnEnglish) << false << false << true;
        QTest::newRow("English, Enter") << int(Col::ColumnEnglish) << true << false << true;
        QTest::newRow("Polski, Enter") << int(Col::ColumnPolish) << true << false << true;
        QTest::newRow("Nr, double-click") << int(Col::ColumnNr) << false << false << false;
        QTest::newRow("Nr, Enter") << int(Col::ColumnNr) << true << false << false;
        QTest::newRow("Cust 2, double-click") << int(Col::ColumnCust2) << false << true << true;
        QTest::newRow("Cust 1, Enter") << int(Col::ColumnCust1) << true << true << true;
    }
    void editableCells() {
        QFETCH(int, column);
        QFETCH(bool, byEnter);
        QFETCH(bool, before);
        QFETCH(bool, after);
        MenuWindow w(*ctx_);
        w.SetMenu(Fixture(), w.Languages());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTableWidget* view = w.View();
        // Whether the editor opened, and with the cell's text.
        const auto open = [&] {
            bool seen = false;
            QString text;
            WhenShown<MenuEntryEditor>(
                [&](MenuEntryEditor& editor) { text = editor.Field()->text(); }, &seen);
            view->setCurrentCell(1, column);
            if (byEnter) {
                QTest::keyClick(view, Qt::Key_Return);
            } else {
                const QPoint at = view->visualItemRect(view->item(1, column)).center();
                // The view takes a double-click on the cell it was pressed on.
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            }
            Settle();
            return seen && text == Cell(w, 1, column);
        };
        QCOMPARE(open(), before);
        QVERIFY(w.isVisible()); // Enter did not close the window
        QTest::keyClick(&w, Qt::Key_F10);
        QVERIFY(w.ServiceMode());
        QCOMPARE(open(), after);
        QCOMPARE(w.Data().rows[1].texts, Fixture().rows[1].texts); // closed by Cancel
    }

    // The entry editor: capitals as typed, 20 characters typed at most (a longer text it
    // opens with stays), and bytes stored only when the text changed, in the language's
    // character set.
    void entryEditor_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("typed"); // null: nothing typed
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("capitals") << 0 << QByteArray("OLD") << "start" << true
                                  << QByteArray("START");
        QTest::newRow("Polish capitals") << 0 << QByteArray("OLD") << QString::fromUtf8("żółw")
                                         << true << QByteArray("\xAF\xD3\xA3W");
        QTest::newRow("20 typed at most") << 0 << QByteArray() << "abcdefghijklmnopqrstuvwxyz"
                                          << true << QByteArray("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("Cancel") << 0 << QByteArray("OLD") << "new" << false << QByteArray("OLD");
        QTest::newRow("OK unchanged keeps small letters")
            << 0 << QByteArray("old") << QString() << true << QByteArray("old");
        QTest::newRow("OK unchanged keeps a byte without a character")
            << 0 << QByteArray("A\x98Z") << QString() << true << QByteArray("A\x98Z");
        QTest::newRow("OK unchanged keeps a longer text")
            << 0 << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY") << QString() << true
            << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY");
        QTest::newRow("Cyrillic capitals") << 1 << QByteArray("\xC0") << QString::fromUtf8("мир")
                                           << true << QByteArray("\xCC\xC8\xD0");
        QTest::newRow("Cyrillic opened through 1251")
            << 1 << QByteArray("\xC0\xC1") << QString() << true << QByteArray("\xC0\xC1");
    }
    void entryEditor() {
        QFETCH(int, codePage);
        QFETCH(QByteArray, before);
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QByteArray, after);
        WriteSettings("[Settings]\r\nLanguagesCount=3\r\nPageCode_2=" +
                      QByteArray::number(codePage) + "\r\n");
        MenuWindow w(*ctx_);
        MenuData data = Fixture();
        SetMenuText(data.rows[0], 2, Bytes(before));
        w.SetMenu(data, w.Languages());

        QString opened;
        bool seen = false;
        WhenShown<MenuEntryEditor>(
            [&](MenuEntryEditor& editor) {
                opened = editor.Field()->text();
                if (!typed.isNull()) TypeOver(editor.Field(), typed);
                (ok ? editor.OkButton() : editor.CancelButton())->click();
            },
            &seen);
        w.EditCell(0, Col::ColumnCust1);
        QVERIFY(seen);
        const int page = codePage == CodePageCyrillic ? 1251 : 1250;
        QCOMPARE(opened, QString::fromStdString(PcToUtf8(page, Bytes(before))));
        QCOMPARE(QByteArray::fromStdString(w.Data().rows[0].texts[2]), after);
        QCOMPARE(Cell(w, 0, Col::ColumnCust1),
                 QString::fromStdString(PcToUtf8(page, Bytes(after))));
    }

    // Typing keeps the cursor where it was while the text turns into capitals.
    void editorKeepsCursor() {
        MenuEntryEditor editor(QStringLiteral("AC"));
        editor.show();
        editor.Field()->setCursorPosition(1);
        QTest::keyClick(editor.Field(), Qt::Key_B);
        QCOMPARE(editor.Field()->text(), QStringLiteral("ABC"));
        QCOMPARE(editor.Field()->cursorPosition(), 2);
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit"));
        QVERIFY(editor.OkButton()->isDefault());
    }

    // "Add language": a named language with its code page at the end of both selectors and
    // with no texts; at 15 languages only the message.
    void addLanguage() {
        MenuWindow w(*ctx_);
        MenuData data = Fixture();
        w.SetMenu(data, w.Languages());

        bool seen = false;
        Qt::WindowFlags flags;
        WhenShown<AddLanguageDialog>(
            [&](AddLanguageDialog& d) {
                flags = d.windowFlags();
                QCOMPARE(d.windowTitle(), QStringLiteral("Add language"));
                QVERIFY(d.CodePageButton(0)->isChecked());
                QCOMPARE(d.CodePageButton(3)->text(), QStringLiteral("PC852 (Slovakia)"));
                TypeOver(d.NameField(), QString::fromUtf8("Čeština"));
                d.CodePageButton(1)->click();
                d.OkButton()->click();
            },
            &seen);
        w.AddLanguageButton()->click();
        QVERIFY(seen);
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QCOMPARE(w.Languages().count, 4);
        QCOMPARE(w.Languages().languages[4].name, std::string("\xC8"
                                                              "e\x9Atina"));
        QCOMPARE(w.Languages().languages[4].codePage, int(CodePageCyrillic));
        QCOMPARE(w.FirstSelector()->itemText(3), QString::fromUtf8("Čeština"));
        QCOMPARE(w.SecondSelector()->itemText(3), QString::fromUtf8("Čeština"));
        QCOMPARE(w.FirstSelector()->currentIndex(), 1);
        for (const TMenuRow& row : w.Data().rows) QVERIFY(row.texts[4].empty());
        QVERIFY(host_.messages.empty());

        // Cancel adds nothing.
        WhenShown<AddLanguageDialog>([](AddLanguageDialog& d) { d.CancelButton()->click(); });
        w.AddLanguageButton()->click();
        QCOMPARE(w.Languages().count, 4);

        for (int n = 5; n <= MaxMenuLanguageCount; ++n) {
            WhenShown<AddLanguageDialog>([](AddLanguageDialog& d) { d.OkButton()->click(); });
            w.AddLanguageButton()->click();
        }
        QCOMPARE(w.Languages().count, 15);
        QCOMPARE(w.FirstSelector()->count(), 15);
        WhenShown<AddLanguageDialog>([](AddLanguageDialog&) {}, &seen);
        w.AddLanguageButton()->click();
        Settle();
        QVERIFY(!seen);
        QCOMPARE(host_.messages, std::vector<std::string>{"Max languages 16 "});
        QCOMPARE(w.Languages().count, 15);
    }

    // Nr cells in the button face, entries of odd groups white and of even groups in the
    // tooltip colour; the selected cell drawn in the selection colour.
    void rowColours() {
        MenuWindow w(*ctx_);
        w.SetMenu(Fixture(), w.Languages());
        const QPalette& p = w.View()->palette();
        for (int r = 0; r < 3; ++r)
            QCOMPARE(w.View()->item(r, Col::ColumnNr)->background().color(),
                     p.color(QPalette::Button));
        for (int c = Col::ColumnPolish; c < MenuWindow::ColumnCount; ++c) {
            QCOMPARE(w.View()->item(0, c)->background().color(), QColor(Qt::white));
            QCOMPARE(w.View()->item(1, c)->background().color(), QColor(Qt::white));
            QCOMPARE(w.View()->item(2, c)->background().color(), p.color(QPalette::ToolTipBase));
        }

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.View()->setFocus();
        w.View()->setCurrentCell(2, Col::ColumnEnglish);
        const QImage shot = w.View()->viewport()->grab().toImage();
        const QRect cell = w.View()->visualItemRect(w.View()->item(2, Col::ColumnEnglish));
        const QColor drawn = shot.pixelColor(cell.right() - 3, cell.center().y());
        const QRect other = w.View()->visualItemRect(w.View()->item(2, Col::ColumnPolish));
        QCOMPARE(shot.pixelColor(other.right() - 3, other.center().y()),
                 p.color(QPalette::ToolTipBase));
        // The style may shade the selection a little.
        const auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <=
                   12;
        };
        QVERIFY2(near(drawn, p.color(QPalette::Active, QPalette::Highlight)) ||
                     near(drawn, p.color(QPalette::Inactive, QPalette::Highlight)),
                 qPrintable(drawn.name() + " " + p.color(QPalette::Highlight).name()));
    }

    // Character sets: Cust columns through 1251 for a Cyryllic language, every other column
    // through 1250 (English too when language 1 is Cyryllic).
    void characterSets_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("shown");
        const QByteArray cyr2 = "[Settings]\r\nLanguagesCount=3\r\nPageCode_2=1\r\n";
        const QByteArray cyr1 = "[Settings]\r\nLanguagesCount=3\r\nPageCode_1=1\r\n";
        QTest::newRow("Cust 1, Cyryllic")
            << cyr2 << int(Col::ColumnCust1) << 2 << QString::fromUtf8("АБ");
        QTest::newRow("Cust 2, Standard")
            << cyr2 << int(Col::ColumnCust2) << 3 << QString::fromUtf8("ŔÁ");
        QTest::newRow("Polski") << cyr2 << int(Col::ColumnPolish) << 0 << QString::fromUtf8("ŔÁ");
        QTest::newRow("English, Cyryllic language 1")
            << cyr1 << int(Col::ColumnEnglish) << 1 << QString::fromUtf8("ŔÁ");
        QTest::newRow("Polish code page") << QByteArray("[Settings]\r\nPageCode_2=2\r\n")
                                          << int(Col::ColumnCust1) << 2 << QString::fromUtf8("ŔÁ");
    }
    void characterSets() {
        QFETCH(QByteArray, settings);
        QFETCH(int, column);
        QFETCH(int, language);
        QFETCH(QString, shown);
        WriteSettings(settings);
        MenuWindow w(*ctx_);
        MenuData data = Fixture();
        SetMenuText(data.rows[1], language, "\xC0\xC1");
        w.SetMenu(data, w.Languages());
        QCOMPARE(Cell(w, 1, column), shown);
    }

    // A Cyryllic language moved into Cust 2 is shown there through 1251.
    void selectorChangesCharacterSet() {
        WriteSettings("[Settings]\r\nLanguagesCount=3\r\nPageCode_2=1\r\n");
        MenuWindow w(*ctx_);
        MenuData data = Fixture();
        SetMenuText(data.rows[0], 2, "\xC0\xC1");
        SetMenuText(data.rows[0], 3, "\xC0\xC1");
        w.SetMenu(data, w.Languages());
        QCOMPARE(Cell(w, 0, Col::ColumnCust2), QString::fromUtf8("ŔÁ"));
        w.SecondSelector()->setCurrentIndex(1);
        QCOMPARE(Cell(w, 0, Col::ColumnCust2), QString::fromUtf8("АБ"));
    }

    // Write to disk, then Read from disk in a fresh window: the same rows, the languages from
    // the settings beside the file, the selectors back on items 1 and 2; both dialogs start in
    // the program's folder.
    void diskRoundTrip() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string mpl = dir.filePath(QStringLiteral("plant.mpl")).toStdString();
        MenuLanguages languages;
        languages.languages[2].name = "DEUTSCH";
        languages.languages[3].codePage = CodePageCyrillic;
        MenuData data = Fixture();
        SetMenuText(data.rows[2], 3, "\xC0\xC1");
        {
            MenuWindow w(*ctx_);
            w.SetMenu(data, languages);
            host_.saveChoices.push_back(mpl);
            w.WriteDiskButton()->click();
            QVERIFY(host_.messages.empty());
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("plant.str"))));

        MenuWindow w(*ctx_);
        w.FirstSelector()->setCurrentIndex(0);
        host_.openChoices.push_back(mpl);
        w.ReadDiskButton()->click();
        QVERIFY(host_.messages.empty());
        QVERIFY(w.Data().present);
        QCOMPARE(w.Data().rows.size(), std::size_t(3));
        for (std::size_t r = 0; r < 3; ++r)
            for (int n = 1; n <= 3; ++n)
                QCOMPARE(w.Data().rows[r].texts[std::size_t(n)],
                         data.rows[r].texts[std::size_t(n)]);
        QCOMPARE(w.FirstSelector()->itemText(1), QStringLiteral("DEUTSCH"));
        QCOMPARE(w.FirstSelector()->currentIndex(), 1);
        QCOMPARE(w.SecondSelector()->currentIndex(), 2);
        QCOMPARE(Cell(w, 2, Col::ColumnCust2), QString::fromUtf8("АБ"));
        QVERIFY(w.WriteDiskButton()->isEnabled());

        QCOMPARE(host_.dialogs.size(), std::size_t(2));
        for (const FileDialogSpec& d : host_.dialogs) {
            QCOMPARE(d.filter, std::string("Menu|*.mpl"));
            QCOMPARE(d.defaultExtension, std::string("mpl"));
            QCOMPARE(QDir(QString::fromStdString(d.initialFolder)), QDir(home_.path()));
        }
        QVERIFY(host_.dialogs[0].overwritePrompt);
    }

    // Read from disk without menu data and without a structure file shows the message and
    // leaves the window as it was; a dialog cancelled does nothing.
    void diskReadRefused() {
        QTemporaryDir dir;
        QVERIFY(WriteAll(dir.filePath(QStringLiteral("lone.mpl")), "A\r\nB\r\n"));
        MenuWindow w(*ctx_);
        w.ReadDiskButton()->click(); // cancelled
        QVERIFY(host_.messages.empty());
        host_.openChoices.push_back(dir.filePath(QStringLiteral("lone.mpl")).toStdString());
        w.ReadDiskButton()->click();
        QCOMPARE(host_.messages, std::vector<std::string>{MsgNoMenuStructure});
        QVERIFY(!w.Data().present);
        QVERIFY(!w.WriteDiskButton()->isEnabled());
        QCOMPARE(w.View()->rowCount(), 0);
    }

    // A write that cannot reach its folder names the file and changes nothing.
    void diskWriteError() {
        QTemporaryDir dir;
        MenuWindow w(*ctx_);
        w.SetMenu(Fixture(), w.Languages());
        host_.saveChoices.push_back(
            dir.filePath(QStringLiteral("missing/plant.mpl")).toStdString());
        w.WriteDiskButton()->click();
        QCOMPARE(host_.messages.size(), std::size_t(1));
        QVERIFY2(host_.messages[0].find("missing") != std::string::npos, host_.messages[0].c_str());
    }

    // "Check" shows the report; before a write the findings ask first, and Cancel sends
    // nothing.
    void checkReport() {
        MenuWindow w(*ctx_);
        MenuData data = Fixture();
        SetMenuText(data.rows[1], 2, "ABCDEFGHIJKLMNOPQRSTUVWXY");
        w.SetMenu(data, w.Languages());

        QString report;
        bool seen = false;
        WhenShown<MenuCheckDialog>(
            [&](MenuCheckDialog& d) {
                report = d.Report()->toPlainText();
                QVERIFY(!d.WriteButton());
            },
            &seen);
        w.CheckButton()->click();
        QVERIFY(seen);
        QVERIFY2(report.contains(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY")), qPrintable(report));

        QString write;
        WhenShown<MenuCheckDialog>(
            [&](MenuCheckDialog& d) {
                write = d.WriteButton() ? d.WriteButton()->text() : QString();
                d.CloseButton()->click();
            },
            &seen);
        w.WriteControllerButton()->click();
        QVERIFY(seen);
        QCOMPARE(write, QStringLiteral("Write anyway"));
        QVERIFY(port_.written.empty());
        QVERIFY(host_.messages.empty());
    }

    // Export, one cell changed in the file, import: the count and the new text; a cell the
    // language cannot hold refuses the whole file with the reader's reason.
    void csvRoundTrip() {
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("menu.csv"));
        MenuWindow w(*ctx_);
        w.SetMenu(Fixture(), w.Languages());
        host_.saveChoices.push_back(csv.toStdString());
        w.ExportButton()->click();
        QVERIFY(host_.messages.empty());
        QCOMPARE(host_.dialogs.back().filter, std::string("CSV|*.csv"));
        QCOMPARE(host_.dialogs.back().defaultExtension, std::string("csv"));
        const QByteArray exported = ReadAll(csv);
        QVERIFY(exported.contains("L2R1"));

        QVERIFY(WriteAll(csv, QByteArray(exported).replace("L2R1", "NEU")));
        host_.openChoices.push_back(csv.toStdString());
        w.ImportButton()->click();
        QCOMPARE(host_.messages, std::vector<std::string>{"Cells changed: 1"});
        QCOMPARE(w.Data().rows[1].texts[2], std::string("NEU"));
        QCOMPARE(Cell(w, 1, Col::ColumnCust1), QStringLiteral("NEU"));

        QVERIFY(WriteAll(csv, QByteArray(exported).replace("L2R1", "НОВЫЙ")));
        host_.openChoices.push_back(csv.toStdString());
        w.ImportButton()->click();
        QCOMPARE(host_.messages.size(), std::size_t(2));
        QVERIFY(!host_.messages[1].empty());
        QCOMPARE(w.Data().rows[1].texts[2], std::string("NEU"));
    }

    // Read from the controller fills the grid and allows writing; a text edited in "Cust 1"
    // goes out with Write and comes back in a fresh window.
    void controllerRoundTrip() {
        const auto controller = AttachController(port_, *ctx_);
        {
            MenuWindow w(*ctx_);
            w.ReadControllerButton()->click();
            QCOMPARE(host_.messages, std::vector<std::string>{});
            QVERIFY(w.Data().present);
            QCOMPARE(w.View()->rowCount(), int(w.Data().rows.size()));
            QVERIFY(w.View()->rowCount() > 1);
            QVERIFY(w.WriteControllerButton()->isEnabled());
            QVERIFY(w.WriteDiskButton()->isEnabled());
            QCOMPARE(Cell(w, 0, Col::ColumnPolish),
                     QString::fromStdString(PcToUtf8(1250, w.Data().rows[0].texts[0])));

            WhenShown<MenuEntryEditor>([](MenuEntryEditor& editor) {
                TypeOver(editor.Field(), QStringLiteral("neu"));
                editor.OkButton()->click();
            });
            w.EditCell(1, Col::ColumnCust1);
            QCOMPARE(w.Data().rows[1].texts[2], std::string("NEU"));
            bool asked = false;
            WhenShown<MenuCheckDialog>([](MenuCheckDialog&) {}, &asked);
            w.WriteControllerButton()->click();
            Settle();
            QVERIFY(!asked); // nothing to report: straight out
            QCOMPARE(host_.messages, std::vector<std::string>{});
        }
        MenuWindow w(*ctx_);
        w.ReadControllerButton()->click();
        QCOMPARE(Cell(w, 1, Col::ColumnCust1).trimmed(), QStringLiteral("NEU"));
    }

    // "Languages" > "Set languages" opens the window modally.
    void mainWindowMenu() {
        TForm1 form(*ctx_);
        QString title;
        bool modal = false;
        WhenShown<MenuWindow>([&](MenuWindow& w) {
            title = w.windowTitle();
            modal = w.isModal();
            w.CloseButton()->click();
        });
        form.SetLanguagesAction()->trigger();
        QCOMPARE(title, QStringLiteral("Menu"));
        QVERIFY(modal);
    }
};

QTEST_MAIN(TestMenuWindow)
#include "tst_menuwindow.moc"
