// The transport over the Qt serial backend against the simulator: the result code each kind
// of damaged reply gives, the converter's leading zero, ports that cannot be opened, port
// switching, and the retry wrapper's attempts as the simulator counted them.

#include "E2eSupport.h"
#include "link/Commands.h"
#include "link/Frame.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QtTest>

using namespace zyl;
using namespace zyl::test;

namespace {

constexpr std::size_t StatusLength = 64;
constexpr int Margin = 150; // scheduling slack on a loaded machine

// One read timeout for n bytes.
constexpr int ReadTimeout(std::size_t n) {
    return static_cast<int>(n) + TestTimeoutStand;
}

Bytes StatusRequest() {
    return BuildFrame(SimAddress, FrameKind::Status);
}

} // namespace

class TestE2eLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    // One status exchange (7 bytes out, 64 back) per row. A reply that is complete ends the
    // read at once; one that is short or absent ends it after n x 1 ms + timeoutStand.
    void resultCodes_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("minusOffset");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("replySize");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        // A complete reply ends the read before its timeout could.
        const int quick = ReadTimeout(StatusLength);
        const int full = ReadTimeout(StatusLength);
        const int fullPlusOne = ReadTimeout(StatusLength + 1);

        QTest::newRow("intact") << QStringList{} << false << 0 << 64 << 0 << quick;
        QTest::newRow("no reply") << QStringList{"--fault", "noreply"} << false << 8 << 0 << full
                                  << full + Margin;
        QTest::newRow("bad checksum")
            << QStringList{"--fault", "badcrc"} << false << 4 << 64 << 0 << quick;
        QTest::newRow("other address")
            << QStringList{"--fault", "wrongaddr"} << false << 10 << 64 << 0 << quick;
        QTest::newRow("one byte short")
            << QStringList{"--fault", "short"} << false << 3 << 63 << full << full + Margin;
        QTest::newRow("garbage") << QStringList{"--fault", "garbage"} << false << 4 << 64 << 0
                                 << quick;
        // The first 64 bytes are the zero and 63 reply bytes: the length fits, the checksum
        // does not.
        QTest::newRow("leading zero, flag clear")
            << QStringList{"--lead-zero"} << false << 4 << 64 << 0 << quick;
        QTest::newRow("leading zero fault, flag clear")
            << QStringList{"--fault", "leadzero"} << false << 4 << 64 << 0 << quick;
        QTest::newRow("leading zero, flag set")
            << QStringList{"--lead-zero"} << true << 0 << 64 << 0 << quick;
        QTest::newRow("leading zero fault, flag set")
            << QStringList{"--fault", "leadzero"} << true << 0 << 64 << 0 << quick;
        // Without the converter a set flag waits for the 65th byte until the full timeout.
        QTest::newRow("flag set, no converter")
            << QStringList{} << true << 0 << 64 << fullPlusOne << fullPlusOne + Margin;
        QTest::newRow("flag set, no reply") << QStringList{"--fault", "noreply"} << true << 8 << 0
                                            << fullPlusOne << fullPlusOne + Margin;
        QTest::newRow("flag set, short reply") << QStringList{"--fault", "short"} << true << 3 << 63
                                               << fullPlusOne << fullPlusOne + Margin;
    }
    void resultCodes() {
        QFETCH(QStringList, options);
        QFETCH(bool, minusOffset);
        QFETCH(int, expected);
        QFETCH(int, replySize);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        ZYL_START_SIM(sim, options);
        SimLink line(sim.Device());
        line.SetMinusOffset(minusOffset);

        Bytes reply;
        QElapsedTimer timer;
        timer.start();
        const int result =
            line.link.ExchangeFrame(StatusRequest(), StatusLength, Com1At19200, reply);
        const qint64 ms = timer.elapsed();

        QCOMPARE(result, expected);
        QCOMPARE(int(reply.size()), replySize);
        if (result == LinkOk) {
            QCOMPARE(reply[0], SimAddress);
            QCOMPARE(reply[1], std::uint8_t('F'));
        }
        QVERIFY2(ms >= minMs, qPrintable(QString("%1 ms").arg(ms)));
        QVERIFY2(ms < maxMs, qPrintable(QString("%1 ms").arg(ms)));
        QCOMPARE(sim.Stats().value("status"), 1);
    }

    // A port that cannot be opened gives 1 at once and stays closed; the link then still
    // reaches a port that works.
    void unopenablePort_data() {
        QTest::addColumn<QString>("device");
        QTest::newRow("missing device") << "/nonexistent/ttyZYL";
        QTest::newRow("directory") << "/";
        QTest::newRow("regular file") << "<file>";
    }
    void unopenablePort() {
        QFETCH(QString, device);
        QTemporaryFile file;
        if (device == "<file>") {
            QVERIFY(file.open());
            device = file.fileName();
        }
        ZYL_START_SIM(sim);
        QtSerialPort port(std::map<int, std::string>{{1, sim.Device()}, {2, device.toStdString()}});
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.timeoutStand = TestTimeoutStand;
        link.SetTuning(tuning);

        Bytes reply{0xEE};
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(link.ExchangeFrame(StatusRequest(), StatusLength, TLinkParams{1, 8}, reply),
                 int(LinkPortError));
        QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(reply.empty());
        QVERIFY(!port.IsOpen());
        QCOMPARE(link.ExchangeFrame(StatusRequest(), StatusLength, Com1At19200, reply),
                 int(LinkOk));
        QCOMPARE(sim.Stats().value("status"), 1);
    }

    // Changing PortIndex between exchanges closes one device and opens the other; the
    // replies show which controller answered.
    void portSwitchReachesTheOtherDevice() {
        ZYL_START_SIM(stopped, QStringList{"--mode", "stop"});
        ZYL_START_SIM(running, QStringList{"--mode", "run"});
        QtSerialPort port(std::map<int, std::string>{{1, stopped.Device()}, {2, running.Device()}});
        TFkomunikacja link(port);
        LinkTuning tuning;
        tuning.timeoutStand = TestTimeoutStand;
        link.SetTuning(tuning);
        const int modes[] = {0, 2, 0};
        const TLinkParams ports[] = {Com1At19200, {1, 8}, Com1At19200};
        for (int i = 0; i < 3; ++i) {
            TControllerStatus status{};
            QCOMPARE(ReadModuleStatus(link, status, SimAddress, ports[i]), int(LinkOk));
            QCOMPARE(int(status.Mode), modes[i]);
        }
        QCOMPARE(stopped.Stats().value("status"), 2);
        QCOMPARE(running.Stats().value("status"), 1);
    }

    // The retry wrapper: a schedule of damaged replies decides on which attempt the command
    // succeeds; three failures end it with the last attempt's code after three timeouts and
    // three pauses.
    void retries_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("before"); // good exchanges before the command
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        const int pause = CommandRetryPauseMs;
        const int timeout = ReadTimeout(StatusLength);
        const int threeTimeouts = 3 * timeout + 3 * pause;
        // An answered attempt: the 10 ms sleep, the RTS lead, 64 bytes at 19200 (36.7 ms).
        // The simulator starts its reply while the RTS lag runs, so the lag overlaps it.
        const int attempt = 10 + 5 + 36;
        const int slowAttempt = attempt + 5 + 20;

        QTest::newRow("bad checksum every 2, on the 2nd attempt")
            << "badcrc every 2" << 1 << 0 << 2 << 2 * attempt + pause
            << 2 * slowAttempt + pause + Margin;
        QTest::newRow("short every 2, on the 2nd attempt")
            << "short every 2" << 1 << 0 << 2 << timeout + pause + attempt
            << timeout + pause + 2 * slowAttempt + Margin;
        QTest::newRow("no reply every 2, first attempt")
            << "noreply every 2" << 0 << 0 << 1 << attempt << slowAttempt + Margin;
        QTest::newRow("no reply every time")
            << "noreply" << 0 << 8 << 3 << threeTimeouts << threeTimeouts + 3 * 20 + Margin;
        QTest::newRow("other address every time")
            << "wrongaddr" << 0 << 10 << 3 << 3 * attempt + 3 * pause
            << 3 * slowAttempt + 3 * pause + Margin;
        QTest::newRow("garbage every time") << "garbage" << 0 << 4 << 3 << 3 * attempt + 3 * pause
                                            << 3 * slowAttempt + 3 * pause + Margin;
    }
    void retries() {
        QFETCH(QString, rule);
        QFETCH(int, before);
        QFETCH(int, expected);
        QFETCH(int, attempts);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        ZYL_START_SIM(sim);
        SimLink line(sim.Device());
        QVERIFY(sim.Command("fault " + rule));
        TControllerStatus status{};
        for (int i = 0; i < before; ++i)
            QCOMPARE(ReadModuleStatus(line.link, status, SimAddress, Com1At19200), int(LinkOk));
        QVERIFY(sim.Command("stats reset"));

        QElapsedTimer timer;
        timer.start();
        const int result = ReadModuleStatus(line.link, status, SimAddress, Com1At19200);
        const qint64 ms = timer.elapsed();

        QCOMPARE(result, expected);
        QCOMPARE(sim.Stats().value("status"), attempts);
        // The status is filled from a good reply only.
        if (result == LinkOk)
            QVERIFY(status.Year >= 2000);
        else
            QCOMPARE(status.Year, 0);
        QVERIFY2(ms >= minMs, qPrintable(QString("%1 ms").arg(ms)));
        QVERIFY2(ms < maxMs, qPrintable(QString("%1 ms").arg(ms)));
    }

    // A collect sent before the panel is ready gets no reply; the retry wrapper's third
    // attempt comes after the panel became ready and brings the data.
    void collectSucceedsOnTheThirdAttempt() {
        // An unanswered collect attempt of a relay group: 10 + 10 ms, 252 + 150 ms, 100 ms.
        const int cycle = 20 + ReadTimeout(252) + CommandRetryPauseMs;
        const int delay = cycle + cycle / 2; // between the 2nd and the 3rd attempt
        ZYL_START_SIM(sim, QStringList{"--panel-delay", QString::number(delay)});
        SimLink line(sim.Device());
        QCOMPARE(ReadRelayGroupSubmit(line.link, 5, SimAddress, Com1At19200), int(LinkOk));
        std::array<TRelayRecord, 6> group{};
        QCOMPARE(ReadRelayGroupCollect(line.link, group, 5, SimAddress, Com1At19200), int(LinkOk));
        QCOMPARE(sim.Stats().value("collects"), 3);
        QCOMPARE(group[0].Number, 31);
        QCOMPARE(QString::fromStdString(group[0].Name.Text()), QString("RELAY 31"));
        QCOMPARE(QString::fromStdString(group[1].Name.Text()), QString("RELAY 32"));
    }
};

QTEST_GUILESS_MAIN(TestE2eLink)
#include "tst_e2e_link.moc"
