// The setup parameters: the rounding of a typed decimal on its own digits, values brought
// into the range (never wrapped), fields and lists that keep the old value when nothing
// usable was given, the ".zys" file sizes; the parameter edition dialog with each editor
// kind and its help button, and the setup window over a project with no controller.

#include "app/main.h"
#include "core/AppContext.h"
#include "service/HelpViewer.h"
#include "service/SetupParameters.h"
#include "service/SetupWindow.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

using namespace zyl;

Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {

constexpr qint64 Top = std::numeric_limits<qint64>::max();
constexpr qint64 Bottom = std::numeric_limits<qint64>::min();

// A block whose every word differs, version 501.
TSetupBlock DistinctBlock() {
    TSetupBlock block{};
    for (int w = 0; w <= 100; ++w) block.Words[w] = std::int16_t(w * 7 - 300);
    block.Words[SetupVersionWord] = 501;
    return block;
}

QByteArray BytesOf(const TSetupBlock& block) {
    return QByteArray(reinterpret_cast<const char*>(&block), sizeof block);
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class Window> Window* ShownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(w); window && window->isVisible()) return window;
    return nullptr;
}

// Runs act on the window of type Window once what follows has shown it; closes it after.
// seen tells whether it was shown at all.
template <class Window> void WhenShown(std::function<void(Window&)> act, bool* seen = nullptr) {
    QTimer::singleShot(0, [act, seen] {
        Window* window = ShownWindow<Window>();
        if (seen) *seen = window != nullptr;
        if (!window) return;
        act(*window);
        if (window->isVisible()) window->reject();
    });
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    if (!text.isEmpty()) QTest::keyClicks(edit, text);
}

} // namespace

class TestSetup : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    test::FakeSerialPort port_;
    test::RecordingHost host_;
    std::unique_ptr<AppContext> ctx_;

    QString HelpFile(int n) const { return home_.filePath(QStringLiteral("HELP/%1.rtf").arg(n)); }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("ZYL_HOME", home_.path().toLocal8Bit());
        QVERIFY(QDir(home_.path()).mkpath(QStringLiteral("HELP")));
        QLocale::setDefault(QLocale::c());
    }
    void init() {
        host_ = test::RecordingHost{};
        ctx_ = std::make_unique<AppContext>(port_, host_);
    }
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    }

    // What a field's text stands for in stored units, before the range: tenths round on the
    // typed digits (never through a binary fraction), halves to the even neighbour; texts
    // that are no number give nothing; numbers past 64 bits stop at the bound.
    void fieldNumber_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<std::optional<qint64>>("number");
        using N = std::optional<qint64>;
        QTest::newRow("2.25: half, to even 22") << 26 << "2.25" << '.' << N(22);
        QTest::newRow("2.35: half, to even 24") << 26 << "2.35" << '.' << N(24);
        QTest::newRow("-0.25: half, to even -2") << 26 << "-0.25" << '.' << N(-2);
        QTest::newRow("-2.35") << 26 << "-2.35" << '.' << N(-24);
        QTest::newRow("0.05: half of nothing") << 26 << "0.05" << '.' << N(0);
        QTest::newRow("2.250: still a half") << 26 << "2.250" << '.' << N(22);
        QTest::newRow("2.2501: above a half") << 26 << "2.2501" << '.' << N(23);
        QTest::newRow("12.34") << 26 << "12.34" << '.' << N(123);
        QTest::newRow("12.36") << 26 << "12.36" << '.' << N(124);
        QTest::newRow("+1.5") << 26 << "+1.5" << '.' << N(15);
        QTest::newRow("5.") << 26 << "5." << '.' << N(50);
        QTest::newRow(".5") << 26 << ".5" << '.' << N(5);
        QTest::newRow("blanks around") << 26 << " 2.5 " << '.' << N(25);
        QTest::newRow("comma separator") << 26 << "1,5" << ',' << N(15);
        QTest::newRow("point when the separator is a comma") << 26 << "1.5" << ',' << N();
        QTest::newRow("tenths past 64 bits") << 26 << "99999999999999999999.9" << '.' << N(Top);
        QTest::newRow("tenths past 64 bits, negative")
            << 26 << "-922337203685477580.8" << '.' << N(Bottom);
        QTest::newRow("whole") << 1 << "17" << '.' << N(17);
        QTest::newRow("whole, negative") << 70 << "-1" << '.' << N(-1);
        QTest::newRow("whole past 64 bits") << 67 << "99999999999999999999" << '.' << N(Top);
        QTest::newRow("whole past 64 bits, negative")
            << 39 << "-99999999999999999999" << '.' << N(Bottom);
        QTest::newRow("a decimal in a whole field") << 1 << "12.0" << '.' << N();
        QTest::newRow("empty") << 26 << "" << '.' << N();
        QTest::newRow("blanks only") << 1 << "   " << '.' << N();
        QTest::newRow("a sign alone") << 1 << "-" << '.' << N();
        QTest::newRow("a separator alone") << 26 << "." << '.' << N();
        QTest::newRow("letters") << 1 << "abc" << '.' << N();
        QTest::newRow("exponent") << 1 << "1e3" << '.' << N();
        QTest::newRow("two signs") << 1 << "--3" << '.' << N();
        QTest::newRow("blank inside") << 1 << "1 2" << '.' << N();
    }
    void fieldNumber() {
        QFETCH(int, n);
        QFETCH(QString, text);
        QFETCH(char, separator);
        QFETCH(std::optional<qint64>, number);
        const auto got = SetupFieldNumber(n, text.toStdString(), separator);
        QCOMPARE(got.has_value(), number.has_value());
        if (number) QCOMPARE(qint64(*got), *number);
    }

    // What "Save" stores for a field's text: brought to the bound, never wrapped into the
    // 16-bit word; empty or no number keeps the value the dialog opened with.
    void valueFromField_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("stored");
        QTest::newRow("25 in F26 is 20.0") << 26 << "25" << 7 << 200;
        QTest::newRow("-25 in F26 is -20.0") << 26 << "-25" << 7 << -200;
        QTest::newRow("12.34 in F26") << 26 << "12.34" << 7 << 123;
        QTest::newRow("F51 reaches 80.0") << 51 << "80" << 7 << 800;
        QTest::newRow("F01 not below 1") << 1 << "0" << 5 << 1;
        QTest::newRow("F70 takes -1") << 70 << "-1" << 5 << -1;
        QTest::newRow("F70 not below -1") << 70 << "-2" << 5 << -1;
        QTest::newRow("F73 takes 999") << 73 << "999" << 5 << 999;
        QTest::newRow("F73 not above 999") << 73 << "1000" << 5 << 999;
        QTest::newRow("70000 would wrap to 4464") << 67 << "70000" << 5 << 9999;
        QTest::newRow("65537 would wrap to 1") << 1 << "65537" << 5 << 32;
        QTest::newRow("2^32+5 would wrap to 5") << 73 << "4294967301" << 0 << 999;
        QTest::newRow("-70000") << 39 << "-70000" << 5 << -999;
        QTest::newRow("past 64 bits") << 40 << "99999999999999999999" << 5 << 3000;
        QTest::newRow("tenths past the word") << 26 << "6553.7" << 5 << 200;
        QTest::newRow("empty keeps") << 26 << "" << 123 << 123;
        QTest::newRow("empty keeps a value out of range") << 1 << "" << 500 << 500;
        QTest::newRow("no number keeps") << 8 << "1-2" << -50 << -50;
        QTest::newRow("a sign alone keeps") << 26 << "-" << -7 << -7;
    }
    void valueFromField() {
        QFETCH(int, n);
        QFETCH(QString, text);
        QFETCH(int, current);
        QFETCH(int, stored);
        QCOMPARE(SetupValueFromField(n, text.toStdString(), current), stored);
    }

    // A choice holding a value outside its list selects nothing and keeps its value unless an
    // entry is chosen; the list shows the number in the window.
    void choices() {
        QCOMPARE(SetupChoiceIndex(2, 0), 0);
        QCOMPARE(SetupChoiceIndex(7, 1), 1);
        QCOMPARE(SetupChoiceIndex(2, 5), -1);
        QCOMPARE(SetupChoiceIndex(7, -1), -1);
        QCOMPARE(SetupValueFromChoice(2, -1, 5), 5);
        QCOMPARE(SetupValueFromChoice(7, -1, -3), -3);
        QCOMPARE(SetupValueFromChoice(7, 1, 5), 1);
        QCOMPARE(SetupValueFromChoice(2, 0, 1), 0);
        QCOMPARE(SetupValueText(2, 5), std::string("5"));
        QCOMPARE(SetupValueText(7, 1), std::string("1 -  Fahrenheit"));
        QCOMPARE(SetupValueText(26, 123), std::string("12.3"));
        QCOMPARE(SetupValueText(26, -5), std::string("-0.5"));
        QCOMPARE(SetupFieldText(26, -5, ','), std::string("-0,5"));
        QCOMPARE(SetupFieldText(8, -50), std::string("-50"));
    }

    // The list's fixed texts and the word a value goes into.
    void rowsAndWords() {
        QCOMPARE(SetupRowNumber(1), std::string(" F01"));
        QCOMPARE(SetupRowNumber(97), std::string(" F97"));
        for (int n : {15, 63, 73, 85, 97}) QCOMPARE(SetupParameterInfo(n).name, "");
        for (int n = 73; n <= 97; ++n) {
            QCOMPARE(SetupParameterInfo(n).min, 0);
            QCOMPARE(SetupParameterInfo(n).max, 999);
        }
        TSetupBlock block{};
        block.Words[SetupVersionWord] = -2;
        QCOMPARE(SetupVersionText(block), std::string("v.-2"));
        StoreSetupWord(block, 5, -1);
        QCOMPARE(block.Words[5], std::int16_t(-1));
        QCOMPARE(SetupWord(block, 5), -1);
        StoreSetupWord(block, 6, 0x1FFFE);
        QCOMPARE(SetupWord(block, 6), -2);
    }

    // A file shorter than the block changes nothing; a whole block replaces everything, the
    // version and words 0 and 100 included; longer files give their first 202 bytes.
    void setupFileSizes_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("201 bytes") << 201 << false;
        QTest::newRow("202 bytes") << 202 << true;
        QTest::newRow("203 bytes") << 203 << true;
    }
    void setupFileSizes() {
        QFETCH(int, size);
        QFETCH(bool, replaced);
        const TSetupBlock file = DistinctBlock();
        QByteArray bytes = BytesOf(file).left(size);
        bytes.append(QByteArray(std::max(0, size - int(bytes.size())), '\x55'));
        const QString path = home_.filePath(QStringLiteral("block.zys"));
        QVERIFY(WriteAll(path, bytes));
        TSetupBlock block{};
        block.Words[SetupVersionWord] = 400;
        const TSetupBlock before = block;
        QCOMPARE(ReadSetupFile(path.toStdString(), block), replaced);
        QCOMPARE(BytesOf(block), BytesOf(replaced ? file : before));
        QVERIFY(!ReadSetupFile(home_.filePath(QStringLiteral("none.zys")).toStdString(), block));
    }

    void setupFileWritten() {
        const TSetupBlock block = DistinctBlock();
        const QString path = home_.filePath(QStringLiteral("out.zys"));
        QVERIFY(bool(WriteSetupFile(path.toStdString(), block)));
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes.size(), 202);
        QCOMPARE(bytes, BytesOf(block));
        // Little-endian words: word 99 (501) at bytes 198 and 199.
        QCOMPARE(quint8(bytes[198]), quint8(0xF5));
        QCOMPARE(quint8(bytes[199]), quint8(0x01));
    }

    // The dialog with each editor kind: what it shows, what leaving the field does, and what
    // "Save" or "Close" gives.
    void editDialog_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown"); // field text, or list entry index
        QTest::addColumn<QString>("typed"); // field text, or list entry index to choose
        QTest::addColumn<QString>("afterLeaving");
        QTest::addColumn<bool>("save");
        QTest::addColumn<int>("result"); // -9999: no result
        QTest::newRow("integer") << 8 << 100 << "100"
                                 << "-50"
                                 << "-50" << true << -50;
        QTest::newRow("integer below its minimum") << 1 << 5 << "5"
                                                   << "0"
                                                   << "1" << true << 1;
        QTest::newRow("integer past the word") << 67 << 5 << "5"
                                               << "70000"
                                               << "9999" << true << 9999;
        QTest::newRow("integer left empty") << 12 << 30 << "30"
                                            << ""
                                            << "" << true << 30;
        QTest::newRow("integer closed") << 12 << 30 << "30"
                                        << "44"
                                        << "44" << false << -9999;
        QTest::newRow("tenths") << 26 << 123 << "12.3"
                                << "2.35"
                                << "2.35" << true << 24;
        QTest::newRow("tenths above its maximum") << 26 << 123 << "12.3"
                                                  << "25"
                                                  << "20.0" << true << 200;
        QTest::newRow("tenths below its minimum") << 51 << 0 << "0.0"
                                                  << "-21"
                                                  << "-20.0" << true << -200;
        QTest::newRow("tenths left empty") << 27 << -5 << "-0.5"
                                           << ""
                                           << "" << true << -5;
        QTest::newRow("choice") << 7 << 0 << "0"
                                << "1"
                                << "" << true << 1;
        QTest::newRow("choice kept") << 2 << 1 << "1"
                                     << ""
                                     << "" << true << 1;
        QTest::newRow("choice outside its list, kept") << 2 << 5 << "-1"
                                                       << ""
                                                       << "" << true << 5;
        QTest::newRow("choice outside its list, chosen") << 2 << 5 << "-1"
                                                         << "0"
                                                         << "" << true << 0;
        QTest::newRow("choice closed") << 7 << 0 << "0"
                                       << "1"
                                       << "" << false << -9999;
    }
    void editDialog() {
        QFETCH(int, n);
        QFETCH(int, value);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, afterLeaving);
        QFETCH(bool, save);
        QFETCH(int, result);

        ParameterEditDialog dialog(n, value);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Parameter edition"));
        QCOMPARE(dialog.NameLabel()->text(), QString::fromLatin1(SetupParameterInfo(n).name));
        QVERIFY(dialog.NameLabel()->font().bold());
        QVERIFY(dialog.SaveButton()->isDefault());
        if (SetupParameterInfo(n).kind == ParameterKind::Choice) {
            QVERIFY(!dialog.Field());
            QComboBox* list = dialog.ChoiceList();
            QVERIFY(!list->isEditable());
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->itemText(1), QString::fromStdString(SetupValueText(n, 1)));
            QCOMPARE(list->currentIndex(), shown.toInt());
            if (!typed.isEmpty()) list->setCurrentIndex(typed.toInt());
        } else {
            QVERIFY(!dialog.ChoiceList());
            QLineEdit* field = dialog.Field();
            QCOMPARE(field->text(), shown);
            Type(field, typed);
            dialog.CloseButton()->setFocus(); // leaving the field
            QCOMPARE(field->text(), afterLeaving);
            field->setFocus();
        }
        QTest::keyClick(save ? static_cast<QWidget*>(&dialog) : dialog.CloseButton(),
                        save ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.Result().has_value(), save);
        if (save) QCOMPARE(*dialog.Result(), result);
    }

    // Keys that are no part of a number are refused; the decimal separator only where the
    // value has a decimal.
    void fieldKeys_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("integer") << 8 << "-1a2.5,x+"
                                 << "-125+";
        QTest::newRow("tenths") << 26 << "-1a2.5,x"
                                << "-12.5";
    }
    void fieldKeys() {
        QFETCH(int, n);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        ParameterEditDialog dialog(n, 0);
        dialog.show();
        Type(dialog.Field(), keys);
        QCOMPARE(dialog.Field()->text(), text);
    }

    // The help button shows when the page exists and opens the viewer on it; a page gone by
    // the time it is pressed opens nothing; a parameter without a page shows no button.
    void helpButton() {
        QVERIFY(WriteAll(HelpFile(7), "{\\rtf1\\ansi Celsius or Fahrenheit\\par}"));
        {
            ParameterEditDialog dialog(7, 0);
            dialog.show();
            QVERIFY(dialog.HelpButton()->isVisible());
            QString title, text;
            bool seen = false;
            WhenShown<HelpViewer>(
                [&](HelpViewer& viewer) {
                    title = viewer.windowTitle();
                    text = viewer.Text()->toPlainText();
                },
                &seen);
            dialog.HelpButton()->click();
            QVERIFY(seen);
            QCOMPARE(title, QStringLiteral("F07"));
            QCOMPARE(text, QStringLiteral("Celsius or Fahrenheit"));
            QVERIFY(dialog.isVisible());
            QVERIFY(!dialog.Result());

            QVERIFY(QFile::remove(HelpFile(7)));
            seen = false;
            WhenShown<HelpViewer>([](HelpViewer&) {}, &seen);
            dialog.HelpButton()->click();
            QCoreApplication::processEvents();
            QVERIFY(!seen);
        }
        {
            ParameterEditDialog dialog(8, 0);
            dialog.show();
            QVERIFY(!dialog.HelpButton()->isVisible());
        }
    }

    // The window's rows and version, an edit by double click and one by Enter redrawing only
    // their rows, and the working copy reaching the project when the window is closed.
    void windowRowsAndEdits() {
        TSetupBlock& setup = ctx_->project.image.Setup;
        setup = TSetupBlock{};
        setup.Words[2] = 5;
        setup.Words[7] = 1;
        setup.Words[26] = 123;
        setup.Words[70] = -1;
        setup.Words[SetupVersionWord] = 501;

        auto window = std::make_unique<SetupWindow>(*ctx_);
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("Setup"));
        QTableWidget* table = window->Table();
        QCOMPARE(table->rowCount(), 97);
        QCOMPARE(table->columnCount(), 3);
        QCOMPARE(table->columnWidth(0), 40);
        QCOMPARE(table->columnWidth(1), 360);
        QCOMPARE(table->columnWidth(2), 260);
        QCOMPARE(window->VersionLabel()->text(), QStringLiteral("v.501"));
        const auto cell = [&](int n, int c) { return table->item(n - 1, c)->text(); };
        QCOMPARE(cell(1, 0), QStringLiteral(" F01"));
        QCOMPARE(cell(1, 1), QStringLiteral("Address RS-485"));
        QCOMPARE(cell(11, 1), QStringLiteral("Sample rate (min):"));
        QCOMPARE(cell(26, 1), QStringLiteral(" WEIGHT CORRECTION"));
        QCOMPARE(cell(63, 1), QString());
        QCOMPARE(cell(97, 0), QStringLiteral(" F97"));
        QCOMPARE(cell(2, 2), QStringLiteral("5"));
        QCOMPARE(cell(7, 2), QStringLiteral("1 -  Fahrenheit"));
        QCOMPARE(cell(26, 2), QStringLiteral("12.3"));
        QCOMPARE(cell(70, 2), QStringLiteral("-1"));

        // Double click on F26: 25 is brought to 20.0.
        WhenShown<ParameterEditDialog>([](ParameterEditDialog& d) {
            QCOMPARE(d.NameLabel()->text(), QStringLiteral(" WEIGHT CORRECTION"));
            d.Field()->setText(QStringLiteral("25"));
            d.SaveButton()->click();
        });
        table->scrollToItem(table->item(25, 1));
        const QPoint at = table->visualRect(table->model()->index(25, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(window->Working().Words[26], std::int16_t(200));
        QCOMPARE(cell(26, 2), QStringLiteral("20.0"));

        // Enter on F02, holding 5: Save without a choice keeps 5.
        WhenShown<ParameterEditDialog>([](ParameterEditDialog& d) {
            QCOMPARE(d.ChoiceList()->currentIndex(), -1);
            d.SaveButton()->click();
        });
        table->setCurrentCell(1, 0);
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(window->Working().Words[2], std::int16_t(5));
        QVERIFY(window->isVisible());

        // Closed by the dialog's "Close": nothing changes.
        WhenShown<ParameterEditDialog>([](ParameterEditDialog& d) {
            d.Field()->setText(QStringLiteral("33"));
            d.CloseButton()->click();
        });
        window->EditParameter(70);
        QCOMPARE(window->Working().Words[70], std::int16_t(-1));

        // Not in the project until the window closes, by its close box too.
        QCOMPARE(setup.Words[26], std::int16_t(123));
        QVERIFY(window->close());
        QCOMPARE(setup.Words[26], std::int16_t(200));
        QCOMPARE(setup.Words[2], std::int16_t(5));
    }

    // "Open" replaces the working copy from a whole file only; "Save" writes 202 bytes.
    void windowFiles() {
        ctx_->project.image.Setup = TSetupBlock{};
        ctx_->project.image.Setup.Words[SetupVersionWord] = 400;
        const TSetupBlock file = DistinctBlock();
        const QString whole = home_.filePath(QStringLiteral("whole.zys"));
        const QString shorter = home_.filePath(QStringLiteral("short.zys"));
        const QString saved = home_.filePath(QStringLiteral("saved.zys"));
        QVERIFY(WriteAll(whole, BytesOf(file)));
        QVERIFY(WriteAll(shorter, BytesOf(file).left(201)));

        SetupWindow window(*ctx_);
        window.show();
        host_.openChoices = {shorter.toStdString(), whole.toStdString()};
        window.OpenButton()->click();
        QCOMPARE(window.VersionLabel()->text(), QStringLiteral("v.400"));
        QCOMPARE(window.Working().Words[8], std::int16_t(0));
        window.OpenButton()->click();
        QCOMPARE(window.VersionLabel()->text(), QStringLiteral("v.501"));
        QCOMPARE(BytesOf(window.Working()), BytesOf(file));
        QCOMPARE(window.Table()->item(7, 2)->text(), QString::number(file.Words[8]));
        QCOMPARE(host_.dialogs.at(0).filter, std::string("ZYL|*.zys"));
        QCOMPARE(host_.dialogs.at(0).defaultExtension, std::string("zys"));

        host_.saveChoices = {saved.toStdString()};
        window.SaveButton()->click();
        QCOMPARE(ReadAll(saved), BytesOf(file));
        QVERIFY(host_.dialogs.back().overwritePrompt);
        QVERIFY(host_.messages.empty());
        window.CloseButton()->click();
        QCOMPARE(BytesOf(ctx_->project.image.Setup), BytesOf(file));
    }

    // The main window's "Setup" opens the window; a change marks the project modified.
    void mainWindowButton() {
        TForm1 form(*ctx_);
        form.EnableProjectCommands(true);
        QVERIFY(!ctx_->document.modified);
        QString title;
        WhenShown<SetupWindow>([&](SetupWindow& w) {
            title = w.windowTitle();
            WhenShown<ParameterEditDialog>([](ParameterEditDialog& d) {
                d.Field()->setText(QStringLiteral("17"));
                d.SaveButton()->click();
            });
            w.EditParameter(1);
            w.close();
        });
        form.Button(TForm1::ButtonSetup)->click();
        QCOMPARE(title, QStringLiteral("Setup"));
        QCOMPARE(ctx_->project.image.Setup.Words[1], std::int16_t(17));
        QVERIFY(ctx_->document.modified);
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
