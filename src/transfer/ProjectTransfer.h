#pragma once

// The whole-project transfer: the ten blocks of a project written to the controller, or read
// from it and, on request, compared with what the project held. One row engine serves the
// write and read windows and the command line; the windows show rows, bars and texts, the
// command line prints a line a block.
//
// Stop is the access's cancel request: the run looks at it before every packet (every
// program) and after every row, and a wait for a reply ends on it at once. The run shows
// "Controller must be in STOP mode" for a refused block and "No communication" when the
// controller's setup could not be read before the programs; a block whose command fails
// only ends with Error, and the run goes on.

#include "core/ControllerAccess.h"
#include "project/ProjectImage.h"
#include "transfer/ProjectCompare.h"

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

// The rows' captions in the write window and in the read window (they differ in the PID row).
[[nodiscard]] const char* WriteRowCaption(ProjectBlock block);
[[nodiscard]] const char* ReadRowCaption(ProjectBlock block);
// The block's name on the command line ("setup", "processes-washing", ...) and its label in
// the command line's result lines ("Setup", "Processes WASHING", "PID").
[[nodiscard]] const char* ProjectBlockName(ProjectBlock block);
[[nodiscard]] std::optional<ProjectBlock> ProjectBlockFromName(std::string_view name);
[[nodiscard]] std::string ProjectBlockLabel(ProjectBlock block);

using BlockSelection = std::array<bool, ProjectBlockCount>;
inline constexpr BlockSelection AllProjectBlocks = {true, true, true, true, true,
                                                    true, true, true, true, true};

// How a row's block ended.
enum class BlockEnd {
    NotRun,     // not ticked, or the run was stopped before it
    Ok,         // "OK"
    Error,      // "Error": a command failed or the panel never became ready
    Difference, // "Difference": read, and not what the project holds
    NotStopped, // refused: the controller is not in STOP mode (the row text stays empty)
    NoSetup,    // the controller's setup could not be read before the programs
    Stopped,    // Stop ended the run inside this block
};
// The row's result text: "OK", "Error", "Difference", or empty.
[[nodiscard]] const char* RowResultText(BlockEnd end);

struct ProjectRunResult {
    std::array<BlockEnd, ProjectBlockCount> ends{};
    std::array<std::vector<FieldDifferenceRow>, ProjectBlockCount> differences;
    bool stopped = false;   // Stop ended the run: no "Operation complete"
    bool completed = false; // every row ran ("Operation complete" was shown)
    [[nodiscard]] bool Any(BlockEnd end) const;
};

// What a run tells its window as it goes.
class ProjectRunView {
public:
    virtual ~ProjectRunView() = default;
    // The row's block starts: its bar shown at 0 of maximum, its result text cleared.
    virtual void RowStarted(ProjectBlock block, int maximum) = 0;
    virtual void RowProgress(ProjectBlock block, int position) = 0;
    // The row's block ended (never called for rows that did not run).
    virtual void RowEnded(ProjectBlock block, BlockEnd end) = 0;
};

inline constexpr const char* MsgOperationComplete = "Operation complete";
inline constexpr const char* MsgBackupFailed =
    "The backup could not be made; nothing was written to the controller";
// The link's failure cause for a block that was written and read back different.
inline constexpr const char* CauseNotHeld = "the controller does not hold what was written";

// The write window's backups go into this folder of the program's folder.
inline constexpr const char* BackupFolderName = "backup";

struct ProjectWriteOptions {
    // Each block read back after its write and compared as the comparison compares: "OK"
    // only when the controller holds what was sent, else "Error" with the differing fields.
    bool verify = false;
    // When set, the controller's configuration of the selected blocks is read first and
    // saved as a project in this folder (created when missing); the write begins only once
    // that file is on disk.
    std::string backupFolder;
};

// How the backup before a write ended.
enum class BackupEnd {
    None,      // not asked for, or no block selected
    Saved,     // the file is at backupPath
    ReadError, // a block could not be read: nothing written
    FileError, // the folder or the file could not be written: nothing written
    Stopped,   // Stop ended the read: nothing written
};

struct ProjectWriteResult : ProjectRunResult {
    BackupEnd backup = BackupEnd::None;
    std::string backupPath;  // the main file (side files beside it); set when Saved
    std::string backupError; // why it failed
};

// The local time now.
[[nodiscard]] std::tm LocalTimeNow();

// The backup's file name for the controller at address at the local time t:
// "backup-2026-12-10-2315-addr1.zy2".
[[nodiscard]] std::string BackupFileName(int address, const std::tm& t);

// Writes the selected blocks in row order, numbering each block's records first. With a
// backup folder, the controller's configuration of the same blocks is first read into a copy
// of the project (so blocks not selected keep the project's content, as do the passwords)
// and saved there; a backup that fails shows MsgBackupFailed with its reason, and nothing is
// sent. Shows "Operation complete" unless stopped, then asks "Reset device?" (the
// reset-pending flag is set once the writing begins), also after a stop.
ProjectWriteResult WriteProject(ControllerAccess& access, Project& project,
                                const BlockSelection& blocks, ProjectRunView& view,
                                const ProjectWriteOptions& options = {});

// Reads the selected blocks in row order. Each block lands in the project only as far as it
// arrived (groups already received stay; the setup block and each program only whole; the
// step presets only when their own read succeeded). With compare, each block that was read
// is compared with what the project held before, as it would come back from a controller
// that was sent it: Difference at the first unequal compared field (all of them listed in
// the result). A stopped comparison puts the whole project back as it was. Shows "Operation
// complete" unless stopped.
ProjectRunResult ReadProject(ControllerAccess& access, Project& project,
                             const BlockSelection& blocks, bool compare, ProjectRunView& view);

} // namespace zyl
