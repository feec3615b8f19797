// The program list and the program editor driven as a user drives them: the keyboard and the
// mouse on the step grid, the tool buttons, the files and a scripted controller.

#include "app/main.h"
#include "core/AppContext.h"
#include "editors/programs/ProgramMycia.h"
#include "editors/programs/Programs.h"
#include "editors/programs/ulistaprojektow.h"
#include "link/CommandEncoding.h"
#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <map>
#include <memory>

using namespace zyl;
using zyl::test::BlockController;
using zyl::test::Bytes;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;

namespace {

constexpr int ProgramCode = 0x0B;

TProgramRecord Program(int number, const std::string& name) {
    TProgramRecord p{};
    p.Number = number;
    p.Name.SetText(name);
    for (int k = 0; k < 3; ++k) {
        TStepRecord& s = p.Steps[k];
        s.ProcessNumber = k + 2;
        s.Hours = k;
        s.Minutes = 10 + k;
        s.Temperature = 50 + k;
        s.Rotation = 20;
        s.Weight = 100 * number;
        s.ExtraValue = 3;
    }
    return p;
}

// Records as RecordingHost does; when modal, shows each message in a real modal box too,
// closed as soon as it runs.
struct Host : RecordingHost {
    bool modal = false;
    int modalShown = 0;
    void ShowMessageBox(const std::string& text) override {
        RecordingHost::ShowMessageBox(text);
        if (!modal) return;
        ++modalShown;
        QMessageBox box(QMessageBox::NoIcon, QString(), QString::fromStdString(text),
                        QMessageBox::Ok);
        QTimer::singleShot(20, &box, &QMessageBox::accept);
        box.exec();
    }
};

// A controller of program version 0 (programs in two parts) holding program n as "C<n>"
// unless given another; the setup block and program writes go to the block controller.
struct Rig {
    FakeSerialPort port;
    Host host;
    std::unique_ptr<AppContext> ctx = std::make_unique<AppContext>(port, host);
    BlockController controller;
    std::map<int, TProgramRecord> onController; // by program index
    std::function<bool(const Bytes&)> silent;

    Rig() {
        ctx->settings.tuning.timeoutStand = 5;
        ctx->link.SetTuning(ctx->settings.tuning);
        for (int i = 0; i < ProcessCount; ++i) {
            Image().Processes[i].Name.SetText("P" + std::to_string(i + 1));
            Image().WashingProcesses[i].Name.SetText("W" + std::to_string(i + 1));
        }
        controller.whole.insert(0x0A);
        controller.readData[0x0A] = 200;
        port.respond = [this](const Bytes& req) -> Bytes {
            if (silent && silent(req)) return {};
            if (req.size() > 10 && req[5] == 0x46 && req[6] == ProgramCode)
                return ProgramReply(req[9], req[10]);
            return controller(req);
        };
    }
    TProjectImage& Image() { return ctx->project.image; }

    Bytes ProgramReply(int part, int index) {
        TProgramRecord p = onController.count(index)
                               ? onController[index]
                               : Program(index + 1, "C" + std::to_string(index + 1));
        p.Number = index + 1;
        const auto data = EncodeProgramPart(p, part, 2, 0);
        const std::size_t total = 9 + data.size() + 2;
        Bytes r = {1,
                   0x46,
                   0x08,
                   std::uint8_t(total >> 8),
                   std::uint8_t(total),
                   0x46,
                   ProgramCode,
                   std::uint8_t((total - 7) >> 8),
                   std::uint8_t(total - 7)};
        r.insert(r.end(), data.begin(), data.end());
        return zyl::test::WithChecksum(r);
    }
    std::vector<Bytes> Written(int code) const {
        std::vector<Bytes> found;
        for (const Bytes& r : port.written)
            if (r.size() > 10 && r[5] == 0x47 && r[6] == code) found.push_back(r);
        return found;
    }
};

QByteArray BytesOf(const TProgramRecord& p) {
    return QByteArray(reinterpret_cast<const char*>(&p), sizeof p);
}

void Activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Keys as a keyboard sends them: each press and release to whatever has the focus then.
void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyPress(QApplication::focusWidget(), Qt::Key(key), modifiers);
    if (QWidget* focus = QApplication::focusWidget()) // none while a message box goes
        QTest::keyRelease(focus, Qt::Key(key), modifiers);
}
void Type(const QString& text) {
    for (const QChar c : text) {
        QTest::keyPress(QApplication::focusWidget(), c.toLatin1());
        QTest::keyRelease(QApplication::focusWidget(), c.toLatin1());
    }
}

QModelIndex Cell(const TFProgramMycia& editor, int step, int column) {
    return editor.Grid()->model()->index(step - 1, column);
}
QString CellText(const TFProgramMycia& editor, int step, int column) {
    return Cell(editor, step, column).data().toString();
}
// The current cell as (step, column).
QPoint Current(const TFProgramMycia& editor) {
    const QModelIndex i = editor.Grid()->currentIndex();
    return {i.row() + 1, i.column()};
}

void ClickCell(const TFProgramMycia& editor, int step, int column) {
    const QRect cell = editor.Grid()->visualRect(Cell(editor, step, column));
    QTest::mouseClick(editor.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
}
void DoubleClickCell(const TFProgramMycia& editor, int step, int column) {
    const QRect cell = editor.Grid()->visualRect(Cell(editor, step, column));
    QTest::mouseClick(editor.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(editor.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
}

// Leaves the open cell editor in one of the ways a user does.
void LeaveCell(TFProgramMycia& editor, const QString& how) {
    if (how == "enter")
        Key(Qt::Key_Return);
    else if (how == "escape")
        Key(Qt::Key_Escape);
    else if (how == "tab")
        Key(Qt::Key_Tab);
    else if (how == "click")
        ClickCell(editor, 20, 6);
    else if (how == "name field")
        editor.NameEdit()->setFocus(Qt::MouseFocusReason);
    else if (how == "save")
        QTest::mouseClick(editor.ToolBar()->Button(EditorAction::Save), Qt::LeftButton);
    else
        QFAIL(qPrintable("no way to leave: " + how));
}

// Runs act on the program editor as soon as something has opened it.
void WhenEditorShown(std::function<void(TFProgramMycia&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<TFProgramMycia*>(w); editor && editor->isVisible()) {
                act(*editor);
                if (editor->isVisible()) editor->close();
                return;
            }
        QFAIL("the program editor did not open");
    });
}

QStringList Hints(const EditorToolBar& bar) {
    QStringList hints;
    for (QAction* action : bar.actions())
        if (auto* b = qobject_cast<QToolButton*>(bar.widgetForAction(action)))
            hints << b->toolTip();
    return hints;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestProgramWindows : public QObject {
    Q_OBJECT
private slots:
    // --- the editor ----------------------------------------------------------------------

    // What the editor shows: the bar, the headings, each step's cells with the process named
    // from the program's table beside its number, empty steps greyed; the WASHING program's
    // name cannot be edited and looks it.
    void editorOpens_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("program") << false << "P";
        QTest::newRow("WASHING program") << true << "W";
    }
    void editorOpens() {
        QFETCH(bool, washing);
        QFETCH(QString, prefix);
        Rig rig;
        TProgramRecord program = Program(washing ? WashingProgramNumber : 4, "Jam");
        program.Steps[0].ProcessNumber = 16;
        program.Steps[1].ProcessNumber = 0;
        program.Steps[2].ProcessNumber = 250;
        program.Steps[3].OnOffPulse = -999; // a step without a process but with a value
        TFProgramMycia editor(*rig.ctx, program);
        QCOMPARE(editor.windowTitle(), QString("Programs"));
        QCOMPARE(Hints(*editor.ToolBar()),
                 (QStringList{"Read from controller", "Write to controller", "Read from disk",
                              "Write to disk", "Cancel", "Save"}));
        QCOMPARE(editor.Grid()->model()->rowCount(), 30);
        QStringList headings;
        for (int c = 0; c < editor.Grid()->model()->columnCount(); ++c)
            headings << editor.Grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headings, (QStringList{"Step", "Name", "Hour", "minute", "TEMPERATURE", "Rotation",
                                        "Vacuum", "Vacuum pulse", "ON/OFF Pulse", "Weight",
                                        "Counter", "Work time", "Pause time"}));
        QCOMPARE(CellText(editor, 1, 0), QString("1"));
        QCOMPARE(CellText(editor, 30, 0), QString("30"));
        QCOMPARE(CellText(editor, 1, 1), "16 - " + prefix + "16");
        QCOMPARE(CellText(editor, 2, 1), QString("No data"));
        QCOMPARE(CellText(editor, 3, 1), QString("Process 250 (not in the table)"));
        QCOMPARE(CellText(editor, 3, 2), QString("2"));
        QCOMPARE(CellText(editor, 3, 4), QString("52"));
        QCOMPARE(CellText(editor, 4, 8), QString("-999"));
        QCOMPARE(CellText(editor, 1, 9), QString::number(100 * program.Number));
        // Step 5 and later are empty: greyed, unlike a step with a value but no process.
        QVERIFY(Cell(editor, 5, 4).data(Qt::ForegroundRole).isValid());
        QVERIFY(!Cell(editor, 4, 4).data(Qt::ForegroundRole).isValid());
        QVERIFY(!Cell(editor, 1, 4).data(Qt::ForegroundRole).isValid());

        QCOMPARE(editor.NameEdit()->text(), QString("Jam"));
        QCOMPARE(editor.NameEdit()->isEnabled(), !washing);
        const QPalette& palette = editor.NameEdit()->palette();
        for (auto group : {QPalette::Active, QPalette::Disabled})
            if (washing)
                QCOMPARE(palette.color(group, QPalette::Base),
                         palette.color(group, QPalette::Button));
        QVERIFY(washing || palette.color(QPalette::Active, QPalette::Base) !=
                               palette.color(QPalette::Active, QPalette::Button));

        // All 30 steps and every column are in view on a screen of 1280 x 1024 or more.
        Activate(editor);
        if (QApplication::primaryScreen()->availableGeometry().height() >= 1024) {
            const QRect last = editor.Grid()->visualRect(Cell(editor, 30, 12));
            QVERIFY(editor.Grid()->viewport()->rect().contains(last));
        }
    }

    // Moving with the keyboard and typing: arrows and Tab move, typing or F2 or Enter open the
    // cell's editor, Enter stores and stays, Escape stores and leaves the editor, Up in a
    // number field stores and moves up; a stray Escape on the grid keeps the window open.
    void keyboardEditing() {
        Rig rig;
        TFProgramMycia editor(*rig.ctx, Program(2, "Keys"));
        Activate(editor);
        QCOMPARE(QApplication::focusWidget(), editor.Grid());
        QCOMPARE(Current(editor), QPoint(1, 1));

        for (int i = 0; i < 3; ++i) Key(Qt::Key_Right);
        QCOMPARE(Current(editor), QPoint(1, 4));
        Type("85");
        auto* field = qobject_cast<QLineEdit*>(editor.CellEditor());
        QVERIFY(field);
        QCOMPARE(field->text(), QString("85"));
        QCOMPARE(field->geometry(), editor.Grid()->visualRect(Cell(editor, 1, 4)));
        Key(Qt::Key_Return);
        QVERIFY(!editor.CellEditor()); // and its release did not open it again
        QCOMPARE(editor.Record().Steps[0].Temperature, 85);
        QCOMPARE(CellText(editor, 1, 4), QString("85"));
        QCOMPARE(Current(editor), QPoint(1, 4));

        Key(Qt::Key_Down);
        Key(Qt::Key_F2);
        field = qobject_cast<QLineEdit*>(editor.CellEditor());
        QVERIFY(field);
        QCOMPARE(field->selectedText(), QString("51")); // the value selected in full
        Type("-99");
        Key(Qt::Key_Tab);
        QVERIFY(!editor.CellEditor());
        QCOMPARE(editor.Record().Steps[1].Temperature, -99);
        QCOMPARE(Current(editor), QPoint(2, 5));

        Key(Qt::Key_Return); // pressed and released on the grid: opens
        QVERIFY(qobject_cast<QLineEdit*>(editor.CellEditor()));
        Type("7");
        Key(Qt::Key_Escape);
        QVERIFY(!editor.CellEditor());
        QCOMPARE(editor.Record().Steps[1].Rotation, 7);
        Key(Qt::Key_Escape);
        QVERIFY(editor.isVisible());

        Key(Qt::Key_F2);
        Type("150");
        Key(Qt::Key_Up);
        QCOMPARE(editor.Record().Steps[1].Rotation, 150);
        QCOMPARE(Current(editor), QPoint(1, 5));

        // Typing on the "Name" cell opens the process list at the typed process.
        Key(Qt::Key_Backtab);
        Key(Qt::Key_Backtab);
        Key(Qt::Key_Backtab);
        QCOMPARE(Current(editor), QPoint(1, 2));
        Key(Qt::Key_Left);
        Type("9");
        auto* list = qobject_cast<QComboBox*>(editor.CellEditor());
        QVERIFY(list);
        QCOMPARE(list->currentIndex(), 9);
        Key(Qt::Key_Return);
        QCOMPARE(editor.Record().Steps[0].ProcessNumber, 9);
        QCOMPARE(CellText(editor, 1, 1), QString("9 - P9"));
        QVERIFY(rig.host.messages.empty());
    }

    // A value outside its column's range: the message names the upper bound, the cell and
    // the step field become 0, whichever way the cell editor is left.
    void valueOutOfRange_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("message");
        QTest::newRow("250 degrees, enter") << 4 << "250"
                                            << "enter" << 0 << "Wrong parameter range ! 200";
        QTest::newRow("-100 degrees, tab") << 4 << "-100"
                                           << "tab" << 0 << "Wrong parameter range ! 200";
        QTest::newRow("-99 degrees, escape") << 4 << "-99"
                                             << "escape" << -99 << "";
        QTest::newRow("60 minutes, click on the grid")
            << 3 << "60"
            << "click" << 0 << "Wrong parameter range ! 59";
        QTest::newRow("vacuum pulse 201, name field")
            << 7 << "201"
            << "name field" << 0 << "Wrong parameter range ! 200";
        QTest::newRow("vacuum pulse 200, click") << 7 << "200"
                                                 << "click" << 200 << "";
        QTest::newRow("pause time 65001, save") << 12 << "65001"
                                                << "save" << 0 << "Wrong parameter range ! 65000";
        QTest::newRow("work time 65000, enter") << 11 << "65000"
                                                << "enter" << 65000 << "";
        QTest::newRow("a lone minus counts as 0") << 10 << "-"
                                                  << "enter" << 0 << "";
    }
    void valueOutOfRange() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(int, stored);
        QFETCH(QString, message);
        Rig rig;
        TProgramRecord program = Program(3, "Range");
        program.Steps[1] = program.Steps[0]; // every field of step 2 set
        program.Steps[1].VacuumPulse = 9;
        program.Steps[1].Counter = 9;
        program.Steps[1].WorkTime = 9;
        program.Steps[1].PauseTime = 9;
        TFProgramMycia editor(*rig.ctx, program);
        Activate(editor);
        DoubleClickCell(editor, 2, column);
        QVERIFY(qobject_cast<QLineEdit*>(editor.CellEditor()));
        Type(typed);
        LeaveCell(editor, how);
        QVERIFY(!editor.CellEditor());
        const TStepRecord& step = editor.Record().Steps[1];
        QCOMPARE(StepValue(step, column), stored);
        QCOMPARE(CellText(editor, 2, column), QString::number(stored));
        QCOMPARE(rig.host.messages, message.isEmpty()
                                        ? std::vector<std::string>{}
                                        : std::vector<std::string>{message.toStdString()});
    }

    // The range message as the program shows it, in a modal box that takes the focus: shown
    // once, however the cell editor was left, and the cell editor gone afterwards.
    void modalRangeMessage_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"enter", "escape", "tab", "click", "name field", "save"})
            QTest::newRow(how) << how;
    }
    void modalRangeMessage() {
        QFETCH(QString, how);
        Rig rig;
        rig.host.modal = true;
        TFProgramMycia editor(*rig.ctx, Program(3, "Modal"));
        Activate(editor);
        DoubleClickCell(editor, 2, 4);
        Type("250");
        LeaveCell(editor, how);
        QTRY_VERIFY(!editor.CellEditor());
        QCOMPARE(rig.host.messages, std::vector<std::string>{"Wrong parameter range ! 200"});
        QCOMPARE(rig.host.modalShown, 1);
        QCOMPARE(editor.Record().Steps[1].Temperature, 0);
        QCOMPARE(CellText(editor, 2, 4), QString("0"));
    }

    // The process cell: a pick is stored; a stored number that the list does not hold (250,
    // or -3) selects nothing and is kept however the cell is entered and left, down to Save.
    void processCell_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("downs"); // Down presses in the list
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("shown");
        QTest::newRow("5 picks 6") << 5 << 1 << "enter" << 6 << "6 - P6";
        QTest::newRow("16 stays 16 at the end") << 16 << 1 << "tab" << 16 << "16 - P16";
        QTest::newRow("0 picks 1") << 0 << 1 << "click" << 1 << "1 - P1";
        QTest::newRow("5 untouched") << 5 << 0 << "escape" << 5 << "5 - P5";
        QTest::newRow("250, enter")
            << 250 << 0 << "enter" << 250 << "Process 250 (not in the table)";
        QTest::newRow("250, escape")
            << 250 << 0 << "escape" << 250 << "Process 250 (not in the table)";
        QTest::newRow("250, tab") << 250 << 0 << "tab" << 250 << "Process 250 (not in the table)";
        QTest::newRow("250, click")
            << 250 << 0 << "click" << 250 << "Process 250 (not in the table)";
        QTest::newRow("250, name field")
            << 250 << 0 << "name field" << 250 << "Process 250 (not in the table)";
        QTest::newRow("250, save") << 250 << 0 << "save" << 250 << "Process 250 (not in the table)";
        QTest::newRow("-3, enter") << -3 << 0 << "enter" << -3 << "Process -3 (not in the table)";
        QTest::newRow("250 picks No data") << 250 << 1 << "enter" << 0 << "No data";
    }
    void processCell() {
        QFETCH(int, stored);
        QFETCH(int, downs);
        QFETCH(QString, how);
        QFETCH(int, after);
        QFETCH(QString, shown);
        Rig rig;
        TProgramRecord program = Program(6, "Processes");
        program.Steps[4].ProcessNumber = stored;
        TFProgramMycia editor(*rig.ctx, program);
        Activate(editor);
        DoubleClickCell(editor, 5, 1);
        auto* list = qobject_cast<QComboBox*>(editor.CellEditor());
        QVERIFY(list);
        QCOMPARE(list->count(), 17);
        QCOMPARE(list->itemText(0), QString("No data"));
        QCOMPARE(list->itemText(16), QString("16 - P16"));
        QCOMPARE(list->currentIndex(), ProcessChoiceIndex(stored));
        QCOMPARE(list->geometry(), editor.Grid()->visualRect(Cell(editor, 5, 1)));
        for (int i = 0; i < downs; ++i) Key(Qt::Key_Down);
        LeaveCell(editor, how);
        QVERIFY(!editor.CellEditor());
        QCOMPARE(editor.Record().Steps[4].ProcessNumber, after);
        QCOMPARE(CellText(editor, 5, 1), shown);
        if (after == stored) {
            // Nothing else in the program moved either.
            TProgramRecord expected = program;
            QCOMPARE(BytesOf(editor.Record()), BytesOf(expected));
        }
        QVERIFY(rig.host.messages.empty());
    }

    // Save hands back the copy with what the user did, byte for byte: the fields the editor
    // does not show (the extra value, the reserved bytes) as they were, and the value of a
    // cell editor still open at Save taken.
    void saveGivesTheRecord() {
        Rig rig;
        TProgramRecord record;
        std::memset(&record, 0x5A, sizeof record);
        record.Number = 7;
        record.Name.SetText("Old");
        TFProgramMycia editor(*rig.ctx, record);
        Activate(editor);
        editor.NameEdit()->setFocus();
        editor.NameEdit()->selectAll();
        QTest::keyClicks(editor.NameEdit(), "Jam 2 kg");
        QCOMPARE(editor.Record().Name.Text(), std::string("Jam 2 kg")); // stored at once
        DoubleClickCell(editor, 1, 4);
        Type("85");
        Key(Qt::Key_Return);
        DoubleClickCell(editor, 2, 1);
        Key(Qt::Key_Down); // from nothing selected to "No data"
        Key(Qt::Key_Return);
        DoubleClickCell(editor, 30, 12);
        Type("65000"); // still open at Save
        QTest::mouseClick(editor.ToolBar()->Button(EditorAction::Save), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Accepted));

        TProgramRecord expected = record;
        expected.Name.SetText("Jam 2 kg");
        expected.Steps[0].Temperature = 85;
        expected.Steps[1].ProcessNumber = 0;
        expected.Steps[29].PauseTime = 65000;
        QCOMPARE(BytesOf(editor.Record()).toHex(' '), BytesOf(expected).toHex(' '));
        QVERIFY(rig.host.messages.empty());
    }

    // The name: at most 14 typed characters, a longer stored name kept, Polish letters folded.
    void name_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed"); // at the end of the field, "=" sets the text
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("typing stops at 14")
            << QByteArray("") << "ABCDEFGHIJKLMNOPQR" << QByteArray("ABCDEFGHIJKLMN");
        QTest::newRow("a longer stored name cannot grow")
            << QByteArray("Twenty characters ab") << "cd" << QByteArray("Twenty characters ab");
        QTest::newRow("polish letters folded")
            << QByteArray("") << QString("=") + QString::fromUtf8("Łąka źródło")
            << QByteArray("Laka zrodlo");
    }
    void name() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(QByteArray, kept);
        Rig rig;
        TFProgramMycia editor(*rig.ctx, Program(1, stored.toStdString()));
        Activate(editor);
        if (typed.startsWith('=')) {
            editor.NameEdit()->setText(typed.mid(1));
        } else {
            editor.NameEdit()->setFocus();
            editor.NameEdit()->end(false);
            QTest::keyClicks(editor.NameEdit(), typed);
        }
        QCOMPARE(QByteArray::fromStdString(editor.Record().Name.Text()), kept);
    }

    // A name the code page cannot show is not touched by opening the editor and saving.
    void unshownNameKept() {
        Rig rig;
        TProgramRecord record = Program(1, std::string("A\x81\x83\x98Z"));
        TFProgramMycia editor(*rig.ctx, record);
        editor.Trigger(EditorAction::Save);
        QCOMPARE(BytesOf(editor.Record()), BytesOf(record));
    }

    // "Cancel" and the close box give false and leave the record; "Save" gives true.
    void editProgramResult_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        QTest::newRow("save") << "save" << true;
        QTest::newRow("cancel") << "cancel" << false;
        QTest::newRow("close box") << "close" << false;
    }
    void editProgramResult() {
        QFETCH(QString, how);
        QFETCH(bool, saved);
        Rig rig;
        TProgramRecord record = Program(8, "Eight");
        const TProgramRecord before = record;
        WhenEditorShown([&](TFProgramMycia& editor) {
            editor.NameEdit()->setText("Changed");
            if (how == "close")
                editor.close();
            else
                QTest::mouseClick(editor.ToolBar()->Button(how == "save" ? EditorAction::Save
                                                                         : EditorAction::Cancel),
                                  Qt::LeftButton);
        });
        QCOMPARE(EditProgram(*rig.ctx, record, nullptr), saved);
        QCOMPARE(record.Name.Text(), std::string(saved ? "Changed" : "Eight"));
        if (!saved) QCOMPARE(BytesOf(record), BytesOf(before));
    }

    // ".p1z": "Write to disk" takes an open cell editor and writes one record; "Read from
    // disk" takes the first record, keeps the editor's number and shows the program; a file
    // without a whole record changes nothing.
    void editorFiles() {
        QTemporaryDir dir;
        Rig rig;
        const QString path = dir.filePath("one.p1z");
        TFProgramMycia editor(*rig.ctx, Program(4, "On disk"));
        Activate(editor);
        DoubleClickCell(editor, 3, 2);
        Type("12");
        rig.host.saveChoices.push_back(path.toStdString());
        editor.Trigger(EditorAction::WriteToDisk);
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().filter), QString("ZYL|*.p1z"));
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().defaultExtension), QString("p1z"));
        QVERIFY(rig.host.dialogs.back().overwritePrompt);
        TProgramRecord onDisk = Program(4, "On disk");
        onDisk.Steps[2].Hours = 12;
        QCOMPARE(FileBytes(path), BytesOf(onDisk));

        TFProgramMycia other(*rig.ctx, Program(WashingProgramNumber, "WASHING"));
        QVERIFY(WriteFile(dir.filePath("short.p1z"), BytesOf(onDisk).left(2707)));
        rig.host.openChoices.push_back(dir.filePath("short.p1z").toStdString());
        other.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(BytesOf(other.Record()), BytesOf(Program(WashingProgramNumber, "WASHING")));
        rig.host.openChoices.push_back(path.toStdString());
        other.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(other.NameEdit()->text(), QString("On disk"));
        QCOMPARE(CellText(other, 3, 2), QString("12"));
        QCOMPARE(CellText(other, 1, 1), QString("2 - W2")); // still the WASHING table
        TProgramRecord expected = onDisk;
        expected.Number = WashingProgramNumber;
        QCOMPARE(BytesOf(other.Record()), BytesOf(expected));
        QVERIFY(rig.host.messages.empty());
    }

    // "Write to controller" sends the copy with an open cell editor's value and offers the
    // reset; the project is not changed. "Read from controller" shows what the controller
    // holds for this program; a failed read leaves the copy and the grid.
    void editorController() {
        Rig rig;
        const auto before = std::make_unique<Project>(rig.ctx->project);
        TFProgramMycia editor(*rig.ctx, Program(5, "Sent"));
        Activate(editor);
        DoubleClickCell(editor, 1, 3);
        Type("45");
        editor.Trigger(EditorAction::WriteToController);
        const auto parts = rig.Written(ProgramCode);
        QCOMPARE(parts.size(), std::size_t(2));
        for (const Bytes& part : parts) QCOMPARE(int(part[10]), 4); // program index 4
        const auto data = EncodeProgramPart(editor.Record(), 0, 2, 0);
        QCOMPARE(Bytes(parts[0].begin() + 9, parts[0].end() - 2), data);
        QCOMPARE(editor.Record().Steps[0].Minutes, 45);
        QCOMPARE(std::memcmp(before.get(), &rig.ctx->project, sizeof(Project)), 0);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});

        TProgramRecord held = Program(5, "FROM CTRL");
        held.Steps[6].ProcessNumber = 12;
        held.Steps[6].Temperature = 120;
        rig.onController[4] = held;
        editor.Trigger(EditorAction::ReadFromController);
        QCOMPARE(editor.NameEdit()->text(), QString("FROM CTRL"));
        QCOMPARE(CellText(editor, 7, 1), QString("12 - P12"));
        QCOMPARE(CellText(editor, 7, 4), QString("120"));
        QCOMPARE(CellText(editor, 1, 3), QString("10"));

        const TProgramRecord shown = editor.Record();
        rig.onController[4] = Program(5, "LATER");
        rig.silent = [](const Bytes& req) {
            return req.size() > 10 && req[6] == ProgramCode && req[9] == 1;
        };
        editor.Trigger(EditorAction::ReadFromController);
        QCOMPARE(rig.host.messages, std::vector<std::string>{"No communication"});
        QCOMPARE(BytesOf(editor.Record()), BytesOf(shown));
        QCOMPARE(editor.NameEdit()->text(), QString("FROM CTRL"));
        QCOMPARE(CellText(editor, 7, 1), QString("12 - P12"));
    }

    // The WASHING program reads as program index 100 and keeps its name.
    void washingReadFromController() {
        Rig rig;
        TProgramRecord washing = Program(WashingProgramNumber, "WASHING");
        rig.onController[100] = Program(101, "ELSE");
        rig.onController[100].Steps[0].ProcessNumber = 7;
        TFProgramMycia editor(*rig.ctx, washing);
        editor.Trigger(EditorAction::ReadFromController);
        for (const Bytes& r : rig.port.written)
            if (r.size() > 10 && r[6] == ProgramCode) QCOMPARE(int(r[10]), 100);
        QCOMPARE(editor.NameEdit()->text(), QString("WASHING"));
        QCOMPARE(CellText(editor, 1, 1), QString("7 - W7"));
    }

    // The main window's "Program WASHING": number 101 and the name "WASHING" set, the
    // editor in its WASHING form on a copy that is stored back only on Save.
    void washingProgramFromMainWindow_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("saved") << true;
        QTest::newRow("cancelled") << false;
    }
    void washingProgramFromMainWindow() {
        QFETCH(bool, save);
        QTemporaryDir home;
        qputenv("ZYL_HOME", QFile::encodeName(home.path()));
        Rig rig;
        TForm1 form(*rig.ctx);
        TProgramRecord& washing = rig.Image().WashingProgram;
        washing.Name.SetText("OLD");
        washing.Number = 0;
        washing.Steps[0].ProcessNumber = 3;
        form.EnableProjectCommands(true);
        bool enabled = true;
        QString firstCell;
        WhenEditorShown([&](TFProgramMycia& editor) {
            enabled = editor.NameEdit()->isEnabled();
            firstCell = CellText(editor, 1, 1);
            editor.Grid()->setFocus();
            editor.Grid()->setCurrentIndex(Cell(editor, 1, 4));
            editor.Grid()->edit(Cell(editor, 1, 4));
            QTest::keyClicks(editor.CellEditor(), "95");
            QTest::mouseClick(
                editor.ToolBar()->Button(save ? EditorAction::Save : EditorAction::Cancel),
                Qt::LeftButton);
        });
        form.Button(TForm1::ButtonProgramWashing)->click();
        qunsetenv("ZYL_HOME");
        QVERIFY(!enabled);
        QCOMPARE(firstCell, QString("3 - W3"));
        QCOMPARE(washing.Number, WashingProgramNumber);
        QCOMPARE(washing.Name.Text(), std::string("WASHING"));
        QCOMPARE(washing.Steps[0].Temperature, save ? 95 : 0);
        QVERIFY(form.Document().modified);
    }

    // --- the list ------------------------------------------------------------------------

    void listShowsPrograms() {
        Rig rig;
        for (int i = 0; i < ProgramCount; ++i)
            rig.Image().Programs[i].Name.SetText("N" + std::to_string(i + 1));
        rig.Image().Programs[4].Number = 40; // the row counts, not the number
        Tflistaprojektow list(*rig.ctx);
        QCOMPARE(list.windowTitle(), QString("Programs"));
        QCOMPARE(Hints(*list.ToolBar()),
                 (QStringList{"Read from controller", "Write to controller", "Read from disk",
                              "Write to disk", "Edit", "Save"}));
        QCOMPARE(list.Model()->columnCount(), 2);
        QCOMPARE(list.Model()->headerData(0, Qt::Horizontal).toString(), QString("No"));
        QCOMPARE(list.Model()->headerData(1, Qt::Horizontal).toString(), QString("Name"));
        QCOMPARE(list.Model()->rowCount(), 99);
        for (int row = 0; row < 99; ++row) {
            QCOMPARE(list.Model()->Text(row, 0), QString::number(row + 1));
            QCOMPARE(list.Model()->Text(row, 1), QString("N%1").arg(row + 1));
        }
    }

    // ".plz" into programs 1 to 99: records beyond the 99th reach neither program 100 nor
    // the WASHING program, nor anything else in the project.
    void listReadFromDisk_data() {
        QTest::addColumn<int>("records");
        QTest::newRow("3 records") << 3;
        QTest::newRow("99 records") << 99;
        QTest::newRow("100 records") << 100;
        QTest::newRow("102 records") << 102;
    }
    void listReadFromDisk() {
        QFETCH(int, records);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.plz");
        QByteArray file;
        for (int i = 0; i < records; ++i)
            file += BytesOf(Program(500 + i, "F" + std::to_string(i + 1)));
        QVERIFY(WriteFile(path, file));
        Rig rig;
        NumberProjectRecords(rig.Image());
        SetWashingProgramName(rig.Image());
        for (int i = 0; i < ProgramCount; ++i)
            rig.Image().Programs[i].Name.SetText("N" + std::to_string(i + 1));
        const auto before = std::make_unique<Project>(rig.ctx->project);
        Tflistaprojektow list(*rig.ctx);
        rig.host.openChoices.push_back(path.toStdString());
        list.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(QString::fromStdString(rig.host.dialogs[0].filter), QString("ZYL|*.plz"));
        QCOMPARE(QString::fromStdString(rig.host.dialogs[0].defaultExtension), QString("plz"));
        const int applied = std::min(records, 99);
        for (int row = 0; row < 99; ++row)
            QCOMPARE(list.Model()->Text(row, 1),
                     QString(row < applied ? "F%1" : "N%1").arg(row + 1));
        QCOMPARE(rig.Image().Programs[applied - 1].Number, 500 + applied - 1);
        const auto* now = reinterpret_cast<const char*>(&rig.Image());
        const auto* old = reinterpret_cast<const char*>(&before->image);
        const std::size_t from = offsetof(TProjectImage, Programs);
        const std::size_t to = from + std::size_t(applied) * sizeof(TProgramRecord);
        QCOMPARE(std::memcmp(now, old, from), 0);
        QCOMPARE(std::memcmp(now + to, old + to, sizeof(TProjectImage) - to), 0);
        QCOMPARE(rig.Image().WashingProgram.Name.Text(), std::string("WASHING"));
        QVERIFY(rig.host.messages.empty());
    }

    // ".plz" out: programs 1 to 99, 99 records; a write error is shown.
    void listWriteToDisk() {
        QTemporaryDir dir;
        Rig rig;
        for (int i = 0; i < ProgramCount; ++i) rig.Image().Programs[i] = Program(i + 1, "W");
        Tflistaprojektow list(*rig.ctx);
        const QString path = dir.filePath("w.plz");
        rig.host.saveChoices.push_back(path.toStdString());
        list.Trigger(EditorAction::WriteToDisk);
        QVERIFY(rig.host.dialogs[0].overwritePrompt);
        const QByteArray written = FileBytes(path);
        QCOMPARE(written.size(), 268092);
        QCOMPARE(written, QByteArray(reinterpret_cast<const char*>(rig.Image().Programs), 268092));
        rig.host.saveChoices.push_back(dir.filePath("missing/w.plz").toStdString());
        list.Trigger(EditorAction::WriteToDisk);
        QCOMPARE(rig.host.messages.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(rig.host.messages[0]).contains("w.plz"));
    }

    // The list shows what the project holds after a read: all 99 programs, or after a
    // failure the programs read before it (the rest as they were).
    void listReadFromController_data() {
        QTest::addColumn<int>("silentFrom"); // program index from which nothing answers
        QTest::newRow("all read") << 1000;
        QTest::newRow("fails at program 3") << 2;
    }
    void listReadFromController() {
        QFETCH(int, silentFrom);
        Rig rig;
        for (int i = 0; i < ProgramCount; ++i)
            rig.Image().Programs[i].Name.SetText("N" + std::to_string(i + 1));
        rig.silent = [silentFrom](const Bytes& req) {
            return req.size() > 10 && req[6] == ProgramCode && req[10] >= silentFrom;
        };
        Tflistaprojektow list(*rig.ctx);
        list.Trigger(EditorAction::ReadFromController);
        for (int row = 0; row < 99; ++row) {
            const QString expected = QString(row < silentFrom ? "C%1" : "N%1").arg(row + 1);
            QCOMPARE(list.Model()->Text(row, 1), expected);
            QCOMPARE(QString::fromStdString(rig.Image().Programs[row].Name.Text()), expected);
        }
        QCOMPARE(rig.host.messages.empty(), silentFrom > 99);
    }

    // Double click, Enter or "Edit" open the editor on a copy numbered by its row; "Save"
    // puts it back and updates the row, "Cancel" leaves both as they were.
    void editFromList_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("save");
        QTest::newRow("double click, saved") << "double click" << true;
        QTest::newRow("enter, saved") << "enter" << true;
        QTest::newRow("edit button, saved") << "edit" << true;
        QTest::newRow("edit button, cancelled") << "edit" << false;
    }
    void editFromList() {
        QFETCH(QString, how);
        QFETCH(bool, save);
        Rig rig;
        TProgramRecord& program = rig.Image().Programs[2];
        program = Program(40, "Three");
        const TProgramRecord before = program;
        Tflistaprojektow list(*rig.ctx);
        Activate(list);
        list.Grid()->selectRow(2);
        bool nameEnabled = false;
        WhenEditorShown([&](TFProgramMycia& editor) {
            nameEnabled = editor.NameEdit()->isEnabled();
            editor.NameEdit()->setText("Soup");
            editor.Grid()->setFocus();
            editor.Grid()->setCurrentIndex(Cell(editor, 2, 9));
            QTest::keyClick(editor.Grid(), Qt::Key_F2);
            QTest::keyClicks(editor.CellEditor(), "1500");
            QTest::mouseClick(
                editor.ToolBar()->Button(save ? EditorAction::Save : EditorAction::Cancel),
                Qt::LeftButton);
        });
        if (how == "double click") {
            const QRect cell = list.Grid()->visualRect(list.Model()->index(2, 1));
            QTest::mouseClick(list.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
        } else if (how == "enter") {
            QTest::keyRelease(list.Grid(), Qt::Key_Return);
        } else {
            QTest::mouseClick(list.ToolBar()->Button(EditorAction::Edit), Qt::LeftButton);
        }
        QVERIFY(nameEnabled);
        QCOMPARE(list.Model()->Text(2, 1), QString(save ? "Soup" : "Three"));
        if (save) {
            TProgramRecord expected = before;
            expected.Number = 3;
            expected.Name.SetText("Soup");
            expected.Steps[1].Weight = 1500;
            QCOMPARE(BytesOf(program), BytesOf(expected));
        } else {
            QCOMPARE(BytesOf(program), BytesOf(before));
        }
        QVERIFY(list.isVisible());
    }
};

QTEST_MAIN(TestProgramWindows)
#include "tst_programwindows.moc"
