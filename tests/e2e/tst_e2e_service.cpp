// The passwords and readouts windows driven against the simulator through the real serial
// backend, and zylctl's password block: rows not typed into go back as they came, the
// readouts show what the controller sends and set its clock, "Send" cannot run twice, and no
// poll follows the window's closing.

#include "E2eSupport.h"
#include "core/AppContext.h"
#include "link/CommandCatalogue.h"
#include "link/Commands.h"
#include "service/PasswordsWindow.h"
#include "service/ReadoutsWindow.h"
#include "support/ZylctlProcess.h"

#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QtTest>

#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

QByteArray PasswordsPayload(const TPasswordBlock& block) {
    return HexOf(BuildWritePasswordsRequest(block).payload);
}

// What a controller might hold: row 1 "AB" and four zero bytes, row 7 with blanks inside.
TPasswordBlock ControllerBlock() {
    TPasswordBlock block{};
    for (int row = 0; row < 37; ++row) block.Slots[row].SetText("PW" + std::to_string(1000 + row));
    block.Slots[0].SetText(std::string("AB\0\0\0\0", 6));
    block.Slots[6].SetText(" X  Y ");
    return block;
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestE2eService : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM");
        QVERIFY(home_.isValid());
    }

    // Read, type into two rows, Send: the simulator holds the typed rows padded to six and
    // every other row byte for byte as it was read, zero bytes included.
    void passwordsWindow_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void passwordsWindow() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimContext s(sim.Device(), module);
        const TPasswordBlock held = ControllerBlock();
        QCOMPARE(WritePasswords(s.ctx->link, held, SimAddress, Com1At19200), LinkOk);
        const QByteArray before = sim.Dump("passwords").hex;
        QCOMPARE(before, PasswordsPayload(held));

        s.ctx->project.passwords.Slots[45].SetText("spare");
        PasswordsWindow window(*s.ctx);
        window.show();
        window.ReadButton()->click();
        QVERIFY(s.host.messages.empty());
        QTableWidget* table = window.Table();
        QCOMPARE(table->item(0, 1)->text(), QString("AB"));
        QCOMPARE(table->item(6, 1)->text(), QString(" X  Y "));
        QCOMPARE(table->item(6, 0)->text(), QString());
        QCOMPARE(table->item(36, 0)->text(), QString("User name 30"));
        // A read leaves slots 38 to 50 zero.
        QCOMPARE(int(window.Working().Slots[45].Length), 0);

        table->item(1, 1)->setText("1234");      // two blanks, then the four
        table->item(7, 1)->setText("ABCDEFGHI"); // the first six
        table->item(8, 1)->setText("");          // six blanks
        window.SendButton()->click();
        QCOMPARE(s.host.messages, std::vector<std::string>{MsgOperationCompleted});
        QCOMPARE(s.host.questions, std::vector<std::string>{MsgResetDevice});

        QByteArray expected = before;
        expected.replace(2 * 6 * 1, 12,
                         HexOf(std::vector<std::uint8_t>{' ', ' ', '1', '2', '3', '4'}));
        expected.replace(2 * 6 * 7, 12, QByteArray("414243444546"));
        expected.replace(2 * 6 * 8, 12, QByteArray("202020202020"));
        QCOMPARE(sim.Dump("passwords").hex, expected);
        QCOMPARE(PasswordsPayload(s.ctx->project.passwords), expected);

        // A second Send with nothing typed sends the same bytes again.
        window.SendButton()->click();
        QCOMPARE(sim.Dump("passwords").hex, expected);

        // Typing and closing without Send leaves the project's passwords as they were.
        table->item(2, 1)->setText("ZZZZZZ");
        window.CloseButton()->click();
        QCOMPARE(PasswordsPayload(s.ctx->project.passwords), expected);
    }

    void passwordsReadFailure() {
        ZYL_START_SIM(sim, QStringList{"--quiet"});
        SimContext s(sim.Device(), true);
        QVERIFY(sim.Command("fault noreply"));
        s.ctx->project.passwords.Slots[3].SetText("KEEP");
        PasswordsWindow window(*s.ctx);
        window.Table()->item(0, 1)->setText("typed");
        window.ReadButton()->click();
        QCOMPARE(s.host.messages, std::vector<std::string>{MsgNoCommunication});
        QCOMPARE(window.Table()->item(0, 1)->text(), QString("typed"));
        QCOMPARE(window.Working().Slots[3].Text(), std::string("KEEP"));
    }

    // The boxes show the simulator's values and clock; changing them there shows at the
    // next poll.
    void readoutsShowValues() {
        ZYL_START_SIM(sim, QStringList{"--clock", "2003-03-05 14:07:09"});
        SimContext s(sim.Device(), true);
        ReadoutsWindow window(*s.ctx);
        window.SetPollInterval(100);
        QCOMPARE(window.RecordingLine(0)->text(), QString("Last recording address"));
        QCOMPARE(window.Box(2)->text(), QString());
        QSignalSpy polls(&window, &ReadoutsWindow::polled);
        window.show();
        QVERIFY(polls.wait(5000));
        QVERIFY(polls.last().at(0).toBool());
        QCOMPARE(window.VersionLabel()->text(), QString("Program version:  501"));
        QCOMPARE(window.Box(0)->text(), QString("05-03-2003"));
        QVERIFY2(window.Box(1)->text().startsWith("14-07-"), qPrintable(window.Box(1)->text()));
        QCOMPARE(window.Box(2)->text(), QString("    85.3"));
        QCOMPARE(window.Box(3)->text(), QString("   120.0"));
        QCOMPARE(window.Box(13)->text(), QString("  -300.0"));
        QCOMPARE(window.Box(14)->text(), QString("  -300.0"));
        QVERIFY(window.RecordingLine(2)->text() == "Recording counter : 0");

        QVERIFY(sim.Command("status-byte 11 0"));
        QVERIFY(sim.Command("status-byte 12 235"));
        QVERIFY(sim.Command("status-byte 15 200"));
        QVERIFY(sim.Command("clock 2040-11-22 08:09:10"));
        QTRY_COMPARE_WITH_TIMEOUT(window.Box(2)->text(), QString("    23.5"), 5000);
        QCOMPARE(window.Box(4)->text(), QString("    XX"));
        QTRY_COMPARE_WITH_TIMEOUT(window.Box(0)->text(), QString("22-11-2040"), 5000);
        QVERIFY(window.History().Samples().size() >= 2);

        // A controller that stops answering leaves the values, without a message.
        QVERIFY(sim.Command("fault noreply"));
        polls.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!polls.isEmpty() && !polls.last().at(0).toBool(), 5000);
        QCOMPARE(window.Box(2)->text(), QString("    23.5"));
        QVERIFY(s.host.messages.empty());
        window.reject();
    }

    // The clock goes out as the chosen date and whole minute; while it goes out Send is
    // disabled, a second click sends nothing, and no poll runs.
    void readoutsSetClock() {
        ZYL_START_SIM(sim, QStringList{"--panel-delay", "400"});
        SimContext s(sim.Device(), true);
        ReadoutsWindow window(*s.ctx);
        window.SetPollInterval(100);
        QSignalSpy polls(&window, &ReadoutsWindow::polled);
        window.show();
        QVERIFY(polls.wait(5000));
        QCOMPARE(window.DatePicker()->minimumDate(), QDate(2000, 1, 1));
        QCOMPARE(window.DatePicker()->maximumDate(), QDate(2099, 12, 31));
        window.DatePicker()->setDate(QDate(2031, 7, 15));
        window.TimePicker()->setTime(QTime(10, 20, 33));

        const qint64 statusBefore = sim.Stats().value("status");
        int waits = 0;
        bool sendEnabledDuring = false, timerDuring = false;
        s.host.during = [&] {
            ++waits;
            sendEnabledDuring |= window.SendButton()->isEnabled();
            timerDuring |= window.PollTimer().isActive();
            if (waits == 3) window.SendButton()->click(); // refused: already sending
        };
        QSignalSpy sent(&window, &ReadoutsWindow::clockSent);
        window.SendButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 5000);
        s.host.during = nullptr;
        QCOMPARE(sent.first().at(0).value<Outcome>(), Outcome::Ok);
        QVERIFY(waits > 3);
        QVERIFY(!sendEnabledDuring);
        QVERIFY(!timerDuring);
        QVERIFY(window.SendButton()->isEnabled());
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("command submit G06"), 1);
        QVERIFY(sim.Summary().value("clock").startsWith("2031-07-15 10:20:0"));
        // The panel wait's polls are the only status requests while the clock went out.
        QVERIFY(stats.value("status") > statusBefore);
        QVERIFY(window.PollTimer().isActive());
        QTRY_COMPARE_WITH_TIMEOUT(window.Box(0)->text(), QString("15-07-2031"), 5000);
        window.reject();
    }

    // Closing while the clock goes out or while a poll runs: the timer is not started again
    // and the simulator sees no further status request.
    void readoutsNoTimerAfterClose_data() {
        QTest::addColumn<bool>("duringSend");
        QTest::newRow("closed during Send") << true;
        QTest::newRow("closed during a poll") << false;
    }
    void readoutsNoTimerAfterClose() {
        QFETCH(bool, duringSend);
        ZYL_START_SIM(sim, QStringList{"--panel-delay", "300"});
        SimContext s(sim.Device(), true);
        auto window = std::make_unique<ReadoutsWindow>(*s.ctx);
        window->SetPollInterval(50);
        QSignalSpy polls(window.get(), &ReadoutsWindow::polled);
        window->show();
        QVERIFY(polls.wait(5000));
        bool closed = false;
        s.host.during = [&] {
            if (!closed) {
                closed = true;
                window->reject();
            }
        };
        if (duringSend) {
            QSignalSpy sent(window.get(), &ReadoutsWindow::clockSent);
            window->SendButton()->click();
            QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 5000);
        } else {
            polls.clear();
            QVERIFY(polls.wait(5000));
        }
        s.host.during = nullptr;
        QVERIFY(closed);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->PollTimer().isActive());
        const qint64 status = sim.Stats().value("status");
        QTest::qWait(400);
        QCOMPARE(sim.Stats().value("status"), status);
    }

    // zylctl: a 550-byte side file written and read back byte for byte; a file of another
    // size is refused before anything is sent.
    void zylctlPasswords_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void zylctlPasswords() {
        QFETCH(bool, module);
        QVERIFY2(!qEnvironmentVariable("ZYLCTL").isEmpty(), "ZYLCTL");
        ZYL_START_SIM(sim);
        TPasswordBlock block = ControllerBlock();
        const QByteArray file(reinterpret_cast<const char*>(&block), sizeof block);
        const QString in = home_.filePath("in.h"), out = home_.filePath("out.h");
        QVERIFY(WriteAll(in, file));
        const QStringList link = {"--port",
                                  sim.PtyPath(),
                                  "--baud",
                                  "19200",
                                  "--timeout",
                                  "150",
                                  module ? "--module" : "--direct"};
        CliRun w = Zylctl(home_.path(), link + QStringList{"write", "passwords", in});
        QVERIFY2(w.exitCode == 0, qPrintable(w.err));
        QCOMPARE(sim.Dump("passwords").hex, PasswordsPayload(block));
        CliRun r = Zylctl(home_.path(), link + QStringList{"read", "passwords", out});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(ReadAll(out).toHex(), file.toHex());

        const QString shortFile = home_.filePath("short.h");
        QVERIFY(WriteAll(shortFile, file.left(549)));
        QVERIFY(sim.Command("stats reset"));
        CliRun bad = Zylctl(home_.path(), link + QStringList{"write", "passwords", shortFile});
        QCOMPARE(bad.exitCode, 4);
        QVERIFY2(bad.err.contains("short.h"), qPrintable(bad.err));
        QCOMPARE(sim.Stats().value("writes"), 0);
    }
};

QTEST_MAIN(TestE2eService)
#include "tst_e2e_service.moc"
