#include "transfer/ProjectTransfer.h"

#include "core/Paths.h"
#include "editors/BlockTransfer.h"
#include "editors/programs/Programs.h"
#include "link/CommandCatalogue.h"
#include "link/CommandEncoding.h"
#include "link/Commands.h"
#include "panel/CodePage.h"
#include "project/ProjectFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

namespace zyl {

namespace {

struct BlockNames {
    const char* writeCaption;
    const char* readCaption;
    const char* name;
};

constexpr std::array<BlockNames, ProjectBlockCount> Names = {{
    {"Setup", "Setup", "setup"},
    {"Relays", "Relays", "relays"},
    {"Processes", "Processes", "processes"},
    {"Processes WASHING", "Processes WASHING", "processes-washing"},
    {"Alarms", "Alarms", "alarms"},
    {"Special statuses", "Special statuses", "special-statuses"},
    {"Programs", "Programs", "programs"},
    {"Program WASHING", "Program WASHING", "program-washing"},
    {"Analog OUT", "Analog OUT", "analog-outputs"},
    {" PID ", "PID ", "pid"},
}};

constexpr int RelayPackets = 6, RelaysPerPacket = 6;
constexpr int ProcessPackets = 2, ProcessesPerPacket = 8;
constexpr int AlarmPackets = 2, AlarmsPerPacket = 12;
constexpr int ListedPrograms = ProgramCount - 1; // program 100 is never sent nor read

// One run: the access, the window and the rules every block shares.
class Run {
public:
    Run(ControllerAccess& access, Project& project, ProjectRunView& view)
        : access(access), link(access.link), project(project), image(project.image), view(view) {}

    ControllerAccess& access;
    TFkomunikacja& link;
    Project& project;
    TProjectImage& image;
    ProjectRunView& view;

    // Lets pending events run (a Stop click lands here) and says whether Stop was pressed.
    bool StopRequested() {
        access.host.ProcessEvents();
        return access.host.CancelRequested();
    }

    // The common start of every block: the link controls, then the row's bar.
    void Start(ProjectBlock block, int maximum) {
        access.ReadLinkControls();
        view.RowStarted(block, maximum);
    }

    // One packet; a refusal shows its message. Ok while the block may go on.
    BlockEnd Packet(PacketDirection direction, const std::function<int(Variant)>& send,
                    const std::function<void()>& onStep = {}) {
        const PacketResult result = TransferPacket(access, direction, send, onStep);
        switch (result.outcome) {
        case Outcome::Ok:
            return BlockEnd::Ok;
        case Outcome::NoCommunication:
        case Outcome::Refused:
            return BlockEnd::Error;
        case Outcome::NotStopped:
            access.host.ShowMessageBox(MsgStopMode);
            return BlockEnd::NotStopped;
        case Outcome::Cancelled:
            break;
        }
        return BlockEnd::Stopped;
    }

    // The controller's setup read before the programs: the program block count, or nothing
    // (it has said "No communication", or Stop ended it).
    std::optional<int> ProgramBlockCount() {
        access.ReadLinkControls();
        TSetupBlock setup{};
        if (!access.ReadControllerSetup(setup)) return std::nullopt;
        return access.programBlockCount;
    }

    // A single-frame block's progress as the module sequence goes: 1 after the submit, 2
    // after the panel wait; the caller sets 3 at the end.
    std::function<void()> ThreeSteps(ProjectBlock block) {
        return [this, block, step = 0]() mutable { view.RowProgress(block, ++step); };
    }
};

// A block written in P packets of K records, the Stop check before each.
template <class Record, std::size_t K, class Send>
BlockEnd WriteGroups(Run& run, ProjectBlock row, std::span<const Record> block, int P, Send send) {
    run.Start(row, P);
    for (int p = 0; p < P; ++p) {
        const std::array<Record, K> packet = PacketToSend<Record, K>(block, p);
        if (run.StopRequested()) return BlockEnd::Stopped;
        const BlockEnd end = run.Packet(PacketDirection::Write, [&](Variant v) {
            return send(v, std::span<const Record, K>(packet), p);
        });
        if (end != BlockEnd::Ok) return end;
        run.view.RowProgress(row, p + 1);
    }
    return BlockEnd::Ok;
}

// A block read in P groups of K records, the Stop check before each; groups already
// received stay in the block when a later one fails.
template <class Record, std::size_t K, class Send>
BlockEnd ReadGroups(Run& run, ProjectBlock row, std::span<Record> block, int P, Send send) {
    run.Start(row, P);
    for (int p = 0; p < P; ++p) {
        if (run.StopRequested()) return BlockEnd::Stopped;
        std::array<Record, K> packet{};
        const BlockEnd end = run.Packet(PacketDirection::Read, [&](Variant v) {
            return send(v, std::span<Record, K>(packet), p);
        });
        if (end != BlockEnd::Ok) return end;
        LandPacket<Record, K>(packet, block, p);
        run.view.RowProgress(row, p + 1);
    }
    return BlockEnd::Ok;
}

// A block of one frame (analog outputs, PID) with one Stop check at its start.
BlockEnd SingleFrame(Run& run, ProjectBlock row, PacketDirection direction,
                     const std::function<int(Variant)>& send) {
    run.Start(row, 1);
    if (run.StopRequested()) return BlockEnd::Stopped;
    const BlockEnd end = run.Packet(direction, send);
    if (end == BlockEnd::Ok) run.view.RowProgress(row, 1);
    return end;
}

// --- writes --------------------------------------------------------------------------------

BlockEnd WriteSetup(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::Setup;
    run.Start(row, 3);
    const BlockEnd end = run.Packet(
        PacketDirection::Write,
        [&](Variant v) {
            return WriteSetupParameters(run.link, v, run.image.Setup, run.access.DeviceAddress,
                                        run.access.linkParams);
        },
        run.ThreeSteps(row));
    if (end == BlockEnd::Ok) run.view.RowProgress(row, 3);
    return end;
}

BlockEnd WriteProcesses(Run& run, bool washing) {
    const ProjectBlock row = washing ? ProjectBlock::WashingProcesses : ProjectBlock::Processes;
    NumberProcesses(run.image.Processes);
    NumberProcesses(run.image.WashingProcesses);
    const auto table = std::span<const TProcessRecord, ProcessCount>(
        washing ? run.image.WashingProcesses : run.image.Processes);
    const BlockEnd groups = WriteGroups<TProcessRecord, ProcessesPerPacket>(
        run, row, table, ProcessPackets,
        [&](Variant v, std::span<const TProcessRecord, ProcessesPerPacket> packet, int p) {
            return WriteProcessGroup(run.link, v, packet, p, washing, run.access.DeviceAddress,
                                     run.access.linkParams);
        });
    if (groups != BlockEnd::Ok) return groups;
    // The step presets of all 16 follow; the row is OK only when they arrived too.
    return run.Packet(PacketDirection::Write, [&](Variant v) {
        return WriteProcessParameters(run.link, v, table, washing, run.access.DeviceAddress,
                                      run.access.linkParams);
    });
}

BlockEnd WritePrograms(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::Programs;
    const std::optional<int> parts = run.ProgramBlockCount();
    if (!parts) return run.link.Cancelled() ? BlockEnd::Stopped : BlockEnd::NoSetup;
    NumberPrograms(run.image.Programs);
    run.Start(row, ListedPrograms);
    for (int n = 1; n <= ListedPrograms; ++n) {
        if (run.StopRequested()) return BlockEnd::Stopped;
        const TProgramRecord& program = run.image.Programs[n - 1];
        for (int part = 0; part < *parts; ++part) {
            const BlockEnd end = run.Packet(PacketDirection::Write, [&](Variant v) {
                return WriteProgram(run.link, v, program, part, *parts, run.access.DeviceAddress,
                                    run.access.linkParams);
            });
            if (end != BlockEnd::Ok) return end;
        }
        run.view.RowProgress(row, n);
    }
    return BlockEnd::Ok;
}

BlockEnd WriteWashingProgram(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::WashingProgram;
    const std::optional<int> parts = run.ProgramBlockCount();
    if (!parts) return run.link.Cancelled() ? BlockEnd::Stopped : BlockEnd::NoSetup;
    SetWashingProgramNumber(run.image);
    run.Start(row, *parts);
    for (int part = 0; part < *parts; ++part) {
        const BlockEnd end = run.Packet(PacketDirection::Write, [&](Variant v) {
            return WriteProgram(run.link, v, run.image.WashingProgram, part, *parts,
                                run.access.DeviceAddress, run.access.linkParams);
        });
        if (end != BlockEnd::Ok) return end;
        run.view.RowProgress(row, part + 1);
    }
    return BlockEnd::Ok;
}

BlockEnd WriteBlockOf(Run& run, ProjectBlock block) {
    TProjectImage& image = run.image;
    ControllerAccess& a = run.access;
    switch (block) {
    case ProjectBlock::Setup:
        return WriteSetup(run);
    case ProjectBlock::Relays:
        NumberRelays(image.Relays);
        return WriteGroups<TRelayRecord, RelaysPerPacket>(
            run, block, std::span<const TRelayRecord>(image.Relays), RelayPackets,
            [&](Variant v, std::span<const TRelayRecord, RelaysPerPacket> packet, int p) {
                return WriteRelayGroup(run.link, v, packet, p, a.DeviceAddress, a.linkParams);
            });
    case ProjectBlock::Processes:
        return WriteProcesses(run, false);
    case ProjectBlock::WashingProcesses:
        return WriteProcesses(run, true);
    case ProjectBlock::Alarms:
        NumberAlarms(image.Alarms);
        return WriteGroups<TAlarmRecord, AlarmsPerPacket>(
            run, block, std::span<const TAlarmRecord>(image.Alarms), AlarmPackets,
            [&](Variant v, std::span<const TAlarmRecord, AlarmsPerPacket> packet, int p) {
                return WriteAlarmGroup(run.link, v, packet, p, a.DeviceAddress, a.linkParams);
            });
    case ProjectBlock::SpecialStatuses:
        NumberSpecialStatuses(image.SpecialStatuses);
        return WriteGroups<TSpecialStatusRecord, SpecialStatusCount>(
            run, block, std::span<const TSpecialStatusRecord>(image.SpecialStatuses), 1,
            [&](Variant v, std::span<const TSpecialStatusRecord, SpecialStatusCount> packet, int) {
                return WriteSpecialStatuses(run.link, v, packet, a.DeviceAddress, a.linkParams);
            });
    case ProjectBlock::Programs:
        return WritePrograms(run);
    case ProjectBlock::WashingProgram:
        return WriteWashingProgram(run);
    case ProjectBlock::AnalogOutputs:
        return SingleFrame(run, block, PacketDirection::Write, [&](Variant v) {
            return WriteAnalogOutputs(run.link, v, image.AnalogOutputs, a.DeviceAddress,
                                      a.linkParams);
        });
    case ProjectBlock::Pid:
        return SingleFrame(run, block, PacketDirection::Write, [&](Variant v) {
            return WritePidRegulators(run.link, v, run.project.pid, a.DeviceAddress, a.linkParams);
        });
    }
    return BlockEnd::NotRun;
}

// --- reads ---------------------------------------------------------------------------------

BlockEnd ReadSetup(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::Setup;
    run.Start(row, 3);
    TSetupBlock read = run.image.Setup;
    const BlockEnd end = run.Packet(
        PacketDirection::Read,
        [&](Variant v) {
            return ReadSetupParameters(run.link, v, read, run.access.DeviceAddress,
                                       run.access.linkParams);
        },
        run.ThreeSteps(row));
    if (end != BlockEnd::Ok) return end;
    run.image.Setup = read;
    run.view.RowProgress(row, 3);
    return end;
}

using StepPresets = std::array<std::int16_t, 5>;

BlockEnd ReadProcesses(Run& run, bool washing) {
    const ProjectBlock row = washing ? ProjectBlock::WashingProcesses : ProjectBlock::Processes;
    const auto table = std::span<TProcessRecord, ProcessCount>(washing ? run.image.WashingProcesses
                                                                       : run.image.Processes);
    // The group read clears the step presets of what it fills: they stay as they were until
    // their own read has succeeded.
    std::array<StepPresets, ProcessCount> kept;
    for (std::size_t i = 0; i < kept.size(); ++i)
        std::memcpy(kept[i].data(), table[i].StepPresets, sizeof kept[i]);
    const BlockEnd groups = ReadGroups<TProcessRecord, ProcessesPerPacket>(
        run, row, table, ProcessPackets,
        [&](Variant v, std::span<TProcessRecord, ProcessesPerPacket> packet, int p) {
            return ReadProcessGroup(run.link, v, packet, p, washing, run.access.DeviceAddress,
                                    run.access.linkParams);
        });
    for (std::size_t i = 0; i < kept.size(); ++i)
        std::memcpy(table[i].StepPresets, kept[i].data(), sizeof kept[i]);
    if (groups != BlockEnd::Ok) return groups;

    std::array<TProcessRecord, ProcessCount> presets{};
    const BlockEnd end = run.Packet(PacketDirection::Read, [&](Variant v) {
        return ReadProcessParameters(run.link, v, presets, washing, run.access.DeviceAddress,
                                     run.access.linkParams);
    });
    if (end != BlockEnd::Ok) return end;
    for (std::size_t i = 0; i < presets.size(); ++i)
        std::memcpy(table[i].StepPresets, presets[i].StepPresets, sizeof presets[i].StepPresets);
    return end;
}

BlockEnd ReadSpecialStatusesBlock(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::SpecialStatuses;
    run.Start(row, 3);
    std::array<TSpecialStatusRecord, SpecialStatusCount> six{};
    const BlockEnd end = run.Packet(
        PacketDirection::Read,
        [&](Variant v) {
            return ReadSpecialStatuses(run.link, v, six, run.access.DeviceAddress,
                                       run.access.linkParams);
        },
        run.ThreeSteps(row));
    if (end != BlockEnd::Ok) return end;
    std::copy(six.begin(), six.end(), std::begin(run.image.SpecialStatuses));
    SetFixedSpecialStatusNames(run.image);
    run.view.RowProgress(row, 3);
    return end;
}

// Every part of one program into a copy of its record, which replaces it when all arrived.
BlockEnd ReadWholeProgramInto(Run& run, TProgramRecord& program, int programIndex, int parts,
                              const std::function<void(int)>& beforePart) {
    TProgramRecord read = program;
    for (int part = 0; part < parts; ++part) {
        if (beforePart) beforePart(part);
        const BlockEnd end = run.Packet(PacketDirection::Read, [&](Variant v) {
            return ReadProgram(run.link, v, read, part, programIndex, parts,
                               run.access.DeviceAddress, run.access.linkParams);
        });
        if (end != BlockEnd::Ok) return end;
    }
    program = read;
    return BlockEnd::Ok;
}

BlockEnd ReadPrograms(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::Programs;
    const std::optional<int> parts = run.ProgramBlockCount();
    if (!parts) return run.link.Cancelled() ? BlockEnd::Stopped : BlockEnd::NoSetup;
    run.Start(row, ListedPrograms);
    for (int n = 1; n <= ListedPrograms; ++n) {
        if (run.StopRequested()) return BlockEnd::Stopped;
        const BlockEnd end =
            ReadWholeProgramInto(run, run.image.Programs[n - 1], n - 1, *parts, {});
        if (end != BlockEnd::Ok) return end;
        run.view.RowProgress(row, n);
    }
    return BlockEnd::Ok;
}

BlockEnd ReadWashingProgram(Run& run) {
    constexpr ProjectBlock row = ProjectBlock::WashingProgram;
    const std::optional<int> parts = run.ProgramBlockCount();
    if (!parts) return run.link.Cancelled() ? BlockEnd::Stopped : BlockEnd::NoSetup;
    run.Start(row, *parts);
    const BlockEnd end =
        ReadWholeProgramInto(run, run.image.WashingProgram, WashingProgramIndex, *parts,
                             [&](int part) { run.view.RowProgress(row, part + 1); });
    if (end == BlockEnd::Ok) SetWashingProgramName(run.image);
    return end;
}

BlockEnd ReadBlockOf(Run& run, ProjectBlock block) {
    TProjectImage& image = run.image;
    ControllerAccess& a = run.access;
    switch (block) {
    case ProjectBlock::Setup:
        return ReadSetup(run);
    case ProjectBlock::Relays:
        return ReadGroups<TRelayRecord, RelaysPerPacket>(
            run, block, std::span<TRelayRecord>(image.Relays), RelayPackets,
            [&](Variant v, std::span<TRelayRecord, RelaysPerPacket> packet, int p) {
                return ReadRelayGroup(run.link, v, packet, p, a.DeviceAddress, a.linkParams);
            });
    case ProjectBlock::Processes:
        return ReadProcesses(run, false);
    case ProjectBlock::WashingProcesses:
        return ReadProcesses(run, true);
    case ProjectBlock::Alarms:
        return ReadGroups<TAlarmRecord, AlarmsPerPacket>(
            run, block, std::span<TAlarmRecord>(image.Alarms), AlarmPackets,
            [&](Variant v, std::span<TAlarmRecord, AlarmsPerPacket> packet, int p) {
                return ReadAlarmGroup(run.link, v, packet, p, a.DeviceAddress, a.linkParams);
            });
    case ProjectBlock::SpecialStatuses:
        return ReadSpecialStatusesBlock(run);
    case ProjectBlock::Programs:
        return ReadPrograms(run);
    case ProjectBlock::WashingProgram:
        return ReadWashingProgram(run);
    case ProjectBlock::AnalogOutputs: {
        std::array<TAnalogOutputRecord, AnalogOutputCount> read{};
        const BlockEnd end = SingleFrame(run, block, PacketDirection::Read, [&](Variant v) {
            return ReadAnalogOutputs(run.link, v, read, a.DeviceAddress, a.linkParams);
        });
        if (end == BlockEnd::Ok) std::copy(read.begin(), read.end(), image.AnalogOutputs);
        return end;
    }
    case ProjectBlock::Pid: {
        std::array<TPidRecord, PidCount> read{};
        const BlockEnd end = SingleFrame(run, block, PacketDirection::Read, [&](Variant v) {
            return ReadPidRegulators(run.link, v, read, a.DeviceAddress, a.linkParams);
        });
        if (end == BlockEnd::Ok) std::copy(read.begin(), read.end(), run.project.pid);
        return end;
    }
    }
    return BlockEnd::NotRun;
}

// Runs the selected rows; after each row, ticked or not, a Stop ends the run. A run that
// completes says so when announce is set.
template <class RowFn>
ProjectRunResult RunRows(Run& run, const BlockSelection& blocks, bool announce, RowFn row) {
    ProjectRunResult result;
    for (const ProjectBlock block : ProjectBlocks) {
        const int i = RowOf(block);
        if (blocks[std::size_t(i)]) {
            const BlockEnd end = row(block, result.differences[std::size_t(i)]);
            result.ends[std::size_t(i)] = end;
            if (end != BlockEnd::Stopped) run.view.RowEnded(block, end);
        }
        if (result.Any(BlockEnd::Stopped) || run.StopRequested()) {
            result.stopped = true;
            return result;
        }
    }
    result.completed = true;
    if (announce) run.access.host.ShowMessageBox(MsgOperationComplete);
    return result;
}

ProjectRunResult ReadRows(ControllerAccess& access, Project& project, const BlockSelection& blocks,
                          bool compare, ProjectRunView& view, bool announce) {
    Run run(access, project, view);
    access.ReadLinkControls();
    std::unique_ptr<Project> before;
    if (compare) before = std::make_unique<Project>(project);
    std::unique_ptr<Project> expected;
    int expectedParts = 0;
    ProjectRunResult result =
        RunRows(run, blocks, announce,
                [&](ProjectBlock block, std::vector<FieldDifferenceRow>& differences) {
                    const BlockEnd end = ReadBlockOf(run, block);
                    if (!compare || end != BlockEnd::Ok) return end;
                    // The program block count is known once a program block was read.
                    if (!expected || expectedParts != access.programBlockCount) {
                        expected = std::make_unique<Project>();
                        expectedParts = access.programBlockCount;
                        ProjectAsReadBack(*before, *expected, expectedParts, access.link.codePage);
                    }
                    differences = CompareProjectBlock(block, *expected, project,
                                                      PcCodePageFor(access.link.codePage));
                    return differences.empty() ? BlockEnd::Ok : BlockEnd::Difference;
                });
    if (compare && result.stopped) project = *before;
    return result;
}

// Each written block read back and compared with what the project as written comes back as.
// The read lands in a copy of the project as it stands after the block's write, so that what
// the read does not touch (and the numbering done so far) is the same on both sides.
class Verification {
public:
    Verification(ControllerAccess& access, const Project& written, ProjectRunView& view)
        : access_(access), written_(written), read_(std::make_unique<Project>(written)),
          expected_(std::make_unique<Project>()), run_(access, *read_, view) {}

    BlockEnd Check(ProjectBlock block, std::vector<FieldDifferenceRow>& differences) {
        *read_ = written_;
        const BlockEnd end = ReadBlockOf(run_, block);
        if (end == BlockEnd::Stopped) return end;
        if (end != BlockEnd::Ok) return BlockEnd::Error;
        // The program block count is the controller's as this read found it.
        ProjectAsReadBack(written_, *expected_, access_.programBlockCount, access_.link.codePage);
        differences =
            CompareProjectBlock(block, *expected_, *read_, PcCodePageFor(access_.link.codePage));
        if (differences.empty()) return BlockEnd::Ok;
        access_.link.SetFailureCause(CauseNotHeld);
        return BlockEnd::Error;
    }

private:
    ControllerAccess& access_;
    const Project& written_;
    std::unique_ptr<Project> read_;
    std::unique_ptr<Project> expected_;
    Run run_;
};

// The backup's read in the rows' bars; its row ends are not the write's and stay unshown.
class BarsOnly final : public ProjectRunView {
public:
    explicit BarsOnly(ProjectRunView& rows) : rows_(rows) {}
    void RowStarted(ProjectBlock block, int maximum) override { rows_.RowStarted(block, maximum); }
    void RowProgress(ProjectBlock block, int position) override {
        rows_.RowProgress(block, position);
    }
    void RowEnded(ProjectBlock, BlockEnd) override {}

private:
    ProjectRunView& rows_;
};

// The backup's main file in the folder; a second backup within the same minute gets "-2",
// and so on, rather than replacing the first.
std::string FreeBackupPath(const std::string& folder, int address) {
    const std::string name = BackupFileName(address, LocalTimeNow());
    const std::string stem = name.substr(0, name.size() - 4);
    std::string path = AddPathSeparator(folder) + name;
    for (int n = 2; PathExists(path) || PathExists(path + "h") || PathExists(path + "pid"); ++n)
        path = AddPathSeparator(folder) + stem + "-" + std::to_string(n) + ".zy2";
    return path;
}

// The folder and the three files are checked before anything is read, so a backup that
// cannot be saved costs no time on the line.
BackupEnd MakeBackup(ControllerAccess& access, const Project& project, const BlockSelection& blocks,
                     ProjectRunView& view, const std::string& folder, ProjectWriteResult& out) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(folder), ec);
    if (ec) {
        out.backupError = "cannot create the folder " + folder + ": " + ec.message();
        return BackupEnd::FileError;
    }
    const std::string path = FreeBackupPath(folder, access.DeviceAddress);
    for (const std::string& target : {path, path + "h", path + "pid"})
        if (const FileStatus status = CheckWritable(target); !status) {
            out.backupError = status.error;
            return BackupEnd::FileError;
        }

    const auto copy = std::make_unique<Project>(project);
    BarsOnly bars(view);
    const ProjectRunResult read = ReadRows(access, *copy, blocks, false, bars, false);
    if (read.stopped) return BackupEnd::Stopped;
    for (const ProjectBlock block : ProjectBlocks) {
        const BlockEnd end = read.ends[std::size_t(RowOf(block))];
        if (end == BlockEnd::NotRun || end == BlockEnd::Ok) continue;
        const std::string& cause = access.link.FailureCause();
        out.backupError = ProjectBlockLabel(block) + " could not be read" +
                          (end == BlockEnd::NoSetup ? " (the controller's setup did not arrive)"
                           : cause.empty()          ? ""
                                                    : ": " + cause);
        return BackupEnd::ReadError;
    }
    if (const FileStatus saved = WriteProjectFiles(*copy, path); !saved) {
        out.backupError = saved.error;
        return BackupEnd::FileError;
    }
    out.backupPath = path;
    return BackupEnd::Saved;
}

} // namespace

const char* WriteRowCaption(ProjectBlock block) {
    return Names[std::size_t(RowOf(block))].writeCaption;
}
const char* ReadRowCaption(ProjectBlock block) {
    return Names[std::size_t(RowOf(block))].readCaption;
}
const char* ProjectBlockName(ProjectBlock block) {
    return Names[std::size_t(RowOf(block))].name;
}

std::optional<ProjectBlock> ProjectBlockFromName(std::string_view name) {
    for (const ProjectBlock block : ProjectBlocks)
        if (name == ProjectBlockName(block)) return block;
    return std::nullopt;
}

std::string ProjectBlockLabel(ProjectBlock block) {
    std::string_view caption = WriteRowCaption(block);
    while (!caption.empty() && caption.front() == ' ') caption.remove_prefix(1);
    while (!caption.empty() && caption.back() == ' ') caption.remove_suffix(1);
    return std::string(caption);
}

const char* RowResultText(BlockEnd end) {
    switch (end) {
    case BlockEnd::Ok:
        return "OK";
    case BlockEnd::Error:
        return "Error";
    case BlockEnd::Difference:
        return "Difference";
    default:
        return "";
    }
}

bool ProjectRunResult::Any(BlockEnd end) const {
    return std::find(ends.begin(), ends.end(), end) != ends.end();
}

std::string BackupFileName(int address, const std::tm& t) {
    char name[64];
    std::snprintf(name, sizeof name, "backup-%04d-%02d-%02d-%02d%02d-addr%d.zy2", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, address);
    return name;
}

ProjectWriteResult WriteProject(ControllerAccess& access, Project& project,
                                const BlockSelection& blocks, ProjectRunView& view,
                                const ProjectWriteOptions& options) {
    access.ReadLinkControls();
    ProjectWriteResult out;
    const bool anySelected = std::find(blocks.begin(), blocks.end(), true) != blocks.end();
    if (!options.backupFolder.empty() && anySelected) {
        out.backup = MakeBackup(access, project, blocks, view, options.backupFolder, out);
        if (out.backup == BackupEnd::Stopped) {
            out.stopped = true;
            return out;
        }
        if (out.backup != BackupEnd::Saved) {
            access.host.ShowMessageBox(MsgBackupFailed, out.backupError);
            return out;
        }
    }

    Run run(access, project, view);
    access.resetPending = true;
    std::unique_ptr<Verification> verification;
    if (options.verify) verification = std::make_unique<Verification>(access, project, view);
    static_cast<ProjectRunResult&>(out) = RunRows(
        run, blocks, true, [&](ProjectBlock block, std::vector<FieldDifferenceRow>& differences) {
            const BlockEnd end = WriteBlockOf(run, block);
            if (!verification || end != BlockEnd::Ok) return end;
            return verification->Check(block, differences);
        });
    access.ResetDeviceIfPending();
    return out;
}

ProjectRunResult ReadProject(ControllerAccess& access, Project& project,
                             const BlockSelection& blocks, bool compare, ProjectRunView& view) {
    return ReadRows(access, project, blocks, compare, view, true);
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &now);
#else
    localtime_r(&now, &t);
#endif
    return t;
}

} // namespace zyl
