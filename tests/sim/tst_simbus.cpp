// The line as the controllers hear it: answers only at the controller's own rate and 8N2, and
// several controllers on one bus, each with its own address, rate, memory and state.

#include "SimSupport.h"
#include "sim/Bus.h"
#include "sim/Commands.h"
#include "sim/StateFile.h"

#include <QtTest>

#include <chrono>

using namespace simtest;
using zyl::sim::Bus;
using zyl::sim::ControlCommands;
using zyl::sim::ControllerMemory;
using zyl::sim::Engine;
using zyl::sim::EngineConfig;
using zyl::sim::LineSettings;
using zyl::sim::LinkSettings;
using zyl::sim::Parity;
using zyl::sim::Station;
using namespace std::chrono_literals;

namespace {

using Clock = Engine::Clock;
const Clock::time_point T0 = Clock::time_point{} + 1h;

constexpr LineSettings At19200{19200, 8, Parity::None, 2};
constexpr LineSettings At9600{9600, 8, Parity::None, 2};

EngineConfig Config() {
    EngineConfig c;
    c.clock = {2024, 5, 6, 7, 8, 9};
    c.panelDelay = 50ms;
    return c;
}

// The test bus: 1 and 5 at 19200, 17 at 9600.
const std::vector<Station> ThreeStations{{1, std::nullopt}, {5, std::nullopt}, {17, 9600}};

template <typename Controllers>
Bytes Ask(Controllers& c, const Bytes& frame, const std::optional<LineSettings>& line,
          Clock::time_point t = T0) {
    for (auto& x : c.Receive(frame, t, line))
        if (!x.reply.empty()) return x.reply;
    return {};
}

Bytes Data(const Bytes& reply) {
    return reply.size() < 11 ? Bytes{} : Bytes(reply.begin() + 9, reply.end() - 2);
}

QStringList Lines(const ControlCommands::Result& r) {
    QStringList lines;
    for (const auto& l : r.lines) lines << QString::fromStdString(l);
    if (!r.ok) lines << "error " + QString::fromStdString(r.error);
    return lines;
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

Q_DECLARE_METATYPE(zyl::sim::LineSettings)

class TestSimBus : public QObject {
    Q_OBJECT
private slots:
    // One controller at 19200 or 9600 and a PC port set one way or another: every kind of
    // request is answered only when the port is set as the controller listens.
    void lineSettings_data() {
        QTest::addColumn<int>("controllerBaud");
        QTest::addColumn<LineSettings>("line");
        QTest::addColumn<bool>("answered");
        QTest::newRow("19200 8N2") << 19200 << At19200 << true;
        QTest::newRow("9600 against 19200") << 19200 << At9600 << false;
        QTest::newRow("19200 against 9600") << 9600 << At19200 << false;
        QTest::newRow("9600 8N2") << 9600 << At9600 << true;
        QTest::newRow("one stop bit") << 19200 << LineSettings{19200, 8, Parity::None, 1} << false;
        QTest::newRow("even parity") << 19200 << LineSettings{19200, 8, Parity::Even, 2} << false;
        QTest::newRow("odd parity") << 9600 << LineSettings{9600, 8, Parity::Odd, 2} << false;
        QTest::newRow("mark parity") << 19200 << LineSettings{19200, 8, Parity::Mark, 2} << false;
        QTest::newRow("7 data bits") << 19200 << LineSettings{19200, 7, Parity::None, 2} << false;
        QTest::newRow("38400") << 19200 << LineSettings{38400, 8, Parity::None, 2} << false;
        QTest::newRow("non-standard rate") << 19200 << LineSettings{0, 8, Parity::None, 2} << false;
    }
    void lineSettings() {
        QFETCH(int, controllerBaud);
        QFETCH(LineSettings, line);
        QFETCH(bool, answered);
        EngineConfig config = Config();
        config.baud = controllerBaud;
        Engine e(config, T0);
        QStringList reasons;
        e.onReject = [&](const std::string& reason) { reasons << Text(reason); };

        const Bytes statuses = Pattern(42, 0x31);
        const Bytes requests[] = {StatusRequest(1), Request(1, false, 'F', 0x0A),
                                  Request(1, false, 'G', 0x0E, statuses),
                                  Request(1, true, 'F', 0x0C, {2}), CollectRequest(1)};
        auto t = T0;
        for (const Bytes& request : requests) {
            QCOMPARE(Ask(e, request, line, t).empty(), !answered);
            t += 100ms; // past the panel delay, so the collect has its answer
        }
        const std::uint64_t unheard = answered ? 0 : std::size(requests);
        QCOMPARE(e.stats().lineMismatch, unheard);
        QCOMPARE(e.stats().frames, std::uint64_t(std::size(requests)));
        QCOMPARE(e.stats().rejected, 0u);
        QCOMPARE(e.stats().replies, answered ? std::size(requests) : 0u);
        // A write the controller did not hear is not carried out, a submit not kept.
        QCOMPARE(e.memory().IsWritten("statuses"), answered);
        QCOMPARE(e.HasPendingAnswer(), answered);
        QCOMPARE(reasons.size(), int(unheard));
        if (!answered) {
            const QString expected = "line set to " + Text(zyl::sim::Describe(line)) +
                                     ", controller 1 listens at " +
                                     QString::number(controllerBaud) + " 8N2";
            QCOMPARE(reasons.front(), expected);
            QCOMPARE(Text(e.stats().lastReject), expected);
        }
    }

    // Frames for another controller are not this one's business, whatever the line.
    void otherAddressIsNoMismatch() {
        Engine e(Config(), T0);
        QVERIFY(Ask(e, StatusRequest(2), At9600).empty());
        QCOMPARE(e.stats().otherAddress, 1u);
        QCOMPARE(e.stats().lineMismatch, 0u);
    }

    // The PC reopens its port at another rate between frames; each frame is judged by the
    // settings it came with, and without settings any line is heard.
    void settingsChangeBetweenFrames() {
        Engine e(Config(), T0);
        QVERIFY(Ask(e, StatusRequest(1), At9600, T0).empty());
        QCOMPARE(Ask(e, StatusRequest(1), At19200, T0 + 1s).size(), 64u);
        QVERIFY(Ask(e, StatusRequest(1), At9600, T0 + 2s).empty());
        QCOMPARE(Ask(e, StatusRequest(1), std::nullopt, T0 + 3s).size(), 64u);
        QCOMPARE(e.stats().lineMismatch, 2u);
    }

    void describeLine_data() {
        QTest::addColumn<LineSettings>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("19200 8N2") << At19200 << "19200 8N2";
        QTest::newRow("9600 7E1") << LineSettings{9600, 7, Parity::Even, 1} << "9600 7E1";
        QTest::newRow("unknown rate")
            << LineSettings{0, 8, Parity::Space, 2} << "non-standard-rate 8S2";
    }
    void describeLine() {
        QFETCH(LineSettings, line);
        QFETCH(QString, text);
        QCOMPARE(Text(zyl::sim::Describe(line)), text);
    }

    void stations_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // "address@baud" with 0 for the default; "" error
        QTest::newRow("one") << "1"
                             << "1@0";
        QTest::newRow("three, one with its rate") << "1,5,17@9600"
                                                  << "1@0 5@0 17@9600";
        QTest::newRow("rates on all") << "0@19200,247@9600"
                                      << "0@19200 247@9600";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("empty item") << "1,,5"
                                    << "";
        QTest::newRow("trailing comma") << "1,5,"
                                        << "";
        QTest::newRow("address 248") << "1,248"
                                     << "";
        QTest::newRow("negative") << "-1"
                                  << "";
        QTest::newRow("twice") << "5,1,5@9600"
                               << "";
        QTest::newRow("rate 4800") << "5@4800"
                                   << "";
        QTest::newRow("rate missing") << "5@"
                                      << "";
        QTest::newRow("address missing") << "@9600"
                                         << "";
        QTest::newRow("blank") << "1, 5"
                               << "";
        QTest::newRow("semicolon") << "1;5"
                                   << "";
    }
    void stations() {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        std::string error;
        const auto stations = zyl::sim::ParseStations(text.toStdString(), error);
        QCOMPARE(stations.has_value(), !parsed.isEmpty());
        QCOMPARE(error.empty(), !parsed.isEmpty());
        if (!stations) return;
        QStringList got;
        for (const Station& s : *stations)
            got << QString("%1@%2").arg(s.address).arg(s.baud.value_or(0));
        QCOMPARE(got.join(' '), parsed);
    }

    // Three controllers at two rates: a frame is answered only by the controller it is
    // addressed to, and only when the line runs at that controller's rate.
    void busAnswersAtAddressAndRate_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("lineBaud");
        QTest::addColumn<bool>("answered");
        for (int address : {1, 5, 17, 9})
            for (int baud : {9600, 19200}) {
                const bool onBus = address != 9;
                const bool atRate = (address == 17) == (baud == 9600);
                QTest::addRow("%d at %d", address, baud) << address << baud << (onBus && atRate);
            }
    }
    void busAnswersAtAddressAndRate() {
        QFETCH(int, address);
        QFETCH(int, lineBaud);
        QFETCH(bool, answered);
        Bus bus(Config(), ThreeStations, T0);
        const LineSettings line{lineBaud, 8, Parity::None, 2};
        const auto a = std::uint8_t(address);
        const Bytes requests[] = {StatusRequest(a), Request(a, false, 'F', 0x0C, {1}),
                                  Request(a, true, 'F', 0x0A)};
        for (const Bytes& request : requests) {
            const auto exchanges = bus.Receive(request, T0, line);
            QCOMPARE(exchanges.size(), 1u);
            QCOMPARE(HexText(exchanges[0].request), HexText(request));
            QCOMPARE(exchanges[0].reply.empty(), !answered);
            QCOMPARE(exchanges[0].responder, answered ? bus.Find(address) : nullptr);
            if (answered) {
                QCOMPARE(int(exchanges[0].reply[0]), address);
                QVERIFY(CrcOk(exchanges[0].reply));
            }
        }
        for (std::size_t i = 0; i < bus.Size(); ++i) {
            const Engine& e = bus.At(i);
            const bool addressed = e.Address() == address;
            QCOMPARE(e.stats().frames, 3u);
            QCOMPARE(e.stats().otherAddress, addressed ? 0u : 3u);
            QCOMPARE(e.stats().lineMismatch, addressed && !answered ? 3u : 0u);
            QCOMPARE(e.stats().replies, addressed && answered ? 3u : 0u);
        }
    }

    // Every controller of a bus has its own memory, module and mode.
    void controllersKeepTheirOwnState() {
        Bus bus(Config(), ThreeStations, T0);
        const Bytes group = Concat({{2}, Pattern(240, 0x44)});
        const Bytes readGroup2 = Request(1, false, 'F', 0x0C, {2});
        const Bytes sample = Data(Ask(bus, readGroup2, At19200));
        QCOMPARE(sample.size(), 241u);

        // A direct write to 5 and a module write to 17.
        QCOMPARE(Ask(bus, Request(5, false, 'G', 0x0C, group), At19200).size(), 11u);
        const Bytes statuses = Pattern(42, 0x6D);
        QCOMPARE(Ask(bus, Request(17, true, 'G', 0x0E, statuses), At9600).size(), 7u);

        QCOMPARE(HexText(Data(Ask(bus, Request(5, false, 'F', 0x0C, {2}), At19200))),
                 HexText(group));
        QCOMPARE(HexText(Data(Ask(bus, readGroup2, At19200))), HexText(sample));
        QCOMPARE(HexText(Data(Ask(bus, Request(17, false, 'F', 0x0C, {2}), At9600))),
                 HexText(sample));
        QVERIFY(bus.Find(17)->memory().IsWritten("statuses"));
        QVERIFY(!bus.Find(1)->memory().IsWritten("statuses"));
        QVERIFY(!bus.Find(5)->memory().IsWritten("statuses"));

        // The submit's answer waits at 17 only; the panel of 1 stays ready.
        QCOMPARE(int(Ask(bus, StatusRequest(1), At19200, T0 + 1ms)[61]), 1);
        QCOMPARE(int(Ask(bus, StatusRequest(17), At9600, T0 + 1ms)[61]), 0);
        const auto later = T0 + 100ms;
        QVERIFY(Ask(bus, CollectRequest(1), At19200, later).empty());
        QVERIFY(Ask(bus, CollectRequest(5), At19200, later).empty());
        QCOMPARE(HexText(Ask(bus, CollectRequest(17), At9600, later)), HexText([] {
                     Bytes r = Hex("11 46 08 00 0B 47 0E 00 04");
                     Crc(r);
                     return r;
                 }()));

        bus.Find(5)->SetMode(2);
        QCOMPARE(int(Ask(bus, StatusRequest(1), At19200, later)[22]), 0);
        QCOMPARE(int(Ask(bus, StatusRequest(5), At19200, later)[22]), 2);
        QCOMPARE(bus.Find(5)->stats().writes, 1u);
        QCOMPARE(bus.Find(17)->stats().writes, 1u);
        QCOMPARE(bus.Find(1)->stats().writes, 0u);
    }

    // Each controller's sample knows its address and rate (setup parameters F01 and F02).
    void samplesFollowTheStation() {
        Bus bus(Config(), ThreeStations, T0);
        for (const auto& [address, fast] : {std::pair{1, true}, {5, true}, {17, false}}) {
            const auto& sample = bus.Find(address)->memory().Sample();
            QCOMPARE(int(sample.address), address);
            QCOMPARE(sample.fastBaud, fast);
            QCOMPARE(bus.Find(address)->Baud(), fast ? 19200 : 9600);
        }
        QVERIFY(bus.Find(9) == nullptr);
    }

    // "controller N" picks the controller the following commands go to; "controller N
    // COMMAND" runs one command there; without either they go to the first.
    void controlCommandsPickAController() {
        Bus bus(Config(), ThreeStations, T0);
        LinkSettings link;
        ControlCommands commands(bus, link, "");
        QCOMPARE(Lines(commands.Execute("controller", T0)),
                 (QStringList{"controller 1 baud 19200 selected", "controller 5 baud 19200",
                              "controller 17 baud 9600"}));
        QVERIFY(commands.Execute("mode run", T0).ok);
        QCOMPARE(int(bus.Find(1)->Mode()), 2);

        QVERIFY(commands.Execute("controller 5", T0).ok);
        QVERIFY(commands.Execute("version 500", T0).ok);
        QVERIFY(commands.Execute("fault noreply on status", T0).ok);
        QCOMPARE(Lines(commands.Execute("dump", T0)).value(0), "address 5");
        QVERIFY(Lines(commands.Execute("dump", T0)).contains("version 500"));
        QCOMPARE(bus.Find(1)->memory().SetupWord(99), 501);
        QCOMPARE(bus.Find(17)->memory().SetupWord(99), 501);
        QVERIFY(Ask(bus, StatusRequest(5), At19200).empty());
        QCOMPARE(Ask(bus, StatusRequest(1), At19200).size(), 64u);

        QVERIFY(commands.Execute("controller 17 baud 19200", T0).ok);
        QCOMPARE(bus.Find(17)->Baud(), 19200);
        QCOMPARE(Lines(commands.Execute("stats", T0)).value(0), "address 5");
        QCOMPARE(Lines(commands.Execute("controller 17 stats", T0)).value(0), "address 17");
        QCOMPARE(Lines(commands.Execute("controller 17 dump", T0)).value(0), "address 17");
        QCOMPARE(Lines(commands.Execute("dump", T0)).value(0), "address 5");

        // Two channels do not share their choice.
        ControlCommands other(bus, link, "");
        QCOMPARE(Lines(other.Execute("dump", T0)).value(0), "address 1");

        for (const char* bad : {"controller 9", "controller x", "controller 5 controller 1",
                                "controller 5 frobnicate", "controller 248"}) {
            const auto result = commands.Execute(bad, T0);
            QVERIFY2(!result.ok, bad);
        }
        QCOMPARE(&commands.Selected(), bus.Find(5));
    }

    // The counters of each controller, and the one that tells a line set otherwise.
    void statisticsPerController() {
        Bus bus(Config(), ThreeStations, T0);
        LinkSettings link;
        ControlCommands commands(bus, link, "");
        QVERIFY(Ask(bus, StatusRequest(17), At19200).empty());
        QCOMPARE(Ask(bus, StatusRequest(5), At19200).size(), 64u);
        const QStringList at17 = Lines(commands.Execute("controller 17 stats", T0));
        QVERIFY(at17.contains("line-mismatch 1"));
        QVERIFY(at17.contains("other-address 1"));
        QVERIFY(at17.contains("last-reject line set to 19200 8N2, controller 17 listens at "
                              "9600 8N2"));
        const QStringList at5 = Lines(commands.Execute("controller 5 stats", T0));
        QVERIFY(at5.contains("line-mismatch 0"));
        QVERIFY(at5.contains("status 1"));
        QVERIFY(commands.Execute("controller 17 stats reset", T0).ok);
        QCOMPARE(bus.Find(17)->stats().lineMismatch, 0u);
        QCOMPARE(bus.Find(5)->stats().status, 1u);
    }

    void anyLineCommand() {
        Bus bus(Config(), ThreeStations, T0);
        LinkSettings link;
        ControlCommands commands(bus, link, "");
        QVERIFY(Lines(commands.Execute("dump", T0)).contains("any-line off"));
        QVERIFY(commands.Execute("any-line on", T0).ok);
        QVERIFY(link.anyLine);
        QVERIFY(Lines(commands.Execute("dump", T0)).contains("any-line on"));
        QVERIFY(!commands.Execute("any-line maybe", T0).ok);
    }

    // The whole bus in one state file, each controller after its "controller N" line.
    void busStateFile() {
        Bus bus(Config(), ThreeStations, T0);
        const Bytes statuses = Pattern(42, 0x21);
        const Bytes group = Concat({{1}, Pattern(240, 0x55)});
        QVERIFY(bus.Find(5)->memory().Put("statuses", statuses));
        QVERIFY(bus.Find(17)->memory().Put("relays/1", group));
        bus.Find(17)->memory().SetSetupWord(99, 500);
        std::vector<ControllerMemory> memories;
        for (int a : {1, 5, 17}) memories.push_back({std::uint8_t(a), &bus.Find(a)->memory()});

        const std::string text = zyl::sim::SerializeBusState(memories);
        QCOMPARE(Text(text), "zyl200-sim state 1\n"
                             "controller 1\nsetup-word 98 47702\nsetup-word 99 501\n"
                             "controller 5\nsetup-word 98 47702\nsetup-word 99 501\n"
                             "block statuses " +
                                 Text(zyl::sim::ToHex(statuses)) +
                                 "\n"
                                 "controller 17\nsetup-word 98 47702\nsetup-word 99 500\n"
                                 "block relays/1 " +
                                 Text(zyl::sim::ToHex(group)) + "\n");

        Bus again(Config(), ThreeStations, T0);
        std::vector<ControllerMemory> loaded;
        for (int a : {1, 5, 17}) loaded.push_back({std::uint8_t(a), &again.Find(a)->memory()});
        std::string error;
        QVERIFY2(zyl::sim::ParseBusState(text, loaded, error), error.c_str());
        QCOMPARE(Text(zyl::sim::SerializeBusState(loaded)), Text(text));
        QCOMPARE(HexText(Data(Ask(again, Request(17, false, 'F', 0x0C, {1}), At9600))),
                 HexText(group));
        QCOMPARE(Ask(again, Request(17, false, 'F', 0x0B, {0, 0}), At9600).size(), 267u);
        QCOMPARE(Ask(again, Request(1, false, 'F', 0x0B, {0, 0}), At19200).size(), 227u);
    }

    // Which controller a state file's lines go to, and the files a bus refuses as a whole.
    void busStateParsing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("holders"); // controllers holding statuses; "!" refused
        QTest::addColumn<int>("errorLine");   // the line an error names; 0 none
        const QByteArray block = "block statuses " + ToQ(Pattern(42, 3)).toHex() + "\n";
        const QByteArray head = "zyl200-sim state 1\n";
        QTest::newRow("one controller's file goes to the first") << head + block << "1" << 0;
        QTest::newRow("a section") << head + "controller 17\n" + block << "17" << 0;
        QTest::newRow("before and in sections")
            << head + block + "controller 5\n" + block + "controller 17\n"
            << "1 5" << 0;
        QTest::newRow("comments between")
            << "# bus\n" + head + "controller 5\n# five\n\n" + block << "5" << 0;
        QTest::newRow("controller not on the bus") << head + "controller 9\n" + block << "!" << 2;
        QTest::newRow("controller twice") << head + "controller 5\n" + block + "controller 5\n"
                                          << "!" << 4;
        QTest::newRow("controller without address") << head + "controller\n"
                                                    << "!" << 2;
        QTest::newRow("controller with more") << head + "controller 5 6\n"
                                              << "!" << 2;
        QTest::newRow("bad block in the last section")
            << head + "controller 5\n" + block + "controller 17\nblock statuses 00\n"
            << "!" << 5;
        QTest::newRow("section before the header") << "controller 5\n" + head << "!" << 1;
    }
    void busStateParsing() {
        QFETCH(QByteArray, text);
        QFETCH(QString, holders);
        QFETCH(int, errorLine);
        Bus bus(Config(), ThreeStations, T0);
        // Something written everywhere: an accepted file replaces it, a refused one keeps it.
        std::vector<ControllerMemory> memories;
        for (int a : {1, 5, 17}) {
            QVERIFY(bus.Find(a)->memory().Put("pid", Pattern(116, std::uint8_t(a))));
            memories.push_back({std::uint8_t(a), &bus.Find(a)->memory()});
        }
        std::string error;
        const bool accepted = zyl::sim::ParseBusState(text.toStdString(), memories, error);
        QCOMPARE(accepted, holders != "!");
        QCOMPARE(error.empty(), accepted);
        if (errorLine > 0)
            QVERIFY2(Text(error).startsWith(QString("line %1: ").arg(errorLine)), error.c_str());
        QStringList got;
        for (int a : {1, 5, 17}) {
            QCOMPARE(bus.Find(a)->memory().IsWritten("pid"), !accepted);
            if (bus.Find(a)->memory().IsWritten("statuses")) got << QString::number(a);
        }
        if (accepted) QCOMPARE(got.join(' '), holders);
    }

    // save and load through the control channel carry the whole bus, whichever controller
    // is picked; clear forgets only the picked one's blocks.
    void busStateThroughCommands() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("bus.txt").toStdString();
        Bus bus(Config(), ThreeStations, T0);
        LinkSettings link;
        ControlCommands commands(bus, link, path);
        const Bytes group = Concat({{3}, Pattern(240, 0x12)});
        QCOMPARE(Ask(bus, Request(5, false, 'G', 0x0C, group), At19200).size(), 11u);
        QCOMPARE(Ask(bus, Request(17, false, 'G', 0x0C, group), At9600).size(), 11u);
        QVERIFY(commands.Execute("controller 17 save", T0).ok);

        Bus other(Config(), ThreeStations, T0);
        ControlCommands otherCommands(other, link, "");
        const auto loaded = otherCommands.Execute("load " + path, T0);
        QVERIFY2(loaded.ok, loaded.error.c_str());
        QVERIFY(!other.Find(1)->memory().IsWritten("relays/3"));
        QCOMPARE(HexText(other.Find(5)->memory().Get("relays/3")), HexText(group));
        QCOMPARE(HexText(other.Find(17)->memory().Get("relays/3")), HexText(group));

        QVERIFY(otherCommands.Execute("controller 5 clear", T0).ok);
        QVERIFY(!other.Find(5)->memory().IsWritten("relays/3"));
        QVERIFY(other.Find(17)->memory().IsWritten("relays/3"));
    }
};

QTEST_GUILESS_MAIN(TestSimBus)
#include "tst_simbus.moc"
