// The analog output and PID windows driven as a user drives them, under a locale whose
// decimal separator is a comma.

#include "core/AppContext.h"
#include "editors/analog/NumberEdits.h"
#include "editors/analog/UkonfigWyjsc.h"
#include "editors/analog/Uwyjsciaanalogowe.h"
#include "editors/pid/UlistaPID.h"
#include "editors/pid/UustawPID.h"
#include "link/CommandEncoding.h"
#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    BlockController controller;
    std::unique_ptr<AppContext> ctx = std::make_unique<AppContext>(port, host);
    Rig() {
        ctx->settings.tuning.timeoutStand = 5;
        ctx->settings.PytajOReset = true;
        ctx->link.SetTuning(ctx->settings.tuning);
        controller.readData[0x12] = 245;
        controller.readData[0x38] = 245;
        port.respond = [this](const Bytes& req) { return controller(req); };
        for (int i = 0; i < AnalogOutputCount; ++i) {
            TAnalogOutputRecord& r = ctx->project.image.AnalogOutputs[i];
            r.Name.SetText("OUT " + std::to_string(i + 1));
            r.OutputType = 1;
            r.Value10V = 1000 * (i + 1);
            r.PidNumber = std::uint8_t(i);
        }
        for (int i = 0; i < PidCount; ++i) {
            TPidRecord& r = ctx->project.pid[i];
            r.HeatingCooling = std::int16_t(i % 2);
            r.Sample = i + 1;
            r.Gain = (12 + i) / 10.0;
            r.Period = 2.5;
        }
    }
};

template <class Record>
QByteArray RecordBytes(const Record& r, std::size_t offset, std::size_t length) {
    return QByteArray(reinterpret_cast<const char*>(&r) + offset, qsizetype(length));
}
template <class T> QByteArray LittleEndian(T value) {
    return QByteArray(reinterpret_cast<const char*>(&value), qsizetype(sizeof value));
}

void Activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Types into a field as a user does: select its text, type, leave it with Tab.
void Retype(QLineEdit* edit, const char* keys) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, keys);
    QTest::keyClick(edit, Qt::Key_Tab);
}

QStringList LabelTexts(const QWidget& window) {
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

QStringList Hints(const ListWindow& list) {
    QStringList hints;
    for (QAction* action : list.ToolBar()->actions())
        if (auto* button = qobject_cast<QToolButton*>(list.ToolBar()->widgetForAction(action)))
            hints << button->toolTip();
    return hints;
}

// Runs act on the first visible window of type Editor as soon as a list has opened it.
template <class Editor> void WhenShown(std::function<void(Editor&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<Editor*>(w); editor && editor->isVisible()) {
                act(*editor);
                if (editor->isVisible()) editor->reject();
                return;
            }
        QFAIL("the editor did not open");
    });
}

} // namespace

class TestAnalogPidWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(QLocale::system().decimalPoint(), QString(",")); }

    // The analog output editor: every label as given, whole numbers shown within 0 to 9999
    // and brought to a bound when left, letters and separators refused, the hidden PID group
    // taken back on "Save" (the sample 2.6 as 3, the gain as it was). The "Nr PID" entry
    // "4. PID 4" stores 3; a list left without a selection keeps the stored value.
    void analogEditor_data() {
        QTest::addColumn<int>("pidPick");
        QTest::addColumn<int>("pidStored");
        QTest::newRow("\"4. PID 4\" picked") << 3 << 3;
        QTest::newRow("nothing picked") << -1 << 9;
    }
    void analogEditor() {
        QFETCH(int, pidPick);
        QFETCH(int, pidStored);
        Rig rig;
        TAnalogOutputRecord record = rig.ctx->project.image.AnalogOutputs[1];
        record.OutputType = 7;
        record.Value0V = -5;
        record.Value10V = 12000;
        record.Sample = 2.6;
        record.Gain = 1.25;
        record.PidNumber = 9;
        TFkonfigwyjsc editor(rig.host, record);
        Activate(editor);
        QCOMPARE(editor.windowTitle(), QString("Analog OUT"));
        const QStringList labels = LabelTexts(editor);
        for (const char* label :
             {"Name", "Type", "Measurement channel", "Set value", "Value for 0 V (0 mA,4 mA)",
              "Value for 10 V (20 mA)", "Set value Stop", "Set value Pause", "Value for F1",
              "Value for F2", "Value for F3", "Value for F4", "Nr PID", "Sample", "Gain", "Time Ti",
              "Time Td"})
            QVERIFY2(labels.contains(label), label);
        QCOMPARE(editor.SaveButton()->text(), QString("Save"));
        QCOMPARE(editor.CancelButton()->text(), QString("Cancel"));
        QVERIFY(editor.PidGroup()->isHidden());
        QCOMPARE(editor.Value0VEdit()->text(), QString("0"));
        QCOMPARE(editor.Value10VEdit()->text(), QString("9999"));
        QCOMPARE(editor.SampleEdit()->text(), QString("3"));
        QCOMPARE(editor.GainEdit()->text(), QString("1,25"));
        QCOMPARE(editor.TypeBox()->currentIndex(), -1);
        QCOMPARE(editor.PidBox()->currentIndex(), -1);
        QCOMPARE(editor.PidBox()->itemText(3), QString("4. PID 4"));

        Retype(editor.StopEdit(), "12a.,000");
        QCOMPARE(editor.StopEdit()->text(), QString("9999"));
        Retype(editor.PauseEdit(), "-5");
        QCOMPARE(editor.PauseEdit()->text(), QString("0"));
        Retype(editor.SpecialEdit(3), "+42");
        QCOMPARE(editor.SpecialEdit(3)->text(), QString("42"));
        editor.NameEdit()->setText(QString::fromUtf8("Zawór łączny"));
        editor.PidBox()->setCurrentIndex(pidPick);
        QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Accepted));

        const TAnalogOutputRecord& r = editor.Record();
        QCOMPARE(RecordBytes(r, 0, 13), QByteArray("\x0CZaw\xF3r \xB3\xB9\x63zny")); // not folded
        QCOMPARE(RecordBytes(r, 102, 2), LittleEndian<std::int16_t>(7));
        QCOMPARE(RecordBytes(r, 108, 16),
                 LittleEndian<std::int32_t>(0) + LittleEndian<std::int32_t>(9999) +
                     LittleEndian<std::int32_t>(9999) + LittleEndian<std::int32_t>(0));
        QCOMPARE(RecordBytes(r, 128, 16), LittleEndian(3.0) + LittleEndian(1.25));
        QCOMPARE(RecordBytes(r, 172, 5), LittleEndian<std::int32_t>(42) + char(pidStored));
    }

    // The PID editor: the sample 12.5 shown as 12, reals with the comma, 12000 typed in
    // "Sample" shown as 9999 when left, a point refused in a real field, a list pick stored.
    void pidEditor() {
        Rig rig;
        TPidRecord record = rig.ctx->project.pid[0];
        record.HeatingCooling = 5;
        record.Sample = 12.5;
        record.Gain = 1.2;
        TFUstawPID editor(rig.host, record);
        Activate(editor);
        QCOMPARE(editor.windowTitle(), QString("PID"));
        QCOMPARE(editor.PidGroup()->title(), QString(" PID "));
        const QStringList labels = LabelTexts(editor);
        for (const char* label : {"Typ", "Measurement channel", "Set value", "Sample", "Gain",
                                  "Time Ti", "Time Td", "Period"})
            QVERIFY2(labels.contains(label), label);
        QCOMPARE(editor.TypeBox()->currentIndex(), -1);
        QCOMPARE(editor.SampleEdit()->text(), QString("12"));
        QCOMPARE(editor.GainEdit()->text(), QString("1,2"));
        QCOMPARE(editor.PeriodEdit()->text(), QString("2,5"));

        Retype(editor.SampleEdit(), "12000");
        QCOMPARE(editor.SampleEdit()->text(), QString("9999"));
        Retype(editor.GainEdit(), "1.2,5,");
        QCOMPARE(editor.GainEdit()->text(), QString("12,5"));
        Retype(editor.TimeTiEdit(), "-0,75");
        editor.ChannelBox()->setCurrentIndex(4);
        QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Accepted));

        const TPidRecord& r = editor.Record();
        QCOMPARE(RecordBytes(r, 102, 4),
                 LittleEndian<std::int16_t>(5) + LittleEndian<std::int16_t>(4));
        QCOMPARE(RecordBytes(r, 128, 40), LittleEndian(9999.0) + LittleEndian(12.5) +
                                              LittleEndian(-0.75) + LittleEndian(0.0) +
                                              LittleEndian(2.5));
    }

    void listsShowTheirBlocks_data() {
        QTest::addColumn<bool>("pid");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("hints");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("row2");
        const QStringList all{"Read from controller",
                              "Write to controller",
                              "Read from disk",
                              "Write to disk",
                              "Edit",
                              "Save"};
        QTest::newRow("analog outputs")
            << false << "Analog OUT" << all
            << QStringList{"No",        "Name", "Type", "Measurement channel",
                           "Set value", "0 V",  "10 V", "Stop",
                           "Pause",     "PID"}
            << QStringList{"2", "OUT 2", "1", "0", "0", "0", "2000", "0", "0", "1"};
        QTest::newRow("PID regulators")
            << true << "PID"
            << QStringList{"Read from controller", "Write to controller", "Edit", "Save"}
            << QStringList{"No",        "Type",    "Measurement channel",
                           "Set value", "Sample",  "Gain",
                           "Time Ti",   "Time Td", "Period"}
            << QStringList{"2", "1", "0", "0", "2", "1,3", "0", "0", "2,5"};
    }
    void listsShowTheirBlocks() {
        QFETCH(bool, pid);
        QFETCH(QString, title);
        QFETCH(QStringList, hints);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, row2);
        Rig rig;
        std::unique_ptr<ListWindow> list;
        if (pid)
            list = std::make_unique<Tflistapid>(*rig.ctx);
        else
            list = std::make_unique<TfListaWyjAnal>(*rig.ctx);
        QCOMPARE(list->windowTitle(), title);
        QCOMPARE(Hints(*list), hints);
        QCOMPARE(list->Model()->rowCount(), 5);
        QStringList shownColumns, shownRow;
        for (int c = 0; c < list->Model()->columnCount(); ++c) {
            shownColumns << list->Model()->headerData(c, Qt::Horizontal).toString();
            shownRow << list->Model()->Text(1, c);
        }
        QCOMPARE(shownColumns, columns);
        QCOMPARE(shownRow, row2);
    }

    // The lists open the editor on a copy of the row and put it back on "Save" only.
    void editFromList_data() {
        QTest::addColumn<bool>("pid");
        QTest::addColumn<bool>("save");
        QTest::newRow("analog, saved") << false << true;
        QTest::newRow("analog, closed by the close box") << false << false;
        QTest::newRow("PID, saved") << true << true;
        QTest::newRow("PID, cancelled") << true << false;
    }
    void editFromList() {
        QFETCH(bool, pid);
        QFETCH(bool, save);
        Rig rig;
        const auto before = std::make_unique<Project>(rig.ctx->project);
        std::unique_ptr<ListWindow> list;
        if (pid)
            list = std::make_unique<Tflistapid>(*rig.ctx);
        else
            list = std::make_unique<TfListaWyjAnal>(*rig.ctx);
        Activate(*list);
        list->Grid()->selectRow(3);
        if (pid)
            WhenShown<TFUstawPID>([save](TFUstawPID& editor) {
                editor.SampleEdit()->setText("77");
                if (save)
                    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
                else
                    QTest::mouseClick(editor.CancelButton(), Qt::LeftButton);
            });
        else
            WhenShown<TFkonfigwyjsc>([save](TFkonfigwyjsc& editor) {
                editor.Value0VEdit()->setText("77");
                if (save)
                    editor.Save();
                else
                    editor.close();
            });
        list->Trigger(EditorAction::Edit);
        const int column = pid ? 4 : 5;
        QCOMPARE(list->Model()->Text(3, column), save ? QString("77") : QString(pid ? "4" : "0"));
        if (pid)
            QCOMPARE(rig.ctx->project.pid[3].Sample, save ? 77.0 : 4.0);
        else
            QCOMPARE(rig.ctx->project.image.AnalogOutputs[3].Value0V, save ? 77 : 0);
        if (!save) QVERIFY(std::memcmp(before.get(), &rig.ctx->project, sizeof(Project)) == 0);
    }

    // The ".aou" buttons: the five outputs written as they lie in the image; a file of seven
    // records read back changes outputs 1 to 5 and the list shows them.
    void analogListFiles() {
        QTemporaryDir dir;
        const QString written = dir.filePath("five.aou"), seven = dir.filePath("seven.aou");
        Rig rig;
        TfListaWyjAnal list(*rig.ctx);
        rig.host.saveChoices.push_back(written.toStdString());
        list.Trigger(EditorAction::WriteToDisk);
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().filter), QString("ZYL|*.aou"));
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().defaultExtension), QString("aou"));
        QVERIFY(rig.host.dialogs.back().overwritePrompt);
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), RecordBytes(rig.ctx->project.image.AnalogOutputs, 0, 1320));

        {
            QFile f(seven);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 7; ++i) {
                TAnalogOutputRecord r{};
                r.Name.SetText("FILE " + std::to_string(i + 1));
                f.write(RecordBytes(r, 0, sizeof r));
            }
        }
        const auto pidBefore = RecordBytes(rig.ctx->project.pid, 0, sizeof rig.ctx->project.pid);
        rig.host.openChoices.push_back(seven.toStdString());
        list.Trigger(EditorAction::ReadFromDisk);
        for (int i = 0; i < AnalogOutputCount; ++i)
            QCOMPARE(list.Model()->Text(i, 1), QString("FILE %1").arg(i + 1));
        QCOMPARE(RecordBytes(rig.ctx->project.pid, 0, sizeof rig.ctx->project.pid), pidBefore);
        QVERIFY(rig.host.messages.empty());
    }

    // "Read from controller" fills the list's own block (the PID list the project's side
    // block) and refills the rows; "Write to controller" sends that block and offers the reset.
    void listTransfers_data() {
        QTest::addColumn<bool>("pid");
        QTest::newRow("analog outputs") << false;
        QTest::newRow("PID regulators") << true;
    }
    void listTransfers() {
        QFETCH(bool, pid);
        Rig rig;
        Project& project = rig.ctx->project;
        std::unique_ptr<ListWindow> list;
        Bytes stored;
        if (pid) {
            list = std::make_unique<Tflistapid>(*rig.ctx);
            TPidRecord sent{};
            sent.Gain = 4.5;
            for (int i = 0; i < PidCount; ++i) {
                const auto item = EncodePidItem(sent);
                stored.insert(stored.end(), item.begin(), item.end());
            }
        } else {
            list = std::make_unique<TfListaWyjAnal>(*rig.ctx);
            TAnalogOutputRecord sent{};
            sent.Value10V = 4500;
            for (int i = 0; i < AnalogOutputCount; ++i) {
                const auto item = EncodeAnalogOutputItem(sent, 0);
                stored.insert(stored.end(), item.begin(), item.end());
            }
        }
        rig.controller.stored[{pid ? 0x38 : 0x12, 0}] = stored;
        const auto imageBefore = std::make_unique<TProjectImage>(project.image);
        list->Trigger(EditorAction::ReadFromController);
        QVERIFY(rig.host.messages.empty());
        QCOMPARE(list->Model()->Text(4, pid ? 5 : 6), QString(pid ? "4,5" : "4500"));
        if (pid) {
            QCOMPARE(project.pid[4].Gain, 4.5);
            QVERIFY(std::memcmp(imageBefore.get(), &project.image, sizeof project.image) == 0);
        } else {
            QCOMPARE(project.image.AnalogOutputs[4].Value10V, 4500);
        }

        rig.controller.stored.clear();
        list->Trigger(EditorAction::WriteToController);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        QCOMPARE(rig.controller.stored[std::make_pair(pid ? 0x38 : 0x12, 0)], stored);
    }
};

int main(int argc, char** argv) {
    // The system locale is read once, from the environment: German writes 1,5.
    qputenv("LC_ALL", "de_DE.UTF-8");
    QApplication app(argc, argv);
    TestAnalogPidWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_analogpidwindows.moc"
