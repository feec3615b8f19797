// The scan over a scripted bus: who is found and who is not, one exchange per silent address
// and rate at the short timeout, the link given back as it was, the plan's text forms.

#include "core/ControllerScan.h"
#include "link/CommandCatalogue.h"
#include "support/FakeBus.h"
#include "support/RecordingHost.h"

#include <QtTest>

#include <cmath>
#include <set>
#include <utility>

using namespace zyl;
using zyl::test::FakeBus;
using zyl::test::FakeController;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;

Q_DECLARE_METATYPE(FakeController::Damage)
Q_DECLARE_METATYPE(zyl::ScanPlan)

namespace {

constexpr int OwnTimeout = 40;

// The main window's controls say COM3, 9600, address 9.
struct Rig {
    FakeSerialPort port;
    FakeBus bus;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};

    explicit Rig(bool module = false) {
        settings.tuning.timeoutStand = OwnTimeout;
        settings.WaitForPanel = 1;
        link.SetTuning(settings.tuning);
        controls.port = 2;
        controls.baud = 0;
        controls.address = 9;
        access.moduleMode = module;
        bus.controllers = {{1, 19200, 510}, {5, 19200, 505}, {17, 9600, 517}};
        bus.Attach(port);
    }
};

ScanPlan Plan(int first, int last, std::vector<int> rates = {9600, 19200}) {
    ScanPlan plan;
    plan.baudRates = std::move(rates);
    plan.firstAddress = first;
    plan.lastAddress = last;
    return plan;
}

QString Describe(const std::vector<FoundController>& found) {
    QStringList lines;
    for (const FoundController& c : found)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(c.address)
                     .arg(c.baud)
                     .arg(c.module ? "module" : "direct")
                     .arg(c.version ? QString::number(*c.version) : QStringLiteral("-"));
    return lines.join(QStringLiteral("; "));
}

std::size_t ProbeReplyLength(bool module) {
    return module ? StatusReplyLength
                  : ExpectedReplyLength(BuildReadPanelInfoRequest(), Variant::Direct);
}

} // namespace

class TestControllerScan : public QObject {
    Q_OBJECT
private slots:
    void baudRateLists_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("rates"); // empty: refused
        QTest::newRow("both") << "9600,19200" << QList<int>{9600, 19200};
        QTest::newRow("one") << "19200" << QList<int>{19200};
        QTest::newRow("order kept") << "19200,9600" << QList<int>{19200, 9600};
        QTest::newRow("empty") << "" << QList<int>{};
        QTest::newRow("trailing comma") << "9600," << QList<int>{};
        QTest::newRow("blank") << "9600, 19200" << QList<int>{};
        QTest::newRow("not a rate of the line") << "4800" << QList<int>{};
        QTest::newRow("twice") << "9600,9600" << QList<int>{};
        QTest::newRow("letters") << "96OO" << QList<int>{};
        QTest::newRow("huge") << "9600000000000" << QList<int>{};
    }
    void baudRateLists() {
        QFETCH(QString, text);
        QFETCH(QList<int>, rates);
        std::vector<int> parsed;
        const std::string error = ParseScanBaudRates(text.toStdString(), parsed);
        if (rates.isEmpty()) {
            QVERIFY(!error.empty());
            return;
        }
        QVERIFY2(error.empty(), error.c_str());
        QCOMPARE(QList<int>(parsed.begin(), parsed.end()), rates);
    }

    void addressRanges_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("first"); // -1: refused
        QTest::addColumn<int>("last");
        QTest::newRow("all") << "0-247" << 0 << 247;
        QTest::newRow("one address") << "5-5" << 5 << 5;
        QTest::newRow("backwards") << "17-3" << -1 << -1;
        QTest::newRow("beyond 247") << "0-248" << -1 << -1;
        QTest::newRow("single number") << "5" << -1 << -1;
        QTest::newRow("open start") << "-5" << -1 << -1;
        QTest::newRow("open end") << "5-" << -1 << -1;
        QTest::newRow("three parts") << "1-2-3" << -1 << -1;
        QTest::newRow("negative") << "-1-5" << -1 << -1;
        QTest::newRow("letters") << "a-b" << -1 << -1;
    }
    void addressRanges() {
        QFETCH(QString, text);
        QFETCH(int, first);
        QFETCH(int, last);
        int a = -7, b = -7;
        const std::string error = ParseScanAddresses(text.toStdString(), a, b);
        if (first < 0) {
            QVERIFY(!error.empty());
            return;
        }
        QVERIFY2(error.empty(), error.c_str());
        QCOMPARE(a, first);
        QCOMPARE(b, last);
    }

    void plansRefused_data() {
        QTest::addColumn<ScanPlan>("plan");
        QTest::newRow("no rate") << Plan(0, 247, {});
        QTest::newRow("rate of no controller") << Plan(0, 247, {4800});
        QTest::newRow("backwards") << Plan(9, 3);
        QTest::newRow("below 0") << Plan(-1, 3);
        QTest::newRow("beyond 247") << Plan(0, 248);
    }
    void plansRefused() {
        QFETCH(ScanPlan, plan);
        QVERIFY(!ScanPlanError(plan).empty());
        Rig rig;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, (void)ScanForControllers(rig.access, plan));
        QVERIFY(rig.bus.requests.empty());
        QVERIFY(ScanPlanError(ScanPlan{}).empty());
    }

    // A silent address waits the reply's length in ms plus the constant: never less than
    // the request still going out, the whole reply on the line and the slack; and no more
    // than that (up to rounding) where the line is slower than the port's 1 ms a byte.
    void timeoutCoversTheLine_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("reply");
        QTest::addColumn<bool>("drained");
        for (int baud : {9600, 19200})
            for (bool drained : {false, true}) {
                const QByteArray b = QByteArray::number(baud) + (drained ? " drained" : "");
                QTest::newRow("panel info " + b) << baud << 11 << 17 << drained;
                QTest::newRow("status " + b) << baud << 7 << 64 << drained;
                QTest::newRow("setup " + b) << baud << 11 << 211 << drained;
            }
    }
    void timeoutCoversTheLine() {
        QFETCH(int, baud);
        QFETCH(int, request);
        QFETCH(int, reply);
        QFETCH(bool, drained);
        const auto line = [baud](int bytes) { return bytes * 11 * 1000.0 / baud; };
        const double needed = (drained ? 0 : line(request)) + line(reply) + ScanReplySlackMs;
        const int constant =
            ScanTimeoutConstant(baud, std::size_t(request), std::size_t(reply), drained);
        QVERIFY2(reply + constant >= needed, qPrintable(QString::number(constant)));
        const double extra = (drained ? 0 : line(request)) + std::max(0.0, line(reply) - reply);
        QVERIFY2(constant <= ScanReplySlackMs + extra + 2, qPrintable(QString::number(constant)));
    }

    void findsTheBus_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void findsTheBus() {
        QFETCH(bool, module);
        Rig rig(module);
        std::vector<FoundController> reported;
        const ScanResult result =
            ScanForControllers(rig.access, Plan(0, 20), rig.host,
                               [&](const FoundController& c) { reported.push_back(c); });
        QCOMPARE(result.outcome, Outcome::Ok);
        QCOMPARE(result.attempts, 42);
        const std::vector<FoundController> expected = {
            {17, 9600, module, 517}, {1, 19200, module, 510}, {5, 19200, module, 505}};
        QCOMPARE(Describe(result.found), Describe(expected));
        QCOMPARE(Describe(reported), Describe(expected));

        // One exchange for every silent address and rate, also where a controller listens
        // at the other rate.
        for (int baud : {9600, 19200})
            for (int a = 0; a <= 20; ++a) {
                const bool there =
                    (a == 17 && baud == 9600) || ((a == 1 || a == 5) && baud == 19200);
                if (!there) QCOMPARE(rig.bus.CountTo(a, baud), 1);
            }
        // The port at the main window's COM3.
        QCOMPARE(rig.port.Name(), std::string("COM3"));

        // Progress: before each of the 42 attempts, then at the end.
        QCOMPARE(rig.host.progress.size(), std::size_t(43));
        for (int i = 0; i <= 42; ++i) {
            QCOMPARE(rig.host.progress[std::size_t(i)].position, i);
            QCOMPARE(rig.host.progress[std::size_t(i)].maximum, 42);
        }
        QCOMPARE(rig.host.progress[0].text, std::string("0 @ 9600 baud"));
        QCOMPARE(rig.host.progress[41].text, std::string("20 @ 19200 baud"));
        QVERIFY(!rig.host.progressVisible);
        QVERIFY(rig.host.messages.empty());
    }

    void timeouts_data() { findsTheBus_data(); }
    void timeouts() {
        QFETCH(bool, module);
        Rig rig(module);
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 6));
        QCOMPARE(result.found.size(), std::size_t(2));
        // The first request to an address at a rate is its probe; what follows there is the
        // version read of a controller that answered.
        const std::size_t replyLength = ProbeReplyLength(module);
        std::set<std::pair<int, int>> probed;
        int versionReads = 0;
        for (const FakeBus::Request& r : rig.bus.requests) {
            if (probed.insert({r.frame[0], r.baud}).second) {
                QCOMPARE(r.timeoutConstant,
                         ScanTimeoutConstant(r.baud, r.frame.size(), replyLength, false));
            } else {
                QCOMPARE(r.timeoutConstant, OwnTimeout);
                ++versionReads;
            }
        }
        QCOMPARE(int(probed.size()), 14);
        QVERIFY(versionReads >= 2);
        QCOMPARE(rig.port.readTimeoutConstant, OwnTimeout);
        QCOMPARE(rig.link.Tuning().timeoutStand, OwnTimeout);
    }

    void damagedRepliesAreNoController_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<FakeController::Damage>("damage");
        for (bool module : {false, true}) {
            const char* mode = module ? "module, " : "direct, ";
            QTest::addRow("%sbad checksum", mode) << module << FakeController::Damage::BadChecksum;
            QTest::addRow("%sforeign address", mode)
                << module << FakeController::Damage::ForeignAddress;
            QTest::addRow("%sshort", mode) << module << FakeController::Damage::Short;
        }
    }
    void damagedRepliesAreNoController() {
        QFETCH(bool, module);
        QFETCH(FakeController::Damage, damage);
        Rig rig(module);
        rig.bus.controllers[0].damage = damage; // 1 at 19200
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 6, {19200}));
        QCOMPARE(result.outcome, Outcome::Ok);
        QCOMPARE(Describe(result.found), Describe({{5, 19200, module, 505}}));
        QCOMPARE(rig.bus.CountTo(1, 19200), 1);
        QVERIFY(rig.host.messages.empty());
    }

    void versionUnknownWhenTheSetupReadFails_data() { findsTheBus_data(); }
    void versionUnknownWhenTheSetupReadFails() {
        QFETCH(bool, module);
        Rig rig(module);
        rig.bus.controllers[1].answersSetup = false; // 5
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 6, {19200}));
        QCOMPARE(result.outcome, Outcome::Ok);
        QCOMPARE(Describe(result.found),
                 Describe({{1, 19200, module, 510}, {5, 19200, module, std::nullopt}}));
        QVERIFY(rig.host.messages.empty());
    }

    void portFailureEndsTheScan() {
        Rig rig;
        rig.port.failOpen = true;
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 247));
        QCOMPARE(result.outcome, Outcome::NoCommunication);
        QVERIFY(!result.cause.empty());
        QVERIFY(result.found.empty());
        QCOMPARE(std::count(rig.port.events.begin(), rig.port.events.end(), "open COM3 9600"), 1L);
        QCOMPARE(rig.port.events.size(), std::size_t(1));
    }

    void cancelEndsTheScan_data() {
        QTest::addColumn<int>("step"); // the progress step at which Cancel is pressed
        QTest::addColumn<int>("found");
        QTest::newRow("before the first attempt") << 0 << 0;
        QTest::newRow("at 9600") << 10 << 0;
        QTest::newRow("after 17 at 9600") << 18 << 1;
        QTest::newRow("at 19200") << 23 << 2;
    }
    void cancelEndsTheScan() {
        QFETCH(int, step);
        QFETCH(int, found);
        Rig rig;
        rig.host.onEvents = [step](RecordingHost& h) {
            if (!h.progress.empty() && h.progress.back().position == step) h.cancel = true;
        };
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 20));
        QCOMPARE(result.outcome, Outcome::Cancelled);
        QCOMPARE(int(result.found.size()), found);
        // No attempt after the one under way; the version reads of those found on top.
        int probes = 0;
        for (const FakeBus::Request& r : rig.bus.requests) probes += r.frame[5] == 'D' ? 1 : 0;
        QCOMPARE(probes, step);
        QCOMPARE(result.attempts, step);
        QCOMPARE(rig.port.readTimeoutConstant, OwnTimeout);
    }

    // A dialog scans with a host of its own (its bar and its Cancel); the access's host gets
    // its wait hook back afterwards, and the access its link settings.
    void ownHostAndGivenBack() {
        Rig rig;
        RecordingHost scanHost;
        // While the scan runs, the link's waits run the scan host's events.
        int waitsOnScanHost = 0;
        const auto respond = rig.port.respond;
        rig.port.respond = [&](const test::Bytes& request) {
            const int before = scanHost.eventsProcessed;
            if (rig.link.CurrentWaitHook()() && scanHost.eventsProcessed == before + 1)
                ++waitsOnScanHost;
            return respond(request);
        };
        const ScanResult result = ScanForControllers(rig.access, Plan(0, 3, {19200}), scanHost);
        QCOMPARE(Describe(result.found), Describe({{1, 19200, false, 510}}));
        QCOMPARE(waitsOnScanHost, int(rig.bus.requests.size()));
        QCOMPARE(scanHost.progress.size(), std::size_t(5));
        QVERIFY(rig.host.progress.empty());

        QCOMPARE(int(rig.access.DeviceAddress), 9);
        QCOMPARE(int(rig.access.linkParams.BaudCode), 6);
        QCOMPARE(rig.access.linkParams.PortIndex, 2);
        const auto& hook = rig.link.CurrentWaitHook();
        QVERIFY(hook);
        const int before = rig.host.eventsProcessed;
        QVERIFY(hook());
        QCOMPARE(rig.host.eventsProcessed, before + 1);
        rig.host.cancel = true;
        QVERIFY(!hook());
    }
};

QTEST_GUILESS_MAIN(TestControllerScan)
#include "tst_controllerscan.moc"
