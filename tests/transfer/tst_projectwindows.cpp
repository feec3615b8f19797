// The project write and read windows driven as a person drives them, against a scripted
// controller: the rows' texts after a run, "Comparison" with one differing block, Stop and
// the close box in the middle of a slow exchange (the run ends at once, says nothing more and
// no second run starts while it unwinds), Stop before the run began, and the main window's
// Project menu.

#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/WireBytes.h"
#include "transfer/ProjectController.h"

#include "app/main.h"
#include "core/AppContext.h"
#include "project/ProjectFiles.h"
#include "transfer/FieldDifferencesWindow.h"
#include "transfer/UProjektRSIn.h"
#include "transfer/UProjektRsOut.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

using namespace zyl;
using zyl::test::Bytes;
using zyl::test::RecordingHost;

namespace {

using Controller = test::ProjectController;
constexpr int RelayCode = Controller::RelayCode, AlarmCode = Controller::AlarmCode,
              ProgramCode = Controller::ProgramCode;
constexpr int Read = 'F', Write = 'G';

// A scripted port whose chosen requests get no reply for waitMs, waited out in slices as the
// serial backend waits: idle is called every 2 ms and ends the wait when it says so.
class SlowPort : public test::FakeSerialPort {
public:
    std::function<bool(const Bytes&)> slow;
    std::function<void()> onSlowWait; // once, as the first slow wait begins
    int waitMs = 3000;

    std::vector<std::uint8_t> ReadWhileIdle(std::size_t n,
                                            const std::function<bool()>& idle) override {
        if (!slow || written.empty() || !slow(written.back())) return Read(n);
        if (onSlowWait) std::exchange(onSlowWait, nullptr)();
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < waitMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (!idle()) break;
        }
        return {};
    }
};

// A program frame of program 4 or later: the run is inside the "Programs" row by then.
bool LaterProgramFrame(const Bytes& request) {
    return request.size() > 10 && request[6] == ProgramCode && request[10] >= 3;
}

enum class Kind { Write, Read, Compare };

QStringList RowTexts(const ProjectRowsWindow& window) {
    QStringList texts;
    for (const ProjectBlock block : ProjectBlocks) texts << window.RowResult(block)->text();
    return texts;
}

QList<bool> Shown(const ProjectRowsWindow& window, bool bars) {
    QList<bool> shown;
    for (const ProjectBlock block : ProjectBlocks)
        shown << !(bars ? static_cast<QWidget*>(window.RowBar(block))
                        : static_cast<QWidget*>(window.RowResult(block)))
                      ->isHidden();
    return shown;
}

QStringList Strings(const std::vector<std::string>& list) {
    QStringList out;
    for (const std::string& s : list) out << QString::fromStdString(s);
    return out;
}

} // namespace

class TestProjectWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<SlowPort> port_;
    std::unique_ptr<RecordingHost> host_;
    std::unique_ptr<AppContext> ctx_;
    std::unique_ptr<Controller> controller_;

    Project& project() { return ctx_->project; }

    std::unique_ptr<ProjectRowsWindow> Window(Kind kind) {
        std::unique_ptr<ProjectRowsWindow> w;
        if (kind == Kind::Write)
            w = std::make_unique<TFProjektRsOut>(*ctx_);
        else
            w = std::make_unique<TFProjektRSIn>(*ctx_);
        w->show();
        return w;
    }
    static void Begin(ProjectRowsWindow& w, Kind kind) {
        if (kind == Kind::Compare)
            QTest::mouseClick(static_cast<TFProjektRSIn&>(w).ComparisonButton(), Qt::LeftButton);
        else
            QTest::mouseClick(w.StartButton(), Qt::LeftButton);
    }
    // Runs the window from a click until its run has returned.
    static void RunToEnd(ProjectRowsWindow& w, Kind kind) {
        QSignalSpy ended(&w, &ProjectRowsWindow::runEnded);
        Begin(w, kind);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
    }
    // The project sent to the controller through the write window, without a backup.
    void WriteWholeProject() {
        auto w = Window(Kind::Write);
        QTest::mouseClick(static_cast<TFProjektRsOut&>(*w).BackupBox(), Qt::LeftButton);
        QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);
        RunToEnd(*w, Kind::Write);
        QCOMPARE(RowTexts(*w), QStringList(ProjectBlockCount, "OK"));
        host_->messages.clear();
        host_->questions.clear();
    }

private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("ZYL_HOME", QFile::encodeName(home_->path()));
        port_ = std::make_unique<SlowPort>();
        host_ = std::make_unique<RecordingHost>();
        ctx_ = std::make_unique<AppContext>(*port_, *host_);
        ctx_->settings.tuning.timeoutStand = 10;
        ctx_->settings.WaitForPanel = 1;
        ctx_->link.SetTuning(ctx_->settings.tuning);

        controller_ = std::make_unique<Controller>();
        controller_->Attach(*port_);

        NumberProjectRecords(project().image);
        SetFixedSpecialStatusNames(project().image);
        // The controller's program version, which a written setup block carries back to it.
        project().image.Setup.Words[99] = 501;
        for (int i = 0; i < RelayCount; ++i)
            project().image.Relays[i].Name.SetText("Relay " + std::to_string(i + 1));
    }
    void cleanup() {
        ctx_.reset();
        controller_.reset();
        host_.reset();
        port_.reset();
        home_.reset();
        qunsetenv("ZYL_HOME");
    }

    // What the rows say after a run: "OK" for a block that went through, "Error" for one the
    // controller did not answer, nothing for rows not ticked; bars only on rows that ran. The
    // write ends with "Operation complete" and the reset question, the read without it.
    void rowsAfterRun_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<int>("silentLetter");
        QTest::addColumn<int>("silentCode");
        QTest::addColumn<QStringList>("texts");
        const QStringList allOk(ProjectBlockCount, "OK");
        QTest::newRow("write all") << int(Kind::Write) << true << QList<int>{} << 0 << 0 << allOk;
        QTest::newRow("write three, alarms unanswered")
            << int(Kind::Write) << false
            << QList<int>{RowOf(ProjectBlock::Relays), RowOf(ProjectBlock::Alarms),
                          RowOf(ProjectBlock::AnalogOutputs)}
            << Write << AlarmCode << QStringList{"", "OK", "", "", "Error", "", "", "", "OK", ""};
        QTest::newRow("write none ticked") << int(Kind::Write) << false << QList<int>{} << 0 << 0
                                           << QStringList(ProjectBlockCount, "");
        QTest::newRow("read all") << int(Kind::Read) << true << QList<int>{} << 0 << 0 << allOk;
        QTest::newRow("read two, relays unanswered")
            << int(Kind::Read) << false
            << QList<int>{RowOf(ProjectBlock::Relays), RowOf(ProjectBlock::Pid)} << Read
            << RelayCode << QStringList{"", "Error", "", "", "", "", "", "", "", "OK"};
    }
    void rowsAfterRun() {
        QFETCH(int, kind);
        QFETCH(bool, selectAll);
        QFETCH(QList<int>, ticked);
        QFETCH(int, silentLetter);
        QFETCH(int, silentCode);
        QFETCH(QStringList, texts);
        if (silentCode)
            controller_->blocks.silent = [=](const Bytes& req) {
                return req.size() > 7 && req[5] == silentLetter && req[6] == silentCode;
            };
        auto w = Window(Kind(kind));
        if (selectAll) QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);
        for (const int row : ticked)
            QTest::mouseClick(w->RowBox(ProjectBlocks[std::size_t(row)]), Qt::LeftButton);

        RunToEnd(*w, Kind(kind));

        QCOMPARE(RowTexts(*w), texts);
        QList<bool> bars;
        for (const ProjectBlock block : ProjectBlocks) bars << w->RowBox(block)->isChecked();
        QCOMPARE(Shown(*w, true), bars);
        QCOMPARE(Shown(*w, false), QList<bool>(ProjectBlockCount, true));
        QCOMPARE(w->StartButton()->text(), QString("Start"));
        QVERIFY(w->StartButton()->isEnabled());
        QVERIFY(!w->Running());
        QCOMPARE(Strings(host_->messages), QStringList{"Operation complete"});
        QCOMPARE(Strings(host_->questions),
                 Kind(kind) == Kind::Write ? QStringList{"Reset device?"} : QStringList{});
        if (texts == QStringList(ProjectBlockCount, ""))
            QVERIFY(controller_->blocks.requests.empty());
    }

    // A comparison after the project was written, with one relay renamed in the project since:
    // every row "OK" but "Relays", which shows "Difference". The project then holds what the
    // controller holds and is marked modified; "Comparison" is off during the run and on again
    // once it completed. A double click on the "Difference" row lists the differing field; one
    // on an "OK" row opens nothing.
    void comparisonShowsTheDifferingBlock() {
        WriteWholeProject();
        project().image.Relays[2].Name.SetText("Renamed");
        SetModified(ctx_->document, false);

        auto w = Window(Kind::Read);
        auto& read = static_cast<TFProjektRSIn&>(*w);
        QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);
        QSignalSpy ended(w.get(), &ProjectRowsWindow::runEnded);
        QTest::mouseClick(read.ComparisonButton(), Qt::LeftButton);
        QVERIFY(!read.ComparisonButton()->isEnabled());
        QCOMPARE(w->StartButton()->text(), QString("Stop"));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);

        QStringList expected(ProjectBlockCount, "OK");
        expected[RowOf(ProjectBlock::Relays)] = "Difference";
        QCOMPARE(RowTexts(*w), expected);
        QVERIFY(read.ComparisonButton()->isEnabled());
        QVERIFY(!read.ComparisonMode());
        QCOMPARE(project().image.Relays[2].Name.Text(), std::string("Relay 3"));
        QVERIFY(ctx_->document.modified);
        QCOMPARE(Strings(host_->messages), QStringList{"Operation complete"});

        QTest::mouseDClick(w->RowResult(ProjectBlock::Alarms), Qt::LeftButton);
        QVERIFY(w->findChildren<FieldDifferencesWindow*>().isEmpty());
        QTest::mouseDClick(w->RowResult(ProjectBlock::Relays), Qt::LeftButton);
        const auto shown = w->findChildren<FieldDifferencesWindow*>();
        QCOMPARE(shown.size(), 1);
        const FieldDifferencesWindow& fields = *shown[0];
        QVERIFY(fields.isVisible());
        QCOMPARE(fields.Heading()->text(), QString("Relays: 1 field differs"));
        QTableWidget* table = fields.Table();
        QCOMPARE(table->rowCount(), 1);
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->horizontalHeaderItem(c)->text() + "=" + table->item(0, c)->text();
        QCOMPARE(cells, QStringList({"Record=Relay 3", "Field=Name", "Project=\"Renamed\"",
                                     "Controller=\"Relay 3\""}));
        QCOMPARE(fields.RowsAsText(), QString("Relay 3: Name: \"Renamed\" -> \"Relay 3\"\n"));
    }

    // Stop, or the close box, while the controller keeps a program frame waiting: the run
    // returns within 100 ms with no "Operation complete" (the write still asks about the
    // reset); while it unwinds neither Start nor "Comparison" can begin another run, and a
    // closed window goes only once the run has returned. A stopped comparison puts the project
    // back and the next Start compares again; after a Stop the result texts stay hidden, also
    // through the next run.
    void stopDuringRun_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("byClosing");
        QTest::addColumn<bool>("backup"); // the write's backup, stopped while it reads
        QTest::newRow("write, Stop") << int(Kind::Write) << false << false;
        QTest::newRow("write, Stop in the backup") << int(Kind::Write) << false << true;
        QTest::newRow("read, Stop") << int(Kind::Read) << false << false;
        QTest::newRow("comparison, Stop") << int(Kind::Compare) << false << false;
        QTest::newRow("write, close box") << int(Kind::Write) << true << false;
        QTest::newRow("comparison, close box") << int(Kind::Compare) << true << false;
    }
    void stopDuringRun() {
        QFETCH(int, kind);
        QFETCH(bool, byClosing);
        QFETCH(bool, backup);
        const Kind k = Kind(kind);
        if (k != Kind::Write) {
            WriteWholeProject();
            project().image.Relays[2].Name.SetText("Renamed");
        }
        const auto before = std::make_unique<Project>(project());
        port_->slow = LaterProgramFrame;

        auto w = Window(k);
        auto* comparison =
            k == Kind::Write ? nullptr : static_cast<TFProjektRSIn&>(*w).ComparisonButton();
        if (k == Kind::Write && !backup)
            QTest::mouseClick(static_cast<TFProjektRsOut&>(*w).BackupBox(), Qt::LeftButton);
        QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);
        QElapsedTimer sinceStop;
        std::size_t sentAtStop = 0;
        port_->onSlowWait = [&] {
            QTimer::singleShot(20, w.get(), [&] {
                sinceStop.start();
                if (byClosing) {
                    w->close();
                    QVERIFY(w->isVisible());
                } else {
                    QTest::mouseClick(w->StartButton(), Qt::LeftButton);
                }
                sentAtStop = port_->written.size();
                QCOMPARE(w->StartButton()->text(), QString("Start"));
                QVERIFY(!w->Running());
                QVERIFY(w->RunInProgress());
                QCOMPARE(Shown(*w, true), QList<bool>(ProjectBlockCount, false));
                QCOMPARE(Shown(*w, false), QList<bool>(ProjectBlockCount, false));
                // Neither can begin a run while this one unwinds.
                QVERIFY(!w->StartButton()->isEnabled());
                QTest::mouseClick(w->StartButton(), Qt::LeftButton);
                if (comparison) {
                    QVERIFY(!comparison->isEnabled());
                    QTest::mouseClick(comparison, Qt::LeftButton);
                }
            });
        };
        qint64 stopTook = -1;
        QSignalSpy ended(w.get(), &ProjectRowsWindow::runEnded);
        connect(w.get(), &ProjectRowsWindow::runEnded, this,
                [&] { stopTook = sinceStop.isValid() ? sinceStop.elapsed() : -1; });
        Begin(*w, k);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);

        QVERIFY2(stopTook >= 0 && stopTook < 100, qPrintable(QString::number(stopTook)));
        QCOMPARE(ended.first().first().toBool(), false);
        QVERIFY(host_->messages.empty());
        // Stopped in the backup, nothing was written and nothing is asked.
        QCOMPARE(Strings(host_->questions),
                 k == Kind::Write && !backup ? QStringList{"Reset device?"} : QStringList{});
        if (backup)
            for (const Bytes& req : port_->written) QVERIFY(req.size() <= 7 || req[5] != Write);
        QCOMPARE(w->isVisible(), !byClosing);
        // Nothing more goes out: no second run was started while the first one unwound.
        QTest::qWait(500);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(port_->written.size(), sentAtStop);
        if (k == Kind::Compare) {
            QVERIFY(std::memcmp(&before->image, &project().image, sizeof(TProjectImage)) == 0);
            // The relays differed before the Stop, but a stopped run's rows offer nothing.
            QVERIFY(w->RowDifferences(ProjectBlock::Relays).empty());
        }
        if (byClosing) return;

        QVERIFY(w->StartButton()->isEnabled());
        if (comparison) QCOMPARE(comparison->isEnabled(), k != Kind::Compare);

        // The next run: the texts stay hidden, the bars show; a stopped comparison compares.
        port_->slow = nullptr;
        RunToEnd(*w, Kind::Write == k ? Kind::Write : Kind::Read);
        QCOMPARE(Shown(*w, false), QList<bool>(ProjectBlockCount, false));
        QCOMPARE(Shown(*w, true), QList<bool>(ProjectBlockCount, true));
        if (comparison) QVERIFY(comparison->isEnabled());
        if (k != Kind::Write)
            QCOMPARE(w->RowResult(ProjectBlock::Relays)->text(),
                     QString(k == Kind::Compare ? "Difference" : "OK"));
    }

    // Stop before the start timer fired: nothing is sent and nothing is asked.
    void stopBeforeTheRunBegins_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("write") << int(Kind::Write);
        QTest::newRow("comparison") << int(Kind::Compare);
    }
    void stopBeforeTheRunBegins() {
        QFETCH(int, kind);
        auto w = Window(Kind(kind));
        QSignalSpy ended(w.get(), &ProjectRowsWindow::runEnded);
        QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);
        Begin(*w, Kind(kind));
        QTest::mouseClick(w->StartButton(), Qt::LeftButton);
        QTest::qWait(500);
        QCOMPARE(ended.count(), 0);
        QVERIFY(port_->written.empty());
        QVERIFY(host_->messages.empty());
        QVERIFY(host_->questions.empty());
        QVERIFY(w->StartButton()->isEnabled());
    }

    // The write window's ticks: "Backup before writing" on and "Verify" off when it opens,
    // neither changeable while a run goes on. A backup goes into the "backup" folder of the
    // program's folder, made for it, and the window says where; Verify shows "Error" on the row
    // whose writes the controller acknowledged and did not keep, and a double click on it
    // lists the fields the controller holds otherwise.
    void writeWindowTicks_data() {
        QTest::addColumn<bool>("backup");
        QTest::addColumn<bool>("verify");
        QTest::addColumn<QStringList>("texts");
        QStringList unnoticed(ProjectBlockCount, "OK");
        unnoticed[RowOf(ProjectBlock::Programs)] = "";
        QStringList caught = unnoticed;
        caught[RowOf(ProjectBlock::Alarms)] = "Error";
        QTest::newRow("as opened") << true << false << unnoticed;
        QTest::newRow("verify, no backup") << false << true << caught;
        QTest::newRow("backup and verify") << true << true << caught;
    }
    void writeWindowTicks() {
        QFETCH(bool, backup);
        QFETCH(bool, verify);
        QFETCH(QStringList, texts);
        for (int i = 0; i < AlarmCount; ++i) project().image.Alarms[i].DelayTime = 5 + i;
        auto w = Window(Kind::Write);
        auto& out = static_cast<TFProjektRsOut&>(*w);
        QVERIFY(out.BackupBox()->isChecked());
        QVERIFY(!out.VerifyBox()->isChecked());
        // The controller acknowledges alarm writes and keeps its old alarms.
        bool tickable = false;
        port_->respond = [&](const Bytes& req) {
            tickable = tickable || out.BackupBox()->isEnabled() || out.VerifyBox()->isEnabled();
            const auto stored = controller_->blocks.stored;
            Bytes reply = (*controller_)(req);
            if (req.size() > 7 && req[5] == Write && req[6] == AlarmCode)
                controller_->blocks.stored = stored;
            return reply;
        };
        if (!backup) QTest::mouseClick(out.BackupBox(), Qt::LeftButton);
        if (verify) QTest::mouseClick(out.VerifyBox(), Qt::LeftButton);
        QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);
        QTest::mouseClick(w->RowBox(ProjectBlock::Programs), Qt::LeftButton); // they take long

        RunToEnd(*w, Kind::Write);

        QCOMPARE(RowTexts(*w), texts);
        QVERIFY(!tickable);
        QTest::mouseDClick(w->RowResult(ProjectBlock::Alarms), Qt::LeftButton);
        const auto shown = w->findChildren<FieldDifferencesWindow*>();
        QCOMPARE(shown.size(), verify ? 1 : 0);
        if (verify) {
            QCOMPARE(shown[0]->Table()->rowCount(), AlarmCount);
            QCOMPARE(shown[0]->Table()->item(20, 0)->text(), QString("Alarm 21"));
            QCOMPARE(shown[0]->Table()->item(20, 1)->text(), QString("Delay time"));
            QCOMPARE(shown[0]->Table()->item(20, 2)->text(), QString("25"));
        }
        QVERIFY(out.BackupBox()->isEnabled() && out.VerifyBox()->isEnabled());
        const QDir folder(home_->filePath("backup"));
        QCOMPARE(folder.exists(), backup);
        const QStringList saved = folder.entryList({"*.zy2"}, QDir::Files);
        QCOMPARE(saved.size(), backup ? 1 : 0);
        if (backup) {
            QVERIFY(QFileInfo::exists(folder.filePath(saved[0] + "pid")));
            QVERIFY2(out.BackupNote()->text().contains(saved[0]),
                     qPrintable(out.BackupNote()->text()));
        } else {
            QVERIFY(out.BackupNote()->text().isEmpty());
        }
        QCOMPARE(Strings(host_->messages), QStringList{"Operation complete"});
    }

    // A backup that cannot be saved stops the write before anything is sent: the message says
    // so and why, the rows stay empty, nothing is asked, and the window is ready again.
    void backupThatCannotBeSavedSendsNothing() {
        QFile blocker(home_->filePath("backup"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto w = Window(Kind::Write);
        QTest::mouseClick(w->SelectAllButton(), Qt::LeftButton);

        RunToEnd(*w, Kind::Write);

        QVERIFY(port_->written.empty());
        QCOMPARE(Strings(host_->messages), QStringList{MsgBackupFailed});
        QVERIFY2(QString::fromStdString(host_->causes.back()).contains("backup"),
                 host_->causes.back().c_str());
        QVERIFY(host_->questions.empty());
        QCOMPARE(RowTexts(*w), QStringList(ProjectBlockCount, ""));
        QCOMPARE(w->StartButton()->text(), QString("Start"));
        QVERIFY(w->StartButton()->isEnabled());
        QVERIFY(static_cast<TFProjektRsOut&>(*w).BackupNote()->text().isEmpty());
    }

    // File > "Compare with file…": the open project as it stands (not as last saved) against
    // a chosen project file, each differing field a row with what its value stands for; a
    // block file or a file that cannot be read is refused with a message, a cancelled choice
    // does nothing.
    void compareWithFile() {
        QTemporaryDir dir;
        const std::string saved = dir.filePath("saved.zy2").toStdString();
        QVERIFY(WriteProjectFiles(project(), saved));
        ctx_->document.fileName = dir.filePath("open.zy2").toStdString();
        project().image.Relays[2].Name.SetText("Changed");
        project().image.Setup.Words[7] = 1;

        host_->openChoices = {saved};
        std::unique_ptr<FieldDifferencesWindow> w(OpenFileComparison(*ctx_, nullptr));
        QVERIFY(w);
        QCOMPARE(host_->dialogs.back().initialFolder, dir.path().toStdString());
        QCOMPARE(w->Heading()->text(), QString("open.zy2 and saved.zy2: 2 fields differ"));
        QStringList rows;
        for (int r = 0; r < w->Table()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < w->Table()->columnCount(); ++c)
                cells << w->Table()->item(r, c)->text();
            rows << cells.join(" | ");
        }
        QCOMPARE(rows, QStringList({"Setup | Words[7] (F07 Temperature unit) | 1 (1 -  Fahrenheit) "
                                    "| 0 (0 -  Celsius)",
                                    "Relay 3 | Name | \"Changed\" | \"Relay 3\""}));
        QCOMPARE(w->Table()->horizontalHeaderItem(2)->text(), QString("open.zy2"));
        QCOMPARE(w->Table()->horizontalHeaderItem(3)->text(), QString("saved.zy2"));
        QVERIFY(host_->messages.empty());

        QFile relays(dir.filePath("relays.rlz"));
        QVERIFY(relays.open(QIODevice::WriteOnly));
        relays.write(QByteArray(sizeof(TRelayRecord) * RelayCount, '\0'));
        relays.close();
        host_->openChoices = {relays.fileName().toStdString(),
                              dir.filePath("none.zy2").toStdString()};
        QVERIFY(!OpenFileComparison(*ctx_, nullptr));
        QVERIFY(!OpenFileComparison(*ctx_, nullptr));
        QCOMPARE(Strings(host_->messages),
                 QStringList(2, "The project could not be compared with the file"));
        QVERIFY2(QString::fromStdString(host_->causes[0]).contains("not a project"),
                 host_->causes[0].c_str());
        QVERIFY2(QString::fromStdString(host_->causes[1]).contains("none.zy2"),
                 host_->causes[1].c_str());
        QVERIFY(!OpenFileComparison(*ctx_, nullptr)); // cancelled
        QCOMPARE(host_->messages.size(), std::size_t(2));
    }

    // Project > "Read from controller" opens the read window; once it is closed the editor
    // buttons and "Write to controller" are enabled, and the latter opens the write window.
    void mainWindowMenus() {
        TForm1 form(*ctx_);
        QVERIFY(!form.WriteToControllerAction()->isEnabled());
        QVERIFY(!form.CompareWithFileAction()->isEnabled());
        QString opened;
        const auto closeWhenOpen = [&opened] {
            QTimer::singleShot(0, [&opened] {
                QWidget* modal = QApplication::activeModalWidget();
                QVERIFY(modal);
                opened = modal->windowTitle();
                QVERIFY(modal->close());
            });
        };
        closeWhenOpen();
        form.ReadFromControllerAction()->trigger();
        QCOMPARE(opened, QString("Read from controller"));
        QVERIFY(form.Button(TForm1::ButtonRelays)->isEnabled());
        QVERIFY(form.WriteToControllerAction()->isEnabled());
        QVERIFY(form.CompareWithFileAction()->isEnabled());

        closeWhenOpen();
        form.WriteToControllerAction()->trigger();
        QCOMPARE(opened, QString("Write to controller"));
    }
};

QTEST_MAIN(TestProjectWindows)
#include "tst_projectwindows.moc"
