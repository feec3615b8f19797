#include "ZylctlCommands.h"

#include "MenuCommands.h"
#include "ProjectTextCommands.h"
#include "TerminalHost.h"
#include "core/ControllerAccess.h"
#include "core/ControllerScan.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "editors/TextRules.h"
#include "editors/alarms/Alarms.h"
#include "editors/analog/AnalogOutputs.h"
#include "editors/pid/PidRegulators.h"
#include "editors/processes/Processes.h"
#include "editors/programs/Programs.h"
#include "editors/relays/Relays.h"
#include "editors/statuses/SpecialStatuses.h"
#include "link/Commands.h"
#include "link/PortList.h"
#include "link/QtSerialPort.h"
#include "panel/CodePage.h"
#include "project/BlockFile.h"
#include "project/ProjectFiles.h"
#include "project/ProjectImage.h"
#include "service/Passwords.h"
#include "service/SetupTransfer.h"
#include "transfer/ProjectTransfer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace zyl::cli {

namespace {

constexpr const char* Usage =
    "usage: zylctl [LINK OPTIONS] COMMAND [ARGS]\n"
    "link options: --port COMn|DEVICE  --baud 9600|19200  --address N  --module|--direct\n"
    "              --code-page standard|cyrillic|polish|pc852  --log  --timeout MS\n"
    "              --reset|--no-reset\n"
    "commands:     ping | status | reset | set-clock [YYYY-MM-DDTHH:MM] | ports\n"
    "              read BLOCK FILE | write BLOCK FILE\n"
    "              read menu FILE.mpl [--cust A,B] | write menu FILE.mpl [--cust A,B]\n"
    "              check menu FILE.mpl\n"
    "              dump FILE [--json] | build FILE.json OUT | diff FILE1 FILE2\n"
    "              report FILE --pdf|--html OUT\n"
    "              scan [--baud LIST] [--addresses A-B]\n";

struct Options {
    std::optional<std::string> port;
    std::optional<int> baud;
    std::optional<int> address;
    std::optional<bool> module;
    std::optional<int> codePage;
    std::optional<int> timeout;
    bool log = false;
    bool reset = false;
    std::vector<std::string> words; // the command and its arguments
};

struct Session;

// One block as the command line moves it: read from the controller into a block file, or
// a block file of whole records sent to the controller.
struct BlockCommand {
    std::string name;
    std::function<int(Session&, const std::string& file)> read;
    std::function<int(Session&, const std::string& file)> write;
};

const std::vector<BlockCommand>& BlockCommands();

int UsageError(const std::string& what) {
    std::string blocks;
    for (const BlockCommand& b : BlockCommands()) blocks += (blocks.empty() ? "" : ", ") + b.name;
    std::fprintf(stderr, "zylctl: %s\n%s              (BLOCK: %s)\n", what.c_str(), Usage,
                 blocks.c_str());
    return ExitUsage;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = std::stoi(text);
    return true;
}

// Returns an error text, or empty on success.
std::string ParseOptions(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        int n = 0;
        // After "scan", --baud is the list of rates to scan; scan reads it with its own.
        if (!o.words.empty() && o.words[0] == "scan" && (a == "--baud" || a == "--addresses")) {
            o.words.push_back(a);
            if (value(v)) o.words.push_back(v);
            continue;
        }
        // The project commands' own options; they read them with their arguments.
        if (!o.words.empty() && (o.words[0] == "read-project" || o.words[0] == "write-project") &&
            (a == "--blocks" || a == "--backup" || a == "--compare" || a == "--verify")) {
            o.words.push_back(a);
            if ((a == "--blocks" || a == "--backup") && value(v)) o.words.push_back(v);
            continue;
        }
        if (!o.words.empty() && ((o.words[0] == "dump" && a == "--json") ||
                                 (o.words[0] == "report" && (a == "--pdf" || a == "--html")))) {
            o.words.push_back(a);
            continue;
        }
        // The menu's selectors.
        if (o.words.size() >= 2 && o.words[1] == "menu" && a == "--cust") {
            o.words.push_back(a);
            if (value(v)) o.words.push_back(v);
            continue;
        }
        if (a == "--port") {
            if (!value(v)) return "--port needs a value";
            o.port = v;
        } else if (a == "--baud") {
            if (!value(v) || (v != "9600" && v != "19200")) return "--baud takes 9600 or 19200";
            o.baud = v == "19200" ? 1 : 0;
        } else if (a == "--address") {
            if (!value(v) || !ParseInt(v, n) || n > 247) return "--address takes 0 to 247";
            o.address = n;
        } else if (a == "--module") {
            o.module = true;
        } else if (a == "--direct") {
            o.module = false;
        } else if (a == "--code-page") {
            static const std::map<std::string, int> pages = {
                {"standard", 0}, {"cyrillic", 1}, {"polish", 2}, {"pc852", 3}};
            if (!value(v) || !pages.count(v))
                return "--code-page takes standard, cyrillic, polish or pc852";
            o.codePage = pages.at(v);
        } else if (a == "--log") {
            o.log = true;
        } else if (a == "--timeout") {
            if (!value(v) || !ParseInt(v, n)) return "--timeout takes milliseconds";
            o.timeout = n;
        } else if (a == "--reset") {
            o.reset = true;
        } else if (a == "--no-reset") {
            o.reset = false;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return "unknown option " + a;
        } else {
            o.words.push_back(a);
        }
    }
    return {};
}

// A COM port name "COM1".."COM16": its index 0..15, else -1.
int ComIndex(const std::string& name) {
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return -1;
    int n = 0;
    if (!ParseInt(name.substr(3), n) || n < 1 || n > 16) return -1;
    return n - 1;
}

// Everything a command needs, set up from the settings files and the options.
struct Session {
    TerminalHost host;
    AppSettings settings;
    FixedLinkControls controls;
    std::unique_ptr<QtSerialPort> port;
    std::unique_ptr<TFkomunikacja> link;
    std::unique_ptr<ControllerAccess> access;
};

std::string SetUp(const Options& o, Session& s) {
    const std::string folder = ProgramFolder();
    IniFile ini;
    ini.Load(ProgramFile(SettingsFileName));
    s.settings = ReadAppSettings(ini);
    IniFile linkIni;
    linkIni.Load(ProgramFile(LinkControlsFileName));
    const LinkControlValues saved = ReadLinkControls(linkIni);
    s.controls.port = saved.portIndex;
    s.controls.baud = saved.baudIndex;
    s.controls.address = saved.address;
    if (o.port) {
        const int index = ComIndex(*o.port);
        if (index >= 0) {
            s.controls.port = index;
        } else if (!o.port->empty() && (*o.port)[0] == '/') {
            // A device path stands for COM1 of this run.
            s.controls.port = 0;
            s.settings.ports[1] = *o.port;
        } else {
            return "--port takes COM1..COM16 or a device path";
        }
    }
    if (o.baud) s.controls.baud = *o.baud;
    if (o.address) s.controls.address = *o.address;
    if (o.timeout) s.settings.tuning.timeoutStand = TimeoutStandRange.Bound(*o.timeout);
    s.host.answerResetYes = o.reset;

    s.port = std::make_unique<QtSerialPort>(s.settings.ports);
    s.link = std::make_unique<TFkomunikacja>(*s.port);
    s.link->SetTuning(s.settings.tuning);
    s.link->codePage = o.codePage.value_or(s.settings.StronaKodowa);
    if (o.log) s.link->EnableLog(folder);
    s.access = std::make_unique<ControllerAccess>(*s.link, s.host, s.controls, s.settings);
    s.access->moduleMode = o.module.value_or(s.settings.JestModul == 1);
    return {};
}

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

void WatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int ExitFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return ExitOk;
    case Outcome::NotStopped:
        return ExitNotStopped;
    case Outcome::Cancelled:
        return ExitInterrupted;
    case Outcome::Refused:
        return ExitFileError;
    case Outcome::NoCommunication:
        break;
    }
    return ExitNoCommunication;
}

int Ping(Session& s) {
    const bool ok = s.access->ConnectionTest();
    std::printf("%s\n", ok ? "OK" : "ERR");
    if (!ok) s.access->ReportNoCommunication();
    return ok ? ExitOk : ExitNoCommunication;
}

int Status(Session& s) {
    ControllerAccess& a = *s.access;
    a.ReadLinkSettings();
    TControllerStatus st{};
    if (ReadModuleStatus(a.link, st, a.DeviceAddress, a.linkParams) != LinkOk) {
        s.access->ReportNoCommunication();
        return ExitNoCommunication;
    }
    std::printf("date: %04d-%02d-%02d\n", st.Year, st.Month, st.Day);
    std::printf("time: %02d:%02d:%02d\n", st.Hour, st.Minute, st.Second);
    std::printf("mode: %d (%s)\n", st.Mode, IsStopMode(st) ? "STOP" : "RUN");
    std::printf("panel-ready: %d\n", st.PanelReady ? 1 : 0);
    std::printf("temperature: %s\n", FormatFixed(st.Temperature, 1).c_str());
    std::printf("rotation: %s\n", FormatFixed(st.Rotation, 1).c_str());
    std::printf("vacuum: %d\n", st.Vacuum);
    const double channels[] = {st.Channel3, st.Channel4, st.Channel5,  st.Channel6,  st.Channel7,
                               st.Channel8, st.Channel9, st.Channel10, st.Channel11, st.Channel12};
    for (int i = 0; i < 10; ++i)
        std::printf("channel-%d: %s\n", i + 3, FormatFixed(channels[i], 1).c_str());
    std::printf("last-recording-address: %d\n", st.LastRecordingAddress);
    std::printf("previous-recording-address: %d\n", st.PreviousRecordingAddress);
    return ExitOk;
}

int Reset(Session& s) {
    // The explicit command answers its own question with Yes.
    s.host.answerResetYes = true;
    s.access->DeviceReset();
    if (s.host.Said(MsgStopMode)) return ExitNotStopped;
    if (!s.settings.PytajOReset) {
        std::fprintf(stderr, "zylctl: resets are switched off (PytajOReset)\n");
        return ExitOk;
    }
    return ExitOk;
}

bool ParseClock(const std::string& text, ClockTime& t) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &y, &mo, &d, &h, &mi, &tail) != 5)
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || y < 1900 || y > 2255)
        return false;
    t = {y, mo, d, h, mi, 0};
    return true;
}

int SetClock(Session& s, const std::vector<std::string>& args) {
    ClockTime t;
    if (args.size() > 1) return UsageError("set-clock takes at most one date-time");
    if (args.size() == 1) {
        if (!ParseClock(args[0], t)) return UsageError("set-clock takes YYYY-MM-DDTHH:MM");
    } else {
        const std::time_t now = std::time(nullptr);
        const std::tm local = *std::localtime(&now);
        t = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, 0};
    }
    ControllerAccess& a = *s.access;
    a.ReadLinkSettings();
    if (SetControllerClock(a.link, t, a.DeviceAddress, a.linkParams) != LinkOk) {
        s.access->ReportNoCommunication();
        return ExitNoCommunication;
    }
    if (a.moduleMode) {
        if (a.PanelWait() != PanelWaitOutcome::Ready ||
            CollectAck(a.link, 4, a.DeviceAddress, a.linkParams) != LinkOk) {
            s.access->ReportNoCommunication();
            return ExitNoCommunication;
        }
    }
    return ExitOk;
}

} // namespace

int FileFailure(const std::string& error) {
    std::fprintf(stderr, "zylctl: %s\n", error.c_str());
    return ExitFileError;
}

namespace {

// The host has shown the messages the windows show; a failure they pass over in silence
// still gets "No communication" here (with how far the transfer got, see TerminalHost).
int TransferFailure(Session& s, Outcome outcome) {
    if (outcome == Outcome::NotStopped) return ExitNotStopped;
    if (outcome == Outcome::Cancelled) {
        std::fprintf(stderr, "zylctl: interrupted\n");
        return ExitInterrupted;
    }
    if (!s.host.Said(MsgNoCommunication)) s.access->ReportNoCommunication();
    return ExitFor(outcome);
}

template <class Record, std::size_t N>
using BlockTransfer = std::function<Outcome(ControllerAccess&, std::span<Record, N>)>;

// packetNoun names the packets in the plural ("relay groups"), or the block itself when it
// moves in one packet; recordName names a record in the file messages.
template <class Record, std::size_t N>
BlockCommand MakeBlockCommand(std::string name, int packets, std::string packetNoun,
                              std::string recordName, BlockTransfer<Record, N> read,
                              BlockTransfer<Record, N> write) {
    BlockCommand command;
    command.name = std::move(name);
    command.read = [=](Session& s, const std::string& file) -> int {
        // A target that cannot be written is refused before the controller is asked.
        if (const FileStatus target = CheckWritable(file); !target)
            return FileFailure(target.error);
        std::vector<Record> records(N);
        s.host.BeginTransfer(packets, packetNoun, "read");
        const Outcome outcome = read(*s.access, std::span<Record, N>(records.data(), N));
        if (outcome != Outcome::Ok) return TransferFailure(s, outcome);
        if (const FileStatus written = WriteBlockFile<Record>(file, records); !written)
            return FileFailure(written.error);
        return ExitOk;
    };
    command.write = [=](Session& s, const std::string& file) -> int {
        std::vector<Record> records(N);
        const BlockFileRead got = ReadBlockFile<Record>(file, records);
        if (!got.Whole(int(N)))
            return FileFailure(NotWholeBlockReason(file, got, int(N), sizeof(Record), recordName) +
                               "; nothing sent");
        s.host.BeginTransfer(packets, packetNoun, "written");
        const Outcome outcome = write(*s.access, std::span<Record, N>(records.data(), N));
        if (outcome != Outcome::Ok) return TransferFailure(s, outcome);
        return ExitOk;
    };
    return command;
}

// A process table moves inside a project image of its own, at the variant's place (a table
// write numbers both tables), so that the command line runs the windows' own transfers. The
// step presets follow the two group packets; when they fail, that is said after the count.
BlockTransfer<TProcessRecord, ProcessCount> ProcessTableTransfer(bool washing, bool write) {
    return [washing, write](ControllerAccess& a, std::span<TProcessRecord, ProcessCount> table) {
        auto project = std::make_unique<Project>();
        const auto inImage = ProcessTable(project->image, washing);
        std::copy(table.begin(), table.end(), inImage.begin());
        const ProcessTransferResult result =
            write ? WriteProcessesToController(a, project->image, washing)
                  : ReadProcessesFromController(a, project->image, washing);
        if (result.outcome == Outcome::Ok) std::copy(inImage.begin(), inImage.end(), table.begin());
        if (result.outcome == Outcome::NoCommunication && result.groupsDone) {
            // The window passes over a failed step-preset write in silence.
            if (write) a.ReportNoCommunication();
            std::fprintf(stderr, "zylctl: step presets not %s\n", write ? "written" : "read");
        }
        return result.outcome;
    };
}

// Programs 1 to 99 move inside the 100 programs of an image, as the list moves them (program
// 100 numbered but not sent).
BlockTransfer<TProgramRecord, ListedProgramCount> ProgramListTransfer(bool write) {
    return [write](ControllerAccess& a, std::span<TProgramRecord, ListedProgramCount> file) {
        auto programs = std::make_unique<std::array<TProgramRecord, ProgramCount>>();
        std::copy(file.begin(), file.end(), programs->begin());
        const Outcome outcome = write ? WriteProgramsToController(a, *programs)
                                      : ReadProgramsFromController(a, *programs);
        std::copy_n(programs->begin(), ListedProgramCount, file.begin());
        return outcome;
    };
}

// The WASHING program as the main window's button hands it to the editor: number 101, name
// "WASHING".
BlockTransfer<TProgramRecord, 1> WashingProgramTransfer(bool write) {
    return [write](ControllerAccess& a, std::span<TProgramRecord, 1> file) {
        TProgramRecord& program = file[0];
        program.Number = WashingProgramNumber;
        if (!write) return ReadProgramFromController(a, program);
        SetWashingName(program);
        return WriteProgramToController(a, program);
    };
}

const std::vector<BlockCommand>& BlockCommands() {
    static const std::vector<BlockCommand> commands = {
        MakeBlockCommand<TSetupBlock, 1>(
            "setup", 1, "setup block", "setup block",
            [](ControllerAccess& a, std::span<TSetupBlock, 1> b) {
                return ReadSetupFromController(a, b[0]);
            },
            [](ControllerAccess& a, std::span<TSetupBlock, 1> b) {
                return SendSetupToController(a, b[0]);
            }),
        // The 550 bytes of the project's password side file.
        MakeBlockCommand<TPasswordBlock, 1>(
            "passwords", 1, "password block", "password block",
            [](ControllerAccess& a, std::span<TPasswordBlock, 1> b) {
                return ReadPasswordsFromController(a, b[0]);
            },
            [](ControllerAccess& a, std::span<TPasswordBlock, 1> b) {
                return SendPasswordsToController(a, b[0]);
            }),
        MakeBlockCommand<TRelayRecord, RelayCount>("relays", RelayTransferRules.P, "relay groups",
                                                   "relay record", ReadRelaysFromController,
                                                   WriteRelaysToController),
        MakeBlockCommand<TAlarmRecord, AlarmCount>("alarms", AlarmTransferRules.P, "alarm groups",
                                                   "alarm record", ReadAlarmsFromController,
                                                   WriteAlarmsToController),
        MakeBlockCommand<TSpecialStatusRecord, SpecialStatusCount>(
            "special-statuses", 1, "special statuses", "special-status record",
            ReadSpecialStatusesFromController, WriteSpecialStatusesToController),
        MakeBlockCommand<TProcessRecord, ProcessCount>(
            "processes", ProcessTransferRules.P, "process groups", "process record",
            ProcessTableTransfer(false, false), ProcessTableTransfer(false, true)),
        MakeBlockCommand<TProcessRecord, ProcessCount>(
            "processes-washing", ProcessTransferRules.P, "process groups", "process record",
            ProcessTableTransfer(true, false), ProcessTableTransfer(true, true)),
        MakeBlockCommand<TProgramRecord, ListedProgramCount>(
            "programs", ListedProgramCount, "programs", "program record",
            ProgramListTransfer(false), ProgramListTransfer(true)),
        MakeBlockCommand<TProgramRecord, 1>("program-washing", 1, "WASHING program",
                                            "program record", WashingProgramTransfer(false),
                                            WashingProgramTransfer(true)),
        MakeBlockCommand<TAnalogOutputRecord, AnalogOutputCount>(
            "analog-outputs", AnalogOutputTransferRules.P, "analog outputs", "analog output record",
            ReadAnalogOutputsFromController, WriteAnalogOutputsToController),
        MakeBlockCommand<TPidRecord, PidCount>(
            "pid", PidTransferRules.P, "PID regulators", "PID regulator record",
            ReadPidRegulatorsFromController, WritePidRegulatorsToController),
    };
    return commands;
}

// The system's serial ports, one a line: device, a tab, description.
int Ports() {
    for (const FoundPort& port : ListSerialPorts()) {
        std::string description = port.description;
        // A driver's text must not break the line's shape.
        std::replace_if(
            description.begin(), description.end(),
            [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        std::printf("%s\t%s\n", port.device.c_str(), description.c_str());
    }
    return ExitOk;
}

// scan's own arguments; empty on success, else the usage error.
std::string ParseScanArguments(const std::vector<std::string>& args, ScanPlan& plan) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--baud") {
            if (!hasValue) return "scan --baud needs a list of baud rates";
            if (std::string e = ParseScanBaudRates(args[++i], plan.baudRates); !e.empty())
                return "scan --baud: " + e;
        } else if (a == "--addresses") {
            if (!hasValue) return "scan --addresses needs a range A-B";
            if (std::string e = ParseScanAddresses(args[++i], plan.firstAddress, plan.lastAddress);
                !e.empty())
                return "scan --addresses: " + e;
        } else {
            return "scan takes [--baud LIST] [--addresses A-B], not " + a;
        }
    }
    return {};
}

// One line per controller as it answers; nothing answering at all is "No communication".
int Scan(Session& s, const ScanPlan& plan) {
    const auto print = [](const FoundController& c) {
        const std::string version = c.version ? std::to_string(*c.version) : "-";
        std::printf("%d %d %s %s\n", c.address, c.baud, c.module ? "module" : "direct",
                    version.c_str());
        std::fflush(stdout);
    };
    const ScanResult result = ScanForControllers(*s.access, plan, s.host, print);
    if (result.outcome == Outcome::Cancelled) {
        std::fprintf(stderr, "zylctl: interrupted\n");
        return ExitInterrupted;
    }
    if (result.outcome != Outcome::Ok) {
        s.host.ShowMessageBox(MsgNoCommunication, result.cause);
        return ExitNoCommunication;
    }
    if (result.found.empty()) {
        std::string rates;
        for (int baud : plan.baudRates) rates += (rates.empty() ? "" : ", ") + std::to_string(baud);
        s.host.ShowMessageBox(MsgNoCommunication,
                              "no controller answered at " + rates + " baud, addresses " +
                                  std::to_string(plan.firstAddress) + "-" +
                                  std::to_string(plan.lastAddress) +
                                  (s.access->moduleMode ? ", through the communication module"
                                                        : ", to direct requests"));
        return ExitNoCommunication;
    }
    return ExitOk;
}

// --- whole projects --------------------------------------------------------------------------

struct ProjectArguments {
    std::string file;
    BlockSelection blocks = AllProjectBlocks;
    bool compare = false;
    bool verify = false;
    std::string backupFolder; // empty: no backup
};

std::string BlockNameList() {
    std::string names;
    for (const ProjectBlock block : ProjectBlocks)
        names += (names.empty() ? "" : ", ") + std::string(ProjectBlockName(block));
    return names;
}

// A comma-separated list of project block names; empty on success, else what is wrong.
std::string ParseBlockList(const std::string& list, BlockSelection& blocks) {
    blocks.fill(false);
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma - start);
        if (name.empty()) return "an empty block name in \"" + list + "\"";
        const std::optional<ProjectBlock> block = ProjectBlockFromName(name);
        if (!block) return "unknown block " + name + " (blocks: " + BlockNameList() + ")";
        blocks[std::size_t(RowOf(*block))] = true;
        if (comma == std::string::npos) return {};
        start = comma + 1;
    }
}

// read-project FILE [--blocks LIST] [--compare], write-project FILE [--blocks LIST] [--verify]
// [--backup DIR]; empty on success, else the usage error.
std::string ParseProjectArguments(const std::string& command, const std::vector<std::string>& args,
                                  ProjectArguments& p) {
    const bool read = command == "read-project";
    bool blocksGiven = false, backupGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--blocks") {
            if (blocksGiven) return command + " takes --blocks once";
            if (i + 1 >= args.size()) return command + " --blocks needs a list of blocks";
            if (std::string e = ParseBlockList(args[++i], p.blocks); !e.empty())
                return command + " --blocks: " + e;
            blocksGiven = true;
        } else if (read && a == "--compare") {
            p.compare = true;
        } else if (!read && a == "--verify") {
            p.verify = true;
        } else if (!read && a == "--backup") {
            if (backupGiven) return command + " takes --backup once";
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].starts_with("--"))
                return command + " --backup needs a folder";
            p.backupFolder = args[++i];
            backupGiven = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return command + " does not take " + a;
        } else if (p.file.empty()) {
            p.file = a;
        } else {
            return command + " takes one project FILE";
        }
    }
    if (p.file.empty()) return command + " needs a project FILE";
    return {};
}

// Why a file does not load as size bytes: the system's reason, or its length; empty when it
// does.
std::string WhyNotLoaded(const std::string& path, std::size_t size, const std::string& what) {
    std::vector<std::byte> buffer(size);
    const FileRead read = ReadRegularFile(path, buffer);
    if (!read) return read.error;
    if (read.size >= size) return {};
    return path + " is " + std::to_string(read.fileSize) + " bytes long, too short for " + what;
}

// The project FILE with its side files, or, when FILE does not exist and fromTemplate is
// set, a new project from the template as File > New makes it. Empty on success, else why.
std::string LoadProjectFor(Session& s, const std::string& file, bool fromTemplate,
                           Project& project) {
    if (!PathExists(file)) {
        if (!fromTemplate) return "cannot read " + file + ": No such file or directory";
        ProjectDocument doc(project);
        NewProject(doc, s.host, ProgramFolder());
        if (doc.fileName.empty())
            return file + " does not exist and the template cannot make it: " +
                   WhyNotLoaded(ProgramFile(TemplateFileName), ProjectImageSize, "a project");
        return {};
    }
    if (!LoadMainFile(project, file)) {
        const std::string why = WhyNotLoaded(file, ProjectImageSize, "a project");
        return why.empty() ? "cannot read " + file + " as a project" : why;
    }
    if (!LoadSideFiles(project, file)) {
        const std::string passwords = file + "h", pid = file + "pid";
        std::string why;
        if (PathExists(passwords))
            why = WhyNotLoaded(passwords, sizeof(TPasswordBlock), "a password block");
        if (why.empty() && PathExists(pid))
            why = WhyNotLoaded(pid, sizeof project.pid, "five PID regulators");
        return why.empty() ? "cannot read the side files of " + file : why;
    }
    return {};
}

// The rows' bars on the terminal; a block that failed says why as it ends.
class TerminalRunView final : public ProjectRunView {
public:
    explicit TerminalRunView(Session& s) : s_(s) {}

    void RowStarted(ProjectBlock block, int maximum) override {
        label_ = ProjectBlockLabel(block);
        maximum_ = maximum;
        s_.host.ShowProgress(0, maximum_, label_);
    }
    void RowProgress(ProjectBlock, int position) override {
        s_.host.ShowProgress(position, maximum_, label_);
    }
    void RowEnded(ProjectBlock block, BlockEnd end) override {
        s_.host.HideProgress();
        if (end != BlockEnd::Error) return;
        const std::string& cause = s_.access->link.FailureCause();
        std::fprintf(stderr, "zylctl: %s: %s\n", ProjectBlockLabel(block).c_str(),
                     cause.empty() ? "a command failed" : PcToUtf8(1250, cause).c_str());
    }

private:
    Session& s_;
    std::string label_;
    int maximum_ = 0;
};

// The result line's text: the row's own, or what the window shows in a message instead.
std::string BlockResultText(BlockEnd end) {
    switch (end) {
    case BlockEnd::NotStopped:
        return "Refused (the controller is not in STOP mode)";
    case BlockEnd::NoSetup:
        return "Error (the controller's setup could not be read)";
    case BlockEnd::Stopped:
        return "Interrupted";
    default:
        return RowResultText(end);
    }
}

// One line per block that ran, in row order, the differing fields indented under it.
void PrintProjectResult(const ProjectRunResult& result) {
    for (const ProjectBlock block : ProjectBlocks) {
        const std::size_t i = std::size_t(RowOf(block));
        if (result.ends[i] == BlockEnd::NotRun) continue;
        std::printf("%s: %s\n", ProjectBlockLabel(block).c_str(),
                    BlockResultText(result.ends[i]).c_str());
        for (const FieldDifferenceRow& d : result.differences[i])
            std::printf("  %s, %s: project %s, controller %s\n", d.record.c_str(), d.field.c_str(),
                        d.left.c_str(), d.right.c_str());
    }
    std::fflush(stdout);
}

// A failed block first (1), then a refusal in RUN mode (3), then a difference (5).
int ProjectExit(const ProjectRunResult& result) {
    if (result.stopped) {
        std::fprintf(stderr, "zylctl: interrupted\n");
        return ExitInterrupted;
    }
    if (result.Any(BlockEnd::Error) || result.Any(BlockEnd::NoSetup)) return ExitNoCommunication;
    if (result.Any(BlockEnd::NotStopped)) return ExitNotStopped;
    if (result.Any(BlockEnd::Difference)) return ExitDifference;
    return ExitOk;
}

// The project file is only read: the run numbers the records in memory. With --backup the
// controller's blocks are saved first ("Backup: PATH" on stderr, so that stdout keeps only the
// block lines); a backup that
// fails sends nothing and exits 1 (not read) or 4 (not saved), the core having said why.
int WriteProjectCommand(Session& s, const ProjectArguments& p) {
    auto project = std::make_unique<Project>();
    if (const std::string why = LoadProjectFor(s, p.file, false, *project); !why.empty())
        return FileFailure(why + "; nothing sent");
    TerminalRunView view(s);
    const ProjectWriteResult result = WriteProject(
        *s.access, *project, p.blocks, view, {.verify = p.verify, .backupFolder = p.backupFolder});
    if (result.backup == BackupEnd::Saved)
        std::fprintf(stderr, "Backup: %s\n", result.backupPath.c_str());
    PrintProjectResult(result);
    if (result.backup == BackupEnd::FileError) return ExitFileError;
    if (result.backup == BackupEnd::ReadError) return ExitNoCommunication;
    return ProjectExit(result);
}

// Without --compare the project (from the template when FILE is missing) is saved with its
// side files once the run has completed, also when a block failed: the blocks land as far as
// they arrived. --compare never writes a file.
int ReadProjectCommand(Session& s, const ProjectArguments& p) {
    if (!p.compare)
        for (const std::string& target : {p.file, p.file + "h", p.file + "pid"})
            if (const FileStatus status = CheckWritable(target); !status)
                return FileFailure(status.error + "; nothing read");
    auto project = std::make_unique<Project>();
    if (const std::string why = LoadProjectFor(s, p.file, true, *project); !why.empty())
        return FileFailure(why + "; nothing read");
    TerminalRunView view(s);
    const ProjectRunResult result = ReadProject(*s.access, *project, p.blocks, p.compare, view);
    PrintProjectResult(result);
    if (!p.compare && result.completed)
        if (const FileStatus saved = WriteProjectFiles(*project, p.file); !saved)
            return FileFailure(saved.error);
    return ProjectExit(result);
}

const BlockCommand* FindBlock(const std::string& name) {
    for (const BlockCommand& b : BlockCommands())
        if (b.name == name) return &b;
    return nullptr;
}

} // namespace

bool Interrupted() {
    return interrupted != 0;
}

int Run(const std::vector<std::string>& args) {
    Options o;
    if (const std::string error = ParseOptions(args, o); !error.empty()) return UsageError(error);
    if (o.words.empty()) return UsageError("no command");
    const std::string command = o.words[0];
    const std::vector<std::string> rest(o.words.begin() + 1, o.words.end());

    // Listing the ports needs neither settings nor a link.
    if (command == "ports") return rest.empty() ? Ports() : UsageError("ports takes no arguments");

    // The project text commands need neither settings nor a link.
    if (IsProjectTextCommand(command)) {
        if (const std::string error = CheckProjectTextArguments(command, rest); !error.empty())
            return UsageError(error);
        return ProjectTextCommand(command, rest, o.codePage);
    }

    // Check the command's shape before touching the port.
    ScanPlan plan;
    ProjectArguments projectArgs;
    MenuArguments menuArgs;
    const bool menu = !rest.empty() && rest[0] == "menu" &&
                      (command == "read" || command == "write" || command == "check");
    if (command == "check" && !menu) return UsageError("check takes menu FILE.mpl");
    if (menu) {
        const std::vector<std::string> menuRest(rest.begin() + 1, rest.end());
        if (const std::string error = ParseMenuArguments(command, menuRest, menuArgs);
            !error.empty())
            return UsageError(error);
        // The check needs no controller.
        if (command == "check") return CheckMenuCommand(menuArgs);
    } else if (command == "ping" || command == "status" || command == "reset") {
        if (!rest.empty()) return UsageError(command + " takes no arguments");
    } else if (command == "read" || command == "write") {
        if (rest.size() != 2) return UsageError(command + " takes BLOCK FILE");
        if (!FindBlock(rest[0])) return UsageError("unknown block " + rest[0]);
    } else if (command == "scan") {
        if (const std::string error = ParseScanArguments(rest, plan); !error.empty())
            return UsageError(error);
    } else if (command == "read-project" || command == "write-project") {
        if (const std::string error = ParseProjectArguments(command, rest, projectArgs);
            !error.empty())
            return UsageError(error);
    } else if (command != "set-clock") {
        return UsageError("unknown command " + command);
    }

    Session s;
    if (const std::string error = SetUp(o, s); !error.empty()) return UsageError(error);
    // Ctrl+C ends a waiting exchange as a Cancel does: the port is closed below and no file
    // is written for a transfer that did not finish.
    WatchInterrupt();
    int code;
    if (command == "ping")
        code = Ping(s);
    else if (command == "status")
        code = Status(s);
    else if (command == "reset")
        code = Reset(s);
    else if (command == "set-clock")
        code = SetClock(s, rest);
    else if (command == "scan")
        code = Scan(s, plan);
    else if (command == "read-project")
        code = ReadProjectCommand(s, projectArgs);
    else if (command == "write-project")
        code = WriteProjectCommand(s, projectArgs);
    else if (menu && command == "read")
        code = ReadMenuCommand(*s.access, s.host, menuArgs);
    else if (menu)
        code = WriteMenuCommand(*s.access, s.host, menuArgs);
    else if (command == "read")
        code = FindBlock(rest[0])->read(s, rest[1]);
    else
        code = FindBlock(rest[0])->write(s, rest[1]);
    s.link->Close();
    return code;
}

} // namespace zyl::cli
