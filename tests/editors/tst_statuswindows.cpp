// The special-status list and editor driven as a user drives them.

#include "core/AppContext.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/statuses/SpecialStatusEditor.h"
#include "editors/statuses/SpecialStatusList.h"
#include "project/ProjectImage.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

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
        NumberProjectRecords(ctx->project.image);
        SetFixedSpecialStatusNames(ctx->project.image);
        for (int i = 0; i < RelayCount; ++i)
            ctx->project.image.Relays[i].Name.SetText("Relay " + std::to_string(i + 1));
    }
};

QByteArray RecordBytes(const TSpecialStatusRecord& s, int offset, int length) {
    return QByteArray(reinterpret_cast<const char*>(&s) + offset, length);
}

} // namespace

class TestStatusWindows : public QObject {
    Q_OBJECT
private slots:
    // The name is shown, not edited; -1 and 65000 are the time's bounds; Save takes it all.
    void editorSaveTakesTheControls_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("time"); // bytes 56 to 59
        QTest::newRow("-1") << "-1" << QByteArray::fromHex("FFFFFFFF");
        QTest::newRow("65000") << "65000" << QByteArray::fromHex("E8FD0000");
        QTest::newRow("above the top") << "70000" << QByteArray::fromHex("581B0000"); // 7000
    }
    void editorSaveTakesTheControls() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, time);
        Rig rig;
        TSpecialStatusRecord record = rig.ctx->project.image.SpecialStatuses[1];
        SpecialStatusEditor editor(*rig.ctx, record);
        editor.show();
        QCOMPARE(editor.windowTitle(), QString("Special statuses"));
        QCOMPARE(editor.NameLabel()->text(), QString("Pause mode"));
        editor.SwitchOffTimeEdit()->setFocus();
        editor.SwitchOffTimeEdit()->selectAll();
        QTest::keyClicks(editor.SwitchOffTimeEdit(), typed);
        QTest::keyClick(editor.SwitchOffTimeEdit(), Qt::Key_Tab);
        editor.LogicBox()->setCurrentIndex(1);
        QTest::mouseClick(editor.Switches()->Switch(3), Qt::LeftButton);
        editor.Trigger(EditorAction::Save);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        const TSpecialStatusRecord& s = editor.Record();
        QCOMPARE(RecordBytes(s, 4, 11), QByteArray("\x0APause mode"));
        QCOMPARE(RecordBytes(s, 56, 4), time);
        QCOMPARE(RecordBytes(s, 60, 4), QByteArray::fromHex("01000000"));
        QCOMPARE(RecordBytes(s, 64, 4), QByteArray::fromHex("00000100"));
    }

    // A file from another project shows its own names until the project is loaded again.
    void listReadFromDiskShowsTheFilesNames() {
        QTemporaryDir dir;
        const QString path = dir.filePath("other.slz");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < SpecialStatusCount; ++i) {
                TSpecialStatusRecord s{};
                s.Number = i + 1;
                s.Name.SetText("Other " + std::to_string(i + 1));
                s.SwitchOffTime = 100 + i;
                f.write(reinterpret_cast<const char*>(&s), sizeof s);
            }
        }
        Rig rig;
        SpecialStatusListWindow list(*rig.ctx);
        QCOMPARE(list.windowTitle(), QString("Special statuses"));
        QCOMPARE(list.Model()->Text(0, 1), QString("Stop mode"));
        rig.host.openChoices.push_back(path.toStdString());
        list.Trigger(EditorAction::ReadFromDisk);
        QCOMPARE(QString::fromStdString(rig.host.dialogs.back().filter), QString("ZYL|*.slz"));
        QCOMPARE(list.Model()->Text(0, 1), QString("Other 1"));
        QCOMPARE(list.Model()->Text(5, 2), QString("105"));
    }
};

QTEST_MAIN(TestStatusWindows)
#include "tst_statuswindows.moc"
