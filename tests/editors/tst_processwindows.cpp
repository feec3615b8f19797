// The process list and the process editor driven as a user drives them.

#include "core/AppContext.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/processes/Processes.h"
#include "editors/processes/StanPrzekaznikow.h"
#include "editors/processes/Ulistakrokow.h"
#include "link/CommandEncoding.h"
#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

using namespace zyl;
using zyl::test::BlockController;
using zyl::test::Bytes;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;

namespace {

constexpr int ParametersCode = 0x13;

TProcessRecord Process(int n, const std::string& name) {
    TProcessRecord p{};
    p.Number = n;
    p.Name.SetText(name);
    p.EndCondition = n % 25;
    p.RelayStates[n % 32] = 1;
    for (int i = 0; i < 5; ++i) p.StepPresets[i] = std::int16_t(10 * n + i);
    return p;
}

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    std::unique_ptr<AppContext> ctx = std::make_unique<AppContext>(port, host);
    BlockController controller;
    Rig() {
        ctx->settings.tuning.timeoutStand = 5;
        ctx->link.SetTuning(ctx->settings.tuning);
        for (int i = 0; i < RelayCount; ++i)
            ctx->project.image.Relays[i].Name.SetText("Relay name " + std::to_string(i + 1));
        for (int i = 0; i < ProcessCount; ++i) {
            ctx->project.image.Processes[i] = Process(i + 1, "P" + std::to_string(i + 1));
            ctx->project.image.WashingProcesses[i] = Process(i + 1, "W" + std::to_string(i + 1));
        }
        port.respond = [this](const Bytes& req) { return controller(req); };
    }
    TProjectImage& Image() { return ctx->project.image; }

    // The controller holds the table `prefix`1 .. `prefix`16 with step presets 1000 + ...
    void SeedController(bool washing, const std::string& prefix) {
        const int code = washing ? 0x10 : 0x0D;
        controller.readData[code] = 8 * ProcessItemSize;
        controller.readData[ParametersCode] = ProcessCount * ProcessParametersItemSize;
        Bytes& params = controller.stored[{ParametersCode, washing ? 1 : 0}];
        for (int n = 1; n <= ProcessCount; ++n) {
            TProcessRecord p = Process(n, prefix + std::to_string(n));
            for (auto& preset : p.StepPresets) preset = std::int16_t(preset + 1000);
            const auto item = EncodeProcessItem(p, 0);
            Bytes& group = controller.stored[{code, (n - 1) / 8}];
            group.insert(group.end(), item.begin(), item.end());
            const auto presets = EncodeProcessParametersItem(p);
            params.insert(params.end(), presets.begin(), presets.end());
        }
    }
};

QByteArray BytesOf(const TProcessRecord& p, int offset = 0, int length = 120) {
    return QByteArray(reinterpret_cast<const char*>(&p) + offset, length);
}

void Activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Runs act on the process editor as soon as something has opened it.
void WhenEditorShown(std::function<void(TFStanPrzekaznikow&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<TFStanPrzekaznikow*>(w);
                editor && editor->isVisible()) {
                act(*editor);
                if (editor->isVisible()) editor->close();
                return;
            }
        QFAIL("the process editor did not open");
    });
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

QStringList Hints(const EditorToolBar& bar) {
    QStringList hints;
    for (int a = 0; a < int(EditorActionHints.size()); ++a)
        if (QToolButton* b = bar.Button(EditorAction(a))) hints << b->toolTip();
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

class TestProcessWindows : public QObject {
    Q_OBJECT
private slots:
    // --- the editor ----------------------------------------------------------------------

    // Type a name, leave it, pick an end condition with the keyboard, switch relays, type the
    // step presets, Save: the record holds what the user did, byte for byte, and nothing else
    // in it changed.
    void editorSaveTakesTheControls() {
        Rig rig;
        TProcessRecord record;
        std::memset(&record, 0x5A, sizeof record); // bytes the editor does not own
        record.Number = 3;
        record.Name.SetText("Old");
        record.EndCondition = 4;
        std::fill(std::begin(record.RelayStates), std::end(record.RelayStates), 0);
        record.RelayStates[1] = 1;
        TFStanPrzekaznikow editor(*rig.ctx, record, false);
        Activate(editor);

        Type(editor.NameEdit(), "Heating");
        QTest::keyClick(editor.NameEdit(), Qt::Key_Tab); // leave the name for the list
        QCOMPARE(QApplication::focusWidget(), editor.EndConditionBox());
        QTest::keyClick(editor.EndConditionBox(), Qt::Key_Down);         // 4 -> 5
        QTest::mouseClick(editor.Switches()->Switch(2), Qt::LeftButton); // off
        QTest::mouseClick(editor.Switches()->Switch(17), Qt::LeftButton);
        QTest::mouseClick(editor.Switches()->Switch(32), Qt::LeftButton);
        const char* typed[5] = {"40000", "-1", "300", "", "32767"};
        for (int i = 0; i < 5; ++i) Type(editor.PresetEdit(i), typed[i]);
        QTest::mouseClick(editor.ToolBar()->Button(EditorAction::Save), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Accepted));

        TProcessRecord expected = record;
        expected.Name.SetText("Heating");
        expected.EndCondition = 5;
        expected.RelayStates[1] = 0;
        expected.RelayStates[16] = 1;
        expected.RelayStates[31] = 1;
        const std::int16_t presets[5] = {-25536, -1, 300, 0, 32767};
        std::copy(std::begin(presets), std::end(presets), expected.StepPresets);
        QCOMPARE(BytesOf(editor.Record()).toHex(' '), BytesOf(expected).toHex(' '));
        QVERIFY(rig.host.messages.empty());
    }

    // The name takes at most 14 typed characters; a longer stored name is shown whole and
    // kept; Polish letters are folded on Save.
    void editorName_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed"); // at the end of the field, "=" sets the text
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("typing stops at 14")
            << QByteArray("") << "ABCDEFGHIJKLMNOPQR" << QByteArray("ABCDEFGHIJKLMN");
        QTest::newRow("a longer stored name cannot grow")
            << QByteArray("Twenty characters ab") << "cd" << QByteArray("Twenty characters ab");
        QTest::newRow("polish letters folded")
            << QByteArray("") << QString("=") + QString::fromUtf8("Łąka źródło")
            << QByteArray("Laka zrodlo");
    }
    void editorName() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        Rig rig;
        TProcessRecord record = Process(1, stored.toStdString());
        TFStanPrzekaznikow editor(*rig.ctx, record, false);
        Activate(editor);
        QCOMPARE(editor.NameEdit()->text(), QString::fromLatin1(stored));
        if (typed.startsWith('=')) {
            editor.NameEdit()->setText(typed.mid(1));
        } else {
            editor.NameEdit()->setFocus();
            editor.NameEdit()->end(false);
            QTest::keyClicks(editor.NameEdit(), typed);
        }
        editor.Trigger(EditorAction::Save);
        QCOMPARE(QByteArray::fromStdString(editor.Record().Name.Text()), saved);
    }

    // What the editor shows on opening, and what Save keeps when the user changed nothing.
    void editorOpens_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<int>("endCondition");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << false << 19 << 19 << "Manufacturing processes parameters";
        QTest::newRow("WASHING") << true << 0 << 0 << "Manufacturing processes parameters WASHING";
        QTest::newRow("end condition 25: nothing selected, kept")
            << false << 25 << -1 << "Manufacturing processes parameters";
        QTest::newRow("negative end condition")
            << true << -1 << -1 << "Manufacturing processes parameters WASHING";
    }
    void editorOpens() {
        QFETCH(bool, washing);
        QFETCH(int, endCondition);
        QFETCH(int, selected);
        QFETCH(QString, title);
        Rig rig;
        TProcessRecord record = Process(6, "Mixing");
        record.EndCondition = endCondition;
        record.StepPresets[0] = -25536; // 40000 as typed once
        record.RelayStates[0] = 7;      // any non-zero byte shows the switch on
        TFStanPrzekaznikow editor(*rig.ctx, record, washing);
        QCOMPARE(editor.windowTitle(), title);
        QCOMPARE(Hints(*editor.ToolBar()),
                 (QStringList{"Read from controller", "Write to controller", "Read from disk",
                              "Write to disk", "Save"}));
        QCOMPARE(editor.EndConditionBox()->count(), 25);
        QCOMPARE(editor.EndConditionBox()->currentIndex(), selected);
        QCOMPARE(editor.PresetEdit(0)->text(), QString("-25536"));
        QVERIFY(editor.Switches()->Switch(1)->isChecked());
        QCOMPARE(editor.Switches()->Switch(1)->toolTip(), QString("1: Relay name 1"));
        editor.Trigger(EditorAction::Save);
        TProcessRecord expected = record;
        expected.RelayStates[0] = 1;
        QCOMPARE(BytesOf(editor.Record()), BytesOf(expected));
    }

    // The list shows its texts through code page 1250: 0xA0 as a no-break space, 0x93 as
    // the opening typographic quote.
    void endConditionList() {
        Rig rig;
        TFStanPrzekaznikow editor(*rig.ctx, Process(1, "X"), false);
        QComboBox* box = editor.EndConditionBox();
        QCOMPARE(box->itemText(0),
                 QString("0") + QString(2, QChar(0xA0)) + " time longer than preset");
        QCOMPARE(box->itemText(22),
                 QString("22.control input or relay in status ") + QChar(0x201C) + "0\"");
    }

    // "Read from controller" shows what the controller holds for this process; a failure
    // leaves the fields as they were. Closing by the close box then discards what was read.
    void editorReadFromController_data() {
        QTest::addColumn<bool>("presetsAnswered");
        QTest::newRow("read") << true;
        QTest::newRow("step presets unanswered") << false;
    }
    void editorReadFromController() {
        QFETCH(bool, presetsAnswered);
        Rig rig;
        rig.SeedController(true, "CTRL ");
        if (!presetsAnswered)
            rig.controller.silent = [](const Bytes& req) {
                return req.size() > 7 && req[6] == ParametersCode;
            };
        TProcessRecord record = rig.Image().WashingProcesses[10];
        const TProcessRecord before = record;
        WhenEditorShown([&](TFStanPrzekaznikow& editor) {
            editor.NameEdit()->setText("Typed");
            editor.Trigger(EditorAction::ReadFromController);
            QCOMPARE(editor.NameEdit()->text(), presetsAnswered ? QString("CTRL 11") : "Typed");
            QCOMPARE(editor.PresetEdit(0)->text(), presetsAnswered ? QString("1110") : "110");
            QCOMPARE(editor.Record().Name.Text(), presetsAnswered ? "CTRL 11" : "W11");
            editor.close();
        });
        QVERIFY(!EditProcess(*rig.ctx, record, true, nullptr));
        QCOMPARE(BytesOf(record), BytesOf(before));
        QCOMPARE(rig.host.messages.empty(), presetsAnswered);
    }

    // "Write to controller" sends what the fields hold; the project stays as it was.
    void editorWriteToController() {
        Rig rig;
        const auto before = std::make_unique<Project>(rig.ctx->project);
        TFStanPrzekaznikow editor(*rig.ctx, rig.Image().Processes[2], false);
        editor.NameEdit()->setText("Sent");
        editor.PresetEdit(4)->setText("40000");
        editor.Trigger(EditorAction::WriteToController);
        QCOMPARE(rig.port.written.size(), std::size_t(2));
        const Bytes& process = rig.port.written[0];
        QCOMPARE(int(process[6]), 0x15);
        QCOMPARE(int(process[9]), 2);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(process.data()) + 10, 4),
                 QByteArray("Sent"));
        const Bytes& presets = rig.port.written[1];
        QCOMPARE(int(presets[6]), 0x1A);
        QCOMPARE(int(presets[18]), 0x9C);
        QCOMPARE(int(presets[19]), 0x40);
        QCOMPARE(std::memcmp(before.get(), &rig.ctx->project, sizeof(Project)), 0);
        QCOMPARE(rig.host.questions, std::vector<std::string>{MsgResetDevice});
    }

    // ".k1z": "Write to disk" takes the fields first and writes one record; "Read from disk"
    // takes the first record and keeps the editor's number; a file without a whole record
    // changes nothing.
    void editorFiles() {
        QTemporaryDir dir;
        Rig rig;
        const QString path = dir.filePath("one.k1z");
        TFStanPrzekaznikow editor(*rig.ctx, Process(4, "Four"), false);
        editor.NameEdit()->setText("On disk");
        rig.host.saveChoices.push_back(path.toStdString());
        editor.Trigger(EditorAction::WriteToDisk);
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().filter), QString("ZYL|*.k1z"));
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().defaultExtension), QString("k1z"));
        QVERIFY(rig.host.dialogs.back().overwritePrompt);
        TProcessRecord onDisk = Process(4, "On disk");
        QCOMPARE(FileBytes(path), BytesOf(onDisk));

        TFStanPrzekaznikow other(*rig.ctx, Process(9, "Nine"), true);
        QVERIFY(WriteFile(dir.filePath("short.k1z"), BytesOf(onDisk).left(119)));
        rig.host.openChoices.push_back(dir.filePath("short.k1z").toStdString());
        other.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(other.NameEdit()->text(), QString("Nine"));
        rig.host.openChoices.push_back(path.toStdString());
        other.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(other.NameEdit()->text(), QString("On disk"));
        other.Trigger(EditorAction::Save);
        TProcessRecord expected = onDisk;
        expected.Number = 9;
        QCOMPARE(BytesOf(other.Record()), BytesOf(expected));
        QVERIFY(rig.host.messages.empty());
    }

    // --- the list ------------------------------------------------------------------------

    void listShowsItsTable_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("plain") << false << "Processes"
                               << "P";
        QTest::newRow("WASHING") << true << "Processes WASHING"
                                 << "W";
    }
    void listShowsItsTable() {
        QFETCH(bool, washing);
        QFETCH(QString, title);
        QFETCH(QString, prefix);
        Rig rig;
        rig.Image().Processes[4].Number = 40; // the row counts, not the number
        TfListakrokow list(*rig.ctx, washing);
        QCOMPARE(list.windowTitle(), title);
        QCOMPARE(Hints(*list.ToolBar()),
                 (QStringList{"Read from controller", "Write to controller", "Read from disk",
                              "Write to disk", "Edit", "Save"}));
        QCOMPARE(list.Model()->columnCount(), 2);
        QCOMPARE(list.Model()->headerData(0, Qt::Horizontal).toString(), QString("No"));
        QCOMPARE(list.Model()->headerData(1, Qt::Horizontal).toString(), QString("Name"));
        QCOMPARE(list.Model()->rowCount(), ProcessCount);
        for (int row = 0; row < ProcessCount; ++row) {
            QCOMPARE(list.Model()->Text(row, 0), QString::number(row + 1));
            QCOMPARE(list.Model()->Text(row, 1), prefix + QString::number(row + 1));
        }
        // Every row and the whole tool bar are in view.
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QRect last = list.Grid()->visualRect(list.Model()->index(ProcessCount - 1, 1));
        QVERIFY(list.Grid()->viewport()->rect().contains(last));
        QVERIFY(list.width() >= list.ToolBar()->sizeHint().width());
    }

    // ".klz" into the variant's table: the other table stays, and records beyond the 16th
    // never reach the image.
    void listReadFromDisk_data() {
        QTest::addColumn<bool>("washing");
        QTest::addColumn<int>("records");
        QTest::newRow("WASHING, 3 records") << true << 3;
        QTest::newRow("plain, 17 records") << false << 17;
        QTest::newRow("WASHING, 20 records") << true << 20;
    }
    void listReadFromDisk() {
        QFETCH(bool, washing);
        QFETCH(int, records);
        QTemporaryDir dir;
        const QString path = dir.filePath("t.klz");
        QByteArray file;
        for (int i = 0; i < records; ++i)
            file += BytesOf(Process(i + 1, "F" + std::to_string(i + 1)));
        QVERIFY(WriteFile(path, file));
        Rig rig;
        const auto before = std::make_unique<Project>(rig.ctx->project);
        TfListakrokow list(*rig.ctx, washing);
        rig.host.openChoices.push_back(path.toStdString());
        list.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(QString::fromStdString(rig.host.dialogs[0].filter), QString("ZYL|*.klz"));
        QCOMPARE(QString::fromStdString(rig.host.dialogs[0].defaultExtension), QString("klz"));
        const int applied = std::min(records, ProcessCount);
        for (int row = 0; row < ProcessCount; ++row)
            QCOMPARE(list.Model()->Text(row, 1),
                     QString(row < applied ? "F%1" : (washing ? "W%1" : "P%1")).arg(row + 1));
        const auto* now = reinterpret_cast<const char*>(&rig.Image());
        const auto* old = reinterpret_cast<const char*>(&before->image);
        const std::size_t from = washing ? offsetof(TProjectImage, WashingProcesses)
                                         : offsetof(TProjectImage, Processes);
        const std::size_t to = from + std::size_t(applied) * sizeof(TProcessRecord);
        QCOMPARE(std::memcmp(now, old, from), 0);
        QCOMPARE(std::memcmp(now + to, old + to, sizeof(TProjectImage) - to), 0);
    }

    void listWriteToDisk() {
        QTemporaryDir dir;
        Rig rig;
        TfListakrokow list(*rig.ctx, true);
        const QString path = dir.filePath("w.klz");
        rig.host.saveChoices.push_back(path.toStdString());
        list.Trigger(EditorAction::WriteToDisk);
        QVERIFY(rig.host.dialogs[0].overwritePrompt);
        QCOMPARE(FileBytes(path),
                 QByteArray(reinterpret_cast<const char*>(rig.Image().WashingProcesses), 1920));
        rig.host.saveChoices.push_back(dir.filePath("missing/w.klz").toStdString());
        list.Trigger(EditorAction::WriteToDisk);
        QCOMPARE(rig.host.messages.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(rig.host.messages[0]).contains("w.klz"));
    }

    // The list is refilled once both group packets are in, even when the step presets that
    // follow fail (then with "No communication" and the presets of the table kept).
    void listReadFromController_data() {
        QTest::addColumn<bool>("presetsAnswered");
        QTest::newRow("read") << true;
        QTest::newRow("step presets unanswered") << false;
    }
    void listReadFromController() {
        QFETCH(bool, presetsAnswered);
        Rig rig;
        rig.SeedController(false, "C");
        if (!presetsAnswered)
            rig.controller.silent = [](const Bytes& req) {
                return req.size() > 7 && req[6] == ParametersCode;
            };
        TfListakrokow list(*rig.ctx, false);
        list.Trigger(EditorAction::ReadFromController);
        for (int row = 0; row < ProcessCount; ++row) {
            QCOMPARE(list.Model()->Text(row, 1), QString("C%1").arg(row + 1));
            QCOMPARE(int(rig.Image().Processes[row].StepPresets[0]),
                     10 * (row + 1) + (presetsAnswered ? 1000 : 0));
        }
        QCOMPARE(rig.host.messages.empty(), presetsAnswered);
    }

    // Double click, Enter or "Edit" open the editor on a copy numbered by its row; "Save"
    // puts it back and updates the row, the close box leaves both as they were.
    void editFromList_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("washing");
        QTest::newRow("double click, saved") << "double click" << true << false;
        QTest::newRow("enter released, saved, WASHING") << "enter" << true << true;
        QTest::newRow("edit button, saved") << "edit" << true << false;
        QTest::newRow("edit button, closed") << "edit" << false << true;
    }
    void editFromList() {
        QFETCH(QString, how);
        QFETCH(bool, save);
        QFETCH(bool, washing);
        Rig rig;
        TProcessRecord& process = ProcessTable(rig.Image(), washing)[2];
        process.Number = 40;
        const TProcessRecord before = process;
        TfListakrokow list(*rig.ctx, washing);
        Activate(list);
        list.Grid()->selectRow(2);
        QString frameTitle, editorTitle;
        WhenEditorShown([&](TFStanPrzekaznikow& editor) {
            editorTitle = editor.windowTitle();
            frameTitle = editor.findChildren<QGroupBox*>().first()->title();
            editor.NameEdit()->setText("Pump");
            editor.PresetEdit(1)->setText("-7");
            if (save)
                QTest::mouseClick(editor.ToolBar()->Button(EditorAction::Save), Qt::LeftButton);
            else
                editor.close();
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
        QCOMPARE(frameTitle, QString("Process No. 3"));
        QCOMPARE(editorTitle.endsWith(" WASHING"), washing);
        const QString prefix = washing ? "W" : "P";
        QCOMPARE(list.Model()->Text(2, 1), save ? QString("Pump") : prefix + "3");
        if (save) {
            QCOMPARE(process.Number, 3);
            QCOMPARE(process.Name.Text(), std::string("Pump"));
            QCOMPARE(int(process.StepPresets[1]), -7);
        } else {
            QCOMPARE(BytesOf(process), BytesOf(before));
        }
        QVERIFY(list.isVisible());
    }
};

QTEST_MAIN(TestProcessWindows)
#include "tst_processwindows.moc"
