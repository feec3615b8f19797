// zylctl against the simulator: the link commands in both modes, block files that survive a
// write and a read back byte for byte, the exit statuses, and how long each command may take
// against a controller that does not answer.

#include "E2eSupport.h"
#include "link/Commands.h"
#include "project/ProjectImage.h"
#include "support/ZylctlProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace zyl;
using namespace zyl::test;

namespace {

// The commands a run goes through: reply length and attempts (3, or 1 for a reset).
using Attempts = QList<QPair<int, int>>;

constexpr int CliTimeout = 100; // --timeout
// Starting the process and Qt, opening the port, scheduling on a loaded machine.
constexpr int StartMargin = 600;

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

template <class T> QByteArray BytesOf(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// A relay file holding only what travels, so that a read back gives the same bytes.
QByteArray RelayFile() {
    const auto relays = DistinctRelays();
    QByteArray file;
    for (const auto& r : relays) file += BytesOf(r);
    return file;
}

// An alarm file as a read gives it back: whole records from zero, numbered 1 to 21.
QByteArray AlarmFile() {
    QByteArray file;
    for (int i = 0; i < AlarmCount; ++i) {
        TAlarmRecord a{};
        a.Number = i + 1;
        a.Message.SetText("ALARM " + std::to_string(i + 1));
        a.DelayTime = 65000 - 999 * i;
        a.AlarmStatus = i % 3;
        a.RelayLogic = (i / 3) % 3;
        a.RelayOutputs[i] = 1;
        file += BytesOf(a);
    }
    return file;
}

// A special-status file as a read gives it back: the fixed names, times up to 65000 and -1.
QByteArray SpecialStatusFile() {
    std::array<TSpecialStatusRecord, SpecialStatusCount> statuses{};
    SetFixedSpecialStatusNames(statuses);
    QByteArray file;
    for (int i = 0; i < SpecialStatusCount; ++i) {
        TSpecialStatusRecord& s = statuses[std::size_t(i)];
        s.Number = i + 1;
        s.SwitchOffTime = i == 0 ? 65000 : i == 1 ? -1 : 100 * i;
        s.RelayLogic = i % 3;
        s.RelayOutputs[31 - i] = 1;
        file += BytesOf(s);
    }
    return file;
}

// An analog output file as a read gives it back: the reals, which do not travel, at 0.
QByteArray AnalogOutputFile() {
    QByteArray file;
    for (int i = 0; i < AnalogOutputCount; ++i) {
        TAnalogOutputRecord r{};
        r.Name.SetText("OUTPUT " + std::to_string(i + 1));
        r.OutputType = std::int16_t(i % 3);
        r.MeasurementChannel = std::int16_t(i + 5);
        r.SetValueSource = std::int16_t(18 - i);
        r.PidNumber = std::uint8_t(i);
        r.Value0V = 10 * i;
        r.Value10V = 9999 - i;
        r.StopSetValue = 500 + i;
        r.PauseSetValue = 600 + i;
        for (int k = 0; k < 4; ++k) r.SpecialSetValues[k] = 1000 * (k + 1) + i;
        file += BytesOf(r);
    }
    return file;
}

// A PID file as a read gives it back: whole numbers, the gain in tenths.
QByteArray PidFile() {
    QByteArray file;
    for (int i = 0; i < PidCount; ++i) {
        TPidRecord r{};
        r.HeatingCooling = std::int16_t(i % 2);
        r.MeasurementChannel = std::int16_t(9 - i);
        r.SetValueSource = std::int16_t(i + 3);
        r.Sample = 1 + i;
        r.Gain = (12 + 7 * i) / 10.0;
        r.TimeTi = 300 + i;
        r.TimeTd = 30 + i;
        r.Period = 10 + i;
        file += BytesOf(r);
    }
    return file;
}

// Runs zylctl once and requires exit status 0.
#define RUN_OK(expression)                                                                         \
    do {                                                                                           \
        const CliRun run_ = (expression);                                                          \
        QVERIFY2(run_.exitCode == 0,                                                               \
                 qPrintable(QString("exit %1: %2").arg(run_.exitCode).arg(run_.err)));             \
    } while (false)

} // namespace

class TestE2eZylctl : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

    QString File(const QString& name) const { return home_.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM");
        QVERIFY2(!qEnvironmentVariable("ZYLCTL").isEmpty(), "ZYLCTL");
        QVERIFY(home_.isValid());
    }

    // ping and status in both modes: what they print and what reached the simulator.
    void pingAndStatus_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("lines"); // expected among stdout's lines
        QTest::addColumn<QString>("asked");     // the simulator's counter
        QTest::newRow("ping direct")
            << false << "ping" << QStringList{"OK"} << "command direct D20";
        QTest::newRow("ping module") << true << "ping" << QStringList{"OK"} << "status";
        const QStringList status{"date: 2031-07-14", "mode: 2 (RUN)", "panel-ready: 1",
                                 "temperature: 85.3", "rotation: 120.0"};
        QTest::newRow("status direct") << false << "status" << status << "status";
        QTest::newRow("status module") << true << "status" << status << "status";
    }
    void pingAndStatus() {
        QFETCH(bool, module);
        QFETCH(QString, command);
        QFETCH(QStringList, lines);
        QFETCH(QString, asked);
        ZYL_START_SIM(sim, QStringList{"--mode", "run", "--clock", "2031-07-14 09:26:40"});
        const CliRun r = Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << command);
        RUN_OK(r);
        const QStringList out = r.out.split('\n');
        for (const QString& line : lines) QVERIFY2(out.contains(line), qPrintable(r.out));
        QCOMPARE(sim.Stats().value(asked), 1);
    }

    // reset answers its own question and sends the reset as the mode requires.
    void reset_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("sent");
        QTest::newRow("direct") << false << "command direct GE6";
        QTest::newRow("module") << true << "command submit GE6";
    }
    void reset() {
        QFETCH(bool, module);
        QFETCH(QString, sent);
        ZYL_START_SIM(sim);
        const CliRun r = Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "reset");
        RUN_OK(r);
        const auto stats = sim.Stats();
        QCOMPARE(stats.value("resets"), 1);
        QCOMPARE(stats.value(sent), 1);
    }

    // set-clock, then status shows the clock from second 0.
    void setClock_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void setClock() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim, QStringList{"--clock", "2010-05-05 05:05:05"});
        const CliRun r =
            Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "set-clock"
                                                                         << "2030-01-02T03:04");
        RUN_OK(r);
        QCOMPARE(sim.Stats().value("command submit G06"), 1);
        QVERIFY(sim.Summary().value("clock").startsWith("2030-01-02 03:04:0"));
        const CliRun s = Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "status");
        RUN_OK(s);
        QVERIFY2(s.out.contains("date: 2030-01-02\n"), qPrintable(s.out));
        QVERIFY2(s.out.contains("time: 03:04:0"), qPrintable(s.out));
    }

    // The setup block: read the sample, write a changed block, read it back: the file is
    // the block byte for byte, and the simulator stored words 0 (as 0) to 100 big-endian.
    void setupRoundTrip_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void setupRoundTrip() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        const QString sample = File("sample.zys"), changed = File("changed.zys"),
                      back = File("back.zys");
        RUN_OK(Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "read"
                                                                            << "setup" << sample));
        const QByteArray read = ReadAll(sample);
        QCOMPARE(read.size(), qsizetype(sizeof(TSetupBlock)));
        TSetupBlock setup{};
        std::memcpy(&setup, read.constData(), sizeof setup);
        QCOMPARE(setup.Words[99], std::int16_t(501));
        QCOMPARE(setup.Words[100], std::int16_t(0));

        // Word 0 is sent as 0 and word 100 is not read back: keep both 0.
        setup.Words[0] = 0;
        setup.Words[1] = 1234;
        setup.Words[50] = -7;
        setup.Words[97] = 0x7FFF;
        setup.Words[99] = 500;
        QVERIFY(WriteAll(changed, BytesOf(setup)));
        RUN_OK(Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "write"
                                                                            << "setup" << changed));

        Bytes wire;
        for (int w = 0; w <= 100; ++w) {
            const auto v = static_cast<std::uint16_t>(w == 0 ? 0 : setup.Words[w]);
            wire.push_back(static_cast<std::uint8_t>(v >> 8));
            wire.push_back(static_cast<std::uint8_t>(v & 0xFF));
        }
        const auto stored = sim.Dump("setup");
        QCOMPARE(stored.how, QString("written"));
        QCOMPARE(stored.hex, HexOf(wire));

        RUN_OK(Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) << "read"
                                                                            << "setup" << back));
        QCOMPARE(ReadAll(back).toHex(), ReadAll(changed).toHex());
    }

    // A block file written to the controller and read back is the same file.
    void blockRoundTrip_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("writes");
        for (bool module : {false, true}) {
            const char* mode = module ? "module" : "direct";
            QTest::addRow("relays, %s", mode) << "relays" << RelayFile() << 6;
            QTest::addRow("alarms, %s", mode) << "alarms" << AlarmFile() << 2;
            QTest::addRow("special-statuses, %s", mode)
                << "special-statuses" << SpecialStatusFile() << 1;
            QTest::addRow("analog-outputs, %s", mode)
                << "analog-outputs" << AnalogOutputFile() << 1;
            QTest::addRow("pid, %s", mode) << "pid" << PidFile() << 1;
        }
    }
    void blockRoundTrip() {
        QFETCH(QString, block);
        QFETCH(QByteArray, file);
        QFETCH(int, writes);
        const bool module = QString(QTest::currentDataTag()).endsWith("module");
        ZYL_START_SIM(sim);
        const QString out = File("out.blk"), back = File("back.blk");
        QVERIFY(WriteAll(out, file));
        RUN_OK(Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout)
                                        << "write" << block << out));
        QCOMPARE(sim.Stats().value("writes"), writes);
        RUN_OK(Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout)
                                        << "read" << block << back));
        QCOMPARE(ReadAll(back).toHex(), file.toHex());
    }

    // Exit statuses: 1 no communication, 2 usage, 3 not in STOP mode, 4 file error.
    void exitCodes_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("writes");
        const QStringList noReply{"--fault", "noreply"}, run{"--mode", "run"};
        const QString relays = "<relays>";
        QTest::newRow("ping, no reply") << false << noReply << QStringList{"ping"} << 1 << 0;
        QTest::newRow("status, no reply") << true << noReply << QStringList{"status"} << 1 << 0;
        QTest::newRow("read relays, no reply")
            << false << noReply << QStringList{"read", "relays", "<new>"} << 1 << 0;
        QTest::newRow("write relays in RUN, module")
            << true << run << QStringList{"write", "relays", relays} << 3 << 0;
        QTest::newRow("write relays in RUN, direct")
            << false << run << QStringList{"write", "relays", relays} << 0 << 6;
        QTest::newRow("reset in RUN, module") << true << run << QStringList{"reset"} << 3 << 0;
        QTest::newRow("write relays, missing file")
            << false << QStringList{} << QStringList{"write", "relays", "/nonexistent/x.rlz"} << 4
            << 0;
        QTest::newRow("write relays, short file")
            << false << QStringList{} << QStringList{"write", "relays", "<short>"} << 4 << 0;
        QTest::newRow("write setup, missing file")
            << false << QStringList{} << QStringList{"write", "setup", "/nonexistent/x.zys"} << 4
            << 0;
        QTest::newRow("read relays, unwritable file")
            << false << QStringList{} << QStringList{"read", "relays", "/nonexistent/x.rlz"} << 4
            << 0;
        QTest::newRow("unknown block")
            << false << QStringList{} << QStringList{"read", "nothing", "x"} << 2 << 0;
    }
    void exitCodes() {
        QFETCH(bool, module);
        QFETCH(QStringList, options);
        QFETCH(QStringList, command);
        QFETCH(int, exitCode);
        QFETCH(int, writes);
        ZYL_START_SIM(sim, options);
        const QString relays = File("exit.rlz"), shortFile = File("short.rlz"),
                      fresh = File("fresh.rlz");
        QVERIFY(WriteAll(relays, RelayFile()));
        QVERIFY(WriteAll(shortFile, RelayFile().left(100)));
        QFile::remove(fresh);
        command.replaceInStrings("<relays>", relays);
        command.replaceInStrings("<short>", shortFile);
        command.replaceInStrings("<new>", fresh);
        const CliRun r = Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) + command);
        QVERIFY2(r.exitCode == exitCode,
                 qPrintable(QString("exit %1: %2").arg(r.exitCode).arg(r.err)));
        QCOMPARE(sim.Stats().value("writes"), writes);
        if (exitCode != 0) QVERIFY(!QFile::exists(fresh));
        if (exitCode == 3) QVERIFY2(r.err.contains(MsgStopMode), qPrintable(r.err));
    }

    // Against a controller that never answers every command ends within its commands'
    // timeouts: a command takes at most three reads of n x 1 ms + timeout and three 100 ms
    // pauses (resets one read and one pause); and it does try all of them.
    void boundedAgainstSilence_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<Attempts>("commands"); // the failing commands in order
        using C = Attempts;
        const QStringList rlz{"write", "relays", "<relays>"}, zys{"write", "setup", "<setup>"};
        QTest::newRow("ping direct") << false << QStringList{"ping"} << 1 << C{{17, 3}};
        QTest::newRow("ping module") << true << QStringList{"ping"} << 1 << C{{64, 3}};
        QTest::newRow("status") << true << QStringList{"status"} << 1 << C{{64, 3}};
        QTest::newRow("reset direct") << false << QStringList{"reset"} << 0 << C{{11, 1}};
        QTest::newRow("reset module") << true << QStringList{"reset"} << 0 << C{{64, 3}, {7, 1}};
        QTest::newRow("set-clock direct")
            << false << QStringList{"set-clock", "2030-01-02T03:04"} << 1 << C{{7, 3}};
        QTest::newRow("set-clock module")
            << true << QStringList{"set-clock", "2030-01-02T03:04"} << 1 << C{{7, 3}};
        QTest::newRow("read setup direct")
            << false << QStringList{"read", "setup", "<new>"} << 1 << C{{211, 3}};
        QTest::newRow("read setup module")
            << true << QStringList{"read", "setup", "<new>"} << 1 << C{{7, 3}};
        QTest::newRow("write setup direct") << false << zys << 1 << C{{11, 3}};
        QTest::newRow("write setup module") << true << zys << 1 << C{{7, 3}};
        QTest::newRow("read relays direct")
            << false << QStringList{"read", "relays", "<new>"} << 1 << C{{252, 3}};
        QTest::newRow("read relays module")
            << true << QStringList{"read", "relays", "<new>"} << 1 << C{{7, 3}};
        QTest::newRow("write relays direct") << false << rlz << 1 << C{{11, 3}};
        // The STOP check fails and the write goes on to its submit.
        QTest::newRow("write relays module") << true << rlz << 1 << C{{64, 3}, {7, 3}};
    }
    void boundedAgainstSilence() {
        QFETCH(bool, module);
        QFETCH(QStringList, command);
        QFETCH(int, exitCode);
        QFETCH(Attempts, commands);
        ZYL_START_SIM(sim, QStringList{"--fault", "noreply"});
        const QString relays = File("silent.rlz"), setup = File("silent.zys"),
                      fresh = File("silent-new");
        QVERIFY(WriteAll(relays, RelayFile()));
        QVERIFY(WriteAll(setup, QByteArray(sizeof(TSetupBlock), '\0')));
        QFile::remove(fresh);
        command.replaceInStrings("<relays>", relays);
        command.replaceInStrings("<setup>", setup);
        command.replaceInStrings("<new>", fresh);

        int least = 0, bound = 0;
        for (const auto& [n, attempts] : commands) {
            least += attempts * (n + CliTimeout + CommandRetryPauseMs);
            bound += attempts * (n + CliTimeout) + attempts * CommandRetryPauseMs;
            bound += attempts * 30; // the 10 ms sleep and the RTS lead and lag per attempt
        }
        const CliRun r = Zylctl(home_.path(), ZylctlLinkArgs(sim, module, CliTimeout) + command);
        QVERIFY2(r.exitCode == exitCode,
                 qPrintable(QString("exit %1: %2").arg(r.exitCode).arg(r.err)));
        QVERIFY2(r.ms >= least, qPrintable(QString("%1 ms, at least %2").arg(r.ms).arg(least)));
        QVERIFY2(r.ms <= bound + StartMargin,
                 qPrintable(QString("%1 ms, bound %2 + %3").arg(r.ms).arg(bound).arg(StartMargin)));
        QVERIFY(!QFile::exists(fresh));
    }
};

QTEST_GUILESS_MAIN(TestE2eZylctl)
#include "tst_e2e_zylctl.moc"
