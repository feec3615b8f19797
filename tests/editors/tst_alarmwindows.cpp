// The alarm list and editor driven as a user drives them.

#include "core/AppContext.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/alarms/AlarmEditor.h"
#include "editors/alarms/AlarmList.h"
#include "editors/alarms/Alarms.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace zyl;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;

namespace {

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    std::unique_ptr<AppContext> ctx = std::make_unique<AppContext>(port, host);
    Rig() {
        ctx->settings.tuning.timeoutStand = 5;
        ctx->link.SetTuning(ctx->settings.tuning);
        for (int i = 0; i < RelayCount; ++i)
            ctx->project.image.Relays[i].Name.SetText("Relay name " + std::to_string(i + 1));
        for (int i = 0; i < AlarmCount; ++i) {
            TAlarmRecord& a = ctx->project.image.Alarms[i];
            a.Number = i + 1;
            a.Message.SetText("A" + std::to_string(i + 1));
            a.DelayTime = i;
            a.AlarmStatus = 1;
            a.RelayLogic = 2;
        }
    }
};

QByteArray RecordBytes(const TAlarmRecord& a, int offset, int length) {
    return QByteArray(reinterpret_cast<const char*>(&a) + offset, length);
}

void Activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Runs act on the alarm editor as soon as the list has opened it.
void WhenEditorShown(std::function<void(AlarmEditor&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<AlarmEditor*>(w); editor && editor->isVisible()) {
                act(*editor);
                if (editor->isVisible()) editor->reject();
                return;
            }
        QFAIL("the alarm editor did not open");
    });
}

} // namespace

class TestAlarmWindows : public QObject {
    Q_OBJECT
private slots:
    // Type, leave, pick, switch, Save: the record holds what the user did, byte for byte.
    void editorSaveTakesTheControls() {
        Rig rig;
        TAlarmRecord record = rig.ctx->project.image.Alarms[2];
        record.Number = 3;
        AlarmEditor editor(*rig.ctx, record);
        Activate(editor);
        QCOMPARE(editor.windowTitle(), QString("Alarm"));
        QCOMPARE(editor.MessageEdit()->text(), QString("A3"));
        QCOMPARE(editor.StatusBox()->currentText(), QString("1 - Alarm interrupting the process"));
        QCOMPARE(editor.LogicBox()->currentText(),
                 QString("2 - logic product of indicated relays and outputs ") + QChar(0x2013) +
                     " an output switching off");

        editor.MessageEdit()->selectAll();
        QTest::keyClicks(editor.MessageEdit(), "PRESSURE HIGH!!"); // 15 characters typed
        QCOMPARE(editor.MessageEdit()->text(), QString("PRESSURE HIGH!"));
        editor.DelayEdit()->selectAll();
        QTest::keyClicks(editor.DelayEdit(), "65001");
        QTest::keyClick(editor.DelayEdit(), Qt::Key_Tab);
        QCOMPARE(editor.DelayEdit()->value(), 6500); // the sixth digit is refused
        editor.StatusBox()->setCurrentIndex(2);
        editor.LogicBox()->setCurrentIndex(0);
        QTest::mouseClick(editor.Switches()->Switch(10), Qt::LeftButton);
        QTest::mouseClick(editor.Switches()->Switch(32), Qt::LeftButton);
        QCOMPARE(editor.Switches()->Switch(10)->toolTip(), QString("10: Relay name 10"));
        QTest::mouseClick(editor.ToolBar()->Button(EditorAction::Save), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Accepted));

        const TAlarmRecord& a = editor.Record();
        QCOMPARE(RecordBytes(a, 0, 4), QByteArray::fromHex("03000000"));
        QCOMPARE(RecordBytes(a, 4, 15), QByteArray("\x0EPRESSURE HIGH!"));
        QCOMPARE(RecordBytes(a, 36, 12), QByteArray::fromHex("641900000200000000000000"));
        QByteArray relays(32, '\0');
        relays[9] = 1;
        relays[31] = 1;
        QCOMPARE(RecordBytes(a, 48, 32), relays);
    }

    // The list opens the editor on a copy numbered by its row, and puts it back on "Save"
    // only: alarm 7 whose stored number is 0 becomes number 7.
    void editFromList_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("saved") << true;
        QTest::newRow("closed by the close box") << false;
    }
    void editFromList() {
        QFETCH(bool, save);
        Rig rig;
        rig.ctx->project.image.Alarms[6].Number = 0;
        const TAlarmRecord before = rig.ctx->project.image.Alarms[6];
        AlarmListWindow list(*rig.ctx);
        Activate(list);
        list.Grid()->selectRow(6);
        int shownNumber = -1;
        WhenEditorShown([&](AlarmEditor& editor) {
            shownNumber = editor.Record().Number;
            editor.MessageEdit()->setText("CHANGED");
            if (save)
                editor.Trigger(EditorAction::Save);
            else
                editor.close();
        });
        list.Trigger(EditorAction::Edit);
        QCOMPARE(shownNumber, 7);
        const TAlarmRecord& after = rig.ctx->project.image.Alarms[6];
        if (save) {
            QCOMPARE(after.Number, 7);
            QCOMPARE(QString::fromStdString(after.Message.Text()), QString("CHANGED"));
            QCOMPARE(list.Model()->Text(6, 1), QString("CHANGED"));
        } else {
            QCOMPARE(RecordBytes(after, 0, sizeof after), RecordBytes(before, 0, sizeof before));
        }
    }

    void listShowsTheToolBarInItsOrder() {
        Rig rig;
        AlarmListWindow list(*rig.ctx);
        QCOMPARE(list.windowTitle(), QString("Alarms"));
        QStringList hints;
        for (QAction* action : list.ToolBar()->actions())
            if (auto* button = qobject_cast<QToolButton*>(list.ToolBar()->widgetForAction(action)))
                hints << button->toolTip();
        QCOMPARE(hints, (QStringList{"Read from controller", "Write to controller",
                                     "Read from disk", "Write to disk", "Save", "Edit"}));
        QCOMPARE(list.Model()->rowCount(), AlarmCount);
        QCOMPARE(list.Model()->Text(20, 0), QString("21"));
        QCOMPARE(list.Model()->Text(2, 2), QString("2"));
    }

    // The editor's file buttons: one record written as it stands in the editor, and read back
    // over the copy keeping the copy's number.
    void editorFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath("one.a1z");
        Rig rig;
        TAlarmRecord record = rig.ctx->project.image.Alarms[4];
        AlarmEditor first(*rig.ctx, record);
        first.MessageEdit()->setText("SAVED ONE");
        rig.host.saveChoices.push_back(path.toStdString());
        first.Trigger(EditorAction::WriteToDisk);
        QCOMPARE(QFile(path).size(), qint64(sizeof(TAlarmRecord)));
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().filter), QString("ZYL|*.a1z"));

        TAlarmRecord other = rig.ctx->project.image.Alarms[11];
        AlarmEditor second(*rig.ctx, other);
        rig.host.openChoices.push_back(path.toStdString());
        second.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(second.MessageEdit()->text(), QString("SAVED ONE"));
        second.Trigger(EditorAction::Save);
        QCOMPARE(second.Record().Number, 12);
        QCOMPARE(QString::fromStdString(second.Record().Message.Text()), QString("SAVED ONE"));
    }
};

QTEST_MAIN(TestAlarmWindows)
#include "tst_alarmwindows.moc"
