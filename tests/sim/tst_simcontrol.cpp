#include "SimSupport.h"
#include "sim/Commands.h"
#include "sim/StateFile.h"

#include <QtTest>

#include <chrono>
#include <fstream>

using namespace simtest;
using zyl::sim::ControlCommands;
using zyl::sim::Engine;
using zyl::sim::EngineConfig;
using zyl::sim::LinkSettings;
using zyl::sim::Memory;
using namespace std::chrono_literals;

namespace {

using Clock = Engine::Clock;
const Clock::time_point T0 = Clock::time_point{} + 1h;

EngineConfig Config() {
    EngineConfig c;
    c.clock = {2024, 5, 6, 7, 8, 9};
    return c;
}

Bytes Ask(Engine& e, const Bytes& frame, Clock::time_point t = T0) {
    for (auto& x : e.Receive(frame, t))
        if (!x.reply.empty()) return x.reply;
    return {};
}

QStringList Lines(const ControlCommands::Result& r) {
    QStringList lines;
    for (const auto& l : r.lines) lines << QString::fromStdString(l);
    return lines;
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

class TestSimControl : public QObject {
    Q_OBJECT
private slots:
    // A command, then a request whose reply shows the change at an offset.
    void commandsChangeReplies_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected"); // empty: no reply at all
        const QByteArray status = ToQ(StatusRequest(1));
        const QByteArray setup = ToQ(Request(1, false, 'F', 0x0A));
        QTest::newRow("mode run") << "mode run" << status << 22 << QByteArray("02");
        QTest::newRow("mode byte") << "mode 193" << status << 22 << QByteArray("C1");
        QTest::newRow("version") << "version 500" << setup << 9 + 198 << QByteArray("01 F4");
        QTest::newRow("predefined layout")
            << "menu-layout predefined" << setup << 9 + 196 << QByteArray("00 00");
        QTest::newRow("layout mark")
            << "menu-layout 0x56BA" << setup << 9 + 196 << QByteArray("56 BA");
        QTest::newRow("setup word") << "setup-word 1 7" << setup << 9 + 2 << QByteArray("00 07");
        QTest::newRow("clock") << "clock 2030-01-02 03:04:05" << status << 5
                               << QByteArray("1E 01 02 03 04 05");
        QTest::newRow("measured value") << "status-byte 15 99" << status << 15 << QByteArray("63");
        QTest::newRow("converter zero") << "lead-zero on" << status << 0 << QByteArray("00 01 46");
        QTest::newRow("fault") << "fault noreply on status" << status << 0 << QByteArray();
        QTest::newRow("fault for other replies")
            << "fault noreply on direct" << status << 0 << QByteArray("01 46 00");
    }
    void commandsChangeReplies() {
        QFETCH(QString, command);
        QFETCH(QByteArray, request);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        Engine e(Config(), T0);
        LinkSettings link;
        ControlCommands commands(e, link, "");
        const auto result = commands.Execute(command.toStdString(), T0);
        QVERIFY2(result.ok, result.error.c_str());
        const Bytes reply = Ask(e, FromQ(request));
        const Bytes want = Hex(expected.constData());
        if (want.empty()) {
            QVERIFY(reply.empty());
            return;
        }
        QVERIFY(reply.size() >= offset + want.size());
        QCOMPARE(HexText(Bytes(reply.begin() + offset, reply.begin() + offset + want.size())),
                 HexText(want));
    }

    void commandErrors_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("mode word") << "mode fast";
        QTest::newRow("negative delay") << "panel-delay -1";
        QTest::newRow("fault kind") << "fault explode";
        QTest::newRow("version too large") << "version 40000";
        QTest::newRow("clock before 2000") << "clock 1999-12-31 23:59:59";
        QTest::newRow("clock on 30 February") << "clock 2024-02-30 12:00:00";
        QTest::newRow("status mode byte") << "status-byte 22 1";
        QTest::newRow("status checksum byte") << "status-byte 62 1";
        QTest::newRow("baud") << "baud 4800";
        QTest::newRow("dump of nothing") << "dump nosuch";
        QTest::newRow("save without a file") << "save";
        QTest::newRow("unknown") << "frobnicate";
    }
    void commandErrors() {
        QFETCH(QString, command);
        Engine e(Config(), T0);
        LinkSettings link;
        ControlCommands commands(e, link, "");
        const auto result = commands.Execute(command.toStdString(), T0);
        QVERIFY(!result.ok);
        QVERIFY(Text(ControlCommands::Render(result)).startsWith("error "));
        QVERIFY(Text(ControlCommands::Render(result)).endsWith("\n"));
    }

    void panelDelayCommand() {
        Engine e(Config(), T0);
        LinkSettings link;
        ControlCommands commands(e, link, "");
        QVERIFY(commands.Execute("panel-delay 300", T0).ok);
        QCOMPARE(Ask(e, Request(1, true, 'F', 0x0A), T0).size(), 7u);
        QCOMPARE(int(Ask(e, StatusRequest(1), T0 + 299ms)[61]), 0);
        QCOMPARE(int(Ask(e, StatusRequest(1), T0 + 300ms)[61]), 1);
        QVERIFY(commands.Execute("pacing off", T0).ok);
        QVERIFY(commands.Execute("baud 9600", T0).ok);
        QVERIFY(!link.pacing);
        QCOMPARE(e.Baud(), 9600);
    }

    void dumpShowsStoredWireBytes() {
        Engine e(Config(), T0);
        LinkSettings link;
        ControlCommands commands(e, link, "");
        const Bytes group = Concat({{2}, Pattern(240, 0x44)});
        QCOMPARE(Ask(e, Request(1, false, 'G', 0x0C, group)).size(), 11u);

        const QStringList relays = Lines(commands.Execute("dump relays", T0));
        QCOMPARE(relays.size(), 6);
        QCOMPARE(relays[2], "relays/2 written " + QString::fromStdString(zyl::sim::ToHex(group)));
        const Bytes sampleRead = Ask(e, Request(1, false, 'F', 0x0C, {0}));
        QCOMPARE(relays[0],
                 "relays/0 sample " + QString::fromStdString(zyl::sim::ToHex(
                                          Bytes(sampleRead.begin() + 9, sampleRead.end() - 2))));
        QCOMPARE(Lines(commands.Execute("dump all", T0)), QStringList{relays[2]});
        QCOMPARE(Lines(commands.Execute("dump relays/2", T0)), QStringList{relays[2]});
        QCOMPARE(Lines(commands.Execute("dump programs/4/3", T0)).size(), 3);
        QCOMPARE(Lines(commands.Execute("dump panel/structure", T0)).size(), 3);
        QCOMPARE(Text(ControlCommands::Render(commands.Execute("dump relays/2", T0))),
                 relays[2] + "\nok\n");

        const QStringList summary = Lines(commands.Execute("dump", T0));
        QVERIFY(summary.contains("version 501"));
        QVERIFY(summary.contains("block-count 3"));
        QVERIFY(summary.contains("mode 0 stop"));
        QVERIFY(summary.contains("menu-layout structure BA56"));
        QVERIFY(summary.contains("written-blocks 1"));
    }

    void statistics() {
        Engine e(Config(), T0);
        LinkSettings link;
        ControlCommands commands(e, link, "");
        QCOMPARE(Ask(e, Request(1, false, 'F', 0x0C, {1})).size(), 252u);
        QVERIFY(Ask(e, Request(1, false, 'F', 0x0C, {9})).empty());
        QCOMPARE(Ask(e, Request(1, true, 'G', 0x0E, Pattern(42, 0))).size(), 7u);
        const QStringList stats = Lines(commands.Execute("stats", T0));
        QVERIFY(stats.contains("command direct F0C 1"));
        QVERIFY(stats.contains("command submit G0E 1"));
        QVERIFY(stats.contains("rejected 1"));
        QVERIFY(stats.contains("writes 1"));
        QVERIFY(stats.contains("last-reject direct F0C: group 9 does not exist"));
        QVERIFY(commands.Execute("stats reset", T0).ok);
        QVERIFY(Lines(commands.Execute("stats", T0)).contains("frames 0"));
    }

    void stateFileFormat() {
        Memory memory;
        QVERIFY(memory.Put("relays/0", Concat({{0}, Pattern(240, 1)})));
        QVERIFY(memory.Put("setup", Pattern(202, 2)));
        const std::string expected = "zyl200-sim state 1\nblock setup " +
                                     zyl::sim::ToHex(Pattern(202, 2)) + "\nblock relays/0 " +
                                     zyl::sim::ToHex(Concat({{0}, Pattern(240, 1)})) + "\n";
        QCOMPARE(Text(zyl::sim::SerializeState(memory)), Text(expected));
    }

    void stateFileKeepsSampleSetupWords() {
        Memory memory;
        memory.SetSetupWord(99, 500);
        memory.SetSetupWord(12, 45);
        QCOMPARE(Text(zyl::sim::SerializeState(memory)),
                 "zyl200-sim state 1\nsetup-word 12 45\nsetup-word 98 47702\n"
                 "setup-word 99 500\n");
        Memory loaded;
        std::string error;
        QVERIFY(zyl::sim::ParseState(zyl::sim::SerializeState(memory), loaded, error));
        QCOMPARE(HexText(loaded.Get("setup")), HexText(memory.Get("setup")));
    }

    void stateFileThroughCommands() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("state.txt").toStdString();
        Engine e(Config(), T0);
        LinkSettings link;
        ControlCommands commands(e, link, path);
        const Bytes part = Concat({{1, 9}, Pattern(214, 0x5A)});
        QCOMPARE(Ask(e, Request(1, false, 'G', 0x0B, part)).size(), 11u);
        const Bytes page = Pattern(264, 0x11);
        QCOMPARE(Ask(e, Request(1, false, 'D', 0x24, Concat({{0x01, 0x08}, page}))).size(), 13u);
        QVERIFY(commands.Execute("save", T0).ok);

        Engine other(Config(), T0);
        ControlCommands otherCommands(other, link, "");
        const auto loaded = otherCommands.Execute("load " + path, T0);
        QVERIFY2(loaded.ok, loaded.error.c_str());
        const Bytes read = Ask(other, Request(1, false, 'F', 0x0B, {1, 9}));
        QCOMPARE(HexText(Bytes(read.begin() + 9, read.end() - 2)), HexText(part));
        const Bytes pageRead = Ask(other, Request(1, false, 'D', 0x21, {0x01, 0x08}));
        QCOMPARE(HexText(Bytes(pageRead.begin() + 11, pageRead.end() - 2)), HexText(page));
        QCOMPARE(Text(zyl::sim::SerializeState(other.memory())),
                 Text(zyl::sim::SerializeState(e.memory())));
        QVERIFY(otherCommands.Execute("clear", T0).ok);
        QVERIFY(other.memory().Written().empty());
    }

    void stateFileParsing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("accepted");
        const QByteArray block = "block statuses " + ToQ(Pattern(42, 3)).toHex() + "\n";
        QTest::newRow("plain") << "zyl200-sim state 1\n" + block << true;
        QTest::newRow("comments, blank lines, CRLF")
            << "# seeded by a test\r\n\r\nzyl200-sim state 1\r\n" + block.chopped(1) + "\r\n"
            << true;
        QTest::newRow("no blocks") << QByteArray("zyl200-sim state 1\n") << true;
        QTest::newRow("sample setup words")
            << QByteArray("zyl200-sim state 1\nsetup-word 99 500\nsetup-word 5 2\n") << true;
        QTest::newRow("setup word 101")
            << QByteArray("zyl200-sim state 1\nsetup-word 101 0\n") << false;
        QTest::newRow("setup word too large")
            << QByteArray("zyl200-sim state 1\nsetup-word 99 65536\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("wrong header") << "state\n" + block << false;
        QTest::newRow("unknown block")
            << QByteArray("zyl200-sim state 1\nblock nosuch 00\n") << false;
        QTest::newRow("wrong size")
            << QByteArray("zyl200-sim state 1\nblock relays/0 0011\n") << false;
        QTest::newRow("bad hex") << QByteArray("zyl200-sim state 1\nblock setup XYZ\n") << false;
        QTest::newRow("odd digits") << QByteArray("zyl200-sim state 1\nblock pid 001\n") << false;
        QTest::newRow("unknown word") << QByteArray("zyl200-sim state 1\nblok setup 00\n") << false;
        QTest::newRow("panel block too large")
            << "zyl200-sim state 1\nblock panel/structure/user-block " +
                   QByteArray(2 * (Memory::PanelCapacity + 1), '0') + "\n"
            << false;
    }
    void stateFileParsing() {
        QFETCH(QByteArray, text);
        QFETCH(bool, accepted);
        Memory memory;
        QVERIFY(memory.Put("pid", Pattern(116, 9)));
        std::string error;
        QCOMPARE(zyl::sim::ParseState(text.toStdString(), memory, error), accepted);
        QCOMPARE(error.empty(), accepted);
        // A refused file leaves the memory as it was; an accepted one replaces it.
        QCOMPARE(memory.IsWritten("pid"), !accepted);
        if (accepted && text.contains("statuses"))
            QCOMPARE(HexText(memory.Get("statuses")), HexText(Pattern(42, 3)));
        if (accepted && text.contains("setup-word")) {
            QCOMPARE(memory.SetupWord(99), 500);
            QCOMPARE(memory.SetupWord(5), 2);
            QVERIFY(!memory.IsWritten("setup"));
        }
    }

    void blockNames_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("size"); // -1: not a block
        QTest::newRow("setup") << "setup" << 202;
        QTest::newRow("relays/5") << "relays/5" << 241;
        QTest::newRow("relays/6") << "relays/6" << -1;
        QTest::newRow("alarms/1") << "alarms/1" << 265;
        QTest::newRow("process-parameters/1") << "process-parameters/1" << 161;
        QTest::newRow("programs/100/3/2") << "programs/100/3/2" << 216;
        QTest::newRow("programs/0/2/1") << "programs/0/2/1" << 256;
        QTest::newRow("programs/0/2/2") << "programs/0/2/2" << -1;
        QTest::newRow("programs/101/3/0") << "programs/101/3/0" << -1;
        QTest::newRow("panel code table") << "panel/predefined/code-table" << 4;
        QTest::newRow("panel user block") << "panel/structure/user-block" << 0;
        QTest::newRow("relays") << "relays" << -1;
        QTest::newRow("relays/x") << "relays/x" << -1;
    }
    void blockNames() {
        QFETCH(QString, key);
        QFETCH(int, size);
        const auto got = Memory::SizeOf(key.toStdString());
        QCOMPARE(got ? int(*got) : -1, size);
        if (size > 0) QCOMPARE(int(Memory().Get(key.toStdString()).size()), size);
    }

    // Every sample block has its block's size and repeats its own group, part and program.
    void sampleBlocksFitTheirNames() {
        const Memory memory;
        for (const std::string& key : Memory::Keys()) {
            const Bytes sample = memory.Get(key);
            const std::size_t size = *Memory::SizeOf(key);
            if (size > 0)
                QVERIFY2(sample.size() == size, key.c_str());
            else
                QVERIFY2(!sample.empty() && sample.size() <= Memory::PanelCapacity, key.c_str());
            const QStringList parts = QString::fromStdString(key).split('/');
            if (parts.size() == 2) QVERIFY2(int(sample[0]) == parts[1].toInt(), key.c_str());
            if (parts[0] == "programs") {
                QVERIFY2(int(sample[0]) == parts[3].toInt(), key.c_str());
                QVERIFY2(int(sample[1]) == parts[1].toInt(), key.c_str());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSimControl)
#include "tst_simcontrol.moc"
